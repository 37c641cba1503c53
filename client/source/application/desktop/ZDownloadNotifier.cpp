#include "ZDownloadNotifier.h"

#include "ApplicationIdentity.h"
#include "Localization.h"
#include "VideoDatabase.h"
#include "ZSessionBus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString PlayAction = QStringLiteral("play");
const QString DefaultAction = QStringLiteral("default");
// Urgency "normal"; the category of a finished transfer.
constexpr uchar NormalUrgency = 1;

}  // namespace

ZDownloadNotifier::ZDownloadNotifier(VideoDatabase &database, Hooks hooks, QDBusConnection bus,
                                     QObject *parent)
    : QObject(parent), fDatabase(database), fHooks(std::move(hooks)), fBus(bus) {
  if (!fBus.isConnected()) return;
  fBus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
               SLOT(actionInvoked(uint, QString)));
  fBus.connect(Service, Path, Service, QStringLiteral("NotificationClosed"), this,
               SLOT(notificationClosed(uint, uint)));
}

ZDownloadNotifier::~ZDownloadNotifier() = default;

ZDownloadNotifier::Message ZDownloadNotifier::messageFor(const QString &title,
                                                         const QString &thumbnailPath,
                                                         bool bodyMarkup) {
  Message message;
  message.summary = localized(QStringLiteral("notificationDownloadFinished"));
  // One line of plain text, whatever the service put in the title.
  QString line;
  line.reserve(title.size());
  for (const QChar c : title) line += (c.category() == QChar::Other_Control) ? QChar(u' ') : c;
  line = line.simplified();
  message.body = bodyMarkup ? line.toHtmlEscaped() : line;
  if (!thumbnailPath.isEmpty() && QFileInfo(thumbnailPath).isFile())
    message.imagePath = QUrl::fromLocalFile(thumbnailPath).toString(QUrl::FullyEncoded);
  return message;
}

void ZDownloadNotifier::videoDownloaded(int videoId) {
  if (!fBus.isConnected()) return;
  if (fCapabilitiesKnown) {
    send(videoId);
    return;
  }
  // The server's capabilities first: whether the body is read as markup.
  fWaitingForCapabilities.append(videoId);
  if (fWaitingForCapabilities.size() > 1) return;
  const QDBusMessage call =
      QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("GetCapabilities"));
  auto *watcher = new QDBusPendingCallWatcher(fBus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
    w->deleteLater();
    const QDBusPendingReply<QStringList> reply = *w;
    const QList<int> waiting = std::exchange(fWaitingForCapabilities, {});
    if (reply.isError()) {
      // Asked again at the next download: a server may have started since.
      if (ZSessionBus::isServiceMissing(reply.error().name())) {
        ZSessionBus::warnOnce(QStringLiteral("notifications"),
                              QStringLiteral("no notification server on the session bus: "
                                             "finished downloads are not announced"));
        return;
      }
    } else {
      fBodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
    }
    fCapabilitiesKnown = true;
    for (int videoId : waiting) send(videoId);
  });
}

void ZDownloadNotifier::send(int videoId) {
  const auto info = fDatabase.getVideoInfo(videoId);
  if (!info) return;
  const Message message = messageFor(info->value(QStringLiteral("TITLE")),
                                     info->value(QStringLiteral("IMAGE_PATH")), fBodyMarkup);
  QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(NormalUrgency)},
                    {QStringLiteral("category"), QStringLiteral("transfer.complete")},
                    {QStringLiteral("desktop-entry"), ApplicationIdentity::bundleIdentifier()}};
  if (!message.imagePath.isEmpty()) hints.insert(QStringLiteral("image-path"), message.imagePath);
  QDBusMessage call =
      QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
  call << ApplicationIdentity::applicationName() << uint(0)
       << ApplicationIdentity::bundleIdentifier() << message.summary << message.body
       << QStringList{DefaultAction, localized(QStringLiteral("notificationShowPlayer")),
                      PlayAction, localized(QStringLiteral("notificationPlay"))}
       << hints << int(-1);
  auto *watcher = new QDBusPendingCallWatcher(fBus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, videoId](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusPendingReply<uint> reply = *w;
            if (reply.isError()) {
              ZSessionBus::warnOnce(QStringLiteral("notifications"),
                                    QStringLiteral("the notification server refused a "
                                                   "notification: %1")
                                        .arg(reply.error().message()));
              if (ZSessionBus::isServiceMissing(reply.error().name())) fCapabilitiesKnown = false;
              return;
            }
            fVideoOfNotification.insert(reply.value(), videoId);
            emit notificationShown(reply.value(), videoId);
          });
}

void ZDownloadNotifier::actionInvoked(uint id, const QString &actionKey) {
  const auto it = fVideoOfNotification.constFind(id);
  if (it == fVideoOfNotification.cend()) return;  // another program's notification
  const int videoId = it.value();
  if (actionKey == PlayAction) {
    if (fHooks.playVideo) fHooks.playVideo(videoId);
  } else if (actionKey == DefaultAction) {
    if (fHooks.showWindow) fHooks.showWindow();
  }
}

void ZDownloadNotifier::notificationClosed(uint id, uint) { fVideoOfNotification.remove(id); }
