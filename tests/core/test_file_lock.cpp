#include "FileLock.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// A second process that takes the lock waits until the first lets go; nested
// locking inside one process does not release the file early.
TEST(FileLock, SecondProcessBlocksUntilRelease) {
  const QByteArray path = (TestEnvironment::makeTempDir("lock") + "/x.lock").toLocal8Bit();
  FileLock lock(path.constData());
  lock.lock();
  lock.lock();    // recursive within the process
  lock.unlock();  // still held once

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileLock other(path.constData());
    const char go = 'g';
    [[maybe_unused]] auto w = write(ready[1], &go, 1);
    other.lock();  // blocks until the parent unlocks
    other.unlock();
    _exit(0);
  }
  char go;
  ASSERT_EQ(read(ready[0], &go, 1), 1);
  usleep(300 * 1000);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the child got the lock while it was held";
  lock.unlock();
  QElapsedTimer timer;
  timer.start();
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(ready[0]);
  close(ready[1]);
}

// The lock file is the user's own: made with mode 0600, never reached
// through a symbolic link or as anything but a regular file. A lock file that
// cannot be had leaves the lock unusable, with the reason, and the process
// goes on (its caller tells the user).
TEST(FileLock, OpensOnlyAPlainFileOfItsOwn) {
  const QString dir = TestEnvironment::makeTempDir("lock");
  const QByteArray fresh = QFile::encodeName(dir + "/fresh.lock");
  {
    const mode_t oldMask = ::umask(0);
    FileLock lock(fresh.constData());
    ::umask(oldMask);
    EXPECT_TRUE(lock.isUsable());
    EXPECT_TRUE(lock.lock());
    lock.unlock();
  }
  struct stat info {};
  ASSERT_EQ(::lstat(fresh.constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  // A planted link is refused whether its target exists or not; the target is
  // neither made nor touched.
  const QString target = dir + "/target";
  const QByteArray dangling = QFile::encodeName(dir + "/dangling.lock");
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), dangling.constData()), 0);
  const QByteArray toFile = QFile::encodeName(dir + "/to-file.lock");
  ASSERT_EQ(::symlink(fresh.constData(), toFile.constData()), 0);
  const QByteArray fifo = QFile::encodeName(dir + "/fifo.lock");
  ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
  const QByteArray folder = QFile::encodeName(dir + "/folder.lock");
  ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
  for (const QByteArray &path : {dangling, toFile, fifo, folder,
                                 QByteArray("/nonexistent-dir/for/sure/x.lock")}) {
    SCOPED_TRACE(path.toStdString());
    FileLock lock(path.constData());  // returns at once: a FIFO does not block
    EXPECT_FALSE(lock.isUsable());
    EXPECT_NE(lock.error().find(path.toStdString()), std::string::npos) << lock.error();
    EXPECT_FALSE(lock.lock());  // the in-process lock is still held, and released
    lock.unlock();
  }
  EXPECT_FALSE(QFileInfo::exists(target));

  // A lock file whose folder is made later is had from then on.
  const QByteArray later = QFile::encodeName(dir + "/later/x.lock");
  FileLock waiting(later.constData());
  EXPECT_FALSE(waiting.isUsable());
  ASSERT_TRUE(QDir().mkpath(dir + "/later"));
  EXPECT_TRUE(waiting.lock());
  waiting.unlock();
  EXPECT_TRUE(waiting.isUsable());
  EXPECT_TRUE(waiting.error().empty());
}
