// The sort bar: which keys each browse mode shows and where, the width rule
// of a key, and what a click on a key does to the order of the rows.
#include "LibraryViewFixture.h"
#include "QtPrinters.h"
#include "ZLibraryItemVideoView.h"
#include "ZLibraryItemsView.h"
#include "ZLibrarySortBarView.h"

#include <QFontMetricsF>
#include <QTest>

using LibrarySortBarTest = LibraryViewTest;

namespace {

QStringList titles(const QList<ZSortBarItemView *> &items) {
  QStringList out;
  for (const ZSortBarItemView *item : items) out << item->title();
  return out;
}

}  // namespace

TEST_F(LibrarySortBarTest, EachBrowseModeShowsItsKeysSideBySide) {
  const struct {
    int browseBy;
    QStringList keys;
  } cases[] = {
      {0, {"Title", "Publisher", "Date Added"}}, {1, {"Title", "Date Added"}},
      {2, {"Title", "Publisher", "Date Added"}}, {4, {"Title", "Publisher"}},
      {6, {}},                                   {9, {"Title", "Publisher", "Date Added"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.browseBy);
    ZLibrarySortBarView &bar = *makeContainer(c.browseBy).sortBarView();
    const QList<ZSortBarItemView *> shown = bar.shownItems();
    EXPECT_EQ(titles(shown), c.keys);
    for (ZSortBarItemView *item : {bar.sortByTitle(), bar.sortByBroadcaster(), bar.sortByDateAdded()})
      EXPECT_EQ(item->isVisibleTo(&bar), shown.contains(item));
    if (shown.isEmpty()) {
      EXPECT_FALSE(bar.isVisibleTo(fContainer.get()));
      continue;
    }
    // The first key right after the label (10 in plus its width), each
    // further one 1 after the one before, all as high as the bar.
    const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
    const double label = QFontMetricsF(ZLibraryLook::inPixels(*skin->librarySortByTitleAttributes()).font)
                             .horizontalAdvance("Sort by:");
    EXPECT_EQ(shown.first()->x(), int(std::ceil(label)) + 10);
    for (qsizetype i = 1; i < shown.size(); ++i)
      EXPECT_EQ(shown[i]->x(), shown[i - 1]->geometry().right() + 2);
    for (const ZSortBarItemView *item : shown) EXPECT_EQ(item->height(), 22);
  }
}

TEST_F(LibrarySortBarTest, KeyWidthIsTheTitleThirtyHalfTheArrowAndTen) {
  // A title 60 wide with an arrow picture 16 wide: 60 + 30 + 8 + 10.
  EXPECT_EQ(ZSortBarItemView::widthForTitleWidth(60, 16), 108);
  EXPECT_EQ(ZSortBarItemView::widthForTitleWidth(59.2, 15), 108);  // both rounded up
  ZSortBarItemView item(QRect(0, 0, 500, 22), "Title", 1);
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  item.setSkin(skin);
  const double title =
      QFontMetricsF(ZLibraryLook::inPixels(*skin->librarySortByTypeSelectedAttributes()).font)
          .horizontalAdvance("Title");
  const double arrow = skin->librarySortArrowImage().deviceIndependentSize().width();
  EXPECT_EQ(item.width(), ZSortBarItemView::widthForTitleWidth(title, arrow));
  // A frame without height keeps the width asked for.
  item.setFrame(QRect(0, 0, 300, 0));
  EXPECT_EQ(item.width(), 300);
}

TEST_F(LibrarySortBarTest, ClickingTheCurrentKeyReversesTheOrderAndAnotherKeepsItsOwn) {
  const int b = addLibraryVideo({"Bravo"});
  const int a = addLibraryVideo({"alpha"});
  const int c = addLibraryVideo({"Charlie"});
  ZLibraryViewContainer &container = makeContainer(0);
  ZLibrarySortBarView &bar = *container.sortBarView();
  const auto order = [&] {
    QList<int> ids;
    for (const auto &video : container.itemsView()->videoViewAt(0)->item()->videos())
      ids << video->videoId();
    return ids;
  };
  NotificationRecorder recorder({"LibraryViewSortingChanged"});
  ASSERT_TRUE(bar.sortByTitle()->highlighted());
  EXPECT_EQ(order(), (QList<int>{a, b, c}));
  QTest::mousePress(bar.sortByTitle(), Qt::LeftButton);
  EXPECT_FALSE(Utilities::currentSortOrder());
  EXPECT_EQ(order(), (QList<int>{c, b, a}));
  EXPECT_EQ(recorder.names(), QStringList{"LibraryViewSortingChanged"});

  // Another key: it becomes the key, with the order it had (ascending).
  QTest::mousePress(bar.sortByDateAdded(), Qt::LeftButton);
  EXPECT_EQ(Utilities::currentSortType(), 3);
  EXPECT_TRUE(bar.sortByDateAdded()->highlighted());
  EXPECT_FALSE(bar.sortByTitle()->highlighted());
  EXPECT_FALSE(Utilities::currentSortOrder());  // the mode's order, as stored
  // From the keyboard, a key is a button.
  bar.sortByTitle()->setFocus();
  QTest::keyClick(bar.sortByTitle(), Qt::Key_Space);
  EXPECT_EQ(Utilities::currentSortType(), 1);
  EXPECT_EQ(recorder.names().size(), 3);
}

TEST_F(LibrarySortBarTest, HighlightedKeyDrawsTheArrowOfTheOrder) {
  ZLibraryViewContainer &container = makeContainer(0);
  ZSortBarItemView *title = container.sortBarView()->sortByTitle();
  const QImage ascending = title->grab().toImage();
  Utilities::toggleCurrentSortOrder();
  const QImage descending = title->grab().toImage();
  EXPECT_NE(ascending, descending);
  // Neighbouring keys are parted by a white line 3 in from top and bottom.
  const QImage bar = container.sortBarView()->grab().toImage();
  const int x = title->geometry().right() + 1;
  EXPECT_EQ(bar.pixelColor(x, 11), QColor(Qt::white));
  EXPECT_NE(bar.pixelColor(x, 1), QColor(Qt::white));
}
