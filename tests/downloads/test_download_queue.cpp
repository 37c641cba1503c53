// The download queue against zaro-service: requests, the job states and
// their rows, the simultaneous limit, the disk-space rule, restore after a
// restart, list order, cancellation and settings changes.

#include "DownloadTest.h"

#include "LibraryUtilities.h"
#include "MediaFolderUsage.h"
#include "PropertyList.h"
#include "ZDownloadTexts.h"

namespace {

using namespace DownloadNotification;

class DownloadQueueTest : public DownloadTest {
 protected:
  void SetUp() override {
    DownloadTest::SetUp();
    // The application controller's part: the finished video enters the
    // library and the item learns its id before "VideoDownloadFinished".
    NotificationCenter::defaultCenter().addObserver(
        this, FinishedAddToDatabase, [this](const Notification &n) {
          auto *item = n.object.value<ZDownloadItem *>();
          VideoDatabase::AddVideoParams params;
          params.title = item->title();
          params.path = item->downloadedPath();
          params.imagePath = item->imageFilePath();
          params.permaLink = item->permalink();
          item->setVideoId(fDatabase->addVideo(params));
        });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().removeObserver(this);
    DownloadTest::TearDown();
  }

  // Item states, in list order.
  QList<int> states() const {
    QList<int> out;
    for (const auto &item : fQueue->downloadItems()) out.append(item->jobState());
    return out;
  }
  // JobState of every Jobs row, in table order.
  QList<int> rowStates() const {
    QList<int> out;
    for (const SqlRow &row : fDatabase->getVideoDownloadJobs())
      out.append(row.value("JobState").toInt());
    return out;
  }
  ZDownloadItem *item(int index) const { return fQueue->downloadItems().value(index).get(); }
  ZDownloadItem *itemFor(const QString &permalink) const {
    for (const auto &item : fQueue->downloadItems())
      if (item->permalink() == permalink) return item.get();
    return nullptr;
  }
  // The distinct job states the item showed in its "VideoDownloadStatusChanged" posts.
  QList<int> statusStates(const ZDownloadItem *item) const {
    QList<int> out;
    for (const auto &e : fRecorder.entries())
      if (e.item == item && e.name == StatusChanged && (out.isEmpty() || out.last() != e.state))
        out.append(e.state);
    return out;
  }
  void pointAtNothing() { qputenv("ZARO_SERVICE_URL", "http://127.0.0.1:1"); }
};

// ---- Requests ---------------------------------------------------------------------

TEST_F(DownloadQueueTest, RequestRunsThroughEveryStateToCompletion) {
  startService();
  // Whenever the item reports a state, its row holds it already.
  QList<std::pair<int, int>> itemAndRow;
  NotificationCenter::defaultCenter().addObserver(this, StatusChanged, [&](const Notification &n) {
    auto *item = n.object.value<ZDownloadItem *>();
    for (const SqlRow &row : fDatabase->getVideoDownloadJobs())
      if (row.value("id").toInt() == item->jobId())
        itemAndRow.append({item->jobState(), row.value("JobState").toInt()});
  });

  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *item = this->item(0);
  EXPECT_EQ(item->jobState(), JobStateRetrievingMetaInfo);  // started at once
  EXPECT_EQ(rowStates(), QList<int>{JobStateRetrievingMetaInfo});
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, item), Finished);

  EXPECT_EQ(statusStates(item), (QList<int>{JobStateRetrievingMetaInfo, JobStateRetrievingImage,
                                            JobStateDownloadingVideo}));
  for (const auto &[itemState, rowState] : itemAndRow) EXPECT_EQ(itemState, rowState);
  EXPECT_EQ(fRecorder.names(item),
            (QStringList{"MetaInfoDownloadingCommenced", "GotMetaInfo", "ImageDownloadingCommenced",
                         "GotImage", "Commenced", "FinishedAddToDatabase", "Finished"}));
  EXPECT_EQ(fRecorder.names().last(), "ListChanged");
  EXPECT_EQ(item->jobState(), JobStateCompleted);
  EXPECT_EQ(item->jobId(), -1);
  EXPECT_GT(item->videoId(), 0);
  EXPECT_TRUE(rowStates().isEmpty());
  EXPECT_EQ(fDatabase->pathForVideoId(item->videoId()), item->downloadedPath());
  EXPECT_FALSE(queue().videoIsBeingDownloaded(QStringLiteral("ocean-sunrise")));
}

TEST_F(DownloadQueueTest, RefusesWhatIsListedOrInTheLibrary) {
  startService();
  VideoDatabase::AddVideoParams params;
  params.title = QStringLiteral("Kept");
  params.path = fRoot + "/kept.mp4";
  params.permaLink = QStringLiteral("in-library");
  ASSERT_GT(fDatabase->addVideo(params), 0);

  EXPECT_FALSE(queue().downloadVideo(QString(), DownloadTypeDirect));
  EXPECT_FALSE(queue().downloadVideo(QStringLiteral("in-library"), DownloadTypeDirect));
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  EXPECT_FALSE(queue().downloadVideo(QStringLiteral("OCEAN-Sunrise"), DownloadTypeDirect));
  EXPECT_TRUE(queue().videoIsBeingDownloaded(QStringLiteral("Ocean-Sunrise")));
  EXPECT_EQ(queue().count(), 1);
  EXPECT_EQ(rowStates().size(), 1);

  ZDownloadItem *first = item(0);
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, first), Finished);
  // Complete and in the library: still refused.
  EXPECT_FALSE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  // Deleted from the library: accepted again, beside the completed item.
  ASSERT_TRUE(fDatabase->deleteVideosWithIds({first->videoId()}));
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  EXPECT_EQ(queue().count(), 2);
  EXPECT_EQ(queue().indexOfItem(first), 1);  // new items go before the completed ones
}

TEST_F(DownloadQueueTest, SecondDownloadWaitsForTheSlot) {
  startService();
  addFault(R"({"kind": "rate", "value": 40000, "path": "/cache/", "count": 2})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("hostile"), DownloadTypeDirect));
  // Both ask for their meta information at once.
  EXPECT_EQ(states(), (QList<int>{JobStateRetrievingMetaInfo, JobStateRetrievingMetaInfo}));

  // Whichever has its meta information first takes the one slot.
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    return states().contains(JobStateDownloadingVideo) && states().contains(JobStatePendingImage);
  }));
  ZDownloadItem *first = item(0);
  ZDownloadItem *second = item(1);
  ASSERT_EQ(first->jobState(), JobStateDownloadingVideo);
  EXPECT_FALSE(fRecorder.seen(ImageDownloadingCommenced, second));
  queue().scanJobsToTrigger();  // the slot is taken
  EXPECT_EQ(second->jobState(), JobStatePendingImage);

  ASSERT_EQ(fRecorder.waitForAny({Finished}, second), Finished);
  // The scan after the first's completion started the second.
  qsizetype firstFinished = -1, secondStarted = -1;
  for (qsizetype i = 0; i < fRecorder.entries().size(); ++i) {
    const auto &e = fRecorder.entries()[i];
    if (e.item == first && e.name == Finished) firstFinished = i;
    if (e.item == second && e.name == ImageDownloadingCommenced) secondStarted = i;
  }
  EXPECT_LT(firstFinished, secondStarted);
  EXPECT_EQ(states(), (QList<int>{JobStateCompleted, JobStateCompleted}));
  EXPECT_EQ(item(0), first);  // each completed item moved to the end in turn
}

TEST_F(DownloadQueueTest, RaisingTheLimitStartsWaitingDownloadsAtOnce) {
  startService();
  addFault(R"({"kind": "rate", "value": 1000000, "path": "/cache/", "count": 2})");
  for (const QString permalink : {"ten-million", "hostile", "ocean-sunrise"})
    ASSERT_TRUE(queue().downloadVideo(permalink, DownloadTypeDirect));
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    return states().count(JobStatePendingImage) == 2 &&
           states().count(JobStateDownloadingVideo) == 1;
  }));
  fDefaults->setInteger(3, QStringLiteral("DownloadMaxSimultaneousCount"));
  EXPECT_EQ(queue().maxSimultaneousDownloadCount(), 3);
  EXPECT_EQ(states().count(JobStateRetrievingImage), 2);
  while (queue().count() > 0) item(0)->cancelDownload();
}

// ---- Failures --------------------------------------------------------------------

TEST_F(DownloadQueueTest, FailuresSendEachStepBackAndScansRetryIt) {
  startService();
  addFault(R"({"kind": "status", "value": 500, "path": "/service/getMediaInfo.xml", "count": 1})");
  addFault(R"({"kind": "status", "value": 503, "path": "/image.out", "count": 1})");
  addFault(R"({"kind": "close-after", "value": 3000, "path": "/cache/", "count": 2})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *item = this->item(0);
  const auto fail = [&] { return fRecorder.waitForAny({ServerRequestFailed, Finished}, item); };

  ASSERT_EQ(fail(), ServerRequestFailed);
  EXPECT_EQ(item->jobState(), JobStatePendingMetaInfo);
  queue().scanJobsToTrigger();
  ASSERT_EQ(fail(), ServerRequestFailed);  // the thumbnail
  EXPECT_EQ(item->jobState(), JobStatePendingImage);
  EXPECT_EQ(rowStates(), QList<int>{JobStatePendingImage});
  queue().scanJobsToTrigger();
  ASSERT_EQ(fail(), ServerRequestFailed);  // the transfer
  EXPECT_EQ(item->jobState(), JobStateFailed);
  EXPECT_EQ(fRecorder.count(BadHTTPResponse, item), 1);
  EXPECT_EQ(QFileInfo(item->downloadDestinationPath()).size(), 3000);  // kept
  // The flag is kept with the job: a second failure is not reported.
  const std::optional<JobParams> stored =
      PropertyList::readStrings(fDatabase->getVideoDownloadJobs().value(0).value("XMLParams"));
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->value("VideoBadHTTPCodeNotification"), "1");
  queue().scanJobsToTrigger();
  ASSERT_EQ(fail(), ServerRequestFailed);
  EXPECT_EQ(fRecorder.count(BadHTTPResponse, item), 1);
  EXPECT_EQ(QFileInfo(item->downloadDestinationPath()).size(), 6000);

  queue().scanJobsToTrigger();
  ASSERT_EQ(fail(), Finished);
  EXPECT_EQ(statusStates(item),
            (QList<int>{JobStateRetrievingMetaInfo, JobStatePendingMetaInfo,
                        JobStateRetrievingMetaInfo, JobStateRetrievingImage, JobStatePendingImage,
                        JobStateRetrievingImage, JobStateDownloadingVideo, JobStateFailed,
                        JobStateDownloadingVideo, JobStateFailed, JobStateDownloadingVideo}));
  EXPECT_EQ(fileContents(item->downloadedPath()), TestCatalog::get().oceanVideo);
  // (The network layer may send a request again when the service dropped
  // the connection before answering; only the last one counts.)
  const QList<QJsonObject> transfers = requests("/cache/external/");
  ASSERT_GE(transfers.size(), 3);
  EXPECT_EQ(transfers.last().value("headers").toObject().value("Range").toString(), "bytes=6000-");
}

// A failure that no retry can mend (the service does not know the video; an
// answer without a length runs past the video's announced size) ends the
// download for good: failed with its reason on the downloads page, tried no
// more, after a restart neither, until the user removes it.
TEST_F(DownloadQueueTest, AFailureForGoodIsShownWithItsReasonAndNotRetried) {
  const QByteArray meta =
      "<R><QueueEntry><Video><Title>Short</Title><IconId>i</IconId><FileHash>h</FileHash>"
      "<Extension>.mp4</Extension><Size>1000</Size></Video></QueueEntry></R>";
  struct Case {
    const char *name;
    QByteArray permalink;
    QByteArray exchange;  // the path of the exchange that fails
    QString reason;       // the speed cell
  };
  const Case cases[] = {
      {"the service does not know the video", "no-such-video", "/service/getMediaInfo.xml",
       "Video not found"},
      {"no length, past the announced size", "short-size", "/cache/", "Wrong size"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    startCannedServer([&](const CannedRequest &request) {
      if (request.method == "POST") {
        if (!request.body.contains(c.permalink)) return CannedServer::response(500, "");
        return c.permalink == "no-such-video" ? CannedServer::response(404, "not found\n")
                                              : CannedServer::response(200, meta);
      }
      if (request.path() == "/image.out") return CannedServer::response(200, "jpeg");
      // Five times the announced size, and no length said.
      return CannedServer::response(200, QByteArray(5000, 'v'), {}, false);
    });
    fEnvironment.scanIntervalMs = 50;
    ASSERT_TRUE(queue().downloadVideo(QString::fromLatin1(c.permalink), DownloadTypeDirect));
    ZDownloadItem *item = this->item(0);
    ASSERT_EQ(fRecorder.waitForAny({ServerRequestFailed, Finished}, item), ServerRequestFailed);
    EXPECT_EQ(item->jobState(), JobStateFailed);
    EXPECT_EQ(rowStates(), QList<int>{JobStateFailed});
    EXPECT_EQ(ZDownloadTexts::connectionSpeed(*item).text(), c.reason);
    EXPECT_EQ(ZDownloadTexts::timeRemaining(*item).text(), "--");

    // Scans pass it by, now and after a restart.
    const qsizetype asked = fCanned->requestsTo(c.exchange).size();
    queue().activate();
    TestEnvironment::waitFor([] { return false; }, 300);
    fQueue.reset();
    flushDeletes();
    queue().readSavedJobs();
    queue().activate();
    TestEnvironment::waitFor([] { return false; }, 300);
    EXPECT_EQ(fCanned->requestsTo(c.exchange).size(), asked);
    item = this->item(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->jobState(), JobStateFailed);
    EXPECT_EQ(ZDownloadTexts::connectionSpeed(*item).text(), c.reason);

    // The user removes it, with whatever it left.
    const QString file = item->downloadDestinationPath();
    item->cancelDownload();
    EXPECT_EQ(queue().count(), 0);
    EXPECT_TRUE(rowStates().isEmpty());
    if (!file.isEmpty()) {
      EXPECT_FALSE(QFileInfo::exists(file));
    }
    fQueue.reset();
    flushDeletes();
  }
}

TEST_F(DownloadQueueTest, PeriodicScanRetriesFromActivation) {
  startService();
  fEnvironment.scanIntervalMs = 100;
  addFault(R"({"kind": "status", "value": 500, "path": "/service/getMediaInfo.xml", "count": 2})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ASSERT_EQ(fRecorder.waitForAny({ServerRequestFailed}, item(0)), ServerRequestFailed);
  queue().activate();  // scans at once (fails again), then every 100 ms
  EXPECT_TRUE(queue().isActive());
  ASSERT_EQ(fRecorder.waitForAny({Finished}, item(0)), Finished);
  EXPECT_EQ(requests("/service/getMediaInfo.xml").size(), 3);
}

// ---- Disk space ----------------------------------------------------------------

TEST_F(DownloadQueueTest, DiskSpaceHoldsAnItemBackUntilTheShareIsRaised) {
  startService();
  const quint64 need =
      Utilities::sizeOfMediaFolder(mediaFolder()) + TestCatalog::get().oceanVideo.size();
  fFreeBytes = need * 4;  // 10 % of it is too little, 50 % enough
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *item = this->item(0);
  ASSERT_EQ(fRecorder.waitForAny({InsufficientDiskSpace}, item), InsufficientDiskSpace);
  EXPECT_EQ(item->jobState(), JobStateWaitingForDiskSpace);
  EXPECT_EQ(rowStates(), QList<int>{JobStateWaitingForDiskSpace});
  EXPECT_FALSE(queue().diskSpaceSuffices(*item));

  // Every scan that looks at it says so again.
  queue().scanJobsToTrigger();
  EXPECT_EQ(fRecorder.count(InsufficientDiskSpace, item), 2);
  EXPECT_EQ(item->jobState(), JobStateWaitingForDiskSpace);

  fDefaults->setInteger(50, QStringLiteral("DownloadAllowedDiskUsage"));
  EXPECT_EQ(item->jobState(), JobStatePendingImage);
  EXPECT_EQ(rowStates(), QList<int>{JobStatePendingImage});
  EXPECT_EQ(fRecorder.entries().last().name, StatusChanged);
  queue().scanJobsToTrigger();
  ASSERT_EQ(fRecorder.waitForAny({Finished}, item), Finished);

  // A pending item whose space has gone is held back by the scan.
  fDefaults->setInteger(1, QStringLiteral("DownloadAllowedDiskUsage"));
  ASSERT_TRUE(fDatabase->deleteVideosWithIds({item->videoId()}));
  fRecorder.clear();
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("hostile"), DownloadTypeDirect));
  ZDownloadItem *next = itemFor(QStringLiteral("hostile"));
  ASSERT_EQ(fRecorder.waitForAny({InsufficientDiskSpace}, next), InsufficientDiskSpace);
  next->setJobState(JobStatePendingImage);
  queue().scanJobsToTrigger();
  EXPECT_EQ(next->jobState(), JobStateWaitingForDiskSpace);
  EXPECT_EQ(statusStates(next).last(), JobStateWaitingForDiskSpace);
}

TEST_F(DownloadQueueTest, BytesStillToComeNeverUnderflow) {
  pointAtNothing();
  // A transfer whose file is already longer than its announced size.
  const QString partial = mediaFolder() + "/long.mp4";
  QFile file(partial);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(100, 'x'));
  file.close();
  const QString xml = PropertyList::writeStrings(
      {{"MetaInfo", "<R><QueueEntry><Video><Size>10</Size></Video></QueueEntry></R>"},
       {"VideoFilePath", partial}});
  fDatabase->addJob(JobTypeVideoDownload, QStringLiteral("long"), JobStateFailed, xml);
  queue().readSavedJobs();
  item(0)->resumeDownloadVideoFile();
  ASSERT_EQ(item(0)->jobState(), JobStateDownloadingVideo);
  EXPECT_EQ(item(0)->fileSizeDownloaded(), 100u);
  EXPECT_EQ(queue().bytesStillToCome(), 0u);
}

// ---- Restart ----------------------------------------------------------------------

TEST_F(DownloadQueueTest, RestoreRollsBackRunningStepsAndStartsNothing) {
  pointAtNothing();
  const QList<int> stored{
      JobStatePendingMetaInfo,  JobStateRetrievingMetaInfo, JobStateWaitingForDiskSpace,
      JobStatePendingImage,     JobStateRetrievingImage,    JobStatePendingVideo,
      JobStateDownloadingVideo, JobStateInterrupted,        JobStateFailed};
  for (int i = 0; i < stored.size(); ++i)
    fDatabase->addJob(JobTypeVideoDownload, QStringLiteral("p%1").arg(i), stored[i], QString());
  queue().readSavedJobs();
  const QList<int> expected{
      JobStatePendingMetaInfo, JobStatePendingMetaInfo, JobStateWaitingForDiskSpace,
      JobStatePendingImage,    JobStatePendingImage,    JobStatePendingVideo,
      JobStateInterrupted,     JobStateInterrupted,     JobStateFailed};
  EXPECT_EQ(states(), expected);
  EXPECT_EQ(rowStates(), expected);
  EXPECT_EQ(item(8)->permalink(), "p8");
  EXPECT_EQ(item(8)->type(), DownloadTypeDirect);
  EXPECT_EQ(fRecorder.names(nullptr, true), QStringList{"ListChanged"});
  queue().readSavedJobs();  // a second read adds nothing
  EXPECT_EQ(queue().count(), 9);
}

TEST_F(DownloadQueueTest, InterruptedTransferResumesAfterARestart) {
  startService();
  addFault(R"({"kind": "rate", "value": 2000000, "path": "/cache/", "count": 1})");
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ten-million"), DownloadTypeDirect));
  ZDownloadItem *running = item(0);
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    return running->jobState() == JobStateDownloadingVideo && running->fileSizeDownloaded() > 0;
  }));
  const QString path = running->downloadDestinationPath();

  // The application stops: the queue and its items go, the row stays.
  fQueue.reset();
  flushDeletes();
  EXPECT_EQ(rowStates(), QList<int>{JobStateDownloadingVideo});
  const qint64 partial = QFileInfo(path).size();
  ASSERT_GT(partial, 0);
  ASSERT_LT(partial, 10000000);

  // A new start over the same library.
  fRecorder.clear();
  const int requestsBefore = int(requests("/").size());
  queue().readSavedJobs();
  ZDownloadItem *restored = item(0);
  EXPECT_EQ(restored->jobState(), JobStateInterrupted);
  EXPECT_EQ(rowStates(), QList<int>{JobStateInterrupted});
  EXPECT_EQ(restored->title(), "Ten million bytes");
  EXPECT_EQ(restored->downloadDestinationPath(), path);
  TestEnvironment::waitFor([] { return false; }, 100);
  EXPECT_EQ(requests("/").size(), requestsBefore);  // nothing before activation

  queue().activate();
  EXPECT_EQ(fRecorder.names(restored).value(0), "Resumed");
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, restored), Finished);
  const QJsonObject resumed = requests("/cache/external/").last();
  EXPECT_EQ(resumed.value("headers").toObject().value("Range").toString(),
            QStringLiteral("bytes=%1-").arg(partial));
  EXPECT_EQ(fileContents(path), TestCatalog::get().tenMillion);
  EXPECT_TRUE(rowStates().isEmpty());
}

// A job row that outlived its finished download (its deletion failed, or the
// application stopped in between) belongs to a video the library holds: the
// restart drops it, and the video is neither fetched, reported nor added again.
TEST_F(DownloadQueueTest, AJobWhoseVideoIsInTheLibraryIsDroppedAtRestart) {
  startService();
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *done = item(0);
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, done), Finished);
  ASSERT_TRUE(
      TestEnvironment::waitFor([&] { return requests("/service/clientLog.html").size() == 1; }));
  // The row as a failed deletion leaves it.
  ASSERT_GT(fDatabase->addJob(JobTypeVideoDownload, QStringLiteral("ocean-sunrise"),
                              JobStateDownloadingVideo, done->additionalInfo()),
            0);
  const QString path = done->downloadedPath();
  const qsizetype transfers = requests("/cache/").size();

  fQueue.reset();
  flushDeletes();
  queue().readSavedJobs();
  queue().activate();
  TestEnvironment::waitFor([] { return false; }, 500);
  EXPECT_EQ(queue().count(), 0);
  EXPECT_TRUE(rowStates().isEmpty());
  EXPECT_EQ(requests("/cache/").size(), transfers);
  EXPECT_EQ(requests("/service/clientLog.html").size(), 1);
  const auto videos = fDatabase->executeSQL(
      QStringLiteral("SELECT COUNT(*) AS n FROM Videos WHERE VIDEO_PERMALINK = 'ocean-sunrise';"));
  ASSERT_TRUE(videos);
  EXPECT_EQ(videos->value(0).value("n"), "1");
  EXPECT_EQ(fileContents(path), TestCatalog::get().oceanVideo);
}

// A video the library cannot take (an I/O error of the database, say) does
// not count as finished: the download fails with that reason, keeps its
// complete file and its row, and the next scan offers it to the library
// again. The service hears of it once, when the library has it.
TEST_F(DownloadQueueTest, AVideoTheLibraryRefusesFailsAndIsReportedOnceTaken) {
  startService();
  NotificationCenter::defaultCenter().removeObserver(this);
  int offered = 0;
  // The application's part, with a library that fails once (an I/O error).
  const auto addOnSecondOffer = [this, &offered](const Notification &n) {
    auto *item = n.object.value<ZDownloadItem *>();
    if (++offered == 1) {
      item->setLibraryAddFailed();
      return;
    }
    VideoDatabase::AddVideoParams params;
    params.title = item->title();
    params.path = item->downloadedPath();
    params.permaLink = item->permalink();
    item->setVideoId(fDatabase->addVideo(params));
  };
  NotificationCenter::defaultCenter().addObserver(this, FinishedAddToDatabase, addOnSecondOffer);
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect));
  ZDownloadItem *item = this->item(0);
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, item), ServerRequestFailed);
  EXPECT_EQ(item->jobState(), JobStateFailed);
  EXPECT_EQ(rowStates(), QList<int>{JobStateFailed});
  EXPECT_FALSE(item->downloadComplete());
  EXPECT_EQ(ZDownloadTexts::connectionSpeed(*item).text(), "Library error");
  const QString path = item->downloadDestinationPath();
  EXPECT_EQ(fileContents(path), TestCatalog::get().oceanVideo);
  TestEnvironment::waitFor([] { return false; }, 300);
  EXPECT_TRUE(requests("/service/clientLog.html").isEmpty());

  queue().scanJobsToTrigger();
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, item), Finished);
  EXPECT_EQ(offered, 2);
  EXPECT_GT(item->videoId(), 0);
  EXPECT_EQ(item->downloadedPath(), path);
  EXPECT_EQ(requests("/cache/external/").last().value("status").toInt(), 416);  // nothing left
  EXPECT_TRUE(rowStates().isEmpty());
  ASSERT_TRUE(
      TestEnvironment::waitFor([&] { return !requests("/service/clientLog.html").isEmpty(); }));
  TestEnvironment::waitFor([] { return false; }, 300);
  EXPECT_EQ(requests("/service/clientLog.html").size(), 1);
}

// A job whose thumbnail file is gone (a full disk kept it from being written,
// or it was removed) fetches it again before its transfer goes on, and the
// transfer continues its partial file.
TEST_F(DownloadQueueTest, AMissingThumbnailIsFetchedAgainBeforeTheTransferGoesOn) {
  startService();
  const QByteArray video = TestCatalog::get().tenMillion;
  const QString partial = mediaFolder() + "/Ten%20million%20bytes.mp4";
  ASSERT_TRUE(TestEnvironment::writeFile(partial, video.left(3000000)));
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ten-million"), DownloadTypeDirect));
  ZDownloadItem *probe = item(0);
  ASSERT_EQ(fRecorder.waitForAny({GotMetaInfo, ServerRequestFailed}, probe), GotMetaInfo);
  JobParams params;
  params.insert("MetaInfo", probe->metaInfoXml());
  params.insert("ImageFilePath", imagesFolder() + "/gone.jpg");
  params.insert("VideoFilePath", partial);
  probe->cancelDownload();
  ASSERT_TRUE(TestEnvironment::writeFile(partial, video.left(3000000)));  // the cancel took it
  ASSERT_GT(fDatabase->addJob(JobTypeVideoDownload, QStringLiteral("ten-million"),
                              JobStateDownloadingVideo, PropertyList::writeStrings(params)),
            0);

  fQueue.reset();
  flushDeletes();
  fRecorder.clear();
  queue().readSavedJobs();
  queue().activate();
  ZDownloadItem *restored = item(0);
  ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, restored), Finished);
  EXPECT_EQ(fRecorder.names(restored),
            (QStringList{"ImageDownloadingCommenced", "GotImage", "Resumed",
                         "FinishedAddToDatabase", "Finished"}));
  EXPECT_EQ(fileContents(restored->imageFilePath()), TestCatalog::get().image);
  EXPECT_EQ(restored->downloadedPath(), partial);
  EXPECT_EQ(fileContents(partial), video);
  EXPECT_EQ(
      requests("/cache/external/").last().value("headers").toObject().value("Range").toString(),
      "bytes=3000000-");
  EXPECT_EQ(fDatabase->getVideoInfo(restored->videoId())->value("IMAGE_PATH"),
            restored->imageFilePath());
}

// The media folder is walked once, when the queue is activated; what the
// downloads write and remove keeps its count right, and a restart (a new
// count) walks it afresh.
TEST_F(DownloadQueueTest, TheMediaFolderIsWalkedOnceAndItsCountKeptRight) {
  startService();
  addFault(R"({"kind": "rate", "value": 200000, "path": "/cache/", "count": 1})");
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(TestEnvironment::writeFile(mediaFolder() + QStringLiteral("/earlier-%1.mp4").arg(i),
                                           QByteArray(1000 + i, 'e')));
  // Folders' own sizes may change with their entries on some file systems;
  // the count leaves them as its walk found them.
  const auto folderBytes = [this] {
    quint64 total = 0;
    for (const QString &folder : {mediaFolder(), imagesFolder()}) total += QFileInfo(folder).size();
    return total;
  };
  const auto real = [&](quint64 foldersAtWalk) {
    return Utilities::sizeOfMediaFolder(mediaFolder()) - folderBytes() + foldersAtWalk;
  };
  const quint64 foldersAtWalk = folderBytes();  // (makes the folders, as the start-up does)
  MediaFolderUsage &usage = *fEnvironment.mediaFolderUsage;
  queue().activate();
  EXPECT_EQ(usage.walks(), 1);
  EXPECT_EQ(usage.bytes(mediaFolder()), real(foldersAtWalk));

  // One cancelled halfway (its partial file removed), two finished.
  ASSERT_TRUE(queue().downloadVideo(QStringLiteral("ten-million"), DownloadTypeDirect));
  ZDownloadItem *cancelled = item(0);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return cancelled->fileSizeDownloaded() > 0; }));
  cancelled->cancelDownload();
  for (const QString permalink : {"ocean-sunrise", "hostile"}) {
    ASSERT_TRUE(queue().downloadVideo(permalink, DownloadTypeDirect));
    ASSERT_EQ(fRecorder.waitForAny({Finished, ServerRequestFailed}, itemFor(permalink)), Finished);
  }
  EXPECT_EQ(usage.walks(), 1);
  EXPECT_EQ(usage.bytes(mediaFolder()), real(foldersAtWalk));

  // A restart: the new count walks once and is right too.
  fQueue.reset();
  flushDeletes();
  fEnvironment.mediaFolderUsage = std::make_shared<MediaFolderUsage>();
  queue().activate();
  EXPECT_EQ(fEnvironment.mediaFolderUsage->walks(), 1);
  EXPECT_EQ(fEnvironment.mediaFolderUsage->bytes(mediaFolder()),
            Utilities::sizeOfMediaFolder(mediaFolder()));
}

// ---- List order, cancellation, clean-up -------------------------------------------

TEST_F(DownloadQueueTest, RunningItemsMoveToTheHead) {
  pointAtNothing();
  struct Case {
    int limit;
    QList<int> before;
    QList<int> after;  // the stored permalink numbers, in list order
    bool listChanged;
  };
  const Case cases[] = {
      {2,
       {JobStateDownloadingVideo, JobStatePendingImage, JobStateRetrievingImage},
       {0, 2, 1},
       true},
      {2,
       {JobStateDownloadingVideo, JobStateRetrievingImage, JobStatePendingVideo},
       {0, 1, 2},
       false},
      {1,
       {JobStateDownloadingVideo, JobStatePendingImage, JobStateRetrievingImage},
       {0, 1, 2},
       false},
      // At most one more than the free slots moves up.
      {2,
       {JobStatePendingImage, JobStateRetrievingImage, JobStatePendingVideo,
        JobStateDownloadingVideo, JobStateRetrievingImage},
       {1, 2, 3, 0, 4},
       true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "limit " << c.limit << ", " << c.before.size() << " items");
    fQueue.reset();
    flushDeletes();
    for (const SqlRow &row : fDatabase->getVideoDownloadJobs())
      fDatabase->deleteJob(row.value("id").toInt());
    fDefaults->setInteger(c.limit, QStringLiteral("DownloadMaxSimultaneousCount"));
    for (int i = 0; i < c.before.size(); ++i)
      fDatabase->addJob(JobTypeVideoDownload, QString::number(i), JobStatePendingMetaInfo,
                        QString());
    queue().readSavedJobs();
    for (int i = 0; i < c.before.size(); ++i) item(i)->setJobState(c.before[i]);
    fRecorder.clear();
    NotificationCenter::defaultCenter().postNotificationName(StatusChanged,
                                                             QVariant::fromValue(item(0)));
    QList<int> order;
    for (const auto &entry : queue().downloadItems()) order.append(entry->permalink().toInt());
    EXPECT_EQ(order, c.after);
    EXPECT_EQ(fRecorder.seen(ListChanged), c.listChanged);
  }
}

TEST_F(DownloadQueueTest, CancelDeletesTheFileAndTheRowAndStartsTheNextThumbnail) {
  startService();
  QList<QVariant> cancelledObjects;
  queue().setRepresentedObjectCancellation(
      [&](const QVariant &object, VideoDatabase &) { cancelledObjects.append(object); });
  addFault(R"({"kind": "rate", "value": 20000, "path": "/cache/", "count": 3})");
  for (const QString permalink : {"ten-million", "ocean-sunrise", "hostile"})
    ASSERT_TRUE(queue().downloadVideo(permalink, QStringLiteral("chan"), DownloadTypeFeedItem,
                                      QString("feed item " + permalink)));
  ASSERT_TRUE(TestEnvironment::waitFor([&] {
    return states() ==
               QList<int>{JobStateDownloadingVideo, JobStatePendingImage, JobStatePendingImage} &&
           item(0)->fileSizeDownloaded() > 0;
  }));
  ZDownloadItem *running = item(0);
  ZDownloadItem *waiting = item(1);
  ZDownloadItem *last = item(2);
  EXPECT_EQ(running->channelPermalink(), "chan");
  const QString path = running->downloadDestinationPath();
  const int runningJob = running->jobId();

  // Cancelling a waiting item starts nothing.
  fRecorder.clear();
  last->cancelDownload();
  EXPECT_EQ(queue().count(), 2);
  EXPECT_FALSE(fRecorder.seen(ImageDownloadingCommenced));

  // Cancelling the running one frees its slot for the first waiting thumbnail.
  running->cancelDownload();
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_EQ(queue().indexOfItem(running), -1);
  EXPECT_EQ(running->jobId(), -1);
  for (const SqlRow &row : fDatabase->getVideoDownloadJobs())
    EXPECT_NE(row.value("id").toInt(), runningJob);
  EXPECT_EQ(cancelledObjects, (QList<QVariant>{"feed item " + last->permalink(),
                                               "feed item " + running->permalink()}));
  EXPECT_EQ(fRecorder.names(), (QStringList{"Canceled", "ListChanged", "Canceled", "ListChanged",
                                            "ImageDownloadingCommenced"}));
  EXPECT_EQ(fRecorder.entries().last().item, waiting);
  waiting->cancelDownload();
  EXPECT_EQ(queue().count(), 0);
  EXPECT_TRUE(rowStates().isEmpty());
}

TEST_F(DownloadQueueTest, CompletedDownloadsAreClearedOnRequest) {
  startService();
  for (const QString permalink : {"ocean-sunrise", "hostile"}) {
    ASSERT_TRUE(queue().downloadVideo(permalink, DownloadTypeDirect));
    ASSERT_EQ(fRecorder.waitForAny({Finished}, itemFor(permalink)), Finished);
  }
  pointAtNothing();
  fDatabase->addJob(JobTypeVideoDownload, QStringLiteral("later"), JobStateFailed, QString());
  queue().readSavedJobs();
  ASSERT_EQ(queue().count(), 3);

  ZDownloadItem *unfinished = itemFor(QStringLiteral("later"));
  fRecorder.clear();
  queue().removeCompletedDownload(unfinished);  // not complete: stays
  EXPECT_EQ(queue().count(), 3);
  EXPECT_FALSE(fRecorder.seen(ListChanged));

  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionClearCompletedDownloads"));
  EXPECT_EQ(queue().count(), 1);
  EXPECT_EQ(item(0), unfinished);
  EXPECT_EQ(fRecorder.count(ListChanged), 2);

  fRecorder.clear();
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionClearCompletedDownloads"));
  EXPECT_FALSE(fRecorder.seen(ListChanged));
}

}  // namespace
