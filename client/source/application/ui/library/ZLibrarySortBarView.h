#pragma once

#include "ZSkin.h"
#include "ZView.h"

#include <QAbstractButton>

#include <functional>

class ZLibrarySortBarView;

// One sort key of the sort bar: its title, and, while it is the current
// sort key of the browse mode, the arrow of the sort order. A press sends
// its action at once; Space and Return do the same from the keyboard.
class ZSortBarItemView : public QAbstractButton {
  Q_OBJECT
 public:
  // Sort types: 1 title, 2 broadcaster (publisher), 3 date added.
  enum Tag { SortByTitle = 1, SortByBroadcaster = 2, SortByDateAdded = 3 };
  using Action = std::function<void(ZSortBarItemView *)>;

  // initWithFrame:title:tag:
  ZSortBarItemView(const QRect &frame, const QString &title, int tag, QWidget *parent = nullptr);
  ~ZSortBarItemView() override;

  int tag() const { return fTag; }
  QString title() const { return fTitle; }
  void setAction(Action action) { fAction = std::move(action); }
  void setSkin(const ZSkin *skin);

  // Sets the frame; with a height above 0 the width becomes the title's
  // width (in the selected style) + 30 + half the arrow image's width
  // (rounded up) + 10, whatever width was asked for.
  void setFrame(const QRect &frame);
  static int widthForTitleWidth(double titleWidth, double arrowImageWidth);
  // Whether it is the current sort key.
  bool highlighted() const;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  ZTextAttributes titleAttributes(bool selected) const;

  QString fTitle;
  int fTag;
  bool fSelected = false;  // kept as created; drawing reads the sort settings
  bool fAscending = true;
  Action fAction;
  const ZSkin *fSkin = nullptr;
};

// The bar above the library's rows that chooses the sort key and order of
// the current browse mode: a label, then the keys that apply to the mode
// (none when browsing by playlist, whose order is the playlist's).
class ZLibrarySortBarView : public ZOpaqueView {
  Q_OBJECT
 public:
  explicit ZLibrarySortBarView(QWidget *parent = nullptr);
  ~ZLibrarySortBarView() override;

  void setSkin(const ZSkin *skin);
  // Lays the keys out again for the current "LibraryBrowseBy".
  void rebuildSortBarContent();
  // A key was clicked: the current key clicked again flips the order,
  // another becomes the mode's key with its stored order. Posts
  // "LibraryViewSortingChanged".
  void sortTypeClicked(ZSortBarItemView *item);

  ZSortBarItemView *sortByTitle() const { return fSortByTitle; }
  ZSortBarItemView *sortByBroadcaster() const { return fSortByBroadcaster; }
  ZSortBarItemView *sortByDateAdded() const { return fSortByDateAdded; }
  // The keys shown, left to right.
  QList<ZSortBarItemView *> shownItems() const;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  ZTextAttributes labelAttributes() const;

  ZSortBarItemView *fSortByTitle = nullptr;
  ZSortBarItemView *fSortByBroadcaster = nullptr;
  ZSortBarItemView *fSortByDateAdded = nullptr;
  const ZSkin *fSkin = nullptr;
};
