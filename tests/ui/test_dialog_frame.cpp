// The skinned dialog frame: its strips, dragging by the title strip (never
// above the visible screen area), every way out of every dialog with its code,
// and the frame as drawn.
#include "SkinnedDialogs.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "ZDialog.h"
#include "ZSkin.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

#include <gtest/gtest.h>

namespace {

// A skin whose dialog frame has pieces of known sizes (and twins of twice
// their size, used at a device pixel ratio above 1).
std::shared_ptr<ZSkin> framedSkin(double devicePixelRatio = 1) {
  const QString folder = TestEnvironment::makeTempDir(QStringLiteral("skin"));
  const auto piece = [&](const char *name, int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    image.save(folder + "/" + name, "PNG");
    image.scaled(w * 2, h * 2).save(folder + "/" + hiDpiTwinName(QLatin1String(name)), "PNG");
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
  return std::make_shared<ZSkin>(folder, devicePixelRatio);
}

// What ends a dialog in the table below: a button (its object name), or
// these two.
constexpr const char *kEscape = "Escape";
constexpr const char *kClose = "close button";

// Ends the next modal dialog the way `how` says, after ticking the named check
// box and typing the text (when given). Records the code the dialog ended with.
void answerNextDialog(const QString &how, const QString &box, const QString &text, int *endedWith) {
  *endedWith = -100;
  QTimer::singleShot(0, [=] {
    auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    QObject::connect(dialog, &QDialog::finished, [endedWith](int code) { *endedWith = code; });
    if (!box.isEmpty()) {
      QCheckBox *check = dialog->findChild<QCheckBox *>(box);
      ASSERT_NE(check, nullptr);
      check->setChecked(true);
    }
    if (!text.isEmpty()) dialog->findChild<QLineEdit *>()->setText(text);
    if (how == QLatin1String(kEscape)) {
      QWidget *focus = dialog->focusWidget();
      QTest::keyClick(focus ? focus : dialog, Qt::Key_Escape);
    } else if (how == QLatin1String(kClose)) {
      // As the window manager's close button does it.
      ASSERT_NE(dialog->windowHandle(), nullptr);
      dialog->windowHandle()->close();
    } else {
      QPushButton *button = dialog->findChild<QPushButton *>(how);
      ASSERT_NE(button, nullptr) << how.toStdString();
      button->click();
    }
    // Whatever ended it, the dialog is no longer shown.
    QTimer::singleShot(0, [dialog = QPointer<QDialog>(dialog)] {
      if (dialog) {
        EXPECT_FALSE(dialog->isVisible());
      }
    });
  });
}

}  // namespace

TEST(DialogFrame, StripsComeFromTheSkinAndDraggingStopsAtTheTopOfTheScreen) {
  for (const double ratio : {1.0, 2.0}) {
    const auto skin = framedSkin(ratio);
    EXPECT_EQ(ZDialogGeometry::titleStripHeight(skin.get()), 30) << ratio;
    EXPECT_EQ(ZDialogGeometry::bottomStripHeight(skin.get()), 10) << ratio;
  }
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

// Every dialog, ended by each of its buttons, by Escape and by its window's
// close button: the code it ends with and what the caller gets. Escape and
// close always give the dialog's harmless answer.
TEST(SkinnedDialogs, EveryWayOutGivesItsCode) {
  auto &defaults = UserDefaults::standardUserDefaults();
  const QString quitSetting = QStringLiteral("GeneralQuitConfirmationCancellation");
  SkinnedDialogs dialogs;
  using Ask = std::function<QString()>;
  const auto flag = [](bool value) { return QString::fromLatin1(value ? "yes" : "no"); };
  bool box = true;
  const Ask alert = [&] {
    dialogs.showAlert("Something happened", "Title");
    return QStringLiteral("shown");
  };
  const Ask confirmation = [&] {
    box = true;
    const bool confirmed = dialogs.getConfirmation("Delete", "", "Sure?", &box);
    return flag(confirmed) + " showAgain " + flag(box);
  };
  const Ask update = [&] { return QString::number(dialogs.askUpdate("A new version")); };
  const Ask deleteVideo = [&] {
    box = false;
    const bool confirmed = dialogs.getDeleteConfirmation(&box);
    return flag(confirmed) + " fromDisk " + flag(box);
  };
  const Ask quit = [&] {
    defaults.setBool(true, quitSetting);
    const int code = dialogs.askQuit(true);
    return QString::number(code) + " askAgain " + flag(defaults.boolForKey(quitSetting));
  };
  const Ask diskSpace = [&] { return QString::number(dialogs.askDiskSpace()); };
  const Ask diskSpaceDownload = [&] { return QString::number(dialogs.askDiskSpaceDownload()); };
  const Ask importUrl = [&] {
    const QString url = dialogs.getImportUrl();
    return url.isNull() ? QStringLiteral("nothing") : url;
  };

  const struct {
    const char *dialog;
    const Ask &ask;
    const char *how;
    int code;
    const char *answer;
    const char *box = "";
    const char *text = "";
  } cases[] = {
      {"Alert", alert, "ok", 0, "shown"},
      {"Alert", alert, kEscape, 0, "shown"},
      {"Alert", alert, kClose, 0, "shown"},
      // The show-again flag is the opposite of the box, however the dialog ends.
      {"DeleteDialog", confirmation, "delete", 1, "yes showAgain yes"},
      {"DeleteDialog", confirmation, "cancel", 0, "no showAgain yes"},
      {"DeleteDialog", confirmation, kEscape, 0, "no showAgain yes"},
      {"DeleteDialog", confirmation, kClose, 0, "no showAgain yes"},
      {"DeleteDialog", confirmation, "delete", 1, "yes showAgain no",
       "fDontShowDialogOptionButton"},
      {"DeleteDialog", confirmation, kEscape, 0, "no showAgain no", "fDontShowDialogOptionButton"},
      {"DeleteDialog (update)", update, "delete", 1, "1"},
      {"DeleteDialog (update)", update, "cancel", 0, "0"},
      {"DeleteDialog (update)", update, kEscape, 0, "0"},
      {"DeleteDialog (update)", update, kClose, 0, "0"},
      {"DeleteVideoAlert", deleteVideo, "delete", 1, "yes fromDisk no"},
      {"DeleteVideoAlert", deleteVideo, "delete", 1, "yes fromDisk yes", "fDeleteFromHD"},
      {"DeleteVideoAlert", deleteVideo, "cancel", 0, "no fromDisk no"},
      {"DeleteVideoAlert", deleteVideo, kEscape, 0, "no fromDisk no"},
      {"DeleteVideoAlert", deleteVideo, kClose, 0, "no fromDisk no"},
      // Only quitting with the box ticked stops the question.
      {"QuitAlert", quit, "quit", 0, "0 askAgain yes"},
      {"QuitAlert", quit, "quit", 0, "0 askAgain no", "fDoNotAskAgainCB"},
      {"QuitAlert", quit, "cancel", 1, "1 askAgain yes", "fDoNotAskAgainCB"},
      {"QuitAlert", quit, kEscape, 1, "1 askAgain yes", "fDoNotAskAgainCB"},
      {"QuitAlert", quit, kClose, 1, "1 askAgain yes", "fDoNotAskAgainCB"},
      {"DiskSpaceAlert", diskSpace, "increaseAllowedSpace", 0, "0"},
      {"DiskSpaceAlert", diskSpace, "deleteOldVideos", 1, "1"},
      {"DiskSpaceAlert", diskSpace, kEscape, 0, "0"},
      {"DiskSpaceAlert", diskSpace, kClose, 0, "0"},
      {"DiskSpaceDownloadAlert", diskSpaceDownload, "changePreferences", 0, "0"},
      {"DiskSpaceDownloadAlert", diskSpaceDownload, "deleteOldVideos", 1, "1"},
      {"DiskSpaceDownloadAlert", diskSpaceDownload, "noAction", 2, "2"},
      {"DiskSpaceDownloadAlert", diskSpaceDownload, kEscape, 2, "2"},
      {"DiskSpaceDownloadAlert", diskSpaceDownload, kClose, 2, "2"},
      {"ImportVideocastsDialog", importUrl, "import", 1, "https://example.com/feed", "",
       "https://example.com/feed"},
      {"ImportVideocastsDialog", importUrl, "cancel", 0, "nothing", "", "https://example.com/feed"},
      {"ImportVideocastsDialog", importUrl, kEscape, 0, "nothing", "", "https://example.com/feed"},
      {"ImportVideocastsDialog", importUrl, kClose, 0, "nothing"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.dialog) + " by " + c.how + (*c.box ? " with " : "") + c.box);
    int endedWith = -1;
    answerNextDialog(QString::fromLatin1(c.how), QString::fromLatin1(c.box),
                     QString::fromLatin1(c.text), &endedWith);
    EXPECT_EQ(c.ask().toStdString(), c.answer);
    EXPECT_EQ(endedWith, c.code);
  }
}

TEST(SkinnedDialogs, TheShowAgainBoxOnlyWithTheFlagAndImportOnlyForWebAddresses) {
  SkinnedDialogs dialogs;
  // Without the show-again flag the box stays hidden.
  bool boxVisible = true;
  QTimer::singleShot(0, [&] {
    QWidget *window = QApplication::activeModalWidget();
    boxVisible = window->findChild<QCheckBox *>("fDontShowDialogOptionButton")->isVisible();
    window->findChild<QPushButton *>("delete")->click();
  });
  EXPECT_TRUE(dialogs.getConfirmation("Delete", "Sure?"));
  EXPECT_FALSE(boxVisible);

  // Import takes only a web address: for anything else it stays disabled.
  for (const char *text : {"", "ftp://example.com/feed", "example.com/feed"}) {
    SCOPED_TRACE(text);
    bool importEnabled = true;
    QTimer::singleShot(0, [&] {
      QWidget *window = QApplication::activeModalWidget();
      window->findChild<QLineEdit *>()->setText(text);
      QPushButton *import = window->findChild<QPushButton *>("import");
      importEnabled = import->isEnabled();
      import->click();  // does nothing
      EXPECT_TRUE(window->isVisible());
      window->findChild<QPushButton *>("cancel")->click();
    });
    EXPECT_TRUE(dialogs.getImportUrl().isNull());
    EXPECT_FALSE(importEnabled);
  }
}

TEST(SkinnedDialogs, TheQuitQuestionSpeaksOfDownloadsOnlyWhenSomeRun) {
  SkinnedDialogs dialogs;
  for (const bool running : {true, false}) {
    SCOPED_TRACE(running ? "downloads running" : "no downloads");
    QString shown;
    QTimer::singleShot(0, [&] {
      QWidget *window = QApplication::activeModalWidget();
      for (const QLabel *label : window->findChildren<QLabel *>()) shown += label->text() + "\n";
      window->findChild<QPushButton *>("cancel")->click();
    });
    EXPECT_EQ(dialogs.askQuit(running), 1);
    EXPECT_TRUE(shown.contains("Do you really want to quit Zaro Player?")) << shown.toStdString();
    EXPECT_EQ(shown.contains("Downloads in progress will stop."), running) << shown.toStdString();
  }
}
