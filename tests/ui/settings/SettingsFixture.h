#pragma once

// A settings window over its own user defaults (with the registered
// defaults and a download location of its own), scripted alerts, a free
// space and media folder size the test sets, and a folder dialog that
// answers what the test says.

#include "Dialogs.h"
#include "Localization.h"
#include "Preferences.h"
#include "QtPrinters.h"
#include "SettingsController.h"
#include "SettingsStepper.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "ZSettingsTabButtonView.h"
#include "ZSkin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class SettingsFixture : public ::testing::Test {
 protected:
  static constexpr quint64 kGiB = quint64(1) << 30;

  void SetUp() override {
    ZSkinManager &skins = ZSkinManager::sharedSkinManager();
    skins.setCurrentSkin(skins.getDefaultSkin());
    fRoot = TestEnvironment::makeTempDir(QStringLiteral("settings"));
    fSettingsFile = fRoot + "/settings.ini";
    fDefaults = std::make_unique<UserDefaults>(fSettingsFile);
    Preferences::registerBatchB(*fDefaults, fRoot);
    fLocation = fRoot + "/location";
    QDir().mkpath(fLocation);
    fDefaults->setString(fLocation, QStringLiteral("DownloadLocation"));
    fDialogs = std::make_unique<ScriptedDialogs>();

    SettingsEnvironment environment;
    environment.defaults = fDefaults.get();
    environment.dialogs = fDialogs.get();
    environment.freeBytes = [this](const QString &path) {
      fFreeBytesAskedFor = path;
      return fFreeBytes;
    };
    environment.mediaFolderSize = [this] { return fMediaFolderSize; };
    environment.deleteVideosToFreeUpDiskSpace = [this](quint64 needed, quint64 allowed) {
      fDeletions.append({needed, allowed});
    };
    environment.chooseFolder = [this](QWidget *, const QString &, const QString &start) {
      fChooserStartedIn = start;
      return fChosenFolder;
    };
    fController = std::make_unique<SettingsController>(std::move(environment));
  }

  void TearDown() override {
    fController.reset();
    ZSkinManager::sharedSkinManager().setCurrentSkin(nullptr);
  }

  SettingsPages &pages() { return fController->pages(); }
  ZDialog *window() { return fController->window(); }

  // What the settings file holds for the key (an invalid value when nothing).
  QVariant stored(const QString &key) const {
    return QSettings(fSettingsFile, QSettings::IniFormat).value(key);
  }

  // Types into a field the way a user does: everything in it replaced.
  static void type(QLineEdit *field, const QString &text) {
    field->selectAll();
    if (text.isEmpty())
      QTest::keyClick(field, Qt::Key_Delete);
    else
      QTest::keyClicks(field, text);
  }

  QStringList alerts() const { return fDialogs->asked().filter(QRegularExpression("^alert ")); }

  QString fRoot;
  QString fSettingsFile;
  QString fLocation;
  std::unique_ptr<UserDefaults> fDefaults;
  std::unique_ptr<ScriptedDialogs> fDialogs;
  std::unique_ptr<SettingsController> fController;
  quint64 fFreeBytes = 100 * kGiB;
  quint64 fMediaFolderSize = 0;
  QString fFreeBytesAskedFor;
  QList<QPair<quint64, quint64>> fDeletions;
  QString fChosenFolder;
  QString fChooserStartedIn;
};
