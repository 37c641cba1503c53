// One download item against zaro-service (and, for answers the service never
// gives, a scripted server): the four exchanges, file naming, resumed
// transfers and the faults a transfer must survive.

#include "DownloadTest.h"
#include "LogCapture.h"

#include "ClientIdentity.h"
#include "Config.h"
#include "PropertyList.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"

#include <QDirIterator>

#include <cmath>

namespace {

using namespace DownloadNotification;

QString header(const QJsonObject &request, const QString &name) {
  const QJsonObject headers = request.value("headers").toObject();
  for (auto it = headers.begin(); it != headers.end(); ++it)
    if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.value().toString();
  return QString();
}

bool hasHeader(const QJsonObject &request, const QString &name) {
  const QJsonObject headers = request.value("headers").toObject();
  for (auto it = headers.begin(); it != headers.end(); ++it)
    if (it.key().compare(name, Qt::CaseInsensitive) == 0) return true;
  return false;
}

// Every file below the folder, relative to it.
QStringList filesBelow(const QString &folder) {
  QStringList out;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) out.append(QDir(folder).relativeFilePath(it.next()));
  out.sort();
  return out;
}

// The parameters of a raw query in order, values percent-decoded. (The
// network layer writes an escaped letter, digit or "-._~" as the character
// itself, which means the same.)
QList<std::pair<QString, QString>> queryPairs(const QString &query) {
  QList<std::pair<QString, QString>> pairs;
  for (const QString &part : query.split(QLatin1Char('&'))) {
    const qsizetype equals = part.indexOf(QLatin1Char('='));
    pairs.append({part.left(equals), QString::fromUtf8(QByteArray::fromPercentEncoding(
                                         part.mid(equals + 1).toLatin1()))});
  }
  return pairs;
}

class DownloadItemTest : public DownloadTest {
 protected:
  // clientGUID, ZARO_GUIDE_AUTH and version, then the given parameters.
  QList<std::pair<QString, QString>> identityPairs(
      const QList<std::pair<QString, QString>> &more = {}) const {
    return QList<std::pair<QString, QString>>{{"clientGUID", Utilities::getMyPeerID(*fDefaults)},
                                              {"ZARO_GUIDE_AUTH", "test+token/1"},
                                              {"version", Utilities::applicationVersion()}} +
           more;
  }
};

// ---- The exchanges -------------------------------------------------------------------

TEST_F(DownloadItemTest, MetaInfoRequestIsPostedExactly) {
  startService();
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  item->setChannelPermalink(QStringLiteral("chan"));
  ASSERT_EQ(drive(item, QStringLiteral("meta")), GotMetaInfo);

  const QList<QJsonObject> posts = requests(QStringLiteral("/service/getMediaInfo.xml"));
  ASSERT_EQ(posts.size(), 1);
  const QJsonObject request = posts[0];
  EXPECT_EQ(request.value("method").toString(), "POST");
  const QString query = request.value("query").toString();
  EXPECT_EQ(queryPairs(query), identityPairs({{"collectionPermalink", "chan"}}));
  EXPECT_TRUE(query.contains("ZARO_GUIDE_AUTH=test%2Btoken%2F1&")) << query.toStdString();
  EXPECT_EQ(request.value("body").toString(),
            "<MediaIdList>\r\n<MediaId permalinkId=\"ocean-sunrise\"/>\r\n</MediaIdList>");
  EXPECT_EQ(header(request, "Content-Type"), "text/xml;charset=utf-8");
  EXPECT_EQ(header(request, "Connection"), "close");
  EXPECT_EQ(header(request, "User-Agent"), Utilities::clientVersionServiceString());
  EXPECT_TRUE(request.value("clientGuid").toObject().value("decoded").toBool());

  // What was read, and kept for a restart.
  EXPECT_EQ(item->title(), "Sunrise over the ocean");
  EXPECT_EQ(item->description(), "The sun comes up.");
  EXPECT_EQ(item->duration(), 4);
  EXPECT_EQ(item->contentRating(), 1);
  EXPECT_EQ(item->rating(), 4);
  EXPECT_EQ(item->extension(), ".mp4");
  EXPECT_EQ(item->fileSize(), TestCatalog::get().oceanVideo.size());
  EXPECT_EQ(item->reviewState(), "approved");
  ASSERT_TRUE(item->publisherInfo());
  EXPECT_EQ(item->publisherInfo()->value("Name").toString(), "Publisher & Co.");
  ASSERT_TRUE(item->tags());
  EXPECT_EQ(item->tags()->size(), 2);
  ASSERT_TRUE(item->categories());
  EXPECT_EQ(item->categories()->value(0).toMap().value("Title").toString(), "Nature");
  ASSERT_TRUE(item->series());
  EXPECT_EQ(item->series()->value("Title").toString(), "Mornings");
  EXPECT_EQ(item->channelInfo()->value("PermalinkId").toString(), "chan");
  EXPECT_EQ(item->jobParams().value("MetaInfo"), item->metaInfoXml());
}

TEST_F(DownloadItemTest, ConfiguredMediaInfoUrlReplacesTheServicePath) {
  startService();
  ASSERT_TRUE(Config(*fDatabase)
                  .setObject(QString::fromStdString(fService->base()) + "/other/mediaInfo.xml",
                             "MediaInfoUrl"));
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  EXPECT_EQ(drive(item, QStringLiteral("meta")), ServerRequestFailed);  // 404 there
  const QList<QJsonObject> posts = requests(QStringLiteral("/other/mediaInfo.xml"));
  ASSERT_EQ(posts.size(), 1);
  EXPECT_EQ(queryPairs(posts[0].value("query").toString()), identityPairs());  // no collection
}

// A configured media-information address elsewhere is asked without the
// user's token (the identity and version still go).
TEST_F(DownloadItemTest, ConfiguredMediaInfoUrlOnAnotherHostGetsNoToken) {
  startService();
  fCanned = std::make_unique<CannedServer>(
      [](const CannedRequest &) { return CannedServer::response(404, "no"); });
  ASSERT_TRUE(Config(*fDatabase).setObject(fCanned->base() + "/media.xml", "MediaInfoUrl"));
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  item->setChannelPermalink(QStringLiteral("chan"));
  EXPECT_EQ(drive(item, QStringLiteral("meta")), ServerRequestFailed);

  ASSERT_EQ(fCanned->requests().size(), 1);
  const CannedRequest &request = fCanned->requests()[0];
  EXPECT_EQ(request.path(), "/media.xml");
  const QByteArray target = request.target;
  EXPECT_EQ(queryPairs(QString::fromLatin1(target.mid(target.indexOf('?') + 1))),
            (QList<std::pair<QString, QString>>{{"clientGUID", Utilities::getMyPeerID(*fDefaults)},
                                                {"version", Utilities::applicationVersion()},
                                                {"collectionPermalink", "chan"}}));
  QByteArray everything = target;
  for (auto it = request.headers.begin(); it != request.headers.end(); ++it)
    everything += '\n' + it.key() + ": " + it.value();
  EXPECT_FALSE(everything.toLower().contains("token")) << everything.toStdString();
  EXPECT_TRUE(requests(QStringLiteral("/service/getMediaInfo.xml")).isEmpty());
}

TEST_F(DownloadItemTest, PermalinkIsEscapedInTheRequestBody) {
  startCannedServer([](const CannedRequest &) { return CannedServer::response(404, "no"); });
  ZDownloadItem *item = newItem(QStringLiteral("a\"/><Evil x=\"&<"));
  EXPECT_EQ(drive(item, QStringLiteral("meta")), ServerRequestFailed);
  ASSERT_EQ(fCanned->requests().size(), 1);
  EXPECT_EQ(fCanned->requests()[0].body,
            "<MediaIdList>\r\n<MediaId permalinkId=\"a&quot;/&gt;&lt;Evil x=&quot;&amp;&lt;\"/>"
            "\r\n</MediaIdList>");
}

TEST_F(DownloadItemTest, FreshDownloadRunsEveryExchangeInOrder) {
  startService();
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  int videoIdSeenAtFinish = 0;
  NotificationCenter::defaultCenter().addObserver(
      this, FinishedAddToDatabase,
      [&](const Notification &n) { n.object.value<ZDownloadItem *>()->setVideoId(77); });
  NotificationCenter::defaultCenter().addObserver(this, Finished, [&](const Notification &n) {
    videoIdSeenAtFinish = n.object.value<ZDownloadItem *>()->videoId();
  });
  ASSERT_EQ(drive(item), Finished);
  NotificationCenter::defaultCenter().removeObserver(this);

  EXPECT_EQ(fRecorder.names(item),
            (QStringList{"MetaInfoDownloadingCommenced", "GotMetaInfo", "ImageDownloadingCommenced",
                         "GotImage", "Commenced", "FinishedAddToDatabase", "Finished"}));
  EXPECT_GE(fRecorder.count(StatusChanged, item), 1);
  EXPECT_EQ(videoIdSeenAtFinish, 77);

  // The files, named by the title.
  const TestCatalog &catalog = TestCatalog::get();
  EXPECT_EQ(item->downloadedPath(), mediaFolder() + "/Sunrise%20over%20the%20ocean.mp4");
  EXPECT_EQ(fileContents(item->downloadedPath()), catalog.oceanVideo);
  EXPECT_EQ(item->imageFilePath(), imagesFolder() + "/Sunrise%20over%20the%20ocean.jpg");
  EXPECT_EQ(fileContents(item->imageFilePath()), catalog.image);
  EXPECT_FALSE(item->image().isNull());
  EXPECT_TRUE(item->downloadComplete());
  EXPECT_EQ(item->fileSizeDownloaded(), quint64(catalog.oceanVideo.size()));
  EXPECT_FLOAT_EQ(item->percentDownloaded(), 100.0f);
  EXPECT_EQ(item->httpStatusCode(), 200);

  // The JobParams hold what a restart needs.
  const std::optional<JobParams> params = PropertyList::readStrings(item->additionalInfo());
  ASSERT_TRUE(params);
  EXPECT_EQ(params->value("ImageFilePath"), item->imageFilePath());
  EXPECT_EQ(params->value("VideoFilePath"), item->downloadedPath());
  EXPECT_TRUE(params->contains("MetaInfo"));

  // Thumbnail, transfer (no "Range") and completion report, as asked.
  const QList<QJsonObject> images = requests("/image.out");
  ASSERT_EQ(images.size(), 1);
  EXPECT_EQ(queryPairs(images[0].value("query").toString()), identityPairs({{"imageId", "thumb"}}));
  const QList<QJsonObject> videos = requests("/cache/external/");
  ASSERT_EQ(videos.size(), 1);
  EXPECT_FALSE(hasHeader(videos[0], "Range"));
  EXPECT_EQ(header(videos[0], "Accept"), "*/*");
  EXPECT_EQ(header(videos[0], "Accept-Language"), "en-us");
  EXPECT_EQ(header(videos[0], "User-Agent"), Utilities::clientVersionServiceString());
  EXPECT_EQ(videos[0].value("query").toString(), "permalinkId=ocean-sunrise");
  ASSERT_TRUE(
      TestEnvironment::waitFor([&] { return requests("/service/clientLog.html").size() == 1; }));
  const QJsonObject report = requests("/service/clientLog.html")[0];
  const QList<std::pair<QString, QString>> reported =
      QList<std::pair<QString, QString>>{{"eventName", "downloaded"}} +
      identityPairs({{"permaLinkId", "ocean-sunrise"}});
  EXPECT_EQ(queryPairs(report.value("query").toString()), reported);
  EXPECT_EQ(header(report, "Accept"), "*/*");
}

TEST_F(DownloadItemTest, SameTitleGetsNumberedNames) {
  startService();
  QStringList videos, images;
  for (int i = 0; i < 3; ++i) {
    ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
    ASSERT_EQ(drive(item), Finished);
    videos.append(QFileInfo(item->downloadedPath()).fileName());
    images.append(QFileInfo(item->imageFilePath()).fileName());
  }
  EXPECT_EQ(videos,
            (QStringList{"Sunrise%20over%20the%20ocean.mp4", "1-Sunrise%20over%20the%20ocean.mp4",
                         "2-Sunrise%20over%20the%20ocean.mp4"}));
  EXPECT_EQ(images,
            (QStringList{"Sunrise%20over%20the%20ocean.jpg", "1-Sunrise%20over%20the%20ocean.jpg",
                         "2-Sunrise%20over%20the%20ocean.jpg"}));
}

TEST_F(DownloadItemTest, HostileTitleAndExtensionStayInTheMediaFolders) {
  const QByteArray hostile =
      "<MediaInfo><QueueEntry><Video><Title>../../.evil/x</Title><PermalinkId>p</PermalinkId>"
      "<IconId>i</IconId><FileHash>h</FileHash><Extension>/../../../../escape</Extension>"
      "</Video></QueueEntry></MediaInfo>";
  QByteArray longTitle;
  for (int i = 0; i < 300; ++i) longTitle += "&#x4E2D;";
  const QByteArray longMeta =
      "<MediaInfo><QueueEntry><Video><Title>" + longTitle +
      "</Title><Extension>.mp4</Extension></Video></QueueEntry></MediaInfo>";
  QByteArray meta = hostile;
  startCannedServer([&](const CannedRequest &request) {
    if (request.method == "POST") return CannedServer::response(200, meta);
    if (request.path() == "/image.out") return CannedServer::response(200, "jpeg");
    return CannedServer::response(200, "hello");
  });
  ZDownloadItem *evil = newItem(QStringLiteral("p"));
  ASSERT_EQ(drive(evil), Finished);
  EXPECT_EQ(evil->downloadedPath(),
            mediaFolder() + "/%2E%2E%2F%2E%2E%2F%2Eevil%2Fx%2F..%2F..%2F..%2F..%2Fescape");
  EXPECT_EQ(evil->imageFilePath(), imagesFolder() + "/%2E%2E%2F%2E%2E%2F%2Eevil%2Fx.jpg");
  EXPECT_EQ(fileContents(evil->downloadedPath()), "hello");

  meta = longMeta;
  ZDownloadItem *item = newItem(QStringLiteral("q"));
  ASSERT_EQ(drive(item), Finished);
  // 300 "%4E2D" cut to the file system's 255 bytes, the extension kept.
  const QString videoName = QFileInfo(item->downloadedPath()).fileName();
  EXPECT_EQ(videoName.toUtf8().size(), 255);
  EXPECT_TRUE(videoName.startsWith("%4E2D%4E2D"));
  EXPECT_TRUE(videoName.endsWith(".mp4"));
  EXPECT_EQ(QFileInfo(item->imageFilePath()).fileName().toUtf8().size(), 255);
  EXPECT_EQ(fileContents(item->downloadedPath()), "hello");

  // Nothing was written anywhere else, and nothing hidden.
  EXPECT_EQ(filesBelow(fRoot + "/location").size(), 4);
  for (const QString &file : filesBelow(fRoot)) {
    if (file.contains("evil") || file.contains("escape") || file.contains("4E2D")) {
      EXPECT_TRUE(file.startsWith("location/ZaroMedia/")) << file.toStdString();
    }
    EXPECT_FALSE(QFileInfo(file).fileName().startsWith('.')) << file.toStdString();
  }
}

// ---- Resumed transfers ---------------------------------------------------------------

TEST_F(DownloadItemTest, ResumeAsksForTheRestAndCountsTheWholeFile) {
  // A 4,000,000-byte partial file of a 10,000,000-byte video: the resume asks
  // for the rest, the answer announces 6,000,000 bytes, and after 3,000,000 of
  // them 70 % of the video is there.
  const QByteArray video = TestCatalog::get().tenMillion;
  startCannedServer([&](const CannedRequest &request) {
    if (request.headers.value("range") != "bytes=4000000-") return CannedServer::response(400, "");
    QByteArray answer = CannedServer::response(
        206, video.mid(4000000), {{"Content-Range", "bytes 4000000-9999999/10000000"}});
    answer.chop(3000000);  // the rest is still on its way
    return answer;
  });
  fCanned->setHoldConnections(true);
  const QString path = mediaFolder() + "/Ten%20million%20bytes.mp4";
  QFile partial(path);
  ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
  partial.write(video.left(4000000));
  partial.close();
  const QString xml = PropertyList::writeStrings(
      {{"MetaInfo",
        "<R><QueueEntry><Video><Title>Ten million bytes</Title><FileHash>h</FileHash>"
        "<Extension>.mp4</Extension><PermalinkId>ten</PermalinkId></Video></QueueEntry></R>"},
       {"VideoFilePath", path}});
  ZDownloadItem *item = restoredItem(QStringLiteral("ten"), JobStateInterrupted, xml);
  item->resumeDownloadVideoFile();
  EXPECT_EQ(fRecorder.names(item), QStringList{"Resumed"});
  EXPECT_EQ(item->fileSizeDownloaded(), 4000000u);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->currentDownloadedBytes() == 3000000; }));
  EXPECT_EQ(fCanned->requests().size(), 1);
  EXPECT_EQ(item->httpStatusCode(), 206);
  EXPECT_EQ(item->expectedVideoLength(), 6000000);
  EXPECT_FLOAT_EQ(item->percentDownloaded(), 70.0f);
  EXPECT_EQ(item->fileSizeDownloaded(), 7000000u);
  EXPECT_EQ(fileContents(path), video.left(7000000));
  item->cancelDownload();
}

TEST_F(DownloadItemTest, BrokenTransferIsContinuedUntilComplete) {
  startService();
  addFault(R"({"kind": "close-after", "value": 4000000, "path": "/cache/", "count": 1})");
  ZDownloadItem *item = newItem(QStringLiteral("ten-million"));
  ASSERT_EQ(drive(item), ServerRequestFailed);
  const QString path = item->downloadDestinationPath();
  const qint64 firstPart = QFileInfo(path).size();
  EXPECT_GT(firstPart, 0);  // the partial file stays
  EXPECT_LE(firstPart, 4000000);
  EXPECT_TRUE(item->downloadedPath().isNull());

  addFault(R"({"kind": "close-after", "value": 3000000, "path": "/cache/", "count": 1})");
  fRecorder.clear();
  ASSERT_EQ(resume(item), ServerRequestFailed);
  EXPECT_EQ(fRecorder.names(item).value(0), "Resumed");
  EXPECT_EQ(item->httpStatusCode(), 206);
  EXPECT_EQ(item->expectedVideoLength(), 10000000 - firstPart);
  const qint64 secondPart = QFileInfo(path).size();
  EXPECT_GT(secondPart, firstPart);
  EXPECT_FLOAT_EQ(item->percentDownloaded(), float(double(secondPart) / 10000000 * 100));

  ASSERT_EQ(resume(item), Finished);
  EXPECT_EQ(fileContents(path), TestCatalog::get().tenMillion);
  EXPECT_EQ(item->downloadedPath(), path);
  // (The network layer may send a request again when the service dropped the
  // connection before answering; only the ranges asked for matter.)
  const QList<QJsonObject> transfers = requests("/cache/external/");
  ASSERT_GE(transfers.size(), 3);
  EXPECT_FALSE(hasHeader(transfers[0], "Range"));
  EXPECT_EQ(header(transfers[1], "Range"), QStringLiteral("bytes=%1-").arg(firstPart));
  EXPECT_EQ(header(transfers.last(), "Range"), QStringLiteral("bytes=%1-").arg(secondPart));
  // Only the complete transfer is reported.
  ASSERT_TRUE(
      TestEnvironment::waitFor([&] { return !requests("/service/clientLog.html").isEmpty(); }));
  EXPECT_EQ(requests("/service/clientLog.html").size(), 1);
}

TEST_F(DownloadItemTest, WholeFileAnswerToARangeReplacesThePartialFile) {
  startService();
  addFault(R"({"kind": "close-after", "value": 1000000, "path": "/cache/", "count": 1})");
  ZDownloadItem *item = newItem(QStringLiteral("ten-million"));
  ASSERT_EQ(drive(item), ServerRequestFailed);
  addFault(R"({"kind": "ignore-range", "path": "/cache/", "count": 1})");
  ASSERT_EQ(resume(item), Finished);
  EXPECT_EQ(header(requests("/cache/external/").last(), "Range"), "bytes=1000000-");
  EXPECT_EQ(item->httpStatusCode(), 200);
  EXPECT_EQ(fileContents(item->downloadedPath()), TestCatalog::get().tenMillion);
}

TEST_F(DownloadItemTest, RangeAnswerFromTheWrongOffsetRestartsFromZero) {
  const QByteArray video = TestCatalog::get().oceanVideo;
  startCannedServer([&](const CannedRequest &request) {
    if (request.method == "POST")
      return CannedServer::response(
          200,
          "<R><QueueEntry><Video><Title>T</Title><Extension>.mp4</Extension>"
          "<FileHash>h</FileHash><IconId>i</IconId></Video></QueueEntry></R>");
    if (request.path() == "/image.out") return CannedServer::response(200, "jpeg");
    if (!request.headers.contains("range")) return CannedServer::response(200, video);
    // A range, but not the one asked for.
    return CannedServer::response(
        206, video.mid(10, 100),
        {{"Content-Range", "bytes 10-109/" + QByteArray::number(video.size())}});
  });
  ZDownloadItem *item = newItem(QStringLiteral("p"));
  ASSERT_EQ(drive(item), Finished);
  const QString path = item->downloadDestinationPath();
  // As if the transfer had broken off after 1,000 bytes.
  ASSERT_TRUE(QFile::resize(path, 1000));

  ASSERT_EQ(resume(item), Finished);
  const QList<CannedRequest> transfers = fCanned->requestsTo("/cache/");
  ASSERT_EQ(transfers.size(), 3);
  EXPECT_EQ(transfers[1].headers.value("range"), "bytes=1000-");
  EXPECT_FALSE(transfers[2].headers.contains("range"));  // started over
  EXPECT_EQ(fileContents(path), video);
}

TEST_F(DownloadItemTest, ResumeOfACompleteFileFinishesIt) {
  startService();
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  ASSERT_EQ(drive(item), Finished);
  // As if the application stopped after the last byte: the restored job
  // resumes at the end of the file, and the service answers 416.
  ZDownloadItem *restored =
      restoredItem(QStringLiteral("ocean-sunrise"), JobStateInterrupted, item->additionalInfo());
  ASSERT_EQ(resume(restored), Finished);
  EXPECT_EQ(requests("/cache/external/").last().value("status").toInt(), 416);
  EXPECT_EQ(restored->downloadedPath(), item->downloadedPath());
  EXPECT_EQ(fileContents(restored->downloadedPath()), TestCatalog::get().oceanVideo);
}

TEST_F(DownloadItemTest, FailedTransferKeepsItsFileAndAVanishedOneStartsOver) {
  startService();
  addFault(R"({"kind": "status", "value": 503, "path": "/cache/", "count": 1})");
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  ASSERT_EQ(drive(item), ServerRequestFailed);
  const QString path = item->downloadDestinationPath();
  EXPECT_EQ(item->httpStatusCode(), 503);
  EXPECT_TRUE(QFileInfo::exists(path));  // still there for the resume

  addFault(R"({"kind": "short-body", "value": 1000, "path": "/cache/", "count": 1})");
  ASSERT_EQ(resume(item), ServerRequestFailed);
  const qint64 partial = QFileInfo(path).size();
  EXPECT_GT(partial, 0);
  EXPECT_LT(partial, TestCatalog::get().oceanVideo.size());

  // The partial file disappears: the resume makes a new one from byte 0.
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_EQ(resume(item), Finished);
  EXPECT_FALSE(hasHeader(requests("/cache/external/").last(), "Range"));
  EXPECT_EQ(fileContents(path), TestCatalog::get().oceanVideo);
}

// ---- Bounds and failures ---------------------------------------------------------------

TEST_F(DownloadItemTest, OversizedMetaInfoAndThumbnailAnswersFail) {
  const QByteArray meta =
      "<R><QueueEntry><Video><Title>Big</Title><IconId>i</IconId></Video></QueueEntry></R>";
  const QByteArray huge(ZDownloadItem::kMaxBodyBytes + 1, ' ');
  struct Case {
    const char *name;
    bool bigMeta;
    bool announce;
    QString failingStep;
  };
  const Case cases[] = {
      {"meta with length", true, true, "meta"},
      {"meta without length", true, false, "meta"},
      {"thumbnail with length", false, true, "image"},
      {"thumbnail without length", false, false, "image"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    startCannedServer([&](const CannedRequest &request) {
      if (request.method == "POST")
        return c.bigMeta ? CannedServer::response(200, meta + huge, {}, c.announce)
                         : CannedServer::response(200, meta);
      return CannedServer::response(200, huge, {}, c.announce);
    });
    ZDownloadItem *item = newItem(QStringLiteral("p"));
    EXPECT_EQ(drive(item, c.failingStep), ServerRequestFailed);
    EXPECT_TRUE(item->imageFilePath().isEmpty());
  }
  EXPECT_TRUE(filesBelow(imagesFolder()).isEmpty());
}

// A transfer never outgrows what it was told: the length of the answer (or,
// when the answer gives none, the size of the meta information), or
// (whatever was announced) the allowed disk space left beside the media
// folder. One that does is stopped and failed with at most that much in its
// file; a body that ends by closing the connection within the bounds is
// complete.
TEST_F(DownloadItemTest, TransferBeyondItsAnnouncedSizeOrTheAllowedSpaceFails) {
  const QByteArray piece(64 * 1024, 'v');
  struct Case {
    const char *name;
    QByteArray size;    // the meta information's "Size" ("" for none)
    QByteArray head;    // the video answer's first bytes (status, headers, some body)
    bool endless;       // more body follows, without end
    quint64 freeBytes;  // of the download location (10 % of it is allowed)
    QString end;        // the transfer's outcome
    qint64 fileAtMost, fileAtLeast;
  };
  const QByteArray noLength = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
  const Case cases[] = {
      {"no length, past the meta size", "100000", noLength, true, quint64(1) << 40,
       ServerRequestFailed, 100000, 100000},
      {"no length, no size, past the allowed space", "", noLength, true, 20000000,
       ServerRequestFailed, 2000000, 1},
      {"length above the allowed space", "", CannedServer::response(200, QByteArray(3000000, 'v')),
       false, 20000000, ServerRequestFailed, 2000000, 1},
      {"no length, ends at the meta size", "100000", noLength + QByteArray(100000, 'v'), false,
       quint64(1) << 40, Finished, 100000, 100000},
      {"no length, ends short of the meta size", "100000", noLength + QByteArray(5000, 'v'), false,
       quint64(1) << 40, Finished, 5000, 5000},
      {"no length, no size, ends within the allowed space", "", noLength + QByteArray(70000, 'v'),
       false, 20000000, Finished, 70000, 70000},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    fFreeBytes = c.freeBytes;
    const QByteArray meta =
        "<R><QueueEntry><Video><Title>T</Title><IconId>i</IconId>"
        "<FileHash>h</FileHash><Extension>.mp4</Extension>" +
        (c.size.isEmpty() ? QByteArray() : "<Size>" + c.size + "</Size>") +
        "</Video></QueueEntry></R>";
    startCannedServer([&](const CannedRequest &request) {
      if (request.method == "POST") return CannedServer::response(200, meta);
      if (request.path().startsWith("/image.out")) return CannedServer::response(200, "jpeg");
      return c.head;
    });
    // Enough to tell a stopped transfer from one that ran to the end.
    if (c.endless) fCanned->setStreamAfterAnswer("/cache/", piece, 64 * 1024 * 1024);
    ZDownloadItem *item = newItem(QStringLiteral("p"));
    EXPECT_EQ(drive(item), c.end);
    const qint64 length = QFileInfo(item->downloadDestinationPath()).size();
    EXPECT_LE(length, c.fileAtMost);
    EXPECT_GE(length, c.fileAtLeast);
    EXPECT_EQ(item->downloadComplete(), c.end == Finished);
    EXPECT_EQ(fRecorder.seen(FinishedAddToDatabase, item), c.end == Finished);
    if (c.endless) {
      EXPECT_LT(fCanned->streamedBytes(), 64 * 1024 * 1024);
    }
    // The allowed space counts what the media folder holds: start afresh
    // (the removal told to the folder's count, which sees no other).
    ASSERT_TRUE(fEnvironment.mediaFolderUsage->removeFile(item->downloadDestinationPath()));
  }
}

// The meta information's "Size" is what the service believes; the length of
// the answer (the range's total for a resumed transfer) is what the file
// holds. A size below the real one neither cuts a transfer short nor makes
// every resume of its file overrun.
TEST_F(DownloadItemTest, TheAnswersLengthWinsOverASmallerAnnouncedSize) {
  const QByteArray video = TestCatalog::get().oceanVideo;
  const QByteArray meta =
      "<R><QueueEntry><Video><Title>Small size</Title><IconId>i</IconId><FileHash>h</FileHash>"
      "<Extension>.mp4</Extension><PermalinkId>p</PermalinkId><Size>1000</Size></Video>"
      "</QueueEntry></R>";
  startCannedServer([&](const CannedRequest &request) {
    if (request.method == "POST") return CannedServer::response(200, meta);
    if (request.path() == "/image.out") return CannedServer::response(200, "jpeg");
    const QByteArray range = request.headers.value("range");
    if (!range.startsWith("bytes=")) return CannedServer::response(200, video);
    const qsizetype from = range.mid(6, range.indexOf('-') - 6).toLongLong();
    return CannedServer::response(206, video.mid(from),
                                  {{"Content-Range", "bytes " + QByteArray::number(from) + "-" +
                                                         QByteArray::number(video.size() - 1) +
                                                         "/" + QByteArray::number(video.size())}});
  });
  ASSERT_GT(video.size(), 1000);
  ZDownloadItem *fresh = newItem(QStringLiteral("p"));
  ASSERT_EQ(drive(fresh), Finished);
  EXPECT_EQ(fileContents(fresh->downloadedPath()), video);

  // A file cut at the announced size, as a transfer under the old rule left
  // it, is continued to the end.
  const QString path = mediaFolder() + "/cut.mp4";
  ASSERT_TRUE(TestEnvironment::writeFile(path, video.left(1000)));
  JobParams params = fresh->jobParams();
  params.insert("VideoFilePath", path);
  ZDownloadItem *cut =
      restoredItem(QStringLiteral("p"), JobStateFailed, PropertyList::writeStrings(params));
  ASSERT_EQ(resume(cut), Finished);
  EXPECT_EQ(fCanned->requestsTo("/cache/").last().headers.value("range"), "bytes=1000-");
  EXPECT_EQ(fileContents(path), video);
}

TEST_F(DownloadItemTest, EveryStepFailsOnItsOwnFaults) {
  struct Case {
    const char *name;
    std::function<QByteArray(const CannedRequest &)> answer;
    QString step;
  };
  const QByteArray meta =
      "<R><QueueEntry><Video><Title>T</Title><IconId>i</IconId></Video></QueueEntry></R>";
  const Case cases[] = {
      {"meta status", [](const CannedRequest &) { return CannedServer::response(500, "x"); },
       "meta"},
      {"meta empty", [](const CannedRequest &) { return CannedServer::response(200, ""); }, "meta"},
      {"meta not xml", [](const CannedRequest &) { return CannedServer::response(200, "<R>"); },
       "meta"},
      {"image status",
       [&](const CannedRequest &r) {
         return r.method == "POST" ? CannedServer::response(200, meta)
                                   : CannedServer::response(404, "x");
       },
       "image"},
      {"image empty",
       [&](const CannedRequest &r) {
         return r.method == "POST" ? CannedServer::response(200, meta)
                                   : CannedServer::response(200, "");
       },
       "image"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    startCannedServer(c.answer);
    ZDownloadItem *item = newItem(QStringLiteral("p"));
    EXPECT_EQ(drive(item, c.step), ServerRequestFailed);
  }
  // No reply at all.
  fCanned.reset();
  qputenv("ZARO_SERVICE_URL", "http://127.0.0.1:1");
  EXPECT_EQ(drive(newItem(QStringLiteral("p")), QStringLiteral("meta")), ServerRequestFailed);
}

TEST_F(DownloadItemTest, StepsStartOnlyFromTheirOwnState) {
  startService();
  ZDownloadItem *item = newItem(QStringLiteral("ocean-sunrise"));
  EXPECT_EQ(item->jobId(), -1);
  EXPECT_EQ(item->jobState(), JobStateNone);
  EXPECT_EQ(item->videoId(), -1);
  EXPECT_FALSE(item->startDownloadingVideoMetaInfo());
  item->setJobState(JobStatePendingImage);
  EXPECT_FALSE(item->startDownloadingVideoMetaInfo());
  EXPECT_FALSE(item->startDownloadingVideoFile());
  item->setJobState(JobStatePendingVideo);
  EXPECT_FALSE(item->startDownloadingImage());
  EXPECT_TRUE(fRecorder.entries().isEmpty());
  // Nothing known: empty texts and zeros, never nulls.
  EXPECT_EQ(item->title(), QLatin1String(""));
  EXPECT_FALSE(item->title().isNull());
  EXPECT_EQ(item->fileSize(), 0);
  EXPECT_FALSE(item->publisherInfo());
  EXPECT_TRUE(item->image().isNull());
}

// ---- Restore, cancel, progress ------------------------------------------------------

TEST_F(DownloadItemTest, RestoredItemTakesBackItsJobParams) {
  JobParams params{{"MetaInfo",
                    "<R><QueueEntry><Video><Title>Kept</Title><Size>12</Size>"
                    "</Video></QueueEntry></R>"},
                   {"ImageFilePath", "/x/i.jpg"},
                   {"VideoFilePath", "/x/v.mp4"},
                   {"VideoBadHTTPCodeNotification", "1"}};
  ZDownloadItem *item =
      restoredItem(QStringLiteral("p"), JobStateFailed, PropertyList::writeStrings(params), 42);
  EXPECT_EQ(item->jobId(), 42);
  EXPECT_EQ(item->jobState(), JobStateFailed);
  EXPECT_EQ(item->title(), "Kept");
  EXPECT_EQ(item->fileSize(), 12);
  EXPECT_EQ(item->imageFilePath(), "/x/i.jpg");
  EXPECT_TRUE(item->imageFileSaved());
  EXPECT_EQ(item->downloadDestinationPath(), "/x/v.mp4");
  EXPECT_TRUE(item->downloadedPath().isNull());
  EXPECT_TRUE(item->notificationPostedOfBadStatusCodeForDownloadingVideo());
  EXPECT_EQ(item->jobParams(), params);

  // A text that does not read counts as empty; a stale meta information stays unset.
  ZDownloadItem *broken = restoredItem(QStringLiteral("p"), JobStatePendingImage, "{ broken");
  EXPECT_TRUE(broken->jobParams().isEmpty());
  ZDownloadItem *stale = restoredItem(
      QStringLiteral("p"), JobStatePendingImage,
      PropertyList::writeStrings({{"MetaInfo", "<not xml"}, {"ImageFilePath", "/i.jpg"}}));
  EXPECT_FALSE(stale->metaInfo());
  EXPECT_EQ(stale->imageFilePath(), "/i.jpg");
}

// A title in UTF-8 reaches the item whole, names the files in form encoding,
// and comes back whole from the job's stored parameters after a restart.
TEST_F(DownloadItemTest, NonAsciiTitleSurvivesTheAnswerTheFileNameAndARestart) {
  const QString title = QString::fromUtf8("\xc3\x89t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
  const QByteArray meta = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<R><QueueEntry><Video><Title>" +
                          title.toUtf8() +
                          "</Title><IconId>i</IconId><FileHash>h</FileHash>"
                          "<Extension>.mp4</Extension></Video></QueueEntry></R>";
  startCannedServer([&](const CannedRequest &request) {
    if (request.method == "POST") return CannedServer::response(200, meta);
    return CannedServer::response(200, "bytes");
  });
  ZDownloadItem *item = newItem(QStringLiteral("p"));
  ASSERT_EQ(drive(item), Finished);
  EXPECT_EQ(item->title(), title);
  EXPECT_EQ(QFileInfo(item->downloadedPath()).fileName(), wwwFormURLEncoded(title) + ".mp4");
  EXPECT_EQ(QFileInfo(item->imageFilePath()).fileName(), wwwFormURLEncoded(title) + ".jpg");

  // Through the Jobs table, as a restart reads it.
  const int job = fDatabase->addJob(JobTypeVideoDownload, "p", JobStatePendingImage,
                                    item->additionalInfo());
  ASSERT_GT(job, 0);
  const SqlRows rows = fDatabase->getVideoDownloadJobs();
  ASSERT_EQ(rows.size(), 1);
  ZDownloadItem *restored =
      restoredItem("p", JobStatePendingImage, rows[0].value("XMLParams"), job);
  EXPECT_EQ(restored->title(), title);
}

TEST_F(DownloadItemTest, CancelRemovesTheUnfinishedFileOnly) {
  startService();
  addFault(R"({"kind": "rate", "value": 200000, "path": "/cache/", "count": 1})");
  ZDownloadItem *running = newItem(QStringLiteral("ten-million"));
  ASSERT_EQ(drive(running, QStringLiteral("image")), GotImage);
  running->setJobState(JobStatePendingVideo);
  ASSERT_TRUE(running->startDownloadingVideoFile());
  const QString path = running->downloadDestinationPath();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return QFileInfo(path).size() > 0; }));
  running->cancelDownload();
  EXPECT_EQ(fRecorder.names(running).last(), "Canceled");
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_TRUE(QFileInfo::exists(running->imageFilePath()));  // the thumbnail stays
  const int blocks = fRecorder.count(StatusChanged, running);
  TestEnvironment::waitFor([] { return false; }, 300);
  EXPECT_EQ(fRecorder.count(StatusChanged, running), blocks);  // nothing arrives any more

  // A failed transfer's partial file goes with the cancel too.
  addFault(R"({"kind": "close-after", "value": 5000, "path": "/cache/", "count": 1})");
  ZDownloadItem *failed = newItem(QStringLiteral("ten-million"));
  ASSERT_EQ(drive(failed), ServerRequestFailed);
  ASSERT_TRUE(QFileInfo::exists(failed->downloadDestinationPath()));
  failed->cancelDownload();
  EXPECT_FALSE(QFileInfo::exists(failed->downloadDestinationPath()));

  // A complete download keeps its file.
  ZDownloadItem *done = newItem(QStringLiteral("ocean-sunrise"));
  ASSERT_EQ(drive(done), Finished);
  done->cancelDownload();
  EXPECT_TRUE(QFileInfo::exists(done->downloadedPath()));
}

TEST_F(DownloadItemTest, ProgressTimerEstimatesTheCurrentTransfer) {
  startService();
  fEnvironment.progressIntervalMs = 50;
  addFault(R"({"kind": "rate", "value": 2000000, "path": "/cache/", "count": 1})");
  ZDownloadItem *item = newItem(QStringLiteral("ten-million"));
  ASSERT_EQ(drive(item, QStringLiteral("image")), GotImage);
  item->setJobState(JobStatePendingVideo);
  ASSERT_TRUE(item->startDownloadingVideoFile());
  // Before any byte: no rate, no end in sight.
  item->updateTimeRemaining();
  EXPECT_EQ(item->byteRate(), 0.0);
  EXPECT_TRUE(std::isinf(item->secondsRemainingForDownloadToComplete()));

  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return fRecorder.count(ProgressUpdated, item) >= 3 && item->byteRate() > 0; }));
  EXPECT_GT(item->secondsRemainingForDownloadToComplete(), 0.0);
  EXPECT_LT(item->byteRate(), 4000000.0);  // the service sends 2 MB/s
  const float percent = item->percentDownloaded();
  EXPECT_GT(percent, 0.0f);
  EXPECT_LT(percent, 100.0f);
  item->cancelDownload();
  const int updates = fRecorder.count(ProgressUpdated, item);
  TestEnvironment::waitFor([] { return false; }, 200);
  EXPECT_EQ(fRecorder.count(ProgressUpdated, item), updates);  // the timer stopped
}

}  // namespace

// A failed step says why, once, on the downloads' log category: the
// address without its query (which carries the client's identity), the
// status or the parser's reason.
TEST_F(DownloadItemTest, AFailureIsWrittenOnceWithItsReason) {
  const struct {
    const char *name;
    QByteArray answer;
    QString expected;
  } cases[] = {
      {"an error status", CannedServer::response(503, "busy"), "HTTP 503"},
      {"an answer that is not XML", CannedServer::response(200, "<Response><QueueEntry>"),
       "the meta information is not XML: "},
      {"an empty answer", CannedServer::response(200, ""), "the meta information is empty"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    startCannedServer([&](const CannedRequest &) { return c.answer; });
    LogCapture log;
    EXPECT_EQ(drive(newItem(QStringLiteral("some-video")), QStringLiteral("meta")),
              DownloadNotification::ServerRequestFailed);
    const QList<LogCapture::Line> lines = log.lines("zaro.downloads");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].type, QtWarningMsg);
    EXPECT_TRUE(lines[0].message.startsWith("download of some-video failed: "))
        << lines[0].message.toStdString();
    EXPECT_TRUE(lines[0].message.contains(c.expected)) << lines[0].message.toStdString();
    EXPECT_FALSE(lines[0].message.contains(kToken)) << lines[0].message.toStdString();
    EXPECT_FALSE(lines[0].message.contains("clientGUID")) << lines[0].message.toStdString();
  }
}
