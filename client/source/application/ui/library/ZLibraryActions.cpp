#include "ZLibraryActions.h"

#include "Dialogs.h"
#include "Localization.h"
#include "Logging.h"
#include "NotificationCenter.h"
#include "StringExtensions.h"
#include "VideoDatabase.h"
#include "ZLibraryBrowseListItems.h"
#include "ZNowPlayingListDataSource.h"
#include "ZServerRatingManager.h"
#include "ZSubscriptionManager.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFile>
#include <QSet>

namespace {

QVariantList asVariantList(const QList<int> &ids) {
  QVariantList list;
  list.reserve(ids.size());
  for (const int id : ids) list.append(id);
  return list;
}

void post(const QString &name, const QVariant &object = QVariant()) {
  NotificationCenter::defaultCenter().postNotificationName(name, object);
}

// The feed a group stands for: a subscription's own address, or the feed
// the service names for a publisher, channel or series (form-encoded).
QString feedUrlOf(const ZLibraryBrowseListContainerItem &group) {
  const SqlRow &info = group.info();
  if (group.type() == 8 || group.type() == 10) return info.value(QStringLiteral("Url"));
  if (!ZLibraryActions::canSubscribe(group.type())) return QString();
  return StringExtensions::wwwFormURLDecoded(info.value(QStringLiteral("FeedUrl")));
}

}  // namespace

void ZLibraryActions::play(const QList<int> &videoIds) const {
  if (videoIds.isEmpty()) return;
  fEnvironment.nowPlaying->setVideos(videoIds);
  post(QStringLiteral("ActionStartPlayingNewVideoList"));
}

void ZLibraryActions::resume(const QList<int> &videoIds) const {
  if (videoIds.isEmpty()) return;
  fEnvironment.nowPlaying->setVideos(videoIds);
  fEnvironment.nowPlaying->setIndexOfCurrentlyPlayingVideo(0);
  post(QStringLiteral("ActionResumeVideoPlayback"));
}

void ZLibraryActions::setSaved(const QList<int> &videoIds, bool saved) const {
  fEnvironment.database->setSaved(saved, videoIds);
}

void ZLibraryActions::flipSaved(const QList<int> &videoIds) const {
  VideoDatabase &database = *fEnvironment.database;
  for (const int id : videoIds) database.setSaved(!database.savedStateForVideoId(id), id);
}

void ZLibraryActions::setViewed(const QList<int> &videoIds, bool viewed) const {
  fEnvironment.database->setDateViewed(viewed ? QDateTime::currentDateTime() : QDateTime(),
                                       videoIds);
}

void ZLibraryActions::findOnZaro(const QList<int> &videoIds) const {
  post(QStringLiteral("ActionFindOnZaro"), asVariantList(videoIds));
}

void ZLibraryActions::revealInFinder(const QList<int> &videoIds) const {
  post(QStringLiteral("ActionRevealVideosInFinder"), asVariantList(videoIds));
}

bool ZLibraryActions::rate(int videoId, int rating) const {
  VideoDatabase &database = *fEnvironment.database;
  if (!database.setRating(rating, videoId)) return false;
  const QString permalink = database.permalinkForVideoId(videoId);
  if (!permalink.isEmpty() && fEnvironment.ratings)
    fEnvironment.ratings->sendRating(database.ratingForVideo(videoId), permalink);
  return true;
}

bool ZLibraryActions::removeFromLibrary(const QList<int> &videoIds) const {
  if (videoIds.isEmpty()) return false;
  bool fromDisk = false;
  if (!Dialogs::shared().getDeleteConfirmation(&fromDisk)) return false;
  VideoDatabase &database = *fEnvironment.database;
  // The files are looked up before the rows go.
  QStringList files;
  if (fromDisk) {
    for (const int id : videoIds) {
      const auto info = database.getVideoInfo(id);
      if (!info) continue;
      files << info->value(QStringLiteral("PATH")) << info->value(QStringLiteral("IMAGE_PATH"));
    }
  }
  if (!database.deleteVideosWithIds(videoIds)) {
    // The rows stay, so their files stay too: removing them would leave rows
    // that point at nothing.
    qCWarning(zaroLibrary, "%lld videos stay in the library: their rows could not be deleted%s",
              static_cast<long long>(videoIds.size()), fromDisk ? "; their files are kept" : "");
    Dialogs::shared().showAlert(localized(QStringLiteral("libraryErrorCannotRemoveVideos")),
                                localized(QStringLiteral("libraryErrorCannotRemoveVideosTitle")));
    return true;
  }
  for (const QString &path : files) {
    const QFileInfo file(path);
    // Only plain files: never a folder, and a link is removed as a link.
    if (path.isEmpty() || !(file.isSymLink() || file.isFile())) continue;
    QFile removed(path);
    if (!removed.remove())
      qCWarning(zaroLibrary, "Removing a deleted video's file %s failed: %s", qPrintable(path),
                qPrintable(removed.errorString()));
  }
  return true;
}

bool ZLibraryActions::removeFromPlaylists(const QList<PlaylistVideos> &entries) const {
  QList<PlaylistVideos> wanted;
  for (const PlaylistVideos &entry : entries)
    if (entry.first >= 0 && !entry.second.isEmpty()) wanted.append(entry);
  if (wanted.isEmpty()) return false;
  if (!Dialogs::shared().getConfirmation(
          localized(QStringLiteral("buttonDelete")),
          localized(QStringLiteral("libraryDeleteFromPlaylistConfirmationMessage"))))
    return false;
  VideoDatabase &database = *fEnvironment.database;
  for (const PlaylistVideos &entry : wanted) {
    const QSet<int> removed(entry.second.begin(), entry.second.end());
    QList<int> kept;
    for (const int id : database.getPlaylistEntries(entry.first))
      if (!removed.contains(id)) kept.append(id);
    database.setVideos(kept, entry.first);
  }
  return true;
}

void ZLibraryActions::subscribe(const QList<ZLibraryBrowseListContainerItem *> &groups) const {
  if (!fEnvironment.subscriptions) return;
  for (const ZLibraryBrowseListContainerItem *group : groups) {
    const QString url = feedUrlOf(*group);
    if (!url.isEmpty()) fEnvironment.subscriptions->addFeedWithName(url, url, 0);
  }
}

void ZLibraryActions::unsubscribe(const QList<ZLibraryBrowseListContainerItem *> &groups) const {
  if (!fEnvironment.subscriptions) return;
  for (const ZLibraryBrowseListContainerItem *group : groups) {
    const QString url = feedUrlOf(*group);
    if (!url.isEmpty()) fEnvironment.subscriptions->removeFeedWithUrl(url);
  }
}

bool ZLibraryActions::isSubscribed(const ZLibraryBrowseListContainerItem &group) const {
  if (group.type() == 8 || group.type() == 10) return true;
  const QString url = feedUrlOf(group);
  return !url.isEmpty() && fEnvironment.database->getListOfFeedUrls().contains(url);
}
