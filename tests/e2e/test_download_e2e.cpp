// "zaro://" download links through the real player, offscreen, against the
// reference service with its demo catalog: the videos land in the library
// byte for byte, with their groupings and thumbnails, and no job is left.
#include "PlayerHome.h"
#include "QtPrinters.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"

#include <QCryptographicHash>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QString DownloadOne = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
const QString DownloadSeveral = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C";

QByteArray sha1Of(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha1);
  hash.addData(&file);
  return hash.result().toHex();
}

}  // namespace

TEST(DownloadEndToEnd, LinksFillTheLibraryWithVideosAndTheirGroupings) {
  ServiceProcess service({"--demo", "--port", "0"});
  ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
  PlayerHome h;
  h.serviceURL = QString::fromStdString(service.base());
  h.dialogAnswers = "update=0";
  QProcess player;
  ASSERT_TRUE(h.startAndWait(player));

  ASSERT_TRUE(h.sendLink("zaro://cmd?command=" + DownloadOne +
                         "&ZARO_GUIDE_AUTH=token%2B1&permalinkId=cooking-basics-1"));
  ASSERT_TRUE(h.sendLink("zaro://cmd?command=" + DownloadSeveral +
                         "&collectionPermalink=nature-moments&permalinkIds=ocean-sunrise,mountain-trail"));

  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Videos;") == QStringList({"3"}); }, 120000))
      << h.query("SELECT id, TITLE FROM Videos;").join("; ").toStdString();
  // The finished jobs leave the table once the library has the videos.
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Jobs;") == QStringList({"0"}); }, 30000));

  const QStringList rows = h.query(
      "SELECT VIDEO_PERMALINK, PATH, IMAGE_PATH, SOURCE, VIDEO_SAVED, DURATION, PUBLISHER "
      "FROM Videos ORDER BY VIDEO_PERMALINK;");
  ASSERT_EQ(rows.size(), 3);
  const QString media = h.applicationFolder() + "/ZaroMedia/";
  for (const QString &row : rows) {
    const QStringList f = row.split('|');
    ASSERT_EQ(f.size(), 7) << row.toStdString();
    SCOPED_TRACE(f[0].toStdString());
    EXPECT_TRUE(f[1].startsWith(media)) << f[1].toStdString();
    EXPECT_EQ(sha1Of(f[1]), sha1Of(ZARO_SERVICE_DEMO_DIR "/media/" + f[0] + ".mp4"));
    EXPECT_TRUE(f[2].startsWith(media + "Images/")) << f[2].toStdString();
    EXPECT_GT(QFileInfo(f[2]).size(), 0);
    EXPECT_EQ(f[3], "0");
    EXPECT_EQ(f[4], "0");
    EXPECT_EQ(f[5], "4");
    EXPECT_NE(f[6], "-1");
  }
  // Every grouping of every video is linked.
  auto countFor = [&](const QString &sql) { return h.query(sql).value(0); };
  EXPECT_EQ(countFor("SELECT COUNT(*) FROM TagEntries;"), "6");
  EXPECT_EQ(countFor("SELECT COUNT(*) FROM CategoryEntries;"), "5");
  EXPECT_EQ(countFor("SELECT COUNT(*) FROM ChannelEntries;"), "3");
  EXPECT_EQ(countFor("SELECT COUNT(*) FROM SeriesEntries;"), "1");
  EXPECT_EQ(countFor("SELECT COUNT(*) FROM Publishers;"), "2");
  EXPECT_EQ(countFor("SELECT COUNT(DISTINCT PUBLISHER) FROM Videos;"), "2");
  EXPECT_EQ(countFor("SELECT Name FROM Series;"), "Cooking Basics");
  EXPECT_EQ(h.setting("ZaroClientAuthorization"), "token+1");

  // The same link again is refused with an alert; nothing new is queued.
  ASSERT_TRUE(h.sendLink("zaro://cmd?command=" + DownloadOne + "&permalinkId=ocean-sunrise"));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] {
        QFile log(h.home + "/dialogs.log");
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("alert");
      },
      10000));
  EXPECT_EQ(countFor("SELECT COUNT(*) FROM Videos;"), "3");

  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
  EXPECT_EQ(player.exitCode(), 0);
  EXPECT_EQ(countFor("PRAGMA integrity_check;"), "ok");
}

// A link to a video the service does not know: the download fails for good
// (its row failed, with the reason), and neither the running player nor the
// next start asks the service about it again.
TEST(DownloadEndToEnd, AnUnknownVideoFailsOnceAndIsNotAskedForAgain) {
  ServiceProcess service({"--demo", "--port", "0"});
  ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
  PlayerHome h;
  h.serviceURL = QString::fromStdString(service.base());
  h.dialogAnswers = "update=0";
  QProcess player;
  ASSERT_TRUE(h.startAndWait(player));
  ASSERT_TRUE(h.sendLink("zaro://cmd?command=" + DownloadOne + "&permalinkId=no-such-video"));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT JobState FROM Jobs;") == QStringList({"8"}); }, 30000))
      << h.query("SELECT JobState, XMLParams FROM Jobs;").join("; ").toStdString();
  EXPECT_EQ(h.query("SELECT instr(XMLParams, 'videoUnknown') > 0 FROM Jobs;"), QStringList({"1"}));
  EXPECT_EQ(service.requests("/service/getMediaInfo.xml").size(), 1);
  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));

  // The next start scans at once: the failed job stays as it is.
  ASSERT_TRUE(h.startAndWait(player));
  TestEnvironment::waitFor([] { return false; }, 2000);
  EXPECT_EQ(service.requests("/service/getMediaInfo.xml").size(), 1);
  EXPECT_EQ(h.query("SELECT JobState FROM Jobs;"), QStringList({"8"}));
  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
}

// A subscribe link starts a check pass: the newest "DownloadVideoCount" items
// of the feed are downloaded into the library, the older ones cancelled; an
// unsubscribe link removes the feed and its items and keeps the videos.
TEST(SubscriptionEndToEnd, SubscribeDownloadsTheNewestItemsAndUnsubscribeKeepsTheVideos) {
  ServiceProcess service({"--demo", "--port", "0"});
  ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
  PlayerHome h;
  h.serviceURL = QString::fromStdString(service.base());
  h.dialogAnswers = "update=0";
  QDir().mkpath(h.home + "/.config");
  {
    QSettings settings(h.settingsFile(), QSettings::IniFormat);
    settings.setValue("DownloadVideoCount", 1);
  }
  QProcess player;
  ASSERT_TRUE(h.startAndWait(player));

  const QString feedUrl = h.serviceURL + "/service/rss.xml?feedId=nature";
  const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(feedUrl));
  ASSERT_TRUE(h.sendLink("zaro://cmd?command=B29791E1-A986-405a-8D40-51D7932650AD&rssUrl=" + encoded));

  // The feed lists mountain-trail first (newest): it is downloaded, the other cancelled.
  auto state = [&](const QString &permalink) {
    return h.query("SELECT State, VideoId FROM FeedItems WHERE Permalink = '" + permalink + "';")
        .value(0);
  };
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return state("mountain-trail").startsWith("1|"); }, 120000))
      << h.query("SELECT Permalink, State, VideoId FROM FeedItems;").join("; ").toStdString();
  EXPECT_TRUE(state("ocean-sunrise").startsWith("-1|")) << state("ocean-sunrise").toStdString();
  const QString videoId = state("mountain-trail").section('|', 1);
  EXPECT_EQ(h.query("SELECT VIDEO_PERMALINK FROM Videos WHERE id = " + videoId + ";").value(0),
            "mountain-trail");
  EXPECT_EQ(h.query("SELECT COUNT(*) FROM Feeds;").value(0), "1");
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Jobs;") == QStringList({"0"}); }, 30000));

  ASSERT_TRUE(h.sendLink("zaro://cmd?command=5C8C4ADA-580B-40b6-BAE6-177132734FD7&rssUrl=" + encoded));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Feeds;") == QStringList({"0"}); }, 30000));
  EXPECT_EQ(h.query("SELECT COUNT(*) FROM FeedItems;").value(0), "0");
  EXPECT_EQ(h.query("SELECT COUNT(*) FROM Videos;").value(0), "1");

  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
}

// The service writes its answers in UTF-8: the titles and names of the meta
// information and of a feed reach the library exactly, as the sqlite3 tool
// reads them; the file is named from the title in form encoding.
TEST(DownloadEndToEnd, Utf8AnswersGiveTheExactTitlesInTheLibrary) {
  const QString catalog = TestEnvironment::makeTempDir("utf8-catalog");
  QDir().mkpath(catalog + "/media");
  QDir().mkpath(catalog + "/images");
  ASSERT_TRUE(QFile::copy(ZARO_SERVICE_DEMO_DIR "/media/ocean-sunrise.mp4", catalog + "/media/a.mp4"));
  ASSERT_TRUE(QFile::copy(ZARO_SERVICE_DEMO_DIR "/images/ocean-sunrise.jpg", catalog + "/images/a.jpg"));
  {
    QFile file(catalog + "/catalog.json");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({
  "images": { "a": "images/a.jpg" },
  "publishers": [ { "id": "pub", "name": "\u00c9ditions \u014ckami" } ],
  "channels": [ { "id": "chan", "title": "Cha\u00eene \u97f3\u697d" } ],
  "categories": [ { "id": "cat", "title": "Cat\u00e9gorie" } ],
  "series": [ { "id": "ser", "title": "S\u00e9rie \u2116 1" } ],
  "videos": [
    { "permalink": "ete", "title": "\u00c9t\u00e9 \u65e5\u672c\u8a9e", "file": "media/a.mp4",
      "icon": "a", "description": "\u00c7a va \u2014 tr\u00e8s bien", "publisher": "pub",
      "channel": "chan", "categories": ["cat"], "tags": ["\u00e9tiquette"], "series": "ser" },
    { "permalink": "deux", "title": "Deuxi\u00e8me \u4e8c", "file": "media/a.mp4", "icon": "a" }
  ],
  "feeds": [ { "id": "f", "title": "Flux d\u2019\u00e9t\u00e9", "items": ["deux", "ete"] } ]
})");
  }
  ServiceProcess service({"--catalog", catalog, "--xml-encoding", "UTF-8"});
  ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
  PlayerHome h;
  h.serviceURL = QString::fromStdString(service.base());
  h.dialogAnswers = "update=0";
  QProcess player;
  ASSERT_TRUE(h.startAndWait(player));

  const QString title = QString::fromUtf8("\xc3\x89t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
  ASSERT_TRUE(h.sendLink("zaro://cmd?command=" + DownloadOne + "&permalinkId=ete"));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Videos;") == QStringList({"1"}); }, 120000));
  const QString feedUrl = h.serviceURL + "/service/rss.xml?feedId=f";
  ASSERT_TRUE(h.sendLink("zaro://cmd?command=B29791E1-A986-405a-8D40-51D7932650AD&rssUrl=" +
                         QString::fromLatin1(QUrl::toPercentEncoding(feedUrl))));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Videos;") == QStringList({"2"}); }, 120000))
      << h.query("SELECT Title, State FROM FeedItems;").join("; ").toStdString();

  EXPECT_EQ(h.query("SELECT TITLE FROM Videos ORDER BY VIDEO_PERMALINK;"),
            QStringList({QString::fromUtf8("Deuxi\xc3\xa8me \xe4\xba\x8c"), title}));
  EXPECT_EQ(h.query("SELECT DESCRIPTION FROM Videos WHERE VIDEO_PERMALINK = 'ete';"),
            QStringList({QString::fromUtf8("\xc3\x87" "a va \xe2\x80\x94 tr\xc3\xa8s bien")}));
  EXPECT_EQ(h.query("SELECT Name FROM Publishers;"),
            QStringList({QString::fromUtf8("\xc3\x89" "ditions \xc5\x8ckami")}));
  EXPECT_EQ(h.query("SELECT Name FROM Channels;"),
            QStringList({QString::fromUtf8("Cha\xc3\xaene \xe9\x9f\xb3\xe6\xa5\xbd")}));
  EXPECT_EQ(h.query("SELECT Name FROM Categories;"),
            QStringList({QString::fromUtf8("Cat\xc3\xa9gorie")}));
  EXPECT_EQ(h.query("SELECT Name FROM Tags;"), QStringList({QString::fromUtf8("\xc3\xa9tiquette")}));
  EXPECT_EQ(h.query("SELECT Name FROM Series;"),
            QStringList({QString::fromUtf8("S\xc3\xa9rie \xe2\x84\x96 1")}));
  EXPECT_EQ(h.query("SELECT Title FROM Feeds;"),
            QStringList({QString::fromUtf8("Flux d\xe2\x80\x99\xc3\xa9t\xc3\xa9")}));
  EXPECT_EQ(h.query("SELECT Title FROM FeedItems ORDER BY Permalink;"),
            QStringList({QString::fromUtf8("Deuxi\xc3\xa8me \xe4\xba\x8c"), title}));
  // The file's name: the title's form encoding, one escape per UTF-16 unit.
  const QString path = h.query("SELECT PATH FROM Videos WHERE VIDEO_PERMALINK = 'ete';").value(0);
  EXPECT_EQ(QFileInfo(path).fileName(), "%C9t%E9%20%65E5%672C%8A9E.mp4");
  EXPECT_TRUE(QFileInfo(path).isFile());

  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
}
