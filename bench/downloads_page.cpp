// downloads_page: what the downloads page costs while downloads run, next to
// the same queue with the page hidden, in one run.
//
// Writes a catalog of 1,000 videos, starts zaro-service on it with its bodies
// slowed to a fixed rate, queues all 1,000 with a limit of 3 simultaneous
// downloads (3 running, 997 waiting for a slot) and makes the downloads page
// over that queue. Then, in alternating rounds, it runs the event loop with
// the page hidden and with the page shown, and measures per progress tick
// ("VideoDownloadProgressUpdated") the process's CPU time, and how many row
// paints there were; the peak and the current resident memory after each
// kind of round.
// Goal: the shown page costs at most 1.5x the hidden one per tick (only the
// rows in sight repaint, whatever the queue's length).
//
// Usage: downloads_page [videos=1000] [seconds per round=4] [rounds=3]
// (the offscreen platform unless QT_QPA_PLATFORM says otherwise)
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "Dialogs.h"
#include "DownloadStack.h"
#include "NotificationCenter.h"
#include "ServiceProcess.h"
#include "TestEnvironment.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadTableRowView.h"
#include "ZDownloadTableView.h"
#include "ZSkin.h"

namespace {

constexpr int kRunning = 3;
constexpr int kBytesPerSecond = 256 * 1024;  // each running transfer

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// A memory figure of /proc/self/status in MiB: "VmHWM" the peak resident
// set so far, "VmRSS" the resident set now.
double memoryMiB(const QByteArray &field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith(field + ':'))
      return line.mid(field.size() + 1).trimmed().split(' ').first().toDouble() / 1024;
  return -1;
}

// Ends the run; unwinding stops the service on the way out.
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

// `count` videos sharing one 64 MiB file and one real thumbnail.
void writeCatalog(const QString &dir, int count) {
  {
    // Written a piece at a time: the run's peak memory is the page's business.
    QDir().mkpath(dir + "/media");
    QFile big(dir + "/media/big.bin");
    const QByteArray piece(1 << 20, 'v');
    if (!big.open(QIODevice::WriteOnly)) fail(QStringLiteral("cannot write the video file"));
    for (int i = 0; i < 64; ++i)
      if (big.write(piece) != piece.size()) fail(QStringLiteral("cannot write the video file"));
  }
  QImage thumbnail(160, 90, QImage::Format_RGB32);
  thumbnail.fill(QColor(0x35, 0x84, 0xe4));
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  thumbnail.save(&buffer, "JPEG");
  writeFile(dir + "/images/thumb.jpg", jpeg);
  QByteArray videos;
  for (int n = 1; n <= count; ++n) {
    if (!videos.isEmpty()) videos += ",\n";
    videos += "    { \"permalink\": \"video-" + QByteArray::number(n) + "\", \"title\": \"Video " +
              QByteArray::number(n) +
              ": a walk along the harbour at dawn\", \"file\": \"media/big.bin\", \"icon\": "
              "\"thumb\", \"extension\": \".mp4\" }";
  }
  writeFile(dir + "/catalog.json", "{\n  \"images\": { \"thumb\": \"images/thumb.jpg\" },\n"
                                   "  \"videos\": [\n" + videos + "\n  ]\n}\n");
}

// Runs the event loop until done() holds (looked at every 50 ms).
void runUntil(const std::function<bool()> &done, int timeoutMs) {
  if (!TestEnvironment::runLoopUntil(done, timeoutMs))
    fail(QStringLiteral("the queue did not get ready in time"));
}

using TestEnvironment::runLoopFor;

// Counts the paints of download rows.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint && qobject_cast<ZDownloadTableRowView *>(watched)) ++paints;
    return false;
  }
};

struct Round {
  double cpu = 0;
  int ticks = 0;
  int paints = 0;
};

int run(int argc, char **argv) {
  const int videoCount = argc > 1 ? std::max(kRunning + 1, std::atoi(argv[1])) : 1000;
  const int roundMs = (argc > 2 ? std::max(1, std::atoi(argv[2])) : 4) * 1000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

  QTemporaryDir sandbox;
  if (!sandbox.isValid()) return 1;
  TestEnvironment::sandboxUserFolders(sandbox.path());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  Dialogs::setShared(std::make_unique<ScriptedDialogs>());
  ZSkinManager &skins = ZSkinManager::sharedSkinManager();
  skins.setCurrentSkin(skins.getDefaultSkin());

  writeCatalog(sandbox.path() + "/catalog", videoCount);
  const ServiceProcess service({"--catalog", sandbox.path() + "/catalog", "--fault-rate",
                                QString::number(kBytesPerSecond), "--fault-path", "/cache/"},
                               {}, 60000);
  if (!service.running()) fail(QStringLiteral("zaro-service did not start"));
  service.becomeServiceHost();

  DownloadStack stack(sandbox.path(), {.simultaneousDownloads = kRunning,
                                        .freeBytes = quint64(1) << 50,
                                        .progressIntervalMs = 250});
  if (!stack.ok()) fail(QStringLiteral("no library"));
  ZDownloadDataSource &queue = *stack.queue;

  // The page exists from the start, hidden, so that both kinds of round see
  // the same objects.
  ZDownloadTableEnvironment pageEnvironment;
  pageEnvironment.queue = &queue;
  pageEnvironment.defaults = stack.defaults.get();
  pageEnvironment.nowPlaying = stack.nowPlaying.get();
  ZDownloadTableView page(pageEnvironment);
  page.resize(1000, 700);

  QElapsedTimer setUp;
  setUp.start();
  for (int n = 1; n <= videoCount; ++n)
    queue.downloadVideo(QStringLiteral("video-%1").arg(n), DownloadTypeDirect);
  const auto countIn = [&](int state) {
    int n = 0;
    for (const auto &item : queue.downloadItems()) n += item->jobState() == state;
    return n;
  };
  runUntil([&] { return countIn(JobStateDownloadingVideo) == kRunning &&
                        countIn(JobStatePendingImage) == videoCount - kRunning; },
           120000);
  std::printf("queue: %d downloads, %d running at %d KiB/s each, %d waiting (ready in %.1f s)\n",
              queue.count(), countIn(JobStateDownloadingVideo), kBytesPerSecond / 1024,
              countIn(JobStatePendingImage), setUp.elapsed() / 1000.0);

  int ticks = 0;
  NotificationCenter::defaultCenter().addObserver(
      &ticks, DownloadNotification::ProgressUpdated, [&](const Notification &) { ++ticks; });
  PaintCounter counter;
  application.installEventFilter(&counter);

  Round hidden, shown;
  double peakHidden = 0, peakShown = 0, residentHidden = 0, residentShown = 0;
  const auto measure = [&](Round &total) {
    runLoopFor(500);  // settle
    const double cpu = cpuSeconds();
    const int ticksBefore = ticks, paintsBefore = counter.paints;
    runLoopFor(roundMs);
    total.cpu += cpuSeconds() - cpu;
    total.ticks += ticks - ticksBefore;
    total.paints += counter.paints - paintsBefore;
  };
  for (int round = 0; round < rounds; ++round) {
    page.hide();
    measure(hidden);
    peakHidden = std::max(peakHidden, memoryMiB("VmHWM"));
    residentHidden = std::max(residentHidden, memoryMiB("VmRSS"));
    page.show();
    measure(shown);
    peakShown = std::max(peakShown, memoryMiB("VmHWM"));
    residentShown = std::max(residentShown, memoryMiB("VmRSS"));
  }
  NotificationCenter::defaultCenter().removeObserver(&ticks);
  if (countIn(JobStateDownloadingVideo) != kRunning || hidden.ticks == 0 || shown.ticks == 0)
    fail(QStringLiteral("the transfers did not keep running through the rounds"));

  const double perTickHidden = hidden.cpu / hidden.ticks * 1e3;
  const double perTickShown = shown.cpu / shown.ticks * 1e3;
  std::printf("%d rounds of %.1f s each way, %d rows in sight\n", rounds, roundMs / 1000.0,
              int(page.findChildren<ZDownloadTableRowView *>().size()));
  const char *format =
      "  %-24s %5d ticks  %7.3f ms CPU per tick  %5.2f row paints per tick  peak %6.1f MiB"
      "  resident %6.1f MiB\n";
  std::printf(format, "page hidden (reference)", hidden.ticks, perTickHidden,
              double(hidden.paints) / hidden.ticks, peakHidden, residentHidden);
  std::printf(format, "page shown", shown.ticks, perTickShown, double(shown.paints) / shown.ticks,
              peakShown, residentShown);
  std::printf("ratio shown / hidden: %.2fx CPU per tick, %.2fx peak memory (goal: CPU <= 1.5x)\n",
              perTickShown / perTickHidden, peakShown / peakHidden);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  try {
    return run(argc, argv);
  } catch (const Failure &failure) {
    std::fprintf(stderr, "downloads_page: %s\n", qPrintable(failure.what));
    return 1;
  }
}
