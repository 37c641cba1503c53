#include "ZDownloadDataSource.h"

#include "DateUtilities.h"
#include "LibraryUtilities.h"
#include "NotificationCenter.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFolderManager.h"

#include <limits>

namespace {

const QString kMaxSimultaneousKey = QStringLiteral("DownloadMaxSimultaneousCount");
const QString kAllowedDiskUsageKey = QStringLiteral("DownloadAllowedDiskUsage");

quint64 saturatingAdd(quint64 a, quint64 b) {
  return a > std::numeric_limits<quint64>::max() - b ? std::numeric_limits<quint64>::max() : a + b;
}

int clampedInt(qint64 value) {
  return int(
      std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Items are QObjects that may be dropped while one of their own
// notifications is delivered: they go from the event loop.
ZDownloadDataSource::ItemRef makeItemRef(ZDownloadItem *item) {
  return ZDownloadDataSource::ItemRef(item, [](ZDownloadItem *dropped) { dropped->deleteLater(); });
}

}  // namespace

ZDownloadDataSource &ZDownloadDataSource::sharedDownloadDataSource() {
  static ZDownloadDataSource *queue = new ZDownloadDataSource(ZDownloadEnvironment::application());
  return *queue;
}

ZDownloadDataSource::ZDownloadDataSource(const ZDownloadEnvironment &environment, QObject *parent)
    : QObject(parent), fEnvironment(environment) {
  if (!fEnvironment.freeBytes) fEnvironment.freeBytes = &ZDownloadEnvironment::fileSystemFreeBytes;
  fPeriodicTimer.setInterval(fEnvironment.scanIntervalMs);
  connect(&fPeriodicTimer, &QTimer::timeout, this, &ZDownloadDataSource::scanJobsToTrigger);
  readSettings();
  observe();
}

ZDownloadDataSource::~ZDownloadDataSource() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

void ZDownloadDataSource::readSettings() {
  // A limit below one would never start a download.
  fMaxSimultaneousDownloadCount =
      std::max(1, clampedInt(fEnvironment.defaults->integerForKey(kMaxSimultaneousKey)));
  fAllowedDiskUsage = clampedInt(fEnvironment.defaults->integerForKey(kAllowedDiskUsageKey));
}

void ZDownloadDataSource::observe() {
  NotificationCenter &center = NotificationCenter::defaultCenter();
  const auto onItem = [this, &center](const QString &name,
                                      void (ZDownloadDataSource::*handler)(ZDownloadItem &)) {
    center.addObserver(this, name, [this, handler](const Notification &notification) {
      if (ZDownloadItem *item = itemOf(notification)) (this->*handler)(*item);
    });
  };
  onItem(DownloadNotification::MetaInfoDownloadingCommenced,
         &ZDownloadDataSource::metaInfoDownloadingCommenced);
  onItem(DownloadNotification::GotMetaInfo, &ZDownloadDataSource::gotMetaInfo);
  onItem(DownloadNotification::ImageDownloadingCommenced,
         &ZDownloadDataSource::imageDownloadingCommenced);
  onItem(DownloadNotification::GotImage, &ZDownloadDataSource::gotImage);
  onItem(DownloadNotification::Commenced, &ZDownloadDataSource::videoDownloadCommenced);
  onItem(DownloadNotification::Resumed, &ZDownloadDataSource::videoDownloadResumed);
  onItem(DownloadNotification::ServerRequestFailed, &ZDownloadDataSource::serverRequestFailed);
  onItem(DownloadNotification::Finished, &ZDownloadDataSource::videoDownloadFinished);
  onItem(DownloadNotification::Canceled, &ZDownloadDataSource::videoDownloadCanceled);
  center.addObserver(this, DownloadNotification::StatusChanged, [this](const Notification &n) {
    if (itemOf(n)) moveRunningItemsToHead();
  });
  center.addObserver(this, UserDefaults::DidChangeNotification,
                     [this](const Notification &) { userDefaultsChanged(); });
  center.addObserver(this, QStringLiteral("ActionClearCompletedDownloads"),
                     [this](const Notification &) { clearCompletedDownloads(); });
}

// ---- Requests and restore ---------------------------------------------------------

bool ZDownloadDataSource::downloadVideo(const QString &permalink, const QString &channelPermalink,
                                        int type, const QVariant &representedObject) {
  if (permalink.isEmpty() || videoIsBeingDownloaded(permalink) ||
      fEnvironment.database->videoWithPermalinkExists(permalink))
    return false;

  ItemRef item = makeItemRef(new ZDownloadItem(permalink, type, fEnvironment));
  item->setRepresentedObject(representedObject);
  if (!channelPermalink.isEmpty()) item->setChannelPermalink(channelPermalink);
  // The job keeps which feed item it downloads, for a restart.
  if (type == DownloadTypeFeedItem && representedObject.isValid() && fRepresentedFeedItemId)
    item->setFeedItemId(fRepresentedFeedItemId(representedObject));

  const int jobId = fEnvironment.database->addJob(JobTypeVideoDownload, permalink,
                                                  JobStatePendingMetaInfo, item->additionalInfo());
  if (jobId == -1) return true;  // the request is accepted, but nothing can be kept
  item->setJobId(jobId);
  item->setJobState(JobStatePendingMetaInfo);
  insertBeforeCompleted(item);
  item->startDownloadingVideoMetaInfo();
  postListChanged();
  return true;
}

bool ZDownloadDataSource::downloadVideo(const QString &permalink, int type,
                                        const QVariant &representedObject) {
  return downloadVideo(permalink, QString(), type, representedObject);
}

void ZDownloadDataSource::readSavedJobs() {
  const SqlRows rows = fEnvironment.database->getVideoDownloadJobs();
  for (const SqlRow &row : rows) {
    const int jobId = row.value(QStringLiteral("id")).toInt();
    bool known = false;
    for (const ItemRef &existing : std::as_const(fDownloadingVideos))
      known = known || existing->jobId() == jobId;
    if (known) continue;

    const QString permalink = row.value(QStringLiteral("JobIdentifier"));
    if (!permalink.isEmpty() && fEnvironment.database->videoWithPermalinkExists(permalink)) {
      // Finished before: fetching, reporting and adding it again would make
      // a second library entry and a second report.
      fEnvironment.database->deleteJob(jobId);
      continue;
    }
    int state = row.value(QStringLiteral("JobState")).toInt();
    ItemRef item =
        makeItemRef(new ZDownloadItem(permalink, DownloadTypeDirect, jobId, state,
                                      row.value(QStringLiteral("XMLParams")), fEnvironment));
    fDownloadingVideos.append(item);
    switch (state) {
      case JobStateRetrievingMetaInfo:
        state = JobStatePendingMetaInfo;
        break;
      case JobStateRetrievingImage:
        state = JobStatePendingImage;
        break;
      case JobStateDownloadingVideo:
        state = JobStateInterrupted;
        break;
      default:
        continue;
    }
    setJobState(*item, state);
  }
  postListChanged();
}

void ZDownloadDataSource::activate() {
  fEnvironment.mediaFolderBytes();
  scanJobsToTrigger();
  fPeriodicTimer.start();
}

// ---- The list ---------------------------------------------------------------------

bool ZDownloadDataSource::videoIsBeingDownloaded(const QString &permalink) const {
  for (const ItemRef &item : fDownloadingVideos) {
    if (item->jobState() != JobStateCompleted &&
        item->permalink().compare(permalink, Qt::CaseInsensitive) == 0)
      return true;
  }
  return false;
}

int ZDownloadDataSource::indexOfItem(const ZDownloadItem *item) const {
  for (qsizetype i = 0; i < fDownloadingVideos.size(); ++i)
    if (fDownloadingVideos.at(i).get() == item) return int(i);
  return -1;
}

ZDownloadDataSource::ItemRef ZDownloadDataSource::itemRef(const ZDownloadItem *item) const {
  const int index = indexOfItem(item);
  return index < 0 ? ItemRef() : fDownloadingVideos.at(index);
}

ZDownloadItem *ZDownloadDataSource::itemOf(const Notification &notification) const {
  ZDownloadItem *item = notification.object.value<ZDownloadItem *>();
  // Items of another queue (tests run several) are not this queue's business.
  return indexOfItem(item) < 0 ? nullptr : item;
}

void ZDownloadDataSource::removeCompletedDownload(ZDownloadItem *item) {
  if (!item || !item->downloadComplete()) return;
  const int index = indexOfItem(item);
  if (index < 0) return;
  fDownloadingVideos.removeAt(index);
  postListChanged();
}

void ZDownloadDataSource::insertBeforeCompleted(const ItemRef &item) {
  qsizetype at = fDownloadingVideos.size();
  while (at > 0 && fDownloadingVideos.at(at - 1)->jobState() == JobStateCompleted) --at;
  fDownloadingVideos.insert(at, item);
}

bool ZDownloadDataSource::holdsSlot(int jobState) {
  return jobState == JobStateRetrievingImage || jobState == JobStatePendingVideo ||
         jobState == JobStateDownloadingVideo;
}

int ZDownloadDataSource::activeCount() const {
  int active = 0;
  for (const ItemRef &item : fDownloadingVideos)
    if (holdsSlot(item->jobState())) ++active;
  return active;
}

void ZDownloadDataSource::setJobState(ZDownloadItem &item, int state) {
  if (item.jobId() != -1) fEnvironment.database->updateState(state, item.jobId());
  item.setJobState(state);
}

void ZDownloadDataSource::storeJobParams(ZDownloadItem &item) {
  if (item.jobId() != -1)
    fEnvironment.database->updateXMLForJob(item.additionalInfo(), item.jobId());
}

void ZDownloadDataSource::postStatusChanged(ZDownloadItem &item) {
  NotificationCenter::defaultCenter().postNotificationName(DownloadNotification::StatusChanged,
                                                           QVariant::fromValue(&item));
}

void ZDownloadDataSource::postListChanged() {
  NotificationCenter::defaultCenter().postNotificationName(DownloadNotification::ListChanged);
}

// ---- Disk space ---------------------------------------------------------------------

quint64 ZDownloadDataSource::bytesStillToCome() const {
  quint64 total = 0;
  for (const ItemRef &item : fDownloadingVideos) {
    if (!holdsSlot(item->jobState())) continue;
    const quint64 size = quint64(std::max<qint64>(0, item->fileSize()));
    const quint64 present = item->fileSizeDownloaded();
    // A file already longer than announced has nothing more to come.
    if (size > present) total = saturatingAdd(total, size - present);
  }
  return total;
}

bool ZDownloadDataSource::diskSpaceSuffices(const ZDownloadItem &item) const {
  const quint64 budget = fEnvironment.allowedDiskSpace();
  const auto need = [&](quint64 mediaFolder) {
    quint64 total = saturatingAdd(mediaFolder, quint64(std::max<qint64>(0, item.fileSize())));
    return saturatingAdd(total, bytesStillToCome());
  };
  if (budget >= need(fEnvironment.mediaFolderBytes())) return true;
  return budget >= need(fEnvironment.mediaFolderBytes(MediaFolderUsage::kRecheckBeforeRefusingMs));
}

// ---- Scan ---------------------------------------------------------------------------

void ZDownloadDataSource::scanJobsToTrigger() {
  // Starting a step reorders the list under the walk: walk a copy, in the
  // order the scan began with, skipping what has left the list meanwhile.
  const QList<ItemRef> items = fDownloadingVideos;
  int taken = 0;
  for (const ItemRef &item : items) {
    if (taken >= fMaxSimultaneousDownloadCount) break;
    if (indexOfItem(item.get()) < 0) continue;
    if (item->failedForGood()) continue;  // it waits for the user to remove it
    int state = item->jobState();
    if ((state == JobStatePendingVideo || state == JobStateInterrupted ||
         state == JobStateFailed) &&
        item->thumbnailMissing()) {
      // The thumbnail first (a disk that filled up, or a file removed since).
      setJobState(*item, JobStatePendingImage);
      postStatusChanged(*item);
      state = JobStatePendingImage;
    }
    switch (state) {
      case JobStatePendingMetaInfo:
        item->startDownloadingVideoMetaInfo();
        break;
      case JobStateWaitingForDiskSpace:
      case JobStatePendingImage:
        if (diskSpaceSuffices(*item)) {
          setJobState(*item, JobStatePendingImage);
          ++taken;
          item->startDownloadingImage();
        } else {
          if (item->jobState() == JobStatePendingImage) {
            setJobState(*item, JobStateWaitingForDiskSpace);
            postStatusChanged(*item);
          }
          NotificationCenter::defaultCenter().postNotificationName(
              DownloadNotification::InsufficientDiskSpace, QVariant::fromValue(item.get()));
        }
        break;
      case JobStateRetrievingImage:
      case JobStateDownloadingVideo:
        ++taken;
        break;
      case JobStatePendingVideo:
        ++taken;
        item->startDownloadingVideoFile();
        break;
      case JobStateInterrupted:
      case JobStateFailed:
        ++taken;
        item->resumeDownloadVideoFile();
        break;
      default:
        break;
    }
  }
}

// ---- Item notifications ---------------------------------------------------------------

void ZDownloadDataSource::metaInfoDownloadingCommenced(ZDownloadItem &item) {
  setJobState(item, JobStateRetrievingMetaInfo);
  postStatusChanged(item);
}

void ZDownloadDataSource::gotMetaInfo(ZDownloadItem &item) {
  storeJobParams(item);
  if (!diskSpaceSuffices(item)) {
    setJobState(item, JobStateWaitingForDiskSpace);
    postStatusChanged(item);
    NotificationCenter::defaultCenter().postNotificationName(
        DownloadNotification::InsufficientDiskSpace, QVariant::fromValue(&item));
    return;
  }
  setJobState(item, JobStatePendingImage);
  if (activeCount() < fMaxSimultaneousDownloadCount) {
    item.startDownloadingImage();
  } else {
    postStatusChanged(item);
  }
}

void ZDownloadDataSource::imageDownloadingCommenced(ZDownloadItem &item) {
  setJobState(item, JobStateRetrievingImage);
  postStatusChanged(item);
}

void ZDownloadDataSource::gotImage(ZDownloadItem &item) {
  if (item.jobId() != -1) {
    fEnvironment.database->updateState(JobStatePendingVideo, item.jobId());
    fEnvironment.database->updateXMLForJob(item.additionalInfo(), item.jobId());
  }
  item.setJobState(JobStatePendingVideo);
  item.startDownloadingVideoFile();
}

void ZDownloadDataSource::videoDownloadCommenced(ZDownloadItem &item) {
  if (item.jobId() != -1) {
    fEnvironment.database->updateState(JobStateDownloadingVideo, item.jobId());
    fEnvironment.database->updateXMLForJob(item.additionalInfo(), item.jobId());
  }
  item.setJobState(JobStateDownloadingVideo);
  postStatusChanged(item);
}

void ZDownloadDataSource::videoDownloadResumed(ZDownloadItem &item) {
  setJobState(item, JobStateDownloadingVideo);
  // A resume may have begun a new file (the partial one was never made).
  storeJobParams(item);
  postStatusChanged(item);
}

void ZDownloadDataSource::serverRequestFailed(ZDownloadItem &item) {
  const int state = item.jobState();
  if (state != JobStateRetrievingMetaInfo && state != JobStateRetrievingImage &&
      state != JobStateDownloadingVideo)
    return;
  // The row keeps why (and whether for good) along with the state.
  storeJobParams(item);
  if (item.failedForGood()) {
    setJobState(item, JobStateFailed);
    postStatusChanged(item);
    return;
  }
  switch (state) {
    case JobStateRetrievingMetaInfo:
      setJobState(item, JobStatePendingMetaInfo);
      postStatusChanged(item);
      return;
    case JobStateRetrievingImage:
      setJobState(item, JobStatePendingImage);
      postStatusChanged(item);
      return;
    default:
      setJobState(item, JobStateFailed);
      postStatusChanged(item);
      if (!item.notificationPostedOfBadStatusCodeForDownloadingVideo()) {
        NotificationCenter::defaultCenter().postNotificationName(
            DownloadNotification::BadHTTPResponse, QVariant::fromValue(&item));
        item.setNotificationPostedOfBadStatusCodeForDownloadingVideo();
        storeJobParams(item);
      }
      return;
  }
}

void ZDownloadDataSource::videoDownloadFinished(ZDownloadItem &item) {
  if (item.jobId() != -1) fEnvironment.database->deleteJob(item.jobId());
  item.setJobState(JobStateCompleted);
  item.setJobId(-1);
  const int index = indexOfItem(&item);
  if (index >= 0) fDownloadingVideos.move(index, fDownloadingVideos.size() - 1);
  scanJobsToTrigger();
  postListChanged();
}

void ZDownloadDataSource::videoDownloadCanceled(ZDownloadItem &item) {
  const ItemRef keep = itemRef(&item);  // alive to the end of this handler
  if (fRepresentedObjectCancellation && item.representedObject().isValid())
    fRepresentedObjectCancellation(item.representedObject(), *fEnvironment.database);
  else if (item.feedItemId() > 0)
    // Restored after a restart: the job named its feed item (a feed item
    // being downloaded has no video id yet).
    fEnvironment.database->markFeedItemAsCancelled(item.feedItemId(), 0);
  if (item.jobId() != -1) {
    fEnvironment.database->deleteJob(item.jobId());
    item.setJobId(-1);
  }
  const bool wasPendingImage = item.jobState() == JobStatePendingImage;
  fDownloadingVideos.removeAt(indexOfItem(&item));
  postListChanged();
  if (wasPendingImage) return;
  const QList<ItemRef> items = fDownloadingVideos;
  for (const ItemRef &other : items) {
    if (other->jobState() == JobStatePendingImage && indexOfItem(other.get()) >= 0 &&
        other->startDownloadingImage())
      break;
  }
}

void ZDownloadDataSource::moveRunningItemsToHead() {
  qsizetype first = 0;
  while (first < fDownloadingVideos.size() && holdsSlot(fDownloadingVideos.at(first)->jobState()))
    ++first;
  if (first >= fDownloadingVideos.size() || first >= fMaxSimultaneousDownloadCount) return;
  const qsizetype room = fMaxSimultaneousDownloadCount - first;
  qsizetype moved = 0;
  for (qsizetype i = first + 1; i < fDownloadingVideos.size() && moved <= room; ++i) {
    if (!holdsSlot(fDownloadingVideos.at(i)->jobState())) continue;
    fDownloadingVideos.move(i, first);
    ++first;
    ++moved;
  }
  if (moved > 0) postListChanged();
}

void ZDownloadDataSource::userDefaultsChanged() {
  const int allowed = clampedInt(fEnvironment.defaults->integerForKey(kAllowedDiskUsageKey));
  if (allowed != fAllowedDiskUsage) {
    fAllowedDiskUsage = allowed;
    const QList<ItemRef> items = fDownloadingVideos;
    for (const ItemRef &item : items) {
      if (item->jobState() != JobStateWaitingForDiskSpace) continue;
      setJobState(*item, JobStatePendingImage);
      postStatusChanged(*item);
    }
  }
  const int maximum =
      std::max(1, clampedInt(fEnvironment.defaults->integerForKey(kMaxSimultaneousKey)));
  if (maximum != fMaxSimultaneousDownloadCount) {
    fMaxSimultaneousDownloadCount = maximum;
    scanJobsToTrigger();
  }
}

void ZDownloadDataSource::clearCompletedDownloads() {
  for (qsizetype i = fDownloadingVideos.size() - 1; i >= 0; --i) {
    if (i >= fDownloadingVideos.size()) continue;
    if (!fDownloadingVideos.at(i)->downloadComplete()) continue;
    fDownloadingVideos.removeAt(i);
    postListChanged();
  }
}
