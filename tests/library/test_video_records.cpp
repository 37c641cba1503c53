// Video records: the full insert, look-ups and the cache, lists, marks,
// deletion with its clean-up, and the disk-space policy.

#include "LibraryFixture.h"
#include "Localization.h"
#include "LogCapture.h"

#include <QDateTime>
#include <QDirIterator>

#include <algorithm>
#include <random>

namespace {

const QStringList kVideoNotifications = {"VideoDatabase_VideoAdded", "VideoDatabase_Changed",
                                         "VideoDatabase_VideosDeleted",
                                         "VideoDatabase_VideoUpdated"};

VideoDatabase::AddVideoParams minimalParams(const QString &path) {
  VideoDatabase::AddVideoParams params;
  params.title = "Minimal";
  params.path = path;
  params.extension = "mov";
  params.size = 5000000000ULL;  // beyond 32 bits
  params.duration = 93;
  return params;
}

}  // namespace

// ---- the full insert ---------------------------------------------------------------

TEST_F(LibraryTest, InsertWithOnlyTheRequiredValuesTakesTheDefaults) {
  const int id = db().addVideo(minimalParams("/movies/minimal.mov"));
  ASSERT_NE(id, -1);
  const auto info = db().getVideoInfo(id);
  ASSERT_TRUE(info);
  const QHash<QString, QString> expected = {
      {"TITLE", "Minimal"},
      {"PATH", "/movies/minimal.mov"},
      {"IMAGE_PATH", ""},
      {"EXTENSION", "mov"},
      {"SIZE", "5000000000"},
      {"DURATION", "93"},
      {"RATING", "0"},
      {"CONTENT_RATING", "0"},
      {"SUBSCRIPTION_TYPE", ""},
      {"SUBSCRIPTION_VALUE", ""},
      {"DESCRIPTION", localized("videodbImportedVideoDescription")},
      {"FILE_HASH", ""},
      {"DRM", "0"},
      {"MISC_XML", ""},
      {"PUBLISHER", "-1"},
      {"VIDEO_SAVED", "1"},
      {"SOURCE", "0"},
      {"ReviewState", ""},
      {"VIDEO_PERMALINK", ""},
      {"DATE_VIEWED", ""},
      {"ResumePlayPos", ""},
      {"id", QString::number(id)},
  };
  for (auto it = expected.begin(); it != expected.end(); ++it)
    EXPECT_EQ(info->value(it.key()), it.value()) << it.key().toStdString();
  EXPECT_EQ(info->size(), 23);
  EXPECT_NE(localized("videodbImportedVideoDescription"), "videodbImportedVideoDescription");
  const QDateTime added = QDateTime::fromString(info->value("DATE_ADDED"), "yyyy-MM-dd HH:mm:ss");
  ASSERT_TRUE(added.isValid());
  EXPECT_LE(qAbs(added.secsTo(QDateTime::currentDateTime())), 60);
}

TEST_F(LibraryTest, InsertStoresEveryGivenValueAndClampsTheRating) {
  struct Case {
    int rating;
    const char *stored;
  };
  const Case cases[] = {{7, "0"}, {-1, "0"}, {5, "5"}, {3, "3"}};
  int n = 0;
  for (const Case &c : cases) {
    VideoDatabase::AddVideoParams params = minimalParams("/movies/" + QString::number(++n));
    params.imagePath = "/images/x.jpg";
    params.rating = c.rating;
    params.contentRating = 4;
    params.subscriptionType = "type";
    params.subscriptionValue = "value";
    params.description = "";
    params.fileHash = "hash";
    params.drm = 2;
    params.miscXml = "<x/>";
    params.publisher = 12;
    params.save = 0;
    params.source = 1;
    params.reviewState = "approved";
    params.permaLink = "perma";
    const int id = db().addVideo(params);
    ASSERT_NE(id, -1);
    const auto info = db().getVideoInfo(id);
    EXPECT_EQ(info->value("RATING"), c.stored) << c.rating;
    EXPECT_EQ(info->value("IMAGE_PATH"), "/images/x.jpg");
    EXPECT_EQ(info->value("CONTENT_RATING"), "4");
    EXPECT_EQ(info->value("SUBSCRIPTION_TYPE"), "type");
    EXPECT_EQ(info->value("SUBSCRIPTION_VALUE"), "value");
    EXPECT_EQ(info->value("DESCRIPTION"), "");  // given empty, not the default
    EXPECT_EQ(info->value("FILE_HASH"), "hash");
    EXPECT_EQ(info->value("DRM"), "2");
    EXPECT_EQ(info->value("MISC_XML"), "<x/>");
    EXPECT_EQ(info->value("PUBLISHER"), "12");
    EXPECT_EQ(info->value("VIDEO_SAVED"), "0");
    EXPECT_EQ(info->value("SOURCE"), "1");
    EXPECT_EQ(info->value("ReviewState"), "approved");
    EXPECT_EQ(info->value("VIDEO_PERMALINK"), "perma");
  }
}

TEST_F(LibraryTest, InsertPostsAddedThenChangedThroughTheGate) {
  NotificationRecorder recorder(kVideoNotifications);
  ASSERT_NE(addVideo("first"), -1);
  EXPECT_EQ(recorder.names(), (QStringList{"VideoDatabase_VideoAdded", "VideoDatabase_Changed"}));

  recorder.clear();
  ZNotificationSuspension closed;
  ASSERT_NE(addVideo("second"), -1);
  EXPECT_TRUE(recorder.names().isEmpty());
}

TEST_F(LibraryTest, InsertRefusesAPathAlreadyInTheLibrary) {
  const VideoDatabase::AddVideoParams params = minimalParams("/movies/same.mov");
  ASSERT_NE(db().addVideo(params), -1);
  NotificationRecorder recorder(kVideoNotifications);
  EXPECT_EQ(db().addVideo(params), -1);
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "1");
  EXPECT_TRUE(recorder.names().isEmpty());
  // Another path is fine.
  EXPECT_NE(db().addVideo(minimalParams("/movies/other.mov")), -1);
}

TEST_F(LibraryTest, FailedInsertAnswersMinusOne) {
  ASSERT_TRUE(db().executeSQL("DROP TABLE Videos;"));
  EXPECT_EQ(db().addVideo(minimalParams("/movies/x.mov")), -1);
}

// ---- look-ups and the cache --------------------------------------------------------------

TEST_F(LibraryTest, UnknownVideoAnswersNothingAndCountsAsImported) {
  EXPECT_FALSE(db().getVideoInfo(999).has_value());
  EXPECT_TRUE(db().videoIsImported(999));
  EXPECT_EQ(db().ratingForVideo(999), 0);
  EXPECT_FALSE(db().savedStateForVideoId(999));
  EXPECT_EQ(db().permalinkForVideoId(999), "");
  EXPECT_EQ(db().pathForVideoId(999), "");
  EXPECT_FALSE(db().videoWithPermalinkExists("nothing"));
  EXPECT_EQ(db().videoIdWithPermalink("nothing"), -1);
}

TEST_F(LibraryTest, CacheAnswersTheRightRowForEveryIdInAnyOrder) {
  QList<int> ids;
  for (int i = 0; i < 60; ++i) ids.append(addVideo(QString("video %1").arg(i)));
  std::mt19937 random(7);

  // A second instance starts with an empty cache: fill part of it in random
  // order, then the rest through the list query (merged in one pass).
  VideoDatabase fresh(fPaths, fFolders.get());
  QList<int> shuffled = ids;
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  for (int i = 0; i < 25; ++i) ASSERT_TRUE(fresh.getVideoInfo(shuffled[i]));
  EXPECT_EQ(fresh.getAllVideos().size(), 60);
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  for (int id : shuffled) {
    const auto info = fresh.getVideoInfo(id);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->value("id").toInt(), id);
    EXPECT_EQ(info->value("TITLE"), QString("video %1").arg(ids.indexOf(id)));
  }
}

TEST_F(LibraryTest, CachedRowsHoldExactlyTheStoredRow) {
  VideoDatabase::AddVideoParams params = minimalParams("/movies/ünïcode ✓.mov");
  params.title = "It's \"quoted\"";
  params.description = QString("");
  const int id = db().addVideo(params);
  const int other = addVideo("other");
  ASSERT_NE(id, -1);
  const auto rows = db().executeSQL(QString("SELECT * FROM Videos WHERE id IN (%1,%2) ORDER BY "
                                            "id;")
                                        .arg(id)
                                        .arg(other));
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2);

  // Read one at a time, and all at once by a fresh instance.
  VideoDatabase fresh(fPaths, fFolders.get());
  fresh.getAllVideos();
  for (VideoDatabase *database : {&db(), &fresh}) {
    for (const SqlRow &row : *rows) {
      const auto info = database->getVideoInfo(row.value("id").toInt());
      ASSERT_TRUE(info);
      EXPECT_EQ(info->toSqlRow(), row);
      EXPECT_EQ(*info, VideoInfo(row));
      // Every Videos row shares the one table of the Videos columns.
      EXPECT_EQ(info->columns(), VideoInfo::Columns::videos());
      EXPECT_TRUE(info->isFullRowOf(VideoInfo::Columns::videos()));
    }
  }

  // Changing a copy leaves the cached row alone.
  VideoInfo copy = *db().getVideoInfo(id);
  copy.insert("TITLE", "changed");
  copy.insert("extra", "x");
  EXPECT_EQ(db().getVideoInfo(id)->value("TITLE"), "It's \"quoted\"");
  EXPECT_FALSE(db().getVideoInfo(id)->contains("extra"));
}

TEST_F(LibraryTest, CachedRowsStayUntilReReadByAQueryThatReplacesThem) {
  const int id = addVideo("original");
  ASSERT_EQ(db().getVideoInfo(id)->value("TITLE"), "original");
  // A change behind the cache's back is not seen...
  sql(QString("UPDATE Videos SET TITLE='changed' WHERE id=%1;").arg(id));
  EXPECT_EQ(db().getVideoInfo(id)->value("TITLE"), "original");
  // ...not even after getAllVideos, which caches only rows it lacks...
  db().getAllVideos();
  EXPECT_EQ(db().getVideoInfo(id)->value("TITLE"), "original");
  // ...but getAllVideosSuchThat replaces the cached copy.
  db().getAllVideosSuchThat(QString(), QString());
  EXPECT_EQ(db().getVideoInfo(id)->value("TITLE"), "changed");
}

TEST_F(LibraryTest, ListsComeInTheirOrders) {
  const int b = addVideo("b");
  const int a = addVideo("A");
  const int c = addVideo("c", "perma-c");
  const int B = addVideo("B2");
  EXPECT_EQ(db().getAllVideos(), (QList<int>{a, b, B, c}));
  // Neither condition nor order: the plain, case-sensitive title order.
  EXPECT_EQ(db().getAllVideosSuchThat(QString(), QString()), (QList<int>{a, B, b, c}));
  EXPECT_EQ(db().getAllVideosSuchThat(QString(), "id DESC"), (QList<int>{B, c, a, b}));
  EXPECT_EQ(db().getAllVideosSuchThat("TITLE LIKE 'b%'", "id"), (QList<int>{b, B}));
  const QList<int> condition = db().getAllVideosSuchThat("VIDEO_PERMALINK = 'perma-c'", QString());
  EXPECT_EQ(condition, QList<int>{c});
  EXPECT_TRUE(db().videoWithPermalinkExists("perma-c"));
  EXPECT_EQ(db().videoIdWithPermalink("perma-c"), c);
}

// ---- marks -------------------------------------------------------------------------------

TEST_F(LibraryTest, MarksUpdateRowAndCacheAndPostTheVideoId) {
  const int id = addVideo("marked");
  ASSERT_TRUE(db().getVideoInfo(id));  // cached before the marks
  NotificationRecorder recorder({"VideoDatabase_VideoUpdated"});

  EXPECT_TRUE(db().setRating(4, id));
  EXPECT_EQ(db().ratingForVideo(id), 4);
  EXPECT_TRUE(db().setRating(9, id));
  EXPECT_EQ(db().ratingForVideo(id), 0);

  EXPECT_TRUE(db().setSaved(true, id));
  EXPECT_TRUE(db().savedStateForVideoId(id));
  EXPECT_EQ(sql(QString("SELECT VIDEO_SAVED FROM Videos WHERE id=%1;").arg(id)), "1");

  const QDateTime viewed(QDate(2007, 3, 4), QTime(5, 6, 7));
  EXPECT_TRUE(db().setDateViewed(viewed, id));
  EXPECT_EQ(db().getVideoInfo(id)->value("DATE_VIEWED"), "2007-03-04 05:06:07");
  EXPECT_TRUE(db().setDateViewed(QDateTime(), id));  // new again
  EXPECT_EQ(db().getVideoInfo(id)->value("DATE_VIEWED"), "");

  ASSERT_EQ(recorder.seen().size(), 5);
  for (const Notification &n : recorder.seen()) EXPECT_EQ(n.object.toInt(), id);
}

TEST_F(LibraryTest, ListMarksApplyToEachVideoInOrder) {
  const int a = addVideo("a");
  const int b = addVideo("b");
  const int c = addVideo("c");
  for (int id : {a, b, c}) db().getVideoInfo(id);
  NotificationRecorder recorder({"VideoDatabase_VideoUpdated"});
  db().setSaved(true, QList<int>{c, a});
  EXPECT_TRUE(db().savedStateForVideoId(a));
  EXPECT_FALSE(db().savedStateForVideoId(b));
  EXPECT_TRUE(db().savedStateForVideoId(c));
  db().setDateViewed(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QList<int>{b, c});
  EXPECT_EQ(db().getVideoInfo(b)->value("DATE_VIEWED"), "2020-01-02 03:04:05");
  EXPECT_EQ(db().getVideoInfo(a)->value("DATE_VIEWED"), "");
  QList<int> posted;
  for (const Notification &n : recorder.seen()) posted.append(n.object.toInt());
  EXPECT_EQ(posted, (QList<int>{c, a, b, c}));
}

TEST_F(LibraryTest, FailedMarkAnswersFalseAndPostsNothing) {
  const int id = addVideo("x");
  ASSERT_TRUE(db().getVideoInfo(id));
  ASSERT_TRUE(db().executeSQL("DROP TABLE Videos;"));
  NotificationRecorder recorder({"VideoDatabase_VideoUpdated"});
  EXPECT_FALSE(db().setRating(3, id));
  EXPECT_FALSE(db().setSaved(false, id));
  EXPECT_FALSE(db().setDateViewed(QDateTime::currentDateTime(), id));
  EXPECT_TRUE(recorder.names().isEmpty());
  EXPECT_EQ(db().getVideoInfo(id)->value("RATING"), "0");  // cache as it was
}

// ---- deletion ------------------------------------------------------------------------------

TEST_F(LibraryTest, DeletionRemovesTheVideoEverywhereAndGroupsLeftWithoutVideos) {
  const int gone = addVideo("gone", "p-gone");
  const int stays = addVideo("stays");
  const QString file = db().pathForVideoId(gone);
  ASSERT_TRUE(db().addPublisherWithName("Solo pub", {}, {}, {}, {}, {}, gone));
  ASSERT_TRUE(db().addPublisherWithName("Shared pub", {}, {}, {}, {}, {}, stays));
  for (int id : {gone, stays}) {
    ASSERT_TRUE(db().addCategoryWithName("Shared", {}, {}, {}, id));
    ASSERT_TRUE(db().addChannelWithName("SharedChannel", {}, {}, {}, {}, {}, id));
  }
  ASSERT_TRUE(db().addCategoryWithName("Solo", {}, {}, {}, gone));
  ASSERT_TRUE(db().addChannelWithName("SoloChannel", {}, {}, {}, {}, {}, gone));
  ASSERT_TRUE(db().addTagWithName("solo-tag", {}, {}, gone));
  ASSERT_TRUE(db().addSeriesWithName("Solo series", {}, {}, {}, {}, gone));
  db().saveNewPlaylist("mix", QList<int>{gone, stays, gone});
  sql(QString("INSERT INTO FeedItems (FeedId, VideoId, Permalink, State) VALUES (1, %1, "
              "'p-gone', 1), (1, %2, 'p-stays', 1);")
          .arg(gone)
          .arg(stays));
  ASSERT_TRUE(db().getVideoInfo(gone));

  NotificationRecorder recorder(kVideoNotifications);
  ZNotificationSuspension closedGate;  // deletion posts directly, not through the gate
  EXPECT_TRUE(db().deleteVideosWithIds({gone}));
  EXPECT_EQ(recorder.names(),
            (QStringList{"VideoDatabase_VideosDeleted", "VideoDatabase_Changed"}));

  EXPECT_FALSE(db().getVideoInfo(gone).has_value());
  EXPECT_EQ(sql("SELECT group_concat(Name) FROM Publishers;"), "Shared pub");
  EXPECT_EQ(sql("SELECT group_concat(Name) FROM Categories;"), "Shared");
  EXPECT_EQ(sql("SELECT group_concat(Name) FROM Channels;"), "SharedChannel");
  EXPECT_EQ(sql("SELECT count(*) FROM Tags;"), "0");
  EXPECT_EQ(sql("SELECT count(*) FROM Series;"), "0");
  EXPECT_EQ(sql(QString("SELECT count(*) FROM CategoryEntries WHERE VideoId=%1;").arg(gone)), "0");
  EXPECT_EQ(sql("SELECT group_concat(VideoId) FROM PlaylistEntries;"), QString::number(stays));
  EXPECT_EQ(sql("SELECT group_concat(State) FROM (SELECT State FROM FeedItems ORDER BY id);"),
            "2,1");
  EXPECT_TRUE(QFileInfo::exists(file));  // files are the caller's business
}

TEST_F(LibraryTest, DeletingManyVideosAtOnceKeepsTheRest) {
  QList<int> ids;
  for (int i = 0; i < 40; ++i) ids.append(addVideo(QString("v%1").arg(i)));
  db().getAllVideos();  // all cached
  QList<int> doomed;
  for (int i = 0; i < 40; i += 2) doomed.append(ids[i]);
  db().deleteVideosWithIds(doomed);
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "20");
  for (int i = 0; i < 40; ++i) EXPECT_EQ(db().getVideoInfo(ids[i]).has_value(), i % 2 == 1) << i;
}

// Rows that cannot be deleted (a read-only library file) stay whole, with
// their playlist entries and feed items; the caller hears of it and no
// notification says otherwise.
TEST_F(LibraryTest, DeletionFromAReadOnlyLibraryChangesNothingAndAnswersFalse) {
  const int a = addVideo("a", "p-a");
  const int b = addVideo("b");
  ASSERT_TRUE(db().addTagWithName("tag", {}, {}, a));
  db().saveNewPlaylist("mix", QList<int>{a, b});
  sql(QString("INSERT INTO FeedItems (FeedId, VideoId, Permalink, State) VALUES (1, %1, 'p-a', 1);")
          .arg(a));
  ASSERT_TRUE(db().getVideoInfo(a));
  {
    ReadOnlyFile readOnly(dbPath());
    if (!readOnly.ok()) GTEST_SKIP() << "the library file cannot be made read-only here";
    // A failing statement drops the open connection; the next one opens the
    // file as it is now.
    EXPECT_FALSE(db().executeSQL("SELECT * FROM NoSuchTable;"));
    NotificationRecorder recorder(kVideoNotifications);
    LogCapture log;
    EXPECT_FALSE(db().deleteVideosWithIds({a, b}));
    EXPECT_TRUE(recorder.names().isEmpty()) << recorder.names().join(", ").toStdString();
    EXPECT_TRUE(db().getVideoInfo(a));  // still cached as it is still there
    bool reported = false;
    for (const LogCapture::Line &line : log.lines("zaro.library"))
      reported = reported || line.message.contains("could not be deleted");
    EXPECT_TRUE(reported);
  }
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "2");
  EXPECT_EQ(sql("SELECT count(*) FROM PlaylistEntries;"), "2");
  EXPECT_EQ(sql("SELECT count(*) FROM TagEntries;"), "1");
  EXPECT_EQ(sql("SELECT State FROM FeedItems;"), "1");
  // Writable again: the same deletion goes through.
  EXPECT_FALSE(db().executeSQL("SELECT * FROM NoSuchTable;"));
  EXPECT_TRUE(db().deleteVideosWithIds({a, b}));
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "0");
}

// ---- disk-space policy ----------------------------------------------------------------------

class DiskSpaceTest : public LibraryTest {
 protected:
  // Five videos of 100000 bytes each, added in this order (oldest first).
  void SetUp() override {
    LibraryTest::SetUp();
    const char *titles[] = {"oldest saved", "old imported", "old", "middle", "newest"};
    for (int i = 0; i < 5; ++i) {
      fIds.append(addVideo(titles[i], QString(), 100000));
      sql(QString("UPDATE Videos SET DATE_ADDED='2001-01-0%1 00:00:00' WHERE id=%2;")
              .arg(i + 1)
              .arg(fIds[i]));
    }
    db().setSaved(true, fIds[0]);
    sql(QString("UPDATE Videos SET SOURCE=1 WHERE id=%1;").arg(fIds[1]));
    writeFile(mediaFolder() + "/Images/thumb-old.jpg", 1000);
    sql(QString("UPDATE Videos SET IMAGE_PATH='%1' WHERE id=%2;")
            .arg(mediaFolder() + "/Images/thumb-old.jpg")
            .arg(fIds[2]));
    db().getAllVideosSuchThat(QString(), QString());  // the cache sees the changes
  }
  quint64 used() {
    quint64 total = 0;
    // The same measure as the policy's: the folder and everything below it.
    total += QFileInfo(mediaFolder()).size();
    QDirIterator it(mediaFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) total += QFileInfo(it.next()).size();
    return total;
  }
  QList<int> remaining() { return db().getAllVideosSuchThat(QString(), "id"); }
  QList<int> fIds;
};

TEST_F(DiskSpaceTest, OldestUnsavedDownloadsGoOneAtATimeUntilTheFolderFits) {
  const QString oldFile = db().pathForVideoId(fIds[2]);
  // Room for 150000 more bytes than are used now minus 170000: two videos
  // must go (the third would be one too many).
  const quint64 allowed = used() - 170000 + 150000;
  db().deleteVideosToFreeUpDiskSpace(150000, allowed);
  EXPECT_EQ(remaining(), (QList<int>{fIds[0], fIds[1], fIds[4]}));
  EXPECT_FALSE(QFileInfo::exists(oldFile));
  EXPECT_FALSE(QFileInfo::exists(mediaFolder() + "/Images/thumb-old.jpg"));
  EXPECT_TRUE(QFileInfo::exists(db().pathForVideoId(fIds[4])));
}

TEST_F(DiskSpaceTest, SavedAndImportedVideosStayEvenWhenTheTargetIsOutOfReach) {
  db().deleteVideosToFreeUpDiskSpace(0, 1000);
  EXPECT_EQ(remaining(), (QList<int>{fIds[0], fIds[1]}));
}

TEST_F(DiskSpaceTest, NothingGoesWhenItFitsOrNeedExceedsTheAllowance) {
  db().deleteVideosToFreeUpDiskSpace(0, used());
  db().deleteVideosToFreeUpDiskSpace(5000, 5000);
  db().deleteVideosToFreeUpDiskSpace(6000, 5000);
  EXPECT_EQ(remaining(), fIds);
}

// A library whose rows cannot be deleted keeps every file: removing them
// would leave rows that point at nothing.
TEST_F(DiskSpaceTest, AReadOnlyLibraryKeepsEveryFile) {
  QStringList files;
  for (int id : fIds) files << db().pathForVideoId(id);
  files << mediaFolder() + "/Images/thumb-old.jpg";
  ReadOnlyFile readOnly(dbPath());
  if (!readOnly.ok()) GTEST_SKIP() << "the library file cannot be made read-only here";
  EXPECT_FALSE(db().executeSQL("SELECT * FROM NoSuchTable;"));  // drops the connection
  db().deleteVideosToFreeUpDiskSpace(0, 1000);
  EXPECT_EQ(remaining(), fIds);
  for (const QString &file : files) EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
}
