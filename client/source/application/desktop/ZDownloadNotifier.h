#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class VideoDatabase;

// Tells the desktop that a downloaded video is in the library: a
// notification through org.freedesktop.Notifications with the video's title
// and thumbnail and a "Play" action (clicking the notification itself shows
// the main window). Where no notification server runs, nothing is shown and
// that is written once; the call never waits.
class ZDownloadNotifier : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void(int videoId)> playVideo;
    std::function<void()> showWindow;
  };

  ZDownloadNotifier(VideoDatabase &database, Hooks hooks, QDBusConnection bus,
                    QObject *parent = nullptr);
  ~ZDownloadNotifier() override;

  // Shows the notification of a library video that was just downloaded.
  void videoDownloaded(int videoId);

  // The notification's texts, as sent: summary, body (escaped where the
  // server reads markup) and the thumbnail's address.
  struct Message {
    QString summary;
    QString body;
    QString imagePath;
  };
  static Message messageFor(const QString &title, const QString &thumbnailPath, bool bodyMarkup);

 signals:
  // The server answered with the notification's id (for tests).
  void notificationShown(uint id, int videoId);

 private slots:
  void actionInvoked(uint id, const QString &actionKey);
  void notificationClosed(uint id, uint reason);

 private:
  void send(int videoId);

  VideoDatabase &fDatabase;
  Hooks fHooks;
  QDBusConnection fBus;
  bool fCapabilitiesKnown = false;
  bool fBodyMarkup = false;
  QList<int> fWaitingForCapabilities;
  QHash<uint, int> fVideoOfNotification;
};
