// The pure pieces of the downloads: the property-list text of the jobs, the
// meta information reader, file naming and the disk-space transformer.

#include "DownloadFileNames.h"
#include "LibraryUtilities.h"
#include "MediaFolderUsage.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoMetaInfo.h"
#include "ZDiskSpaceTransformer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// ---- Property lists ---------------------------------------------------------------

TEST(PropertyList, WritesJobParamsWithOneLevelOfIndentationAndSortedKeys) {
  const QHash<QString, QString> params{
      {QStringLiteral("VideoFilePath"), QStringLiteral("/home/u/ZaroMedia/Sunrise.mp4")},
      {QStringLiteral("ImageFilePath"), QStringLiteral("/home/u/My Images/a b.jpg")},
      {QStringLiteral("VideoBadHTTPCodeNotification"), QStringLiteral("1")}};
  EXPECT_EQ(PropertyList::writeStrings(params),
            QStringLiteral("{\n"
                           "    ImageFilePath = \"/home/u/My Images/a b.jpg\";\n"
                           "    VideoBadHTTPCodeNotification = 1;\n"
                           "    VideoFilePath = /home/u/ZaroMedia/Sunrise.mp4;\n"
                           "}"));
  EXPECT_EQ(PropertyList::writeStrings({}), QString());
}

TEST(PropertyList, StringsSurviveTheRoundTrip) {
  const QStringList values{
      QString(),
      QStringLiteral("plain"),
      QStringLiteral("with \"quotes\" and \\backslashes\\"),
      QStringLiteral("<?xml version=\"1.0\"?>\r\n<MediaInfo>\n\t<QueueEntry/>\n</MediaInfo>"),
      QStringLiteral("semi;colon = equals { braces } (parens), commas"),
      QString::fromUtf8("caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x8E\xAC"),
      QString(QChar(1)) + QChar(0x7F) + QChar(0) + QStringLiteral("end"),
      QStringLiteral("// not a comment /* nor this */"),
  };
  QHash<QString, QString> params;
  for (int i = 0; i < values.size(); ++i) params.insert(QStringLiteral("k%1").arg(i), values[i]);
  params.insert(QStringLiteral("key with blanks"), QStringLiteral("v"));
  const std::optional<QHash<QString, QString>> back =
      PropertyList::readStrings(PropertyList::writeStrings(params));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, params);
}

TEST(PropertyList, ReadsTheFormatsOtherWriters) {
  // Comments, unquoted strings, octal and \U escapes, nested containers, data.
  const std::optional<QVariant> value = PropertyList::read(QStringLiteral(
      "// saved by hand\n{ a = b; /* note */ \"c d\" = \"\\101\\U00e9\\n\"; list = (x, \"y z\", ); "
      "inner = { k = v; }; data = <0fbd 77>; }"));
  ASSERT_TRUE(value.has_value());
  const QVariantMap map = value->toMap();
  EXPECT_EQ(map.value("a").toString(), "b");
  EXPECT_EQ(map.value("c d").toString(), QString::fromUtf8("A\xC3\xA9\n"));
  EXPECT_EQ(map.value("list").toList(), (QVariantList{"x", "y z"}));
  EXPECT_EQ(map.value("inner").toMap().value("k").toString(), "v");
  EXPECT_EQ(map.value("data").toByteArray(), QByteArray::fromHex("0fbd77"));
}

TEST(PropertyList, BrokenTextsReadAsNothing) {
  const QStringList broken{
      QStringLiteral("{ a = b }"),                                         // missing ";"
      QStringLiteral("{ a = \"b; }"),                                      // unterminated string
      QStringLiteral("{ a = b; } extra"),                                  // trailing text
      QStringLiteral("{ a = <0g>; }"),                                     // not hexadecimal
      QStringLiteral("{ a = (x y); }"),                                    // missing ","
      QStringLiteral("/* never ends"),    QString(600, QLatin1Char('(')),  // nested too deep
  };
  for (const QString &text : broken)
    EXPECT_FALSE(PropertyList::read(text)) << text.left(40).toStdString();
  // JobParams must be a dictionary of strings.
  EXPECT_FALSE(PropertyList::readStrings(QStringLiteral("(a, b)")));
  EXPECT_FALSE(PropertyList::readStrings(QStringLiteral("{ a = (b); }")));
  EXPECT_EQ(PropertyList::readStrings(QStringLiteral("  \n")), (QHash<QString, QString>{}));
}

// ---- Meta information -------------------------------------------------------------

// The answer's bytes are read in the encoding it declares; what a job keeps
// (one character per byte) reads the same after a restart, old rows included.
TEST(VideoMetaInfo, TitlesKeepEveryCharacterInTheirDeclaredEncoding) {
  const QString title = QString::fromUtf8("\xc3\x89t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
  const auto answer = [](const QByteArray &declaration, const QByteArray &titleBytes) {
    return declaration + "<MediaInfo><QueueEntry><Video><Title>" + titleBytes +
           "</Title></Video></QueueEntry></MediaInfo>";
  };
  const QByteArray documents[] = {
      answer("", title.toUtf8()),
      answer("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", title.toUtf8()),
      answer("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", "\xC9t\xE9 &#26085;&#26412;&#35486;"),
      answer("<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n", "&#201;t&#233; &#x65E5;&#x672C;&#x8A9E;"),
  };
  for (const QByteArray &document : documents) {
    SCOPED_TRACE(document.toStdString());
    const std::optional<VideoMetaInfo> info = readVideoMetaInfo(document);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->value("Title").toString(), title);
    const QString kept = keptMetaInfoText(document);
    EXPECT_EQ(kept.size(), document.size());
    EXPECT_EQ(readKeptVideoMetaInfo(kept)->value("Title").toString(), title);
  }
  // A kept text that is not one byte per character is read as the text it is.
  EXPECT_EQ(readKeptVideoMetaInfo(QString::fromUtf8(answer("", title.toUtf8())))
                ->value("Title")
                .toString(),
            title);
}

TEST(VideoMetaInfo, ReadsEveryElementOfAFullAnswer) {
  const std::optional<VideoMetaInfo> info = readVideoMetaInfo(QStringLiteral(
      "<MediaInfo><QueueEntry>"
      "<Publisher><PermalinkId> pub </PermalinkId><Name>\n Publisher &amp; Co.\n</Name>"
      "<Link>http://x/p</Link></Publisher>"
      "<Video><Title> Sunrise &lt;1&gt; "
      "</Title><VideoId>1001</VideoId><PermalinkId>ocean</PermalinkId>"
      "<IconId>thumb</IconId><Description>Desc</Description><Duration>4</Duration>"
      "<FileHash>\n abc123 \n</FileHash><Size>23562</Size><ContentRating>1</ContentRating>"
      "<ReviewState>approved</ReviewState><Rating>4</Rating><Extension>.mp4</Extension>"
      "<Tags><Tag><Name> ocean </Name><FeedUrl>http://f</FeedUrl></Tag><Tag> loose text </Tag>"
      "<Tag>   </Tag><Tag></Tag></Tags>"
      "<Channel><Title>Chan</Title><PermalinkId>chan</PermalinkId><Link>l</Link></Channel>"
      "<Categories><Category><Title>Nature</Title><PermalinkId>nat</PermalinkId></Category>"
      "<Category>Just text</Category><Category/></Categories>"
      "<Series/>"
      "</Video></QueueEntry><QueueEntry><Video><Title>Second</Title></Video></QueueEntry>"
      "</MediaInfo>"));
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->value("Title").toString(), " Sunrise <1> ");  // untrimmed
  EXPECT_EQ(info->value("FileHash").toString(), "abc123");      // trimmed
  EXPECT_EQ(info->value("Size").toString(), "23562");
  EXPECT_EQ(info->value("Extension").toString(), ".mp4");

  const QVariantMap publisher = info->value("Publisher").toMap();
  EXPECT_EQ(publisher.value("Name").toString(), "Publisher & Co.");
  EXPECT_EQ(publisher.value("PermalinkId").toString(), "pub");
  EXPECT_EQ(publisher.value("FeedUrl").toString(), "");
  EXPECT_EQ(publisher.size(), 6);

  const QVariantList tags = info->value("Tags").toList();
  ASSERT_EQ(tags.size(), 3);  // the empty one is skipped
  EXPECT_EQ(tags[0].toMap(),
            (QVariantMap{{"Name", "ocean"}, {"Link", ""}, {"FeedUrl", "http://f"}}));
  EXPECT_EQ(tags[1].toMap().value("Name").toString(), " loose text ");
  EXPECT_EQ(tags[2].toMap().value("Name").toString(), "   ");

  EXPECT_EQ(info->value("Channel").toMap().value("Link").toString(), "l");
  EXPECT_EQ(info->value("Channel").toMap().value("Thumbnail").toString(), "");

  const QVariantList categories = info->value("Categories").toList();
  ASSERT_EQ(categories.size(), 2);
  EXPECT_EQ(categories[0].toMap().value("PermalinkId").toString(), "nat");
  EXPECT_EQ(categories[1].toMap().value("Title").toString(), "Just text");
  EXPECT_EQ(categories[1].toMap().value("Description").toString(), "");

  // An empty Series still gives six empty values.
  const QVariantMap series = info->value("Series").toMap();
  EXPECT_EQ(series.size(), 6);
  for (const QVariant &value : series) EXPECT_EQ(value.toString(), "");
}

TEST(VideoMetaInfo, LeavesOutWhatIsMissing) {
  struct Case {
    const char *xml;
    QStringList keys;  // the keys expected, sorted
  };
  const Case cases[] = {
      {"<MediaInfo/>", {}},
      {"<MediaInfo><QueueEntry/></MediaInfo>", {}},
      {"<MediaInfo><QueueEntry><Publisher><PermalinkId>p</PermalinkId></Publisher>"
       "<Video><Title>T</Title></Video></QueueEntry></MediaInfo>",
       {"Title"}},
      {"<MediaInfo><QueueEntry><Publisher><Name/></Publisher></QueueEntry></MediaInfo>",
       {"Publisher"}},
      {"<R><QueueEntry><Video><Channel><Title>t</Title></Channel>"
       "<Tags/><Categories/></Video></QueueEntry></R>",
       {}},
      {"<R><QueueEntry><Video><Channel><PermalinkId>c</PermalinkId><Title/></Channel></Video>"
       "</QueueEntry></R>",
       {"Channel"}},
      {"<R><QueueEntry><Video><Tags><Tag/></Tags></Video></QueueEntry></R>", {"Tags"}},
  };
  for (const Case &c : cases) {
    const std::optional<VideoMetaInfo> info = readVideoMetaInfo(QString::fromUtf8(c.xml));
    ASSERT_TRUE(info.has_value()) << c.xml;
    QStringList keys = info->keys();
    keys.sort();
    EXPECT_EQ(keys, c.keys) << c.xml;
  }
  EXPECT_FALSE(readVideoMetaInfo(QStringLiteral("<MediaInfo><QueueEntry>")));
  EXPECT_FALSE(readVideoMetaInfo(QStringLiteral("not xml")));
  EXPECT_FALSE(readVideoMetaInfo(QString()));
}

// ---- File names --------------------------------------------------------------------

TEST(DownloadFileNames, NamesNeverLeaveTheFolderNorHideTheFile) {
  struct Case {
    QString title, extension, expected;
  };
  const Case cases[] = {
      {"Sunrise over the ocean", ".mp4", "Sunrise%20over%20the%20ocean.mp4"},
      {"../../etc/passwd", ".mp4", "%2E%2E%2F%2E%2E%2Fetc%2Fpasswd.mp4"},
      {".hidden", ".mov", "%2Ehidden.mov"},
      {QStringLiteral("nul") + QChar(0) + "byte", ".mp4", "nul%00byte.mp4"},
      {"a\\b", "/../../../escape", "a%5Cb%2F..%2F..%2F..%2Fescape"},
      {"x", QStringLiteral(".m") + QChar(0) + "p4", "x.m%00p4"},
      {"x", ".mp4#frag?q", "x.mp4%23frag?q"},
      {"", ".mp4", "permalink%2D1.mp4"},  // no title: the permalink names it
      {QString::fromUtf8("\xC3\xA9t\xC3\xA9"), ".flv", "%E9t%E9.flv"},
  };
  for (const Case &c : cases) {
    const QString name = DownloadFileNames::fileName(
        DownloadFileNames::baseName(c.title, QStringLiteral("permalink-1")),
        DownloadFileNames::extensionForFileName(c.extension));
    EXPECT_EQ(name, c.expected) << c.title.toStdString();
    EXPECT_FALSE(name.contains(QLatin1Char('/')));
    EXPECT_FALSE(name.contains(QChar(0)));
    EXPECT_FALSE(name.startsWith(QLatin1Char('.')));
  }
  EXPECT_EQ(DownloadFileNames::baseName(QString(), QString()), "video");
}

TEST(DownloadFileNames, LongNamesAreShortenedKeepingTheExtension) {
  const QString longTitle = QString(200, QChar(0x4E2D));  // 200 × "%4E2D" = 1000 bytes
  const QString base = DownloadFileNames::baseName(longTitle, QString());
  for (const QString &prefix : {QString(), QStringLiteral("12-")}) {
    const QString name = DownloadFileNames::fileName(base, QStringLiteral(".mp4"), prefix);
    EXPECT_EQ(name.toUtf8().size(), 255);
    EXPECT_TRUE(name.startsWith(prefix + QStringLiteral("%4E2D")));
    EXPECT_TRUE(name.endsWith(QStringLiteral(".mp4")));
  }
  // An absurd extension is cut too, so that something of the title remains.
  const QString name = DownloadFileNames::fileName(base, QString(300, QLatin1Char('e')));
  EXPECT_LE(name.toUtf8().size(), 255);
  EXPECT_TRUE(name.startsWith(QStringLiteral("%4E2D")));
  // A name that fits is left alone.
  EXPECT_EQ(DownloadFileNames::fileName(QString(251, QLatin1Char('a')), QStringLiteral(".mp4")),
            QString(251, QLatin1Char('a')) + ".mp4");
}

TEST(DownloadFileNames, UniqueNamesCountUpAndAreCreatedInTheFolder) {
  const QString folder = TestEnvironment::makeTempDir(QStringLiteral("names"));
  QStringList made;
  for (int i = 0; i < 3; ++i)
    made.append(DownloadFileNames::createUniqueFile(folder, QStringLiteral("Same%20title"),
                                                    QStringLiteral(".mp4"), "data"));
  EXPECT_EQ(made, (QStringList{folder + "/Same%20title.mp4", folder + "/1-Same%20title.mp4",
                               folder + "/2-Same%20title.mp4"}));
  for (const QString &path : made) EXPECT_EQ(QFileInfo(path).size(), 4);

  // A dangling symbolic link is not written through.
  const QString target = folder + "/elsewhere.txt";
  ASSERT_TRUE(QFile::link(target, folder + "/link.mp4"));
  EXPECT_EQ(DownloadFileNames::uniquePath(folder, QStringLiteral("link"), QStringLiteral(".mp4")),
            folder + "/1-link.mp4");
  EXPECT_EQ(
      DownloadFileNames::createUniqueFile(folder, QStringLiteral("link"), QStringLiteral(".mp4")),
      folder + "/1-link.mp4");
  EXPECT_FALSE(QFileInfo::exists(target));

  // A folder that cannot be written to gives no file.
  EXPECT_TRUE(DownloadFileNames::createUniqueFile(folder + "/missing", QStringLiteral("a"),
                                                  QStringLiteral(".mp4"))
                  .isNull());
}

// ---- The media folder's count -----------------------------------------------------------

// Walked once, then moved by what it is told; walked again for another folder,
// after an invalidation or when asked for a fresher count. Paths outside the
// folder change nothing.
TEST(MediaFolderUsage, WalksOnceThenCountsWhatItIsTold) {
  const QString root = TestEnvironment::makeTempDir(QStringLiteral("usage"));
  const QString media = root + "/media";
  ASSERT_TRUE(TestEnvironment::writeFile(media + "/a.mp4", QByteArray(1000, 'a')));
  ASSERT_TRUE(TestEnvironment::writeFile(root + "/outside.mp4", QByteArray(50, 'o')));
  MediaFolderUsage usage;
  usage.grew(media + "/before.mp4", 7);  // before the first walk: the walk will see it
  const quint64 walked = usage.bytes(media);
  EXPECT_EQ(walked, Utilities::sizeOfMediaFolder(media));
  EXPECT_EQ(usage.walks(), 1);

  usage.grew(media + "/b.mp4", 300);
  usage.grew(root + "/outside.mp4", 50);
  usage.grew(root + "/media-other/c.mp4", 20);  // a folder whose name only begins the same
  EXPECT_EQ(usage.bytes(media), walked + 300);
  usage.shrank(media + "/b.mp4", 100);
  EXPECT_EQ(usage.bytes(media), walked + 200);
  usage.shrank(media + "/x", walked * 10);  // never below nothing
  EXPECT_EQ(usage.bytes(media), 0u);
  EXPECT_EQ(usage.walks(), 1);

  usage.invalidate();
  EXPECT_EQ(usage.bytes(media), walked);
  EXPECT_EQ(usage.walks(), 2);
  EXPECT_TRUE(usage.removeFile(media + "/a.mp4"));
  EXPECT_FALSE(QFileInfo::exists(media + "/a.mp4"));
  EXPECT_EQ(usage.bytes(media), walked - 1000);
  EXPECT_EQ(usage.bytes(media, 60000), walked - 1000);  // fresh enough
  EXPECT_EQ(usage.walks(), 2);
  QThread::msleep(5);
  EXPECT_EQ(usage.bytes(media, 1), Utilities::sizeOfMediaFolder(media));
  EXPECT_EQ(usage.walks(), 3);
  EXPECT_EQ(usage.bytes(root), Utilities::sizeOfMediaFolder(root));  // another folder
  EXPECT_EQ(usage.walks(), 4);

  // The application's count walks again once the library has deleted videos.
  MediaFolderUsage &shared = MediaFolderUsage::shared();
  shared.bytes(media);
  const int walks = shared.walks();
  shared.bytes(media);
  EXPECT_EQ(shared.walks(), walks);
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("VideoDatabase_VideosDeleted"));
  shared.bytes(media);
  EXPECT_EQ(shared.walks(), walks + 1);
}

// ---- Disk-space transformer ----------------------------------------------------------

TEST(ZDiskSpaceTransformer, GigabytesOfTheAllowedShare) {
  UserDefaults defaults(TestEnvironment::makeTempDir() + "/settings.ini");
  quint64 freeBytes = (quint64(100) << 30) + 12345;  // 100 GiB and a bit
  QString askedAbout;
  ZDiskSpaceTransformer transformer(defaults, [&](const QString &path) {
    askedAbout = path;
    return freeBytes;
  });
  EXPECT_FALSE(ZDiskSpaceTransformer::allowsReverseTransformation());

  // No download location: no free space.
  EXPECT_EQ(transformer.gigabytes(10), 0.0);
  EXPECT_TRUE(askedAbout.isEmpty());

  defaults.setString(QStringLiteral("/media/disk"), QStringLiteral("DownloadLocation"));
  EXPECT_EQ(transformer.gigabytes(10), 10.0);
  EXPECT_EQ(askedAbout, "/media/disk");
  EXPECT_DOUBLE_EQ(transformer.gigabytes(12.5), 12.5);
  EXPECT_EQ(transformer.transformedValue(15), QStringLiteral("15 GB"));
  freeBytes = quint64(93) << 30;
  EXPECT_EQ(transformer.transformedValue(10), QStringLiteral("9.3 GB"));
  freeBytes = (quint64(1) << 30) - 1;  // less than a whole gibibyte
  EXPECT_EQ(transformer.gigabytes(50), 0.0);
}

}  // namespace
