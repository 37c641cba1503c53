#pragma once

// A fresh library in a temporary folder for every test, plus the tools the
// library tests share: the sqlite3 command-line tool, a notification
// recorder and a quick way to add videos.

#include "Dialogs.h"
#include "NotificationCenter.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFolderManager.h"
#include "ZNotificationSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <memory>

// Runs the sqlite3 tool on a database file; answers its standard output.
inline QString sqliteTool(const QString &databasePath, const QString &sql) {
  QProcess process;
  process.start(QStringLiteral("sqlite3"), {databasePath, sql});
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString sqliteToolTrimmed(const QString &databasePath, const QString &sql) {
  return sqliteTool(databasePath, sql).trimmed();
}

// Writes a file of `size` bytes (creating its folder).
inline void writeFile(const QString &path, qint64 size = 16) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(QByteArray(size, 'x'));
}

// Makes a file read-only until the end of the scope. Its permissions stop a
// user; root, whom permissions do not stop, gets the file's immutable
// attribute (chattr +i) instead. ok() is false when neither took hold (a
// file system without the attribute). A connection open already keeps
// writing: the library drops it at its next failing statement.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const QString &path) : fPath(path), fPermissions(QFile::permissions(path)) {
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (writable()) fImmutable = QProcess::execute("chattr", {"+i", path}) == 0;
  }
  ~ReadOnlyFile() {
    if (fImmutable) QProcess::execute("chattr", {"-i", fPath});
    QFile::setPermissions(fPath, fPermissions);
  }
  ReadOnlyFile(const ReadOnlyFile &) = delete;
  ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

  bool ok() const { return !writable(); }

 private:
  bool writable() const {
    QFile file(fPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
  }
  QString fPath;
  QFileDevice::Permissions fPermissions;
  bool fImmutable = false;
};

// Records the named notifications in the order they arrive.
class NotificationRecorder {
 public:
  explicit NotificationRecorder(const QStringList &names) {
    for (const QString &name : names)
      NotificationCenter::defaultCenter().addObserver(
          this, name, [this](const Notification &n) { fSeen.append(n); });
  }
  ~NotificationRecorder() { NotificationCenter::defaultCenter().removeObserver(this); }

  QStringList names() const {
    QStringList out;
    for (const Notification &n : fSeen) out.append(n.name);
    return out;
  }
  const QList<Notification> &seen() const { return fSeen; }
  void clear() { fSeen.clear(); }

 private:
  QList<Notification> fSeen;
};

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fRoot = TestEnvironment::makeTempDir(QStringLiteral("library"));
    fPaths = VideoDatabase::pathsUnder(fRoot);

    auto dialogs = std::make_unique<ScriptedDialogs>();
    fDialogs = dialogs.get();
    Dialogs::setShared(std::move(dialogs));

    fDefaults = std::make_unique<UserDefaults>(fRoot + "/settings.ini");
    fDefaults->setString(fRoot + "/downloads", QStringLiteral("DownloadLocation"));
    fFolders = std::make_unique<ZFolderManager>(*fDefaults);

    if (createLibrary()) {
      fDatabase = std::make_unique<VideoDatabase>(fPaths, fFolders.get());
      ASSERT_TRUE(fDatabase->createDatabase());
    }
  }

  void TearDown() override { VideoDatabase::setRetryDelay(std::chrono::milliseconds(1000)); }

  // Tests that build the library themselves answer false.
  virtual bool createLibrary() { return true; }

  VideoDatabase &db() { return *fDatabase; }
  QString dbPath() const { return fPaths.databasePath; }
  QString mediaFolder() const { return fFolders->userMediaFilesFolderPath(); }
  QString sql(const QString &statement) const { return sqliteToolTrimmed(dbPath(), statement); }

  // A downloaded video with a file of its own under the media folder.
  int addVideo(const QString &title, const QString &permalink = QString(), qint64 fileSize = 16) {
    VideoDatabase::AddVideoParams params;
    params.title = title;
    params.path = mediaFolder() + "/" + QString::number(++fFileCounter) + ".mp4";
    writeFile(params.path, fileSize);
    params.extension = QStringLiteral("mp4");
    params.size = quint64(fileSize);
    params.duration = 10;
    params.permaLink = permalink;
    params.save = 0;
    return db().addVideo(params);
  }

  QString fRoot;
  VideoDatabase::Paths fPaths;
  ScriptedDialogs *fDialogs = nullptr;
  std::unique_ptr<UserDefaults> fDefaults;
  std::unique_ptr<ZFolderManager> fFolders;
  std::unique_ptr<VideoDatabase> fDatabase;
  int fFileCounter = 0;
};
