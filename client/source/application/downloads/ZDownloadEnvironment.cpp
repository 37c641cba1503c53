#include "ZDownloadEnvironment.h"

#include "DateUtilities.h"
#include "LibraryUtilities.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFolderManager.h"

#include <QNetworkAccessManager>
#include <QStorageInfo>

ZDownloadEnvironment ZDownloadEnvironment::application() {
  static QNetworkAccessManager *network = new QNetworkAccessManager();
  ZDownloadEnvironment environment;
  environment.network = network;
  environment.folders = &ZFolderManager::sharedFolderManager();
  environment.defaults = &UserDefaults::standardUserDefaults();
  environment.database = &VideoDatabase::defaultVideoDatabase();
  environment.freeBytes = &ZDownloadEnvironment::fileSystemFreeBytes;
  environment.mediaFolderUsage =
      std::shared_ptr<MediaFolderUsage>(&MediaFolderUsage::shared(), [](MediaFolderUsage *) {});
  return environment;
}

quint64 ZDownloadEnvironment::fileSystemFreeBytes(const QString &path) {
  if (path.isEmpty()) return 0;
  const QStorageInfo storage(path);
  if (!storage.isValid() || !storage.isReady() || storage.bytesAvailable() <= 0) return 0;
  return quint64(storage.bytesAvailable());
}

quint64 ZDownloadEnvironment::allowedDiskSpace() const {
  const QString location = defaults->stringForKey(QStringLiteral("DownloadLocation"));
  return Utilities::allowedDiskSpace(freeBytes ? freeBytes(location) : 0,
                                     defaults->doubleForKey(QStringLiteral("DownloadAllowedDiskUsage")));
}

quint64 ZDownloadEnvironment::mediaFolderBytes(qint64 maxAgeMs) const {
  const QString folder = folders->userMediaFilesFolderPath();
  if (!mediaFolderUsage) return Utilities::sizeOfMediaFolder(folder);
  return mediaFolderUsage->bytes(folder, maxAgeMs);
}
