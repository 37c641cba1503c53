#include "UninstallerController.h"

#include "ApplicationIdentity.h"
#include "Localization.h"
#include "LoginItems.h"
#include "SingleInstance.h"
#include "UserDefaults.h"
#include "ZFolderManager.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtGlobal>

UninstallerSetup UninstallerSetup::standard() {
  UninstallerSetup setup;
  const QString here = QCoreApplication::applicationDirPath();
  setup.installedApplicationPath = QDir(here).filePath(QStringLiteral("zaro-player"));
  setup.scriptPath = QDir::cleanPath(here + QStringLiteral("/../share/zaro-player/uninstall.sh"));
  setup.playerInstanceKey = ZFolderManager::applicationSupportRoot() + QLatin1Char('/') +
                            ApplicationIdentity::applicationName();
  return setup;
}

UninstallerController::UninstallerController(ZFolderManager &folders, UserDefaults &defaults,
                                             UninstallerSetup setup, QWidget *parent)
    : QWidget(parent), fFolders(folders), fDefaults(defaults), fSetup(std::move(setup)) {
  setWindowTitle(localized(QStringLiteral("uninstallerWindowTitle")));
  auto *layout = new QVBoxLayout(this);
  auto *explanation = new QLabel(localized(QStringLiteral("uninstallerExplanation")), this);
  explanation->setWordWrap(true);
  layout->addWidget(explanation);
  fRemoveClientCheckBox = new QCheckBox(localized(QStringLiteral("uninstallerRemoveClient")), this);
  fRemoveMediaCheckBox = new QCheckBox(localized(QStringLiteral("uninstallerRemoveMedia")), this);
  layout->addWidget(fRemoveClientCheckBox);
  layout->addWidget(fRemoveMediaCheckBox);
  fLogView = new QPlainTextEdit(this);
  fLogView->setMinimumSize(420, 160);
  layout->addWidget(fLogView);
  fProgress = new QProgressBar(this);
  fProgress->setRange(0, 100);
  fProgress->setValue(0);
  fProgress->setTextVisible(false);
  layout->addWidget(fProgress);
  fUninstallButton = new QPushButton(localized(QStringLiteral("uninstallerUninstall")), this);
  layout->addWidget(fUninstallButton, 0, Qt::AlignRight);

  connect(fRemoveClientCheckBox, &QCheckBox::clicked, this,
          &UninstallerController::checkboxesClicked);
  connect(fRemoveMediaCheckBox, &QCheckBox::clicked, this,
          &UninstallerController::checkboxesClicked);
  connect(fUninstallButton, &QPushButton::clicked, this, &UninstallerController::uninstall);
}

UninstallerController::~UninstallerController() {
  if (fScript) {
    fScript->disconnect(this);
    // The script was not told to go on yet: it stops by itself once its
    // input closes. Once told, it is left to finish.
    fScript->closeWriteChannel();
    fScript->waitForFinished(fConfirmed ? 30000 : 3000);
  }
}

void UninstallerController::awakeFromNib() {
  fUninstallDone = false;
  if (fFolders.setupFolders()) {
    fRemoveClientCheckBox->setChecked(false);
    fRemoveMediaCheckBox->setChecked(false);
    fRemoveClientCheckBox->setEnabled(false);
    fRemoveMediaCheckBox->setEnabled(false);
    setButtonTitle(false);
    fUninstallDone = true;
  } else {
    const bool installed = QFileInfo::exists(fSetup.installedApplicationPath);
    if (!installed) {
      fRemoveClientCheckBox->setChecked(false);
      setButtonTitle(false);
      fUninstallDone = true;
    } else {
      fRemoveClientCheckBox->setChecked(true);
      setButtonTitle(true);
    }
    fRemoveMediaCheckBox->setChecked(false);
    fRemoveClientCheckBox->setEnabled(installed);
    fRemoveMediaCheckBox->setEnabled(installed);
  }
  fLogView->setReadOnly(true);
  adjustSize();
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void UninstallerController::checkboxesClicked() {
  const bool anything = fRemoveClientCheckBox->isChecked() || fRemoveMediaCheckBox->isChecked();
  setButtonTitle(anything);
  fUninstallDone = !anything;
}

void UninstallerController::uninstall() {
  if (fUninstallDone) {
    emit terminateRequested();
    return;
  }
  if (fScript) return;
  QStringList command = fSetup.elevation;
  command += scriptCommandLine();
  fScript = new QProcess(this);
  fConfirmed = false;
  fPendingLine.clear();
  fDecoder = QStringDecoder(QStringDecoder::Utf8);
  // Its errors are its own affair; only what it reports on standard output
  // is shown.
  fScript->setProcessChannelMode(QProcess::SeparateChannels);
  fScript->setStandardErrorFile(QProcess::nullDevice());
  connect(fScript, &QProcess::readyReadStandardOutput, this,
          &UninstallerController::standardOutputData);
  connect(fScript, &QProcess::finished, this, &UninstallerController::scriptFinished);
  connect(fScript, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) scriptFailedToStart();
  });
  fBoxesEnabled = fRemoveClientCheckBox->isEnabled();
  setControlsEnabled(false);
  fScript->start(command.takeFirst(), command);
}

QString UninstallerController::mediaFolderPath() const {
  const QVariant location = fDefaults.objectForKey(QStringLiteral("DownloadLocation"));
  if (location.typeId() == QMetaType::QString && !location.toString().isEmpty())
    return QDir(location.toString()).filePath(QStringLiteral("ZaroMedia"));
  return fFolders.defaultMediaFilesFolderPath();
}

QStringList UninstallerController::scriptCommandLine() const {
  const auto flag = [](const QCheckBox *box) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  };
  return {fSetup.shellPath, fSetup.scriptPath, flag(fRemoveClientCheckBox),
          flag(fRemoveMediaCheckBox), mediaFolderPath()};
}

void UninstallerController::standardOutputData() {
  if (!fScript) return;
  const QByteArray data = fScript->readAllStandardOutput();
  if (data.isEmpty()) return;
  if (fConfirmed) {
    appendLog(fDecoder.decode(data));
    return;
  }
  // The first whole line proves that the script runs with the rights.
  fPendingLine += data;
  const qsizetype end = fPendingLine.indexOf('\n');
  if (end < 0) return;
  appendLog(fDecoder.decode(fPendingLine));
  fPendingLine.clear();
  confirmScript();
}

void UninstallerController::confirmScript() {
  fConfirmed = true;
  quitZaro();
  if (fRemoveClientCheckBox->isChecked()) removeLoginItem();
  fScript->write("go\n");
  fScript->closeWriteChannel();
}

void UninstallerController::scriptFinished(int exitCode, QProcess::ExitStatus status) {
  standardOutputData();
  const bool confirmed = fConfirmed;
  fScript->deleteLater();
  fScript = nullptr;
  if (!confirmed) {
    // Refused or cancelled before the script ran: nothing was changed and
    // the window is as it was.
    qWarning("AuthorizationCopyRights() returned %d",
             status == QProcess::NormalExit ? exitCode : -1);
    fRemoveClientCheckBox->setEnabled(fBoxesEnabled);
    fRemoveMediaCheckBox->setEnabled(fBoxesEnabled);
    fUninstallButton->setEnabled(true);
    return;
  }
  setButtonTitle(false);
  fUninstallButton->setEnabled(true);
  fUninstallDone = true;
}

void UninstallerController::scriptFailedToStart() {
  if (!fScript) return;
  qWarning("AuthorizationExecuteWithPrivileges() returned %d", int(fScript->error()));
  fScript->deleteLater();
  fScript = nullptr;
  fRemoveClientCheckBox->setEnabled(fBoxesEnabled);
  fRemoveMediaCheckBox->setEnabled(fBoxesEnabled);
  fUninstallButton->setEnabled(true);
}

void UninstallerController::removeLoginItem() {
  const auto items = LoginItems::copyLoginItems();
  if (!items) return;
  const int index = LoginItems::indexOfPlayer(*items);
  if (index >= 0) LoginItems::remove(index);
}

void UninstallerController::quitZaro() {
  // The player may not be running; that is fine.
  if (!fSetup.playerInstanceKey.isEmpty()) SingleInstance::sendQuit(fSetup.playerInstanceKey, 2000);
}

void UninstallerController::setButtonTitle(bool uninstall) {
  fUninstallButton->setText(localized(uninstall ? QStringLiteral("uninstallerUninstall")
                                                : QStringLiteral("uninstallerQuit")));
}

void UninstallerController::setControlsEnabled(bool enabled) {
  fUninstallButton->setEnabled(enabled);
  fRemoveClientCheckBox->setEnabled(enabled);
  fRemoveMediaCheckBox->setEnabled(enabled);
}

void UninstallerController::appendLog(const QString &text) {
  QTextCursor cursor = fLogView->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
  fLogView->setTextCursor(cursor);
}

void UninstallerController::closeEvent(QCloseEvent *event) {
  event->accept();
  emit terminateRequested();
}
