#pragma once

#include "ZPlaybackBars.h"
#include "ZView.h"

#include <QPointer>
#include <QTimer>

#include <functional>

class QScreen;

// The content of the full-screen window: the movie filling the screen, and
// the title, progress and control bars, which a mouse move shows and which
// hide again by themselves once the mouse has stayed still over the movie
// for 6 seconds (the pointer hides with them until it moves). Escape posts
// "ActionLeaveFullScreen"; the other playback keys work as in the window.
class ZFullScreenView : public ZOpaqueView {
  Q_OBJECT
 public:
  // SECONDS_BEFORE_HIDE_BUTTONS
  static constexpr int kSecondsBeforeHideButtons = 6;

  explicit ZFullScreenView(const ZPlaybackEnvironment &environment, QWidget *parent = nullptr);
  ~ZFullScreenView() override;

  // Takes the movie view in, filling the view; the full-screen slider goes
  // to the movie controller. removeMovieView gives the view back to the
  // parent it had and hides the bars.
  void addMovieView(QWidget *movieView);
  void removeMovieView();
  QWidget *movieView() const { return fMovieView; }

  // A mouse move anywhere in the window: shows the bars (the hide timer is
  // not restarted while they show) and the pointer.
  void mouseDidMove();
  bool showingBars() const { return fShowingBars; }
  const QTimer &hideTimer() const { return fTimer; }
  // The timer's work: hides the bars when the mouse is over the movie, else
  // waits again.
  void hideTimerFired();

  // For tests: the hide delay, and where the mouse is (global coordinates;
  // the pointer's position otherwise).
  void setHideDelay(int milliseconds) { fTimer.setInterval(milliseconds); }
  void setMouseLocation(std::function<QPoint()> location) { fMouseLocation = std::move(location); }

  ZFullScreenTitleBarView *titleBarView() const { return fTitleBarView; }
  ZFullScreenBottomBarView *bottomBarView() const { return fBottomBarView; }
  ZFullScreenProgressBarView *progressBarView() const { return fProgressBarContainerView; }
  ZOpaqueView *movieContainer() const { return fMovieContainerView; }

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void showBarViews();
  void hideBarViews();
  void showPointer();
  void hidePointer();
  void layoutViews();
  ZPlaybackBarSet bars() const;
  void watchMouse(QWidget *widget, bool watch);

  ZPlaybackEnvironment fEnvironment;
  ZFullScreenProgressBarView *fProgressBarContainerView = nullptr;
  ZFullScreenTitleBarView *fTitleBarView = nullptr;
  ZFullScreenBottomBarView *fBottomBarView = nullptr;
  ZOpaqueView *fMovieContainerView = nullptr;
  QPointer<QWidget> fMovieView;
  QPointer<QWidget> fMovieViewHome;
  QTimer fTimer;
  bool fShowingBars = false;
  std::function<QPoint()> fMouseLocation;
};

// The full-screen window: borderless, black, above the panels, covering one
// screen, with a ZFullScreenView as its content.
class ZFullScreenWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ZFullScreenWindow(const ZPlaybackEnvironment &environment);
  ZFullScreenView *fullScreenView() const { return fFullScreenView; }

  // Shows the window full screen on the screen (none: the primary one).
  void showOnScreen(QScreen *screen);
  // Closes the window for good (it deletes itself); its owner's way out,
  // once the movie view is back home.
  void dismiss();

 protected:
  bool event(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  // A close asked from outside (the window manager's close, Alt+F4) leaves
  // full screen the way Escape does: "ActionLeaveFullScreen" is posted from
  // the loop and the owner dismisses the window.
  void closeEvent(QCloseEvent *event) override;

 private:
  ZFullScreenView *fFullScreenView;
  bool fDismissed = false;
};
