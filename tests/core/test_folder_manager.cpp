#include "Preferences.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "ZFolderManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {
// A folder manager over defaults of its own, with XDG_DATA_HOME pointed at a fresh folder.
struct Fixture {
  QString dataHome = TestEnvironment::makeTempDir("data");
  UserDefaults defaults{TestEnvironment::makeTempDir("cfg") + "/d.conf"};
  std::unique_ptr<ZFolderManager> manager;
  QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
  Fixture() {
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    manager = std::make_unique<ZFolderManager>(defaults);
  }
  ~Fixture() { qputenv("XDG_DATA_HOME", savedDataHome); }
};
}  // namespace

TEST(ZFolderManager, SetsUpTheApplicationFolderOnce) {
  Fixture f;
  EXPECT_TRUE(f.manager->userApplicationSupportFolderPath().isNull());
  EXPECT_FALSE(f.manager->setupFolders().has_value());
  const QString folder = f.dataHome + "/Zaro Player";
  EXPECT_EQ(f.manager->userApplicationSupportFolderPath(), folder);
  EXPECT_TRUE(QFileInfo(folder).isDir());
  // The second call does nothing, even if the folder went away meanwhile.
  QDir(folder).removeRecursively();
  EXPECT_FALSE(f.manager->setupFolders().has_value());
  EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(ZFolderManager, APlainFileInTheWayFailsAndALaterCallRetries) {
  Fixture f;
  QFile blocker(f.dataHome + "/Zaro Player");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const auto error = f.manager->setupFolders();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->code, 0);
  EXPECT_EQ(error->descriptionKey, "appErrorCannotCreateGetAppSupportFolder");
  EXPECT_TRUE(f.manager->userApplicationSupportFolderPath().isNull());
  QFile::remove(blocker.fileName());
  EXPECT_FALSE(f.manager->setupFolders().has_value());
}

TEST(ZFolderManager, MediaFoldersFollowTheDownloadLocation) {
  Fixture f;
  ASSERT_FALSE(f.manager->setupFolders());
  const QString app = f.manager->userApplicationSupportFolderPath();
  Preferences::registerBatchB(f.defaults, app);
  EXPECT_EQ(f.manager->userMediaFilesFolderPath(), app + "/ZaroMedia");
  EXPECT_EQ(f.manager->userMediaFileImagesFolderPath(), app + "/ZaroMedia/Images");
  EXPECT_TRUE(QFileInfo(app + "/ZaroMedia/Images").isDir());

  const QString elsewhere = TestEnvironment::makeTempDir("media place");
  f.defaults.setString(elsewhere, "DownloadLocation");
  EXPECT_EQ(f.manager->userMediaFilesFolderPath(), elsewhere + "/ZaroMedia");
  EXPECT_TRUE(QFileInfo(elsewhere + "/ZaroMedia").isDir());

  // An empty location never puts media at the file system's root.
  f.defaults.setString("", "DownloadLocation");
  EXPECT_EQ(f.manager->userMediaFilesFolderPath(), app + "/ZaroMedia");
  EXPECT_EQ(f.manager->defaultMediaFilesFolderPath(), app + "/ZaroMedia");
}

TEST(ZFolderManager, DesktopOnlyWhenItExists) {
  Fixture f;
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  QDir(desktop).removeRecursively();
  if (QDir(desktop) != QDir::home()) {
    EXPECT_TRUE(f.manager->desktopPath().isNull());
  }
  QDir().mkpath(desktop);
  if (QDir(desktop) != QDir::home()) {
    EXPECT_EQ(f.manager->desktopPath(), desktop);
  }
}
