// The feed model and the reader of the service's RSS dialect.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <climits>
#include <memory>

#include "QtPrinters.h"
#include "ZFeedObject.h"

namespace {

QString readDataFile(const QString &name) {
  QFile file(QStringLiteral(ZARO_TEST_DATA_DIR "/feeds/") + name);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  // As the subscription manager hands a fetched body over: one byte per character.
  return QString::fromLatin1(file.readAll());
}

// A service document around the given channel content.
QString serviceDocument(const QString &channelContent) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
             "xmlns:zaro=\"http://zaro.example/rss/1.0\">\n<channel>\n") +
         channelContent + QStringLiteral("\n</channel>\n</rss>\n");
}

// The one item read from a service document holding one item with this content.
ZFeedItemRef readItem(const QString &itemContent) {
  const auto feed = ZFeedObject::createFromXML(
      serviceDocument(QStringLiteral("<item>") + itemContent + QStringLiteral("</item>")));
  if (!feed || feed->items().size() != 1) return nullptr;
  return feed->items().first();
}

}  // namespace

// ---------------------------------------------------------------------------
// Which documents are read

TEST(FeedDialect, OnlyAnRssRootDeclaringTheZaroPrefixIsRead) {
  struct Case {
    const char *name;
    const char *document;
    bool accepted;
  } const cases[] = {
      {"the service's dialect", "<rss xmlns:zaro=\"z\"><channel/></rss>", true},
      {"prefix value not examined", "<rss xmlns:zaro=\"\"/>", true},
      {"no channel at all", "<rss version=\"2.0\" xmlns:zaro=\"z\"/>", true},
      {"plain RSS 2.0", "<rss version=\"2.0\"><channel><title>t</title></channel></rss>", false},
      {"prefix declared on the channel only",
       "<rss><channel xmlns:zaro=\"z\"><title>t</title></channel></rss>", false},
      {"prefix in other case", "<rss xmlns:Zaro=\"z\"/>", false},
      {"zaro as the default namespace", "<rss xmlns=\"z\"/>", false},
      {"an attribute merely named zaro", "<rss zaro=\"z\"/>", false},
      {"root in capitals", "<RSS xmlns:zaro=\"z\"/>", false},
      {"prefixed root", "<zaro:rss xmlns:zaro=\"z\"/>", false},
      {"Atom root with the prefix",
       "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:zaro=\"z\"/>", false},
      {"not well-formed", "<rss xmlns:zaro=\"z\"><channel></rss>", false},
      {"a second root", "<rss xmlns:zaro=\"z\"/><rss xmlns:zaro=\"z\"/>", false},
      {"empty text", "", false},
      {"plain text", "rss xmlns:zaro", false},
  };
  for (const Case &c : cases) {
    const auto feed = ZFeedObject::createFromXML(QString::fromUtf8(c.document));
    EXPECT_EQ(feed != nullptr, c.accepted) << c.name;
    if (feed) {
      EXPECT_NE(dynamic_cast<ZZaroRSSFeedObject *>(feed.get()), nullptr) << c.name;
    }
  }
}

TEST(FeedDialect, OrdinaryPodcastDocumentsAreRefused) {
  // Feeds as common podcasts publish them: RSS 2.0 with iTunes elements and
  // CDATA, a video podcast, Atom (even one declaring the prefix), RSS 1.0,
  // and RSS declaring the prefix below its root.
  const char *const files[] = {"podcast-rss2.xml", "video-podcast-rss2.xml", "podcast-atom.xml",
                               "rss1-rdf.xml", "zaro-namespace-on-channel.xml"};
  for (const char *name : files) {
    const QString text = readDataFile(QString::fromLatin1(name));
    ASSERT_FALSE(text.isEmpty()) << name;
    EXPECT_EQ(ZFeedObject::createFromXML(text), nullptr) << name;
  }
}

// A fetched feed is read from its bytes in the encoding it declares.
TEST(FeedDialect, FetchedBytesAreReadInTheirDeclaredEncoding) {
  const QString title = QString::fromUtf8("\xc3\x89t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
  const auto feed = [](const QByteArray &declaration, const QByteArray &channel,
                       const QByteArray &item) {
    return declaration + "<rss version=\"2.0\" xmlns:zaro=\"z\"><channel><title>" + channel +
           "</title><item><title>" + item + "</title><category>" + item +
           "</category></item></channel></rss>";
  };
  const QByteArray documents[] = {
      feed("", title.toUtf8(), title.toUtf8()),
      feed("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", title.toUtf8(), title.toUtf8()),
      feed("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xC9t\xE9 &#26085;&#26412;&#35486;",
           "&#201;t\xE9 &#x65E5;&#x672C;&#x8A9E;"),
      feed("<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", "&#201;t&#233; &#26085;&#26412;&#35486;",
           "&#201;t&#233; &#26085;&#26412;&#35486;"),
  };
  for (const QByteArray &document : documents) {
    SCOPED_TRACE(document.toStdString());
    const auto read = ZFeedObject::createFromXML(document);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->title(), title);
    ASSERT_EQ(read->itemCount(), 1);
    EXPECT_EQ(read->items().first()->title(), title);
    EXPECT_EQ(read->items().first()->categories(), QStringList{title});
  }
  EXPECT_EQ(ZFeedObject::createFromXML(feed("", "caf\xE9", "x")), nullptr);  // not UTF-8
}

// ---------------------------------------------------------------------------
// Reading a document

TEST(FeedReading, ServiceFeedWithItunesElementsHtmlAndEntitiesIsReadCompletely) {
  const auto feed =
      ZFeedObject::createFromXML(readDataFile(QStringLiteral("zaro-service-feed.xml")));
  ASSERT_NE(feed, nullptr);
  EXPECT_EQ(feed->id(), 0);
  EXPECT_EQ(feed->title(), QString::fromUtf8("Open Kitchen & Co. \u2014 Recipes"));
  EXPECT_EQ(feed->website(), "http://service.example/channels/kitchen");
  EXPECT_EQ(feed->description(), "<p>Recipes in <b>very</b> short episodes.</p>");
  EXPECT_EQ(feed->publisher(), "Open Kitchen & Co.");
  // Only the text attributes of the channel's own itunes:category elements.
  EXPECT_EQ(feed->categories(),
            QStringList({"Food & Drink", QString::fromUtf8("Caf\u00e9 culture")}));
  EXPECT_EQ(feed->categoriesAsString(), QString::fromUtf8("Food & Drink, Caf\u00e9 culture"));
  EXPECT_EQ(feed->permalink(), "kitchen");
  EXPECT_EQ(feed->url(), "");  // the reader does not know the address
  EXPECT_EQ(feed->source(), 0);

  const QList<ZFeedItemRef> items = feed->items();
  ASSERT_EQ(items.size(), 4);  // the item without a title is left out

  const ZFeedItemObject &brulee = *items[0];
  EXPECT_EQ(brulee.title(), QString::fromUtf8("Cr\u00e8me br\u00fbl\u00e9e in 4 seconds"));
  EXPECT_EQ(brulee.website(), "http://service.example/videos/creme-brulee");
  EXPECT_EQ(brulee.description(),
            QString::fromUtf8("<p>Sugar, flame &amp; a spoon \u2013 \"crack\" it's done.</p>"));
  EXPECT_EQ(brulee.publisher(), "Open Kitchen & Co.");
  EXPECT_EQ(brulee.guid(), "zaro-video-creme-brulee");
  EXPECT_EQ(brulee.publishDate(), "2024-05-08 19:00:00");
  EXPECT_EQ(brulee.url(),
            "http://service.example/cache/external/0a1b2c.mp4?permalinkId=creme-brulee&x=1");
  EXPECT_EQ(brulee.duration(), 754);
  EXPECT_EQ(brulee.tags(), QStringList({"dessert", "sugar", "flame"}));
  EXPECT_EQ(brulee.tagsAsString(), "dessert, sugar, flame");
  EXPECT_EQ(brulee.categories(), QStringList({"Food & Drink", "Desserts"}));
  EXPECT_EQ(brulee.videoPermalink(), "creme-brulee");
  EXPECT_EQ(brulee.id(), 0);
  EXPECT_EQ(brulee.feedId(), 0);
  EXPECT_EQ(brulee.videoId(), 0);

  const ZFeedItemObject &knife = *items[1];
  EXPECT_EQ(knife.title(), "Knife skills");
  EXPECT_EQ(knife.url(), "http://service.example/cache/external/knife.mp4");
  EXPECT_EQ(knife.publishDate(), "");  // "Tue, 07 May ..." does not convert
  EXPECT_EQ(knife.duration(), 12);     // minutes and seconds: the minutes
  EXPECT_EQ(knife.publisher(), "");
  EXPECT_TRUE(knife.categories().isEmpty());
  EXPECT_TRUE(knife.tags().isEmpty());

  const ZFeedItemObject &stock = *items[2];
  EXPECT_EQ(stock.title(), "Stock, from bones");
  EXPECT_EQ(stock.url(), "http://service.example/cache/external/stock.mp4");
  EXPECT_EQ(stock.publishDate(), "2024-05-06 07:15:00");
  EXPECT_EQ(stock.guid(), "");
  EXPECT_EQ(stock.description(), "");
  EXPECT_EQ(stock.videoPermalink(), "stock");

  const ZFeedItemObject &announcement = *items[3];
  EXPECT_EQ(announcement.title(), "");  // an empty title still makes an item
  EXPECT_FALSE(announcement.title().isNull());
  EXPECT_EQ(announcement.url(), "");
  EXPECT_TRUE(announcement.videoPermalink().isEmpty());
}

TEST(FeedReading, ChannelFieldsComeFromTheFirstDirectChildOfEachName) {
  const auto feed = ZFeedObject::createFromXML(serviceDocument(QStringLiteral(
      "<title>  First  </title><title>Second</title>"
      "<link>http://a/</link><link>http://b/</link>"
      "<description>d1</description><description>d2</description>"
      "<itunes:author>A1</itunes:author><itunes:author>A2</itunes:author>"
      "<zaro:permalinkId>p1</zaro:permalinkId><zaro:permalinkId>p2</zaro:permalinkId>"
      "<image><title>Logo</title><link>http://logo/</link></image>"
      "<itunes:category text=\"\"/><itunes:category text=\"C\"/>")));
  ASSERT_NE(feed, nullptr);
  EXPECT_EQ(feed->title(), "  First  ");  // texts are not trimmed
  EXPECT_EQ(feed->website(), "http://a/");
  EXPECT_EQ(feed->description(), "d1");
  EXPECT_EQ(feed->publisher(), "A1");
  EXPECT_EQ(feed->permalink(), "p1");
  EXPECT_EQ(feed->categories(), QStringList({"", "C"}));  // a present, empty text counts
  EXPECT_TRUE(feed->items().isEmpty());
}

TEST(FeedReading, DocumentWithoutChannelOrFieldsGivesAnEmptyFeed) {
  const auto bare = ZFeedObject::createFromXML(QStringLiteral(
      "<rss xmlns:zaro=\"z\"><item><title>outside the channel</title></item></rss>"));
  ASSERT_NE(bare, nullptr);
  EXPECT_TRUE(bare->title().isNull());  // the subscription manager then uses the address
  EXPECT_TRUE(bare->items().isEmpty());
  EXPECT_TRUE(bare->categories().isEmpty());
  for (const QString &text : {bare->description(), bare->publisher(), bare->website(),
                              bare->permalink(), bare->url(), bare->categoriesAsString()}) {
    EXPECT_FALSE(text.isNull());
    EXPECT_TRUE(text.isEmpty());
  }
}

TEST(FeedReading, MediaAddress) {
  struct Case {
    const char *name;
    const char *content;
    const char *url;
  } const cases[] = {
      {"enclosure url attribute", "<enclosure url=\"http://e/a.mp4\" type=\"video/mp4\"/>",
       "http://e/a.mp4"},
      {"enclosure text wins", "<enclosure url=\"http://e/attr\">http://e/text</enclosure>",
       "http://e/text"},
      {"enclosure text untrimmed", "<enclosure url=\"http://e/attr\"> http://e/t </enclosure>",
       " http://e/t "},
      {"empty enclosure text, attribute used", "<enclosure url=\"http://e/attr\"></enclosure>",
       "http://e/attr"},
      {"enclosure without url, url element ignored", "<enclosure/><url>http://e/u</url>", ""},
      {"first enclosure only", "<enclosure url=\"http://e/1\"/><enclosure url=\"http://e/2\"/>",
       "http://e/1"},
      {"url element", "<url>http://e/u</url>", "http://e/u"},
      {"neither", "<link>http://e/page</link>", ""},
  };
  for (const Case &c : cases) {
    const ZFeedItemRef item =
        readItem(QStringLiteral("<title>t</title>") + QString::fromUtf8(c.content));
    ASSERT_NE(item, nullptr) << c.name;
    EXPECT_EQ(item->url(), QString::fromUtf8(c.url)) << c.name;
  }
}

TEST(FeedReading, DurationIsTheLeadingInteger) {
  struct Case {
    const char *text;
    int seconds;
  } const cases[] = {
      {"754", 754},
      {"12:30", 12},
      {"01:02:03", 1},
      {" 42 ", 42},
      {"+7", 7},
      {"", 0},
      {"abc", 0},
      {"3.5", 3},
      {"-5", -5},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const Case &c : cases) {
    const ZFeedItemRef item =
        readItem(QStringLiteral("<title>t</title><itunes:duration>") + QString::fromUtf8(c.text) +
                 QStringLiteral("</itunes:duration>"));
    ASSERT_NE(item, nullptr) << c.text;
    EXPECT_EQ(item->duration(), c.seconds) << c.text;
  }
  const ZFeedItemRef without = readItem(QStringLiteral("<title>t</title>"));
  EXPECT_EQ(without->duration(), 0);
}

TEST(FeedReading, PublishDateConvertsOrStaysUnset) {
  struct Case {
    const char *text;
    const char *date;
  } const cases[] = {
      {"Wed,08 May 2024 19:00:00 GMT", "2024-05-08 19:00:00"},
      {"Tue,10 Jun 03 04:00:00 GMT", "2003-06-10 04:00:00"},
      {"Tue Jun 10 04:00:00 2003", "2003-06-10 04:00:00"},
      {"Tue, 10 Jun 2003 04:00:00 GMT", ""},  // the blank after the comma
      {"2024-05-08T19:00:00Z", ""},
      {"Wed,31 Feb 2024 19:00:00 GMT", ""},
      {"", ""},
  };
  for (const Case &c : cases) {
    const ZFeedItemRef item = readItem(QStringLiteral("<title>t</title><pubDate>") +
                                       QString::fromUtf8(c.text) + QStringLiteral("</pubDate>"));
    ASSERT_NE(item, nullptr) << c.text;
    EXPECT_EQ(item->publishDate(), QString::fromUtf8(c.date)) << c.text;
  }
}

TEST(FeedReading, CategoriesAndKeywords) {
  const ZFeedItemRef item = readItem(
      QStringLiteral("<title>t</title>"
                     "<category>\n  News  \n</category><category></category><category>Local &amp; "
                     "Regional</category>"
                     "<itunes:category text=\"Ignored on items\"/>"
                     "<itunes:keywords>\n one  two three \n</itunes:keywords>"
                     "<itunes:keywords>second element ignored</itunes:keywords>"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->categories(), QStringList({"News", "", "Local & Regional"}));
  // Split at single blanks; the empty piece between two blanks is dropped.
  EXPECT_EQ(item->tags(), QStringList({"one", "two", "three"}));

  struct Case {
    const char *keywords;
    QStringList tags;
  } const cases[] = {
      {"a,b, c", {"a,b,", "c"}},  // commas are part of the words
      {"tab\tseparated", {"tab\tseparated"}},
      {"   ", {}},
      {"", {}},
  };
  for (const Case &c : cases) {
    const ZFeedItemRef keyworded =
        readItem(QStringLiteral("<title>t</title><itunes:keywords>") +
                 QString::fromUtf8(c.keywords) + QStringLiteral("</itunes:keywords>"));
    ASSERT_NE(keyworded, nullptr);
    EXPECT_EQ(keyworded->tags(), c.tags) << c.keywords;
  }
}

TEST(FeedReading, ItemsNeedATitleAndKeepDocumentOrder) {
  const auto feed = ZFeedObject::createFromXML(serviceDocument(
      QStringLiteral("<item><title>newest</title></item>"
                     "<item><description>no title</description></item>"
                     "<item><title/></item>"
                     "<item><x><title>nested title does not count</title></x></item>"
                     "<item><title>old<b>er</b></title><title>second title</title></item>")));
  ASSERT_NE(feed, nullptr);
  QStringList titles;
  for (const ZFeedItemRef &item : feed->items()) titles << item->title();
  EXPECT_EQ(titles, QStringList({"newest", "", "older"}));
}

// ---------------------------------------------------------------------------
// The objects

TEST(FeedObject, InitWithInfoTakesAFeedsRow) {
  ZZaroRSSFeedObject feed;
  ASSERT_TRUE(feed.initWithInfo({{"Title", "Kitchen"},
                                 {"Description", "d"},
                                 {"Publisher", "p"},
                                 {"Website", "http://w/"},
                                 {"Permalink", "kitchen"},
                                 {"Url", "http://f/rss"},
                                 {"id", "17"},
                                 {"Source", "0"},
                                 {"Categories", "Food & Drink, Baking"}}));
  EXPECT_EQ(feed.title(), "Kitchen");
  EXPECT_EQ(feed.description(), "d");
  EXPECT_EQ(feed.publisher(), "p");
  EXPECT_EQ(feed.website(), "http://w/");
  EXPECT_EQ(feed.permalink(), "kitchen");
  EXPECT_EQ(feed.url(), "http://f/rss");
  EXPECT_EQ(feed.id(), 17);
  EXPECT_EQ(feed.source(), 0);
  EXPECT_EQ(feed.categories(), QStringList({"Food & Drink", "Baking"}));

  ZFeedObject untitled;
  EXPECT_FALSE(untitled.initWithInfo({{"Title", ""}, {"Url", "http://f/"}, {"id", "3"}}));
  EXPECT_FALSE(untitled.initWithInfo({{"Url", "http://f/"}, {"id", "3"}}));
  EXPECT_EQ(untitled.id(), 0);

  // A feed subscribed but never read has no categories stored: it has none,
  // not one empty name.
  ZFeedObject unread;
  ASSERT_TRUE(unread.initWithInfo({{"Title", "http://f/"}, {"Categories", ""}}));
  EXPECT_TRUE(unread.categories().isEmpty());
  EXPECT_EQ(splitStoredList(QStringLiteral(", x")), QStringList({"", "x"}));
}

TEST(FeedObject, SettingTheIdGivesTheItemsTheFeedId) {
  ZFeedObject feed;
  auto first = std::make_shared<ZFeedItemObject>();
  auto second = std::make_shared<ZFeedItemObject>();
  feed.addFeedItem(first);
  feed.addFeedItem(second);
  feed.setId(42);
  EXPECT_EQ(first->feedId(), 42);
  EXPECT_EQ(second->feedId(), 42);

  // items() is a new list of the same, shared, item objects.
  QList<ZFeedItemRef> items = feed.items();
  items.clear();
  EXPECT_EQ(feed.items().size(), 2);
  feed.items().first()->setVideoId(9);
  EXPECT_EQ(first->videoId(), 9);

  // An item travels in a QVariant as the represented object of a download.
  const QVariant carried = QVariant::fromValue(first);
  EXPECT_EQ(carried.value<ZFeedItemRef>(), first);
}
