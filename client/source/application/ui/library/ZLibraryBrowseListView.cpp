#include "ZLibraryBrowseListView.h"

#include "ZLibraryItemsView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QScrollBar>

ZLibraryBrowseListView::ZLibraryBrowseListView(const ZLibraryViewEnvironment &environment,
                                               QWidget *parent)
    : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("LibraryBrowseListView"));
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  fItemsView = new ZLibraryItemsView(environment);
  setViewport(fItemsView);
  // The items view takes the keyboard itself: a scroll area makes itself its
  // viewport's focus proxy, and handing the keys on from here would send
  // every key the items view leaves back to this view, round and round.
  // Focus given to this view goes on to the items view instead.
  fItemsView->setFocusProxy(nullptr);
  setFocusProxy(fItemsView);
  connect(fItemsView, &ZLibraryItemsView::contentHeightChanged, this,
          &ZLibraryBrowseListView::updateScrollBars);
}

ZLibraryBrowseListView::~ZLibraryBrowseListView() = default;

void ZLibraryBrowseListView::setSkin(ZSkin *skin) { fItemsView->setSkin(skin); }

bool ZLibraryBrowseListView::viewportEvent(QEvent *event) {
  switch (event->type()) {
    case QEvent::Wheel:
      // The scroll bar scrolls.
      return QAbstractScrollArea::viewportEvent(event);
    case QEvent::Resize:
      updateScrollBars();
      return false;
    default:
      // The items view paints and takes the mouse, the keys and drops itself.
      return false;
  }
}

void ZLibraryBrowseListView::keyPressEvent(QKeyEvent *event) {
  // Only what the items view left arrives here: it goes on to the parents
  // (the scroll area's own keys would scroll a second time).
  event->ignore();
}

void ZLibraryBrowseListView::scrollContentsBy(int, int) {
  fItemsView->setScrollOffset(verticalScrollBar()->value());
}

void ZLibraryBrowseListView::updateScrollBars() {
  const int visible = fItemsView->height();
  QScrollBar *bar = verticalScrollBar();
  bar->setRange(0, std::max(0, fItemsView->contentHeight() - visible));
  bar->setPageStep(visible);
  bar->setSingleStep(20);
  fItemsView->setScrollOffset(bar->value());
}
