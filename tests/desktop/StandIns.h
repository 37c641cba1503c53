#pragma once

// Stand-ins for the desktop's services, served on a test's private bus:
// they answer as the real ones do and remember every call.
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// An object served at a path under a well-known name of the bus, for as
// long as this lives.
class ServedObject {
 public:
  ServedObject(QDBusConnection bus, QString path, QString service, QObject *object)
      : fBus(bus), fPath(std::move(path)), fService(std::move(service)) {
    fBus.registerObject(fPath, object, QDBusConnection::ExportAllSlots);
    fBus.registerService(fService);
  }
  ~ServedObject() {
    fBus.unregisterService(fService);
    fBus.unregisterObject(fPath);
  }
  ServedObject(const ServedObject &) = delete;
  ServedObject &operator=(const ServedObject &) = delete;

 private:
  QDBusConnection fBus;
  QString fPath, fService;
};

// org.freedesktop.Notifications.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  struct Shown {
    QString appName, appIcon, summary, body;
    QStringList actions;
    QVariantMap hints;
    uint id;
  };
  explicit NotificationServer(QDBusConnection bus, QStringList capabilities = {"actions", "body"})
      : fBus(bus),
        fCapabilities(std::move(capabilities)),
        fServed(bus, QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), this) {}
  QList<Shown> shown;

  // What the user does with a notification: the server's signal.
  void invoke(uint id, const QString &action) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    signal << id << action;
    fBus.send(signal);
  }

 public slots:
  QStringList GetCapabilities() { return fCapabilities; }
  uint Notify(const QString &appName, uint, const QString &appIcon, const QString &summary,
              const QString &body, const QStringList &actions, const QVariantMap &hints, int) {
    const uint id = uint(shown.size()) + 41;
    shown.append({appName, appIcon, summary, body, actions, hints, id});
    return id;
  }
  void CloseNotification(uint) {}

 private:
  QDBusConnection fBus;
  QStringList fCapabilities;
  ServedObject fServed;  // last: it goes first
};

// org.freedesktop.ScreenSaver.
class ScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
 public:
  explicit ScreenSaver(QDBusConnection bus)
      : fServed(bus, QStringLiteral("/org/freedesktop/ScreenSaver"),
                QStringLiteral("org.freedesktop.ScreenSaver"), this) {}
  // "Inhibit <application> <reason> -> <cookie>", "UnInhibit <cookie>".
  QStringList calls;
  int held() const { return fHeld; }

 public slots:
  uint Inhibit(const QString &application, const QString &reason) {
    const uint cookie = uint(++fNext) * 7;
    calls << QStringLiteral("Inhibit %1 %2 -> %3").arg(application, reason).arg(cookie);
    ++fHeld;
    return cookie;
  }
  void UnInhibit(uint cookie) {
    calls << QStringLiteral("UnInhibit %1").arg(cookie);
    --fHeld;
  }

 private:
  int fNext = 0;
  int fHeld = 0;
  ServedObject fServed;
};

// The desktop portal's Inhibit, and the requests it hands out.
class PortalRequest : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
 public:
  explicit PortalRequest(QStringList &calls, QString path) : fCalls(calls), fPath(std::move(path)) {}
 public slots:
  void Close() { fCalls << QStringLiteral("Close ") + fPath; }

 private:
  QStringList &fCalls;
  QString fPath;
};

class Portal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
 public:
  explicit Portal(QDBusConnection bus)
      : fBus(bus),
        fServed(bus, QStringLiteral("/org/freedesktop/portal/desktop"),
                QStringLiteral("org.freedesktop.portal.Desktop"), this) {}
  ~Portal() override { qDeleteAll(fRequests); }
  QStringList calls;

 public slots:
  QDBusObjectPath Inhibit(const QString &window, uint flags, const QVariantMap &options) {
    const QString path =
        QStringLiteral("/org/freedesktop/portal/desktop/request/1_1/t%1").arg(fRequests.size());
    calls << QStringLiteral("Inhibit '%1' %2 %3 -> %4")
                 .arg(window)
                 .arg(flags)
                 .arg(options.value(QStringLiteral("reason")).toString(), path);
    auto *request = new PortalRequest(calls, path);
    fRequests.append(request);
    fBus.registerObject(path, request, QDBusConnection::ExportAllSlots);
    return QDBusObjectPath(path);
  }

 private:
  QDBusConnection fBus;
  QList<PortalRequest *> fRequests;
  ServedObject fServed;  // last: it goes first
};
