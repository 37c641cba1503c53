#pragma once

#include "ZView.h"

#include <QPointer>

// Full screen: a borderless black window over the first screen whose content
// is a ZFullScreenView holding the movie view.
//
// For now the movie view alone, filling the screen, and Escape to leave; the
// title and control bars that show when the mouse moves take their place.

class ZFullScreenView : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZFullScreenView(QWidget *parent = nullptr);

  // Takes the movie view in, filling the view; removeMovieView gives it back
  // to the parent it had.
  void addMovieView(QWidget *movieView);
  void removeMovieView();
  QWidget *movieView() const { return fMovieView; }

 protected:
  void resizeEvent(QResizeEvent *event) override;
  // Escape posts "ActionLeaveFullScreen"; other keys go the usual way.
  void keyPressEvent(QKeyEvent *event) override;

 private:
  QPointer<QWidget> fMovieView;
  QPointer<QWidget> fMovieViewHome;
};

class ZFullScreenWindow : public QWidget {
  Q_OBJECT
 public:
  // Over the frame (a screen's; an empty frame without a screen).
  explicit ZFullScreenWindow(const QRect &frame);
  ZFullScreenView *fullScreenView() const { return fFullScreenView; }

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  ZFullScreenView *fFullScreenView;
};
