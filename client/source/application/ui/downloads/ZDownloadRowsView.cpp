#include "ZDownloadRowsView.h"

#include "ZDownloadListModel.h"
#include "ZDownloadTableRowView.h"
#include "ZDownloadTableView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

ZDownloadRowsView::ZDownloadRowsView(ZDownloadTableView &table, ZDownloadListModel &model,
                                     QWidget *parent)
    : QAbstractScrollArea(parent), fTable(table), fModel(model) {
  setObjectName(QStringLiteral("DownloadRows"));
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(ZDownloadTableView::accessibleListName());
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  verticalScrollBar()->installEventFilter(this);

  using M = QAbstractItemModel;
  connect(&fModel, &M::rowsInserted, this, &ZDownloadRowsView::rowsChanged);
  connect(&fModel, &M::rowsAboutToBeRemoved, this, &ZDownloadRowsView::rowsAboutToBeRemoved);
  connect(&fModel, &M::rowsRemoved, this, &ZDownloadRowsView::rowsChanged);
  connect(&fModel, &M::rowsMoved, this, &ZDownloadRowsView::rowsChanged);
  connect(&fModel, &M::modelReset, this, &ZDownloadRowsView::rowsChanged);
  connect(&fModel, &M::layoutChanged, this, &ZDownloadRowsView::rowsChanged);
  connect(&fModel, &M::dataChanged, this, &ZDownloadRowsView::dataChanged);
}

int ZDownloadRowsView::rowHeight() const {
  return std::max(1, int(std::lround(fTable.metrics().rowHeight)));
}

int ZDownloadRowsView::contentHeight() const { return fModel.rowCount() * rowHeight(); }

void ZDownloadRowsView::relayout() {
  updateScrollRange();
  layoutRows();
}

void ZDownloadRowsView::rowsAboutToBeRemoved(const QModelIndex &, int first, int last) {
  const int current = currentRow();
  fCurrentAfterRemoval = current >= first && current <= last ? first : -1;
}

void ZDownloadRowsView::rowsChanged() {
  // A removed current row passes the mark to the one below (or above, at the end).
  if (fCurrentAfterRemoval >= 0 && !fCurrent.isValid() && fModel.rowCount() > 0)
    fCurrent = fModel.index(std::min(fCurrentAfterRemoval, fModel.rowCount() - 1));
  fCurrentAfterRemoval = -1;
  updateScrollRange();
  layoutRows();
}

void ZDownloadRowsView::updateScrollRange() {
  QScrollBar *bar = verticalScrollBar();
  const int visible = viewport()->height();
  bar->setPageStep(std::max(1, visible));
  bar->setSingleStep(std::max(1, rowHeight() / 4));
  bar->setRange(0, std::max(0, contentHeight() - visible));
}

void ZDownloadRowsView::layoutRows() {
  const int height = rowHeight();
  const int offset = verticalScrollBar()->value();
  const int rows = fModel.rowCount();
  const int first = std::min(rows, offset / height);
  const int last = std::min(rows, (offset + viewport()->height() + height - 1) / height);
  const int count = std::max(0, last - first);
  while (fRowViews.size() < count) {
    auto *row = new ZDownloadTableRowView(fTable, viewport());
    fRowViews.append(row);
  }
  // Rows keep their download while it stays in sight, so that only what
  // changed repaints.
  const int current = currentRow();
  for (int i = 0; i < fRowViews.size(); ++i) {
    ZDownloadTableRowView *view = fRowViews.at(i);
    if (i >= count) {
      if (view->isVisible()) view->hide();
      if (view->downloadItem()) view->setItem(nullptr);  // kept for reuse, holding nothing
      continue;
    }
    const int row = first + i;
    const auto item = fModel.itemAt(row);
    if (view->downloadItem() != item.get()) view->setItem(item);
    view->setCurrent(row == current);
    const QRect place(0, row * height - offset, viewport()->width(), height);
    if (view->geometry() != place) view->setGeometry(place);
    if (!view->isVisible()) view->show();
  }
  fFirstVisibleRow = first;
  fVisibleCount = count;
  viewport()->update(QRect(0, count > 0 ? (first + count) * height - offset : 0,
                           viewport()->width(), viewport()->height()));
}

void ZDownloadRowsView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight) {
  const int from = std::max(topLeft.row(), fFirstVisibleRow);
  const int to = std::min(bottomRight.row(), fFirstVisibleRow + fVisibleCount - 1);
  for (int row = from; row <= to; ++row) fRowViews.at(row - fFirstVisibleRow)->refresh();
}

ZDownloadTableRowView *ZDownloadRowsView::rowView(int row) const {
  if (row < fFirstVisibleRow || row >= fFirstVisibleRow + fVisibleCount) return nullptr;
  return fRowViews.at(row - fFirstVisibleRow);
}

QList<ZDownloadTableRowView *> ZDownloadRowsView::visibleRowViews() const {
  return fRowViews.mid(0, fVisibleCount);
}

void ZDownloadRowsView::setCurrentRow(int row) {
  if (fModel.rowCount() == 0) {
    fCurrent = QPersistentModelIndex();
    return;
  }
  row = std::clamp(row, 0, fModel.rowCount() - 1);
  fCurrent = fModel.index(row);
  scrollToRow(row);
  layoutRows();
}

void ZDownloadRowsView::scrollToRow(int row) {
  const int height = rowHeight();
  const int top = row * height, bottom = top + height;
  QScrollBar *bar = verticalScrollBar();
  if (top < bar->value())
    bar->setValue(top);
  else if (bottom > bar->value() + viewport()->height())
    bar->setValue(bottom - viewport()->height());
}

void ZDownloadRowsView::paintEvent(QPaintEvent *event) {
  // Behind the rows, and below the last one.
  QPainter painter(viewport());
  painter.fillRect(event->rect(), fTable.metrics().background);
}

void ZDownloadRowsView::resizeEvent(QResizeEvent *event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollRange();
  layoutRows();
}

void ZDownloadRowsView::scrollContentsBy(int, int) { layoutRows(); }

void ZDownloadRowsView::keyPressEvent(QKeyEvent *event) {
  const int rows = fModel.rowCount();
  const int current = currentRow();
  const int page = std::max(1, viewport()->height() / rowHeight());
  switch (event->key()) {
    case Qt::Key_Down:
      setCurrentRow(current < 0 ? 0 : current + 1);
      break;
    case Qt::Key_Up:
      setCurrentRow(current < 0 ? 0 : current - 1);
      break;
    case Qt::Key_PageDown:
      setCurrentRow(std::max(0, current) + page);
      break;
    case Qt::Key_PageUp:
      setCurrentRow(std::max(0, current) - page);
      break;
    case Qt::Key_Home:
      setCurrentRow(0);
      break;
    case Qt::Key_End:
      setCurrentRow(rows - 1);
      break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (current >= 0) {
        scrollToRow(current);
        if (ZDownloadTableRowView *view = rowView(current)) view->pressStopButton();
      }
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  event->accept();
}

void ZDownloadRowsView::focusInEvent(QFocusEvent *event) {
  QAbstractScrollArea::focusInEvent(event);
  if (currentRow() < 0 && fModel.rowCount() > 0)
    setCurrentRow(std::clamp(fFirstVisibleRow, 0, fModel.rowCount() - 1));
  if (ZDownloadTableRowView *view = rowView(currentRow())) view->update();
}

void ZDownloadRowsView::focusOutEvent(QFocusEvent *event) {
  QAbstractScrollArea::focusOutEvent(event);
  if (ZDownloadTableRowView *view = rowView(currentRow())) view->update();
}

bool ZDownloadRowsView::eventFilter(QObject *watched, QEvent *event) {
  if (watched == verticalScrollBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    emit scrollerVisibilityChanged();
  return QAbstractScrollArea::eventFilter(watched, event);
}
