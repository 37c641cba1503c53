#include "SkinnedDialogs.h"

#include "Localization.h"
#include "ZDialog.h"
#include "UserDefaults.h"
#include "ZApplicationState.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace {

// A modal dialog whose buttons end it with their codes.
class CodeDialog : public ZDialog {
 public:
  CodeDialog(const QString &resourceName, const QString &title, const QString &message,
             QWidget *parent = nullptr)
      : ZDialog(parent) {
    setObjectName(resourceName);
    setWindowTitle(title.isEmpty() ? localized(QStringLiteral("mainWindowTitle")) : title);
    setModal(true);
    auto *layout = new QVBoxLayout(contentArea());
    layout->setContentsMargins(0, 0, 0, 0);
    fMessage = new QLabel(message, this);
    fMessage->setWordWrap(true);
    fMessage->setObjectName(QStringLiteral("fText"));
    layout->addWidget(fMessage);
    fExtras = new QVBoxLayout;
    layout->addLayout(fExtras);
    fButtons = new QHBoxLayout;
    fButtons->addStretch();
    layout->addLayout(fButtons);
  }

  QPushButton *addButton(const QString &name, const QString &title, int code, bool isDefault) {
    auto *button = new QPushButton(title, this);
    button->setObjectName(name);
    button->setDefault(isDefault);
    connect(button, &QPushButton::clicked, this, [this, code] {
      hide();
      done(code);
    });
    fButtons->addWidget(button);
    return button;
  }

  QCheckBox *addCheckBox(const QString &name, const QString &title) {
    auto *box = new QCheckBox(title, this);
    box->setObjectName(name);
    fExtras->addWidget(box);
    return box;
  }

  QVBoxLayout *extras() { return fExtras; }
  QHBoxLayout *buttons() { return fButtons; }
  QLabel *messageLabel() { return fMessage; }

  // The code that Escape and the window's close button end the dialog with:
  // its harmless answer, which is not always 0.
  void setEscapeCode(int code) { fEscapeCode = code; }

  void reject() override {
    hide();
    done(fEscapeCode);
  }

 private:
  int fEscapeCode = 0;
  QLabel *fMessage;
  QVBoxLayout *fExtras;
  QHBoxLayout *fButtons;
};

// The window that shows playback, over which the player's alerts appear.
QWidget *playbackWindow() {
  return qobject_cast<QWidget *>(ZApplicationState::sharedStateManager().playbackWindow());
}

// The codec alert: its cancel button (and Escape) only asks whether to give
// up; the alert ends with 0 once the user says yes.
class CodecRequiredAlert : public CodeDialog {
 public:
  CodecRequiredAlert(const QString &message, QWidget *parent)
      : CodeDialog(QStringLiteral("CodecRequiredAlert"), QString(), message, parent) {
    messageLabel()->setObjectName(QStringLiteral("fMessageText"));
    auto *cancel = new QPushButton(localized(QStringLiteral("dialogCancel")), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    buttons()->addWidget(cancel);
    addButton(QStringLiteral("goToCodecSite"), localized(QStringLiteral("codecRequiredGoToSite")),
              1, true);
  }

  void reject() override {
    CodeDialog confirm(QStringLiteral("CodecRequiredConfirmAlert"), QString(),
                       localized(QStringLiteral("codecRequiredConfirmMessage")), this);
    confirm.addButton(QStringLiteral("no"), localized(QStringLiteral("codecRequiredConfirmNo")), 0,
                      true);
    confirm.addButton(QStringLiteral("yes"), localized(QStringLiteral("codecRequiredConfirmYes")),
                      1, false);
    if (confirm.exec() != 1) return;
    hide();
    done(0);
  }
};

class PlainImportProgress : public VideoImportProgress {
 public:
  PlainImportProgress(const QString &title, QWidget *relativeTo) {
    fDialog.setObjectName(QStringLiteral("VideoImportProgressDialog"));
    if (!title.isEmpty()) fDialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(fDialog.contentArea());
    layout->setContentsMargins(0, 0, 0, 0);
    fText = new QLabel(&fDialog);
    fText->setObjectName(QStringLiteral("fProgressText"));
    fBar = new QProgressBar(&fDialog);
    fBar->setObjectName(QStringLiteral("fProgressBar"));
    fBar->setRange(0, 1000);
    layout->addWidget(fText);
    layout->addWidget(fBar);
    fDialog.resize(360, 90);
    fDialog.adjustSize();
    QRect reference;
    if (relativeTo && relativeTo->isVisible())
      reference = relativeTo->frameGeometry();
    else if (QScreen *screen = QGuiApplication::primaryScreen())
      reference = screen->availableGeometry();
    if (reference.isValid()) {
      const QSize size = fDialog.frameGeometry().size();
      fDialog.move(reference.x() + int(std::ceil((reference.width() - size.width()) / 2.0)),
                   reference.y() + int(std::ceil((reference.height() - size.height()) / 2.0)));
    }
    fDialog.show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void setProgressText(const QString &text) override {
    fText->setText(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void setProgressBarValue(double percent) override {
    fBar->setValue(int(percent * 10));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void closeVideoImportProgress() override { fDialog.hide(); }

 private:
  ZDialog fDialog;
  QLabel *fText;
  QProgressBar *fBar;
};

}  // namespace

void SkinnedDialogs::showAlert(const QString &message, const QString &windowTitle) {
  CodeDialog dialog(QStringLiteral("Alert"), windowTitle, message);
  dialog.addButton(QStringLiteral("ok"), localized(QStringLiteral("dialogOK")), 0, true);
  dialog.setEscapeCode(0);
  dialog.exec();
}

bool SkinnedDialogs::getConfirmation(const QString &defaultButtonTitle,
                                   const QString &cancelButtonTitle, const QString &message,
                                   bool *showAgain) {
  CodeDialog dialog(QStringLiteral("DeleteDialog"), QString(), message);
  QCheckBox *dontShow = dialog.addCheckBox(QStringLiteral("fDontShowDialogOptionButton"),
                                           localized(QStringLiteral("dialogDoNotShowAgain")));
  dontShow->setVisible(showAgain != nullptr);
  dialog.addButton(
      QStringLiteral("cancel"),
      cancelButtonTitle.isEmpty() ? localized(QStringLiteral("dialogCancel")) : cancelButtonTitle,
      0, false);
  dialog.addButton(QStringLiteral("delete"), defaultButtonTitle, 1, true);
  dialog.setEscapeCode(0);
  const int code = dialog.exec();
  if (showAgain) *showAgain = !dontShow->isChecked();
  return code == 1;
}

int SkinnedDialogs::askUpdate(const QString &message) {
  return getConfirmation(localized(QStringLiteral("buttonYes")),
                         localized(QStringLiteral("buttonNo")), message, nullptr)
             ? 1
             : 0;
}

bool SkinnedDialogs::getDeleteConfirmation(bool *deleteFromDisk) {
  CodeDialog dialog(QStringLiteral("DeleteVideoAlert"), QString(),
                    localized(QStringLiteral("deleteVideoAlertMessage")));
  QCheckBox *fromDisk = dialog.addCheckBox(QStringLiteral("fDeleteFromHD"),
                                           localized(QStringLiteral("dialogDeleteFromDisk")));
  dialog.addButton(QStringLiteral("cancel"), localized(QStringLiteral("dialogCancel")), 0, false);
  dialog.addButton(QStringLiteral("delete"), localized(QStringLiteral("dialogDelete")), 1, true);
  dialog.setEscapeCode(0);
  const int code = dialog.exec();
  if (deleteFromDisk) *deleteFromDisk = fromDisk->isChecked();
  return code == 1;
}

int SkinnedDialogs::askQuit(bool downloadsRunning) {
  CodeDialog dialog(QStringLiteral("QuitAlert"), localized(QStringLiteral("quitAlertTitle")),
                    localized(downloadsRunning ? QStringLiteral("quitAlertMessage")
                                               : QStringLiteral("quitAlertPlainMessage")));
  QCheckBox *doNotAsk = dialog.addCheckBox(QStringLiteral("fDoNotAskAgainCB"),
                                           localized(QStringLiteral("dialogDoNotAskAgain")));
  dialog.addButton(QStringLiteral("cancel"), localized(QStringLiteral("dialogCancel")), 1, false);
  dialog.addButton(QStringLiteral("quit"), localized(QStringLiteral("dialogQuit")), 0, true);
  dialog.setEscapeCode(1);  // cancel: Escape never quits
  const int code = dialog.exec();
  if (code == 0 && doNotAsk->isChecked())
    UserDefaults::standardUserDefaults().setBool(
        false, QStringLiteral("GeneralQuitConfirmationCancellation"));
  return code;
}

int SkinnedDialogs::askDiskSpace() {
  CodeDialog dialog(QStringLiteral("DiskSpaceAlert"), QString(),
                    localized(QStringLiteral("diskSpaceAlertMessage")));
  dialog.addButton(QStringLiteral("deleteOldVideos"),
                   localized(QStringLiteral("diskSpaceAlertDeleteOldVideos")), 1, false);
  dialog.addButton(QStringLiteral("increaseAllowedSpace"),
                   localized(QStringLiteral("diskSpaceAlertIncreaseAllowedSpace")), 0, true);
  dialog.setEscapeCode(0);  // increase the allowed space: nothing is deleted
  return dialog.exec();
}

int SkinnedDialogs::askDiskSpaceDownload() {
  CodeDialog dialog(QStringLiteral("DiskSpaceDownloadAlert"), QString(),
                    localized(QStringLiteral("diskSpaceDownloadAlertMessage")));
  dialog.addButton(QStringLiteral("noAction"),
                   localized(QStringLiteral("diskSpaceDownloadAlertNoAction")), 2, false);
  dialog.addButton(QStringLiteral("deleteOldVideos"),
                   localized(QStringLiteral("diskSpaceDownloadAlertDeleteOldVideos")), 1, false);
  dialog.addButton(QStringLiteral("changePreferences"),
                   localized(QStringLiteral("diskSpaceDownloadAlertChangePreferences")), 0, true);
  dialog.setEscapeCode(2);  // no action
  return dialog.exec();
}

QString SkinnedDialogs::getImportUrl() {
  CodeDialog dialog(QStringLiteral("ImportVideocastsDialog"), QString(),
                    localized(QStringLiteral("importVideocastsMessage")));
  auto *edit = new QLineEdit(&dialog);
  edit->setObjectName(QStringLiteral("fURL"));
  edit->setAccessibleName(localized(QStringLiteral("importVideocastsMessage")));
  dialog.extras()->addWidget(edit);
  dialog.addButton(QStringLiteral("cancel"), localized(QStringLiteral("dialogCancel")), 0, false);
  QPushButton *import = dialog.addButton(
      QStringLiteral("import"), localized(QStringLiteral("importVideocastsImport")), 1, true);
  // Import does nothing until the text is a web address.
  auto acceptable = [edit] {
    const QString text = edit->text();
    return text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("https://"));
  };
  dialog.setEscapeCode(0);
  import->setEnabled(false);
  QObject::connect(edit, &QLineEdit::textChanged, import,
                   [import, acceptable] { import->setEnabled(acceptable()); });
  if (dialog.exec() == 1 && acceptable()) return edit->text();
  return QString();
}

std::unique_ptr<VideoImportProgress> SkinnedDialogs::showVideoImportProgress(const QString &title,
                                                                           QWidget *relativeTo) {
  return std::make_unique<PlainImportProgress>(title, relativeTo);
}

int SkinnedDialogs::showCodecRequiredAlert(const QString &message) {
  CodecRequiredAlert alert(message, playbackWindow());
  return alert.exec();
}

int SkinnedDialogs::askLoadError(const QString &message, const QString &defaultButtonTitle) {
  CodeDialog dialog(QStringLiteral("LoadErrorAlert"),
                    localized(QStringLiteral("movieLoadErrorTitle")), message, playbackWindow());
  dialog.addButton(QStringLiteral("cancel"), localized(QStringLiteral("dialogCancel")), 0, false);
  dialog.addButton(QStringLiteral("next"), defaultButtonTitle, 1, true);
  dialog.setEscapeCode(0);  // cancel: the list stops, nothing else is tried
  return dialog.exec();
}
