#pragma once

// What the VideoDatabase sources share among themselves: the connection and
// transaction types, the result sinks of sqlite3_exec and the SQL text
// helpers. Not for use outside the library's database code.

#include "FileLock.h"
#include "VideoDatabase.h"

#include <QByteArray>
#include <QVariantList>

#include <string>
#include <vector>

struct sqlite3;

namespace videodb {

// Receives the rows of one statement text from sqlite3_exec's callback.
struct Sink {
  virtual ~Sink() = default;
  // Called before every run of the text (a busy text runs again).
  virtual void reset() = 0;
  virtual void row(int columns, char **values, char **names) = 0;
  // Runs the text on the connection and answers SQLite's result code. By
  // default through sqlite3_exec, which hands row() every value as text.
  virtual int execute(sqlite3 *db, const char *sql);
};

// Column values repeat from one row to the next (extension, flags, dates of
// a batch): such texts are converted once and shared by the rows.
struct ColumnText {
  std::string lastRaw;
  QString lastValue;
  bool hasLast = false;
  // The value of a column as a string, "" for NULL.
  QString take(const char *value);
};

// Rows as string dictionaries; NULL becomes "".
struct RowSink : Sink {
  SqlRows rows;
  void reset() override { rows.clear(); }
  void row(int columns, char **values, char **names) override;

 private:
  // Column names repeat on every row: each is converted once and its string
  // shared by the rows.
  struct Column {
    std::string rawName;
    QString name;
    ColumnText text;
  };
  std::vector<Column> fColumns;
};

// Whole Videos rows as VideoInfo, with every row's "id" as an integer. The
// rows share one column table, made when the statement's columns are first
// seen.
struct VideoRowSink : Sink {
  QList<VideoInfo> rows;
  QList<int> ids;
  void reset() override {
    rows.clear();
    ids.clear();
  }
  void row(int columns, char **values, char **names) override;

  // Rows whose id is in the video cache (ids sorted, rows in the same order)
  // are answered with the cached row itself when it holds the same values,
  // or always when reuseAnyCached is set; this spares building and freeing a
  // row for every video of a library-wide query.
  const QList<int> *cachedIds = nullptr;
  const QList<VideoInfo> *cachedRows = nullptr;
  bool reuseAnyCached = false;

 private:
  const VideoInfo *cachedRowFor(int id, char **values) const;

  struct Column {
    std::string rawName;
    int slot = -1;  // position in fTable, -1 for a name it does not hold
    ColumnText text;
  };
  std::vector<Column> fColumns;
  const VideoInfo::Columns *fTable = nullptr;
  bool fOneSlotPerColumn = false;  // every column has its own table position
  int fIdColumn = -1;
};

// The first column of every row as an integer.
struct IdSink : Sink {
  QList<int> ids;
  void reset() override { ids.clear(); }
  void row(int columns, char **values, char **names) override;
};

// A text value ready to stand between apostrophes: every "'" doubled.
QString esc(const QString &text);
// Fills a statement template: %@ (text, already escaped by the caller), %d,
// %qu; one pass, so substituted text is never read as a template.
QString sqlFormat(const char *format, const QVariantList &args);
// The current local time in the library's date format.
QString sqlDateNow();
// A date in the library's date format ("%Y-%m-%d %H:%M:%S", local time).
QString libraryDate(const QDateTime &date);
// "1,2,3" for an IN (...) list.
QString idList(const QList<int> &ids);
// A text read as a decimal integer the way the library reads ids: leading
// digits after white space and a sign; 0 when there are none.
int intValue(const QString &text);

// The names of the notifications the library posts.
inline const QString kChanged = QStringLiteral("VideoDatabase_Changed");
inline const QString kVideoAdded = QStringLiteral("VideoDatabase_VideoAdded");
inline const QString kVideosDeleted = QStringLiteral("VideoDatabase_VideosDeleted");
inline const QString kVideoUpdated = QStringLiteral("VideoDatabase_VideoUpdated");
inline const QString kPlaylistAdded = QStringLiteral("VideoDatabase_PlaylistAdded");
inline const QString kPlaylistDeleted = QStringLiteral("VideoDatabase_PlaylistDeleted");
inline const QString kPlaylistModified = QStringLiteral("VideoDatabase_PlaylistModified");
inline const QString kPlaylistEntriesModified =
    QStringLiteral("VideoDatabase_PlaylistEntriesModified");

}  // namespace videodb

// One database file with its lock and its (lazily opened) connection.
struct VideoDatabase::Connection {
  Connection(const QString &databasePath, const QString &lockPath, bool readOnly);
  ~Connection();
  void close();

  QByteArray path;  // UTF-8
  FileLock lock;
  sqlite3 *db = nullptr;
  bool readOnly;  // only reading statements are allowed on it
  QString lastError;  // SQLite's message for the last statement that failed
};

// Groups the statements of one operation into one write transaction on the
// current library, holding the database lock throughout. Inside it a failed
// statement does not drop the connection (that would discard the statements
// before it); it only answers nothing. Nested scopes join the outer one.
class VideoDatabase::Transaction {
 public:
  explicit Transaction(VideoDatabase &database);
  ~Transaction();
  Transaction(const Transaction &) = delete;
  Transaction &operator=(const Transaction &) = delete;

  // Discard everything done in the transaction when it ends.
  void fail() { fFailed = true; }
  // Ends the scope now: commits (or rolls back after fail()). True when the
  // work is stored.
  bool commit();

 private:
  VideoDatabase &fDatabase;
  bool fOuter = false;
  bool fBegun = false;
  bool fFailed = false;
  bool fDone = false;
};
