#include "ZLibraryItemsView.h"

#include "NotificationCenter.h"
#include "ZSkin.h"

#include <algorithm>

ZLibraryItemsView::ZLibraryItemsView(const ZLibraryViewEnvironment &environment, QWidget *parent)
    : QWidget(parent),
      fEnvironment(environment),
      fSkin(ZSkinManager::sharedSkinManager().getCurrentSkin()) {
  setObjectName(QStringLiteral("LibraryItemsView"));
  setFocusPolicy(Qt::StrongFocus);
}

ZLibraryItemsView::~ZLibraryItemsView() { NotificationCenter::defaultCenter().removeObserver(this); }

void ZLibraryItemsView::setSkin(ZSkin *skin) {
  fSkin = skin;
  reload();
}

void ZLibraryItemsView::setViewType(int viewType) {
  if (viewType == fViewType) return;
  fViewType = viewType;
  reload();
  NotificationCenter::defaultCenter().postNotificationName(
      viewType == ThumbnailView ? QStringLiteral("LibraryViewSwitchedToThumbnail")
                                : QStringLiteral("LibraryViewSwitchedToDetails"));
  emit viewTypeChanged(viewType);
}

void ZLibraryItemsView::reload() {
  update();
  emit contentHeightChanged(contentHeight());
}

int ZLibraryItemsView::contentHeight() const { return height(); }

void ZLibraryItemsView::setScrollOffset(int offset) {
  offset = std::max(0, offset);
  if (offset == fScrollOffset) return;
  fScrollOffset = offset;
  update();
}
