// Playback through the real player, offscreen (mpv with null outputs),
// against the reference service: a downloaded video played with
// "zaro-player --play" is marked viewed and leaves its usage entries in the
// library; files that cannot be played give their alerts, and the player and
// the library come through unharmed. The player runs under a German locale,
// which writes decimal commas. A player that quits while a video plays
// keeps the video's position.
#include "PlayerHome.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QString DownloadOne = "49347A0A-C783-4e92-ADCE-ED7C93207E58";

QString textOf(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A second start of the player with these arguments; its exit code.
int startAgain(const PlayerHome &h, const QStringList &arguments) {
  QProcess second;
  h.start(second, arguments);
  if (!second.waitForFinished(30000) || second.exitStatus() != QProcess::NormalExit) return -1;
  return second.exitCode();
}

}  // namespace

TEST(PlaybackEndToEnd, ADownloadedVideoPlayedToItsEndIsViewedAndLogged) {
  ServiceProcess service({"--demo", "--port", "0"});
  ASSERT_TRUE(service.running()) << service.firstLine().toStdString();
  PlayerHome h;
  h.serviceURL = QString::fromStdString(service.base());
  h.dialogAnswers = "update=0";
  const QString locales = TestEnvironment::makeTempDir("locales");
  QProcess localedef;
  localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", locales + "/de_DE.UTF-8"});
  if (localedef.waitForFinished(60000) && localedef.exitCode() == 0)
    h.extraEnvironment = {"LOCPATH=" + locales, "LC_ALL=de_DE.UTF-8"};
  QProcess player;
  ASSERT_TRUE(h.startAndWait(player));

  ASSERT_TRUE(h.sendLink("zaro://cmd?command=" + DownloadOne + "&permalinkId=cooking-basics-1"));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.query("SELECT COUNT(*) FROM Videos;") == QStringList({"1"}); }, 120000));
  const QString id = h.query("SELECT id FROM Videos;").value(0);
  EXPECT_EQ(h.query("SELECT DATE_VIEWED FROM Videos;").value(0), "");

  // Handed to the running player, which plays the video to its end (four
  // seconds) and leaves playback as the main window does.
  EXPECT_EQ(startAgain(h, {"--play", id}), 0);
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] {
        return h.query("SELECT COUNT(*) FROM LOG_RECORD WHERE EVENT = '/ui/player/stop';") ==
               QStringList({"1"});
      },
      60000))
      << textOf(h.home + "/dialogs.log").toStdString();
  const QDateTime viewed = QDateTime::fromString(
      h.query("SELECT DATE_VIEWED FROM Videos;").value(0), "yyyy-MM-dd HH:mm:ss");
  ASSERT_TRUE(viewed.isValid());
  EXPECT_LE(qAbs(viewed.secsTo(QDateTime::currentDateTime())), 120);
  const QStringList entries = h.query("SELECT EVENT, PARAMETERS FROM LOG_RECORD ORDER BY rowid;");
  ASSERT_EQ(entries.size(), 3) << entries.join("; ").toStdString();
  EXPECT_EQ(entries[0], "/ui/player/video/start|videoID=cooking-basics-1");
  EXPECT_EQ(entries[1], "/ui/player/video/end|videoID=cooking-basics-1");
  // Stopped at the end of the four seconds (the last frame may begin just before).
  EXPECT_TRUE(
      QRegularExpression("^/ui/player/stop\\|videoID=cooking-basics-1&position=00:00:0[34]$")
          .match(entries[2])
          .hasMatch())
      << entries[2].toStdString();
  for (const QString &time : h.query("SELECT TIME FROM LOG_RECORD;"))
    EXPECT_TRUE(QDateTime::fromString(time, "yyyy-MM-dd HH:mm:ss").isValid()) << time.toStdString();
  // Played to its end, the video keeps no position to resume from: the
  // stop that ends the list does not store its end again.
  EXPECT_EQ(h.setting("MoviePlayPosition:cooking-basics-1").toStdString(), "");

  // Bad input: a row whose file is gone, one whose file is no movie, an id
  // the library does not have, and an id that is no number.
  const QString media = h.applicationFolder() + "/ZaroMedia/";
  QFile notes(media + "notes.mp4");
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("not a movie\n");
  notes.close();
  h.query(
      "INSERT INTO Videos (TITLE, PATH, EXTENSION, VIDEO_PERMALINK, SOURCE) VALUES "
      "('Gone', '" +
      media +
      "gone.mp4', 'mp4', 'gone', 0), "
      "('Notes', '" +
      media + "notes.mp4', 'mp4', 'notes', 1);");
  const QString gone = h.query("SELECT id FROM Videos WHERE TITLE = 'Gone';").value(0);
  const QString text = h.query("SELECT id FROM Videos WHERE TITLE = 'Notes';").value(0);
  EXPECT_EQ(startAgain(h, {"--play", gone}), 0);
  EXPECT_EQ(startAgain(h, {"--play", text}), 0);
  EXPECT_EQ(startAgain(h, {"--play", "9999"}), 0);
  EXPECT_EQ(startAgain(h, {"--play", "eleven"}), 2);
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return textOf(h.home + "/dialogs.log").contains("There is no video 9999"); }, 30000))
      << textOf(h.home + "/dialogs.log").toStdString();
  const QString dialogs = textOf(h.home + "/dialogs.log");
  EXPECT_TRUE(dialogs.contains("loadError Next Movie: ")) << dialogs.toStdString();
  EXPECT_TRUE(dialogs.contains("gone.mp4"));
  EXPECT_TRUE(dialogs.contains("codecRequired ")) << dialogs.toStdString();

  EXPECT_EQ(player.state(), QProcess::Running);
  EXPECT_EQ(h.query("SELECT COUNT(*) FROM Videos;").value(0), "3");
  EXPECT_TRUE(
      h.query("SELECT DATE_VIEWED FROM Videos WHERE id IN (" + gone + "," + text + ");").isEmpty());
  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
  EXPECT_EQ(player.exitCode(), 0);
  EXPECT_EQ(h.query("PRAGMA integrity_check;").value(0), "ok");
  EXPECT_FALSE(QSettings(h.settingsFile(), QSettings::IniFormat)
                   .contains("MoviePlayPosition:cooking-basics-1"));
}

// However the player is asked to quit while a video plays (a signal, or the
// quit message the uninstaller and "--quit" send), the video keeps its
// position to resume from, as a stop would have kept it.
TEST(PlaybackEndToEnd, QuittingWhileAVideoPlaysKeepsItsPosition) {
  const QString clip = TestEnvironment::makeTempDir("clip") + "/long one.mp4";
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg",
               {"-hide_banner", "-loglevel", "error", "-y",
                "-f",           "lavfi",     "-i",    "testsrc2=size=160x120:rate=25",
                "-f",           "lavfi",     "-i",    "sine=frequency=440:sample_rate=48000",
                "-t",           "30",        "-c:v",  "libx264",
                "-pix_fmt",     "yuv420p",   "-c:a",  "aac",
                "-shortest",    clip});
  ASSERT_TRUE(ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0);

  const struct {
    const char *way;
    std::function<void(QProcess &, const PlayerHome &)> quit;
  } ways[] = {
      {"a termination signal", [](QProcess &player, const PlayerHome &) { player.terminate(); }},
      {"the quit message",
       [](QProcess &, const PlayerHome &h) { EXPECT_EQ(startAgain(h, {"--quit"}), 0); }},
  };
  for (const auto &way : ways) {
    SCOPED_TRACE(way.way);
    PlayerHome h;
    h.dialogAnswers = "update=0";
    QProcess player;
    ASSERT_TRUE(h.startAndWait(player));
    h.query(
        "INSERT INTO Videos (TITLE, PATH, EXTENSION, VIDEO_PERMALINK, SOURCE) VALUES "
        "('Long one', '" +
        clip + "', 'mp4', 'long-one', 1);");
    const QString id =
        h.query("SELECT id FROM Videos WHERE VIDEO_PERMALINK = 'long-one';").value(0);
    ASSERT_FALSE(id.isEmpty());
    EXPECT_EQ(startAgain(h, {"--play", id}), 0);
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
          return h.query(
                     "SELECT COUNT(*) FROM LOG_RECORD WHERE EVENT = '/ui/player/video/start';") ==
                 QStringList({"1"});
        },
        30000))
        << textOf(h.home + "/dialogs.log").toStdString();
    TestEnvironment::waitFor([] { return false; }, 1500);  // it plays a while
    way.quit(player, h);
    ASSERT_TRUE(player.waitForFinished(20000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);

    const QString stored = h.setting("MoviePlayPosition:long-one");
    const QRegularExpressionMatch position = QRegularExpression("^(\\d+)/1000000$").match(stored);
    ASSERT_TRUE(position.hasMatch()) << stored.toStdString();
    EXPECT_GT(position.captured(1).toLongLong(), 500000);
    EXPECT_LT(position.captured(1).toLongLong(), 30000000);
  }
}
