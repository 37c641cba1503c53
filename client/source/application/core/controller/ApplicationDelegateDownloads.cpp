// The application controller's download operations: queueing what links ask
// for, adding finished downloads to the library, and the disk-space alert.
#include "ApplicationDelegate.h"

#include "DateUtilities.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "MainWindowController.h"
#include "MovieAttributes.h"
#include "NotificationCenter.h"
#include "SettingsController.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadItem.h"
#include "ZNotificationSystem.h"

#include <QApplication>
#include <QFileInfo>

namespace {

ZDownloadItem *itemOf(const Notification &note) { return note.object.value<ZDownloadItem *>(); }

QString text(const QVariantMap &map, const char *key) {
  return map.value(QLatin1String(key)).toString();
}

}  // namespace

bool ApplicationDelegate::addDownloadedVideo(ZDownloadItem &item) {
  const QString title = item.title();
  const QString downloadedPath = item.downloadedPath();
  const QString imageFilePath = item.imageFilePath();
  // Reading the movie makes sure a poster frame exists; the row keeps the
  // item's own thumbnail path.
  Utilities::getQuicktimeAttributes(downloadedPath, imageFilePath);

  QString extension = item.extension();
  const qsizetype dot = extension.indexOf(QLatin1Char('.'));
  if (dot >= 0) extension = extension.mid(dot + 1);
  const quint64 size = quint64(qMax<qint64>(0, QFileInfo(downloadedPath).size()));

  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  ZNotificationSystem &gate = ZNotificationSystem::sharedNotificationSystem();
  gate.suspendNotifications();

  VideoDatabase::AddVideoParams params;
  params.title = title;
  params.path = downloadedPath;
  params.imagePath = imageFilePath;
  params.extension = extension;
  params.size = size;
  params.duration = item.duration();
  params.rating = 0;
  params.contentRating = item.contentRating();
  params.description = item.description();
  params.fileHash = item.fileHash();
  params.publisher = -1;
  params.save = 0;
  params.source = 0;
  params.reviewState = item.reviewState();
  params.permaLink = item.permalink();
  const int videoId = database.addVideo(params);

  if (videoId != -1) {
    for (const QVariant &value : item.tags().value_or(QVariantList())) {
      const QVariantMap tag = value.toMap();
      database.addTagWithName(text(tag, "Name"), text(tag, "Link"), text(tag, "FeedUrl"), videoId);
    }
    for (const QVariant &value : item.categories().value_or(QVariantList())) {
      const QVariantMap category = value.toMap();
      database.addCategoryWithName(text(category, "Title"), text(category, "Description"),
                                   text(category, "Thumbnail"), text(category, "PermalinkId"),
                                   videoId);
    }
    if (const auto series = item.series())
      database.addSeriesWithName(text(*series, "Title"), text(*series, "Description"),
                                 text(*series, "Thumbnail"), text(*series, "PermalinkId"),
                                 text(*series, "FeedUrl"), videoId);
    if (const auto publisher = item.publisherInfo())
      database.addPublisherWithName(text(*publisher, "Name"), text(*publisher, "Description"),
                                    text(*publisher, "Link"), text(*publisher, "FeedUrl"),
                                    text(*publisher, "Thumbnail"), text(*publisher, "PermalinkId"),
                                    videoId);
    if (const auto channel = item.channelInfo())
      database.addChannelWithName(text(*channel, "Title"), text(*channel, "Description"),
                                  text(*channel, "Link"), text(*channel, "FeedUrl"),
                                  text(*channel, "Thumbnail"), text(*channel, "PermalinkId"),
                                  videoId);
    database.markFeedItemForVideoPermalink(item.permalink(), videoId);
    item.setVideoId(videoId);
  }

  gate.resumeNotifications();
  gate.postNotificationName(QStringLiteral("VideoDatabase_Changed"));
  return videoId != -1;
}

void ApplicationDelegate::downloadFinished(const Notification &note) {
  ZDownloadItem *item = itemOf(note);
  if (!item) return;
  if (!addDownloadedVideo(*item)) {
    // The download fails instead of finishing, and tries again later.
    item->setLibraryAddFailed();
    return;
  }
  if (UserDefaults::standardUserDefaults().boolForKey(
          QStringLiteral("DownloadNewVideoNotification")) &&
      QApplication::applicationState() != Qt::ApplicationActive && fMainWindowController) {
    QApplication::alert(fMainWindowController->window(), 0);
    fAttentionRequests++;
    emit newVideoAnnounced(item->videoId());
  }
}

void ApplicationDelegate::downloadHasInsufficientDiskSpace(const Notification &note) {
  if (fUserHasBeenShownInsufficentSpaceForDownloadAlert) return;
  ZDownloadItem *item = itemOf(note);
  const int answer = Dialogs::shared().askDiskSpaceDownload();
  if (answer == 1 && item) {
    const quint64 fileSize = quint64(qMax<qint64>(0, item->fileSize()));
    if (fileSize < Utilities::availableDiskSpace())
      VideoDatabase::defaultVideoDatabase().deleteVideosToFreeUpDiskSpace(fileSize);
  } else if (answer == 0) {
    showSettings();
  }
  fUserHasBeenShownInsufficentSpaceForDownloadAlert = true;
}

void ApplicationDelegate::showSettings() {
  if (!fSettingsController) fSettingsController = std::make_unique<SettingsController>();
  fSettingsController->showWindow();
}
