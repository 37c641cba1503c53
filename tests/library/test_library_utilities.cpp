// Readers over VideoInfo dictionaries and the size of the media folder.

#include "LibraryFixture.h"
#include "LibraryUtilities.h"
#include "QtPrinters.h"

#include <QImage>

#include <unistd.h>

TEST(LibraryUtilities, VideoInfoReaders) {
  struct Case {
    VideoInfo info;
    int id;
    QString title;
    bool saved;
    bool viewed;
    int rating;
  };
  const Case cases[] = {
      {{}, 0, "", false, false, 0},
      {{{"id", "42"},
        {"TITLE", "Show"},
        {"VIDEO_SAVED", "1"},
        {"DATE_VIEWED", "2020-01-01 00:00:00"},
        {"RATING", "4"}},
       42,
       "Show",
       true,
       true,
       4},
      {{{"id", " 17abc"}, {"VIDEO_SAVED", "0"}, {"DATE_VIEWED", ""}, {"RATING", "x"}},
       17,
       "",
       false,
       false,
       0},
      {{{"id", "-3"}, {"VIDEO_SAVED", "yes"}, {"RATING", "2.9"}}, -3, "", false, false, 2},
      {{{"id", "99999999999"}}, 2147483647, "", false, false, 0},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Utilities::getVideoId(c.info), c.id);
    EXPECT_EQ(Utilities::titleForVideo(c.info), c.title);
    EXPECT_FALSE(Utilities::titleForVideo(c.info).isNull());
    EXPECT_EQ(Utilities::videoIsSaved(c.info), c.saved);
    EXPECT_EQ(Utilities::videoIsViewed(c.info), c.viewed);
    EXPECT_EQ(Utilities::ratingForVideo(c.info), c.rating);
  }

  EXPECT_EQ(Utilities::dateAddedForVideo({{"DATE_ADDED", "2003-06-10 04:00:00"}}),
            QDateTime(QDate(2003, 6, 10), QTime(4, 0)));
  EXPECT_TRUE(Utilities::dateAddedForVideo({}).isNull());
  EXPECT_FALSE(Utilities::dateAddedForVideo({{"DATE_ADDED", "10 Jun 2003"}}).isValid());
}

TEST(LibraryUtilities, ThumbnailLoadsFromImagePath) {
  const QString dir = TestEnvironment::makeTempDir("thumbs");
  QImage image(8, 6, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(dir + "/t.png"));
  writeFile(dir + "/broken.jpg", 20);

  const QImage loaded = Utilities::getVideoThumbnail({{"IMAGE_PATH", dir + "/t.png"}});
  EXPECT_EQ(loaded.size(), QSize(8, 6));
  EXPECT_TRUE(Utilities::getVideoThumbnail({}).isNull());
  EXPECT_TRUE(Utilities::getVideoThumbnail({{"IMAGE_PATH", ""}}).isNull());
  EXPECT_TRUE(Utilities::getVideoThumbnail({{"IMAGE_PATH", dir + "/missing.png"}}).isNull());
  EXPECT_TRUE(Utilities::getVideoThumbnail({{"IMAGE_PATH", dir + "/broken.jpg"}}).isNull());
}

TEST(LibraryUtilities, MediaFolderSizeCountsEverythingBelowWithoutFollowingLinks) {
  const QString root = TestEnvironment::makeTempDir("media");
  const QString media = root + "/ZaroMedia";
  writeFile(media + "/a.mp4", 1000);
  writeFile(media + "/Images/a.jpg", 300);
  writeFile(media + "/.hidden", 7);
  // A big file outside, reached through links inside: only the links count.
  writeFile(root + "/outside/big.bin", 100000);
  ASSERT_EQ(::symlink(QFile::encodeName(root + "/outside/big.bin").constData(),
                      QFile::encodeName(media + "/link.bin").constData()),
            0);
  ASSERT_EQ(::symlink(QFile::encodeName(root + "/outside").constData(),
                      QFile::encodeName(media + "/linkdir").constData()),
            0);

  auto lsize = [](const QString &path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_size) : 0;
  };
  const quint64 expected = lsize(media) + 1000 + lsize(media + "/Images") + 300 + 7 +
                           lsize(media + "/link.bin") + lsize(media + "/linkdir");
  EXPECT_EQ(Utilities::sizeOfMediaFolder(media), expected);
  EXPECT_LT(Utilities::sizeOfMediaFolder(media), quint64(100000));

  // The folder itself may be a link: it is followed.
  ASSERT_EQ(::symlink(QFile::encodeName(media).constData(),
                      QFile::encodeName(root + "/media-link").constData()),
            0);
  EXPECT_EQ(Utilities::sizeOfMediaFolder(root + "/media-link"), expected);

  EXPECT_EQ(Utilities::sizeOfMediaFolder(QString()), 0u);
  EXPECT_EQ(Utilities::sizeOfMediaFolder(root + "/nowhere"), 0u);
}

class PublisherNameTest : public LibraryTest {};

TEST_F(PublisherNameTest, NameComesFromTheLibrary) {
  const int id = addVideo("clip");
  ASSERT_TRUE(db().addPublisherWithName("O'Brien", {}, {}, {}, {}, {}, id));
  const VideoInfo info = *db().getVideoInfo(id);
  EXPECT_EQ(Utilities::publisherNameForVideo(info, db()), "O'Brien");
  EXPECT_EQ(Utilities::publisherNameForVideo({{"PUBLISHER", "-1"}}, db()), "");
  EXPECT_EQ(Utilities::publisherNameForVideo({}, db()), "");
}
