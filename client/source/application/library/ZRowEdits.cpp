#include "ZRowEdits.h"

#include <dtl/dtl.hpp>

#include <QSet>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Keeps adding to the last step while the next one continues it.
void append(ZRowEdits &edits, ZRowEdit::Kind kind, int row, int other) {
  if (!edits.isEmpty()) {
    ZRowEdit &last = edits.last();
    if (last.kind == kind && kind == ZRowEdit::Remove && last.row == row) {
      ++last.count;
      return;
    }
    if (last.kind == kind && kind == ZRowEdit::Insert && last.row + last.count == row &&
        last.other + last.count == other) {
      ++last.count;
      return;
    }
  }
  edits.append({kind, row, 1, other});
}

// The middle a[from, from + length) became b[from, from + length) by moving one
// block: answers that move, if it is one.
template <class T>
std::optional<ZRowEdit> blockMove(const QList<T> &a, const QList<T> &b, int from, int length) {
  // b's middle starts with a[k]: a[from + k ...] then a[from ... from + k).
  constexpr int kCandidates = 8;  // a few tries are enough; duplicates aside there is one
  int tried = 0;
  for (int k = 1; k < length && tried < kCandidates; ++k) {
    if (!(a.at(from + k) == b.at(from))) continue;
    ++tried;
    bool rotation = true;
    for (int i = 0; rotation && i < length; ++i)
      rotation = a.at(from + (k + i) % length) == b.at(from + i);
    if (!rotation) continue;
    // Move the smaller block: the first k to the end, or the rest to the front.
    if (k <= length - k) return ZRowEdit{ZRowEdit::Move, from, k, from + length};
    return ZRowEdit{ZRowEdit::Move, from + k, length - k, from};
  }
  return std::nullopt;
}

// When b's middle (length bLength) is a subsequence of a's (length aLength),
// the rows of a's middle that b leaves out, counted from `from`; otherwise
// nothing.
template <class T>
std::optional<QList<int>> leftOut(const QList<T> &a, const QList<T> &b, int from, int aLength,
                                  int bLength) {
  QList<int> rows;
  int kept = 0;
  for (int i = 0; i < aLength; ++i) {
    if (kept < bLength && a.at(from + i) == b.at(from + kept))
      ++kept;
    else
      rows.append(from + i);
  }
  if (kept != bLength) return std::nullopt;
  return rows;
}

template <class T>
ZRowEdits edits(const QList<T> &before, const QList<T> &after) {
  const int n = int(before.size());
  const int m = int(after.size());
  int prefix = 0;
  while (prefix < n && prefix < m && before.at(prefix) == after.at(prefix)) ++prefix;
  int suffix = 0;
  while (suffix < n - prefix && suffix < m - prefix &&
         before.at(n - 1 - suffix) == after.at(m - 1 - suffix))
    ++suffix;
  const int removed = n - prefix - suffix;
  const int added = m - prefix - suffix;
  ZRowEdits result;
  if (removed == 0 && added == 0) return result;
  if (added == 0) return {{ZRowEdit::Remove, prefix, removed, 0}};
  if (removed == 0) return {{ZRowEdit::Insert, prefix, added, prefix}};
  if (removed == added) {
    if (const auto move = blockMove(before, after, prefix, removed)) return {*move};
  }

  // Two middles that differ in many places are replaced as a whole: each
  // step costs the views a pass over the rows after it.
  const ZRowEdits whole{{ZRowEdit::Remove, prefix, removed, 0},
                        {ZRowEdit::Insert, prefix, added, prefix}};
  constexpr int kMaxSteps = 64;

  // A narrower search keeps some rows and drops the rest, a wider one the
  // reverse: removals (or insertions) alone, found in one pass however long
  // the lists are.
  if (added < removed) {
    if (const auto rows = leftOut(before, after, prefix, removed, added)) {
      // Each removal names its row as the list stands after the ones before.
      for (qsizetype k = 0; k < rows->size() && result.size() <= kMaxSteps; ++k)
        append(result, ZRowEdit::Remove, rows->at(k) - int(k), 0);
      return result.size() <= kMaxSteps ? result : whole;
    }
  } else if (const auto rows = leftOut(after, before, prefix, added, removed)) {
    for (qsizetype k = 0; k < rows->size() && result.size() <= kMaxSteps; ++k)
      append(result, ZRowEdit::Insert, rows->at(k), rows->at(k));
    return result.size() <= kMaxSteps ? result : whole;
  }

  // Two large middles that both changed a lot would take the diff long, and
  // its memory grows with them: they are replaced as a whole. So are two
  // middles without a common element (the rows of another browse mode),
  // where the diff could only say as much.
  constexpr qint64 kDiffBudget = 4'000'000;
  if (qint64(removed) * qint64(added) > kDiffBudget) return whole;
  QSet<T> old(before.begin() + prefix, before.begin() + prefix + removed);
  if (std::none_of(after.begin() + prefix, after.begin() + prefix + added,
                   [&old](const T &element) { return old.contains(element); }))
    return whole;

  // The middles' shortest edit script.
  std::vector<T> a(before.begin() + prefix, before.begin() + prefix + removed);
  std::vector<T> b(after.begin() + prefix, after.begin() + prefix + added);
  dtl::Diff<T, std::vector<T>> diff(a, b);
  diff.onHuge();
  diff.compose();
  int row = prefix;
  for (const auto &[element, info] : diff.getSes().getSequence()) {
    switch (info.type) {
      case dtl::SES_COMMON:
        ++row;
        break;
      case dtl::SES_DELETE:
        append(result, ZRowEdit::Remove, row, 0);
        break;
      case dtl::SES_ADD:
        append(result, ZRowEdit::Insert, row, prefix + int(info.afterIdx) - 1);
        ++row;
        break;
    }
  }
  return result;
}

}  // namespace

ZRowEdits rowEdits(const QList<int> &before, const QList<int> &after) {
  return edits(before, after);
}

ZRowEdits rowEdits(const QList<QString> &before, const QList<QString> &after) {
  return edits(before, after);
}
