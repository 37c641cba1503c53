#pragma once

#include "ZSkin.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>

// Everything the library's rows are drawn and laid out with, read once from
// a skin. Without a skin, or for a value the skin does not have, the
// player's built-in defaults stand.
//
// The rows' places are fixed in pixels, as the skin's sizes are; so are its
// font sizes, which the skin's own platform counts in points of one pixel
// each: a skin font of size 12 is drawn 12 pixels high (inPixels).
struct ZLibraryLook {
  static ZLibraryLook fromSkin(const ZSkin *skin);
  static ZTextAttributes inPixels(const ZTextAttributes &attributes);

  // Group headers.
  int headerHeight = 30;
  ZTextAttributes headerText;
  QList<QColor> headerColorsSelected, headerColorsOpen, headerColorsClose;
  QImage upDownImage;     // two halves: open, closed
  QImage optionsImage;    // the pop-up menu's sign at the right
  QImage newCountImage;   // the badge behind the count of new videos

  // Video lists, both view types.
  int thumbnailBorder = 3;
  QImage videoNewImage;
  QImage defaultIcon;  // stands in for a missing thumbnail
  ZTextAttributes titleInDetails;

  // Thumbnail grid.
  int itemWidth = 260;
  int itemHeight = 90;
  int cellSpacing = 4;
  int gradientHeight = 20;
  QColor gradientStart = Qt::white, gradientEnd = Qt::white;
  QRect thumbnailRect{4, 4, 134, 80};  // in a cell
  QImage thumbnailSelectedBackground;
  ZTextAttributes gridTitle, gridPublisher, gridDuration, gridDateAdded;

  // Detail rows.
  int rowHeight = 112;
  QRect detailsThumbnailRect{12, 12, 130, 76};  // in a row
  QImage detailsSelectedBackground;
  QImage thumbShadow;
  ZTextAttributes detailsLabel, detailsValue, detailsDescription;
  QColor separatorColor;
  QImage playImage, saveImage, dontSaveImage;
  QSize rateCellSize{34, 16};  // one cell of the rating widget

 private:
  static ZLibraryLook readSkin(const ZSkin *skin);
};
