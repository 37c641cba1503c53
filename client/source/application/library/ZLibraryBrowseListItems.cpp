#include "ZLibraryBrowseListItems.h"

#include "LibraryUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "StringExtensions.h"
#include "ZNotificationSystem.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Reads 1..maxDigits ASCII digits at text[pos]; -1 when there is none.
int readNumber(QStringView text, qsizetype &pos, int maxDigits) {
  int value = 0;
  int digits = 0;
  while (pos < text.size() && digits < maxDigits) {
    const char16_t c = text.at(pos).unicode();
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    ++digits;
    ++pos;
  }
  return digits > 0 ? value : -1;
}

bool skip(QStringView text, qsizetype &pos, char16_t separator) {
  if (pos >= text.size() || text.at(pos) != separator) return false;
  ++pos;
  return true;
}

}  // namespace

// ---- sort keys ------------------------------------------------------------------

qint64 ZLibraryBrowseListSortKeys::dateAddedKey(const QString &text) {
  // The library's "%Y-%m-%d %H:%M:%S", read as Utilities::parseDate reads it.
  constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();
  const QStringView view(text);
  qsizetype pos = 0;
  const int year = readNumber(view, pos, 4);
  if (year < 0 || !skip(view, pos, u'-')) return kNoDate;
  const int month = readNumber(view, pos, 2);
  if (month < 0 || !skip(view, pos, u'-')) return kNoDate;
  const int day = readNumber(view, pos, 2);
  if (day < 0 || !skip(view, pos, u' ')) return kNoDate;
  const int hour = readNumber(view, pos, 2);
  if (hour < 0 || !skip(view, pos, u':')) return kNoDate;
  const int minute = readNumber(view, pos, 2);
  if (minute < 0 || !skip(view, pos, u':')) return kNoDate;
  const int second = readNumber(view, pos, 2);
  if (second < 0 || pos != view.size()) return kNoDate;
  if (!QDate(year, month, day).isValid() || !QTime(hour, minute, second).isValid()) return kNoDate;
  return ((((qint64(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
}

ZLibraryBrowseListSortKeys::ZLibraryBrowseListSortKeys(VideoDatabase &database, int sortType)
    : fDatabase(database), fSortType(sortType) {}

ZLibraryBrowseListSortKeys::Key ZLibraryBrowseListSortKeys::makeKey(int videoId) {
  Key key;
  // The cached row is read in place (no copy per video); a video not cached
  // yet is read from the database.
  std::optional<VideoInfo> read;
  const VideoInfo *info = fDatabase.cachedVideoInfo(videoId);
  if (!info && (read = fDatabase.getVideoInfo(videoId))) info = &*read;
  if (fSortType == 1) {
    if (info) key.text = Utilities::titleForVideo(*info).toCaseFolded();
  } else if (fSortType == 3) {
    key.number = dateAddedKey(info ? info->value(QStringLiteral("DATE_ADDED")) : QString());
  } else if (info) {
    const auto publisher = info->lookup(QStringLiteral("PUBLISHER"));
    if (!fPublisherNames) {
      // One query for every publisher instead of one per video.
      fPublisherNames.emplace();
      const auto rows = fDatabase.executeSQL(QStringLiteral("SELECT id, Name FROM Publishers;"));
      if (rows) {
        for (const SqlRow &row : *rows)
          fPublisherNames->insert(int(integerNumber(row.value(QStringLiteral("id"))).value_or(0)),
                                  row.value(QStringLiteral("Name")));
      }
    }
    if (publisher)
      key.text = fPublisherNames->value(int(integerNumber(*publisher).value_or(0))).toCaseFolded();
  }
  return key;
}

const ZLibraryBrowseListSortKeys::Key &ZLibraryBrowseListSortKeys::keyFor(int videoId) {
  auto it = fKeys.find(videoId);
  if (it == fKeys.end()) it = fKeys.insert(videoId, makeKey(videoId));
  return *it;
}

int ZLibraryBrowseListSortKeys::compare(const Key &a, const Key &b) const {
  if (fSortType == 3) return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
  return QString::compare(a.text, b.text, Qt::CaseSensitive);
}

int videoSort(const ZLibraryBrowseListVideoItem &a, const ZLibraryBrowseListVideoItem &b,
              const ZLibraryBrowseListVideoSortContext &context) {
  const ZLibraryBrowseListVideoItem &first = context.ascending ? a : b;
  const ZLibraryBrowseListVideoItem &second = context.ascending ? b : a;
  if (context.sortType == 1)
    return QString::compare(first.title().toCaseFolded(), second.title().toCaseFolded());
  if (context.sortType == 3) {
    const qint64 x = ZLibraryBrowseListSortKeys::dateAddedKey(
        first.info().value_or(VideoInfo()).value(QStringLiteral("DATE_ADDED")));
    const qint64 y = ZLibraryBrowseListSortKeys::dateAddedKey(
        second.info().value_or(VideoInfo()).value(QStringLiteral("DATE_ADDED")));
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  return QString::compare(first.publisherName().toCaseFolded(),
                          second.publisherName().toCaseFolded());
}

// ---- video item ----------------------------------------------------------------------

ZLibraryBrowseListVideoItem::ZLibraryBrowseListVideoItem(VideoDatabase &database, int videoId)
    : fDatabase(&database), fVideoId(videoId) {}

void ZLibraryBrowseListVideoItem::setSelected(bool selected) {
  fSelected = selected;
  ZNotificationSystem::sharedNotificationSystem().postNotificationName(
      LibraryViewItemSelectionChangedNotification, QVariant::fromValue(this));
}

std::optional<VideoInfo> ZLibraryBrowseListVideoItem::info() const {
  return fDatabase->getVideoInfo(fVideoId);
}

QString ZLibraryBrowseListVideoItem::title() const {
  const auto video = info();
  return video ? video->value(QStringLiteral("TITLE")) : QString();
}

QString ZLibraryBrowseListVideoItem::permalink() const {
  const auto video = info();
  return video ? video->value(QStringLiteral("VIDEO_PERMALINK")) : QString();
}

int ZLibraryBrowseListVideoItem::rating() const {
  const auto video = info();
  return video ? Utilities::ratingForVideo(*video) : 0;
}

QDateTime ZLibraryBrowseListVideoItem::dateAdded() const {
  const auto video = info();
  return video ? Utilities::dateAddedForVideo(*video) : QDateTime();
}

QString ZLibraryBrowseListVideoItem::publisherName() const {
  const auto video = info();
  return video ? Utilities::publisherNameForVideo(*video, *fDatabase) : QStringLiteral("");
}

bool ZLibraryBrowseListVideoItem::viewed() const {
  const auto video = info();
  return video && Utilities::videoIsViewed(*video);
}

bool ZLibraryBrowseListVideoItem::saved() const {
  const auto video = info();
  return video && Utilities::videoIsSaved(*video);
}

qint64 ZLibraryBrowseListVideoItem::duration() const {
  const auto video = info();
  if (!video) return 0;
  return integerNumber(video->value(QStringLiteral("DURATION"))).value_or(0);
}

// ---- videos row ----------------------------------------------------------------------

ZLibraryBrowseListVideoListItemPtr ZLibraryBrowseListVideoListItem::create(
    const QList<ZLibraryBrowseListVideoItemPtr> &videos, int containerType,
    ZLibraryBrowseListSortKeys *keys) {
  auto list = std::make_shared<ZLibraryBrowseListVideoListItem>(videos, containerType);
  list->sortVideos(keys);
  for (const auto &video : list->fVideos) video->setContainer(list);
  return list;
}

ZLibraryBrowseListVideoListItem::ZLibraryBrowseListVideoListItem(
    const QList<ZLibraryBrowseListVideoItemPtr> &videos, int containerType)
    : fVideos(videos), fContainerType(containerType) {}

ZLibraryBrowseListVideoListItem::~ZLibraryBrowseListVideoListItem() = default;

ZLibraryBrowseListVideoItemPtr ZLibraryBrowseListVideoListItem::videoAtIndex(int index) const {
  if (index < 0 || index >= fVideos.size()) return nullptr;
  return fVideos.at(index);
}

bool ZLibraryBrowseListVideoListItem::videoSelectedAtIndex(int index) const {
  if (index < 0 || index >= fVideos.size()) return false;
  return fVideos.at(index)->selected();
}

void ZLibraryBrowseListVideoListItem::setVideoSelected(bool selected, int index) {
  if (index < 0 || index >= fVideos.size()) return;
  fVideos.at(index)->setSelected(selected);
}

void ZLibraryBrowseListVideoListItem::setSelectionForAllVideos(bool selected) {
  for (const auto &video : fVideos) video->setSelected(selected);
}

bool ZLibraryBrowseListVideoListItem::allVideosSelected() const {
  return std::all_of(fVideos.cbegin(), fVideos.cend(),
                     [](const auto &video) { return video->selected(); });
}

bool ZLibraryBrowseListVideoListItem::hasVideoWithId(int videoId) const {
  return std::any_of(fVideos.cbegin(), fVideos.cend(),
                     [videoId](const auto &video) { return video->videoId() == videoId; });
}

bool ZLibraryBrowseListVideoListItem::hasItem(const ZLibraryBrowseListVideoItem *item) const {
  return std::any_of(fVideos.cbegin(), fVideos.cend(),
                     [item](const auto &video) { return video.get() == item; });
}

int ZLibraryBrowseListVideoListItem::numberOfSelectedItems() const {
  return int(std::count_if(fVideos.cbegin(), fVideos.cend(),
                           [](const auto &video) { return video->selected(); }));
}

void ZLibraryBrowseListVideoListItem::sortVideos(ZLibraryBrowseListSortKeys *keys) {
  if (fContainerType == 6 || fVideos.size() < 2) return;
  const int sortType = Utilities::currentSortType();
  const bool ascending = Utilities::currentSortOrder();
  std::optional<ZLibraryBrowseListSortKeys> ownKeys;
  if (!keys || keys->sortType() != sortType) {
    ownKeys.emplace(fVideos.first()->database(), sortType);
    keys = &*ownKeys;
  }
  // Read each key once, then sort the positions; equal keys keep their order.
  std::vector<std::pair<ZLibraryBrowseListSortKeys::Key, qsizetype>> order;
  order.reserve(fVideos.size());
  for (qsizetype i = 0; i < fVideos.size(); ++i)
    order.emplace_back(keys->keyFor(fVideos.at(i)->videoId()), i);
  const auto before = [keys, ascending](const auto &a, const auto &b) {
    return ascending ? keys->compare(a.first, b.first) < 0 : keys->compare(b.first, a.first) < 0;
  };
  // Videos read in the order asked for (the library's title order) are
  // left as they are after one pass.
  if (std::is_sorted(order.begin(), order.end(), before)) return;
  std::stable_sort(order.begin(), order.end(), before);
  QList<ZLibraryBrowseListVideoItemPtr> sorted;
  sorted.reserve(fVideos.size());
  for (const auto &entry : order) sorted.append(fVideos.at(entry.second));
  fVideos = std::move(sorted);
}

// ---- group row -----------------------------------------------------------------------

namespace {

// The row over the table of its names, in name order (rows of one query
// share one table).
VideoInfo compactRow(const SqlRow &row) {
  if (row.size() > VideoInfo::Columns::kMaxColumns) return VideoInfo(row);
  QStringList names(row.keyBegin(), row.keyEnd());
  names.sort();
  QList<QString> values;
  values.reserve(names.size());
  for (const QString &name : names) values.append(row.value(name));
  return VideoInfo(VideoInfo::Columns::intern(names), std::move(values));
}

}  // namespace

ZLibraryBrowseListContainerItem::ZLibraryBrowseListContainerItem(
    const SqlRow &info, int containerType, QList<ZLibraryBrowseListVideoItemPtr> videos)
    : fInfo(compactRow(info)), fVideoList(std::move(videos)), fContainerType(containerType) {}

QString ZLibraryBrowseListContainerItem::title() const {
  if (fContainerType == 1 && fInfo.isEmpty())
    return localized(QStringLiteral("libraryContainerItemNoBroadcasterTitle"));
  QString key;
  switch (fContainerType) {
    case 1:
    case 2:
    case 3:
    case 6:
    case 7:
    case 9:
      key = QStringLiteral("Name");
      break;
    case 4:
      key = QStringLiteral("TITLE");
      break;
    case 8:
    case 10:  // videocasts are browsed as the subscribed feeds
      key = QStringLiteral("Title");
      break;
    default:
      key = QStringLiteral("CHANNEL");
      break;
  }
  return fInfo.value(key, QStringLiteral(""));
}

QList<int> ZLibraryBrowseListContainerItem::videoIdList() const {
  QList<int> ids;
  ids.reserve(fVideoList.size());
  for (const auto &video : fVideoList) ids.append(video->videoId());
  return ids;
}

int ZLibraryBrowseListContainerItem::countOfNewVideos() const {
  return int(std::count_if(fVideoList.cbegin(), fVideoList.cend(),
                           [](const auto &video) { return !video->viewed(); }));
}

bool ZLibraryBrowseListContainerItem::hasVideoWithId(int videoId) const {
  return std::any_of(fVideoList.cbegin(), fVideoList.cend(),
                     [videoId](const auto &video) { return video->videoId() == videoId; });
}

void ZLibraryBrowseListContainerItem::setSelected(bool selected) {
  fSelected = selected;
  if (!fExpanded && !fVideoList.isEmpty()) {
    ZNotificationSuspension quiet;
    for (const auto &video : fVideoList) video->setSelected(selected);
  }
  NotificationCenter::defaultCenter().postNotificationName(
      LibraryViewItemSelectionChangedNotification, QVariant::fromValue(this));
}
