// feeds_pass: one check pass of the subscription manager over a large feed of
// the service's RSS dialect served by zaro-service, next to expat's bare parse
// of the same document in the same run.
//
// Writes a catalog of 5,000 videos and one feed listing them all, starts
// zaro-service on it, and times, several rounds each:
//   - expat alone, no handlers, over the document as served (the reference),
//   - a plain GET of the feed with QNetworkAccessManager (for context),
//   - (a) a pass over the feed, new to a fresh library: fetch, read, save the
//     feed and its 5,000 items, then the new-items step with
//     "DownloadVideoCount" 3 (three queued, 4,997 marked cancelled),
//   - (b) the next pass over the same, unchanged feed,
// from the call that starts the pass to its end, and prints the best and
// median times and their ratio to expat's best.
// Goal: (a) under 1.5 s, (b) under 1 s.
//
// Usage: feeds_pass [items=5000] [rounds=5]
#include <expat.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
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
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadEnvironment.h"
#include "ZFolderManager.h"
#include "ZSubscriptionManager.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
  double best = 1e30;
  double median = 0;
};

Timing summarize(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2]};
}

double seconds(const std::function<void()> &work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool expatParse(const QByteArray &xml) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  const bool ok = XML_Parse(parser, xml.constData(), int(xml.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok;
}

void writeFile(const QString &path, const QByteArray &bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

// A catalog of `count` videos (one shared file and thumbnail) with texts of
// the usual length, and the feed "big" listing them newest first.
void writeCatalog(const QString &dir, int count) {
  writeFile(dir + "/media/clip.mp4", QByteArray(4096, 'm'));
  writeFile(dir + "/images/thumb.jpg", QByteArray("\xff\xd8\xff\xd9", 4));
  QByteArray videos, items;
  for (int n = count; n >= 1; --n) {
    const QByteArray id = QByteArray::number(n);
    if (!videos.isEmpty()) videos += ",\n";
    videos += "    { \"permalink\": \"episode-" + id + "\", \"title\": \"Episode " + id +
              ": Caf\\u00e9 stories & more\", \"file\": \"media/clip.mp4\", \"icon\": \"thumb\", "
              "\"description\": \"<p>In this episode (" +
              id +
              ") we visit a small caf\\u00e9 & talk about <b>coffee</b>, pastry and the people "
              "who make them. \\\"It's all about the morning,\\\" says the owner.</p>\", "
              "\"duration\": " +
              QByteArray::number(60 + n % 3000) +
              ", \"categories\": [\"food\", \"travel\"], \"tags\": [\"coffee\", \"pastry\", "
              "\"morning\"], \"published\": \"2024-04-" +
              QByteArray::number(10 + n % 18) + " 06:30:00\" }";
    if (!items.isEmpty()) items += ", ";
    items += "\"episode-" + id + "\"";
  }
  writeFile(dir + "/catalog.json",
            "{\n  \"images\": { \"thumb\": \"images/thumb.jpg\" },\n"
            "  \"categories\": [ { \"id\": \"food\", \"title\": \"Food & Drink\" },\n"
            "                  { \"id\": \"travel\", \"title\": \"Travel\" } ],\n"
            "  \"videos\": [\n" +
                videos +
                "\n  ],\n"
                "  \"feeds\": [ { \"id\": \"big\", \"title\": \"Open Kitchen\", \"author\": "
                "\"Open Kitchen & Co.\", \"permalink\": \"kitchen\", \"items\": [" +
                items + "] } ]\n}\n");
}

void runUntil(const std::function<bool()> &done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void flushDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The document as a client gets it (inflated).
QByteArray get(QNetworkAccessManager &network, const QString &url) {
  std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(QUrl(url))));
  runUntil([&] { return reply->isFinished(); });
  if (reply->error() != QNetworkReply::NoError) {
    std::fprintf(stderr, "GET %s: %s\n", qPrintable(url), qPrintable(reply->errorString()));
    std::exit(1);
  }
  return reply->readAll();
}

int count(VideoDatabase &database, const QString &sql) {
  const auto rows = database.executeSQL(sql);
  return rows && !rows->isEmpty() ? rows->first().value(QStringLiteral("n")).toInt() : -1;
}

}  // namespace

int main(int argc, char **argv) {
  const int itemCount = argc > 1 ? std::max(4, std::atoi(argv[1])) : 5000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  // Everything the library touches stays in a temporary folder.
  QTemporaryDir sandbox;
  if (!sandbox.isValid()) return 1;
  TestEnvironment::sandboxUserFolders(sandbox.path());
  QCoreApplication application(argc, argv);
  Dialogs::setShared(std::make_unique<ScriptedDialogs>());

  writeCatalog(sandbox.path() + "/catalog", itemCount);
  // A large catalog takes the service a while to read.
  const ServiceProcess service({"--catalog", sandbox.path() + "/catalog"}, {}, 60000);
  if (!service.running()) {
    std::fprintf(stderr, "zaro-service did not start\n");
    return 1;
  }
  service.becomeServiceHost();
  const QString url = service.baseUrl() + QStringLiteral("/service/rss.xml?feedId=big");

  UserDefaults defaults(sandbox.path() + "/settings.ini");
  defaults.setString(sandbox.path() + "/downloads", QStringLiteral("DownloadLocation"));
  defaults.setString(QStringLiteral("bench+token"), QStringLiteral("ZaroClientAuthorization"));
  defaults.setInteger(3, QStringLiteral("DownloadVideoCount"));
  defaults.setInteger(1, QStringLiteral("DownloadMaxSimultaneousCount"));
  ZFolderManager folders(defaults);
  QNetworkAccessManager network;

  const QByteArray document = get(network, url);

  std::vector<double> expat, fetch, passNew, passUnchanged;
  for (int round = 0; round < rounds; ++round) {
    expat.push_back(seconds([&] {
      if (!expatParse(document)) std::exit(1);
    }));
    fetch.push_back(seconds([&] { get(network, url); }));

    const QString folder = sandbox.path() + QStringLiteral("/library-%1").arg(round);
    auto database = std::make_unique<VideoDatabase>(VideoDatabase::pathsUnder(folder), &folders);
    if (!database->createDatabase() || !database->addFeedWithName(url, url, 0)) return 1;

    ZDownloadEnvironment environment;
    environment.network = &network;
    environment.folders = &folders;
    environment.defaults = &defaults;
    environment.database = database.get();
    // No disk space: the three queued downloads stop after their meta
    // information and stay out of the way of the timing.
    environment.freeBytes = [](const QString &) { return quint64(0); };
    auto queue = std::make_unique<ZDownloadDataSource>(environment);
    ZSubscriptionManager::Parts parts;
    parts.network = &network;
    parts.defaults = &defaults;
    parts.database = database.get();
    parts.downloads = queue.get();
    auto manager = std::make_unique<ZSubscriptionManager>(parts);

    const auto pass = [&] {
      manager->timedFeedItemDownloading();
      runUntil([&] { return !manager->isCheckingFeeds(); });
    };
    passNew.push_back(seconds(pass));
    const int stored = count(*database, QStringLiteral("SELECT count(*) AS n FROM FeedItems;"));
    const int cancelled =
        count(*database, QStringLiteral("SELECT count(*) AS n FROM FeedItems WHERE State=-1;"));
    if (stored != itemCount || cancelled != itemCount - 3 || queue->count() != 3) {
      std::fprintf(stderr, "after the first pass: %d items stored, %d cancelled, %d queued\n",
                   stored, cancelled, queue->count());
      return 1;
    }
    passUnchanged.push_back(seconds(pass));
    if (queue->count() != 3) {
      std::fprintf(stderr, "the unchanged pass queued more\n");
      return 1;
    }

    manager.reset();
    queue.reset();
    flushDeletes();
    database.reset();
  }

  const Timing reference = summarize(expat);
  std::printf("feed: %d items, %.2f MB as read, %d rounds (best / median)\n", itemCount,
              double(document.size()) / 1e6, rounds);
  auto line = [&](const char *name, const std::vector<double> &values) {
    const Timing t = summarize(values);
    std::printf("  %-50s %8.1f ms / %8.1f ms   %6.1fx expat\n", name, t.best * 1e3, t.median * 1e3,
                t.best / reference.best);
  };
  line("expat, bare parse (reference)", expat);
  line("plain GET of the feed (QNetworkAccessManager)", fetch);
  line("(a) pass, new feed: fetch, read, save, new items", passNew);
  line("(b) pass, unchanged feed", passUnchanged);
  std::printf("goal: (a) < 1500 ms, (b) < 1000 ms\n");
  return 0;
}
