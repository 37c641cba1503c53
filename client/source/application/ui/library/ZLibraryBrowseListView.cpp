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
  // The items view handles the key directly, not through the application:
  // a key it leaves (ignored) would otherwise come back here from it, its
  // parent, and go round until the stack ran out. What it leaves goes on to
  // this view's parents once.
  fItemsView->keyPressEvent(event);
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
