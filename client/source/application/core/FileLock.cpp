#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

FileLock::FileLock(const char *path) {
  fdlock = ::open(path, O_RDONLY | O_CREAT | O_CLOEXEC, 0777);
  if (fdlock < 0) std::_Exit(-1);
}

FileLock::~FileLock() {
  if (fdlock >= 0) ::close(fdlock);
}

void FileLock::lock() {
  fMutex.lock();
  // flock locks belong to the open file, so taking it again from the same
  // process would succeed anyway; count the depth so that the inner unlock of
  // a nested pair does not release the file for other processes.
  if (fDepth++ == 0) {
    while (::flock(fdlock, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
}

void FileLock::unlock() {
  if (--fDepth == 0) ::flock(fdlock, LOCK_UN);
  fMutex.unlock();
}
