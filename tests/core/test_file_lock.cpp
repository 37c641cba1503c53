#include "FileLock.h"
#include "TestEnvironment.h"

#include <QElapsedTimer>

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

TEST(FileLock, ExitsWhenTheLockFileCannotBeMade) {
  EXPECT_EXIT({ FileLock lock("/nonexistent-dir/for/sure/x.lock"); },
              ::testing::ExitedWithCode(255), "");
}
