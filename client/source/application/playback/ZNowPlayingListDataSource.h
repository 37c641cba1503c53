#pragma once

#include "VideoInfo.h"
#include "ZRowEdits.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class VideoDatabase;
class ZPlaylistDataSource;

// The list of library videos the player plays one after another, and which of
// them is current. It follows the playlist selected in the library until a
// view gives it other videos (play now, play all); those views then post
// "ActionStartPlayingNewVideoList" or "ActionResumeVideoPlayback".
//
// Typed signals say what changed, for the item model of the views
// (ZNowPlayingListModel), also where no notification is posted.
class ZNowPlayingListDataSource : public QObject {
  Q_OBJECT
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
  // Always an entry of the list, or -1: when the list shrinks under it (its
  // videos deleted from the library, another playlist followed), a number
  // past the end becomes the last entry; otherwise the number is kept, even
  // when it names another video now.
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

 signals:
  // The list changed by these steps.
  void videoRowsChanged(const ZRowEdits &edits);
  // The current index changed (-1: none), by any of the operations above.
  void currentVideoChanged(int previousIndex, int index);

 private:
  // Replaces the list, says how it changed, and makes the index the given one
  // (the last entry when the number lies past the end).
  void replaceVideos(const QList<int> &videoIds, int index);

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
