#include "ZFullScreenWindow.h"

#include "Localization.h"
#include "NotificationCenter.h"
#include "ZAccessibility.h"
#include "ZMovieSlider.h"
#include "ZOMovieView.h"
#include "ZOQTMovieController.h"
#include "ZPlaybackKeys.h"
#include "ZSkin.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>


// ---- ZFullScreenView ---------------------------------------------------------------------

ZFullScreenView::ZFullScreenView(const ZPlaybackEnvironment &environment, QWidget *parent)
    : ZOpaqueView(parent), fEnvironment(environment) {
  setObjectName(QStringLiteral("FullScreenView"));
  setStartColor(Qt::black);
  setEndColor(Qt::black);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  fMovieContainerView = new ZOpaqueView(this);
  fMovieContainerView->setObjectName(QStringLiteral("FullScreenMovieContainer"));
  fMovieContainerView->setStartColor(Qt::black);
  fMovieContainerView->setEndColor(Qt::black);
  fTitleBarView = new ZFullScreenTitleBarView(environment, this);
  fTitleBarView->hide();
  fBottomBarView = new ZFullScreenBottomBarView(environment, this);
  fBottomBarView->hide();
  const auto progressInfo = environment.skin ? environment.skin->progressBarFullScreenInfo()
                                             : std::optional<QVariantMap>();
  fProgressBarContainerView = new ZFullScreenProgressBarView(
      progressInfo, ZFullScreenProgressBarView::height(progressInfo), this);
  fProgressBarContainerView->hide();
  watchMouse(fMovieContainerView, true);
  fTimer.setSingleShot(true);
  fTimer.setInterval(kSecondsBeforeHideButtons * 1000);
  connect(&fTimer, &QTimer::timeout, this, &ZFullScreenView::hideTimerFired);
  fMouseLocation = [] { return QCursor::pos(); };
  layoutViews();
}

ZFullScreenView::~ZFullScreenView() { removeMovieView(); }

void ZFullScreenView::watchMouse(QWidget *widget, bool watch) {
  if (!widget) return;
  widget->setMouseTracking(watch);
  if (watch)
    widget->installEventFilter(this);
  else
    widget->removeEventFilter(this);
}

void ZFullScreenView::addMovieView(QWidget *movieView) {
  if (!movieView) return;
  fMovieView = movieView;
  fMovieViewHome = movieView->parentWidget();
  fMovieContainerView->setGeometry(rect());
  movieView->setParent(fMovieContainerView);
  movieView->setGeometry(fMovieContainerView->rect());
  movieView->show();
  watchMouse(movieView, true);
  if (ZMovieSlider *slider = fProgressBarContainerView->slider();
      slider && fEnvironment.movieController)
    fEnvironment.movieController->setFullScreenSlider(slider);
}

void ZFullScreenView::removeMovieView() {
  if (ZMovieSlider *slider = fProgressBarContainerView->slider()) slider->setAction({});
  if (fEnvironment.movieController && fMovieView) {
    fEnvironment.movieController->setFullScreenSlider(nullptr);
    fEnvironment.movieController->setFullScreenVolumeSlider(nullptr);
  }
  fTimer.stop();
  hideBarViews();
  showPointer();
  if (!fMovieView) return;
  watchMouse(fMovieView, false);
  fMovieView->setMouseTracking(false);
  if (fMovieView->parentWidget() == fMovieContainerView) fMovieView->setParent(fMovieViewHome);
  fMovieView = nullptr;
}

void ZFullScreenView::layoutViews() {
  const QRect movie = bars().layout(size());
  fMovieContainerView->setGeometry(fShowingBars ? movie : rect());
  if (fMovieView && fMovieView->parentWidget() == fMovieContainerView)
    fMovieView->setGeometry(fMovieContainerView->rect());
}

void ZFullScreenView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  layoutViews();
}

void ZFullScreenView::mouseDidMove() {
  // The pointer shows again as soon as it moves.
  showPointer();
  showBarViews();
}

void ZFullScreenView::showPointer() {
  unsetCursor();
  if (fMovieView) fMovieView->unsetCursor();
}

void ZFullScreenView::hidePointer() {
  // Set on the movie view as well: it may be a native window of its own,
  // which shows no cursor of its parents.
  setCursor(Qt::BlankCursor);
  if (fMovieView) fMovieView->setCursor(Qt::BlankCursor);
}

void ZFullScreenView::showBarViews() {
  if (fShowingBars) return;
  fShowingBars = true;
  layoutViews();
  bars().show(fMovieView);
  update();
  fTimer.start();
}

void ZFullScreenView::hideBarViews() {
  if (!fShowingBars) return;
  fShowingBars = false;
  layoutViews();
  bars().hide();
  // The keyboard stays with the view when a bar's control had it.
  setFocus(Qt::OtherFocusReason);
  update();
}

ZPlaybackBarSet ZFullScreenView::bars() const {
  return {fTitleBarView, fBottomBarView, fProgressBarContainerView};
}

void ZFullScreenView::hideTimerFired() {
  const QPoint mouse = mapFromGlobal(fMouseLocation());
  if (fMovieContainerView->geometry().contains(mouse)) {
    hideBarViews();
    hidePointer();
  } else {
    // Over a bar: the bars stay a while longer.
    fTimer.start();
  }
}

void ZFullScreenView::mouseMoveEvent(QMouseEvent *event) {
  mouseDidMove();
  ZOpaqueView::mouseMoveEvent(event);
}

bool ZFullScreenView::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::MouseMove) mouseDidMove();
  if (event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionLeaveFullScreen"));
    return true;
  }
  return ZOpaqueView::eventFilter(watched, event);
}

void ZFullScreenView::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionLeaveFullScreen"));
    event->accept();
    return;
  }
  if (ZPlaybackKeys::handleKey(*event, fEnvironment.movieController, true)) {
    event->accept();
    return;
  }
  ZOpaqueView::keyPressEvent(event);
}

// ---- ZFullScreenWindow -------------------------------------------------------------------

ZFullScreenWindow::ZFullScreenWindow(const ZPlaybackEnvironment &environment)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FullScreenWindow"));
  // A frame to assistive technology, as the main window is (set before
  // anything asks for its accessible interface).
  ZAccessibility::install();
  setProperty(ZAccessibility::FrameProperty, true);
  setWindowTitle(localized(QStringLiteral("fullScreenWindowTitle")));
  setAccessibleName(windowTitle());
  setAttribute(Qt::WA_DeleteOnClose);
  // Ready for the movie's native window before it is shown.
  ZOMovieView::makeOpenGLReady(this);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  fFullScreenView = new ZFullScreenView(environment, this);
  fFullScreenView->setGeometry(rect());
  setFocusProxy(fFullScreenView);
}

void ZFullScreenWindow::showOnScreen(QScreen *screen) {
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    // The native window is made first so that it opens on that screen.
    winId();
    if (QWindow *window = windowHandle()) window->setScreen(screen);
    setGeometry(screen->geometry());
  }
  showFullScreen();
}

bool ZFullScreenWindow::event(QEvent *event) {
  // Qt makes the native window anew when an OpenGL widget comes in after it
  // was shown, and the new one is not active: the keyboard would stay with
  // the main window below (Escape there stops the video). While it shows,
  // this window has the keyboard.
  if (event->type() == QEvent::WinIdChange && isVisible())
    QTimer::singleShot(0, this, [this] {
      if (isVisible()) activateWindow();
    });
  return QWidget::event(event);
}

void ZFullScreenWindow::dismiss() {
  fDismissed = true;
  close();
}

void ZFullScreenWindow::closeEvent(QCloseEvent *event) {
  if (fDismissed) {
    QWidget::closeEvent(event);
    return;
  }
  event->ignore();
  QTimer::singleShot(0, this, [] {
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionLeaveFullScreen"));
  });
}

void ZFullScreenWindow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  fFullScreenView->setGeometry(rect());
}
