#pragma once

#include "ZLibraryItemView.h"
#include "ZLibraryViewEnvironment.h"
#include "ZVideoItemUI.h"

#include <QList>
#include <QPoint>

class QMenu;
class QWidget;
class ZLibraryPaintContext;

// The videos of one group (or of the whole library) as a grid of thumbnails
// (view type 0) or as detail rows (1). Only the videos inside the exposed
// part are laid out and drawn, so a list of any length costs the same.
class ZLibraryItemVideoView : public ZLibraryItemView {
 public:
  // initWithItem:at:width:viewType:
  ZLibraryItemVideoView(const ZLibraryViewEnvironment &environment, ZLibraryPaintContext &context,
                        const ZLibraryBrowseListVideoListItemPtr &item, int viewType);

  ZLibraryBrowseListVideoListItemPtr item() const { return fItem; }
  ZLibraryBrowseListItemPtr browseItem() const override { return fItem; }
  int viewType() const { return fViewType; }
  int count() const { return fItem ? fItem->count() : 0; }

  // Thumbnails: columns = floor(width / item width), at least 1; the height
  // is rows x item height + the gradient band + (rows - 1) x cell spacing.
  // Details: videos x row height.
  int heightForWidth(int width) const override;
  int columnsForWidth(int width) const;
  void draw(QPainter &painter, const QRect &frame, const QRect &exposed) const override;

  // The video at the index laid out in the frame.
  ZVideoItemUI videoItemUI(int index, const QRect &frame) const;
  // The indexes of the videos whose cells meet the rectangle (in order).
  QList<int> indexesIn(const QRect &frame, const QRect &area) const;
  // The video under the point, -1 for none.
  int indexAt(const QRect &frame, const QPoint &point) const;

  // A press on the video: with `toggle` its selection flips; otherwise it
  // becomes the only selected video unless it is selected already.
  void mouseDown(int index, bool toggle);
  // A right click: the video is selected when it is not yet.
  void rightMouseDown(int index);

  // The context menu for the selection, its items wired to the actions.
  QMenu *makeContextMenu(QWidget *parent);

  // Actions, on the selection of the browse list unless an index is given.
  void playNow();
  void resumeVideoPlayback();
  void playFromDetailsView(int index);
  void ratingChanged(int index, int rating);
  void markSaved();
  void markUnsaved();
  void markNew();
  void markViewed();
  void findOnZaro();
  void revealInFinder();
  void saveToggle(int index);
  // Posts "ActionRemoveSelectedVideosFromLibrary" (the items view removes).
  void remove();

 private:
  void drawThumbnailArea(QPainter &painter, const ZVideoItemUI &ui, const VideoInfo &info) const;
  void drawGridCell(QPainter &painter, const ZVideoItemUI &ui) const;
  void drawDetailsRow(QPainter &painter, const ZVideoItemUI &ui, const QRect &frame) const;

  ZLibraryViewEnvironment fEnvironment;
  ZLibraryPaintContext &fContext;
  ZLibraryBrowseListVideoListItemPtr fItem;
  int fViewType;
};
