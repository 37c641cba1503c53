// Library groupings: publishers, channels, categories, tags and series, found
// or inserted by name and linked to videos, and the lists the browse list is
// built from.

#include "VideoDatabase.h"
#include "VideoDatabaseInternal.h"
#include "ZNotificationSystem.h"

using namespace videodb;

namespace {

struct GroupTable {
  const char *table;        // the grouping rows
  const char *entries;      // the link table, null for publishers
  const char *groupColumn;  // the link table's group id column
};

GroupTable tableOf(int kind) {
  static const GroupTable tables[] = {
      {"Publishers", nullptr, nullptr},
      {"Channels", "ChannelEntries", "ChannelId"},
      {"Categories", "CategoryEntries", "CategoryId"},
      {"Tags", "TagEntries", "TagId"},
      {"Series", "SeriesEntries", "SeriesId"},
  };
  return tables[kind];
}

}  // namespace

std::optional<int> VideoDatabase::findGroupId(Grouping kind, const QString &name) {
  const GroupTable table = tableOf(int(kind));
  const auto rows = executeSQL(sqlFormat("SELECT * FROM %@ WHERE Name = '%@';",
                                         {QString::fromLatin1(table.table), esc(name)}));
  if (!rows || rows->isEmpty()) return std::nullopt;
  return intValue(rows->first().value(QStringLiteral("id")));
}

bool VideoDatabase::storeGroup(Grouping kind, const GroupValues &v) {
  const auto rows =
      executeSQL(sqlFormat("SELECT * FROM %@ WHERE Name = '%@';",
                           {QString::fromLatin1(tableOf(int(kind)).table), esc(v.name)}));
  if (!rows) return false;

  if (rows->isEmpty()) {
    QString insert;
    switch (kind) {
      case Grouping::Publisher:
        insert = sqlFormat(
            "INSERT INTO Publishers(Name,Description,ImagePath,Permalink,FeedUrl) VALUES "
            "('%@','%@','%@','%@','%@');",
            {esc(v.name), esc(v.description), esc(v.imagePath), esc(v.permalink), esc(v.feedUrl)});
        break;
      case Grouping::Channel:
        insert = sqlFormat(
            "INSERT INTO Channels(Name,Description,ImagePath,Permalink,FeedUrl) VALUES "
            "('%@','%@','%@','%@','%@');",
            {esc(v.name), esc(v.description), esc(v.imagePath), esc(v.permalink), esc(v.feedUrl)});
        break;
      case Grouping::Category:
        insert = sqlFormat(
            "INSERT INTO Categories(Name,Description,ImagePath,Permalink) VALUES "
            "('%@','%@','%@','%@');",
            {esc(v.name), esc(v.description), esc(v.imagePath), esc(v.permalink)});
        break;
      case Grouping::Tag:
        insert = sqlFormat("INSERT INTO Tags(Name) VALUES ('%@');", {esc(v.name)});
        break;
      case Grouping::Series:
        insert = sqlFormat(
            "INSERT INTO Series(Name,Description,ImagePath,Permalink,FeedUrl) VALUES "
            "('%@','%@','%@','%@','%@');",
            {esc(v.name), esc(v.description), esc(v.imagePath), esc(v.permalink), esc(v.feedUrl)});
        break;
    }
    return executeSQL(insert).has_value();
  }

  // Found: refresh the first row of that name.
  const int id = intValue(rows->first().value(QStringLiteral("id")));
  QString update;
  switch (kind) {
    case Grouping::Publisher: {
      // Only what was given is written; the stored values of the rest stay.
      QString assignments = sqlFormat("Name='%@'", {esc(v.name)});
      if (!v.description.isNull())
        assignments += sqlFormat(",Description='%@'", {esc(v.description)});
      if (!v.feedUrl.isNull()) assignments += sqlFormat(",FeedUrl='%@'", {esc(v.feedUrl)});
      if (!v.imagePath.isNull()) assignments += sqlFormat(",ImagePath='%@'", {esc(v.imagePath)});
      if (!v.permalink.isNull()) assignments += sqlFormat(",Permalink='%@'", {esc(v.permalink)});
      update = sqlFormat("UPDATE Publishers SET %@ WHERE id=%d;", {assignments, id});
      break;
    }
    case Grouping::Channel:
      update = sqlFormat(
          "UPDATE Channels SET Name='%@',Description='%@',FeedUrl='%@',ImagePath='%@',"
          "Permalink='%@' WHERE id=%d;",
          {esc(v.name), esc(v.description), esc(v.feedUrl), esc(v.imagePath), esc(v.permalink),
           id});
      break;
    case Grouping::Category:
      update = sqlFormat(
          "UPDATE Categories SET Name='%@',Description='%@',ImagePath='%@',Permalink='%@' WHERE "
          "id=%d;",
          {esc(v.name), esc(v.description), esc(v.imagePath), esc(v.permalink), id});
      break;
    case Grouping::Tag:
      update = sqlFormat("UPDATE Tags SET Name='%@' WHERE id=%d;", {esc(v.name), id});
      break;
    case Grouping::Series:
      update = sqlFormat(
          "UPDATE Series SET Name='%@',Description='%@',ImagePath='%@',Permalink='%@',"
          "FeedUrl='%@' WHERE id=%d;",
          {esc(v.name), esc(v.description), esc(v.imagePath), esc(v.permalink), esc(v.feedUrl),
           id});
      break;
  }
  return executeSQL(update).has_value();
}

bool VideoDatabase::linkGroup(Grouping kind, int groupId, int videoId) {
  if (kind == Grouping::Publisher)
    return executeSQL(sqlFormat("UPDATE Videos SET Publisher=%d WHERE id=%d;", {groupId, videoId}))
        .has_value();
  const GroupTable table = tableOf(int(kind));
  const QString entries = QString::fromLatin1(table.entries);
  const QString column = QString::fromLatin1(table.groupColumn);
  const auto found = queryIds(sqlFormat("SELECT id FROM %@ WHERE VideoId = %d AND %@ = %d;",
                                        {entries, videoId, column, groupId}));
  if (!found) return false;
  if (!found->isEmpty()) return true;
  return executeSQL(sqlFormat("INSERT INTO %@(VideoId,%@) VALUES (%d,%d);",
                              {entries, column, videoId, groupId}))
      .has_value();
}

bool VideoDatabase::addGroup(Grouping kind, const GroupValues &values, std::optional<int> videoId) {
  ZNotificationSystem &gate = ZNotificationSystem::sharedNotificationSystem();
  if (videoId) gate.suspendNotifications();
  bool result;
  {
    Transaction transaction(*this);
    result = storeGroup(kind, values);
    if (result && videoId) {
      const std::optional<int> groupId = findGroupId(kind, values.name);
      result = groupId && linkGroup(kind, *groupId, *videoId);
    }
    if (!result) transaction.fail();
    if (!transaction.commit()) result = false;
  }
  if (result && videoId && kind == Grouping::Publisher) updateVideoInfoFromDatabase(*videoId);
  if (videoId) gate.resumeNotifications();
  if (result) gate.postNotificationName(kChanged);
  return result;
}

// ---- the find-or-insert operations ----------------------------------------------------

bool VideoDatabase::addPublisherWithName(const QString &name, const QString &description,
                                         const QString &, const QString &feedUrl,
                                         const QString &imagePath, const QString &permalink) {
  return addGroup(Grouping::Publisher, {name, description, imagePath, permalink, feedUrl},
                  std::nullopt);
}

bool VideoDatabase::addPublisherWithName(const QString &name, const QString &description,
                                         const QString &, const QString &feedUrl,
                                         const QString &imagePath, const QString &permalink,
                                         int videoId) {
  return addGroup(Grouping::Publisher, {name, description, imagePath, permalink, feedUrl}, videoId);
}

bool VideoDatabase::addChannelWithName(const QString &name, const QString &description,
                                       const QString &, const QString &feedUrl,
                                       const QString &imagePath, const QString &permalink) {
  return addGroup(Grouping::Channel, {name, description, imagePath, permalink, feedUrl},
                  std::nullopt);
}

bool VideoDatabase::addChannelWithName(const QString &name, const QString &description,
                                       const QString &, const QString &feedUrl,
                                       const QString &imagePath, const QString &permalink,
                                       int videoId) {
  return addGroup(Grouping::Channel, {name, description, imagePath, permalink, feedUrl}, videoId);
}

bool VideoDatabase::addCategoryWithName(const QString &name, const QString &description,
                                        const QString &imagePath, const QString &permalink) {
  return addGroup(Grouping::Category, {name, description, imagePath, permalink, QString()},
                  std::nullopt);
}

bool VideoDatabase::addCategoryWithName(const QString &name, const QString &description,
                                        const QString &imagePath, const QString &permalink,
                                        int videoId) {
  return addGroup(Grouping::Category, {name, description, imagePath, permalink, QString()},
                  videoId);
}

bool VideoDatabase::addTagWithName(const QString &name, const QString &, const QString &) {
  return addGroup(Grouping::Tag, {name, QString(), QString(), QString(), QString()}, std::nullopt);
}

bool VideoDatabase::addTagWithName(const QString &name, const QString &, const QString &,
                                   int videoId) {
  return addGroup(Grouping::Tag, {name, QString(), QString(), QString(), QString()}, videoId);
}

bool VideoDatabase::addSeriesWithName(const QString &name, const QString &description,
                                      const QString &imagePath, const QString &permalink,
                                      const QString &feedUrl) {
  return addGroup(Grouping::Series, {name, description, imagePath, permalink, feedUrl},
                  std::nullopt);
}

bool VideoDatabase::addSeriesWithName(const QString &name, const QString &description,
                                      const QString &imagePath, const QString &permalink,
                                      const QString &feedUrl, int videoId) {
  return addGroup(Grouping::Series, {name, description, imagePath, permalink, feedUrl}, videoId);
}

// ---- lists ---------------------------------------------------------------------------

SqlRows VideoDatabase::getPublishersSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Publishers ORDER BY Name COLLATE NOCASE;"))
      .value_or(SqlRows());
}

SqlRows VideoDatabase::getChannelsSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Channels ORDER BY Name COLLATE NOCASE;"))
      .value_or(SqlRows());
}

SqlRows VideoDatabase::getCategoriesSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Categories ORDER BY Name COLLATE NOCASE;"))
      .value_or(SqlRows());
}

SqlRows VideoDatabase::getTagsSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Tags ORDER BY Name COLLATE NOCASE;"))
      .value_or(SqlRows());
}

SqlRows VideoDatabase::getSeriesSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Series ORDER BY Name COLLATE NOCASE;"))
      .value_or(SqlRows());
}

SqlRows VideoDatabase::getSubscriptionsSortedByName() {
  return executeSQL(QStringLiteral("SELECT * FROM Feeds ORDER BY Title COLLATE NOCASE;"))
      .value_or(SqlRows());
}

QList<int> VideoDatabase::getPublisherEntries(int publisherId) {
  return queryIds(sqlFormat("SELECT id FROM Videos WHERE PUBLISHER = %d ORDER BY TITLE COLLATE "
                            "NOCASE;",
                            {publisherId}))
      .value_or(QList<int>());
}

// The video ids of one group through its link table.
static QString entriesQuery(const char *entries, const char *column, int groupId) {
  return sqlFormat(
      "SELECT Videos.id FROM %@, Videos WHERE %@ = %d AND %@.VideoId = VIDEOS.id "
      "ORDER BY TITLE COLLATE NOCASE;",
      {QString::fromLatin1(entries), QString::fromLatin1(column), groupId,
       QString::fromLatin1(entries)});
}

QList<int> VideoDatabase::getChannelEntries(int channelId) {
  return queryIds(entriesQuery("ChannelEntries", "ChannelId", channelId)).value_or(QList<int>());
}

QList<int> VideoDatabase::getCategoryEntries(int categoryId) {
  return queryIds(entriesQuery("CategoryEntries", "CategoryId", categoryId)).value_or(QList<int>());
}

QList<int> VideoDatabase::getTagEntries(int tagId) {
  return queryIds(entriesQuery("TagEntries", "TagId", tagId)).value_or(QList<int>());
}

QList<int> VideoDatabase::getSeriesEntries(int seriesId) {
  return queryIds(entriesQuery("SeriesEntries", "SeriesId", seriesId)).value_or(QList<int>());
}

QList<int> VideoDatabase::getSubscriptionEntries(int feedId) {
  return queryIds(sqlFormat("SELECT VideoId FROM FeedItems WHERE FeedId = %d AND State = %d "
                            "ORDER BY Title COLLATE NOCASE;",
                            {feedId, int(FeedItemStateDownloaded)}))
      .value_or(QList<int>());
}

QList<int> VideoDatabase::getListOfVideosWithoutPublisher() {
  // The rows are read in full: the browse list shows these videos next.
  return queryAndCacheVideos(
             QStringLiteral(
                 "SELECT * FROM Videos WHERE PUBLISHER = -1 ORDER BY TITLE COLLATE NOCASE;"),
             false)
      .value_or(QList<int>());
}

static QString withoutQuery(const char *entries) {
  return sqlFormat(
      "SELECT id FROM Videos WHERE id NOT IN (SELECT VideoId FROM %@) ORDER BY TITLE "
      "COLLATE NOCASE;",
      {QString::fromLatin1(entries)});
}

QList<int> VideoDatabase::getListOfVideosWithoutChannel() {
  return queryIds(withoutQuery("ChannelEntries")).value_or(QList<int>());
}

QList<int> VideoDatabase::getListOfVideosWithoutCategory() {
  return queryIds(withoutQuery("CategoryEntries")).value_or(QList<int>());
}

QList<int> VideoDatabase::getListOfVideosWithoutTags() {
  return queryIds(withoutQuery("TagEntries")).value_or(QList<int>());
}

QList<int> VideoDatabase::getListOfVideosWithoutSeries() {
  return queryIds(withoutQuery("SeriesEntries")).value_or(QList<int>());
}

QString VideoDatabase::getNameForPublisherId(int publisherId) {
  const auto rows = executeSQL(sqlFormat("SELECT * FROM Publishers WHERE id = %d;", {publisherId}));
  if (!rows || rows->size() != 1) return QStringLiteral("");
  return rows->first().value(QStringLiteral("Name"));
}
