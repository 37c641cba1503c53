#pragma once

#include "ZPlaybackBars.h"
#include "ZView.h"

#include <QPointer>

// The container of the movie view in the playback area: black, the movie
// view filling it (mpv keeps the picture's aspect inside). A double click
// asks for full screen.
class ZInlineMovieView : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZInlineMovieView(QWidget *parent = nullptr);
  void setMovieView(QWidget *movieView);
  QWidget *movieView() const { return fMovieView; }

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;

 private:
  QPointer<QWidget> fMovieView;
  double fShrinkDelta = 0;
};

// The playback area of the main window: the title bar at the top, the
// control bar at the bottom with the progress bar right above it, and the
// movie between them. The main window hands over the movie view once and
// starts and ends the display as playback begins and ends (and as the
// movie view goes to full screen and comes back).
class ZNowPlayingView : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZNowPlayingView(const ZPlaybackEnvironment &environment, QWidget *parent = nullptr);
  ~ZNowPlayingView() override;

  // The movie view (owned by the main window; it may live elsewhere, in full
  // screen, between exitDisplay and enterDisplay).
  void setMovieView(QWidget *movieView) { fThumbnailMovieView = movieView; }
  QWidget *movieView() const { return fThumbnailMovieView; }

  // Lays out and shows the bars and the movie (only when not in display);
  // the progress bar's slider becomes the movie controller's inline one.
  void enterDisplay();
  // Hides them again and gives the movie view back to the parent it had
  // (only when in display).
  void exitDisplay();
  bool inDisplay() const { return fInDisplay; }

  ZPlaybackTitleBarView *titleBarView() const { return fTitleBarView; }
  ZPlaybackBottomBarView *bottomBarView() const { return fBottomBarView; }
  ZFullScreenProgressBarView *progressBarView() const { return fProgressBarContainerView; }
  ZInlineMovieView *movieContainer() const { return fNowPlayingMovieViewContainer; }

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void layoutBars();
  ZPlaybackBarSet bars() const;

  ZPlaybackEnvironment fEnvironment;
  ZInlineMovieView *fNowPlayingMovieViewContainer = nullptr;
  QPointer<QWidget> fThumbnailMovieView;
  QPointer<QWidget> fMovieViewHome;  // where the movie view lives out of display
  ZFullScreenProgressBarView *fProgressBarContainerView = nullptr;
  ZPlaybackTitleBarView *fTitleBarView = nullptr;
  ZPlaybackBottomBarView *fBottomBarView = nullptr;
  bool fInDisplay = false;
};
