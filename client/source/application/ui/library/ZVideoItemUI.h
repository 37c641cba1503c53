#pragma once

#include "ZLibraryBrowseListItems.h"

#include <QRect>

// Where one video of a video list goes, worked out by the list for a frame:
// the cell (thumbnail grid) or row (details) the video takes, its thumbnail
// background and, in detail rows, the places of its play button, rating
// widget and save button.
struct ZVideoItemUI {
  int index = -1;  // in the list
  ZLibraryBrowseListVideoItemPtr video;
  QRect itemRect;
  QRect thumbnailBackgroundRect;
  // The thumbnail itself: the background less 28 at its right, inset by the
  // thumbnail border.
  QRect thumbnailRect;
  QRect playButtonFrame;
  QRect rateButtonFrame;
  QRect saveButtonFrame;
};
