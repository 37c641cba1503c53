// The real zaro-player binary, offscreen, in a fresh HOME.
#include "PlayerHome.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <cstdio>
#include <functional>

#include <gtest/gtest.h>

TEST(PlayerEndToEnd, FirstStartThenASecondStartHandsItsLinkOver) {
  PlayerHome h;
  QProcess first;
  h.start(first);
  ASSERT_TRUE(first.waitForStarted());
  // Start-up is over once FirstLaunch has been written false.
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return h.setting("FirstLaunch") == "false"; }, 20000));
  EXPECT_TRUE(QFileInfo(h.home + "/.local/share/Zaro Player").isDir());
  EXPECT_TRUE(QFileInfo(h.home + "/.local/share/Zaro Player/ZaroMedia").isDir() ||
              true);  // made when first needed
  // The login item is named like the player's desktop entry and starts this executable.
  QFile autostart(h.home + "/.config/autostart/tv.zaro.ZaroPlayer.desktop");
  ASSERT_TRUE(autostart.open(QIODevice::ReadOnly));
  const QByteArray entry = autostart.readAll();
  EXPECT_TRUE(entry.contains("Exec=\"" ZARO_PLAYER_BINARY "\"")) << entry.toStdString();
  // Once the program is gone, the desktop passes the entry over.
  EXPECT_TRUE(entry.contains("\nTryExec=" ZARO_PLAYER_BINARY "\n")) << entry.toStdString();
  EXPECT_TRUE(entry.contains("\nName=Zaro Player\n")) << entry.toStdString();
  EXPECT_TRUE(entry.contains("\nIcon=tv.zaro.ZaroPlayer\n")) << entry.toStdString();
  EXPECT_EQ(first.state(), QProcess::Running);

  QProcess second;
  h.start(second,
          {"zaro://cmd?command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09&ZARO_GUIDE_AUTH=tok%2B1"});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.setting("ZaroClientAuthorization") == "tok+1"; }, 10000));
  EXPECT_EQ(first.state(), QProcess::Running);

  // A polite stop runs the termination clean-up and exits normally.
  first.terminate();
  ASSERT_TRUE(first.waitForFinished(20000));
  EXPECT_EQ(first.exitCode(), 0);
}

TEST(PlayerEndToEnd, ALinkThatStartsThePlayerIsHandledAfterStartUp) {
  PlayerHome h;
  QProcess player;
  h.start(player,
          {"zaro://cmd?command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09&ZARO_GUIDE_AUTH=first"});
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return h.setting("ZaroClientAuthorization") == "first"; }, 20000));
  EXPECT_EQ(h.setting("FirstLaunch"), "false");
  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
}

TEST(PlayerEndToEnd, NoApplicationFolderMeansNoStart) {
  PlayerHome h;
  QDir().mkpath(h.home + "/.local/share");
  QFile blocker(h.home + "/.local/share/Zaro Player");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QProcess player;
  h.start(player);
  ASSERT_TRUE(player.waitForFinished(20000));
  EXPECT_NE(player.exitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(h.settingsFile()) && h.setting("FirstLaunch") == "false");
}

namespace {

// A run of the player to its end with its output kept apart.
struct Finished {
  bool ended = false;
  int code = -1;
  QString out, err;
};
Finished runToEnd(const PlayerHome &h, const QStringList &args,
                  const std::function<void(QProcessEnvironment &)> &adjust = {}) {
  QProcess player;
  QProcessEnvironment environment = h.environment();
  if (adjust) adjust(environment);
  player.setProcessEnvironment(environment);
  player.start(ZARO_PLAYER_BINARY, args);
  Finished f;
  f.ended = player.waitForFinished(20000);
  if (!f.ended) {
    player.kill();
    player.waitForFinished();
  }
  f.code = player.exitStatus() == QProcess::NormalExit ? player.exitCode() : -1;
  f.out = QString::fromLocal8Bit(player.readAllStandardOutput());
  f.err = QString::fromLocal8Bit(player.readAllStandardError());
  return f;
}

}  // namespace

TEST(PlayerEndToEnd, ArgumentsThatAreNoLinkAreAnsweredHereAndNeverHandedOn) {
  PlayerHome h;
  // Nobody runs yet: help and version answer at once and start nothing.
  const Finished help = runToEnd(h, {"--help"});
  ASSERT_TRUE(help.ended);
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.contains("Usage: zaro-player")) << help.out.toStdString();
  const Finished version = runToEnd(h, {"--version"});
  ASSERT_TRUE(version.ended);
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(version.out.startsWith("Zaro Player ")) << version.out.toStdString();
  for (const QString &bad : {QString("--bogus"), QString("bogus"), QString("ZARO://x")}) {
    SCOPED_TRACE(bad.toStdString());
    const Finished refused = runToEnd(h, {bad});
    ASSERT_TRUE(refused.ended);
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains("Usage: zaro-player")) << refused.err.toStdString();
  }
  // Without any display: still answered, with Qt's own options set aside.
  const auto noDisplay = [](QProcessEnvironment &e) {
    e.remove("DISPLAY");
    e.remove("WAYLAND_DISPLAY");
    e.insert("QT_QPA_PLATFORM", "xcb");
  };
  EXPECT_EQ(runToEnd(h, {"-platform", "xcb", "--version"}, noDisplay).code, 0);
  EXPECT_EQ(runToEnd(h, {"--bogus"}, noDisplay).code, 2);
  // --quit with no player running has nothing to do.
  EXPECT_EQ(runToEnd(h, {"--quit"}).code, 0);
  EXPECT_FALSE(QFileInfo::exists(h.settingsFile()));

  // With a player running, the same arguments do not reach it: the running
  // one stays as it was and the second process answers for itself.
  QProcess first;
  ASSERT_TRUE(h.startAndWait(first));
  const Finished helpAgain = runToEnd(h, {"--help"});
  EXPECT_EQ(helpAgain.code, 0);
  EXPECT_TRUE(helpAgain.out.contains("Usage: zaro-player"));
  EXPECT_EQ(runToEnd(h, {"bogus"}).code, 2);
  EXPECT_EQ(first.state(), QProcess::Running);
  // --quit asks the running player to quit, which it does the normal way.
  EXPECT_EQ(runToEnd(h, {"--quit"}).code, 0);
  ASSERT_TRUE(first.waitForFinished(20000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);
}

// Two users of one machine (two data folders) run their players at the same
// time; each library keeps its lock file beside it, private to its user.
TEST(PlayerEndToEnd, TwoUsersRunTheirPlayersSideBySide) {
  PlayerHome first, second;
  QProcess one, two;
  first.start(one);
  second.start(two);
  for (auto [home, player] : {std::pair{&first, &one}, std::pair{&second, &two}}) {
    ASSERT_TRUE(player->waitForStarted());
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] { return home->setting("FirstLaunch") == "false" || player->state() != QProcess::Running; },
        30000));
    EXPECT_EQ(player->state(), QProcess::Running);
    const QFileInfo lock(home->applicationFolder() + "/tv.zaro.ZaroPlayer.db.lock");
    EXPECT_TRUE(lock.isFile() && !lock.isSymLink());
    EXPECT_EQ(lock.permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_TRUE(QFileInfo::exists(home->databasePath()));
  }
  one.terminate();
  two.terminate();
  EXPECT_TRUE(one.waitForFinished(20000));
  EXPECT_TRUE(two.waitForFinished(20000));
}

// A symbolic link planted where the lock file belongs is not followed: the
// start ends with the library's "can not be opened" alert and a failure status,
// and neither the link's target nor a library is made.
TEST(PlayerEndToEnd, APlantedLinkAtTheLockFileStopsTheStartWithTheAlert) {
  PlayerHome h;
  ASSERT_TRUE(QDir().mkpath(h.applicationFolder()));
  ASSERT_TRUE(QFile::link(h.home + "/target", h.applicationFolder() + "/tv.zaro.ZaroPlayer.db.lock"));
  QProcess player;
  h.start(player);
  ASSERT_TRUE(player.waitForFinished(30000));
  EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
  EXPECT_NE(player.exitCode(), 0);
  QFile log(h.home + "/dialogs.log");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString alerts = QString::fromUtf8(log.readAll());
  EXPECT_TRUE(alerts.startsWith("alert The Zaro Client library database can not be opened."))
      << alerts.toStdString();
  EXPECT_TRUE(alerts.contains("tv.zaro.ZaroPlayer.db.lock")) << alerts.toStdString();
  EXPECT_FALSE(QFileInfo::exists(h.home + "/target"));
  EXPECT_FALSE(QFileInfo::exists(h.databasePath()));
}

// A library file that is no library (garbage over its first bytes, or cut
// short) ends the start: the user is told which file it is and what to do,
// the process ends with a failure status, the log says why, and the file
// keeps every byte. A download link handed to that start is not acted on.
TEST(PlayerEndToEnd, ALibraryFileThatIsNoDatabaseStopsTheStartAndIsKept) {
  // A real library, made by a first start.
  PlayerHome made;
  QProcess first;
  ASSERT_TRUE(made.startAndWait(first));
  first.terminate();
  ASSERT_TRUE(first.waitForFinished(20000));
  const QByteArray library = TestEnvironment::readFile(made.databasePath());
  ASSERT_GT(library.size(), 8 * 4096);
  QByteArray garbage = library;
  garbage.replace(0, 16, QByteArray(16, '\x7f'));

  const struct {
    const char *what;
    QByteArray bytes;
    const char *reason;
  } cases[] = {
      {"garbage over its first bytes", garbage, "file is not a database"},
      {"cut to half its size", library.left(library.size() / 2),
       "database disk image is malformed"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    PlayerHome h;
    ASSERT_TRUE(TestEnvironment::writeFile(h.databasePath(), c.bytes));
    const Finished run =
        runToEnd(h, {"zaro://cmd?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=abc"});
    ASSERT_TRUE(run.ended);
    std::printf("[ %s ] exit code %d; log:\n%s", c.what, run.code, qPrintable(run.err));
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.err.contains(h.databasePath())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
    const QString alerts = QString::fromUtf8(TestEnvironment::readFile(h.home + "/dialogs.log"));
    std::printf("[ %s ] alert: %s\n", c.what, qPrintable(alerts));
    EXPECT_TRUE(alerts.startsWith(
        "alert Zaro Player Cannot Start: Zaro Player cannot read its video library, the file “" +
        h.databasePath() + "” (" + c.reason + ")"))
        << alerts.toStdString();
    EXPECT_TRUE(alerts.contains("Move it to another folder")) << alerts.toStdString();
    EXPECT_EQ(alerts.count("\nalert ") + alerts.startsWith("alert "), 1);  // that alert alone
    EXPECT_TRUE(TestEnvironment::readFile(h.databasePath()) == c.bytes);
    EXPECT_FALSE(QFileInfo::exists(h.databasePath() + "-journal"));
    // The start did not get as far as the download queue or the first-start marks.
    EXPECT_NE(h.setting("FirstLaunch"), "false");
  }
}
