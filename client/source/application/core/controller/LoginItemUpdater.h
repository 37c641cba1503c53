#pragma once

#include <QString>

// Keeps the user's login items in line with "GeneralOpenClientAtStartup": the
// player's item (LoginItems::indexOfPlayer) is removed when the setting is
// off; when it is on and there is none, an item starting programPath is added
// at the end, in the entry "tv.zaro.ZaroPlayer.desktop" (the application's
// id, as its desktop entry) with the player's name and icon. When it is on
// and the player's item lacks a TryExec, the item gets one.
namespace LoginItemUpdater {

void updateLoginItem(const QString &programPath);

}  // namespace LoginItemUpdater
