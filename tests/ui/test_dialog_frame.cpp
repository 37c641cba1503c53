// The skinned dialog frame: its strips, dragging by the title strip (never
// above the visible screen area), the dialogs' codes through their buttons,
// and the frame as drawn.
#include "SkinnedDialogs.h"
#include "TestEnvironment.h"
#include "ZDialog.h"
#include "ZSkin.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A skin whose dialog frame has pieces of known sizes.
std::shared_ptr<ZSkin> framedSkin() {
  const QString folder = TestEnvironment::makeTempDir(QStringLiteral("skin"));
  const auto piece = [&](const char *name, int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    image.save(folder + "/" + name, "PNG");
  };
  piece("tl.png", 20, 30, Qt::red);
  piece("bl.png", 20, 10, Qt::blue);
  QFile file(folder + "/Skin.xml");
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "<Skin><BaseDlgSkin><DlgLeftTopFrame><Image>tl.png</Image></DlgLeftTopFrame>"
      "<DlgLeftBottomFrame><Image>bl.png</Image></DlgLeftBottomFrame>"
      "<Backcolor>00FF00</Backcolor></BaseDlgSkin></Skin>");
  file.close();
  return std::make_shared<ZSkin>(folder);
}

// Answers the next modal dialog by clicking the named button, after ticking
// the named check box (if any) and typing text (if any).
void answerNextDialog(const char *button, const char *box = nullptr, const char *text = nullptr) {
  QTimer::singleShot(0, [=] {
    QWidget *window = QApplication::activeModalWidget();
    ASSERT_NE(window, nullptr);
    if (box) window->findChild<QCheckBox *>(box)->setChecked(true);
    if (text) window->findChild<QLineEdit *>()->setText(QString::fromLatin1(text));
    window->findChild<QPushButton *>(button)->click();
  });
}

}  // namespace

TEST(DialogFrame, StripsComeFromTheSkinAndDraggingStopsAtTheTopOfTheScreen) {
  const auto skin = framedSkin();
  EXPECT_EQ(ZDialogGeometry::titleStripHeight(skin.get()), 30);
  EXPECT_EQ(ZDialogGeometry::bottomStripHeight(skin.get()), 10);
  // Without frame pieces the strip is as high as the caption needs.
  const ZSkin plain(TestEnvironment::makeTempDir(QStringLiteral("none")));
  EXPECT_GT(ZDialogGeometry::titleStripHeight(&plain), 12);
  EXPECT_EQ(ZDialogGeometry::bottomStripHeight(&plain), 0);

  const QRect visible(0, 25, 1280, 775);  // below a 25-point panel
  const struct {
    QPoint pointer, grab, expected;
  } cases[] = {
      {{300, 300}, {40, 10}, {260, 290}},
      {{300, 30}, {40, 10}, {260, 25}},  // would rise above the visible area
      {{300, 0}, {40, 10}, {260, 25}},
      {{-50, 500}, {40, 10}, {-90, 490}},  // sideways and down it may go
  };
  for (const auto &c : cases)
    EXPECT_EQ(ZDialogGeometry::draggedPosition(c.pointer, c.grab, visible), c.expected);
}

TEST(DialogFrame, ADialogIsDrawnInItsFrameWithItsControlsBetweenTheStrips) {
  ZSkinManager::sharedSkinManager().setCurrentSkin(framedSkin());
  ZDialog dialog;
  dialog.setWindowTitle("Caption");
  dialog.resize(200, 120);
  dialog.show();
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(dialog.contentArea()->geometry().top(), 30);
  EXPECT_EQ(dialog.contentArea()->geometry().bottom(), 120 - 12 - 1);
  const QImage shot = dialog.grab().toImage();
  EXPECT_EQ(shot.pixelColor(10, 15), QColor(Qt::red));     // the top-left piece
  EXPECT_EQ(shot.pixelColor(10, 115), QColor(Qt::blue));   // the bottom-left piece
  EXPECT_EQ(shot.pixelColor(100, 70), QColor(Qt::green));  // the background colour
  EXPECT_EQ(shot.pixelColor(0, 0).alpha(), 0);             // outside the rounded corner
  ZSkinManager::sharedSkinManager().setCurrentSkin(nullptr);
}

TEST(SkinnedDialogs, ButtonsAnswerTheirCodes) {
  SkinnedDialogs dialogs;
  answerNextDialog("quit");
  EXPECT_EQ(dialogs.askQuit(), 0);
  answerNextDialog("cancel");
  EXPECT_EQ(dialogs.askQuit(), 1);
  answerNextDialog("deleteOldVideos");
  EXPECT_EQ(dialogs.askDiskSpace(), 1);
  answerNextDialog("noAction");
  EXPECT_EQ(dialogs.askDiskSpaceDownload(), 2);
  bool fromDisk = false;
  answerNextDialog("delete", "fDeleteFromHD");
  EXPECT_TRUE(dialogs.getDeleteConfirmation(&fromDisk));
  EXPECT_TRUE(fromDisk);

  // Without the show-again flag the box stays hidden and nothing is written.
  bool boxVisible = true;
  QTimer::singleShot(0, [&] {
    QWidget *window = QApplication::activeModalWidget();
    boxVisible = window->findChild<QCheckBox *>("fDontShowDialogOptionButton")->isVisible();
    window->findChild<QPushButton *>("delete")->click();
  });
  EXPECT_TRUE(dialogs.getConfirmation("Delete", "Sure?"));
  EXPECT_FALSE(boxVisible);
  bool showAgain = true;
  answerNextDialog("cancel", "fDontShowDialogOptionButton");
  EXPECT_FALSE(dialogs.getConfirmation("Delete", "", "Sure?", &showAgain));
  EXPECT_FALSE(showAgain);

  // Import takes only a web address: for anything else it stays disabled.
  bool importEnabled = true;
  QTimer::singleShot(0, [&] {
    QWidget *window = QApplication::activeModalWidget();
    window->findChild<QLineEdit *>()->setText("ftp://example.com/feed");
    importEnabled = window->findChild<QPushButton *>("import")->isEnabled();
    window->findChild<QPushButton *>("cancel")->click();
  });
  EXPECT_TRUE(dialogs.getImportUrl().isNull());
  EXPECT_FALSE(importEnabled);
  answerNextDialog("import", nullptr, "https://example.com/feed");
  EXPECT_EQ(dialogs.getImportUrl(), "https://example.com/feed");
}
