// Migration of the previous generation's library into a new one.

#include "LibraryFixture.h"
#include "Localization.h"

#include <QDirIterator>

#include <algorithm>

namespace {

const char *const kOldSchema =
    "CREATE TABLE VIDEO (ID INTEGER PRIMARY KEY, PATH TEXT, TITLE TEXT, FILE_HASH TEXT, "
    "IMAGE_PATH TEXT, PUBLISHER TEXT, VIDEO_PERMALINK TEXT, DATE_VIEWED TEXT, DATE_ADDED TEXT, "
    "DESCRIPTION TEXT, ORIGIN INTEGER, DOWNLOAD_COMPLETE INTEGER);"
    "CREATE TABLE Playlist (ID INTEGER PRIMARY KEY, NAME TEXT, TYPE INTEGER, SQL TEXT);"
    "CREATE TABLE VIDEO_PLAYLIST (VIDEO_ID INTEGER, PLAYLIST_ID INTEGER);"
    "CREATE TABLE CONFIG (KEY TEXT, VALUE TEXT);"
    "CREATE TABLE VIDEO_CATEGORY (VIDEO_ID INTEGER, CATEGORY_ID INTEGER);"
    "CREATE TABLE VIDEO_TAG (VIDEO_ID INTEGER, TAG_ID INTEGER);"
    "CREATE TABLE VIDEO_CHANNEL (VIDEO_ID INTEGER, CHANNEL_ID INTEGER);"
    "CREATE TABLE VIDEO_DEVICE (VIDEO_ID INTEGER, DEVICE_ID INTEGER);"
    "CREATE TABLE CATEGORY (ID INTEGER PRIMARY KEY, NAME TEXT);"
    "CREATE TABLE TAG (ID INTEGER PRIMARY KEY, NAME TEXT);"
    "CREATE TABLE CHANNEL (ID INTEGER PRIMARY KEY, NAME TEXT);"
    "CREATE TABLE DEVICE (ID INTEGER PRIMARY KEY, NAME TEXT);";

QStringList fileList(const QString &folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) files.append(QDir(folder).relativeFilePath(it.next()));
  files.sort();
  return files;
}

}  // namespace

class MigrationTest : public LibraryTest {
 protected:
  bool createLibrary() override { return false; }

  void SetUp() override {
    LibraryTest::SetUp();
    fOld = fRoot + "/old";
    QDir().mkpath(fOld);
    sqliteTool(oldDb(), kOldSchema);
    UserDefaults::standardUserDefaults().removeObject("MigrationVersion2Guid");
    UserDefaults::standardUserDefaults().removeObject("MigrationVersion2UserName");
  }

  QString oldDb() const { return fOld + "/zaro.db"; }
  void oldSql(const QString &statement) { sqliteTool(oldDb(), statement); }

  void addOldVideo(int id, const QString &title, const QString &path, int complete,
                   const QString &extra = QString("NULL, NULL, NULL, NULL")) {
    // extra: IMAGE_PATH, PUBLISHER, VIDEO_PERMALINK, ORIGIN
    oldSql(QString("INSERT INTO VIDEO (ID, TITLE, PATH, DOWNLOAD_COMPLETE, IMAGE_PATH, PUBLISHER, "
                   "VIDEO_PERMALINK, ORIGIN, FILE_HASH, DESCRIPTION, DATE_VIEWED, DATE_ADDED) "
                   "VALUES (%1, '%2', '%3', %4, %5, 'hash%1', 'About %2', "
                   "'2005-05-05 05:05:05', '2004-04-04 04:04:04');")
               .arg(id)
               .arg(title, path)
               .arg(complete)
               .arg(extra));
  }

  void migrate() {
    fDatabase = std::make_unique<VideoDatabase>(fPaths, fFolders.get());
    ASSERT_TRUE(fDatabase->createDatabase());
  }

  int idOfTitle(const QString &title) {
    return sql("SELECT id FROM Videos WHERE TITLE='" + title + "';").toInt();
  }

  QString fOld;
};

TEST_F(MigrationTest, CompleteVideosPlaylistsAndIdentityMoveOverAndTheOldFolderGoes) {
  // alpha: a real two-second movie with its thumbnail, both inside the old folder.
  QDir().mkpath(fOld + "/media");
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg",
               {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=duration=2:size=64x48:rate=5",
                "-c:v", "mpeg4", fOld + "/media/a.mp4"});
  ASSERT_TRUE(ffmpeg.waitForFinished(60000));
  ASSERT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
  writeFile(fOld + "/Images/a.jpg", 300);
  // Beta: its move fails, a different file of that name is already in the media folder.
  writeFile(fOld + "/media/b.mp4", 400);
  writeFile(mediaFolder() + "/b.mp4", 7);
  // gamma: imported from a folder of the user's own; never moved.
  writeFile(fRoot + "/elsewhere/c.mov", 500);
  // delta: an unfinished download.
  writeFile(fOld + "/media/d.part", 600);

  addOldVideo(10, "alpha", fOld + "/media/a.mp4", 1,
              QString("'%1', 'Pub''s', 'p-a', 0").arg(fOld + "/Images/a.jpg"));
  addOldVideo(11, "Beta", fOld + "/media/b.mp4", 1);
  addOldVideo(12, "gamma", fRoot + "/elsewhere/c.mov", 1, "NULL, '', 'p-c', 1");
  addOldVideo(13, "delta", fOld + "/media/d.part", 0);
  oldSql(
      "INSERT INTO Playlist VALUES (1, 'Favourites', 1, NULL);"
      "INSERT INTO Playlist VALUES (2, 'Smart news', 2, 'CATEGORY.NAME = ''News''');"
      "INSERT INTO Playlist VALUES (3, 'Built-in', 3, NULL);"
      "INSERT INTO Playlist VALUES (4, 'only unfinished', 1, NULL);"
      "INSERT INTO VIDEO_PLAYLIST VALUES (13, 1), (12, 1), (10, 1), (13, 4);"
      "INSERT INTO CATEGORY VALUES (1, 'News'), (2, 'Sports');"
      "INSERT INTO VIDEO_CATEGORY VALUES (10, 1), (11, 1), (13, 1), (12, 2);"
      "INSERT INTO CONFIG VALUES ('Guid', 'G-1'), ('Username', 'user');");

  migrate();

  // Three rows, inserted in title order.
  EXPECT_EQ(sql("SELECT group_concat(TITLE) FROM (SELECT TITLE FROM Videos ORDER BY id);"),
            "alpha,Beta,gamma");
  const int alpha = idOfTitle("alpha");
  const int beta = idOfTitle("Beta");
  const int gamma = idOfTitle("gamma");
  const auto a = db().getVideoInfo(alpha);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->value("PATH"), mediaFolder() + "/a.mp4");
  EXPECT_TRUE(QFileInfo(mediaFolder() + "/a.mp4").isFile());
  EXPECT_EQ(a->value("IMAGE_PATH"), mediaFolder() + "/Images/a.jpg");
  EXPECT_TRUE(QFileInfo(mediaFolder() + "/Images/a.jpg").isFile());
  EXPECT_EQ(a->value("EXTENSION"), "mp4");
  EXPECT_EQ(a->value("DURATION"), "2");
  EXPECT_EQ(a->value("SIZE"), QString::number(QFileInfo(mediaFolder() + "/a.mp4").size()));
  EXPECT_EQ(a->value("DESCRIPTION"), "About alpha");
  EXPECT_EQ(a->value("FILE_HASH"), "hash10");
  EXPECT_EQ(a->value("VIDEO_PERMALINK"), "p-a");
  EXPECT_EQ(a->value("DATE_VIEWED"), "");  // not carried over
  EXPECT_NE(a->value("DATE_ADDED"), "2004-04-04 04:04:04");
  EXPECT_EQ(a->value("VIDEO_SAVED"), "0");
  EXPECT_EQ(a->value("SOURCE"), "0");
  EXPECT_EQ(a->value("RATING"), "0");
  EXPECT_EQ(db().getNameForPublisherId(a->value("PUBLISHER").toInt()), "Pub's");

  // The failed move keeps the old path, and that file survives the clean-up.
  const auto b = db().getVideoInfo(beta);
  EXPECT_EQ(b->value("PATH"), fOld + "/media/b.mp4");
  EXPECT_EQ(b->value("EXTENSION"), "mp4");
  EXPECT_EQ(b->value("SIZE"), "400");
  EXPECT_EQ(b->value("PUBLISHER"), "-1");
  EXPECT_EQ(QFileInfo(fOld + "/media/b.mp4").size(), 400);
  EXPECT_EQ(QFileInfo(mediaFolder() + "/b.mp4").size(), 7);

  const auto c = db().getVideoInfo(gamma);
  EXPECT_EQ(c->value("PATH"), fRoot + "/elsewhere/c.mov");
  EXPECT_TRUE(QFileInfo::exists(fRoot + "/elsewhere/c.mov"));
  EXPECT_EQ(c->value("SOURCE"), "1");
  EXPECT_EQ(c->value("EXTENSION"), "mov");
  EXPECT_EQ(sql("SELECT count(*) FROM Publishers;"), "1");

  // Everything else of the old folder is gone: its database, the unfinished
  // download, the emptied thumbnail folder.
  EXPECT_EQ(fileList(fOld), QStringList{"media/b.mp4"});
  EXPECT_FALSE(QFileInfo::exists(fOld + "/Images"));

  // Playlists: ordinary ones keep their migrated videos in order, the smart
  // one holds what its condition selected, built-in lists are not migrated.
  QStringList playlists;
  for (const SqlRow &row : db().getPlaylistsSortedByName()) playlists.append(row.value("Name"));
  EXPECT_EQ(playlists, (QStringList{"Favourites", "only unfinished", "Smart news"}));
  EXPECT_EQ(db().getPlaylistEntries(db().getIdForPlaylist("Favourites")),
            (QList<int>{gamma, alpha}));
  EXPECT_TRUE(db().getPlaylistEntries(db().getIdForPlaylist("only unfinished")).isEmpty());
  QList<int> smart = db().getPlaylistEntries(db().getIdForPlaylist("Smart news"));
  std::sort(smart.begin(), smart.end());
  EXPECT_EQ(smart, (QList<int>{alpha, beta}));

  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  EXPECT_EQ(defaults.stringForKey("MigrationVersion2Guid"), "G-1");
  EXPECT_EQ(defaults.stringForKey("MigrationVersion2UserName"), "user");

  // The progress dialog followed along.
  EXPECT_TRUE(fDialogs->asked().contains(
      "importProgress " + localized("videodbImportFromVersion2ProgressWindowTitle")));
  const QStringList events = fDialogs->progressEvents();
  ASSERT_EQ(events.size(), 8) << events.join(" / ").toStdString();
  EXPECT_EQ(events[0], "text a.mp4");
  EXPECT_TRUE(events[1].startsWith("bar 33.3"));
  EXPECT_EQ(events[2], "text b.mp4");
  EXPECT_TRUE(events[3].startsWith("bar 66.6"));
  EXPECT_EQ(events[4], "text c.mov");
  EXPECT_EQ(events[5], "bar 100");
  EXPECT_EQ(events[6],
            "text " + localized("videodbImportFromVersion2ProgressImportingPlaylistsMessage"));
  EXPECT_EQ(events[7], "close");
}

TEST_F(MigrationTest, AllFilesMovedRemovesTheWholeFolderAndAHalfIdentityIsNotKept) {
  writeFile(fOld + "/x.mp4", 10);
  writeFile(fOld + "/leftover/partial.tmp", 10);
  addOldVideo(1, "x", fOld + "/x.mp4", 1);
  oldSql("INSERT INTO CONFIG VALUES ('Guid', 'G-2'), ('Username', '');");
  migrate();
  EXPECT_EQ(db().pathForVideoId(idOfTitle("x")), mediaFolder() + "/x.mp4");
  EXPECT_FALSE(QFileInfo::exists(fOld));
  EXPECT_FALSE(UserDefaults::standardUserDefaults().hasStoredValue("MigrationVersion2Guid"));
  EXPECT_FALSE(UserDefaults::standardUserDefaults().hasStoredValue("MigrationVersion2UserName"));
}

TEST_F(MigrationTest, SmartConditionCanOnlyReadTheOldLibrary) {
  writeFile(fOld + "/x.mp4", 10);
  addOldVideo(1, "x", fOld + "/x.mp4", 1);
  const QString planted = fRoot + "/planted.db";
  oldSql(QString("INSERT INTO Playlist VALUES (1, 'Sneaky', 2, '1=1; ATTACH ''%1'' AS p; "
                 "CREATE TABLE p.t (x)');")
             .arg(planted));
  migrate();
  EXPECT_FALSE(QFileInfo::exists(planted));
  EXPECT_TRUE(db().getPlaylistEntries(db().getIdForPlaylist("Sneaky")).isEmpty());
  EXPECT_EQ(sql("SELECT count(*) FROM Videos;"), "1");
}

TEST_F(MigrationTest, WithoutAPreviousLibraryNothingIsImported) {
  QFile::remove(oldDb());
  migrate();
  EXPECT_TRUE(fDialogs->asked().isEmpty());
  EXPECT_EQ(sql("SELECT count(*) FROM Playlists;"), "0");
  EXPECT_FALSE(QFileInfo::exists(oldDb()));  // not created by looking for it
}
