#pragma once

#include "ZLibraryViewEnvironment.h"
#include "ZView.h"

class ZLibraryBrowseListView;
class ZLibraryItemsView;
class ZLibraryPlaylistContainerView;
class ZLibrarySortBarView;
class ZSkin;

// The library view of the main window: at the top of its content the sort
// bar, below it the browse list's rows, and at the right, while shown, the
// playlist pane (176 wide).
class ZLibraryViewContainer : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZLibraryViewContainer(
      const ZLibraryViewEnvironment &environment = ZLibraryViewEnvironment::shared(),
      QWidget *parent = nullptr);
  ~ZLibraryViewContainer() override;

  // The skin the view draws with (the current skin at creation).
  void setSkin(ZSkin *skin);

  // The playlist pane at the right, or the content across the whole width.
  void showPlaylist();
  void hidePlaylist();
  bool playlistShown() const { return fPlaylistShown; }

  // Room kept free at the right of the content, left of the playlist pane
  // (the main window's details pane stands there); 0 by default.
  void setContentRightInset(int inset);
  int contentRightInset() const { return fContentRightInset; }

  // Thumbnails or detail rows; stored in "LibraryActiveView" (0, 1).
  void switchToThumbnailView();
  void switchToDetailsView();
  int currentViewType() const { return fCurrentViewType; }

  // The container has been put into the main window: the view type stored in
  // "LibraryActiveView" and the playlist visibility of
  // "LibraryPlaylistVisible" are shown.
  void viewAddedToWindow();

  QWidget *contentView() const { return fLibraryContentView; }
  ZLibraryBrowseListView *browseListView() const { return fThumbnailView; }
  ZLibraryItemsView *itemsView() const { return fLibraryItemsView; }
  ZLibrarySortBarView *sortBarView() const { return fLibrarySortBarView; }
  ZLibraryPlaylistContainerView *playlistContainerView() const {
    return fLibraryPlaylistContainerView;
  }

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void switchToViewType(int viewType);
  void layoutSubviews();
  bool sortBarShown() const;

  ZLibraryViewEnvironment fEnvironment;
  QWidget *fLibraryContentView = nullptr;
  ZLibrarySortBarView *fLibrarySortBarView = nullptr;
  ZLibraryBrowseListView *fThumbnailView = nullptr;
  ZLibraryItemsView *fLibraryItemsView = nullptr;
  ZLibraryPlaylistContainerView *fLibraryPlaylistContainerView = nullptr;
  int fCurrentViewType = -1;
  bool fPlaylistShown = false;
  int fContentRightInset = 0;
};
