#include "ZPlaylistDataSource.h"

#include "LibraryUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "StringExtensions.h"

#include <algorithm>

const QString ZPlaylistDataSource::ListRebuiltNotification =
    QStringLiteral("PlaylistDataSourceListRebuilt");
const QString ZPlaylistDataSource::ListSelectionChangedNotification =
    QStringLiteral("PlaylistDataSourceListSelectionChanged");
const QString ZPlaylistDataSource::ListEntriesChangedNotification =
    QStringLiteral("PlaylistDataSourceListEntriesChanged");

namespace {

int rowId(const SqlRow &row) {
  return int(integerNumber(row.value(QStringLiteral("id"))).value_or(0));
}

QString rowName(const SqlRow &row) { return row.value(QStringLiteral("Name")); }

QList<int> rowIds(const SqlRows &rows) {
  QList<int> ids;
  ids.reserve(rows.size());
  for (const SqlRow &row : rows) ids.append(rowId(row));
  return ids;
}

void post(const QString &name) { NotificationCenter::defaultCenter().postNotificationName(name); }

}  // namespace

ZPlaylistDataSource &ZPlaylistDataSource::sharedPlaylistDataSource() {
  static ZPlaylistDataSource *shared =
      new ZPlaylistDataSource(VideoDatabase::defaultVideoDatabase());
  return *shared;
}

ZPlaylistDataSource::ZPlaylistDataSource(VideoDatabase &database) : fDatabase(database) {
  fPlaylists.reserve(10);
  fVideosInCurrentPlaylist.reserve(10);
  rebuild();
  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.addObserver(this, QStringLiteral("VideoDatabase_VideosDeleted"),
                     [this](const Notification &) { videosDeletedInDatabase(); });
  for (const char *name : {"VideoDatabase_PlaylistAdded", "VideoDatabase_PlaylistDeleted",
                           "VideoDatabase_PlaylistModified"}) {
    center.addObserver(this, QString::fromLatin1(name),
                       [this](const Notification &) { playlistListModifiedInDatabase(); });
  }
  center.addObserver(this, QStringLiteral("VideoDatabase_PlaylistEntriesModified"),
                     [this](const Notification &) { playlistEntriesModified(); });
}

ZPlaylistDataSource::~ZPlaylistDataSource() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

// ---- the list of playlists ----------------------------------------------------

QStringList ZPlaylistDataSource::playlistNames() const {
  QStringList names;
  names.reserve(fPlaylists.size());
  for (const SqlRow &row : fPlaylists) names.append(rowName(row));
  return names;
}

bool ZPlaylistDataSource::playlistExists(const QString &name) const {
  return std::any_of(fPlaylists.cbegin(), fPlaylists.cend(), [&name](const SqlRow &row) {
    return rowName(row).compare(name, Qt::CaseInsensitive) == 0;
  });
}

void ZPlaylistDataSource::rebuild() {
  const QList<int> before = rowIds(fPlaylists);
  fPlaylists = fDatabase.getPlaylistsSortedByName();
  fCurrentPlaylistIndex = -1;
  for (qsizetype i = 0; i < fPlaylists.size(); ++i) {
    if (rowId(fPlaylists.at(i)) == fCurrentPlaylistId) {
      fCurrentPlaylistIndex = int(i);
      break;
    }
  }
  emit playlistRowsChanged(rowEdits(before, rowIds(fPlaylists)));
  post(ListRebuiltNotification);
  if (fCurrentPlaylistId != -1 && fCurrentPlaylistIndex == -1) {
    // The selected playlist is gone.
    fCurrentPlaylistId = -1;
    reloadVideosForSelectedPlaylist();
    emit selectedPlaylistChanged(-1, -1);
    post(ListSelectionChangedNotification);
  }
}

// ---- selection --------------------------------------------------------------------

void ZPlaylistDataSource::setSelection(int index) {
  const int previous = fCurrentPlaylistIndex;
  fCurrentPlaylistIndex = index;
  fCurrentPlaylistId = rowId(fPlaylists.at(index));
  reloadVideosForSelectedPlaylist();
  emit selectedPlaylistChanged(previous, index);
  post(ListSelectionChangedNotification);
}

void ZPlaylistDataSource::selectPlaylist(const QString &name) {
  for (qsizetype i = 0; i < fPlaylists.size(); ++i) {
    if (rowName(fPlaylists.at(i)).compare(name, Qt::CaseInsensitive) == 0) {
      setSelection(int(i));
      return;
    }
  }
}

void ZPlaylistDataSource::selectPlaylistWithId(int playlistId) {
  for (qsizetype i = 0; i < fPlaylists.size(); ++i) {
    if (rowId(fPlaylists.at(i)) == playlistId) {
      setSelection(int(i));
      return;
    }
  }
}

QString ZPlaylistDataSource::selectedPlaylistName() const {
  if (fCurrentPlaylistIndex < 0 || fCurrentPlaylistIndex >= fPlaylists.size()) return QString();
  return rowName(fPlaylists.at(fCurrentPlaylistIndex));
}

int ZPlaylistDataSource::selectedPlaylistId() const {
  if (fCurrentPlaylistIndex < 0 || fCurrentPlaylistIndex >= fPlaylists.size()) return -1;
  return rowId(fPlaylists.at(fCurrentPlaylistIndex));
}

// ---- the selected playlist's videos ----------------------------------------------------

void ZPlaylistDataSource::reloadVideosForSelectedPlaylist() {
  const QList<int> before = std::move(fVideosInCurrentPlaylist);
  fVideosInCurrentPlaylist.clear();
  if (fCurrentPlaylistId >= 1)
    fVideosInCurrentPlaylist = fDatabase.getPlaylistEntries(fCurrentPlaylistId);
  emit videoRowsChanged(rowEdits(before, fVideosInCurrentPlaylist));
}

int ZPlaylistDataSource::videoIdAtIndex(int index) const {
  if (index < 0 || index >= fVideosInCurrentPlaylist.size()) return -1;
  return fVideosInCurrentPlaylist.at(index);
}

std::optional<VideoInfo> ZPlaylistDataSource::videoInfoAtIndex(int index) const {
  if (index < 0 || index >= fVideosInCurrentPlaylist.size()) return std::nullopt;
  return fDatabase.getVideoInfo(fVideosInCurrentPlaylist.at(index));
}

void ZPlaylistDataSource::writeVideos(const QList<int> &videoIds) {
  // The database posts the entries change, on which the list is reloaded
  // from what was stored.
  fDatabase.setVideos(videoIds, selectedPlaylistId());
}

void ZPlaylistDataSource::addVideoIds(const QList<int> &videoIds, int index) {
  if (index < -1) return;
  if (selectedPlaylistId() == -1) {
    createNewPlaylist();
    if (selectedPlaylistId() == -1) return;
  }
  QList<int> list = fVideosInCurrentPlaylist;
  const int length = int(list.size());
  if (index >= length) index = length;
  if (index == -1) index = 0;
  if (videoIds.isEmpty()) return;
  for (qsizetype i = 0; i < videoIds.size(); ++i) list.insert(index + i, videoIds.at(i));
  writeVideos(list);
}

void ZPlaylistDataSource::moveIndices(const QList<int> &indexes, int toIndex) {
  if (selectedPlaylistId() == -1) return;
  QList<int> list = fVideosInCurrentPlaylist;
  const int length = int(list.size());
  QList<int> rows;
  for (int index : indexes)
    if (index >= 0 && index < length) rows.append(index);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.isEmpty()) return;

  // The rows are taken out by position, not by video id: a video may stand in
  // a playlist more than once, and its other occurrences must stay where they
  // are.
  int destination = std::clamp(toIndex, 0, length);
  QList<int> moved;
  moved.reserve(rows.size());
  for (int row : rows) moved.append(list.at(row));
  for (qsizetype i = rows.size() - 1; i >= 0; --i) {
    list.removeAt(rows.at(i));
    if (rows.at(i) < destination) --destination;
  }
  for (qsizetype i = 0; i < moved.size(); ++i) list.insert(destination + i, moved.at(i));
  writeVideos(list);
}

void ZPlaylistDataSource::removeVideosWithIds(const QList<int> &videoIds) {
  if (selectedPlaylistId() == -1) return;
  QList<int> list = fVideosInCurrentPlaylist;
  for (int id : videoIds) list.removeAll(id);
  writeVideos(list);
}

void ZPlaylistDataSource::clearVideosFromSelectedPlaylist() {
  const int playlistId = selectedPlaylistId();
  if (playlistId == -1) return;
  fDatabase.deleteEntriesForPlaylist(playlistId);
}

// ---- commands -----------------------------------------------------------------------------

QString ZPlaylistDataSource::getUniqueNameForNewPlaylist() const {
  return Utilities::uniqueNameForPlaylistStartingWith(
      localized(QStringLiteral("libraryPlaylistsNewPlaylistName")), *this);
}

int ZPlaylistDataSource::createNewPlaylist() {
  const QString name = getUniqueNameForNewPlaylist();
  fDatabase.saveNewPlaylist(name, std::nullopt);
  selectPlaylist(name);
  // The name was free ignoring case, so a selection of that name is the new one.
  return selectedPlaylistName().compare(name, Qt::CaseInsensitive) == 0 ? selectedPlaylistId() : -1;
}

void ZPlaylistDataSource::renameSelectedPlaylist(const QString &name) {
  const int playlistId = selectedPlaylistId();
  if (playlistId == -1) return;
  QString newName = name.trimmed();
  if (newName.isEmpty()) return;
  const int existing = fDatabase.getIdForPlaylist(newName);
  if (existing == playlistId) return;
  if (existing != -1) newName = Utilities::uniqueNameForPlaylistStartingWith(newName, *this);
  fDatabase.setName(newName, playlistId);
}

void ZPlaylistDataSource::deleteSelectedPlaylist() {
  const int playlistId = selectedPlaylistId();
  if (playlistId == -1) return;
  fDatabase.deletePlaylistWithId(playlistId);
}

// ---- database notifications ---------------------------------------------------------------

void ZPlaylistDataSource::videosDeletedInDatabase() {
  reloadVideosForSelectedPlaylist();
  post(ListSelectionChangedNotification);
}

void ZPlaylistDataSource::playlistListModifiedInDatabase() { rebuild(); }

void ZPlaylistDataSource::playlistEntriesModified() {
  reloadVideosForSelectedPlaylist();
  post(ListEntriesChangedNotification);
}
