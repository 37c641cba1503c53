#pragma once

#include <QVariantMap>
#include <QWidget>

#include <functional>

class ZOQTMovieController;
class ZVolumeSlider;
class ZVolumeMuteButton;

// The volume control of the control bar: the mute button at its left and
// the volume slider in the rest, from the skin's volume description
// ("Width" by "Height", its own placement in the bar, "MuteButton" and
// "MutedButton"). While muted it draws "MuteButton", else "MutedButton";
// a press inside the button shows its pressed part, and a release inside
// flips the muted flag and sends the muting action (the movie controller's
// mute). The container follows "MovieMuted" and "MovieUnmuted".
//
// The button is its own small child (ZVolumeMuteButton) so that the keyboard
// and assistive technology reach it; the container keeps its state.
class ZVolumeSliderContainer : public QWidget {
  Q_OBJECT
 public:
  // initWithFrame: in the bar, placed by the container rule in the bar's
  // bounds; the movie controller (may be none) gets the slider.
  ZVolumeSliderContainer(const QVariantMap &info, ZOQTMovieController *movieController,
                         QWidget *bar);
  ~ZVolumeSliderContainer() override;

  ZVolumeSlider *slider() const { return fSlider; }
  void setMutingTarget(std::function<void()> action) { fMutingAction = std::move(action); }

  // The container placement rule again, in the bar's current bounds.
  void placeInBar();
  // The mute button's rectangle and width.
  QRectF buttonRect() const;
  double buttonWidth() const;
  bool isMuted() const { return fMuted; }
  int buttonState() const { return fButtonState; }
  // A click on the mute button, also for the keyboard.
  void clickMuteButton();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void movieMuteChanged();
  // The slider in the room right of the mute button.
  void layoutParts();
  QVariantMap currentButtonInfo() const;

  QVariantMap fInfo;
  ZOQTMovieController *fMovieController;
  ZVolumeSlider *fSlider = nullptr;
  ZVolumeMuteButton *fMuteButton = nullptr;
  std::function<void()> fMutingAction;
  bool fProcessingMouseDown = false;
  bool fMouseInView = false;
  int fButtonState = 0;
  bool fMuted = false;
};

// The mute button's place in the container for the keyboard and assistive
// technology: it draws nothing (the container does) and lets the pointer
// through to the container.
class ZVolumeMuteButton : public QWidget {
  Q_OBJECT
 public:
  explicit ZVolumeMuteButton(ZVolumeSliderContainer *container);
  ZVolumeSliderContainer *container() const { return fContainer; }

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

 private:
  ZVolumeSliderContainer *fContainer;
};
