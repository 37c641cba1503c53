// Publishers, channels, categories, tags and series: find-or-insert, linking,
// the gate's notifications and the list queries.

#include "LibraryFixture.h"

namespace {

QStringList names(const SqlRows &rows) {
  QStringList out;
  for (const SqlRow &row : rows) out.append(row.value("Name"));
  return out;
}

}  // namespace

TEST_F(LibraryTest, SameChannelForTwoVideosIsOneRowWithTwoEntriesAndTheLatestTexts) {
  const int a = addVideo("a");
  const int b = addVideo("b");
  ASSERT_TRUE(db().addChannelWithName("News", "first", "link", "feed1", "img1", "p1", a));
  ASSERT_TRUE(db().addChannelWithName("News", QString(), "link", "feed2", "img2", "p2", b));
  EXPECT_EQ(sql("SELECT Name, Description, FeedUrl, ImagePath, Permalink FROM Channels;"),
            "News||feed2|img2|p2");  // a channel writes every value, nil as ""
  EXPECT_EQ(sql("SELECT count(*) FROM ChannelEntries;"), "2");
  const int channel = sql("SELECT id FROM Channels;").toInt();
  EXPECT_EQ(db().getChannelEntries(channel), (QList<int>{a, b}));
}

TEST_F(LibraryTest, PublisherRefreshKeepsValuesNotGivenAndLinksTheVideo) {
  const int a = addVideo("a");
  ASSERT_TRUE(db().getVideoInfo(a));  // cached with PUBLISHER -1
  ASSERT_TRUE(db().addPublisherWithName("Pub", "described", "link", "feed", "img", "perma"));
  ASSERT_TRUE(
      db().addPublisherWithName("Pub", QString(), QString(), QString(), "img2", QString(), a));
  EXPECT_EQ(sql("SELECT Name, Description, FeedUrl, ImagePath, Permalink FROM Publishers;"),
            "Pub|described|feed|img2|perma");
  const int publisher = sql("SELECT id FROM Publishers;").toInt();
  EXPECT_EQ(db().getVideoInfo(a)->value("PUBLISHER"), QString::number(publisher));
  EXPECT_EQ(db().getNameForPublisherId(publisher), "Pub");
  EXPECT_EQ(db().getPublisherEntries(publisher), QList<int>{a});

  // A later publisher replaces the first.
  ASSERT_TRUE(db().addPublisherWithName("Other", {}, {}, {}, {}, {}, a));
  EXPECT_NE(db().getVideoInfo(a)->value("PUBLISHER"), QString::number(publisher));
  EXPECT_EQ(db().getNameForPublisherId(12345), "");
}

TEST_F(LibraryTest, CategoryAndSeriesRefreshOverwriteEveryValue) {
  ASSERT_TRUE(db().addCategoryWithName("Cat", "d1", "i1", "p1"));
  ASSERT_TRUE(db().addCategoryWithName("Cat", QString(), "i2", QString()));
  EXPECT_EQ(sql("SELECT Name, Description, ImagePath, Permalink FROM Categories;"), "Cat||i2|");
  ASSERT_TRUE(db().addSeriesWithName("S", "d1", "i1", "p1", "f1"));
  ASSERT_TRUE(db().addSeriesWithName("S", "d2", QString(), "p2", QString()));
  EXPECT_EQ(sql("SELECT Name, Description, ImagePath, Permalink, FeedUrl FROM Series;"),
            "S|d2||p2|");
}

TEST_F(LibraryTest, LinkingTwiceKeepsOneEntryPerVideoAndGroup) {
  const int a = addVideo("a");
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(db().addTagWithName("tag", "link", "feed", a));
    ASSERT_TRUE(db().addCategoryWithName("cat", {}, {}, {}, a));
    ASSERT_TRUE(db().addSeriesWithName("series", {}, {}, {}, {}, a));
    ASSERT_TRUE(db().addChannelWithName("channel", {}, {}, {}, {}, {}, a));
  }
  for (const char *table : {"Tags", "TagEntries", "Categories", "CategoryEntries", "Series",
                            "SeriesEntries", "Channels", "ChannelEntries"})
    EXPECT_EQ(sql(QString("SELECT count(*) FROM %1;").arg(table)), "1") << table;
}

TEST_F(LibraryTest, NamesDifferingInCaseAreTwoGroupsListedSideBySide) {
  for (const char *name : {"beta", "Alpha", "alpha", "Beta", "gamma"})
    ASSERT_TRUE(db().addTagWithName(name, {}, {}));
  const QStringList listed = names(db().getTagsSortedByName());
  ASSERT_EQ(listed.size(), 5);
  // Case-insensitive order: the two alphas first, the two betas next.
  EXPECT_EQ(QStringList(listed.mid(0, 2)).join(',').toLower(), "alpha,alpha");
  EXPECT_EQ(QStringList(listed.mid(2, 2)).join(',').toLower(), "beta,beta");
  EXPECT_EQ(listed[4], "gamma");
}

TEST_F(LibraryTest, GroupOperationsPostOneChangedThroughTheGate) {
  const int a = addVideo("a");
  NotificationRecorder recorder({"VideoDatabase_Changed"});
  ASSERT_TRUE(db().addTagWithName("base", {}, {}));
  EXPECT_EQ(recorder.names().size(), 1);
  recorder.clear();
  ASSERT_TRUE(db().addPublisherWithName("linked", {}, {}, {}, {}, {}, a));
  EXPECT_EQ(recorder.names().size(), 1);
  recorder.clear();
  {
    // A caller that closed the gate itself (adding a download) hears nothing.
    ZNotificationSuspension closed;
    ASSERT_TRUE(db().addCategoryWithName("quiet", {}, {}, {}, a));
  }
  EXPECT_TRUE(recorder.names().isEmpty());
  EXPECT_FALSE(ZNotificationSystem::sharedNotificationSystem().isSuspended());
}

TEST_F(LibraryTest, FailedLinkAnswersNoPostsNothingAndLeavesNoGroupBehind) {
  const int a = addVideo("a");
  ASSERT_TRUE(db().executeSQL("DROP TABLE TagEntries;"));
  NotificationRecorder recorder({"VideoDatabase_Changed"});
  EXPECT_FALSE(db().addTagWithName("orphan", {}, {}, a));
  EXPECT_TRUE(recorder.names().isEmpty());
  EXPECT_EQ(sql("SELECT count(*) FROM Tags;"), "0");
  EXPECT_FALSE(ZNotificationSystem::sharedNotificationSystem().isSuspended());
  // The library goes on working after the failure.
  EXPECT_TRUE(db().addCategoryWithName("fine", {}, {}, {}, a));
}

TEST_F(LibraryTest, EntryListsAndVideosWithoutAGroupInTitleOrder) {
  const int c = addVideo("charlie");
  const int a = addVideo("Alpha");
  const int b = addVideo("bravo");
  const int lone = addVideo("Delta");
  for (int id : {c, a, b}) {
    ASSERT_TRUE(db().addCategoryWithName("cat", {}, {}, {}, id));
    ASSERT_TRUE(db().addTagWithName("tag", {}, {}, id));
    ASSERT_TRUE(db().addSeriesWithName("series", {}, {}, {}, {}, id));
    ASSERT_TRUE(db().addChannelWithName("channel", {}, {}, {}, {}, {}, id));
    ASSERT_TRUE(db().addPublisherWithName("pub", {}, {}, {}, {}, {}, id));
  }
  const QList<int> titled = {a, b, c};
  EXPECT_EQ(db().getCategoryEntries(sql("SELECT id FROM Categories;").toInt()), titled);
  EXPECT_EQ(db().getTagEntries(sql("SELECT id FROM Tags;").toInt()), titled);
  EXPECT_EQ(db().getSeriesEntries(sql("SELECT id FROM Series;").toInt()), titled);
  EXPECT_EQ(db().getChannelEntries(sql("SELECT id FROM Channels;").toInt()), titled);
  EXPECT_EQ(db().getPublisherEntries(sql("SELECT id FROM Publishers;").toInt()), titled);
  EXPECT_TRUE(db().getCategoryEntries(999).isEmpty());

  for (const QList<int> &without :
       {db().getListOfVideosWithoutPublisher(), db().getListOfVideosWithoutChannel(),
        db().getListOfVideosWithoutCategory(), db().getListOfVideosWithoutTags(),
        db().getListOfVideosWithoutSeries()})
    EXPECT_EQ(without, QList<int>{lone});
}

TEST_F(LibraryTest, SubscriptionEntriesAreTheDownloadedItemsVideos) {
  const int a = addVideo("a");
  const int b = addVideo("b");
  ASSERT_TRUE(db().addFeedWithName("Feed", "http://feed/", 0));
  sql(QString("INSERT INTO FeedItems (FeedId, VideoId, Title, State) VALUES "
              "(1, %1, 'zulu', 1), (1, %2, 'Alpha', 1), (1, 77, 'mike', 0), (1, 78, 'kilo', -1), "
              "(1, 79, 'lima', 2), (2, 80, 'other feed', 1);")
          .arg(a)
          .arg(b));
  EXPECT_EQ(db().getSubscriptionEntries(1), (QList<int>{b, a}));
  EXPECT_EQ(names(db().getSubscriptionsSortedByName()), QStringList{""});  // Feeds have no Name
  EXPECT_EQ(db().getSubscriptionsSortedByName().first().value("Title"), "Feed");
}
