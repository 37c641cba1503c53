#pragma once

#include "VideoInfo.h"

#include <QList>
#include <QString>

#include <optional>

class VideoDatabase;
class ZPlaylistDataSource;

// The list of library videos the player plays one after another, and which of
// them is current. It follows the playlist selected in the library until a
// view gives it other videos (play now, play all); those views then post
// "ActionStartPlayingNewVideoList" or "ActionResumeVideoPlayback".
class ZNowPlayingListDataSource {
 public:
  // Posted (object: the list of ids) when the list is made.
  static const QString VideosAddedNotification;  // "NowPlayingListVideosAdded"
  // Posted (no object) whenever the current index is set.
  static const QString CurrentVideoChangedNotification;  // "NowPlayingListCurrentVideoChanged"
  // Posted (no object) when the list followed the library's playlists.
  static const QString PlaylistChangedNotification;  // "NowPlaylistPlaylistChanged"

  // The application's list, over the shared playlist model and library.
  static ZNowPlayingListDataSource &sharedNowPlayingListDataSource();

  // Empty, no current video; follows the model's and the library's
  // notifications from now on (make it after the playlist model, which
  // must have reloaded before this list reads it).
  ZNowPlayingListDataSource(ZPlaylistDataSource &playlists, VideoDatabase &database);
  ~ZNowPlayingListDataSource();
  ZNowPlayingListDataSource(const ZNowPlayingListDataSource &) = delete;
  ZNowPlayingListDataSource &operator=(const ZNowPlayingListDataSource &) = delete;

  int count() const { return int(fVideoList.size()); }
  // The ids whose video the library still has, in list order.
  QList<int> videoList() const;
  // The id at the index, nothing outside the list.
  std::optional<int> videoIdAtIndex(int index) const;
  std::optional<VideoInfo> videoInfoAtIndex(int index) const;

  // Replaces the list; the first video becomes current (none for an empty
  // list). Posts nothing.
  void setVideos(const QList<int> &videoIds);

  // An index outside the list means none (-1). Posts
  // "NowPlayingListCurrentVideoChanged" in every case.
  void setIndexOfCurrentlyPlayingVideo(int index);
  int indexOfCurrentlyPlayingVideo() const { return fIndexOfCurrentlyPlayingVideo; }
  std::optional<VideoInfo> infoOfCurrentlyPlayingVideo() const;
  // Its "TITLE", or an empty text.
  QString titleOfCurrentlyPlayingVideo() const;
  // Its "id", or -1.
  int idOfCurrentlyPlayingVideo() const;

  void setVideoPlaying(bool playing) { fVideoPlaying = playing; }
  bool videoPlaying() const { return fVideoPlaying; }

  // The playlist whose entries the list last took (-1 none).
  int selectedPlaylistId() const { return fSelectedPlaylistId; }

 private:
  void playlistSelectionChanged();
  void playlistEntriesModified(int playlistId);
  void videosDeleted();

  ZPlaylistDataSource &fPlaylists;
  VideoDatabase &fDatabase;
  QList<int> fVideoList;
  int fIndexOfCurrentlyPlayingVideo = -1;
  bool fVideoPlaying = false;
  int fSelectedPlaylistId = -1;
};
