// Playlists: named, ordered lists of library videos. The order of a playlist
// is the order of its entry rows (their ids); rewriting a playlist replaces
// all its entries.

#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "VideoDatabaseInternal.h"

using namespace videodb;

namespace {

// One statement inserting the entries in the given order.
QString entriesInsert(int playlistId, const QList<int> &videoIds) {
  QString statement = QStringLiteral("INSERT INTO PlaylistEntries (PlaylistId,VideoId) VALUES ");
  statement.reserve(statement.size() + videoIds.size() * 16);
  const QString playlist = QString::number(playlistId);
  for (qsizetype i = 0; i < videoIds.size(); ++i) {
    if (i) statement += QLatin1Char(',');
    statement += QStringLiteral("('") + playlist + QStringLiteral("','") +
                 QString::number(videoIds.at(i)) + QStringLiteral("')");
  }
  statement += QLatin1Char(';');
  return statement;
}

}  // namespace

SqlRows VideoDatabase::getPlaylistsSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Playlists ORDER BY NAME COLLATE NOCASE;"))
      .value_or(SqlRows());
}

QList<int> VideoDatabase::getPlaylistEntries(int playlistId) {
  return queryIds(sqlFormat("SELECT VideoId FROM PlaylistEntries, Videos WHERE PlaylistId = %d "
                            "AND PlaylistEntries.VideoId = Videos.id ORDER BY PlaylistEntries.id;",
                            {playlistId}))
      .value_or(QList<int>());
}

void VideoDatabase::saveNewPlaylist(const QString &name,
                                    const std::optional<QList<int>> &videoIds) {
  {
    Transaction transaction(*this);
    if (executeSQL(sqlFormat("INSERT INTO Playlists (Name) VALUES ('%@');", {esc(name)})) &&
        videoIds && !videoIds->isEmpty()) {
      // The entries belong to the row just inserted, even when an older
      // playlist bears the same name.
      const auto newId = queryIds(QStringLiteral("SELECT last_insert_rowid();"));
      if (newId && !newId->isEmpty() && !executeSQL(entriesInsert(newId->first(), *videoIds)))
        transaction.fail();
    }
  }
  NotificationCenter::defaultCenter().postNotificationName(kPlaylistAdded);
}

void VideoDatabase::setVideos(const QList<int> &videoIds, int playlistId) {
  {
    Transaction transaction(*this);
    const auto playlist =
        queryIds(sqlFormat("SELECT id FROM Playlists WHERE id = %d;", {playlistId}));
    if (!playlist || playlist->isEmpty()) return;
    if (!executeSQL(sqlFormat("DELETE FROM PlaylistEntries WHERE PlaylistId = %d;", {playlistId})))
      return;
    // A failed insert keeps the playlist as it was rather than half written.
    if (!videoIds.isEmpty() && !executeSQL(entriesInsert(playlistId, videoIds))) transaction.fail();
  }
  NotificationCenter::defaultCenter().postNotificationName(kPlaylistEntriesModified, playlistId);
}

void VideoDatabase::deleteEntriesForPlaylist(int playlistId) {
  executeSQL(sqlFormat("DELETE FROM PlaylistEntries WHERE PlaylistId = %d;", {playlistId}));
  NotificationCenter::defaultCenter().postNotificationName(kPlaylistEntriesModified);
}

void VideoDatabase::deletePlaylistWithId(int playlistId) {
  {
    Transaction transaction(*this);
    executeSQL(sqlFormat("DELETE FROM PlaylistEntries WHERE PlaylistId = %d;", {playlistId}));
    executeSQL(sqlFormat("DELETE FROM Playlists WHERE id = %d;", {playlistId}));
  }
  NotificationCenter::defaultCenter().postNotificationName(kPlaylistDeleted);
}

int VideoDatabase::getIdForPlaylist(const QString &name) {
  const auto rows =
      executeSQL(sqlFormat("SELECT * FROM Playlists WHERE Name = '%@';", {esc(name)}));
  if (!rows || rows->isEmpty()) return -1;
  return intValue(rows->first().value(QStringLiteral("id")));
}

bool VideoDatabase::setName(const QString &name, int playlistId) {
  if (!executeSQL(
          sqlFormat("UPDATE Playlists SET Name = '%@' WHERE id = %d", {esc(name), playlistId})))
    return false;
  NotificationCenter::defaultCenter().postNotificationName(kPlaylistModified);
  return true;
}
