// The skinned controls: the placement rule with the skin's numbers, buttons'
// parts, states, presses, holds and hover, following the parent's resizes,
// and the shading.
#include "DrawUtilities.h"
#include "TestEnvironment.h"
#include "ZAccessibility.h"
#include "ZControls.h"
#include "ZPlacement.h"
#include "ZView.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QVariantMap place(int zone, int x, int y, const char *justify = nullptr) {
  QVariantMap info{{"Zone", zone}, {"XPos", x}, {"YPos", y}};
  if (justify) info.insert("Justify", QString::fromLatin1(justify));
  return info;
}

// An image of n parts side by side, part k filled with the k-th colour.
QImage partsImage(int parts, int partWidth = 10, int height = 6) {
  static const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
  QImage image(parts * partWidth, height, QImage::Format_ARGB32);
  QPainter painter(&image);
  for (int k = 0; k < parts; ++k)
    painter.fillRect(k * partWidth, 0, partWidth, height, colors[k % 4]);
  return image;
}

QVariantMap buttonInfo(int parts, int zone = 1, int x = 5, int y = 7) {
  QVariantMap info = place(zone, x, y);
  info.insert("states", parts);
  info.insert("Image", partsImage(parts));
  return info;
}

// The colour the button draws now (its middle pixel).
QColor drawnColor(QWidget &widget) {
  const QImage shot = widget.grab().toImage();
  return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

}  // namespace

TEST(Placement, TheRulePlacesByZoneAndJustification) {
  const QSizeF size(40, 20);
  const QRectF bounds(0, 0, 200, 100);
  const struct {
    const char *name;
    QVariantMap info;
    double rightOffset;
    QRectF expected;
  } cases[] = {
      {"zone 7 measures from the bottom", place(7, 0, 30), 0, {0, 10, 40, 20}},
      {"zone 1 measures from the top", place(1, 0, 30), 0, {0, 50, 40, 20}},
      {"zones 3 to 6 too", place(6, 0, 30), 0, {0, 50, 40, 20}},
      {"center counts back from the middle", place(1, 10, 0, "center"), 0, {90, 80, 40, 20}},
      {"center rounds up", place(1, 10, 0, "CENTER"), 0, {90, 80, 40, 20}},
      {"right", place(1, 10, 0, "right"), 5, {185, 80, 40, 20}},
      {"left (missing Justify)", place(1, 12, 0), 5, {12, 80, 40, 20}},
      {"leftcenter", place(1, 12, 0, "LeftCenter"), 0, {12, 80, 40, 20}},
      {"zone 5 left counts from the right edge", place(5, -50, 0, "left"), 8, {142, 80, 40, 20}},
      {"zone 4, any other Justify", place(4, 12, 0, "middle"), 0, {12, 80, 40, 20}},
      {"zone 0 has no rule", place(0, 3, 4), 0, {3, 4, 40, 20}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ZPlacement::layoutRect(size, bounds, c.info, c.rightOffset), c.expected);
  }
  // Bounds away from the origin move the result with them.
  EXPECT_EQ(ZPlacement::layoutRect(size, QRectF(10, 20, 200, 100), place(7, 0, 30)),
            QRectF(10, 30, 40, 20));
  // The one conversion to widget space: y flips within the parent.
  EXPECT_EQ(ZPlacement::toWidgetRect(QRectF(0, 10, 40, 20), 100), QRect(0, 70, 40, 20));
}

TEST(SkinnedControls, ADescriptionWithoutItsRequiredKeysGivesNoControl) {
  QWidget parent;
  QVariantMap info = buttonInfo(3);
  for (const char *key : {"Image", "XPos", "YPos", "Zone", "states"}) {
    QVariantMap missing = info;
    missing.remove(key);
    EXPECT_EQ(ZButtonView::create(QSizeF(200, 100), missing, &parent), nullptr) << key;
  }
  EXPECT_EQ(ZImageView::create(QSizeF(200, 100), place(1, 0, 0), &parent), nullptr);
  std::unique_ptr<ZImageView> image(
      ZImageView::create(QSizeF(200, 100), QVariantMap{{"Image", partsImage(1)}}));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->size(), QSize(10, 6));
}

TEST(SkinnedControls, AButtonShowsThePartOfItsStateAndKeepsItsPlace) {
  const struct {
    int parts;
    std::array<int, 4> shown;
  } tables[] = {{1, {0, 0, 0, 0}},
                {2, {0, 1, 1, 1}},
                {3, {0, 1, 2, 2}},
                {4, {0, 1, 2, 3}},
                {5, {0, 0, 0, 0}}};
  for (const auto &t : tables)
    for (int state = 0; state < 4; ++state) {
      QWidget parent;
      parent.resize(200, 100);
      ZButtonView *button = ZButtonView::create(QSizeF(200, 100), buttonInfo(t.parts), &parent);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->displayPartForState(state), t.shown[std::size_t(state)]);
      button->setState(state);
      const QColor expected =
          partsImage(t.parts).pixelColor(t.shown[std::size_t(state)] * 10 + 5, 3);
      EXPECT_EQ(drawnColor(*button), expected) << t.parts << " parts, state " << state;
    }

  // One part wide, placed by the rule: zone 7 puts its bottom edge at
  // YPos - height = 24 above the parent's bottom, and keeps it there.
  QWidget parent;
  parent.resize(200, 100);
  parent.show();
  ZButtonView *button = ZButtonView::create(QSizeF(200, 100), buttonInfo(3, 7, 5, 30), &parent);
  EXPECT_EQ(button->geometry(), QRect(5, 70, 10, 6));
  parent.resize(300, 150);
  EXPECT_EQ(button->geometry(), QRect(5, 120, 10, 6));
  // Zone 0 is left where it is.
  ZButtonView *fixed = ZButtonView::create(QSizeF(300, 150), buttonInfo(3, 0, 5, 30), &parent);
  const QRect before = fixed->geometry();
  parent.resize(400, 250);
  EXPECT_EQ(fixed->geometry(), before);

  button->setImage(QImage(), 3);
  EXPECT_EQ(button->partCount(), 0);
  button->setImage(partsImage(2), 0);
  EXPECT_EQ(button->partCount(), 0);
}

TEST(SkinnedControls, HighResolutionPicturesKeepTheLayoutAndTransparencyShowsTheParent) {
  QWidget parent;
  parent.resize(200, 100);
  parent.setAutoFillBackground(true);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, Qt::magenta);
  parent.setPalette(palette);

  // The same picture at twice the resolution: the same place and size, the
  // same part for each state.
  QImage sharp = partsImage(4, 20, 12);
  sharp.setDevicePixelRatio(2);
  QVariantMap sharpInfo = buttonInfo(4, 7, 5, 30);
  sharpInfo.insert("Image", sharp);
  ZButtonView *plainButton =
      ZButtonView::create(QSizeF(200, 100), buttonInfo(4, 7, 5, 30), &parent);
  ZButtonView *sharpButton = ZButtonView::create(QSizeF(200, 100), sharpInfo, &parent);
  ASSERT_NE(plainButton, nullptr);
  ASSERT_NE(sharpButton, nullptr);
  EXPECT_EQ(sharpButton->geometry(), plainButton->geometry());
  for (int state = 0; state < 4; ++state) {
    plainButton->setState(state);
    sharpButton->setState(state);
    EXPECT_EQ(drawnColor(*sharpButton), drawnColor(*plainButton)) << "state " << state;
  }
  QImage sharpStars(40, 12, QImage::Format_ARGB32);
  sharpStars.fill(Qt::red);
  sharpStars.setDevicePixelRatio(2);
  ZRateButtonView rating({sharpStars, sharpStars, sharpStars, sharpStars, sharpStars, sharpStars},
                         QPoint(0, 0));
  EXPECT_EQ(rating.cellWidth(), 10);
  EXPECT_EQ(rating.size(), QSize(10, 6));

  // A see-through part shows the parent, not black; a disabled button is
  // drawn faded.
  QImage holes = partsImage(2);
  QPainter(&holes).fillRect(0, 0, 10, 6, Qt::transparent);
  {
    QPainter painter(&holes);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(0, 0, 10, 6, Qt::transparent);
  }
  QVariantMap holeInfo = buttonInfo(2, 1, 100, 10);
  holeInfo.insert("Image", holes);
  ZButtonView *seeThrough = ZButtonView::create(QSizeF(200, 100), holeInfo, &parent);
  ZButtonImageView *imageButton = ZButtonImageView::create(QSizeF(200, 100), holeInfo, &parent);
  ASSERT_NE(seeThrough, nullptr);
  ASSERT_NE(imageButton, nullptr);
  imageButton->move(150, 10);
  const QImage shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixelColor(seeThrough->geometry().center()), QColor(Qt::magenta));
  EXPECT_EQ(shot.pixelColor(imageButton->geometry().center()), QColor(Qt::magenta));
  plainButton->setState(0);
  plainButton->setEnabled(false);
  const QColor faded = parent.grab().toImage().pixelColor(plainButton->geometry().center());
  EXPECT_NE(faded, QColor(Qt::red));
  EXPECT_NE(faded, QColor(Qt::magenta));
}

TEST(SkinnedControls, TextOverAPictureStandsOutOnIt) {
  const struct {
    QColor picture;
    bool lightText;
  } cases[] = {
      {QColor(30, 30, 30), true}, {QColor(240, 240, 240), false}, {QColor(53, 132, 228), true}};
  for (const auto &c : cases) {
    QImage picture(120, 28, QImage::Format_ARGB32);
    picture.fill(c.picture);
    QVariantMap info = buttonInfo(1);
    info.insert("Image", picture);
    QWidget parent;
    parent.resize(200, 100);
    ZPopupButtonImageView *button = ZPopupButtonImageView::create(QSizeF(200, 100), info, &parent);
    ASSERT_NE(button, nullptr);
    QMenu menu;
    menu.addAction("WWWWWW")->setData(1);
    button->setMenu(&menu);
    button->setSelectedTag(1);
    const QImage shot = button->grab().toImage();
    double extreme = c.lightText ? 0 : 1;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const double value = shot.pixelColor(x, y).valueF();
        extreme = c.lightText ? std::max(extreme, value) : std::min(extreme, value);
      }
    EXPECT_EQ(c.lightText ? extreme > 0.95 : extreme < 0.05, true)
        << c.picture.name().toStdString();

    ZSearchButtonView *search = ZSearchButtonView::create(QSizeF(200, 100), info, &parent);
    ASSERT_NE(search, nullptr);
    const QPalette field = search->textField()->palette();
    EXPECT_EQ(field.color(QPalette::Base), c.picture);
    EXPECT_EQ(field.color(QPalette::Text), c.lightText ? QColor(Qt::white) : QColor(Qt::black));
  }
}

TEST(SkinnedControls, PressingAndReleasingRunsTheAction) {
  QWidget parent;
  parent.resize(200, 100);
  ZButtonView *button = ZButtonView::create(QSizeF(200, 100), buttonInfo(3), &parent);
  parent.show();
  int actions = 0;
  button->setAction([&](ZButtonView *sender) {
    EXPECT_EQ(sender, button);
    ++actions;
  });
  const QPoint inside(5, 3);

  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(button->state(), ZButtonView::MouseDown);
  EXPECT_EQ(button->displayPartForState(button->state()), 2);
  QTest::mouseRelease(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(button->state(), ZButtonView::MouseOver);

  // Dragged out and released outside: no action, normal again.
  QTest::mousePress(button, Qt::LeftButton, {}, inside);
  QMouseEvent out(QEvent::MouseMove, QPointF(50, 50), button->mapToGlobal(QPointF(50, 50)),
                  Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &out);
  EXPECT_EQ(button->state(), ZButtonView::Normal);
  QMouseEvent back(QEvent::MouseMove, QPointF(inside), button->mapToGlobal(QPointF(inside)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &back);
  EXPECT_EQ(button->state(), ZButtonView::MouseDown);
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 50));
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(button->state(), ZButtonView::Normal);

  // A selected button ignores presses and shows its selected part.
  button->setState(ZButtonView::Selected);
  QTest::mouseClick(button, Qt::LeftButton, {}, inside);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(button->state(), ZButtonView::Selected);
  EXPECT_EQ(button->displayPartForState(button->state()), 2);
}

TEST(SkinnedControls, HoldingSendsTheHoldActionsInsteadOfTheAction) {
  QWidget parent;
  parent.resize(200, 100);
  ZButtonView *button = ZButtonView::create(QSizeF(200, 100), buttonInfo(3), &parent);
  parent.show();
  int actions = 0, holds = 0, holdReleases = 0;
  button->setAction([&](ZButtonView *) { ++actions; });
  button->setHoldDownAction([&](ZButtonView *) { ++holds; });
  button->setHoldDownReleaseAction([&](ZButtonView *) { ++holdReleases; });

  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 3));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return holds > 0; }, 5000));
  QTest::qWait(1300);  // held on: the hold action is sent once
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 3));
  EXPECT_EQ(holds, 1);
  EXPECT_EQ(holdReleases, 1);
  EXPECT_EQ(actions, 0);

  // A short press is an ordinary click.
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 3));
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(holds, 1);
  EXPECT_EQ(holdReleases, 1);
}

TEST(SkinnedControls, HoverShowsTheOverPartAndLeavingRestoresTheState) {
  QWidget parent;
  parent.resize(200, 100);
  ZButtonView *button = ZButtonView::create(QSizeF(200, 100), buttonInfo(3), &parent);
  button->setTracksMouseOver(true);
  parent.show();
  QEnterEvent enter(QPointF(5, 3), QPointF(5, 3), button->mapToGlobal(QPointF(5, 3)));
  QEvent leave(QEvent::Leave);

  QCoreApplication::sendEvent(button, &enter);
  EXPECT_EQ(button->state(), ZButtonView::MouseOver);
  QCoreApplication::sendEvent(button, &leave);
  EXPECT_EQ(button->state(), ZButtonView::Normal);
  // After a click inside, leaving makes it normal again.
  QCoreApplication::sendEvent(button, &enter);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 3));
  EXPECT_EQ(button->state(), ZButtonView::MouseOver);
  QCoreApplication::sendEvent(button, &leave);
  EXPECT_EQ(button->state(), ZButtonView::Normal);
  // A selected button does not hover; neither does one of two parts.
  button->setState(ZButtonView::Selected);
  QCoreApplication::sendEvent(button, &enter);
  EXPECT_EQ(button->state(), ZButtonView::Selected);
  ZButtonView *two = ZButtonView::create(QSizeF(200, 100), buttonInfo(2), &parent);
  two->setTracksMouseOver(true);
  QCoreApplication::sendEvent(two, &enter);
  EXPECT_EQ(two->state(), ZButtonView::Normal);
}

TEST(Shading, ColoursMoveLinearlyAndFillFromTheStartEdge) {
  const QColor start = QColor::fromRgbF(0.0, 0.5, 1.0, 0.2);
  const QColor end = QColor::fromRgbF(1.0, 0.5, 0.0, 0.7);
  for (const double t : {0.0, 0.25, 0.5, 1.0}) {
    const QColor c = DrawUtilities::calculateShadingValues(t, start, end);
    EXPECT_NEAR(c.redF(), t, 1e-3);
    EXPECT_NEAR(c.greenF(), 0.5, 1e-3);
    EXPECT_NEAR(c.blueF(), 1.0 - t, 1e-3);
    EXPECT_EQ(c.alphaF(), 1.0);
  }

  ZOpaqueView view;
  view.resize(20, 100);
  view.setStartColor(Qt::black);
  view.setEndColor(Qt::white);
  QImage shot = view.grab().toImage();
  EXPECT_LT(shot.pixelColor(10, 98).lightness(), 20);  // vertical: the start at the bottom
  EXPECT_GT(shot.pixelColor(10, 1).lightness(), 235);
  view.setShadingVertical(false);
  view.resize(100, 20);
  shot = view.grab().toImage();
  EXPECT_LT(shot.pixelColor(1, 10).lightness(), 20);  // horizontal: the start at the left
  EXPECT_GT(shot.pixelColor(98, 10).lightness(), 235);
  view.setEndColor(QColor());    // back to the plain fill
  view.setStartColor(QColor());  // ignored
  shot = view.grab().toImage();
  EXPECT_EQ(shot.pixelColor(98, 10), QColor(Qt::black));
}

TEST(TextDrawing, TruncatedTextEndsWithAnEllipsisOnlyWhenTooWide) {
  const ZTextAttributes style{QFont(QStringLiteral("DejaVu Sans"), 12), Qt::black};
  EXPECT_EQ(DrawUtilities::truncatedText("Short", style, 500), "Short");
  const QString cut = DrawUtilities::truncatedText(
      "A rather long title that cannot fit into a narrow column", style, 80);
  EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
  EXPECT_LE(QFontMetricsF(style.font).horizontalAdvance(cut), 80);
}

// ---- the other controls ------------------------------------------------------------------

namespace {

void moveMouse(QWidget *widget, const QPointF &at, Qt::MouseButtons buttons = Qt::NoButton) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

}  // namespace

TEST(SkinnedControls, AnImageButtonShowsItsPressPartAndItsAlternateImage) {
  const struct { int parts, pressed; } cases[] = {{1, 0}, {2, 1}, {3, 2}, {4, 2}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.parts);
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    QVariantMap info{{"Image", partsImage(c.parts)}, {"states", c.parts}};
    ZButtonImageView *button = ZButtonImageView::create(QSizeF(200, 100), info, &parent);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->size(), QSize(10, 6));
    int actions = 0;
    button->setAction([&](ZButtonImageView *) { ++actions; });
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 3));
    EXPECT_EQ(button->state(), c.pressed);
    EXPECT_EQ(drawnColor(*button), partsImage(c.parts).pixelColor(c.pressed * 10 + 5, 3));
    moveMouse(button, QPointF(60, 60), Qt::LeftButton);
    EXPECT_EQ(button->state(), 0);
    moveMouse(button, QPointF(5, 3), Qt::LeftButton);
    EXPECT_EQ(button->state(), c.pressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 3));
    EXPECT_EQ(button->state(), 0);
    EXPECT_EQ(actions, 1);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 3));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(actions, 1);
  }
  QWidget parent;
  ZButtonImageView *button = ZButtonImageView::create(
      QSizeF(200, 100), QVariantMap{{"Image", partsImage(2)}, {"states", 2}}, &parent);
  QImage alternate(4, 4, QImage::Format_ARGB32);
  alternate.fill(Qt::magenta);
  button->setAlternateImage(alternate);
  button->setState(2);  // beyond the last part
  EXPECT_EQ(drawnColor(*button), QColor(Qt::magenta));
  EXPECT_EQ(ZButtonImageView::create(QSizeF(200, 100), QVariantMap{{"states", 2}}, &parent),
            nullptr);
}

TEST(SkinnedControls, APopupButtonShowsTheSelectedItemAndPopsItsMenuUp) {
  QWidget parent;
  parent.resize(200, 100);
  parent.show();
  ZPopupButtonImageView *button =
      ZPopupButtonImageView::create(QSizeF(200, 100), buttonInfo(3), &parent);
  ASSERT_NE(button, nullptr);
  QMenu menu;
  for (const auto &[tag, title] : {std::pair{1, "Publisher"}, {2, "Category"}, {5, "Tag"}})
    menu.addAction(QString::fromLatin1(title))->setData(tag);
  button->setMenu(&menu);
  button->setSelectedTag(2);
  EXPECT_EQ(button->title(), "Category");
  EXPECT_EQ(button->selectedTag(), 2);
  for (QAction *item : menu.actions()) {
    EXPECT_EQ(item->isChecked(), item->data().toInt() == 2);
    // A choice of one: drawn and read as radio items.
    ASSERT_NE(item->actionGroup(), nullptr);
    EXPECT_EQ(item->actionGroup()->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
  }
  button->setSelectedTag(9);  // no such item: the title stays
  EXPECT_EQ(button->title(), "Category");
  EXPECT_EQ(button->selectedTag(), 9);
  EXPECT_FALSE(menu.actions()[1]->isChecked());
  button->setMenu(&menu);
  EXPECT_TRUE(button->title().isEmpty());
  EXPECT_EQ(button->labelFont().pointSizeF(), 12);

  int statesWhileShown = -1;
  QPoint shownAt;
  button->setMenuPresenter([&](QMenu *, const QPoint &at) {
    statesWhileShown = button->state();
    shownAt = at;
  });
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 3));
  EXPECT_EQ(statesWhileShown, ZButtonView::MouseDown);
  EXPECT_EQ(shownAt, button->mapToGlobal(QPoint(0, button->height() + 4)));
  EXPECT_EQ(button->state(), ZButtonView::Normal);
}

TEST(SkinnedControls, TheSearchFieldOpensOnAClickAndALeavingClickClearsIt) {
  QWidget parent;
  parent.resize(300, 100);
  parent.show();
  QImage image(120, 24, QImage::Format_ARGB32);
  image.fill(Qt::white);
  ZSearchButtonView *search =
      ZSearchButtonView::create(QSizeF(300, 100), QVariantMap{{"Image", image}}, &parent);
  ASSERT_NE(search, nullptr);
  search->show();
  QStringList sent;
  search->setAction([&](ZSearchButtonView *view) { sent << view->searchText(); });
  EXPECT_EQ(search->textField()->geometry(), QRect(18, 3, 84, 18));
  EXPECT_FALSE(search->textField()->isVisible());

  QTest::mouseClick(search, Qt::LeftButton, {}, QPoint(40, 12));  // in the field's area
  EXPECT_TRUE(search->isEditing());
  EXPECT_TRUE(search->textField()->isVisible());
  EXPECT_FALSE(search->textField()->isReadOnly());
  QTest::keyClicks(search->textField(), "ab");
  EXPECT_EQ(sent, QStringList({"a", "ab"}));  // every edit

  QTest::mouseClick(search, Qt::LeftButton, {}, QPoint(5, 12));  // beside it
  EXPECT_FALSE(search->isEditing());
  EXPECT_FALSE(search->textField()->isVisible());
  EXPECT_EQ(sent, QStringList({"a", "ab", ""}));  // cleared, then sent

  QMenu criteria;
  QAction *titles = criteria.addAction("Titles");
  titles->setData(0);
  QAction *tags = criteria.addAction("Tags");
  tags->setData(3);
  search->setCriterionMenu(&criteria);
  search->changeSearchCriterion(tags);
  EXPECT_EQ(search->searchType(), 3);
  EXPECT_TRUE(tags->isChecked());
  EXPECT_FALSE(titles->isChecked());
  ASSERT_NE(titles->actionGroup(), nullptr);
  EXPECT_EQ(titles->actionGroup(), tags->actionGroup());
  EXPECT_TRUE(titles->actionGroup()->isExclusive());
  EXPECT_EQ(sent.size(), 4);
}

TEST(SkinnedControls, TheRatingWidgetOpensItsChoicesAndTakesTheClickedOne) {
  std::array<QImage, 6> images;
  for (int i = 0; i < 6; ++i) {
    images[std::size_t(i)] = QImage(21, 8, QImage::Format_ARGB32);  // two parts, cells 11 wide
    images[std::size_t(i)].fill(QColor(40 * i, 0, 0));
  }
  QWidget parent;
  parent.resize(300, 100);
  parent.show();
  auto *rate = new ZRateButtonView(images, QPoint(10, 20), &parent);
  EXPECT_EQ(rate->cellWidth(), 11);
  EXPECT_EQ(rate->geometry(), QRect(10, 20, 11, 8));
  int actions = 0;
  rate->setAction([&](ZRateButtonView *) { ++actions; });

  QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(5, 4));
  EXPECT_TRUE(rate->isChoosing());
  EXPECT_EQ(rate->width(), 66);
  moveMouse(rate, QPointF(11 * 3 + 2, 4));
  EXPECT_EQ(rate->hoverIndex(), 3);
  moveMouse(rate, QPointF(3, 4));  // the unrated cell
  EXPECT_EQ(rate->hoverIndex(), 0);
  QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(11 * 3 + 2, 4));  // the third star
  EXPECT_EQ(rate->rating(), 3);
  EXPECT_FALSE(rate->isChoosing());
  EXPECT_EQ(rate->width(), 11);
  EXPECT_EQ(actions, 1);

  // Leaving while choosing keeps the rating.
  QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(5, 4));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(rate, &leave);
  EXPECT_FALSE(rate->isChoosing());
  EXPECT_EQ(rate->rating(), 3);
  EXPECT_EQ(actions, 1);
  // The unrated cell gives no rating.
  QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(5, 4));
  QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(2, 4));
  EXPECT_EQ(rate->rating(), 0);
  EXPECT_EQ(actions, 2);
}

// What the keyboard and assistive technology reach: each kind of control
// with its role and name, and its press from the keyboard or as an action.
TEST(SkinnedControls, TheKeyboardAndAssistiveTechnologyPressEachKindOfControl) {
  QWidget parent;
  parent.resize(400, 100);
  parent.show();
  int pressed = 0, imagePressed = 0, popped = 0, rated = 0;
  ZButtonView *button = ZButtonView::create(QSizeF(400, 100), buttonInfo(4), &parent);
  button->setAction([&](ZButtonView *) { ++pressed; });
  button->setToolTip("Library");
  ZButtonImageView *imageButton =
      ZButtonImageView::create(QSizeF(400, 100), buttonInfo(3, 1, 40), &parent);
  imageButton->setAction([&](ZButtonImageView *) { ++imagePressed; });
  imageButton->setAccessibleName("Delete");
  ZPopupButtonImageView *popup =
      ZPopupButtonImageView::create(QSizeF(400, 100), buttonInfo(3, 1, 80), &parent);
  popup->setToolTip("Browse By");
  QMenu menu;
  menu.addAction("All Videos")->setData(0);
  popup->setMenu(&menu);
  popup->setSelectedTag(0);
  popup->setMenuPresenter([&](QMenu *, const QPoint &) { ++popped; });
  std::array<QImage, 6> stars;
  stars.fill(partsImage(2));
  auto *rating = new ZRateButtonView(stars, QPoint(200, 10), &parent);
  rating->setToolTip("Rating");
  rating->setAction([&](ZRateButtonView *) { ++rated; });

  struct Case {
    QWidget *control;
    QAccessible::Role role;
    const char *name;
  };
  for (const Case &c : {Case{button, QAccessible::Button, "Library"},
                        Case{imageButton, QAccessible::Button, "Delete"},
                        Case{popup, QAccessible::Button, "Browse By"},
                        Case{rating, QAccessible::Slider, "Rating"}}) {
    SCOPED_TRACE(c.name);
    QAccessibleInterface *access = QAccessible::queryAccessibleInterface(c.control);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), c.role);
    EXPECT_EQ(access->text(QAccessible::Name), QString::fromLatin1(c.name));
    // Reached with Tab, never taken by a click.
    EXPECT_EQ(c.control->focusPolicy(), Qt::TabFocus);
  }
  EXPECT_EQ(QAccessible::queryAccessibleInterface(popup)->text(QAccessible::Value), "All Videos");
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(popup)->state().hasPopup);

  QTest::keyClick(button, Qt::Key_Space);
  QTest::keyClick(button, Qt::Key_Return);
  QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
      QAccessibleActionInterface::pressAction());
  EXPECT_EQ(pressed, 3);
  EXPECT_EQ(button->state(), ZButtonView::Normal);
  // A selected button reads as checked and takes no press.
  button->setState(ZButtonView::Selected);
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(button)->state().checked);
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(pressed, 3);

  QTest::keyClick(imageButton, Qt::Key_Space);
  EXPECT_EQ(imagePressed, 1);
  QTest::keyClick(popup, Qt::Key_Down);
  QTest::keyClick(popup, Qt::Key_Return);
  EXPECT_EQ(popped, 2);

  // The rating steps with the arrows and takes a digit; as a slider it is
  // set through its value.
  QTest::keyClick(rating, Qt::Key_Right);
  QTest::keyClick(rating, Qt::Key_Right);
  EXPECT_EQ(rating->rating(), 2);
  QTest::keyClick(rating, Qt::Key_5);
  QTest::keyClick(rating, Qt::Key_Right);  // no sixth star
  EXPECT_EQ(rating->rating(), 5);
  QAccessibleValueInterface *value =
      QAccessible::queryAccessibleInterface(rating)->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->maximumValue().toInt(), 5);
  value->setCurrentValue(1);
  EXPECT_EQ(rating->rating(), 1);
  EXPECT_EQ(rated, 4);
}

TEST(SkinnedControls, TheSearchFieldOpensWithTabAndEscapeClosesIt) {
  QWidget parent;
  parent.resize(300, 100);
  auto *before = new QLineEdit(&parent);
  QImage image(120, 24, QImage::Format_ARGB32);
  image.fill(Qt::white);
  ZSearchButtonView *search =
      ZSearchButtonView::create(QSizeF(300, 100), QVariantMap{{"Image", image}}, &parent);
  search->setToolTip("Search");
  parent.show();
  QApplication::setActiveWindow(&parent);
  QStringList sent;
  search->setAction([&](ZSearchButtonView *view) { sent << view->searchText(); });
  EXPECT_EQ(QAccessible::queryAccessibleInterface(search)->role(), QAccessible::EditableText);

  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_TRUE(search->isEditing());
  EXPECT_TRUE(search->textField()->hasFocus());
  QTest::keyClicks(search->textField(), "x");
  QTest::keyClick(search->textField(), Qt::Key_Escape);
  EXPECT_FALSE(search->isEditing());
  EXPECT_EQ(sent, QStringList({"x", ""}));
  // The keyboard stays on the control, which Tab opens again.
  EXPECT_TRUE(search->hasFocus());
}

// Changes told to assistive technology at most once per interval: the first
// at once, a burst within the interval as one when it is up, nothing more
// without a change.
TEST(AccessibleAnnouncer, TellsAtOnceThenAtMostOncePerInterval) {
  constexpr int interval = 200;
  QList<qint64> told;
  QElapsedTimer clock;
  clock.start();
  ZAccessibleAnnouncer announcer(interval, [&] { told.append(clock.elapsed()); });

  announcer.changed();
  ASSERT_EQ(told.size(), 1);
  for (int i = 0; i < 20; ++i) announcer.changed();
  EXPECT_EQ(told.size(), 1);
  EXPECT_TRUE(announcer.waiting());
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return told.size() == 2; }, 5000));
  EXPECT_GE(told[1] - told[0], interval - 2);  // two clocks, read a moment apart
  EXPECT_FALSE(announcer.waiting());
  TestEnvironment::waitFor([] { return false; }, 2 * interval);
  EXPECT_EQ(told.size(), 2);

  // After a quiet interval a change is told at once.
  announcer.changed();
  EXPECT_EQ(told.size(), 3);
  // A waiting telling that was cancelled is not told.
  announcer.changed();
  ASSERT_TRUE(announcer.waiting());
  announcer.cancel();
  TestEnvironment::waitFor([] { return false; }, 2 * interval);
  EXPECT_EQ(told.size(), 3);
}
