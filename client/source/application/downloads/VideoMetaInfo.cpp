#include "VideoMetaInfo.h"

#include "ZXMLElement.h"
#include "ZXMLParser.h"

#include <QVariantList>

#include <algorithm>

namespace {

// The text of the element's first child of that name; nothing when absent.
std::optional<QString> childText(const ZXMLElement &element, QLatin1String name) {
  const ZXMLElement *child = element.firstChildNamed(name);
  if (!child) return std::nullopt;
  return child->stringValue();
}

std::optional<QString> trimmedChildText(const ZXMLElement &element, QLatin1String name) {
  std::optional<QString> text = childText(element, name);
  if (text) *text = text->trimmed();
  return text;
}

// The trimmed text of the first child of that name, the empty text when absent.
QString trimmedOrEmpty(const ZXMLElement &element, QLatin1String name) {
  return trimmedChildText(element, name).value_or(QString(QLatin1String("")));
}

const QLatin1String kSimpleKeys[] = {
    QLatin1String("Title"),  QLatin1String("VideoId"),       QLatin1String("PermalinkId"),
    QLatin1String("IconId"), QLatin1String("Description"),   QLatin1String("Duration"),
    QLatin1String("Size"),   QLatin1String("ContentRating"), QLatin1String("ReviewState"),
    QLatin1String("Rating"), QLatin1String("Extension"),
};

// "Title", "Link", "FeedUrl", "PermalinkId", "Description", "Thumbnail" of a
// category or series element, trimmed, absent ones empty.
QVariantMap groupInfo(const ZXMLElement &element) {
  QVariantMap info;
  for (QLatin1String key :
       {QLatin1String("Title"), QLatin1String("Link"), QLatin1String("FeedUrl"),
        QLatin1String("PermalinkId"), QLatin1String("Description"), QLatin1String("Thumbnail")})
    info.insert(key, trimmedOrEmpty(element, key));
  return info;
}

void readPublisher(const ZXMLElement &queueEntry, VideoMetaInfo &info) {
  const ZXMLElement *publisher = queueEntry.firstChildNamed(QLatin1String("Publisher"));
  if (!publisher) return;
  const std::optional<QString> name = trimmedChildText(*publisher, QLatin1String("Name"));
  if (!name) return;
  QVariantMap values;
  values.insert(QStringLiteral("Name"), *name);
  for (QLatin1String key :
       {QLatin1String("PermalinkId"), QLatin1String("Description"), QLatin1String("Thumbnail"),
        QLatin1String("Link"), QLatin1String("FeedUrl")})
    values.insert(key, trimmedOrEmpty(*publisher, key));
  info.insert(QStringLiteral("Publisher"), values);
}

void readTags(const ZXMLElement &video, VideoMetaInfo &info) {
  const ZXMLElement *tags = video.firstChildNamed(QLatin1String("Tags"));
  if (!tags) return;
  const QList<ZXMLElement *> tagElements = tags->elementsForName(QLatin1String("Tag"));
  if (tagElements.isEmpty()) return;
  QVariantList list;
  for (const ZXMLElement *tag : tagElements) {
    QVariantMap values;
    if (const std::optional<QString> name = trimmedChildText(*tag, QLatin1String("Name"))) {
      values.insert(QStringLiteral("Name"), *name);
      values.insert(QStringLiteral("Link"), trimmedOrEmpty(*tag, QLatin1String("Link")));
      values.insert(QStringLiteral("FeedUrl"), trimmedOrEmpty(*tag, QLatin1String("FeedUrl")));
    } else {
      const QString text = tag->stringValue();
      if (text.isEmpty()) continue;
      values.insert(QStringLiteral("Name"), text);
      values.insert(QStringLiteral("Link"), QString(QLatin1String("")));
      values.insert(QStringLiteral("FeedUrl"), QString(QLatin1String("")));
    }
    list.append(values);
  }
  info.insert(QStringLiteral("Tags"), list);
}

void readChannel(const ZXMLElement &video, VideoMetaInfo &info) {
  const ZXMLElement *channel = video.firstChildNamed(QLatin1String("Channel"));
  if (!channel) return;
  const std::optional<QString> title = trimmedChildText(*channel, QLatin1String("Title"));
  const std::optional<QString> permalink = trimmedChildText(*channel, QLatin1String("PermalinkId"));
  if (!title || !permalink) return;
  QVariantMap values;
  values.insert(QStringLiteral("Title"), *title);
  values.insert(QStringLiteral("PermalinkId"), *permalink);
  for (QLatin1String key : {QLatin1String("Description"), QLatin1String("Thumbnail"),
                            QLatin1String("Link"), QLatin1String("FeedUrl")})
    values.insert(key, trimmedOrEmpty(*channel, key));
  info.insert(QStringLiteral("Channel"), values);
}

void readCategories(const ZXMLElement &video, VideoMetaInfo &info) {
  const ZXMLElement *categories = video.firstChildNamed(QLatin1String("Categories"));
  if (!categories) return;
  const QList<ZXMLElement *> elements = categories->elementsForName(QLatin1String("Category"));
  if (elements.isEmpty()) return;
  QVariantList list;
  for (const ZXMLElement *category : elements) {
    if (category->firstChildNamed(QLatin1String("Title"))) {
      list.append(groupInfo(*category));
      continue;
    }
    const QString text = category->stringValue();
    if (text.isEmpty()) continue;
    QVariantMap values;
    for (QLatin1String key :
         {QLatin1String("Link"), QLatin1String("FeedUrl"), QLatin1String("PermalinkId"),
          QLatin1String("Description"), QLatin1String("Thumbnail")})
      values.insert(key, QString(QLatin1String("")));
    values.insert(QStringLiteral("Title"), text);
    list.append(values);
  }
  info.insert(QStringLiteral("Categories"), list);
}

void readSeries(const ZXMLElement &video, VideoMetaInfo &info) {
  const ZXMLElement *series = video.firstChildNamed(QLatin1String("Series"));
  if (series) info.insert(QStringLiteral("Series"), groupInfo(*series));
}

std::optional<VideoMetaInfo> readParsed(ZXMLParser &parser, QString *whyNot = nullptr) {
  const ZXMLElement *root = parser.parse();
  if (!root) {
    if (whyNot) *whyNot = parser.errorDescription();
    return std::nullopt;
  }

  VideoMetaInfo info;
  const ZXMLElement *queueEntry = root->firstChildNamed(QLatin1String("QueueEntry"));
  if (!queueEntry) return info;

  readPublisher(*queueEntry, info);

  const ZXMLElement *video = queueEntry->firstChildNamed(QLatin1String("Video"));
  if (!video) return info;
  for (QLatin1String key : kSimpleKeys) {
    if (const std::optional<QString> text = childText(*video, key)) info.insert(key, *text);
  }
  if (const std::optional<QString> hash = trimmedChildText(*video, QLatin1String("FileHash")))
    info.insert(QStringLiteral("FileHash"), *hash);

  readTags(*video, info);
  readChannel(*video, info);
  readCategories(*video, info);
  readSeries(*video, info);
  return info;
}

}  // namespace

std::optional<VideoMetaInfo> readVideoMetaInfo(const QByteArray &document, QString *whyNot) {
  ZXMLParser parser(document);
  return readParsed(parser, whyNot);
}

std::optional<VideoMetaInfo> readVideoMetaInfo(const QString &xml) {
  ZXMLParser parser(xml);
  return readParsed(parser);
}

QString keptMetaInfoText(const QByteArray &body) { return QString::fromLatin1(body); }

std::optional<VideoMetaInfo> readKeptVideoMetaInfo(const QString &kept) {
  const bool bytes =
      std::all_of(kept.cbegin(), kept.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
  return bytes ? readVideoMetaInfo(kept.toLatin1()) : readVideoMetaInfo(kept);
}
