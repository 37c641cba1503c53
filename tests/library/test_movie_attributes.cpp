#include "MovieAttributes.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "ZFolderManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QString imagesFolder() {
  return ZFolderManager::sharedFolderManager().userMediaFileImagesFolderPath();
}

QSet<QString> imagesFolderEntries() {
  const QStringList entries =
      QDir(imagesFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  return QSet<QString>(entries.begin(), entries.end());
}

// Runs the ffmpeg tool quietly; the output file is its last argument.
bool ffmpeg(const QStringList &arguments, const QString &standardOutputFile = QString()) {
  QProcess process;
  if (!standardOutputFile.isEmpty()) process.setStandardOutputFile(standardOutputFile);
  process.start(QStringLiteral("ffmpeg"), QStringList{"-nostdin", "-v", "error", "-y"} + arguments);
  if (!process.waitForFinished(60000)) return false;
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

// Mean brightness (0..255) of a rectangle of the image.
double brightness(const QImage &image, const QRect &area) {
  double sum = 0;
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x, ++count) sum += qGray(image.pixel(x, y));
  return count ? sum / count : -1;
}

class MovieAttributesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ZFolderManager::sharedFolderManager().setupFolders();
    media = TestEnvironment::makeTempDir("media");
    const QString testsrc = "testsrc=duration=3:size=160x120:rate=10";
    mediaReady =
        ffmpeg({"-f", "lavfi", "-i", testsrc, "-f", "lavfi", "-i", "sine=duration=3", "-shortest",
                "-pix_fmt", "yuv420p", at("clip.mp4")}) &&
        ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=2:size=160x120:rate=10", "-c:v", "mpeg4",
                at("clip.avi")}) &&
        ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=0.9:size=160x120:rate=10", "-pix_fmt",
                "yuv420p", at("short.mp4")}) &&
        // Written to a pipe, a Matroska file records no duration.
        ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=2:size=160x120:rate=10", "-c:v", "mpeg4",
                "-f", "matroska", "pipe:1"},
               at("live.mkv")) &&
        ffmpeg({"-f", "lavfi", "-i", "sine=duration=2", at("sound.m4a")}) &&
        // Sound with a red 40x30 cover picture.
        ffmpeg({"-f", "lavfi", "-i", "sine=duration=2", "-f", "lavfi", "-i",
                "color=red:s=40x30:d=1", "-map", "0", "-map", "1", "-frames:v", "1", "-c:v",
                "mjpeg", "-disposition:v", "attached_pic", at("cover.mp3")}) &&
        // Pixels twice as wide as high: shown 320x120.
        ffmpeg({"-f", "lavfi", "-i", testsrc, "-vf", "setsar=2", "-pix_fmt", "yuv420p",
                at("wide-pixels.mp4")}) &&
        // Black for 2 s, white for 1 s, black for 1 s: only the middle is white.
        // One key frame, at the start, so that finding the middle takes decoding.
        ffmpeg({"-f",
                "lavfi",
                "-i",
                "color=black:s=64x48:r=10:d=2",
                "-f",
                "lavfi",
                "-i",
                "color=white:s=64x48:r=10:d=1",
                "-f",
                "lavfi",
                "-i",
                "color=black:s=64x48:r=10:d=1",
                "-filter_complex",
                "[0:v][1:v][2:v]concat=n=3:v=1:a=0",
                "-c:v",
                "libx264",
                "-g",
                "1000",
                "-sc_threshold",
                "0",
                "-pix_fmt",
                "yuv420p",
                at("middle.mp4")}) &&
        // White left half, black right half, stored with a rotation to show.
        ffmpeg({"-f", "lavfi", "-i",
                "color=white:s=32x48:r=10:d=1[l];color=black:s=32x48:r=10:d=1[r];[l][r]hstack",
                "-pix_fmt", "yuv420p", at("sides.mp4")}) &&
        ffmpeg({"-i", at("sides.mp4"), "-c", "copy", "-metadata:s:v:0", "rotate=90",
                at("turned.mp4")}) &&
        ffmpeg({"-i", at("turned.mp4"), "-frames:v", "1", at("turned-by-ffmpeg.png")}) &&
        ffmpeg({"-f", "lavfi", "-i", testsrc, "-pix_fmt", "yuv420p", "-movflags", "+faststart",
                at("faststart.mp4")}) &&
        ffmpeg({"-f", "lavfi", "-i", "color=blue:s=32x24", "-frames:v", "1", "-update", "1",
                at("picture.jpg")});
  }

  void SetUp() override {
    if (!mediaReady) FAIL() << "the ffmpeg tool could not make the test media";
  }

  static QString at(const QString &name) { return media + "/" + name; }

  // A fresh folder holding a copy of a test movie under the given name.
  static QString copyInNewFolder(const QString &source, const QString &name) {
    const QString path = TestEnvironment::makeTempDir("copy") + "/" + name;
    QFile::copy(at(source), path);
    return path;
  }

  static inline QString media;
  static inline bool mediaReady = false;
};

TEST_F(MovieAttributesTest, ReadsDurationExtensionAndThumbnailOfMovies) {
  struct Case {
    const char *file;
    quint64 seconds;
    const char *extension;
    bool hasPicture;
  };
  const Case cases[] = {
      {"clip.mp4", 3, "mp4", true},   {"clip.avi", 2, "avi", true},
      {"short.mp4", 0, "mp4", true},   // 0.9 s truncates to 0
      {"live.mkv", 0, "mkv", true},    // no recorded duration: 0, poster from the start
      {"sound.m4a", 2, "m4a", false},  // nothing to show: no thumbnail
      {"cover.mp3", 2, "mp3", true},   // the cover picture
  };
  const QSet<QString> imagesBefore = imagesFolderEntries();
  for (const Case &c : cases) EXPECT_TRUE(Utilities::canPlayMovie(at(c.file))) << c.file;
  EXPECT_EQ(imagesFolderEntries(), imagesBefore) << "the playability check writes nothing";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    const QVariantMap attributes = Utilities::getQuicktimeAttributes(at(c.file));
    ASSERT_EQ(attributes.size(), 3);
    EXPECT_EQ(attributes.value("Duration").typeId(), QMetaType::ULongLong);
    EXPECT_EQ(attributes.value("Duration").toULongLong(), c.seconds);
    EXPECT_EQ(attributes.value("Extension").toString(), c.extension);
    const QString image = attributes.value("ImageFile").toString();
    if (c.hasPicture) {
      EXPECT_TRUE(QFileInfo(image).isFile()) << image.toStdString();
      EXPECT_FALSE(QImage(image).isNull());
    } else {
      EXPECT_TRUE(image.isEmpty()) << image.toStdString();
    }
  }
}

TEST_F(MovieAttributesTest, FilesThatAreNoMoviesGiveNothingAndWriteNothing) {
  const QString dir = TestEnvironment::makeTempDir("junk");
  writeFile(dir + "/empty.mp4", QByteArray());
  writeFile(dir + "/text.mp4", "hello, this is not a movie\n");
  QByteArray noise(64 * 1024, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 2654435761u) >> 13);
  writeFile(dir + "/noise.mov", noise);
  writeFile(dir + "/subtitles.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n\n");
  writeFile(dir + "/notes.txt", QByteArray(4096, 'x'));
  QDir().mkpath(dir + "/folder.mp4");
  QFile::copy(at("picture.jpg"), dir + "/picture.jpg");
  QFile::copy(at("picture.jpg"), dir + "/picture-named-like.mp4");
  QFile::copy(at("faststart.mp4"), dir + "/header-only.mp4");
  QFile::resize(dir + "/header-only.mp4", 64);

  const QSet<QString> before = imagesFolderEntries();
  for (const char *name :
       {"empty.mp4", "text.mp4", "noise.mov", "subtitles.srt", "notes.txt", "folder.mp4",
        "picture.jpg", "picture-named-like.mp4", "header-only.mp4", "missing.mp4"}) {
    EXPECT_TRUE(Utilities::getQuicktimeAttributes(dir + "/" + name).isEmpty()) << name;
    EXPECT_FALSE(Utilities::canPlayMovie(dir + "/" + name)) << name;
  }
  EXPECT_TRUE(Utilities::getQuicktimeAttributes(QString()).isEmpty());
  EXPECT_FALSE(Utilities::canPlayMovie(QString()));
  EXPECT_EQ(imagesFolderEntries(), before);
}

TEST_F(MovieAttributesTest, GeneratedThumbnailIsAJpegOfTheShownSizeInTheImagesFolder) {
  struct Case {
    const char *file;
    QSize size;
  };
  const Case cases[] = {
      {"clip.mp4", QSize(160, 120)},
      {"wide-pixels.mp4", QSize(320, 120)},  // stretched to square pixels
      {"turned.mp4", QSize(48, 64)},         // 64x48 turned a quarter
      {"cover.mp3", QSize(40, 30)},
  };
  const QRegularExpression uuidName(
      "^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.jpg$");
  QSet<QString> expected = imagesFolderEntries();
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    const QString image =
        Utilities::getQuicktimeAttributes(at(c.file)).value("ImageFile").toString();
    const QFileInfo info(image);
    EXPECT_EQ(info.absolutePath(), QFileInfo(imagesFolder()).absoluteFilePath());
    EXPECT_TRUE(uuidName.match(info.fileName()).hasMatch()) << info.fileName().toStdString();
    QImageReader reader(image);
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.read().size(), c.size);
    expected.insert(info.fileName());
  }
  // Exactly one new file per movie: no temporary files left behind.
  EXPECT_EQ(imagesFolderEntries(), expected);

  // Every read of a movie without a thumbnail writes a new one.
  const QString first =
      Utilities::getQuicktimeAttributes(at("clip.mp4")).value("ImageFile").toString();
  const QString second =
      Utilities::getQuicktimeAttributes(at("clip.mp4")).value("ImageFile").toString();
  EXPECT_NE(first, second);
}

TEST_F(MovieAttributesTest, ThumbnailShowsTheMiddleOfTheMovie) {
  const QImage image(
      Utilities::getQuicktimeAttributes(at("middle.mp4")).value("ImageFile").toString());
  ASSERT_FALSE(image.isNull());
  EXPECT_GT(brightness(image, image.rect().adjusted(8, 8, -8, -8)), 200.0);
}

TEST_F(MovieAttributesTest, RotatedMovieIsTurnedTheWayFFmpegShowsIt) {
  const QImage ours(
      Utilities::getQuicktimeAttributes(at("turned.mp4")).value("ImageFile").toString());
  const QImage reference(at("turned-by-ffmpeg.png"));
  ASSERT_FALSE(ours.isNull());
  ASSERT_EQ(ours.size(), reference.size());
  // One half of the turned picture is white and the other black; compare
  // each quarter's brightness with the ffmpeg tool's own rendering.
  const int w = ours.width(), h = ours.height();
  for (const QRect &quarter : {QRect(0, 0, w, h / 4), QRect(0, 3 * h / 4, w, h / 4),
                               QRect(0, 0, w / 4, h), QRect(3 * w / 4, 0, w / 4, h)}) {
    EXPECT_NEAR(brightness(ours, quarter), brightness(reference, quarter), 40.0)
        << quarter.x() << "," << quarter.y();
  }
}

TEST_F(MovieAttributesTest, ChoosesAnExistingThumbnailInsteadOfMakingOne) {
  struct Case {
    const char *movie;      // copied from clip.mp4 into a fresh folder
    const char *neighbour;  // created beside it ("" for none)
    bool neighbourIsFolder;
    const char *imagePath;  // "" none, "neighbour", "other", "missing", "folder"
    const char *expect;     // "neighbour", "other" or "generated"
  };
  const Case cases[] = {
      {"movie.mp4", "movie.jpg", false, "", "neighbour"},
      {"movie.MP4", "movie.jpg", false, "", "neighbour"},
      {"movie", "movie.jpg", false, "", "neighbour"},
      {"two.dots.mov", "two.dots.jpg", false, "", "neighbour"},
      {"movie.mp4", "movie.jpg", true, "", "generated"},   // a folder is no image
      {"movie.mp4", "movie.png", false, "", "generated"},  // only "jpg" is looked for
      {"movie.mp4", "", false, "other", "other"},
      {"movie.mp4", "movie.jpg", false, "other", "other"},  // the given image wins
      {"movie.mp4", "movie.jpg", false, "missing", "generated"},
      {"movie.mp4", "", false, "folder", "generated"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.movie) + " / " + c.neighbour + " / " + c.imagePath);
    const QString movie = copyInNewFolder("clip.mp4", c.movie);
    const QString dir = QFileInfo(movie).absolutePath();
    const QString neighbour = dir + "/" + c.neighbour;
    if (*c.neighbour) {
      if (c.neighbourIsFolder)
        QDir().mkpath(neighbour);
      else
        QFile::copy(at("picture.jpg"), neighbour);
    }
    const QString other = dir + "/elsewhere image.jpg";
    QFile::copy(at("picture.jpg"), other);
    QDir().mkpath(dir + "/a folder");
    QString imagePath;
    if (QString(c.imagePath) == "other") imagePath = other;
    if (QString(c.imagePath) == "missing") imagePath = dir + "/missing.jpg";
    if (QString(c.imagePath) == "folder") imagePath = dir + "/a folder";

    const QSet<QString> before = imagesFolderEntries();
    const QVariantMap attributes = Utilities::getQuicktimeAttributes(movie, imagePath);
    ASSERT_FALSE(attributes.isEmpty());
    EXPECT_EQ(attributes.value("Duration").toULongLong(), 3u);
    const QString image = attributes.value("ImageFile").toString();
    const QString expect = c.expect;
    if (expect == "generated") {
      EXPECT_EQ(QFileInfo(image).absolutePath(), QFileInfo(imagesFolder()).absoluteFilePath());
      EXPECT_EQ(imagesFolderEntries().size(), before.size() + 1);
    } else {
      EXPECT_EQ(image, expect == "neighbour" ? neighbour : other);
      EXPECT_EQ(imagesFolderEntries(), before);
    }
  }
}

TEST_F(MovieAttributesTest, OddFileNamesReachFFmpegUnchanged) {
  const QString dir = TestEnvironment::makeTempDir("odd names");
  const QStringList names = {
      "with spaces.mp4",        "it's \"quoted\".mp4",
      "Ünïcødé 映画 фильм.mp4", "percent %d and #?.mp4",
      "concat:a.mp4|b.mp4",     "http:example.mp4",
      "-starts-with-dash.mp4",  "pipe:0",
  };
  for (const QString &name : names) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_TRUE(QFile::copy(at("clip.mp4"), dir + "/" + name));
    const QVariantMap attributes = Utilities::getQuicktimeAttributes(dir + "/" + name);
    ASSERT_FALSE(attributes.isEmpty());
    EXPECT_EQ(attributes.value("Duration").toULongLong(), 3u);
    EXPECT_FALSE(attributes.value("ImageFile").toString().isEmpty());
  }
  // A relative name that reads like an FFmpeg protocol is still the file.
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir);
  const QVariantMap relative = Utilities::getQuicktimeAttributes("concat:a.mp4|b.mp4");
  const QVariantMap pipe = Utilities::getQuicktimeAttributes("pipe:0");
  QDir::setCurrent(previous);
  EXPECT_EQ(relative.value("Duration").toULongLong(), 3u);
  EXPECT_EQ(relative.value("Extension").toString(), "mp4");
  EXPECT_EQ(pipe.value("Duration").toULongLong(), 3u);
  EXPECT_EQ(pipe.value("Extension").toString(), "");
}

TEST_F(MovieAttributesTest, ExtensionIsThatOfTheLastPathComponent) {
  const QString dir = TestEnvironment::makeTempDir("ext") + "/folder.with.dots";
  QDir().mkpath(dir);
  const struct {
    const char *name;
    const char *extension;
  } cases[] = {{"Clip.MOV", "MOV"},
               {"archive.tar.mkv", "mkv"},
               {"noextension", ""},
               {".hidden", ""},
               {"trailing.", ""}};
  for (const auto &c : cases) {
    ASSERT_TRUE(QFile::copy(at("clip.mp4"), dir + "/" + c.name));
    EXPECT_EQ(Utilities::getQuicktimeAttributes(dir + "/" + c.name).value("Extension").toString(),
              c.extension)
        << c.name;
  }
}

TEST_F(MovieAttributesTest, DamagedMovieStillGivesDurationAndAPicture) {
  // The header and the first frames survive, the rest does not: the poster
  // time lies beyond the end, so the last frame that decodes is used.
  const QString movie = copyInNewFolder("faststart.mp4", "cut short.mp4");
  ASSERT_TRUE(QFile::resize(movie, QFileInfo(movie).size() * 6 / 10));
  const QVariantMap attributes = Utilities::getQuicktimeAttributes(movie);
  ASSERT_FALSE(attributes.isEmpty());
  EXPECT_EQ(attributes.value("Duration").toULongLong(), 3u);
  EXPECT_EQ(QImage(attributes.value("ImageFile").toString()).size(), QSize(160, 120));
}

TEST_F(MovieAttributesTest, UnwritableImagesFolderGivesAttributesWithoutAThumbnail) {
  // A plain file where the media folder should be: no images folder can exist.
  const QString location = TestEnvironment::makeTempDir("blocked");
  writeFile(location + "/ZaroMedia", "in the way");
  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  defaults.setString(location, "DownloadLocation");
  const QVariantMap attributes = Utilities::getQuicktimeAttributes(at("clip.mp4"));
  defaults.removeObject("DownloadLocation");
  ASSERT_FALSE(attributes.isEmpty());
  EXPECT_EQ(attributes.value("Duration").toULongLong(), 3u);
  EXPECT_EQ(attributes.value("ImageFile").toString(), "");
}

TEST(MovieFileTypes, OffersMovieExtensionsOnly) {
  const QStringList types = Utilities::movieFileTypes();
  for (const char *common : {"mp4", "m4v", "mov", "avi", "mkv", "webm", "flv", "wmv", "mpg", "mpeg",
                             "3gp", "ogv", "ts", "mp3", "m4a"})
    EXPECT_TRUE(types.contains(common)) << common;
  for (const char *notMovie : {"jpg", "jpeg", "png", "bmp", "txt", "srt", "vtt", "ass", "nfo"})
    EXPECT_FALSE(types.contains(notMovie)) << notMovie;
  QStringList sorted = types;
  sorted.sort();
  sorted.removeDuplicates();
  EXPECT_EQ(types, sorted);
  for (const QString &type : types) {
    EXPECT_EQ(type, type.toLower());
    EXPECT_FALSE(type.isEmpty() || type.contains('.') || type.contains(' '));
  }
}

}  // namespace
