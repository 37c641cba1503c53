#pragma once

class SkinBuilder;

// Adds every picture and element of the default skin, in the order the
// skin's definition lists its elements.
void buildDefaultSkin(SkinBuilder &skin);
