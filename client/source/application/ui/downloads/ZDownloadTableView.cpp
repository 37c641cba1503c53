#include "ZDownloadTableView.h"

#include "ZSkin.h"

ZDownloadTableView::ZDownloadTableView(QWidget *parent) : ZOpaqueView(parent) {
  setObjectName(QStringLiteral("DownloadTableView"));
}

void ZDownloadTableView::setup() {
  if (const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin())
    setStartColor(skin->downloadsBackgroundColor());
}
