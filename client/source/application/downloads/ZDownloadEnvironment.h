#pragma once

#include "MediaFolderUsage.h"

#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class UserDefaults;
class VideoDatabase;
class ZFolderManager;

// What the download queue and its items use of the rest of the application.
// The application runs on application(); tests build their own over
// temporary folders, a database of their own and shorter timer intervals.
struct ZDownloadEnvironment {
  QNetworkAccessManager *network = nullptr;  // every exchange of the items
  ZFolderManager *folders = nullptr;         // the media and images folders
  UserDefaults *defaults = nullptr;          // token, queue settings, download location
  VideoDatabase *database = nullptr;         // jobs, library look-ups, "MediaInfoUrl"
  // Free bytes of the file system holding a path (0 when unknown); the
  // disk-space rule of the queue asks it about "DownloadLocation".
  std::function<quint64(const QString &path)> freeBytes;
  int progressIntervalMs = 2000;  // the progress timer of a running transfer
  int scanIntervalMs = 60000;     // the queue's periodic scan
  // What the media folder holds, kept up to date by the downloads; shared by
  // the queue and its items (copies of the environment share it). Each
  // environment made has one of its own; the application's is the shared one.
  std::shared_ptr<MediaFolderUsage> mediaFolderUsage = std::make_shared<MediaFolderUsage>();

  // The allowed download space: the free bytes of the file system holding
  // "DownloadLocation" times "DownloadAllowedDiskUsage" / 100. The media
  // folder may fill it; the queue's disk test and every transfer keep to it.
  quint64 allowedDiskSpace() const;

  // The bytes the media folder holds (walked once, then kept up to date; see
  // MediaFolderUsage), at most maxAgeMs old when that is not negative.
  quint64 mediaFolderBytes(qint64 maxAgeMs = -1) const;

  // The shared folder manager, user defaults and video database, one network
  // manager for all downloads, and the file system's own free-space figure.
  static ZDownloadEnvironment application();

  // Free bytes of the file system holding the path; 0 for an empty path or
  // when the file system reports none.
  static quint64 fileSystemFreeBytes(const QString &path);
};
