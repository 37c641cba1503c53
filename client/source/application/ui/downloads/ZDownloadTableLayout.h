#pragma once

#include "ZSkin.h"

#include <QColor>
#include <QImage>
#include <QRectF>

// The sizes, colours and text styles of the downloads page, taken from the
// skin; a value the skin does not have keeps the built-in one.
struct ZDownloadTableMetrics {
  double headerHeight = 40;
  double rowHeight = 88;
  double margin = 12;  // left and right of the rows, and around a thumbnail
  double thumbnailWidth = 120;
  double connectionSpeedWidth = 120;
  double progressWidth = 266;
  double timeRemainingWidth = 130;
  double stopWidth = 26;
  double separatorHeight = 2;
  QColor background = QColor::fromRgbF(0.93359375, 0.9453125, 0.96484375);
  QColor background2 = QColor::fromRgbF(0.875, 0.88671875, 0.921875);
  QColor separator = QColor::fromRgbF(0.84765625, 0.88671875, 0.92578125);
  ZTextAttributes headerText;    // header titles, speed and time texts
  ZTextAttributes titleText;     // video titles, the empty-list message
  ZTextAttributes progressText;  // the percentage over a bar

  ZDownloadTableMetrics();
  static ZDownloadTableMetrics fromSkin(const ZSkin *skin);
};

// The pictures of the page, read once from the skin: the progress bar's six
// pieces, the thumbnail stand-in, and the row button's two looks, each as a
// two-part picture (at rest, pressed).
struct ZDownloadTableImages {
  QImage barLeftOff, barLeftOn, barBackgroundOff, barBackgroundOn, barRightOff, barRightOn;
  QImage defaultIcon;
  QImage stopButton, playButton;
  int stopButtonParts = 1, playButtonParts = 1;

  static ZDownloadTableImages fromSkin(const ZSkin *skin);
  // All six bar pieces are there (the bar is drawn only then).
  bool hasProgressBar() const;
};

// Where the cells of a row (or the header's titles) lie, in widget
// coordinates, for a width and height. From the right: the margin, then the
// stop, time-remaining, progress and connection-speed columns; from the left:
// the margin, the thumbnail column, 10 points, then the title up to the
// speed column. Cells stop above the row's separator line.
struct ZDownloadColumns {
  QRectF thumbnail, title, connectionSpeed, progress, timeRemaining, stop;
  QRectF separator;  // the line at the bottom, inset by the margin

  static ZDownloadColumns forRow(const ZDownloadTableMetrics &metrics, double width,
                                 double height);
};

// The pieces of a progress bar in its column: the caps 10 points inside the
// column's edges, the "on" stretch over the percentage of the room between
// them and the "off" stretch over the rest, all centred vertically.
struct ZProgressBarPieces {
  QRectF leftCap, on, off, rightCap;
  bool leftCapOn = false, rightCapOn = false;

  static ZProgressBarPieces forColumn(const QRectF &column, const ZDownloadTableImages &images,
                                      double percent, bool complete);
};
