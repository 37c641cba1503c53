// The real zaro-player binary, offscreen, in a fresh HOME.
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

struct PlayerHome {
  QString home = TestEnvironment::makeTempDir("player-home");
  QProcessEnvironment environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_RUNTIME_DIR", home + "/run");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ZARO_DIALOG_LOG", home + "/dialogs.log");
    env.insert("ZARO_WORKSPACE_LOG", home + "/workspace.log");
    env.insert("ZARO_SERVICE_URL", "http://127.0.0.1:9");  // nothing listens there
    env.insert("ZARO_PREVIOUS_LIBRARY_DIR", home + "/previous");
    return env;
  }
  PlayerHome() {
    QDir().mkpath(home + "/run");
    QFile::setPermissions(home + "/run",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  QString settingsFile() const { return home + "/.config/tv.zaro.ZaroPlayer.conf"; }
  QString setting(const QString &key) const {
    return QSettings(settingsFile(), QSettings::IniFormat).value(key).toString();
  }
  void start(QProcess &player, const QStringList &args = {}) const {
    player.setProcessEnvironment(environment());
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.start(ZARO_PLAYER_BINARY, args);
  }
};

}  // namespace

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
  QFile autostart(h.home + "/.config/autostart/zaro-player.desktop");
  ASSERT_TRUE(autostart.open(QIODevice::ReadOnly));
  EXPECT_TRUE(autostart.readAll().contains("Exec=\"" ZARO_PLAYER_BINARY "\""));
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
