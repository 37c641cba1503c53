#include "ZNowPlayingListDataSource.h"

#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "ZPlaylistDataSource.h"

#include <algorithm>
#include <utility>

const QString ZNowPlayingListDataSource::VideosAddedNotification =
    QStringLiteral("NowPlayingListVideosAdded");
const QString ZNowPlayingListDataSource::CurrentVideoChangedNotification =
    QStringLiteral("NowPlayingListCurrentVideoChanged");
const QString ZNowPlayingListDataSource::PlaylistChangedNotification =
    QStringLiteral("NowPlaylistPlaylistChanged");

ZNowPlayingListDataSource &ZNowPlayingListDataSource::sharedNowPlayingListDataSource() {
  // Made once, on first use, whichever caller comes first.
  static ZNowPlayingListDataSource *list = new ZNowPlayingListDataSource(
      ZPlaylistDataSource::sharedPlaylistDataSource(), VideoDatabase::defaultVideoDatabase());
  return *list;
}

ZNowPlayingListDataSource::ZNowPlayingListDataSource(ZPlaylistDataSource &playlists,
                                                     VideoDatabase &database)
    : fPlaylists(playlists), fDatabase(database) {
  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.postNotificationName(VideosAddedNotification, QVariant::fromValue(fVideoList));
  for (const QString &name : {ZPlaylistDataSource::ListRebuiltNotification,
                              ZPlaylistDataSource::ListSelectionChangedNotification})
    center.addObserver(this, name, [this](const Notification &) { playlistSelectionChanged(); });
  center.addObserver(this, QStringLiteral("VideoDatabase_PlaylistEntriesModified"),
                     [this](const Notification &note) {
                       playlistEntriesModified(note.object.isValid() ? note.object.toInt() : -1);
                     });
  center.addObserver(this, QStringLiteral("VideoDatabase_VideosDeleted"),
                     [this](const Notification &) { videosDeleted(); });
}

ZNowPlayingListDataSource::~ZNowPlayingListDataSource() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

QList<int> ZNowPlayingListDataSource::videoList() const {
  QList<int> present;
  for (const int id : fVideoList)
    if (fDatabase.getVideoInfo(id)) present.append(id);
  return present;
}

std::optional<int> ZNowPlayingListDataSource::videoIdAtIndex(int index) const {
  if (index < 0 || index >= count()) return std::nullopt;
  return fVideoList.at(index);
}

std::optional<VideoInfo> ZNowPlayingListDataSource::videoInfoAtIndex(int index) const {
  const auto id = videoIdAtIndex(index);
  if (!id) return std::nullopt;
  return fDatabase.getVideoInfo(*id);
}

void ZNowPlayingListDataSource::replaceVideos(const QList<int> &videoIds, int index) {
  const QList<int> before = std::exchange(fVideoList, videoIds);
  const ZRowEdits edits = rowEdits(before, fVideoList);
  if (!edits.isEmpty()) emit videoRowsChanged(edits);
  // A list that got shorter than the number (entries before the current one
  // deleted, a shorter playlist selected) ends at its last entry.
  index = std::clamp(index, -1, count() - 1);
  const int previous = std::exchange(fIndexOfCurrentlyPlayingVideo, index);
  if (previous != index) emit currentVideoChanged(previous, index);
}

void ZNowPlayingListDataSource::setVideos(const QList<int> &videoIds) {
  replaceVideos(videoIds, videoIds.isEmpty() ? -1 : 0);
}

void ZNowPlayingListDataSource::setIndexOfCurrentlyPlayingVideo(int index) {
  const int previous = fIndexOfCurrentlyPlayingVideo;
  fIndexOfCurrentlyPlayingVideo = index >= 0 && index < count() ? index : -1;
  if (previous != fIndexOfCurrentlyPlayingVideo)
    emit currentVideoChanged(previous, fIndexOfCurrentlyPlayingVideo);
  NotificationCenter::defaultCenter().postNotificationName(CurrentVideoChangedNotification);
}

std::optional<VideoInfo> ZNowPlayingListDataSource::infoOfCurrentlyPlayingVideo() const {
  return videoInfoAtIndex(fIndexOfCurrentlyPlayingVideo);
}

QString ZNowPlayingListDataSource::titleOfCurrentlyPlayingVideo() const {
  const auto info = infoOfCurrentlyPlayingVideo();
  return info ? info->value(QStringLiteral("TITLE")) : QString(QLatin1String(""));
}

int ZNowPlayingListDataSource::idOfCurrentlyPlayingVideo() const {
  const auto info = infoOfCurrentlyPlayingVideo();
  if (!info) return -1;
  bool ok = false;
  const int id = info->value(QStringLiteral("id")).toInt(&ok);
  return ok ? id : -1;
}

void ZNowPlayingListDataSource::playlistSelectionChanged() {
  // The model also says so after videos were deleted or the playlist list
  // was reloaded, with the same playlist still selected: the list then only
  // loses the deleted videos, so that videos a view gave it (play all) keep
  // playing. Another playlist replaces the list; the current index keeps its
  // number, so the player is not interrupted.
  const int selected = fPlaylists.selectedPlaylistId();
  if (selected == fSelectedPlaylistId) {
    videosDeleted();
  } else {
    fSelectedPlaylistId = selected;
    replaceVideos(fSelectedPlaylistId != -1 ? fDatabase.getPlaylistEntries(fSelectedPlaylistId)
                                            : QList<int>(),
                  fIndexOfCurrentlyPlayingVideo);
  }
  NotificationCenter::defaultCenter().postNotificationName(PlaylistChangedNotification);
}

void ZNowPlayingListDataSource::playlistEntriesModified(int playlistId) {
  if (playlistId == fSelectedPlaylistId && playlistId != -1)
    replaceVideos(fPlaylists.videosForSelectedPlaylist(), fIndexOfCurrentlyPlayingVideo);
  NotificationCenter::defaultCenter().postNotificationName(PlaylistChangedNotification);
}

void ZNowPlayingListDataSource::videosDeleted() {
  QList<int> list = fVideoList;
  int index = fIndexOfCurrentlyPlayingVideo;
  for (int i = int(list.size()) - 1; i >= 0; --i) {
    if (fDatabase.getVideoInfo(list.at(i))) continue;
    list.removeAt(i);
    // The entry before the removed current one becomes current; removing an
    // entry before the current one leaves the number as it is.
    if (i == index) index = i - 1;
  }
  replaceVideos(list, index);
}
