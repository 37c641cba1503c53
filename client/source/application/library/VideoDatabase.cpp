// The library database: its files, statement execution, schema, Config table
// and the video cache. The record operations live in the VideoDatabase*.cpp
// files beside this one.

#include "VideoDatabase.h"

#include "ApplicationIdentity.h"
#include "DateUtilities.h"
#include "Dialogs.h"
#include "Localization.h"
#include "Logging.h"
#include "StringExtensions.h"
#include "VideoDatabaseInternal.h"
#include "ZFolderManager.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int kAttempts = 6;
std::chrono::milliseconds gRetryDelay{1000};

const char *const kSchemaVersion = "3.0.0";

// The tables of a new library, in creation order.
const char *const kCreateTables[] = {
    "CREATE TABLE Config (Key TEXT NOT NULL PRIMARY KEY, Value TEXT NOT NULL);",
    "CREATE TABLE DBVersion (DBVersion TEXT,LastUpdateDate DATETIME);",
    "CREATE TABLE Jobs (id INTEGER PRIMARY KEY, JobType INTEGER, JobState INTEGER, JobIdentifier "
    "TEXT, XMLParams TEXT);",
    "CREATE TABLE Videos (ResumePlayPos NUMERIC, ReviewState TEXT, VIDEO_SAVED TEXT, MISC_XML "
    "TEXT, DRM TEXT, DATE_ADDED DATETIME, PUBLISHER INTEGER, FILE_HASH TEXT, EXTENSION TEXT, "
    "IMAGE_PATH TEXT, PATH TEXT, DESCRIPTION TEXT, TITLE TEXT, DATE_VIEWED DATETIME, "
    "SUBSCRIPTION_VALUE TEXT, SUBSCRIPTION_TYPE NUMERIC, SIZE NUMERIC, CONTENT_RATING NUMERIC, "
    "RATING NUMERIC, DURATION NUMERIC, VIDEO_PERMALINK TEXT, SOURCE NUMERIC, id INTEGER PRIMARY "
    "KEY);",
    "CREATE TABLE LogFiles (id INTEGER PRIMARY KEY, FILE_NAME, STREAM_NAME);",
    "CREATE TABLE Playlists (id INTEGER PRIMARY KEY, Name TEXT);",
    "CREATE TABLE PlaylistEntries (id INTEGER PRIMARY KEY, PlaylistId INTEGER, VideoId INTEGER);",
    "CREATE TABLE Categories (id INTEGER PRIMARY KEY, Name TEXT, Description TEXT, ImagePath "
    "TEXT, Permalink TEXT);",
    "CREATE TABLE CategoryEntries (id INTEGER PRIMARY KEY, CategoryId INTEGER, VideoId INTEGER);",
    "CREATE TABLE Channels (id INTEGER PRIMARY KEY, Name TEXT, Description TEXT, ImagePath TEXT, "
    "Permalink TEXT, FeedUrl TEXT);",
    "CREATE TABLE ChannelEntries (id INTEGER PRIMARY KEY, ChannelId INTEGER, VideoId INTEGER);",
    "CREATE TABLE Tags (id INTEGER PRIMARY KEY, Name TEXT);",
    "CREATE TABLE TagEntries (id INTEGER PRIMARY KEY, TagId INTEGER, VideoId INTEGER);",
    "CREATE TABLE Series (id INTEGER PRIMARY KEY, Name TEXT, Description TEXT, ImagePath TEXT, "
    "Permalink TEXT, FeedUrl TEXT);",
    "CREATE TABLE SeriesEntries (id INTEGER PRIMARY KEY, SeriesId INTEGER, VideoId INTEGER);",
    "CREATE TABLE Publishers (id INTEGER PRIMARY KEY, Name TEXT, Description TEXT, ImagePath "
    "TEXT, Permalink TEXT, FeedUrl TEXT);",
    "CREATE TABLE Feeds (id INTEGER PRIMARY KEY, Url TEXT, Title TEXT, Description TEXT, "
    "Publisher TEXT, Website TEXT, Categories TEXT, Permalink TEXT, Source INTEGER);",
    "CREATE TABLE FeedItems (id INTEGER PRIMARY KEY, FeedId INTEGER, VideoId INTEGER, DateAdded "
    "DATETIME, Title TEXT, Description TEXT, Permalink TEXT, Publisher TEXT, Website TEXT, "
    "Categories TEXT, Tags TEXT, Duration INTEGER, Guid TEXT, PubDate DATETIME, Url TEXT, State "
    "INTEGER, Source INTEGER);",
    "CREATE TABLE ServerCommands (id INTEGER PRIMARY KEY, Type INTEGER, XMLParams TEXT);",
};

// Lookup indexes. They change no table and no result, only how fast the
// look-ups by path, permalink, name and group run on a large library. Made
// with a new library and at every open (a library made by an older build
// gets them then).
const char *const kCreateIndexes[] = {
    "CREATE INDEX IF NOT EXISTS VideosPathIndex ON Videos (PATH);",
    "CREATE INDEX IF NOT EXISTS VideosPermalinkIndex ON Videos (VIDEO_PERMALINK);",
    "CREATE INDEX IF NOT EXISTS VideosPublisherIndex ON Videos (PUBLISHER);",
    "CREATE INDEX IF NOT EXISTS VideosTitleIndex ON Videos (TITLE COLLATE NOCASE);",
    "CREATE INDEX IF NOT EXISTS PlaylistEntriesPlaylistIndex ON PlaylistEntries (PlaylistId);",
    "CREATE INDEX IF NOT EXISTS PlaylistEntriesVideoIndex ON PlaylistEntries (VideoId);",
    "CREATE INDEX IF NOT EXISTS CategoriesNameIndex ON Categories (Name);",
    "CREATE INDEX IF NOT EXISTS CategoryEntriesGroupIndex ON CategoryEntries (CategoryId, "
    "VideoId);",
    "CREATE INDEX IF NOT EXISTS CategoryEntriesVideoIndex ON CategoryEntries (VideoId);",
    "CREATE INDEX IF NOT EXISTS ChannelsNameIndex ON Channels (Name);",
    "CREATE INDEX IF NOT EXISTS ChannelEntriesGroupIndex ON ChannelEntries (ChannelId, VideoId);",
    "CREATE INDEX IF NOT EXISTS ChannelEntriesVideoIndex ON ChannelEntries (VideoId);",
    "CREATE INDEX IF NOT EXISTS TagsNameIndex ON Tags (Name);",
    "CREATE INDEX IF NOT EXISTS TagEntriesGroupIndex ON TagEntries (TagId, VideoId);",
    "CREATE INDEX IF NOT EXISTS TagEntriesVideoIndex ON TagEntries (VideoId);",
    "CREATE INDEX IF NOT EXISTS SeriesNameIndex ON Series (Name);",
    "CREATE INDEX IF NOT EXISTS SeriesEntriesGroupIndex ON SeriesEntries (SeriesId, VideoId);",
    "CREATE INDEX IF NOT EXISTS SeriesEntriesVideoIndex ON SeriesEntries (VideoId);",
    "CREATE INDEX IF NOT EXISTS PublishersNameIndex ON Publishers (Name);",
    "CREATE INDEX IF NOT EXISTS FeedItemsFeedIndex ON FeedItems (FeedId);",
    "CREATE INDEX IF NOT EXISTS FeedItemsPermalinkIndex ON FeedItems (Permalink);",
    "CREATE INDEX IF NOT EXISTS FeedItemsVideoIndex ON FeedItems (VideoId);",
};

const QString &emptyText() {
  static const QString empty = QStringLiteral("");
  return empty;
}

QString joinPath(const QString &folder, const QString &name) {
  if (folder.endsWith(QLatin1Char('/'))) return folder + name;
  return folder + QLatin1Char('/') + name;
}

QString supportEmailAddress() { return localized(QStringLiteral("SupportEmailAddress")); }

// Shows the fatal alert and ends the process; the database lock is already
// released.
[[noreturn]] void fatal(const QString &message) {
  Dialogs::shared().showAlert(message, QString());
  std::_Exit(-1);
}

// The start of a statement text for a log line.
const char *statementForLog(const QByteArray &text) {
  constexpr qsizetype kShown = 300;
  thread_local QByteArray shown;
  shown = text.size() > kShown ? text.left(kShown) + "..." : text;
  return shown.constData();
}

void waitBeforeRetry() { std::this_thread::sleep_for(gRetryDelay); }

// The previous generation's library is only read (by the migration): its
// connection refuses every statement that would write, attach or configure.
int readOnlyAuthorizer(void *, int action, const char *, const char *, const char *, const char *) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    default:
      return SQLITE_DENY;
  }
}

int sinkCallback(void *sink, int columns, char **values, char **names) {
  static_cast<videodb::Sink *>(sink)->row(columns, values, names);
  return 0;
}

int ignoreRows(void *, int, char **, char **) { return 0; }

}  // namespace

int videodb::Sink::execute(sqlite3 *db, const char *sql) {
  char *error = nullptr;
  const int rc = sqlite3_exec(db, sql, sinkCallback, this, &error);
  if (error) sqlite3_free(error);
  return rc;
}

// ---- helpers shared by the database sources ---------------------------------

namespace videodb {

// Column names are the same few texts for every row of every query: one
// shared QString per name, so that rows share their keys.
static QString internedName(const std::string &raw) {
  static QHash<QByteArray, QString> names;
  const QByteArray key = QByteArray::fromStdString(raw);
  auto it = names.constFind(key);
  if (it == names.constEnd()) it = names.insert(key, QString::fromUtf8(key));
  return *it;
}

QString ColumnText::take(const char *value) {
  if (!value || !*value) return emptyText();
  if (hasLast && lastRaw == value) return lastValue;
  lastRaw.assign(value);
  lastValue = QString::fromUtf8(value, qsizetype(lastRaw.size()));
  hasLast = true;
  return lastValue;
}

void RowSink::row(int columns, char **values, char **names) {
  bool same = fColumns.size() == size_t(columns);
  for (int i = 0; same && i < columns; ++i)
    same = fColumns[i].rawName == (names[i] ? names[i] : "");
  if (!same) {
    fColumns.assign(size_t(columns), Column());
    for (int i = 0; i < columns; ++i) {
      fColumns[i].rawName = names[i] ? names[i] : "";
      fColumns[i].name = internedName(fColumns[i].rawName);
    }
  }
  SqlRow row;
  row.reserve(columns);
  for (int i = 0; i < columns; ++i) row.insert(fColumns[i].name, fColumns[i].text.take(values[i]));
  rows.append(std::move(row));
}

void VideoRowSink::row(int columns, char **values, char **names) {
  bool same = fColumns.size() == size_t(columns);
  for (int i = 0; same && i < columns; ++i)
    same = fColumns[i].rawName == (names[i] ? names[i] : "");
  if (!same) {
    fColumns.assign(size_t(columns), Column());
    fIdColumn = -1;
    QStringList columnNames;
    columnNames.reserve(columns);
    for (int i = 0; i < columns; ++i) {
      fColumns[i].rawName = names[i] ? names[i] : "";
      columnNames.append(internedName(fColumns[i].rawName));
      if (fColumns[i].rawName == "id") fIdColumn = i;
    }
    fTable = VideoInfo::Columns::intern(columnNames);
    fOneSlotPerColumn = fTable->size() == columns;
    for (int i = 0; i < columns; ++i) fColumns[i].slot = fTable->indexOf(columnNames.at(i));
  }
  const bool hasId = fIdColumn >= 0 && values[fIdColumn];
  const int id = hasId ? int(std::strtoll(values[fIdColumn], nullptr, 10)) : 0;
  ids.append(id);
  if (hasId) {
    if (const VideoInfo *cached = cachedRowFor(id, values)) {
      rows.append(*cached);
      return;
    }
  }
  // Packed straight from the texts SQLite hands over: no QString per value.
  std::array<QByteArrayView, VideoInfo::Columns::kMaxColumns> cells{};
  for (int i = 0; i < columns; ++i)
    if (fColumns[i].slot >= 0 && values[i]) cells[fColumns[i].slot] = QByteArrayView(values[i]);
  VideoInfo row = VideoInfo::fromUtf8(fTable, cells.data());
  // Only a statement with more columns than a table holds gets here.
  if (!fOneSlotPerColumn)
    for (int i = 0; i < columns; ++i)
      if (fColumns[i].slot < 0)
        row.insert(internedName(fColumns[i].rawName), fColumns[i].text.take(values[i]));
  rows.append(std::move(row));
}

const VideoInfo *VideoRowSink::cachedRowFor(int id, char **values) const {
  if (!cachedIds) return nullptr;
  const auto it = std::lower_bound(cachedIds->cbegin(), cachedIds->cend(), id);
  if (it == cachedIds->cend() || *it != id) return nullptr;
  const VideoInfo &cached = cachedRows->at(it - cachedIds->cbegin());
  if (reuseAnyCached) return &cached;
  if (!fOneSlotPerColumn || !cached.isFullRowOf(fTable)) return nullptr;
  for (size_t i = 0; i < fColumns.size(); ++i) {
    const char *raw = values[i];
    if (!cached.valueEquals(fColumns[i].slot, QUtf8StringView(raw ? raw : ""))) return nullptr;
  }
  return &cached;
}

void IdSink::row(int columns, char **values, char **) {
  ids.append(columns > 0 && values[0] ? int(std::strtoll(values[0], nullptr, 10)) : 0);
}

QString esc(const QString &text) { return StringExtensions::sqlEscape(text); }

QString sqlFormat(const char *format, const QVariantList &args) {
  return formatString(QString::fromLatin1(format), args);
}

QString libraryDate(const QDateTime &date) { return Utilities::formatDate(date); }

QString sqlDateNow() { return libraryDate(QDateTime::currentDateTime()); }

QString idList(const QList<int> &ids) {
  QString out;
  out.reserve(ids.size() * 7);
  for (qsizetype i = 0; i < ids.size(); ++i) {
    if (i) out += QLatin1Char(',');
    out += QString::number(ids.at(i));
  }
  return out;
}

int intValue(const QString &text) {
  const std::optional<qint64> number = StringExtensions::integerNumber(text);
  if (!number) return 0;
  return int(std::clamp<qint64>(*number, std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

}  // namespace videodb

using namespace videodb;

// ---- connections and transactions ---------------------------------------------

VideoDatabase::Connection::Connection(const QString &databasePath, const QString &lockPath,
                                      bool readOnlyConnection)
    : path(databasePath.toUtf8()),
      lock(QFile::encodeName(lockPath).constData()),
      readOnly(readOnlyConnection) {}

VideoDatabase::Connection::~Connection() { close(); }

void VideoDatabase::Connection::close() {
  if (db) sqlite3_close(db);
  db = nullptr;
}

VideoDatabase::Transaction::Transaction(VideoDatabase &database) : fDatabase(database) {
  fDatabase.fCurrent->lock.lock();
  fOuter = fDatabase.fTransactionDepth == 0;
  if (fOuter) {
    fDatabase.fTransactionFailed = false;
    // IMMEDIATE takes the write lock now, so a busy library is met (and
    // retried) before anything was done.
    fBegun = fDatabase.executeSQL(QStringLiteral("BEGIN IMMEDIATE;")).has_value();
  }
  ++fDatabase.fTransactionDepth;
}

VideoDatabase::Transaction::~Transaction() {
  if (!fDone) commit();
}

bool VideoDatabase::Transaction::commit() {
  if (fDone) return false;
  fDone = true;
  if (fFailed) fDatabase.fTransactionFailed = true;
  --fDatabase.fTransactionDepth;
  bool stored = true;
  if (fOuter) {
    if (fBegun) {
      if (fDatabase.fTransactionFailed) {
        fDatabase.executeSQL(QStringLiteral("ROLLBACK;"));
        stored = false;
      } else {
        // A failing COMMIT drops the connection, which discards the work.
        stored = fDatabase.executeSQL(QStringLiteral("COMMIT;")).has_value();
      }
    } else {
      stored = !fDatabase.fTransactionFailed;
    }
    fDatabase.fTransactionFailed = false;
  } else {
    stored = !fFailed;
  }
  fDatabase.fCurrent->lock.unlock();
  return stored;
}

// ---- construction and locations -------------------------------------------------

QString VideoDatabase::previousGenerationDirectory() {
  QString folder = QString::fromLocal8Bit(qgetenv("ZARO_PREVIOUS_LIBRARY_DIR"));
  if (folder.isEmpty()) folder = QStringLiteral("/var/lib/zaro-player/previous-generation/");
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

VideoDatabase::Paths VideoDatabase::defaultPaths() {
  return pathsForApplicationFolder(
      ZFolderManager::sharedFolderManager().userApplicationSupportFolderPath());
}

VideoDatabase::Paths VideoDatabase::pathsForApplicationFolder(const QString &folder) {
  Paths paths;
  paths.databaseDirectory = folder;
  paths.databasePath = joinPath(folder, QStringLiteral("ZaroPlayer.db"));
  const QString lockBase = joinPath(folder, ApplicationIdentity::bundleIdentifier());
  paths.lockPath = lockBase + QStringLiteral(".db.lock");
  paths.databaseDirectoryForVersion2 = previousGenerationDirectory();
  paths.databasePathForVersion2 = paths.databaseDirectoryForVersion2 + QStringLiteral("zaro.db");
  paths.lockPathForVersion2 = lockBase + QStringLiteral(".dbv2.lock");
  return paths;
}

std::optional<QString> VideoDatabase::lockFailure() const {
  if (fCurrent->lock.open()) return std::nullopt;
  return QString::fromLocal8Bit(fCurrent->lock.error());
}

QString VideoDatabase::cannotBeOpenedMessage(const QString &diagnostic) {
  return QStringLiteral(
             "The Zaro Client library database can not be opened.\n\nThis "
             "application can not continue.\n\nIf the problem persists contact ") +
         supportEmailAddress() + QStringLiteral(".\nDiagnostic Info:\n") + diagnostic;
}

VideoDatabase::Paths VideoDatabase::pathsUnder(const QString &folder) {
  Paths paths;
  paths.databaseDirectory = folder + QStringLiteral("/app");
  paths.databasePath = folder + QStringLiteral("/app/ZaroPlayer.db");
  paths.lockPath = folder + QStringLiteral("/db.lock");
  paths.databaseDirectoryForVersion2 = folder + QStringLiteral("/old/");
  paths.databasePathForVersion2 = folder + QStringLiteral("/old/zaro.db");
  paths.lockPathForVersion2 = folder + QStringLiteral("/dbv2.lock");
  return paths;
}

VideoDatabase &VideoDatabase::defaultVideoDatabase() {
  static VideoDatabase *database = new VideoDatabase(defaultPaths());
  return *database;
}

VideoDatabase::VideoDatabase(const Paths &paths, ZFolderManager *folders)
    : fPaths(paths),
      fFolders(folders ? folders : &ZFolderManager::sharedFolderManager()),
      fCurrent(std::make_unique<Connection>(paths.databasePath, paths.lockPath, false)),
      fVersion2(std::make_unique<Connection>(paths.databasePathForVersion2,
                                             paths.lockPathForVersion2, true)) {
  fVideoList.reserve(10);
  fVideoIds.reserve(10);
}

VideoDatabase::~VideoDatabase() = default;

void VideoDatabase::setRetryDelay(std::chrono::milliseconds delay) { gRetryDelay = delay; }

std::chrono::milliseconds VideoDatabase::retryDelay() { return gRetryDelay; }

// ---- statement execution --------------------------------------------------------

bool VideoDatabase::run(Connection &connection, const QString &sql, Sink &sink) {
  if (!connection.lock.lock()) {
    // Nothing runs unlocked. The previous generation's library is only read:
    // its statements fail. The current one cannot go on.
    const QString diagnostic = QString::fromLocal8Bit(connection.lock.error());
    connection.lock.unlock();
    if (&connection != fCurrent.get()) return false;
    fatal(cannotBeOpenedMessage(diagnostic));
  }
  if (!connection.db) {
    for (int attempt = 1; !connection.db; ++attempt) {
      sqlite3 *db = nullptr;
      if (sqlite3_open(connection.path.constData(), &db) == SQLITE_OK) {
        connection.db = db;
        if (connection.readOnly) sqlite3_set_authorizer(db, readOnlyAuthorizer, nullptr);
        break;
      }
      const QString diagnostic =
          QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(SQLITE_NOMEM));
      sqlite3_close(db);
      waitBeforeRetry();
      if (attempt >= kAttempts) {
        connection.lock.unlock();
        qCCritical(zaroLibrary, "cannot open %s: %s", connection.path.constData(),
                   qUtf8Printable(diagnostic));
        fatal(cannotBeOpenedMessage(diagnostic));
      }
    }
  }

  const bool inTransaction = fTransactionDepth > 0 && &connection == fCurrent.get();
  const QByteArray text = sql.toUtf8();
  for (int attempt = 1;; ++attempt) {
    sink.reset();
    const bool autocommitBefore = sqlite3_get_autocommit(connection.db) != 0;
    const int rc = sink.execute(connection.db, text.constData());
    if (rc == SQLITE_OK) break;
    if ((rc & 0xff) == SQLITE_BUSY) {
      // A text that opened its own transaction before it met the busy lock
      // starts over from a clean state. A transaction that was open before
      // (a busy COMMIT) stays open and the text is simply run again.
      if (autocommitBefore && !sqlite3_get_autocommit(connection.db))
        sqlite3_exec(connection.db, "ROLLBACK;", ignoreRows, nullptr, nullptr);
      if (attempt >= kAttempts) {
        connection.lock.unlock();
        qCCritical(zaroLibrary, "%s stayed locked through %d tries: %s",
                   connection.path.constData(), kAttempts, sqlite3_errmsg(connection.db));
        fatal(QStringLiteral("The Zaro Client library database is locked.\n\nThis application "
                             "can not continue.\n\nIf the problem persists contact ") +
              supportEmailAddress() + QStringLiteral("."));
      }
      qCDebug(zaroLibrary, "busy (try %d of %d): %s", attempt, kAttempts, statementForLog(text));
      waitBeforeRetry();
      continue;
    }
    connection.lastError = QString::fromUtf8(sqlite3_errmsg(connection.db));
    qCWarning(zaroLibrary, "SQLite error %d: %s; in: %s", rc, sqlite3_errmsg(connection.db),
              statementForLog(text));
    // Inside a transaction the connection stays, or the statements before
    // this one would be discarded with it.
    if (!inTransaction) connection.close();
    connection.lock.unlock();
    return false;
  }
  connection.lock.unlock();
  return true;
}

std::optional<SqlRows> VideoDatabase::execute(Connection &connection, const QString &sql) {
  RowSink sink;
  if (!run(connection, sql, sink)) return std::nullopt;
  return std::move(sink.rows);
}

std::optional<SqlRows> VideoDatabase::executeSQL(const QString &sql) {
  return execute(*fCurrent, sql);
}

namespace {

// Hands the rows to the caller as they come, stepping the statements itself
// so that values keep their storage classes and numbers are not turned into
// text on the way.
struct CallbackSink : videodb::Sink {
  const std::function<void()> &restart;
  const std::function<void(const SqlRowView &)> &forward;
  CallbackSink(const std::function<void()> &restartRows,
               const std::function<void(const SqlRowView &)> &rows)
      : restart(restartRows), forward(rows) {}
  void reset() override {
    if (restart) restart();
  }
  void row(int, char **, char **) override {}
  int execute(sqlite3 *db, const char *sql) override {
    // Statement by statement, as sqlite3_exec runs a text.
    while (sql && *sql) {
      sqlite3_stmt *statement = nullptr;
      const char *tail = nullptr;
      int rc = sqlite3_prepare_v2(db, sql, -1, &statement, &tail);
      if (rc != SQLITE_OK) return rc;
      sql = tail;
      if (!statement) continue;  // white space or a comment
      while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        if (forward) forward(SqlRowView(statement));
      const int finalized = sqlite3_finalize(statement);
      if (rc != SQLITE_DONE) return finalized != SQLITE_OK ? finalized : rc;
    }
    return SQLITE_OK;
  }
};

}  // namespace

SqlRowView::SqlRowView(sqlite3_stmt *statement) : fStatement(statement) {
  const int columns = sqlite3_column_count(statement);
  fTypes.resize(columns);
  for (int c = 0; c < columns; ++c) fTypes[c] = (unsigned char)sqlite3_column_type(statement, c);
}

qint64 SqlRowView::integer(int column) const { return sqlite3_column_int64(fStatement, column); }

QByteArrayView SqlRowView::text(int column) const {
  const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(fStatement, column));
  if (!bytes) return {};
  return QByteArrayView(bytes, sqlite3_column_bytes(fStatement, column));
}

bool VideoDatabase::executeSQL(const QString &sql, const std::function<void()> &restart,
                               const std::function<void(const SqlRowView &)> &row) {
  CallbackSink sink(restart, row);
  return run(*fCurrent, sql, sink);
}

std::optional<SqlRows> VideoDatabase::executeSQLInVersion2(const QString &sql) {
  return execute(*fVersion2, sql);
}

std::optional<QList<int>> VideoDatabase::queryAndCacheVideos(const QString &sql, bool replace) {
  VideoRowSink sink;
  sink.cachedIds = &fVideoIds;
  sink.cachedRows = &fVideoList;
  sink.reuseAnyCached = !replace;
  if (!run(*fCurrent, sql, sink)) return std::nullopt;
  cacheVideoInfos(sink.rows, sink.ids, replace);
  return std::move(sink.ids);
}

std::optional<QList<int>> VideoDatabase::queryIds(const QString &sql) {
  IdSink sink;
  if (!run(*fCurrent, sql, sink)) return std::nullopt;
  return std::move(sink.ids);
}

// ---- Config ---------------------------------------------------------------------

bool VideoDatabase::setConfigString(const QString &value, const QString &key) {
  if (configStringForKey(key))
    return executeSQL(sqlFormat("UPDATE CONFIG SET VALUE = '%@' WHERE KEY = '%@';",
                                {esc(value), esc(key)}))
        .has_value();
  return executeSQL(sqlFormat("INSERT INTO CONFIG ( KEY, VALUE ) VALUES ( '%@', '%@' );",
                              {esc(key), esc(value)}))
      .has_value();
}

std::optional<QString> VideoDatabase::configStringForKey(const QString &key) {
  const auto rows = executeSQL(sqlFormat("SELECT * FROM CONFIG WHERE KEY = '%@';", {esc(key)}));
  if (!rows || rows->isEmpty()) return std::nullopt;
  return rows->first().value(QStringLiteral("Value"));
}

std::optional<QString> VideoDatabase::configStringForVersion2Key(const QString &key) {
  const auto rows =
      executeSQLInVersion2(sqlFormat("SELECT * FROM CONFIG WHERE KEY = '%@';", {esc(key)}));
  if (!rows || rows->isEmpty()) return std::nullopt;
  const auto it = rows->first().constFind(QStringLiteral("VALUE"));
  if (it == rows->first().constEnd()) return std::nullopt;
  return *it;
}

bool VideoDatabase::log(const QString &event, const QString &params) {
  // The events have a table of their own, made with the first one, so that a
  // library nobody played from keeps exactly its tables.
  QString sql = QStringLiteral(
      "CREATE TABLE IF NOT EXISTS LOG_RECORD (TIME DATETIME, EVENT TEXT, PARAMETERS TEXT);");
  if (params.isNull())
    sql += sqlFormat("INSERT INTO LOG_RECORD ( TIME, EVENT ) VALUES ( '%@', '%@' );",
                     {esc(sqlDateNow()), esc(event)});
  else
    sql += sqlFormat(
        "INSERT INTO LOG_RECORD ( TIME, EVENT, PARAMETERS ) VALUES ( '%@', '%@', '%@' );",
        {esc(sqlDateNow()), esc(event), esc(params)});
  return executeSQL(sql).has_value();
}

// ---- creation and opening -------------------------------------------------------

bool VideoDatabase::initializeNewDatabase() {
  FileLockHolder hold(fCurrent->lock);
  if (!hold.held()) return false;
  sqlite3 *db = nullptr;
  if (sqlite3_open(fCurrent->path.constData(), &db) != SQLITE_OK) {
    qCWarning(zaroLibrary, "cannot create the library %s: %s", fCurrent->path.constData(),
              db ? sqlite3_errmsg(db) : sqlite3_errstr(SQLITE_NOMEM));
    sqlite3_close(db);
    return false;
  }
  QList<QByteArray> statements{"BEGIN TRANSACTION;"};
  for (const char *statement : kCreateTables) statements.append(statement);
  for (const char *statement : kCreateIndexes) statements.append(statement);
  statements.append(sqlFormat("INSERT INTO DBVersion (DBVersion,LastUpdateDate) VALUES "
                              "('%@','%@');",
                              {QString::fromLatin1(kSchemaVersion), esc(sqlDateNow())})
                        .toUtf8());
  statements.append("COMMIT;");
  for (const QByteArray &statement : statements) {
    char *error = nullptr;
    const int rc = sqlite3_exec(db, statement.constData(), ignoreRows, nullptr, &error);
    if (rc != SQLITE_OK)
      qCWarning(zaroLibrary, "cannot create the library %s: %s", fCurrent->path.constData(),
                error ? error : sqlite3_errmsg(db));
    if (error) sqlite3_free(error);
    if (rc != SQLITE_OK) {
      // Closing discards the open transaction: the file keeps no table.
      sqlite3_close(db);
      return false;
    }
  }
  sqlite3_close(db);
  return true;
}

bool VideoDatabase::createDatabase() {
  const QFileInfo folder(fPaths.databaseDirectory);
  if (!folder.exists()) {
    if (fPaths.databaseDirectory.isEmpty() || !QDir().mkpath(fPaths.databaseDirectory))
      return false;
  } else if (!folder.isDir()) {
    return false;
  }
  if (!initializeNewDatabase()) return false;
  updateFromVersion2();
  return true;
}

bool VideoDatabase::ensureIndexes() {
  QString text;
  for (const char *statement : kCreateIndexes) text += QString::fromLatin1(statement);
  return executeSQL(text).has_value();
}

std::optional<QString> VideoDatabase::openDatabase() {
  // Reading the list of tables reads the file's header and its first page: a
  // file that is not an SQLite database, or one cut short, fails here, before
  // anything was written to it.
  const std::optional<SqlRows> rows =
      executeSQL(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table';"));
  if (!rows) return fCurrent->lastError;
  QSet<QString> present;
  for (const SqlRow &row : *rows) present.insert(row.value(QStringLiteral("name")).toLower());
  QStringList missing;
  for (const char *statement : kCreateTables) {
    // "CREATE TABLE <name> (..."
    const QString name = QString::fromLatin1(statement).section(QLatin1Char(' '), 2, 2);
    if (!present.contains(name.toLower())) missing << name;
  }
  if (missing.size() == qsizetype(std::size(kCreateTables)))
    return QStringLiteral("the file holds no video library");
  if (!missing.isEmpty())
    return QStringLiteral("the library lacks its tables ") + missing.join(QStringLiteral(", "));
  ensureIndexes();
  return std::nullopt;
}

// ---- the video cache ------------------------------------------------------------

int VideoDatabase::getVideoId(const VideoInfo &info) {
  return intValue(info.value(QStringLiteral("id")));
}

int VideoDatabase::findVideoInfo(int videoId) const {
  const auto it = std::lower_bound(fVideoIds.cbegin(), fVideoIds.cend(), videoId);
  if (it == fVideoIds.cend() || *it != videoId) return -1;
  return int(it - fVideoIds.cbegin());
}

int VideoDatabase::findInsertionIndexForVideo(int videoId) const {
  return int(std::upper_bound(fVideoIds.cbegin(), fVideoIds.cend(), videoId) - fVideoIds.cbegin());
}

void VideoDatabase::cacheVideoInfo(const VideoInfo &info, int videoId) {
  const int index = findVideoInfo(videoId);
  if (index >= 0) {
    fVideoList[index] = info;
  } else {
    const int at = findInsertionIndexForVideo(videoId);
    fVideoList.insert(at, info);
    fVideoIds.insert(at, videoId);
  }
}

void VideoDatabase::cacheVideoInfos(const QList<VideoInfo> &rows, const QList<int> &ids,
                                    bool replace) {
  if (rows.size() < 16) {
    for (qsizetype i = 0; i < rows.size(); ++i)
      if (replace || findVideoInfo(ids.at(i)) < 0) cacheVideoInfo(rows.at(i), ids.at(i));
    return;
  }
  // Many rows: sort them by id and merge them with the cache in one pass
  // instead of inserting one at a time.
  QList<std::pair<int, qsizetype>> incoming;
  incoming.reserve(rows.size());
  for (qsizetype i = 0; i < rows.size(); ++i) incoming.append({ids.at(i), i});
  std::stable_sort(incoming.begin(), incoming.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  QList<VideoInfo> mergedRows;
  QList<int> mergedIds;
  mergedRows.reserve(fVideoList.size() + incoming.size());
  mergedIds.reserve(fVideoList.size() + incoming.size());
  qsizetype cached = 0;
  qsizetype next = 0;
  while (next < incoming.size()) {
    const int id = incoming.at(next).first;
    while (cached < fVideoIds.size() && fVideoIds.at(cached) < id) {
      mergedRows.append(fVideoList.at(cached));
      mergedIds.append(fVideoIds.at(cached++));
    }
    if (cached < fVideoIds.size() && fVideoIds.at(cached) == id) {
      mergedRows.append(replace ? rows.at(incoming.at(next).second) : fVideoList.at(cached));
      ++cached;
    } else {
      mergedRows.append(rows.at(incoming.at(next).second));
    }
    mergedIds.append(id);
    // The same id again in the rows: still one entry; the last row wins when
    // replacing, the first kept entry otherwise.
    while (++next < incoming.size() && incoming.at(next).first == id)
      if (replace) mergedRows.last() = rows.at(incoming.at(next).second);
  }
  while (cached < fVideoIds.size()) {
    mergedRows.append(fVideoList.at(cached));
    mergedIds.append(fVideoIds.at(cached++));
  }
  fVideoList = std::move(mergedRows);
  fVideoIds = std::move(mergedIds);
}

void VideoDatabase::removeVideoInfoFromCacheForVideo(int videoId) {
  const int index = findVideoInfo(videoId);
  if (index < 0) return;
  fVideoList.removeAt(index);
  fVideoIds.removeAt(index);
}

void VideoDatabase::removeVideoInfosFromCache(const QList<int> &videoIds) {
  if (videoIds.size() <= 16) {
    for (int id : videoIds) removeVideoInfoFromCacheForVideo(id);
    return;
  }
  const QSet<int> gone(videoIds.cbegin(), videoIds.cend());
  qsizetype kept = 0;
  for (qsizetype i = 0; i < fVideoIds.size(); ++i) {
    if (gone.contains(fVideoIds.at(i))) continue;
    if (kept != i) {
      fVideoIds[kept] = fVideoIds.at(i);
      fVideoList[kept] = std::move(fVideoList[i]);
    }
    ++kept;
  }
  fVideoIds.resize(kept);
  fVideoList.resize(kept);
}

void VideoDatabase::updateVideoInfoFromDatabase(int videoId) {
  queryAndCacheVideos(sqlFormat("SELECT * FROM Videos WHERE id=%d;", {videoId}), true);
}

void VideoDatabase::updateVideoInfosFromDatabase(const QList<int> &videoIds) {
  if (videoIds.size() == 1) return updateVideoInfoFromDatabase(videoIds.first());
  if (videoIds.isEmpty()) return;
  queryAndCacheVideos(QStringLiteral("SELECT * FROM Videos WHERE id IN (") + idList(videoIds) +
                          QStringLiteral(");"),
                      true);
}
