#pragma once

#include "VideoInfo.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class ZFolderManager;
struct sqlite3_stmt;
namespace videodb {
struct Sink;
}

// One row of a query's result as the database holds it, for readers of many
// rows that would rather not turn every value into text. Valid only during
// the call that hands it over.
class SqlRowView {
 public:
  // The database's storage classes.
  enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };

  explicit SqlRowView(sqlite3_stmt *statement);
  int columnCount() const { return int(fTypes.size()); }
  // The class the value is stored with.
  Type type(int column) const { return Type(fTypes[column]); }
  // The value as an integer (a text read as the database reads numbers).
  qint64 integer(int column) const;
  // The value's UTF-8 text, a number as the database writes it, empty for NULL.
  QByteArrayView text(int column) const;

 private:
  sqlite3_stmt *fStatement;
  QVarLengthArray<unsigned char, 24> fTypes;
};

// Codes stored in FeedItems.State.
enum FeedItemState {
  FeedItemStateCancelled = -1,    // cancelled or skipped; not offered again
  FeedItemStateNew = 0,           // seen in the feed, not downloaded yet
  FeedItemStateDownloaded = 1,    // VideoId names its library video
  FeedItemStateVideoDeleted = 2,  // its library video was deleted
};

// ServerCommands.Type values.
enum ServerCommandType {
  ServerCommandRetrieveVersion2Subscriptions = 51,
};

// The single gateway to the library database (one SQLite file per user).
// Every statement runs as SQL text through sqlite3_exec under the database's
// FileLock; rows come back as string dictionaries. A failed statement answers
// nothing (std::nullopt) and drops the connection; the next statement reopens
// it. Besides the videos, groupings and playlists of the library it keeps the
// subscribed feeds, download jobs and queued server commands.
//
// Text parameters documented as "may be nil" take a null QString as nil; an
// empty but non-null QString is the empty text.
class VideoDatabase {
 public:
  // Where the database and its lock files live.
  struct Paths {
    QString databaseDirectory;             // folder of the database file
    QString databasePath;                  // the current library file
    QString lockPath;                      // lock file of the current library
    QString databaseDirectoryForVersion2;  // the previous generation's folder
    QString databasePathForVersion2;       // its "zaro.db"
    QString lockPathForVersion2;           // lock file of the previous library
  };

  // The locations of the running application: pathsForApplicationFolder of
  // the folder manager's application folder.
  static Paths defaultPaths();
  // The library of one user's application folder: "ZaroPlayer.db" there, its
  // lock files beside it, named by the bundle identifier (".db.lock",
  // ".dbv2.lock"), so that every user (every data folder) has their own; and
  // the previous generation's folder (previousGenerationDirectory()).
  static Paths pathsForApplicationFolder(const QString &folder);
  // A library kept whole under one folder (tests, tools): the database in
  // "app", the previous generation's in "old", the lock files beside them.
  static Paths pathsUnder(const QString &folder);
  // The previous client generation kept its library in a folder shared by all
  // users. Here that folder is $ZARO_PREVIOUS_LIBRARY_DIR when the variable is
  // set and not empty, else "/var/lib/zaro-player/previous-generation/".
  // Always ends with "/".
  static QString previousGenerationDirectory();

  // The shared instance, made from defaultPaths() on first use (after the
  // folder manager has set up its folders) and never freed.
  static VideoDatabase &defaultVideoDatabase();

  // A database over explicit locations. folders gives the media folders the
  // migration moves files into and the disk-space policy measures; null means
  // the shared folder manager.
  explicit VideoDatabase(const Paths &paths, ZFolderManager *folders = nullptr);
  ~VideoDatabase();
  VideoDatabase(const VideoDatabase &) = delete;
  VideoDatabase &operator=(const VideoDatabase &) = delete;

  // How long to wait between attempts when the database cannot be opened or
  // is busy (1 second; tests shorten it). Six attempts are made in all.
  static void setRetryDelay(std::chrono::milliseconds delay);
  static std::chrono::milliseconds retryDelay();

  // ---- Files, schema, statements -------------------------------------------

  // Why the current library's lock file cannot be had (a planted link, a
  // folder that cannot be written, ...), with its path; nothing when it can.
  // No statement runs without that lock: every one then shows the fatal
  // "can not be opened" alert with this as its diagnostic and ends the process.
  std::optional<QString> lockFailure() const;
  // The text of the fatal alert for a library that cannot be opened.
  static QString cannotBeOpenedMessage(const QString &diagnostic);

  QString databaseDirectory() const { return fPaths.databaseDirectory; }
  QString databasePath() const { return fPaths.databasePath; }
  QString databaseDirectoryForVersion2() const { return fPaths.databaseDirectoryForVersion2; }
  QString databasePathForVersion2() const { return fPaths.databasePathForVersion2; }

  // Makes a new, empty library (creating its folder when missing), then
  // migrates the previous generation into it. False when the folder or the
  // schema cannot be made.
  bool createDatabase();
  // Creates the schema in the database file, all in one transaction.
  bool initializeNewDatabase();
  // Copies the previous generation's complete videos and its playlists into
  // the library, moves their files into the media folders and removes the old
  // folder (keeping files that a library row still points to).
  void updateFromVersion2();
  // Used at start when the database file exists. Reads the file's list of
  // tables; when the file is no SQLite database (garbage, cut short) or does
  // not hold the library's tables, answers why (SQLite's message, or which
  // tables are missing) and has written nothing to it. Otherwise makes sure
  // the lookup indexes exist and answers nothing.
  std::optional<QString> openDatabase();

  // Runs the statement text (several statements separated by ";" allowed).
  // The rows in SQLite's order, empty for a statement without rows, nothing on
  // failure. Busy: retried up to 6 runs, then a fatal alert and exit(-1).
  std::optional<SqlRows> executeSQL(const QString &sql);
  // The same for a large query read once: each row is handed to row() as it
  // comes, its values as stored. A busy text runs again: restart() is called
  // before every run, so that rows of an abandoned run can be dropped. False
  // on failure.
  bool executeSQL(const QString &sql, const std::function<void()> &restart,
                  const std::function<void(const SqlRowView &row)> &row);
  // The same on the previous generation's database (read only).
  std::optional<SqlRows> executeSQLInVersion2(const QString &sql);

  // The Config table (key/value text).
  bool setConfigString(const QString &value, const QString &key);
  std::optional<QString> configStringForKey(const QString &key);
  // "VALUE" of the previous generation's CONFIG table.
  std::optional<QString> configStringForVersion2Key(const QString &key);

  // Records a usage event of the player (event text, parameter text or nil)
  // with the current time in the LOG_RECORD table (TIME, EVENT, PARAMETERS),
  // made with the first event. True when it was written.
  bool log(const QString &event, const QString &params = QString());

  // ---- Videos --------------------------------------------------------------

  // Parameters of the full insert. Optional ones left empty take the
  // documented defaults: no image path, content rating 0, no subscription,
  // the localized "videodbImportedVideoDescription" as description, no file
  // hash, DRM 0, no extra XML, saved, downloaded (source 0), no review state,
  // no permalink.
  struct AddVideoParams {
    QString title;
    QString path;
    QString imagePath;
    QString extension;
    quint64 size = 0;
    qint64 duration = 0;  // whole seconds
    int rating = 0;       // 0..5; anything else is stored as 0
    std::optional<qint64> contentRating;
    QString subscriptionType;
    QString subscriptionValue;
    std::optional<QString> description;
    QString fileHash;
    std::optional<qint64> drm;
    QString miscXml;
    int publisher = -1;  // Publishers id, -1 for none
    std::optional<int> save;
    std::optional<int> source;  // 0 downloaded, 1 imported
    QString reviewState;
    QString permaLink;
  };
  // The new video's id, or -1 when the statement fails or a video with the
  // same path is already in the library (nothing is inserted then). Posts
  // "VideoDatabase_VideoAdded" and "VideoDatabase_Changed" through the gate.
  int addVideo(const AddVideoParams &params);

  // Deletes the videos' rows, their playlist entries and every grouping left
  // without videos; marks their feed items as "video deleted"; all in one
  // transaction. Files are not touched: callers that remove them do so only
  // after this answered true. Posts "VideoDatabase_VideosDeleted" and
  // "VideoDatabase_Changed". False when the rows could not be deleted (a
  // read-only library, a failing write): then nothing changed, nothing is
  // posted and the failure is logged.
  bool deleteVideosWithIds(const QList<int> &videoIds);

  // The video's row (from the cache when it is there), or nothing.
  std::optional<VideoInfo> getVideoInfo(int videoId);
  // The video's cached row without a copy, for readers of many rows; null
  // when it is not cached. Valid until the next call that changes the cache.
  const VideoInfo *cachedVideoInfo(int videoId) const;
  // Every video id, in case-insensitive title order.
  QList<int> getAllVideos();
  // Ids of the videos matching condition (SQL text, may be empty), in the
  // given SQL order (may be empty; with neither, plain title order).
  QList<int> getAllVideosSuchThat(const QString &condition, const QString &order);
  bool videoWithPermalinkExists(const QString &permalink);
  int videoIdWithPermalink(const QString &permalink);

  int ratingForVideo(int videoId);
  bool setRating(int rating, int videoId);
  bool savedStateForVideoId(int videoId);
  bool setSaved(bool saved, int videoId);
  void setSaved(bool saved, const QList<int> &videoIds);
  // An invalid date makes the video new (not viewed) again.
  bool setDateViewed(const QDateTime &date, int videoId);
  void setDateViewed(const QDateTime &date, const QList<int> &videoIds);
  // True for imported videos, and for unknown ones.
  bool videoIsImported(int videoId);
  QString permalinkForVideoId(int videoId);
  QString pathForVideoId(int videoId);

  // Deletes the oldest unsaved downloaded videos (records and files) until
  // the media folder leaves room for `needed` bytes within the allowed space
  // (the share of free disk space the settings allow, or `allowed`). Stops,
  // keeping the video's files, at the first row that cannot be deleted.
  void deleteVideosToFreeUpDiskSpace(quint64 needed);
  void deleteVideosToFreeUpDiskSpace(quint64 needed, quint64 allowed);

  // ---- Groupings (publishers, channels, categories, tags, series) ----------

  // Find-or-insert by exact name; an existing row is refreshed. Nil (null)
  // texts are stored as "" (a publisher keeps its stored value instead).
  // "link" and a tag's "feedUrl" are accepted and not stored. The forms with
  // a video id also link the group to that video. Success posts one
  // "VideoDatabase_Changed" through the gate.
  bool addPublisherWithName(const QString &name, const QString &description, const QString &link,
                            const QString &feedUrl, const QString &imagePath,
                            const QString &permalink);
  bool addPublisherWithName(const QString &name, const QString &description, const QString &link,
                            const QString &feedUrl, const QString &imagePath,
                            const QString &permalink, int videoId);
  bool addChannelWithName(const QString &name, const QString &description, const QString &link,
                          const QString &feedUrl, const QString &imagePath,
                          const QString &permalink);
  bool addChannelWithName(const QString &name, const QString &description, const QString &link,
                          const QString &feedUrl, const QString &imagePath,
                          const QString &permalink, int videoId);
  bool addCategoryWithName(const QString &name, const QString &description,
                           const QString &imagePath, const QString &permalink);
  bool addCategoryWithName(const QString &name, const QString &description,
                           const QString &imagePath, const QString &permalink, int videoId);
  bool addTagWithName(const QString &name, const QString &link, const QString &feedUrl);
  bool addTagWithName(const QString &name, const QString &link, const QString &feedUrl,
                      int videoId);
  bool addSeriesWithName(const QString &name, const QString &description, const QString &imagePath,
                         const QString &permalink, const QString &feedUrl);
  bool addSeriesWithName(const QString &name, const QString &description, const QString &imagePath,
                         const QString &permalink, const QString &feedUrl, int videoId);

  // Grouping rows in case-insensitive name order (Feeds rows by Title).
  SqlRows getPublishersSortedByName();
  SqlRows getChannelsSortedByName();
  SqlRows getCategoriesSortedByName();
  SqlRows getTagsSortedByName();
  SqlRows getSeriesSortedByName();
  SqlRows getSubscriptionsSortedByName();
  // Video ids of one group, in case-insensitive title order (a subscription:
  // its downloaded items' videos in item title order).
  QList<int> getPublisherEntries(int publisherId);
  QList<int> getChannelEntries(int channelId);
  QList<int> getCategoryEntries(int categoryId);
  QList<int> getTagEntries(int tagId);
  QList<int> getSeriesEntries(int seriesId);
  QList<int> getSubscriptionEntries(int feedId);
  // Video ids without a group of that kind, in title order.
  QList<int> getListOfVideosWithoutPublisher();
  QList<int> getListOfVideosWithoutChannel();
  QList<int> getListOfVideosWithoutCategory();
  QList<int> getListOfVideosWithoutTags();
  QList<int> getListOfVideosWithoutSeries();
  // The publisher's name, "" when there is no such publisher.
  QString getNameForPublisherId(int publisherId);

  // ---- Playlists -----------------------------------------------------------

  SqlRows getPlaylistsSortedByName();
  // The playlist's video ids in entry order, without entries of deleted videos.
  QList<int> getPlaylistEntries(int playlistId);
  // Posts "VideoDatabase_PlaylistAdded". Without videos (nothing) the
  // playlist gets no entries.
  void saveNewPlaylist(const QString &name, const std::optional<QList<int>> &videoIds);
  // Rewrites the playlist's entries; posts "VideoDatabase_PlaylistEntriesModified"
  // with the playlist id. Nothing happens for an unknown playlist.
  void setVideos(const QList<int> &videoIds, int playlistId);
  void deleteEntriesForPlaylist(int playlistId);
  void deletePlaylistWithId(int playlistId);
  // The id of the first playlist named exactly so, or -1.
  int getIdForPlaylist(const QString &name);
  // True when the name was written; posts "VideoDatabase_PlaylistModified".
  bool setName(const QString &name, int playlistId);

  // ---- Feeds, jobs, server commands -----------------------------------------

  // Subscribes: true when a new Feeds row was inserted (false when the Url is
  // already there).
  bool addFeedWithName(const QString &name, const QString &url, int source);
  // Unsubscribes: the feed and its items go; its downloaded videos stay.
  void removeFeedWithUrl(const QString &url);
  QStringList getListOfFeedUrls();
  SqlRows getListOfFeeds();
  // Every feed item with that permalink becomes downloaded as that video.
  void markFeedItemForVideoPermalink(const QString &permalink, int videoId);
  // The feed item (its id) becomes downloaded / cancelled with that video id.
  void markFeedItemAsDownloaded(int feedItemId, int videoId);
  void markFeedItemAsCancelled(int feedItemId, int videoId);

  // The new job's id, or -1.
  int addJob(int type, const QString &identifier, int state, const QString &xml);
  void updateState(int state, int jobId);
  void updateXMLForJob(const QString &xml, int jobId);
  void deleteJob(int jobId);
  SqlRows getVideoDownloadJobs();

  // The new command's id, or -1.
  int addServerCommand(int type, const QString &xml);
  SqlRows getServerCommandsOfType(int type);
  void updateXMLForServerCommand(const QString &xml, int commandId);
  void deleteServerCommand(int commandId);

 private:
  class Transaction;
  struct Connection;

  std::optional<SqlRows> execute(Connection &connection, const QString &sql);
  bool run(Connection &connection, const QString &sql, videodb::Sink &sink);
  // The values of a one-column query as integers ("" and text count as 0).
  std::optional<QList<int>> queryIds(const QString &sql);
  // Runs a query of whole Videos rows and caches them (an id already cached
  // keeps its entry unless replace is set); answers the ids in row order.
  std::optional<QList<int>> queryAndCacheVideos(const QString &sql, bool replace);
  bool ensureIndexes();

  // The video cache: rows sorted by ascending id, at most one per id.
  int findVideoInfo(int videoId) const;
  int findInsertionIndexForVideo(int videoId) const;
  void cacheVideoInfo(const VideoInfo &info, int videoId);
  // Caches many rows (with their ids) at once; an id already cached keeps
  // its entry unless replace is set.
  void cacheVideoInfos(const QList<VideoInfo> &rows, const QList<int> &ids, bool replace);
  void removeVideoInfoFromCacheForVideo(int videoId);
  void removeVideoInfosFromCache(const QList<int> &videoIds);
  void updateVideoInfoFromDatabase(int videoId);
  void updateVideoInfosFromDatabase(const QList<int> &videoIds);
  static int getVideoId(const VideoInfo &info);

  bool setDateViewedText(const QString &text, const QList<int> &videoIds);

  // The find-or-insert of one grouping row, linked to the video when one is
  // given.
  enum class Grouping { Publisher, Channel, Category, Tag, Series };
  struct GroupValues {
    QString name, description, imagePath, permalink, feedUrl;  // null: not given
  };
  bool addGroup(Grouping kind, const GroupValues &values, std::optional<int> videoId);
  bool storeGroup(Grouping kind, const GroupValues &values);
  std::optional<int> findGroupId(Grouping kind, const QString &name);
  bool linkGroup(Grouping kind, int groupId, int videoId);

  Paths fPaths;
  ZFolderManager *fFolders;
  std::unique_ptr<Connection> fCurrent;   // the library (sqldbLock, sqldb)
  std::unique_ptr<Connection> fVersion2;  // the previous generation (sqldbLock_v2, sqldb_v2)
  int fTransactionDepth = 0;
  bool fTransactionFailed = false;
  // The video cache: rows sorted by id, and their ids in the same order for
  // the binary searches.
  QList<VideoInfo> fVideoList;
  QList<int> fVideoIds;
};
