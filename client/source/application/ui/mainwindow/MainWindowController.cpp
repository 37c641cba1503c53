// The main window controller: the window and its content area, view
// switching, playback and full screen, and the notifications it answers.
// The library's toolbar and details pane are in MainWindowLibrary.cpp.
#include "MainWindowController.h"

#include "Localization.h"
#include "MainWindow.h"
#include "NotificationCenter.h"
#include "ServiceHosts.h"
#include "UserDefaults.h"
#include "Workspace.h"
#include "ZApplicationState.h"
#include "ZControls.h"
#include "ZDetailsInfoView.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadTableView.h"
#include "ZFullScreenWindow.h"
#include "ZGuideView.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryViewContainer.h"
#include "ZMainWindowChrome.h"
#include "ZMainWindowContentView.h"
#include "ZMpvBackEnd.h"
#include "ZNowPlayingView.h"
#include "ZOMovieView.h"
#include "ZOQTMovieController.h"
#include "ZPlaybackKeys.h"
#include "ZSkin.h"
#include "ZSubscriptionManager.h"

#include "Dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>

namespace {

UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }

void post(const char *name, const QVariant &object = QVariant()) {
  NotificationCenter::defaultCenter().postNotificationName(QLatin1String(name), object);
}

constexpr int kContentInset = 2;
constexpr int kDetailsPaneWidth = 181;

}  // namespace

MainWindowEnvironment MainWindowEnvironment::shared() {
  MainWindowEnvironment environment;
  environment.library = ZLibraryViewEnvironment::shared();
  environment.movieController = &ZOQTMovieController::sharedMovieController();
  environment.downloads = &ZDownloadDataSource::sharedDownloadDataSource();
  environment.state = &ZApplicationState::sharedStateManager();
  return environment;
}

MainWindowController::MainWindowController()
    : MainWindowController(MainWindowEnvironment::shared(),
                           ZSkinManager::sharedSkinManager().getCurrentSkin()) {}

MainWindowController::MainWindowController(const MainWindowEnvironment &environment, ZSkin *skin,
                                           QObject *parent)
    : QObject(parent), fEnvironment(environment), fCurrentSkin(skin) {
  // The window resource: the window, its content view with the menu bar in
  // the header, the content area and the details pane.
  fWindow = new MainWindow;
  fWindow->setWindowTitle(localized(QStringLiteral("mainWindowTitle")));
  fWindow->setAccessibleName(fWindow->windowTitle());
  fWindowContentView = new ZMainWindowContentView(fWindow);
  fWindow->resize(960, 640);
  fMenuBar = new QMenuBar(fWindowContentView);
  fMenuBar->setObjectName(QStringLiteral("MainMenuBar"));
  fMenuBar->setAccessibleName(localized(QStringLiteral("mainWindowAccessibleMenuBarName")));
  // The menus' titles stand on the dark header.
  fMenuBar->setStyleSheet(QStringLiteral(
      "QMenuBar { background: transparent; color: #e8e8e8; }"
      "QMenuBar::item { background: transparent; padding: 4px 8px; border-radius: 4px; }"
      "QMenuBar::item:selected, QMenuBar::item:pressed { background: rgba(255, 255, 255, 48); }"));
  fChrome = new ZMainWindowChrome(this);
  fContentView = new ZOpaqueView(fWindowContentView);
  fContentView->setObjectName(QStringLiteral("ContentArea"));
  fDetailsInfoView = new ZDetailsInfoView(environment.library, fWindowContentView);
  fNowPlayingView = new ZNowPlayingView(playbackEnvironment(), fContentView);
  fThumbnailMovieContainer = new ZOpaqueView(fContentView);
  fThumbnailMovieContainer->setObjectName(QStringLiteral("ThumbnailMovieContainer"));
  fDownloadsContainerView = new ZDownloadTableView(fContentView);
  fLibraryViewContainer = new ZLibraryViewContainer(environment.library, fContentView);
  fLibraryBrowseViewContainer = fLibraryViewContainer->browseListView();
  fLibraryItemsView = fLibraryViewContainer->itemsView();
  // Where the platform shows OpenGL the movie is drawn in the movie view;
  // elsewhere (offscreen) it plays unseen on black.
  if (ZOMovieView::isAvailable() && environment.movieController) {
    auto *movieView = new ZOMovieView(fThumbnailMovieContainer);
    movieView->setObjectName(QStringLiteral("MovieView"));
    movieView->setEngine(dynamic_cast<ZMpvBackEnd *>(&environment.movieController->movie()));
    fThumbnailMovieView = movieView;
  }
  fWindow->installEventFilter(this);
  fWindowContentView->installEventFilter(this);
  fCurrentSkin = skin;
  awakeFromNib();
  windowDidLoad();
}

MainWindowController::~MainWindowController() {
  NotificationCenter::defaultCenter().removeObserver(this);
  if (fEnvironment.movieController) fEnvironment.movieController->setMovieView(nullptr);
  if (fFullScreenWindow) delete fFullScreenWindow;
  // The window's own destruction still sends events (focus leaving its
  // children); by then it is no longer a MainWindow this filter may look at.
  if (fWindow) fWindow->removeEventFilter(this);
  if (fWindowContentView) fWindowContentView->removeEventFilter(this);
  delete fWindow;
}

MainWindow *MainWindowController::window() const { return fWindow; }

ZPlaybackEnvironment MainWindowController::playbackEnvironment() const {
  ZPlaybackEnvironment playback;
  playback.skin = fCurrentSkin;
  playback.movieController = fEnvironment.movieController;
  playback.nowPlaying = fEnvironment.library.nowPlaying;
  return playback;
}

bool MainWindowController::inFullScreen() const { return fFullScreenWindow != nullptr; }

ZFullScreenWindow *MainWindowController::fullScreenWindow() const { return fFullScreenWindow; }

void MainWindowController::showWindow() {
  fWindow->show();
  fWindow->raise();
}

// ---- loading ------------------------------------------------------------------------

void MainWindowController::awakeFromNib() {
  fContentView->setStartColor(Qt::black);
  fContentView->setEndColor(Qt::black);
  if (fEnvironment.movieController)
    fEnvironment.movieController->setMovieView(dynamic_cast<ZOMovieView *>(fThumbnailMovieView));
  registerObservers();
}

void MainWindowController::windowDidLoad() {
  // 1. The frame saved under the autosave name.
  fWindow->setFrameAutosaveName(QStringLiteral("ZaroClient"));
  if (!fWindow->setFrameUsingName(fWindow->frameAutosaveName())) {
    // None saved (or one that is none): placed as on the first start, fitted
    // to the visible area and centred in it.
    const QRect visible = fWindow->standardFrame();
    if (!visible.isEmpty())
      fWindow->setGeometry(
          MainWindowGeometry::fittedFrame(fWindow->geometry(), visible, fWindow->minimumSize()));
  }
  // 2. The chrome, from the current skin.
  if (fCurrentSkin) updateLookWithSkin(*fCurrentSkin);
  // 3. The browse list for the stored way of browsing; the view draws with the skin.
  const int browseBy = int(defaults().integerForKey(QStringLiteral("LibraryBrowseBy")));
  if (fChrome->browseByPopup) fChrome->browseByPopup->setSelectedTag(browseBy);
  if (fEnvironment.library.browseList)
    fEnvironment.library.browseList->reloadForBrowsingBy(browseBy);
  fLibraryViewContainer->setSkin(fCurrentSkin);
  // 4. The movie view waits, hidden, in its own container; playback on black.
  fThumbnailMovieContainer->setStartColor(Qt::black);
  fThumbnailMovieContainer->setEndColor(Qt::black);
  if (fThumbnailMovieView) {
    fThumbnailMovieView->setGeometry(fThumbnailMovieContainer->rect());
    fThumbnailMovieView->show();
  }
  fThumbnailMovieContainer->hide();
  fNowPlayingView->setMovieView(fThumbnailMovieView);
  // 5. The buttons' actions.
  wireButtons();
  // 6. The playback view and the download table, hidden.
  fNowPlayingView->hide();
  fDownloadsContainerView->setup();
  // 7. No view, then the stored one (playback gives the library).
  fLibraryViewContainer->hide();
  fDownloadsContainerView->hide();
  fCurrentView = NoView;
  layoutContent();
  int stored = int(defaults().integerForKey(QStringLiteral("MainWindowView")));
  if (stored == PlaybackView || stored < LibraryView || stored > GuideView) stored = LibraryView;
  setCurrentView(stored);
  // 8. Ready to play.
  if (fEnvironment.state) {
    fEnvironment.state->setState(1);
    fEnvironment.state->setPlaybackWindow(fWindow);
  }
  fCurrentlyPlayingMovie = false;
  setTabOrder();
  fWindow->setFocus(Qt::OtherFocusReason);
}

void MainWindowController::registerObservers() {
  NotificationCenter &center = NotificationCenter::defaultCenter();
  const auto observe = [&](const char *name, std::function<void()> handler) {
    center.addObserver(this, QLatin1String(name),
                       [handler = std::move(handler)](const Notification &) { handler(); });
  };
  observe("ActionGoToLibrary", [this] { viewLibrary(); });
  observe("ActionViewDownloads", [this] { viewDownloads(); });
  observe("ActionViewUploads", [this] { viewUploads(); });
  observe("ActionStartPlayingNewVideoList", [this] { startPlayingNewVideoList(); });
  observe("ActionResumeVideoPlayback", [this] { resumeVideoPlayback(); });
  observe("ActionStopPlayingVideoList", [this] { stopPlayingVideoList(); });
  observe("ActionPlayVideo", [this] { playVideo(); });
  observe("ActionPauseVideo", [this] { pauseVideo(); });
  observe("ActionEnterFullScreen", [this] { playFullScreen(); });
  observe("ActionLeaveFullScreen", [this] { cancelFullScreen(); });
  observe("LibraryViewItemSelectionChanged", [this] { libraryViewSelectionChanged(); });
  observe("MovieStarted", [this] { movieStarted(); });
  observe("MovieStopped", [] {});
  center.addObserver(this, QStringLiteral("LibraryViewSwitchedToThumbnail"),
                     [this](const Notification &note) { libraryViewChanged(note); });
  center.addObserver(this, QStringLiteral("LibraryViewSwitchedToDetails"),
                     [this](const Notification &note) { libraryViewChanged(note); });
  observe("PlaylistDataSourceListRebuilt", [this] { playlistListModified(); });
  // The playlists pop-up shows the selected playlist.
  observe("PlaylistDataSourceListSelectionChanged", [this] { playlistListModified(); });

  // The screens: one added or gone, or one's size or visible area changed.
  const auto watchScreen = [this](QScreen *screen) {
    connect(screen, &QScreen::geometryChanged, this,
            &MainWindowController::screenConfigurationChanged);
    connect(screen, &QScreen::availableGeometryChanged, this,
            &MainWindowController::screenConfigurationChanged);
  };
  for (QScreen *screen : QGuiApplication::screens()) watchScreen(screen);
  connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watchScreen](QScreen *screen) {
    watchScreen(screen);
    screenConfigurationChanged();
  });
  connect(qGuiApp, &QGuiApplication::screenRemoved, this,
          &MainWindowController::screenConfigurationChanged);
}

void MainWindowController::wireButtons() {
  ZMainWindowChrome &c = *fChrome;
  const auto wire = [](ZButtonView *button, std::function<void()> action) {
    if (button) button->setAction([action = std::move(action)](ZButtonView *) { action(); });
  };
  wire(c.minimizeButton, [this] { fWindow->showMinimized(); });
  wire(c.maximizeButton, [this] { fWindow->zoom(); });
  // The close button hides the window; the player goes on.
  wire(c.closeButton, [this] { fWindow->hide(); });
  for (ZButtonView *button : {c.libraryButton, c.downloadsButton, c.guideButton})
    if (button) button->setAction([this](ZButtonView *sender) { selectView(sender); });
  wire(c.thumbnailViewButton, [this] { showLibraryThumbnailView(); });
  wire(c.detailsViewButton, [this] { showLibraryDetailsView(); });
  wire(c.hidePlaylistButton, [this] { hidePlaylist(); });
  wire(c.showPlaylistButton, [this] { showPlaylist(); });
  wire(c.clearDownloadsButton, [this] { clearCompletedDownloads(); });
  wire(c.uploadButton, [this] { uploadVideo(); });
  if (c.librarySearchField)
    c.librarySearchField->setAction([this](ZSearchButtonView *) { librarySearchChanged(); });

  // The keyboard's ways to what the pointer reaches.
  auto *find = new QShortcut(QKeySequence::Find, fWindow);
  connect(find, &QShortcut::activated, this, [this] {
    if (fCurrentView != LibraryView) viewLibrary();
    if (fChrome->librarySearchField) fChrome->librarySearchField->beginEditing();
  });
}

void MainWindowController::updateLookWithSkin(ZSkin &skin) {
  fWindowContentView->setSkin(&skin);
  fChrome->updateLookWithSkin(fWindowContentView, skin);
  buildPopupMenus();
  fDetailsInfoView->setSkin(&skin);
  fMenuBar->raise();
}

// ---- the content area ----------------------------------------------------------------

void MainWindowController::layoutContent() {
  const QSize size = fWindow->size();
  fWindowContentView->setGeometry(QRect(QPoint(0, 0), size));
  const int top = int(fChrome->topFrameHeight());
  const int bottom = int(fChrome->bottomFrameHeight());
  fContentView->setGeometry(0, top, size.width(), std::max(0, size.height() - top - bottom));
  const QRect inner(kContentInset, 0, std::max(0, fContentView->width() - 2 * kContentInset),
                    fContentView->height());
  for (QWidget *view : std::initializer_list<QWidget *>{fLibraryViewContainer, fNowPlayingView,
                                                        fDownloadsContainerView, fGuideView})
    if (view) view->setGeometry(inner);
  fThumbnailMovieContainer->setGeometry(inner);
  // The details pane: 181 wide, left of the playlist area while it is shown,
  // between the frame's rows.
  const int playlist = libraryPlaylistVisible() ? int(ZSkin::playlistAreaWidth()) : 0;
  fDetailsInfoView->setGeometry(size.width() - playlist - kDetailsPaneWidth, top, kDetailsPaneWidth,
                                std::max(0, size.height() - top - bottom));
  // The library's rows keep clear of the pane.
  fLibraryViewContainer->setContentRightInset(kDetailsPaneWidth - kContentInset);
  // The menus sit in the header, right of the window's icon.
  const QSize menuSize = fMenuBar->sizeHint();
  fMenuBar->setGeometry(44, std::max(0, (48 - menuSize.height()) / 2), menuSize.width(),
                        menuSize.height());
}

void MainWindowController::removeCurrentView() {
  ZMainWindowChrome &c = *fChrome;
  switch (fCurrentView) {
    case LibraryView:
      selectViewButton(c.libraryButton, false);
      fLibraryViewContainer->hide();
      setLibraryControlsVisible(false);
      break;
    case PlaybackView:
      fNowPlayingView->hide();
      break;
    case DownloadsView:
      selectViewButton(c.downloadsButton, false);
      for (QWidget *control : c.downloadsControls()) control->hide();
      fDownloadsContainerView->hide();
      break;
    case UploadsView:
      for (QWidget *control : c.uploadsControls()) control->hide();
      break;
    case GuideView:
      selectViewButton(c.guideButton, false);
      if (fGuideView) fGuideView->hide();
      break;
    default:
      break;
  }
}

void MainWindowController::setCurrentView(int view) {
  if (view == fCurrentView) return;
  ZMainWindowChrome &c = *fChrome;
  const int previous = fCurrentView;
  if (view == PlaybackView) {
    QWidget *focus = QApplication::focusWidget();
    fFocusBeforePlaying = focus && fWindow->isAncestorOf(focus) ? focus : nullptr;
  }
  removeCurrentView();
  if (fCurrentView == NoView) {
    // Nothing shown yet: every view's controls start hidden.
    setLibraryControlsVisible(false);
    for (QWidget *control : c.downloadsControls() + c.uploadsControls()) control->hide();
  }
  layoutContent();
  switch (view) {
    case LibraryView:
      selectViewButton(c.libraryButton, true);
      fLibraryViewContainer->show();
      setLibraryControlsVisible(true);
      if (c.thumbnailViewButton && c.detailsViewButton) {
        const bool thumbnails = defaults().integerForKey(QStringLiteral("LibraryActiveView")) == 0;
        c.thumbnailViewButton->setState(thumbnails ? ZButtonView::Selected : ZButtonView::Normal);
        c.detailsViewButton->setState(thumbnails ? ZButtonView::Normal : ZButtonView::Selected);
      }
      adjustButtonsAccordingToPlaylistVisibility();
      fLibraryViewContainer->viewAddedToWindow();
      break;
    case PlaybackView:
      fNowPlayingView->show();
      fNowPlayingView->raise();
      // The playback keys go to the playback from now on (not the first
      // button of the header, where the hidden view's focus would go on).
      fNowPlayingView->setFocus(Qt::OtherFocusReason);
      break;
    case DownloadsView:
      selectViewButton(c.downloadsButton, true);
      for (QWidget *control : c.downloadsControls()) control->show();
      fDownloadsContainerView->show();
      break;
    case UploadsView:
      for (QWidget *control : c.uploadsControls()) control->show();
      break;
    case GuideView:
      selectViewButton(c.guideButton, true);
      ensureGuideView();
      layoutContent();
      fGuideView->show();
      fGuideView->raise();
      break;
    default:
      break;
  }
  fCurrentView = view;
  if (previous == PlaybackView && fFocusBeforePlaying && fFocusBeforePlaying->isVisible())
    fFocusBeforePlaying->setFocus(Qt::OtherFocusReason);
  defaults().setInteger(view, QStringLiteral("MainWindowView"));
  emit currentViewChanged(view);
}

void MainWindowController::selectViewButton(ZButtonView *button, bool selected) {
  if (button) button->setState(selected ? ZButtonView::Selected : ZButtonView::Normal);
}

ZNavigationPolicy::Targets MainWindowController::navigationTargets() {
  ZNavigationPolicy::Targets targets;
  ZDownloadDataSource *downloads = fEnvironment.downloads;
  targets.downloadVideo = [downloads](const QString &permalink) {
    return downloads && downloads->downloadVideo(permalink, 0);
  };
  targets.downloadRefused = [] {
    Dialogs::shared().showAlert(
        localized(QStringLiteral("downloadErrorAlreadyDownloadingVideo")),
        localized(QStringLiteral("downloadErrorAlreadyDownloadingVideoAlertTitle")));
  };
  ZSubscriptionManager *subscriptions = fEnvironment.library.subscriptions;
  targets.subscribe = [subscriptions](const QString &feedUrl) {
    if (subscriptions) subscriptions->addFeedWithName(feedUrl, feedUrl, 0);
  };
  targets.openInBrowser = [](const QUrl &url) { Workspace::shared().openURL(url); };
  targets.linkRefused = [](const QUrl &) {
    Dialogs::shared().showAlert(localized(QStringLiteral("guideLinkRefusedMessage")),
                                localized(QStringLiteral("guideLinkRefusedTitle")));
  };
  return targets;
}

void MainWindowController::ensureGuideView() {
  if (fGuideView) return;
  // The web engine starts only when the guide is first shown.
  fGuideView = new ZGuideView(navigationTargets(), fContentView);
  fGuideView->setObjectName(QStringLiteral("GuideView"));
  fGuideView->load(QUrl(ServiceHosts::webURLString(guidePagePath())));
}

// ---- actions ------------------------------------------------------------------------

void MainWindowController::viewLibrary() {
  stopPlayingVideoList();
  setCurrentView(LibraryView);
}

void MainWindowController::viewDownloads() {
  stopPlayingVideoList();
  setCurrentView(DownloadsView);
}

void MainWindowController::viewUploads() {
  stopPlayingVideoList();
  setCurrentView(UploadsView);
}

void MainWindowController::viewGuide() {
  stopPlayingVideoList();
  setCurrentView(GuideView);
}

void MainWindowController::selectView(ZButtonView *sender) {
  stopPlayingVideoList();
  const ZMainWindowChrome &c = *fChrome;
  if (sender && sender == c.downloadsButton)
    setCurrentView(DownloadsView);
  else if (sender && sender == c.guideButton)
    setCurrentView(GuideView);
  else if (sender && sender == c.uploadButton)
    setCurrentView(UploadsView);
  else
    setCurrentView(LibraryView);
}

void MainWindowController::selectNowPlaying() {
  fViewBeforePlaying = fCurrentView == NoView ? LibraryView : fCurrentView;
  setCurrentView(PlaybackView);
}

void MainWindowController::startPlayingNewVideoList() {
  if (fCurrentlyPlayingMovie) return;
  selectNowPlaying();
  if (fEnvironment.movieController) fEnvironment.movieController->play();
}

void MainWindowController::resumeVideoPlayback() {
  if (fCurrentlyPlayingMovie) return;
  selectNowPlaying();
  if (fEnvironment.movieController) fEnvironment.movieController->resumePlayback();
}

void MainWindowController::stopPlayingVideoList() {
  if (!fCurrentlyPlayingMovie) return;
  if (fEnvironment.movieController) fEnvironment.movieController->stop();
  cancelFullScreen();
  exitMoviePlay();
  fCurrentlyPlayingMovie = false;
  emit playbackStateChanged();
}

void MainWindowController::movieStarted() {
  // The first start of a list begins the playback display.
  if (fCurrentlyPlayingMovie) return;
  fNowPlayingView->enterDisplay();
  fCurrentlyPlayingMovie = true;
  emit playbackStateChanged();
}

void MainWindowController::exitMoviePlay() {
  fNowPlayingView->exitDisplay();
  setCurrentView(fViewBeforePlaying);
}

void MainWindowController::playVideo() {
  // Whatever starts playback shows it: with no list playing, play starts the
  // now-playing list in the playback view, as a new list does.
  if (!fCurrentlyPlayingMovie) {
    startPlayingNewVideoList();
    return;
  }
  if (fEnvironment.movieController) fEnvironment.movieController->pauseOrPlay();
}

void MainWindowController::pauseVideo() {
  if (fEnvironment.movieController) fEnvironment.movieController->pause();
}

void MainWindowController::pauseInline() { pauseVideo(); }

void MainWindowController::fastForwardInline() {
  if (fEnvironment.movieController) fEnvironment.movieController->skipForwardOne();
}

void MainWindowController::rewindInline() {
  if (fEnvironment.movieController) fEnvironment.movieController->skipBackOne();
}

void MainWindowController::clearCompletedDownloads() { post("ActionClearCompletedDownloads"); }

void MainWindowController::uploadVideo() { post("ActionUploadVideo"); }

// ---- full screen --------------------------------------------------------------------

void MainWindowController::playFullScreen() {
  // Full screen exists only while a list plays.
  if (fFullScreenWindow || !fCurrentlyPlayingMovie) return;
  // Over the screen the window is on, above the panels.
  fFullScreenWindow = new ZFullScreenWindow(playbackEnvironment());
  fFullScreenView = fFullScreenWindow->fullScreenView();
  fFullScreenWindow->showOnScreen(fWindow->screen());
  fFullScreenWindow->activateWindow();
  fFullScreenWindow->raise();
  fFullScreenView->setFocus(Qt::OtherFocusReason);
  fNowPlayingView->exitDisplay();
  fFullScreenView->addMovieView(fThumbnailMovieView);
  if (fEnvironment.state) {
    fEnvironment.state->setFullScreenMode(true);
    fEnvironment.state->setPlaybackWindow(fFullScreenWindow);
  }
  emit playbackStateChanged();
}

void MainWindowController::cancelFullScreen() {
  if (!fFullScreenWindow) return;
  if (fThumbnailMovieView) fThumbnailMovieView->hide();
  fFullScreenView->removeMovieView();
  fNowPlayingView->enterDisplay();
  ZFullScreenWindow *window = fFullScreenWindow;
  fFullScreenWindow = nullptr;
  fFullScreenView = nullptr;
  window->dismiss();
  if (fEnvironment.state) {
    fEnvironment.state->setFullScreenMode(false);
    fEnvironment.state->setPlaybackWindow(fWindow);
  }
  fWindow->activateWindow();
  emit playbackStateChanged();
}

// ---- screens, keys ------------------------------------------------------------------

void MainWindowController::screenConfigurationChanged() {
  QScreen *screen = fWindow->screen();
  if (!screen || !QGuiApplication::screens().contains(screen)) return;
  fWindow->setGeometry(MainWindowGeometry::fittedFrame(
      fWindow->geometry(), screen->availableGeometry(), fWindow->minimumSize()));
}

bool MainWindowController::eventFilter(QObject *watched, QEvent *event) {
  if (watched == fWindow && event->type() == QEvent::Resize) layoutContent();
  // Keys no control took: the playback keys (ZPlaybackKeys); Escape leaves
  // playback.
  if (watched == fWindow && event->type() == QEvent::KeyPress && fCurrentView == PlaybackView) {
    auto *key = static_cast<QKeyEvent *>(event);
    if (ZPlaybackKeys::handleKey(*key, fEnvironment.movieController, false)) return true;
    if (key->key() == Qt::Key_Escape) {
      // A list that never started leaves the playback view all the same.
      if (fCurrentlyPlayingMovie)
        stopPlayingVideoList();
      else
        setCurrentView(fViewBeforePlaying);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}
