#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

#include "Body.h"

namespace zsvc {

// A channel, category or series: the groupings the meta information names.
struct Grouping {
  QString id;  // the permalink
  QString title;
  QString description;
  QString thumbnail;  // an image id, or empty
  QString feed;       // a feed id, or empty
};

struct Publisher {
  QString id;  // the permalink
  QString name;
  QString description;
  QString thumbnail;
  QString feed;
};

struct Tag {
  QString name;
  QString feed;
};

struct Video {
  QString permalink;
  qint64 videoId = 0;
  QString title;
  QString description;
  qint64 duration = 0;  // seconds
  qint64 contentRating = 0;
  qint64 rating = 0;
  QString reviewState;
  QString fileHash;
  QString extension;  // with its leading dot
  std::shared_ptr<const BodySource> media;
  QString icon;  // image id of the thumbnail
  QString publisher;
  QString channel;
  QList<QString> categories;
  QList<QString> tags;
  QString series;
  QDateTime published;  // UTC

  // The path of the file on the cache host: fileHash + extension.
  QString cacheName() const { return fileHash + extension; }
};

struct FeedItem {
  QString video;  // permalink
  QDateTime published;
};

struct Feed {
  QString id;
  QString title;
  QString description;
  QString author;
  QString link;       // the feed's web page; empty: the channel's page or the home page
  QString permalink;  // the channel permalink the feed carries
  QList<QString> categories;
  QList<FeedItem> items;
};

struct UpdateOffer {
  QString version;
  QString url;       // absolute, when the file lies elsewhere
  QString fileName;  // served as /downloads/<fileName> when url is empty
  std::shared_ptr<const BodySource> file;
  QString checksum;
  bool required = false;
};

struct SubscriptionUpgrade {
  std::optional<QString> username;  // none: any user
  QList<QString> feeds;             // feed ids or absolute addresses
};

struct Catalog {
  QString accessKey;  // empty: a key derived from each client's GUID
  QString authToken;  // the token the web pages hand to the player
  QHash<QString, std::shared_ptr<const BodySource>> images;
  QList<Publisher> publishers;
  QList<Grouping> channels;
  QList<Grouping> categories;
  QList<Tag> tags;
  QList<Grouping> series;
  QList<Video> videos;
  QList<Feed> feeds;
  std::optional<UpdateOffer> update;
  QList<SubscriptionUpgrade> subscriptionUpgrades;

  const Video *videoByPermalink(const QString &permalink) const;
  const Video *videoByCacheName(const QString &name) const;
  const Publisher *publisher(const QString &id) const;
  const Grouping *channel(const QString &id) const;
  const Grouping *category(const QString &id) const;
  const Grouping *seriesById(const QString &id) const;
  const Tag *tag(const QString &name) const;
  const Feed *feed(const QString &id) const;
};

// Reads DIR/catalog.json (the format is described in the README); media and
// image paths are relative to DIR. nullopt with a message naming the fault
// when the file is missing or malformed, a reference is unknown, an id
// repeats or a file is missing.
std::optional<Catalog> loadCatalog(const QString &dir, QString *error);

// Adds a generated video of sizeMiB MiB, permalink "big-<N>mb", whose content
// follows patternByte with patternSeed(permalink). Returns its permalink.
QString addBigFile(Catalog &catalog, uint64_t sizeMiB);

// The file hash a video gets when the catalog names none: the first 32
// hexadecimal digits of the SHA-1 of its permalink.
QString defaultFileHash(const QString &permalink);

}  // namespace zsvc
