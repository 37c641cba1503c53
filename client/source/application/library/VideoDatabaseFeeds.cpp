// The application's persistent work besides the library proper: subscribed
// feeds and their items, download jobs, and requests queued for the service.

#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "VideoDatabaseInternal.h"
#include "ZNotificationSystem.h"

using namespace videodb;

namespace {
constexpr int kJobTypeVideoDownload = 0;
}

// ---- feeds and their items -------------------------------------------------------------

bool VideoDatabase::addFeedWithName(const QString &name, const QString &url, int source) {
  bool added = false;
  {
    Transaction transaction(*this);
    const auto rows = executeSQL(sqlFormat("SELECT * FROM Feeds WHERE Url = '%@';", {esc(url)}));
    if (rows && rows->isEmpty())
      added = executeSQL(sqlFormat("INSERT INTO Feeds(Url,Title, Source) VALUES ('%@','%@',%d);",
                                   {esc(url), esc(name), source}))
                  .has_value();
    if (added && !transaction.commit()) added = false;
  }
  ZNotificationSystem::sharedNotificationSystem().postNotificationName(kChanged);
  return added;
}

void VideoDatabase::removeFeedWithUrl(const QString &url) {
  {
    Transaction transaction(*this);
    const auto rows = executeSQL(sqlFormat("SELECT * FROM Feeds WHERE Url = '%@';", {esc(url)}));
    if (rows && !rows->isEmpty()) {
      const int feedId = intValue(rows->first().value(QStringLiteral("id")));
      if (executeSQL(sqlFormat("DELETE FROM Feeds WHERE Url = '%@';", {esc(url)})))
        executeSQL(sqlFormat("DELETE FROM FeedItems WHERE FeedId = %d;", {feedId}));
    }
  }
  ZNotificationSystem::sharedNotificationSystem().postNotificationName(kChanged);
}

QStringList VideoDatabase::getListOfFeedUrls() {
  QStringList urls;
  const auto rows = executeSQL(QStringLiteral("SELECT Url FROM Feeds ORDER BY Url;"));
  if (!rows) return urls;
  for (const SqlRow &row : *rows) {
    const QString url = row.value(QStringLiteral("Url"));
    if (!url.isEmpty()) urls.append(url);
  }
  return urls;
}

SqlRows VideoDatabase::getListOfFeeds() {
  return executeSQL(QStringLiteral("SELECT * FROM Feeds;")).value_or(SqlRows());
}

void VideoDatabase::markFeedItemForVideoPermalink(const QString &permalink, int videoId) {
  // State and video id in one statement: an item is never left downloaded
  // without its video.
  if (executeSQL(sqlFormat("UPDATE FeedItems SET State=%d, VideoId=%d WHERE Permalink='%@';",
                           {int(FeedItemStateDownloaded), videoId, esc(permalink)})))
    ZNotificationSystem::sharedNotificationSystem().postNotificationName(kChanged);
}

void VideoDatabase::markFeedItemAsDownloaded(int feedItemId, int videoId) {
  executeSQL(sqlFormat("UPDATE FeedItems SET State=%d, VideoId=%d WHERE id=%d;",
                       {int(FeedItemStateDownloaded), videoId, feedItemId}));
  ZNotificationSystem::sharedNotificationSystem().postNotificationName(kChanged);
}

void VideoDatabase::markFeedItemAsCancelled(int feedItemId, int videoId) {
  executeSQL(sqlFormat("UPDATE FeedItems SET State=%d, VideoId=%d WHERE id=%d;",
                       {int(FeedItemStateCancelled), videoId, feedItemId}));
}

// ---- jobs ---------------------------------------------------------------------------

int VideoDatabase::addJob(int type, const QString &identifier, int state, const QString &xml) {
  Transaction transaction(*this);
  if (!executeSQL(sqlFormat("INSERT INTO Jobs(JobType,JobIdentifier,JobState,XMLParams) VALUES "
                            "(%d,'%@',%d,'%@');",
                            {type, esc(identifier), state, esc(xml)})))
    return -1;
  const auto rows =
      executeSQL(sqlFormat("SELECT * FROM Jobs WHERE JobIdentifier='%@';", {esc(identifier)}));
  if (!transaction.commit() || !rows || rows->isEmpty()) return -1;
  return intValue(rows->first().value(QStringLiteral("id")));
}

void VideoDatabase::updateState(int state, int jobId) {
  executeSQL(sqlFormat("UPDATE Jobs SET JobState=%d WHERE id=%d;", {state, jobId}));
}

void VideoDatabase::updateXMLForJob(const QString &xml, int jobId) {
  executeSQL(sqlFormat("UPDATE Jobs SET XMLParams='%@' WHERE id=%d;", {esc(xml), jobId}));
}

void VideoDatabase::deleteJob(int jobId) {
  executeSQL(sqlFormat("DELETE FROM Jobs WHERE id = %d;", {jobId}));
}

SqlRows VideoDatabase::getVideoDownloadJobs() {
  return executeSQL(sqlFormat("SELECT * FROM Jobs WHERE JobType = %d;", {kJobTypeVideoDownload}))
      .value_or(SqlRows());
}

// ---- server commands ------------------------------------------------------------------

int VideoDatabase::addServerCommand(int type, const QString &xml) {
  Transaction transaction(*this);
  if (!executeSQL(sqlFormat("INSERT INTO ServerCommands(Type,XMLParams) VALUES (%d,'%@');",
                            {type, esc(xml)})))
    return -1;
  const auto ids =
      queryIds(sqlFormat("SELECT id FROM ServerCommands WHERE Type = %d ORDER BY id;", {type}));
  if (!transaction.commit() || !ids || ids->isEmpty()) return -1;
  return ids->last();
}

SqlRows VideoDatabase::getServerCommandsOfType(int type) {
  return executeSQL(sqlFormat("SELECT * FROM ServerCommands WHERE Type = %d;", {type}))
      .value_or(SqlRows());
}

void VideoDatabase::updateXMLForServerCommand(const QString &xml, int commandId) {
  executeSQL(
      sqlFormat("UPDATE ServerCommands SET XMLParams='%@' WHERE id=%d;", {esc(xml), commandId}));
}

void VideoDatabase::deleteServerCommand(int commandId) {
  executeSQL(sqlFormat("DELETE FROM ServerCommands WHERE id = %d;", {commandId}));
}
