// The libmpv engine on real files made with the ffmpeg tool, headless (null
// video and audio outputs): opening, lengths as the container records them,
// playing to the end, seeking, scanning backwards, and files it must refuse
// without hanging.
#include "OpenMovie.h"
#include "TestEnvironment.h"
#include "ZMpvBackEnd.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <mpv/client.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <clocale>

#include <gtest/gtest.h>

namespace {

// Makes a clip with the ffmpeg tool; true when it worked.
bool ffmpeg(const QStringList &arguments) {
  QProcess tool;
  tool.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
  return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit &&
         tool.exitCode() == 0;
}

// The container's duration in microseconds, read with FFmpeg itself.
qint64 containerDuration(const QString &path) {
  AVFormatContext *format = nullptr;
  if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0) return -1;
  avformat_find_stream_info(format, nullptr);
  const qint64 duration = format->duration;
  avformat_close_input(&format);
  return duration;
}

double mpvNumber(ZMpvBackEnd &engine, const char *name) {
  double value = -1;
  mpv_get_property(engine.handle(), name, MPV_FORMAT_DOUBLE, &value);
  return value;
}

}  // namespace

class MpvBackEndTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sMedia = new QString(TestEnvironment::makeTempDir("media"));
    const QStringList picture = {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25"};
    const QStringList sound = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"};
    sReady = ffmpeg(picture + sound +
                    QStringList{"-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac",
                                "-shortest", media("h264-aac.mp4")}) &&
             ffmpeg(picture + sound +
                    QStringList{"-t", "1", "-c:v", "libvpx-vp9", "-deadline", "realtime", "-c:a",
                                "libopus", "-shortest", media("vp9-opus.mkv")}) &&
             ffmpeg(picture + QStringList{"-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                          media("silent.mp4")}) &&
             ffmpeg(picture + QStringList{"-t", "2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                          "-movflags", "+faststart", media("faststart.mp4")});
    if (!sReady) return;
    // Cut short: the first bytes of a file whose index comes last, and a
    // file whose index comes first with most of its pictures gone.
    QFile whole(media("h264-aac.mp4"));
    QFile head(media("headless.mp4"));
    whole.open(QIODevice::ReadOnly);
    head.open(QIODevice::WriteOnly);
    head.write(whole.read(4000));
    QFile faststart(media("faststart.mp4"));
    QFile tail(media("cut-short.mp4"));
    faststart.open(QIODevice::ReadOnly);
    tail.open(QIODevice::WriteOnly);
    tail.write(faststart.read(faststart.size() / 2));
    QFile text(media("notes.mp4"));
    text.open(QIODevice::WriteOnly);
    text.write("These are not the pictures you are looking for.\n");
  }
  static void TearDownTestSuite() { delete sMedia; }
  static QString media(const QString &name) { return *sMedia + "/" + name; }

  void SetUp() override {
    if (!sReady) GTEST_SKIP() << "the ffmpeg tool could not make the test clips";
    fEngine = std::make_unique<ZMpvBackEnd>(true, nullptr);
    ASSERT_TRUE(fEngine->isAvailable());
  }

  static inline QString *sMedia = nullptr;
  static inline bool sReady = false;
  std::unique_ptr<ZMpvBackEnd> fEngine;
};

TEST_F(MpvBackEndTest, OpensWithTheContainersLengthAndPlaysToTheEnd) {
  for (const char *name : {"h264-aac.mp4", "vp9-opus.mkv", "silent.mp4"}) {
    SCOPED_TRACE(name);
    QSignalSpy ended(fEngine.get(), &ZMediaBackEnd::ended);
    QSignalSpy rates(fEngine.get(), &ZMediaBackEnd::rateChanged);
    QString error;
    ASSERT_TRUE(openMovie(*fEngine, media(name), &error)) << error.toStdString();
    EXPECT_TRUE(fEngine->isOpen());
    EXPECT_EQ(fEngine->rate(), 0.0);  // opened paused, at the start
    EXPECT_EQ(fEngine->currentTime().value, 0);
    EXPECT_EQ(fEngine->duration(), (ZTime{containerDuration(media(name)), 1000000}));

    fEngine->play();
    EXPECT_EQ(fEngine->rate(), 1.0);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return ended.count() == 1; }, 15000));
    EXPECT_EQ(fEngine->rate(), 0.0);
    EXPECT_TRUE(fEngine->isOpen());  // it stays open at its end
    EXPECT_GT(fEngine->currentTime().seconds(), fEngine->duration().seconds() - 0.1);
    ASSERT_GE(rates.count(), 2);
    EXPECT_EQ(rates.first().first().toDouble(), 1.0);
    EXPECT_EQ(rates.last().first().toDouble(), 0.0);
  }
}

// open() only hands the file to mpv: the outcome comes later from the Qt
// loop, for the last file asked for only; a close abandons an opening.
TEST_F(MpvBackEndTest, OpeningIsAnsweredLaterForTheLastFileOnly) {
  QSignalSpy opened(fEngine.get(), &ZMediaBackEnd::opened);
  QSignalSpy failed(fEngine.get(), &ZMediaBackEnd::openFailed);
  fEngine->open(media("h264-aac.mp4"));
  EXPECT_TRUE(fEngine->isOpening());
  EXPECT_FALSE(fEngine->isOpen());
  EXPECT_EQ(opened.count(), 0);
  fEngine->open(media("notes.mp4"));  // replaced before it was read
  fEngine->open(media("missing.mp4"));
  EXPECT_EQ(failed.count(), 0);  // even a missing file is answered later
  fEngine->open(media("faststart.mp4"));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return opened.count() == 1; }, 15000));
  EXPECT_EQ(fEngine->duration(), (ZTime{containerDuration(media("faststart.mp4")), 1000000}));
  EXPECT_FALSE(fEngine->isOpening());
  EXPECT_TRUE(fEngine->isOpen());

  fEngine->open(media("silent.mp4"));
  fEngine->close();
  EXPECT_FALSE(fEngine->isOpening());
  QTest::qWait(500);  // mpv's events of the abandoned file come and go
  EXPECT_EQ(opened.count(), 1);
  EXPECT_EQ(failed.count(), 0);
  EXPECT_FALSE(fEngine->isOpen());
}

// The end of a movie is reported from the Qt loop: its handler may open the
// next file and run a modal dialog's loop, and the engine plays on.
TEST_F(MpvBackEndTest, TheEndsHandlerMayOpenTheNextFileAndRunALoop) {
  const QStringList files = {media("silent.mp4"), media("h264-aac.mp4"), media("vp9-opus.mkv")};
  int next = 1;
  QStringList events;
  QObject context;
  QObject::connect(fEngine.get(), &ZMediaBackEnd::ended, &context, [&] {
    events << "ended";
    if (next == files.size()) return;
    // As an alert would: a nested loop while the engine reports on.
    QEventLoop modal;
    QTimer::singleShot(200, &modal, &QEventLoop::quit);
    modal.exec();
    fEngine->open(files.at(next++));
  });
  QObject::connect(fEngine.get(), &ZMediaBackEnd::opened, &context, [&] {
    events << "opened";
    fEngine->play();
  });
  QObject::connect(fEngine.get(), &ZMediaBackEnd::openFailed, &context,
                   [&](const QString &why) { events << "failed " + why; });
  fEngine->open(files.first());
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return events.count("ended") == 3; }, 30000))
      << events.join(", ").toStdString();
  QTest::qWait(300);
  EXPECT_EQ(events, QStringList({"opened", "ended", "opened", "ended", "opened", "ended"}));
}

TEST_F(MpvBackEndTest, ASeekLandsWithinOneFrame) {
  ASSERT_TRUE(openMovie(*fEngine, media("h264-aac.mp4")));
  const double frame = 1.0 / 25;
  for (const double target : {0.52, 0.9, 0.13}) {
    SCOPED_TRACE(target);
    fEngine->setCurrentTime(ZTime::fromSeconds(target, ZMpvBackEnd::kTimeScale));
    // mpv's own idea of where it is, once the seek is done.
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
      int seeking = 1;
      mpv_get_property(fEngine->handle(), "seeking", MPV_FORMAT_FLAG, &seeking);
      return !seeking && std::abs(mpvNumber(*fEngine, "time-pos") - target) <= frame;
    })) << "mpv is at "
        << mpvNumber(*fEngine, "time-pos");
    EXPECT_NEAR(fEngine->currentTime().seconds(), target, frame);
  }
}

TEST_F(MpvBackEndTest, ARewindScansBackToTheStartAndStops) {
  ASSERT_TRUE(openMovie(*fEngine, media("faststart.mp4")));
  fEngine->setCurrentTime(ZTime::fromSeconds(1.5, ZMpvBackEnd::kTimeScale));
  QSignalSpy rates(fEngine.get(), &ZMediaBackEnd::rateChanged);
  fEngine->setRate(-4.0);
  EXPECT_EQ(fEngine->rate(), -4.0);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return fEngine->rate() == 0.0; }, 5000));
  EXPECT_EQ(fEngine->currentTime().value, 0);
  ASSERT_EQ(rates.count(), 2);
  EXPECT_EQ(rates.at(0).first().toDouble(), -4.0);
  EXPECT_EQ(rates.at(1).first().toDouble(), 0.0);

  // Fast forward is mpv's own speed.
  fEngine->setRate(4.0);
  EXPECT_EQ(fEngine->rate(), 4.0);
  EXPECT_EQ(mpvNumber(*fEngine, "speed"), 4.0);
  fEngine->setRate(1.0);
  EXPECT_EQ(mpvNumber(*fEngine, "speed"), 1.0);
}

TEST_F(MpvBackEndTest, VolumeAndMuteReachMpv) {
  ASSERT_TRUE(openMovie(*fEngine, media("h264-aac.mp4")));
  fEngine->setVolume(0.35f);
  EXPECT_FLOAT_EQ(fEngine->volume(), 0.35f);
  EXPECT_NEAR(mpvNumber(*fEngine, "volume"), 35.0, 1e-4);
  fEngine->setVolume(7.0f);  // out of range: full
  EXPECT_EQ(fEngine->volume(), 1.0f);
  fEngine->setMuted(true);
  int muted = 0;
  mpv_get_property(fEngine->handle(), "mute", MPV_FORMAT_FLAG, &muted);
  EXPECT_TRUE(muted);
  EXPECT_TRUE(fEngine->muted());
}

TEST_F(MpvBackEndTest, BrokenFilesAreReportedInsteadOfHanging) {
  QDir().mkpath(media("a folder.mp4"));
  for (const char *name : {"headless.mp4", "notes.mp4", "missing.mp4", "a folder.mp4"}) {
    SCOPED_TRACE(name);
    QString error;
    EXPECT_FALSE(openMovie(*fEngine, media(name), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_NE(error, "no answer");
    EXPECT_FALSE(fEngine->isOpen());
    EXPECT_FALSE(fEngine->duration().isValid());
    fEngine->play();  // nothing open: nothing happens
    EXPECT_EQ(fEngine->rate(), 0.0);
  }
  // A file cut short opens and ends where its pictures end.
  QSignalSpy ended(fEngine.get(), &ZMediaBackEnd::ended);
  ASSERT_TRUE(openMovie(*fEngine, media("cut-short.mp4")));
  fEngine->play();
  EXPECT_TRUE(TestEnvironment::waitFor([&] { return ended.count() == 1; }, 15000));
  // And the engine still plays a good file afterwards.
  ASSERT_TRUE(openMovie(*fEngine, media("silent.mp4")));
  EXPECT_EQ(fEngine->duration(), (ZTime{containerDuration(media("silent.mp4")), 1000000}));
}

TEST_F(MpvBackEndTest, StartsUnderALocaleThatWritesDecimalCommas) {
  // A German locale made for this test: mpv itself refuses to start under it.
  const QString locales = TestEnvironment::makeTempDir("locales");
  QProcess localedef;
  localedef.start("localedef", {"-i", "de_DE", "-f", "UTF-8", locales + "/de_DE.UTF-8"});
  if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0)
    GTEST_SKIP() << "localedef cannot make de_DE.UTF-8 here";
  qputenv("LOCPATH", locales.toLocal8Bit());
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  EXPECT_STREQ(std::localeconv()->decimal_point, ",");
  mpv_handle *raw = mpv_create();
  EXPECT_EQ(raw, nullptr);
  if (raw) mpv_terminate_destroy(raw);

  ZMpvBackEnd engine(true, nullptr);
  EXPECT_TRUE(engine.isAvailable());
  EXPECT_TRUE(openMovie(engine, media("h264-aac.mp4")));
  EXPECT_EQ(engine.duration(), (ZTime{containerDuration(media("h264-aac.mp4")), 1000000}));
  std::setlocale(LC_ALL, "C");
  qunsetenv("LOCPATH");
}
