#include "ApplicationDelegate.h"
#include "Dialogs.h"
#include "LoginItems.h"
#include "MainWindowController.h"
#include "NotificationCenter.h"
#include "SettingsController.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "MainWindow.h"
#include "VideoDatabase.h"
#include "WelcomeWindowController.h"
#include "Workspace.h"
#include "ZFolderManager.h"
#include "ZSkin.h"
#include "ZPlaylistDataSource.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QProcess>
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
  // The default skin is the one in use.
  ASSERT_NE(ZSkinManager::sharedSkinManager().getCurrentSkin(), nullptr);
  EXPECT_EQ(ZSkinManager::sharedSkinManager().getCurrentSkin(),
            ZSkinManager::sharedSkinManager().getDefaultSkin().get());
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

TEST_F(ApplicationDelegateTest, TheFirstStartCentresTheWindowAndShowsTheWelcomeWindowOverIt) {
  ASSERT_TRUE(launched);
  QWidget *window = delegate->mainWindowController()->window();
  const QRect visible = window->screen()->availableGeometry();
  EXPECT_LE(std::abs(window->frameGeometry().center().x() - visible.center().x()), 1);
  WelcomeWindowController *welcome = delegate->welcomeWindowController();
  ASSERT_NE(welcome, nullptr);
  EXPECT_TRUE(welcome->window()->isVisible());
  EXPECT_EQ(welcome->window()->geometry(), window->geometry());
  welcome->window()->close();
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
  // An item the user made that starts the player through env(1) is the
  // player's own: none is added beside it, and it goes when switched off.
  QDir(LoginItems::autostartFolder()).removeRecursively();
  writeLoginItem("mine.desktop", "env QT_SCALE_FACTOR=2 /opt/zaro/zaro-player");
  delegate->updateLoginItem();
  EXPECT_EQ(LoginItems::copyLoginItems()->size(), 1);
  // It lacked a TryExec (as entries of earlier versions do): now it names the
  // program, and nothing else of it changed.
  QFile mine(LoginItems::autostartFolder() + "/mine.desktop");
  ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
  EXPECT_EQ(mine.readAll(),
            "[Desktop Entry]\nType=Application\n"
            "Exec=env QT_SCALE_FACTOR=2 /opt/zaro/zaro-player\n"
            "TryExec=/opt/zaro/zaro-player\n");
  mine.close();
  defaults().setBool(false, "GeneralOpenClientAtStartup");
  delegate->updateLoginItem();
  EXPECT_TRUE(LoginItems::copyLoginItems()->isEmpty());
  defaults().setBool(true, "GeneralOpenClientAtStartup");
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
  for (const char *name :
       {"ActionGoToLibrary", "ActionViewDownloads", "ActionViewUploads", "ActionEnterFullScreen"})
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

TEST_F(ApplicationDelegateTest, TheFullScreenShortcutFollowsThePlaybackNotTheMenusOpening) {
  MainWindowController *window = delegate->mainWindowController();
  window->window()->show();
  auto *fullScreen = window->menuBar()->findChild<QAction *>("menuWatchFullScreen");
  ASSERT_NE(fullScreen, nullptr);
  // The menus opened while nothing played: the item is off.
  for (QMenu *menu : window->menuBar()->findChildren<QMenu *>()) emit menu->aboutToShow();
  EXPECT_FALSE(fullScreen->isEnabled());
  // A list starts playing: its shortcut works without the menu opening.
  NotificationCenter::defaultCenter().postNotificationName("MovieStarted");
  EXPECT_TRUE(fullScreen->isEnabled());
  NotificationCenter::defaultCenter().postNotificationName("ActionStopPlayingVideoList");
  EXPECT_FALSE(fullScreen->isEnabled());
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
  // No download runs: the plain question, not the one about downloads.
  EXPECT_EQ(dialogs->asked(), QStringList{"quit "});
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

namespace {
// A one-second movie made with the ffmpeg tool.
QString makeMovie(const QString &folder, const QString &name) {
  const QString path = folder + "/" + name;
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                          "testsrc=duration=1:size=64x48:rate=5", "-pix_fmt", "yuv420p", path});
  if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) return QString();
  return path;
}
}  // namespace

TEST_F(ApplicationDelegateTest, LibraryIsCreatedAtStartWithItsSchema) {
  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  EXPECT_TRUE(QFileInfo::exists(database.databasePath()));
  EXPECT_EQ(QFileInfo(database.databasePath()).path(),
            ZFolderManager::sharedFolderManager().userApplicationSupportFolderPath());
  const auto rows = database.executeSQL("SELECT DBVersion FROM DBVersion;");
  ASSERT_TRUE(rows.has_value());
  ASSERT_EQ(rows->size(), 1);
  EXPECT_EQ(rows->at(0).value("DBVersion"), "3.0.0");
}

TEST_F(ApplicationDelegateTest, NewPlaylistsGetUniqueNamesAndBecomeTheSelection) {
  delegate->createPlaylist();
  delegate->createPlaylist();
  delegate->createPlaylist();
  auto &playlists = ZPlaylistDataSource::sharedPlaylistDataSource();
  EXPECT_TRUE(playlists.playlistExists("New Playlist"));
  EXPECT_TRUE(playlists.playlistExists("New Playlist (2)"));
  EXPECT_EQ(playlists.selectedPlaylistName(), "New Playlist (3)");
  EXPECT_EQ(defaults().integerForKey("LibraryPlaylistSelectedId"), playlists.selectedPlaylistId());
}

TEST_F(ApplicationDelegateTest, ImportAddsMoviesWhereTheyLieAndReportsUnreadableFiles) {
  auto scripted = std::make_unique<ScriptedDialogs>();
  ScriptedDialogs *dialogs = scripted.get();
  Dialogs::setShared(std::move(scripted));
  const QString folder = TestEnvironment::makeTempDir("import");
  const QString a = makeMovie(folder, "a clip.mp4");
  const QString b = makeMovie(folder, "b'clip.mkv");
  const QString c = makeMovie(folder, "c.avi");
  ASSERT_FALSE(a.isEmpty() || b.isEmpty() || c.isEmpty()) << "ffmpeg could not make test movies";
  QFile text(folder + "/notes.mp4");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a movie at all");
  text.close();

  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  const int before = database.getAllVideos().size();
  // Through the notification the library view posts when files are dropped.
  NotificationCenter::defaultCenter().postNotificationName("ActionImportVideos",
                                                           QStringList({folder, a, b, c}));
  EXPECT_EQ(database.getAllVideos().size(), before + 3);
  EXPECT_EQ(dialogs->progressEvents(), QStringList({"text a clip.mp4", "bar 50", "text b'clip.mkv",
                                                    "bar 75", "text c.avi", "bar 100", "close"}));
  EXPECT_TRUE(dialogs->asked().filter("alert").isEmpty());
  const QList<int> ids = database.getAllVideosSuchThat("PATH = '" + a + "'", "");
  ASSERT_EQ(ids.size(), 1);
  const auto info = database.getVideoInfo(ids.first());
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->value("TITLE"), "a clip.mp4");
  EXPECT_EQ(info->value("EXTENSION"), "mp4");
  EXPECT_EQ(info->value("SOURCE"), "1");
  EXPECT_EQ(info->value("VIDEO_SAVED"), "1");
  EXPECT_EQ(info->value("DURATION"), "1");
  EXPECT_EQ(info->value("SIZE"), QString::number(QFileInfo(a).size()));
  EXPECT_TRUE(QFileInfo(info->value("IMAGE_PATH")).isFile());

  // The same file again is not a second row; an unreadable file is reported and skipped.
  dialogs->clearAsked();
  delegate->importVideos({a, folder + "/notes.mp4"});
  EXPECT_EQ(database.getAllVideos().size(), before + 3);
  ASSERT_EQ(dialogs->asked().filter("alert").size(), 1);
  EXPECT_TRUE(dialogs->asked().filter("alert").first().contains("notes.mp4"));

  // Find on the web site and reveal in the file browser, through their notifications.
  workspace->clear();
  NotificationCenter::defaultCenter().postNotificationName("ActionRevealVideosInFinder",
                                                           QVariantList({ids.first()}));
  NotificationCenter::defaultCenter().postNotificationName("ActionFindOnZaro",
                                                           QVariantList({ids.first()}));
  EXPECT_EQ(workspace->requests(), QStringList({"openFolder " + folder}))
      << "an imported video has no permalink to find";
  Dialogs::setShared(nullptr);
}

TEST_F(ApplicationDelegateTest, DiskSpaceAlertShowsOnceUntilTheAllowedUsageChanges) {
  auto scripted = std::make_unique<ScriptedDialogs>("diskSpaceDownload=2");
  ScriptedDialogs *dialogs = scripted.get();
  Dialogs::setShared(std::move(scripted));
  auto post = [] {
    NotificationCenter::defaultCenter().postNotificationName("VideoDownloadInsufficientDiskSpace");
  };
  auto shown = [&] { return dialogs->asked().filter("diskSpaceDownload").size(); };
  defaults().setInteger(10, "DownloadAllowedDiskUsage");
  post();
  post();
  EXPECT_EQ(shown(), 1);
  defaults().setBool(false, "PlaybackLoopVideoPlay");  // another setting: not re-armed
  post();
  EXPECT_EQ(shown(), 1);
  defaults().setInteger(20, "DownloadAllowedDiskUsage");
  post();
  EXPECT_EQ(shown(), 2);
  // "Change preferences" brings up the settings window, on its own.
  dialogs->setAnswer("diskSpaceDownload", "0");
  defaults().setInteger(30, "DownloadAllowedDiskUsage");
  delegate->mainWindowController()->window()->hide();
  post();
  EXPECT_EQ(shown(), 3);
  ASSERT_NE(delegate->settingsController(), nullptr);
  EXPECT_TRUE(delegate->settingsController()->window()->isVisible());
  EXPECT_FALSE(delegate->mainWindowController()->window()->isVisible());
  delegate->settingsController()->cancel();
  Dialogs::setShared(nullptr);
}

TEST_F(ApplicationDelegateTest, TheSettingsItemOpensOneSettingsWindowCentred) {
  QAction *item = nullptr;
  for (QAction *action : delegate->mainWindowController()->window()->findChildren<QAction *>())
    if (action->objectName() == "menuSettings") item = action;
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
  item->trigger();
  SettingsController *settings = delegate->settingsController();
  ASSERT_NE(settings, nullptr);
  ZDialog *window = settings->window();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->objectName(), "Settings");
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 2);
  // Moved away and asked for again: the same window, centred again.
  window->move(0, 0);
  delegate->showSettings();
  EXPECT_EQ(delegate->settingsController(), settings);
  EXPECT_EQ(settings->window(), window);
  EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 2);
  settings->cancel();
  EXPECT_FALSE(window->isVisible());
}
