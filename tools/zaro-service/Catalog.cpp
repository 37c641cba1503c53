#include "Catalog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <initializer_list>

namespace zsvc {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd HH:mm:ss";
constexpr char kDefaultDate[] = "2024-01-01 12:00:00";
constexpr char kBigFileIcon[] = "big-file";

// Video permalinks travel unescaped inside the player's XML request body, and
// they and the ids of collections travel unescaped in "zaro://" links: both
// are kept to characters that need no escaping anywhere.
const QRegularExpression &permalinkPattern() {
  static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._~-]+$"));
  return pattern;
}

QDateTime utcDate(const QString &text) {
  QDateTime date = QDateTime::fromString(text, QLatin1String(kDateFormat));
  date.setTimeSpec(Qt::UTC);
  return date;
}

// Everything the loader finds wrong ends the load; the first fault is kept.
class Loader {
 public:
  explicit Loader(QString dir) : fDir(std::move(dir)) {}

  std::optional<Catalog> load(QString *error);

 private:
  bool fail(const QString &message) {
    if (fError.isEmpty()) fError = message;
    return false;
  }
  bool failed() const { return !fError.isEmpty(); }

  bool checkKeys(const QJsonObject &object, std::initializer_list<const char *> allowed,
                 const QString &where);
  QString string(const QJsonObject &object, const char *key, const QString &where,
                 bool required = false, const QString &fallback = QString());
  qint64 integer(const QJsonObject &object, const char *key, const QString &where, qint64 fallback);
  QList<QString> strings(const QJsonObject &object, const char *key, const QString &where);
  QDateTime date(const QJsonObject &object, const char *key, const QString &where,
                 const QDateTime &fallback);
  // A file below the catalog folder: its absolute path and size, or nothing.
  std::optional<std::pair<QString, qint64>> file(const QString &relative, const QString &where);
  QList<QJsonObject> objects(const QJsonObject &root, const char *key);

  void readService(const QJsonObject &root);
  void readImages(const QJsonObject &root);
  void readPublishers(const QJsonObject &root);
  QList<Grouping> readGroupings(const QJsonObject &root, const char *key, const char *what);
  void readTags(const QJsonObject &root);
  void readVideos(const QJsonObject &root);
  void readFeeds(const QJsonObject &root);
  void readUpdate(const QJsonObject &root);
  void readSubscriptionUpgrades(const QJsonObject &root);
  void checkReferences();
  void checkImage(const QString &id, const QString &where);
  void checkFeed(const QString &id, const QString &where);

  QString fDir;
  QString fError;
  Catalog fCatalog;
};

bool Loader::checkKeys(const QJsonObject &object, std::initializer_list<const char *> allowed,
                       const QString &where) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    bool known = false;
    for (const char *key : allowed) known = known || it.key() == QLatin1String(key);
    if (!known) return fail(QStringLiteral("%1: unknown key \"%2\"").arg(where, it.key()));
  }
  return true;
}

QString Loader::string(const QJsonObject &object, const char *key, const QString &where,
                       bool required, const QString &fallback) {
  const QJsonValue value = object.value(QLatin1String(key));
  if (value.isUndefined() || value.isNull()) {
    if (required) fail(QStringLiteral("%1: \"%2\" is required").arg(where, key));
    return fallback;
  }
  if (!value.isString()) {
    fail(QStringLiteral("%1: \"%2\" must be a string").arg(where, key));
    return fallback;
  }
  if (required && value.toString().isEmpty())
    fail(QStringLiteral("%1: \"%2\" must not be empty").arg(where, key));
  return value.toString();
}

qint64 Loader::integer(const QJsonObject &object, const char *key, const QString &where,
                       qint64 fallback) {
  const QJsonValue value = object.value(QLatin1String(key));
  if (value.isUndefined() || value.isNull()) return fallback;
  const double number = value.toDouble();
  if (!value.isDouble() || number != static_cast<double>(static_cast<qint64>(number))) {
    fail(QStringLiteral("%1: \"%2\" must be a whole number").arg(where, key));
    return fallback;
  }
  return static_cast<qint64>(number);
}

QList<QString> Loader::strings(const QJsonObject &object, const char *key, const QString &where) {
  QList<QString> result;
  const QJsonValue value = object.value(QLatin1String(key));
  if (value.isUndefined() || value.isNull()) return result;
  if (!value.isArray()) {
    fail(QStringLiteral("%1: \"%2\" must be a list of strings").arg(where, key));
    return result;
  }
  for (const QJsonValue item : value.toArray()) {
    if (!item.isString()) {
      fail(QStringLiteral("%1: \"%2\" must be a list of strings").arg(where, key));
      return {};
    }
    result.append(item.toString());
  }
  return result;
}

QDateTime Loader::date(const QJsonObject &object, const char *key, const QString &where,
                       const QDateTime &fallback) {
  const QString text = string(object, key, where);
  if (text.isEmpty()) return fallback;
  const QDateTime parsed = utcDate(text);
  if (!parsed.isValid()) {
    fail(QStringLiteral("%1: \"%2\" must read \"YYYY-MM-DD HH:MM:SS\"").arg(where, key));
    return fallback;
  }
  return parsed;
}

std::optional<std::pair<QString, qint64>> Loader::file(const QString &relative,
                                                       const QString &where) {
  const QFileInfo info(QDir(fDir).filePath(relative));
  if (!info.isFile() || !info.isReadable()) {
    fail(QStringLiteral("%1: no readable file %2").arg(where, info.filePath()));
    return std::nullopt;
  }
  return std::make_pair(info.absoluteFilePath(), info.size());
}

QList<QJsonObject> Loader::objects(const QJsonObject &root, const char *key) {
  QList<QJsonObject> result;
  const QJsonValue value = root.value(QLatin1String(key));
  if (value.isUndefined() || value.isNull()) return result;
  if (!value.isArray()) {
    fail(QStringLiteral("\"%1\" must be a list").arg(key));
    return result;
  }
  for (const QJsonValue item : value.toArray()) {
    if (!item.isObject()) {
      fail(QStringLiteral("\"%1\" must hold objects only").arg(key));
      return {};
    }
    result.append(item.toObject());
  }
  return result;
}

void Loader::readService(const QJsonObject &root) {
  const QJsonValue value = root.value("service");
  if (value.isUndefined()) return;
  if (!value.isObject()) {
    fail(QStringLiteral("\"service\" must be an object"));
    return;
  }
  const QJsonObject service = value.toObject();
  checkKeys(service, {"accessKey", "authToken"}, "service");
  fCatalog.accessKey = string(service, "accessKey", "service");
  fCatalog.authToken = string(service, "authToken", "service");
}

void Loader::readImages(const QJsonObject &root) {
  const QJsonValue value = root.value("images");
  if (value.isUndefined()) return;
  if (!value.isObject()) {
    fail(QStringLiteral("\"images\" must map image ids to files"));
    return;
  }
  const QJsonObject images = value.toObject();
  for (auto it = images.begin(); it != images.end(); ++it) {
    const QString where = QStringLiteral("image \"%1\"").arg(it.key());
    if (it.key().isEmpty() || !it.value().isString()) {
      fail(where + QStringLiteral(": must name a file"));
      return;
    }
    const auto found = file(it.value().toString(), where);
    if (!found) return;
    fCatalog.images.insert(it.key(), fileBody(QFile::encodeName(found->first).toStdString(),
                                              static_cast<uint64_t>(found->second)));
  }
}

void Loader::readPublishers(const QJsonObject &root) {
  QSet<QString> seen;
  for (const QJsonObject &object : objects(root, "publishers")) {
    Publisher publisher;
    publisher.id = string(object, "id", "a publisher", true);
    const QString where = QStringLiteral("publisher \"%1\"").arg(publisher.id);
    checkKeys(object, {"id", "name", "description", "thumbnail", "feed"}, where);
    publisher.name = string(object, "name", where, true);
    publisher.description = string(object, "description", where);
    publisher.thumbnail = string(object, "thumbnail", where);
    publisher.feed = string(object, "feed", where);
    if (!publisher.id.isEmpty() && !permalinkPattern().match(publisher.id).hasMatch())
      fail(where + QStringLiteral(": an id holds only letters, digits and . _ ~ -"));
    if (seen.contains(publisher.id)) fail(where + QStringLiteral(" appears twice"));
    seen.insert(publisher.id);
    fCatalog.publishers.append(publisher);
  }
}

QList<Grouping> Loader::readGroupings(const QJsonObject &root, const char *key, const char *what) {
  QList<Grouping> result;
  QSet<QString> seen;
  for (const QJsonObject &object : objects(root, key)) {
    Grouping grouping;
    grouping.id = string(object, "id", QStringLiteral("a %1").arg(what), true);
    const QString where = QStringLiteral("%1 \"%2\"").arg(what, grouping.id);
    checkKeys(object, {"id", "title", "description", "thumbnail", "feed"}, where);
    grouping.title = string(object, "title", where, true);
    grouping.description = string(object, "description", where);
    grouping.thumbnail = string(object, "thumbnail", where);
    grouping.feed = string(object, "feed", where);
    if (!grouping.id.isEmpty() && !permalinkPattern().match(grouping.id).hasMatch())
      fail(where + QStringLiteral(": an id holds only letters, digits and . _ ~ -"));
    if (seen.contains(grouping.id)) fail(where + QStringLiteral(" appears twice"));
    seen.insert(grouping.id);
    result.append(grouping);
  }
  return result;
}

void Loader::readTags(const QJsonObject &root) {
  QSet<QString> seen;
  for (const QJsonObject &object : objects(root, "tags")) {
    Tag tag;
    tag.name = string(object, "name", "a tag", true);
    const QString where = QStringLiteral("tag \"%1\"").arg(tag.name);
    checkKeys(object, {"name", "feed"}, where);
    tag.feed = string(object, "feed", where);
    if (seen.contains(tag.name)) fail(where + QStringLiteral(" appears twice"));
    seen.insert(tag.name);
    fCatalog.tags.append(tag);
  }
}

void Loader::readVideos(const QJsonObject &root) {
  // File names on the cache host travel in URL paths.
  static const QRegularExpression kFileHash(QStringLiteral("^[A-Za-z0-9._-]+$"));
  static const QRegularExpression kExtension(QStringLiteral("^\\.[A-Za-z0-9]+$"));
  const QDateTime defaultDate = utcDate(QLatin1String(kDefaultDate));

  QSet<QString> permalinks;
  QSet<QString> cacheNames;
  const QList<QJsonObject> list = objects(root, "videos");
  for (qsizetype index = 0; index < list.size() && !failed(); ++index) {
    const QJsonObject &object = list[index];
    Video video;
    video.permalink = string(object, "permalink", "a video", true);
    const QString where = QStringLiteral("video \"%1\"").arg(video.permalink);
    checkKeys(object,
              {"permalink", "videoId", "title", "description", "duration", "contentRating",
               "rating", "reviewState", "fileHash", "extension", "file", "icon", "publisher",
               "channel", "categories", "tags", "series", "published"},
              where);
    if (!video.permalink.isEmpty() && !permalinkPattern().match(video.permalink).hasMatch())
      fail(where + QStringLiteral(": a permalink holds only letters, digits and . _ ~ -"));
    video.videoId = integer(object, "videoId", where, 1001 + index);
    video.title = string(object, "title", where, true);
    video.description = string(object, "description", where);
    video.duration = integer(object, "duration", where, 0);
    video.contentRating = integer(object, "contentRating", where, 0);
    video.rating = integer(object, "rating", where, 0);
    video.reviewState = string(object, "reviewState", where, false, QStringLiteral("approved"));
    video.fileHash = string(object, "fileHash", where, false, defaultFileHash(video.permalink));
    if (!kFileHash.match(video.fileHash).hasMatch())
      fail(where + QStringLiteral(": a file hash holds only letters, digits and . _ -"));
    const QString relative = string(object, "file", where, true);
    video.extension = string(object, "extension", where, false,
                             QStringLiteral(".") + QFileInfo(relative).suffix());
    if (!kExtension.match(video.extension).hasMatch())
      fail(where + QStringLiteral(": the extension is a dot and letters or digits"));
    if (failed()) return;
    const auto found = file(relative, where);
    if (!found) return;
    video.media = fileBody(QFile::encodeName(found->first).toStdString(),
                           static_cast<uint64_t>(found->second));
    video.icon = string(object, "icon", where, true);
    video.publisher = string(object, "publisher", where);
    video.channel = string(object, "channel", where);
    video.categories = strings(object, "categories", where);
    video.tags = strings(object, "tags", where);
    video.series = string(object, "series", where);
    video.published = date(object, "published", where, defaultDate);

    if (permalinks.contains(video.permalink)) fail(where + QStringLiteral(" appears twice"));
    if (cacheNames.contains(video.cacheName()))
      fail(where + QStringLiteral(": another video has the file name ") + video.cacheName());
    permalinks.insert(video.permalink);
    cacheNames.insert(video.cacheName());
    fCatalog.videos.append(video);
  }
}

void Loader::readFeeds(const QJsonObject &root) {
  QSet<QString> seen;
  for (const QJsonObject &object : objects(root, "feeds")) {
    if (failed()) return;
    Feed feed;
    feed.id = string(object, "id", "a feed", true);
    const QString where = QStringLiteral("feed \"%1\"").arg(feed.id);
    checkKeys(object,
              {"id", "channel", "title", "description", "author", "link", "permalink", "categories",
               "items"},
              where);
    const QString channelId = string(object, "channel", where);
    const Grouping *channel = nullptr;
    if (!channelId.isEmpty()) {
      channel = fCatalog.channel(channelId);
      if (!channel) fail(where + QStringLiteral(": unknown channel \"%1\"").arg(channelId));
    }
    feed.title = string(object, "title", where, !channel, channel ? channel->title : QString());
    feed.description =
        string(object, "description", where, false, channel ? channel->description : QString());
    feed.author = string(object, "author", where);
    feed.link = string(object, "link", where);
    feed.permalink = string(object, "permalink", where, false, channel ? channel->id : QString());
    feed.categories = strings(object, "categories", where);

    const QJsonValue items = object.value("items");
    if (!items.isUndefined() && !items.isArray())
      fail(where + QStringLiteral(": \"items\" must be a list"));
    for (const QJsonValue item : items.toArray()) {
      FeedItem feedItem;
      if (item.isString()) {
        feedItem.video = item.toString();
      } else if (item.isObject()) {
        const QJsonObject itemObject = item.toObject();
        checkKeys(itemObject, {"video", "pubDate"}, where + QStringLiteral(" item"));
        feedItem.video = string(itemObject, "video", where + QStringLiteral(" item"), true);
        feedItem.published = date(itemObject, "pubDate", where + QStringLiteral(" item"), {});
      } else {
        fail(where + QStringLiteral(": an item is a permalink or an object"));
        return;
      }
      const Video *video = fCatalog.videoByPermalink(feedItem.video);
      if (!video) {
        fail(where + QStringLiteral(": unknown video \"%1\"").arg(feedItem.video));
        return;
      }
      if (!feedItem.published.isValid()) feedItem.published = video->published;
      feed.items.append(feedItem);
    }
    if (seen.contains(feed.id)) fail(where + QStringLiteral(" appears twice"));
    seen.insert(feed.id);
    fCatalog.feeds.append(feed);
  }
}

void Loader::readUpdate(const QJsonObject &root) {
  const QJsonValue value = root.value("update");
  if (value.isUndefined() || value.isNull()) return;
  if (!value.isObject()) {
    fail(QStringLiteral("\"update\" must be an object"));
    return;
  }
  const QJsonObject object = value.toObject();
  const QString where = QStringLiteral("update");
  checkKeys(object, {"version", "file", "url", "required", "checksum"}, where);
  UpdateOffer offer;
  offer.version = string(object, "version", where, true);
  offer.url = string(object, "url", where);
  const QString relative = string(object, "file", where);
  if (offer.url.isEmpty() == relative.isEmpty()) {
    fail(QStringLiteral("update: give either \"file\" or \"url\""));
    return;
  }
  const QJsonValue required = object.value("required");
  if (!required.isUndefined() && !required.isBool())
    fail(QStringLiteral("update: \"required\" must be true or false"));
  offer.required = required.toBool(false);
  offer.checksum = string(object, "checksum", where);
  if (!relative.isEmpty()) {
    const auto found = file(relative, where);
    if (!found) return;
    offer.fileName = QFileInfo(found->first).fileName();
    offer.file = fileBody(QFile::encodeName(found->first).toStdString(),
                          static_cast<uint64_t>(found->second));
    if (offer.checksum.isEmpty()) {
      QFile content(found->first);
      QCryptographicHash hash(QCryptographicHash::Sha256);
      if (content.open(QIODevice::ReadOnly) && hash.addData(&content))
        offer.checksum = QString::fromLatin1(hash.result().toHex());
    }
  }
  fCatalog.update = offer;
}

void Loader::readSubscriptionUpgrades(const QJsonObject &root) {
  for (const QJsonObject &object : objects(root, "subscriptionUpgrades")) {
    const QString where = QStringLiteral("a subscription upgrade");
    checkKeys(object, {"username", "feeds"}, where);
    SubscriptionUpgrade upgrade;
    if (object.contains("username")) upgrade.username = string(object, "username", where);
    upgrade.feeds = strings(object, "feeds", where);
    for (const QString &feed : upgrade.feeds)
      if (!feed.contains(QLatin1String("://"))) checkFeed(feed, where);
    fCatalog.subscriptionUpgrades.append(upgrade);
  }
}

void Loader::checkImage(const QString &id, const QString &where) {
  if (!id.isEmpty() && !fCatalog.images.contains(id))
    fail(QStringLiteral("%1: unknown image \"%2\"").arg(where, id));
}

void Loader::checkFeed(const QString &id, const QString &where) {
  if (!id.isEmpty() && !fCatalog.feed(id))
    fail(QStringLiteral("%1: unknown feed \"%2\"").arg(where, id));
}

void Loader::checkReferences() {
  for (const Publisher &publisher : fCatalog.publishers) {
    const QString where = QStringLiteral("publisher \"%1\"").arg(publisher.id);
    checkImage(publisher.thumbnail, where);
    checkFeed(publisher.feed, where);
  }
  const std::pair<const QList<Grouping> *, const char *> groupings[] = {
      {&fCatalog.channels, "channel"},
      {&fCatalog.categories, "category"},
      {&fCatalog.series, "series"},
  };
  for (const auto &[list, what] : groupings) {
    for (const Grouping &grouping : *list) {
      const QString where = QStringLiteral("%1 \"%2\"").arg(what, grouping.id);
      checkImage(grouping.thumbnail, where);
      checkFeed(grouping.feed, where);
    }
  }
  for (const Tag &tag : fCatalog.tags)
    checkFeed(tag.feed, QStringLiteral("tag \"%1\"").arg(tag.name));

  for (const Video &video : fCatalog.videos) {
    const QString where = QStringLiteral("video \"%1\"").arg(video.permalink);
    checkImage(video.icon, where);
    if (!video.publisher.isEmpty() && !fCatalog.publisher(video.publisher))
      fail(QStringLiteral("%1: unknown publisher \"%2\"").arg(where, video.publisher));
    if (!video.channel.isEmpty() && !fCatalog.channel(video.channel))
      fail(QStringLiteral("%1: unknown channel \"%2\"").arg(where, video.channel));
    if (!video.series.isEmpty() && !fCatalog.seriesById(video.series))
      fail(QStringLiteral("%1: unknown series \"%2\"").arg(where, video.series));
    for (const QString &category : video.categories)
      if (!fCatalog.category(category))
        fail(QStringLiteral("%1: unknown category \"%2\"").arg(where, category));
  }
  // Tags need no declaration: a tag only a video names has no feed.
  for (const Video &video : fCatalog.videos)
    for (const QString &name : video.tags)
      if (!fCatalog.tag(name)) fCatalog.tags.append(Tag{name, QString()});
}

std::optional<Catalog> Loader::load(QString *error) {
  const QString path = QDir(fDir).filePath(QStringLiteral("catalog.json"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
  if (document.isNull() || !document.isObject()) {
    *error = QStringLiteral("%1 is not a JSON object: %2").arg(path, parseError.errorString());
    return std::nullopt;
  }
  const QJsonObject root = document.object();
  checkKeys(root,
            {"service", "images", "publishers", "channels", "categories", "tags", "series",
             "videos", "feeds", "update", "subscriptionUpgrades"},
            QStringLiteral("catalog"));
  readService(root);
  readImages(root);
  readPublishers(root);
  fCatalog.channels = readGroupings(root, "channels", "channel");
  fCatalog.categories = readGroupings(root, "categories", "category");
  readTags(root);
  fCatalog.series = readGroupings(root, "series", "series");
  if (!failed()) readVideos(root);
  if (!failed()) readFeeds(root);
  if (!failed()) readUpdate(root);
  if (!failed()) readSubscriptionUpgrades(root);
  if (!failed()) checkReferences();
  if (failed()) {
    *error = QStringLiteral("%1: %2").arg(path, fError);
    return std::nullopt;
  }
  return std::move(fCatalog);
}

template <typename T, typename Key>
const T *findIn(const QList<T> &list, const QString &wanted, Key key) {
  for (const T &item : list)
    if (item.*key == wanted) return &item;
  return nullptr;
}

}  // namespace

const Video *Catalog::videoByPermalink(const QString &permalink) const {
  return findIn(videos, permalink, &Video::permalink);
}

const Video *Catalog::videoByCacheName(const QString &name) const {
  for (const Video &video : videos)
    if (video.cacheName() == name) return &video;
  return nullptr;
}

const Publisher *Catalog::publisher(const QString &id) const {
  return findIn(publishers, id, &Publisher::id);
}
const Grouping *Catalog::channel(const QString &id) const {
  return findIn(channels, id, &Grouping::id);
}
const Grouping *Catalog::category(const QString &id) const {
  return findIn(categories, id, &Grouping::id);
}
const Grouping *Catalog::seriesById(const QString &id) const {
  return findIn(series, id, &Grouping::id);
}
const Tag *Catalog::tag(const QString &name) const { return findIn(tags, name, &Tag::name); }
const Feed *Catalog::feed(const QString &id) const { return findIn(feeds, id, &Feed::id); }

std::optional<Catalog> loadCatalog(const QString &dir, QString *error) {
  return Loader(dir).load(error);
}

QString defaultFileHash(const QString &permalink) {
  return QString::fromLatin1(
      QCryptographicHash::hash(permalink.toUtf8(), QCryptographicHash::Sha1).toHex().left(32));
}

QString addBigFile(Catalog &catalog, uint64_t sizeMiB) {
  const QString permalink = QStringLiteral("big-%1mb").arg(sizeMiB);
  if (catalog.videoByPermalink(permalink)) return permalink;
  if (!catalog.images.contains(QLatin1String(kBigFileIcon))) {
    // A tiny placeholder thumbnail, compiled in with the demo files.
    QFile icon(QStringLiteral(":/demo/images/avatar-blue.jpg"));
    const QByteArray bytes = icon.open(QIODevice::ReadOnly) ? icon.readAll() : QByteArray();
    catalog.images.insert(QLatin1String(kBigFileIcon), memoryBody(bytes.toStdString()));
  }
  Video video;
  video.permalink = permalink;
  qint64 highest = 1000;
  for (const Video &other : catalog.videos) highest = std::max(highest, other.videoId);
  video.videoId = highest + 1;
  video.title = QStringLiteral("Big file %1 MiB").arg(sizeMiB);
  video.description =
      QStringLiteral("Generated content of %1 MiB for transfer tests.").arg(sizeMiB);
  video.reviewState = QStringLiteral("approved");
  video.fileHash = defaultFileHash(permalink);
  video.extension = QStringLiteral(".mp4");
  video.media = patternBody(patternSeed(permalink.toStdString()), sizeMiB * 1024 * 1024);
  video.icon = QLatin1String(kBigFileIcon);
  video.published = utcDate(QLatin1String(kDefaultDate));
  catalog.videos.append(video);
  return permalink;
}

}  // namespace zsvc
