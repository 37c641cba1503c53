// download_start: how long the interface thread stalls while downloads start
// over a media folder that already holds many files, against the same run's
// idle frame time.
//
// Fills the media folder with 10,000 files (old thumbnails and videos), starts
// zaro-service on a catalog of short videos and a download queue over a fresh
// library in the folder, activated as at start-up. A 60-per-second frame
// timer runs on the main thread throughout; the gap between two of its ticks
// is a frame. First the loop idles; then the videos are downloaded one after
// another (meta information, thumbnail, the transfer, the library entry). The
// longest frame while downloads start and run, against the median idle frame,
// is the stall ratio (goal: near 1, whatever the folder holds).
//
// The library lives in memory (under /dev/shm when there is one): each of its
// commits waits for the disk to flush, which takes from nothing to a hundred
// milliseconds and more depending on the disk, and would hide what the
// downloads themselves cost; "library-on-disk" keeps it beside the media.
//
// Usage: download_start [files=10000] [downloads=10] [library-on-disk]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "NotificationCenter.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadEnvironment.h"
#include "ZFolderManager.h"

namespace {

constexpr int kFrameMs = 16;

struct Failure {
  QString what;
};
[[noreturn]] void fail(const QString &what) { throw Failure{what}; }

void writeFile(const QString &path, const QByteArray &bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
    fail("cannot write " + path);
}

// `count` videos of 256 KiB sharing one file and one thumbnail.
void writeCatalog(const QString &dir, int count) {
  writeFile(dir + "/media/clip.bin", QByteArray(256 * 1024, 'v'));
  writeFile(dir + "/images/thumb.jpg", QByteArray(6000, 'j'));
  QByteArray videos;
  for (int n = 1; n <= count; ++n) {
    if (!videos.isEmpty()) videos += ",\n";
    videos += "    { \"permalink\": \"clip-" + QByteArray::number(n) + "\", \"title\": \"Clip " +
              QByteArray::number(n) +
              "\", \"file\": \"media/clip.bin\", \"icon\": \"thumb\", \"extension\": \".mp4\" }";
  }
  writeFile(dir + "/catalog.json",
            "{\n  \"images\": { \"thumb\": \"images/thumb.jpg\" },\n"
            "  \"videos\": [\n" +
                videos + "\n  ]\n}\n");
}

// What the media folder of a long-used library holds: a thumbnail and a
// small stand-in video for every earlier download.
void fillMediaFolder(const QString &media, const QString &images, int files) {
  const QByteArray thumbnail(3000, 't'), video(2000, 'v');
  for (int n = 0; n < files; ++n) {
    if (n % 2 == 0)
      writeFile(images + QStringLiteral("/earlier-%1.jpg").arg(n), thumbnail);
    else
      writeFile(media + QStringLiteral("/earlier-%1.mp4").arg(n), video);
  }
}

// The main thread's frames: the time between the ticks of a 16 ms timer.
class FrameClock {
 public:
  FrameClock() {
    fTimer.setTimerType(Qt::PreciseTimer);
    fTimer.setInterval(kFrameMs);
    QObject::connect(&fTimer, &QTimer::timeout, [this] {
      const qint64 now = fClock.nsecsElapsed();
      if (fLast >= 0) fFrames.push_back(double(now - fLast) / 1e6);
      fLast = now;
    });
    fClock.start();
    fTimer.start();
  }
  // Forgets the frames so far.
  void restart() {
    fFrames.clear();
    fLast = -1;
  }
  const std::vector<double> &frames() const { return fFrames; }

 private:
  QTimer fTimer;
  QElapsedTimer fClock;
  qint64 fLast = -1;
  std::vector<double> fFrames;
};

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
double longest(const std::vector<double> &values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

int run(int argc, char **argv) {
  const int files = argc > 1 ? std::max(0, std::atoi(argv[1])) : 10000;
  const int downloads = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

  QTemporaryDir sandbox;
  if (!sandbox.isValid()) return 1;
  TestEnvironment::sandboxUserFolders(sandbox.path());
  QCoreApplication application(argc, argv);

  writeCatalog(sandbox.path() + "/catalog", downloads);
  const ServiceProcess service({"--catalog", sandbox.path() + "/catalog"}, {}, 60000);
  if (!service.running()) fail(QStringLiteral("zaro-service did not start"));
  service.becomeServiceHost();

  const QString root = sandbox.path();
  const bool libraryOnDisk = argc > 3 && QByteArray(argv[3]) == "library-on-disk";
  QTemporaryDir memory(QStringLiteral("/dev/shm/zaro-download-start-XXXXXX"));
  const QString libraryFolder =
      !libraryOnDisk && memory.isValid() ? memory.path() : root + "/library";
  QDir().mkpath(libraryFolder);
  UserDefaults defaults(root + "/settings.ini");
  defaults.setString(root + "/downloads", QStringLiteral("DownloadLocation"));
  defaults.setString(QStringLiteral("local+token"), QStringLiteral("ZaroClientAuthorization"));
  defaults.setInteger(1, QStringLiteral("DownloadMaxSimultaneousCount"));
  defaults.setInteger(100, QStringLiteral("DownloadAllowedDiskUsage"));
  ZFolderManager folders(defaults);
  VideoDatabase database(VideoDatabase::pathsUnder(libraryFolder), &folders);
  if (!database.createDatabase()) fail(QStringLiteral("no library"));
  fillMediaFolder(folders.userMediaFilesFolderPath(), folders.userMediaFileImagesFolderPath(),
                  files);

  QNetworkAccessManager network;
  ZDownloadEnvironment environment;
  environment.network = &network;
  environment.folders = &folders;
  environment.defaults = &defaults;
  environment.database = &database;
  environment.freeBytes = [](const QString &) { return quint64(1) << 40; };
  ZDownloadDataSource queue(environment);

  // The application's part: the finished video enters the library.
  int finished = 0;
  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.addObserver(&finished, DownloadNotification::FinishedAddToDatabase,
                     [&](const Notification &n) {
                       auto *item = n.object.value<ZDownloadItem *>();
                       VideoDatabase::AddVideoParams params;
                       params.title = item->title();
                       params.path = item->downloadedPath();
                       params.imagePath = item->imageFilePath();
                       params.permaLink = item->permalink();
                       item->setVideoId(database.addVideo(params));
                     });
  center.addObserver(&finished, DownloadNotification::Finished,
                     [&](const Notification &) { ++finished; });

  FrameClock clock;
  QElapsedTimer activation;
  activation.start();
  queue.activate();
  const double activationMs = double(activation.nsecsElapsed()) / 1e6;

  TestEnvironment::runLoopFor(300);  // settle
  clock.restart();
  TestEnvironment::runLoopFor(2000);
  const std::vector<double> idle = clock.frames();

  std::vector<double> perDownload;
  std::vector<double> all;
  QElapsedTimer wall;
  wall.start();
  for (int n = 1; n <= downloads; ++n) {
    clock.restart();
    const int before = finished;
    if (!queue.downloadVideo(QStringLiteral("clip-%1").arg(n), DownloadTypeDirect))
      fail(QStringLiteral("clip-%1 was refused").arg(n));
    if (!TestEnvironment::runLoopUntil([&] { return finished > before; }, 60000))
      fail(QStringLiteral("clip-%1 did not finish").arg(n));
    TestEnvironment::runLoopFor(2 * kFrameMs);  // the frame after the end
    perDownload.push_back(longest(clock.frames()));
    all.insert(all.end(), clock.frames().begin(), clock.frames().end());
  }
  center.removeObserver(&finished);

  const double idleFrame = median(idle);
  std::printf(
      "media folder: %d files; library %s; %d downloads of 256 KiB in %.1f s; "
      "activation %.1f ms\n",
      files, libraryFolder.startsWith(root) ? "on disk" : "in memory", downloads,
      wall.elapsed() / 1000.0, activationMs);
  std::printf("  idle (reference)       median frame %6.2f ms  longest %6.2f ms  (%zu frames)\n",
              idleFrame, longest(idle), idle.size());
  std::printf("  downloads starting     median frame %6.2f ms  longest %6.2f ms  (%zu frames)\n",
              median(all), longest(all), all.size());
  std::printf("  longest frame per download: median %.2f ms\n", median(perDownload));
  std::printf("ratio longest stall / idle frame: %.2fx (median per download %.2fx; goal: near 1)\n",
              longest(all) / idleFrame, median(perDownload) / idleFrame);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  try {
    return run(argc, argv);
  } catch (const Failure &failure) {
    std::fprintf(stderr, "download_start: %s\n", qPrintable(failure.what));
    return 1;
  }
}
