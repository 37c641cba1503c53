#pragma once

#include "ZLibraryViewEnvironment.h"

#include <QWidget>

class ZSkin;

// The library's rows as the user sees them: a group header for each group
// of the browse list followed, when the group is open, by its videos, as a
// grid of thumbnails (view type 0) or as detail rows (1). It is the visible
// part of the browse list view's scroll area: it lays all rows out but
// paints, and makes controls for, only those in sight, so a library of any
// size costs the same per frame.
class ZLibraryItemsView : public QWidget {
  Q_OBJECT
 public:
  enum ViewType { ThumbnailView = 0, DetailsView = 1 };

  explicit ZLibraryItemsView(const ZLibraryViewEnvironment &environment,
                             QWidget *parent = nullptr);
  ~ZLibraryItemsView() override;

  void setSkin(ZSkin *skin);
  ZSkin *skin() const { return fSkin; }

  // A new type reloads and posts "LibraryViewSwitchedToThumbnail" (0) or
  // "LibraryViewSwitchedToDetails" (1).
  void setViewType(int viewType);
  int viewType() const { return fViewType; }

  // Lays the browse list's rows out again.
  void reload();
  int numItems() const { return int(fNumItems); }

  // The height of all rows at the current width, at least the visible height.
  int contentHeight() const;
  // The first row's top, in content coordinates, shown at the view's top.
  int scrollOffset() const { return fScrollOffset; }
  void setScrollOffset(int offset);

 signals:
  // The view type changed (0 thumbnails, 1 details).
  void viewTypeChanged(int viewType);
  // The rows were laid out again; the content height may have changed.
  void contentHeightChanged(int height);

 private:
  ZLibraryViewEnvironment fEnvironment;
  ZSkin *fSkin = nullptr;
  unsigned fNumItems = 0;
  int fViewType = -1;
  int fScrollOffset = 0;
};
