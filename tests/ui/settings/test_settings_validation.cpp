// Saving the settings window: which values pass, what a refused value does
// (the alert, the Downloads page with the field focused, the window open,
// nothing stored), the disk-space question, and what is written.
#include "SettingsFixture.h"

#include "NotificationCenter.h"

#include <QApplication>

namespace {

struct Typed {
  const char *text;
  bool accepted;
  double stored;  // when accepted
};

}  // namespace

class SettingsValidationTest : public SettingsFixture {
 protected:
  // Saves with the field holding `text` and a check box changed beside it;
  // checks the outcome as the user sees it and in the settings file.
  void saveWith(QLineEdit *field, const Typed &typed, const QString &key, const char *messageKey) {
    SCOPED_TRACE(typed.text);
    fDefaults->removeObject(key);
    fDefaults->removeObject("DownloadConfirmCancellation");
    fController->showWindow();
    fController->tabSelected(fController->tabButton("General"));
    fDialogs->clearAsked();
    pages().fDownloadsCancellationConfirmationCB->setChecked(false);
    type(field, QString::fromUtf8(typed.text));
    QTest::mouseClick(fController->saveButton(), Qt::LeftButton);
    if (typed.accepted) {
      EXPECT_TRUE(alerts().isEmpty()) << alerts().join("; ").toStdString();
      EXPECT_FALSE(window()->isVisible());
      EXPECT_DOUBLE_EQ(fDefaults->doubleForKey(key), typed.stored);
      EXPECT_EQ(stored("DownloadConfirmCancellation").toString(), "false");
    } else {
      EXPECT_EQ(alerts(), QStringList({"alert " + localized("settingsWindowErrorTitle") + ": " +
                                       localized(messageKey)}));
      EXPECT_TRUE(window()->isVisible());
      EXPECT_EQ(fController->selectedTab(), "Downloads");
      EXPECT_EQ(window()->focusWidget(), field);
      EXPECT_FALSE(stored(key).isValid());
      EXPECT_FALSE(stored("DownloadConfirmCancellation").isValid());
      fController->cancel();
    }
  }
};

TEST_F(SettingsValidationTest, PercentagesFromOneToFiftyPassAndOthersAreRefused) {
  const Typed cases[] = {
      {"1", true, 1},       {"50", true, 50},      {"12.5", true, 12.5}, {" 7 ", true, 7},
      {"0.5", false, 0},    {"50.5", false, 0},    {"0", false, 0},      {"-3", false, 0},
      {"ten", false, 0},    {"", false, 0},        {"nan", false, 0},    {"inf", false, 0},
  };
  for (const Typed &typed : cases)
    saveWith(pages().fDownloadsUsageTextField, typed, "DownloadAllowedDiskUsage",
             "settingsWindowErrorIncorrectDiskUsageMessage");
  // A stored 12.5 reads back as 12 where an integer is asked for.
  fController->showWindow();
  type(pages().fDownloadsUsageTextField, "12.5");
  fController->save();
  EXPECT_EQ(fDefaults->integerForKey("DownloadAllowedDiskUsage"), 12);
}

TEST_F(SettingsValidationTest, TheCountTakesOneToFourAsItIsTypedAndAnEmptyOneIsRefused) {
  fController->showWindow();
  QLineEdit *field = pages().fDownloadsMaxCountTextField;
  // What the field holds after the keys: nothing outside the range gets in.
  const struct {
    const char *typed;
    const char *shown;
  } keys[] = {{"1", "1"}, {"4", "4"}, {"0", ""},  {"5", ""},   {"9", ""},
              {"2.5", "2"}, {"12", "1"}, {"two", ""}, {"-3", "3"}};
  for (const auto &k : keys) {
    SCOPED_TRACE(k.typed);
    field->clear();
    QTest::keyClicks(field, QString::fromLatin1(k.typed));
    EXPECT_EQ(field->text(), QString::fromLatin1(k.shown));
  }
  const Typed cases[] = {{"2", true, 2}, {"4", true, 4}, {"", false, 0}};
  for (const Typed &typed : cases)
    saveWith(field, typed, "DownloadMaxSimultaneousCount",
             "settingsWindowErrorIncorrectMaxDownloadCountMessage");
}

TEST_F(SettingsValidationTest, TheDiskSpaceQuestionComesOnlyForAChangedPercentage) {
  // 10 % of 100 GiB is far less than the 50 GiB the media folder holds.
  fMediaFolderSize = 50 * kGiB;
  const auto asked = [&] { return fDialogs->asked().filter("diskSpace").size(); };

  fController->showWindow();
  type(pages().fDownloadsMaxCountTextField, "3");
  fController->save();
  EXPECT_EQ(asked(), 0) << "the percentage did not change";
  EXPECT_EQ(stored("DownloadMaxSimultaneousCount").toInt(), 3);
  EXPECT_FALSE(window()->isVisible());

  // "Increase the allowed space": back to the field, nothing stored.
  fController->showWindow();
  fController->tabSelected(fController->tabButton("Playback"));
  type(pages().fDownloadsUsageTextField, "12");
  fDialogs->setAnswer("diskSpace", "0");
  fController->save();
  EXPECT_EQ(asked(), 1);
  EXPECT_TRUE(window()->isVisible());
  EXPECT_EQ(fController->selectedTab(), "Downloads");
  EXPECT_EQ(window()->focusWidget(), pages().fDownloadsUsageTextField);
  EXPECT_FALSE(stored("DownloadAllowedDiskUsage").isValid());

  // Any other answer but "delete old videos" refuses too.
  fDialogs->setAnswer("diskSpace", "7");
  fController->save();
  EXPECT_EQ(asked(), 2);
  EXPECT_TRUE(window()->isVisible());
  EXPECT_FALSE(stored("DownloadAllowedDiskUsage").isValid());

  // A value refused later deletes nothing: the count is checked first.
  fDialogs->setAnswer("diskSpace", "1");
  type(pages().fDownloadsMaxCountTextField, "");
  fController->save();
  EXPECT_EQ(asked(), 2);
  EXPECT_TRUE(fDeletions.isEmpty());

  // "Delete old videos": down to 12 % of the free space, then stored.
  type(pages().fDownloadsMaxCountTextField, "2");
  fController->save();
  EXPECT_EQ(asked(), 3);
  ASSERT_EQ(fDeletions.size(), 1);
  EXPECT_EQ(fDeletions.first().first, 0u);
  EXPECT_EQ(fDeletions.first().second, 12 * kGiB);
  EXPECT_FALSE(window()->isVisible());
  EXPECT_DOUBLE_EQ(stored("DownloadAllowedDiskUsage").toDouble(), 12);

  // 12 is now the saved percentage: no question again, however full the folder.
  fController->showWindow();
  pages().fGeneralRepeatPlaybackCB->setChecked(true);
  fController->save();
  EXPECT_EQ(asked(), 3);
  EXPECT_EQ(stored("PlaybackLoopVideoPlay").toString(), "true");
}

TEST_F(SettingsValidationTest, ThePercentageIsCheckedAgainstTheNewLocationsFreeSpace) {
  const QString elsewhere = fRoot + "/elsewhere";
  QDir().mkpath(elsewhere);
  fMediaFolderSize = 1;
  fController->showWindow();
  type(pages().fDownloadsLocationTextField, elsewhere);
  type(pages().fDownloadsUsageTextField, "20");
  fController->save();
  EXPECT_EQ(fFreeBytesAskedFor, elsewhere);
  EXPECT_EQ(stored("DownloadLocation").toString(), elsewhere);
}

TEST_F(SettingsValidationTest, SavingWritesWhatChangedAtOnceAndKeepsWhatOthersStored) {
  int posts = 0;
  int owner;
  QStringList seenLocations;
  NotificationCenter::defaultCenter().addObserver(
      &owner, UserDefaults::DidChangeNotification, [&](const Notification &) {
        ++posts;
        seenLocations.append(fDefaults->stringForKey("DownloadLocation"));
      });
  fController->showWindow();
  // The quit alert's box writes this while the window is open.
  fDefaults->setBool(false, "GeneralQuitConfirmationCancellation");
  posts = 0;
  seenLocations.clear();
  const QString elsewhere = fRoot + "/other";
  QDir().mkpath(elsewhere);
  type(pages().fDownloadsLocationTextField, elsewhere + "/");
  type(pages().fDownloadsMaxCountTextField, "4");
  pages().fGeneralLaunchAtStartupCB->setChecked(false);
  pages().fSubscriptionsNumToDownloadPopup->setCurrentIndex(
      pages().fSubscriptionsNumToDownloadPopup->findData(10));
  fController->save();
  NotificationCenter::defaultCenter().removeObserver(&owner);

  EXPECT_EQ(posts, 1) << "one notification for all of the values";
  EXPECT_EQ(seenLocations, QStringList({elsewhere}));
  QSettings file(fSettingsFile, QSettings::IniFormat);
  QStringList keys = file.allKeys();
  keys.sort();
  EXPECT_EQ(keys, QStringList({"DownloadLocation", "DownloadMaxSimultaneousCount",
                               "DownloadVideoCount", "GeneralOpenClientAtStartup",
                               "GeneralQuitConfirmationCancellation"}));
  EXPECT_EQ(stored("DownloadLocation").toString(), elsewhere) << "the trailing / goes";
  EXPECT_EQ(stored("DownloadVideoCount").toInt(), 10);
  EXPECT_EQ(stored("GeneralOpenClientAtStartup").toString(), "false");
  EXPECT_EQ(stored("GeneralQuitConfirmationCancellation").toString(), "false")
      << "not overwritten with what the window showed";

  // Shown again, the hidden window shows what is stored now.
  fDefaults->setInteger(2, "DownloadMaxSimultaneousCount");
  fController->showWindow();
  EXPECT_EQ(pages().fDownloadsMaxCountTextField->text(), "2");
  EXPECT_FALSE(pages().fGeneralQuitConfirmationCB->isChecked());
  // Saving with nothing changed writes nothing.
  posts = 0;
  NotificationCenter::defaultCenter().addObserver(&owner, UserDefaults::DidChangeNotification,
                                                  [&](const Notification &) { ++posts; });
  fController->save();
  NotificationCenter::defaultCenter().removeObserver(&owner);
  EXPECT_EQ(posts, 0);
}

TEST_F(SettingsValidationTest, CancelEscapeAndTheCloseButtonThrowTheChangesAway) {
  const std::function<void()> ways[] = {
      [&] { QTest::mouseClick(fController->cancelButton(), Qt::LeftButton); },
      [&] { QTest::keyClick(pages().fDownloadsUsageTextField, Qt::Key_Escape); },
      [&] { window()->close(); },
  };
  for (const auto &leave : ways) {
    fController->showWindow();
    fController->tabSelected(fController->tabButton("Downloads"));
    type(pages().fDownloadsUsageTextField, "30");
    type(pages().fDownloadsMaxCountTextField, "9");
    pages().fDownloadsDisplayNotificationsCB->setChecked(false);
    leave();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_TRUE(QSettings(fSettingsFile, QSettings::IniFormat).allKeys() ==
                QStringList({"DownloadLocation"}));
    // The controls show the stored values again, the steppers too.
    EXPECT_EQ(pages().fDownloadsUsageTextField->text(), "10");
    EXPECT_EQ(pages().fDownloadsUsageStepper->value(), 10);
    EXPECT_EQ(pages().fDownloadsMaxCountTextField->text(), "1");
    EXPECT_EQ(pages().fDownloadsMaxCountStepper->value(), 1);
    EXPECT_TRUE(pages().fDownloadsDisplayNotificationsCB->isChecked());
  }
  // Return saves, also where Cancel or the folder button had the focus.
  for (QWidget *focus : {static_cast<QWidget *>(pages().fDownloadsMaxCountTextField),
                         static_cast<QWidget *>(fController->cancelButton()),
                         static_cast<QWidget *>(pages().fDownloadsLocationButton)}) {
    fController->showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    fController->tabSelected(fController->tabButton("Downloads"));
    type(pages().fDownloadsMaxCountTextField, "3");
    focus->setFocus();
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_FALSE(window()->isVisible()) << focus->objectName().toStdString();
    EXPECT_EQ(stored("DownloadMaxSimultaneousCount").toInt(), 3);
    fDefaults->removeObject("DownloadMaxSimultaneousCount");
  }
}
