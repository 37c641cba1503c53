// The side list of the playback window: rows of the selected playlist, the
// context menu's titles and validation, its actions, and drops (its own rows,
// library videos, and rows dragged from another list).
#include "LibraryFixture.h"
#include "ZNowPlayingListDataSource.h"
#include "ZNowPlayingListTableView.h"
#include "ZPlaylistDataSource.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>

class NowPlayingViewTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    fVideo["A"] = addVideo("A", "perma-a");
    for (const char *title : {"B", "C", "D"}) fVideo[title] = addVideo(title);
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fList = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, db());
    fView = std::make_unique<ZNowPlayingListTableView>(*fPlaylists, *fList, db());
    db().saveNewPlaylist("Mix", ids("BAC"));
    fPlaylists->selectPlaylist("Mix");
    fRecorder = std::make_unique<NotificationRecorder>(
        QStringList{"ActionStartPlayingNewVideoList", "ActionResumeVideoPlayback",
                    "ActionFindOnZaro", "ActionRevealVideosInFinder"});
  }
  void TearDown() override {
    fRecorder.reset();
    fView.reset();
    fList.reset();
    fPlaylists.reset();
    LibraryTest::TearDown();
  }

  QList<int> ids(const QString &letters) const {
    QList<int> out;
    for (const QChar c : letters) out.append(fVideo.value(QString(c)));
    return out;
  }
  QString letters(const QList<int> &list) const {
    QString out;
    for (int id : list) out += fVideo.key(id, QStringLiteral("?"));
    return out;
  }
  QString rows() const {
    QString out;
    for (int r = 0; r < fView->model()->rowCount(); ++r)
      out += fView->model()->index(r).data().toString();
    return out;
  }

  QHash<QString, int> fVideo;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fList;
  std::unique_ptr<ZNowPlayingListTableView> fView;
  std::unique_ptr<NotificationRecorder> fRecorder;
};

TEST_F(NowPlayingViewTest, RowsAreTheSelectedPlaylistAndTheMenuFollowsTheSelection) {
  EXPECT_EQ(rows(), "BAC");
  const struct {
    QList<int> selected;
    const char *playTitle;
    bool play, resume, find, reveal, remove;
  } cases[] = {
      {{}, "Play", false, false, false, false, false},
      {{0}, "Play", true, true, false, true, true},  // B: no permalink
      {{1}, "Play", true, true, true, true, true},   // A has one
      {{0, 2}, "Play All", true, false, false, true, true},
      {{0, 1}, "Play All", true, false, true, true, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.selected));
    fView->selectRows(c.selected);
    EXPECT_EQ(fView->menuItem(ZNowPlayingListTableView::PlayTag)->text(), c.playTitle);
    EXPECT_EQ(fView->validateMenuItem(ZNowPlayingListTableView::PlayTag), c.play);
    EXPECT_EQ(fView->validateMenuItem(ZNowPlayingListTableView::ResumeTag), c.resume);
    EXPECT_EQ(fView->validateMenuItem(ZNowPlayingListTableView::FindOnZaroTag), c.find);
    EXPECT_EQ(fView->validateMenuItem(ZNowPlayingListTableView::RevealTag), c.reveal);
    EXPECT_EQ(fView->validateMenuItem(ZNowPlayingListTableView::RemoveTag), c.remove);
    EXPECT_FALSE(fView->validateMenuItem(9));
  }
  // Another playlist: nothing selected, its rows shown.
  db().saveNewPlaylist("Other", ids("D"));
  fView->selectRows({0});
  fPlaylists->selectPlaylist("Other");
  EXPECT_EQ(rows(), "D");
  EXPECT_TRUE(fView->selectedRows().isEmpty());
}

TEST_F(NowPlayingViewTest, ActionsFillTheNowPlayingListAndPostTheirRequests) {
  fView->selectRows({1, 2});
  fView->playVideo();
  EXPECT_EQ(letters(fList->videoList()), "BAC");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 1);
  EXPECT_EQ(fRecorder->names(), QStringList({"ActionStartPlayingNewVideoList"}));

  fRecorder->clear();
  fView->resumeVideoPlayback();  // two rows selected: nothing
  EXPECT_TRUE(fRecorder->names().isEmpty());
  fView->selectRows({2});
  fView->resumeVideoPlayback();
  EXPECT_EQ(letters(fList->videoList()), "C");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 0);
  EXPECT_EQ(fRecorder->names(), QStringList({"ActionResumeVideoPlayback"}));

  fRecorder->clear();
  fView->selectRows({0, 1});
  fView->findOnZaro();
  fView->revealInFinder();
  ASSERT_EQ(fRecorder->seen().size(), 2);
  for (const Notification &note : fRecorder->seen())
    EXPECT_EQ(note.object.toList(), QVariantList({fVideo["B"], fVideo["A"]}))
        << note.name.toStdString();

  fView->remove();
  EXPECT_EQ(rows(), "C");
  EXPECT_EQ(letters(db().getPlaylistEntries(fPlaylists->selectedPlaylistId())), "C");
}

// A drop that does not come from this table (another window, another running
// player) brings the dragged videos by their library ids, even when the drag
// also carries row indexes: those rows are another list's. Ids the library
// does not have are left out.
TEST_F(NowPlayingViewTest, RowsDraggedFromElsewhereBringTheirVideosInsteadOfMovingRows) {
  fView->resize(300, 400);
  fView->show();
  QListView *table = fView->tableView();
  ASSERT_EQ(rows(), "BAC");
  QCoreApplication::processEvents();
  // The middle of the second row: the videos go in before it.
  const QPoint at = table->visualRect(fView->model()->index(1)).center();
  // As a drag from outside arrives: it enters the table, then drops on it.
  const auto dropOnTable = [&](const QMimeData &data) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &drop);
    EXPECT_NE(drop.source(), table);
  };

  const struct {
    const char *name;
    QList<int> rows;
    QList<int> videos;
    const char *after;
  } cases[] = {
      {"rows with their videos", {0, 2}, ids("D"), "BDAC"},
      {"rows without videos", {0, 2}, {}, "BDAC"},
      {"videos the library lacks", {1}, {fVideo["A"], 999999, -1}, "BADAC"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    QMimeData dragged;
    dragged.setData(ZDragTypes::nowPlayingListRows(), ZDragTypes::encode(c.rows));
    if (!c.videos.isEmpty()) dragged.setData(ZDragTypes::videoIds(), ZDragTypes::encode(c.videos));
    dropOnTable(dragged);
    EXPECT_EQ(rows(), c.after);
    EXPECT_EQ(letters(db().getPlaylistEntries(fPlaylists->selectedPlaylistId())), c.after);
  }

  // Rows dragged out of this table carry their videos too, for other lists.
  std::unique_ptr<QMimeData> own(fView->model()->mimeData({fView->model()->index(2)}));
  EXPECT_EQ(ZDragTypes::decode(own->data(ZDragTypes::videoIds())), ids("D"));
}
