#pragma once

#include "ZTime.h"

#include <QObject>
#include <QString>

// What the movie controller needs of a media engine: one movie file at a
// time, opened, played, paused, run at a rate, heard at a volume or muted,
// positioned, and measured. The application's engine is ZMpvBackEnd; tests
// use ZFakeMediaBackEnd.
//
// Times are (value, time scale) pairs. The rate is the speed of playback:
// 0 paused, 1 normal, 4 fast forward, -4 fast rewind.
class ZMediaBackEnd : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~ZMediaBackEnd() override;

  // Starts opening the movie file in place of the open one, which is closed
  // at once. The outcome follows as opened() (the movie is open, paused at
  // its start, its length known) or openFailed() (nothing is open). An engine
  // that reads the file (ZMpvBackEnd) reports it later, from the event loop,
  // and never waits for the file itself; one that reads nothing may report
  // it before open() returns. A later open() or close() abandons an opening:
  // its outcome is never reported.
  virtual void open(const QString &path) = 0;
  // Stops and closes the open movie, or abandons the one being opened;
  // nothing is open afterwards.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // An open() waits for its outcome.
  virtual bool isOpening() const = 0;

  // Play at rate 1 / pause (rate 0).
  virtual void play() = 0;
  virtual void pause() = 0;
  virtual double rate() const = 0;
  virtual void setRate(double rate) = 0;

  // 0.0 (silent) to 1.0 (full).
  virtual float volume() const = 0;
  virtual void setVolume(float volume) = 0;
  virtual bool muted() const = 0;
  virtual void setMuted(bool muted) = 0;

  // Where playback is; invalid when nothing is open.
  virtual ZTime currentTime() const = 0;
  virtual void setCurrentTime(const ZTime &time) = 0;
  // The open movie's length; invalid when nothing is open.
  virtual ZTime duration() const = 0;

 signals:
  // The movie of the last open() is open.
  void opened();
  // The movie of the last open() cannot be opened: what went wrong.
  void openFailed(const QString &error);
  // Playback reached the end of the movie (it stays open, paused there).
  // Like the outcome of an open, reported from the event loop: a handler may
  // open the next movie or run a modal dialog.
  void ended();
  // The rate changed: by a command, at the end of the movie, or when a
  // rewind reached the start.
  void rateChanged(double rate);
};
