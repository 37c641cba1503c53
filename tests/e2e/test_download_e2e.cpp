// "zaro://" download links through the real player, offscreen, against the
// reference service with its demo catalog: the videos land in the library
// byte for byte, with their groupings and thumbnails, and no job is left.
#include "PlayerHome.h"
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
