#include "ZSessionBus.h"

#include "Logging.h"

#include <QDBusError>

namespace ZSessionBus {

std::optional<QDBusConnection> connection() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) return bus;
  warnOnce(QStringLiteral("bus"),
           QStringLiteral("no D-Bus session bus (%1): media keys, desktop notifications and "
                          "screensaver inhibition are off")
               .arg(bus.lastError().message().isEmpty() ? QStringLiteral("not connected")
                                                        : bus.lastError().message()));
  return std::nullopt;
}

void warnOnce(const QString &key, const QString &message) {
  Logging::warnOnce(zaroDesktop(), key, message);
}

bool isServiceMissing(const QString &errorName) {
  return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
         errorName == QLatin1String("org.freedesktop.DBus.Error.Spawn.ServiceNotFound");
}

}  // namespace ZSessionBus
