#pragma once

#include "ZLibraryBrowseListItems.h"

#include <QRect>

class QPainter;

// One row of the items view, as laid out and drawn: a group header or a
// video list. These are painters, not widgets: the items view asks each for
// its height and has it draw itself into the part of the view it takes.
class ZLibraryItemView {
 public:
  virtual ~ZLibraryItemView() = default;

  // The browse-list row shown.
  virtual ZLibraryBrowseListItemPtr browseItem() const = 0;
  // The height the row takes at the width.
  virtual int heightForWidth(int width) const = 0;
  // Draws the row into the frame (view coordinates); only the exposed part
  // need be drawn.
  virtual void draw(QPainter &painter, const QRect &frame, const QRect &exposed) const = 0;
};
