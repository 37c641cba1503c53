#include "ZLibraryViewContainer.h"

#include "NotificationCenter.h"
#include "UserDefaults.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryBrowseListView.h"
#include "ZLibraryItemsView.h"
#include "ZLibraryPlaylistContainerView.h"
#include "ZLibrarySortBarView.h"
#include "ZSkin.h"

namespace {

// The sort bar's height at the top of the content.
constexpr int kSortBarHeight = 22;

}  // namespace

ZLibraryViewContainer::ZLibraryViewContainer(const ZLibraryViewEnvironment &environment,
                                             QWidget *parent)
    : ZOpaqueView(parent), fEnvironment(environment) {
  setObjectName(QStringLiteral("LibraryViewContainer"));
  fLibraryContentView = new QWidget(this);
  fLibrarySortBarView = new ZLibrarySortBarView(fLibraryContentView);
  fThumbnailView = new ZLibraryBrowseListView(environment, fLibraryContentView);
  fLibraryItemsView = fThumbnailView->itemsView();
  fLibraryPlaylistContainerView = new ZLibraryPlaylistContainerView(environment, this);
  fLibraryPlaylistContainerView->hide();
  // The sort bar comes and goes with the browse mode.
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("LibraryViewDataReloaded"),
      [this](const Notification &) { layoutSubviews(); });
}

ZLibraryViewContainer::~ZLibraryViewContainer() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

void ZLibraryViewContainer::setSkin(ZSkin *skin) {
  fLibrarySortBarView->setSkin(skin);
  fThumbnailView->setSkin(skin);
  fLibraryPlaylistContainerView->setSkin(skin);
}

void ZLibraryViewContainer::showPlaylist() {
  fPlaylistShown = true;
  fLibraryPlaylistContainerView->show();
  layoutSubviews();
}

void ZLibraryViewContainer::hidePlaylist() {
  fPlaylistShown = false;
  fLibraryPlaylistContainerView->hide();
  layoutSubviews();
}

void ZLibraryViewContainer::switchToThumbnailView() { switchToViewType(ZLibraryItemsView::ThumbnailView); }

void ZLibraryViewContainer::switchToDetailsView() { switchToViewType(ZLibraryItemsView::DetailsView); }

void ZLibraryViewContainer::switchToViewType(int viewType) {
  fCurrentViewType = viewType;
  layoutSubviews();
  fLibraryItemsView->setViewType(viewType);
  UserDefaults::standardUserDefaults().setInteger(viewType, QStringLiteral("LibraryActiveView"));
}

void ZLibraryViewContainer::viewAddedToWindow() {
  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  if (defaults.integerForKey(QStringLiteral("LibraryActiveView")) == 0)
    switchToThumbnailView();
  else
    switchToDetailsView();
  if (defaults.boolForKey(QStringLiteral("LibraryPlaylistVisible")))
    showPlaylist();
  else
    hidePlaylist();
}

void ZLibraryViewContainer::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  layoutSubviews();
}

bool ZLibraryViewContainer::sortBarShown() const {
  const qint64 browseBy =
      UserDefaults::standardUserDefaults().integerForKey(QStringLiteral("LibraryBrowseBy"));
  return browseBy != -1 && browseBy != 6;
}

void ZLibraryViewContainer::setContentRightInset(int inset) {
  fContentRightInset = std::max(0, inset);
  layoutSubviews();
}

void ZLibraryViewContainer::layoutSubviews() {
  const int playlistWidth = fPlaylistShown ? int(ZSkin::playlistAreaWidth()) : 0;
  const int contentWidth = std::max(0, width() - playlistWidth - fContentRightInset);
  fLibraryContentView->setGeometry(0, 0, contentWidth, height());
  fLibraryPlaylistContainerView->setGeometry(std::max(0, width() - playlistWidth), 0,
                                             playlistWidth, height());
  const bool sortBar = sortBarShown();
  fLibrarySortBarView->setVisible(sortBar);
  const int top = sortBar ? kSortBarHeight : 0;
  fLibrarySortBarView->setGeometry(0, 0, contentWidth, kSortBarHeight);
  fThumbnailView->setGeometry(0, top, contentWidth, std::max(0, height() - top));
  // Laid out again whenever the container lays out its parts.
  fLibrarySortBarView->rebuildSortBarContent();
}
