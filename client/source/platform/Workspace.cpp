#include "Workspace.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>

namespace {
std::unique_ptr<Workspace> &installed() {
  static std::unique_ptr<Workspace> workspace;
  return workspace;
}
}  // namespace

Workspace::~Workspace() = default;

Workspace &Workspace::shared() {
  auto &workspace = installed();
  if (!workspace) {
    const QString log = QString::fromLocal8Bit(qgetenv("ZARO_WORKSPACE_LOG"));
    if (!log.isEmpty())
      workspace = std::make_unique<RecordingWorkspace>(log);
    else
      workspace = std::make_unique<DesktopWorkspace>();
  }
  return *workspace;
}

void Workspace::setShared(std::unique_ptr<Workspace> workspace) {
  installed() = std::move(workspace);
}

bool DesktopWorkspace::openURL(const QUrl &url) { return QDesktopServices::openUrl(url); }

bool DesktopWorkspace::openFile(const QString &path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopWorkspace::openFolder(const QString &path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopWorkspace::revealFile(const QString &path) {
  // The folder, never the file: opening the file would hand it to whatever
  // program the desktop associates with it.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

RecordingWorkspace::RecordingWorkspace(const QString &logPath) : fLogPath(logPath) {}

bool RecordingWorkspace::openURL(const QUrl &url) {
  record(QStringLiteral("openURL ") + url.toString(QUrl::FullyEncoded));
  return true;
}

bool RecordingWorkspace::openFile(const QString &path) {
  record(QStringLiteral("openFile ") + path);
  return true;
}

bool RecordingWorkspace::openFolder(const QString &path) {
  record(QStringLiteral("openFolder ") + path);
  return true;
}

bool RecordingWorkspace::revealFile(const QString &path) {
  record(QStringLiteral("revealFile ") + path);
  return true;
}

void RecordingWorkspace::record(const QString &line) {
  fRequests.append(line);
  if (fLogPath.isEmpty()) return;
  QFile file(fLogPath);
  if (file.open(QIODevice::WriteOnly | QIODevice::Append)) file.write(line.toUtf8() + '\n');
}
