// Storing feeds in the library and handing their new items back.
#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <random>

#include "DateUtilities.h"
#include "FeedDatabase.h"
#include "LibraryFixture.h"
#include "QtPrinters.h"
#include "StringExtensions.h"
#include "ZFeedObject.h"

namespace {

const QString kFeedUrl = QStringLiteral("http://service.example/service/rss.xml?feedId=kitchen");

QString readDataFile(const QString &name) {
  QFile file(QStringLiteral(ZARO_TEST_DATA_DIR "/feeds/") + name);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromLatin1(file.readAll());
}

struct ItemSpec {
  QString guid;
  QString title;
  QString description = QStringLiteral("d");
};

// A feed as the reader makes it, items in the given (document) order.
std::unique_ptr<ZFeedObject> makeFeed(const QList<ItemSpec> &specs,
                                      const QString &title = QStringLiteral("Kitchen")) {
  auto feed = std::make_unique<ZZaroRSSFeedObject>();
  feed->setTitle(title);
  for (const ItemSpec &spec : specs) {
    auto item = std::make_shared<ZFeedItemObject>();
    item->setTitle(spec.title);
    if (!spec.guid.isEmpty()) item->setGuid(spec.guid);
    item->setDescription(spec.description);
    item->setVideoPermalink(spec.title.toLower());
    feed->addFeedItem(item);
  }
  return feed;
}

QStringList titles(const QList<ZFeedItemRef> &items) {
  QStringList out;
  for (const ZFeedItemRef &item : items) out << item->title();
  return out;
}

QString lit(const QString &text) { return QLatin1Char('\'') + sqlEscape(text) + QLatin1Char('\''); }

// The save done the plain way, one item at a time: look the item up by guid
// or title, then update the row found or insert a new one. The batched save
// must leave the tables exactly as this does.
int plainSaveFeed(VideoDatabase &db, ZFeedObject &feed, const QString &url) {
  db.executeSQL(QStringLiteral("BEGIN;"));
  auto ids = db.executeSQL(QStringLiteral("SELECT id FROM Feeds WHERE Url = %1;").arg(lit(url)));
  if (ids && ids->isEmpty()) {
    db.executeSQL(QStringLiteral("INSERT INTO Feeds(Url,Title,Description,Publisher,Website,"
                                 "Categories,Permalink,Source) VALUES (%1,%2,%3,%4,%5,%6,%7,'%8');")
                      .arg(lit(url), lit(feed.title()), lit(feed.description()),
                           lit(feed.publisher()), lit(feed.website()),
                           lit(feed.categoriesAsString()), lit(feed.permalink()))
                      .arg(feed.source()));
    ids = db.executeSQL(QStringLiteral("SELECT id FROM Feeds WHERE Url = %1;").arg(lit(url)));
  } else {
    db.executeSQL(QStringLiteral("UPDATE Feeds SET Title=%1,Description=%2,Publisher=%3,Website=%4,"
                                 "Categories=%5, Permalink=%6 WHERE id=%7;")
                      .arg(lit(feed.title()), lit(feed.description()), lit(feed.publisher()),
                           lit(feed.website()), lit(feed.categoriesAsString()),
                           lit(feed.permalink()), ids->first().value("id")));
  }
  const int feedId = ids->first().value("id").toInt();
  feed.setId(feedId);
  for (const ZFeedItemRef &item : feed.items()) {
    const QString lookup =
        item->guid().isEmpty()
            ? QStringLiteral("SELECT id FROM FeedItems WHERE FeedId = %1 AND Title = %2;")
                  .arg(feedId)
                  .arg(lit(item->title()))
            : QStringLiteral("SELECT id FROM FeedItems WHERE FeedId = %1 AND Guid = %2;")
                  .arg(feedId)
                  .arg(lit(item->guid()));
    const auto found = db.executeSQL(lookup);
    const QString values[] = {lit(item->title()),        lit(item->description()),
                              lit(item->publisher()),    lit(item->videoPermalink()),
                              lit(item->website()),      lit(item->categoriesAsString()),
                              lit(item->tagsAsString()), lit(QString::number(item->duration())),
                              lit(item->guid()),         lit(item->publishDate()),
                              lit(item->url()),          lit(QString::number(item->source()))};
    if (!found->isEmpty()) {
      db.executeSQL(QStringLiteral("UPDATE FeedItems SET Title=%1, Description=%2, Publisher=%3, "
                                   "Permalink=%4, Website=%5, Categories=%6, Tags=%7, Duration=%8, "
                                   "Guid=%9, ")
                        .arg(values[0], values[1], values[2], values[3], values[4], values[5],
                             values[6], values[7], values[8]) +
                    QStringLiteral("PubDate=%1, Url=%2, Source=%3 WHERE FeedId=%4 AND id=%5;")
                        .arg(values[9], values[10], values[11])
                        .arg(feedId)
                        .arg(found->first().value("id")));
    } else {
      db.executeSQL(
          QStringLiteral("INSERT INTO FeedItems(FeedId,Title,Description,Publisher,"
                         "Permalink,Website,Categories,Tags,Duration,Guid,PubDate,Url,"
                         "State,Source) VALUES ('%1',%2,%3,%4,%5,%6,%7,%8,%9,")
              .arg(feedId)
              .arg(values[0], values[1], values[2], values[3], values[4], values[5], values[6],
                   values[7]) +
          QStringLiteral("%1,%2,%3,0,%4);").arg(values[8], values[9], values[10], values[11]));
    }
  }
  db.executeSQL(QStringLiteral("COMMIT;"));
  return feedId;
}

// Everything stored about feeds except the time stamp of new items, with the
// storage class of the number columns.
SqlRows feedTables(VideoDatabase &db) {
  SqlRows rows = *db.executeSQL(QStringLiteral(
      "SELECT id,FeedId,VideoId,Title,Description,Permalink,Publisher,Website,Categories,Tags,"
      "Duration,typeof(Duration) AS DurationType,Guid,typeof(Guid) AS GuidType,PubDate,Url,State,"
      "Source,typeof(Source) AS SourceType,typeof(Title) AS TitleType,typeof(Description)||' '||"
      "typeof(Permalink)||' '||typeof(Publisher)||' '||typeof(Website)||' '||typeof(Categories)||"
      "' '||typeof(Tags)||' '||typeof(PubDate)||' '||typeof(Url) AS TextTypes,hex(Guid) AS "
      "GuidBytes,hex(Description) AS DescriptionBytes FROM FeedItems "
      "ORDER BY id;"));
  rows += *db.executeSQL(QStringLiteral("SELECT * FROM Feeds ORDER BY id;"));
  return rows;
}

class FeedDatabaseTest : public LibraryTest {
 protected:
  // A second, independent library beside the fixture's.
  std::unique_ptr<VideoDatabase> makeSecondLibrary() {
    VideoDatabase::Paths paths = fPaths;
    paths.databaseDirectory = fRoot + "/second";
    paths.databasePath = fRoot + "/second/ZaroPlayer.db";
    paths.lockPath = fRoot + "/second.lock";
    auto second = std::make_unique<VideoDatabase>(paths, fFolders.get());
    EXPECT_TRUE(second->createDatabase());
    return second;
  }

  int itemCount() { return sql("SELECT count(*) FROM FeedItems;").toInt(); }
};

}  // namespace

// ---------------------------------------------------------------------------
// Saving

TEST_F(FeedDatabaseTest, SavingANewFeedStoresTheFeedAndAllItsItems) {
  const auto feed =
      ZFeedObject::createFromXML(readDataFile(QStringLiteral("zaro-service-feed.xml")));
  ASSERT_NE(feed, nullptr);
  NotificationRecorder recorder({QStringLiteral("VideoDatabase_Changed")});

  const int feedId = saveFeed(db(), *feed, kFeedUrl);
  ASSERT_GT(feedId, 0);
  EXPECT_EQ(recorder.names(), QStringList({"VideoDatabase_Changed"}));
  EXPECT_EQ(feed->id(), feedId);
  for (const ZFeedItemRef &item : feed->items()) EXPECT_EQ(item->feedId(), feedId);

  EXPECT_EQ(sql("SELECT id,Url,Title,Description,Publisher,Website,Categories,Permalink,Source "
                "FROM Feeds;"),
            QString::fromUtf8("%1|%2|Open Kitchen & Co. \u2014 Recipes|<p>Recipes in <b>very</b> "
                              "short episodes.</p>|Open Kitchen & Co.|"
                              "http://service.example/channels/kitchen|Food & Drink, "
                              "Caf\u00e9 culture|kitchen|0")
                .arg(feedId)
                .arg(kFeedUrl));
  EXPECT_EQ(
      sql("SELECT FeedId,VideoId IS NULL,Title,Description,Publisher,Permalink,Website,Categories,"
          "Tags,Duration,typeof(Duration),Guid,PubDate,Url,State,Source FROM FeedItems ORDER BY "
          "id;"),
      QString::fromUtf8(
          "%1|1|Cr\u00e8me br\u00fbl\u00e9e in 4 seconds|<p>Sugar, flame &amp; a spoon \u2013 "
          "\"crack\" it's done.</p>|Open Kitchen & Co.|creme-brulee|"
          "http://service.example/videos/creme-brulee|Food & Drink, Desserts|dessert, sugar, "
          "flame|754|integer|zaro-video-creme-brulee|2024-05-08 19:00:00|"
          "http://service.example/cache/external/0a1b2c.mp4?permalinkId=creme-brulee&x=1|0|0\n"
          "%1|1|Knife skills|Hold it like this.||knife-skills|"
          "http://service.example/videos/knife-skills|||12|integer|zaro-video-knife-skills||"
          "http://service.example/cache/external/knife.mp4|0|0\n"
          "%1|1|Stock, from bones|||stock||||0|integer||2024-05-06 07:15:00|"
          "http://service.example/cache/external/stock.mp4|0|0\n"
          "%1|1||Announcement without a video.||||||0|integer||||0|0")
          .arg(feedId));
  // Every new item carries the time it was first stored.
  const QStringList stamps = sql("SELECT DateAdded FROM FeedItems;").split('\n');
  ASSERT_EQ(stamps.size(), 4);
  for (const QString &stamp : stamps)
    EXPECT_TRUE(Utilities::parseDate(stamp).isValid()) << stamp.toStdString();
}

TEST_F(FeedDatabaseTest, SavingRefreshesTheSubscribedRow) {
  ASSERT_TRUE(db().addFeedWithName(kFeedUrl, kFeedUrl, 0));
  const int subscribed = sql("SELECT id FROM Feeds;").toInt();
  auto feed = makeFeed({{"g1", "One"}}, QStringLiteral("It's the kitchen"));
  feed->addCategory(QStringLiteral("Food"));
  EXPECT_EQ(saveFeed(db(), *feed, kFeedUrl), subscribed);
  EXPECT_EQ(sql("SELECT id,Title,Categories,Source FROM Feeds;"),
            QStringLiteral("%1|It's the kitchen|Food|0").arg(subscribed));

  // The stored feed comes back as an object.
  const auto stored = getFeedWithUrl(db(), kFeedUrl);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->id(), subscribed);
  EXPECT_EQ(stored->title(), "It's the kitchen");
  EXPECT_EQ(stored->url(), kFeedUrl);
  EXPECT_EQ(stored->categories(), QStringList({"Food"}));
}

TEST_F(FeedDatabaseTest, ReadingAgainUpdatesTextsAndKeepsStates) {
  auto first = makeFeed({{"g-new", "New"},
                         {"g-done", "Done"},
                         {"g-cancelled", "Cancelled"},
                         {"g-deleted", "Deleted"},
                         {"", "No guid"}});
  const int feedId = saveFeed(db(), *first, kFeedUrl);
  ASSERT_GT(feedId, 0);
  ASSERT_EQ(itemCount(), 5);

  const QList<ZFeedItemRef> stored = getNewFeedItemsForFeedId(db(), feedId);
  ASSERT_EQ(titles(stored), QStringList({"New", "Done", "Cancelled", "Deleted", "No guid"}));
  stored[1]->setVideoId(71);
  markFeedItemAsDownloaded(db(), *stored[1]);
  markFeedItemAsCancelled(db(), *stored[2]);
  db().executeSQL(
      QStringLiteral("UPDATE FeedItems SET State=2, VideoId=73 WHERE id=%1;").arg(stored[3]->id()));
  const QString stampsBefore = sql("SELECT id,DateAdded FROM FeedItems ORDER BY id;");

  // The same items again, texts changed, one item renamed (found by its
  // guid), the guid-less one found by its title, and a new one on top.
  auto second = makeFeed({{"g-newer", "Newer", "brand new"},
                          {"g-new", "New", "d2"},
                          {"g-done", "Done", "d2"},
                          {"g-cancelled", "Cancelled", "d2"},
                          {"g-deleted", "Deleted (renamed)", "d2"},
                          {"", "No guid", "d2"}});
  EXPECT_EQ(saveFeed(db(), *second, kFeedUrl), feedId);
  EXPECT_EQ(itemCount(), 6);
  EXPECT_EQ(sql("SELECT Guid,Title,Description,State,ifnull(VideoId,'-') FROM FeedItems ORDER BY "
                "id;"),
            "g-new|New|d2|0|-\n"
            "g-done|Done|d2|1|71\n"
            "g-cancelled|Cancelled|d2|-1|0\n"
            "g-deleted|Deleted (renamed)|d2|2|73\n"
            "|No guid|d2|0|-\n"
            "g-newer|Newer|brand new|0|-");
  // Rows that were there keep the time they were first stored.
  EXPECT_TRUE(sql("SELECT id,DateAdded FROM FeedItems ORDER BY id;").startsWith(stampsBefore));

  // Reading it once more unchanged changes nothing.
  const SqlRows before = feedTables(db());
  auto third = makeFeed({{"g-newer", "Newer", "brand new"},
                         {"g-new", "New", "d2"},
                         {"g-done", "Done", "d2"},
                         {"g-cancelled", "Cancelled", "d2"},
                         {"g-deleted", "Deleted (renamed)", "d2"},
                         {"", "No guid", "d2"}});
  EXPECT_EQ(saveFeed(db(), *third, kFeedUrl), feedId);
  EXPECT_EQ(feedTables(db()), before);
}

TEST_F(FeedDatabaseTest, BatchedSaveLeavesTheTablesAsItemByItemStatementsDo) {
  auto plain = makeSecondLibrary();
  // Rows that an item-by-item save could find more than once: two rows of
  // one guid, a row without a title, a row of another feed with a guid used
  // here too; and a row that reads like an item's values but holds a NULL
  // where the item writes an empty text.
  const QString legacy =
      QStringLiteral(
          "INSERT INTO Feeds(Url,Title,Source) VALUES ('%1','x',0),('other','o',0);"
          "INSERT INTO FeedItems(FeedId,Title,Guid,State,Description) VALUES "
          "(1,'Twin','dup',0,'a'),(1,'Twin','dup',1,'b'),(1,NULL,'nt',0,'c'),(2,'Elsewhere','g1',0,"
          "'e');"
          "INSERT INTO FeedItems(FeedId,Title,Guid,State,Description,Permalink,Publisher,Website,"
          "Categories,Tags,Duration,PubDate,Url,Source) VALUES "
          "(1,'Same','same',0,'s','same','','','','',0,'',NULL,0);"
          // A guid kept as a blob, which no item's text equals, and a
          // description whose bytes are not UTF-8: it reads like the item's
          // text but is not what the save writes.
          "INSERT INTO FeedItems(FeedId,Title,Guid,State,Description) VALUES "
          "(1,'Blobbed',X'626C6F62',0,'b');"
          "INSERT INTO FeedItems(FeedId,Title,Guid,State,Description,Permalink,Publisher,Website,"
          "Categories,Tags,Duration,PubDate,Url,Source) VALUES "
          "(1,'Bad','bad',0,CAST(X'FF' AS TEXT),'bad','','','','',0,'','',0);")
          .arg(kFeedUrl);
  ASSERT_TRUE(db().executeSQL(legacy));
  ASSERT_TRUE(plain->executeSQL(legacy));

  struct Scenario {
    const char *name;
    QList<ItemSpec> items;
  };
  const QList<Scenario> scenarios = {
      {"duplicate guid within a document", {{"g1", "A"}, {"g1", "B", "second"}, {"g2", "A"}}},
      {"title lookup finds a row that has a guid", {{"", "B"}, {"", "A", "x"}, {"", "A", "y"}}},
      {"older duplicates: the first row is the one updated", {{"dup", "Twin", "updated"}}},
      {"a renamed row is found by its new title", {{"dup", "Renamed"}, {"", "Renamed", "z"}}},
      {"an empty title does not find a row without one", {{"", ""}, {"nt", "Titled now"}}},
      {"apostrophes", {{"it's", "Rock 'n' roll"}, {"", "Rock 'n' roll", "again"}}},
      {"a NULL is written over although the texts read the same", {{"same", "Same", "s"}}},
      {"a blob guid is not found by the same text", {{"blob", "Blobbed", "b"}}},
      {"bytes that are not UTF-8 are written over", {{"bad", "Bad", QStringLiteral("\uFFFD")}}},
      {"texts beyond ASCII", {{"caf\u00e9", "Cr\u00e8me", "br\u00fbl\u00e9e"}}},
      {"the same texts again", {{"caf\u00e9", "Cr\u00e8me", "br\u00fbl\u00e9e"}}},
      {"only one accent differs", {{"caf\u00e9", "Cr\u00e8me", "br\u00fbl\u00e8e"}}},
      {"a lone surrogate", {{"caf\u00e9", QStringLiteral("x") + QChar(0xD800), "s"}}},
      {"a lone surrogate against its stored replacement",
       {{"caf\u00e9", QStringLiteral("x") + QChar(0xD800), "s"}}},
  };
  for (const Scenario &scenario : scenarios) {
    auto batched = makeFeed(scenario.items);
    auto itemByItem = makeFeed(scenario.items);
    EXPECT_EQ(saveFeed(db(), *batched, kFeedUrl), plainSaveFeed(*plain, *itemByItem, kFeedUrl))
        << scenario.name;
    ASSERT_EQ(feedTables(db()), feedTables(*plain)) << scenario.name;
  }

  // Many small documents drawn from a few guids, titles and texts, with
  // items changing state in between.
  std::mt19937 random(20240508);
  const QStringList guids = {"", "", "g1", "g2", "g3", "it's"};
  const QStringList names = {"A", "B", "C", "", "Rock 'n' roll"};
  const QStringList texts = {"d", "e", "f"};
  auto pick = [&random](const QStringList &from) {
    return from.at(std::uniform_int_distribution<qsizetype>(0, from.size() - 1)(random));
  };
  for (int pass = 0; pass < 60; ++pass) {
    QList<ItemSpec> items;
    const int count = std::uniform_int_distribution<int>(0, 7)(random);
    for (int i = 0; i < count; ++i) items.append({pick(guids), pick(names), pick(texts)});
    auto batched = makeFeed(items);
    auto itemByItem = makeFeed(items);
    saveFeed(db(), *batched, kFeedUrl);
    plainSaveFeed(*plain, *itemByItem, kFeedUrl);
    ASSERT_EQ(feedTables(db()), feedTables(*plain)) << "pass " << pass;
    const QString mark = QStringLiteral("UPDATE FeedItems SET State=1, VideoId=%1 WHERE id=%2;")
                             .arg(pass)
                             .arg(std::uniform_int_distribution<int>(1, 40)(random));
    db().executeSQL(mark);
    plain->executeSQL(mark);
  }

  // A long document crosses the statement batches.
  QList<ItemSpec> many;
  for (int i = 0; i < 1234; ++i)
    many.append({i % 7 ? QStringLiteral("m%1").arg(i % 1100) : QString(),
                 QStringLiteral("Item %1").arg(i % 1000), QStringLiteral("text %1").arg(i)});
  auto batched = makeFeed(many);
  auto itemByItem = makeFeed(many);
  saveFeed(db(), *batched, QStringLiteral("http://long"));
  plainSaveFeed(*plain, *itemByItem, QStringLiteral("http://long"));
  EXPECT_EQ(feedTables(db()), feedTables(*plain));
}

TEST_F(FeedDatabaseTest, AFailedSaveKeepsNothingAndAnswersZero) {
  auto first = makeFeed({{"g1", "One"}, {"g2", "Two"}}, QStringLiteral("Before"));
  const int feedId = saveFeed(db(), *first, kFeedUrl);
  ASSERT_GT(feedId, 0);
  const SqlRows before = feedTables(db());

  // The database refuses one of the new items.
  ASSERT_TRUE(db().executeSQL(
      QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON FeedItems WHEN NEW.Title = 'boom' "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END;")));
  NotificationRecorder recorder({QStringLiteral("VideoDatabase_Changed")});
  auto failing = makeFeed({{"g3", "Three"}, {"g1", "One", "changed"}, {"g4", "boom"}},
                          QStringLiteral("After"));
  EXPECT_EQ(saveFeed(db(), *failing, kFeedUrl), 0);
  EXPECT_EQ(recorder.names(), QStringList({"VideoDatabase_Changed"}));
  EXPECT_EQ(feedTables(db()), before);  // neither the feed nor any item changed

  // A feed first stored by the failed save is not kept either.
  auto fresh = makeFeed({{"g9", "boom"}});
  EXPECT_EQ(saveFeed(db(), *fresh, QStringLiteral("http://fresh")), 0);
  EXPECT_EQ(fresh->id(), 0);
  EXPECT_EQ(getFeedWithUrl(db(), QStringLiteral("http://fresh")), nullptr);

  // The library goes on working.
  db().executeSQL(QStringLiteral("DROP TRIGGER refuse;"));
  auto retried = makeFeed({{"g3", "Three"}, {"g1", "One", "changed"}, {"g4", "boom"}});
  EXPECT_EQ(saveFeed(db(), *retried, kFeedUrl), feedId);
  EXPECT_EQ(itemCount(), 4);

  db().executeSQL(QStringLiteral("DROP TABLE FeedItems;"));
  auto lost = makeFeed({{"g1", "One"}});
  EXPECT_EQ(saveFeed(db(), *lost, kFeedUrl), 0);
}

// ---------------------------------------------------------------------------
// New items, newest first

TEST_F(FeedDatabaseTest, NewItemsComeNewestFirst) {
  // Feeds list their newest items first. Every save here falls in the same
  // second or the next: later saves must still sort as newer.
  auto pass1 = makeFeed({{"c", "C"}, {"b", "B"}, {"a", "A"}});
  const int feedId = saveFeed(db(), *pass1, kFeedUrl);
  EXPECT_EQ(titles(getNewFeedItemsForFeedId(db(), feedId)), QStringList({"C", "B", "A"}));

  auto pass2 = makeFeed({{"e", "E"}, {"d", "D"}, {"c", "C"}, {"b", "B"}, {"a", "A"}});
  saveFeed(db(), *pass2, kFeedUrl);
  auto pass3 = makeFeed({{"f", "F"}, {"e", "E"}, {"d", "D"}, {"c", "C"}, {"b", "B"}});
  saveFeed(db(), *pass3, kFeedUrl);
  QList<ZFeedItemRef> items = getNewFeedItemsForFeedId(db(), feedId);
  EXPECT_EQ(titles(items), QStringList({"F", "E", "D", "C", "B", "A"}));

  // With "DownloadVideoCount" 3 the first three are the three newest; the
  // others are cancelled and no longer new.
  for (qsizetype i = 3; i < items.size(); ++i) markFeedItemAsCancelled(db(), *items[i]);
  EXPECT_EQ(titles(getNewFeedItemsForFeedId(db(), feedId)), QStringList({"F", "E", "D"}));

  // Items of another feed stay apart.
  auto other = makeFeed({{"z", "Z"}});
  const int otherId = saveFeed(db(), *other, QStringLiteral("http://other"));
  EXPECT_EQ(titles(getNewFeedItemsForFeedId(db(), otherId)), QStringList({"Z"}));
  EXPECT_EQ(titles(getNewFeedItemsForFeedId(db(), feedId)), QStringList({"F", "E", "D"}));
}

TEST_F(FeedDatabaseTest, NewerItemsStaySortedAfterTheClockWentBack) {
  auto pass1 = makeFeed({{"b", "B"}, {"a", "A"}});
  const int feedId = saveFeed(db(), *pass1, kFeedUrl);
  // Items stored under a clock that ran ahead, and legacy items without a
  // time stamp.
  db().executeSQL(QStringLiteral("UPDATE FeedItems SET DateAdded='2999-12-31 23:59:59';"));
  db().executeSQL(QStringLiteral("INSERT INTO FeedItems(FeedId,Title,Guid,State) VALUES "
                                 "(%1,'Legacy','l',0);")
                      .arg(feedId));
  auto pass2 = makeFeed({{"c", "C"}, {"b", "B"}, {"a", "A"}, {"l", "Legacy"}});
  saveFeed(db(), *pass2, kFeedUrl);
  EXPECT_EQ(titles(getNewFeedItemsForFeedId(db(), feedId)), QStringList({"C", "B", "A", "Legacy"}));
  EXPECT_EQ(sql("SELECT DateAdded FROM FeedItems WHERE Guid='c';"), "3000-01-01 00:00:00");
}

TEST_F(FeedDatabaseTest, NewItemsCarryTheirStoredValues) {
  auto feed = std::make_unique<ZZaroRSSFeedObject>();
  feed->setTitle(QStringLiteral("F"));
  auto item = std::make_shared<ZFeedItemObject>();
  item->setTitle(QStringLiteral("It's one"));
  item->setDescription(QStringLiteral("<p>d</p>"));
  item->setPublisher(QStringLiteral("P"));
  item->setVideoPermalink(QStringLiteral("perma"));
  item->setWebsite(QStringLiteral("http://w/"));
  item->setDuration(754);
  item->setGuid(QStringLiteral("g"));
  item->setPublishDate(QStringLiteral("2024-05-08 19:00:00"));
  item->setUrl(QStringLiteral("http://m/1.mp4"));
  item->addCategory(QStringLiteral("Food & Drink"));
  item->addCategory(QStringLiteral("Desserts"));
  item->addTag(QStringLiteral("sugar"));
  feed->addFeedItem(item);
  auto bare = std::make_shared<ZFeedItemObject>();
  bare->setTitle(QStringLiteral("Bare"));
  feed->addFeedItem(bare);
  const int feedId = saveFeed(db(), *feed, kFeedUrl);

  const QList<ZFeedItemRef> items = getNewFeedItemsForFeedId(db(), feedId);
  ASSERT_EQ(items.size(), 2);
  const ZFeedItemObject &back = *items[0];
  EXPECT_GT(back.id(), 0);
  EXPECT_EQ(back.feedId(), feedId);
  EXPECT_EQ(back.title(), "It's one");
  EXPECT_EQ(back.description(), "<p>d</p>");
  EXPECT_EQ(back.publisher(), "P");
  EXPECT_EQ(back.videoPermalink(), "perma");
  EXPECT_EQ(back.website(), "http://w/");
  EXPECT_EQ(back.duration(), 754);
  EXPECT_EQ(back.guid(), "g");
  EXPECT_EQ(back.publishDate(), "2024-05-08 19:00:00");
  EXPECT_EQ(back.url(), "http://m/1.mp4");
  EXPECT_EQ(back.source(), 0);
  EXPECT_EQ(back.videoId(), 0);
  EXPECT_EQ(back.categories(), QStringList({"Food & Drink", "Desserts"}));
  EXPECT_EQ(back.tags(), QStringList({"sugar"}));
  // Stored empty, read back as none (not as one empty name).
  EXPECT_TRUE(items[1]->categories().isEmpty());
  EXPECT_TRUE(items[1]->tags().isEmpty());
}

// ---------------------------------------------------------------------------
// Looking a feed up

TEST_F(FeedDatabaseTest, GetFeedWithUrlNeedsExactlyOneServiceFeedRow) {
  db().executeSQL(QStringLiteral(
      "INSERT INTO Feeds(Url,Title,Source) VALUES ('http://zero','Zero',0),"
      "('http://null-source','N',NULL),('http://one','One',1),('http://twice','T1',0),"
      "('http://twice','T2',0),('http://untitled','',0);"));
  struct Case {
    const char *url;
    bool found;
  } const cases[] = {
      {"http://zero", true},   {"http://null-source", false}, {"http://one", false},
      {"http://twice", false}, {"http://untitled", false},    {"http://missing", false},
      {"http://ZERO", false},
  };
  for (const Case &c : cases) {
    const auto feed = getFeedWithUrl(db(), QString::fromUtf8(c.url));
    EXPECT_EQ(feed != nullptr, c.found) << c.url;
    if (feed) {
      EXPECT_EQ(feed->url(), QString::fromUtf8(c.url));
    }
  }
  // An address with an apostrophe is looked up safely.
  ASSERT_TRUE(db().addFeedWithName("http://x/?q='1", "http://x/?q='1", 0));
  EXPECT_NE(getFeedWithUrl(db(), QStringLiteral("http://x/?q='1")), nullptr);
}
