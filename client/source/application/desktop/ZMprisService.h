#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class UserDefaults;
class VideoDatabase;
class ZNowPlayingListDataSource;
class ZOQTMovieController;

// The player as the desktop's media controls see it: the MPRIS interfaces
// org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player on the session
// bus (ZMprisAdaptors), so that media keys, desktop widgets and playerctl
// drive the movie controller through its own commands and show what plays.
//
// The state read here is the controller's and the now-playing list's; every
// change they signal is published as PropertiesChanged with the properties
// that changed.
class ZMprisService : public QObject {
  Q_OBJECT
 public:
  static const QString ObjectPath;   // "/org/mpris/MediaPlayer2"
  static const QString ServiceBase;  // "org.mpris.MediaPlayer2.zaroplayer"

  // What the service asks of the application.
  struct Hooks {
    std::function<void()> raise;  // show the main window
    std::function<void()> quit;   // the quit action
  };

  ZMprisService(ZOQTMovieController &controller, ZNowPlayingListDataSource &nowPlaying,
                VideoDatabase &database, UserDefaults &defaults, Hooks hooks,
                QObject *parent = nullptr);
  ~ZMprisService() override;

  // Exports the object and takes the service name; where another player of
  // ours holds it already, the name with ".instance" and the process id.
  // False (written once) when neither can be had.
  bool registerOn(QDBusConnection bus);
  QString serviceName() const { return fServiceName; }

  // ---- what the properties show ----------------------------------------------
  QString playbackStatus() const;  // "Playing", "Paused" or "Stopped"
  QVariantMap metadata() const;
  qlonglong position() const;  // microseconds
  double volume() const;       // 0.0 to 1.0
  bool canPlay() const;
  bool canPause() const;
  bool canSeek() const;
  bool canGoNext() const;
  bool canGoPrevious() const;

  // ---- the methods -----------------------------------------------------------
  void play();
  void pause();
  void playPause();
  void stop();
  void next();
  void previous();
  // Moves by the offset (microseconds); past the end is the next video.
  void seek(qlonglong offset);
  // To the position of the track, when it is the current one and within it.
  void setPosition(const QDBusObjectPath &trackId, qlonglong position);
  void setVolume(double volume);
  void raise();
  void quit();

  // The track id of a library video, and of none.
  static QDBusObjectPath trackId(int videoId);

 signals:
  // The position jumped (microseconds), for the Player interface's Seeked.
  void seeked(qlonglong position);

 private:
  // The published properties now, by interface property name.
  QVariantMap snapshot() const;
  // Sends PropertiesChanged for what differs from the last snapshot.
  void publishChanges();
  qlonglong lengthOfCurrent() const;
  int currentVideoId() const;

  ZOQTMovieController &fController;
  ZNowPlayingListDataSource &fNowPlaying;
  VideoDatabase &fDatabase;
  UserDefaults &fDefaults;
  Hooks fHooks;
  QDBusConnection fBus;
  QString fServiceName;
  QVariantMap fPublished;
  bool fPublishQueued = false;
};
