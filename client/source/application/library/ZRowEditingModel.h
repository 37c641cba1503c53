#pragma once

#include "ZRowEdits.h"

#include <QAbstractItemModel>

// An item model that follows its data source by replaying the source's row
// edits on its own copy of the rows, each step inside the matching
// begin/end pair, so that views see rowsRemoved, rowsInserted and rowsMoved
// instead of a reset.
template <class Base>
class ZRowEditingModel : public Base {
 protected:
  using Base::Base;

  // rows: the model's copy under parent; after: the source's new list, from
  // which make() builds the inserted rows. applied() runs after each step has
  // changed the copy, before the views hear of it.
  template <class T, class U, class Make>
  void replayRowEdits(const QModelIndex &parent, QList<T> &rows, const ZRowEdits &edits,
                      const QList<U> &after, Make make) {
    replayRowEdits(parent, rows, edits, after, make, [] {});
  }
  template <class T, class U, class Make, class Applied>
  void replayRowEdits(const QModelIndex &parent, QList<T> &rows, const ZRowEdits &edits,
                      const QList<U> &after, Make make, Applied applied) {
    for (const ZRowEdit &edit : edits) {
      const int last = edit.row + edit.count - 1;
      switch (edit.kind) {
        case ZRowEdit::Remove:
          this->beginRemoveRows(parent, edit.row, last);
          applyRowEdit(rows, edit, after, make);
          applied();
          this->endRemoveRows();
          break;
        case ZRowEdit::Insert:
          this->beginInsertRows(parent, edit.row, last);
          applyRowEdit(rows, edit, after, make);
          applied();
          this->endInsertRows();
          break;
        case ZRowEdit::Move:
          if (!this->beginMoveRows(parent, edit.row, last, parent, edit.other)) continue;
          applyRowEdit(rows, edit, after, make);
          applied();
          this->endMoveRows();
          break;
      }
    }
  }

  // The index is one of this model's and names an existing row (Qt's
  // checkIndex() would say so too, but with a warning for every miss).
  bool hasRow(const QModelIndex &index) const {
    return index.isValid() && index.model() == this && index.row() >= 0 &&
           index.row() < this->rowCount(index.parent()) && index.column() == 0;
  }

  // One dataChanged per run of neighbouring rows for which changed(row) holds.
  template <class Changed>
  void announceChangedRows(const QModelIndex &parent, int rowCount, Changed changed) {
    for (int row = 0; row < rowCount;) {
      if (!changed(row)) {
        ++row;
        continue;
      }
      int end = row;
      while (end + 1 < rowCount && changed(end + 1)) ++end;
      emit this->dataChanged(this->index(row, 0, parent), this->index(end, 0, parent));
      row = end + 1;
    }
  }
};
