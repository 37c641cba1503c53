#pragma once

#include "SettingsValues.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SettingsStepper;

// The three pages of the settings window (General, Downloads, Playback) and
// their controls, each named by its label for assistive technology.
struct SettingsPages {
  explicit SettingsPages(QWidget *parent);

  // The numbers the subscriptions pop-up offers (each item's tag).
  static QList<int> videoCountChoices();

  // Fills the controls; the pop-ups select the item whose tag is the value,
  // else their first item. The steppers and the description are the
  // controller's.
  void show(const SettingsValues &values);
  // The values the controls hold, with the percentage and count the
  // controller read from their fields.
  SettingsValues values(double percentage, int count) const;

  QWidget *fGeneralView;
  QWidget *fDownloadsView;
  QWidget *fPlaybackView;

  QCheckBox *fGeneralLaunchAtStartupCB;
  QCheckBox *fGeneralQuitConfirmationCB;
  QComboBox *fGeneralSkinPopup;
  QCheckBox *fGeneralRepeatPlaybackCB;  // on the Playback page, the one playback setting

  QLineEdit *fDownloadsLocationTextField;
  QPushButton *fDownloadsLocationButton;
  QLineEdit *fDownloadsUsageTextField;
  SettingsStepper *fDownloadsUsageStepper;
  QLabel *fDownloadsUsageDescriptionField;
  QLineEdit *fDownloadsMaxCountTextField;
  SettingsStepper *fDownloadsMaxCountStepper;
  QComboBox *fSubscriptionsNumToDownloadPopup;
  QCheckBox *fDownloadsDisplayNotificationsCB;
  QCheckBox *fDownloadsCancellationConfirmationCB;
};
