#include "ZLibraryBrowseListDataSource.h"

#include "DateUtilities.h"
#include "LibraryUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "StringExtensions.h"
#include "UserDefaults.h"
#include "ZNotificationSystem.h"
#include "ZPlaylistDataSource.h"

#include <QDate>
#include <QHash>

#include <algorithm>
#include <limits>
#include <vector>

const QString ZLibraryBrowseListDataSource::DataReloadedNotification =
    QStringLiteral("LibraryViewDataReloaded");
const QString ZLibraryBrowseListDataSource::ItemExpandedNotification =
    QStringLiteral("LibraryViewItemExpanded");
const QString ZLibraryBrowseListDataSource::ItemCollapsedNotification =
    QStringLiteral("LibraryViewItemCollapsed");
const QString ZLibraryBrowseListDataSource::SortingChangedNotification =
    QStringLiteral("LibraryViewSortingChanged");

namespace {

constexpr int kModeAll = 0;
constexpr int kModePublisher = 1;
constexpr int kModeCategory = 2;
constexpr int kModeChannel = 3;
constexpr int kModeDateAdded = 4;
constexpr int kModeNew = 5;
constexpr int kModePlaylist = 6;
constexpr int kModeSeries = 7;
constexpr int kModeSubscription = 8;
constexpr int kModeTag = 9;
constexpr int kModeVideocast = 10;

const QString kBrowseByKey = QStringLiteral("LibraryBrowseBy");

int toInt(const QString &text) { return int(integerNumber(text).value_or(0)); }

// The ids of a group_concat() text ("12,7,40").
QList<int> parseIdList(const QString &text) {
  QList<int> ids;
  ids.reserve(text.size() / 4 + 1);
  qint64 value = 0;
  bool digits = false;
  bool negative = false;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
      value = value * 10 + (u - u'0');
      digits = true;
    } else if (u == u'-' && !digits) {
      negative = true;
    } else if (u == u',') {
      if (digits) ids.append(int(negative ? -value : value));
      value = 0;
      digits = negative = false;
    }
  }
  if (digits) ids.append(int(negative ? -value : value));
  return ids;
}

// Group id -> the ids of its videos, from rows of "GroupId" and "VideoIds"
// (a group_concat list).
QHash<int, QList<int>> groupedIds(VideoDatabase &database, const QString &sql) {
  QHash<int, QList<int>> groups;
  const auto rows = database.executeSQL(sql);
  if (!rows) return groups;
  groups.reserve(rows->size());
  for (const SqlRow &row : *rows)
    groups[toInt(row.value(QStringLiteral("GroupId")))] +=
        parseIdList(row.value(QStringLiteral("VideoIds")));
  return groups;
}

// One grouping kind kept in a group table with an entries table.
struct EntriesKind {
  SqlRows (VideoDatabase::*groups)();
  const char *entriesTable;
  const char *groupColumn;
  QList<int> (VideoDatabase::*without)();
  const char *withoutTitleKey;
};

const EntriesKind *entriesKind(int browseBy) {
  static const EntriesKind kCategory{&VideoDatabase::getCategoriesSortedByName, "CategoryEntries",
                                     "CategoryId", &VideoDatabase::getListOfVideosWithoutCategory,
                                     "libraryContainerItemNoCategoryTitle"};
  static const EntriesKind kChannel{&VideoDatabase::getChannelsSortedByName, "ChannelEntries",
                                    "ChannelId", &VideoDatabase::getListOfVideosWithoutChannel,
                                    "libraryContainerItemNoChannelTitle"};
  static const EntriesKind kSeries{&VideoDatabase::getSeriesSortedByName, "SeriesEntries",
                                   "SeriesId", &VideoDatabase::getListOfVideosWithoutSeries,
                                   "libraryContainerItemNoSeriesTitle"};
  static const EntriesKind kTag{&VideoDatabase::getTagsSortedByName, "TagEntries", "TagId",
                                &VideoDatabase::getListOfVideosWithoutTags,
                                "libraryContainerItemNoTagTitle"};
  switch (browseBy) {
    case kModeCategory:
      return &kCategory;
    case kModeChannel:
      return &kChannel;
    case kModeSeries:
      return &kSeries;
    case kModeTag:
      return &kTag;
    default:
      return nullptr;
  }
}

// The 14 digits of a date text of exactly the form "yyyy-MM-dd hh:mm:ss" as
// one number; -1 for any other text. Such numbers order as the texts do.
qint64 canonicalDateNumber(const QString &text) {
  if (text.size() != 19) return -1;
  qint64 number = 0;
  for (qsizetype i = 0; i < 19; ++i) {
    const char16_t c = text.at(i).unicode();
    if (i == 4 || i == 7) {
      if (c != u'-') return -1;
    } else if (i == 10) {
      if (c != u' ') return -1;
    } else if (i == 13 || i == 16) {
      if (c != u':') return -1;
    } else if (c >= u'0' && c <= u'9') {
      number = number * 10 + (c - u'0');
    } else {
      return -1;
    }
  }
  return number;
}

// An ASCII needle in an ASCII haystack, ignoring ASCII case (the needle is
// lower case): what QString's case-insensitive search answers for such texts.
bool containsAsciiIgnoringCase(QByteArrayView haystack, QByteArrayView lowerNeedle) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
  const qsizetype n = lowerNeedle.size();
  for (qsizetype start = 0; start + n <= haystack.size(); ++start) {
    qsizetype i = 0;
    while (i < n && lower(haystack[start + i]) == lowerNeedle[i]) ++i;
    if (i == n) return true;
  }
  return false;
}

bool isAscii(QByteArrayView text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

ZNotificationSystem &gate() { return ZNotificationSystem::sharedNotificationSystem(); }

}  // namespace

// What one rebuild shares: the filter with its answers per video, and the sort
// keys of the rows it makes.
struct ZLibraryBrowseListDataSource::Build {
  ZLibraryBrowseListDataSource &source;
  bool filtering;
  // Set for the modes that show each video once: no answer is asked twice.
  bool eachVideoOnce = false;
  QHash<int, bool> passes;
  ZLibraryBrowseListSortKeys keys;

  Build(ZLibraryBrowseListDataSource &dataSource, int sortType)
      : source(dataSource),
        filtering(!dataSource.fTextFilter.isEmpty()),
        keys(dataSource.fDatabase, sortType) {}

  bool pass(int videoId) {
    if (!filtering) return true;
    if (eachVideoOnce) return source.includeVideo(videoId);
    auto it = passes.constFind(videoId);
    if (it == passes.constEnd()) it = passes.insert(videoId, source.includeVideo(videoId));
    return *it;
  }

  ZLibraryBrowseListVideoItemPtr item(int videoId) {
    return std::make_shared<ZLibraryBrowseListVideoItem>(source.fDatabase, videoId);
  }

  // Items of the videos that pass the filter, in the given order.
  QList<ZLibraryBrowseListVideoItemPtr> items(const QList<int> &videoIds) {
    QList<ZLibraryBrowseListVideoItemPtr> result;
    result.reserve(videoIds.size());
    for (int id : videoIds)
      if (pass(id)) result.append(item(id));
    return result;
  }

  void addGroup(const SqlRow &info, int type, const QList<int> &videoIds) {
    source.fObjects.append(
        std::make_shared<ZLibraryBrowseListContainerItem>(info, type, items(videoIds)));
  }
};

ZLibraryBrowseListDataSource &ZLibraryBrowseListDataSource::defaultLibraryBrowseListDataSource() {
  static ZLibraryBrowseListDataSource *shared = new ZLibraryBrowseListDataSource(
      VideoDatabase::defaultVideoDatabase(), ZPlaylistDataSource::sharedPlaylistDataSource());
  return *shared;
}

ZLibraryBrowseListDataSource::ZLibraryBrowseListDataSource(VideoDatabase &database,
                                                           ZPlaylistDataSource &playlists)
    : fDatabase(database), fPlaylists(playlists) {
  NotificationCenter &center = NotificationCenter::defaultCenter();
  // Before the first build there is no list to bring up to date.
  for (const char *name :
       {"VideoDatabase_VideoAdded", "VideoDatabase_Changed", "VideoDatabase_VideosDeleted"}) {
    center.addObserver(this, QString::fromLatin1(name), [this](const Notification &) {
      if (fBrowseBy != -1) reloadForBrowsingBy(fBrowseBy, true);
    });
  }
  for (const char *name :
       {"PlaylistDataSourceListRebuilt", "VideoDatabase_PlaylistEntriesModified"}) {
    center.addObserver(this, QString::fromLatin1(name), [this](const Notification &) {
      if (fBrowseBy == kModePlaylist) reloadForBrowsingBy(fBrowseBy, true);
    });
  }
  center.addObserver(this, QStringLiteral("VideoDatabase_VideoUpdated"),
                     [this](const Notification &note) { videoUpdated(note.object.toInt()); });
  // The videos rows are re-sorted here for all of them at once.
  center.addObserver(this, SortingChangedNotification,
                     [this](const Notification &) { resortVideos(); });
}

ZLibraryBrowseListDataSource::~ZLibraryBrowseListDataSource() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

// ---- building ---------------------------------------------------------------------

void ZLibraryBrowseListDataSource::reloadForBrowsingBy(int browseBy, bool force) {
  if (browseBy == fBrowseBy && !force) return;
  rebuild(browseBy);
}

void ZLibraryBrowseListDataSource::setTextFilter(const QString &text, int type) {
  fTextFilter = text;
  fTextFilterType = type;
  const QByteArray bytes = text.toUtf8();
  fAsciiFilter = isAscii(bytes) ? std::optional<QByteArray>(bytes.toLower()) : std::nullopt;
  if (fBrowseBy != -1) reloadForBrowsingBy(fBrowseBy, true);
}

void ZLibraryBrowseListDataSource::rebuild(int browseBy) {
  fBrowseBy = browseBy;
  const bool known = browseBy >= kModeAll && browseBy <= kModeVideocast;
  if (known) {
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (!defaults.hasStoredValue(kBrowseByKey) || defaults.integerForKey(kBrowseByKey) != browseBy)
      defaults.setInteger(browseBy, kBrowseByKey);
  }
  fObjects.clear();
  {
    ZNotificationSuspension quiet;
    // The sort settings read here are those of the mode just stored.
    Build build(*this, Utilities::currentSortType());
    build.eachVideoOnce =
        browseBy == kModeAll || browseBy == kModeNew || browseBy == kModeDateAdded;
    switch (browseBy) {
      case kModeAll:
      case kModeNew:
        buildAllVideos(build, browseBy);
        break;
      case kModeDateAdded:
        buildDateAdded(build);
        break;
      case kModePublisher:
      case kModeCategory:
      case kModeChannel:
      case kModeSeries:
      case kModeTag:
        buildGroups(build, browseBy);
        break;
      case kModePlaylist:
        buildPlaylists(build);
        break;
      case kModeSubscription:
      case kModeVideocast:
        buildSubscriptions(build, browseBy);
        break;
      default:
        break;
    }
    if (browseBy != kModeAll && browseBy != kModeNew) expandAll(&build.keys);
  }
  emit rowsRebuilt();
  gate().postNotificationName(DataReloadedNotification, browseBy);
  postSelectionChanged();
}

void ZLibraryBrowseListDataSource::buildAllVideos(Build &build, int browseBy) {
  QList<int> ids = fDatabase.getAllVideos();
  if (browseBy == kModeNew) {
    // The videos never viewed ("DATE_VIEWED" empty or NULL), newest first.
    const auto videos = videosByDateAdded(ids, false, true);
    ids.clear();
    for (const auto &video : videos) ids.append(video.first);
  }
  fObjects.append(ZLibraryBrowseListVideoListItem::create(build.items(ids), browseBy, &build.keys));
}

QList<QPair<int, QString>> ZLibraryBrowseListDataSource::videosByDateAdded(
    const QList<int> &videoIds, bool ignoringCase, bool newOnly) {
  // Ordered here from the cached rows rather than by a query that reads (and
  // re-caches) every row on each rebuild: a date added never changes, and the
  // marks that make a video viewed refresh its cached row.
  struct Entry {
    qint64 number;  // the digits of a "yyyy-MM-dd hh:mm:ss" text, else -1
    QString added;
    int id;
  };
  std::vector<Entry> entries;
  entries.reserve(videoIds.size());
  for (int id : videoIds) {
    std::optional<VideoInfo> read;
    const VideoInfo *info = fDatabase.cachedVideoInfo(id);
    if (!info && (read = fDatabase.getVideoInfo(id))) info = &*read;
    if (!info || (newOnly && Utilities::videoIsViewed(*info))) continue;
    const QString added = info->value(QStringLiteral("DATE_ADDED"));
    entries.push_back({canonicalDateNumber(added), added, id});
  }
  // Newest first, as SQLite orders the text (BINARY, or NOCASE: ASCII
  // letters folded). Two texts of the usual form compare as their digits.
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  std::stable_sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
    if (a.number >= 0 && b.number >= 0) return a.number > b.number;
    const qsizetype n = std::min(a.added.size(), b.added.size());
    for (qsizetype i = 0; i < n; ++i) {
      char16_t x = a.added.at(i).unicode();
      char16_t y = b.added.at(i).unicode();
      if (ignoringCase) {
        x = fold(x);
        y = fold(y);
      }
      if (x != y) return x > y;
    }
    return a.added.size() > b.added.size();
  });
  QList<QPair<int, QString>> result;
  result.reserve(qsizetype(entries.size()));
  for (Entry &entry : entries) result.append({entry.id, std::move(entry.added)});
  return result;
}

void ZLibraryBrowseListDataSource::buildDateAdded(Build &build) {
  const auto videos = videosByDateAdded(fDatabase.getAllVideos(), true, false);
  const QDate today = QDate::currentDate();
  // The text depends on the day alone: work it out once per day.
  QHash<qint64, QString> textForDay;
  ZLibraryBrowseListContainerItem *last = nullptr;
  for (const auto &[id, added] : videos) {
    if (!build.pass(id)) continue;
    const qint64 key = ZLibraryBrowseListSortKeys::dateAddedKey(added);
    QString text;
    if (key == std::numeric_limits<qint64>::min()) {
      text = Utilities::getDateAddedTextRepresentation(added, today);
    } else {
      auto it = textForDay.constFind(key / 1000000);
      if (it == textForDay.constEnd())
        it = textForDay.insert(key / 1000000,
                               Utilities::getDateAddedTextRepresentation(added, today));
      text = *it;
    }
    if (last && last->title() == text) {
      last->appendVideo(build.item(id));
      continue;
    }
    auto group = std::make_shared<ZLibraryBrowseListContainerItem>(
        SqlRow{{QStringLiteral("TITLE"), text}}, kModeDateAdded,
        QList<ZLibraryBrowseListVideoItemPtr>{build.item(id)});
    last = group.get();
    fObjects.append(std::move(group));
  }
}

void ZLibraryBrowseListDataSource::buildGroups(Build &build, int browseBy) {
  // Every video's row goes into the cache in one query (later rebuilds read
  // only the rows it lacks), and one query gives the videos of all groups.
  fDatabase.getAllVideos();
  SqlRows groups;
  QHash<int, QList<int>> entries;
  QList<int> without;
  QString withoutTitle;
  if (browseBy == kModePublisher) {
    groups = fDatabase.getPublishersSortedByName();
    entries = groupedIds(fDatabase, QStringLiteral("SELECT PUBLISHER AS GroupId, group_concat(id) "
                                                   "AS VideoIds FROM Videos GROUP BY PUBLISHER;"));
    // Videos without a publisher name -1 (those whose PUBLISHER is NULL belong
    // to no group at all).
    without = entries.value(-1);
    withoutTitle = localized(QStringLiteral("libraryContainerItemNoBroadcasterTitle"));
  } else {
    const EntriesKind *kind = entriesKind(browseBy);
    groups = (fDatabase.*kind->groups)();
    entries = groupedIds(
        fDatabase, QStringLiteral("SELECT %1 AS GroupId, group_concat(VideoId) AS VideoIds FROM %2 "
                                  "WHERE VideoId IN (SELECT id FROM Videos) GROUP BY %1;")
                       .arg(QLatin1String(kind->groupColumn), QLatin1String(kind->entriesTable)));
    without = (fDatabase.*kind->without)();
    withoutTitle = localized(QString::fromLatin1(kind->withoutTitleKey));
  }
  for (const SqlRow &group : groups)
    build.addGroup(group, browseBy, entries.value(toInt(group.value(QStringLiteral("id")))));
  if (!without.isEmpty())
    build.addGroup(SqlRow{{QStringLiteral("Name"), withoutTitle}}, browseBy, without);
}

void ZLibraryBrowseListDataSource::buildPlaylists(Build &build) {
  fDatabase.getAllVideos();
  // The entries of every playlist in playlist order, leaving out videos the
  // library no longer has.
  // The entries are read as they come: a dictionary per entry would cost
  // a hundred megabytes for a large library's playlists.
  QHash<int, QList<int>> entries;
  fDatabase.executeSQL(
      QStringLiteral("SELECT PlaylistEntries.PlaylistId, PlaylistEntries.VideoId FROM "
                     "PlaylistEntries, Videos WHERE PlaylistEntries.VideoId = Videos.id ORDER BY "
                     "PlaylistEntries.id;"),
      [&entries] { entries.clear(); },
      [&entries](const SqlRowView &row) {
        entries[int(row.integer(0))].append(int(row.integer(1)));
      });
  for (const SqlRow &playlist : fPlaylists.playlists())
    build.addGroup(playlist, kModePlaylist,
                   entries.value(toInt(playlist.value(QStringLiteral("id")))));
}

void ZLibraryBrowseListDataSource::buildSubscriptions(Build &build, int browseBy) {
  fDatabase.getAllVideos();
  // The downloaded items of every feed, in item title order; an item whose
  // video has left the library is not shown.
  const QHash<int, QList<int>> entries = groupedIds(
      fDatabase,
      QStringLiteral("SELECT FeedId AS GroupId, group_concat(VideoId) AS VideoIds FROM (SELECT "
                     "FeedId, VideoId FROM FeedItems WHERE State = %1 AND VideoId IN (SELECT id "
                     "FROM Videos) ORDER BY Title COLLATE NOCASE) GROUP BY FeedId;")
          .arg(int(FeedItemStateDownloaded)));
  for (const SqlRow &feed : fDatabase.getSubscriptionsSortedByName())
    build.addGroup(feed, browseBy, entries.value(toInt(feed.value(QStringLiteral("id")))));
}

// ---- rows ------------------------------------------------------------------------------

ZLibraryBrowseListItemPtr ZLibraryBrowseListDataSource::objectAtIndex(int index) const {
  if (index < 0 || index >= fObjects.size()) return nullptr;
  return fObjects.at(index);
}

bool ZLibraryBrowseListDataSource::list(const QList<ZLibraryBrowseListItemPtr> &rows,
                                        const QString &name) {
  return std::any_of(rows.cbegin(), rows.cend(), [&name](const ZLibraryBrowseListItemPtr &row) {
    ZLibraryBrowseListContainerItem *container = row ? row->asContainer() : nullptr;
    return container && container->title() == name;
  });
}

bool ZLibraryBrowseListDataSource::includeVideo(int videoId) const {
  if (const VideoInfo *cached = fDatabase.cachedVideoInfo(videoId)) {
    // An ASCII filter over an ASCII title is matched on the stored bytes;
    // anything else (where case folding reaches beyond ASCII) as text.
    if (fAsciiFilter)
      if (const auto title = cached->packedUtf8(QStringLiteral("TITLE")); title && isAscii(*title))
        return containsAsciiIgnoringCase(*title, *fAsciiFilter);
    return cached->value(QStringLiteral("TITLE")).contains(fTextFilter, Qt::CaseInsensitive);
  }
  const auto info = fDatabase.getVideoInfo(videoId);
  if (!info) return false;
  return info->value(QStringLiteral("TITLE")).contains(fTextFilter, Qt::CaseInsensitive);
}

int ZLibraryBrowseListDataSource::rowOf(const ZLibraryBrowseListItem *item) const {
  for (qsizetype i = 0; i < fObjects.size(); ++i)
    if (fObjects.at(i).get() == item) return int(i);
  return -1;
}

// ---- expansion -----------------------------------------------------------------------------

void ZLibraryBrowseListDataSource::expandItem(ZLibraryBrowseListContainerItem *container) {
  if (!container || container->expanded()) return;
  const int row = rowOf(container);
  if (row < 0) return;
  const auto group = std::static_pointer_cast<ZLibraryBrowseListContainerItem>(fObjects.at(row));
  auto videos = ZLibraryBrowseListVideoListItem::create(group->videoList(), group->type());
  videos->setContainer(group);
  if (group->selected()) {
    ZNotificationSuspension quiet;
    videos->setSelectionForAllVideos(true);
  }
  fObjects.insert(row + 1, videos);
  group->setExpanded(true);
  emit rowInserted(row + 1);
  gate().postNotificationName(ItemExpandedNotification, QVariant::fromValue(container));
}

void ZLibraryBrowseListDataSource::collapseItem(ZLibraryBrowseListContainerItem *container) {
  if (!container || !container->expanded()) return;
  const int row = rowOf(container);
  if (row < 0) return;
  bool removed = false;
  if (row + 1 < fObjects.size()) {
    ZLibraryBrowseListVideoListItem *next = fObjects.at(row + 1)->asVideoList();
    if (next && next->container().get() == container) {
      fObjects.removeAt(row + 1);
      removed = true;
    }
  }
  container->setExpanded(false);
  if (removed) emit rowRemoved(row + 1);
  gate().postNotificationName(ItemCollapsedNotification, QVariant::fromValue(container));
}

void ZLibraryBrowseListDataSource::expandAll(ZLibraryBrowseListSortKeys *keys) {
  // One pass over the rows instead of an insertion per group; the groups are
  // visited, and announced, from the last row to the first.
  QList<ZLibraryBrowseListItemPtr> reversed;
  reversed.reserve(fObjects.size() * 2);
  for (qsizetype i = fObjects.size() - 1; i >= 0; --i) {
    const ZLibraryBrowseListItemPtr &row = fObjects.at(i);
    ZLibraryBrowseListContainerItem *container = row->asContainer();
    if (container && !container->expanded()) {
      const auto group = std::static_pointer_cast<ZLibraryBrowseListContainerItem>(row);
      auto videos =
          ZLibraryBrowseListVideoListItem::create(group->videoList(), group->type(), keys);
      videos->setContainer(group);
      if (group->selected()) {
        ZNotificationSuspension quiet;
        videos->setSelectionForAllVideos(true);
      }
      group->setExpanded(true);
      reversed.append(std::move(videos));
      reversed.append(row);
      gate().postNotificationName(ItemExpandedNotification, QVariant::fromValue(container));
    } else {
      reversed.append(row);
    }
  }
  std::reverse(reversed.begin(), reversed.end());
  fObjects = std::move(reversed);
}

void ZLibraryBrowseListDataSource::expandAllContainers() {
  ZLibraryBrowseListSortKeys keys(fDatabase, Utilities::currentSortType());
  expandAll(&keys);
  emit rowsRebuilt();
}

void ZLibraryBrowseListDataSource::collapseAllContainers() {
  for (qsizetype i = fObjects.size() - 1; i >= 0; --i) {
    if (i >= fObjects.size()) continue;
    ZLibraryBrowseListContainerItem *container = fObjects.at(i)->asContainer();
    if (container && container->expanded()) collapseItem(container);
  }
}

QList<ZLibraryBrowseListContainerItemPtr> ZLibraryBrowseListDataSource::expandedItems() const {
  QList<ZLibraryBrowseListContainerItemPtr> result;
  for (const auto &row : fObjects) {
    ZLibraryBrowseListContainerItem *container = row->asContainer();
    if (container && container->expanded())
      result.append(std::static_pointer_cast<ZLibraryBrowseListContainerItem>(row));
  }
  return result;
}

// ---- selection ---------------------------------------------------------------------------------

QList<ZLibraryBrowseListContainerItemPtr> ZLibraryBrowseListDataSource::selectedContainers() const {
  QList<ZLibraryBrowseListContainerItemPtr> result;
  for (const auto &row : fObjects) {
    ZLibraryBrowseListContainerItem *container = row->asContainer();
    if (container && container->selected())
      result.append(std::static_pointer_cast<ZLibraryBrowseListContainerItem>(row));
  }
  return result;
}

QList<ZLibraryBrowseListItemPtr> ZLibraryBrowseListDataSource::selectedItems() const {
  QList<ZLibraryBrowseListItemPtr> result;
  for (const auto &row : fObjects) {
    if (ZLibraryBrowseListContainerItem *container = row->asContainer()) {
      if (container->selected()) result.append(row);
    } else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList()) {
      for (const auto &video : videos->videos())
        if (video->selected()) result.append(video);
    }
  }
  return result;
}

QList<int> ZLibraryBrowseListDataSource::selectedVideos() const {
  QList<int> result;
  for (const auto &row : fObjects) {
    if (ZLibraryBrowseListContainerItem *container = row->asContainer()) {
      if (container->selected() && !container->expanded()) result += container->videoIdList();
    } else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList()) {
      for (const auto &video : videos->videos())
        if (video->selected()) result.append(video->videoId());
    }
  }
  return result;
}

QList<int> ZLibraryBrowseListDataSource::selectedVideoIds() const {
  // A selected group's videos are taken from its videos row when it is open
  // (in the order shown), else from the group itself; each group's once.
  QList<int> result;
  for (const auto &row : fObjects) {
    if (ZLibraryBrowseListContainerItem *container = row->asContainer()) {
      if (container->selected() && !container->expanded()) {
        for (const auto &video : container->videoList())
          if (video->selected()) result.append(video->videoId());
      }
    } else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList()) {
      for (const auto &video : videos->videos())
        if (video->selected()) result.append(video->videoId());
    }
  }
  return result;
}

int ZLibraryBrowseListDataSource::numberOfSelectedItems() const {
  int count = 0;
  for (const auto &row : fObjects) {
    if (ZLibraryBrowseListContainerItem *container = row->asContainer())
      count += container->selected() ? 1 : 0;
    else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList())
      count += videos->numberOfSelectedItems();
  }
  return count;
}

void ZLibraryBrowseListDataSource::postSelectionChanged() {
  emit selectionChanged();
  gate().postNotificationName(LibraryViewItemSelectionChangedNotification,
                              QVariant::fromValue(this));
}

void ZLibraryBrowseListDataSource::clearSelection() {
  for (const auto &row : fObjects) {
    if (ZLibraryBrowseListContainerItem *container = row->asContainer()) {
      if (container->selected()) container->setSelected(false);
      // Also the videos of collapsed groups, whose selection would show again
      // when the group is opened.
      for (const auto &video : container->videoList()) video->setSelectedQuietly(false);
    } else if (ZLibraryBrowseListVideoListItem *videos = row->asVideoList()) {
      for (const auto &video : videos->videos()) video->setSelectedQuietly(false);
    }
  }
}

void ZLibraryBrowseListDataSource::selectAllOf(ZLibraryBrowseListContainerItem *container,
                                               bool selected) {
  container->setSelected(selected);
  // The group's videos row shows these same items.
  for (const auto &video : container->videoList()) video->setSelected(selected);
}

void ZLibraryBrowseListDataSource::toggleVideoSelectionAtIndex(
    int index, ZLibraryBrowseListVideoListItem *list) {
  if (!list) return;
  const auto video = list->videoAtIndex(index);
  if (!video) return;
  {
    ZNotificationSuspension quiet;
    video->setSelected(!video->selected());
    if (const auto group = list->container()) {
      const bool all = list->allVideosSelected();
      if (group->selected() != all) group->setSelected(all);
    }
  }
  postSelectionChanged();
}

void ZLibraryBrowseListDataSource::selectVideoAtIndex(int index,
                                                      ZLibraryBrowseListVideoListItem *list,
                                                      bool extend) {
  if (!list) return;
  const auto video = list->videoAtIndex(index);
  if (!video) return;
  {
    ZNotificationSuspension quiet;
    if (!extend) clearSelection();
    video->setSelected(true);
    if (const auto group = list->container()) {
      if (!group->selected() && list->allVideosSelected()) group->setSelected(true);
    }
  }
  postSelectionChanged();
}

void ZLibraryBrowseListDataSource::toggleContainerSelection(
    ZLibraryBrowseListContainerItem *container) {
  if (!container) return;
  {
    ZNotificationSuspension quiet;
    selectAllOf(container, !container->selected());
  }
  postSelectionChanged();
}

void ZLibraryBrowseListDataSource::selectContainer(ZLibraryBrowseListContainerItem *container) {
  if (!container) return;
  {
    ZNotificationSuspension quiet;
    clearSelection();
    selectAllOf(container, true);
  }
  postSelectionChanged();
}

void ZLibraryBrowseListDataSource::unselectAll() {
  {
    ZNotificationSuspension quiet;
    clearSelection();
  }
  postSelectionChanged();
}

// ---- reactions
// -------------------------------------------------------------------------------------

void ZLibraryBrowseListDataSource::resortVideos() {
  std::optional<ZLibraryBrowseListSortKeys> keys;
  bool any = false;
  for (const auto &row : fObjects) {
    ZLibraryBrowseListVideoListItem *videos = row->asVideoList();
    if (!videos) continue;
    any = true;
    if (!keys) keys.emplace(fDatabase, Utilities::currentSortType());
    videos->sortVideos(&*keys);
  }
  if (any) emit videosResorted();
  // One reload for all rows, rather than one per row.
  if (any) NotificationCenter::defaultCenter().postNotificationName(DataReloadedNotification);
}

void ZLibraryBrowseListDataSource::videoUpdated(int videoId) {
  emit videoChanged(videoId);
  // Only the list of new videos depends on a video's marks: rebuild it when
  // a video's viewed state no longer matches its presence in the list.
  if (fBrowseBy != kModeNew) return;
  const auto info = fDatabase.getVideoInfo(videoId);
  if (!info) return;
  const bool listed = std::any_of(fObjects.cbegin(), fObjects.cend(), [videoId](const auto &row) {
    ZLibraryBrowseListVideoListItem *videos = row->asVideoList();
    return videos && videos->hasVideoWithId(videoId);
  });
  if (Utilities::videoIsViewed(*info) == listed) reloadForBrowsingBy(fBrowseBy, true);
}
