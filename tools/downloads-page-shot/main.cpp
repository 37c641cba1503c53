// zaro-downloads-page-shot: the downloads page with downloads in each kind of
// state, for its screenshot. Against zaro-service (its demo and two big
// generated videos) it leaves, top to bottom: two transfers running (slowed
// by the service's rate fault), two downloads waiting for a slot, one whose
// transfer failed (the service answers 500), and one finished; then saves
// the page as a PNG.
//
// Usage: zaro-downloads-page-shot FILE.png   (screenshots.sh runs it under Xvfb)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <functional>

#include "Dialogs.h"
#include "ServiceProcess.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadEnvironment.h"
#include "ZDownloadTableView.h"
#include "ZFolderManager.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

namespace {

// Runs the event loop until done() holds (looked at every 50 ms); false
// when it did not in time.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 60000) {
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() > timeoutMs) loop.quit();
  });
  check.start(50);
  if (!done()) loop.exec();
  return done();
}

// Ends the run; unwinding stops the service on the way out.
struct Failure {
  const char *what;
};
[[noreturn]] void fail(const char *what) { throw Failure{what}; }

int run(int argc, char **argv) {
  QTemporaryDir sandbox;
  if (!sandbox.isValid()) return 1;
  for (const char *variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
    const QString path = sandbox.path() + "/" + QString::fromLatin1(variable);
    QDir().mkpath(path);
    qputenv(variable, path.toLocal8Bit());
  }
  QApplication application(argc, argv);
  Dialogs::setShared(std::make_unique<ScriptedDialogs>());
  ZSkinManager &skins = ZSkinManager::sharedSkinManager();
  skins.setCurrentSkin(skins.getDefaultSkin());

  const ServiceProcess service({"--demo", "--big-file", "64", "--big-file", "96"},
                               sandbox.path());
  if (!service.running()) fail("zaro-service did not start");
  service.becomeServiceHost();
  QHash<QString, QString> videoPaths;  // permalink -> path of its file on the service
  for (const QJsonValue &video : service.control("/_control/catalog")["videos"].toArray())
    videoPaths.insert(video["permalink"].toString(), QUrl(video["url"].toString()).path());
  const auto fault = [&](const QString &permalink, const char *kind, int value) {
    const QString rule = QStringLiteral(R"({"kind": "%1", "value": %2, "path": "%3", "count": 1000})")
                             .arg(QLatin1String(kind))
                             .arg(value)
                             .arg(videoPaths.value(permalink));
    if (!service.addFault(rule.toStdString())) fail("the service refused a fault rule");
  };

  QDir().mkpath(sandbox.path() + "/library");
  UserDefaults defaults(sandbox.path() + "/settings.ini");
  defaults.setString(sandbox.path() + "/downloads", QStringLiteral("DownloadLocation"));
  defaults.setString(QStringLiteral("shot+token"), QStringLiteral("ZaroClientAuthorization"));
  defaults.setInteger(2, QStringLiteral("DownloadMaxSimultaneousCount"));
  defaults.setInteger(100, QStringLiteral("DownloadAllowedDiskUsage"));
  ZFolderManager folders(defaults);
  VideoDatabase database(VideoDatabase::pathsUnder(sandbox.path() + "/library"), &folders);
  if (!database.createDatabase()) fail("no library");
  QNetworkAccessManager network;
  ZDownloadEnvironment environment;
  environment.network = &network;
  environment.folders = &folders;
  environment.defaults = &defaults;
  environment.database = &database;
  environment.freeBytes = [](const QString &) { return quint64(1) << 40; };
  environment.progressIntervalMs = 500;
  ZDownloadDataSource queue(environment);
  ZPlaylistDataSource playlists(database);
  ZNowPlayingListDataSource nowPlaying(playlists, database);

  ZDownloadTableEnvironment pageEnvironment;
  pageEnvironment.queue = &queue;
  pageEnvironment.defaults = &defaults;
  pageEnvironment.nowPlaying = &nowPlaying;
  ZDownloadTableView page(pageEnvironment);
  page.setWindowTitle(QStringLiteral("Downloads"));
  page.resize(1000, 40 + 6 * 88 + 24);
  page.show();

  const auto item = [&](const QString &permalink) -> ZDownloadItem * {
    for (const auto &ref : queue.downloadItems())
      if (ref->permalink() == permalink) return ref.get();
    return nullptr;
  };
  const auto state = [&](const QString &permalink) {
    ZDownloadItem *download = item(permalink);
    return download ? download->jobState() : JobStateNone;
  };

  // Finished, then failed: these two leave the slots free again.
  queue.downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect);
  if (!runUntil([&] { return state("ocean-sunrise") == JobStateCompleted; }))
    fail("the first download did not finish");
  fault(QStringLiteral("city-timelapse"), "status", 500);
  queue.downloadVideo(QStringLiteral("city-timelapse"), DownloadTypeDirect);
  if (!runUntil([&] { return state("city-timelapse") == JobStateFailed; }))
    fail("the failing download did not fail");
  // Two slow transfers take both slots; two more wait for one.
  fault(QStringLiteral("big-64mb"), "rate", 1400 * 1024);
  fault(QStringLiteral("big-96mb"), "rate", 600 * 1024);
  for (const char *permalink : {"big-64mb", "big-96mb"})
    queue.downloadVideo(QString::fromLatin1(permalink), DownloadTypeDirect);
  if (!runUntil([&] {
        return state("big-64mb") == JobStateDownloadingVideo &&
               state("big-96mb") == JobStateDownloadingVideo;
      }))
    fail("the slow transfers did not start");
  for (const char *permalink : {"mountain-trail", "cooking-basics-1"})
    queue.downloadVideo(QString::fromLatin1(permalink), DownloadTypeDirect);
  if (!runUntil([&] {
        return item("big-64mb")->byteRate() > 0 && item("big-96mb")->byteRate() > 0 &&
               state("mountain-trail") == JobStatePendingImage &&
               state("cooking-basics-1") == JobStatePendingImage;
      }))
    fail("the last two did not wait for a slot");
  // Some progress to show.
  QElapsedTimer clock;
  clock.start();
  runUntil([&] { return clock.elapsed() > 6000; }, 10000);

  if (!page.grab().save(QString::fromLocal8Bit(argv[1]))) fail("cannot save the picture");
  std::printf("%s: %d downloads\n", argv[1], queue.count());
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zaro-downloads-page-shot FILE.png\n");
    return 2;
  }
  try {
    return run(argc, argv);
  } catch (const Failure &failure) {
    std::fprintf(stderr, "zaro-downloads-page-shot: %s\n", failure.what);
    return 1;
  }
}
