// The database gateway: files and schema of a new library, statement
// execution and its failures, text encoding, the Config table, and the
// busy/unopenable fatal paths.

#include "Config.h"
#include "LibraryFixture.h"
#include "LogCapture.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

#include <sqlite3.h>

namespace {

const char *const kExpectedTables[] = {
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

// The tables as the sqlite3 tool shows them, in creation order.
QStringList tableLines(const QString &schema) {
  QStringList tables;
  for (const QString &line : schema.split('\n', Qt::SkipEmptyParts))
    if (line.startsWith("CREATE TABLE")) tables.append(line);
  return tables;
}

QStringList expectedTables() {
  QStringList tables;
  for (const char *t : kExpectedTables) tables.append(QString::fromLatin1(t));
  return tables;
}

// Starts the sqlite3 tool holding a transaction on the database: an
// exclusive one (nobody may read), or a reading one (nobody may commit a
// write); returns once the lock is seen taken, and from then on the tool
// holds it for `seconds`. (Until the lock is seen the tool keeps it, so that
// a loaded machine cannot make the check miss it.)
std::unique_ptr<QProcess> holdLock(const QString &databasePath, double seconds,
                                   bool exclusive = true) {
  auto holder = std::make_unique<QProcess>();
  const QString begin =
      exclusive ? QStringLiteral(
                      "echo 'BEGIN EXCLUSIVE;'; echo \"INSERT INTO Config VALUES('holder','1');\";")
                : QStringLiteral("echo 'BEGIN;'; echo 'SELECT count(*) FROM Videos;';");
  const QString script =
      // The tool waits out the checks' own short locks instead of failing
      // to begin.
      QStringLiteral(
          "{ echo '.timeout 10000'; %1 read seen; sleep %2; echo 'COMMIT;'; } | "
          "sqlite3 '%3'")
          .arg(begin, QString::number(seconds), databasePath);
  holder->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
  EXPECT_TRUE(holder->waitForStarted());
  const char *probe = exclusive ? "SELECT count(*) FROM sqlite_master;" : "BEGIN EXCLUSIVE;";
  const bool locked = TestEnvironment::waitFor([&] {
    sqlite3 *db = nullptr;
    sqlite3_open(databasePath.toUtf8().constData(), &db);
    const int rc = sqlite3_exec(db, probe, nullptr, nullptr, nullptr);
    sqlite3_close(db);  // also ends a probe transaction that did begin
    return rc == SQLITE_BUSY;
  });
  EXPECT_TRUE(locked) << "the sqlite3 tool never took the lock";
  holder->write("seen\n");
  holder->waitForBytesWritten();
  return holder;
}

}  // namespace

// ---- a new library -------------------------------------------------------------------

TEST_F(LibraryTest, NewLibraryHasExactlyTheSchemaTablesInOrderAndOneVersionRow) {
  const QString schema = sqliteTool(dbPath(), ".schema");
  EXPECT_EQ(tableLines(schema), expectedTables());
  // Nothing but the tables and their lookup indexes.
  for (const QString &line : schema.split('\n', Qt::SkipEmptyParts))
    EXPECT_TRUE(line.startsWith("CREATE TABLE") || line.startsWith("CREATE INDEX"))
        << line.toStdString();

  // Every table empty except DBVersion, which holds "3.0.0" and the creation time.
  for (const char *table :
       {"Config", "Jobs", "Videos", "LogFiles", "Playlists", "PlaylistEntries", "Categories",
        "CategoryEntries", "Channels", "ChannelEntries", "Tags", "TagEntries", "Series",
        "SeriesEntries", "Publishers", "Feeds", "FeedItems", "ServerCommands"})
    EXPECT_EQ(sql(QString("SELECT count(*) FROM %1;").arg(table)), "0") << table;
  const QStringList version = sql("SELECT DBVersion, LastUpdateDate FROM DBVersion;").split('|');
  ASSERT_EQ(version.size(), 2);
  EXPECT_EQ(version[0], "3.0.0");
  const QDateTime created = QDateTime::fromString(version[1], "yyyy-MM-dd HH:mm:ss");
  ASSERT_TRUE(created.isValid()) << version[1].toStdString();
  EXPECT_LE(qAbs(created.secsTo(QDateTime::currentDateTime())), 60);
}

TEST_F(LibraryTest, CreateDatabaseMakesItsFolderAndRefusesAFileInItsPlace) {
  VideoDatabase::Paths paths = fPaths;
  paths.databaseDirectory = fRoot + "/deeper/folder";
  paths.databasePath = paths.databaseDirectory + "/ZaroPlayer.db";
  VideoDatabase nested(paths, fFolders.get());
  EXPECT_TRUE(nested.createDatabase());
  EXPECT_TRUE(QFileInfo(paths.databasePath).isFile());

  writeFile(fRoot + "/plainfile");
  paths.databaseDirectory = fRoot + "/plainfile";
  paths.databasePath = paths.databaseDirectory + "/ZaroPlayer.db";
  VideoDatabase blocked(paths, fFolders.get());
  EXPECT_FALSE(blocked.createDatabase());
}

TEST_F(LibraryTest, FailedSchemaCreationLeavesNoTableOfItsOwn) {
  // A file that already has a Jobs table: creation fails at "CREATE TABLE
  // Jobs" and the Config and DBVersion made before it in the same
  // transaction must not remain.
  VideoDatabase::Paths paths = fPaths;
  paths.databasePath = fRoot + "/app/Other.db";
  sqliteTool(paths.databasePath, "CREATE TABLE Jobs (x);");
  VideoDatabase other(paths, fFolders.get());
  EXPECT_FALSE(other.initializeNewDatabase());
  EXPECT_EQ(sqliteToolTrimmed(paths.databasePath,
                              "SELECT group_concat(name) FROM sqlite_master WHERE type='table';"),
            "Jobs");
}

TEST_F(LibraryTest, OpeningALibraryWithoutIndexesAddsThemAndKeepsTheData) {
  VideoDatabase::Paths paths = fPaths;
  paths.databasePath = fRoot + "/app/Plain.db";
  QString statements;
  for (const char *t : kExpectedTables) statements += QString::fromLatin1(t);
  statements += "INSERT INTO Videos (TITLE, PATH) VALUES ('kept', '/x.mp4');";
  sqliteTool(paths.databasePath, statements);
  VideoDatabase plain(paths, fFolders.get());
  plain.openDatabase();
  EXPECT_NE(sqliteToolTrimmed(paths.databasePath,
                              "SELECT count(*) FROM sqlite_master WHERE type='index';"),
            "0");
  EXPECT_EQ(tableLines(sqliteTool(paths.databasePath, ".schema")), expectedTables());
  EXPECT_EQ(plain.getAllVideos().size(), 1);
}

// A library file that cannot be read as the library is refused when it is
// opened, with the reason, and left byte for byte as it was.
TEST_F(LibraryTest, OpeningAFileThatHoldsNoLibraryAnswersWhyAndChangesNothing) {
  // A library with some rows, a few pages long.
  for (int i = 0; i < 40; ++i) ASSERT_NE(addVideo(QString("video %1").arg(i)), -1);
  fDatabase.reset();
  const QByteArray library = TestEnvironment::readFile(dbPath());
  ASSERT_GT(library.size(), 8 * 4096);
  QByteArray garbage = library;
  garbage.replace(0, 16, QByteArray(16, '#'));
  struct Case {
    const char *what;
    QByteArray bytes;
    const char *reason;
  } cases[] = {
      {"garbage over its first bytes", garbage, "file is not a database"},
      {"cut to half", library.left(library.size() / 2), "database disk image is malformed"},
      {"cut to 50 bytes", library.left(50), "database disk image is malformed"},
      {"emptied", QByteArray(), "the file holds no video library"},
      {"another program's database", QByteArray(), "the file holds no video library"},
      {"a library without its Videos table", library, "the library lacks its tables Videos"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const QString path = fRoot + "/app/Damaged.db";
    QFile::remove(path);
    ASSERT_TRUE(TestEnvironment::writeFile(path, c.bytes));
    if (QByteArray(c.what).startsWith("another"))
      sqliteTool(path, "CREATE TABLE Notes (x); INSERT INTO Notes VALUES (1);");
    if (QByteArray(c.what).endsWith("Videos table")) sqliteTool(path, "DROP TABLE Videos;");
    const QByteArray before = TestEnvironment::readFile(path);
    VideoDatabase::Paths paths = fPaths;
    paths.databasePath = path;
    {
      VideoDatabase damaged(paths, fFolders.get());
      EXPECT_EQ(damaged.openDatabase(), std::optional<QString>(c.reason));
    }
    EXPECT_EQ(TestEnvironment::readFile(path), before);
    EXPECT_FALSE(QFileInfo::exists(path + "-journal"));
  }
  // The library itself opens.
  VideoDatabase intact(fPaths, fFolders.get());
  EXPECT_EQ(intact.openDatabase(), std::nullopt);
  EXPECT_EQ(intact.getAllVideos().size(), 40);
}

// ---- statement execution -----------------------------------------------------------------

TEST_F(LibraryTest, ExecuteAnswersRowsEmptyListOrNothing) {
  ASSERT_TRUE(db().executeSQL("INSERT INTO Feeds (Url, Source) VALUES ('http://a/', 0);"));

  // No match: an empty list, not a failure.
  const auto none = db().executeSQL("SELECT * FROM Feeds WHERE Url = 'nope';");
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->isEmpty());

  // Declared column names, numbers as text, NULL as "".
  const auto rows = db().executeSQL("SELECT * FROM Feeds;");
  ASSERT_TRUE(rows && rows->size() == 1);
  const SqlRow &row = rows->first();
  EXPECT_EQ(row.value("Url"), "http://a/");
  EXPECT_EQ(row.value("Source"), "0");
  EXPECT_TRUE(row.contains("Title"));
  EXPECT_EQ(row.value("Title"), "");
  EXPECT_FALSE(row.value("Title").isNull());
  EXPECT_EQ(row.value("id"), "1");
  EXPECT_EQ(row.size(), 9);

  // A syntax error answers nothing and says why, once, on the library's log
  // category; the next statement still works.
  {
    LogCapture log;
    EXPECT_FALSE(db().executeSQL("SELEC nonsense FROM;").has_value());
    EXPECT_FALSE(db().executeSQL("SELECT * FROM NoSuchTable;").has_value());
    const QList<LogCapture::Line> lines = log.lines("zaro.library");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].type, QtWarningMsg);
    EXPECT_TRUE(lines[0].message.contains("syntax error")) << lines[0].message.toStdString();
    EXPECT_TRUE(lines[1].message.contains("no such table: NoSuchTable"))
        << lines[1].message.toStdString();
    EXPECT_TRUE(lines[1].message.endsWith("in: SELECT * FROM NoSuchTable;"))
        << lines[1].message.toStdString();
  }
  const auto after = db().executeSQL("SELECT Url FROM Feeds;");
  ASSERT_TRUE(after && after->size() == 1);
  EXPECT_EQ(after->first().value("Url"), "http://a/");

  // A text of several statements runs them all, rows in order.
  const auto both = db().executeSQL("SELECT 1 AS n; SELECT 2 AS n;");
  ASSERT_TRUE(both && both->size() == 2);
  EXPECT_EQ(both->at(1).value("n"), "2");
}

TEST_F(LibraryTest, TextRoundTripsAsUtf8InEveryKindOfName) {
  const QStringList texts = {
      QStringLiteral("O'Brien's \"best\" video"),
      QStringLiteral("Ünïcödé – 日本語 – emoji 😀"),
      QStringLiteral("'); DELETE FROM Videos; --"),
  };
  int n = 0;
  for (const QString &text : texts) {
    SCOPED_TRACE(text.toStdString());
    ++n;
    VideoDatabase::AddVideoParams params;
    params.title = text;
    params.description = text;
    params.path = fRoot + "/" + text + QString::number(n) + ".mp4";
    params.extension = "mp4";
    params.permaLink = text;
    const int id = db().addVideo(params);
    ASSERT_NE(id, -1);
    const auto info = db().getVideoInfo(id);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->value("TITLE"), text);
    EXPECT_EQ(info->value("DESCRIPTION"), text);
    EXPECT_EQ(info->value("PATH"), params.path);
    EXPECT_EQ(db().videoIdWithPermalink(text), id);

    // Groupings: found again by name (no second row) and listed unchanged.
    for (int round = 0; round < 2; ++round) {
      EXPECT_TRUE(db().addPublisherWithName(text, text, {}, {}, {}, {}, id));
      EXPECT_TRUE(db().addChannelWithName(text, text, {}, {}, {}, {}, id));
      EXPECT_TRUE(db().addCategoryWithName(text, text, {}, {}, id));
      EXPECT_TRUE(db().addTagWithName(text, {}, {}, id));
      EXPECT_TRUE(db().addSeriesWithName(text, text, {}, {}, {}, id));
    }
    auto countNamed = [&](const SqlRows &rows) {
      return std::count_if(rows.begin(), rows.end(),
                           [&](const SqlRow &r) { return r.value("Name") == text; });
    };
    EXPECT_EQ(countNamed(db().getPublishersSortedByName()), 1);
    EXPECT_EQ(countNamed(db().getChannelsSortedByName()), 1);
    EXPECT_EQ(countNamed(db().getCategoriesSortedByName()), 1);
    EXPECT_EQ(countNamed(db().getTagsSortedByName()), 1);
    EXPECT_EQ(countNamed(db().getSeriesSortedByName()), 1);
    EXPECT_EQ(db().getNameForPublisherId(db().getVideoInfo(id)->value("PUBLISHER").toInt()), text);

    db().saveNewPlaylist(text, QList<int>{id});
    const int playlist = db().getIdForPlaylist(text);
    ASSERT_NE(playlist, -1);
    EXPECT_EQ(db().getPlaylistEntries(playlist), QList<int>{id});

    EXPECT_TRUE(db().addFeedWithName(text, "http://feed/" + text, 0));
    EXPECT_FALSE(db().addFeedWithName(text, "http://feed/" + text, 0));
    EXPECT_TRUE(db().getListOfFeedUrls().contains("http://feed/" + text));

    EXPECT_TRUE(db().setConfigString(text, "key " + text));
    EXPECT_EQ(db().configStringForKey("key " + text), text);

    const int job = db().addJob(0, text, 1, text);
    ASSERT_NE(job, -1);
    const SqlRows jobs = db().getVideoDownloadJobs();
    EXPECT_TRUE(std::any_of(jobs.begin(), jobs.end(), [&](const SqlRow &r) {
      return r.value("JobIdentifier") == text && r.value("XMLParams") == text;
    }));
  }
  // The file holds UTF-8, readable by other tools.
  EXPECT_EQ(sql("SELECT hex(Name) FROM Tags WHERE Name LIKE 'Ü%';"),
            QString(texts[1].toUtf8().toHex().toUpper()));
}

// ---- Config -----------------------------------------------------------------------------

TEST_F(LibraryTest, ConfigStoresUpdatesAndAnswersNothingForMissingKeys) {
  EXPECT_FALSE(db().configStringForKey("MediaInfoUrl").has_value());
  EXPECT_TRUE(db().setConfigString("http://one/", "MediaInfoUrl"));
  EXPECT_TRUE(db().setConfigString("http://two/", "MediaInfoUrl"));
  EXPECT_EQ(db().configStringForKey("MediaInfoUrl"), "http://two/");
  EXPECT_EQ(sql("SELECT count(*) FROM Config;"), "1");

  Config config(db());
  EXPECT_TRUE(config.setObject(QVariant(42), "answer"));
  EXPECT_TRUE(config.setObject(QVariant(true), "flag"));
  EXPECT_TRUE(config.setObject(QStringLiteral("it's"), "text"));
  EXPECT_EQ(config.objectForKey("answer"), "42");
  EXPECT_EQ(config.objectForKey("flag"), "1");
  EXPECT_EQ(config.objectForKey("text"), "it's");
  EXPECT_FALSE(config.objectForKey("absent").has_value());
}

// ---- busy and unopenable libraries ---------------------------------------------------------

TEST_F(LibraryTest, BusyOperationIsRetriedUntilTheOtherProcessLetsGo) {
  VideoDatabase::setRetryDelay(std::chrono::milliseconds(500));
  auto holder = holdLock(dbPath(), 0.6);
  // The insert opens a transaction of its own: that is what meets the lock.
  EXPECT_NE(addVideo("during the lock"), -1);
  EXPECT_TRUE(db().setConfigString("mine", "k"));
  holder->waitForFinished(10000);
  EXPECT_EQ(sql("SELECT group_concat(Key) FROM (SELECT Key FROM Config ORDER BY Key);"),
            "holder,k");
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "1");
}

TEST_F(LibraryTest, MultiStatementTextMetByABusyLockRunsOnceWhenRetried) {
  VideoDatabase::setRetryDelay(std::chrono::milliseconds(500));
  auto holder = holdLock(dbPath(), 0.6);
  // The whole transaction is retried from the start, not resumed inside it.
  EXPECT_TRUE(
      db().executeSQL("BEGIN; INSERT INTO Tags (Name) VALUES ('a'); "
                      "INSERT INTO Tags (Name) VALUES ('b'); COMMIT;"));
  holder->waitForFinished(10000);
  EXPECT_EQ(sql("SELECT count(*) FROM Tags;"), "2");
}

TEST_F(LibraryTest, CommitWaitingForAReaderIsRetriedNotDiscarded) {
  VideoDatabase::setRetryDelay(std::chrono::milliseconds(500));
  // Another process reads: our write transaction can begin but not commit
  // until the reader is done.
  auto holder = holdLock(dbPath(), 0.6, false);
  EXPECT_NE(addVideo("kept"), -1);
  holder->waitForFinished(10000);
  EXPECT_EQ(sql("SELECT TITLE FROM Videos;"), "kept");
}

using LibraryDeathTest = LibraryTest;

TEST_F(LibraryDeathTest, StillBusyAfterSixRunsShowsTheLockedAlertAndExits) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const QString log = fRoot + "/alerts.log";
  Dialogs::setShared(std::make_unique<ScriptedDialogs>(QString(), log));
  VideoDatabase::setRetryDelay(std::chrono::milliseconds(20));
  // Held far longer than the six short retries take, even on a loaded machine.
  auto holder = holdLock(dbPath(), 8);
  EXPECT_EXIT(db().executeSQL("SELECT * FROM Videos;"), ::testing::ExitedWithCode(255), "");
  holder->waitForFinished(20000);
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString alert = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(alert.startsWith(
      "alert The Zaro Client library database is locked.\n\nThis application can not "
      "continue.\n\nIf the problem persists contact support@zaro.tv."))
      << alert.toStdString();
}

TEST_F(LibraryDeathTest, UnopenableLibraryShowsTheOpenAlertWithDiagnosticsAndExits) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const QString log = fRoot + "/alerts.log";
  Dialogs::setShared(std::make_unique<ScriptedDialogs>(QString(), log));
  VideoDatabase::setRetryDelay(std::chrono::milliseconds(5));
  VideoDatabase::Paths paths = fPaths;
  paths.databasePath = fRoot + "/no/such/folder/ZaroPlayer.db";
  VideoDatabase missing(paths, fFolders.get());
  EXPECT_EXIT(missing.executeSQL("SELECT 1;"), ::testing::ExitedWithCode(255), "");
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString alert = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(alert.startsWith(
      "alert The Zaro Client library database can not be opened.\n\nThis application can not "
      "continue.\n\nIf the problem persists contact support@zaro.tv.\nDiagnostic Info:\n"
      "unable to open database file"))
      << alert.toStdString();
}

// Each user's library has its lock files beside it, named by the bundle
// identifier: two users (two data folders) never share one, and nothing of
// the library lives in /tmp.
TEST(LibraryLocations, LockFilesLieBesideEachUsersLibrary) {
  const QString first = TestEnvironment::makeTempDir("user1") + "/Zaro Player";
  const QString second = TestEnvironment::makeTempDir("user2") + "/Zaro Player";
  const VideoDatabase::Paths a = VideoDatabase::pathsForApplicationFolder(first);
  const VideoDatabase::Paths b = VideoDatabase::pathsForApplicationFolder(second);
  EXPECT_EQ(a.databasePath, first + "/ZaroPlayer.db");
  EXPECT_EQ(a.lockPath, first + "/tv.zaro.ZaroPlayer.db.lock");
  EXPECT_EQ(a.lockPathForVersion2, first + "/tv.zaro.ZaroPlayer.dbv2.lock");
  EXPECT_EQ(b.lockPath, second + "/tv.zaro.ZaroPlayer.db.lock");
  EXPECT_EQ(a.databaseDirectoryForVersion2, VideoDatabase::previousGenerationDirectory());

  // A library under a folder that does not exist yet: creating it makes the
  // folder, and its lock is had from then on.
  const QString fresh = TestEnvironment::makeTempDir("fresh") + "/not/yet";
  VideoDatabase database(VideoDatabase::pathsUnder(fresh));
  ASSERT_TRUE(database.createDatabase());
  EXPECT_FALSE(database.lockFailure().has_value());
  EXPECT_TRUE(database.executeSQL("SELECT * FROM Videos;").has_value());
}

// A lock file that cannot be had (here a planted link) stops every statement
// with the open alert, naming the lock file; nothing reaches the library.
TEST_F(LibraryDeathTest, UnusableLockFileShowsTheOpenAlertAndTouchesNothing) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const QString log = fRoot + "/alerts.log";
  Dialogs::setShared(std::make_unique<ScriptedDialogs>(QString(), log));
  VideoDatabase::Paths paths = fPaths;
  paths.lockPath = fRoot + "/planted.lock";
  ASSERT_TRUE(QFile::link(fRoot + "/elsewhere", paths.lockPath));
  VideoDatabase planted(paths, fFolders.get());
  EXPECT_TRUE(planted.lockFailure().has_value());
  EXPECT_EXIT(planted.executeSQL("CREATE TABLE T (x);"), ::testing::ExitedWithCode(255), "");
  EXPECT_FALSE(QFileInfo::exists(fRoot + "/elsewhere"));
  EXPECT_EQ(
      sqliteToolTrimmed(paths.databasePath, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'T';"),
      "0");
  QFile file(log);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString alert = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(alert.startsWith("alert The Zaro Client library database can not be opened."))
      << alert.toStdString();
  EXPECT_TRUE(alert.contains(paths.lockPath)) << alert.toStdString();
  EXPECT_FALSE(db().lockFailure().has_value());
}

TEST_F(LibraryTest, UsageEventsGoToATableMadeWithTheFirstOne) {
  EXPECT_EQ(sql("SELECT count(*) FROM sqlite_master WHERE name = 'LOG_RECORD';"), "0");
  EXPECT_TRUE(db().log("/ui/player/pause", "videoID=it's&position=00:01:05"));
  EXPECT_TRUE(db().log("/ui/player/video/end"));
  EXPECT_EQ(sql("SELECT EVENT, PARAMETERS IS NULL, PARAMETERS FROM LOG_RECORD ORDER BY rowid;"),
            "/ui/player/pause|0|videoID=it's&position=00:01:05\n/ui/player/video/end|1|");
  const QDateTime time =
      QDateTime::fromString(sql("SELECT TIME FROM LOG_RECORD LIMIT 1;"), "yyyy-MM-dd HH:mm:ss");
  ASSERT_TRUE(time.isValid());
  EXPECT_LE(qAbs(time.secsTo(QDateTime::currentDateTime())), 60);
}
