#include "LibraryUtilities.h"

#include "DateUtilities.h"
#include "StringExtensions.h"
#include "ZFolderManager.h"
#include "ZPlaylistDataSource.h"

#include <QDirIterator>
#include <QFile>

#include <limits>

#include <sys/stat.h>

namespace Utilities {

namespace {

int clampedInt(const QString &text) {
  const qint64 value = integerNumber(text).value_or(0);
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return int(value);
}

}  // namespace

int getVideoId(const VideoInfo &video) { return clampedInt(video.value(QStringLiteral("id"))); }

QString titleForVideo(const VideoInfo &video) {
  return video.value(QStringLiteral("TITLE"), QStringLiteral(""));
}

QImage getVideoThumbnail(const VideoInfo &video) {
  const auto path = video.lookup(QStringLiteral("IMAGE_PATH"));
  if (!path || path->isEmpty()) return QImage();
  return QImage(*path);
}

bool videoIsSaved(const VideoInfo &video) {
  return video.value(QStringLiteral("VIDEO_SAVED")) == QLatin1String("1");
}

bool videoIsViewed(const VideoInfo &video) {
  return !video.value(QStringLiteral("DATE_VIEWED")).isEmpty();
}

int ratingForVideo(const VideoInfo &video) {
  return clampedInt(video.value(QStringLiteral("RATING")));
}

QString publisherNameForVideo(const VideoInfo &video) {
  return publisherNameForVideo(video, VideoDatabase::defaultVideoDatabase());
}

QString publisherNameForVideo(const VideoInfo &video, VideoDatabase &database) {
  const auto publisher = video.lookup(QStringLiteral("PUBLISHER"));
  if (!publisher) return QStringLiteral("");
  return database.getNameForPublisherId(clampedInt(*publisher));
}

QDateTime dateAddedForVideo(const VideoInfo &video) {
  const auto added = video.lookup(QStringLiteral("DATE_ADDED"));
  if (!added) return QDateTime();
  return parseDate(*added);
}

quint64 sizeOfMediaFolder() {
  return sizeOfMediaFolder(ZFolderManager::sharedFolderManager().userMediaFilesFolderPath());
}

quint64 sizeOfMediaFolder(const QString &folderPath) {
  if (folderPath.isEmpty()) return 0;
  struct stat info;
  if (::stat(QFile::encodeName(folderPath).constData(), &info) != 0) return 0;
  quint64 total = quint64(info.st_size);
  if (!S_ISDIR(info.st_mode)) return total;
  // QDirIterator does not descend into linked folders unless asked to.
  QDirIterator it(folderPath, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    if (::lstat(QFile::encodeName(it.next()).constData(), &info) == 0)
      total += quint64(info.st_size);
  }
  return total;
}

QString uniqueNameForPlaylistStartingWith(const QString &name) {
  return uniqueNameForPlaylistStartingWith(name, ZPlaylistDataSource::sharedPlaylistDataSource());
}

QString uniqueNameForPlaylistStartingWith(const QString &name,
                                          const ZPlaylistDataSource &playlists) {
  if (!playlists.playlistExists(name)) return name;
  for (qint64 number = 2;; ++number) {
    // "%@ (%d)", built by hand so that a "%1" in the name stays as it is.
    const QString candidate = name + QStringLiteral(" (") + QString::number(number) + u')';
    if (!playlists.playlistExists(candidate)) return candidate;
  }
}

}  // namespace Utilities
