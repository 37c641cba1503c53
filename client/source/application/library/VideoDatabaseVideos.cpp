// Video records: the full insert, look-ups, lists, the user's marks, deletion
// with its clean-up of groupings, and the disk-space policy.

#include "DateUtilities.h"
#include "Localization.h"
#include "Logging.h"
#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "VideoDatabaseInternal.h"
#include "ZFolderManager.h"
#include "ZNotificationSystem.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace videodb;

namespace {

// Bytes used by a folder: the size attribute of the folder itself (following
// a link) plus that of every file and folder below it (not following links).
quint64 folderSize(const QString &folder) {
  if (folder.isEmpty()) return 0;
  const QByteArray root = QFile::encodeName(folder);
  struct stat info;
  if (::stat(root.constData(), &info) != 0) return 0;
  quint64 total = quint64(info.st_size);
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QByteArray path = QFile::encodeName(it.next());
    if (::lstat(path.constData(), &info) == 0) total += quint64(info.st_size);
  }
  return total;
}

void removeFileIfPresent(const QString &path) {
  if (path.isEmpty()) return;
  const QFileInfo info(path);
  if ((info.exists() || info.isSymLink()) && !info.isDir()) QFile::remove(path);
}

int validRating(int rating) { return rating < 0 || rating > 5 ? 0 : rating; }

}  // namespace

// ---- the full insert ---------------------------------------------------------------

int VideoDatabase::addVideo(const AddVideoParams &params) {
  const QString description =
      params.description.value_or(localized(QStringLiteral("videodbImportedVideoDescription")));
  const QString path = esc(params.path);
  int videoId = -1;
  {
    Transaction transaction(*this);
    // A path already in the library is refused: a second row would make the
    // file two videos, and deleting either would pull the file from the other.
    const auto existing = queryIds(sqlFormat("SELECT id FROM Videos WHERE PATH = '%@';", {path}));
    if (!existing || !existing->isEmpty()) return -1;

    const QString insert = sqlFormat(
        "INSERT INTO Videos (VIDEO_PERMALINK,DURATION,RATING,CONTENT_RATING,SIZE,"
        "SUBSCRIPTION_TYPE,SUBSCRIPTION_VALUE,TITLE,DESCRIPTION,PATH,IMAGE_PATH,EXTENSION,"
        "FILE_HASH,PUBLISHER,DATE_ADDED,DRM,MISC_XML,VIDEO_SAVED,SOURCE,ReviewState) VALUES "
        "('%@','%@',%d,'%@','%@','%@','%@','%@','%@','%@','%@','%@','%@',%d,'%@','%@','%@','%@',"
        "'%@', '%@');",
        {esc(params.permaLink),
         QString::number(params.duration),
         validRating(params.rating),
         QString::number(params.contentRating.value_or(0)),
         QString::number(params.size),
         esc(params.subscriptionType),
         esc(params.subscriptionValue),
         esc(params.title),
         esc(description),
         path,
         esc(params.imagePath),
         esc(params.extension),
         esc(params.fileHash),
         params.publisher,
         esc(sqlDateNow()),
         QString::number(params.drm.value_or(0)),
         esc(params.miscXml),
         QString::number(params.save.value_or(1)),
         QString::number(params.source.value_or(0)),
         esc(params.reviewState)});
    if (!executeSQL(insert)) return -1;

    const auto rows = queryIds(sqlFormat("SELECT id FROM Videos WHERE PATH = '%@';", {path}));
    if (!rows || rows->size() != 1) {
      transaction.fail();
      return -1;
    }
    videoId = rows->first();
    if (!transaction.commit()) return -1;
  }
  ZNotificationSystem &gate = ZNotificationSystem::sharedNotificationSystem();
  gate.postNotificationName(kVideoAdded);
  gate.postNotificationName(kChanged);
  return videoId;
}

// ---- deletion ----------------------------------------------------------------------

bool VideoDatabase::deleteVideosWithIds(const QList<int> &videoIds) {
  bool rowsGone = true;
  {
    Transaction transaction(*this);
    if (!videoIds.isEmpty()) {
      const QString ids = idList(videoIds);
      // The rows first: when they cannot go (a read-only library, say),
      // nothing else changes either.
      if (!executeSQL(sqlFormat("DELETE FROM VIDEOS WHERE id IN (%@);", {ids}))) {
        transaction.fail();
        rowsGone = false;
      } else {
        // The statements after it run even when one of them fails.
        executeSQL(sqlFormat("UPDATE FeedItems SET State=%d WHERE VideoId IN (%@);",
                             {int(FeedItemStateVideoDeleted), ids}));
        executeSQL(sqlFormat("DELETE FROM PlaylistEntries WHERE VideoId IN (%@);", {ids}));
      }
    }
    if (rowsGone) {
      static const char *const kCleanUp[] = {
          "DELETE FROM CategoryEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS)",
          "DELETE FROM ChannelEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS)",
          "DELETE FROM SeriesEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS)",
          "DELETE FROM TagEntries WHERE VideoId NOT IN (SELECT id FROM VIDEOS)",
          "DELETE FROM Categories WHERE id NOT IN (SELECT CategoryId FROM CategoryEntries)",
          "DELETE FROM Channels WHERE id NOT IN (SELECT ChannelId FROM ChannelEntries)",
          "DELETE FROM Series WHERE id NOT IN (SELECT SeriesId FROM SeriesEntries)",
          "DELETE FROM Tags WHERE id NOT IN (SELECT TagId FROM TagEntries)",
          "DELETE FROM Publishers WHERE id NOT IN (SELECT PUBLISHER FROM Videos)",
      };
      for (const char *statement : kCleanUp) executeSQL(QString::fromLatin1(statement));
    }
    // A failing COMMIT discards the deletion too.
    if (!transaction.commit()) rowsGone = false;
  }
  if (!rowsGone) {
    qCWarning(zaroLibrary, "%lld videos could not be deleted from the library",
              static_cast<long long>(videoIds.size()));
    return false;
  }
  removeVideoInfosFromCache(videoIds);
  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.postNotificationName(kVideosDeleted);
  center.postNotificationName(kChanged);
  return true;
}

// ---- look-ups and lists ---------------------------------------------------------------

const VideoInfo *VideoDatabase::cachedVideoInfo(int videoId) const {
  const int index = findVideoInfo(videoId);
  return index >= 0 ? &fVideoList.at(index) : nullptr;
}

std::optional<VideoInfo> VideoDatabase::getVideoInfo(int videoId) {
  const int index = findVideoInfo(videoId);
  if (index >= 0) return fVideoList.at(index);
  const auto ids =
      queryAndCacheVideos(sqlFormat("SELECT * FROM Videos WHERE id=%d;", {videoId}), true);
  if (!ids || ids->isEmpty()) return std::nullopt;
  const int cached = findVideoInfo(videoId);
  if (cached < 0) return std::nullopt;
  return fVideoList.at(cached);
}

QList<int> VideoDatabase::getAllVideos() {
  // The order comes from the title index alone; the rows are then read in
  // the table's own order (one pass over the file, where reading them in
  // title order would jump through it), and with a filled cache only the
  // rows it lacks.
  const auto ids = queryIds(QStringLiteral("SELECT id FROM Videos ORDER BY TITLE COLLATE NOCASE;"));
  if (!ids) return {};
  QList<int> missing;
  for (int id : *ids)
    if (findVideoInfo(id) < 0) missing.append(id);
  if (!missing.isEmpty())
    queryAndCacheVideos(missing.size() > ids->size() / 2
                            ? QStringLiteral("SELECT * FROM Videos;")
                            : QStringLiteral("SELECT * FROM Videos WHERE id IN (") +
                                  idList(missing) + QStringLiteral(");"),
                        false);
  return *ids;
}

QList<int> VideoDatabase::getAllVideosSuchThat(const QString &condition, const QString &order) {
  const QString base = QStringLiteral("SELECT * FROM Videos");
  QString statement;
  if (!condition.isEmpty() && !order.isEmpty())
    statement = sqlFormat("%@ WHERE %@ ORDER BY %@;", {base, condition, order});
  else if (!condition.isEmpty())
    statement = sqlFormat("%@ WHERE %@;", {base, condition});
  else if (!order.isEmpty())
    statement = sqlFormat("%@ ORDER BY %@;", {base, order});
  else
    statement = QStringLiteral("SELECT * FROM Videos ORDER BY TITLE;");
  return queryAndCacheVideos(statement, true).value_or(QList<int>());
}

bool VideoDatabase::videoWithPermalinkExists(const QString &permalink) {
  return videoIdWithPermalink(permalink) != -1;
}

int VideoDatabase::videoIdWithPermalink(const QString &permalink) {
  const auto ids = queryIds(sqlFormat(
      "SELECT id FROM Videos WHERE VIDEO_PERMALINK = '%@' ORDER BY id LIMIT 1;", {esc(permalink)}));
  if (!ids || ids->isEmpty()) return -1;
  return ids->first();
}

// ---- marks -------------------------------------------------------------------------

int VideoDatabase::ratingForVideo(int videoId) {
  const auto info = getVideoInfo(videoId);
  return info ? intValue(info->value(QStringLiteral("RATING"))) : 0;
}

bool VideoDatabase::setRating(int rating, int videoId) {
  if (!executeSQL(
          sqlFormat("UPDATE Videos SET RATING = %d WHERE id = %d", {validRating(rating), videoId})))
    return false;
  updateVideoInfoFromDatabase(videoId);
  NotificationCenter::defaultCenter().postNotificationName(kVideoUpdated, videoId);
  return true;
}

bool VideoDatabase::savedStateForVideoId(int videoId) {
  const auto info = getVideoInfo(videoId);
  return info && info->value(QStringLiteral("VIDEO_SAVED")) == QLatin1String("1");
}

bool VideoDatabase::setSaved(bool saved, int videoId) {
  if (!executeSQL(
          sqlFormat("UPDATE Videos SET VIDEO_SAVED = '%@' WHERE id = '%@'",
                    {saved ? QStringLiteral("1") : QStringLiteral("0"), QString::number(videoId)})))
    return false;
  updateVideoInfoFromDatabase(videoId);
  NotificationCenter::defaultCenter().postNotificationName(kVideoUpdated, videoId);
  return true;
}

void VideoDatabase::setSaved(bool saved, const QList<int> &videoIds) {
  if (videoIds.isEmpty()) return;
  if (!executeSQL(sqlFormat("UPDATE Videos SET VIDEO_SAVED = '%@' WHERE id IN (%@)",
                            {saved ? QStringLiteral("1") : QStringLiteral("0"), idList(videoIds)})))
    return;
  updateVideoInfosFromDatabase(videoIds);
  for (int id : videoIds)
    NotificationCenter::defaultCenter().postNotificationName(kVideoUpdated, id);
}

bool VideoDatabase::setDateViewedText(const QString &text, const QList<int> &videoIds) {
  if (videoIds.isEmpty()) return true;
  const QString statement = videoIds.size() == 1
                                ? sqlFormat("UPDATE Videos SET DATE_VIEWED = '%@' WHERE id = '%@'",
                                            {esc(text), QString::number(videoIds.first())})
                                : sqlFormat("UPDATE Videos SET DATE_VIEWED = '%@' WHERE id IN (%@)",
                                            {esc(text), idList(videoIds)});
  if (!executeSQL(statement)) return false;
  updateVideoInfosFromDatabase(videoIds);
  for (int id : videoIds)
    NotificationCenter::defaultCenter().postNotificationName(kVideoUpdated, id);
  return true;
}

bool VideoDatabase::setDateViewed(const QDateTime &date, int videoId) {
  return setDateViewedText(date.isValid() ? libraryDate(date) : QString(), {videoId});
}

void VideoDatabase::setDateViewed(const QDateTime &date, const QList<int> &videoIds) {
  setDateViewedText(date.isValid() ? libraryDate(date) : QString(), videoIds);
}

bool VideoDatabase::videoIsImported(int videoId) {
  const auto info = getVideoInfo(videoId);
  if (!info) return true;
  if (!info->contains(QStringLiteral("SOURCE"))) return true;
  return intValue(info->value(QStringLiteral("SOURCE"))) == 1;
}

QString VideoDatabase::permalinkForVideoId(int videoId) {
  const auto info = getVideoInfo(videoId);
  return info ? info->value(QStringLiteral("VIDEO_PERMALINK")) : QString();
}

QString VideoDatabase::pathForVideoId(int videoId) {
  const auto info = getVideoInfo(videoId);
  return info ? info->value(QStringLiteral("PATH")) : QString();
}

// ---- disk-space policy ---------------------------------------------------------------

void VideoDatabase::deleteVideosToFreeUpDiskSpace(quint64 needed) {
  deleteVideosToFreeUpDiskSpace(needed, Utilities::availableDiskSpace());
}

void VideoDatabase::deleteVideosToFreeUpDiskSpace(quint64 needed, quint64 allowed) {
  if (needed >= allowed) return;
  const QString mediaFolder = fFolders->userMediaFilesFolderPath();
  quint64 used = folderSize(mediaFolder);
  const quint64 target = allowed - needed;
  if (used <= target) return;
  // Oldest insertion first.
  const QList<int> candidates = getAllVideosSuchThat(QString(), QStringLiteral("DATE_ADDED"));
  for (int videoId : candidates) {
    if (used <= target) break;
    if (savedStateForVideoId(videoId) || videoIsImported(videoId)) continue;
    const auto info = getVideoInfo(videoId);
    const QString moviePath = info ? info->value(QStringLiteral("PATH")) : QString();
    const QString imagePath = info ? info->value(QStringLiteral("IMAGE_PATH")) : QString();
    // A library that cannot delete this row deletes no other: the files of
    // the rows that stay are kept, and nothing more is tried.
    if (!deleteVideosWithIds({videoId})) break;
    removeFileIfPresent(moviePath);
    removeFileIfPresent(imagePath);
    used = folderSize(mediaFolder);
  }
}
