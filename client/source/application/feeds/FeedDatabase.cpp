#include "FeedDatabase.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "DateUtilities.h"
#include "NotificationCenter.h"
#include "StringExtensions.h"
#include "VideoDatabase.h"

namespace {

const QString kChanged = QStringLiteral("VideoDatabase_Changed");

// New items go to the database in multi-row INSERTs, and changed ones in
// runs of UPDATEs, each text bounded in rows and in size.
constexpr int kRowsPerStatement = 500;
constexpr qsizetype kCharactersPerStatement = 512 * 1024;

int intFromText(const QString &text) {
  return int(std::clamp<qint64>(integerNumber(text).value_or(0), std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

// A text as the database will hold it: what UTF-8 cannot carry (a lone
// surrogate) is replaced on the way in, so the stored text is compared with
// the text after that replacement.
QString asStored(const QString &text) {
  for (const QChar c : text)
    if (c.isSurrogate()) return QString::fromUtf8(text.toUtf8());
  return text;
}

// An SQL text literal, which is also how SQLite's quote() writes a stored text.
QString literal(const QString &text) {
  return QLatin1Char('\'') + sqlEscape(asStored(text)) + QLatin1Char('\'');
}

// The stored columns of one item, as SQL literals, for the statements that
// write them.
struct ItemValues {
  explicit ItemValues(const ZFeedItemObject &item)
      : title(literal(item.title())),
        description(literal(item.description())),
        publisher(literal(item.publisher())),
        permalink(literal(item.videoPermalink())),
        website(literal(item.website())),
        categories(literal(item.categoriesAsString())),
        tags(literal(item.tagsAsString())),
        duration(item.duration()),
        guid(literal(item.guid())),
        publishDate(literal(item.publishDate())),
        url(literal(item.url())),
        source(item.source()) {}

  QString title, description, publisher, permalink, website, categories, tags;
  int duration;
  QString guid, publishDate, url;
  int source;
};

// The columns a stored row is read with, by position.
const char *const kStoredColumns =
    "id,DateAdded,Title,Description,Publisher,Permalink,Website,Categories,Tags,Duration,Guid,"
    "PubDate,Url,Source";
enum StoredColumn {
  kId,
  kDateAdded,
  kTitle,
  kDescription,
  kPublisher,
  kPermalink,
  kWebsite,
  kCategories,
  kTags,
  kDuration,
  kGuid,
  kPubDate,
  kUrl,
  kSource,
  kColumnCount
};
// The text columns an item's values are compared on, in the order they are
// kept for a stored row.
constexpr std::array<StoredColumn, 10> kTextColumns = {
    kTitle,      kDescription, kPublisher, kPermalink, kWebsite,
    kCategories, kTags,        kGuid,      kPubDate,   kUrl};

// Where a text lies in the bytes a save collects; a negative size marks a
// value that is not a text (NULL, a number, a blob), which no item's key
// equals.
struct Span {
  qsizetype begin = 0;
  qsizetype size = -1;
  bool isText() const { return size >= 0; }
};

// The bytes of one save: the texts of the stored rows, then the keys of the
// feed's items. They are only appended to until matching starts, and read
// through spans after that.
class Arena {
 public:
  void reserve(qsizetype size) { fBytes.reserve(size); }
  Span append(QByteArrayView bytes) {
    const Span span{fBytes.size(), bytes.size()};
    fBytes.append(bytes.data(), bytes.size());
    return span;
  }
  // A text's UTF-8 as the database will hold it: what UTF-8 cannot carry (a
  // lone surrogate) is replaced on the way in, as it is when the statement
  // text is converted.
  Span appendStored(const QString &text) {
    const qsizetype begin = fBytes.size(), size = text.size();
    fBytes.resize(begin + size);
    char *out = fBytes.data() + begin;
    const QChar *in = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
      if (in[i].unicode() >= 0x80) {
        fBytes.truncate(begin);
        return append(text.toUtf8());
      }
      out[i] = char(in[i].unicode());
    }
    return Span{begin, size};
  }
  QByteArrayView view(Span span) const {
    return span.isText() ? QByteArrayView(fBytes.constData() + span.begin, span.size)
                         : QByteArrayView();
  }
  bool same(Span a, Span b) const { return a.isText() && b.isText() && view(a) == view(b); }

 private:
  QByteArray fBytes;
};

// The compared values of a stored row that holds every one of them with the
// storage class a save writes (texts as texts, Duration and Source as
// integers). A row with any other class never holds what the save would
// write.
struct StoredValues {
  bool plain = false;
  std::array<Span, kTextColumns.size()> texts{};
  qint64 duration = 0, source = 0;

  Span text(StoredColumn column) const {
    const auto at = std::find(kTextColumns.begin(), kTextColumns.end(), column);
    return texts[std::size_t(at - kTextColumns.begin())];
  }
};

bool isAscii(QByteArrayView bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Whether a stored text is the text a save would write: the same bytes as
// the text's UTF-8.
bool sameText(QByteArrayView stored, const QString &text) {
  // Plain ASCII reads the same as Latin-1, and only an ASCII text equals it.
  if (isAscii(stored)) return text == QLatin1StringView(stored.data(), stored.size());
  return stored == text.toUtf8();
}

// The same for a list, stored as its pieces joined with ", ", without
// joining them.
bool sameList(QByteArrayView stored, const QStringList &pieces) {
  if (!isAscii(stored))
    return stored == (pieces.isEmpty() ? QByteArray() : pieces.join(QStringLiteral(", ")).toUtf8());
  qsizetype at = 0;
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    if (i > 0) {
      if (!stored.sliced(at).startsWith(QByteArrayView(", "))) return false;
      at += 2;
    }
    const QString &piece = pieces.at(i);
    if (piece.size() > stored.size() - at ||
        piece != QLatin1StringView(stored.data() + at, piece.size()))
      return false;
    at += piece.size();
  }
  return at == stored.size();
}

// One row of the feed's items while a save is planned: a stored row or one
// still to be inserted.
struct PlannedRow {
  int id = 0;                // stored rows only
  Span guid, title;          // the keys as the row stands after the items planned so far
  qsizetype itemIndex = -1;  // the item whose values the row gets, -1 none
};

// Finds the first row (lowest index) by its guid or title as the rows stand,
// like "SELECT id FROM FeedItems WHERE FeedId = .. AND Guid = ..". Stored
// rows come first in id order and planned inserts follow in the order they
// will be made, so an index in the row list orders like the row ids. Keys are
// the arena's bytes, compared as the database compares texts.
class RowIndex {
 public:
  RowIndex(const Arena &arena, qsizetype capacity) : fArena(arena) {
    std::size_t slotCount = 16;
    while (slotCount < std::size_t(capacity) * 2) slotCount *= 2;
    fSlots.assign(slotCount, -1);
    fKeys.reserve(std::size_t(capacity));
  }
  void add(int row, Span key) {
    Rows &rows = fKeys[std::size_t(find(key, true))].rows;
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
  }
  void remove(int row, Span key) {
    const int k = find(key, false);
    if (k < 0) return;
    Rows &rows = fKeys[std::size_t(k)].rows;
    const auto at = std::lower_bound(rows.begin(), rows.end(), row);
    if (at != rows.end() && *at == row) rows.erase(at);
  }
  int first(Span key) {
    const int k = find(key, false);
    if (k < 0 || fKeys[std::size_t(k)].rows.isEmpty()) return -1;
    return fKeys[std::size_t(k)].rows.front();
  }

 private:
  // Sorted; nearly always one row. A key stays when its last row leaves.
  using Rows = QVarLengthArray<int, 2>;
  struct Key {
    Span bytes;
    std::size_t hash;
    Rows rows;
  };

  // The key's place in fKeys, made when asked to; -1 when it is not there.
  int find(Span key, bool make) {
    const QByteArrayView bytes = fArena.view(key);
    const std::size_t hash = qHash(bytes, 0);
    const std::size_t mask = fSlots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const int k = fSlots[slot];
      if (k < 0) {
        if (!make) return -1;
        fKeys.push_back({key, hash, {}});
        fSlots[slot] = int(fKeys.size() - 1);
        return fSlots[slot];
      }
      const Key &candidate = fKeys[std::size_t(k)];
      if (candidate.hash == hash && fArena.view(candidate.bytes) == bytes) return k;
    }
  }

  const Arena &fArena;
  std::vector<int> fSlots;
  std::vector<Key> fKeys;
};

// Whether a stored row already holds exactly the values the item would be
// written with (its guid and title compared through their keys).
bool holdsValues(const Arena &arena, const StoredValues &row, const ZFeedItemObject &item,
                 Span guid, Span title) {
  const auto text = [&](StoredColumn column) { return arena.view(row.text(column)); };
  return row.plain && row.duration == item.duration() && row.source == item.source() &&
         arena.same(row.text(kGuid), guid) && arena.same(row.text(kTitle), title) &&
         sameText(text(kUrl), item.url()) && sameText(text(kPubDate), item.publishDate()) &&
         sameText(text(kPermalink), item.videoPermalink()) &&
         sameText(text(kWebsite), item.website()) && sameText(text(kPublisher), item.publisher()) &&
         sameText(text(kDescription), item.description()) &&
         sameList(text(kCategories), item.categories()) && sameList(text(kTags), item.tags());
}

class FeedSaver {
 public:
  FeedSaver(VideoDatabase &database, ZFeedObject &feed, const QString &url)
      : fDatabase(database), fFeed(feed), fUrl(url) {}

  int save() {
    if (!fDatabase.executeSQL(QStringLiteral("BEGIN IMMEDIATE;"))) return 0;
    const int feedId = storeFeedRow();
    if (feedId > 0) fFeed.setId(feedId);
    bool stored = feedId > 0 && storeItems(feedId);
    if (stored) stored = fDatabase.executeSQL(QStringLiteral("COMMIT;")).has_value();
    if (!stored) {
      // A failed statement has already dropped the connection and with it
      // the transaction; the rollback makes sure in any case.
      fDatabase.executeSQL(QStringLiteral("ROLLBACK;"));
      if (fInsertedFeedRow) fFeed.setId(0);
      return 0;
    }
    return feedId;
  }

 private:
  // The Feeds row of the address, refreshed from the feed, or made; its id,
  // 0 on failure.
  int storeFeedRow() {
    const QString url = literal(fUrl);
    const auto rows = fDatabase.executeSQL(
        QStringLiteral("SELECT id,Title,Description,Publisher,Website,Categories,Permalink,"
                       "typeof(Title)||typeof(Description)||typeof(Publisher)||typeof(Website)||"
                       "typeof(Categories)||typeof(Permalink) AS Kinds "
                       "FROM Feeds WHERE Url = %1;")
            .arg(url));
    if (!rows) return 0;
    const QString title = literal(fFeed.title()), description = literal(fFeed.description()),
                  publisher = literal(fFeed.publisher()), website = literal(fFeed.website()),
                  categories = literal(fFeed.categoriesAsString()),
                  permalink = literal(fFeed.permalink());
    if (!rows->isEmpty()) {
      const SqlRow &stored = rows->first();
      const int id = intFromText(stored.value(QStringLiteral("id")));
      // A row that already holds every value is left alone: an unchanged
      // feed then writes nothing, and its transaction commits without a write.
      const auto holds = [&stored](const char *column, const QString &text) {
        return stored.value(QLatin1String(column)) == asStored(text);
      };
      if (id > 0 &&
          stored.value(QStringLiteral("Kinds")) == QLatin1String("texttexttexttexttexttext") &&
          holds("Title", fFeed.title()) && holds("Description", fFeed.description()) &&
          holds("Publisher", fFeed.publisher()) && holds("Website", fFeed.website()) &&
          holds("Categories", fFeed.categoriesAsString()) && holds("Permalink", fFeed.permalink()))
        return id;
      const QString update =
          QLatin1String("UPDATE Feeds SET Title=") + title + QLatin1String(",Description=") +
          description + QLatin1String(",Publisher=") + publisher + QLatin1String(",Website=") +
          website + QLatin1String(",Categories=") + categories + QLatin1String(", Permalink=") +
          permalink + QLatin1String(" WHERE id=") + QString::number(id) + QLatin1Char(';');
      return id > 0 && fDatabase.executeSQL(update) ? id : 0;
    }
    const QString insert =
        QLatin1String(
            "INSERT INTO Feeds(Url,Title,Description,Publisher,Website,Categories,Permalink,"
            "Source) VALUES (") +
        url + QLatin1Char(',') + title + QLatin1Char(',') + description + QLatin1Char(',') +
        publisher + QLatin1Char(',') + website + QLatin1Char(',') + categories + QLatin1Char(',') +
        permalink + QLatin1String(",'") + QString::number(fFeed.source()) + QLatin1String("');");
    if (!fDatabase.executeSQL(insert)) return 0;
    fInsertedFeedRow = true;
    const auto ids =
        fDatabase.executeSQL(QStringLiteral("SELECT id FROM Feeds WHERE Url = %1;").arg(url));
    if (!ids || ids->isEmpty()) return 0;
    return intFromText(ids->first().value(QStringLiteral("id")));
  }

  bool storeItems(int feedId) {
    const QString feedIdText = QString::number(feedId);
    const QList<ZFeedItemRef> items = fFeed.items();
    // The stored rows, read straight from the statement's values: their
    // texts go to the arena, nothing becomes a string.
    Arena arena;
    std::vector<PlannedRow> rows;
    std::vector<StoredValues> stored;
    QString latestDateAdded;
    QByteArray lastDateAdded;  // the DateAdded text last looked at
    bool sawDateAdded = false;
    bool columnsOk = true;
    const auto restart = [&] {
      columnsOk = true;
      arena = Arena();
      rows.clear();
      stored.clear();
      latestDateAdded.clear();
      sawDateAdded = false;
    };
    const auto readRow = [&](const SqlRowView &row) {
      if (row.columnCount() != kColumnCount) {
        columnsOk = false;
        return;
      }
      PlannedRow planned;
      planned.id = int(row.integer(kId));
      StoredValues values;
      values.plain =
          row.type(kDuration) == SqlRowView::Integer && row.type(kSource) == SqlRowView::Integer;
      for (std::size_t c = 0; c < kTextColumns.size(); ++c) {
        const StoredColumn column = kTextColumns[c];
        if (row.type(column) == SqlRowView::Text) {
          values.texts[c] = arena.append(row.text(column));
        } else {
          values.plain = false;
        }
      }
      values.duration = row.integer(kDuration);
      values.source = row.integer(kSource);
      planned.guid = values.text(kGuid);
      planned.title = values.text(kTitle);
      rows.push_back(planned);
      stored.push_back(values);
      // One save stamps all its rows alike: a text seen just before needs no
      // second look.
      const QByteArrayView added = row.text(kDateAdded);
      if (sawDateAdded && lastDateAdded == added) return;
      lastDateAdded = added.toByteArray();
      sawDateAdded = true;
      const QString text = QString::fromUtf8(lastDateAdded);
      if (text > latestDateAdded && Utilities::parseDate(text).isValid()) latestDateAdded = text;
    };
    if (!fDatabase.executeSQL(
            QStringLiteral("SELECT %1 FROM FeedItems WHERE FeedId = %2 ORDER BY id;")
                .arg(QLatin1String(kStoredColumns), feedIdText),
            restart, readRow))
      return false;
    if (!columnsOk) return false;

    // The items' keys as they will be stored, after the stored texts.
    std::vector<Span> itemGuids, itemTitles;
    itemGuids.reserve(std::size_t(items.size()));
    itemTitles.reserve(std::size_t(items.size()));
    bool anyWithoutGuid = false;
    for (const ZFeedItemRef &item : items) {
      const QString guid = item->guid();
      anyWithoutGuid = anyWithoutGuid || guid.isEmpty();
      itemGuids.push_back(arena.appendStored(guid));
      itemTitles.push_back(arena.appendStored(item->title()));
    }

    const qsizetype storedCount = qsizetype(rows.size());
    const qsizetype capacity = storedCount + items.size();
    rows.reserve(std::size_t(capacity));
    // Titles are only looked up for items without a guid.
    RowIndex byGuid(arena, capacity), byTitle(arena, anyWithoutGuid ? capacity : 0);
    for (qsizetype r = 0; r < storedCount; ++r) {
      const PlannedRow &row = rows[std::size_t(r)];
      if (row.guid.isText()) byGuid.add(int(r), row.guid);
      if (anyWithoutGuid && row.title.isText()) byTitle.add(int(r), row.title);
    }

    // Match the items in document order as if each were looked up and
    // written before the next: a row written for an earlier item (updated or
    // inserted) is what a later item with the same guid or title finds.
    for (qsizetype i = 0; i < items.size(); ++i) {
      const Span guid = itemGuids[std::size_t(i)], title = itemTitles[std::size_t(i)];
      int index = guid.size == 0 ? byTitle.first(title) : byGuid.first(guid);
      if (index >= 0) {
        PlannedRow &same = rows[std::size_t(index)];
        // The common case of an unchanged feed: the row keeps both keys, and
        // the indexes already say so.
        if (arena.same(same.guid, guid) && arena.same(same.title, title)) {
          same.itemIndex = i;
          continue;
        }
        if (same.guid.isText()) byGuid.remove(index, same.guid);
        if (anyWithoutGuid && same.title.isText()) byTitle.remove(index, same.title);
      } else {
        index = int(rows.size());
        rows.emplace_back();
      }
      PlannedRow &row = rows[std::size_t(index)];
      row.itemIndex = i;
      row.guid = guid;
      row.title = title;
      byGuid.add(index, guid);
      if (anyWithoutGuid) byTitle.add(index, title);
    }

    // Stored rows whose values change.
    Batch updates(fDatabase);
    for (qsizetype r = 0; r < storedCount; ++r) {
      const PlannedRow &row = rows[std::size_t(r)];
      if (row.itemIndex < 0) continue;
      const ZFeedItemObject &item = *items.at(row.itemIndex);
      if (holdsValues(arena, stored[std::size_t(r)], item, itemGuids[std::size_t(row.itemIndex)],
                      itemTitles[std::size_t(row.itemIndex)]))
        continue;
      if (!updates.add(updateStatement(ItemValues(item), feedIdText, row.id))) return false;
    }
    if (!updates.flush()) return false;

    // New rows, in the order the items name them.
    const QString prefix = QStringLiteral(
        "INSERT INTO FeedItems(FeedId,Title,Description,Publisher,Permalink,Website,Categories,"
        "Tags,Duration,Guid,PubDate,Url,State,Source,DateAdded) VALUES ");
    const QString dateAdded = literal(dateAddedForNewItems(latestDateAdded));
    Batch inserts(fDatabase, prefix, QStringLiteral(","), QStringLiteral(";"));
    for (std::size_t r = std::size_t(storedCount); r < rows.size(); ++r) {
      const ItemValues values(*items.at(rows[r].itemIndex));
      if (!inserts.add(insertValues(values, feedIdText, dateAdded))) return false;
    }
    return inserts.flush();
  }

  // Statement texts made of pieces, run when they grow large.
  class Batch {
   public:
    explicit Batch(VideoDatabase &database, QString prefix = QString(),
                   QString separator = QString(), QString suffix = QString())
        : fDatabase(database),
          fPrefix(std::move(prefix)),
          fSeparator(std::move(separator)),
          fSuffix(std::move(suffix)) {}

    bool add(const QString &piece) {
      fText += fCount ? fSeparator : fPrefix;
      fText += piece;
      ++fCount;
      if (fCount >= kRowsPerStatement || fText.size() >= kCharactersPerStatement) return flush();
      return true;
    }
    bool flush() {
      if (!fCount) return true;
      fText += fSuffix;
      const bool ok = fDatabase.executeSQL(fText).has_value();
      fText.clear();
      fCount = 0;
      return ok;
    }

   private:
    VideoDatabase &fDatabase;
    QString fPrefix, fSeparator, fSuffix;
    QString fText;
    int fCount = 0;
  };

  static QString updateStatement(const ItemValues &v, const QString &feedId, int id) {
    return QLatin1String("UPDATE FeedItems SET Title=") + v.title +
           QLatin1String(", Description=") + v.description + QLatin1String(", Publisher=") +
           v.publisher + QLatin1String(", Permalink=") + v.permalink + QLatin1String(", Website=") +
           v.website + QLatin1String(", Categories=") + v.categories + QLatin1String(", Tags=") +
           v.tags + QLatin1String(", Duration='") + QString::number(v.duration) +
           QLatin1String("', Guid=") + v.guid + QLatin1String(", PubDate=") + v.publishDate +
           QLatin1String(", Url=") + v.url + QLatin1String(", Source='") +
           QString::number(v.source) + QLatin1String("' WHERE FeedId=") + feedId +
           QLatin1String(" AND id=") + QString::number(id) + QLatin1Char(';');
  }

  static QString insertValues(const ItemValues &v, const QString &feedId,
                              const QString &dateAdded) {
    const QChar comma = QLatin1Char(',');
    return QLatin1String("('") + feedId + QLatin1String("',") + v.title + comma + v.description +
           comma + v.publisher + comma + v.permalink + comma + v.website + comma + v.categories +
           comma + v.tags + QLatin1String(",'") + QString::number(v.duration) +
           QLatin1String("',") + v.guid + comma + v.publishDate + comma + v.url +
           QLatin1String(",0,'") + QString::number(v.source) + QLatin1String("',") + dateAdded +
           QLatin1Char(')');
  }

  // The time new items are stamped with: now, or a second after the latest
  // stamp of the feed when the clock has not passed it (two saves within one
  // second, a clock set back), so that a later save always sorts as newer.
  static QString dateAddedForNewItems(const QString &latestStored) {
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    const QDateTime latest = Utilities::parseDate(latestStored);
    if (latest.isValid() && latest >= now) {
      const QString next = Utilities::formatDate(latest.addSecs(1));
      if (!next.isEmpty() && next > latestStored) return next;
    }
    const QString text = Utilities::formatDate(now);
    return text > latestStored ? text : latestStored;
  }

  VideoDatabase &fDatabase;
  ZFeedObject &fFeed;
  const QString &fUrl;
  bool fInsertedFeedRow = false;
};

}  // namespace

int saveFeed(VideoDatabase &database, ZFeedObject &feed, const QString &url) {
  const int feedId = FeedSaver(database, feed, url).save();
  NotificationCenter::defaultCenter().postNotificationName(kChanged);
  return feedId;
}

std::unique_ptr<ZZaroRSSFeedObject> getFeedWithUrl(VideoDatabase &database, const QString &url) {
  const auto rows =
      database.executeSQL(QStringLiteral("SELECT * FROM Feeds WHERE Url = %1;").arg(literal(url)));
  if (!rows || rows->size() != 1) return nullptr;
  const SqlRow &row = rows->first();
  // Source 0 is the only kind of feed there is; a row without one is not a
  // feed this reader made.
  const QString source = row.value(QStringLiteral("Source"));
  if (source.isEmpty() || intFromText(source) != 0) return nullptr;
  auto feed = std::make_unique<ZZaroRSSFeedObject>();
  if (!feed->initWithInfo(row)) return nullptr;
  return feed;
}

QList<ZFeedItemRef> getNewFeedItemsForFeedId(VideoDatabase &database, int feedId) {
  // DateAdded is the time of the save that first stored the item; one save
  // inserts its items in document order, so id breaks the tie of one save.
  const auto rows = database.executeSQL(
      QStringLiteral("SELECT id,Title,DateAdded,Description,Publisher,Permalink,Website,Categories,"
                     "Tags,Duration,Guid,PubDate,Url,Source FROM FeedItems WHERE State=%1 AND "
                     "FeedId=%2 ORDER BY DateAdded DESC, id ASC;")
          .arg(int(FeedItemStateNew))
          .arg(feedId));
  QList<ZFeedItemRef> items;
  if (!rows) return items;
  items.reserve(rows->size());
  for (const SqlRow &row : *rows) {
    auto item = std::make_shared<ZFeedItemObject>();
    item->setId(intFromText(row.value(QStringLiteral("id"))));
    item->setFeedId(feedId);
    item->setTitle(row.value(QStringLiteral("Title")));
    item->setDescription(row.value(QStringLiteral("Description")));
    item->setPublisher(row.value(QStringLiteral("Publisher")));
    item->setVideoPermalink(row.value(QStringLiteral("Permalink")));
    item->setWebsite(row.value(QStringLiteral("Website")));
    item->setDuration(intFromText(row.value(QStringLiteral("Duration"))));
    item->setGuid(row.value(QStringLiteral("Guid")));
    item->setPublishDate(row.value(QStringLiteral("PubDate")));
    item->setUrl(row.value(QStringLiteral("Url")));
    item->setSource(intFromText(row.value(QStringLiteral("Source"))));
    for (const QString &category : splitStoredList(row.value(QStringLiteral("Categories"))))
      item->addCategory(category);
    for (const QString &tag : splitStoredList(row.value(QStringLiteral("Tags")))) item->addTag(tag);
    items.append(std::move(item));
  }
  return items;
}

void markFeedItemAsDownloaded(VideoDatabase &database, const ZFeedItemObject &item) {
  database.markFeedItemAsDownloaded(item.id(), item.videoId());
}

void markFeedItemAsCancelled(VideoDatabase &database, const ZFeedItemObject &item) {
  database.markFeedItemAsCancelled(item.id(), item.videoId());
}
