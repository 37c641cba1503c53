// The feed model: a subscribed feed with its items, as read from a feed
// document of the service's RSS dialect or rebuilt from the library's Feeds
// and FeedItems rows.
//
// Items are shared objects: the feed owns its list, and the subscription
// manager hands the same item objects to the download queue (as the
// represented object of a feed-item download, wrapped in a QVariant).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <memory>

class ZXMLElement;
class ZXMLParser;

// One item of a feed. Text accessors marked "or empty" answer "" while the
// value is unset (a null QString); their setters accept a null QString.
class ZFeedItemObject {
 public:
  ZFeedItemObject() = default;
  ZFeedItemObject(const ZFeedItemObject &) = default;
  ZFeedItemObject &operator=(const ZFeedItemObject &) = default;

  int id() const { return fId; }  // FeedItems row id, 0 until loaded from the library
  void setId(int id) { fId = id; }
  int feedId() const { return fFeedId; }
  void setFeedId(int feedId) { fFeedId = feedId; }
  int videoId() const { return fVideoId; }  // library id of the downloaded video
  void setVideoId(int videoId) { fVideoId = videoId; }
  int duration() const { return fDuration; }  // seconds
  void setDuration(int duration) { fDuration = duration; }
  int source() const { return fSource; }
  void setSource(int source) { fSource = source; }

  QString title() const { return fTitle; }
  void setTitle(const QString &title) { fTitle = title; }
  // The service's permalink of the item's video; only items with one are
  // downloadable. Null while unset.
  QString videoPermalink() const { return fVideoPermalink; }
  void setVideoPermalink(const QString &permalink) { fVideoPermalink = permalink; }

  QString description() const { return orEmpty(fDescription); }
  void setDescription(const QString &description) { fDescription = description; }
  QString publisher() const { return orEmpty(fPublisher); }
  void setPublisher(const QString &publisher) { fPublisher = publisher; }
  QString website() const { return orEmpty(fWebsite); }
  void setWebsite(const QString &website) { fWebsite = website; }
  QString url() const { return orEmpty(fUrl); }  // the media address (enclosure)
  void setUrl(const QString &url) { fUrl = url; }
  QString guid() const { return orEmpty(fGuid); }
  void setGuid(const QString &guid) { fGuid = guid; }
  // Already in the library's date form ("%Y-%m-%d %H:%M:%S").
  QString publishDate() const { return orEmpty(fPublishDate); }
  void setPublishDate(const QString &date) { fPublishDate = date; }

  QStringList categories() const { return fCategories; }
  void addCategory(const QString &category) { fCategories.append(category); }
  QStringList tags() const { return fTags; }
  void addTag(const QString &tag) { fTags.append(tag); }
  QString categoriesAsString() const;  // joined with ", "
  QString tagsAsString() const;

 private:
  static QString orEmpty(const QString &text) { return text.isNull() ? QStringLiteral("") : text; }

  int fId = 0;
  int fFeedId = 0;
  int fVideoId = 0;
  QString fTitle;
  QString fDescription;
  QString fPublisher;
  QString fWebsite;
  int fDuration = 0;
  QString fGuid;
  QString fPublishDate;
  QString fUrl;
  QString fVideoPermalink;
  QStringList fCategories;
  QStringList fTags;
  int fSource = 0;
};

using ZFeedItemRef = std::shared_ptr<ZFeedItemObject>;
Q_DECLARE_METATYPE(ZFeedItemRef)

// One feed with its items in document order.
class ZFeedObject {
 public:
  ZFeedObject() = default;
  virtual ~ZFeedObject() = default;
  ZFeedObject(const ZFeedObject &) = delete;
  ZFeedObject &operator=(const ZFeedObject &) = delete;

  // Reads a feed document. Only the service's dialect is accepted: the root
  // must be "rss" and declare the "xmlns:zaro" prefix. Anything else, and any
  // text that is not well-formed XML, gives nullptr. The feed is a
  // ZZaroRSSFeedObject. The document as fetched: its bytes, read in the
  // encoding it declares (UTF-8 when it declares none).
  // A document that is no such feed gives null, and why in *whyNot.
  static std::unique_ptr<ZFeedObject> createFromXML(const QByteArray &document,
                                                    QString *whyNot = nullptr);
  // The same for a document that was decoded already.
  static std::unique_ptr<ZFeedObject> createFromXML(const QString &xml);

  // Takes a Feeds row ("Title", "Description", "Publisher", "Website",
  // "Permalink", "Url", "id", "Source", "Categories"). False, leaving the
  // feed as it was, when "Title" is absent or empty.
  bool initWithInfo(const QHash<QString, QString> &info);

  int id() const { return fId; }  // Feeds row id, 0 until stored
  // Also gives every item already in the feed this feed id.
  void setId(int id);
  int source() const { return fSource; }
  void setSource(int source) { fSource = source; }

  QString title() const { return fTitle; }  // null while unset
  void setTitle(const QString &title) { fTitle = title; }
  QString description() const { return orEmpty(fDescription); }
  void setDescription(const QString &description) { fDescription = description; }
  QString publisher() const { return orEmpty(fPublisher); }
  void setPublisher(const QString &publisher) { fPublisher = publisher; }
  QString website() const { return orEmpty(fWebsite); }
  void setWebsite(const QString &website) { fWebsite = website; }
  QString permalink() const { return orEmpty(fPermalink); }
  void setPermalink(const QString &permalink) { fPermalink = permalink; }
  QString url() const { return orEmpty(fUrl); }
  void setUrl(const QString &url) { fUrl = url; }

  QStringList categories() const { return fCategories; }
  void addCategory(const QString &category) { fCategories.append(category); }
  QString categoriesAsString() const;  // joined with ", "

  // A copy of the list; the items themselves are shared.
  QList<ZFeedItemRef> items() const { return fItems; }
  qsizetype itemCount() const { return fItems.size(); }
  void addFeedItem(ZFeedItemRef item);

 private:
  static QString orEmpty(const QString &text) { return text.isNull() ? QStringLiteral("") : text; }
  static std::unique_ptr<ZFeedObject> fromDocument(ZXMLParser &parser, QString *whyNot = nullptr);

  int fId = 0;
  QString fTitle;
  QString fDescription;
  QString fPublisher;
  QString fWebsite;
  QString fPermalink;
  QString fUrl;
  int fSource = 0;
  QStringList fCategories;
  QList<ZFeedItemRef> fItems;
};

// A feed read from a document of the service's RSS dialect.
class ZZaroRSSFeedObject : public ZFeedObject {
 public:
  ZZaroRSSFeedObject() = default;

  // Reads the channel and its items from the document's root element. A
  // document without a channel leaves the feed empty (and its title unset).
  void initWithFeed(const ZXMLElement &root);
};

// The pieces of a stored ", "-joined list. An empty text holds no pieces.
QStringList splitStoredList(const QString &text);
