#pragma once

#include "VideoDatabase.h"
#include "ZRowEdits.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The shared model of the user's playlists: the list of playlists (by name,
// ignoring case) and the videos of the selected one, in playlist order. Every
// change is written to the library database; the model reloads itself from
// the database's playlist notifications, so every view that reads it stays in
// step. The views (playlist pane, now-playing list, browse list) call these
// functions directly, including the drop and row-move operations of the
// playlist table.
//
// Besides the named notifications, typed signals say what changed, for the
// item models of the views (ZPlaylistListModel, ZPlaylistVideosModel); each is
// emitted right before the notification of the same change.
class ZPlaylistDataSource : public QObject {
  Q_OBJECT
 public:
  // Posted (object none) when the playlist list was reloaded.
  static const QString ListRebuiltNotification;  // "PlaylistDataSourceListRebuilt"
  // Posted (object none) when another playlist, or none, became selected, or
  // the selected playlist's videos were reloaded after videos were deleted.
  static const QString ListSelectionChangedNotification;
  // Posted (object none) when the selected playlist's videos were reloaded
  // after some playlist's entries changed.
  static const QString ListEntriesChangedNotification;

  // The process-wide model over the default video database.
  static ZPlaylistDataSource &sharedPlaylistDataSource();

  explicit ZPlaylistDataSource(VideoDatabase &database);
  ~ZPlaylistDataSource();
  ZPlaylistDataSource(const ZPlaylistDataSource &) = delete;
  ZPlaylistDataSource &operator=(const ZPlaylistDataSource &) = delete;

  VideoDatabase &database() const { return fDatabase; }

  // ---- the list of playlists ------------------------------------------------

  // The playlist rows ("id", "Name") in case-insensitive name order.
  SqlRows playlists() const { return fPlaylists; }
  int count() const { return int(fPlaylists.size()); }
  QStringList playlistNames() const;
  // True when some playlist's name equals the name ignoring case.
  bool playlistExists(const QString &name) const;
  // Reloads the list from the database and keeps the selection when its
  // playlist is still there (else clears it). Posts "PlaylistDataSourceListRebuilt".
  void rebuild();

  // ---- selection ------------------------------------------------------------

  // Selects the first playlist whose name equals the name ignoring case, or
  // the playlist with that id, and loads its videos; then posts
  // "PlaylistDataSourceListSelectionChanged". No match changes nothing.
  void selectPlaylist(const QString &name);
  void selectPlaylistWithId(int playlistId);
  // Of the selected playlist: its name (a null text when none) and id (-1).
  QString selectedPlaylistName() const;
  int selectedPlaylistId() const;

  // ---- the selected playlist's videos ----------------------------------------

  int countOfVideosInSelectedPlaylist() const { return int(fVideosInCurrentPlaylist.size()); }
  QList<int> videosForSelectedPlaylist() const { return fVideosInCurrentPlaylist; }
  // The video id at the index, or -1 outside the list.
  int videoIdAtIndex(int index) const;
  // The video's row at the index; nothing outside the list or for a video
  // the library no longer has.
  std::optional<VideoInfo> videoInfoAtIndex(int index) const;

  // Drop of videos on the playlist table at a row. Without a selection a new
  // playlist (named by getUniqueNameForNewPlaylist) is made and selected
  // first. An index past the end appends, -1 puts the videos first, any other
  // negative index does nothing.
  void addVideoIds(const QList<int> &videoIds, int index);
  // Drag of rows (their indexes) to a destination row, the row before which
  // they land (the list's length drops them at the end). The moved rows keep
  // their order and stay together. Indexes outside the list are ignored.
  void moveIndices(const QList<int> &indexes, int toIndex);
  // Removes every occurrence of each id from the selected playlist.
  void removeVideosWithIds(const QList<int> &videoIds);
  // Empties the selected playlist.
  void clearVideosFromSelectedPlaylist();

  // ---- commands of the controller and the playlist pane -----------------------

  // The localized "libraryPlaylistsNewPlaylistName", made unique.
  QString getUniqueNameForNewPlaylist() const;
  // Makes an empty playlist with a unique new name and selects it; answers its
  // id, or -1 when it could not be made.
  int createNewPlaylist();
  // Renames the selected playlist: white space around the name is trimmed and
  // an empty name changes nothing; a name another playlist already bears
  // exactly is made unique with "%@ (%d)".
  void renameSelectedPlaylist(const QString &name);
  // Deletes the selected playlist (the caller has asked for confirmation).
  void deleteSelectedPlaylist();

 signals:
  // The list of playlists changed by these steps (rows of playlists()); a
  // playlist that kept its row may have been renamed.
  void playlistRowsChanged(const ZRowEdits &edits);
  // The selection moved from one row of playlists() to another (-1: none).
  void selectedPlaylistChanged(int previousIndex, int index);
  // The selected playlist's videos changed by these steps (rows of
  // videosForSelectedPlaylist()).
  void videoRowsChanged(const ZRowEdits &edits);

 private:
  void reloadVideosForSelectedPlaylist();
  void setSelection(int index);
  void videosDeletedInDatabase();
  void playlistListModifiedInDatabase();
  void playlistEntriesModified();
  void writeVideos(const QList<int> &videoIds);

  VideoDatabase &fDatabase;
  SqlRows fPlaylists;
  QList<int> fVideosInCurrentPlaylist;
  int fCurrentPlaylistId = -1;
  int fCurrentPlaylistIndex = -1;
};
