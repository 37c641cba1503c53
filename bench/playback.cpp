// playback: the same 20-second 1280x720 30 fps clip played by the mpv
// command-line player in its own window and through the player's movie view
// (ZOMovieView on the libmpv engine), taking turns for a few rounds in one
// run, each play in a process of its own; prints each one's CPU time (user +
// system, the whole process with all its threads, from its start to its end)
// and the frames it dropped, then the medians and their ratio.
//
// Needs a display: bench/playback.sh runs it under Xvfb, where Mesa's
// software OpenGL draws for both (mpv's own window needs --gpu-sw=yes to
// accept a software renderer; the render API the movie view uses does not
// ask). Software decoding for both. Build in Release to measure.
//
//   playback [CLIP [ROUNDS]] the comparison, 3 rounds unless told (the clip
//                            is made with ffmpeg when none is given)
//   playback --view CLIP     one run through the movie view (used by the above)
//   playback --cleared-widget | --cleared-window
//                            Qt alone showing 600 cleared frames (used by the above)
#include "ZMpvBackEnd.h"
#include "ZOMovieView.h"

#include <QApplication>
#include <QDir>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QOpenGLWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// One run through the movie view: a window as large as the clip, the view
// filling it; plays the clip to its end, then writes the dropped frames.
int playThroughView(int argc, char **argv, const QString &clip) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Zaro movie view"));
  auto *layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  ZMpvBackEnd engine(false, nullptr);
  auto *view = new ZOMovieView(&window);
  view->setEngine(&engine);
  layout->addWidget(view);
  window.resize(kWidth, kHeight);
  window.show();
  int status = 1;
  QObject::connect(&engine, &ZMediaBackEnd::ended, &app, [&] {
    std::printf("drawn %lld\ndropped %lld\n", static_cast<long long>(view->framesDrawn()),
                static_cast<long long>(engine.droppedFrameCount()));
    std::fflush(stdout);
    status = 0;
    app.quit();
  });
  // Once the view draws, as the player does: open, show, play.
  QObject::connect(&engine, &ZMediaBackEnd::opened, &app, [&] {
    view->setMovie(&engine);
    engine.play();
  });
  QObject::connect(&engine, &ZMediaBackEnd::openFailed, &app, [&](const QString &error) {
    std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(clip), qPrintable(error));
    app.exit(1);
  });
  QTimer start;
  start.setInterval(10);
  QObject::connect(&start, &QTimer::timeout, &app, [&] {
    if (!view->isRendering()) return;
    start.stop();
    engine.open(clip);
  });
  start.start();
  QTimer::singleShot(120000, &app, [&] { app.exit(1); });
  app.exec();
  engine.shutDown();
  return status;
}

// What Qt itself costs to show 600 frames in a window of that size, each
// frame only cleared: through an OpenGL widget (drawn into a texture that
// Qt then composes into the window) or through a plain OpenGL window (drawn
// straight into the window, as the movie view's own native window is).
template <typename Surface>
class ClearedFrames : public Surface {
 public:
  int frames = 0;

 protected:
  void paintGL() override {
    QOpenGLFunctions *gl = this->context()->functions();
    gl->glClearColor(float(frames % 30) / 30.0f, 0.5f, 0.2f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    ++frames;
  }
};

int showClearedFrames(int argc, char **argv, bool widget) {
  QApplication app(argc, argv);
  ClearedFrames<QOpenGLWidget> asWidget;
  ClearedFrames<QOpenGLWindow> asWindow;
  int *frames = widget ? &asWidget.frames : &asWindow.frames;
  if (widget) {
    asWidget.resize(kWidth, kHeight);
    asWidget.show();
  } else {
    asWindow.resize(kWidth, kHeight);
    asWindow.show();
  }
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(33);
  QObject::connect(&tick, &QTimer::timeout, &app, [&] {
    if (*frames >= 600) {
      std::printf("dropped 0\n");
      app.quit();
      return;
    }
    widget ? asWidget.update() : asWindow.update();
  });
  tick.start();
  app.exec();
  return 0;
}

struct Run {
  double cpuSeconds = 0;
  long long dropped = -1;
  bool ok = false;
};

// Runs the program and waits for it; its CPU time and the number after
// "dropped " on its standard output.
Run measure(const std::vector<std::string> &command) {
  Run run;
  int out[2];
  if (pipe(out) != 0) return run;
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char *> args;
    for (const std::string &part : command) args.push_back(const_cast<char *>(part.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) output.append(buffer, size_t(n));
  close(out[0]);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  const size_t at = output.rfind("dropped ");
  if (at != std::string::npos) run.dropped = std::atoll(output.c_str() + at + 8);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.dropped >= 0;
  return run;
}

// The median CPU time and the median dropped frames of the runs.
Run median(std::vector<Run> runs) {
  Run middle;
  std::sort(runs.begin(), runs.end(),
            [](const Run &a, const Run &b) { return a.cpuSeconds < b.cpuSeconds; });
  middle.cpuSeconds = runs[runs.size() / 2].cpuSeconds;
  std::sort(runs.begin(), runs.end(),
            [](const Run &a, const Run &b) { return a.dropped < b.dropped; });
  middle.dropped = runs[runs.size() / 2].dropped;
  middle.ok = true;
  return middle;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::string(argv[1]) == "--view") return playThroughView(argc, argv, argv[2]);
  if (argc == 2 && std::string(argv[1]) == "--cleared-widget")
    return showClearedFrames(argc, argv, true);
  if (argc == 2 && std::string(argv[1]) == "--cleared-window")
    return showClearedFrames(argc, argv, false);
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "playback needs a display; run bench/playback.sh (Xvfb)\n");
    return 2;
  }

  QTemporaryDir work(QDir::tempPath() + "/zaro-bench-playback-XXXXXX");
  std::string clip = argc > 1 ? argv[1] : "";
  if (clip.empty()) {
    clip = (work.path() + "/clip-720p30-20s.mp4").toStdString();
    std::fprintf(stderr, "making the clip...\n");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-hide_banner", "-loglevel", "error",     "-y",
                  "-f",           "lavfi",     "-i",        "testsrc2=size=1280x720:rate=30",
                  "-f",           "lavfi",     "-i",        "sine=frequency=440:sample_rate=48000",
                  "-t",           "20",        "-c:v",      "libx264",
                  "-preset",      "veryfast",  "-pix_fmt",  "yuv420p",
                  "-c:a",         "aac",       "-shortest", QString::fromStdString(clip)});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
      std::fprintf(stderr, "the ffmpeg tool could not make the clip\n");
      return 1;
    }
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  const std::string script = ZARO_BENCH_DIR "/playback-stats.lua";
  const std::string geometry = std::to_string(kWidth) + "x" + std::to_string(kHeight);
  const std::vector<std::string> mpvCommand = {"mpv",
                                               "--no-config",
                                               "--really-quiet",
                                               "--vo=gpu",
                                               "--gpu-sw=yes",
                                               "--hwdec=no",
                                               "--keep-open=yes",
                                               "--geometry=" + geometry,
                                               "--autofit=" + geometry,
                                               "--script=" + script,
                                               clip};
  const std::vector<std::string> viewCommand = {argv[0], "--view", clip};

  // The two take turns, so that whatever else the machine does falls on both.
  std::vector<Run> mpvRuns, viewRuns;
  std::printf("playback: a 20 s clip of 1280x720 at 30 fps, H.264 and AAC, in a 1280x720 window\n");
  for (int round = 1; round <= rounds; ++round) {
    const Run mpv = measure(mpvCommand);
    const Run view = measure(viewCommand);
    if (!mpv.ok || !view.ok) {
      std::fprintf(stderr, "a run failed (mpv %s, movie view %s)\n", mpv.ok ? "ok" : "failed",
                   view.ok ? "ok" : "failed");
      return 1;
    }
    std::printf(
        "  round %d   mpv CPU %6.2f s, dropped %3lld   movie view CPU %6.2f s, dropped %3lld\n",
        round, mpv.cpuSeconds, mpv.dropped, view.cpuSeconds, view.dropped);
    std::fflush(stdout);
    mpvRuns.push_back(mpv);
    viewRuns.push_back(view);
  }

  const Run mpv = median(mpvRuns);
  const Run view = median(viewRuns);
  std::printf("  median of %d rounds:\n", rounds);
  std::printf("  mpv command-line player  CPU %6.2f s   dropped %lld frames\n", mpv.cpuSeconds,
              mpv.dropped);
  std::printf("  Zaro movie view          CPU %6.2f s   dropped %lld frames\n", view.cpuSeconds,
              view.dropped);
  const double ratio = mpv.cpuSeconds > 0 ? view.cpuSeconds / mpv.cpuSeconds : 0;
  std::printf("  CPU ratio (view / mpv)   %.2fx   goal <= 1.30x   %s\n", ratio,
              ratio <= 1.3 ? "met" : "NOT met");
  std::printf("  dropped frames           %lld vs %lld   goal: no more than mpv   %s\n",
              view.dropped, mpv.dropped, view.dropped <= mpv.dropped ? "met" : "NOT met");

  // Why the movie view draws into a native window of its own: Qt's cost of
  // showing an OpenGL widget (two more full-window passes of the software
  // renderer per frame) against a plain OpenGL window.
  const Run widget = measure({argv[0], "--cleared-widget"});
  const Run window = measure({argv[0], "--cleared-window"});
  if (widget.ok && window.ok)
    std::printf(
        "  Qt alone, 600 cleared frames: OpenGL widget CPU %.2f s, OpenGL window CPU %.2f s\n",
        widget.cpuSeconds, window.cpuSeconds);
  return 0;
}
