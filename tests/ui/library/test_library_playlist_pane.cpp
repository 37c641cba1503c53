// The playlist pane: its name field with and without a selected playlist,
// renaming, the delete, play-all and clear buttons and where they sit, and
// the picture of an empty playlist.
#include "LibraryViewFixture.h"
#include "QtPrinters.h"
#include "ZControls.h"
#include "ZLibraryPlaylistContainerView.h"
#include "ZNowPlayingListTableView.h"

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QTest>

class PlaylistPaneTest : public LibraryViewTest {
 protected:
  ZLibraryPlaylistContainerView &pane() {
    if (!fPane) {
      fPane = std::make_unique<ZLibraryPlaylistContainerView>(environment());
      fPane->resize(176, 500);
      fPane->show();
      QApplication::setActiveWindow(fPane.get());
    }
    return *fPane;
  }
  void TearDown() override {
    fPane.reset();
    LibraryViewTest::TearDown();
  }
  std::unique_ptr<ZLibraryPlaylistContainerView> fPane;
};

TEST_F(PlaylistPaneTest, WithoutAPlaylistTheNameFieldHidesAndDeleteDoesNothing) {
  ZLibraryPlaylistContainerView &view = pane();
  EXPECT_TRUE(view.nameField()->isHidden());
  EXPECT_TRUE(view.nameField()->text().isEmpty());
  EXPECT_FALSE(view.displayNameField()->isHidden());
  view.deleteCurrentPlaylist();
  QTest::mouseClick(view.deleteButton(), Qt::LeftButton);
  EXPECT_TRUE(fDialogs->asked().isEmpty());

  db().saveNewPlaylist("Road Trip", std::nullopt);
  fPlaylists->rebuild();
  fPlaylists->selectPlaylist("road trip");
  EXPECT_FALSE(view.nameField()->isHidden());
  EXPECT_EQ(view.nameField()->text(), "Road Trip");
  EXPECT_TRUE(view.displayNameField()->isHidden());
}

TEST_F(PlaylistPaneTest, RenamingKeepsNamesUniqueAndEndsEditing) {
  db().saveNewPlaylist("Mix", std::nullopt);
  db().saveNewPlaylist("Road Trip", std::nullopt);
  fPlaylists->rebuild();
  fPlaylists->selectPlaylist("Road Trip");
  ZLibraryPlaylistContainerView &view = pane();
  view.nameField()->setFocus();
  EXPECT_EQ(view.nameField()->palette().color(QPalette::Text), QColor(Qt::black));
  view.nameField()->setText("  Mix ");
  QTest::keyClick(view.nameField(), Qt::Key_Return);
  QCoreApplication::processEvents();  // the end-editing notification
  EXPECT_EQ(fPlaylists->selectedPlaylistName(), "Mix (2)");
  EXPECT_EQ(view.nameField()->text(), "Mix (2)");
  EXPECT_FALSE(view.nameField()->hasFocus());
  EXPECT_EQ(view.nameField()->palette().color(QPalette::Text), QColor(Qt::white));
  // An empty name changes nothing.
  view.nameField()->setText("   ");
  view.nameChanged();
  QCoreApplication::processEvents();
  EXPECT_EQ(fPlaylists->selectedPlaylistName(), "Mix (2)");
}

TEST_F(PlaylistPaneTest, DeleteAsksPlayAllPlaysAndClearEmpties) {
  const int a = addLibraryVideo({"A"});
  const int b = addLibraryVideo({"B"});
  db().saveNewPlaylist("Mix", QList<int>{b, a});
  fPlaylists->rebuild();
  fPlaylists->selectPlaylist("Mix");
  NotificationRecorder recorder({"ActionStartPlayingNewVideoList"});
  ZLibraryPlaylistContainerView &view = pane();

  QTest::mouseClick(view.playAllButton(), Qt::LeftButton);
  EXPECT_EQ(fNowPlaying->videoList(), (QList<int>{b, a}));
  EXPECT_EQ(recorder.names(), QStringList{"ActionStartPlayingNewVideoList"});

  QTest::mouseClick(view.clearButton(), Qt::LeftButton);
  EXPECT_EQ(fPlaylists->countOfVideosInSelectedPlaylist(), 0);
  EXPECT_TRUE(fDialogs->asked().isEmpty());  // no confirmation for clearing

  // Play all on an empty playlist empties the now-playing list and posts nothing.
  recorder.clear();
  QTest::mouseClick(view.playAllButton(), Qt::LeftButton);
  EXPECT_TRUE(fNowPlaying->videoList().isEmpty());
  EXPECT_EQ(fNowPlaying->indexOfCurrentlyPlayingVideo(), -1);
  EXPECT_TRUE(recorder.names().isEmpty());

  // Delete: "DeleteDialog" with Yes / No; No keeps the playlist.
  QTest::mouseClick(view.deleteButton(), Qt::LeftButton);
  ASSERT_EQ(fDialogs->asked().size(), 1);
  EXPECT_TRUE(fDialogs->asked().first().startsWith("confirmation "));
  EXPECT_EQ(fPlaylists->count(), 1);
  fDialogs->setAnswer("confirmation", "1");
  QTest::mouseClick(view.deleteButton(), Qt::LeftButton);
  EXPECT_EQ(fPlaylists->count(), 0);
  EXPECT_TRUE(view.nameField()->isHidden());
}

TEST_F(PlaylistPaneTest, ButtonsSitWhereTheSkinSays) {
  ZLibraryPlaylistContainerView &view = pane();
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const QSize pane = view.size();
  // The delete button in the top right corner, 2 in from both edges.
  EXPECT_EQ(view.deleteButton()->geometry().topRight(), QPoint(pane.width() - 3, 2));
  // Play all: right edge at "XPos" from the left, top "YPos" above the bottom;
  // clear: right edge at the width less "XPos".
  const QVariantMap playAll = *skin->playlistPlayAllButtonInfo();
  const QVariantMap clear = *skin->playlistClearButtonInfo();
  const QRect play = view.playAllButton()->geometry();
  EXPECT_EQ(play.right() + 1, playAll.value("XPos").toInt());
  EXPECT_EQ(play.top(), pane.height() - playAll.value("YPos").toInt());
  const QImage playImage = playAll.value("Image").value<QImage>();
  EXPECT_EQ(play.width(), int(std::ceil(playImage.deviceIndependentSize().width() /
                                        playAll.value("states").toInt())));
  EXPECT_EQ(view.clearButton()->geometry().right() + 1, pane.width() - clear.value("XPos").toInt());
  // The list from the name field down to the bottom bar.
  const int bar = int(skin->playlistBottomButtonBarImage().deviceIndependentSize().height());
  EXPECT_EQ(view.listViewContainer()->geometry(),
            QRect(0, view.nameField()->geometry().bottom() + 1, pane.width(),
                  pane.height() - bar - view.nameField()->geometry().bottom() - 1));
}

TEST_F(PlaylistPaneTest, AnEmptyPlaylistShowsTheDragPicture) {
  db().saveNewPlaylist("Empty", std::nullopt);
  fPlaylists->rebuild();
  fPlaylists->selectPlaylist("Empty");
  ZLibraryPlaylistContainerView &view = pane();
  QListView *table = view.listView()->tableView();
  const QImage drawn = table->viewport()->grab().toImage();
  const QImage picture = ZSkinManager::sharedSkinManager().getCurrentSkin()->playlistDragImage();
  const QSize size = picture.deviceIndependentSize().toSize();
  const QPoint at((drawn.width() - size.width() + 1) / 2, (drawn.height() - size.height() + 1) / 2);
  // The picture's middle is where it should be.
  EXPECT_EQ(drawn.pixelColor(at + QPoint(size.width() / 2, size.height() / 2)),
            picture.pixelColor(picture.width() / 2, picture.height() / 2));
}

// The side list's rows are as wide as the pane: no sideways scrolling, and a
// long title is cut at the pane's edge, whatever width the pane had before
// and whether or not the rows need the vertical scroll bar.
TEST_F(PlaylistPaneTest, TheSideListsRowsFitThePaneWithoutScrollingSideways) {
  QList<int> videos{addLibraryVideo(
      {.title = QString(2000, QLatin1Char('W')), .description = QString(2000, QLatin1Char('d'))})};
  for (int i = 0; i < 11; ++i) videos.append(addLibraryVideo({.title = QString::number(i)}));
  db().saveNewPlaylist("Road Trip", videos);
  fPlaylists->rebuild();
  fPlaylists->selectPlaylist("Road Trip");
  ZLibraryPlaylistContainerView &view = pane();
  QListView *table = view.listView()->tableView();
  for (const QSize size : {QSize(176, 500), QSize(900, 500), QSize(176, 2000), QSize(176, 500)}) {
    SCOPED_TRACE(size.width() * 10000 + size.height());
    view.resize(size);
    QCoreApplication::processEvents();
    ASSERT_EQ(table->model()->rowCount(), 12);
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    EXPECT_EQ(table->horizontalScrollBar()->maximum(), 0);
    for (int row = 0; row < 12; ++row) {
      const QRect cell = table->visualRect(table->model()->index(row, 0));
      EXPECT_EQ(cell.left(), 0);
      EXPECT_LE(cell.right(), table->viewport()->width() - 1) << row;
    }
  }
}
