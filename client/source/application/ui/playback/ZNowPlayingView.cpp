#include "ZNowPlayingView.h"

ZNowPlayingView::ZNowPlayingView(QWidget *parent) : ZOpaqueView(parent) {
  setObjectName(QStringLiteral("NowPlayingView"));
  setStartColor(Qt::black);
  setEndColor(Qt::black);
}

void ZNowPlayingView::enterDisplay() {
  if (fInDisplay) return;
  fInDisplay = true;
  if (!fThumbnailMovieView) return;
  fMovieViewHome = fThumbnailMovieView->parentWidget();
  fThumbnailMovieView->setParent(this);
  fThumbnailMovieView->setGeometry(rect());
  fThumbnailMovieView->show();
}

void ZNowPlayingView::exitDisplay() {
  if (!fInDisplay) return;
  fInDisplay = false;
  if (!fThumbnailMovieView || fThumbnailMovieView->parentWidget() != this) return;
  fThumbnailMovieView->setParent(fMovieViewHome);
}

void ZNowPlayingView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  if (fInDisplay && fThumbnailMovieView && fThumbnailMovieView->parentWidget() == this)
    fThumbnailMovieView->setGeometry(rect());
}
