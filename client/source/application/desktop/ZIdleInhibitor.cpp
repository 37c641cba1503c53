#include "ZIdleInhibitor.h"

#include "ApplicationIdentity.h"
#include "Localization.h"
#include "ZOQTMovieController.h"
#include "ZSessionBus.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString ScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
// The portal's flags: suspend (4) and idle (8).
constexpr uint PortalSuspendAndIdle = 4 | 8;

}  // namespace

ZIdleInhibitor::ZIdleInhibitor(ZOQTMovieController &controller, QDBusConnection bus,
                               QObject *parent)
    : QObject(parent), fBus(bus) {
  connect(&controller, &ZOQTMovieController::movieStarted, this, [this] { setPlaying(true); });
  connect(&controller, &ZOQTMovieController::moviePaused, this, [this] { setPlaying(false); });
  connect(&controller, &ZOQTMovieController::movieStopped, this, [this] { setPlaying(false); });
  connect(&controller, &ZOQTMovieController::movieRateChanged, this,
          [this](double rate) { setPlaying(rate != 0.0); });
}

ZIdleInhibitor::~ZIdleInhibitor() {
  fWanted = false;
  release();
}

void ZIdleInhibitor::setPlaying(bool playing) {
  if (playing == fWanted) return;
  fWanted = playing;
  if (playing)
    request();
  else
    release();
}

void ZIdleInhibitor::request() {
  if (fPending || fCookie || !fPortalHandle.isEmpty() || !fBus.isConnected()) return;
  if (fService == Service::None) return;
  if (fService == Service::Portal) {
    requestPortal();
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath,
                                                     ScreenSaverService, QStringLiteral("Inhibit"));
  call << ApplicationIdentity::applicationName() << localized(QStringLiteral("inhibitReasonPlaying"));
  fPending = true;
  auto *watcher = new QDBusPendingCallWatcher(fBus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
    w->deleteLater();
    fPending = false;
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isError()) {
      refused(reply.error().name(), reply.error().message());
      return;
    }
    fCookie = reply.value();
    if (!fWanted) release();
  });
}

void ZIdleInhibitor::requestPortal() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      PortalService, PortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"),
      QStringLiteral("Inhibit"));
  call << QString() << PortalSuspendAndIdle
       << QVariantMap{{QStringLiteral("reason"), localized(QStringLiteral("inhibitReasonPlaying"))}};
  fPending = true;
  auto *watcher = new QDBusPendingCallWatcher(fBus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
    w->deleteLater();
    fPending = false;
    const QDBusPendingReply<QDBusObjectPath> reply = *w;
    if (reply.isError()) {
      refused(reply.error().name(), reply.error().message());
      return;
    }
    fPortalHandle = reply.value().path();
    if (!fWanted) release();
  });
}

void ZIdleInhibitor::refused(const QString &errorName, const QString &message) {
  if (ZSessionBus::isServiceMissing(errorName)) {
    if (fService == Service::ScreenSaver) {
      fService = Service::Portal;
    } else {
      fService = Service::None;
      ZSessionBus::warnOnce(QStringLiteral("inhibit"),
                            QStringLiteral("no screensaver service on the session bus: the "
                                           "screensaver is not held off while videos play"));
      return;
    }
    if (fWanted) request();
    return;
  }
  ZSessionBus::warnOnce(QStringLiteral("inhibit"),
                        QStringLiteral("the screensaver refused to be held off: %1").arg(message));
}

void ZIdleInhibitor::release() {
  if (!fBus.isConnected()) return;
  if (fCookie) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        ScreenSaverService, ScreenSaverPath, ScreenSaverService, QStringLiteral("UnInhibit"));
    call << *fCookie;
    fBus.asyncCall(call);
    fCookie.reset();
  }
  if (!fPortalHandle.isEmpty()) {
    fBus.asyncCall(QDBusMessage::createMethodCall(PortalService, fPortalHandle,
                                                  QStringLiteral("org.freedesktop.portal.Request"),
                                                  QStringLiteral("Close")));
    fPortalHandle.clear();
  }
}
