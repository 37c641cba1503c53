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
#include <QGuiApplication>
#include <QSessionManager>
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
    auto *shared = new ZOQTMovieController(
        *engine, ZNowPlayingListDataSource::sharedNowPlayingListDataSource(),
        VideoDatabase::defaultVideoDatabase(), UserDefaults::standardUserDefaults());
    if (QCoreApplication *app = QCoreApplication::instance()) {
      // However the application quits (its menu, a signal, another
      // program's quit request), the video that plays keeps its position as
      // a stop would; then mpv's threads end, after the movie view has let
      // go of its pictures.
      QObject::connect(app, &QCoreApplication::aboutToQuit, shared, [shared, engine] {
        shared->storePosition();
        engine->shutDown();
      });
      // The session's end asks the application to save its state first.
      if (auto *gui = qobject_cast<QGuiApplication *>(app))
        QObject::connect(gui, &QGuiApplication::commitDataRequest, shared,
                         [shared](QSessionManager &) { shared->storePosition(); });
    }
    return shared;
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
      fProbe(probe ? probe : Probe(&Utilities::canPlayMovie)),
      fProbesOffThread(!probe) {
  // Probes of files on slow storage may take a while; a few may run at once
  // (those of videos skipped past are abandoned, not waited for).
  fProbeThreads.setMaxThreadCount(4);
  initialize(fDefaults);
  fMovie.setVolume(fDefaults.floatForKey(kVolumeKey));
  fScrubberUpdateTimer.setInterval(300);
  connect(&fScrubberUpdateTimer, &QTimer::timeout, this,
          &ZOQTMovieController::scrubberUpdateTimerTick);
  connect(&fMovie, &ZMediaBackEnd::ended, this, &ZOQTMovieController::movieDidEnd);
  connect(&fMovie, &ZMediaBackEnd::opened, this, &ZOQTMovieController::movieOpened);
  connect(&fMovie, &ZMediaBackEnd::openFailed, this, &ZOQTMovieController::movieOpenFailed);
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
  disconnect(&fMovie, nullptr, this, nullptr);
  // Their answers, queued to this object, go with it.
  fProbeThreads.clear();
  fProbeThreads.waitForDone();
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

void ZOQTMovieController::loadMovieFromPlaylist(bool forcePlay, std::optional<PlayRequest> then,
                                                int failures) {
  if (fNowPlaying.count() == 0) return;
  const std::optional<VideoInfo> video =
      fNowPlaying.videoInfoAtIndex(fNowPlaying.indexOfCurrentlyPlayingVideo());
  if (!video) return;
  // A movie that plays, or one loading to play, hands playing on.
  const bool wasPlaying = isPlaying() || (fLoad && (fLoad->play || fLoad->then));
  releaseMovie();

  Load load;
  load.ticket = fTicket;
  load.video = *video;
  load.path = video->value(QStringLiteral("PATH"));
  load.play = wasPlaying || forcePlay;
  load.logStart = !isUserSkip;
  load.failures = failures;
  load.then = then;
  fLoad = load;
  if (!fProbesOffThread) {
    fileChecked(load.ticket, checkFile(load.path, fProbe));
    return;
  }
  fProbeThreads.start([this, ticket = load.ticket, path = load.path, probe = fProbe] {
    const FileCheck check = checkFile(path, probe);
    QMetaObject::invokeMethod(
        this, [this, ticket, check] { fileChecked(ticket, check); }, Qt::QueuedConnection);
  });
}

ZOQTMovieController::FileCheck ZOQTMovieController::checkFile(const QString &path,
                                                              const Probe &probe) {
  // A file that is gone or cannot be read is no codec's fault.
  const QFileInfo file(path);
  if (!file.isFile()) return FileCheck::Missing;
  if (!file.isReadable()) return FileCheck::Unreadable;
  return probe(path) ? FileCheck::Playable : FileCheck::Undecodable;
}

void ZOQTMovieController::fileChecked(quint64 ticket, FileCheck check) {
  if (!fLoad || fLoad->ticket != ticket) return;  // abandoned meanwhile
  const QString fileName = QFileInfo(fLoad->path).fileName();
  switch (check) {
    case FileCheck::Missing:
      cannotOpen(fileName, QStringLiteral("The file is missing."));
      return;
    case FileCheck::Unreadable:
      cannotOpen(fileName, QStringLiteral("The file cannot be read."));
      return;
    case FileCheck::Undecodable:
      codecMissing(fileName);
      return;
    case FileCheck::Playable:
      fLoad->opening = true;
      // The engine may answer before it returns.
      fMovie.open(fLoad->path);
      return;
  }
}

void ZOQTMovieController::movieOpened() {
  if (!fLoad || !fLoad->opening) return;
  const Load load = std::move(*fLoad);
  fLoad.reset();
  inlinePreviewMovie = load.video;
  fMovie.setVolume(fDefaults.floatForKey(kVolumeKey));

  setUpScrubber(inlineScrubber);
  setUpScrubber(fullscreenScrubber);
  if (inlineVolumeSlider) {
    setUpVolumeSlider(inlineVolumeSlider);
    fMovie.setMuted(inlineVolumeSlider->muteState());
  }

  if (fThumbnailMovieView) fThumbnailMovieView->setMovie(&fMovie);
  if (load.then) {
    finishPlay(*load.then);
  } else if (load.play) {
    if (load.logStart) log(QStringLiteral("/ui/player/video/start"));
    startPlaying();
  }
}

void ZOQTMovieController::movieOpenFailed(const QString &error) {
  if (!fLoad || !fLoad->opening) return;
  cannotOpen(QFileInfo(fLoad->path).fileName(), error);
}

void ZOQTMovieController::cannotOpen(const QString &fileName, const QString &description) {
  const Load load = std::move(*fLoad);
  fLoad.reset();
  fNowPlaying.setVideoPlaying(false);
  const QString message =
      description.isEmpty()
          ? localized(QStringLiteral("appdelegateErrorCannotPlayMovieUnknownFormat")) +
                QStringLiteral("\n\n") + fileName
          : localized(QStringLiteral("appdelegateErrorCannotPlayMovieLoadingError")) +
                QStringLiteral("\n\n") + fileName + QLatin1Char('\n') + description;
  const QString next = localized(playingForward ? QStringLiteral("movieLoadErrorNextMovie")
                                                : QStringLiteral("movieLoadErrorPreviousMovie"));
  const quint64 ticket = fTicket;
  const int answer = Dialogs::shared().askLoadError(message, next);
  // While the alert was up, something else may have been loaded or stopped.
  if (ticket != fTicket) return;
  if (answer != 1) {
    stopList();
    return;
  }
  // The neighbour is played, and so on; after a whole round of the list
  // without a movie that opens, the list stops.
  if (load.failures + 1 >= fNowPlaying.count()) {
    stopList();
    return;
  }
  moveCurrentIndex(playingForward);
  loadMovieFromPlaylist(true, load.then, load.failures + 1);
}

void ZOQTMovieController::codecMissing(const QString &fileName) {
  fLoad.reset();
  fErrorLoadingWMV =
      QFileInfo(fileName).suffix().compare(QLatin1String("wmv"), Qt::CaseInsensitive) == 0;
  const QString message =
      localized(fErrorLoadingWMV ? QStringLiteral("appdelegateErrorCannotPlayMovieRequireFlip4Mac")
                                 : QStringLiteral("appdelegateErrorCannotPlayMovieRequireDivX"));
  const quint64 ticket = fTicket;
  const int returnCode = Dialogs::shared().showCodecRequiredAlert(message);
  if (ticket != fTicket) return;
  codecAlertDidDismiss(returnCode);
}

void ZOQTMovieController::codecAlertDidDismiss(int returnCode) {
  if (returnCode == 1) {
    const QString page = fErrorLoadingWMV ? QStringLiteral("codecs-windows-media.html")
                                          : QStringLiteral("codecs.html");
    Workspace::shared().openURL(QUrl::fromLocalFile(ApplicationIdentity::resourcesFolder() +
                                                    QStringLiteral("/help/") + page));
  }
  stopList();
}

void ZOQTMovieController::stopList() {
  if (fThumbnailMovieView) fThumbnailMovieView->setMovie(nullptr);
  post(StopPlayingVideoListAction);
  post(GoToLibraryAction);
}

void ZOQTMovieController::releaseMovie() {
  fScrubberUpdateTimer.stop();
  inlinePreviewMovie.reset();
  fMovieEnded = false;
  fLoad.reset();
  ++fTicket;
  fMovie.close();
}

void ZOQTMovieController::startPlaying() {
  fMovieEnded = false;
  fMovie.play();
  fNowPlaying.setVideoPlaying(true);
  const int id = inlinePreviewMovie ? videoId(*inlinePreviewMovie) : -1;
  post(MovieStartedNotification, id);
  emit movieStarted(id);
  if (id >= 0) fDatabase.setDateViewed(QDateTime::currentDateTime(), id);
}

// ---- commands ----------------------------------------------------------------------------

void ZOQTMovieController::play() {
  const PlayRequest request{fResumingPlayback};
  if (inlinePreviewMovie) {
    finishPlay(request);
    return;
  }
  // Loaded, it plays; a load under way plays what it loads, as long as that
  // is still the list's current video.
  if (fLoad) {
    const auto current = fNowPlaying.infoOfCurrentlyPlayingVideo();
    if (current &&
        current->value(QStringLiteral("id")) == fLoad->video.value(QStringLiteral("id")) &&
        current->value(QStringLiteral("PATH")) == fLoad->path) {
      fLoad->then = request;
      return;
    }
  }
  loadMovieFromPlaylist(false, request);
}

void ZOQTMovieController::finishPlay(const PlayRequest &request) {
  if (!inlinePreviewMovie) return;
  if (!isUserPlay) {
    log(QStringLiteral("/ui/player/video/start"));
  } else if (isUserPause) {
    log(QStringLiteral("/ui/player/resume"), position());
    isUserPause = false;
  } else {
    log(QStringLiteral("/ui/player/play"));
    isUserPlay = false;
  }
  if (request.resuming) {
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
  // A movie being loaded opens paused.
  if (fLoad) {
    fLoad->play = false;
    fLoad->then.reset();
  }
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
    storePosition();
  } else if (fLoad) {
    // Stopped while the next video opens (a skip just before): the stop is
    // the user's all the same, at that video's start.
    log(QStringLiteral("/ui/player/stop"), QStringLiteral("&position=") +
                                               Utilities::secondsToTimeString(0, true));
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

void ZOQTMovieController::storePosition() {
  if (!inlinePreviewMovie) return;
  // A movie that played to its end has no position to come back to: its
  // end removed it, and a resume starts it at its beginning.
  const ZTime position = fMovie.currentTime();
  if (position.isValid() && !fMovieEnded)
    fDefaults.setString(position.toString(), resumeKey(*inlinePreviewMovie));
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
  if (!time.isValid()) return;
  fMovie.setCurrentTime(time);
  fMovieEnded = false;
}

void ZOQTMovieController::setRate(double rate) {
  if (!inlinePreviewMovie) return;
  fMovie.setRate(rate);
  fMovieEnded = false;
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
  fMovieEnded = true;
  fDefaults.removeObject(resumeKey(*inlinePreviewMovie));
  log(QStringLiteral("/ui/player/video/end"));
  isUserPlay = false;
  if (fNowPlaying.indexOfCurrentlyPlayingVideo() == fNowPlaying.count() - 1 &&
      !fDefaults.boolForKey(kLoopKey)) {
    post(StopPlayingVideoListAction);
    return;
  }
  // The next one plays once open. Without a next one (the list lost its
  // entries meanwhile) the ended movie stays where it is.
  moveCurrentIndex(true);
  playingForward = true;
  loadMovieFromPlaylist(false, PlayRequest{});
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
