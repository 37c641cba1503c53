#pragma once

#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <functional>

class ZButtonView;
class ZImageView;
class ZMovieSlider;
class ZNowPlayingListDataSource;
class ZOQTMovieController;
class ZSkin;
class ZVolumeSliderContainer;

// What the playback bars work with: the skin they are drawn from, the movie
// controller they command and the now-playing list whose title they show.
// Any may be missing (the bars then draw or do less).
struct ZPlaybackEnvironment {
  const ZSkin *skin = nullptr;
  ZOQTMovieController *movieController = nullptr;
  ZNowPlayingListDataSource *nowPlaying = nullptr;
};

// The title bar above the movie in the window: the skin's title background
// stretched over it, the current video's title (without its file
// extension) centred in white, and the full-screen button at the right.
// It stretches with its parent's width and keeps to its top.
class ZPlaybackTitleBarView : public QWidget {
  Q_OBJECT
 public:
  ZPlaybackTitleBarView(const ZPlaybackEnvironment &environment, QWidget *parent = nullptr);
  ~ZPlaybackTitleBarView() override;

  // The height of the skin's fullScreenTitleBackgroundImage.
  static double height(const ZSkin *skin);
  using QWidget::height;

  // Start / stop following the list and the movie for the title.
  void displaySetup();
  void displayTeardown();
  // Posts "ActionEnterFullScreen".
  void goIntoFullScreen();

  QString movieTitle() const { return fMovieTitle; }
  // Shows a title of one's own until the list's is read again.
  void setMovieTitle(const QString &title);
  ZButtonView *fullScreenButton() const { return fFullScreenButton; }
  // A title as the bar shows it: without a file extension (a last part after
  // a dot of one to five letters or digits), in one line.
  static QString displayTitle(const QString &title);

 protected:
  // For the full-screen title bar: its own button instead.
  ZPlaybackTitleBarView(const ZPlaybackEnvironment &environment, bool fullScreen,
                        QWidget *parent);
  void paintEvent(QPaintEvent *event) override;
  void readTitle();

  ZPlaybackEnvironment fEnvironment;
  QString fMovieTitle;
  ZButtonView *fFullScreenButton = nullptr;
};

// The full-screen title bar: the same look, with the leave-full-screen
// button 5 from the right edge, vertically centred.
class ZFullScreenTitleBarView : public ZPlaybackTitleBarView {
  Q_OBJECT
 public:
  ZFullScreenTitleBarView(const ZPlaybackEnvironment &environment, QWidget *parent = nullptr);
  // Posts "ActionLeaveFullScreen".
  void leaveFullScreen();

 protected:
  void resizeEvent(QResizeEvent *event) override;
};

// The control bar below the movie: the skin's bar picture and the exit,
// play or pause, stop, skip and volume controls. Play and pause swap as the
// movie starts, pauses or changes its rate; holding a skip button scans at
// four times the speed until it is let go.
class ZPlaybackBottomBarView : public QWidget {
  Q_OBJECT
 public:
  ZPlaybackBottomBarView(const ZPlaybackEnvironment &environment, QWidget *parent = nullptr);
  ~ZPlaybackBottomBarView() override;

  // The height of the skin's bottomNavBarImage.
  static double height(const ZSkin *skin);
  using QWidget::height;

  void setMovieView(QWidget *movieView) { fMovieView = movieView; }
  QWidget *movieView() const { return fMovieView; }
  // Mouse-over tracking of the buttons on / off.
  virtual void displaySetup();
  virtual void displayTeardown();

  // The buttons' actions.
  void playMovie();
  void pauseMovie();
  void stopMovie();
  void forward();
  void rewind();
  void frameForward();
  void frameForwardStop();
  void frameRewind();
  void frameRewindStop();

  ZButtonView *exitButton() const { return fExitButton; }
  ZButtonView *playButton() const { return fPlayButton; }
  ZButtonView *pauseButton() const { return fPauseButton; }
  ZButtonView *stopButton() const { return fStopButton; }
  ZButtonView *forwardButton() const { return fForwardButton; }
  ZButtonView *rewindButton() const { return fRewindButton; }
  ZVolumeSliderContainer *volumeSliderContainer() const { return fVolumeSliderContainer; }
  // All buttons the bar made.
  QList<ZButtonView *> buttons() const;

  // Shows pause and hides play (playing) or the reverse.
  void showPlaying(bool playing);

 protected:
  ZPlaybackBottomBarView(const ZPlaybackEnvironment &environment, bool fullScreen,
                         QWidget *parent);
  void paintEvent(QPaintEvent *event) override;
  ZButtonView *makeButton(const std::optional<QVariantMap> &info, const QString &name,
                          std::function<void()> action);
  void showMovieView();

  ZPlaybackEnvironment fEnvironment;
  bool fFullScreen = false;
  QPointer<QWidget> fMovieView;
  ZButtonView *fExitButton = nullptr;
  ZButtonView *fPlayButton = nullptr;
  ZButtonView *fPauseButton = nullptr;
  ZButtonView *fStopButton = nullptr;
  ZButtonView *fForwardButton = nullptr;
  ZButtonView *fRewindButton = nullptr;
  ZVolumeSliderContainer *fVolumeSliderContainer = nullptr;
  QList<ZButtonView *> fButtons;
};

// The full-screen control bar: the same buttons plus mute / unmute and the
// volume steps; its background shows only with the skin's full-screen
// frame pictures.
class ZFullScreenBottomBarView : public ZPlaybackBottomBarView {
  Q_OBJECT
 public:
  ZFullScreenBottomBarView(const ZPlaybackEnvironment &environment, QWidget *parent = nullptr);
  ~ZFullScreenBottomBarView() override;

  void displaySetup() override;

  ZButtonView *muteButton() const { return fMuteButton; }
  ZButtonView *unmuteButton() const { return fUnmuteButton; }
  ZButtonView *volumeUpButton() const { return fVolumeUpButton; }
  ZButtonView *volumeDownButton() const { return fVolumeDownButton; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  void showMuted();

  ZButtonView *fMuteButton = nullptr;
  ZButtonView *fUnmuteButton = nullptr;
  ZButtonView *fVolumeUpButton = nullptr;
  ZButtonView *fVolumeDownButton = nullptr;
  ZImageView *fVolumeImage = nullptr;
};

// The progress bar: the movie slider between the skin's left and right
// caps, which show the knob's time and the slider's maximum as minutes and
// seconds.
class ZFullScreenProgressBarView : public QWidget {
  Q_OBJECT
 public:
  // From a progress description (progressBarInfo in the window,
  // progressBarFullScreenInfo in full screen), at the given height; the
  // slider is placed by the container rule and follows the bar's width.
  ZFullScreenProgressBarView(const std::optional<QVariantMap> &info, double barHeight,
                             QWidget *parent = nullptr);

  // The height of a progress description's "LeftBarImage".
  static double height(const std::optional<QVariantMap> &info);
  using QWidget::height;
  ZMovieSlider *slider() const { return fMovieSlider; }
  // The two texts drawn in the caps.
  QString currentTimeText() const;
  QString maximumTimeText() const;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  QVariantMap fInfo;
  ZMovieSlider *fMovieSlider = nullptr;
};

// The three bars of a playback display (the window's or full screen's),
// shown and hidden together: set up for the current video and raised above
// the movie as they show, torn down as they hide, and assistive technology
// told of both. The control bar works on movieView while it shows.
struct ZPlaybackBarSet {
  ZPlaybackTitleBarView *title = nullptr;
  ZPlaybackBottomBarView *controls = nullptr;
  ZFullScreenProgressBarView *progress = nullptr;

  void show(QWidget *movieView) const;
  void hide() const;
  // Lays the bars out over a display of the size: the title bar along the
  // top, the control bar along the bottom and the progress bar on it.
  // Answers the room left between them for the movie.
  QRect layout(const QSize &display) const;
};
