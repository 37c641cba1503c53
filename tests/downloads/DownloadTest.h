#pragma once

// What the download tests share beyond DownloadFixture: a catalog for
// zaro-service with a video of exactly 10,000,000 bytes, a recorder of the
// download notifications, and the steps of one item driven as the queue
// drives them.

#include "DownloadFixture.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "QtPrinters.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <memory>
#include <ostream>

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
  static TestCatalog make() {
    TestCatalog catalog;
    catalog.dir = TestEnvironment::makeTempDir(QStringLiteral("catalog"));
    const QString demo = QStringLiteral(ZARO_SERVICE_DEMO_DIR);
    catalog.oceanVideo = TestEnvironment::readFile(demo + "/media/ocean-sunrise.mp4");
    catalog.image = TestEnvironment::readFile(demo + "/images/ocean-sunrise.jpg");
    catalog.tenMillion.resize(10000000);
    for (qsizetype i = 0; i < catalog.tenMillion.size(); ++i)
      catalog.tenMillion[i] = char((i * 7) ^ (i >> 9) ^ (i >> 17));
    TestEnvironment::writeFile(catalog.dir + "/media/ocean.mp4", catalog.oceanVideo);
    TestEnvironment::writeFile(catalog.dir + "/media/ten.bin", catalog.tenMillion);
    TestEnvironment::writeFile(catalog.dir + "/images/thumb.jpg", catalog.image);
    TestEnvironment::writeFile(catalog.dir + "/catalog.json", R"({
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

class DownloadTest : public DownloadFixture {
 protected:
  void TearDown() override {
    fCanned.reset();
    fQueue.reset();
    fItems.clear();
    DownloadFixture::TearDown();
  }

  // zaro-service on the test catalog, with the request log.
  void startService(const QStringList &extra = {}) {
    DownloadFixture::startService(QStringList{QStringLiteral("--catalog"), TestCatalog::get().dir} +
                                  extra);
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

  // A Jobs row as a restart finds it: the state, and the meta information of
  // a video with the title (none for a null title) and a thumbnail file
  // (none for an empty path). readSavedJobs() brings it into the queue.
  void addSavedJob(const QString &permalink, int state, const QString &title = QString(),
                   const QString &imagePath = QString()) {
    QHash<QString, QString> params;
    if (!title.isNull())
      params.insert(QStringLiteral("MetaInfo"),
                    QStringLiteral("<MediaInfo><QueueEntry><Video><Title>%1</Title>"
                                   "<PermalinkId>%2</PermalinkId><Size>1000</Size>"
                                   "<FileHash>h</FileHash><Extension>.mp4</Extension>"
                                   "<IconId>i</IconId></Video></QueueEntry></MediaInfo>")
                        .arg(title.toHtmlEscaped(), permalink.toHtmlEscaped()));
    if (!imagePath.isEmpty()) params.insert(QStringLiteral("ImageFilePath"), imagePath);
    ASSERT_GE(fDatabase->addJob(JobTypeVideoDownload, permalink, state,
                                PropertyList::writeStrings(params)),
              0);
  }

  // Resumes and waits for the end of the transfer.
  QString resume(ZDownloadItem *item) {
    item->resumeDownloadVideoFile();
    item->setJobState(JobStateDownloadingVideo);
    return fRecorder.waitForAny(
        {DownloadNotification::Finished, DownloadNotification::ServerRequestFailed}, item);
  }

  static QByteArray fileContents(const QString &path) { return TestEnvironment::readFile(path); }

  DownloadRecorder fRecorder;
  std::vector<std::unique_ptr<ZDownloadItem>> fItems;
  std::unique_ptr<ZDownloadDataSource> fQueue;
};
