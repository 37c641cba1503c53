// The library's rows: how the grid and the detail rows are laid out, what a
// click, a double click, the keys, the menus, a drag and a drop do, and what
// the rows show for odd titles and broken thumbnails.
#include "LibraryViewFixture.h"
#include "QtPrinters.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemContainerView.h"
#include "ZLibraryItemVideoView.h"
#include "ZLibraryBrowseListModel.h"
#include "ZLibraryItemsView.h"
#include "ZDragTypes.h"
#include "ZControls.h"
#include "ZVideoRowControls.h"
#include "ZLibraryActions.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <sqlite3.h>

class LibraryItemsTest : public LibraryViewTest {
 protected:
  void SetUp() override {
    LibraryViewTest::SetUp();
    defaults().setBool(false, QStringLiteral("LibraryPlaylistVisible"));
    fRecorder = std::make_unique<NotificationRecorder>(QStringList{
        "ActionStartPlayingNewVideoList", "ActionResumeVideoPlayback", "ActionImportVideos",
        "ActionFindOnZaro", "ActionRevealVideosInFinder", "ActionPlayVideo", "ActionPauseVideo",
        "ActionRemoveSelectedVideosFromLibrary"});
  }
  void TearDown() override {
    fRecorder.reset();
    LibraryViewTest::TearDown();
  }

  // A shown container whose rows are `width` wide.
  ZLibraryItemsView &show(int browseBy, int width = 600, int height = 700) {
    ZLibraryViewContainer &container = makeContainer(browseBy, QSize(width, height + 22));
    container.show();
    QCoreApplication::processEvents();
    items().setMenuPresenter([this](QMenu *menu, const QPoint &) { fMenu = menu; });
    return items();
  }
  ZLibraryItemsView &items() { return *fContainer->itemsView(); }

  void click(int item, int video, Qt::KeyboardModifiers modifiers = {},
             Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(&items(), button, modifiers, items().videoFrame(item, video).center());
  }
  void doubleClick(int item, int video) {
    QTest::mouseDClick(&items(), Qt::LeftButton, {}, items().videoFrame(item, video).center());
  }
  QStringList menuTitles() const {
    QStringList titles;
    if (fMenu)
      for (QAction *action : fMenu->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return titles;
  }
  void chooseFromMenu(const QString &title) {
    ASSERT_TRUE(fMenu);
    for (QAction *action : fMenu->actions())
      if (action->text() == title) return action->trigger();
    FAIL() << "no menu item " << title.toStdString();
  }
  QList<int> selectedIds() const { return fBrowseList->selectedVideoIds(); }

  std::unique_ptr<NotificationRecorder> fRecorder;
  QPointer<QMenu> fMenu;
};

TEST_F(LibraryItemsTest, GridOf600WithItemWidth260HasTwoColumnsAndRowsOfDetails) {
  for (int i = 0; i < 5; ++i) addLibraryVideo({QStringLiteral("Video %1").arg(i)});
  ZLibraryItemsView &view = show(0, 600);
  ASSERT_EQ(view.numItems(), 1);  // all videos: one list, no header
  EXPECT_EQ(view.width(), 600);
  // 3 rows: 3 x 90 + 20 + 2 x 4.
  EXPECT_EQ(view.itemFrame(0).height(), 298);
  EXPECT_EQ(view.videoViewAt(0)->columnsForWidth(600), 2);
  // The 80 left over is shared out: half a share before the first column.
  EXPECT_EQ(view.videoFrame(0, 0), QRect(20, 20, 260, 90));
  EXPECT_EQ(view.videoFrame(0, 1), QRect(320, 20, 260, 90));
  EXPECT_EQ(view.videoFrame(0, 4), QRect(20, 20 + 2 * 94, 260, 90));

  fContainer->switchToDetailsView();
  EXPECT_EQ(view.itemFrame(0).height(), 560);  // 5 x 112
  EXPECT_EQ(view.videoFrame(0, 3), QRect(0, 336, 600, 112));
  // Narrower than one item: still one column.
  EXPECT_EQ(view.videoViewAt(0)->columnsForWidth(100), 1);
}

TEST_F(LibraryItemsTest, ClicksSelectAndDoubleClickPlaysTheSelection) {
  const int a = addLibraryVideo({"A", "Studio"});
  const int b = addLibraryVideo({"B", "Studio"});
  const int c = addLibraryVideo({"C", "Studio"});
  ZLibraryItemsView &view = show(1);
  ASSERT_EQ(view.numItems(), 2);  // the publisher's header and its videos
  ASSERT_TRUE(view.containerViewAt(0));

  click(1, 1);
  EXPECT_EQ(selectedIds(), QList<int>{b});
  click(1, 2, Qt::ControlModifier);
  EXPECT_EQ(selectedIds(), (QList<int>{b, c}));
  click(1, 1, Qt::ControlModifier);
  EXPECT_EQ(selectedIds(), QList<int>{c});
  click(1, 0, Qt::ControlModifier);
  EXPECT_EQ(selectedIds(), (QList<int>{a, c}));
  // A press on one of them keeps them all (for a drag); the release without
  // a drag leaves it alone.
  QTest::mousePress(&items(), Qt::LeftButton, {}, items().videoFrame(1, 0).center());
  EXPECT_EQ(selectedIds(), (QList<int>{a, c}));
  QTest::mouseRelease(&items(), Qt::LeftButton, {}, items().videoFrame(1, 0).center());
  EXPECT_EQ(selectedIds(), (QList<int>{a}));

  doubleClick(1, 1);
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>{b});
  EXPECT_EQ(fRecorder->names(), QStringList{"ActionStartPlayingNewVideoList"});

  // The header's body selects the group with its videos.
  click(0, -1);
  EXPECT_TRUE(fBrowseList->selectedContainers().size() == 1);
  EXPECT_EQ(selectedIds(), (QList<int>{a, b, c}));
  // A click on nothing clears the selection.
  fContainer->switchToDetailsView();
  QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(10, view.height() - 5));
  EXPECT_TRUE(selectedIds().isEmpty());
}

TEST_F(LibraryItemsTest, HeaderArrowOpensAndClosesAndOptionsShowTheMenu) {
  addLibraryVideo({"A", "Studio"});
  addLibraryVideo({"B", "Other"});
  ZLibraryItemsView &view = show(1);
  ASSERT_EQ(view.numItems(), 4);
  ZLibraryItemContainerView *header = view.containerViewAt(0);
  QTest::mouseClick(&view, Qt::LeftButton, {}, header->arrowRect(view.itemFrame(0)).center());
  EXPECT_EQ(view.numItems(), 3);  // its videos went
  EXPECT_FALSE(view.containerViewAt(0)->open());
  EXPECT_TRUE(view.containerViewAt(0)->selected());
  QTest::mouseClick(&view, Qt::LeftButton, {},
                    view.containerViewAt(0)->arrowRect(view.itemFrame(0)).center());
  EXPECT_EQ(view.numItems(), 4);

  QTest::mouseClick(&view, Qt::LeftButton, {},
                    view.containerViewAt(2)->optionsRect(view.itemFrame(2)).center());
  EXPECT_EQ(fBrowseList->selectedContainers().size(), 1);
  EXPECT_EQ(menuTitles(),
            (QStringList{"Play All", "-", "Mark as Saved", "Mark as Not Saved", "-", "Mark as New",
                         "Mark as Viewed", "-", "Find on Zaro", "-", "Expand All", "Collapse All",
                         "-", "Remove"}));
  chooseFromMenu("Collapse All");
  EXPECT_EQ(view.numItems(), 2);
  chooseFromMenu("Expand All");
  EXPECT_EQ(view.numItems(), 4);
}

TEST_F(LibraryItemsTest, VideoMenuOffersWhatChangesTheSelection) {
  const int a = addLibraryVideo({"A", "", "", Qt::red, 60, "", "perma-a"});
  const int b = addLibraryVideo({"B"});
  db().setSaved(true, b);
  ZLibraryItemsView &view = show(0);
  const struct {
    QList<int> select;
    QStringList titles;
  } cases[] = {
      {{0},
       {"Play", "Resume Playback", "-", "Mark as Saved", "-", "Mark as Viewed", "-", "Find on Zaro",
        "Show in File Manager", "-", "Remove from Library"}},
      {{1},
       {"Play", "Resume Playback", "-", "Mark as Not Saved", "-", "Mark as Viewed", "-",
        "Find on Zaro", "Show in File Manager", "-", "Remove from Library"}},
      {{0, 1},
       {"Play All", "Resume Playback", "-", "Mark as Saved", "Mark as Not Saved", "-", "Mark as New",
        "Mark as Viewed", "-", "Find on Zaro", "Show in File Manager", "-",
        "Remove from Library"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.select));
    fBrowseList->unselectAll();
    for (const int index : c.select) click(0, index, Qt::ControlModifier);
    // A right click on a selected video keeps the selection.
    click(0, c.select.first(), {}, Qt::RightButton);
    EXPECT_EQ(menuTitles(), c.titles);
  }
  // A right click on a video not selected selects it alone.
  click(0, 0);
  click(0, 1, {}, Qt::RightButton);
  EXPECT_EQ(selectedIds(), QList<int>{b});

  click(0, 0);
  click(0, 0, {}, Qt::RightButton);
  chooseFromMenu("Mark as Saved");
  EXPECT_TRUE(db().savedStateForVideoId(a));
  click(0, 0, {}, Qt::RightButton);
  chooseFromMenu("Mark as Viewed");
  EXPECT_FALSE(db().getVideoInfo(a)->value("DATE_VIEWED").isEmpty());
  click(0, 0, {}, Qt::RightButton);
  chooseFromMenu("Resume Playback");
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>{a});
  EXPECT_EQ(fNowPlaying->indexOfCurrentlyPlayingVideo(), 0);
  click(0, 0, {}, Qt::RightButton);
  chooseFromMenu("Find on Zaro");
  click(0, 0, {}, Qt::RightButton);
  chooseFromMenu("Show in File Manager");
  ASSERT_EQ(fRecorder->names(), (QStringList{"ActionResumeVideoPlayback", "ActionFindOnZaro",
                                             "ActionRevealVideosInFinder"}));
  EXPECT_EQ(fRecorder->seen()[1].object.toList(), QVariantList{a});
}

TEST_F(LibraryItemsTest, RemovingAsksAndDeletesFilesOnlyWhenTheUserSaysSo) {
  const int a = addLibraryVideo({"A"});
  const int b = addLibraryVideo({"B"});
  const QString fileA = db().getVideoInfo(a)->value("PATH");
  const QString thumbA = db().getVideoInfo(a)->value("IMAGE_PATH");
  const QString fileB = db().getVideoInfo(b)->value("PATH");
  ZLibraryItemsView &view = show(0);

  // Cancelled: nothing changes.
  click(0, 0);
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(fDialogs->asked(), QStringList{"deleteVideo "});
  EXPECT_TRUE(db().getVideoInfo(a));

  // Confirmed without the delete-from-disk box: the row goes, the file stays.
  fDialogs->setAnswer("deleteVideo", "1");
  click(0, 0, {}, Qt::RightButton);
  chooseFromMenu("Remove from Library");
  EXPECT_FALSE(db().getVideoInfo(a));
  EXPECT_TRUE(QFile::exists(fileA));
  EXPECT_TRUE(QFile::exists(thumbA));

  // With the box ticked the movie file and its thumbnail go too.
  fDialogs->setAnswer("deleteFromDisk", "1");
  ASSERT_EQ(view.videoViewAt(0)->count(), 1);
  click(0, 0);
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_FALSE(db().getVideoInfo(b));
  EXPECT_FALSE(QFile::exists(fileB));
}

// Files go only with their rows: when the library file is read-only the
// rows stay, so every file stays, and the user is told.
TEST_F(LibraryItemsTest, RemovingFromAReadOnlyLibraryKeepsTheFilesAndSaysSo) {
  const int a = addLibraryVideo({"A"});
  const QString file = db().getVideoInfo(a)->value("PATH");
  const QString thumb = db().getVideoInfo(a)->value("IMAGE_PATH");
  ZLibraryItemsView &view = show(0);
  ReadOnlyFile readOnly(dbPath());
  if (!readOnly.ok()) GTEST_SKIP() << "the library file cannot be made read-only here";
  EXPECT_FALSE(db().executeSQL("SELECT * FROM NoSuchTable;"));  // drops the open connection
  fDialogs->setAnswer("deleteVideo", "1");
  fDialogs->setAnswer("deleteFromDisk", "1");
  click(0, 0);
  QTest::keyClick(&view, Qt::Key_Delete);
  ASSERT_EQ(fDialogs->asked().size(), 2);
  EXPECT_EQ(fDialogs->asked().at(0), "deleteVideo ");
  EXPECT_TRUE(fDialogs->asked().at(1).startsWith(
      "alert Videos Not Removed: The videos could not be removed"))
      << fDialogs->asked().at(1).toStdString();
  EXPECT_TRUE(QFile::exists(file));
  EXPECT_TRUE(QFile::exists(thumb));
  EXPECT_TRUE(db().getVideoInfo(a));
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "1");
  EXPECT_EQ(view.videoViewAt(0)->count(), 1);
}

// A library that another program keeps locked for writing: the deletion waits
// its six tries, then the player ends with the "locked" alert before any
// file was touched.
using LibraryItemsDeathTest = LibraryItemsTest;
TEST_F(LibraryItemsDeathTest, RemovingFromALockedLibraryEndsBeforeAnyFileGoes) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const int a = addLibraryVideo({"A"});
  const QString file = db().getVideoInfo(a)->value("PATH");
  const QString thumb = db().getVideoInfo(a)->value("IMAGE_PATH");
  const QString log = fRoot + "/alerts.log";
  Dialogs::setShared(std::make_unique<ScriptedDialogs>("deleteVideo=1,deleteFromDisk=1", log));
  sqlite3 *holder = nullptr;
  ASSERT_EQ(sqlite3_open(dbPath().toUtf8().constData(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr), SQLITE_OK);
  const ZLibraryActions actions(environment());
  EXPECT_EXIT(actions.removeFromLibrary({a}), ::testing::ExitedWithCode(255), "");
  sqlite3_exec(holder, "ROLLBACK;", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_TRUE(QFile::exists(file));
  EXPECT_TRUE(QFile::exists(thumb));
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "1");
  EXPECT_TRUE(
      TestEnvironment::readFile(log).contains("alert The Zaro Client library database is locked."));
}

TEST_F(LibraryItemsTest, BrowsingByPlaylistRemovesFromThePlaylistOnly) {
  const int a = addLibraryVideo({"A"});
  const int b = addLibraryVideo({"B"});
  db().saveNewPlaylist("Mix", QList<int>{a, b, a});
  fPlaylists->rebuild();
  fDialogs->setAnswer("confirmation", "1");
  fDialogs->setAnswer("deleteVideo", "1");
  ZLibraryItemsView &view = show(6);
  ASSERT_EQ(view.numItems(), 2);
  click(1, 0);  // the first A
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_TRUE(fDialogs->asked().first().startsWith("confirmation"));
  EXPECT_EQ(db().getPlaylistEntries(db().getIdForPlaylist("Mix")), QList<int>{b});
  EXPECT_TRUE(db().getVideoInfo(a));

  // The group's own remove empties the playlist; the videos stay.
  click(0, -1, {}, Qt::RightButton);
  chooseFromMenu("Remove");
  EXPECT_TRUE(db().getPlaylistEntries(db().getIdForPlaylist("Mix")).isEmpty());
  EXPECT_TRUE(db().getVideoInfo(b));
}

TEST_F(LibraryItemsTest, DroppedFilesImportOnlyTheMovies) {
  ZLibraryItemsView &view = show(0);
  const QString text = fRoot + "/notes.txt", movie = fRoot + "/Holiday.MP4";
  writeFile(text);
  writeFile(movie);
  const auto drop = [&](const QStringList &paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&view, &dropped);
    return dropped.isAccepted();
  };
  EXPECT_FALSE(drop({text}));
  EXPECT_TRUE(fRecorder->names().isEmpty());
  EXPECT_TRUE(drop({text, movie}));
  ASSERT_EQ(fRecorder->names(), QStringList{"ActionImportVideos"});
  EXPECT_EQ(fRecorder->seen().first().object.toStringList(), QStringList{movie});
}

TEST_F(LibraryItemsTest, DragsCarryTheGroupsOrTheSelectedVideos) {
  const int a = addLibraryVideo({"A", "Studio"});
  const int b = addLibraryVideo({"B", "Studio"});
  addLibraryVideo({"C", "Studio"});
  ZLibraryItemsView &view = show(1);
  click(0, -1);
  EXPECT_EQ(view.videoIdsToDrag().size(), 3);
  click(1, 0);
  click(1, 1, Qt::ControlModifier);
  EXPECT_EQ(view.videoIdsToDrag(), (QList<int>{a, b}));
  std::unique_ptr<QMimeData> data(view.makeDragData({a, b}));
  EXPECT_EQ(ZDragTypes::decode(data->data(ZDragTypes::videoIds())), (QList<int>{a, b}));
  EXPECT_TRUE(data->hasImage());
}

TEST_F(LibraryItemsTest, KeysMoveTheSelectionPlayRemoveAndToggle) {
  QList<int> ids;
  for (const char *title : {"A", "B", "C", "D", "E"}) ids << addLibraryVideo({title, "Studio"});
  ZLibraryItemsView &view = show(1, 600);  // two columns
  view.setFocus();
  const auto selected = [&] { return fBrowseList->selectedVideoIds(); };
  QTest::keyClick(&view, Qt::Key_Down);  // the header
  EXPECT_EQ(view.currentPosition(), (ZLibraryItemsView::Position{0, -1}));
  QTest::keyClick(&view, Qt::Key_Down);
  EXPECT_EQ(selected(), QList<int>{ids[0]});
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(selected(), QList<int>{ids[1]});
  QTest::keyClick(&view, Qt::Key_Down);  // a row down: D
  EXPECT_EQ(selected(), QList<int>{ids[3]});
  QTest::keyClick(&view, Qt::Key_Down);  // the short last row
  EXPECT_EQ(selected(), QList<int>{ids[4]});
  QTest::keyClick(&view, Qt::Key_Up);
  EXPECT_EQ(selected(), QList<int>{ids[2]});
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>{ids[2]});
  // Space plays the selection as Return does while nothing plays, and
  // pauses what plays.
  QTest::keyClick(&view, Qt::Key_Space);
  fNowPlaying->setVideoPlaying(true);
  QTest::keyClick(&view, Qt::Key_Space);
  QTest::keyClick(&view, Qt::Key_Delete);  // answered "cancel"
  EXPECT_EQ(fRecorder->names(),
            (QStringList{"ActionStartPlayingNewVideoList", "ActionStartPlayingNewVideoList",
                         "ActionPauseVideo"}));
  EXPECT_EQ(fDialogs->asked(), QStringList{"deleteVideo "});

  // On the header Left closes the group and Right opens it.
  QTest::keyClick(&view, Qt::Key_Home);
  QTest::keyClick(&view, Qt::Key_Left);
  EXPECT_EQ(view.numItems(), 1);
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(view.numItems(), 2);
  QTest::keyClick(&view, Qt::Key_End);
  EXPECT_EQ(selected(), QList<int>{ids[4]});
}

TEST_F(LibraryItemsTest, DetailRowsGetControlsOnlyWhileInSight) {
  for (int i = 0; i < 60; ++i)
    addLibraryVideo({QStringLiteral("Video %1").arg(i, 3, 10, QChar('0')), "", "", QColor()});
  defaults().setInteger(1, QStringLiteral("LibraryActiveView"));
  ZLibraryItemsView &view = show(0, 600, 500);
  auto *controls = view.rowControls();
  const int inSight = 500 / 112 + 2;
  EXPECT_LE(controls->shownRows().size(), inSight);
  EXPECT_EQ(controls->shownRows().first()->index, 0);
  fContainer->browseListView()->verticalScrollBar()->setValue(112 * 40);
  ASSERT_FALSE(controls->shownRows().isEmpty());
  EXPECT_EQ(controls->shownRows().first()->index, 40);
  EXPECT_LE(controls->shownRows().size(), inSight);
  // Each control sits in its row.
  for (const auto *row : controls->shownRows())
    EXPECT_TRUE(view.videoFrame(row->item, row->index).contains(row->play->geometry()));
  fContainer->switchToThumbnailView();
  EXPECT_TRUE(controls->shownRows().isEmpty());
}

TEST_F(LibraryItemsTest, ANewVideoIsOneMoreRowWithItsPublisher) {
  addLibraryVideo({"A", "Old Studio"});
  ZLibraryItemsView &view = show(0);
  ZLibraryItemVideoView *list = view.videoViewAt(0);
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(view.paintContext().publisherName(*db().getVideoInfo(list->item()->videoAtIndex(0)->videoId())),
            "Old Studio");
  QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
  QSignalSpy inserted(view.model(), &QAbstractItemModel::rowsInserted);
  const int b = addLibraryVideo({"B", "Newcomer"});
  EXPECT_EQ(resets.count(), 0);
  ASSERT_EQ(inserted.count(), 1);  // one video row in the list
  EXPECT_TRUE(inserted.first().at(0).value<QModelIndex>().isValid());
  ASSERT_EQ(view.numItems(), 1);
  EXPECT_EQ(view.videoViewAt(0)->count(), 2);
  EXPECT_EQ(view.itemFrame(0).height(), 90 + 20);  // still one row of the grid
  EXPECT_EQ(view.paintContext().publisherName(*db().getVideoInfo(b)), "Newcomer");
}
