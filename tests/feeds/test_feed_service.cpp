// The reader against the reference service: a feed the service writes is
// fetched as the subscription manager fetches it, read, stored and handed
// back as new items.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <memory>

#include "FeedDatabase.h"
#include "LibraryFixture.h"
#include "QtPrinters.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "ZFeedObject.h"

namespace {

// A catalog with the values that are hard to carry: markup and entities in
// texts, apostrophes, letters beyond ASCII, a tag with a blank.
const char kCatalog[] = R"json({
  "images": { "icon": "images/icon.jpg" },
  "publishers": [ { "id": "obrien", "name": "O'Brien & Sons <Media>" } ],
  "channels": [
    { "id": "kitchen", "title": "The Kitchen", "description": "Recipes, \"short\" & sweet" }
  ],
  "categories": [
    { "id": "food", "title": "Food & Drink" },
    { "id": "cafe", "title": "Caf\u00e9" }
  ],
  "videos": [
    {
      "permalink": "creme-brulee", "title": "Cr\u00e8me br\u00fbl\u00e9e: it's <done>",
      "description": "<p>Sugar &amp; flame</p>\nSecond line", "duration": 754,
      "file": "media/creme.mp4", "icon": "icon", "publisher": "obrien",
      "categories": ["food", "cafe"], "tags": ["dessert", "new york"],
      "published": "2024-05-01 06:30:00"
    },
    {
      "permalink": "knife-skills", "title": "Knife skills", "file": "media/knife.mp4",
      "icon": "icon", "published": "2024-05-08 19:00:00"
    }
  ],
  "feeds": [
    {
      "id": "kitchen", "channel": "kitchen", "author": "Open Kitchen",
      "categories": ["Food & Drink", "Baking"],
      "items": ["knife-skills", { "video": "creme-brulee", "pubDate": "2024-05-02 10:00:00" }]
    }
  ]
})json";

// The catalog above in a folder, with its image and movie files.
QString writeCatalog(const QString &folder) {
  TestEnvironment::writeFile(folder + "/catalog.json", QByteArray(kCatalog));
  TestEnvironment::writeFile(folder + "/images/icon.jpg", QByteArray("\xff\xd8\xff\xd9", 4));
  TestEnvironment::writeFile(folder + "/media/creme.mp4", QByteArray(2048, 'c'));
  TestEnvironment::writeFile(folder + "/media/knife.mp4", QByteArray(1024, 'k'));
  return folder;
}

// GET as the subscription manager asks: the body, or nothing on failure.
std::optional<QByteArray> fetch(const QString &url) {
  QNetworkAccessManager network;
  QNetworkRequest request{QUrl(url)};
  request.setTransferTimeout(5000);
  std::unique_ptr<QNetworkReply> reply(network.get(request));
  if (!TestEnvironment::waitFor([&] { return reply->isFinished(); }, 10000)) return std::nullopt;
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply->error() != QNetworkReply::NoError || (status != 200 && status != 206))
    return std::nullopt;
  return reply->readAll();
}

class FeedServiceTest : public LibraryTest {};

}  // namespace

TEST_F(FeedServiceTest, AFeedOfTheReferenceServiceIsReadStoredAndHandedBack) {
  ServiceProcess service({"--catalog", writeCatalog(fRoot + "/catalog")});
  ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
  const QString base = service.baseUrl();
  const QString feedUrl = base + "/service/rss.xml?feedId=kitchen";

  const auto body = fetch(feedUrl + "&ZARO_GUIDE_AUTH=token");
  ASSERT_TRUE(body.has_value());
  // One byte per character, as the fetched body is turned into text.
  const auto feed = ZFeedObject::createFromXML(QString::fromLatin1(*body));
  ASSERT_NE(feed, nullptr);

  EXPECT_EQ(feed->title(), "The Kitchen");
  EXPECT_EQ(feed->website(), base + "/channels/kitchen");
  EXPECT_EQ(feed->description(), "Recipes, \"short\" & sweet");
  EXPECT_EQ(feed->publisher(), "Open Kitchen");
  EXPECT_EQ(feed->categories(), QStringList({"Food & Drink", "Baking"}));
  EXPECT_EQ(feed->permalink(), "kitchen");

  const QList<ZFeedItemRef> items = feed->items();
  ASSERT_EQ(items.size(), 2);
  const ZFeedItemObject &knife = *items[0];
  EXPECT_EQ(knife.title(), "Knife skills");
  EXPECT_EQ(knife.videoPermalink(), "knife-skills");
  EXPECT_EQ(knife.website(), base + "/videos/knife-skills");
  EXPECT_EQ(knife.guid(), "zaro-video-knife-skills");
  EXPECT_EQ(knife.description(), "");
  EXPECT_EQ(knife.publisher(), "");
  EXPECT_EQ(knife.duration(), 0);
  EXPECT_TRUE(knife.tags().isEmpty());
  EXPECT_TRUE(knife.categories().isEmpty());
  // The service writes GMT; the zone is not read, the fields are kept.
  EXPECT_EQ(knife.publishDate(), "2024-05-08 19:00:00");
  EXPECT_TRUE(knife.url().startsWith(base + "/cache/external/")) << knife.url().toStdString();
  EXPECT_TRUE(knife.url().endsWith(".mp4?permalinkId=knife-skills")) << knife.url().toStdString();
  // The media address is one the service answers.
  const auto media = fetch(knife.url());
  ASSERT_TRUE(media.has_value());
  EXPECT_EQ(media->size(), 1024);

  const ZFeedItemObject &brulee = *items[1];
  EXPECT_EQ(brulee.title(), QString::fromUtf8("Cr\u00e8me br\u00fbl\u00e9e: it's <done>"));
  EXPECT_EQ(brulee.description(), "<p>Sugar &amp; flame</p>\nSecond line");
  EXPECT_EQ(brulee.publisher(), "O'Brien & Sons <Media>");
  EXPECT_EQ(brulee.publishDate(), "2024-05-02 10:00:00");
  EXPECT_EQ(brulee.duration(), 754);
  EXPECT_EQ(brulee.categories(), QStringList({"Food & Drink", QString::fromUtf8("Caf\u00e9")}));
  // The service joins tags with blanks and the reader splits at blanks: a
  // tag holding a blank arrives as two.
  EXPECT_EQ(brulee.tags(), QStringList({"dessert", "new", "york"}));

  // Stored under the fetched address, the items come back newest (first
  // listed) first, ready for the download queue.
  ASSERT_TRUE(db().addFeedWithName(feedUrl, feedUrl, 0));
  const int feedId = saveFeed(db(), *feed, feedUrl);
  ASSERT_GT(feedId, 0);
  const QList<ZFeedItemRef> fresh = getNewFeedItemsForFeedId(db(), feedId);
  ASSERT_EQ(fresh.size(), 2);
  EXPECT_EQ(fresh[0]->videoPermalink(), "knife-skills");
  EXPECT_EQ(fresh[1]->videoPermalink(), "creme-brulee");
  EXPECT_EQ(fresh[1]->title(), brulee.title());
  EXPECT_EQ(fresh[1]->description(), brulee.description());
  EXPECT_EQ(fresh[1]->url(), brulee.url());
  const auto stored = getFeedWithUrl(db(), feedUrl);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->title(), "The Kitchen");
}
