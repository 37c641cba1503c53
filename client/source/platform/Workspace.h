#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

// The desktop's workspace: open a URL in the default browser, a file with its
// default application, a folder in the file browser, or show a file there
// without opening it. The application reaches it through Workspace::shared();
// tests and unattended runs put a recording one in.
class Workspace {
 public:
  virtual ~Workspace();
  virtual bool openURL(const QUrl &url) = 0;
  virtual bool openFile(const QString &path) = 0;
  virtual bool openFolder(const QString &path) = 0;
  // Shows the file in the file browser (its folder, the file selected where
  // the desktop can); the file itself is neither opened nor run.
  virtual bool revealFile(const QString &path) = 0;

  // The installed workspace. On first use: a RecordingWorkspace appending to the
  // file named by ZARO_WORKSPACE_LOG when that is set, else the desktop's.
  static Workspace &shared();
  static void setShared(std::unique_ptr<Workspace> workspace);
};

class DesktopWorkspace : public Workspace {
 public:
  bool openURL(const QUrl &url) override;
  bool openFile(const QString &path) override;
  bool openFolder(const QString &path) override;
  // Opens the file's folder in the file browser.
  bool revealFile(const QString &path) override;
};

// Records every request as "openURL <url>", "openFile <path>",
// "openFolder <path>" or "revealFile <path>", in memory and, when a log path
// is given, as lines of that file.
class RecordingWorkspace : public Workspace {
 public:
  explicit RecordingWorkspace(const QString &logPath = QString());
  bool openURL(const QUrl &url) override;
  bool openFile(const QString &path) override;
  bool openFolder(const QString &path) override;
  bool revealFile(const QString &path) override;

  const QStringList &requests() const { return fRequests; }
  void clear() { fRequests.clear(); }

 private:
  void record(const QString &line);
  QString fLogPath;
  QStringList fRequests;
};
