#pragma once

#include "VideoInfo.h"
#include "ZTime.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>

class UserDefaults;
class VideoDatabase;
class ZMediaBackEnd;
class ZMovieScrubber;
class ZMovieViewer;
class ZMovieVolumeControl;
class ZNowPlayingListDataSource;

// The one playback engine of the application: plays the videos of the
// now-playing list one after another in the movie view, keeps the progress
// and volume sliders in step, remembers where a stopped video was, marks
// each video viewed when it starts, and records the user's actions on the
// player in the library's usage log.
//
// What plays is always the now-playing list's current video. Decoding and
// display are the media engine's (ZMediaBackEnd). The controller reports
// through typed signals and, for the observers of the whole application,
// through the named notifications ("MovieStarted", "MoviePaused", ...).
//
// Loading a video does not hold up the interface: the file is checked and
// probed on a worker thread, then the engine opens it and reports back;
// meanwhile isLoading() holds, and what was asked for (play, resume, a skip)
// takes effect once the movie is open. A stop, another load or a change of
// the list abandons a load. The alerts about files that cannot be played
// come from the Qt loop, never from inside the engine's reports.
class ZOQTMovieController : public QObject {
  Q_OBJECT
 public:
  static const QString MovieStartedNotification;        // "MovieStarted", object: the video id
  static const QString MoviePausedNotification;         // "MoviePaused"
  static const QString MovieStoppedNotification;        // "MovieStopped"
  static const QString DidStopNotification;             // "ZOQTMovieDidStopNotification"
  static const QString MovieMutedNotification;          // "MovieMuted"
  static const QString MovieUnmutedNotification;        // "MovieUnmuted"
  static const QString MovieVolumeChangedNotification;  // "MovieVolumeChanged"
  static const QString StopPlayingVideoListAction;      // "ActionStopPlayingVideoList"
  static const QString GoToLibraryAction;               // "ActionGoToLibrary"

  // Whether a movie file can be played with the installed decoders. It reads
  // the file: the controller asks it off the interface thread (see
  // setProbesOffThread).
  using Probe = std::function<bool(const QString &moviePath)>;

  // The application's controller: the mpv engine, the shared now-playing
  // list, library and defaults. Made on first use, never freed.
  static ZOQTMovieController &sharedMovieController();
  // Registers "ZOQTMovieVolume" = "1.0".
  static void initialize(UserDefaults &defaults);

  // A controller over its own engine, list, library and defaults; without a
  // probe, FFmpeg's (Utilities::canPlayMovie), asked on a worker thread
  // together with the file checks. A probe given here is asked on the
  // calling thread, at once (tests give quick ones), unless told otherwise.
  ZOQTMovieController(ZMediaBackEnd &movie, ZNowPlayingListDataSource &nowPlaying,
                      VideoDatabase &database, UserDefaults &defaults, Probe probe = {},
                      QObject *parent = nullptr);
  // Waits for probes still running.
  ~ZOQTMovieController() override;

  // Whether the file checks and the probe run on a worker thread (their
  // answer then comes through the Qt loop) or at once on the calling thread.
  void setProbesOffThread(bool offThread) { fProbesOffThread = offThread; }

  // The engine that plays the movies.
  ZMediaBackEnd &movie() const { return fMovie; }

  // ---- wiring --------------------------------------------------------------------------
  void setMovieView(ZMovieViewer *view);
  // Replace the progress slider of the inline / full-screen bar (nullptr for
  // none) and set it up from the movie. The full-screen slider's action
  // becomes scrubberChanged().
  void setInlineSlider(ZMovieScrubber *slider);
  void setFullScreenSlider(ZMovieScrubber *slider);
  // Keeps the volume slider and sets it up from the movie.
  void setVolumeSlider(ZMovieVolumeControl *slider);
  // Sets the given slider up from the movie without keeping it; with none,
  // posts "MovieMuted" or "MovieUnmuted" for the movie's mute state.
  void setFullScreenVolumeSlider(ZMovieVolumeControl *slider);

  // ---- commands ------------------------------------------------------------------------
  void play();
  // play() from the position stored when the video was last stopped.
  void resumePlayback();
  // Pauses a playing movie (logged); posts "MoviePaused" in every case.
  void pause();
  // Plays (as the user's play) when not playing, else pauses (logged).
  void pauseOrPlay();
  // Stores the position (none of a movie left at its end), unloads the
  // movie (or abandons the one being loaded), posts the stop notifications
  // when a movie was loaded.
  void stop();
  // Stores the loaded movie's position, as stop() does, and leaves it
  // playing: the application quits (menu, signal, another program's quit
  // request, the end of the session).
  void storePosition();
  void skipForwardOne();
  void skipBackOne();
  // The user's skips: logged, and the video skipped to logs no start.
  void userSkipForwardOne();
  void userSkipBackOne();
  void mute();
  // The volume slider moved: the movie's volume, stored.
  void volumeChanged(float value);
  // The volume set from elsewhere (the desktop's media controls): as the
  // slider's, and shown on the volume slider.
  void setVolume(float value);
  void increaseVolume();
  void decreaseVolume();
  // A progress slider moved: seeks there.
  void scrubberChanged(double seconds);
  // Rates -4, 4, 1, 1 (only with a movie and a viewer).
  void rewind();
  void fastForward();
  void rewindStop();
  void fastForwardStop();

  // ---- queries -------------------------------------------------------------------------
  // A movie is loaded and running forward.
  bool isPlaying() const;
  // A video of the list is being loaded (checked, probed, opened).
  bool isLoading() const { return fLoad.has_value(); }
  bool movieIsMuted() const;
  QList<int> videosToPlay() const { return _videosToPlay; }

  // The key of a video's stored position: "MoviePlayPosition:" and its
  // permalink; a video without one (an imported file) is keyed by its file
  // instead, "MoviePlayPosition:file:" and the SHA-1 of its path.
  static QString resumeKey(const VideoInfo &video);

  // The repeating 0.3 s timer that moves the sliders while the movie runs,
  // and one tick of it.
  const QTimer &scrubberUpdateTimer() const { return fScrubberUpdateTimer; }
  void scrubberUpdateTimerTick();

 signals:
  void movieStarted(int videoId);
  void moviePaused();
  void movieStopped();
  void movieMuteChanged(bool muted);
  void movieVolumeChanged(float volume);
  // The movie's rate changed (0 paused, 1 playing, 4 or -4 scanning).
  void movieRateChanged(double rate);

 private:
  // What the files checks and the probe found.
  enum class FileCheck { Playable, Missing, Unreadable, Undecodable };
  // A play() that waits for the movie being loaded.
  struct PlayRequest {
    bool resuming = false;
  };
  // The video being loaded.
  struct Load {
    quint64 ticket = 0;
    VideoInfo video;
    QString path;
    bool play = false;                // starts playing once open (it played, or forced)
    bool logStart = true;             // its automatic start is logged (no user's skip)
    bool opening = false;             // checked and probed; the engine opens it
    int failures = 0;                 // videos before it in a row that did not open
    std::optional<PlayRequest> then;  // play() once open
  };

  // Loads the now-playing list's current video (nothing without one).
  void loadMovieFromPlaylist(bool forcePlay = false, std::optional<PlayRequest> then = std::nullopt,
                             int failures = 0);
  static FileCheck checkFile(const QString &path, const Probe &probe);
  void fileChecked(quint64 ticket, FileCheck check);
  void movieOpened();
  void movieOpenFailed(const QString &error);
  void cannotOpen(const QString &fileName, const QString &description);
  void codecMissing(const QString &fileName);
  void codecAlertDidDismiss(int returnCode);
  void stopList();
  void finishPlay(const PlayRequest &request);
  void movieDidEnd();
  void movieRateDidChange(double rate);
  void nowPlayingListChanged();
  void releaseMovie();
  void startPlaying();
  void setUpScrubber(ZMovieScrubber *slider);
  void setUpVolumeSlider(ZMovieVolumeControl *slider);
  void storeVolume();
  void stepVolume(float step);
  void setRate(double rate);
  void userSkip(bool forward);
  void moveCurrentIndex(bool forward);

  // The loaded movie's video, else the now-playing list's current one.
  std::optional<VideoInfo> currentVideo() const;
  QString currentPermalink() const;
  // "&position=" and the movie's time in whole seconds, as text.
  QString position() const;
  // A usage-log entry: "videoID=" and the current video's permalink, then more.
  void log(const QString &event, const QString &more = QString());
  void post(const QString &name, const QVariant &object = QVariant());

  ZMediaBackEnd &fMovie;
  ZNowPlayingListDataSource &fNowPlaying;
  VideoDatabase &fDatabase;
  UserDefaults &fDefaults;
  Probe fProbe;

  ZMovieViewer *fThumbnailMovieView = nullptr;
  ZMovieScrubber *inlineScrubber = nullptr;
  ZMovieScrubber *fullscreenScrubber = nullptr;
  ZMovieVolumeControl *inlineVolumeSlider = nullptr;
  // The video whose movie the engine has loaded (the engine holds the movie).
  std::optional<VideoInfo> inlinePreviewMovie;
  // The loaded movie played to its end and stays there (not played, moved
  // or scanned since): a stop keeps no position of it.
  bool fMovieEnded = false;
  bool fResumingPlayback = false;
  QList<int> _videosToPlay;
  int _playlistLocation = -1;
  QTimer fScrubberUpdateTimer;
  bool playingForward = true;
  bool fErrorLoadingWMV = false;

  // The load under way, and the number of the latest load or unload: an
  // answer for an earlier one is out of date.
  std::optional<Load> fLoad;
  quint64 fTicket = 0;
  bool fProbesOffThread = false;

  // How the current state was reached, for the usage log.
  bool isUserPause = false;
  bool isUserPlay = false;
  bool isUserSkip = false;

  // Where the probes run; last, so that it is gone (its probes ended)
  // before anything else of the controller.
  QThreadPool fProbeThreads;
};
