#pragma once

#include "AppError.h"
#include "ZUrlCommandHandler.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AboutWindow;
class MainWindowController;
class SettingsController;
class QMenu;
class QMenuBar;
class WelcomeWindowController;
class QTimer;
class ZAccessKeyRequest;
class ZDownloadItem;
struct Notification;

// The application's delegate: runs the start-up sequence, owns the main
// window, carries the application-level menu actions, keeps the login item in
// line with its setting, drives the two hourly timers and reacts to download,
// action and preference notifications.
class ApplicationDelegate : public QObject {
  Q_OBJECT
 public:
  // Intervals of the two hourly timers; tests shorten them.
  static int subscriptionCheckIntervalMs;
  static int updateCheckIntervalMs;

  // Registers the first batch of defaults; runs once, before any instance.
  static void initializeClass();

  explicit ApplicationDelegate(QObject *parent = nullptr);
  ~ApplicationDelegate() override;

  // The start-up sequence. False when a required step failed: the caller then
  // terminates the application.
  bool applicationDidFinishLaunching();
  // At termination: brings the login item in line with the setting.
  void applicationWillTerminate();
  // The desktop asked to show the application again (a start without a link).
  void applicationShouldHandleReopen();

  // A "zaro://" link arrived. Before launching has finished it waits for the
  // end of the start-up sequence; only the last one is kept.
  void getUrl(const QString &url);
  void processUrlHandlerRequest();

  // Menu and window actions.
  void openZaroPlayer();
  void viewLibrary();
  void viewDownloads();
  void viewUploads();
  void goToZaroWebSite();
  void submitFeedback();
  void showHelp();
  // Help > About Zaro Player (one window, brought forward when open).
  void showAbout();
  void uploadVideo();
  void createPlaylist();
  void watchFullScreen();
  // True when the player goes on to quit (confirmed, or not asked).
  bool quit();
  void showSettings();
  void viewGuide();
  // Plays a library video in the main window ("zaro-player --play"): a list
  // that plays stops, the now-playing list becomes the video, and the window
  // shows its playback. An id the library does not have is told in an alert.
  void playVideo(int videoId);
  // The library's selected videos on the service's site, in the file manager.
  void findSelectionOnZaro();
  void revealSelectionInFileManager();

  // The welcome window of the first start (over the main window).
  void openWelcomeWindow();
  WelcomeWindowController *welcomeWindowController() const;

  static constexpr int FullScreenMenuTag = 201;
  bool validateMenuItem(int tag);
  // Every menu item enabled as validateMenuItem answers.
  void validateMenuItems();

  MainWindowController *mainWindowController();
  // The settings window's controller, once showSettings() made it.
  SettingsController *settingsController() const { return fSettingsController.get(); }
  int state() const { return fState; }
  void setState(int state) { fState = state; }
  bool applicationFinishedLaunching() const { return fApplicationFinishedLaunching; }

  // Timer actions, callable directly.
  void subscriptionCheckTimerAction();
  void updateCheck(QTimer *timer);
  QTimer *subscriptionCheckTimer() const { return fSubscriptionTimer; }
  QTimer *updateCheckTimer() const { return fUpdateTimer; }

  void updateLoginItem();
  // Asks the service for an access key unless one is stored; never waits.
  void informServerOfClientID();

  // Creates the library on the first start (migrating the previous
  // generation), else opens it. An error when it cannot be created, or when
  // the existing file cannot be read as the library: then an alert has named
  // the file and what to do, and the file is left as it is.
  std::optional<AppError> prepareVideoDatabase();
  // Adds movie files to the library where they lie, with a progress dialog;
  // files that cannot be read as movies are reported one by one.
  void importVideos(const QStringList &paths);
  // Turns a finished download into a library video with its groupings and
  // marks its feed item; true when the video was added.
  bool addDownloadedVideo(ZDownloadItem &item);
  // How often the user's attention was asked for a finished download.
  int attentionRequests() const { return fAttentionRequests; }
  // The program a new login item starts (this executable unless tests say otherwise).
  void setLoginItemProgramPath(const QString &path) { fLoginItemProgramPath = path; }

 signals:
  // The application should end (the quit action after its confirmation).
  void terminateRequested();
  // A downloaded video was added while the player is in the background and
  // "DownloadNewVideoNotification" asks for the user's attention.
  void newVideoAnnounced(int videoId);

 private:
  void registerObservers();
  void buildMenus();
  void doUploadVideo(const Notification &note);
  void preferencesChanged(const Notification &note);
  void findOnZaro(const Notification &note);
  void revealVideosInFinder(const Notification &note);
  void importVideoPaths(const Notification &note);
  void importVideosFromPanel();
  void downloadFinished(const Notification &note);
  void downloadHasInsufficientDiskSpace(const Notification &note);
  void playlistSelectionChanged(const Notification &note);

  std::unique_ptr<MainWindowController> fMainWindowController;
  QPointer<WelcomeWindowController> fWelcomeWindowController;
  QPointer<AboutWindow> fAboutWindow;
  std::unique_ptr<SettingsController> fSettingsController;
  QMenuBar *fMenuBar = nullptr;
  QList<QMenu *> fMenus;
  int fState = 0;
  int fAllowedDiskUsage = 0;
  bool fUserHasBeenShownInsufficentSpaceForDownloadAlert = false;
  bool fApplicationFinishedLaunching = false;
  QString fUrlStringToHandle;
  bool fFirstLaunch = false;
  bool fDefaultsRegistered = false;
  QString fLoginItemProgramPath;
  QTimer *fSubscriptionTimer = nullptr;
  QTimer *fUpdateTimer = nullptr;
  ZAccessKeyRequest *fAccessKeyRequest = nullptr;
  int fAttentionRequests = 0;
  ZUrlCommandHandler fUrlCommands;
};
