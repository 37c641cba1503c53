#pragma once

#include "ZLibraryViewEnvironment.h"

#include <QAbstractScrollArea>

class ZLibraryItemsView;
class ZSkin;

// The scrolling frame of the library's rows: a scroll area whose visible part
// is the items view.
class ZLibraryBrowseListView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit ZLibraryBrowseListView(const ZLibraryViewEnvironment &environment,
                                  QWidget *parent = nullptr);
  ~ZLibraryBrowseListView() override;

  void setSkin(ZSkin *skin);
  ZLibraryItemsView *itemsView() const { return fItemsView; }

 protected:
  bool viewportEvent(QEvent *event) override;
  // The items view's keyboard focus is this scroll area's (the scroll area
  // is its focus proxy): the keys go on to it.
  void keyPressEvent(QKeyEvent *event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void updateScrollBars();

  ZLibraryItemsView *fItemsView = nullptr;
};
