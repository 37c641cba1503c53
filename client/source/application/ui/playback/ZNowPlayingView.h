#pragma once

#include "ZView.h"

#include <QPointer>

// The playback area of the main window: the movie view between a title bar
// and the playback bars.
//
// For now the movie view alone, filling the area; the bars take their place
// around it. The main window hands over the movie view once and then starts
// and ends the display as playback begins and ends.
class ZNowPlayingView : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZNowPlayingView(QWidget *parent = nullptr);

  // The movie view (owned by the main window; it may live elsewhere, in full
  // screen, between exitDisplay and enterDisplay).
  void setMovieView(QWidget *movieView) { fThumbnailMovieView = movieView; }
  QWidget *movieView() const { return fThumbnailMovieView; }

  // Puts the movie view into the area and shows it (only when not shown).
  void enterDisplay();
  // Takes the movie view out again (only when shown); it goes back to the
  // parent it had before.
  void exitDisplay();
  bool inDisplay() const { return fInDisplay; }

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  QPointer<QWidget> fThumbnailMovieView;
  QPointer<QWidget> fMovieViewHome;  // where the movie view lives out of display
  bool fInDisplay = false;
};
