#include "ZOQTMovieController.h"

#include "ApplicationIdentity.h"
#include "DateUtilities.h"
#include "Dialogs.h"
#include "Localization.h"
#include "MovieAttributes.h"
#include "NotificationCenter.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "Workspace.h"
#include "ZMediaBackEnd.h"
#include "ZMpvBackEnd.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaybackControls.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <limits>

const QString ZOQTMovieController::MovieStartedNotification = QStringLiteral("MovieStarted");
const QString ZOQTMovieController::MoviePausedNotification = QStringLiteral("MoviePaused");
const QString ZOQTMovieController::MovieStoppedNotification = QStringLiteral("MovieStopped");
const QString ZOQTMovieController::DidStopNotification =
    QStringLiteral("ZOQTMovieDidStopNotification");
const QString ZOQTMovieController::MovieMutedNotification = QStringLiteral("MovieMuted");
const QString ZOQTMovieController::MovieUnmutedNotification = QStringLiteral("MovieUnmuted");
const QString ZOQTMovieController::MovieVolumeChangedNotification =
    QStringLiteral("MovieVolumeChanged");
const QString ZOQTMovieController::StopPlayingVideoListAction =
    QStringLiteral("ActionStopPlayingVideoList");
const QString ZOQTMovieController::GoToLibraryAction = QStringLiteral("ActionGoToLibrary");

namespace {

const QString kVolumeKey = QStringLiteral("ZOQTMovieVolume");
const QString kLoopKey = QStringLiteral("PlaybackLoopVideoPlay");
const QString kResumeKeyPrefix = QStringLiteral("MoviePlayPosition");

int videoId(const VideoInfo &video) {
  bool ok = false;
  const int id = video.value(QStringLiteral("id")).toInt(&ok);
  return ok ? id : -1;
}

}  // namespace

// ---- creation ----------------------------------------------------------------------------

ZOQTMovieController &ZOQTMovieController::sharedMovieController() {
  // Made once, on first use, whichever caller comes first.
  static ZOQTMovieController *controller = [] {
    auto *engine = new ZMpvBackEnd();
    // mpv's threads end with the application, after the movie view has let
    // go of its pictures.
    if (QCoreApplication *app = QCoreApplication::instance())
      QObject::connect(app, &QCoreApplication::aboutToQuit, engine, &ZMpvBackEnd::shutDown);
    return new ZOQTMovieController(
        *engine, ZNowPlayingListDataSource::sharedNowPlayingListDataSource(),
        VideoDatabase::defaultVideoDatabase(), UserDefaults::standardUserDefaults());
  }();
  return *controller;
}

void ZOQTMovieController::initialize(UserDefaults &defaults) {
  defaults.registerDefaults({{kVolumeKey, QStringLiteral("1.0")}});
}

ZOQTMovieController::ZOQTMovieController(ZMediaBackEnd &movie,
                                         ZNowPlayingListDataSource &nowPlaying,
                                         VideoDatabase &database, UserDefaults &defaults,
                                         Probe probe, QObject *parent)
    : QObject(parent),
      fMovie(movie),
      fNowPlaying(nowPlaying),
      fDatabase(database),
      fDefaults(defaults),
      fProbe(probe ? std::move(probe) : Probe(&Utilities::canPlayMovie)) {
  initialize(fDefaults);
  fMovie.setVolume(fDefaults.floatForKey(kVolumeKey));
  fScrubberUpdateTimer.setInterval(300);
  connect(&fScrubberUpdateTimer, &QTimer::timeout, this,
          &ZOQTMovieController::scrubberUpdateTimerTick);
  connect(&fMovie, &ZMediaBackEnd::ended, this, &ZOQTMovieController::movieDidEnd);
  connect(&fMovie, &ZMediaBackEnd::rateChanged, this, &ZOQTMovieController::movieRateDidChange);

  NotificationCenter &center = NotificationCenter::defaultCenter();
  for (const char *name :
       {"NowPlayingListVideoAdded", "NowPlayingListVideosAdded", "NowPlayingListVideoMoved",
        "NowPlayingListVideoDeleted", "NowPlayingListCleared"})
    center.addObserver(this, QLatin1String(name),
                       [this](const Notification &) { nowPlayingListChanged(); });
}

ZOQTMovieController::~ZOQTMovieController() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

// ---- wiring ------------------------------------------------------------------------------

void ZOQTMovieController::setMovieView(ZMovieViewer *view) {
  fThumbnailMovieView = view;
  if (view) view->setMovie(inlinePreviewMovie ? &fMovie : nullptr);
}

void ZOQTMovieController::setInlineSlider(ZMovieScrubber *slider) {
  inlineScrubber = slider;
  setUpScrubber(slider);
}

void ZOQTMovieController::setFullScreenSlider(ZMovieScrubber *slider) {
  fullscreenScrubber = slider;
  if (slider) slider->setAction([this](double seconds) { scrubberChanged(seconds); });
  setUpScrubber(slider);
}

void ZOQTMovieController::setVolumeSlider(ZMovieVolumeControl *slider) {
  inlineVolumeSlider = slider;
  setUpVolumeSlider(slider);
}

void ZOQTMovieController::setFullScreenVolumeSlider(ZMovieVolumeControl *slider) {
  if (slider) {
    setUpVolumeSlider(slider);
    return;
  }
  post(movieIsMuted() ? MovieMutedNotification : MovieUnmutedNotification);
}

void ZOQTMovieController::setUpScrubber(ZMovieScrubber *slider) {
  if (!slider || !inlinePreviewMovie) return;
  slider->setMaxValue(fMovie.duration().seconds() - 1.0);
  slider->setDoubleValue(double(fMovie.currentTime().wholeSeconds()));
}

void ZOQTMovieController::setUpVolumeSlider(ZMovieVolumeControl *slider) {
  if (!slider) return;
  slider->setFloatValue(fMovie.volume());
  slider->setMuteState(fMovie.muted());
}

// ---- loading -----------------------------------------------------------------------------

void ZOQTMovieController::loadMovieFromPlaylist(bool forcePlay) {
  // When the user asks for the neighbour of a movie that cannot be opened,
  // the neighbour is played, and so on; after a whole round of the list
  // without one that opens, the list stops.
  int failures = 0;
  while (loadCurrentEntry(forcePlay) == LoadResult::SkipRequested) {
    if (++failures >= fNowPlaying.count()) {
      if (fThumbnailMovieView) fThumbnailMovieView->setMovie(nullptr);
      post(StopPlayingVideoListAction);
      post(GoToLibraryAction);
      return;
    }
    moveCurrentIndex(playingForward);
    forcePlay = true;
  }
}

ZOQTMovieController::LoadResult ZOQTMovieController::loadCurrentEntry(bool forcePlay) {
  if (fNowPlaying.count() == 0) return LoadResult::Nothing;
  const std::optional<VideoInfo> video =
      fNowPlaying.videoInfoAtIndex(fNowPlaying.indexOfCurrentlyPlayingVideo());
  if (!video) return LoadResult::Nothing;
  const bool wasPlaying = isPlaying();
  const QString path = video->value(QStringLiteral("PATH"));
  releaseMovie();

  const QFileInfo file(path);
  // A file that is gone or cannot be read is no codec's fault.
  if (!file.isFile()) return cannotOpen(file.fileName(), QStringLiteral("The file is missing."));
  if (!file.isReadable())
    return cannotOpen(file.fileName(), QStringLiteral("The file cannot be read."));
  if (!fProbe(path)) {
    fErrorLoadingWMV = file.suffix().compare(QLatin1String("wmv"), Qt::CaseInsensitive) == 0;
    const QString message = localized(
        fErrorLoadingWMV ? QStringLiteral("appdelegateErrorCannotPlayMovieRequireFlip4Mac")
                         : QStringLiteral("appdelegateErrorCannotPlayMovieRequireDivX"));
    codecAlertDidDismiss(Dialogs::shared().showCodecRequiredAlert(message));
    return LoadResult::CodecMissing;
  }

  QString error;
  if (!fMovie.open(path, &error)) return cannotOpen(file.fileName(), error);
  inlinePreviewMovie = *video;
  fMovie.setVolume(fDefaults.floatForKey(kVolumeKey));

  setUpScrubber(inlineScrubber);
  setUpScrubber(fullscreenScrubber);
  if (inlineVolumeSlider) {
    setUpVolumeSlider(inlineVolumeSlider);
    fMovie.setMuted(inlineVolumeSlider->muteState());
  }

  if (fThumbnailMovieView) fThumbnailMovieView->setMovie(&fMovie);
  if (wasPlaying || forcePlay) {
    if (!isUserSkip) log(QStringLiteral("/ui/player/video/start"));
    startPlaying();
  }
  return LoadResult::Loaded;
}

ZOQTMovieController::LoadResult ZOQTMovieController::cannotOpen(const QString &fileName,
                                                                const QString &description) {
  fNowPlaying.setVideoPlaying(false);
  const QString message =
      description.isEmpty()
          ? localized(QStringLiteral("appdelegateErrorCannotPlayMovieUnknownFormat")) +
                QStringLiteral("\n\n") + fileName
          : localized(QStringLiteral("appdelegateErrorCannotPlayMovieLoadingError")) +
                QStringLiteral("\n\n") + fileName + QLatin1Char('\n') + description;
  const QString next = localized(playingForward ? QStringLiteral("movieLoadErrorNextMovie")
                                                : QStringLiteral("movieLoadErrorPreviousMovie"));
  if (Dialogs::shared().askLoadError(message, next) == 1) return LoadResult::SkipRequested;
  if (fThumbnailMovieView) fThumbnailMovieView->setMovie(nullptr);
  post(StopPlayingVideoListAction);
  post(GoToLibraryAction);
  return LoadResult::Cancelled;
}

void ZOQTMovieController::codecAlertDidDismiss(int returnCode) {
  if (returnCode == 1) {
    const QString page = fErrorLoadingWMV ? QStringLiteral("codecs-windows-media.html")
                                          : QStringLiteral("codecs.html");
    Workspace::shared().openURL(QUrl::fromLocalFile(ApplicationIdentity::resourcesFolder() +
                                                    QStringLiteral("/help/") + page));
  }
  if (fThumbnailMovieView) fThumbnailMovieView->setMovie(nullptr);
  post(StopPlayingVideoListAction);
  post(GoToLibraryAction);
}

void ZOQTMovieController::releaseMovie() {
  fScrubberUpdateTimer.stop();
  inlinePreviewMovie.reset();
  fMovie.close();
}

void ZOQTMovieController::startPlaying() {
  fMovie.play();
  fNowPlaying.setVideoPlaying(true);
  const int id = inlinePreviewMovie ? videoId(*inlinePreviewMovie) : -1;
  post(MovieStartedNotification, id);
  emit movieStarted(id);
  if (id >= 0) fDatabase.setDateViewed(QDateTime::currentDateTime(), id);
}

// ---- commands ----------------------------------------------------------------------------

void ZOQTMovieController::play() {
  if (!inlinePreviewMovie) {
    loadMovieFromPlaylist(false);
    if (!inlinePreviewMovie) return;
  }
  if (!isUserPlay) {
    log(QStringLiteral("/ui/player/video/start"));
  } else if (isUserPause) {
    log(QStringLiteral("/ui/player/resume"), position());
    isUserPause = false;
  } else {
    log(QStringLiteral("/ui/player/play"));
    isUserPlay = false;
  }
  if (fResumingPlayback) {
    // Any stored position is applied, near the start or the end alike; a
    // text that is not a position is ignored.
    const QString stored = fDefaults.stringForKey(resumeKey(*inlinePreviewMovie));
    if (const std::optional<ZTime> position = ZTime::fromString(stored))
      fMovie.setCurrentTime(*position);
  }
  startPlaying();
}

void ZOQTMovieController::resumePlayback() {
  fResumingPlayback = true;
  play();
  fResumingPlayback = false;
}

void ZOQTMovieController::pause() {
  if (isPlaying()) {
    log(QStringLiteral("/ui/player/pause"), position());
    isUserPause = true;
    fMovie.pause();
  }
  post(MoviePausedNotification);
  emit moviePaused();
}

void ZOQTMovieController::pauseOrPlay() {
  if (!isPlaying()) {
    isUserPlay = true;
    play();
    return;
  }
  log(QStringLiteral("/ui/player/pause"), position());
  isUserPause = true;
  fMovie.pause();
}

void ZOQTMovieController::stop() {
  const bool wasLoaded = inlinePreviewMovie.has_value();
  if (wasLoaded) {
    log(QStringLiteral("/ui/player/stop"), position());
    const ZTime position = fMovie.currentTime();
    if (position.isValid())
      fDefaults.setString(position.toString(), resumeKey(*inlinePreviewMovie));
  }
  releaseMovie();
  if (fThumbnailMovieView) fThumbnailMovieView->setMovie(nullptr);
  fNowPlaying.setVideoPlaying(false);
  if (wasLoaded) {
    post(DidStopNotification);
    post(MovieStoppedNotification);
    emit movieStopped();
  }
}

void ZOQTMovieController::moveCurrentIndex(bool forward) {
  const int count = fNowPlaying.count();
  const int current = fNowPlaying.indexOfCurrentlyPlayingVideo();
  int next;
  if (forward)
    next = current + 1 == count ? 0 : current + 1;
  else
    next = current == 0 ? count - 1 : current - 1;
  fNowPlaying.setIndexOfCurrentlyPlayingVideo(next);
}

void ZOQTMovieController::skipForwardOne() {
  moveCurrentIndex(true);
  playingForward = true;
  loadMovieFromPlaylist(false);
}

void ZOQTMovieController::skipBackOne() {
  moveCurrentIndex(false);
  playingForward = false;
  loadMovieFromPlaylist(false);
}

void ZOQTMovieController::userSkip(bool forward) {
  // The video the skip goes to, wrapping at either end of the list.
  const int count = fNowPlaying.count();
  const int current = fNowPlaying.indexOfCurrentlyPlayingVideo();
  QString next;
  if (count > 0) {
    const int index = forward ? (current + 1 >= count ? 0 : current + 1)
                              : (current <= 0 ? count - 1 : current - 1);
    if (const auto info = fNowPlaying.videoInfoAtIndex(index))
      next = info->value(QStringLiteral("VIDEO_PERMALINK"));
  }
  log(forward ? QStringLiteral("/ui/player/skipforward") : QStringLiteral("/ui/player/skipback"),
      QStringLiteral("&nextVideoID=") + next);
  // The video skipped to was chosen by the user: its start is not logged.
  isUserSkip = true;
  if (forward)
    skipForwardOne();
  else
    skipBackOne();
  isUserSkip = false;
}

void ZOQTMovieController::userSkipForwardOne() { userSkip(true); }
void ZOQTMovieController::userSkipBackOne() { userSkip(false); }

void ZOQTMovieController::mute() {
  if (!inlinePreviewMovie) return;
  const bool muted = !fMovie.muted();
  fMovie.setMuted(muted);
  if (inlineVolumeSlider) inlineVolumeSlider->setMuteState(muted);
  post(muted ? MovieMutedNotification : MovieUnmutedNotification);
  emit movieMuteChanged(muted);
}

void ZOQTMovieController::volumeChanged(float value) {
  fMovie.setVolume(value);
  storeVolume();
  emit movieVolumeChanged(fMovie.volume());
}

void ZOQTMovieController::setVolume(float value) {
  volumeChanged(std::clamp(value, 0.0f, 1.0f));
  setUpVolumeSlider(inlineVolumeSlider);
}

void ZOQTMovieController::storeVolume() {
  fDefaults.setDouble(double(fMovie.volume()), kVolumeKey);
}

void ZOQTMovieController::stepVolume(float step) {
  if (!inlinePreviewMovie) return;
  const float volume = fMovie.volume();
  if (step > 0 ? volume >= 1.0f : volume <= 0.0f) return;
  fMovie.setVolume(std::clamp(volume + step, 0.0f, 1.0f));
  setUpVolumeSlider(inlineVolumeSlider);
  storeVolume();
  post(MovieVolumeChangedNotification);
  emit movieVolumeChanged(fMovie.volume());
}

void ZOQTMovieController::increaseVolume() { stepVolume(0.1f); }
void ZOQTMovieController::decreaseVolume() { stepVolume(-0.1f); }

void ZOQTMovieController::scrubberChanged(double seconds) {
  if (!inlinePreviewMovie) return;
  const qint32 scale = fMovie.currentTime().timeScale;
  const ZTime time = ZTime::fromSeconds(seconds, scale > 0 ? scale : 600);
  if (time.isValid()) fMovie.setCurrentTime(time);
}

void ZOQTMovieController::setRate(double rate) {
  if (inlinePreviewMovie) fMovie.setRate(rate);
}

void ZOQTMovieController::rewind() { setRate(-4.0); }
void ZOQTMovieController::fastForward() { setRate(4.0); }
void ZOQTMovieController::rewindStop() { setRate(1.0); }
void ZOQTMovieController::fastForwardStop() { setRate(1.0); }

// ---- queries -----------------------------------------------------------------------------

bool ZOQTMovieController::isPlaying() const { return inlinePreviewMovie && fMovie.rate() > 0.0; }

bool ZOQTMovieController::movieIsMuted() const { return inlinePreviewMovie && fMovie.muted(); }

QString ZOQTMovieController::resumeKey(const VideoInfo &video) {
  const QString permalink = video.value(QStringLiteral("VIDEO_PERMALINK"));
  if (!permalink.isEmpty()) return kResumeKeyPrefix + QLatin1Char(':') + permalink;
  const QByteArray path = video.value(QStringLiteral("PATH")).toUtf8();
  return kResumeKeyPrefix + QStringLiteral(":file:") +
         QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex());
}

// ---- the engine's reports ----------------------------------------------------------------

void ZOQTMovieController::movieDidEnd() {
  if (!inlinePreviewMovie) return;
  fDefaults.removeObject(resumeKey(*inlinePreviewMovie));
  log(QStringLiteral("/ui/player/video/end"));
  isUserPlay = false;
  if (fNowPlaying.indexOfCurrentlyPlayingVideo() == fNowPlaying.count() - 1 &&
      !fDefaults.boolForKey(kLoopKey)) {
    post(StopPlayingVideoListAction);
    return;
  }
  skipForwardOne();
  if (inlinePreviewMovie) play();
}

void ZOQTMovieController::movieRateDidChange(double rate) {
  emit movieRateChanged(rate);
  if (!inlinePreviewMovie || rate == 0.0) {
    fScrubberUpdateTimer.stop();
    return;
  }
  fScrubberUpdateTimer.start();
}

void ZOQTMovieController::scrubberUpdateTimerTick() {
  if (!inlinePreviewMovie) {
    fScrubberUpdateTimer.stop();
    return;
  }
  const double seconds = fMovie.currentTime().seconds();
  if (inlineScrubber) inlineScrubber->setDoubleValue(seconds);
  if (fullscreenScrubber) fullscreenScrubber->setDoubleValue(seconds);
}

void ZOQTMovieController::nowPlayingListChanged() {
  const int remembered = fNowPlaying.indexOfCurrentlyPlayingVideo();
  _videosToPlay = fNowPlaying.videoList();
  // The list hands out a new copy every time: the loaded movie belongs to the
  // old one and goes, quietly.
  _playlistLocation = remembered;
  releaseMovie();
  fNowPlaying.setVideoPlaying(false);
  isUserSkip = false;
  if (remembered >= 0) {
    const int count = fNowPlaying.count();
    fNowPlaying.setIndexOfCurrentlyPlayingVideo(remembered < count ? remembered : count - 1);
  }
}

// ---- log and notifications ---------------------------------------------------------------

std::optional<VideoInfo> ZOQTMovieController::currentVideo() const {
  if (inlinePreviewMovie) return inlinePreviewMovie;
  return fNowPlaying.infoOfCurrentlyPlayingVideo();
}

QString ZOQTMovieController::currentPermalink() const {
  const auto video = currentVideo();
  return video ? video->value(QStringLiteral("VIDEO_PERMALINK")) : QString(QLatin1String(""));
}

QString ZOQTMovieController::position() const {
  const qint64 seconds = fMovie.currentTime().wholeSeconds();
  return QStringLiteral("&position=") +
         Utilities::secondsToTimeString(
             int(std::clamp<qint64>(seconds, 0, std::numeric_limits<int>::max())), true);
}

void ZOQTMovieController::log(const QString &event, const QString &more) {
  fDatabase.log(event, QStringLiteral("videoID=") + currentPermalink() + more);
}

void ZOQTMovieController::post(const QString &name, const QVariant &object) {
  NotificationCenter::defaultCenter().postNotificationName(name, object);
}
