// The settings window's tab buttons (their press and release rules, drawing,
// keyboard and accessible side), where they stand, the way through the
// window by keyboard, and every control's accessible name.
#include "SettingsFixture.h"

#include "DrawUtilities.h"
#include "SettingsLayout.h"
#include "ZDialog.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QMouseEvent>
#include <QToolButton>

namespace {

void send(QWidget *widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

TEST(SettingsLayout, TabButtonsStandInARowBelowTheTitleStrip) {
  // Bounds 500 x 400, buttons 116 x 32, a title strip of 40: y = 400 - 30 - 32 - 40.
  const QList<QRectF> frames = SettingsLayout::tabButtonFrames(
      QRectF(0, 0, 500, 400), {QSizeF(116, 32), QSizeF(116, 32), QSizeF(100, 28)}, 40);
  EXPECT_EQ(frames, QList<QRectF>({QRectF(20, 298, 116, 32), QRectF(136, 298, 116, 32),
                                   QRectF(252, 298, 100, 28)}));
  EXPECT_EQ(SettingsLayout::tabButtonFrames(QRectF(10, 5, 500, 400), {QSizeF(50, 20)}, 0),
            QList<QRectF>({QRectF(30, 355, 50, 20)}));
  // The page's top edge 4 above the row's bottom edge.
  EXPECT_EQ(SettingsLayout::tabViewOriginY(298, 250), 52);
}

TEST_F(SettingsFixture, TabsAndPagesStandWhereTheSkinSays) {
  fController->showWindow();
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const QImage sprite = skin->settingsTabGeneralImage();
  ASSERT_FALSE(sprite.isNull());
  const QSizeF spriteSize = sprite.deviceIndependentSize();
  const int title = int(ZDialogGeometry::titleStripHeight(skin));
  int x = 20;
  for (const char *id : {"General", "Downloads", "Playback"}) {
    ZSettingsTabButtonView *tab = fController->tabButton(id);
    const QRect inWindow(tab->mapTo(window(), QPoint(0, 0)), tab->size());
    EXPECT_EQ(inWindow, QRect(x, title + 30, int(std::ceil(spriteSize.width() / 2)),
                              int(spriteSize.height())))
        << id;
    x += inWindow.width();
  }
  const QRect tab = QRect(fController->tabButton("General")->mapTo(window(), QPoint(0, 0)),
                          fController->tabButton("General")->size());
  EXPECT_EQ(fController->tabView()->mapTo(window(), QPoint(0, 0)).y(), tab.bottom() + 1 - 4);
  EXPECT_GT(fController->tabView()->height(), 200);
}

TEST_F(SettingsFixture, ATabPressedAndReleasedOutsideSendsNothing) {
  fController->showWindow();
  ZSettingsTabButtonView *downloads = fController->tabButton("Downloads");
  const QPoint inside = downloads->rect().center();
  const QPoint outside(downloads->width() + 30, inside.y());

  send(downloads, QEvent::MouseButtonPress, inside, Qt::LeftButton);
  EXPECT_TRUE(downloads->isSelected()) << "shown selected while pressed";
  send(downloads, QEvent::MouseMove, outside, Qt::LeftButton);
  EXPECT_FALSE(downloads->isSelected());
  send(downloads, QEvent::MouseMove, inside, Qt::LeftButton);
  EXPECT_TRUE(downloads->isSelected());
  send(downloads, QEvent::MouseMove, outside, Qt::LeftButton);
  send(downloads, QEvent::MouseButtonRelease, outside, Qt::NoButton);
  EXPECT_FALSE(downloads->isSelected());
  EXPECT_EQ(fController->selectedTab(), "General");
  EXPECT_TRUE(fController->tabButton("General")->isSelected());

  // Released inside: the page changes and that tab alone is selected.
  QTest::mouseClick(downloads, Qt::LeftButton, {}, inside);
  EXPECT_EQ(fController->selectedTab(), "Downloads");
  EXPECT_EQ(fController->tabView()->currentWidget(), pages().fDownloadsView);
  for (const char *id : {"General", "Downloads", "Playback"})
    EXPECT_EQ(fController->tabButton(id)->isSelected(), QLatin1String(id) == "Downloads") << id;

  // A selected tab sends nothing when clicked, and stays selected.
  int sent = 0;
  downloads->setAction([&](ZSettingsTabButtonView *) { ++sent; });
  QTest::mouseClick(downloads, Qt::LeftButton, {}, inside);
  EXPECT_EQ(sent, 0);
  EXPECT_TRUE(downloads->isSelected());
}

TEST_F(SettingsFixture, TabsDrawTheHalfOfTheirSpriteThatTheirStateSays) {
  fController->showWindow();
  ZSettingsTabButtonView *general = fController->tabButton("General");
  ZSettingsTabButtonView *playback = fController->tabButton("Playback");
  // Where the sprite is opaque the tab shows exactly its pixels.
  const auto showsHalf = [](ZSettingsTabButtonView *tab, int part) {
    const QImage drawn = tab->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage sprite = tab->image().convertToFormat(QImage::Format_ARGB32);
    const int width = sprite.width() / 2;
    if (drawn.size() != QSize(width, sprite.height())) return false;
    int opaque = 0;
    for (int y = 0; y < sprite.height(); ++y)
      for (int x = 0; x < width; ++x) {
        const QRgb pixel = sprite.pixel(part * width + x, y);
        if (qAlpha(pixel) < 255) continue;
        ++opaque;
        if (drawn.pixel(x, y) != pixel) return false;
      }
    return opaque > width * sprite.height() / 2;
  };
  EXPECT_TRUE(showsHalf(general, 0));
  EXPECT_TRUE(showsHalf(playback, 1));
  EXPECT_FALSE(showsHalf(playback, 0));

  // A skin without tab pictures still gives usable tabs, named on their face.
  auto bare = std::make_shared<ZSkin>(TestEnvironment::makeTempDir("bare-skin"));
  ZSkinManager::sharedSkinManager().setCurrentSkin(bare);
  fController->applySkin();
  EXPECT_TRUE(general->image().isNull());
  EXPECT_GT(general->width(), 20);
  EXPECT_GT(general->height(), 10);
  EXPECT_FALSE(general->grab().toImage().isNull());
}

TEST_F(SettingsFixture, TheKeyboardReachesEveryControlAndTheTabs) {
  fController->showWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  ZSettingsTabButtonView *general = fController->tabButton("General");
  general->setFocus(Qt::TabFocusReason);
  // Tab from the first tab through the General page to the buttons.
  QList<QWidget *> expected{general,
                            fController->tabButton("Downloads"),
                            fController->tabButton("Playback"),
                            pages().fGeneralLaunchAtStartupCB,
                            pages().fGeneralQuitConfirmationCB,
                            pages().fGeneralSkinPopup,
                            fController->cancelButton(),
                            fController->saveButton()};
  // The skin pop-up shows only when there is more than one skin.
  if (!pages().fGeneralSkinPopup->isVisibleTo(window())) expected.removeOne(pages().fGeneralSkinPopup);
  QList<QWidget *> order;
  QWidget *current = general;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    order.append(current);
    current = current->nextInFocusChain();
    while (!(current->focusPolicy() & Qt::TabFocus) || !current->isVisibleTo(window()) ||
           !current->isEnabled())
      current = current->nextInFocusChain();
  }
  EXPECT_EQ(order, expected);

  // Space chooses the focused tab; Left and Right move to the next one.
  ZSettingsTabButtonView *playback = fController->tabButton("Playback");
  playback->setFocus(Qt::TabFocusReason);
  QTest::keyClick(playback, Qt::Key_Space);
  EXPECT_EQ(fController->selectedTab(), "Playback");
  QTest::keyClick(playback, Qt::Key_Left);
  EXPECT_EQ(fController->selectedTab(), "Downloads");
  EXPECT_EQ(window()->focusWidget(), fController->tabButton("Downloads"));
  QTest::keyClick(window()->focusWidget(), Qt::Key_Right);
  EXPECT_EQ(fController->selectedTab(), "Playback");
  // Ctrl+Tab and Ctrl+Shift+Tab go round the pages from wherever the focus is.
  pages().fGeneralRepeatPlaybackCB->setFocus();
  QTest::keyClick(pages().fGeneralRepeatPlaybackCB, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(fController->selectedTab(), "General");
  QTest::keyClick(window()->focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(fController->selectedTab(), "Playback");

  // A click on a tab takes the keyboard only from another tab (the focus
  // ring follows the chosen tab); from another control it stays there.
  general->setFocus(Qt::TabFocusReason);
  ZSettingsTabButtonView *downloads = fController->tabButton("Downloads");
  QTest::mouseClick(downloads, Qt::LeftButton, {}, downloads->rect().center());
  EXPECT_EQ(fController->selectedTab(), "Downloads");
  EXPECT_EQ(window()->focusWidget(), downloads);
  fController->cancelButton()->setFocus(Qt::TabFocusReason);
  QTest::mouseClick(general, Qt::LeftButton, {}, general->rect().center());
  EXPECT_EQ(fController->selectedTab(), "General");
  EXPECT_EQ(window()->focusWidget(), fController->cancelButton());
}

TEST_F(SettingsFixture, AssistiveTechnologySeesNamedControlsAndPageTabs) {
  fController->showWindow();
  // Every control a user can operate has a name.
  for (QWidget *control : window()->findChildren<QWidget *>()) {
    const bool operable = qobject_cast<QAbstractButton *>(control) ||
                          qobject_cast<QLineEdit *>(control) ||
                          qobject_cast<QComboBox *>(control) ||
                          qobject_cast<ZSettingsTabButtonView *>(control);
    if (!operable) continue;
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
        << control->metaObject()->className() << " " << control->objectName().toStdString();
  }
  QAccessibleInterface *usage =
      QAccessible::queryAccessibleInterface(pages().fDownloadsUsageTextField);
  EXPECT_EQ(usage->text(QAccessible::Name), "Allowed disk usage");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(pages().fDownloadsMaxCountTextField)
                ->text(QAccessible::Name),
            "Simultaneous downloads");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(pages().fDownloadsUsageStepper->moreArrow())
                ->text(QAccessible::Name),
            localized("settingsWindowDownloadsDiskUsageMore"));

  // The tabs are page tabs named by their pages, one selected; "press" chooses one.
  QAccessibleInterface *downloads =
      QAccessible::queryAccessibleInterface(fController->tabButton("Downloads"));
  ASSERT_NE(downloads, nullptr);
  EXPECT_EQ(downloads->role(), QAccessible::PageTab);
  EXPECT_EQ(downloads->text(QAccessible::Name), "Downloads");
  EXPECT_FALSE(downloads->state().selected);
  EXPECT_TRUE(downloads->state().focusable);
  EXPECT_TRUE(
      QAccessible::queryAccessibleInterface(fController->tabButton("General"))->state().selected);
  QAccessibleActionInterface *actions = downloads->actionInterface();
  ASSERT_NE(actions, nullptr);
  ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(fController->selectedTab(), "Downloads");
  EXPECT_TRUE(downloads->state().selected);
  // The window is a dialog named by its title.
  QAccessibleInterface *dialog = QAccessible::queryAccessibleInterface(window());
  EXPECT_EQ(dialog->text(QAccessible::Name), localized("settingsWindowTitle"));
}
