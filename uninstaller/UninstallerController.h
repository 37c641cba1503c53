#pragma once

#include <QProcess>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class UserDefaults;
class ZFolderManager;

// Where the uninstaller finds what it works on.
struct UninstallerSetup {
  // The installed player; without it there is no application to remove.
  QString installedApplicationPath;
  // The removal script, run by shellPath.
  QString scriptPath;
  QString shellPath = QStringLiteral("/bin/sh");
  // The command that runs its arguments with administrator rights, asking
  // for them first (empty: run the shell directly).
  QStringList elevation = {QStringLiteral("pkexec")};
  // The running player's single-instance key, to ask it to quit.
  QString playerInstanceKey;

  // The installed layout: the player beside the uninstaller's executable,
  // the script under PREFIX/share/zaro-player.
  static UninstallerSetup standard();
};

// The uninstaller's one window: two check boxes (remove the application,
// remove the downloaded media), a button that uninstalls or quits, and a log
// of the removal script's output.
//
// Uninstalling runs the script through the elevation command. The script's
// first line shows that it runs with the rights granted; only then is the
// running player asked to quit and its login item removed, and the script
// told to go on ("go" on its standard input). A refused or cancelled
// elevation therefore changes nothing.
class UninstallerController : public QWidget {
  Q_OBJECT
 public:
  UninstallerController(ZFolderManager &folders, UserDefaults &defaults, UninstallerSetup setup,
                        QWidget *parent = nullptr);
  ~UninstallerController() override;

  // The initial state: folders set up, boxes and button after what is installed.
  void awakeFromNib();
  // Action of both check boxes.
  void checkboxesClicked();
  // Action of the button: quits once done, else starts the removal.
  void uninstall();

  // The media folder the script is given.
  QString mediaFolderPath() const;
  // The script's command line after the elevation command.
  QStringList scriptCommandLine() const;

  bool uninstallDone() const { return fUninstallDone; }
  QPushButton *uninstallButton() const { return fUninstallButton; }
  QCheckBox *removeClientCheckBox() const { return fRemoveClientCheckBox; }
  QCheckBox *removeMediaCheckBox() const { return fRemoveMediaCheckBox; }
  QPlainTextEdit *logView() const { return fLogView; }
  bool scriptRunning() const { return fScript != nullptr; }

 signals:
  void terminateRequested();

 protected:
  void closeEvent(QCloseEvent *event) override;  // closing the window ends the uninstaller

 private:
  void standardOutputData();
  void scriptFinished(int exitCode, QProcess::ExitStatus status);
  void scriptFailedToStart();
  void confirmScript();
  void removeLoginItem();
  void quitZaro();
  void setButtonTitle(bool uninstall);
  void setControlsEnabled(bool enabled);
  void appendLog(const QString &text);

  ZFolderManager &fFolders;
  UserDefaults &fDefaults;
  UninstallerSetup fSetup;

  QPlainTextEdit *fLogView = nullptr;
  QProgressBar *fProgress = nullptr;  // shown, not driven
  QPushButton *fUninstallButton = nullptr;
  QCheckBox *fRemoveClientCheckBox = nullptr;
  QCheckBox *fRemoveMediaCheckBox = nullptr;
  bool fUninstallDone = false;

  QProcess *fScript = nullptr;
  bool fConfirmed = false;  // the script runs with the rights and was told to go on
  QByteArray fPendingLine;  // its output before the first line is complete
  QStringDecoder fDecoder{QStringDecoder::Utf8};  // a character may span two reads
  bool fBoxesEnabled = false;                     // the boxes' state before the script started
};
