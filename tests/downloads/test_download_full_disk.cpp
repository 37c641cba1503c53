// Downloads on a disk that fills up: the download location on a small tmpfs
// of its own (mounting one needs root; elsewhere these tests are skipped). A
// thumbnail is written whole or not at all; a video transfer stops with its
// bytes so far kept and says the disk is full, in the log and on the
// downloads page; once there is room again it resumes byte-exact.

#include "DownloadTest.h"
#include "LogCapture.h"
#include "ZDownloadTexts.h"

#include <QDirIterator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using namespace DownloadNotification;

// Every file below the folder, relative to it.
QStringList filesBelow(const QString &folder) {
  QStringList out;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) out.append(QDir(folder).relativeFilePath(it.next()));
  out.sort();
  return out;
}

// Bytes that are the same nowhere else, so a misplaced byte shows.
QByteArray patterned(qsizetype size, int seed) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (qsizetype i = 0; i < size; ++i) bytes[i] = char((i * 31 + seed) ^ (i >> 8));
  return bytes;
}

// The whole body, or the asked-for rest with "Content-Range" (416 past the end).
QByteArray rangedAnswer(const CannedRequest &request, const QByteArray &body) {
  const QByteArray range = request.headers.value("range");
  if (!range.startsWith("bytes=")) return CannedServer::response(200, body);
  const qsizetype from = range.mid(6, range.indexOf('-') - 6).toLongLong();
  const QByteArray size = QByteArray::number(body.size());
  if (from >= body.size())
    return CannedServer::response(416, "", {{"Content-Range", "bytes */" + size}});
  return CannedServer::response(
      206, body.mid(from),
      {{"Content-Range", "bytes " + QByteArray::number(from) + "-" +
                             QByteArray::number(body.size() - 1) + "/" + size}});
}

class FullDiskTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    fDisk = fRoot + "/small-disk";
    ASSERT_TRUE(QDir().mkpath(fDisk));
    if (::mount("tmpfs", QFile::encodeName(fDisk).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                "size=1m,mode=0755") != 0)
      GTEST_SKIP() << "no small disk to fill here (mounting a tmpfs needs root): "
                   << std::strerror(errno);
    fMounted = true;
    fDefaults->setString(fDisk, QStringLiteral("DownloadLocation"));
    fFiller = fDisk + "/filler";
  }
  void TearDown() override {
    DownloadTest::TearDown();
    if (fMounted) ::umount2(QFile::encodeName(fDisk).constData(), MNT_DETACH);
  }

  // Fills the disk, then frees about `room` bytes of it again (whole pages).
  void fillLeaving(qint64 room) {
    const int fd = ::open(QFile::encodeName(fFiller).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray page(4096, 'f');
    while (::write(fd, page.constData(), size_t(page.size())) > 0) {
    }
    const int full = errno;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::close(fd);
    ASSERT_EQ(full, ENOSPC) << std::strerror(full);
    const qint64 pages = (room + 4095) / 4096;
    ASSERT_EQ(
        ::truncate(QFile::encodeName(fFiller).constData(), std::max<off_t>(0, size - pages * 4096)),
        0);
  }
  void makeRoom() { ASSERT_TRUE(QFile::remove(fFiller)); }

  // The download's warnings on the log.
  static QStringList warnings(const LogCapture &log) {
    QStringList out;
    for (const LogCapture::Line &line : log.lines(QStringLiteral("zaro.downloads")))
      out.append(line.message);
    return out;
  }

  QString fDisk, fFiller;
  bool fMounted = false;
};

const QByteArray kMeta =
    "<R><QueueEntry><Video><Title>Full</Title><PermalinkId>full</PermalinkId><IconId>i</IconId>"
    "<FileHash>h</FileHash><Extension>.mp4</Extension><Size>300000</Size></Video></QueueEntry></R>";

// A thumbnail that meets a full disk halfway leaves nothing behind and is not
// taken as saved; with room again it is fetched and written whole.
TEST_F(FullDiskTest, AThumbnailIsWrittenWholeOrNotAtAll) {
  const QByteArray thumbnail = patterned(5533, 1);
  startCannedServer([&](const CannedRequest &request) {
    if (request.method == "POST") return CannedServer::response(200, kMeta);
    return CannedServer::response(200, thumbnail);
  });
  fillLeaving(4096);  // room for the first 4,096 bytes only
  ZDownloadItem *item = newItem(QStringLiteral("full"));
  LogCapture log;
  EXPECT_EQ(drive(item, QStringLiteral("image")), ServerRequestFailed);
  EXPECT_TRUE(item->imageFilePath().isEmpty());
  EXPECT_FALSE(item->imageFileSaved());
  EXPECT_FALSE(item->jobParams().contains("ImageFilePath"));
  EXPECT_EQ(filesBelow(imagesFolder()), QStringList());  // no part of it, no temporary file
  ASSERT_EQ(warnings(log).size(), 1);
  EXPECT_TRUE(warnings(log)[0].contains("disk full")) << warnings(log)[0].toStdString();

  makeRoom();
  fRecorder.clear();
  EXPECT_EQ(drive(item, QStringLiteral("image")), GotImage);
  EXPECT_EQ(filesBelow(imagesFolder()), QStringList{"Full.jpg"});
  EXPECT_EQ(fileContents(item->imageFilePath()), thumbnail);
}

// A transfer that fills the disk keeps what it wrote, names the full disk in
// the log and on the downloads page, and resumes byte-exact once there is room.
TEST_F(FullDiskTest, AVideoStopsOnAFullDiskSaysSoAndResumesExactly) {
  const QByteArray video = patterned(300000, 2);
  const QByteArray thumbnail = patterned(3000, 3);
  startCannedServer([&](const CannedRequest &request) {
    if (request.method == "POST") return CannedServer::response(200, kMeta);
    if (request.path() == "/image.out") return CannedServer::response(200, thumbnail);
    if (request.path().startsWith("/cache/")) return rangedAnswer(request, video);
    return CannedServer::response(200, "");
  });
  fillLeaving(100000);
  LogCapture log;
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("full"), DownloadTypeDirect));
  ZDownloadItem *item = queue().downloadItems().value(0).get();
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, item), ServerRequestFailed);
  EXPECT_EQ(item->jobState(), JobStateFailed);
  EXPECT_EQ(fileContents(item->imageFilePath()), thumbnail);

  const QByteArray partial = fileContents(item->downloadDestinationPath());
  EXPECT_GT(partial.size(), 0);
  EXPECT_LT(partial.size(), video.size());
  EXPECT_EQ(partial, video.left(partial.size()));
  const QStringList lines = warnings(log);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().contains("disk full")) << lines.last().toStdString();
  EXPECT_FALSE(lines.last().contains("Unknown error")) << lines.last().toStdString();
  EXPECT_EQ(ZDownloadTexts::connectionSpeed(*item).text(), "Disk full");
  EXPECT_EQ(ZDownloadTexts::timeRemaining(*item).text(), "--");

  makeRoom();
  queue().scanJobsToTrigger();
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, item), Finished);
  EXPECT_EQ(fileContents(item->downloadedPath()), video);
  EXPECT_EQ(fCanned->requestsTo("/cache/").last().headers.value("range"),
            "bytes=" + QByteArray::number(partial.size()) + "-");
}

}  // namespace
