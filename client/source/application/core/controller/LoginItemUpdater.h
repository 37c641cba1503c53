#pragma once

#include <QString>

// Keeps the user's login items in line with "GeneralOpenClientAtStartup": the
// player's item (LoginItems::indexOfPlayer) is removed when the setting is
// off; when it is on and there is none, an item starting programPath is added
// at the end.
namespace LoginItemUpdater {

void updateLoginItem(const QString &programPath);

}  // namespace LoginItemUpdater
