// feeds: reading and storing a large feed of the service's RSS dialect, next
// to expat's bare parse of the same bytes in the same run.
//
// Generates a feed of 5,000 items written the way the service writes them
// (indented, escaped markup in descriptions, character references, iTunes
// elements, enclosures), then times, several rounds each:
//   - expat alone, no handlers (the reference),
//   - ZFeedObject::createFromXML of the text (decoding included),
//   - (a) createFromXML + saveFeed of the new feed into a fresh library,
//   - (b) createFromXML + saveFeed of the same feed again, unchanged,
//   - (c) the same with one new item on top (the usual hourly check),
// and prints the best and median times and their ratio to expat's best.
// Goal: (a) and (b) each well under one second.
//
// Usage: feeds [items=5000] [rounds=5]
#include <expat.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "Dialogs.h"
#include "FeedDatabase.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFeedObject.h"
#include "ZFolderManager.h"

namespace {

using Clock = std::chrono::steady_clock;

// One item as the service writes it; {id}, {day} and {seconds} are filled in.
const char kItem[] = R"xml(    <item>
      <title>Episode {id}: Caf&#233; stories &amp; more</title>
      <link>http://service.example/videos/episode-{id}</link>
      <description>&lt;p&gt;In this episode ({id}) we visit a small caf&#233; &amp; talk about &lt;b&gt;coffee&lt;/b&gt;, pastry and the people who make them. &quot;It's all about the morning,&quot; says the owner.&lt;/p&gt;</description>
      <itunes:author>Open Kitchen &amp; Co.</itunes:author>
      <guid isPermaLink="false">zaro-video-episode-{id}</guid>
      <pubDate>Wed,{day} Apr 2024 06:30:00 GMT</pubDate>
      <enclosure url="http://service.example/cache/external/{id}0a1b2c3d4e5f.mp4?permalinkId=episode-{id}" length="24576" type="video/mp4"/>
      <itunes:duration>{seconds}</itunes:duration>
      <category>Food &amp; Drink</category>
      <category>Travel</category>
      <itunes:keywords>coffee pastry morning</itunes:keywords>
      <zaro:permalinkId>episode-{id}</zaro:permalinkId>
    </item>
)xml";

QByteArray item(int n, bool fresh) {
  QByteArray text(kItem);
  text.replace("{id}", fresh ? QByteArray("fresh") : QByteArray::number(n));
  text.replace("{day}", QByteArray::number(10 + n % 18));
  text.replace("{seconds}", QByteArray::number(60 + n % 3000));
  return text;
}

QByteArray generateFeed(int items, bool withFreshItem) {
  QByteArray xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
      "xmlns:zaro=\"http://zaro.example/rss/1.0\">\n"
      "  <channel>\n"
      "    <title>Open Kitchen</title>\n"
      "    <link>http://service.example/channels/kitchen</link>\n"
      "    <description>Recipes in very short episodes.</description>\n"
      "    <language>en-us</language>\n"
      "    <itunes:author>Open Kitchen &amp; Co.</itunes:author>\n"
      "    <itunes:category text=\"Food &amp; Drink\"/>\n"
      "    <zaro:permalinkId>kitchen</zaro:permalinkId>\n";
  if (withFreshItem) xml += item(0, true);
  for (int n = 0; n < items; ++n) xml += item(n, false);
  xml += "  </channel>\n</rss>\n";
  return xml;
}

double seconds(const std::function<void()> &work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Timing {
  double best = 1e30;
  double median = 0;
};

Timing summarize(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2]};
}

bool expatParse(const QByteArray &xml) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  const bool ok = XML_Parse(parser, xml.constData(), int(xml.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

// Fresh libraries in one temporary folder.
class Libraries {
 public:
  explicit Libraries(const QString &root) : fRoot(root), fDefaults(root + "/settings.ini") {
    fDefaults.setString(root + "/downloads", QStringLiteral("DownloadLocation"));
    fFolders = std::make_unique<ZFolderManager>(fDefaults);
  }
  std::unique_ptr<VideoDatabase> fresh() {
    const QString folder = fRoot + QStringLiteral("/library-%1").arg(++fCount);
    auto database =
        std::make_unique<VideoDatabase>(VideoDatabase::pathsUnder(folder), fFolders.get());
    if (!database->createDatabase()) {
      std::fprintf(stderr, "cannot create a library in %s\n", qPrintable(folder));
      std::exit(1);
    }
    return database;
  }

 private:
  QString fRoot;
  UserDefaults fDefaults;
  std::unique_ptr<ZFolderManager> fFolders;
  int fCount = 0;
};

int storedItems(VideoDatabase &database) {
  const auto rows = database.executeSQL(QStringLiteral("SELECT count(*) AS n FROM FeedItems;"));
  return rows && !rows->isEmpty() ? rows->first().value(QStringLiteral("n")).toInt() : -1;
}

}  // namespace

int main(int argc, char **argv) {
  const int itemCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  // Everything the library touches stays in a temporary folder.
  QTemporaryDir sandbox;
  if (!sandbox.isValid()) return 1;
  TestEnvironment::sandboxUserFolders(sandbox.path());
  QCoreApplication application(argc, argv);
  Dialogs::setShared(std::make_unique<ScriptedDialogs>());
  Libraries libraries(sandbox.path());

  const QByteArray bytes = generateFeed(itemCount, false);
  const QByteArray bytesWithFreshItem = generateFeed(itemCount, true);
  // As the subscription manager hands a fetched body over.
  const QString text = QString::fromLatin1(bytes);
  const QString textWithFreshItem = QString::fromLatin1(bytesWithFreshItem);
  const QString url = QStringLiteral("http://service.example/service/rss.xml?feedId=kitchen");

  std::vector<double> expat, parse, saveNew, saveUnchanged, saveOneNew;
  for (int round = 0; round < rounds; ++round) {
    expat.push_back(seconds([&] {
      if (!expatParse(bytes)) std::exit(1);
    }));
    parse.push_back(seconds([&] {
      if (!ZFeedObject::createFromXML(text)) std::exit(1);
    }));

    auto database = libraries.fresh();
    database->addFeedWithName(url, url, 0);
    saveNew.push_back(seconds([&] {
      auto feed = ZFeedObject::createFromXML(text);
      if (!feed || saveFeed(*database, *feed, url) <= 0) std::exit(1);
    }));
    saveUnchanged.push_back(seconds([&] {
      auto feed = ZFeedObject::createFromXML(text);
      if (!feed || saveFeed(*database, *feed, url) <= 0) std::exit(1);
    }));
    if (storedItems(*database) != itemCount) {
      std::fprintf(stderr, "stored %d items instead of %d\n", storedItems(*database), itemCount);
      return 1;
    }
    saveOneNew.push_back(seconds([&] {
      auto feed = ZFeedObject::createFromXML(textWithFreshItem);
      if (!feed || saveFeed(*database, *feed, url) <= 0) std::exit(1);
    }));
    if (getNewFeedItemsForFeedId(*database, 1).value(0)->guid() != "zaro-video-episode-fresh") {
      std::fprintf(stderr, "the new item is not the newest\n");
      return 1;
    }
  }

  const Timing reference = summarize(expat);
  std::printf("feed: %d items, %.2f MB, %d rounds (best / median)\n", itemCount,
              double(bytes.size()) / 1e6, rounds);
  auto line = [&](const char *name, const std::vector<double> &values) {
    const Timing t = summarize(values);
    std::printf("  %-44s %8.1f ms / %8.1f ms   %6.1fx expat\n", name, t.best * 1e3, t.median * 1e3,
                t.best / reference.best);
  };
  line("expat, bare parse (reference)", expat);
  line("createFromXML", parse);
  line("(a) createFromXML + saveFeed, new feed", saveNew);
  line("(b) createFromXML + saveFeed, unchanged", saveUnchanged);
  line("(c) createFromXML + saveFeed, one new item", saveOneNew);
  return 0;
}
