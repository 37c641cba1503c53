#include "ZNowPlayingView.h"

#include "Localization.h"
#include "NotificationCenter.h"
#include "ZMovieSlider.h"
#include "ZOQTMovieController.h"
#include "ZSkin.h"

#include <QMouseEvent>

#include <cmath>

// ---- ZInlineMovieView --------------------------------------------------------------------

ZInlineMovieView::ZInlineMovieView(QWidget *parent) : ZOpaqueView(parent) {
  setObjectName(QStringLiteral("InlineMovieView"));
  setStartColor(Qt::black);
  setEndColor(Qt::black);
  setAccessibleName(localized(QStringLiteral("moviePlayWindowMovie")));
}

void ZInlineMovieView::setMovieView(QWidget *movieView) {
  fMovieView = movieView;
  if (!movieView) return;
  movieView->setParent(this);
  movieView->setGeometry(rect());
  movieView->show();
}

void ZInlineMovieView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  if (fMovieView && fMovieView->parentWidget() == this)
    fMovieView->setGeometry(rect().adjusted(0, 0, -int(fShrinkDelta), 0));
}

void ZInlineMovieView::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return ZOpaqueView::mouseDoubleClickEvent(event);
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionEnterFullScreen"));
}

// ---- ZNowPlayingView ---------------------------------------------------------------------

ZNowPlayingView::ZNowPlayingView(const ZPlaybackEnvironment &environment, QWidget *parent)
    : ZOpaqueView(parent), fEnvironment(environment) {
  setObjectName(QStringLiteral("NowPlayingView"));
  setStartColor(Qt::black);
  setEndColor(Qt::black);
  // It takes the keyboard when shown and when the movie is clicked, so that
  // the playback keys reach the window.
  setFocusPolicy(Qt::ClickFocus);
  setAccessibleName(localized(QStringLiteral("moviePlayWindowMovie")));
  fNowPlayingMovieViewContainer = new ZInlineMovieView(this);
  fNowPlayingMovieViewContainer->hide();
  fTitleBarView = new ZPlaybackTitleBarView(environment, this);
  fTitleBarView->hide();
  const auto progressInfo =
      environment.skin ? environment.skin->progressBarInfo() : std::optional<QVariantMap>();
  double progressHeight =
      environment.skin ? environment.skin->inlineFullScreenMiddleImage().deviceIndependentSize().height()
                       : 0;
  if (progressHeight <= 0) progressHeight = ZFullScreenProgressBarView::height(progressInfo);
  fProgressBarContainerView = new ZFullScreenProgressBarView(progressInfo, progressHeight, this);
  fProgressBarContainerView->hide();
  fBottomBarView = new ZPlaybackBottomBarView(environment, this);
  fBottomBarView->hide();
}

ZNowPlayingView::~ZNowPlayingView() {
  // The controller keeps no pointer to a slider that goes.
  if (fInDisplay && fEnvironment.movieController) fEnvironment.movieController->setInlineSlider(nullptr);
}

void ZNowPlayingView::layoutBars() {
  fNowPlayingMovieViewContainer->setGeometry(bars().layout(size()));
}

void ZNowPlayingView::enterDisplay() {
  if (fInDisplay) return;
  layoutBars();
  fNowPlayingMovieViewContainer->show();
  if (fThumbnailMovieView) {
    if (fThumbnailMovieView->parentWidget() != fNowPlayingMovieViewContainer)
      fMovieViewHome = fThumbnailMovieView->parentWidget();
    fNowPlayingMovieViewContainer->setMovieView(fThumbnailMovieView);
  }
  if (ZMovieSlider *slider = fProgressBarContainerView->slider();
      slider && fEnvironment.movieController) {
    ZOQTMovieController *movie = fEnvironment.movieController;
    slider->setAction([movie](double seconds) { movie->scrubberChanged(seconds); });
    movie->setInlineSlider(slider);
  }
  bars().show(fThumbnailMovieView);
  fInDisplay = true;
}

void ZNowPlayingView::exitDisplay() {
  if (!fInDisplay) return;
  if (ZMovieSlider *slider = fProgressBarContainerView->slider()) slider->setAction({});
  if (fEnvironment.movieController) fEnvironment.movieController->setInlineSlider(nullptr);
  if (fThumbnailMovieView && fThumbnailMovieView->parentWidget() == fNowPlayingMovieViewContainer)
    fThumbnailMovieView->setParent(fMovieViewHome);
  fNowPlayingMovieViewContainer->setMovieView(nullptr);
  fNowPlayingMovieViewContainer->hide();
  bars().hide();
  fInDisplay = false;
}

ZPlaybackBarSet ZNowPlayingView::bars() const {
  return {fTitleBarView, fBottomBarView, fProgressBarContainerView};
}

void ZNowPlayingView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  layoutBars();
}
