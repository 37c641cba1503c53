#include "ZFullScreenWindow.h"

#include "NotificationCenter.h"
#include "ZAccessibility.h"

#include <QKeyEvent>

ZFullScreenView::ZFullScreenView(QWidget *parent) : ZOpaqueView(parent) {
  setObjectName(QStringLiteral("FullScreenView"));
  setStartColor(Qt::black);
  setEndColor(Qt::black);
  setFocusPolicy(Qt::StrongFocus);
}

void ZFullScreenView::addMovieView(QWidget *movieView) {
  if (!movieView) return;
  fMovieView = movieView;
  fMovieViewHome = movieView->parentWidget();
  movieView->setParent(this);
  movieView->setGeometry(rect());
  movieView->show();
}

void ZFullScreenView::removeMovieView() {
  if (!fMovieView) return;
  if (fMovieView->parentWidget() == this) fMovieView->setParent(fMovieViewHome);
  fMovieView = nullptr;
}

void ZFullScreenView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  if (fMovieView && fMovieView->parentWidget() == this) fMovieView->setGeometry(rect());
}

void ZFullScreenView::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionLeaveFullScreen"));
    event->accept();
    return;
  }
  ZOpaqueView::keyPressEvent(event);
}

ZFullScreenWindow::ZFullScreenWindow(const QRect &frame)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("FullScreenWindow"));
  ZAccessibility::install();
  setProperty(ZAccessibility::FrameProperty, true);
  setAttribute(Qt::WA_DeleteOnClose);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  setGeometry(frame);
  fFullScreenView = new ZFullScreenView(this);
  fFullScreenView->setGeometry(rect());
  setFocusProxy(fFullScreenView);
}

void ZFullScreenWindow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  fFullScreenView->setGeometry(rect());
}
