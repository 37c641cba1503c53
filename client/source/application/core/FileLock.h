#pragma once

#include <mutex>
#include <string>

// An inter-process lock on a lock file: a recursive in-process lock first, then
// an exclusive advisory flock on the file.
//
// The lock file is opened read-only and made when missing with mode 0600. It
// is never reached through a symbolic link and must be a regular file: a
// planted link, a FIFO or a folder at the path is refused (and nothing is
// created through it). A lock file that cannot be had does not end the
// process: the lock is then unusable, lock() answers false and error() says
// why, and the caller decides what the user hears. Until the file is open,
// every lock() tries again (its folder may have been made meanwhile).
class FileLock {
 public:
  explicit FileLock(const char *path);
  ~FileLock();
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

  // Opens the lock file unless it is open already; answers whether it is.
  bool open();
  // The lock file is open (lock() can take the file lock).
  bool isUsable() const noexcept { return fdlock >= 0; }
  // Why the lock file cannot be had or the file lock was not taken ("" when
  // all is well), with the path.
  const std::string &error() const noexcept { return fError; }

  // Takes the in-process lock, then (the first time in this process) the file
  // lock, waiting for other processes to let go. Answers whether the file
  // lock is held; the in-process lock is held either way, and unlock()
  // releases it.
  bool lock();
  void unlock();

 private:
  std::recursive_mutex fMutex;
  std::string fPath;
  std::string fError;
  int fdlock = -1;
  int fDepth = 0;      // how often this process holds it (the file lock is taken once)
  bool fHeld = false;  // the file lock is held
};

// Holds a FileLock for one scope.
class FileLockHolder {
 public:
  explicit FileLockHolder(FileLock &lock) : fLock(lock), fHeld(lock.lock()) {}
  ~FileLockHolder() { fLock.unlock(); }
  FileLockHolder(const FileLockHolder &) = delete;
  FileLockHolder &operator=(const FileLockHolder &) = delete;

  // The file lock is held (see FileLock::lock).
  bool held() const noexcept { return fHeld; }

 private:
  FileLock &fLock;
  bool fHeld;
};
