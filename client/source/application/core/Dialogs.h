#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

// The progress dialog of an import (or a migration): text and bar updates show
// at once, while the caller's loop runs on the main thread.
class VideoImportProgress {
 public:
  virtual ~VideoImportProgress();
  virtual void setProgressText(const QString &text) = 0;
  virtual void setProgressBarValue(double percent) = 0;
  virtual void closeVideoImportProgress() = 0;
};

// Every dialog of the application is made here. Callers ask for a dialog and
// get the fixed code its buttons answer; which windows show it is up to the
// installed implementation (plain Qt dialogs, the skinned ones, or a scripted
// one for tests and unattended runs). Escape and the window's close button
// give each dialog's harmless answer, named below as "Escape ->".
class Dialogs {
 public:
  virtual ~Dialogs();

  // The installed dialogs. Before anything is installed: scripted dialogs when
  // ZARO_DIALOG_ANSWERS is set in the environment (see ScriptedDialogs), else
  // scripted dialogs that answer every question with its harmless code.
  static Dialogs &shared();
  static void setShared(std::unique_ptr<Dialogs> dialogs);

  // "Alert": one OK button (code 0); Escape -> 0.
  virtual void showAlert(const QString &message, const QString &windowTitle = QString()) = 0;

  // "DeleteDialog": delete -> 1, cancel -> 0, Escape -> 0; true when the code
  // is 1. With showAgain given, the do-not-show-again box is shown and
  // *showAgain becomes the opposite of its state, however the dialog ended;
  // without it the box stays hidden. A non-empty cancel title replaces the
  // cancel button's title.
  virtual bool getConfirmation(const QString &defaultButtonTitle, const QString &cancelButtonTitle,
                               const QString &message, bool *showAgain) = 0;
  bool getConfirmation(const QString &defaultButtonTitle, const QString &message) {
    return getConfirmation(defaultButtonTitle, QString(), message, nullptr);
  }

  // The update offer, on the "DeleteDialog" window with the buttons "buttonYes"
  // (code 1) and "buttonNo" (code 0, also Escape) and no show-again box.
  // Returns the code.
  virtual int askUpdate(const QString &message) = 0;

  // "DeleteVideoAlert": delete -> 1, cancel -> 0, Escape -> 0; true when 1.
  // *deleteFromDisk receives the state of the delete-from-disk box.
  virtual bool getDeleteConfirmation(bool *deleteFromDisk) = 0;

  // "QuitAlert": quit -> 0, cancel -> 1, Escape -> 1 (Escape never quits).
  // Its message says that downloads will stop only when downloadsRunning;
  // otherwise it is the plain quit question. After 0 with the
  // do-not-ask-again box ticked, "GeneralQuitConfirmationCancellation" is
  // written false.
  virtual int askQuit(bool downloadsRunning) = 0;

  // "DiskSpaceAlert": increase allowed space -> 0, delete old videos -> 1,
  // Escape -> 0 (which deletes nothing).
  virtual int askDiskSpace() = 0;

  // "DiskSpaceDownloadAlert": change preferences -> 0, delete old videos -> 1,
  // no action -> 2, Escape -> 2.
  virtual int askDiskSpaceDownload() = 0;

  // "ImportVideocastsDialog": the URL text (import -> 1, only for text starting
  // with "http://" or "https://"), or a null string when cancelled (0, also
  // Escape).
  virtual QString getImportUrl() = 0;

  // "VideoImportProgressDialog": shown at once; centred on relativeTo when
  // given, else on the screen.
  virtual std::unique_ptr<VideoImportProgress> showVideoImportProgress(const QString &title,
                                                                       QWidget *relativeTo) = 0;

  // "CodecRequiredAlert" over the playback window, with the message: "go to
  // the codec site" ends it with 1. Its cancel button asks
  // "CodecRequiredConfirmAlert" (yes -> 1, no -> 0) whether to give up; yes
  // ends the alert with 0, no leaves it open. Returns the alert's code.
  virtual int showCodecRequiredAlert(const QString &message) = 0;

  // "LoadErrorAlert", titled "Error loading movie:", over the playback
  // window: the default button (defaultButtonTitle, the next or previous
  // movie) -> 1, "Cancel" -> 0.
  virtual int askLoadError(const QString &message, const QString &defaultButtonTitle) = 0;
};

// Dialogs that answer from a script instead of asking anyone, and record what
// was asked. The script is a comma-separated list of name=code pairs, for
// example "quit=0,diskSpaceDownload=2,confirmation=1,importUrl=http://x/feed";
// the names are alert, confirmation, update, deleteVideo, quit, diskSpace,
// diskSpaceDownload, importUrl, codecRequired and loadError. Unlisted dialogs
// answer their harmless code (cancel, no action, quit confirmed, give up).
// A codec alert answered 0 also records the confirmation it asks
// ("codecRequiredConfirm"), which gives up. Each question is appended as a line
// "<name> <message>" to the file named by ZARO_DIALOG_LOG when that is set.
class ScriptedDialogs : public Dialogs {
 public:
  explicit ScriptedDialogs(const QString &script = QString(), const QString &logPath = QString());

  void setAnswer(const QString &name, const QString &answer);
  const QStringList &asked() const { return fAsked; }
  void clearAsked() { fAsked.clear(); }
  // Progress updates shown by the import progress dialogs: "text <t>" and
  // "bar <value>" lines, plus "close".
  const QStringList &progressEvents() const { return fProgressEvents; }

  void showAlert(const QString &message, const QString &windowTitle) override;
  bool getConfirmation(const QString &defaultButtonTitle, const QString &cancelButtonTitle,
                       const QString &message, bool *showAgain) override;
  using Dialogs::getConfirmation;
  int askUpdate(const QString &message) override;
  bool getDeleteConfirmation(bool *deleteFromDisk) override;
  int askQuit(bool downloadsRunning) override;
  int askDiskSpace() override;
  int askDiskSpaceDownload() override;
  QString getImportUrl() override;
  std::unique_ptr<VideoImportProgress> showVideoImportProgress(const QString &title,
                                                               QWidget *relativeTo) override;
  int showCodecRequiredAlert(const QString &message) override;
  int askLoadError(const QString &message, const QString &defaultButtonTitle) override;

 private:
  friend class ScriptedProgress;
  void record(const QString &name, const QString &message);
  QString answer(const QString &name, const QString &fallback) const;

  QHash<QString, QString> fAnswers;
  QString fLogPath;
  QStringList fAsked;
  QStringList fProgressEvents;
};
