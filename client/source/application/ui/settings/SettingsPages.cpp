#include "SettingsPages.h"

#include "Localization.h"
#include "SettingsStepper.h"
#include "ZSkin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QString text(const char *key) { return localized(QLatin1String(key)); }

// A label's text as the name of the control it stands for ("Skin:" -> "Skin").
QString nameOf(const QString &label) {
  QString name = label;
  name.remove(QLatin1Char('&'));
  while (name.endsWith(QLatin1Char(':')) || name.endsWith(QLatin1Char(' '))) name.chop(1);
  return name;
}

QCheckBox *checkBox(const char *objectName, const char *key, QWidget *parent) {
  auto *box = new QCheckBox(text(key), parent);
  box->setObjectName(QLatin1String(objectName));
  return box;
}

// A label for a control: its buddy (Alt and the marked letter reach it) and
// the source of the control's accessible name.
QLabel *labelFor(QWidget *control, const char *key, QWidget *parent) {
  auto *label = new QLabel(text(key), parent);
  label->setBuddy(control);
  control->setAccessibleName(nameOf(label->text()));
  return label;
}

QLineEdit *numberField(const char *objectName, QWidget *parent) {
  auto *field = new QLineEdit(parent);
  field->setObjectName(QLatin1String(objectName));
  field->setMaxLength(12);
  field->setFixedWidth(64);
  field->setAlignment(Qt::AlignRight);
  return field;
}

// A new page (its controls go into `page`) and the column that lays it out.
QVBoxLayout *newPage(QWidget *&page, const char *objectName, QWidget *parent) {
  page = new QWidget(parent);
  page->setObjectName(QLatin1String(objectName));
  auto *layout = new QVBoxLayout(page);
  layout->setContentsMargins(24, 24, 24, 20);
  layout->setSpacing(12);
  return layout;
}

// A row of the grid: the label of `control` on the left, the row's controls
// on the right, left-aligned.
QHBoxLayout *gridRow(QGridLayout *grid, int row, QWidget *control, const char *labelKey) {
  auto *controls = new QHBoxLayout;
  controls->setSpacing(6);
  grid->addWidget(labelFor(control, labelKey, control->parentWidget()), row, 0);
  grid->addLayout(controls, row, 1);
  return controls;
}

// The skins beside the default one, by folder name; the default first.
QStringList skinNames() {
  QStringList names{text("settingsWindowGeneralSkinDefault")};
  const QDir skins(ZSkinManager::resourcesFolder() + QStringLiteral("/skins"));
  for (const QFileInfo &folder : skins.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    if (folder.fileName() != QLatin1String("defaultskin") &&
        QFileInfo(folder.filePath() + QStringLiteral("/Skin.xml")).isFile())
      names.append(folder.fileName());
  return names;
}

void selectTag(QComboBox *popup, int tag) {
  const int index = popup->findData(tag);
  popup->setCurrentIndex(index >= 0 ? index : 0);
}

}  // namespace

QList<int> SettingsPages::videoCountChoices() { return {1, 2, 3, 4, 5, 10}; }

SettingsPages::SettingsPages(QWidget *parent) {
  // ---- General ----
  {
    QVBoxLayout *layout = newPage(fGeneralView, "fGeneralView", parent);
    fGeneralLaunchAtStartupCB = checkBox("fGeneralLaunchAtStartupCB",
                                         "settingsWindowGeneralLaunchAtStartup", fGeneralView);
    fGeneralQuitConfirmationCB = checkBox("fGeneralQuitConfirmationCB",
                                          "settingsWindowGeneralQuitConfirmation", fGeneralView);
    fGeneralSkinPopup = new QComboBox(fGeneralView);
    fGeneralSkinPopup->setObjectName(QStringLiteral("fGeneralSkinPopup"));
    fGeneralSkinPopup->addItems(skinNames());
    auto *skinRow = new QHBoxLayout;
    QLabel *skinLabel = labelFor(fGeneralSkinPopup, "settingsWindowGeneralSkin", fGeneralView);
    skinRow->addWidget(skinLabel);
    skinRow->addWidget(fGeneralSkinPopup);
    skinRow->addStretch();
    // A choice of one skin is no choice: the row shows once there are others.
    if (fGeneralSkinPopup->count() < 2) {
      skinLabel->hide();
      fGeneralSkinPopup->hide();
    }
    layout->addWidget(fGeneralLaunchAtStartupCB);
    layout->addWidget(fGeneralQuitConfirmationCB);
    layout->addLayout(skinRow);
    layout->addStretch();
  }

  // ---- Downloads ----
  {
    QVBoxLayout *layout = newPage(fDownloadsView, "fDownloadsView", parent);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(1, 1);

    fDownloadsLocationTextField = new QLineEdit(fDownloadsView);
    fDownloadsLocationTextField->setObjectName(QStringLiteral("fDownloadsLocationTextField"));
    fDownloadsLocationButton =
        new QPushButton(text("settingsWindowDownloadsChooseLocation"), fDownloadsView);
    fDownloadsLocationButton->setObjectName(QStringLiteral("selectDownloadPath"));
    QHBoxLayout *locationRow =
        gridRow(grid, 0, fDownloadsLocationTextField, "settingsWindowDownloadsLocation");
    locationRow->addWidget(fDownloadsLocationTextField, 1);
    locationRow->addWidget(fDownloadsLocationButton);

    fDownloadsUsageTextField = numberField("fDownloadsUsageTextField", fDownloadsView);
    fDownloadsUsageStepper = new SettingsStepper(1, 50, 1, fDownloadsView);
    fDownloadsUsageStepper->setObjectName(QStringLiteral("fDownloadsUsageStepper"));
    fDownloadsUsageStepper->setArrowNames(text("settingsWindowDownloadsDiskUsageMore"),
                                          text("settingsWindowDownloadsDiskUsageLess"));
    fDownloadsUsageDescriptionField = new QLabel(fDownloadsView);
    fDownloadsUsageDescriptionField->setObjectName(
        QStringLiteral("fDownloadsUsageDescriptionField"));
    QHBoxLayout *usageRow =
        gridRow(grid, 1, fDownloadsUsageTextField, "settingsWindowDownloadsDiskUsage");
    usageRow->addWidget(fDownloadsUsageTextField);
    usageRow->addWidget(fDownloadsUsageStepper);
    usageRow->addWidget(new QLabel(text("settingsWindowDownloadsDiskUsageUnit"), fDownloadsView));
    usageRow->addWidget(fDownloadsUsageDescriptionField, 1);

    fDownloadsMaxCountTextField = numberField("fDownloadsMaxCountTextField", fDownloadsView);
    // Bounded as it is typed: a number outside the range cannot be entered
    // (one digit; Qt's integer validator lets "9" through as a beginning).
    static_assert(SettingsRules::kMinSimultaneousCount >= 0 &&
                  SettingsRules::kMaxSimultaneousCount <= 9);
    fDownloadsMaxCountTextField->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[%1-%2]")
                               .arg(SettingsRules::kMinSimultaneousCount)
                               .arg(SettingsRules::kMaxSimultaneousCount)),
        fDownloadsMaxCountTextField));
    fDownloadsMaxCountStepper = new SettingsStepper(1, 4, 1, fDownloadsView);
    fDownloadsMaxCountStepper->setObjectName(QStringLiteral("fDownloadsMaxCountStepper"));
    fDownloadsMaxCountStepper->setArrowNames(text("settingsWindowDownloadsMaxCountMore"),
                                             text("settingsWindowDownloadsMaxCountLess"));
    QHBoxLayout *countRow =
        gridRow(grid, 2, fDownloadsMaxCountTextField, "settingsWindowDownloadsMaxCount");
    countRow->addWidget(fDownloadsMaxCountTextField);
    countRow->addWidget(fDownloadsMaxCountStepper);
    countRow->addStretch();

    fSubscriptionsNumToDownloadPopup = new QComboBox(fDownloadsView);
    fSubscriptionsNumToDownloadPopup->setObjectName(
        QStringLiteral("fSubscriptionsNumToDownloadPopup"));
    for (int count : videoCountChoices())
      fSubscriptionsNumToDownloadPopup->addItem(
          count == 1 ? text("settingsWindowSubscriptionsOneVideo")
                     : localizedFormat(QStringLiteral("settingsWindowSubscriptionsNVideos"), {count}),
          count);
    QHBoxLayout *subscriptionsRow = gridRow(grid, 3, fSubscriptionsNumToDownloadPopup,
                                            "settingsWindowSubscriptionsNumToDownload");
    subscriptionsRow->addWidget(fSubscriptionsNumToDownloadPopup);
    subscriptionsRow->addStretch();
    layout->addLayout(grid);

    fDownloadsDisplayNotificationsCB = checkBox(
        "fDownloadsDisplayNotificationsCB", "settingsWindowDownloadsNotification", fDownloadsView);
    fDownloadsCancellationConfirmationCB =
        checkBox("fDownloadsCancellationConfirmationCB",
                 "settingsWindowDownloadsCancellationConfirmation", fDownloadsView);
    layout->addWidget(fDownloadsDisplayNotificationsCB);
    layout->addWidget(fDownloadsCancellationConfirmationCB);
    layout->addStretch();
  }

  // ---- Playback ----
  {
    QVBoxLayout *layout = newPage(fPlaybackView, "fPlaybackView", parent);
    fGeneralRepeatPlaybackCB =
        checkBox("fGeneralRepeatPlaybackCB", "settingsWindowPlaybackRepeat", fPlaybackView);
    layout->addWidget(fGeneralRepeatPlaybackCB);
    layout->addStretch();
  }
}

void SettingsPages::show(const SettingsValues &values) {
  fGeneralLaunchAtStartupCB->setChecked(values.openClientAtStartup);
  fGeneralRepeatPlaybackCB->setChecked(values.loopVideoPlay);
  fGeneralQuitConfirmationCB->setChecked(values.quitConfirmation);
  fGeneralSkinPopup->setCurrentIndex(0);  // offered, never stored
  fDownloadsLocationTextField->setText(values.downloadLocation);
  fDownloadsUsageTextField->setText(SettingsRules::percentageText(values.allowedDiskUsage));
  fDownloadsMaxCountTextField->setText(QString::number(values.maxSimultaneousCount));
  fDownloadsDisplayNotificationsCB->setChecked(values.newVideoNotification);
  fDownloadsCancellationConfirmationCB->setChecked(values.confirmCancellation);
  selectTag(fSubscriptionsNumToDownloadPopup, values.videoCount);
}

SettingsValues SettingsPages::values(double percentage, int count) const {
  SettingsValues values;
  values.openClientAtStartup = fGeneralLaunchAtStartupCB->isChecked();
  values.loopVideoPlay = fGeneralRepeatPlaybackCB->isChecked();
  values.quitConfirmation = fGeneralQuitConfirmationCB->isChecked();
  values.downloadLocation = SettingsRules::normalizedLocation(fDownloadsLocationTextField->text());
  values.allowedDiskUsage = percentage;
  values.maxSimultaneousCount = count;
  values.newVideoNotification = fDownloadsDisplayNotificationsCB->isChecked();
  values.confirmCancellation = fDownloadsCancellationConfirmationCB->isChecked();
  values.videoCount = fSubscriptionsNumToDownloadPopup->currentData().toInt();
  return values;
}
