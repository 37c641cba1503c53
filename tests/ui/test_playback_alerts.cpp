// The player's two alerts in the skinned frame: the codec alert with the
// confirmation its cancel button asks for, and the load-error alert, both
// over the playback window.
#include "Localization.h"
#include "SkinnedDialogs.h"
#include "ZApplicationState.h"
#include "ZSkin.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

// Runs the step on the next modal dialog once it is up.
void onNextDialog(std::function<void(QWidget *)> step) {
  QTimer::singleShot(0, [step] {
    QWidget *window = QApplication::activeModalWidget();
    ASSERT_NE(window, nullptr);
    step(window);
  });
}

void click(QWidget *window, const char *button) {
  auto *target = window->findChild<QPushButton *>(button);
  ASSERT_NE(target, nullptr) << button;
  target->click();
}

}  // namespace

TEST(PlaybackAlerts, TheCodecAlertEndsOnlyWhenTheUserGoesToThePageOrGivesUp) {
  QWidget playbackWindow;
  playbackWindow.show();
  ZApplicationState::sharedStateManager().setPlaybackWindow(&playbackWindow);
  SkinnedDialogs dialogs;

  QString shown, parentName;
  onNextDialog([&](QWidget *alert) {
    shown = alert->findChild<QLabel *>("fMessageText")->text();
    parentName = alert->parentWidget() == &playbackWindow ? "playback window" : "other";
    EXPECT_EQ(alert->objectName(), "CodecRequiredAlert");
    click(alert, "goToCodecSite");
  });
  EXPECT_EQ(dialogs.showCodecRequiredAlert("needs a decoder"), 1);
  EXPECT_EQ(shown, "needs a decoder");
  EXPECT_EQ(parentName, "playback window");

  // Cancel asks; "no" keeps the alert up, Escape asks again, "yes" gives up.
  QStringList steps;
  onNextDialog([&](QWidget *alert) {
    onNextDialog([&, alert](QWidget *confirm) {
      steps << confirm->objectName();
      onNextDialog([&, alert](QWidget *again) {
        steps << (again == alert ? "alert still up" : "alert gone");
        onNextDialog([&](QWidget *second) {
          steps << second->objectName();
          click(second, "yes");
        });
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(alert, &escape);
      });
      click(confirm, "no");
    });
    click(alert, "cancel");
  });
  EXPECT_EQ(dialogs.showCodecRequiredAlert("needs a decoder"), 0);
  EXPECT_EQ(steps, QStringList({"CodecRequiredConfirmAlert", "alert still up",
                                "CodecRequiredConfirmAlert"}));
  ZApplicationState::sharedStateManager().setPlaybackWindow(nullptr);
}

TEST(PlaybackAlerts, TheLoadErrorAlertOffersTheNeighbourOrCancel) {
  // The default skin's caption is large: the alert is as wide as it needs.
  ZSkinManager &skins = ZSkinManager::sharedSkinManager();
  skins.setCurrentSkin(skins.getDefaultSkin());
  const auto caption = skins.getCurrentSkin()->dialogCaptionAttributes();
  ASSERT_TRUE(caption.has_value());
  SkinnedDialogs dialogs;
  QString title, buttonText;
  int width = 0, captionWidth = 0;
  onNextDialog([&](QWidget *alert) {
    title = alert->windowTitle();
    width = alert->width();
    captionWidth = QFontMetrics(caption->font).horizontalAdvance(title);
    buttonText = alert->findChild<QPushButton *>("next")->text();
    EXPECT_TRUE(alert->findChild<QPushButton *>("next")->isDefault());
    click(alert, "next");
  });
  EXPECT_EQ(dialogs.askLoadError("movie.mp4 cannot be read", "Previous Movie"), 1);
  EXPECT_EQ(title, "Error loading movie:");
  EXPECT_GT(width, captionWidth) << "the caption must not be cut";
  EXPECT_EQ(buttonText, "Previous Movie");

  onNextDialog([](QWidget *alert) { click(alert, "cancel"); });
  EXPECT_EQ(dialogs.askLoadError("movie.mp4 cannot be read", "Next Movie"), 0);
  onNextDialog([](QWidget *alert) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(alert, &escape);
  });
  EXPECT_EQ(dialogs.askLoadError("movie.mp4 cannot be read", "Next Movie"), 0);
  skins.setCurrentSkin(nullptr);
}
