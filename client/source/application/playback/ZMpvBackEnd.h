#pragma once

#include "ZMediaBackEnd.h"

#include <QTimer>

#include <atomic>
#include <functional>

struct mpv_handle;
struct mpv_event;

// The media engine on libmpv's client API. mpv runs its own threads; its
// wakeup callback only queues a call onto the Qt event loop, which then drains
// mpv's events with a zero time-out. The values the controller asks for
// (time-pos, duration, pause, speed, volume, mute, eof-reached) are observed
// properties kept here as mpv reports them: nothing is polled, and nothing
// waits for mpv to read a file.
//
// Opening is asynchronous: open() hands the file to mpv and returns; mpv's
// file-loaded or end-file event for that file's playlist entry decides the
// outcome (the events of a file that was replaced or closed meanwhile carry
// another entry's id and are passed over). The outcome and the end of a
// movie are reported from the Qt loop after the drain, never from inside
// it, so that a handler may open the next file or run a modal dialog.
//
// Pictures: without a display (the offscreen platform, tests, CI) mpv runs
// with null video and audio outputs. With a display, video goes to the
// movie view's render context (ZOMovieView) once one exists, and to the null
// output before that; no window of mpv's own ever opens.
//
// mpv cannot play backwards. A negative rate is played as a scan: the movie
// stays paused and every quarter second jumps back by a quarter second times
// the rate (one second at -4), showing the frame there, until it reaches the
// start, where the rate drops to 0.
//
// Times are reported in microseconds (time scale 1000000), the unit FFmpeg
// measures containers in, so a duration is the container's exactly.
class ZMpvBackEnd : public ZMediaBackEnd {
  Q_OBJECT
 public:
  static constexpr qint32 kTimeScale = 1000000;
  // How long an opening may take before it is given up.
  static constexpr int kOpenTimeoutMs = 10000;
  // The step of a rewind scan.
  static constexpr int kScanIntervalMs = 250;

  // A new engine. Null outputs when headless is set, or on a platform
  // without a display (offscreen, minimal).
  explicit ZMpvBackEnd(QObject *parent = nullptr);
  ZMpvBackEnd(bool headless, QObject *parent);
  ~ZMpvBackEnd() override;

  // False when mpv could not be started (the back-end then opens nothing).
  bool isAvailable() const { return fHandle != nullptr; }
  bool isHeadless() const { return fHeadless; }

  void open(const QString &path) override;
  void close() override;
  bool isOpen() const override { return fOpen; }
  bool isOpening() const override { return fOpeningEntry >= 0; }
  void play() override { setRate(1.0); }
  void pause() override { setRate(0.0); }
  double rate() const override;
  void setRate(double rate) override;
  float volume() const override { return fVolume; }
  void setVolume(float volume) override;
  bool muted() const override { return fMuted; }
  void setMuted(bool muted) override;
  ZTime currentTime() const override;
  void setCurrentTime(const ZTime &time) override;
  ZTime duration() const override;

  // Frames mpv dropped or skipped to keep time since the movie was opened
  // (the video output's and the decoder's drops together).
  qint64 droppedFrameCount() const;

  // For the movie view: the client to make a render context on, and the two
  // moments the engine must know of. Video goes to the render context from
  // its creation on; before it is freed, video goes back to the null output.
  mpv_handle *handle() const { return fHandle; }
  void renderContextCreated();
  void renderContextWillBeFreed();

  // Ends mpv (after telling the view to free its render context). The
  // back-end opens nothing afterwards.
  void shutDown();

 signals:
  // mpv is about to end: a render context on it must be freed now.
  void shuttingDown();

 private:
  void setUp();
  void drainEvents();
  void handleEvent(const mpv_event &event);
  // Calls the report from the Qt loop, unless a movie was opened or closed
  // meanwhile.
  void report(std::function<void()> what);
  void openingFailed(const QString &why);
  void openTimedOut();
  void reachedEnd();
  void updateRate();
  void scanStep();
  bool setProperty(const char *name, const QString &value);
  void seekTo(double seconds);

  mpv_handle *fHandle = nullptr;
  bool fHeadless = false;
  std::atomic<bool> fDrainQueued{false};
  QTimer fScanTimer;
  QTimer fOpenTimer;

  bool fOpen = false;
  // Counts the openings and closings: a report queued before the latest
  // one is out of date.
  quint64 fGeneration = 0;
  // mpv's playlist entries: the one being opened (-1 none), the one mpv
  // started last, the one that is open.
  qint64 fOpeningEntry = -1;
  qint64 fStartedEntry = -1;
  qint64 fOpenEntry = -1;
  QString fOpeningPath;
  QString fLastErrorMessage;

  double fTimePos = 0.0;
  double fDuration = -1.0;
  bool fPaused = true;
  double fSpeed = 1.0;
  double fScanRate = 0.0;  // the negative rate of a rewind scan, else 0
  float fVolume = 1.0f;
  bool fMuted = false;
  bool fEofReached = false;
  double fReportedRate = 0.0;
};
