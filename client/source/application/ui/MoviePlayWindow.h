#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class ZMpvBackEnd;
class ZOMovieView;
class ZOQTMovieController;
class ZPlainScrubber;

// A plain window that plays library videos through the movie controller:
// the movie view and a position slider, driven from the keyboard. It stands
// in for the main window's playback view ("zaro-player --play VIDEO_ID").
//
// Keys: Space plays or pauses, Escape stops and closes, Ctrl+Right and
// Ctrl+Left skip to the next and previous video, Ctrl+Up and Ctrl+Down
// change the volume, M mutes. The slider moves with the arrow keys.
class MoviePlayWindow : public QWidget {
  Q_OBJECT
 public:
  // The window of the application's controller, made on first use.
  static MoviePlayWindow &sharedWindow();

  MoviePlayWindow(ZOQTMovieController &controller, ZMpvBackEnd *engine, QWidget *parent = nullptr);
  ~MoviePlayWindow() override;

  // Plays the library video: the now-playing list takes it alone, and the
  // window shows it. False (with an alert) when the library has no such video.
  bool playVideo(int videoId);

  // The movie view; none where movie views cannot be shown (offscreen).
  ZOMovieView *movieView() const { return fMovieView; }
  QSlider *positionSlider() const;

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  void leavePlayback();

  ZOQTMovieController &fController;
  ZOMovieView *fMovieView = nullptr;
  ZPlainScrubber *fScrubber;
};
