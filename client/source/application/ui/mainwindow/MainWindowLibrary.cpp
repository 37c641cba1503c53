// The main window controller's library part: the browse-by, playlists and
// import pop-ups, the search field, the view-style and playlist buttons, the
// details pane and the order the keyboard goes through the window.
#include "MainWindowController.h"

#include "Localization.h"
#include "MainWindow.h"
#include "NotificationCenter.h"
#include "UserDefaults.h"
#include "ZControls.h"
#include "ZDetailsInfoView.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryPlaylistContainerView.h"
#include "ZLibraryViewContainer.h"
#include "ZMainWindowChrome.h"
#include "ZPlaylistDataSource.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }

// The browse-by items: tag and title key.
constexpr std::pair<int, const char *> kBrowseByItems[] = {
    {0, "libraryBrowseByAll"},           {1, "libraryBrowseByBroadcaster"},
    {2, "libraryBrowseByCategory"},      {3, "libraryBrowseByChannel"},
    {4, "libraryBrowseByDateAdded"},     {5, "libraryBrowseByNew"},
    {6, "libraryBrowseByPlaylist"},      {7, "libraryBrowseBySeries"},
    {8, "libraryBrowseBySubscriptions"}, {9, "libraryBrowseByTag"},
};

// A menu item's text shows ampersands as they are (not as shortcut marks).
QString menuText(const QString &text) {
  QString escaped = text;
  return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

void MainWindowController::buildPopupMenus() {
  ZMainWindowChrome &c = *fChrome;
  if (c.browseByPopup) {
    fBrowseByMenu = new QMenu(fWindow);
    fBrowseByMenu->setObjectName(QStringLiteral("BrowseByMenu"));
    for (const auto &[tag, key] : kBrowseByItems) {
      QAction *item = fBrowseByMenu->addAction(menuText(localized(QLatin1String(key))));
      item->setData(tag);
      connect(item, &QAction::triggered, this, [this, tag = tag] { selectBrowseBy(tag); });
    }
    c.browseByPopup->setMenu(fBrowseByMenu);
    c.browseByPopup->setSelectedTag(
        int(defaults().integerForKey(QStringLiteral("LibraryBrowseBy"))));
  }
  if (c.importPopup) {
    fImportMenu = new QMenu(fWindow);
    fImportMenu->setObjectName(QStringLiteral("ImportMenu"));
    QAction *item =
        fImportMenu->addAction(menuText(localized(QStringLiteral("libraryImportVideos"))));
    connect(item, &QAction::triggered, this, [this] {
      if (fActions.importVideos) fActions.importVideos();
    });
    c.importPopup->setMenu(fImportMenu);
  }
  if (c.playlistsPopup) {
    fPlaylistsMenu = new QMenu(fWindow);
    fPlaylistsMenu->setObjectName(QStringLiteral("PlaylistsMenu"));
    c.playlistsPopup->setMenu(fPlaylistsMenu);
    playlistListModified();
  }
}

void MainWindowController::playlistListModified() {
  ZPlaylistDataSource *playlists = fEnvironment.library.playlists;
  ZPopupButtonImageView *popup = fChrome->playlistsPopup;
  if (!fPlaylistsMenu || !popup) return;
  fPlaylistsMenu->clear();
  QAction *create =
      fPlaylistsMenu->addAction(menuText(localized(QStringLiteral("libraryPlaylistsCreate"))));
  // Tags are playlist ids; the create item has none a playlist could have.
  create->setData(-2);
  connect(create, &QAction::triggered, this, [this] {
    if (fActions.createPlaylist) fActions.createPlaylist();
  });
  const SqlRows rows = playlists ? playlists->playlists() : SqlRows();
  if (!rows.isEmpty()) fPlaylistsMenu->addSeparator();
  for (const SqlRow &row : rows) {
    const QString name = row.value(QStringLiteral("Name"));
    QAction *item = fPlaylistsMenu->addAction(menuText(name));
    item->setData(row.value(QStringLiteral("id")).toInt());
    connect(item, &QAction::triggered, this, [this, name] { selectPlaylist(name); });
  }
  popup->setMenu(fPlaylistsMenu);
  popup->setToolTip(localized(QStringLiteral("tooltipLibraryPlaylistsButton")));
  const int selected = playlists ? playlists->selectedPlaylistId() : -1;
  if (selected != -1) popup->setSelectedTag(selected);
}

void MainWindowController::selectPlaylist(const QString &name) {
  if (fEnvironment.library.playlists) fEnvironment.library.playlists->selectPlaylist(name);
}

void MainWindowController::selectBrowseBy(int tag) {
  if (fChrome->browseByPopup) fChrome->browseByPopup->setSelectedTag(tag);
  if (fEnvironment.library.browseList) fEnvironment.library.browseList->reloadForBrowsingBy(tag);
  fLibraryItemsView->reload();
}

void MainWindowController::librarySearchChanged() {
  ZSearchButtonView *search = fChrome->librarySearchField;
  if (search && fEnvironment.library.browseList)
    fEnvironment.library.browseList->setTextFilter(search->searchText(), search->searchType());
}

void MainWindowController::showLibraryThumbnailView() {
  fLibraryViewContainer->switchToThumbnailView();
}

void MainWindowController::showLibraryDetailsView() {
  fLibraryViewContainer->switchToDetailsView();
}

void MainWindowController::libraryViewChanged(const Notification &note) {
  ZMainWindowChrome &c = *fChrome;
  const bool thumbnails = note.name == QLatin1String("LibraryViewSwitchedToThumbnail");
  if (c.thumbnailViewButton)
    c.thumbnailViewButton->setState(thumbnails ? ZButtonView::Selected : ZButtonView::Normal);
  if (c.detailsViewButton)
    c.detailsViewButton->setState(thumbnails ? ZButtonView::Normal : ZButtonView::Selected);
}

bool MainWindowController::libraryPlaylistVisible() const {
  return defaults().boolForKey(QStringLiteral("LibraryPlaylistVisible"));
}

void MainWindowController::showPlaylist() {
  fLibraryViewContainer->showPlaylist();
  defaults().setBool(true, QStringLiteral("LibraryPlaylistVisible"));
  adjustButtonsAccordingToPlaylistVisibility();
  // The keyboard stays on the button that took the place of the one pressed.
  if (fChrome->hidePlaylistButton) fChrome->hidePlaylistButton->setFocus(Qt::OtherFocusReason);
}

void MainWindowController::hidePlaylist() {
  fLibraryViewContainer->hidePlaylist();
  defaults().setBool(false, QStringLiteral("LibraryPlaylistVisible"));
  adjustButtonsAccordingToPlaylistVisibility();
  if (fChrome->showPlaylistButton) fChrome->showPlaylistButton->setFocus(Qt::OtherFocusReason);
}

void MainWindowController::adjustButtonsAccordingToPlaylistVisibility() {
  const bool visible = libraryPlaylistVisible();
  fChrome->placeForPlaylistVisibility(visible, !fLibraryViewContainer->isHidden());
  layoutContent();
}

void MainWindowController::setLibraryControlsVisible(bool visible) {
  for (QWidget *control : fChrome->libraryControls()) control->setVisible(visible);
  fDetailsInfoView->setVisible(visible);
  if (visible) fChrome->placeForPlaylistVisibility(libraryPlaylistVisible(), true);
}

void MainWindowController::libraryViewSelectionChanged() {
  ZLibraryBrowseListDataSource *browseList = fEnvironment.library.browseList;
  const QList<ZLibraryBrowseListItemPtr> selected =
      browseList ? browseList->selectedItems() : QList<ZLibraryBrowseListItemPtr>();
  if (selected.isEmpty()) {
    fDetailsInfoView->showNoSelection();
  } else if (selected.size() > 1) {
    fDetailsInfoView->showMixedSelection(int(selected.size()));
  } else if (ZLibraryBrowseListContainerItem *container = selected.first()->asContainer()) {
    fDetailsInfoView->showContainer(container->title());
  } else if (ZLibraryBrowseListVideoItem *video = selected.first()->asVideo()) {
    fDetailsInfoView->showVideo(video->videoId());
  } else {
    fDetailsInfoView->showNoSelection();
  }
}

namespace {

// The widgets inside the view that Tab reaches, in the window's focus chain's
// order (the view's own order).
QList<QWidget *> tabStopsIn(QWidget *view) {
  QList<QWidget *> stops;
  for (QWidget *w = view->nextInFocusChain(); w && w != view; w = w->nextInFocusChain()) {
    if (view->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
      stops.append(w);
    if (w->window() != view->window()) break;
  }
  return stops;
}

}  // namespace

void MainWindowController::setTabOrder() {
  // Tab goes through the window by areas: the header (views, window
  // buttons), the library's toolbar, the sort bar and the library, the
  // details pane, the playlist pane.
  ZMainWindowChrome &c = *fChrome;
  QList<QWidget *> order;
  const auto add = [&](std::initializer_list<QWidget *> widgets) {
    for (QWidget *widget : widgets)
      if (widget) order.append(widget);
  };
  add({c.guideButton, c.libraryButton, c.downloadsButton, c.uploadButton, c.minimizeButton,
       c.maximizeButton, c.closeButton, c.browseByPopup, c.thumbnailViewButton, c.detailsViewButton,
       c.importPopup, c.librarySearchField,
       // Tab into the search field leads on from its text.
       c.librarySearchField ? c.librarySearchField->textField() : nullptr, c.playlistsPopup,
       c.showPlaylistButton, c.hidePlaylistButton, c.clearDownloadsButton});
  QWidget *playlistPane = fLibraryViewContainer->playlistContainerView();
  QList<QWidget *> pane;
  for (QWidget *stop : tabStopsIn(fLibraryViewContainer)) {
    if (playlistPane && (stop == playlistPane || playlistPane->isAncestorOf(stop)))
      pane.append(stop);
    else
      order.append(stop);
  }
  add({fDetailsInfoView->playButton(), fDetailsInfoView->saveButton()});
  order += pane;
  for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order.at(i - 1), order.at(i));
}
