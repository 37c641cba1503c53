#pragma once

// What the download tests share: a catalog for zaro-service with a video of
// exactly 10,000,000 bytes, a fresh library, settings and media folder per
// test, a recorder of the download notifications, and helpers to read the
// service's request log.

#include "CannedServer.h"
#include "Dialogs.h"
#include "NotificationCenter.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadEnvironment.h"
#include "ZDownloadItem.h"
#include "ZFolderManager.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) {
  *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray &bytes, std::ostream *os) {
  *os << '"' << bytes.toStdString() << '"';
}

// ---- The catalog -------------------------------------------------------------------

struct TestCatalog {
  QString dir;
  QByteArray oceanVideo;  // "ocean-sunrise"
  QByteArray image;       // every video's thumbnail
  QByteArray tenMillion;  // "ten-million", 10,000,000 bytes

  static const TestCatalog &get() {
    static const TestCatalog catalog = make();
    return catalog;
  }

 private:
  static QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static void writeAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  }

  static TestCatalog make() {
    TestCatalog catalog;
    catalog.dir = TestEnvironment::makeTempDir(QStringLiteral("catalog"));
    const QString demo = QStringLiteral(ZARO_SERVICE_DEMO_DIR);
    catalog.oceanVideo = readAll(demo + "/media/ocean-sunrise.mp4");
    catalog.image = readAll(demo + "/images/ocean-sunrise.jpg");
    catalog.tenMillion.resize(10000000);
    for (qsizetype i = 0; i < catalog.tenMillion.size(); ++i)
      catalog.tenMillion[i] = char((i * 7) ^ (i >> 9) ^ (i >> 17));
    writeAll(catalog.dir + "/media/ocean.mp4", catalog.oceanVideo);
    writeAll(catalog.dir + "/media/ten.bin", catalog.tenMillion);
    writeAll(catalog.dir + "/images/thumb.jpg", catalog.image);
    writeAll(catalog.dir + "/catalog.json", R"({
  "service": { "authToken": "test+token/1" },
  "images": { "thumb": "images/thumb.jpg" },
  "publishers": [ { "id": "pub", "name": "Publisher & Co.", "description": "Makes films." } ],
  "channels": [ { "id": "chan", "title": "The Channel", "description": "Films." } ],
  "categories": [ { "id": "cat", "title": "Nature" } ],
  "tags": [ { "name": "ocean" }, { "name": "sunrise" } ],
  "series": [ { "id": "ser", "title": "Mornings" } ],
  "videos": [
    { "permalink": "ocean-sunrise", "title": "Sunrise over the ocean", "file": "media/ocean.mp4",
      "icon": "thumb", "duration": 4, "contentRating": 1, "rating": 4,
      "description": "The sun comes up.", "publisher": "pub", "channel": "chan",
      "categories": ["cat"], "tags": ["ocean", "sunrise"], "series": "ser" },
    { "permalink": "ten-million", "title": "Ten million bytes", "file": "media/ten.bin",
      "icon": "thumb", "extension": ".mp4" },
    { "permalink": "hostile", "title": "../../.hidden/x\\y: \"z\"", "file": "media/ocean.mp4",
      "icon": "thumb" }
  ]
})");
    return catalog;
  }
};

// ---- Notifications -----------------------------------------------------------------

// Records every download notification with the item's job state at the time.
class DownloadRecorder {
 public:
  struct Entry {
    QString name;
    ZDownloadItem *item;
    int state;
  };

  DownloadRecorder() {
    using namespace DownloadNotification;
    for (const QString &name :
         {MetaInfoDownloadingCommenced, GotMetaInfo, ImageDownloadingCommenced, GotImage, Commenced,
          Resumed, StatusChanged, ProgressUpdated, FinishedAddToDatabase, Finished,
          ServerRequestFailed, Canceled, ListChanged, InsufficientDiskSpace, BadHTTPResponse}) {
      NotificationCenter::defaultCenter().addObserver(this, name, [this](const Notification &n) {
        ZDownloadItem *item = n.object.value<ZDownloadItem *>();
        fEntries.append({n.name, item, item ? item->jobState() : JobStateNone});
      });
    }
  }
  ~DownloadRecorder() { NotificationCenter::defaultCenter().removeObserver(this); }

  // The names posted for the item (all items for null), "VideoDownload"
  // dropped; StatusChanged and ProgressUpdated left out unless asked for.
  QStringList names(const ZDownloadItem *item = nullptr, bool withStatus = false) const {
    QStringList out;
    for (const Entry &e : fEntries) {
      if (item && e.item != item) continue;
      if (!withStatus && (e.name == DownloadNotification::StatusChanged ||
                          e.name == DownloadNotification::ProgressUpdated))
        continue;
      out.append(QString(e.name).remove(QStringLiteral("VideoDownload")));
    }
    return out;
  }
  int count(const QString &name, const ZDownloadItem *item = nullptr) const {
    int n = 0;
    for (const Entry &e : fEntries)
      if (e.name == name && (!item || e.item == item)) ++n;
    return n;
  }
  bool seen(const QString &name, const ZDownloadItem *item = nullptr) const {
    return count(name, item) > 0;
  }
  // Waits for the next of the names for the item after the current end of the
  // record; answers the one that came, or an empty text.
  QString waitForAny(const QStringList &names, const ZDownloadItem *item, int timeoutMs = 20000) {
    const qsizetype from = fEntries.size();
    QString found;
    TestEnvironment::waitFor(
        [&] {
          for (qsizetype i = from; i < fEntries.size(); ++i) {
            if (fEntries[i].item == item && names.contains(fEntries[i].name)) {
              found = fEntries[i].name;
              return true;
            }
          }
          return false;
        },
        timeoutMs);
    return found;
  }
  const QList<Entry> &entries() const { return fEntries; }
  void clear() { fEntries.clear(); }

 private:
  QList<Entry> fEntries;
};

// ---- The fixture ---------------------------------------------------------------------

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::setShared(std::make_unique<ScriptedDialogs>());
    fRoot = TestEnvironment::makeTempDir(QStringLiteral("downloads"));
    fDefaults = std::make_unique<UserDefaults>(fRoot + "/settings.ini");
    fDefaults->setString(fRoot + "/location", QStringLiteral("DownloadLocation"));
    fDefaults->setString(QStringLiteral("test+token/1"), QStringLiteral("ZaroClientAuthorization"));
    fDefaults->setInteger(1, QStringLiteral("DownloadMaxSimultaneousCount"));
    fDefaults->setInteger(10, QStringLiteral("DownloadAllowedDiskUsage"));
    fFolders = std::make_unique<ZFolderManager>(*fDefaults);

    fDatabase = std::make_unique<VideoDatabase>(VideoDatabase::pathsUnder(fRoot), fFolders.get());
    ASSERT_TRUE(fDatabase->createDatabase());

    fNetwork = std::make_unique<QNetworkAccessManager>();
    fEnvironment.network = fNetwork.get();
    fEnvironment.folders = fFolders.get();
    fEnvironment.defaults = fDefaults.get();
    fEnvironment.database = fDatabase.get();
    fEnvironment.freeBytes = [this](const QString &) { return fFreeBytes; };
  }

  void TearDown() override {
    fCanned.reset();  // its scripts may refer to the test's locals
    fQueue.reset();
    fItems.clear();
    flushDeletes();
    fNetwork.reset();
    flushDeletes();
    fService.reset();
    qunsetenv("ZARO_SERVICE_URL");
  }

  static void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // zaro-service on the test catalog, with the request log; the service hosts
  // point at it.
  void startService(const QStringList &extra = {}) {
    fService = std::make_unique<ServiceProcess>(
        QStringList{QStringLiteral("--catalog"), TestCatalog::get().dir} + extra);
    ASSERT_TRUE(fService->running()) << fService->firstLine().toStdString();
    qputenv("ZARO_SERVICE_URL", QByteArray::fromStdString(fService->base()));
  }

  void startCannedServer(CannedServer::Responder responder) {
    fCanned = std::make_unique<CannedServer>(std::move(responder));
    qputenv("ZARO_SERVICE_URL", fCanned->base().toUtf8());
  }

  // Adds a fault rule (JSON) to the running service.
  void addFault(const std::string &json) {
    ASSERT_EQ(fService->controlPost("/_control/faults", json), 200);
  }

  // The recorded requests whose path starts with the prefix, oldest first.
  QList<QJsonObject> requests(const QString &pathPrefix) const {
    QList<QJsonObject> out;
    const QJsonArray all = fService->control("/_control/requests").array();
    for (const QJsonValue &value : all) {
      const QJsonObject request = value.toObject();
      if (request.value("path").toString().startsWith(pathPrefix)) out.append(request);
    }
    return out;
  }

  ZDownloadItem *newItem(const QString &permalink, int type = DownloadTypeDirect) {
    fItems.push_back(std::make_unique<ZDownloadItem>(permalink, type, fEnvironment));
    return fItems.back().get();
  }
  ZDownloadItem *restoredItem(const QString &permalink, int state, const QString &xml,
                              int jobId = -1) {
    fItems.push_back(std::make_unique<ZDownloadItem>(permalink, DownloadTypeDirect, jobId, state,
                                                     xml, fEnvironment));
    return fItems.back().get();
  }

  ZDownloadDataSource &queue() {
    if (!fQueue) fQueue = std::make_unique<ZDownloadDataSource>(fEnvironment);
    return *fQueue;
  }

  // Drives an item through its steps the way the queue does, up to the end
  // of the step named by `last` ("meta", "image" or "video"). Answers the
  // notification that ended the last step run.
  QString drive(ZDownloadItem *item, const QString &last = QStringLiteral("video")) {
    using namespace DownloadNotification;
    item->setJobState(JobStatePendingMetaInfo);
    if (!item->startDownloadingVideoMetaInfo()) return QStringLiteral("not started");
    item->setJobState(JobStateRetrievingMetaInfo);
    QString end = fRecorder.waitForAny({GotMetaInfo, ServerRequestFailed}, item);
    if (end != GotMetaInfo || last == QLatin1String("meta")) return end;
    item->setJobState(JobStatePendingImage);
    if (!item->startDownloadingImage()) return QStringLiteral("not started");
    item->setJobState(JobStateRetrievingImage);
    end = fRecorder.waitForAny({GotImage, ServerRequestFailed}, item);
    if (end != GotImage || last == QLatin1String("image")) return end;
    item->setJobState(JobStatePendingVideo);
    if (!item->startDownloadingVideoFile()) return QStringLiteral("not started");
    item->setJobState(JobStateDownloadingVideo);
    return fRecorder.waitForAny({Finished, ServerRequestFailed}, item);
  }

  // Resumes and waits for the end of the transfer.
  QString resume(ZDownloadItem *item) {
    item->resumeDownloadVideoFile();
    item->setJobState(JobStateDownloadingVideo);
    return fRecorder.waitForAny(
        {DownloadNotification::Finished, DownloadNotification::ServerRequestFailed}, item);
  }

  static QByteArray fileContents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QString mediaFolder() const { return fFolders->userMediaFilesFolderPath(); }
  QString imagesFolder() const { return fFolders->userMediaFileImagesFolderPath(); }

  QString fRoot;
  std::unique_ptr<UserDefaults> fDefaults;
  std::unique_ptr<ZFolderManager> fFolders;
  std::unique_ptr<VideoDatabase> fDatabase;
  std::unique_ptr<QNetworkAccessManager> fNetwork;
  ZDownloadEnvironment fEnvironment;
  quint64 fFreeBytes = quint64(1) << 50;
  std::unique_ptr<ServiceProcess> fService;
  std::unique_ptr<CannedServer> fCanned;
  DownloadRecorder fRecorder;
  std::vector<std::unique_ptr<ZDownloadItem>> fItems;
  std::unique_ptr<ZDownloadDataSource> fQueue;
};
