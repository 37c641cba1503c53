// The now-playing list against a real library and playlist model: its own
// operations, following the selected playlist, and videos deleted from the
// library.
#include "LibraryFixture.h"
#include "ModelWatch.h"
#include "ZDragTypes.h"
#include "ZModelRoles.h"
#include "ZNowPlayingListDataSource.h"
#include "ZNowPlayingListModel.h"
#include "ZPlaylistDataSource.h"

#include <QMimeData>

#include <functional>

class NowPlayingListTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    for (const char *title : {"A", "B", "C", "D", "E"}) fVideo[title] = addVideo(title);
    // The playlist model first: the list reads it after it has reloaded.
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fRecorder = std::make_unique<NotificationRecorder>(
        QStringList{"NowPlayingListVideosAdded", "NowPlayingListCurrentVideoChanged",
                    "NowPlaylistPlaylistChanged"});
    fList = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, db());
  }
  void TearDown() override {
    fList.reset();
    fRecorder.reset();
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
  QString listed() const {
    QString out;
    for (int i = 0; i < fList->count(); ++i) out += fVideo.key(*fList->videoIdAtIndex(i), "?");
    return out;
  }

  QHash<QString, int> fVideo;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<NotificationRecorder> fRecorder;
  std::unique_ptr<ZNowPlayingListDataSource> fList;
};

TEST_F(NowPlayingListTest, StartsEmptyAndTakesTheVideosItIsGiven) {
  EXPECT_EQ(fRecorder->names(), QStringList({"NowPlayingListVideosAdded"}));
  EXPECT_EQ(fList->count(), 0);
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), -1);
  EXPECT_EQ(fList->titleOfCurrentlyPlayingVideo(), "");
  EXPECT_FALSE(fList->titleOfCurrentlyPlayingVideo().isNull());
  EXPECT_EQ(fList->idOfCurrentlyPlayingVideo(), -1);

  fRecorder->clear();
  fList->setVideos(ids("BCD"));
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 0);
  EXPECT_EQ(fList->titleOfCurrentlyPlayingVideo(), "B");
  EXPECT_EQ(fList->idOfCurrentlyPlayingVideo(), fVideo["B"]);
  EXPECT_EQ(fList->videoInfoAtIndex(2)->value("TITLE"), "D");
  EXPECT_FALSE(fList->videoIdAtIndex(3).has_value());
  EXPECT_FALSE(fList->videoIdAtIndex(-1).has_value());
  fList->setVideos({});
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), -1);
  EXPECT_TRUE(fRecorder->names().isEmpty());  // setting videos posts nothing

  fList->setVideos(ids("BCD"));
  const struct { int index, stored; } cases[] = {{2, 2}, {-5, -1}, {3, -1}, {0, 0}};
  for (const auto &c : cases) {
    fRecorder->clear();
    fList->setIndexOfCurrentlyPlayingVideo(c.index);
    EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), c.stored) << c.index;
    EXPECT_EQ(fRecorder->names(), QStringList({"NowPlayingListCurrentVideoChanged"}));
  }

  fList->setVideoPlaying(true);
  EXPECT_TRUE(fList->videoPlaying());
}

TEST_F(NowPlayingListTest, FollowsTheSelectedPlaylistAndKeepsTheIndexNumber) {
  db().saveNewPlaylist("First", ids("ABC"));
  db().saveNewPlaylist("Second", ids("DE"));
  fPlaylists->selectPlaylist("First");
  EXPECT_EQ(listed(), "ABC");
  EXPECT_EQ(fList->selectedPlaylistId(), fPlaylists->selectedPlaylistId());
  fList->setIndexOfCurrentlyPlayingVideo(1);

  fRecorder->clear();
  fPlaylists->selectPlaylist("Second");
  EXPECT_EQ(listed(), "DE");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 1);  // the number is kept
  EXPECT_TRUE(fRecorder->names().contains("NowPlaylistPlaylistChanged"));

  // Edits of the followed playlist come in; edits of another one do not.
  fPlaylists->addVideoIds(ids("A"), 0);
  EXPECT_EQ(listed(), "ADE");
  const int first = db().getIdForPlaylist("First");
  fRecorder->clear();
  db().setVideos(ids("C"), first);
  EXPECT_EQ(listed(), "ADE");
  EXPECT_EQ(fRecorder->names(), QStringList({"NowPlaylistPlaylistChanged"}));

  // Given videos are kept until another playlist is selected: a new
  // playlist in the list or a deleted video does not replace them.
  fList->setVideos(ids("BCE"));
  db().saveNewPlaylist("Third", ids("A"));
  EXPECT_EQ(listed(), "BCE");
  fPlaylists->selectPlaylist("First");
  EXPECT_EQ(listed(), "C");
}

TEST_F(NowPlayingListTest, VideosDeletedFromTheLibraryLeaveTheList) {
  // A playlist is selected, but the list plays videos it was given.
  db().saveNewPlaylist("Selected", ids("EA"));
  fPlaylists->selectPlaylist("Selected");
  fList->setVideos(ids("ABCDE"));
  fList->setIndexOfCurrentlyPlayingVideo(2);
  fRecorder->clear();
  db().deleteVideosWithIds(ids("A"));  // before the current one: the number stays
  EXPECT_EQ(listed(), "BCDE");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 2);
  EXPECT_EQ(fList->titleOfCurrentlyPlayingVideo(), "D");
  EXPECT_FALSE(fRecorder->names().contains("NowPlayingListCurrentVideoChanged"));

  db().deleteVideosWithIds(ids("D"));  // the current one: the one before it
  EXPECT_EQ(listed(), "BCE");
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 1);
  fList->setIndexOfCurrentlyPlayingVideo(0);
  db().deleteVideosWithIds(ids("B"));  // the first and current: none
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), -1);
  EXPECT_EQ(listed(), "CE");
}

// However the list shrinks, its index names one of its entries (or none): a
// number past the end becomes the last entry.
TEST_F(NowPlayingListTest, TheIndexStaysInsideAListThatShrinks) {
  db().saveNewPlaylist("Long", ids("ABCDE"));
  db().saveNewPlaylist("Short", ids("CD"));
  const struct {
    const char *name;
    std::function<void()> change;
    const char *listed;
    int index;
  } cases[] = {
      {"a shorter playlist selected", [&] { fPlaylists->selectPlaylist("Short"); }, "CD", 1},
      {"the followed playlist cut short",
       [&] { db().setVideos(ids("B"), db().getIdForPlaylist("Long")); }, "B", 0},
      {"videos before the last and current one deleted",
       [&] { db().deleteVideosWithIds(ids("AB")); }, "CDE", 2},
      {"all but the current one deleted", [&] { db().deleteVideosWithIds(ids("ABCD")); }, "E", 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fPlaylists->selectPlaylist("Long");
    for (const char *title : {"A", "B", "C", "D", "E"})
      if (!db().getVideoInfo(fVideo[title])) fVideo[title] = addVideo(title);
    db().setVideos(ids("ABCDE"), db().getIdForPlaylist("Long"));
    fList->setVideos(ids("ABCDE"));
    fList->setIndexOfCurrentlyPlayingVideo(4);
    c.change();
    EXPECT_EQ(listed(), c.listed);
    EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), c.index);
    EXPECT_TRUE(fList->infoOfCurrentlyPlayingVideo().has_value());
  }
}

// The list as an item model, watched by QAbstractItemModelTester: its rows
// and current mark follow every change without a reset.
TEST_F(NowPlayingListTest, TheModelFollowsTheListRowByRow) {
  ZNowPlayingListModel model(*fList, db());
  ModelWatch watch(&model);
  const auto rows = [&] {
    QString out;
    for (int r = 0; r < model.rowCount(); ++r) {
      out += model.index(r, 0).data().toString();
      if (model.index(r, 0).data(ZModelRoles::CurrentRole).toBool()) out += "*";
    }
    return out;
  };
  db().saveNewPlaylist("Mix", ids("ABC"));
  db().saveNewPlaylist("Other", ids("ABCDE"));

  const struct {
    const char *name;
    std::function<void()> change;
    const char *rows;
    QStringList expected;
  } steps[] = {
      {"play now", [&] { fList->setVideos(ids("BCD")); }, "B*CD", {"insert 0..2"}},
      {"the next video", [&] { fList->setIndexOfCurrentlyPlayingVideo(2); }, "BCD*", {}},
      {"the current video deleted",
       [&] { db().deleteVideosWithIds(ids("D")); },
       "BC*",
       {"remove 2..2"}},
      {"a playlist selected", [&] { fPlaylists->selectPlaylist("Other"); }, "AB*CE", {"*"}},
      {"no current video", [&] { fList->setIndexOfCurrentlyPlayingVideo(-5); }, "ABCE", {}},
  };
  for (const auto &step : steps) {
    SCOPED_TRACE(step.name);
    watch.clear();
    step.change();
    EXPECT_EQ(rows(), step.rows);
    if (step.expected != QStringList{"*"}) EXPECT_EQ(watch.structural(), step.expected);
    EXPECT_FALSE(watch.events().contains("reset"));
  }
  EXPECT_EQ(model.index(0, 0).data(ZModelRoles::VideoIdRole).toInt(), fVideo["A"]);
  std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(1, 0)}));
  EXPECT_EQ(ZDragTypes::decode(dragged->data(ZDragTypes::videoIds())), ids("B"));
  EXPECT_TRUE(watch.complaints().isEmpty()) << watch.complaints().join('\n').toStdString();
}
