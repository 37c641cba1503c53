#include "ZFeedObject.h"

#include <algorithm>
#include <limits>

#include "DateUtilities.h"
#include "StringExtensions.h"
#include "ZXMLParser.h"

namespace {

const QString kListSeparator = QStringLiteral(", ");

int clampToInt(qint64 value) {
  return int(
      std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A stored number as the library reads it: the leading integer, 0 without one.
int intFromText(const QString &text) { return clampToInt(integerNumber(text).value_or(0)); }

// The stored form of a list: the pieces joined with ", ", "" (never a null
// text) for none.
QString joinList(const QStringList &list) {
  return list.isEmpty() ? QStringLiteral("") : list.join(kListSeparator);
}

QString textOf(const ZXMLElement *element) { return element->stringValue(); }

}  // namespace

QStringList splitStoredList(const QString &text) {
  // Joining an empty list gives "": read back, that is no pieces rather
  // than one empty name.
  if (text.isEmpty()) return {};
  return text.split(kListSeparator);
}

// ---- items --------------------------------------------------------------------------

QString ZFeedItemObject::categoriesAsString() const { return joinList(fCategories); }

QString ZFeedItemObject::tagsAsString() const { return joinList(fTags); }

// ---- feeds --------------------------------------------------------------------------

std::unique_ptr<ZFeedObject> ZFeedObject::createFromXML(const QByteArray &document,
                                                        QString *whyNot) {
  ZXMLParser parser(document);
  return fromDocument(parser, whyNot);
}

std::unique_ptr<ZFeedObject> ZFeedObject::createFromXML(const QString &xml) {
  ZXMLParser parser(xml);
  return fromDocument(parser);
}

std::unique_ptr<ZFeedObject> ZFeedObject::fromDocument(ZXMLParser &parser, QString *whyNot) {
  const ZXMLElement *root = parser.parse();
  if (!root) {
    if (whyNot) *whyNot = QStringLiteral("not XML: ") + parser.errorDescription();
    return nullptr;
  }
  // Only the service's own dialect: other RSS feeds and Atom documents are
  // refused here, before anything is read.
  if (root->qualifiedName() != QLatin1String("rss") ||
      !root->hasAttributeWithQualifiedName(QLatin1String("xmlns:zaro"))) {
    if (whyNot)
      *whyNot =
          QStringLiteral("not an RSS feed of the service (root <%1>)").arg(root->qualifiedName());
    return nullptr;
  }
  auto feed = std::make_unique<ZZaroRSSFeedObject>();
  feed->initWithFeed(*root);
  return feed;
}

bool ZFeedObject::initWithInfo(const QHash<QString, QString> &info) {
  const QString title = info.value(QStringLiteral("Title"));
  if (title.isEmpty()) return false;
  fTitle = title;
  fDescription = info.value(QStringLiteral("Description"));
  fPublisher = info.value(QStringLiteral("Publisher"));
  fWebsite = info.value(QStringLiteral("Website"));
  fPermalink = info.value(QStringLiteral("Permalink"));
  fUrl = info.value(QStringLiteral("Url"));
  setId(intFromText(info.value(QStringLiteral("id"))));
  fSource = intFromText(info.value(QStringLiteral("Source")));
  const auto categories = info.constFind(QStringLiteral("Categories"));
  if (categories != info.cend())
    for (const QString &category : splitStoredList(*categories)) addCategory(category);
  return true;
}

void ZFeedObject::setId(int id) {
  fId = id;
  for (const ZFeedItemRef &item : std::as_const(fItems)) item->setFeedId(id);
}

QString ZFeedObject::categoriesAsString() const { return joinList(fCategories); }

void ZFeedObject::addFeedItem(ZFeedItemRef item) {
  if (item) fItems.append(std::move(item));
}

// ---- reading the service's RSS dialect ------------------------------------------------

void ZZaroRSSFeedObject::initWithFeed(const ZXMLElement &root) {
  const ZXMLElement *channel = root.firstChildNamed(QLatin1String("channel"));
  if (!channel) return;

  if (const ZXMLElement *e = channel->firstChildNamed(QLatin1String("link"))) setWebsite(textOf(e));
  if (const ZXMLElement *e = channel->firstChildNamed(QLatin1String("title"))) setTitle(textOf(e));
  if (const ZXMLElement *e = channel->firstChildNamed(QLatin1String("description")))
    setDescription(textOf(e));
  if (const ZXMLElement *e = channel->firstChildNamed(QLatin1String("itunes:author")))
    setPublisher(textOf(e));
  const QLatin1String textAttribute("text");
  for (const ZXMLElement *category : channel->elementsForName(QLatin1String("itunes:category")))
    if (category->hasAttributeWithQualifiedName(textAttribute))
      addCategory(category->valueForAttributeWithQualifiedName(textAttribute));
  if (const ZXMLElement *e = channel->firstChildNamed(QLatin1String("zaro:permalinkId")))
    setPermalink(textOf(e));

  for (const ZXMLElement *element : channel->elementsForName(QLatin1String("item"))) {
    const ZXMLElement *title = element->firstChildNamed(QLatin1String("title"));
    if (!title) continue;

    // The media address: the enclosure's text, else its url attribute; an
    // item without an enclosure may name it in a url element instead.
    QString address;
    if (const ZXMLElement *enclosure = element->firstChildNamed(QLatin1String("enclosure"))) {
      address = textOf(enclosure);
      if (address.isEmpty())
        address = enclosure->valueForAttributeWithQualifiedName(QLatin1String("url"));
    } else if (const ZXMLElement *url = element->firstChildNamed(QLatin1String("url"))) {
      address = textOf(url);
    }

    auto item = std::make_shared<ZFeedItemObject>();
    item->setTitle(textOf(title));
    item->setUrl(address);
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("description")))
      item->setDescription(textOf(e));
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("itunes:author")))
      item->setPublisher(textOf(e));
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("link")))
      item->setWebsite(textOf(e));
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("guid")))
      item->setGuid(textOf(e));
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("pubDate"))) {
      // A date the conversion cannot read leaves the publish date unset.
      const QString date = Utilities::convertDateFromHtmlDateFormat(textOf(e));
      if (!date.isEmpty()) item->setPublishDate(date);
    }
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("itunes:duration")))
      item->setDuration(intFromText(textOf(e)));  // "12:30" reads as 12
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("zaro:permalinkId")))
      item->setVideoPermalink(textOf(e));

    for (const ZXMLElement *category : element->elementsForName(QLatin1String("category")))
      item->addCategory(textOf(category).trimmed());
    if (const ZXMLElement *e = element->firstChildNamed(QLatin1String("itunes:keywords"))) {
      const QStringList words = textOf(e).trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
      for (const QString &word : words) item->addTag(word);
    }
    addFeedItem(std::move(item));
  }
}
