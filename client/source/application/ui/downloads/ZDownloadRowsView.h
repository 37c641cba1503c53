#pragma once

#include <QAbstractScrollArea>
#include <QList>
#include <QPersistentModelIndex>

class ZDownloadListModel;
class ZDownloadTableRowView;
class ZDownloadTableView;

// The scrolling part of the downloads page, below its header: the rows of
// the download list stacked from the top in the queue's order, a vertical
// scroller while they do not all fit, none across. Only the rows in sight
// have a row view; the few it keeps are handed other downloads as the list
// scrolls or changes, and a change of one download repaints its row alone,
// and only while it is in sight.
//
// Keys: Up and Down move the current row, Page Up and Page Down by a page,
// Home and End to the ends (the current row is scrolled into sight); Space
// and Return press the current row's button.
class ZDownloadRowsView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  ZDownloadRowsView(ZDownloadTableView &table, ZDownloadListModel &model, QWidget *parent);

  // Reads the row height again (after a skin change) and lays the rows out.
  void relayout();

  // The row view showing a row of the model, or null when it is out of sight.
  ZDownloadTableRowView *rowView(int row) const;
  // The row views in sight, top to bottom.
  QList<ZDownloadTableRowView *> visibleRowViews() const;
  // How many row views exist (shown or kept for reuse).
  int rowViewCount() const { return int(fRowViews.size()); }

  int currentRow() const { return fCurrent.isValid() ? fCurrent.row() : -1; }
  void setCurrentRow(int row);
  void scrollToRow(int row);

  // The height of all rows together.
  int contentHeight() const;

 signals:
  // The vertical scroller was shown or hidden (the header lines up with the rows).
  void scrollerVisibilityChanged();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void rowsChanged();
  void rowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
  void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
  void updateScrollRange();
  void layoutRows();
  int rowHeight() const;

  ZDownloadTableView &fTable;
  ZDownloadListModel &fModel;
  QList<ZDownloadTableRowView *> fRowViews;
  int fFirstVisibleRow = 0;  // the row fRowViews[0] shows
  int fVisibleCount = 0;     // how many of fRowViews show a row
  QPersistentModelIndex fCurrent;
  // The row that takes the place of a current row being removed.
  int fCurrentAfterRemoval = -1;
};
