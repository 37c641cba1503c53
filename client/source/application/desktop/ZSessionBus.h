#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

// The user's session bus, through which the player meets the desktop: media
// keys and desktop widgets (MPRIS), notifications and the screensaver. A
// session may have no bus, and a bus may lack any of those services; the
// player then works on without them and says so once ("zaro.desktop").
namespace ZSessionBus {

// The session bus, or nothing when there is none (written once).
std::optional<QDBusConnection> connection();

// Writes the warning to "zaro.desktop" the first time the key is met in this
// process; later calls with the same key write nothing.
void warnOnce(const QString &key, const QString &message);

// Whether a D-Bus error means that no program offers the service (rather
// than a failure of the service itself).
bool isServiceMissing(const QString &errorName);

}  // namespace ZSessionBus
