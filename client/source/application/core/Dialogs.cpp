#include "Dialogs.h"

#include "UserDefaults.h"

#include <QFile>

namespace {
std::unique_ptr<Dialogs> &installed() {
  static std::unique_ptr<Dialogs> dialogs;
  return dialogs;
}
}  // namespace

VideoImportProgress::~VideoImportProgress() = default;
Dialogs::~Dialogs() = default;

Dialogs &Dialogs::shared() {
  auto &dialogs = installed();
  if (!dialogs)
    dialogs =
        std::make_unique<ScriptedDialogs>(QString::fromLocal8Bit(qgetenv("ZARO_DIALOG_ANSWERS")),
                                          QString::fromLocal8Bit(qgetenv("ZARO_DIALOG_LOG")));
  return *dialogs;
}

void Dialogs::setShared(std::unique_ptr<Dialogs> dialogs) { installed() = std::move(dialogs); }

class ScriptedProgress : public VideoImportProgress {
 public:
  explicit ScriptedProgress(ScriptedDialogs &owner) : fOwner(owner) {}
  void setProgressText(const QString &text) override {
    fOwner.fProgressEvents.append(QStringLiteral("text ") + text);
  }
  void setProgressBarValue(double percent) override {
    fOwner.fProgressEvents.append(QStringLiteral("bar ") + QString::number(percent));
  }
  void closeVideoImportProgress() override {
    fOwner.fProgressEvents.append(QStringLiteral("close"));
  }

 private:
  ScriptedDialogs &fOwner;
};

ScriptedDialogs::ScriptedDialogs(const QString &script, const QString &logPath)
    : fLogPath(logPath) {
  for (const QString &pair : script.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const qsizetype eq = pair.indexOf(QLatin1Char('='));
    if (eq > 0) fAnswers.insert(pair.left(eq).trimmed(), pair.mid(eq + 1).trimmed());
  }
}

void ScriptedDialogs::setAnswer(const QString &name, const QString &answer) {
  fAnswers.insert(name, answer);
}

QString ScriptedDialogs::answer(const QString &name, const QString &fallback) const {
  return fAnswers.value(name, fallback);
}

void ScriptedDialogs::record(const QString &name, const QString &message) {
  const QString line = name + QLatin1Char(' ') + message;
  fAsked.append(line);
  if (fLogPath.isEmpty()) return;
  QFile file(fLogPath);
  if (file.open(QIODevice::WriteOnly | QIODevice::Append)) file.write(line.toUtf8() + '\n');
}

void ScriptedDialogs::showAlert(const QString &message, const QString &windowTitle) {
  record(QStringLiteral("alert"), windowTitle.isEmpty() ? message : windowTitle + ": " + message);
}

bool ScriptedDialogs::getConfirmation(const QString &, const QString &, const QString &message,
                                      bool *showAgain) {
  record(QStringLiteral("confirmation"), message);
  if (showAgain) *showAgain = answer(QStringLiteral("showAgain"), QStringLiteral("1")) == "1";
  return answer(QStringLiteral("confirmation"), QStringLiteral("0")) == QLatin1String("1");
}

int ScriptedDialogs::askUpdate(const QString &message) {
  record(QStringLiteral("update"), message);
  return answer(QStringLiteral("update"), QStringLiteral("0")).toInt();
}

bool ScriptedDialogs::getDeleteConfirmation(bool *deleteFromDisk) {
  record(QStringLiteral("deleteVideo"), QString());
  if (deleteFromDisk)
    *deleteFromDisk = answer(QStringLiteral("deleteFromDisk"), QStringLiteral("0")) == "1";
  return answer(QStringLiteral("deleteVideo"), QStringLiteral("0")) == QLatin1String("1");
}

int ScriptedDialogs::askQuit(bool downloadsRunning) {
  record(QStringLiteral("quit"), downloadsRunning ? QStringLiteral("downloads running") : QString());
  const int code = answer(QStringLiteral("quit"), QStringLiteral("0")).toInt();
  if (code == 0 && answer(QStringLiteral("doNotAskAgain"), QStringLiteral("0")) == "1")
    UserDefaults::standardUserDefaults().setBool(
        false, QStringLiteral("GeneralQuitConfirmationCancellation"));
  return code;
}

int ScriptedDialogs::askDiskSpace() {
  record(QStringLiteral("diskSpace"), QString());
  return answer(QStringLiteral("diskSpace"), QStringLiteral("0")).toInt();
}

int ScriptedDialogs::askDiskSpaceDownload() {
  record(QStringLiteral("diskSpaceDownload"), QString());
  return answer(QStringLiteral("diskSpaceDownload"), QStringLiteral("2")).toInt();
}

QString ScriptedDialogs::getImportUrl() {
  record(QStringLiteral("importUrl"), QString());
  const QString url = answer(QStringLiteral("importUrl"), QString());
  if (url.startsWith(QLatin1String("http://")) || url.startsWith(QLatin1String("https://")))
    return url;
  return QString();
}

std::unique_ptr<VideoImportProgress> ScriptedDialogs::showVideoImportProgress(const QString &title,
                                                                              QWidget *) {
  record(QStringLiteral("importProgress"), title);
  return std::make_unique<ScriptedProgress>(*this);
}

int ScriptedDialogs::showCodecRequiredAlert(const QString &message) {
  record(QStringLiteral("codecRequired"), message);
  const int code = answer(QStringLiteral("codecRequired"), QStringLiteral("0")).toInt();
  if (code != 1) {
    record(QStringLiteral("codecRequiredConfirm"), QString());
    return 0;
  }
  return 1;
}

int ScriptedDialogs::askLoadError(const QString &message, const QString &defaultButtonTitle) {
  record(QStringLiteral("loadError"), defaultButtonTitle + QStringLiteral(": ") + message);
  return answer(QStringLiteral("loadError"), QStringLiteral("0")) == QLatin1String("1") ? 1 : 0;
}
