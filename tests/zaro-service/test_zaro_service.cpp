// The exchanges of zaro-service, asked the way the player asks them, against
// the demo catalog.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include "ClientCipher.h"
#include "ServiceProcess.h"
#include "ServiceTestHelpers.h"

namespace {

const QString kUuid = QStringLiteral("6B29FC40-CA47-1067-B31D-00DD010662DA");
const std::string kDemoToken = "demo-user+token/42";

std::string demoFile(const char *relative) {
  return readFile(QStringLiteral(ZARO_SERVICE_DEMO_DIR "/") + QLatin1String(relative));
}

std::string guidParameter() {
  return formEncoded(ClientCipher::encryptedGuid(kUuid)->toStdString());
}

// The identity query every service request of the player carries.
std::string identity() {
  return "clientGUID=" + guidParameter() + "&ZARO_GUIDE_AUTH=" + formEncoded(kDemoToken) +
         "&version=2.0.0";
}

const httplib::Headers kPlayerHeaders = {
    {"User-Agent", "zaro-2.0.0 service (MacOS; Safari; darwin)"}};

class ZaroServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sService = new ServiceProcess({"--demo"}); }
  static void TearDownTestSuite() {
    delete sService;
    sService = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(sService->running()) << sService->firstLine().toStdString();
    sService->controlDelete("/_control/faults");
    sService->controlDelete("/_control/requests");
    fClient = sService->client();
  }

  // The demo video's entry in the control summary.
  static QJsonObject video(const QString &permalink) {
    for (const QJsonValue entry : sService->control("/_control/catalog")["videos"].toArray())
      if (entry["permalink"].toString() == permalink) return entry.toObject();
    return {};
  }
  static std::string videoPath(const QString &permalink) {
    const QJsonObject entry = video(permalink);
    return "/cache/external/" + entry["fileHash"].toString().toStdString() +
           entry["extension"].toString().toStdString() + "?permalinkId=" + permalink.toStdString();
  }
  static QJsonArray requests() { return sService->control("/_control/requests").array(); }

  httplib::Result mediaInfo(const std::string &body) {
    return fClient->Post("/service/getMediaInfo.xml?" + identity(), kPlayerHeaders, body,
                         "text/xml;charset=utf-8");
  }

  static ServiceProcess *sService;
  std::unique_ptr<httplib::Client> fClient;
};

ServiceProcess *ZaroServiceTest::sService = nullptr;

// Every answer announces its length, and it is the length sent.
void expectLengthAnnounced(const httplib::Result &result) {
  ASSERT_TRUE(result);
  ASSERT_TRUE(result->has_header("Content-Length"));
  EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(result->body.size()));
}

TEST_F(ZaroServiceTest, AccessKeyIsAnsweredAndTheGuidIsRead) {
  const auto result = fClient->Get("/service/keyRequest.xml?clientGUID=" + guidParameter() +
                                       "&localAddress=127.0.0.1%3A1234&version=2.0.0",
                                   kPlayerHeaders);
  expectLengthAnnounced(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type").rfind("text/xml", 0), 0u);
  const auto root = parseXml(result->body);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->name, "Response");
  // URL-encoded in the document: the player decodes it.
  EXPECT_EQ(root->value("AccessKey"), formEncoded("demo-access-key+1/2024"));

  const QJsonObject logged = requests().last().toObject();
  EXPECT_EQ(logged["path"].toString(), "/service/keyRequest.xml");
  EXPECT_TRUE(logged["clientGuid"]["decoded"].toBool());
  EXPECT_EQ(logged["clientGuid"]["uuid"].toString(), kUuid);
}

TEST_F(ZaroServiceTest, AccessKeyNeedsAGuidButAnUnreadableOneIsOnlyRecorded) {
  EXPECT_EQ(fClient->Get("/service/keyRequest.xml?version=2.0.0")->status, 400);

  const auto result = fClient->Get("/service/keyRequest.xml?clientGUID=bm90LWEtZ3VpZA%3D%3D");
  EXPECT_EQ(result->status, 200);
  const QJsonObject logged = requests().last().toObject();
  EXPECT_FALSE(logged["clientGuid"]["decoded"].toBool());
  EXPECT_FALSE(logged["clientGuid"].toObject().contains("uuid"));
}

TEST_F(ZaroServiceTest, MediaInfoDescribesTheVideoAndItsGroupings) {
  const auto result =
      mediaInfo("<MediaIdList>\r\n<MediaId permalinkId=\"cooking-basics-1\"/>\r\n</MediaIdList>");
  expectLengthAnnounced(result);
  ASSERT_EQ(result->status, 200);
  const auto root = parseXml(result->body);
  ASSERT_TRUE(root);
  const XmlNode *entry = root->child("QueueEntry");
  ASSERT_TRUE(entry);
  const XmlNode *video = entry->child("Video");
  ASSERT_TRUE(video);

  const QJsonObject expected = ZaroServiceTest::video("cooking-basics-1");
  EXPECT_EQ(video->value("Title"), "Cooking Basics 1: Boiling water");
  EXPECT_EQ(video->value("PermalinkId"), "cooking-basics-1");
  EXPECT_EQ(video->value("VideoId"), "1004");
  EXPECT_EQ(video->value("IconId"), "cooking-basics-1");
  EXPECT_EQ(video->value("Duration"), "4");
  EXPECT_EQ(video->value("FileHash"), expected["fileHash"].toString().toStdString());
  EXPECT_EQ(video->value("Size"), std::to_string(demoFile("media/cooking-basics-1.mp4").size()));
  EXPECT_EQ(video->value("Extension"), ".mp4");
  EXPECT_EQ(video->value("ContentRating"), "0");
  EXPECT_EQ(video->value("ReviewState"), "approved");
  EXPECT_EQ(video->value("Rating"), "4");
  EXPECT_NE(video->value("Description"), "<missing>");

  const XmlNode *publisher = entry->child("Publisher");
  ASSERT_TRUE(publisher);
  EXPECT_EQ(publisher->value("Name"), "Open Kitchen & Co.");
  EXPECT_EQ(publisher->value("PermalinkId"), "open-kitchen");
  for (const char *field : {"Description", "Thumbnail", "Link", "FeedUrl"})
    EXPECT_NE(publisher->value(field), "<missing>") << field;

  ASSERT_TRUE(video->child("Tags"));
  std::vector<std::string> tags;
  for (const XmlNode *tag : video->child("Tags")->all("Tag")) tags.push_back(tag->value("Name"));
  EXPECT_EQ(tags, (std::vector<std::string>{"cooking", "basics"}));

  const XmlNode *channel = video->child("Channel");
  ASSERT_TRUE(channel);
  EXPECT_EQ(channel->value("Title"), "The Kitchen");
  EXPECT_EQ(channel->value("PermalinkId"), "kitchen");
  ASSERT_TRUE(video->child("Categories"));
  const auto categories = video->child("Categories")->all("Category");
  ASSERT_EQ(categories.size(), 1u);
  EXPECT_EQ(categories[0]->value("Title"), "Food & Drink");
  EXPECT_EQ(categories[0]->value("PermalinkId"), "food");
  ASSERT_TRUE(video->child("Series"));
  EXPECT_EQ(video->child("Series")->value("Title"), "Cooking Basics");

  // Addresses in the document are absolute, on the host the player asked, and
  // they lead somewhere.
  const std::string feedUrl = channel->value("FeedUrl");
  ASSERT_EQ(feedUrl.rfind(sService->base() + "/", 0), 0u) << feedUrl;
  EXPECT_EQ(fClient->Get(feedUrl.substr(sService->base().size()))->status, 200);
  const std::string thumbnail = publisher->value("Thumbnail");
  EXPECT_EQ(fClient->Get(thumbnail.substr(sService->base().size()))->status, 200);
}

TEST_F(ZaroServiceTest, MediaInfoAnswersOnlyDocumentsNamingKnownVideos) {
  const struct {
    const char *body;
    int status;
  } cases[] = {
      {"<MediaIdList>\r\n<MediaId permalinkId=\"no-such-video\"/>\r\n</MediaIdList>", 404},
      {"<MediaIdList><MediaId permalinkId=\"ocean-sunrise\"", 400},
      {"<Other><MediaId permalinkId=\"ocean-sunrise\"/></Other>", 400},
      {"permalinkId=ocean-sunrise", 400},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.body);
    const auto result = mediaInfo(c.body);
    expectLengthAnnounced(result);
    EXPECT_EQ(result->status, c.status);
  }
}

TEST_F(ZaroServiceTest, ThumbnailIsTheImageFile) {
  const auto result =
      fClient->Get("/image.out?" + identity() + "&imageId=ocean-sunrise", kPlayerHeaders);
  expectLengthAnnounced(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "image/jpeg");
  EXPECT_EQ(result->body, demoFile("images/ocean-sunrise.jpg"));

  EXPECT_EQ(fClient->Get("/image.out?" + identity() + "&imageId=nothing")->status, 404);
  EXPECT_EQ(fClient->Get("/image.out?" + identity())->status, 404);
}

TEST_F(ZaroServiceTest, VideoFileHonoursOneByteRange) {
  const std::string file = demoFile("media/ocean-sunrise.mp4");
  const uint64_t size = file.size();
  ASSERT_GT(size, 1000u);
  const std::string total = "/" + std::to_string(size);
  const struct {
    std::string range;  // empty: no "Range" header
    int status;
    uint64_t first;  // expected slice
    uint64_t length;
    std::string contentRange;
  } cases[] = {
      {"", 200, 0, size, ""},
      {"bytes=0-", 206, 0, size, "bytes 0-" + std::to_string(size - 1) + total},
      {"bytes=1000-", 206, 1000, size - 1000, "bytes 1000-" + std::to_string(size - 1) + total},
      {"bytes=100-199", 206, 100, 100, "bytes 100-199" + total},
      {"bytes=0-0", 206, 0, 1, "bytes 0-0" + total},
      {"bytes=100-99999999", 206, 100, size - 100, "bytes 100-" + std::to_string(size - 1) + total},
      {"bytes=-50", 206, size - 50, 50,
       "bytes " + std::to_string(size - 50) + "-" + std::to_string(size - 1) + total},
      {"bytes=" + std::to_string(size - 1) + "-", 206, size - 1, 1,
       "bytes " + std::to_string(size - 1) + "-" + std::to_string(size - 1) + total},
      {"bytes=" + std::to_string(size) + "-", 416, 0, 0, "bytes */" + std::to_string(size)},
      {"bytes=99999999-", 416, 0, 0, "bytes */" + std::to_string(size)},
      {"bytes=0-10,20-30", 200, 0, size, ""},  // several ranges: the whole file
  };
  const std::string path = videoPath("ocean-sunrise");
  for (const auto &c : cases) {
    SCOPED_TRACE(c.range);
    httplib::Headers headers = {{"Accept", "*/*"}, {"Accept-Language", "en-us"}};
    if (!c.range.empty()) headers.emplace("Range", c.range);
    const auto result = fClient->Get(path, headers);
    expectLengthAnnounced(result);
    EXPECT_EQ(result->status, c.status);
    EXPECT_EQ(result->get_header_value("Content-Range"), c.contentRange);
    if (c.status != 416) {
      EXPECT_EQ(result->get_header_value("Content-Type"), "video/mp4");
      EXPECT_TRUE(result->body == file.substr(c.first, c.length));
    }
  }
}

TEST_F(ZaroServiceTest, VideoFileMustMatchItsPermalink) {
  const std::string path = videoPath("ocean-sunrise");
  const std::string other = path.substr(0, path.find('?')) + "?permalinkId=city-timelapse";
  EXPECT_EQ(fClient->Get(other)->status, 404);
  EXPECT_EQ(fClient->Get("/cache/external/0000.mp4?permalinkId=ocean-sunrise")->status, 404);
  EXPECT_EQ(fClient->Get(path.substr(0, path.find('?')))->status, 200);
}

TEST_F(ZaroServiceTest, XmlIsGzippedExactlyWhenTheRequestAcceptsIt) {
  const std::string path =
      "/service/getUpdate.xml?clientGUID=" + guidParameter() + "&version=2.0.0";
  const auto plain = fClient->Get(path);
  ASSERT_TRUE(plain);
  ASSERT_EQ(plain->status, 200);
  EXPECT_FALSE(plain->has_header("Content-Encoding"));

  const struct {
    const char *acceptEncoding;
    bool gzip;
  } cases[] = {
      {"gzip", true},     {"deflate, gzip;q=0.5", true}, {"GZIP", true}, {"gzip;q=0", false},
      {"deflate", false}, {"identity", false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.acceptEncoding);
    const auto result = fClient->Get(path, {{"Accept-Encoding", c.acceptEncoding}});
    expectLengthAnnounced(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Encoding"), c.gzip ? "gzip" : "");
    EXPECT_EQ(c.gzip ? gunzip(result->body) : result->body, plain->body);
  }

  // Media is never compressed.
  const auto media = fClient->Get(videoPath("city-timelapse"), {{"Accept-Encoding", "gzip"}});
  EXPECT_FALSE(media->has_header("Content-Encoding"));
  EXPECT_EQ(media->body, demoFile("media/city-timelapse.mp4"));
}

TEST_F(ZaroServiceTest, UpdateIsOfferedToOlderVersionsOnly) {
  const struct {
    const char *version;
    bool offered;
  } cases[] = {{"2.0.0", true},  {"1.9", true},  {"2.0.9", true},
               {"2.1.0", false}, {"2.1", false}, {"3.0", false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.version);
    const auto result = fClient->Get(
        "/service/getUpdate.xml?clientGUID=" + guidParameter() + "&version=" + c.version,
        {{"Accept", "text/xml"}, {"Accept-Charset", "UTF-8"}});
    ASSERT_EQ(result->status, 200);
    const auto root = parseXml(result->body);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->value("HaveUpdate"), c.offered ? "1" : "0");
    EXPECT_EQ(root->child("Update") != nullptr, c.offered);
  }

  const auto root = parseXml(fClient->Get("/service/getUpdate.xml?version=2.0.0")->body);
  const XmlNode *update = root->child("Update");
  ASSERT_TRUE(update);
  EXPECT_EQ(update->value("Version"), "2.1.0");
  EXPECT_EQ(update->value("Required"), "0");
  EXPECT_NE(update->value("Checksum"), "<missing>");
  const std::string url = update->value("Url");
  ASSERT_EQ(url.rfind(sService->base() + "/", 0), 0u) << url;
  const auto file = fClient->Get(url.substr(sService->base().size()));
  expectLengthAnnounced(file);
  EXPECT_EQ(file->status, 200);
  EXPECT_EQ(file->body, demoFile("updates/zaro-player-demo-update_2.1.0_all.deb"));
  // What the player accepts: a Debian package matching the checksum offered.
  EXPECT_EQ(file->body.rfind("!<arch>\ndebian-binary", 0), 0u);
  EXPECT_EQ(update->value("Checksum"),
            QCryptographicHash::hash(QByteArray::fromStdString(file->body),
                                     QCryptographicHash::Sha256)
                .toHex()
                .toStdString());

  // The page an installed player opens instead: the version and the file.
  const auto page = fClient->Get("/download.html");
  expectLengthAnnounced(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(page->body.find("Zaro Player 2.1.0 is available"), std::string::npos);
  EXPECT_NE(page->body.find("href=\"" + url + "\""), std::string::npos);
}

TEST_F(ZaroServiceTest, ReportsAreAcknowledged) {
  const auto log = fClient->Get(
      "/service/clientLog.html?eventName=downloaded&" + identity() + "&permaLinkId=ocean-sunrise",
      {{"Accept", "*/*"}, {"Accept-Language", "en-us"}});
  expectLengthAnnounced(log);
  EXPECT_EQ(log->status, 200);

  const struct {
    const char *body;
    int status;
  } ratings[] = {
      {"permalinkId=ocean-sunrise&rating=4", 200},
      {"permalinkId=ocean%2Dsunrise&rating=0", 200},
      {"permalinkId=ocean-sunrise&rating=6", 400},
      {"permalinkId=ocean-sunrise&rating=four", 400},
      {"rating=4", 400},
      {"permalinkId=no-such-video&rating=3", 404},
  };
  for (const auto &c : ratings) {
    SCOPED_TRACE(c.body);
    const auto result = fClient->Post("/service/userRatings.xml?" + identity(), kPlayerHeaders,
                                      c.body, "application/x-www-form-urlencoded");
    expectLengthAnnounced(result);
    EXPECT_EQ(result->status, c.status);
  }
  // The report's body is on record as sent.
  EXPECT_EQ(requests().at(1)["body"].toString(), "permalinkId=ocean-sunrise&rating=4");
}

TEST_F(ZaroServiceTest, SubscriptionUpgradeListsFeedsThatReadAsTheServiceDialect) {
  const auto upgrade = [&](const std::string &username) {
    const auto result = fClient->Get("/service/upgradeSubscriptions.xml?username=" + username +
                                     "&oldClientGUID=old&clientGUID=" + guidParameter() +
                                     "&version=2.0.0&ZARO_GUIDE_AUTH=" + formEncoded(kDemoToken));
    EXPECT_EQ(result->status, 200);
    std::vector<std::string> urls;
    const auto root = parseXml(result->body);
    EXPECT_TRUE(root && root->name == "Response");
    if (!root || !root->child("Subscriptions")) return urls;
    for (const XmlNode *subscription : root->child("Subscriptions")->all("Subscription"))
      urls.push_back(formDecoded(subscription->attributes.at("rssUrl")));
    return urls;
  };
  const std::string feeds = sService->base() + "/service/rss.xml?feedId=";
  EXPECT_EQ(upgrade("kitchen-fan"), std::vector<std::string>{feeds + "kitchen"});
  const std::vector<std::string> urls = upgrade("someone-else");
  ASSERT_EQ(urls, (std::vector<std::string>{feeds + "nature", feeds + "kitchen"}));

  // The player appends its token to a feed address as it stands.
  const auto result = fClient->Get(urls[0].substr(sService->base().size()) +
                                   "&ZARO_GUIDE_AUTH=" + formEncoded(kDemoToken));
  expectLengthAnnounced(result);
  ASSERT_EQ(result->status, 200);
  const auto rss = parseXml(result->body);
  ASSERT_TRUE(rss);
  EXPECT_EQ(rss->name, "rss");
  EXPECT_TRUE(rss->attributes.count("xmlns:zaro"));
  const XmlNode *channel = rss->child("channel");
  ASSERT_TRUE(channel);
  EXPECT_EQ(channel->value("title"), "Nature Moments");
  EXPECT_EQ(channel->value("zaro:permalinkId"), "nature-moments");
  EXPECT_EQ(channel->value("itunes:author"), "Zaro Studio");
  ASSERT_EQ(channel->all("itunes:category").size(), 2u);
  EXPECT_EQ(channel->all("itunes:category")[0]->attributes.at("text"), "Nature");

  const auto items = channel->all("item");
  ASSERT_EQ(items.size(), 2u);
  const XmlNode *item = items[1];
  EXPECT_EQ(item->value("title"), "Sunrise over the ocean");
  EXPECT_EQ(item->value("zaro:permalinkId"), "ocean-sunrise");
  // A date of the form the player converts ("Wed,01 May 2024 ...").
  EXPECT_EQ(item->value("pubDate"), "Wed,01 May 2024 06:30:00 GMT");
  EXPECT_EQ(item->value("itunes:duration"), "4");
  EXPECT_EQ(item->value("itunes:keywords"), "ocean sunrise");
  ASSERT_EQ(item->all("category").size(), 2u);
  EXPECT_EQ(item->all("category")[1]->text, "Travel");
  ASSERT_TRUE(item->child("enclosure"));
  const std::string enclosure = item->child("enclosure")->attributes.at("url");
  const auto media = fClient->Get(enclosure.substr(sService->base().size()));
  EXPECT_EQ(media->status, 200);
  EXPECT_EQ(media->body, demoFile("media/ocean-sunrise.mp4"));
  EXPECT_EQ(item->child("enclosure")->attributes.at("length"), std::to_string(media->body.size()));

  // The same feed by its other address, which has no query of its own.
  const auto byPath = fClient->Get("/rss/nature.xml&ZARO_GUIDE_AUTH=x");
  EXPECT_EQ(byPath->status, 200);
  EXPECT_EQ(byPath->body, result->body);
  EXPECT_EQ(fClient->Get("/service/rss.xml?feedId=none")->status, 404);
}

TEST_F(ZaroServiceTest, WebPagesCarryPlayerCommandLinks) {
  for (const char *path :
       {"/", "/contact.html", "/help.html", "/broadcast/myVideos.html", "/guide/welcome.html",
        "/guide/index.html", "/videos/ocean-sunrise", "/channels/kitchen", "/categories/nature",
        "/tags/ocean", "/series/cooking-basics", "/publishers/zaro-studio"}) {
    SCOPED_TRACE(path);
    const auto result = fClient->Get(path);
    expectLengthAnnounced(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=utf-8");
  }
  const std::string page = fClient->Get("/videos/ocean-sunrise")->body;
  EXPECT_NE(
      page.find("zaro://run?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&amp;ZARO_GUIDE_AUTH=" +
                formEncoded(kDemoToken) + "&amp;permalinkId=ocean-sunrise\""),
      std::string::npos);
  const std::string channel = fClient->Get("/channels/nature-moments")->body;
  EXPECT_NE(channel.find(
                "collectionPermalink=nature-moments&amp;permalinkIds=ocean-sunrise,mountain-trail"),
            std::string::npos);
  EXPECT_NE(channel.find("command=B29791E1-A986-405a-8D40-51D7932650AD"), std::string::npos);
  // The guide the player shows: every video with its download link, the
  // feeds with their subscribe links; the welcome page connects the player.
  const std::string guide = fClient->Get("/guide/index.html")->body;
  EXPECT_NE(guide.find("permalinkId=ocean-sunrise\""), std::string::npos);
  EXPECT_NE(guide.find("permalinkId=mountain-trail\""), std::string::npos);
  EXPECT_NE(guide.find("command=B29791E1-A986-405a-8D40-51D7932650AD"), std::string::npos);
  EXPECT_NE(fClient->Get("/guide/welcome.html")
                ->body.find("command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09"),
            std::string::npos);

  for (const char *path : {"/videos/none", "/channels/none", "/nothing.html", "/guide/none.html"})
    EXPECT_EQ(fClient->Get(path)->status, 404) << path;
}

}  // namespace
