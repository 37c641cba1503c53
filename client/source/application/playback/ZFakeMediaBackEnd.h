#pragma once

#include "ZMediaBackEnd.h"

#include <QHash>
#include <QStringList>

// A media engine that decodes nothing, for tests of what drives one: every
// file opens (unless told otherwise) with the length it was given, time
// moves only when the test moves it, and the end comes when the test says.
// An open() is answered before it returns, or, told to answer later, when
// the test says.
class ZFakeMediaBackEnd : public ZMediaBackEnd {
  Q_OBJECT
 public:
  using ZMediaBackEnd::ZMediaBackEnd;

  // Files of this path open with this length (10 s at scale 600 otherwise).
  void setDuration(const QString &path, const ZTime &duration) { fDurations[path] = duration; }
  // Opening this path fails with this description.
  void setOpenError(const QString &path, const QString &error) { fErrors[path] = error; }
  // Every path open() was asked for, in order.
  const QStringList &openedPaths() const { return fOpened; }
  QString openPath() const { return fOpen ? fPath : QString(); }
  // From now on open() waits until answerOpen() reports its outcome.
  void setAnswersLater(bool later) { fAnswersLater = later; }
  // Reports the outcome of the open() that waits (nothing without one).
  void answerOpen();

  // Plays to the end: the time becomes the length, the rate 0, and the end
  // is reported.
  void finish();

  void open(const QString &path) override;
  void close() override;
  bool isOpen() const override { return fOpen; }
  bool isOpening() const override { return fOpening; }
  void play() override { setRate(1.0); }
  void pause() override { setRate(0.0); }
  double rate() const override { return fOpen ? fRate : 0.0; }
  void setRate(double rate) override;
  float volume() const override { return fVolume; }
  void setVolume(float volume) override { fVolume = volume; }
  bool muted() const override { return fMuted; }
  void setMuted(bool muted) override { fMuted = muted; }
  ZTime currentTime() const override { return fOpen ? fTime : ZTime{}; }
  void setCurrentTime(const ZTime &time) override;
  ZTime duration() const override { return fOpen ? fDuration : ZTime{}; }

 private:
  void changeRate(double rate);

  QHash<QString, ZTime> fDurations;
  QHash<QString, QString> fErrors;
  QStringList fOpened;
  QString fPath;
  bool fOpen = false;
  bool fAnswersLater = false;
  bool fOpening = false;
  QString fOpeningPath;
  double fRate = 0.0;
  float fVolume = 1.0f;
  bool fMuted = false;
  ZTime fTime;
  ZTime fDuration;
};
