#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

std::string failure(const char *what, const std::string &path, int error) {
  return std::string(what) + " " + path + ": " + std::strerror(error);
}

}  // namespace

FileLock::FileLock(const char *path) : fPath(path ? path : "") { open(); }

bool FileLock::open() {
  std::lock_guard<std::recursive_mutex> hold(fMutex);
  if (fdlock >= 0) return true;
  // No link is followed (ELOOP), and a FIFO does not block the open.
  const int fd =
      ::open(fPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    const int error = errno;
    fError = error == ELOOP ? "lock file " + fPath + " is a symbolic link; it is not followed"
                            : failure("cannot open the lock file", fPath, error);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    fError = "lock file " + fPath + " is not a regular file";
    return false;
  }
  fError.clear();
  fdlock = fd;
  return true;
}

FileLock::~FileLock() {
  if (fdlock >= 0) ::close(fdlock);
}

bool FileLock::lock() {
  fMutex.lock();
  // flock locks belong to the open file, so taking it again from the same
  // process would succeed anyway; count the depth so that the inner unlock of
  // a nested pair does not release the file for other processes.
  if (fDepth++ == 0 && open()) {
    int rc;
    while ((rc = ::flock(fdlock, LOCK_EX)) != 0 && errno == EINTR) {
    }
    fHeld = rc == 0;
    if (!fHeld) fError = failure("cannot lock the lock file", fPath, errno);
  }
  return fHeld;
}

void FileLock::unlock() {
  if (--fDepth == 0 && fHeld) {
    ::flock(fdlock, LOCK_UN);
    fHeld = false;
  }
  fMutex.unlock();
}
