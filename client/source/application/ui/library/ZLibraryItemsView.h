#pragma once

#include "ZLibraryBrowseListItems.h"
#include "ZLibraryPaintContext.h"
#include "ZLibraryViewEnvironment.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QMimeData;
class ZLibraryBrowseListModel;
class ZLibraryItemView;
class ZLibraryItemContainerView;
class ZLibraryItemVideoView;
class ZSkin;
class ZVideoRowControls;

// The library's rows as the user sees them: a group header for each group
// of the browse list followed, when the group is open, by its videos, as a
// grid of thumbnails (view type 0) or as detail rows (1). It is the visible
// part of the browse list view's scroll area: it lays every row out (a
// height each, no widgets) but draws, and makes controls for, only what is
// in sight, so a library of any size costs the same per frame.
//
// Mouse: a click selects (with Ctrl it adds to or takes from the
// selection), a double click plays, the right button opens the menu of the
// group or of the selected videos, a drag carries the videos to a playlist.
// Keys: the arrows move the selection (Left and Right by one, Up and Down by
// a row of the grid; on a group header Right opens and Left closes it),
// Home and End go to the first and last, Return plays, Delete removes after
// the confirmation, Space plays or pauses, the menu key opens the menu.
// Movie files dropped from the file manager are imported.
class ZLibraryItemsView : public QWidget {
  Q_OBJECT
 public:
  enum ViewType { ThumbnailView = 0, DetailsView = 1 };

  // Where the keyboard stands: a group header (video -1) or one video of a
  // video list.
  struct Position {
    int item = -1;
    int video = -1;
    bool operator==(const Position &) const = default;
  };

  explicit ZLibraryItemsView(const ZLibraryViewEnvironment &environment,
                             QWidget *parent = nullptr);
  ~ZLibraryItemsView() override;

  void setSkin(ZSkin *skin);
  ZSkin *skin() const { return fSkin; }

  // A new type reloads and posts "LibraryViewSwitchedToThumbnail" (0) or
  // "LibraryViewSwitchedToDetails" (1).
  void setViewType(int viewType);
  int viewType() const { return fViewType; }

  // Makes the rows again from the browse list's model and lays them out.
  void reload();
  ZLibraryBrowseListModel *model() const { return fModel; }
  int numItems() const;
  ZLibraryItemView *itemAt(int index) const;
  ZLibraryItemContainerView *containerViewAt(int index) const;
  ZLibraryItemVideoView *videoViewAt(int index) const;
  // The row's frame in view coordinates (scrolled).
  QRect itemFrame(int index) const;
  // The row under the point, -1 for none.
  int itemIndexAt(const QPoint &point) const;
  // The frame of a video (its cell or row), in view coordinates.
  QRect videoFrame(int item, int video) const;

  // The height of all rows at the current width, at least the visible height.
  int contentHeight() const;
  // The first row's top, in content coordinates, shown at the view's top.
  int scrollOffset() const { return fScrollOffset; }
  void setScrollOffset(int offset);

  // The keyboard's place; moving it selects what it lands on.
  Position currentPosition() const { return fCurrent; }
  void setCurrentPosition(const Position &position);

  // Actions on the selected videos.
  void playNow();
  void addToNowPlayingList() {}
  void saveOptions();
  void revealInFinder();
  // Removes the selected videos: from their playlists when browsing by
  // playlist, else from the library (after the confirmations).
  void remove();

  // What a drag from the last press carries: a group's videos, or the
  // selected ones; and the drag's data (the ids as ZDragTypes::videoIds(),
  // the first video's thumbnail as picture).
  QList<int> videoIdsToDrag() const;
  QMimeData *makeDragData(const QList<int> &videoIds, QImage *picture = nullptr);

  // How menus are shown (popped up at the point, by default); tests replace it.
  using MenuPresenter = std::function<void(QMenu *, const QPoint &)>;
  void setMenuPresenter(MenuPresenter presenter) { fMenuPresenter = std::move(presenter); }

  // The tool tip at a point: the whole title of the header or video there
  // (plain text; empty for nothing).
  QString toolTipAt(const QPoint &point) const;

  // Movie files among the paths (by extension, ignoring case).
  static QStringList moviePaths(const QStringList &paths);
  ZLibraryPaintContext &paintContext() { return fContext; }
  const ZLibraryViewEnvironment &environment() const { return fEnvironment; }
  ZVideoRowControls *rowControls() const { return fRowControls.get(); }

 signals:
  // The view type changed (0 thumbnails, 1 details).
  void viewTypeChanged(int viewType);
  // The rows were laid out again; the content height may have changed.
  void contentHeightChanged(int height);
  // The view wants its scroll offset to become this (to show the keyboard's place).
  void scrollRequested(int offset);
  // The rows were made again (the accessible children changed).
  void itemsReloaded();

 protected:
  bool event(QEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  // Its scroll area has the keyboard for it and hands the keys on.
  friend class ZLibraryBrowseListView;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;

 private:
  friend class ZLibraryItemsViewAccessible;

  std::unique_ptr<ZLibraryItemView> makeItemView(int row) const;
  void insertItems(int first, int last);
  void removeItems(int first, int last);
  void moveItems(int first, int last, int to);
  void refreshItems(int first, int last);
  // Rows were made, inserted or removed: laid out again, controls placed.
  void rowsReplaced();
  // Marks or selections changed: drawn again.
  void rowsChanged();
  void layoutItems();
  void ensureLayout() const;
  void setNeedsLayout();
  int firstItemAtOrBelow(int contentY) const;
  void observe();
  void popUpMenu(QMenu *menu, const QPoint &at);
  void showContextMenu(const QPoint &at, bool fromKeyboard);
  void startDrag();
  void moveCurrent(int key);
  void scrollToShow(const QRect &frame);
  void announceFocus();

  ZLibraryViewEnvironment fEnvironment;
  ZLibraryBrowseListModel *fModel = nullptr;
  ZSkin *fSkin = nullptr;
  ZLibraryPaintContext fContext;
  std::vector<std::unique_ptr<ZLibraryItemView>> fItems;
  std::vector<int> fTops;  // each row's top in content coordinates
  int fTotalHeight = 0;
  int fLayoutWidth = -1;
  mutable bool fNeedsLayout = false;
  unsigned fNumItems = 0;
  int fViewType = -1;
  int fScrollOffset = 0;
  Position fCurrent;
  // The last press, for drags: where, and on which row and video.
  QPoint fPressPoint;
  Position fPressed;
  bool fMayDrag = false;
  bool fNarrowOnRelease = false;
  std::unique_ptr<ZVideoRowControls> fRowControls;
  MenuPresenter fMenuPresenter;
};
