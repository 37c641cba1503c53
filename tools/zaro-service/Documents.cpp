#include "Documents.h"

#include <QStringList>

#include <initializer_list>
#include <utility>

#include "Query.h"

namespace zsvc {

namespace {

using Attributes = std::initializer_list<std::pair<const char *, QString>>;

QString escapeXml(const QString &text, bool attribute) {
  QString out;
  out.reserve(text.size() + 16);
  for (const char32_t c : text.toUcs4()) {
    switch (c) {
      case '&':
        out += QLatin1String("&amp;");
        continue;
      case '<':
        out += QLatin1String("&lt;");
        continue;
      case '>':
        out += QLatin1String("&gt;");
        continue;
      case '"':
        out += attribute ? QLatin1String("&quot;") : QLatin1String("\"");
        continue;
      default:
        break;
    }
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;  // not allowed in XML 1.0
    if (c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) continue;
    // Written as it is; the answer's encoding is applied to the whole document.
    if (c < 0x10000) {
      out += QChar(static_cast<char16_t>(c));
    } else {
      out += QChar(QChar::highSurrogate(c));
      out += QChar(QChar::lowSurrogate(c));
    }
  }
  return out;
}

constexpr char kUtf8Declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Writes an indented document element by element.
class XmlWriter {
 public:
  XmlWriter() { fOut = QLatin1String(kUtf8Declaration); }

  void start(const char *name, Attributes attributes = {}) {
    indent();
    fOut +=
        QLatin1Char('<') + QLatin1String(name) + attributeText(attributes) + QLatin1String(">\n");
    fOpen.append(QLatin1String(name));
  }
  void end() {
    const QString name = fOpen.takeLast();
    indent();
    fOut += QLatin1String("</") + name + QLatin1String(">\n");
  }
  void text(const char *name, const QString &value, Attributes attributes = {}) {
    indent();
    fOut += QLatin1Char('<') + QLatin1String(name) + attributeText(attributes) + QLatin1Char('>') +
            escapeXml(value, false) + QLatin1String("</") + QLatin1String(name) +
            QLatin1String(">\n");
  }
  void text(const char *name, qint64 value) { text(name, QString::number(value)); }
  void empty(const char *name, Attributes attributes) {
    indent();
    fOut +=
        QLatin1Char('<') + QLatin1String(name) + attributeText(attributes) + QLatin1String("/>\n");
  }
  std::string finish() {
    while (!fOpen.isEmpty()) end();
    return fOut.toStdString();
  }

 private:
  void indent() { fOut += QString(fOpen.size() * 2, QLatin1Char(' ')); }
  static QString attributeText(Attributes attributes) {
    QString out;
    for (const auto &[name, value] : attributes)
      out += QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"") +
             escapeXml(value, true) + QLatin1Char('"');
    return out;
  }

  QString fOut;
  QStringList fOpen;
};

void writeGrouping(XmlWriter &xml, const char *element, const Grouping &grouping,
                   const char *pageKind, const Urls &urls) {
  xml.start(element);
  xml.text("Title", grouping.title);
  xml.text("PermalinkId", grouping.id);
  xml.text("Description", grouping.description);
  xml.text("Thumbnail", urls.imageOrEmpty(grouping.thumbnail));
  xml.text("Link", urls.listPage(pageKind, grouping.id));
  xml.text("FeedUrl", urls.feedOrEmpty(grouping.feed));
  xml.end();
}

constexpr const char *kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char *kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::optional<XmlEncoding> xmlEncodingNamed(const QString &name) {
  const QString upper = name.toUpper();
  if (upper == QLatin1String("UTF-8")) return XmlEncoding::Utf8;
  if (upper == QLatin1String("ISO-8859-1")) return XmlEncoding::Latin1;
  if (upper == QLatin1String("US-ASCII")) return XmlEncoding::UsAscii;
  return std::nullopt;
}

std::string charsetOf(XmlEncoding encoding) {
  switch (encoding) {
    case XmlEncoding::Latin1:
      return "iso-8859-1";
    case XmlEncoding::UsAscii:
      return "us-ascii";
    case XmlEncoding::References:
    case XmlEncoding::Utf8:
      break;
  }
  return "utf-8";
}

std::string encodedDocument(const std::string &utf8Document, XmlEncoding encoding) {
  if (encoding == XmlEncoding::Utf8) return utf8Document;
  // Only text and attribute values hold characters beyond ASCII (names,
  // comments and instructions are ASCII), so a reference may stand for any.
  const char32_t last = encoding == XmlEncoding::Latin1 ? 0xFF : 0x7F;
  std::string body = utf8Document;
  std::string declaration;
  if (body.rfind(kUtf8Declaration, 0) == 0) {
    body.erase(0, sizeof(kUtf8Declaration) - 1);
    declaration = kUtf8Declaration;
    if (encoding == XmlEncoding::Latin1)
      declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";
    if (encoding == XmlEncoding::UsAscii)
      declaration = "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n";
  }
  std::string out = declaration;
  out.reserve(out.size() + body.size());
  // The writers' UTF-8 is well-formed: each sequence is read as it stands.
  for (size_t i = 0; i < body.size();) {
    const auto byte = static_cast<unsigned char>(body[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    char32_t c = byte & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < body.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(body[i + k]) & 0x3F);
    i += length;
    if (c <= last)
      out += static_cast<char>(c);
    else
      out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ';';
  }
  return out;
}

QString urlComponent(const QString &text) {
  return QString::fromStdString(urlEncode(text.toStdString()));
}

QString formEncoded(const QString &text) {
  return QString::fromStdString(formEncode(text.toStdString()));
}

QString Urls::feed(const QString &feedId) const {
  return fBase + QLatin1String("/service/rss.xml?feedId=") + urlComponent(feedId);
}
QString Urls::image(const QString &imageId) const {
  return fBase + QLatin1String("/image.out?imageId=") + urlComponent(imageId);
}
QString Urls::videoPage(const QString &permalink) const {
  return fBase + QLatin1String("/videos/") + urlComponent(permalink);
}
QString Urls::listPage(const char *kind, const QString &id) const {
  return fBase + QLatin1Char('/') + QLatin1String(kind) + QLatin1Char('/') + urlComponent(id);
}
QString Urls::videoFile(const Video &video) const {
  return fBase + QLatin1String("/cache/external/") + urlComponent(video.cacheName()) +
         QLatin1String("?permalinkId=") + urlComponent(video.permalink);
}
QString Urls::updateFile(const QString &fileName) const {
  return fBase + QLatin1String("/downloads/") + urlComponent(fileName);
}
QString Urls::feedOrEmpty(const QString &feedId) const {
  return feedId.isEmpty() ? QString() : feed(feedId);
}
QString Urls::imageOrEmpty(const QString &imageId) const {
  return imageId.isEmpty() ? QString() : image(imageId);
}

QString rssDate(const QDateTime &date) {
  const QDateTime utc = date.toUTC();
  const QDate day = utc.date();
  return QStringLiteral("%1,%2 %3 %4 %5 GMT")
      .arg(QLatin1String(kWeekdays[day.dayOfWeek() - 1]))
      .arg(day.day(), 2, 10, QLatin1Char('0'))
      .arg(QLatin1String(kMonths[day.month() - 1]))
      .arg(day.year(), 4, 10, QLatin1Char('0'))
      .arg(utc.time().toString(QStringLiteral("HH:mm:ss")));
}

int compareVersions(const QString &a, const QString &b) {
  const QStringList left = a.split(QLatin1Char('.'));
  const QStringList right = b.split(QLatin1Char('.'));
  for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
    const qlonglong x = i < left.size() ? left[i].toLongLong() : 0;
    const qlonglong y = i < right.size() ? right[i].toLongLong() : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

std::string mimeTypeForExtension(const QString &extension) {
  static const std::pair<const char *, const char *> kTypes[] = {
      {"mp4", "video/mp4"},
      {"m4v", "video/x-m4v"},
      {"mov", "video/quicktime"},
      {"flv", "video/x-flv"},
      {"webm", "video/webm"},
      {"mkv", "video/x-matroska"},
      {"avi", "video/x-msvideo"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"png", "image/png"},
      {"gif", "image/gif"},
      {"txt", "text/plain; charset=utf-8"},
      {"dmg", "application/x-apple-diskimage"},
      {"gz", "application/gzip"},
      {"deb", "application/vnd.debian.binary-package"},
  };
  QString suffix = extension.toLower();
  if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  for (const auto &[ext, type] : kTypes)
    if (suffix == QLatin1String(ext)) return type;
  return "application/octet-stream";
}

std::string accessKeyDocument(const QString &accessKey) {
  XmlWriter xml;
  xml.start("Response");
  xml.text("AccessKey", formEncoded(accessKey));
  return xml.finish();
}

std::string mediaInfoDocument(const Catalog &catalog, const QList<const Video *> &videos,
                              const Urls &urls) {
  XmlWriter xml;
  xml.start("MediaInfo");
  for (const Video *video : videos) {
    xml.start("QueueEntry");
    if (const Publisher *publisher = catalog.publisher(video->publisher)) {
      xml.start("Publisher");
      xml.text("PermalinkId", publisher->id);
      xml.text("Name", publisher->name);
      xml.text("Description", publisher->description);
      xml.text("Thumbnail", urls.imageOrEmpty(publisher->thumbnail));
      xml.text("Link", urls.listPage("publishers", publisher->id));
      xml.text("FeedUrl", urls.feedOrEmpty(publisher->feed));
      xml.end();
    }
    xml.start("Video");
    xml.text("Title", video->title);
    xml.text("VideoId", video->videoId);
    xml.text("PermalinkId", video->permalink);
    xml.text("IconId", video->icon);
    xml.text("Description", video->description);
    xml.text("Duration", video->duration);
    xml.text("FileHash", video->fileHash);
    xml.text("Size", static_cast<qint64>(video->media->size()));
    xml.text("ContentRating", video->contentRating);
    xml.text("ReviewState", video->reviewState);
    xml.text("Rating", video->rating);
    xml.text("Extension", video->extension);
    if (!video->tags.isEmpty()) {
      xml.start("Tags");
      for (const QString &name : video->tags) {
        const Tag *tag = catalog.tag(name);
        xml.start("Tag");
        xml.text("Name", name);
        xml.text("Link", urls.listPage("tags", name));
        xml.text("FeedUrl", urls.feedOrEmpty(tag ? tag->feed : QString()));
        xml.end();
      }
      xml.end();
    }
    if (const Grouping *channel = catalog.channel(video->channel))
      writeGrouping(xml, "Channel", *channel, "channels", urls);
    if (!video->categories.isEmpty()) {
      xml.start("Categories");
      for (const QString &id : video->categories)
        if (const Grouping *category = catalog.category(id))
          writeGrouping(xml, "Category", *category, "categories", urls);
      xml.end();
    }
    if (const Grouping *series = catalog.seriesById(video->series))
      writeGrouping(xml, "Series", *series, "series", urls);
    xml.end();  // Video
    xml.end();  // QueueEntry
  }
  return xml.finish();
}

std::string updateDocument(const UpdateOffer *offer, const Urls &urls) {
  XmlWriter xml;
  xml.start("UpdateInfo");
  xml.text("HaveUpdate", offer ? 1 : 0);
  if (offer) {
    xml.start("Update");
    xml.text("Version", offer->version);
    xml.text("Url", offer->url.isEmpty() ? urls.updateFile(offer->fileName) : offer->url);
    xml.text("Checksum", offer->checksum);
    xml.text("Required", offer->required ? 1 : 0);
    xml.end();
  }
  return xml.finish();
}

std::string subscriptionsDocument(const QList<QString> &feedUrls) {
  XmlWriter xml;
  xml.start("Response");
  xml.start("Subscriptions");
  for (const QString &url : feedUrls) xml.empty("Subscription", {{"rssUrl", formEncoded(url)}});
  return xml.finish();
}

std::string rssDocument(const Catalog &catalog, const Feed &feed, const Urls &urls) {
  XmlWriter xml;
  xml.start("rss", {{"version", QStringLiteral("2.0")},
                    {"xmlns:itunes", QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd")},
                    {"xmlns:zaro", QStringLiteral("http://zaro.example/rss/1.0")}});
  xml.start("channel");
  xml.text("title", feed.title);
  QString link = feed.link;
  if (link.isEmpty())
    link = feed.permalink.isEmpty() || !catalog.channel(feed.permalink)
               ? urls.home()
               : urls.listPage("channels", feed.permalink);
  xml.text("link", link);
  xml.text("description", feed.description);
  xml.text("language", QStringLiteral("en-us"));
  if (!feed.author.isEmpty()) xml.text("itunes:author", feed.author);
  for (const QString &category : feed.categories)
    xml.empty("itunes:category", {{"text", category}});
  if (!feed.permalink.isEmpty()) xml.text("zaro:permalinkId", feed.permalink);

  for (const FeedItem &item : feed.items) {
    const Video *video = catalog.videoByPermalink(item.video);
    if (!video) continue;
    xml.start("item");
    xml.text("title", video->title);
    xml.text("link", urls.videoPage(video->permalink));
    xml.text("description", video->description);
    if (const Publisher *publisher = catalog.publisher(video->publisher))
      xml.text("itunes:author", publisher->name);
    xml.text("guid", QStringLiteral("zaro-video-") + video->permalink,
             {{"isPermaLink", QStringLiteral("false")}});
    xml.text("pubDate", rssDate(item.published));
    xml.empty("enclosure",
              {{"url", urls.videoFile(*video)},
               {"length", QString::number(video->media->size())},
               {"type", QString::fromStdString(mimeTypeForExtension(video->extension))}});
    // Plain seconds: the player reads only the leading number of this text.
    xml.text("itunes:duration", video->duration);
    for (const QString &id : video->categories)
      if (const Grouping *category = catalog.category(id)) xml.text("category", category->title);
    if (!video->tags.isEmpty()) xml.text("itunes:keywords", video->tags.join(QLatin1Char(' ')));
    xml.text("zaro:permalinkId", video->permalink);
    xml.end();
  }
  return xml.finish();
}

std::string statusDocument(const QString &status) {
  XmlWriter xml;
  xml.start("Response");
  xml.text("Status", status);
  return xml.finish();
}

}  // namespace zsvc
