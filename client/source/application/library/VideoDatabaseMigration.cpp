// The one-time migration of the previous client generation's library: its
// complete videos and its playlists are copied into a new library, their
// files moved into the media folders, and the old folder removed.

#include "Dialogs.h"
#include "Localization.h"
#include "MovieAttributes.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "VideoDatabaseInternal.h"
#include "ZFolderManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace videodb;

namespace {

QString joinPath(const QString &folder, const QString &name) {
  if (folder.endsWith(QLatin1Char('/'))) return folder + name;
  return folder + QLatin1Char('/') + name;
}

// Moves a file that lies in the old folder into the destination folder under
// its own name; answers the path to store (the old one when the move fails).
QString moveOutOfOldFolder(const QString &path, const QString &oldFolderPrefix,
                           const QString &destinationFolder) {
  if (path.isEmpty() || !QDir::cleanPath(path).startsWith(oldFolderPrefix)) return path;
  const QString destination = joinPath(destinationFolder, QFileInfo(path).fileName());
  if (QFileInfo::exists(destination) || !QFile::rename(path, destination)) return path;
  return destination;
}

// Removes everything in the folder except the kept files (and the folders on
// their way); removes the folder itself when nothing is kept in it. Links
// are removed, never followed. Answers whether the folder is gone.
bool removeAllExcept(const QString &folder, const QSet<QString> &kept) {
  QDir dir(folder);
  bool empty = true;
  const QFileInfoList entries =
      dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo &entry : entries) {
    const QString path = QDir::cleanPath(entry.absoluteFilePath());
    if (entry.isDir() && !entry.isSymLink()) {
      if (!removeAllExcept(path, kept)) empty = false;
    } else if (kept.contains(path) || !QFile::remove(path)) {
      empty = false;
    }
  }
  return empty && dir.rmdir(folder);
}

}  // namespace

void VideoDatabase::updateFromVersion2() {
  const QString oldDatabase = databasePathForVersion2();
  const QFileInfo oldInfo(oldDatabase);
  if (!oldInfo.exists() || oldInfo.isDir()) return;
  const QString oldFolder = QDir::cleanPath(databaseDirectoryForVersion2());
  const QString oldFolderPrefix = oldFolder + QLatin1Char('/');

  const QString guid = configStringForVersion2Key(QStringLiteral("Guid")).value_or(QString());
  const QString userName =
      configStringForVersion2Key(QStringLiteral("Username")).value_or(QString());

  std::unique_ptr<VideoImportProgress> progress = Dialogs::shared().showVideoImportProgress(
      localized(QStringLiteral("videodbImportFromVersion2ProgressWindowTitle")), nullptr);

  // Old VIDEO.ID -> the new ids made from it, in insertion order.
  QHash<int, QList<int>> idMap;
  // Files inside the old folder that a new library row points to (their move
  // failed): they must survive the removal of the old folder.
  QSet<QString> kept;

  const SqlRows videos =
      executeSQLInVersion2(QStringLiteral("SELECT * FROM VIDEO WHERE (DOWNLOAD_COMPLETE = 1) "
                                          "ORDER BY TITLE COLLATE NOCASE;"))
          .value_or(SqlRows());
  const QString mediaFolder = fFolders->userMediaFilesFolderPath();
  const QString imagesFolder = fFolders->userMediaFileImagesFolderPath();
  for (qsizetype i = 0; i < videos.size(); ++i) {
    const SqlRow &video = videos.at(i);
    const int oldId = intValue(video.value(QStringLiteral("ID")));
    QString path = video.value(QStringLiteral("PATH"));
    QString imagePath = video.value(QStringLiteral("IMAGE_PATH"));

    const QVariantMap attributes = Utilities::getQuicktimeAttributes(path, imagePath);
    const quint64 size = quint64(std::max<qint64>(0, QFileInfo(path).size()));

    progress->setProgressText(QFileInfo(path).fileName());
    progress->setProgressBarValue(double(i + 1) / double(videos.size()) * 100.0);

    path = moveOutOfOldFolder(path, oldFolderPrefix, mediaFolder);
    imagePath = moveOutOfOldFolder(imagePath, oldFolderPrefix, imagesFolder);

    AddVideoParams params;
    params.title = video.value(QStringLiteral("TITLE"));
    params.path = path;
    params.imagePath = imagePath;
    // A movie that cannot be read still has the extension of its name.
    params.extension = attributes.contains(QStringLiteral("Extension"))
                           ? attributes.value(QStringLiteral("Extension")).toString()
                           : QFileInfo(path).suffix();
    params.size = size;
    params.duration = attributes.value(QStringLiteral("Duration")).toLongLong();
    params.rating = 0;
    params.contentRating = 0;
    params.description = video.value(QStringLiteral("DESCRIPTION"));
    params.fileHash = video.value(QStringLiteral("FILE_HASH"));
    params.publisher = -1;
    params.save = 0;
    params.source = intValue(video.value(QStringLiteral("ORIGIN")));
    params.permaLink = video.value(QStringLiteral("VIDEO_PERMALINK"));
    const int newId = addVideo(params);
    if (newId == -1) continue;

    idMap[oldId].append(newId);
    for (const QString &stored : {path, imagePath})
      if (!stored.isEmpty() && QDir::cleanPath(stored).startsWith(oldFolderPrefix))
        kept.insert(QDir::cleanPath(stored));
    const QString publisher = video.value(QStringLiteral("PUBLISHER"));
    if (!publisher.isEmpty())
      addPublisherWithName(publisher, QStringLiteral(""), QStringLiteral(""), QStringLiteral(""),
                           QStringLiteral(""), QStringLiteral(""), newId);
  }

  progress->setProgressText(
      localized(QStringLiteral("videodbImportFromVersion2ProgressImportingPlaylistsMessage")));
  const SqlRows playlists =
      executeSQLInVersion2(QStringLiteral("SELECT * FROM Playlist WHERE TYPE = 1 or TYPE = 2 "
                                          "ORDER BY Name COLLATE NOCASE;"))
          .value_or(SqlRows());
  auto mapIds = [&idMap](const SqlRows &rows, const QString &column, QList<int> &out) {
    for (const SqlRow &row : rows) {
      const auto it = idMap.constFind(intValue(row.value(column)));
      if (it != idMap.constEnd()) out.append(*it);
    }
  };
  for (const SqlRow &playlist : playlists) {
    const int type = intValue(playlist.value(QStringLiteral("TYPE")));
    QList<int> videoIds;
    if (type == 1) {
      const auto entries =
          executeSQLInVersion2(sqlFormat("SELECT * FROM VIDEO_PLAYLIST WHERE PLAYLIST_ID = %d;",
                                         {intValue(playlist.value(QStringLiteral("ID")))}));
      if (entries) mapIds(*entries, QStringLiteral("VIDEO_ID"), videoIds);
    } else {
      // The old smart playlist's condition runs once, on the old library's
      // read-only connection; what it selected becomes an ordinary playlist.
      const QString condition = playlist.value(QStringLiteral("SQL"));
      if (!idMap.isEmpty() && !condition.trimmed().isEmpty()) {
        const auto rows = executeSQLInVersion2(sqlFormat(
            "SELECT DISTINCT VIDEO.ID FROM VIDEO LEFT JOIN VIDEO_CATEGORY ON VIDEO.ID = "
            "VIDEO_CATEGORY.VIDEO_ID LEFT JOIN VIDEO_TAG ON VIDEO.ID = VIDEO_TAG.VIDEO_ID LEFT "
            "JOIN VIDEO_CHANNEL ON VIDEO.ID = VIDEO_CHANNEL.VIDEO_ID LEFT JOIN VIDEO_DEVICE ON "
            "VIDEO.ID = VIDEO_DEVICE.VIDEO_ID LEFT JOIN CATEGORY ON VIDEO_CATEGORY.CATEGORY_ID = "
            "CATEGORY.ID LEFT JOIN TAG ON VIDEO_TAG.TAG_ID = TAG.ID LEFT JOIN CHANNEL ON "
            "VIDEO_CHANNEL.CHANNEL_ID = CHANNEL.ID LEFT JOIN DEVICE ON VIDEO_DEVICE.DEVICE_ID = "
            "DEVICE.ID WHERE %@;",
            {condition}));
        if (rows) mapIds(*rows, QStringLiteral("ID"), videoIds);
      }
    }
    saveNewPlaylist(playlist.value(QStringLiteral("NAME")), videoIds);
  }

  progress->closeVideoImportProgress();
  progress.reset();

  if (!guid.isEmpty() && !userName.isEmpty()) {
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setString(guid, QStringLiteral("MigrationVersion2Guid"));
    defaults.setString(userName, QStringLiteral("MigrationVersion2UserName"));
  }

  // The old library is done with: close it and remove its folder, except the
  // files new rows still point to.
  fVersion2->close();
  removeAllExcept(oldFolder, kept);
}
