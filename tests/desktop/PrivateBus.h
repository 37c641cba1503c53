#pragma once

// A session bus of the test's own: a dbus-daemon started for it and stopped
// with it, and named connections to it (one per side of a conversation).
#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

class PrivateBus {
 public:
  PrivateBus() {
    fDaemon.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (fDaemon.waitForStarted(10000) && fDaemon.waitForReadyRead(10000))
      fAddress = QString::fromUtf8(fDaemon.readLine()).trimmed();
  }
  ~PrivateBus() {
    for (const QString &name : fNames) QDBusConnection::disconnectFromBus(name);
    fDaemon.terminate();
    if (!fDaemon.waitForFinished(5000)) fDaemon.kill();
    fDaemon.waitForFinished(5000);
  }
  PrivateBus(const PrivateBus &) = delete;
  PrivateBus &operator=(const PrivateBus &) = delete;

  bool running() const { return !fAddress.isEmpty(); }
  // A new connection to the bus under a name of its own.
  QDBusConnection connect() {
    static int counter = 0;
    const QString name = QStringLiteral("private-bus-%1").arg(++counter);
    fNames.append(name);
    return QDBusConnection::connectToBus(fAddress, name);
  }

 private:
  QProcess fDaemon;
  QString fAddress;
  QStringList fNames;
};
