// The shared playlist model: list, selection, naming and the edits of the
// selected playlist, against a real library.

#include "LibraryFixture.h"
#include "LibraryUtilities.h"
#include "Localization.h"
#include "QtPrinters.h"
#include "ZPlaylistDataSource.h"

namespace {

const QStringList kModelNotifications = {"PlaylistDataSourceListRebuilt",
                                         "PlaylistDataSourceListSelectionChanged",
                                         "PlaylistDataSourceListEntriesChanged"};

}  // namespace

class PlaylistModelTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    for (const char *title : {"A", "B", "C", "D", "E"}) fVideo[title] = addVideo(title);
    fModel = std::make_unique<ZPlaylistDataSource>(db());
  }
  void TearDown() override {
    fModel.reset();
    LibraryTest::TearDown();
  }

  ZPlaylistDataSource &model() { return *fModel; }

  // A playlist of the named videos ("ABA"), selected.
  int selectNew(const QString &name, const QString &letters) {
    QList<int> ids;
    for (const QChar c : letters) ids.append(fVideo.value(QString(c)));
    db().saveNewPlaylist(name, ids);
    model().selectPlaylist(name);
    return model().selectedPlaylistId();
  }

  // The selected playlist as letters, as the model holds it and as stored.
  QString letters(const QList<int> &ids) const {
    QString out;
    for (int id : ids) out += fVideo.key(id, QStringLiteral("?"));
    return out;
  }
  QString shown() { return letters(model().videosForSelectedPlaylist()); }
  QString stored() { return letters(db().getPlaylistEntries(model().selectedPlaylistId())); }

  QHash<QString, int> fVideo;
  std::unique_ptr<ZPlaylistDataSource> fModel;
};

TEST_F(PlaylistModelTest, ListIsInNameOrderIgnoringCaseAndFollowsTheDatabase) {
  NotificationRecorder recorder(kModelNotifications);
  db().saveNewPlaylist("beta", std::nullopt);
  db().saveNewPlaylist("Alpha", std::nullopt);
  db().saveNewPlaylist("Gamma", std::nullopt);
  EXPECT_EQ(model().playlistNames(), QStringList({"Alpha", "beta", "Gamma"}));
  EXPECT_EQ(model().count(), 3);
  EXPECT_EQ(recorder.names().count("PlaylistDataSourceListRebuilt"), 3);
  EXPECT_TRUE(model().playlistExists("ALPHA"));
  EXPECT_FALSE(model().playlistExists("Alph"));

  // Renaming in the database reorders the model.
  db().setName("zeta", db().getIdForPlaylist("Alpha"));
  EXPECT_EQ(model().playlistNames(), QStringList({"beta", "Gamma", "zeta"}));
}

TEST_F(PlaylistModelTest, SelectionByNameIgnoringCaseAndById) {
  db().saveNewPlaylist("Mix", QList<int>{fVideo["B"], fVideo["A"]});
  db().saveNewPlaylist("Other", QList<int>{fVideo["C"]});
  const int mix = db().getIdForPlaylist("Mix");
  const int other = db().getIdForPlaylist("Other");
  EXPECT_EQ(model().selectedPlaylistId(), -1);
  EXPECT_TRUE(model().selectedPlaylistName().isNull());

  NotificationRecorder recorder(kModelNotifications);
  model().selectPlaylist("mIX");
  EXPECT_EQ(model().selectedPlaylistId(), mix);
  EXPECT_EQ(model().selectedPlaylistName(), "Mix");
  EXPECT_EQ(shown(), "BA");
  EXPECT_EQ(recorder.names(), QStringList{"PlaylistDataSourceListSelectionChanged"});

  model().selectPlaylistWithId(other);
  EXPECT_EQ(model().selectedPlaylistName(), "Other");
  EXPECT_EQ(shown(), "C");
  EXPECT_EQ(model().videoIdAtIndex(0), fVideo["C"]);
  EXPECT_EQ(model().videoIdAtIndex(1), -1);
  EXPECT_EQ(model().videoIdAtIndex(-1), -1);
  ASSERT_TRUE(model().videoInfoAtIndex(0).has_value());
  EXPECT_EQ(model().videoInfoAtIndex(0)->value("TITLE"), "C");
  EXPECT_FALSE(model().videoInfoAtIndex(1).has_value());

  // No match changes nothing and posts nothing.
  recorder.clear();
  model().selectPlaylist("nothing");
  model().selectPlaylistWithId(9999);
  EXPECT_EQ(model().selectedPlaylistId(), other);
  EXPECT_TRUE(recorder.names().isEmpty());
}

TEST_F(PlaylistModelTest, SelectionSurvivesRebuildsAndDeletionClearsIt) {
  selectNew("Mine", "AB");
  const int mine = model().selectedPlaylistId();
  // A new playlist sorted before it moves its index; the selection follows.
  db().saveNewPlaylist("Aaa", std::nullopt);
  EXPECT_EQ(model().selectedPlaylistId(), mine);
  EXPECT_EQ(model().selectedPlaylistName(), "Mine");

  NotificationRecorder recorder(kModelNotifications);
  model().deleteSelectedPlaylist();
  EXPECT_EQ(model().selectedPlaylistId(), -1);
  EXPECT_EQ(model().countOfVideosInSelectedPlaylist(), 0);
  EXPECT_EQ(recorder.names(), QStringList({"PlaylistDataSourceListRebuilt",
                                           "PlaylistDataSourceListSelectionChanged"}));
  EXPECT_EQ(model().playlistNames(), QStringList{"Aaa"});
  // Without a selection the delete command does nothing.
  model().deleteSelectedPlaylist();
  EXPECT_EQ(model().count(), 1);
}

TEST_F(PlaylistModelTest, UniqueNamesCountOnFromTwoIgnoringCase) {
  const QString base = localized("libraryPlaylistsNewPlaylistName");
  EXPECT_EQ(model().getUniqueNameForNewPlaylist(), base);
  db().saveNewPlaylist(base.toLower(), std::nullopt);
  EXPECT_EQ(model().getUniqueNameForNewPlaylist(), base + " (2)");
  db().saveNewPlaylist(base + " (2)", std::nullopt);
  EXPECT_EQ(model().getUniqueNameForNewPlaylist(), base + " (3)");

  EXPECT_EQ(Utilities::uniqueNameForPlaylistStartingWith("Fresh", model()), "Fresh");
  // A name with printf or Qt placeholders is kept as it is.
  db().saveNewPlaylist("50% %1", std::nullopt);
  EXPECT_EQ(Utilities::uniqueNameForPlaylistStartingWith("50% %1", model()), "50% %1 (2)");

  // The new-playlist command takes the next free name and selects it.
  const int id = model().createNewPlaylist();
  EXPECT_NE(id, -1);
  EXPECT_EQ(model().selectedPlaylistId(), id);
  EXPECT_EQ(model().selectedPlaylistName(), base + " (3)");
}

TEST_F(PlaylistModelTest, RenameTrimsAndResolvesCollisions) {
  db().saveNewPlaylist("Road", std::nullopt);
  db().saveNewPlaylist("Road (2)", std::nullopt);
  selectNew("Mine", "A");
  const int mine = model().selectedPlaylistId();

  struct Case {
    QString input;
    QString expected;
  };
  const Case cases[] = {
      {"  Trip \n", "Trip"},     // white space and newlines trimmed
      {" \t\n", "Trip"},         // empty after trimming: unchanged
      {"Trip", "Trip"},          // its own name: unchanged
      {"Road", "Road (3)"},      // taken exactly: the next free number
      {"road (2)", "road (2)"},  // only an exact match is a collision
  };
  for (const Case &c : cases) {
    model().renameSelectedPlaylist(c.input);
    EXPECT_EQ(model().selectedPlaylistId(), mine) << c.input.toStdString();
    EXPECT_EQ(model().selectedPlaylistName(), c.expected) << c.input.toStdString();
  }
  EXPECT_EQ(sql(QString("SELECT Name FROM Playlists WHERE id = %1;").arg(mine)), "road (2)");
}

TEST_F(PlaylistModelTest, DroppedVideosLandAtTheDropRow) {
  struct Case {
    const char *start;
    int index;
    const char *dropped;
    const char *expected;
  };
  const Case cases[] = {
      {"ABC", 3, "DE", "ABCDE"},   // on the empty area below: appended
      {"ABC", 99, "D", "ABCD"},    // past the end: appended
      {"ABC", -1, "DE", "DEABC"},  // -1: first
      {"ABC", 1, "DA", "ADABC"},   // in between; a video may stand twice
      {"ABC", -2, "D", "ABC"},     // any other negative row: nothing
      {"ABC", 0, "", "ABC"},       // nothing dropped
  };
  int n = 0;
  for (const Case &c : cases) {
    selectNew(QString("list %1").arg(++n), c.start);
    QList<int> ids;
    for (const char *p = c.dropped; *p; ++p) ids.append(fVideo.value(QString(QChar(*p))));
    model().addVideoIds(ids, c.index);
    EXPECT_EQ(shown(), c.expected) << c.start << " at " << c.index;
    EXPECT_EQ(stored(), c.expected) << c.start << " at " << c.index;
  }
}

TEST_F(PlaylistModelTest, DropWithoutSelectionMakesAndSelectsANewPlaylist) {
  const QString base = localized("libraryPlaylistsNewPlaylistName");
  db().saveNewPlaylist(base, std::nullopt);
  ASSERT_EQ(model().selectedPlaylistId(), -1);

  NotificationRecorder recorder(kModelNotifications);
  model().addVideoIds({fVideo["C"], fVideo["A"]}, 5);
  EXPECT_EQ(model().selectedPlaylistName(), base + " (2)");
  EXPECT_EQ(shown(), "CA");
  EXPECT_EQ(stored(), "CA");
  EXPECT_TRUE(recorder.names().contains("PlaylistDataSourceListSelectionChanged"));
  EXPECT_EQ(recorder.names().last(), "PlaylistDataSourceListEntriesChanged");

  // A drop on a negative row other than -1 does nothing at all.
  model().selectPlaylist(base);
  db().deletePlaylistWithId(model().selectedPlaylistId());
  ASSERT_EQ(model().selectedPlaylistId(), -1);
  const int before = model().count();
  model().addVideoIds({fVideo["A"]}, -3);
  EXPECT_EQ(model().count(), before);
  EXPECT_EQ(model().selectedPlaylistId(), -1);
}

TEST_F(PlaylistModelTest, MovedRowsStayTogetherInTheirOrder) {
  struct Case {
    const char *start;
    QList<int> rows;
    int to;
    const char *expected;
  };
  const Case cases[] = {
      {"ABCD", {0, 2}, 4, "BDAC"},    // rows 0 and 2 to the end
      {"ABCD", {2, 3}, 0, "CDAB"},    // to the top
      {"ABCDE", {1, 3}, 2, "ABDCE"},  // around the destination
      {"ABCD", {0, 1}, 3, "CABD"},
      {"ABCD", {3}, 1, "ADBC"},         // one row up
      {"ABCD", {0}, 2, "BACD"},         // one row down
      {"ABCD", {2, 0, 2}, 4, "BDAC"},   // the set's order and repeats do not matter
      {"ABCD", {1, 9, -1}, 0, "BACD"},  // rows outside the list are ignored
      {"ABCD", {7}, 0, "ABCD"},
      // A video standing twice: only the dragged occurrence moves, nothing
      // is lost.
      {"BACA", {0, 1}, 4, "CABA"},
      {"ABAB", {2}, 0, "AABB"},
  };
  int n = 0;
  for (const Case &c : cases) {
    selectNew(QString("move %1").arg(++n), c.start);
    model().moveIndices(c.rows, c.to);
    EXPECT_EQ(shown(), c.expected) << c.start << " to " << c.to;
    EXPECT_EQ(stored(), c.expected) << c.start << " to " << c.to;
  }
}

TEST_F(PlaylistModelTest, RemoveAndClearEditTheSelectedPlaylistOnly) {
  db().saveNewPlaylist("Keep", QList<int>{fVideo["A"], fVideo["B"]});
  selectNew("Edit", "ABACB");
  NotificationRecorder recorder(kModelNotifications);
  model().removeVideosWithIds({fVideo["A"], fVideo["E"]});
  EXPECT_EQ(shown(), "BCB");
  EXPECT_EQ(stored(), "BCB");
  EXPECT_EQ(recorder.names(), QStringList{"PlaylistDataSourceListEntriesChanged"});

  model().clearVideosFromSelectedPlaylist();
  EXPECT_EQ(shown(), "");
  EXPECT_EQ(stored(), "");
  EXPECT_EQ(db().getPlaylistEntries(db().getIdForPlaylist("Keep")).size(), 2);
}

TEST_F(PlaylistModelTest, EditsWithoutSelectionDoNothing) {
  db().saveNewPlaylist("Keep", QList<int>{fVideo["A"], fVideo["B"]});
  NotificationRecorder recorder(kModelNotifications);
  model().moveIndices({0}, 2);
  model().removeVideosWithIds({fVideo["A"]});
  model().clearVideosFromSelectedPlaylist();
  model().renameSelectedPlaylist("Other");
  EXPECT_TRUE(recorder.names().isEmpty());
  EXPECT_EQ(db().getPlaylistEntries(db().getIdForPlaylist("Keep")).size(), 2);
  EXPECT_EQ(model().playlistNames(), QStringList{"Keep"});
}

TEST_F(PlaylistModelTest, DeletedLibraryVideosLeaveTheSelectedPlaylist) {
  selectNew("Mine", "ABCA");
  NotificationRecorder recorder(kModelNotifications);
  db().deleteVideosWithIds({fVideo["A"]});
  EXPECT_EQ(shown(), "BC");
  EXPECT_TRUE(recorder.names().contains("PlaylistDataSourceListSelectionChanged"));

  // Any playlist's entries change reloads the selected one.
  recorder.clear();
  db().saveNewPlaylist("Other", std::nullopt);
  db().setVideos({fVideo["D"]}, db().getIdForPlaylist("Other"));
  EXPECT_TRUE(recorder.names().contains("PlaylistDataSourceListEntriesChanged"));
  EXPECT_EQ(shown(), "BC");
}
