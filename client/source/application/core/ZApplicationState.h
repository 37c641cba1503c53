#pragma once

#include <QObject>
#include <QPointer>

// Which window shows playback and whether full-screen mode is on. The window
// is kept as a QObject (a widget of the interface) so that this core stays
// free of the widgets library; it is forgotten when the window goes.
class ZApplicationState {
 public:
  static ZApplicationState &sharedStateManager();

  int state() const { return fState; }
  void setState(int state) { fState = state; }
  bool fullScreenMode() const { return fInFullScreenMode; }
  void setFullScreenMode(bool on) { fInFullScreenMode = on; }
  QObject *playbackWindow() const { return fPlaybackWindow; }
  void setPlaybackWindow(QObject *window) { fPlaybackWindow = window; }

  // True in the states that mean a movie is playing.
  bool moviePlaying() const;

 private:
  int fState = 0;
  bool fInFullScreenMode = false;
  QPointer<QObject> fPlaybackWindow;  // not owned
};
