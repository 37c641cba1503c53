#include "ZMprisService.h"

#include "NotificationCenter.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZMprisAdaptors.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOQTMovieController.h"
#include "ZMediaBackEnd.h"
#include "ZSessionBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

const QString ZMprisService::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString ZMprisService::ServiceBase = QStringLiteral("org.mpris.MediaPlayer2.zaroplayer");

namespace {

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

qlonglong microseconds(const ZTime &time) {
  if (!time.isValid()) return 0;
  return qlonglong(time.rescaled(1000000).value);
}

}  // namespace

ZMprisService::ZMprisService(ZOQTMovieController &controller, ZNowPlayingListDataSource &nowPlaying,
                             VideoDatabase &database, UserDefaults &defaults, Hooks hooks,
                             QObject *parent)
    : QObject(parent),
      fController(controller),
      fNowPlaying(nowPlaying),
      fDatabase(database),
      fDefaults(defaults),
      fHooks(std::move(hooks)),
      fBus(QString()) {
  new ZMprisRootAdaptor(this);
  new ZMprisPlayerAdaptor(this);
  // Every change of what plays is published once the event that caused it
  // has run its course (a skip stops one movie and starts the next).
  const auto queue = [this] {
    if (fPublishQueued) return;
    fPublishQueued = true;
    QTimer::singleShot(0, this, [this] {
      fPublishQueued = false;
      publishChanges();
    });
  };
  connect(&fController, &ZOQTMovieController::movieStarted, this, queue);
  connect(&fController, &ZOQTMovieController::moviePaused, this, queue);
  connect(&fController, &ZOQTMovieController::movieStopped, this, queue);
  connect(&fController, &ZOQTMovieController::movieRateChanged, this, queue);
  connect(&fController, &ZOQTMovieController::movieVolumeChanged, this, queue);
  connect(&fNowPlaying, &ZNowPlayingListDataSource::currentVideoChanged, this, queue);
  connect(&fNowPlaying, &ZNowPlayingListDataSource::videoRowsChanged, this, queue);
  fPublished = snapshot();
}

ZMprisService::~ZMprisService() {
  if (!fServiceName.isEmpty()) {
    fBus.unregisterObject(ObjectPath);
    fBus.unregisterService(fServiceName);
  }
}

bool ZMprisService::registerOn(QDBusConnection bus) {
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors)) {
    ZSessionBus::warnOnce(QStringLiteral("mpris"),
                          QStringLiteral("cannot offer the media controls on the session bus: %1")
                              .arg(bus.lastError().message()));
    return false;
  }
  QString name = ServiceBase;
  if (!bus.registerService(name)) {
    name = ServiceBase + QStringLiteral(".instance") +
           QString::number(QCoreApplication::applicationPid());
    if (!bus.registerService(name)) {
      bus.unregisterObject(ObjectPath);
      ZSessionBus::warnOnce(
          QStringLiteral("mpris"),
          QStringLiteral("cannot take the media controls' name %1 on the session bus: %2")
              .arg(name, bus.lastError().message()));
      return false;
    }
  }
  fBus = bus;
  fServiceName = name;
  fPublished = snapshot();
  return true;
}

// ---- state ----------------------------------------------------------------------------

QString ZMprisService::playbackStatus() const {
  if (fController.isPlaying()) return QStringLiteral("Playing");
  if (fController.movie().isOpen()) return QStringLiteral("Paused");
  return QStringLiteral("Stopped");
}

int ZMprisService::currentVideoId() const { return fNowPlaying.idOfCurrentlyPlayingVideo(); }

QDBusObjectPath ZMprisService::trackId(int videoId) {
  if (videoId < 0) return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
  return QDBusObjectPath(QStringLiteral("/tv/zaro/ZaroPlayer/video/") + QString::number(videoId));
}

qlonglong ZMprisService::lengthOfCurrent() const {
  if (fController.movie().isOpen()) return microseconds(fController.movie().duration());
  const auto info = fNowPlaying.infoOfCurrentlyPlayingVideo();
  if (!info) return 0;
  bool ok = false;
  const double seconds = info->value(QStringLiteral("DURATION")).toDouble(&ok);
  return ok && seconds > 0 ? qlonglong(seconds * 1e6) : 0;
}

QVariantMap ZMprisService::metadata() const {
  const int id = currentVideoId();
  QVariantMap map{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId(id))}};
  const auto info = fNowPlaying.infoOfCurrentlyPlayingVideo();
  if (id < 0 || !info) return map;
  map.insert(QStringLiteral("xesam:title"), info->value(QStringLiteral("TITLE")));
  if (const qlonglong length = lengthOfCurrent(); length > 0)
    map.insert(QStringLiteral("mpris:length"), length);
  const QString image = info->value(QStringLiteral("IMAGE_PATH"));
  if (!image.isEmpty() && QFileInfo(image).isFile())
    map.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(image).toString(QUrl::FullyEncoded));
  const QString path = info->value(QStringLiteral("PATH"));
  if (!path.isEmpty()) map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
  return map;
}

qlonglong ZMprisService::position() const {
  return fController.movie().isOpen() ? microseconds(fController.movie().currentTime()) : 0;
}

double ZMprisService::volume() const {
  if (fController.movie().isOpen()) return double(fController.movie().volume());
  return std::clamp(fDefaults.doubleForKey(QStringLiteral("ZOQTMovieVolume")), 0.0, 1.0);
}

bool ZMprisService::canPlay() const { return fController.movie().isOpen() || fNowPlaying.count() > 0; }
bool ZMprisService::canPause() const { return fController.movie().isOpen(); }
bool ZMprisService::canSeek() const { return fController.movie().isOpen() && lengthOfCurrent() > 0; }
bool ZMprisService::canGoNext() const { return fNowPlaying.count() > 0; }
bool ZMprisService::canGoPrevious() const { return fNowPlaying.count() > 0; }

// ---- commands ---------------------------------------------------------------------------

void ZMprisService::play() {
  if (fController.movie().isOpen()) {
    if (!fController.isPlaying()) fController.pauseOrPlay();
    return;
  }
  // Nothing loaded: the window starts the now-playing list, as it does when
  // a list is played from the library.
  if (fNowPlaying.count() > 0)
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionStartPlayingNewVideoList"));
}

void ZMprisService::pause() {
  if (fController.isPlaying()) fController.pause();
}

void ZMprisService::playPause() {
  if (fController.movie().isOpen())
    fController.pauseOrPlay();
  else
    play();
}

void ZMprisService::stop() {
  // The window leaves playback as at the end of a list; the movie stops
  // even where no window plays it.
  NotificationCenter::defaultCenter().postNotificationName(ZOQTMovieController::StopPlayingVideoListAction);
  if (fController.movie().isOpen()) fController.stop();
}

void ZMprisService::next() {
  if (canGoNext()) fController.userSkipForwardOne();
}

void ZMprisService::previous() {
  if (canGoPrevious()) fController.userSkipBackOne();
}

void ZMprisService::seek(qlonglong offset) {
  if (!canSeek()) return;
  const qlonglong length = lengthOfCurrent();
  const qlonglong target = std::max<qlonglong>(0, position() + offset);
  if (target > length) {
    next();
    return;
  }
  fController.scrubberChanged(double(target) / 1e6);
  emit seeked(position());
}

void ZMprisService::setPosition(const QDBusObjectPath &track, qlonglong target) {
  if (!canSeek() || track != trackId(currentVideoId())) return;
  if (target < 0 || target > lengthOfCurrent()) return;
  fController.scrubberChanged(double(target) / 1e6);
  emit seeked(position());
}

void ZMprisService::setVolume(double volume) {
  if (!std::isfinite(volume)) return;
  fController.setVolume(float(std::clamp(volume, 0.0, 1.0)));
}

void ZMprisService::raise() {
  if (fHooks.raise) fHooks.raise();
}

void ZMprisService::quit() {
  if (fHooks.quit) fHooks.quit();
}

// ---- publishing ---------------------------------------------------------------------------

QVariantMap ZMprisService::snapshot() const {
  return {{QStringLiteral("PlaybackStatus"), playbackStatus()},
          {QStringLiteral("Metadata"), metadata()},
          {QStringLiteral("Volume"), volume()},
          {QStringLiteral("CanPlay"), canPlay()},
          {QStringLiteral("CanPause"), canPause()},
          {QStringLiteral("CanSeek"), canSeek()},
          {QStringLiteral("CanGoNext"), canGoNext()},
          {QStringLiteral("CanGoPrevious"), canGoPrevious()}};
}

void ZMprisService::publishChanges() {
  const QVariantMap now = snapshot();
  QVariantMap changed;
  for (auto it = now.cbegin(); it != now.cend(); ++it)
    if (fPublished.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  fPublished = now;
  if (changed.isEmpty() || fServiceName.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(
      ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("PropertiesChanged"));
  signal << PlayerInterface << changed << QStringList();
  fBus.send(signal);
}
