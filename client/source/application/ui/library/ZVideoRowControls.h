#pragma once

#include "ZLibraryBrowseListItems.h"

#include <QList>
#include <QObject>
#include <QRect>

#include <memory>
#include <vector>

class QWidget;
class ZButtonImageView;
class ZLibraryItemsView;
class ZRateButtonView;

// The controls of the detail rows in sight: each shown row has a play
// button, a rating widget and a save button. The controls are kept for the
// rows on screen only and handed on to other rows as the view scrolls.
class ZVideoRowControls : public QObject {
  Q_OBJECT
 public:
  struct Row {
    ZButtonImageView *play = nullptr;
    ZRateButtonView *rate = nullptr;
    ZButtonImageView *save = nullptr;
    ZLibraryBrowseListVideoListItemPtr list;
    int item = -1;   // the row of the items view
    int index = -1;  // the video in its list
    QRect rateFrame;
  };

  explicit ZVideoRowControls(ZLibraryItemsView &view);
  ~ZVideoRowControls() override;

  // Gives the rows in sight their controls (none outside the details view).
  void place();
  // Reads the shown videos' ratings and saved states again.
  void refresh();
  // The rows that have controls now.
  QList<const Row *> shownRows() const;
  // Every control shown, row by row.
  QList<QWidget *> shownWidgets() const;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  Row &makeRow();
  void show(Row &row, bool shown);
  void assign(Row &row);

  ZLibraryItemsView &fView;
  std::vector<std::unique_ptr<Row>> fRows;
};
