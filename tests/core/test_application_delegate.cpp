#include "ApplicationDelegate.h"
#include "Dialogs.h"
#include "LoginItems.h"
#include "MainWindowController.h"
#include "NotificationCenter.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "Workspace.h"
#include "ZFolderManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }

void writeLoginItem(const QString &name, const QString &program) {
  QDir().mkpath(LoginItems::autostartFolder());
  QFile file(LoginItems::autostartFolder() + "/" + name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(("[Desktop Entry]\nType=Application\nExec=" + program + "\n").toUtf8());
}

int playerItems() {
  int count = 0;
  const auto items = LoginItems::copyLoginItems();
  for (const QVariantMap &item : *items)
    if (item.value("URL").toString().contains("zaro-player", Qt::CaseInsensitive)) ++count;
  return count;
}

}  // namespace

// One delegate runs the start-up sequence for the whole process, as in the player.
class ApplicationDelegateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto recording = std::make_unique<RecordingWorkspace>();
    workspace = recording.get();
    Workspace::setShared(std::move(recording));
    delegate = new ApplicationDelegate;
    delegate->setLoginItemProgramPath("/opt/zaro/zaro-player");
    launched = delegate->applicationDidFinishLaunching();
  }
  static inline ApplicationDelegate *delegate = nullptr;
  static inline RecordingWorkspace *workspace = nullptr;
  static inline bool launched = false;
};

TEST_F(ApplicationDelegateTest, StartUpLaysOutFoldersLoginItemAndEndsFirstLaunch) {
  ASSERT_TRUE(launched);
  EXPECT_TRUE(delegate->applicationFinishedLaunching());
  const QString folder = ZFolderManager::sharedFolderManager().userApplicationSupportFolderPath();
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_EQ(defaults().stringForKey("DownloadLocation"), folder);
  EXPECT_FALSE(defaults().boolForKey("FirstLaunch"));
  EXPECT_EQ(playerItems(), 1);
  ASSERT_NE(delegate->mainWindowController(), nullptr);
  EXPECT_TRUE(delegate->mainWindowController()->window()->isVisible());
  ASSERT_NE(delegate->subscriptionCheckTimer(), nullptr);
  EXPECT_TRUE(delegate->subscriptionCheckTimer()->isActive());
  EXPECT_EQ(delegate->subscriptionCheckTimer()->interval(), 3600 * 1000);
  EXPECT_TRUE(delegate->updateCheckTimer()->isActive());
}

TEST_F(ApplicationDelegateTest, LoginItemFollowsTheSetting) {
  // Off: the first item naming the player, in any case, goes at the next quit.
  QDir(LoginItems::autostartFolder()).removeRecursively();
  writeLoginItem("a.desktop", "/usr/bin/other");
  writeLoginItem("b.desktop", "/Applications/ZARO-Player");
  defaults().setBool(false, "GeneralOpenClientAtStartup");
  delegate->applicationWillTerminate();
  EXPECT_EQ(playerItems(), 0);
  EXPECT_EQ(LoginItems::copyLoginItems()->size(), 1);
  // On: exactly one item is added, and only once.
  defaults().setBool(true, "GeneralOpenClientAtStartup");
  delegate->updateLoginItem();
  delegate->updateLoginItem();
  EXPECT_EQ(playerItems(), 1);
  EXPECT_EQ(LoginItems::copyLoginItems()->size(), 2);
}

TEST_F(ApplicationDelegateTest, WebLinksAndUploadOpenServicePages) {
  workspace->clear();
  delegate->goToZaroWebSite();
  delegate->submitFeedback();
  delegate->showHelp();
  delegate->uploadVideo();  // through "ActionUploadVideo"
  const QString host = "http://127.0.0.1:8642";
  EXPECT_EQ(workspace->requests(),
            QStringList({"openURL " + host + "/", "openURL " + host + "/contact.html",
                         "openURL " + host + "/help.html",
                         "openURL " + host + "/broadcast/myVideos.html"}));
}

TEST_F(ApplicationDelegateTest, ViewActionsShowTheWindowThenPost) {
  QStringList posted;
  int owner;
  for (const char *name : {"ActionGoToLibrary", "ActionViewDownloads", "ActionViewUploads",
                           "ActionEnterFullScreen"})
    NotificationCenter::defaultCenter().addObserver(&owner, name, [&](const Notification &n) {
      EXPECT_TRUE(delegate->mainWindowController()->window()->isVisible());
      posted << n.name;
    });
  delegate->mainWindowController()->window()->hide();
  delegate->viewLibrary();
  delegate->viewDownloads();
  delegate->viewUploads();
  delegate->watchFullScreen();
  NotificationCenter::defaultCenter().removeObserver(&owner);
  EXPECT_EQ(posted, QStringList({"ActionGoToLibrary", "ActionViewDownloads", "ActionViewUploads",
                                 "ActionEnterFullScreen"}));
}

TEST_F(ApplicationDelegateTest, FullScreenItemNeedsAPlayingVisibleWindow) {
  EXPECT_TRUE(delegate->validateMenuItem(0));
  EXPECT_TRUE(delegate->validateMenuItem(7));
  // Nothing plays in this window yet.
  EXPECT_FALSE(delegate->validateMenuItem(ApplicationDelegate::FullScreenMenuTag));
  delegate->mainWindowController()->window()->hide();
  EXPECT_FALSE(delegate->validateMenuItem(ApplicationDelegate::FullScreenMenuTag));
}

TEST_F(ApplicationDelegateTest, QuitAsksOnlyWhenBothSettingsAreOn) {
  auto scripted = std::make_unique<ScriptedDialogs>("quit=1");
  ScriptedDialogs *dialogs = scripted.get();
  Dialogs::setShared(std::move(scripted));
  int terminations = 0;
  QObject::connect(delegate, &ApplicationDelegate::terminateRequested, [&] { ++terminations; });
  defaults().setBool(true, "GeneralConfirmExit");
  defaults().setBool(true, "GeneralQuitConfirmationCancellation");
  delegate->quit();  // cancelled
  EXPECT_EQ(terminations, 0);
  dialogs->setAnswer("quit", "0");
  delegate->quit();
  EXPECT_EQ(terminations, 1);
  defaults().setBool(false, "GeneralQuitConfirmationCancellation");
  dialogs->clearAsked();
  delegate->quit();  // no question
  EXPECT_EQ(terminations, 2);
  EXPECT_TRUE(dialogs->asked().isEmpty());
  Dialogs::setShared(nullptr);
}

TEST_F(ApplicationDelegateTest, ALinkAfterLaunchIsHandledAtOnce) {
  delegate->getUrl("zaro://x?command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09&ZARO_GUIDE_AUTH=t%2B1");
  EXPECT_EQ(defaults().stringForKey("ZaroClientAuthorization"), "t+1");
}
