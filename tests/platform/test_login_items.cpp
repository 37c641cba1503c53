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
