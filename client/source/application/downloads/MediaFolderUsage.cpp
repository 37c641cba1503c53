#include "MediaFolderUsage.h"

#include "LibraryUtilities.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

// Posted by the library when it deleted videos.
const QString kVideosDeletedNotification = QStringLiteral("VideoDatabase_VideosDeleted");

QString withSlash(const QString &folder) {
  const QString clean = QDir::cleanPath(folder);
  return clean.endsWith(QLatin1Char('/')) ? clean : clean + QLatin1Char('/');
}

}  // namespace

MediaFolderUsage &MediaFolderUsage::shared() {
  static MediaFolderUsage *usage = [] {
    auto *made = new MediaFolderUsage();
    NotificationCenter::defaultCenter().addObserver(
        made, kVideosDeletedNotification, [made](const Notification &) { made->invalidate(); });
    return made;
  }();
  return *usage;
}

MediaFolderUsage::~MediaFolderUsage() { NotificationCenter::defaultCenter().removeObserver(this); }

quint64 MediaFolderUsage::bytes(const QString &folder, qint64 maxAgeMs) {
  const QString asked = withSlash(folder);
  const bool stale = maxAgeMs >= 0 && fSinceWalk.isValid() && fSinceWalk.elapsed() > maxAgeMs;
  if (!fWalked || asked != fFolder || stale) {
    fBytes = folder.isEmpty() ? 0 : Utilities::sizeOfMediaFolder(folder);
    fFolder = asked;
    fWalked = true;
    fSinceWalk.start();
    ++fWalks;
  }
  return fBytes;
}

bool MediaFolderUsage::counts(const QString &path) const {
  return fWalked && !path.isEmpty() && QDir::cleanPath(path).startsWith(fFolder);
}

void MediaFolderUsage::grew(const QString &path, quint64 bytes) {
  if (counts(path)) fBytes += bytes;
}

void MediaFolderUsage::shrank(const QString &path, quint64 bytes) {
  if (counts(path)) fBytes = bytes > fBytes ? 0 : fBytes - bytes;
}

bool MediaFolderUsage::removeFile(const QString &path) {
  if (path.isEmpty()) return false;
  struct stat info;
  if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return true;  // not there
  if (!QFile::remove(path)) return false;
  shrank(path, quint64(info.st_size));
  return true;
}
