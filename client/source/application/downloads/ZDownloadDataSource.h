#pragma once

#include "ZDownloadEnvironment.h"
#include "ZDownloadItem.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>

struct Notification;

// The download queue: every ZDownloadItem in one ordered list (running ones at
// the head, completed ones at the tail), one Jobs row per unfinished item so
// that downloads survive a restart, a limit of simultaneous downloads and the
// allowed-disk-space rule. It starts each item's next step when a slot and the
// space are there: on requests, on the items' notifications, on settings
// changes and at its periodic scan.
//
// Items are shared: downloadItems() hands out references that keep an item
// alive after the queue dropped it; a dropped item is deleted from the event
// loop once the last reference goes, never inside one of its own notifications.
class ZDownloadDataSource : public QObject {
  Q_OBJECT

 public:
  using ItemRef = std::shared_ptr<ZDownloadItem>;
  // Marks the represented object of a cancelled download (a feed item)
  // cancelled in the library; installed by the subscriptions subsystem.
  using RepresentedObjectCancellation =
      std::function<void(const QVariant &representedObject, VideoDatabase &database)>;
  // The library id of the feed item a represented object stands for (0 for
  // none); installed by the subscriptions subsystem. The job keeps it, so
  // that cancelling a download restored after a restart, which has no
  // represented object, still marks its feed item cancelled.
  using RepresentedFeedItemId = std::function<int(const QVariant &representedObject)>;

  // The application's queue, made on first use over the application's
  // environment. It reads its settings and observes the notifications at
  // once; it does not scan before activate().
  static ZDownloadDataSource &sharedDownloadDataSource();

  explicit ZDownloadDataSource(const ZDownloadEnvironment &environment, QObject *parent = nullptr);
  ~ZDownloadDataSource() override;

  // Restores the list from the Jobs table; steps that were running when the
  // application stopped are rolled back (meta information and thumbnail to
  // pending, a transfer to interrupted). A row whose video the library
  // already holds is of a download that finished (only the row's deletion
  // did not happen): it is deleted, not restored. Starts nothing.
  void readSavedJobs();
  // Measures the media folder (the one walk of it; see MediaFolderUsage),
  // scans once and starts the periodic scan.
  void activate();

  // Queues a video and starts its meta information request at once. False
  // (nothing queued) for an empty permalink, one the list holds unfinished
  // (letter case ignored) or one the library holds.
  bool downloadVideo(const QString &permalink, const QString &channelPermalink, int type,
                     const QVariant &representedObject = QVariant());
  bool downloadVideo(const QString &permalink, int type,
                     const QVariant &representedObject = QVariant());

  // Some unfinished item of the list has the permalink (letter case ignored).
  bool videoIsBeingDownloaded(const QString &permalink) const;

  int count() const { return int(fDownloadingVideos.size()); }
  QList<ItemRef> downloadItems() const { return fDownloadingVideos; }
  // The item's place in the list, or -1.
  int indexOfItem(const ZDownloadItem *item) const;
  // Drops a complete item from the list; nothing for an unfinished one.
  void removeCompletedDownload(ZDownloadItem *item);

  // Starts what the limit and the disk space allow, from the head of the list.
  // Downloads that failed for good are passed by. A download past its
  // thumbnail whose thumbnail file is missing fetches it again first (then
  // continues its video file).
  void scanJobsToTrigger();

  int maxSimultaneousDownloadCount() const { return fMaxSimultaneousDownloadCount; }
  int allowedDiskUsage() const { return fAllowedDiskUsage; }
  bool isActive() const { return fPeriodicTimer.isActive(); }

  void setRepresentedObjectCancellation(RepresentedObjectCancellation cancellation) {
    fRepresentedObjectCancellation = std::move(cancellation);
  }
  void setRepresentedFeedItemId(RepresentedFeedItemId feedItemId) {
    fRepresentedFeedItemId = std::move(feedItemId);
  }

  // Whether the allowed share of the free space holds the media folder, the
  // item's video and what the running downloads still bring. The media
  // folder is counted as kept up to date; before an item is held back, a
  // count older than MediaFolderUsage::kRecheckBeforeRefusingMs is walked
  // again, for files removed behind its back.
  bool diskSpaceSuffices(const ZDownloadItem &item) const;
  // The bytes the running downloads (slot states) still have to write.
  quint64 bytesStillToCome() const;
  // How many downloads hold a slot: running, or about to run.
  int activeCount() const;

 private:
  ItemRef itemRef(const ZDownloadItem *item) const;
  ZDownloadItem *itemOf(const Notification &notification) const;
  static bool holdsSlot(int jobState);

  // The state in the job's row first, then in the item.
  void setJobState(ZDownloadItem &item, int state);
  void storeJobParams(ZDownloadItem &item);
  void insertBeforeCompleted(const ItemRef &item);
  void postStatusChanged(ZDownloadItem &item);
  void postListChanged();
  void readSettings();

  void observe();
  void metaInfoDownloadingCommenced(ZDownloadItem &item);
  void gotMetaInfo(ZDownloadItem &item);
  void imageDownloadingCommenced(ZDownloadItem &item);
  void gotImage(ZDownloadItem &item);
  void videoDownloadCommenced(ZDownloadItem &item);
  void videoDownloadResumed(ZDownloadItem &item);
  void serverRequestFailed(ZDownloadItem &item);
  void videoDownloadFinished(ZDownloadItem &item);
  void videoDownloadCanceled(ZDownloadItem &item);
  void moveRunningItemsToHead();
  void userDefaultsChanged();
  void clearCompletedDownloads();

  ZDownloadEnvironment fEnvironment;
  QList<ItemRef> fDownloadingVideos;
  QTimer fPeriodicTimer;
  int fMaxSimultaneousDownloadCount = 1;
  int fAllowedDiskUsage = 10;
  RepresentedObjectCancellation fRepresentedObjectCancellation;
  RepresentedFeedItemId fRepresentedFeedItemId;
};
