#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// How a list became another, in steps a view can follow row by row (the
// models over the library's lists replay them as rowsRemoved, rowsInserted
// and rowsMoved instead of resetting). The steps are taken in order; each
// names rows of the list as it stands after the steps before it.
struct ZRowEdit {
  enum Kind { Remove, Insert, Move };
  Kind kind = Remove;
  int row = 0;    // the first row removed, inserted or moved
  int count = 0;  // how many
  // Insert: where the inserted elements start in the new list. Move: the row
  // before which the block lands, counted before the move (Qt's
  // destinationChild).
  int other = 0;

  bool operator==(const ZRowEdit &) const = default;
};
using ZRowEdits = QList<ZRowEdit>;

// The steps from before to after: the common start and end are kept, a block
// that only changed place is one move, rows only dropped (or only added) are
// removals (insertions) alone, anything else the shortest series of removals
// and insertions (an elements' diff), except that two large middles (more
// than 4 million pairs), two middles without a common element and a change
// of more than 64 separate steps made of removals or insertions alone are
// removed and inserted whole.
ZRowEdits rowEdits(const QList<int> &before, const QList<int> &after);
ZRowEdits rowEdits(const QList<QString> &before, const QList<QString> &after);

// Carries the steps out on a list of the old elements, taking inserted ones
// from the new list (the models keep such a copy of what their views show).
template <class T, class U, class Make>
void applyRowEdit(QList<T> &rows, const ZRowEdit &edit, const QList<U> &after, Make make) {
  switch (edit.kind) {
    case ZRowEdit::Remove:
      rows.remove(edit.row, edit.count);
      break;
    case ZRowEdit::Insert: {
      QList<T> inserted;
      inserted.reserve(edit.count);
      for (int i = 0; i < edit.count; ++i) inserted.append(make(after.at(edit.other + i)));
      rows.insert(edit.row, edit.count, T());
      for (int i = 0; i < edit.count; ++i) rows[edit.row + i] = std::move(inserted[i]);
      break;
    }
    case ZRowEdit::Move: {
      QList<T> block = rows.mid(edit.row, edit.count);
      rows.remove(edit.row, edit.count);
      const int at = edit.other > edit.row ? edit.other - edit.count : edit.other;
      for (int i = 0; i < edit.count; ++i) rows.insert(at + i, std::move(block[i]));
      break;
    }
  }
}

Q_DECLARE_METATYPE(ZRowEdit)
