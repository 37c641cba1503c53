#include "SettingsController.h"

#include "DateUtilities.h"
#include "Dialogs.h"
#include "Localization.h"
#include "SettingsLayout.h"
#include "SettingsStepper.h"
#include "UserDefaults.h"
#include "ZDialog.h"
#include "ZPlacement.h"
#include "ZSettingsTabButtonView.h"
#include "ZSkin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The pages' identifiers, in the order of their tabs.
const QStringList kTabs = {QStringLiteral("General"), QStringLiteral("Downloads"),
                           QStringLiteral("Playback")};

constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 420;

// The window: Escape and the close button cancel; a resize places the tabs again.
class SettingsWindow : public ZDialog {
 public:
  std::function<void()> onReject;
  std::function<void()> onResize;

  void reject() override {
    if (onReject)
      onReject();
    else
      ZDialog::reject();
  }

 protected:
  void resizeEvent(QResizeEvent *event) override {
    ZDialog::resizeEvent(event);
    if (onResize) onResize();
  }
};

// The pages' panel: a white sheet with a thin border, under the tab row.
class SettingsTabView : public QStackedWidget {
 public:
  using QStackedWidget::QStackedWidget;

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  }
};

}  // namespace

SettingsController::SettingsController(SettingsEnvironment environment, QObject *parent)
    : QObject(parent), fEnvironment(std::move(environment)) {
  if (!fEnvironment.defaults) fEnvironment.defaults = &UserDefaults::standardUserDefaults();
}

SettingsController::~SettingsController() { delete fWindow; }

ZDialog *SettingsController::window() {
  if (!fWindow) windowDidLoad();
  return fWindow;
}

void SettingsController::windowDidLoad() {
  auto *window = new SettingsWindow;
  fWindow = window;
  window->setObjectName(QStringLiteral("Settings"));
  window->setWindowTitle(localized(QStringLiteral("settingsWindowTitle")));
  window->onReject = [this] { cancel(); };
  window->onResize = [this] { applySkin(); };

  auto *contentLayout = new QVBoxLayout(window->contentArea());
  contentLayout->setContentsMargins(0, 0, 0, 0);
  fActualContentView = new QWidget(window->contentArea());
  fActualContentView->setObjectName(QStringLiteral("fActualContentView"));
  contentLayout->addWidget(fActualContentView);

  // The tabs first: they lead the keyboard's way through the window.
  const auto tab = [this](const QString &identifier, const char *nameKey) {
    auto *button = new ZSettingsTabButtonView(identifier, fActualContentView);
    button->setAccessibleName(localized(QLatin1String(nameKey)));
    button->setAction([this](ZSettingsTabButtonView *sender) { tabSelected(sender); });
    return button;
  };
  fGeneralTabImage = tab(kTabs.at(0), "settingsWindowTabGeneral");
  fDownloadsTabImage = tab(kTabs.at(1), "settingsWindowTabDownloads");
  fPlaybackTabImage = tab(kTabs.at(2), "settingsWindowTabPlayback");

  fTabView = new SettingsTabView(fActualContentView);
  fTabView->setObjectName(QStringLiteral("fTabView"));
  fPages = std::make_unique<SettingsPages>(fTabView);
  fTabView->addWidget(fPages->fGeneralView);
  fTabView->addWidget(fPages->fDownloadsView);
  fTabView->addWidget(fPages->fPlaybackView);
  for (int i = 0; i < kTabs.size(); ++i)
    fTabView->widget(i)->setAccessibleName(localized(QStringLiteral("settingsWindowTab") + kTabs.at(i)));

  fCancelButton = new QPushButton(localized(QStringLiteral("dialogCancel")), fActualContentView);
  fCancelButton->setObjectName(QStringLiteral("cancel"));
  fSaveButton = new QPushButton(localized(QStringLiteral("settingsWindowSave")), fActualContentView);
  fSaveButton->setObjectName(QStringLiteral("save"));
  // Return saves, wherever the focus is; Escape cancels.
  fSaveButton->setDefault(true);
  fCancelButton->setAutoDefault(false);
  fPages->fDownloadsLocationButton->setAutoDefault(false);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(fCancelButton);
  buttons->addWidget(fSaveButton);

  auto *layout = new QVBoxLayout(fActualContentView);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(10);
  layout->addWidget(fTabView, 1);
  layout->addLayout(buttons);

  connect(fSaveButton, &QPushButton::clicked, this, &SettingsController::save);
  connect(fCancelButton, &QPushButton::clicked, this, &SettingsController::cancel);
  connect(fPages->fDownloadsLocationButton, &QPushButton::clicked, this,
          &SettingsController::selectDownloadPath);
  connect(fPages->fDownloadsUsageStepper, &SettingsStepper::stepped, this,
          &SettingsController::changeDiskUse);
  connect(fPages->fDownloadsMaxCountStepper, &SettingsStepper::stepped, this,
          &SettingsController::changeMaxSimultaneousDownloads);
  for (QLineEdit *field : {fPages->fDownloadsUsageTextField, fPages->fDownloadsMaxCountTextField,
                           fPages->fDownloadsLocationTextField})
    connect(field, &QLineEdit::textEdited, this, &SettingsController::controlTextDidChange);
  fPages->fDownloadsUsageStepper->stepWithKeysOf(fPages->fDownloadsUsageTextField);
  fPages->fDownloadsMaxCountStepper->stepWithKeysOf(fPages->fDownloadsMaxCountTextField);

  // The pages from the keyboard wherever the focus is: Ctrl+Tab and
  // Ctrl+Page Down go right, Ctrl+Shift+Tab and Ctrl+Page Up left.
  const auto shortcut = [this, window](const QKeySequence &keys, int direction) {
    auto *s = new QShortcut(keys, window);
    connect(s, &QShortcut::activated, this, [this, direction] { selectNeighbourTab(direction); });
  };
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
  shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);

  window->setFixedSize(kWindowWidth, kWindowHeight);
  applySkin();
  loadControls();
  tabSelected(fGeneralTabImage);
}

void SettingsController::showWindow() {
  const bool loaded = fWindow != nullptr;
  ZDialog *dialog = window();
  // A hidden window shows what is stored now, not what it held when it
  // was last closed (another part of the player may have written since).
  if (loaded && !dialog->isVisible()) loadControls();
  const QScreen *screen = QGuiApplication::primaryScreen();
  if (screen) {
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog->move(frame.topLeft());
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void SettingsController::loadControls() {
  fLoaded = SettingsValues::read(*fEnvironment.defaults);
  fDiskUsageValue = float(fLoaded.allowedDiskUsage);
  fPages->show(fLoaded);
  updateDiskUsageStepper();
  updateDiskUsageDescription();
  updateMaxDownloadCountStepper();
}

void SettingsController::save() {
  if (validate()) fWindow->hide();
}

void SettingsController::cancel() {
  loadControls();
  fWindow->hide();
}

bool SettingsController::validate() {
  window();
  const std::optional<double> percentage =
      SettingsRules::parsePercentage(fPages->fDownloadsUsageTextField->text());
  if (!SettingsRules::diskUsageAcceptable(percentage)) {
    refuse(fPages->fDownloadsUsageTextField,
           localized(QStringLiteral("settingsWindowErrorIncorrectDiskUsageMessage")));
    return false;
  }
  // Every value is checked before the disk-space question, whose answer may
  // delete videos: nothing is deleted for values that are then refused.
  const std::optional<int> count =
      SettingsRules::parseCount(fPages->fDownloadsMaxCountTextField->text());
  if (!SettingsRules::countAcceptable(count)) {
    refuse(fPages->fDownloadsMaxCountTextField,
           localized(QStringLiteral("settingsWindowErrorIncorrectMaxDownloadCountMessage")));
    return false;
  }
  // A new location must be able to hold the downloads; the stored one stays
  // otherwise (it is not checked again: it is what the player uses now).
  const QString location = locationFieldPath();
  if (location != fLoaded.downloadLocation) {
    const QString problem = SettingsRules::locationProblem(location);
    if (!problem.isNull()) {
      setDownloadLocation(fLoaded.downloadLocation);
      updateDiskUsageDescription();
      refuse(fPages->fDownloadsLocationTextField, problem);
      return false;
    }
  }
  if (float(*percentage) != fDiskUsageValue) {
    const quint64 allowed = Utilities::allowedDiskSpace(
        fEnvironment.freeBytes ? fEnvironment.freeBytes(location) : 0, *percentage);
    const quint64 used = fEnvironment.mediaFolderSize ? fEnvironment.mediaFolderSize() : 0;
    if (allowed < used) {
      switch (fEnvironment.alerts().askDiskSpace()) {
        case 0:  // increase the allowed space
          selectDownloadsField(fPages->fDownloadsUsageTextField);
          return false;
        case 1:  // delete old videos
          if (fEnvironment.deleteVideosToFreeUpDiskSpace)
            fEnvironment.deleteVideosToFreeUpDiskSpace(0, allowed);
          break;
        default:
          return false;
      }
    }
  }
  // Only what the user changed is written, in one go: a value another part
  // of the player stored meanwhile is not overwritten with an old one.
  const SettingsValues values = fPages->values(*percentage, *count);
  fEnvironment.defaults->setValues(values.changesFrom(fLoaded));
  fLoaded = SettingsValues::read(*fEnvironment.defaults);
  fDiskUsageValue = float(*percentage);
  setDownloadLocation(location);
  return true;
}

void SettingsController::refuse(QWidget *field, const QString &message) {
  fEnvironment.alerts().showAlert(message, localized(QStringLiteral("settingsWindowErrorTitle")));
  selectDownloadsField(field);
}

void SettingsController::selectDownloadsField(QWidget *field) {
  tabSelected(fDownloadsTabImage);
  field->setFocus(Qt::OtherFocusReason);
  if (auto *edit = qobject_cast<QLineEdit *>(field)) edit->selectAll();
}

void SettingsController::selectDownloadPath() {
  window();
  const QString field = locationFieldPath();
  const QString start = QFileInfo(field).isDir() ? field : getDownloadLocation();
  const QString chosen =
      fEnvironment.chooseFolder
          ? fEnvironment.chooseFolder(
                fWindow, localized(QStringLiteral("settingsWindowDownloadsChooseLocationTitle")),
                start)
          : QString();
  if (chosen.isEmpty()) return;  // cancelled
  const QString path = SettingsRules::normalizedLocation(chosen);
  const QString problem = SettingsRules::locationProblem(path);
  if (!problem.isNull()) {
    // The field keeps the location it had.
    fEnvironment.alerts().showAlert(problem, localized(QStringLiteral("settingsWindowErrorTitle")));
    return;
  }
  setDownloadLocation(path);
  updateDiskUsageDescription();
}

void SettingsController::changeDiskUse() {
  fPages->fDownloadsUsageTextField->setText(
      SettingsRules::percentageText(fPages->fDownloadsUsageStepper->value()));
  updateDiskUsageDescription();
}

void SettingsController::changeMaxSimultaneousDownloads() {
  fPages->fDownloadsMaxCountTextField->setText(
      QString::number(int(fPages->fDownloadsMaxCountStepper->value())));
}

void SettingsController::controlTextDidChange() {
  updateDiskUsageStepper();
  updateDiskUsageDescription();
  updateMaxDownloadCountStepper();
}

void SettingsController::updateDiskUsageStepper() {
  fPages->fDownloadsUsageStepper->setValue(SettingsRules::diskUsageStepperValue(
      SettingsRules::parsePercentage(fPages->fDownloadsUsageTextField->text())));
}

void SettingsController::updateMaxDownloadCountStepper() {
  fPages->fDownloadsMaxCountStepper->setValue(SettingsRules::countStepperValue(
      SettingsRules::parseCount(fPages->fDownloadsMaxCountTextField->text())));
}

void SettingsController::updateDiskUsageDescription() {
  const double percentage =
      SettingsRules::parsePercentage(fPages->fDownloadsUsageTextField->text()).value_or(0);
  fPages->fDownloadsUsageDescriptionField->setText(
      SettingsRules::diskUsageDescription(percentage, availableDiskSpace()));
}

void SettingsController::tabSelected(ZSettingsTabButtonView *sender) {
  if (!sender) return;
  const qsizetype index = kTabs.indexOf(sender->identifier());
  if (index < 0) return;
  fTabView->setCurrentIndex(int(index));
  for (ZSettingsTabButtonView *tab : {fGeneralTabImage, fDownloadsTabImage, fPlaybackTabImage})
    tab->setSelected(tab == sender);
}

void SettingsController::selectNeighbourTab(int direction) {
  const QList<ZSettingsTabButtonView *> tabs{fGeneralTabImage, fDownloadsTabImage,
                                             fPlaybackTabImage};
  const int next = int((fTabView->currentIndex() + direction + tabs.size()) % tabs.size());
  tabSelected(tabs.at(next));
}

QString SettingsController::selectedTab() const {
  return fTabView ? kTabs.value(fTabView->currentIndex()) : QString();
}

ZSettingsTabButtonView *SettingsController::tabButton(const QString &identifier) const {
  for (ZSettingsTabButtonView *tab : {fGeneralTabImage, fDownloadsTabImage, fPlaybackTabImage})
    if (tab && tab->identifier() == identifier) return tab;
  return nullptr;
}

QString SettingsController::getDownloadLocation() const {
  return fEnvironment.defaults->stringForKey(QStringLiteral("DownloadLocation"));
}

void SettingsController::setDownloadLocation(const QString &path) {
  window();
  fPages->fDownloadsLocationTextField->setText(path);
}

QString SettingsController::locationFieldPath() const {
  return SettingsRules::normalizedLocation(fPages->fDownloadsLocationTextField->text());
}

quint64 SettingsController::availableDiskSpace() const {
  // The folder the field names: the description follows a newly chosen one.
  const QString location = fPages ? locationFieldPath() : getDownloadLocation();
  if (location.isEmpty() || !fEnvironment.freeBytes) return 0;
  return fEnvironment.freeBytes(location);
}

void SettingsController::applySkin() {
  if (!fWindow || !fTabView) return;
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const QList<ZSettingsTabButtonView *> tabs{fGeneralTabImage, fDownloadsTabImage,
                                             fPlaybackTabImage};
  const QImage sprites[] = {skin ? skin->settingsTabGeneralImage() : QImage(),
                            skin ? skin->settingsTabDownloadsImage() : QImage(),
                            skin ? skin->settingsTabPlaybackImage() : QImage()};
  QList<QSizeF> sizes;
  for (int i = 0; i < tabs.size(); ++i) {
    tabs.at(i)->setImage(sprites[i]);
    sizes.append(QSizeF(tabs.at(i)->sizeHint()));
  }
  // In the window's bounds, y upwards; the tabs' parent starts where the
  // dialog frame's content area does.
  const QRectF bounds(QPointF(0, 0), QSizeF(fWindow->size()));
  const QList<QRectF> frames = SettingsLayout::tabButtonFrames(
      bounds, sizes, ZDialogGeometry::titleStripHeight(skin));
  const QMargins frame = fWindow->layout() ? fWindow->layout()->contentsMargins() : QMargins();
  const QPoint origin(frame.left(), frame.top());
  for (int i = 0; i < tabs.size(); ++i) {
    tabs.at(i)->setGeometry(ZPlacement::toWidgetRect(frames.at(i), bounds.height()).translated(-origin));
    tabs.at(i)->raise();
  }
  // The pages' top edge 4 above the row's bottom edge.
  const double rowY = frames.first().y();
  const double height = fTabView->height();
  const double top = bounds.height() - (SettingsLayout::tabViewOriginY(rowY, height) + height);
  fActualContentView->layout()->setContentsMargins(0, std::max(0, int(std::round(top)) - origin.y()),
                                                   0, 0);
}
