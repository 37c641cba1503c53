// playback_open: how long the interface thread stands still while the movie
// controller opens a video, against the same run's idle frame time.
//
// A 60 Hz frame clock (a precise 16 ms timer, as a window painting its
// frames would have) runs on the Qt loop throughout; its longest gap is the
// longest the interface could not draw. First the clock runs alone: the
// longest gap then is the idle frame time. Then the movie controller (the
// libmpv engine with null outputs, FFmpeg's probe, a real library) opens
// videos of a few kinds, each round from the request until the movie plays
// and a moment beyond it; and a list of short clips plays from one into the
// next at a movie's end. Prints, per kind, the longest gap of all rounds and
// its median, and the ratio of the longest to the idle frame time.
//
//   playback_open [ROUNDS]   (5 unless told; the clips are made with ffmpeg)
//
// No display needed (offscreen platform). Build in Release to measure.
#include "Dialogs.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFolderManager.h"
#include "ZMpvBackEnd.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOQTMovieController.h"
#include "ZPlaylistDataSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kFrameMs = 16;

bool ffmpeg(const QStringList &arguments) {
  QProcess tool;
  tool.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
  return tool.waitForFinished(600000) && tool.exitStatus() == QProcess::NormalExit &&
         tool.exitCode() == 0;
}

// The frame clock: ticks every 16 ms and remembers the longest gap between
// two ticks since it was last reset.
class FrameClock {
 public:
  FrameClock() {
    fTimer.setTimerType(Qt::PreciseTimer);
    fTimer.setInterval(kFrameMs);
    QObject::connect(&fTimer, &QTimer::timeout, [this] {
      const qint64 now = fClock.nsecsElapsed();
      if (fLast >= 0) fLongest = std::max(fLongest, now - fLast);
      fLast = now;
    });
    fClock.start();
    fTimer.start();
  }
  // Forgets the gaps so far (the gap running now counts from here).
  void reset() {
    fLongest = 0;
    fLast = fClock.nsecsElapsed();
  }
  // The longest gap since the reset, the one running now included.
  double longestMs() const {
    return double(std::max(fLongest, fClock.nsecsElapsed() - fLast)) / 1e6;
  }

 private:
  QTimer fTimer;
  QElapsedTimer fClock;
  qint64 fLast = -1;
  qint64 fLongest = 0;
};

// Runs the Qt loop until done() holds or the time is up; false on time-out.
bool runUntil(const std::function<bool()> &done, int timeoutMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (elapsed.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(2, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void runFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Clip {
  const char *label;
  const char *file;
  QStringList arguments;  // to ffmpeg, before the file name
};

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  QTemporaryDir work(QDir::tempPath() + "/zaro-bench-open-XXXXXX");
  const QString root = work.path();
  const QStringList picture720 = {"-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=30"};
  const QStringList picture240 = {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25"};
  const QStringList sound = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"};
  const std::vector<Clip> clips = {
      {"MP4, H.264 720p and AAC, 10 s", "h264.mp4",
       picture720 + sound +
           QStringList{"-t", "10", "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p",
                       "-c:a", "aac", "-shortest"}},
      {"MPEG-TS, H.264 720p and AAC, 10 s", "h264.ts",
       picture720 + sound +
           QStringList{"-t", "10", "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p",
                       "-c:a", "aac", "-shortest"}},
      {"Matroska, VP9 and Opus, 10 s", "vp9.mkv",
       picture240 + sound +
           QStringList{"-t", "10", "-c:v", "libvpx-vp9", "-deadline", "realtime", "-c:a",
                       "libopus", "-shortest"}},
  };
  std::fprintf(stderr, "making the clips...\n");
  for (const Clip &clip : clips) {
    if (!ffmpeg(clip.arguments + QStringList{root + "/" + clip.file})) {
      std::fprintf(stderr, "the ffmpeg tool could not make %s\n", clip.file);
      return 1;
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (!ffmpeg(picture240 + sound +
                QStringList{"-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac",
                            "-shortest", root + QStringLiteral("/short-%1.mp4").arg(i)})) {
      std::fprintf(stderr, "the ffmpeg tool could not make the short clips\n");
      return 1;
    }
  }

  // A library of these clips, and the controller over it.
  Dialogs::setShared(std::make_unique<ScriptedDialogs>());
  UserDefaults defaults(root + "/settings.ini");
  defaults.setString(root + "/downloads", QStringLiteral("DownloadLocation"));
  ZFolderManager folders(defaults);
  VideoDatabase database(VideoDatabase::pathsUnder(root + "/library"), &folders);
  if (!database.createDatabase()) {
    std::fprintf(stderr, "the library could not be made\n");
    return 1;
  }
  const auto add = [&](const QString &file) {
    VideoDatabase::AddVideoParams params;
    params.title = file;
    params.path = root + "/" + file;
    params.extension = file.section('.', -1);
    params.permaLink = file;
    params.save = 0;
    return database.addVideo(params);
  };
  std::vector<int> clipIds;
  for (const Clip &clip : clips) clipIds.push_back(add(clip.file));
  QList<int> shortIds;
  for (int i = 0; i < 3; ++i) shortIds.append(add(QStringLiteral("short-%1.mp4").arg(i)));

  ZPlaylistDataSource playlists(database);
  ZNowPlayingListDataSource nowPlaying(playlists, database);
  ZMpvBackEnd engine(true, nullptr);
  if (!engine.isAvailable()) {
    std::fprintf(stderr, "mpv is not available\n");
    return 1;
  }
  ZOQTMovieController controller(engine, nowPlaying, database, defaults);
  QList<int> started;
  QObject::connect(&controller, &ZOQTMovieController::movieStarted, &app,
                   [&](int id) { started.append(id); });

  FrameClock clock;
  runFor(500);  // the clock settles
  clock.reset();
  runFor(2000);
  const double idle = clock.longestMs();

  std::printf("playback_open: the interface thread while the movie controller opens a video\n");
  std::printf("  idle frame time (longest gap of a 16 ms clock over 2 s)   %6.1f ms\n", idle);
  double worst = 0;
  const auto report = [&](const char *label, const std::vector<double> &gaps) {
    const double longest = *std::max_element(gaps.begin(), gaps.end());
    worst = std::max(worst, longest);
    std::printf("  %-38s longest %7.1f ms  median %7.1f ms  ratio %5.2fx\n", label, longest,
                median(gaps), longest / idle);
    std::fflush(stdout);
  };

  for (size_t c = 0; c < clips.size(); ++c) {
    std::vector<double> gaps;
    for (int round = 0; round < rounds; ++round) {
      started.clear();
      nowPlaying.setVideos({clipIds[c]});
      runFor(50);
      clock.reset();
      controller.play();
      if (!runUntil([&] { return !started.isEmpty() && controller.isPlaying(); }, 30000)) {
        std::fprintf(stderr, "%s did not start\n", clips[c].file);
        return 1;
      }
      runFor(200);
      gaps.push_back(clock.longestMs());
      controller.stop();
      runFor(100);
    }
    report(clips[c].label, gaps);
  }

  // From one short clip into the next at the end of a movie.
  {
    std::vector<double> gaps;
    for (int round = 0; round < rounds; ++round) {
      started.clear();
      nowPlaying.setVideos(shortIds);
      controller.play();
      if (!runUntil([&] { return started.size() == 1; }, 30000)) {
        std::fprintf(stderr, "the first short clip did not start\n");
        return 1;
      }
      // From shortly before the first one's end until the third plays.
      runFor(700);
      clock.reset();
      if (!runUntil([&] { return started.size() == 3; }, 30000)) {
        std::fprintf(stderr, "the list did not go on at a movie's end\n");
        return 1;
      }
      runFor(200);
      gaps.push_back(clock.longestMs());
      controller.stop();
      runFor(100);
    }
    report("1 s clips, one into the next at its end", gaps);
  }
  std::printf("  longest stall / idle frame time        %.2fx   goal <= 2.00x   %s\n", worst / idle,
              worst <= 2.0 * idle ? "met" : "NOT met");
  engine.shutDown();
  return 0;
}
