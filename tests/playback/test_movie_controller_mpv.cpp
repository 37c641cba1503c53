// The movie controller on the real engine (libmpv, null outputs) and
// FFmpeg's probe, over a real library of clips made with the ffmpeg tool:
// a list played from one video into the next at a movie's end, across a
// file that cannot be played, with the alert's loop running meanwhile.
#include "LibraryFixture.h"
#include "QtPrinters.h"
#include "ZMpvBackEnd.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOQTMovieController.h"
#include "ZPlaylistDataSource.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace {

bool ffmpeg(const QStringList &arguments) {
  QProcess tool;
  tool.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
  return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit &&
         tool.exitCode() == 0;
}

// Answers as the script says, after running a loop of its own for a while,
// as a modal alert does.
class ModalDialogs : public ScriptedDialogs {
 public:
  int askLoadError(const QString &message, const QString &next) override {
    QEventLoop modal;
    QTimer::singleShot(300, &modal, &QEventLoop::quit);
    modal.exec();
    return ScriptedDialogs::askLoadError(message, next);
  }
};

}  // namespace

class MovieControllerOnMpv : public LibraryTest {
 protected:
  static void SetUpTestSuite() {
    sClips = new QString(TestEnvironment::makeTempDir("clips"));
    const QStringList picture = {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25"};
    const QStringList sound = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"};
    sReady = true;
    for (const char *name : {"a", "b", "c"})
      sReady = sReady && ffmpeg(picture + sound +
                                QStringList{"-t", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                            "-c:a", "aac", "-shortest", clip(name)});
  }
  static void TearDownTestSuite() { delete sClips; }
  static QString clip(const QString &name) { return *sClips + "/" + name + ".mp4"; }

  void SetUp() override {
    LibraryTest::SetUp();
    if (!sReady) GTEST_SKIP() << "the ffmpeg tool could not make the clips";
    auto dialogs = std::make_unique<ModalDialogs>();
    fDialogs = dialogs.get();
    Dialogs::setShared(std::move(dialogs));
    for (const char *name : {"a", "b", "c", "gone"}) {
      VideoDatabase::AddVideoParams params;
      params.title = name;
      params.path = clip(name);
      params.extension = "mp4";
      params.permaLink = name;
      params.save = 0;
      fVideo[name] = db().addVideo(params);
    }
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fList = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, db());
    fEngine = std::make_unique<ZMpvBackEnd>(true, nullptr);
    ASSERT_TRUE(fEngine->isAvailable());
    fRecorder = std::make_unique<NotificationRecorder>(
        QStringList{"MovieStarted", "ActionStopPlayingVideoList", "ActionGoToLibrary"});
    fController = std::make_unique<ZOQTMovieController>(*fEngine, *fList, db(), *fDefaults);
  }
  void TearDown() override {
    fController.reset();
    fRecorder.reset();
    fEngine.reset();
    fList.reset();
    fPlaylists.reset();
    LibraryTest::TearDown();
  }

  // Plays the named videos until the list asks to stop (at most 30 s).
  void playUntilTheListStops(const QStringList &names) {
    QList<int> ids;
    for (const QString &name : names) ids.append(fVideo.value(name));
    fList->setVideos(ids);
    fController->play();
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] { return fRecorder->names().contains("ActionStopPlayingVideoList"); }, 30000))
        << fRecorder->names().join(", ").toStdString();
  }
  // The videos started, by name.
  QStringList started() const {
    QStringList names;
    for (const Notification &n : fRecorder->seen())
      if (n.name == "MovieStarted") names.append(fVideo.key(n.object.toInt(), "?"));
    return names;
  }
  QStringList takeLog() {
    const QStringList rows = sql("SELECT EVENT || ' ' || IFNULL(PARAMETERS, '') FROM LOG_RECORD "
                                 "ORDER BY rowid;")
                                 .split('\n', Qt::SkipEmptyParts);
    sql("DELETE FROM LOG_RECORD;");
    return rows;
  }

  static inline QString *sClips = nullptr;
  static inline bool sReady = false;
  QHash<QString, int> fVideo;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fList;
  std::unique_ptr<ZMpvBackEnd> fEngine;
  std::unique_ptr<NotificationRecorder> fRecorder;
  std::unique_ptr<ZOQTMovieController> fController;
};

TEST_F(MovieControllerOnMpv, PlaysFromOneVideoIntoTheNextAtItsEnd) {
  fDefaults->setString("400000/1000000", "MoviePlayPosition:a");
  playUntilTheListStops({"a", "b"});
  EXPECT_EQ(started(), QStringList({"a", "b"}));
  EXPECT_EQ(fRecorder->names().count("ActionStopPlayingVideoList"), 1);
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/start videoID=a",
                                    "/ui/player/video/end videoID=a",
                                    "/ui/player/video/start videoID=b",
                                    "/ui/player/video/end videoID=b"}));
  // The window stops the list: nothing to resume.
  fController->stop();
  EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:a"));
  EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:b"));
  EXPECT_FALSE(fEngine->isOpen());
}

TEST_F(MovieControllerOnMpv, GoesOnAcrossAFileThatCannotBePlayedWhileTheAlertIsUp) {
  fDialogs->setAnswer("loadError", "1");  // "Next Movie"
  playUntilTheListStops({"a", "gone", "c"});
  EXPECT_EQ(started(), QStringList({"a", "c"}));
  ASSERT_EQ(fDialogs->asked().size(), 1);
  EXPECT_TRUE(fDialogs->asked().first().contains("gone.mp4"));
  EXPECT_EQ(fRecorder->names().count("ActionStopPlayingVideoList"), 1);
  EXPECT_FALSE(fRecorder->names().contains("ActionGoToLibrary"));
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/start videoID=a",
                                    "/ui/player/video/end videoID=a",
                                    "/ui/player/video/start videoID=c",
                                    "/ui/player/video/end videoID=c"}));
}
