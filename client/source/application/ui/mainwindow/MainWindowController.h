#pragma once

#include "ZLibraryViewEnvironment.h"
#include "ZNavigationPolicy.h"
#include "ZPlaybackBars.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class MainWindow;
class QMenu;
class QMenuBar;
class QWidget;
class ZApplicationState;
class ZButtonView;
class ZDetailsInfoView;
class ZDownloadDataSource;
class ZDownloadTableView;
class ZFullScreenView;
class ZFullScreenWindow;
class ZGuideView;
class ZLibraryBrowseListView;
class ZLibraryItemsView;
class ZLibraryViewContainer;
class ZMainWindowChrome;
class ZMainWindowContentView;
class ZNowPlayingView;
class ZOQTMovieController;
class ZOpaqueView;
class ZSkin;
struct Notification;

// What the main window works with: the library view's models, the movie
// controller, the download queue and the application state. The player
// gives its shared instances; tests give their own.
struct MainWindowEnvironment {
  ZLibraryViewEnvironment library;
  ZOQTMovieController *movieController = nullptr;
  ZDownloadDataSource *downloads = nullptr;
  ZApplicationState *state = nullptr;

  static MainWindowEnvironment shared();
};

// The controller of the main window "MainWindow": builds the skinned chrome,
// switches the content area between the library, the playback view, the
// downloads and the service's guide, moves the movie view into full screen
// and back, keeps the details pane in step with the library's selection and
// carries out the service's commands met in the guide's pages.
//
// Most of its work comes from the request notifications other parts post
// (the "Action..." names) and from its skinned buttons.
class MainWindowController : public QObject {
  Q_OBJECT
 public:
  // The content area's views ("MainWindowView").
  enum View {
    NoView = -1,
    LibraryView = 0,
    PlaybackView = 1,
    DownloadsView = 2,
    UploadsView = 3,  // no view of its own: the area stays empty
    GuideView = 4,    // the service's guide pages
  };

  // What the window asks of the application controller.
  struct ApplicationActions {
    std::function<void()> createPlaylist;
    std::function<void()> importVideos;
  };

  // The window over the shared instances; the skin is the current one.
  MainWindowController();
  MainWindowController(const MainWindowEnvironment &environment, ZSkin *skin,
                       QObject *parent = nullptr);
  ~MainWindowController() override;

  MainWindow *window() const;
  void showWindow();
  // Where the application's menus go: a menu bar in the window's header.
  QMenuBar *menuBar() const { return fMenuBar; }
  void setApplicationActions(ApplicationActions actions) { fActions = std::move(actions); }

  // ---- actions ---------------------------------------------------------------------
  // Stop a playing list, then show the library, the downloads, the uploads.
  void viewLibrary();
  void viewDownloads();
  void viewUploads();
  // The same for the service's guide.
  void viewGuide();
  // A view-switcher button: the library button the library, the downloads
  // button the downloads, the guide button the guide, the upload button the
  // uploads, anything else the library; a playing list stops first.
  void selectView(ZButtonView *sender);
  // Remembers the current view and shows the playback view.
  void selectNowPlaying();
  // Unless a list plays: the playback view, and the movie controller plays
  // (or resumes) the now-playing list.
  void startPlayingNewVideoList();
  void resumeVideoPlayback();
  // When a list plays: the movie controller stops, full screen ends, and the
  // view before playing comes back.
  void stopPlayingVideoList();
  void playVideo();  // play or pause
  void pauseVideo();
  void pauseInline();
  void fastForwardInline();
  void rewindInline();
  // Full screen: the movie view moves into a window over the first screen,
  // and back.
  void playFullScreen();
  void cancelFullScreen();
  void showLibraryThumbnailView();
  void showLibraryDetailsView();
  void showPlaylist();
  void hidePlaylist();
  // The browse-by pop-up's item with the tag: the library is browsed by it.
  void selectBrowseBy(int tag);
  // The playlists pop-up's item: the playlist of that name is selected.
  void selectPlaylist(const QString &name);
  // The search field's text filters the library's titles.
  void librarySearchChanged();
  void clearCompletedDownloads();
  void uploadVideo();

  // ---- state -----------------------------------------------------------------------
  bool currentlyPlayingMovies() const { return fCurrentlyPlayingMovie; }
  bool inFullScreen() const;
  int currentView() const { return fCurrentView; }
  int viewBeforePlaying() const { return fViewBeforePlaying; }

  // ---- parts, for the application and for tests ------------------------------------
  ZMainWindowContentView *contentView() const { return fWindowContentView; }
  ZOpaqueView *contentArea() const { return fContentView; }
  const ZMainWindowChrome &chrome() const { return *fChrome; }
  ZDetailsInfoView *detailsInfoView() const { return fDetailsInfoView; }
  ZLibraryViewContainer *libraryViewContainer() const { return fLibraryViewContainer; }
  ZDownloadTableView *downloadsContainerView() const { return fDownloadsContainerView; }
  ZNowPlayingView *nowPlayingView() const { return fNowPlayingView; }
  ZGuideView *guideView() const { return fGuideView; }
  ZFullScreenWindow *fullScreenWindow() const;
  QMenu *browseByMenu() const { return fBrowseByMenu; }
  QMenu *playlistsMenu() const { return fPlaylistsMenu; }
  QMenu *importMenu() const { return fImportMenu; }
  // What the service's pages shown in the player (the guide here, the
  // welcome window) do with their command links: queue downloads (a refusal
  // is told), subscribe, hand other "zaro://" links to the application.
  ZNavigationPolicy::Targets navigationTargets();
  // The address of the guide's first page.
  static QString guidePagePath() { return QStringLiteral("/guide/index.html"); }

  // What happens when the screens change: the window fits the visible area
  // of its screen and is centred on it.
  void screenConfigurationChanged();

 signals:
  void currentViewChanged(int view);
  // A list began or stopped playing, or full screen was entered or left:
  // what `currentlyPlayingMovies` and `inFullScreen` answer changed.
  void playbackStateChanged();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  // What the playback area and full screen work with.
  ZPlaybackEnvironment playbackEnvironment() const;
  void awakeFromNib();
  void windowDidLoad();
  void updateLookWithSkin(ZSkin &skin);
  void wireButtons();
  void buildPopupMenus();
  void setTabOrder();
  void registerObservers();
  void setCurrentView(int view);
  void removeCurrentView();
  void layoutContent();
  void playlistListModified();
  void adjustButtonsAccordingToPlaylistVisibility();
  void libraryViewSelectionChanged();
  void libraryViewChanged(const Notification &note);
  void movieStarted();
  void exitMoviePlay();
  void ensureGuideView();
  void setLibraryControlsVisible(bool visible);
  bool libraryPlaylistVisible() const;
  void selectViewButton(ZButtonView *button, bool selected);

  MainWindowEnvironment fEnvironment;
  ZSkin *fCurrentSkin = nullptr;
  ApplicationActions fActions;

  QPointer<MainWindow> fWindow;
  ZMainWindowContentView *fWindowContentView = nullptr;
  QMenuBar *fMenuBar = nullptr;
  ZMainWindowChrome *fChrome = nullptr;
  ZOpaqueView *fContentView = nullptr;
  ZDetailsInfoView *fDetailsInfoView = nullptr;
  ZNowPlayingView *fNowPlayingView = nullptr;
  ZOpaqueView *fThumbnailMovieContainer = nullptr;
  QWidget *fThumbnailMovieView = nullptr;
  QPointer<ZFullScreenWindow> fFullScreenWindow;
  ZFullScreenView *fFullScreenView = nullptr;
  ZDownloadTableView *fDownloadsContainerView = nullptr;
  ZLibraryViewContainer *fLibraryViewContainer = nullptr;
  ZLibraryBrowseListView *fLibraryBrowseViewContainer = nullptr;
  ZLibraryItemsView *fLibraryItemsView = nullptr;
  ZGuideView *fGuideView = nullptr;
  QMenu *fBrowseByMenu = nullptr;
  QMenu *fPlaylistsMenu = nullptr;
  QMenu *fImportMenu = nullptr;

  int fCurrentView = NoView;
  int fViewBeforePlaying = LibraryView;
  // Where the keyboard was before playback took the window; it goes back
  // there when playback leaves.
  QPointer<QWidget> fFocusBeforePlaying;
  bool fCurrentlyPlayingMovie = false;
};
