// Playlists and their entries as stored by the library.

#include "LibraryFixture.h"

namespace {
const QStringList kPlaylistNotifications = {
    "VideoDatabase_PlaylistAdded", "VideoDatabase_PlaylistDeleted",
    "VideoDatabase_PlaylistModified", "VideoDatabase_PlaylistEntriesModified"};
}

class PlaylistTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    // Titles in the opposite order of the ids, so that no incidental order
    // (by id, by title) matches the playlist's own.
    for (int i = 0; i < 6; ++i) fIds.append(addVideo(QString("video %1").arg(9 - i)));
  }
  QList<int> fIds;
};

TEST_F(PlaylistTest, EntriesComeBackInTheirInsertionOrderWithRepeats) {
  const QList<int> order = {fIds[3], fIds[0], fIds[5], fIds[0], fIds[1]};
  NotificationRecorder recorder(kPlaylistNotifications);
  db().saveNewPlaylist("Mine", order);
  EXPECT_EQ(recorder.names(), QStringList{"VideoDatabase_PlaylistAdded"});
  const int id = db().getIdForPlaylist("Mine");
  ASSERT_NE(id, -1);
  EXPECT_EQ(db().getPlaylistEntries(id), order);

  // Rewritten in a new order, with a second playlist's entries in between.
  db().saveNewPlaylist("Other", QList<int>{fIds[2]});
  const QList<int> reordered = {fIds[5], fIds[4], fIds[3], fIds[2], fIds[1], fIds[0]};
  recorder.clear();
  db().setVideos(reordered, id);
  EXPECT_EQ(db().getPlaylistEntries(id), reordered);
  ASSERT_EQ(recorder.seen().size(), 1);
  EXPECT_EQ(recorder.seen().first().name, "VideoDatabase_PlaylistEntriesModified");
  EXPECT_EQ(recorder.seen().first().object.toInt(), id);
}

TEST_F(PlaylistTest, EntryOrderHoldsWhicheverPlanTheDatabaseChooses) {
  const QList<int> order = {fIds[4], fIds[2], fIds[0], fIds[5], fIds[1], fIds[3]};
  db().saveNewPlaylist("Mine", order);
  // Statistics that make SQLite walk the videos first and look their entries
  // up by video id: without an explicit order the entries would come back
  // sorted by video id.
  sql("ANALYZE; DELETE FROM sqlite_stat1; INSERT INTO sqlite_stat1 VALUES "
      "('PlaylistEntries', 'PlaylistEntriesPlaylistIndex', '1000000 1000000'), "
      "('PlaylistEntries', 'PlaylistEntriesVideoIndex', '1000000 1'), ('Videos', NULL, '6');");
  VideoDatabase reopened(fPaths, fFolders.get());
  EXPECT_EQ(reopened.getPlaylistEntries(db().getIdForPlaylist("Mine")), order);
}

TEST_F(PlaylistTest, EntriesOfDeletedVideosAreLeftOut) {
  db().saveNewPlaylist("Mine", QList<int>{fIds[0], fIds[1], fIds[2]});
  const int id = db().getIdForPlaylist("Mine");
  sql(QString("DELETE FROM Videos WHERE id=%1;").arg(fIds[1]));  // behind the library's back
  EXPECT_EQ(db().getPlaylistEntries(id), (QList<int>{fIds[0], fIds[2]}));
}

TEST_F(PlaylistTest, NewPlaylistWithoutVideosIsEmptyAndEntriesGoToTheNewRowEvenWithANameTwin) {
  db().saveNewPlaylist("Twin", std::nullopt);
  const int first = db().getIdForPlaylist("Twin");
  EXPECT_TRUE(db().getPlaylistEntries(first).isEmpty());
  db().saveNewPlaylist("Twin", QList<int>{fIds[0]});
  const int second = sql("SELECT max(id) FROM Playlists;").toInt();
  ASSERT_NE(first, second);
  EXPECT_TRUE(db().getPlaylistEntries(first).isEmpty());
  EXPECT_EQ(db().getPlaylistEntries(second), QList<int>{fIds[0]});
}

TEST_F(PlaylistTest, SetVideosOnAnUnknownPlaylistDoesNothing) {
  NotificationRecorder recorder(kPlaylistNotifications);
  db().setVideos({fIds[0]}, 4242);
  EXPECT_EQ(sql("SELECT count(*) FROM PlaylistEntries;"), "0");
  EXPECT_TRUE(recorder.names().isEmpty());
}

TEST_F(PlaylistTest, FailedRewriteKeepsTheOldEntries) {
  db().saveNewPlaylist("Mine", QList<int>{fIds[0], fIds[1]});
  const int id = db().getIdForPlaylist("Mine");
  // A trigger that refuses new entries makes the insert fail after the delete.
  sql("CREATE TRIGGER refuse BEFORE INSERT ON PlaylistEntries BEGIN SELECT RAISE(ABORT, 'no'); "
      "END;");
  db().setVideos({fIds[2]}, id);
  EXPECT_EQ(db().getPlaylistEntries(id), (QList<int>{fIds[0], fIds[1]}));
}

TEST_F(PlaylistTest, ClearingDeletingRenamingAndListing) {
  db().saveNewPlaylist("beta", QList<int>{fIds[0]});
  db().saveNewPlaylist("Alpha", QList<int>{fIds[1], fIds[2]});
  db().saveNewPlaylist("gamma", std::nullopt);
  const int alpha = db().getIdForPlaylist("Alpha");
  const int beta = db().getIdForPlaylist("beta");
  EXPECT_EQ(db().getIdForPlaylist("alpha"), -1);  // exact, case-sensitive

  QStringList listed;
  for (const SqlRow &row : db().getPlaylistsSortedByName()) listed.append(row.value("Name"));
  EXPECT_EQ(listed, (QStringList{"Alpha", "beta", "gamma"}));

  NotificationRecorder recorder(kPlaylistNotifications);
  db().deleteEntriesForPlaylist(alpha);
  EXPECT_TRUE(db().getPlaylistEntries(alpha).isEmpty());
  EXPECT_EQ(db().getPlaylistEntries(beta), QList<int>{fIds[0]});

  EXPECT_TRUE(db().setName("It's renamed", beta));
  EXPECT_EQ(db().getIdForPlaylist("It's renamed"), beta);

  db().deletePlaylistWithId(beta);
  EXPECT_EQ(db().getIdForPlaylist("It's renamed"), -1);
  EXPECT_EQ(sql(QString("SELECT count(*) FROM PlaylistEntries WHERE PlaylistId=%1;").arg(beta)),
            "0");

  ASSERT_EQ(recorder.seen().size(), 3);
  EXPECT_EQ(recorder.seen()[0].name, "VideoDatabase_PlaylistEntriesModified");
  EXPECT_FALSE(recorder.seen()[0].object.isValid());
  EXPECT_EQ(recorder.seen()[1].name, "VideoDatabase_PlaylistModified");
  EXPECT_EQ(recorder.seen()[2].name, "VideoDatabase_PlaylistDeleted");
}
