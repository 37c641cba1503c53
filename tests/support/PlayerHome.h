#pragma once

// A fresh user for the real zaro-player binary: its own HOME and XDG folders,
// offscreen, dialogs answered from a script and logged, browser requests
// logged instead of opened.
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>

struct PlayerHome {
  QString home = TestEnvironment::makeTempDir("player-home");
  QString serviceURL = "http://127.0.0.1:9";  // nothing listens there
  QString dialogAnswers;
  // More variables for the player ("NAME=value").
  QStringList extraEnvironment;

  PlayerHome() {
    QDir().mkpath(home + "/run");
    QFile::setPermissions(home + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
  }

  QProcessEnvironment environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_RUNTIME_DIR", home + "/run");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ZARO_DIALOG_LOG", home + "/dialogs.log");
    if (!dialogAnswers.isEmpty()) env.insert("ZARO_DIALOG_ANSWERS", dialogAnswers);
    env.insert("ZARO_WORKSPACE_LOG", home + "/workspace.log");
    env.insert("ZARO_SERVICE_URL", serviceURL);
    env.insert("ZARO_PREVIOUS_LIBRARY_DIR", home + "/previous");
    // The welcome page's web engine: no sandbox (tests run as root in CI), no GPU.
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    for (const QString &variable : extraEnvironment)
      env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    return env;
  }

  QString applicationFolder() const { return home + "/.local/share/Zaro Player"; }
  QString databasePath() const { return applicationFolder() + "/ZaroPlayer.db"; }
  QString settingsFile() const { return home + "/.config/tv.zaro.ZaroPlayer.conf"; }
  QString setting(const QString &key) const {
    return QSettings(settingsFile(), QSettings::IniFormat).value(key).toString();
  }

  void start(QProcess &player, const QStringList &args = {}) const {
    player.setProcessEnvironment(environment());
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.start(ZARO_PLAYER_BINARY, args);
  }

  // Starts the player and waits for the end of its start-up sequence.
  bool startAndWait(QProcess &player, const QStringList &args = {}) const {
    start(player, args);
    if (!player.waitForStarted()) return false;
    return TestEnvironment::waitFor(
        [&] { return setting("FirstLaunch") == "false" || player.state() != QProcess::Running; },
        30000) &&
           player.state() == QProcess::Running;
  }

  // A second start handing a link to the running player; true when it exited 0.
  bool sendLink(const QString &link) const {
    QProcess second;
    start(second, {link});
    return second.waitForFinished(30000) && second.exitStatus() == QProcess::NormalExit &&
           second.exitCode() == 0;
  }

  // Rows of a query on the player's library, read with the sqlite3 tool
  // ("|"-separated columns, one line per row).
  // The player may be writing at the same moment: the tool waits for its
  // lock, and a read that still fails comes back as one "<sqlite3: ...>" row
  // so that a failing check shows why.
  QStringList query(const QString &sql) const {
    QString error;
    for (int attempt = 0; attempt < 5; ++attempt) {
      QProcess sqlite;
      sqlite.start("sqlite3", {"-cmd", ".timeout 10000", databasePath(), sql});
      if (!sqlite.waitForFinished(30000)) return {"<sqlite3 did not finish>"};
      if (sqlite.exitStatus() == QProcess::NormalExit && sqlite.exitCode() == 0)
        return QString::fromUtf8(sqlite.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
      error = QString::fromUtf8(sqlite.readAllStandardError()).trimmed();
    }
    return {"<sqlite3: " + error + ">"};
  }
};
