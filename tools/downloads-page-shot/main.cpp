// zaro-downloads-page-shot: the downloads page with downloads in each kind of
// state, for its screenshot. Against zaro-service (its demo and two big
// generated videos) it leaves, top to bottom: two transfers running (slowed
// by the service's rate fault), two downloads waiting for a slot, one whose
// transfer failed (the service answers 500), and one finished; then saves
// the page as a PNG.
//
// Usage: zaro-downloads-page-shot FILE.png   (screenshots.sh runs it under Xvfb)
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>

#include "Dialogs.h"
#include "DownloadStack.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadTableView.h"
#include "ZSkin.h"

namespace {

using TestEnvironment::runLoopUntil;

// Ends the run; unwinding stops the service on the way out.
struct Failure {
  const char *what;
};
[[noreturn]] void fail(const char *what) { throw Failure{what}; }

int run(int argc, char **argv) {
  QTemporaryDir sandbox;
  if (!sandbox.isValid()) return 1;
  TestEnvironment::sandboxUserFolders(sandbox.path());
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

  DownloadStack stack(sandbox.path(), {.simultaneousDownloads = 2});
  if (!stack.ok()) fail("no library");
  ZDownloadDataSource &queue = *stack.queue;

  ZDownloadTableEnvironment pageEnvironment;
  pageEnvironment.queue = &queue;
  pageEnvironment.defaults = stack.defaults.get();
  pageEnvironment.nowPlaying = stack.nowPlaying.get();
  ZDownloadTableView page(pageEnvironment);
  page.setWindowTitle(QStringLiteral("Downloads"));
  page.resize(1000, 40 + 6 * 88 + 24);
  page.show();

  const auto state = [&](const QString &permalink) {
    ZDownloadItem *download = stack.item(permalink);
    return download ? download->jobState() : JobStateNone;
  };

  // Finished, then failed: these two leave the slots free again.
  queue.downloadVideo(QStringLiteral("ocean-sunrise"), DownloadTypeDirect);
  if (!runLoopUntil([&] { return state("ocean-sunrise") == JobStateCompleted; }))
    fail("the first download did not finish");
  fault(QStringLiteral("city-timelapse"), "status", 500);
  queue.downloadVideo(QStringLiteral("city-timelapse"), DownloadTypeDirect);
  if (!runLoopUntil([&] { return state("city-timelapse") == JobStateFailed; }))
    fail("the failing download did not fail");
  // Two slow transfers take both slots; two more wait for one.
  fault(QStringLiteral("big-64mb"), "rate", 1400 * 1024);
  fault(QStringLiteral("big-96mb"), "rate", 600 * 1024);
  for (const char *permalink : {"big-64mb", "big-96mb"})
    queue.downloadVideo(QString::fromLatin1(permalink), DownloadTypeDirect);
  if (!runLoopUntil([&] {
        return state("big-64mb") == JobStateDownloadingVideo &&
               state("big-96mb") == JobStateDownloadingVideo;
      }))
    fail("the slow transfers did not start");
  for (const char *permalink : {"mountain-trail", "cooking-basics-1"})
    queue.downloadVideo(QString::fromLatin1(permalink), DownloadTypeDirect);
  if (!runLoopUntil([&] {
        return stack.item("big-64mb")->byteRate() > 0 && stack.item("big-96mb")->byteRate() > 0 &&
               state("mountain-trail") == JobStatePendingImage &&
               state("cooking-basics-1") == JobStatePendingImage;
      }))
    fail("the last two did not wait for a slot");
  // Some progress to show.
  TestEnvironment::runLoopFor(6000);

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
