#pragma once

#include <QString>

// Keeps the user's login items in line with "GeneralOpenClientAtStartup": the
// first item whose program path contains the player's executable name
// ("zaro-player", ignoring case) is removed when the setting is off; when it is
// on and there is none, an item starting programPath is added at the end.
namespace LoginItemUpdater {

inline constexpr const char *PlayerMatchText = "zaro-player";

bool urlNamesPlayer(const QString &url);
void updateLoginItem(const QString &programPath);

}  // namespace LoginItemUpdater
