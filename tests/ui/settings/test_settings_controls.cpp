// The settings window's controls: what they show, the steppers and the
// description of the allowed space, the subscriptions pop-up, the skin
// pop-up and the download location chooser with its refusals.
#include "SettingsFixture.h"

#include <QFile>
#include <QToolButton>

#include <unistd.h>

TEST_F(SettingsFixture, ControlsShowTheStoredValues) {
  fDefaults->setBool(false, "GeneralOpenClientAtStartup");
  fDefaults->setBool(true, "PlaybackLoopVideoPlay");
  fDefaults->setDouble(12.5, "DownloadAllowedDiskUsage");
  fDefaults->setInteger(3, "DownloadMaxSimultaneousCount");
  fDefaults->setBool(false, "DownloadConfirmCancellation");
  fDefaults->setInteger(5, "DownloadVideoCount");
  fController->showWindow();
  EXPECT_FALSE(pages().fGeneralLaunchAtStartupCB->isChecked());
  EXPECT_TRUE(pages().fGeneralRepeatPlaybackCB->isChecked());
  EXPECT_TRUE(pages().fGeneralQuitConfirmationCB->isChecked());
  EXPECT_EQ(pages().fDownloadsLocationTextField->text(), fLocation);
  EXPECT_EQ(pages().fDownloadsUsageTextField->text(), "12.5");
  EXPECT_EQ(pages().fDownloadsMaxCountTextField->text(), "3");
  EXPECT_TRUE(pages().fDownloadsDisplayNotificationsCB->isChecked());
  EXPECT_FALSE(pages().fDownloadsCancellationConfirmationCB->isChecked());
  EXPECT_EQ(pages().fSubscriptionsNumToDownloadPopup->currentData().toInt(), 5);
  EXPECT_EQ(pages().fGeneralSkinPopup->currentIndex(), 0);
  EXPECT_EQ(pages().fGeneralSkinPopup->currentText(), localized("settingsWindowGeneralSkinDefault"));
  EXPECT_EQ(fController->selectedTab(), "General");
  EXPECT_EQ(window()->objectName(), "Settings");
}

TEST_F(SettingsFixture, AVideoCountNoItemCarriesShowsTheFirstItem) {
  for (int stored : {7, 0, -2, 1000}) {
    fDefaults->setInteger(stored, "DownloadVideoCount");
    fController->showWindow();
    EXPECT_EQ(pages().fSubscriptionsNumToDownloadPopup->currentIndex(), 0) << stored;
    fController->cancel();
  }
  // Each item's tag is the number it stores.
  QList<int> tags;
  for (int i = 0; i < pages().fSubscriptionsNumToDownloadPopup->count(); ++i)
    tags.append(pages().fSubscriptionsNumToDownloadPopup->itemData(i).toInt());
  EXPECT_EQ(tags, SettingsPages::videoCountChoices());
}

TEST_F(SettingsFixture, TheSkinPopupOffersTheSkinsAndStoresNothing) {
  fController->showWindow();
  QComboBox *skins = pages().fGeneralSkinPopup;
  ASSERT_GE(skins->count(), 1);
  // Shown only when there is a choice.
  EXPECT_EQ(skins->isVisibleTo(window()), skins->count() > 1);
  skins->setCurrentIndex(skins->count() - 1);
  fController->save();
  EXPECT_EQ(QSettings(fSettingsFile, QSettings::IniFormat).allKeys(),
            QStringList({"DownloadLocation"}));
  fController->showWindow();
  EXPECT_EQ(skins->currentIndex(), 0);
}

TEST_F(SettingsFixture, TheDescriptionTellsTheAllowedSpaceInGigabytesOrMegabytes) {
  struct Case {
    quint64 freeBytes;
    const char *percentage;
    QString text;
  } cases[] = {
      {100 * kGiB, "10", "10 GB"},       {100 * kGiB, "12.5", "12.5 GB"},
      {10 * kGiB, "10", "1 GB"},         {5 * kGiB, "10", "512 MB"},
      {5 * kGiB, "1", "51 MB"},          {0, "10", "0 MB"},
      {3 * kGiB, "33", "1014 MB"},          {100 * kGiB, "junk", "0 MB"},
  };
  fController->showWindow();
  for (const Case &c : cases) {
    fFreeBytes = c.freeBytes;
    type(pages().fDownloadsUsageTextField, c.percentage);
    EXPECT_EQ(pages().fDownloadsUsageDescriptionField->text(), c.text)
        << c.freeBytes << " " << c.percentage;
  }
  // It follows the location field: a chosen folder's free space counts.
  const QString other = fRoot + "/other";
  QDir().mkpath(other);
  fChosenFolder = other;
  fController->selectDownloadPath();
  EXPECT_EQ(fFreeBytesAskedFor, other);
}

TEST_F(SettingsFixture, SteppersMirrorTheFieldsWithinTheirRanges) {
  fController->showWindow();
  SettingsStepper *usage = pages().fDownloadsUsageStepper;
  SettingsStepper *count = pages().fDownloadsMaxCountStepper;
  struct Mirror {
    QLineEdit *field;
    SettingsStepper *stepper;
    const char *text;
    double value;
  } mirrors[] = {
      {pages().fDownloadsUsageTextField, usage, "0.5", 1},
      {pages().fDownloadsUsageTextField, usage, "70", 50},
      {pages().fDownloadsUsageTextField, usage, "12.5", 12.5},
      {pages().fDownloadsUsageTextField, usage, "abc", 1},
      // The count field takes nothing beyond its range as it is typed.
      {pages().fDownloadsMaxCountTextField, count, "4", 4},
      {pages().fDownloadsMaxCountTextField, count, "1", 1},
      {pages().fDownloadsMaxCountTextField, count, "3", 3},
  };
  for (const Mirror &m : mirrors) {
    type(m.field, m.text);
    EXPECT_DOUBLE_EQ(m.stepper->value(), m.value) << m.text;
  }
  // The arrows step from there, never beyond the range, and the field follows.
  type(pages().fDownloadsUsageTextField, "49.5");
  usage->moreArrow()->click();
  EXPECT_EQ(pages().fDownloadsUsageTextField->text(), "50");
  usage->moreArrow()->click();
  EXPECT_EQ(pages().fDownloadsUsageTextField->text(), "50");
  type(pages().fDownloadsUsageTextField, "0.5");
  usage->lessArrow()->click();
  EXPECT_EQ(pages().fDownloadsUsageTextField->text(), "1");
  EXPECT_NE(pages().fDownloadsUsageDescriptionField->text(), "0 MB") << "recomputed";
  type(pages().fDownloadsMaxCountTextField, "4");
  count->lessArrow()->click();
  EXPECT_EQ(pages().fDownloadsMaxCountTextField->text(), "3");
  // Up and Down in a field step it.
  QTest::keyClick(pages().fDownloadsMaxCountTextField, Qt::Key_Up);
  EXPECT_EQ(pages().fDownloadsMaxCountTextField->text(), "4");
  type(pages().fDownloadsUsageTextField, "10");
  QTest::keyClick(pages().fDownloadsUsageTextField, Qt::Key_Down);
  EXPECT_EQ(pages().fDownloadsUsageTextField->text(), "9");
}

TEST_F(SettingsFixture, AChosenFolderShowsInTheFieldAndIsStoredOnSave) {
  fController->showWindow();
  // Cancelled: nothing changes.
  fChosenFolder.clear();
  fController->selectDownloadPath();
  EXPECT_EQ(fChooserStartedIn, fLocation);
  EXPECT_EQ(pages().fDownloadsLocationTextField->text(), fLocation);

  const QString chosen = fRoot + "/videos with space";
  QDir().mkpath(chosen);
  fChosenFolder = chosen;
  QTest::mouseClick(pages().fDownloadsLocationButton, Qt::LeftButton);
  EXPECT_EQ(pages().fDownloadsLocationTextField->text(), chosen);
  EXPECT_EQ(stored("DownloadLocation").toString(), fLocation) << "not before Save";
  EXPECT_TRUE(alerts().isEmpty());
  // The next choice starts where the field points.
  fChosenFolder.clear();
  fController->selectDownloadPath();
  EXPECT_EQ(fChooserStartedIn, chosen);
  fController->save();
  EXPECT_EQ(stored("DownloadLocation").toString(), chosen);
}

TEST_F(SettingsFixture, AFolderThatCannotHoldDownloadsIsRefusedAndTheOldOneKept) {
  const QString file = fRoot + "/a-file";
  TestEnvironment::writeFile(file, "x");
  const QString mediaIsAFile = fRoot + "/media-is-a-file";
  TestEnvironment::writeFile(mediaIsAFile + "/ZaroMedia", "x");
  struct Case {
    QString path;
    const char *messageKey;
  };
  QList<Case> cases = {
      {fRoot + "/missing", "settingsWindowErrorLocationMissingMessage"},
      {file, "settingsWindowErrorLocationNotFolderMessage"},
      // No one can make a file there, whoever runs the test.
      {"/proc", "settingsWindowErrorLocationNotWritableMessage"},
      {mediaIsAFile, "settingsWindowErrorLocationMediaFolderMessage"},
  };
  if (geteuid() != 0) {
    const QString readOnly = fRoot + "/read-only";
    QDir().mkpath(readOnly);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    cases.append({readOnly, "settingsWindowErrorLocationNotWritableMessage"});
  }
  fController->showWindow();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    const QString shownPath =
        QString(c.messageKey).endsWith("MediaFolderMessage") ? c.path + "/ZaroMedia" : c.path;
    const QString message =
        "alert " + localized("settingsWindowErrorTitle") + ": " +
        localizedFormat(QString::fromLatin1(c.messageKey), {shownPath});
    // Chosen in the folder dialog: the field keeps the old location.
    fDialogs->clearAsked();
    fChosenFolder = c.path;
    fController->selectDownloadPath();
    EXPECT_EQ(alerts(), QStringList({message}));
    EXPECT_EQ(pages().fDownloadsLocationTextField->text(), fLocation);
    // Typed and saved: refused, the field back at the stored location.
    fDialogs->clearAsked();
    fController->tabSelected(fController->tabButton("General"));
    type(pages().fDownloadsLocationTextField, c.path);
    fController->save();
    EXPECT_EQ(alerts(), QStringList({message}));
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(fController->selectedTab(), "Downloads");
    EXPECT_EQ(window()->focusWidget(), pages().fDownloadsLocationTextField);
    EXPECT_EQ(pages().fDownloadsLocationTextField->text(), fLocation);
    EXPECT_EQ(stored("DownloadLocation").toString(), fLocation);
  }
  // A location that is not a full path is refused as typed.
  fDialogs->clearAsked();
  type(pages().fDownloadsLocationTextField, "videos/here");
  fController->save();
  EXPECT_EQ(alerts(),
            QStringList({"alert " + localized("settingsWindowErrorTitle") + ": " +
                         localizedFormat("settingsWindowErrorLocationNotAbsoluteMessage",
                                         {"videos/here"})}));
  // "~/..." is the home folder.
  QDir().mkpath(QDir::homePath() + "/Videos");
  type(pages().fDownloadsLocationTextField, "~/Videos");
  fController->save();
  EXPECT_EQ(stored("DownloadLocation").toString(), QDir::homePath() + "/Videos");
}

TEST_F(SettingsFixture, AStoredLocationThatWentAwayDoesNotStopOtherChanges) {
  const QString gone = fRoot + "/unplugged";
  fDefaults->setString(gone, "DownloadLocation");
  fController->showWindow();
  type(pages().fDownloadsMaxCountTextField, "2");
  fController->save();
  EXPECT_TRUE(alerts().isEmpty());
  EXPECT_EQ(stored("DownloadMaxSimultaneousCount").toInt(), 2);
  EXPECT_EQ(stored("DownloadLocation").toString(), gone);
}
