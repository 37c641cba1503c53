// The library view container: where the sort bar, the rows and the playlist
// pane go, and the view type and playlist visibility it shows and stores.
#include "LibraryViewFixture.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryPlaylistContainerView.h"
#include "ZLibrarySortBarView.h"

using LibraryContainerTest = LibraryViewTest;

TEST_F(LibraryContainerTest, PlaylistPaneTakesTheRightEdgeAndTheSortBarTheTop) {
  UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("LibraryPlaylistVisible"));
  ZLibraryViewContainer &container = makeContainer(0, QSize(800, 600));
  EXPECT_EQ(container.playlistContainerView()->geometry(), QRect(624, 0, 176, 600));
  EXPECT_EQ(container.contentView()->geometry(), QRect(0, 0, 624, 600));
  EXPECT_FALSE(container.sortBarView()->isHidden());
  EXPECT_EQ(container.sortBarView()->geometry(), QRect(0, 0, 624, 22));
  EXPECT_EQ(container.browseListView()->geometry(), QRect(0, 22, 624, 578));

  container.hidePlaylist();
  EXPECT_TRUE(container.playlistContainerView()->isHidden());
  EXPECT_EQ(container.browseListView()->geometry(), QRect(0, 22, 800, 578));
}

TEST_F(LibraryContainerTest, BrowsingByPlaylistHidesTheSortBar) {
  ZLibraryViewContainer &container = makeContainer(6);
  EXPECT_TRUE(container.sortBarView()->isHidden());
  EXPECT_EQ(container.browseListView()->geometry().top(), 0);
}

TEST_F(LibraryContainerTest, ViewTypeIsStoredAndAnnounced) {
  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  defaults.setInteger(1, QStringLiteral("LibraryActiveView"));
  NotificationRecorder recorder(
      {QStringLiteral("LibraryViewSwitchedToThumbnail"), QStringLiteral("LibraryViewSwitchedToDetails")});
  ZLibraryViewContainer &container = makeContainer();
  EXPECT_EQ(container.currentViewType(), 1);
  EXPECT_EQ(container.itemsView()->viewType(), 1);
  container.switchToThumbnailView();
  container.switchToThumbnailView();  // no change: nothing posted
  EXPECT_EQ(defaults.integerForKey(QStringLiteral("LibraryActiveView")), 0);
  EXPECT_EQ(recorder.names(),
            (QStringList{"LibraryViewSwitchedToDetails", "LibraryViewSwitchedToThumbnail"}));
}
