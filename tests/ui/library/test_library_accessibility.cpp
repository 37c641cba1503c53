// What assistive technologies see of the library's rows: a list of group
// headers (tree items) and videos (list items) with their titles, places,
// states and actions, kept up to date as the rows change.
#include "LibraryViewFixture.h"
#include "QtPrinters.h"
#include "ZLibraryItemsView.h"
#include "ZLibrarySortBarView.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

class LibraryAccessibilityTest : public LibraryViewTest {
 protected:
  void SetUp() override {
    LibraryViewTest::SetUp();
    QAccessible::setActive(true);
  }
};

TEST_F(LibraryAccessibilityTest, RowsAreItemsWithTitlesPlacesAndActions) {
  const int a = addLibraryVideo({"Alpha", "Studio"});
  addLibraryVideo({"Beta", "Studio"});
  ZLibraryViewContainer &container = makeContainer(1);
  container.show();
  ZLibraryItemsView &view = *container.itemsView();
  QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&view);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->role(), QAccessible::List);
  ASSERT_GE(list->childCount(), 3);

  QAccessibleInterface *header = list->child(0);
  EXPECT_EQ(header->role(), QAccessible::TreeItem);
  EXPECT_EQ(header->text(QAccessible::Name), "Studio");
  EXPECT_TRUE(header->state().expandable);
  EXPECT_TRUE(header->state().expanded);
  EXPECT_EQ(header->parent(), list);
  EXPECT_EQ(list->indexOfChild(header), 0);

  QAccessibleInterface *alpha = list->child(1);
  EXPECT_EQ(alpha->role(), QAccessible::ListItem);
  EXPECT_EQ(alpha->text(QAccessible::Name), "Alpha");
  const QRect place = alpha->rect();
  EXPECT_EQ(place.size(), view.videoFrame(1, 0).size());
  EXPECT_EQ(view.mapFromGlobal(place.topLeft()), view.videoFrame(1, 0).topLeft());
  EXPECT_EQ(list->childAt(place.center().x(), place.center().y()), alpha);

  // Press plays the video; toggle closes and opens the group.
  auto *actions = alpha->actionInterface();
  ASSERT_TRUE(actions);
  EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(fNowPlaying->videoList(), QList<int>{a});
  EXPECT_TRUE(alpha->state().selected);

  header->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(view.numItems(), 1);
  // The old children are gone with the rows; the new header reads closed.
  QAccessibleInterface *closed = list->child(0);
  EXPECT_FALSE(closed->state().expanded);
  EXPECT_EQ(list->childCount(), 1);
}

TEST_F(LibraryAccessibilityTest, DetailRowControlsAndSortKeysAreNamedControls) {
  addLibraryVideo({"Alpha"});
  defaults().setInteger(1, QStringLiteral("LibraryActiveView"));
  ZLibraryViewContainer &container = makeContainer(0);
  container.show();
  ZLibraryItemsView &view = *container.itemsView();
  QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&view);
  // One video, then its play button, rating widget and save button.
  ASSERT_EQ(list->childCount(), 4);
  EXPECT_EQ(list->child(1)->text(QAccessible::Name), "Play Alpha");
  EXPECT_EQ(list->child(2)->text(QAccessible::Name), "Rating of Alpha");
  EXPECT_EQ(list->child(3)->text(QAccessible::Name), "Save Alpha");
  EXPECT_EQ(list->indexOfChild(list->child(3)), 3);

  QAccessibleInterface *key =
      QAccessible::queryAccessibleInterface(container.sortBarView()->sortByTitle());
  EXPECT_EQ(key->role(), QAccessible::Button);
  EXPECT_EQ(key->text(QAccessible::Name), "Title");
}
