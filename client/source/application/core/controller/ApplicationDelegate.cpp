#include "ApplicationDelegate.h"
#include "AboutWindow.h"

#include "Dialogs.h"
#include "Localization.h"
#include "Logging.h"
#include "LoginItemUpdater.h"
#include "MainWindow.h"
#include "MainWindowController.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ServiceHosts.h"
#include "SettingsController.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "WelcomeWindowController.h"
#include "Workspace.h"
#include "ZAccessKeyRequest.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadItem.h"
#include "ZFolderManager.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"
#include "ZSubscriptionManager.h"
#include "ZUpdater.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

int ApplicationDelegate::subscriptionCheckIntervalMs = 3600 * 1000;
int ApplicationDelegate::updateCheckIntervalMs = 3600 * 1000;

namespace {

UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }

void openOnWebHost(const QString &path) {
  Workspace::shared().openURL(QUrl(ServiceHosts::webURLString(path)));
}

ZUrlCommandHandler::Targets urlCommandTargets() {
  ZUrlCommandHandler::Targets targets;
  targets.downloadVideo = [](const QString &permalink, const QString &collection) {
    return ZDownloadDataSource::sharedDownloadDataSource().downloadVideo(permalink, collection,
                                                                         DownloadTypeDirect);
  };
  targets.subscribe = [](const QString &feedUrl) {
    ZSubscriptionManager::sharedSubscriptionManager().addFeedWithName(feedUrl, feedUrl, 0);
  };
  targets.unsubscribe = [](const QString &feedUrl) {
    ZSubscriptionManager::sharedSubscriptionManager().removeFeedWithUrl(feedUrl);
  };
  return targets;
}

}  // namespace

void ApplicationDelegate::initializeClass() {
  static bool done = false;
  if (done) return;
  done = true;
  Preferences::registerBatchA(defaults());
}

ApplicationDelegate::ApplicationDelegate(QObject *parent)
    : QObject(parent), fUrlCommands(urlCommandTargets()) {
  initializeClass();
  fLoginItemProgramPath = QCoreApplication::applicationFilePath();
}

ApplicationDelegate::~ApplicationDelegate() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

bool ApplicationDelegate::applicationDidFinishLaunching() {
  // 1. The application's folders.
  if (ZFolderManager::sharedFolderManager().setupFolders()) {
    qCCritical(
        zaroCore, "cannot make the application folder below %s",
        qUtf8Printable(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
    return false;
  }
  // 2. The second batch of defaults (one of them is a path in that folder).
  Preferences::registerBatchB(
      defaults(), ZFolderManager::sharedFolderManager().userApplicationSupportFolderPath());
  fDefaultsRegistered = true;
  // 3. Remember whether this is the first start.
  fFirstLaunch = defaults().boolForKey(QStringLiteral("FirstLaunch"));
  // 4. The default skin becomes the current skin.
  ZSkinManager::sharedSkinManager().setCurrentSkin(
      ZSkinManager::sharedSkinManager().getDefaultSkin());
  // 5. The library database.
  if (prepareVideoDatabase()) return false;
  // 6. The access key, asked for in the background when none is stored.
  informServerOfClientID();
  // 7. The login item.
  updateLoginItem();
  // 8. The saved playlist selection.
  ZPlaylistDataSource::sharedPlaylistDataSource().selectPlaylistWithId(
      int(defaults().integerForKey(QStringLiteral("LibraryPlaylistSelectedId"))));
  // 9. The saved download jobs.
  ZDownloadDataSource::sharedDownloadDataSource().readSavedJobs();
  // 10. The disk-space transformer is a plain function the settings window calls.
  // 11. Observers.
  registerObservers();
  // 12. The main window.
  openZaroPlayer();
  // 13. The welcome window on the first start.
  if (fFirstLaunch) openWelcomeWindow();
  // 14. The hourly subscription check, once now.
  fSubscriptionTimer = new QTimer(this);
  fSubscriptionTimer->setInterval(subscriptionCheckIntervalMs);
  connect(fSubscriptionTimer, &QTimer::timeout, this, [this] { subscriptionCheckTimerAction(); });
  fSubscriptionTimer->start();
  subscriptionCheckTimerAction();
  // 15. The hourly update check, once now.
  fUpdateTimer = new QTimer(this);
  fUpdateTimer->setInterval(updateCheckIntervalMs);
  connect(fUpdateTimer, &QTimer::timeout, this, [this] { updateCheck(fUpdateTimer); });
  fUpdateTimer->start();
  updateCheck(nullptr);
  // 16. The download queue starts.
  ZDownloadDataSource::sharedDownloadDataSource().activate();
  // 17.
  fAllowedDiskUsage = int(defaults().integerForKey(QStringLiteral("DownloadAllowedDiskUsage")));
  // 18.
  fApplicationFinishedLaunching = true;
  // 19.
  defaults().setBool(false, QStringLiteral("FirstLaunch"));
  // 20. A link that arrived while launching.
  if (!fUrlStringToHandle.isNull()) processUrlHandlerRequest();
  return true;
}

void ApplicationDelegate::applicationWillTerminate() {
  // Without its registered default the setting would read as off, and a start
  // that failed before registering would remove the user's login item.
  if (fDefaultsRegistered) updateLoginItem();
}

void ApplicationDelegate::applicationShouldHandleReopen() { openZaroPlayer(); }

void ApplicationDelegate::getUrl(const QString &url) {
  fUrlStringToHandle = url;
  if (fApplicationFinishedLaunching) processUrlHandlerRequest();
}

void ApplicationDelegate::processUrlHandlerRequest() {
  const QString url = fUrlStringToHandle;
  fUrlStringToHandle = QString();  // consumed, whatever the command does
  fUrlCommands.processUrl(url);
}

void ApplicationDelegate::updateLoginItem() {
  LoginItemUpdater::updateLoginItem(fLoginItemProgramPath);
}

void ApplicationDelegate::subscriptionCheckTimerAction() {
  ZSubscriptionManager::sharedSubscriptionManager().timedFeedItemDownloading();
}

void ApplicationDelegate::updateCheck(QTimer *timer) {
  ZUpdater &updater = ZUpdater::sharedUpdater();
  if (updater.updateDownloaded()) {
    if (timer) timer->stop();
  } else {
    updater.checkForUpdate();
  }
}

void ApplicationDelegate::informServerOfClientID() {
  if (!fAccessKeyRequest) fAccessKeyRequest = new ZAccessKeyRequest(this);
  fAccessKeyRequest->start();
}

MainWindowController *ApplicationDelegate::mainWindowController() {
  if (!fMainWindowController) {
    fMainWindowController = std::make_unique<MainWindowController>();
    MainWindowController::ApplicationActions actions;
    actions.createPlaylist = [this] { createPlaylist(); };
    actions.importVideos = [this] { importVideosFromPanel(); };
    fMainWindowController->setApplicationActions(std::move(actions));
    buildMenus();
  }
  return fMainWindowController.get();
}

void ApplicationDelegate::openZaroPlayer() {
  MainWindowController *controller = mainWindowController();
  QWidget *window = controller->window();
  const bool centre = defaults().boolForKey(QStringLiteral("FirstLaunch"));
  controller->showWindow();
  if (centre) {
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
      QRect frame = window->frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      window->move(frame.topLeft());
    }
  }
  window->activateWindow();
}

void ApplicationDelegate::viewLibrary() {
  openZaroPlayer();
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionGoToLibrary"));
}

void ApplicationDelegate::viewDownloads() {
  openZaroPlayer();
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionViewDownloads"));
}

void ApplicationDelegate::viewUploads() {
  openZaroPlayer();
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionViewUploads"));
}

void ApplicationDelegate::playVideo(int videoId) {
  if (!VideoDatabase::defaultVideoDatabase().getVideoInfo(videoId)) {
    Dialogs::shared().showAlert(localizedFormat(QStringLiteral("moviePlayNoSuchVideo"), {videoId}));
    return;
  }
  openZaroPlayer();
  NotificationCenter &center = NotificationCenter::defaultCenter();
  // As a new list from the library: what played before stops first.
  if (fMainWindowController->currentlyPlayingMovies())
    center.postNotificationName(QStringLiteral("ActionStopPlayingVideoList"));
  ZNowPlayingListDataSource::sharedNowPlayingListDataSource().setVideos({videoId});
  center.postNotificationName(QStringLiteral("ActionStartPlayingNewVideoList"));
}

void ApplicationDelegate::viewGuide() {
  openZaroPlayer();
  fMainWindowController->viewGuide();
}

WelcomeWindowController *ApplicationDelegate::welcomeWindowController() const {
  return fWelcomeWindowController;
}

void ApplicationDelegate::openWelcomeWindow() {
  MainWindowController *controller = mainWindowController();
  if (fWelcomeWindowController) return;
  fWelcomeWindowController = new WelcomeWindowController(controller->navigationTargets(), this);
  connect(fWelcomeWindowController, &WelcomeWindowController::closed, fWelcomeWindowController,
          &QObject::deleteLater);
  // The main window below it takes the keyboard again.
  connect(fWelcomeWindowController, &WelcomeWindowController::closed, this, [controller] {
    if (controller->window()->isVisible()) controller->window()->activateWindow();
  });
  // Over the main window, with its frame.
  fWelcomeWindowController->showWindow(controller->window()->geometry());
}

namespace {
// The ids of the library's selected videos, as a notification carries them.
QVariantList selectedVideoIds() {
  QVariantList ids;
  for (int id :
       ZLibraryBrowseListDataSource::defaultLibraryBrowseListDataSource().selectedVideoIds())
    ids.append(id);
  return ids;
}
}  // namespace

void ApplicationDelegate::findSelectionOnZaro() {
  const QVariantList ids = selectedVideoIds();
  if (!ids.isEmpty())
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionFindOnZaro"),
                                                             ids);
}

void ApplicationDelegate::revealSelectionInFileManager() {
  const QVariantList ids = selectedVideoIds();
  if (!ids.isEmpty())
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionRevealVideosInFinder"), ids);
}

void ApplicationDelegate::goToZaroWebSite() { openOnWebHost(QStringLiteral("/")); }
void ApplicationDelegate::submitFeedback() { openOnWebHost(QStringLiteral("/contact.html")); }
void ApplicationDelegate::showHelp() { openOnWebHost(QStringLiteral("/help.html")); }

void ApplicationDelegate::showAbout() {
  if (!fAboutWindow) {
    fAboutWindow = new AboutWindow(mainWindowController()->window());
    fAboutWindow->setAttribute(Qt::WA_DeleteOnClose);
  }
  fAboutWindow->show();
  fAboutWindow->raise();
  fAboutWindow->activateWindow();
}

void ApplicationDelegate::uploadVideo() {
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionUploadVideo"));
}

void ApplicationDelegate::watchFullScreen() {
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionEnterFullScreen"));
}

bool ApplicationDelegate::quit() {
  if (defaults().boolForKey(QStringLiteral("GeneralConfirmExit")) &&
      defaults().boolForKey(QStringLiteral("GeneralQuitConfirmationCancellation"))) {
    const bool downloadsRunning = ZDownloadDataSource::sharedDownloadDataSource().activeCount() > 0;
    if (Dialogs::shared().askQuit(downloadsRunning) != 0) return false;
  }
  emit terminateRequested();
  return true;
}

bool ApplicationDelegate::validateMenuItem(int tag) {
  if (tag != FullScreenMenuTag) return true;
  if (!fMainWindowController) return false;
  return fMainWindowController->window()->isVisible() &&
         fMainWindowController->currentlyPlayingMovies() && !fMainWindowController->inFullScreen();
}

void ApplicationDelegate::registerObservers() {
  NotificationCenter &center = NotificationCenter::defaultCenter();
  // In the order of the observer table.
  center.addObserver(this, QStringLiteral("VideoDownloadFinishedAddToDatabase"),
                     [this](const Notification &note) { downloadFinished(note); });
  center.addObserver(this, QStringLiteral("VideoDownloadInsufficientDiskSpace"),
                     [this](const Notification &note) { downloadHasInsufficientDiskSpace(note); });
  center.addObserver(this, QStringLiteral("VideoDownloadBadHTTPResponse"),
                     [](const Notification &) {});
  center.addObserver(this, QStringLiteral("ActionUploadVideo"),
                     [this](const Notification &note) { doUploadVideo(note); });
  center.addObserver(this, QStringLiteral("ActionFindOnZaro"),
                     [this](const Notification &note) { findOnZaro(note); });
  center.addObserver(this, QStringLiteral("ActionRevealVideosInFinder"),
                     [this](const Notification &note) { revealVideosInFinder(note); });
  center.addObserver(this, QStringLiteral("ActionImportVideos"),
                     [this](const Notification &note) { importVideoPaths(note); });
  center.addObserver(this, UserDefaults::DidChangeNotification,
                     [this](const Notification &note) { preferencesChanged(note); });
  center.addObserver(this, ZPlaylistDataSource::ListSelectionChangedNotification,
                     [this](const Notification &note) { playlistSelectionChanged(note); });
}

void ApplicationDelegate::playlistSelectionChanged(const Notification &) {
  defaults().setInteger(ZPlaylistDataSource::sharedPlaylistDataSource().selectedPlaylistId(),
                        QStringLiteral("LibraryPlaylistSelectedId"));
}

void ApplicationDelegate::createPlaylist() {
  ZPlaylistDataSource &playlists = ZPlaylistDataSource::sharedPlaylistDataSource();
  const QString base = localized(QStringLiteral("libraryPlaylistsNewPlaylistName"));
  QString name = base;
  for (int n = 2; playlists.playlistExists(name); ++n)
    name = base + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')');
  VideoDatabase::defaultVideoDatabase().saveNewPlaylist(name, std::nullopt);
  playlists.selectPlaylist(name);
}

void ApplicationDelegate::doUploadVideo(const Notification &) {
  openOnWebHost(QStringLiteral("/broadcast/myVideos.html"));
}

void ApplicationDelegate::preferencesChanged(const Notification &) {
  const int allowed = int(defaults().integerForKey(QStringLiteral("DownloadAllowedDiskUsage")));
  if (allowed != fAllowedDiskUsage) {
    fAllowedDiskUsage = allowed;
    fUserHasBeenShownInsufficentSpaceForDownloadAlert = false;
  }
}

void ApplicationDelegate::buildMenus() {
  fMenuBar = fMainWindowController->menuBar();
  auto add = [this](QMenu *menu, const char *key, auto slot, int tag = 0,
                    QKeySequence shortcut = QKeySequence()) {
    QAction *action = menu->addAction(localized(QLatin1String(key)));
    action->setObjectName(QLatin1String(key));
    action->setData(tag);
    if (!shortcut.isEmpty()) {
      action->setShortcut(shortcut);
      // Also while the guide's page or the welcome window has the keyboard.
      action->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu *file = fMenuBar->addMenu(localized(QStringLiteral("menuFile")));
  add(file, "menuOpenPlayer", &ApplicationDelegate::openZaroPlayer);
  add(file, "menuCreatePlaylist", &ApplicationDelegate::createPlaylist);
  add(file, "menuImportVideos", &ApplicationDelegate::importVideosFromPanel);
  add(file, "menuUploadVideo", &ApplicationDelegate::uploadVideo);
  file->addSeparator();
  add(file, "menuFindOnZaro", &ApplicationDelegate::findSelectionOnZaro);
  add(file, "menuRevealInFileManager", &ApplicationDelegate::revealSelectionInFileManager);
  file->addSeparator();
  add(file, "menuSettings", &ApplicationDelegate::showSettings, 0,
      QKeySequence(Qt::CTRL | Qt::Key_Comma));
  file->addSeparator();
  add(file, "menuQuit", &ApplicationDelegate::quit, 0, QKeySequence::Quit);
  QMenu *view = fMenuBar->addMenu(localized(QStringLiteral("menuView")));
  add(view, "menuLibrary", &ApplicationDelegate::viewLibrary, 0,
      QKeySequence(Qt::CTRL | Qt::Key_1));
  add(view, "menuDownloads", &ApplicationDelegate::viewDownloads, 0,
      QKeySequence(Qt::CTRL | Qt::Key_2));
  add(view, "menuGuide", &ApplicationDelegate::viewGuide, 0, QKeySequence(Qt::CTRL | Qt::Key_3));
  add(view, "menuUploads", &ApplicationDelegate::viewUploads);
  view->addSeparator();
  add(view, "menuWatchFullScreen", &ApplicationDelegate::watchFullScreen, FullScreenMenuTag,
      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  QMenu *help = fMenuBar->addMenu(localized(QStringLiteral("menuHelpMenu")));
  add(help, "menuGoToWebSite", &ApplicationDelegate::goToZaroWebSite);
  add(help, "menuSubmitFeedback", &ApplicationDelegate::submitFeedback);
  add(help, "menuHelp", &ApplicationDelegate::showHelp);
  help->addSeparator();
  add(help, "menuAbout", &ApplicationDelegate::showAbout);
  // Menu validation: the items are enabled by validateMenuItem as a menu
  // opens and whenever the playback changes, so that their shortcuts follow
  // the current state too (a disabled action's shortcut never fires).
  fMenus = {file, view, help};
  for (QMenu *menu : fMenus)
    connect(menu, &QMenu::aboutToShow, this, &ApplicationDelegate::validateMenuItems);
  connect(fMainWindowController.get(), &MainWindowController::playbackStateChanged, this,
          &ApplicationDelegate::validateMenuItems);
  validateMenuItems();
}

void ApplicationDelegate::validateMenuItems() {
  for (QMenu *menu : fMenus)
    for (QAction *action : menu->actions())
      if (!action->isSeparator()) action->setEnabled(validateMenuItem(action->data().toInt()));
}
