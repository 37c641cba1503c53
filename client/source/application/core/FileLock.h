#pragma once

#include <mutex>
#include <string>

// An inter-process lock on a lock file: a recursive in-process lock first, then
// an exclusive advisory flock on the file. The process exits with status -1
// when the lock file cannot be opened or created.
class FileLock {
 public:
  explicit FileLock(const char *path);
  ~FileLock();
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

  void lock();
  void unlock();

 private:
  std::recursive_mutex fMutex;
  int fdlock = -1;
  int fDepth = 0;  // how often this process holds it (the file lock is taken once)
};

// Holds a FileLock for one scope.
class FileLockHolder {
 public:
  explicit FileLockHolder(FileLock &lock) : fLock(lock) { fLock.lock(); }
  ~FileLockHolder() { fLock.unlock(); }
  FileLockHolder(const FileLockHolder &) = delete;
  FileLockHolder &operator=(const FileLockHolder &) = delete;

 private:
  FileLock &fLock;
};
