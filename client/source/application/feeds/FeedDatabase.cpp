#include "FeedDatabase.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
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

// The stored columns an item's row is compared on, and how the row is read:
// Kinds tells which values have the storage class a save writes (bit 0: Guid
// is a text, bit 1: Title is a text, bit 2: every written column is, texts
// as texts and Duration and Source as integers). A row with any other class
// (NULL, a number in a text column, a text in Duration) never holds what the
// save would write, and a key that is not a text never equals an item's.
const char *const kStoredColumns =
    "(typeof(Guid)='text')+2*(typeof(Title)='text')+4*(typeof(Title)='text' AND "
    "typeof(Description)='text' AND typeof(Publisher)='text' AND typeof(Permalink)='text' AND "
    "typeof(Website)='text' AND typeof(Categories)='text' AND typeof(Tags)='text' AND "
    "typeof(Duration)='integer' AND typeof(Guid)='text' AND typeof(PubDate)='text' AND "
    "typeof(Url)='text' AND typeof(Source)='integer') AS Kinds,"
    "Title,Description,Publisher,Permalink,Website,Categories,Tags,Duration,Guid,PubDate,Url,"
    "Source";
constexpr int kGuidIsText = 1, kTitleIsText = 2, kAllPlain = 4;

// The positions of the columns of "SELECT id,DateAdded,<kStoredColumns>".
enum StoredColumn {
  kId,
  kDateAdded,
  kKinds,
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

// A column value read as a decimal integer: the plain digits of an id or a
// small number directly, anything else the way intFromText reads it.
int intFromValue(const char *value) {
  if (!value) return 0;
  int result = 0, length = 0;
  for (; value[length] >= '0' && value[length] <= '9' && length < 9; ++length)
    result = result * 10 + (value[length] - '0');
  if (length > 0 && value[length] == '\0') return result;
  return intFromText(QString::fromUtf8(value));
}

// The compared columns of a stored row (kTitle to kSource) as the UTF-8 the
// database handed over, all in one buffer.
struct StoredValues {
  QByteArray bytes;
  std::array<qsizetype, kColumnCount - kTitle> ends{};

  void read(const char *const *values) {
    qsizetype size = 0;
    std::array<qsizetype, kColumnCount - kTitle> lengths{};
    for (int c = kTitle; c < kColumnCount; ++c) {
      lengths[std::size_t(c - kTitle)] = values[c] ? qsizetype(std::strlen(values[c])) : 0;
      size += lengths[std::size_t(c - kTitle)];
    }
    bytes.reserve(size);
    for (int c = kTitle; c < kColumnCount; ++c) {
      bytes.append(values[c], lengths[std::size_t(c - kTitle)]);
      ends[std::size_t(c - kTitle)] = bytes.size();
    }
  }
  QByteArrayView value(StoredColumn column) const {
    const std::size_t i = std::size_t(column - kTitle);
    const qsizetype begin = i ? ends[i - 1] : 0;
    return QByteArrayView(bytes.constData() + begin, ends[i] - begin);
  }
};

// Whether a stored text is the text a save would write. The bytes equal to
// the text's UTF-8 settle it at once; otherwise the stored text as read (the
// database may hold bytes that are not UTF-8) is compared with the text as
// it would be stored (the stored text never holds a lone surrogate, so only a
// text that differs needs that conversion).
bool sameText(QByteArrayView stored, const QString &text) {
  // Plain ASCII reads the same as Latin-1, and only an ASCII text equals it.
  if (std::all_of(stored.begin(), stored.end(), [](char c) { return uchar(c) < 0x80; }))
    return text == QLatin1StringView(stored.data(), stored.size());
  if (stored == text.toUtf8()) return true;
  const QString read = QString::fromUtf8(stored);
  return read == text || read == asStored(text);
}

bool sameNumber(QByteArrayView stored, int number) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  return stored == QByteArrayView(digits, end - digits);
}

// Whether a stored row, read with kStoredColumns, already holds exactly the
// values the item would be written with.
bool holdsValues(const StoredValues &row, const ZFeedItemObject &item) {
  return sameNumber(row.value(kDuration), item.duration()) &&
         sameNumber(row.value(kSource), item.source()) && sameText(row.value(kGuid), item.guid()) &&
         sameText(row.value(kTitle), item.title()) && sameText(row.value(kUrl), item.url()) &&
         sameText(row.value(kPubDate), item.publishDate()) &&
         sameText(row.value(kPermalink), item.videoPermalink()) &&
         sameText(row.value(kWebsite), item.website()) &&
         sameText(row.value(kPublisher), item.publisher()) &&
         sameText(row.value(kDescription), item.description()) &&
         sameText(row.value(kCategories), item.categoriesAsString()) &&
         sameText(row.value(kTags), item.tagsAsString());
}

// One row of the feed's items while a save is planned: a stored row or one
// still to be inserted.
struct PlannedRow {
  int id = 0;                // stored rows only
  bool plain = false;        // stored rows: see kAllPlain
  QString guidKey;           // Guid and Title as the row stands after
  QString titleKey;          // the items planned so far, as stored
  bool guidIsText = true;    // false: a stored key that is not a
  bool titleIsText = true;   // text, which no item finds
  qsizetype itemIndex = -1;  // the item whose values the row gets, -1 none
};

// Finds the first row (lowest id) by guid or title as the rows stand, like
// "SELECT id FROM FeedItems WHERE FeedId = .. AND Guid = ..". Stored rows
// come first in id order and planned inserts follow in the order they will
// be made, so an index in the row list orders like the row ids.
class RowIndex {
 public:
  explicit RowIndex(qsizetype size) { fRows.reserve(size); }
  void add(int row, const QString &key) {
    Rows &rows = fRows[key];
    rows.insert(std::lower_bound(rows.begin(), rows.end(), row), row);
  }
  void remove(int row, const QString &key) {
    const auto it = fRows.find(key);
    if (it == fRows.end()) return;
    const auto at = std::lower_bound(it->begin(), it->end(), row);
    if (at == it->end() || *at != row) return;
    it->erase(at);
    if (it->isEmpty()) fRows.erase(it);
  }
  int first(const QString &key) const {
    const auto it = fRows.constFind(key);
    return it == fRows.cend() ? -1 : it->front();
  }

 private:
  // Sorted; nearly always one row.
  using Rows = QVarLengthArray<int, 2>;
  QHash<QString, Rows> fRows;
};

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
    // The stored rows, read straight from the statement's values: only the
    // keys become strings; the compared values stay as read (plain rows
    // only, the others are written anyway).
    std::vector<PlannedRow> rows;
    std::vector<StoredValues> storedValues;
    QString latestDateAdded;
    QByteArray lastDateAdded;  // the DateAdded text last looked at
    bool sawDateAdded = false;
    bool columnsOk = true;
    const auto restart = [&] {
      columnsOk = true;
      rows.clear();
      storedValues.clear();
      latestDateAdded.clear();
      sawDateAdded = false;
    };
    const auto readRow = [&](int columns, const char *const *values, const char *const *) {
      if (columns != kColumnCount) {
        columnsOk = false;
        return;
      }
      PlannedRow planned;
      planned.id = intFromValue(values[kId]);
      const int kinds = intFromValue(values[kKinds]);
      planned.plain = kinds & kAllPlain;
      planned.guidIsText = kinds & kGuidIsText;
      planned.titleIsText = kinds & kTitleIsText;
      if (planned.guidIsText) planned.guidKey = QString::fromUtf8(values[kGuid]);
      if (planned.titleIsText) planned.titleKey = QString::fromUtf8(values[kTitle]);
      rows.push_back(std::move(planned));
      storedValues.emplace_back();
      if (rows.back().plain) storedValues.back().read(values);
      // One save stamps all its rows alike: a text seen just before needs no
      // second look.
      const char *added = values[kDateAdded] ? values[kDateAdded] : "";
      if (sawDateAdded && lastDateAdded == added) return;
      lastDateAdded = added;
      sawDateAdded = true;
      const QString text = QString::fromUtf8(lastDateAdded);
      if (text > latestDateAdded && Utilities::parseDate(text).isValid()) latestDateAdded = text;
    };
    if (!fDatabase.executeSQL(
            QStringLiteral("SELECT id,DateAdded,%1 FROM FeedItems WHERE FeedId = %2 ORDER BY id;")
                .arg(QLatin1String(kStoredColumns), feedIdText),
            restart, readRow))
      return false;
    if (!columnsOk) return false;

    const QList<ZFeedItemRef> items = fFeed.items();
    rows.reserve(rows.size() + std::size_t(items.size()));
    const qsizetype capacity = qsizetype(rows.size()) + items.size();
    RowIndex byGuid(capacity), byTitle(capacity);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (rows[r].guidIsText) byGuid.add(int(r), rows[r].guidKey);
      if (rows[r].titleIsText) byTitle.add(int(r), rows[r].titleKey);
    }

    // Match the items in document order as if each were looked up and
    // written before the next: a row written for an earlier item (updated or
    // inserted) is what a later item with the same guid or title finds.
    const qsizetype storedCount = qsizetype(rows.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
      const ZFeedItemObject &item = *items.at(i);
      const QString guid = item.guid();
      QString guidKey = asStored(guid);
      QString titleKey = asStored(item.title());
      const int found = guid.isEmpty() ? byTitle.first(titleKey) : byGuid.first(guidKey);
      int index = found;
      if (index >= 0) {
        PlannedRow &same = rows[std::size_t(index)];
        // The common case of an unchanged feed: the row keeps both keys, and
        // the indexes already say so.
        if (same.guidIsText && same.titleIsText && same.guidKey == guidKey &&
            same.titleKey == titleKey) {
          same.itemIndex = i;
          continue;
        }
      }
      if (index < 0) {
        index = int(rows.size());
        rows.emplace_back();
      } else {
        const PlannedRow &old = rows[std::size_t(index)];
        if (old.guidIsText) byGuid.remove(index, old.guidKey);
        if (old.titleIsText) byTitle.remove(index, old.titleKey);
      }
      PlannedRow &row = rows[std::size_t(index)];
      row.itemIndex = i;
      byGuid.add(index, guidKey);
      byTitle.add(index, titleKey);
      row.guidKey = std::move(guidKey);
      row.titleKey = std::move(titleKey);
      row.guidIsText = row.titleIsText = true;
    }

    // Stored rows whose values change.
    Batch updates(fDatabase);
    for (qsizetype r = 0; r < storedCount; ++r) {
      const PlannedRow &row = rows[std::size_t(r)];
      if (row.itemIndex < 0) continue;
      const ZFeedItemObject &item = *items.at(row.itemIndex);
      if (row.plain && holdsValues(storedValues[std::size_t(r)], item)) continue;
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
