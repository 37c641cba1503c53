#pragma once

#include <QElapsedTimer>
#include <QString>

// The bytes the media folder holds, as the disk-space rule measures them (the
// folder and everything below it, links not followed), kept up to date
// instead of walked each time they are asked for. The folder is walked once,
// when first asked about, and again only when asked about another folder,
// after invalidate() or when a caller wants a count no older than it says;
// in between, the downloads add what they write into it and subtract what
// they remove. Every start of the application walks afresh, so the count is
// right after a restart whatever happened to the folder meanwhile.
//
// Files written or removed by others while the application runs are not
// seen until the next walk; the library's deletions invalidate the
// application's count (see shared()).
class MediaFolderUsage {
 public:
  // Before the count refuses room to a download (the queue's disk test, a
  // transfer's limit), it is walked again if older than this: files removed
  // behind its back then count.
  static constexpr qint64 kRecheckBeforeRefusingMs = 10000;

  // The application's count. It walks again after the library has deleted
  // videos ("VideoDatabase_VideosDeleted"), whose files may have gone too.
  static MediaFolderUsage &shared();

  MediaFolderUsage() = default;
  MediaFolderUsage(const MediaFolderUsage &) = delete;
  MediaFolderUsage &operator=(const MediaFolderUsage &) = delete;
  ~MediaFolderUsage();

  // The bytes under the folder; walks it first when it has not been walked,
  // was walked as another folder, was invalidated, or was walked longer than
  // maxAgeMs ago (a negative age accepts any).
  quint64 bytes(const QString &folder, qint64 maxAgeMs = -1);
  // The next bytes() walks.
  void invalidate() { fWalked = false; }

  // A file at the path grew by so many bytes (it may be new) or lost so many
  // (it may be gone). Paths outside the walked folder, and anything before
  // the first walk (which sees the files as they are), change nothing.
  void grew(const QString &path, quint64 bytes);
  void shrank(const QString &path, quint64 bytes);
  // Removes the file at the path and counts its bytes off; true when it is gone.
  bool removeFile(const QString &path);

  // How many times the folder has been walked (for tests and benchmarks).
  int walks() const { return fWalks; }

 private:
  bool counts(const QString &path) const;

  QString fFolder;
  quint64 fBytes = 0;
  bool fWalked = false;
  QElapsedTimer fSinceWalk;
  int fWalks = 0;
};
