#pragma once

#include <QPointer>
#include <QWidget>

// Which window shows playback and whether full-screen mode is on.
class ZApplicationState {
 public:
  static ZApplicationState &sharedStateManager();

  int state() const { return fState; }
  void setState(int state) { fState = state; }
  bool fullScreenMode() const { return fInFullScreenMode; }
  void setFullScreenMode(bool on) { fInFullScreenMode = on; }
  QWidget *playbackWindow() const { return fPlaybackWindow; }
  void setPlaybackWindow(QWidget *window) { fPlaybackWindow = window; }

  // True in the states that mean a movie is playing.
  bool moviePlaying() const;

 private:
  int fState = 0;
  bool fInFullScreenMode = false;
  QPointer<QWidget> fPlaybackWindow;  // not owned
};
