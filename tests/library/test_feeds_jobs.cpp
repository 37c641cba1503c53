// Feeds and their item states, download jobs and server commands.

#include "LibraryFixture.h"

class FeedTest : public LibraryTest {
 protected:
  // Two feeds; items of the first in every state, one permalink shared by
  // both feeds.
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_TRUE(db().addFeedWithName("http://one/", "http://one/", 0));
    ASSERT_TRUE(db().addFeedWithName("http://two/", "http://two/", 0));
    sql("INSERT INTO FeedItems (FeedId, Title, Permalink, State) VALUES "
        "(1, 'new', 'shared', 0), (1, 'done', 'p-done', 1), (1, 'skipped', 'p-skip', -1), "
        "(2, 'twin', 'shared', 0);");
  }
  QString itemStates() {
    return sql(
        "SELECT group_concat(State || ':' || ifnull(VideoId, '-'), ',') FROM "
        "(SELECT State, VideoId FROM FeedItems ORDER BY id);");
  }
};

TEST_F(FeedTest, SubscribingTwiceAddsNothingButPostsThroughTheGateBothTimes) {
  NotificationRecorder recorder({"VideoDatabase_Changed"});
  EXPECT_FALSE(db().addFeedWithName("again", "http://one/", 0));
  EXPECT_TRUE(db().addFeedWithName("http://three/", "http://three/", 0));
  EXPECT_EQ(recorder.names().size(), 2);
  EXPECT_EQ(sql("SELECT count(*) FROM Feeds WHERE Url='http://one/';"), "1");
  EXPECT_EQ(sql("SELECT Title || '|' || Source FROM Feeds WHERE Url='http://three/';"),
            "http://three/|0");
  EXPECT_EQ(db().getListOfFeedUrls(), (QStringList{"http://one/", "http://three/", "http://two/"}));
  EXPECT_EQ(db().getListOfFeeds().size(), 3);
}

TEST_F(FeedTest, FeedUrlListSkipsEmptyUrls) {
  sql("INSERT INTO Feeds (Url) VALUES (''); INSERT INTO Feeds (Url) VALUES (NULL);");
  EXPECT_EQ(db().getListOfFeedUrls(), (QStringList{"http://one/", "http://two/"}));
}

TEST_F(FeedTest, UnsubscribingRemovesTheFeedAndItsItemsButNotItsVideos) {
  const int video = addVideo("from feed", "p-done");
  sql(QString("UPDATE FeedItems SET VideoId=%1 WHERE Permalink='p-done';").arg(video));
  NotificationRecorder recorder({"VideoDatabase_Changed"});
  db().removeFeedWithUrl("http://one/");
  db().removeFeedWithUrl("http://never/");
  EXPECT_EQ(recorder.names().size(), 2);
  EXPECT_EQ(db().getListOfFeedUrls(), QStringList{"http://two/"});
  EXPECT_EQ(sql("SELECT group_concat(Title) FROM FeedItems;"), "twin");
  EXPECT_TRUE(db().getVideoInfo(video));
}

TEST_F(FeedTest, MarkingItemsSetsTheirStateAndVideo) {
  NotificationRecorder recorder({"VideoDatabase_Changed"});
  // Every item of that permalink, in every feed, whatever its state.
  db().markFeedItemForVideoPermalink("shared", 7);
  EXPECT_EQ(itemStates(), "1:7,1:-,-1:-,1:7");
  EXPECT_EQ(recorder.names().size(), 1);

  db().markFeedItemAsCancelled(2, 0);  // no notification
  EXPECT_EQ(recorder.names().size(), 1);
  db().markFeedItemAsDownloaded(3, 9);
  EXPECT_EQ(recorder.names().size(), 2);
  EXPECT_EQ(itemStates(), "1:7,-1:0,1:9,1:7");
}

TEST_F(FeedTest, DeletingAVideoMovesItsItemToVideoDeleted) {
  const int video = addVideo("downloaded", "shared");
  db().markFeedItemForVideoPermalink("shared", video);
  db().deleteVideosWithIds({video});
  const QString id = QString::number(video);
  EXPECT_EQ(itemStates(), QString("2:%1,1:-,-1:-,2:%1").arg(id));
}

TEST_F(LibraryTest, JobsAreAddedUpdatedListedAndDeleted) {
  const int first = db().addJob(0, "job-1", 0, "<plist/>");
  const int second = db().addJob(0, "job-2", 3, "<plist2/>");
  const int other = db().addJob(4, "job-3", 0, "");
  ASSERT_NE(first, -1);
  ASSERT_NE(second, -1);
  ASSERT_NE(other, -1);
  EXPECT_NE(first, second);

  db().updateState(6, second);
  db().updateXMLForJob("it's <new/>", second);
  const SqlRows jobs = db().getVideoDownloadJobs();  // type 0 only
  ASSERT_EQ(jobs.size(), 2);
  const SqlRow &job = jobs[1].value("id").toInt() == second ? jobs[1] : jobs[0];
  EXPECT_EQ(job.value("JobState"), "6");
  EXPECT_EQ(job.value("XMLParams"), "it's <new/>");
  EXPECT_EQ(job.value("JobIdentifier"), "job-2");
  EXPECT_EQ(job.value("JobType"), "0");

  db().deleteJob(first);
  db().deleteJob(second);
  EXPECT_TRUE(db().getVideoDownloadJobs().isEmpty());
}

TEST_F(LibraryTest, ServerCommandAnswersTheNewestIdOfItsType) {
  const int older = db().addServerCommand(ServerCommandRetrieveVersion2Subscriptions, "a");
  const int otherType = db().addServerCommand(3, "b");
  const int newest = db().addServerCommand(ServerCommandRetrieveVersion2Subscriptions, "c");
  ASSERT_NE(older, -1);
  EXPECT_GT(newest, otherType);
  EXPECT_EQ(db().getServerCommandsOfType(51).size(), 2);

  db().updateXMLForServerCommand("c'", newest);
  db().deleteServerCommand(older);
  const SqlRows left = db().getServerCommandsOfType(51);
  ASSERT_EQ(left.size(), 1);
  EXPECT_EQ(left[0].value("id").toInt(), newest);
  EXPECT_EQ(left[0].value("Type"), "51");
  EXPECT_EQ(left[0].value("XMLParams"), "c'");
  EXPECT_TRUE(db().getServerCommandsOfType(99).isEmpty());
}
