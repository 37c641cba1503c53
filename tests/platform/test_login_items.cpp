#include "LoginItems.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
void clearAutostart() { QDir(LoginItems::autostartFolder()).removeRecursively(); }

void writeEntry(const QString &name, const QByteArray &text) {
  QDir().mkpath(LoginItems::autostartFolder());
  QFile file(LoginItems::autostartFolder() + "/" + name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}
}  // namespace

TEST(LoginItems, ListAddRemove) {
  clearAutostart();
  auto items = LoginItems::copyLoginItems();
  ASSERT_TRUE(items.has_value());
  EXPECT_TRUE(items->isEmpty());

  writeEntry("other.desktop",
             "[Desktop Entry]\nType=Application\nExec=/usr/bin/other --flag\n"
             "X-GNOME-Autostart-enabled=false\n");
  ASSERT_TRUE(LoginItems::addURLAtEnd("/opt/My Apps/zaro-player", false));
  items = LoginItems::copyLoginItems();
  ASSERT_EQ(items->size(), 2);
  EXPECT_EQ(items->at(0).value("URL").toString(), QUrl::fromLocalFile("/usr/bin/other").toString());
  EXPECT_TRUE(items->at(0).value("Hidden").toBool());
  EXPECT_EQ(QUrl(items->at(1).value("URL").toString()).toLocalFile(), "/opt/My Apps/zaro-player");
  EXPECT_FALSE(items->at(1).value("Hidden").toBool());

  // A second item for the same program gets a file of its own.
  ASSERT_TRUE(LoginItems::addURLAtEnd("/opt/My Apps/zaro-player", true));
  EXPECT_EQ(LoginItems::copyLoginItems()->size(), 3);

  EXPECT_FALSE(LoginItems::remove(3));
  EXPECT_FALSE(LoginItems::remove(-1));
  ASSERT_TRUE(LoginItems::remove(0));
  items = LoginItems::copyLoginItems();
  ASSERT_EQ(items->size(), 2);
  EXPECT_TRUE(items->at(0).value("URL").toString().contains("zaro-player"));
  clearAutostart();
}

// The entry names its program twice: Exec starts it, TryExec lets the
// desktop pass the entry over once the program is gone (the package
// removed). Both read back as the same path, whatever the path holds.
TEST(LoginItems, AnEntryNamesItsProgramForExecAndTryExec) {
  for (const QString &program :
       {QString("/usr/bin/zaro-player"), QString("/opt/My Apps/zaro-player"),
        QString("/opt/a\"b`c$d\\e%f/zaro-player"), QString("/opt/trailing /zaro-player ")}) {
    SCOPED_TRACE(program.toStdString());
    clearAutostart();
    ASSERT_TRUE(LoginItems::addURLAtEnd(program, false, {"tv.zaro.ZaroPlayer", "Zaro Player", ""}));
    QFile file(LoginItems::autostartFolder() + "/tv.zaro.ZaroPlayer.desktop");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString tryExec;
    for (const QByteArray &line : file.readAll().split('\n'))
      if (line.startsWith("TryExec=")) tryExec = QString::fromUtf8(line.mid(8));
    // TryExec is a plain string value: only its backslashes and outer
    // blanks are escaped.
    QString expected = program;
    expected.replace("\\", "\\\\");
    if (expected.endsWith(' ')) expected = expected.chopped(1) + "\\s";
    EXPECT_EQ(tryExec, expected);
    const auto items = LoginItems::copyLoginItems();
    ASSERT_EQ(items->size(), 1);
    EXPECT_EQ(QUrl(items->at(0).value("URL").toString()).toLocalFile(), program);
    EXPECT_EQ(LoginItems::indexOfPlayer(*items), 0);
  }
  clearAutostart();
}

// The player's item is found however its Exec line starts the player: through
// env(1) with settings and options, quoted, with field codes after it.
TEST(LoginItems, ThePlayerIsFoundBehindEnvAndQuoting) {
  struct Case {
    QByteArray exec;
    QString program;  // what the item reports
  } cases[] = {
      {"env X=1 /usr/bin/zaro-player", "/usr/bin/zaro-player"},
      {"/usr/bin/env LANG=C QT_SCALE_FACTOR=2 zaro-player %u", "zaro-player"},
      {"env -i -u HOME --unset DISPLAY -C /tmp X=1 -- /opt/zaro/zaro-player",
       "/opt/zaro/zaro-player"},
      {"env -S \"X=1 /opt/zaro/zaro-player --quiet\"", "/opt/zaro/zaro-player"},
      {"\"/opt/My Apps/zaro-player\" %U", "/opt/My Apps/zaro-player"},
      {"'/opt/single quoted/zaro-player'", "/opt/single quoted/zaro-player"},
      {"/opt/My\\\\ Apps/zaro-player", "/opt/My Apps/zaro-player"},  // an escaped blank
      {"env X=1 /usr/bin/other-tool --about zaro-player", "/usr/bin/other-tool"},
      {"env X=1", "env-only.desktop"},  // no program: named by its file
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.exec.toStdString());
    clearAutostart();
    writeEntry("env-only.desktop", "[Desktop Entry]\nType=Application\nExec=" + c.exec + "\n");
    const auto items = LoginItems::copyLoginItems();
    ASSERT_EQ(items->size(), 1);
    const QString program = QUrl(items->at(0).value("URL").toString()).toLocalFile();
    if (c.program.contains('/'))
      EXPECT_EQ(program, c.program);
    else
      EXPECT_TRUE(program.endsWith(c.program)) << program.toStdString();
    EXPECT_EQ(LoginItems::indexOfPlayer(*items), c.program.contains("zaro-player") ? 0 : -1);
  }
  clearAutostart();
}
