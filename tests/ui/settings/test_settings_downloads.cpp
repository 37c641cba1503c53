// A new download location while downloads are under way: the running
// transfer and the interrupted one keep their partial files and finish
// where they began; the next download goes to the new location.
#include "DownloadTest.h"
#include "LibraryUtilities.h"
#include "SettingsController.h"
#include "SettingsPages.h"
#include "ZSkin.h"

#include <QCryptographicHash>
#include <QLineEdit>
#include <QTest>

namespace {

// The video files (not thumbnails) in a media folder.
QStringList videoFiles(const QString &mediaFolder) {
  QStringList files;
  for (const QFileInfo &info : QDir(mediaFolder).entryInfoList(QDir::Files)) files.append(info.filePath());
  return files;
}

}  // namespace

class SettingsDownloadsTest : public DownloadTest {
 protected:
  void TearDown() override {
    fController.reset();
    DownloadTest::TearDown();
  }

  // The settings window over the downloads' own defaults and free space.
  SettingsController &settings() {
    if (!fController) {
      SettingsEnvironment environment;
      environment.defaults = fDefaults.get();
      environment.dialogs = &Dialogs::shared();
      environment.freeBytes = [this](const QString &) { return fFreeBytes; };
      environment.mediaFolderSize = [this] { return Utilities::sizeOfMediaFolder(mediaFolder()); };
      fController = std::make_unique<SettingsController>(std::move(environment));
    }
    return *fController;
  }

  void moveDownloadsTo(const QString &location) {
    QDir().mkpath(location);
    settings().showWindow();
    QLineEdit *field = settings().pages().fDownloadsLocationTextField;
    field->selectAll();
    QTest::keyClicks(field, location);
    settings().save();
    ASSERT_FALSE(settings().window()->isVisible());
    ASSERT_EQ(fDefaults->stringForKey(QStringLiteral("DownloadLocation")), location);
  }

  ZDownloadItem *itemFor(const QString &permalink) {
    for (const auto &item : queue().downloadItems())
      if (item->permalink() == permalink) return item.get();
    return nullptr;
  }

  std::unique_ptr<SettingsController> fController;
};

TEST_F(SettingsDownloadsTest, DownloadsUnderWayFinishWhereTheyBeganAndNewOnesGoToTheNewPlace) {
  startService();
  const QString oldMedia = mediaFolder();
  fDefaults->setInteger(2, QStringLiteral("DownloadMaxSimultaneousCount"));

  // One transfer broken off after 10,000 bytes: it waits with its partial file.
  addFault(R"({"kind": "close-after", "value": 10000, "path": "/cache/", "count": 1})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("hostile"), DownloadTypeDirect));
  ZDownloadItem *broken = itemFor(QStringLiteral("hostile"));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return broken->jobState() == JobStateFailed; }));
  ASSERT_EQ(videoFiles(oldMedia).size(), 1);
  const QString brokenFile = videoFiles(oldMedia).first();
  ASSERT_EQ(QFileInfo(brokenFile).size(), 10000);

  // One transfer running slowly while the location changes.
  addFault(R"({"kind": "rate", "value": 4000000, "path": "/cache/", "count": 1})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ten-million"), DownloadTypeDirect));
  ZDownloadItem *running = itemFor(QStringLiteral("ten-million"));
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    return running->jobState() == JobStateDownloadingVideo && running->fileSizeDownloaded() > 0;
  }));
  QString runningFile;
  for (const QString &file : videoFiles(oldMedia))
    if (file != brokenFile) runningFile = file;
  ASSERT_FALSE(runningFile.isEmpty());

  const QString newLocation = fRoot + "/new place";
  moveDownloadsTo(newLocation);
  ASSERT_NE(mediaFolder(), oldMedia);
  EXPECT_EQ(running->jobState(), JobStateDownloadingVideo) << "not stopped by the change";
  EXPECT_EQ(QFileInfo(brokenFile).size(), 10000) << "the partial file is kept";

  // The running one completes into its own file; the scan after it resumes
  // the broken one from its partial file's length.
  ASSERT_EQ(fRecorder.waitForAny({DownloadNotification::Finished}, running, 30000),
            DownloadNotification::Finished);
  EXPECT_EQ(running->downloadedPath(), runningFile);
  EXPECT_EQ(TestEnvironment::readFile(runningFile), TestCatalog::get().tenMillion);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return broken->jobState() == JobStateCompleted; }));
  EXPECT_EQ(broken->downloadedPath(), brokenFile);
  EXPECT_EQ(TestEnvironment::readFile(brokenFile), TestCatalog::get().oceanVideo);
  bool resumed = false;
  for (const QJsonObject &request : requests(QStringLiteral("/cache/")))
    if (request.value("headers").toObject().value("Range").toString() == "bytes=10000-")
      resumed = true;
  EXPECT_TRUE(resumed) << "continued from the partial file, not started over";
  EXPECT_TRUE(videoFiles(mediaFolder()).isEmpty());

  // A download asked for now goes to the new place.
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *fresh = itemFor(QStringLiteral("ocean-sunrise"));
  ASSERT_EQ(fRecorder.waitForAny({DownloadNotification::Finished}, fresh, 30000),
            DownloadNotification::Finished);
  EXPECT_TRUE(fresh->downloadedPath().startsWith(newLocation + "/ZaroMedia/"))
      << fresh->downloadedPath().toStdString();
  EXPECT_TRUE(fresh->imageFilePath().startsWith(newLocation + "/ZaroMedia/Images/"));
}

TEST_F(SettingsDownloadsTest, ALoweredLimitIsTakenAtOnceWithoutStoppingRunningTransfers) {
  startService();
  fDefaults->setInteger(2, QStringLiteral("DownloadMaxSimultaneousCount"));
  // The short video slowly, the long one fast: the short one ends first.
  const auto videoPath = [](const char *permalink) {
    return "/cache/external/" +
           QCryptographicHash::hash(permalink, QCryptographicHash::Sha1).toHex().left(32).toStdString();
  };
  addFault(R"({"kind": "rate", "value": 12000, "path": ")" + videoPath("hostile") + R"("})");
  addFault(R"({"kind": "rate", "value": 3000000, "path": ")" + videoPath("ten-million") + R"("})");
  for (const QString permalink : {"ten-million", "hostile"})
    ASSERT_TRUE(queue().downloadVideo(permalink, DownloadTypeDirect));
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    int running = 0;
    for (const auto &item : queue().downloadItems())
      running += item->jobState() == JobStateDownloadingVideo;
    return running == 2;
  }));
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *waiting = itemFor(QStringLiteral("ocean-sunrise"));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return waiting->jobState() == JobStatePendingImage; }));

  settings().showWindow();
  QLineEdit *count = settings().pages().fDownloadsMaxCountTextField;
  count->selectAll();
  QTest::keyClicks(count, QStringLiteral("1"));
  settings().save();
  EXPECT_EQ(queue().maxSimultaneousDownloadCount(), 1);
  // Both keep running; the waiting one starts only once both are done.
  for (const auto &item : queue().downloadItems())
    if (item.get() != waiting) EXPECT_EQ(item->jobState(), JobStateDownloadingVideo);
  ZDownloadItem *fast = itemFor(QStringLiteral("hostile"));
  ZDownloadItem *slow = itemFor(QStringLiteral("ten-million"));
  ASSERT_EQ(fRecorder.waitForAny({DownloadNotification::Finished}, fast, 30000),
            DownloadNotification::Finished);
  EXPECT_EQ(waiting->jobState(), JobStatePendingImage) << "one still runs: no room under 1";
  ASSERT_EQ(fRecorder.waitForAny({DownloadNotification::Finished}, slow, 30000),
            DownloadNotification::Finished);
  ASSERT_EQ(fRecorder.waitForAny({DownloadNotification::Finished}, waiting, 30000),
            DownloadNotification::Finished);
}
