// The movie controller over an engine that decodes nothing, a real library,
// playlist model and now-playing list: what it plays, logs, stores and
// reports, and how it meets files it cannot play.
#include "LibraryFixture.h"
#include "Localization.h"
#include "QtPrinters.h"
#include "Workspace.h"
#include "ZFakeMediaBackEnd.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOQTMovieController.h"
#include "ZPlaybackControls.h"
#include "ZPlaylistDataSource.h"

#include <QCryptographicHash>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>

namespace {

class TestScrubber : public ZMovieScrubber {
 public:
  void setMaxValue(double seconds) override { max = seconds; }
  void setDoubleValue(double seconds) override { value = seconds; }
  double doubleValue() const override { return value; }
  void setAction(std::function<void(double)> a) override { action = std::move(a); }
  double max = -100, value = -100;
  std::function<void(double)> action;
};

class TestVolumeSlider : public ZMovieVolumeControl {
 public:
  float floatValue() const override { return value; }
  void setFloatValue(float v) override { value = v; }
  bool muteState() const override { return muted; }
  void setMuteState(bool m) override { muted = m; }
  float value = -1;
  bool muted = false;
};

class TestViewer : public ZMovieViewer {
 public:
  void setMovie(ZMediaBackEnd *m) override { movie = m; }
  ZMediaBackEnd *movie = nullptr;
};

const QStringList kNotifications = {
    "MovieStarted",     "MoviePaused",  "MovieStopped",       "ZOQTMovieDidStopNotification",
    "MovieMuted",       "MovieUnmuted", "MovieVolumeChanged", "ActionStopPlayingVideoList",
    "ActionGoToLibrary"};

}  // namespace

class MovieControllerTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    auto workspace = std::make_unique<RecordingWorkspace>();
    fWorkspace = workspace.get();
    Workspace::setShared(std::move(workspace));
    for (const char *name : {"a", "b", "c"}) fVideo[name] = addVideo(name, name);
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fList = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, db());
    fRecorder = std::make_unique<NotificationRecorder>(kNotifications);
    fController = std::make_unique<ZOQTMovieController>(
        fMovie, *fList, db(), *fDefaults,
        [this](const QString &path) { return !fUndecodable.contains(path); });
    fController->setMovieView(&fViewer);
  }
  void TearDown() override {
    fController.reset();
    fRecorder.reset();
    fList.reset();
    fPlaylists.reset();
    Workspace::setShared(nullptr);
    LibraryTest::TearDown();
  }

  QString path(const char *name) { return db().pathForVideoId(fVideo.value(name)); }
  // Plays the videos named by the letters from the first.
  void playList(const QString &names) {
    QList<int> ids;
    for (const QChar c : names) ids.append(fVideo.value(QString(c)));
    fList->setVideos(ids);
    fController->play();
  }
  // The usage log, one "EVENT PARAMETERS" line per entry, and emptied.
  QStringList takeLog() {
    const QStringList rows = sql("SELECT EVENT || ' ' || IFNULL(PARAMETERS, '') FROM LOG_RECORD "
                                 "ORDER BY rowid;")
                                 .split('\n', Qt::SkipEmptyParts);
    sql("DELETE FROM LOG_RECORD;");
    return rows;
  }
  QString playing() const { return fMovie.openPath().section('/', -1); }
  QString fileOf(const char *name) { return path(name).section('/', -1); }

  QHash<QString, int> fVideo;
  QSet<QString> fUndecodable;
  ZFakeMediaBackEnd fMovie;
  TestViewer fViewer;
  RecordingWorkspace *fWorkspace = nullptr;
  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fList;
  std::unique_ptr<NotificationRecorder> fRecorder;
  std::unique_ptr<ZOQTMovieController> fController;
};

TEST_F(MovieControllerTest, PlayStartsTheCurrentVideoMarksItViewedAndLogsItsStart) {
  fController->play();  // an empty list: nothing happens
  EXPECT_TRUE(fMovie.openedPaths().isEmpty());
  EXPECT_TRUE(fRecorder->names().isEmpty());

  fDefaults->setDouble(0.5, "ZOQTMovieVolume");
  playList("abc");
  EXPECT_EQ(playing(), fileOf("a"));
  EXPECT_TRUE(fController->isPlaying());
  EXPECT_TRUE(fList->videoPlaying());
  EXPECT_EQ(fViewer.movie, &fMovie);
  EXPECT_FLOAT_EQ(fMovie.volume(), 0.5f);
  ASSERT_EQ(fRecorder->names(), QStringList({"MovieStarted"}));
  EXPECT_EQ(fRecorder->seen().first().object.toInt(), fVideo["a"]);
  EXPECT_FALSE(db().getVideoInfo(fVideo["a"])->value("DATE_VIEWED").isEmpty());
  EXPECT_TRUE(db().getVideoInfo(fVideo["b"])->value("DATE_VIEWED").isEmpty());
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/start videoID=a"}));
}

TEST_F(MovieControllerTest, EndOfAVideoPlaysTheNextAndTheLastStopsTheListUnlessLooping) {
  playList("ab");
  fDefaults->setString("100/600", "MoviePlayPosition:a");
  fMovie.finish();
  EXPECT_EQ(playing(), fileOf("b"));
  EXPECT_TRUE(fController->isPlaying());
  EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:a"));
  EXPECT_EQ(takeLog(),
            QStringList({"/ui/player/video/start videoID=a", "/ui/player/video/end videoID=a",
                         "/ui/player/video/start videoID=b"}));

  // The last one, looping off: the list is asked to stop, the movie stays.
  fDefaults->setString("100/600", "MoviePlayPosition:b");
  fRecorder->clear();
  fMovie.finish();
  EXPECT_EQ(fRecorder->names(), QStringList({"ActionStopPlayingVideoList"}));
  EXPECT_EQ(playing(), fileOf("b"));
  EXPECT_FALSE(fController->isPlaying());
  EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:b"));
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/end videoID=b"}));

  // Looping on: the list starts over.
  fDefaults->setBool(true, "PlaybackLoopVideoPlay");
  fController->play();
  takeLog();
  fRecorder->clear();
  fMovie.finish();
  EXPECT_EQ(playing(), fileOf("a"));
  EXPECT_TRUE(fController->isPlaying());
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 0);
  EXPECT_EQ(fRecorder->names(), QStringList({"MovieStarted"}));
}

// The list stops after its last movie ended, as the main window does on
// "ActionStopPlayingVideoList": no position is kept, so a resume starts at
// the beginning. A movie moved away from its end is stopped as ever.
TEST_F(MovieControllerTest, AMovieStoppedAtItsEndKeepsNoPosition) {
  bool windowStops = true;
  NotificationCenter::defaultCenter().addObserver(this, "ActionStopPlayingVideoList",
                                                  [&](const Notification &) {
                                                    if (windowStops) fController->stop();
                                                  });
  const struct {
    const char *name;
    bool windowStops;
    std::function<void()> afterEnd;
    QString stored;
  } cases[] = {
      {"the list stopped at the end", true, [] {}, QString()},
      {"stopped at the end later", false, [this] { fController->stop(); }, QString()},
      {"moved back by the slider", false,
       [this] {
         fController->scrubberChanged(4.0);
         fController->stop();
       },
       "2400/600"},
      {"played again from the start", false,
       [this] {
         fController->play();
         fMovie.setCurrentTime(ZTime{1200, 600});
         fController->stop();
       },
       "1200/600"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    windowStops = c.windowStops;
    fDefaults->setString("100/600", "MoviePlayPosition:a");
    fList->setVideos({fVideo["a"]});
    fController->resumePlayback();
    fMovie.finish();
    EXPECT_EQ(fMovie.isOpen(), !c.windowStops);
    c.afterEnd();
    EXPECT_FALSE(fMovie.isOpen());
    if (c.stored.isNull()) {
      EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:a"));
      fController->resumePlayback();
      EXPECT_EQ(fMovie.currentTime(), (ZTime{0, 600}));
      EXPECT_TRUE(fController->isPlaying());
      fController->stop();
    } else {
      EXPECT_EQ(fDefaults->stringForKey("MoviePlayPosition:a"), c.stored);
    }
  }
  NotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(MovieControllerTest, SkipsWrapAroundAndKeepPlayingOnlyAPlayingMovie) {
  playList("abc");
  fController->skipBackOne();  // from the first to the last
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 2);
  EXPECT_EQ(playing(), fileOf("c"));
  EXPECT_TRUE(fController->isPlaying());
  fController->skipForwardOne();  // from the last to the first
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 0);
  EXPECT_EQ(playing(), fileOf("a"));
  EXPECT_TRUE(fController->isPlaying());

  fController->pause();
  fController->skipForwardOne();
  EXPECT_EQ(playing(), fileOf("b"));
  EXPECT_FALSE(fController->isPlaying());  // loaded, paused
  takeLog();

  // The user's skips are logged with the video skipped to, which logs no
  // start of its own.
  fController->play();
  fController->userSkipForwardOne();
  fController->userSkipForwardOne();
  EXPECT_EQ(playing(), fileOf("a"));
  EXPECT_TRUE(fController->isPlaying());
  fController->userSkipBackOne();
  EXPECT_EQ(playing(), fileOf("c"));
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/start videoID=b",
                                    "/ui/player/skipforward videoID=b&nextVideoID=c",
                                    "/ui/player/skipforward videoID=c&nextVideoID=a",
                                    "/ui/player/skipback videoID=a&nextVideoID=c"}));
  // The next automatic start is logged again.
  fDefaults->setBool(true, "PlaybackLoopVideoPlay");
  fMovie.finish();
  EXPECT_EQ(takeLog(),
            QStringList({"/ui/player/video/end videoID=c", "/ui/player/video/start videoID=a"}));
}

TEST_F(MovieControllerTest, StopStoresTheExactPositionThatResumeAppliesAndPlayIgnores) {
  fMovie.setDuration(path("a"), ZTime{900000, 90000});
  playList("a");
  fMovie.setCurrentTime(ZTime{123457, 90000});  // 1.371... s
  fRecorder->clear();
  fController->stop();
  EXPECT_EQ(fRecorder->names(), QStringList({"ZOQTMovieDidStopNotification", "MovieStopped"}));
  EXPECT_EQ(fDefaults->stringForKey("MoviePlayPosition:a"), "123457/90000");
  EXPECT_FALSE(fMovie.isOpen());
  EXPECT_EQ(fViewer.movie, nullptr);
  EXPECT_FALSE(fList->videoPlaying());

  fController->resumePlayback();
  EXPECT_EQ(fMovie.currentTime(), (ZTime{123457, 90000}));
  EXPECT_TRUE(fController->isPlaying());
  fController->stop();

  fController->play();
  EXPECT_EQ(fMovie.currentTime(), (ZTime{0, 90000}));
  fController->stop();  // at the start: that is the position now
  EXPECT_EQ(fDefaults->stringForKey("MoviePlayPosition:a"), "0/90000");

  // A stored text that is no position is ignored.
  fDefaults->setString("12 seconds", "MoviePlayPosition:a");
  fController->resumePlayback();
  EXPECT_EQ(fMovie.currentTime(), (ZTime{0, 90000}));

  // A stop with nothing loaded posts nothing and stores nothing.
  fController->stop();
  fRecorder->clear();
  fController->stop();
  EXPECT_TRUE(fRecorder->names().isEmpty());
  EXPECT_EQ(
      takeLog(),
      QStringList(
          {"/ui/player/video/start videoID=a", "/ui/player/stop videoID=a&position=00:00:01",
           "/ui/player/video/start videoID=a", "/ui/player/stop videoID=a&position=00:00:01",
           "/ui/player/video/start videoID=a", "/ui/player/stop videoID=a&position=00:00:00",
           "/ui/player/video/start videoID=a", "/ui/player/stop videoID=a&position=00:00:00"}));
}

// When the application quits the position is kept as a stop keeps it, and
// the movie is left as it is.
TEST_F(MovieControllerTest, StoringThePositionLeavesTheMoviePlaying) {
  fController->storePosition();  // nothing loaded: nothing stored
  EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:a"));

  playList("ab");
  fMovie.setCurrentTime(ZTime{1500, 600});
  fRecorder->clear();
  takeLog();
  fController->storePosition();
  EXPECT_EQ(fDefaults->stringForKey("MoviePlayPosition:a"), "1500/600");
  EXPECT_TRUE(fController->isPlaying());
  EXPECT_TRUE(fRecorder->names().isEmpty());
  EXPECT_TRUE(takeLog().isEmpty());

  fController->pause();
  fMovie.setCurrentTime(ZTime{1800, 600});
  fController->storePosition();
  EXPECT_EQ(fDefaults->stringForKey("MoviePlayPosition:a"), "1800/600");

  // A movie at its end keeps none.
  fController->skipForwardOne();
  fController->play();
  fMovie.finish();
  fController->storePosition();
  EXPECT_FALSE(fDefaults->hasStoredValue("MoviePlayPosition:b"));
}

TEST_F(MovieControllerTest, VideosWithoutPermalinkKeepPositionsOfTheirOwn) {
  const int first = addVideo("imported one");
  const int second = addVideo("imported two");
  const VideoInfo one = *db().getVideoInfo(first);
  const VideoInfo two = *db().getVideoInfo(second);
  const QString key = ZOQTMovieController::resumeKey(one);
  EXPECT_EQ(
      key,
      "MoviePlayPosition:file:" +
          QCryptographicHash::hash(one.value("PATH").toUtf8(), QCryptographicHash::Sha1).toHex());
  EXPECT_NE(key, ZOQTMovieController::resumeKey(two));
  EXPECT_EQ(ZOQTMovieController::resumeKey(*db().getVideoInfo(fVideo["b"])), "MoviePlayPosition:b");
}

TEST_F(MovieControllerTest, PauseAndPauseOrPlayLogWhatTheUserDid) {
  fController->pause();  // nothing plays: only the notification
  EXPECT_EQ(fRecorder->names(), QStringList({"MoviePaused"}));
  EXPECT_TRUE(takeLog().isEmpty());

  playList("a");
  fMovie.setCurrentTime(ZTime{65 * 600, 600});
  fRecorder->clear();
  fController->pauseOrPlay();  // pauses, without "MoviePaused"
  EXPECT_FALSE(fController->isPlaying());
  EXPECT_TRUE(fRecorder->names().isEmpty());
  fController->pauseOrPlay();  // plays again: a resume
  EXPECT_TRUE(fController->isPlaying());
  fController->pause();
  EXPECT_EQ(fRecorder->names(), QStringList({"MovieStarted", "MoviePaused"}));
  fController->stop();
  fController->pauseOrPlay();  // a new start by the user
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/start videoID=a",
                                    "/ui/player/pause videoID=a&position=00:01:05",
                                    "/ui/player/resume videoID=a&position=00:01:05",
                                    "/ui/player/pause videoID=a&position=00:01:05",
                                    "/ui/player/stop videoID=a&position=00:01:05",
                                    "/ui/player/resume videoID=a&position=00:00:00"}));
}

TEST_F(MovieControllerTest, VolumeStepsStopAtTheEndsAndAreStored) {
  TestVolumeSlider slider;
  fController->setVolumeSlider(&slider);
  struct Case {
    float start;
    bool up;
    float expected;
    bool changes;
  };
  const Case cases[] = {{0.95f, true, 1.0f, true},  {1.0f, true, 1.0f, false},
                        {0.05f, false, 0.0f, true}, {0.0f, false, 0.0f, false},
                        {0.5f, true, 0.6f, true},   {0.5f, false, 0.4f, true}};
  playList("a");
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << (c.up ? " up" : " down"));
    fController->volumeChanged(c.start);
    fRecorder->clear();
    c.up ? fController->increaseVolume() : fController->decreaseVolume();
    EXPECT_FLOAT_EQ(fMovie.volume(), c.expected);
    EXPECT_FLOAT_EQ(fDefaults->floatForKey("ZOQTMovieVolume"), c.expected);
    EXPECT_EQ(fRecorder->names(), c.changes ? QStringList({"MovieVolumeChanged"}) : QStringList());
    if (c.changes) {
      EXPECT_FLOAT_EQ(slider.value, c.expected);
    }
  }
  // Without a movie the steps do nothing; the slider still sets the volume.
  fController->stop();
  fController->volumeChanged(0.3f);
  fRecorder->clear();
  fController->increaseVolume();
  EXPECT_TRUE(fRecorder->names().isEmpty());
  EXPECT_FLOAT_EQ(fDefaults->floatForKey("ZOQTMovieVolume"), 0.3f);
  fController->setVolumeSlider(nullptr);
}

TEST_F(MovieControllerTest, MuteIsTheMoviesShownOnTheSliderAndReported) {
  TestVolumeSlider slider;
  fController->mute();  // no movie: nothing
  EXPECT_FALSE(fController->movieIsMuted());
  EXPECT_TRUE(fRecorder->names().isEmpty());

  slider.muted = true;
  fController->setVolumeSlider(&slider);  // shows the movie's state
  EXPECT_FALSE(slider.muted);
  playList("ab");
  fRecorder->clear();
  fController->mute();
  EXPECT_TRUE(fController->movieIsMuted());
  EXPECT_TRUE(slider.muted);
  EXPECT_EQ(fRecorder->names(), QStringList({"MovieMuted"}));

  // The next movie plays muted too, and the slider says so.
  fController->skipForwardOne();
  EXPECT_TRUE(fController->movieIsMuted());
  EXPECT_TRUE(slider.muted);
  fRecorder->clear();
  fController->mute();
  EXPECT_FALSE(slider.muted);
  fController->setFullScreenVolumeSlider(nullptr);
  EXPECT_EQ(fRecorder->names(), QStringList({"MovieUnmuted", "MovieUnmuted"}));
  fController->setVolumeSlider(nullptr);
}

TEST_F(MovieControllerTest, ScrubbersFollowTheMovieAndSeekAtItsTimeScale) {
  TestScrubber inlineSlider, fullScreen;
  fController->setInlineSlider(&inlineSlider);
  playList("a");  // ten seconds long
  EXPECT_EQ(inlineSlider.max, 9.0);
  EXPECT_EQ(inlineSlider.value, 0.0);
  fMovie.setCurrentTime(ZTime{1530, 600});
  fController->setFullScreenSlider(&fullScreen);
  EXPECT_EQ(fullScreen.max, 9.0);
  EXPECT_EQ(fullScreen.value, 2.0);  // whole seconds at set-up

  // The timer runs while the movie runs, forward or backward.
  EXPECT_TRUE(fController->scrubberUpdateTimer().isActive());
  EXPECT_EQ(fController->scrubberUpdateTimer().interval(), 300);
  fController->scrubberUpdateTimerTick();
  EXPECT_EQ(inlineSlider.value, 2.55);
  EXPECT_EQ(fullScreen.value, 2.55);
  fController->pause();
  EXPECT_FALSE(fController->scrubberUpdateTimer().isActive());
  fController->rewind();
  EXPECT_EQ(fMovie.rate(), -4.0);
  EXPECT_FALSE(fController->isPlaying());
  EXPECT_TRUE(fController->scrubberUpdateTimer().isActive());
  fController->rewindStop();
  EXPECT_EQ(fMovie.rate(), 1.0);
  fController->fastForward();
  EXPECT_EQ(fMovie.rate(), 4.0);
  fController->fastForwardStop();
  EXPECT_EQ(fMovie.rate(), 1.0);

  // The full-screen slider seeks through the controller.
  ASSERT_TRUE(fullScreen.action);
  fullScreen.action(4.25);
  EXPECT_EQ(fMovie.currentTime(), (ZTime{2550, 600}));

  fController->stop();
  EXPECT_FALSE(fController->scrubberUpdateTimer().isActive());
  fController->rewind();  // no movie: no rate
  EXPECT_EQ(fMovie.rate(), 0.0);
  fController->setInlineSlider(nullptr);
  fController->setFullScreenSlider(nullptr);
}

TEST_F(MovieControllerTest, AnUndecodableFileOffersTheCodecPageOfItsKind) {
  struct Case {
    const char *extension;
    const char *messageKey;
    const char *page;
  };
  const Case cases[] = {
      {"WMV", "appdelegateErrorCannotPlayMovieRequireFlip4Mac", "codecs-windows-media.html"},
      {"avi", "appdelegateErrorCannotPlayMovieRequireDivX", "codecs.html"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.extension);
    VideoDatabase::AddVideoParams params;
    params.title = c.extension;
    params.path = mediaFolder() + "/movie." + c.extension;
    writeFile(params.path);
    params.extension = c.extension;
    const int id = db().addVideo(params);
    fUndecodable.insert(params.path);

    for (const char *answer : {"1", "0"}) {
      fDialogs->setAnswer("codecRequired", answer);
      fDialogs->clearAsked();
      fWorkspace->clear();
      fRecorder->clear();
      fList->setVideos({id});
      fController->play();
      EXPECT_EQ(
          fDialogs->asked(),
          QStringList({"codecRequired " + localized(c.messageKey)}) +
              (answer == QString("0") ? QStringList({"codecRequiredConfirm "}) : QStringList()));
      EXPECT_EQ(fRecorder->names(),
                QStringList({"ActionStopPlayingVideoList", "ActionGoToLibrary"}));
      EXPECT_FALSE(fMovie.isOpen());
      EXPECT_TRUE(fMovie.openedPaths().isEmpty());
      if (answer == QString("1")) {
        ASSERT_EQ(fWorkspace->requests().size(), 1);
        EXPECT_TRUE(fWorkspace->requests().first().startsWith("openURL file://"));
        EXPECT_TRUE(fWorkspace->requests().first().endsWith(QString("/help/") + c.page));
      } else {
        EXPECT_TRUE(fWorkspace->requests().isEmpty());
      }
    }
  }
}

TEST_F(MovieControllerTest, AFileThatCannotBeOpenedOffersItsNeighbourOrStopsTheList) {
  fMovie.setOpenError(path("b"), "broken header");
  playList("ab");
  fDialogs->setAnswer("loadError", "1");
  fController->skipForwardOne();  // b fails; "Next Movie" plays the one after it
  ASSERT_EQ(fDialogs->asked().size(), 1);
  EXPECT_EQ(fDialogs->asked().first(),
            "loadError Next Movie: " + localized("appdelegateErrorCannotPlayMovieLoadingError") +
                "\n\n" + fileOf("b") + "\nbroken header");
  EXPECT_EQ(playing(), fileOf("a"));
  EXPECT_TRUE(fController->isPlaying());

  // Skipping back offers the previous movie; cancel stops the list.
  fDialogs->setAnswer("loadError", "0");
  fDialogs->clearAsked();
  fRecorder->clear();
  fController->skipBackOne();
  EXPECT_TRUE(fDialogs->asked().first().startsWith("loadError Previous Movie: "));
  EXPECT_EQ(fRecorder->names(), QStringList({"ActionStopPlayingVideoList", "ActionGoToLibrary"}));
  EXPECT_FALSE(fMovie.isOpen());
  EXPECT_EQ(fViewer.movie, nullptr);

  // A file that is gone is a load error, not a codec's.
  QFile::remove(path("a"));
  fDialogs->clearAsked();
  fList->setIndexOfCurrentlyPlayingVideo(0);
  fController->play();
  ASSERT_EQ(fDialogs->asked().size(), 1);
  EXPECT_TRUE(fDialogs->asked().first().contains("The file is missing."));

  // When no movie of the list opens, asking for the next one ends after a round.
  fDialogs->setAnswer("loadError", "1");
  fDialogs->clearAsked();
  fRecorder->clear();
  fController->play();
  EXPECT_EQ(fDialogs->asked().size(), 2);
  EXPECT_EQ(fRecorder->names(), QStringList({"ActionStopPlayingVideoList", "ActionGoToLibrary"}));
  EXPECT_FALSE(fMovie.isOpen());
  EXPECT_EQ(db().getAllVideos().size(), 3);  // nothing left the library
}

TEST_F(MovieControllerTest,
       TheCurrentVideoDeletedWhilePlayingPlaysOnAndIsNotConfusedWithItsNeighbour) {
  playList("abc");
  fController->skipForwardOne();  // b plays
  fDefaults->setString("300/600", "MoviePlayPosition:a");
  takeLog();
  const QString b = fileOf("b");
  db().deleteVideosWithIds({fVideo["b"]});
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 0);  // the entry before it
  EXPECT_EQ(playing(), b);
  EXPECT_TRUE(fController->isPlaying());

  fMovie.finish();
  EXPECT_EQ(fDefaults->stringForKey("MoviePlayPosition:a"), "300/600");
  EXPECT_EQ(playing(), fileOf("c"));
  EXPECT_EQ(takeLog(),
            QStringList({"/ui/player/video/end videoID=b", "/ui/player/video/start videoID=c"}));
}

TEST_F(MovieControllerTest, VideosDeletedBeforeThePlayingOneLeaveItTheLastToEnd) {
  playList("abc");
  fController->skipForwardOne();
  fController->skipForwardOne();  // c, the last, plays
  db().deleteVideosWithIds({fVideo["a"]});
  fRecorder->clear();
  takeLog();
  fMovie.finish();  // the list stops; c does not start over
  EXPECT_EQ(fRecorder->names(), QStringList({"ActionStopPlayingVideoList"}));
  EXPECT_FALSE(fController->isPlaying());
  EXPECT_EQ(takeLog(), QStringList({"/ui/player/video/end videoID=c"}));
}

// With an engine that answers later, a video is loading between the request
// and the engine's answer: what the user does meanwhile wins.
TEST_F(MovieControllerTest, WhatIsAskedWhileAVideoLoadsTakesEffectWhenItOpens) {
  fMovie.setAnswersLater(true);
  const struct {
    const char *name;
    std::function<void()> meanwhile;
    QString opens;  // the file open at the end ("" none)
    bool plays;
    QStringList posted;  // after the request
  } cases[] = {
      {"nothing", [] {}, "a", true, {"MovieStarted"}},
      {"a stop", [this] { fController->stop(); }, "", false, {}},
      {"a pause", [this] { fController->pause(); }, "a", false, {"MoviePaused"}},
      {"a skip", [this] { fController->skipForwardOne(); }, "b", true, {"MovieStarted"}},
      {"a second play", [this] { fController->play(); }, "a", true, {"MovieStarted"}},
      {"another video to play",
       [this] {
         fList->setVideos({fVideo["c"]});
         fController->play();
       },
       "c",
       true,
       {"MovieStarted"}},
      {"a new list",
       [] { NotificationCenter::defaultCenter().postNotificationName("NowPlayingListCleared"); },
       "",
       false,
       {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fController->stop();
    fList->setVideos({fVideo["a"], fVideo["b"]});
    fRecorder->clear();
    fController->play();
    EXPECT_TRUE(fController->isLoading());
    EXPECT_FALSE(fController->isPlaying());
    EXPECT_TRUE(fRecorder->names().isEmpty());
    c.meanwhile();
    fMovie.answerOpen();
    EXPECT_FALSE(fController->isLoading());
    EXPECT_EQ(playing(), c.opens.isEmpty() ? QString() : fileOf(qPrintable(c.opens)));
    EXPECT_EQ(fController->isPlaying(), c.plays);
    EXPECT_EQ(fRecorder->names(), c.posted);
    if (c.plays) {
      EXPECT_EQ(fRecorder->seen().last().object.toInt(), fVideo[c.opens]);
    }
  }

  // A resume applies the stored position once open; the end of a movie
  // plays the next once that one is open.
  fController->stop();
  fDefaults->setString("1200/600", "MoviePlayPosition:a");
  fList->setVideos({fVideo["a"], fVideo["b"]});
  fController->resumePlayback();
  fMovie.answerOpen();
  EXPECT_EQ(fMovie.currentTime(), (ZTime{1200, 600}));
  takeLog();
  fMovie.finish();
  EXPECT_TRUE(fController->isLoading());
  fMovie.answerOpen();
  EXPECT_EQ(playing(), fileOf("b"));
  EXPECT_TRUE(fController->isPlaying());
  EXPECT_EQ(takeLog(),
            QStringList({"/ui/player/video/end videoID=a", "/ui/player/video/start videoID=b"}));
}

// The files are checked and probed on a worker thread, whose answer comes
// through the Qt loop; a load abandoned meanwhile opens nothing.
TEST_F(MovieControllerTest, TheProbeRunsOffTheInterfaceThread) {
  QSemaphore release;
  std::atomic<bool> onInterfaceThread{false};
  fController =
      std::make_unique<ZOQTMovieController>(fMovie, *fList, db(), *fDefaults, [&](const QString &) {
        onInterfaceThread = QThread::currentThread() == qApp->thread();
        release.acquire();
        return true;
      });
  fController->setProbesOffThread(true);
  fController->setMovieView(&fViewer);

  fList->setVideos({fVideo["a"], fVideo["b"]});
  fController->play();
  EXPECT_TRUE(fController->isLoading());
  fController->stop();  // abandoned while the probe runs
  release.release();
  QTest::qWait(100);
  EXPECT_TRUE(fMovie.openedPaths().isEmpty());

  fController->play();
  release.release();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return fController->isPlaying(); }, 5000));
  EXPECT_EQ(playing(), fileOf("a"));
  EXPECT_FALSE(onInterfaceThread);

  // A file that is gone is found so on the worker too.
  QFile::remove(path("b"));
  fController->skipForwardOne();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fDialogs->asked().isEmpty(); }, 5000));
  EXPECT_TRUE(fDialogs->asked().first().contains("The file is missing."));
}

TEST_F(MovieControllerTest, AChangedNowPlayingListUnloadsTheMovieQuietly) {
  playList("abc");
  fController->skipForwardOne();
  fController->skipForwardOne();
  fRecorder->clear();
  fList->setVideos({fVideo["a"]});
  fList->setIndexOfCurrentlyPlayingVideo(0);
  NotificationCenter::defaultCenter().postNotificationName("NowPlayingListVideoDeleted");
  EXPECT_FALSE(fMovie.isOpen());
  EXPECT_TRUE(fRecorder->names().isEmpty());
  EXPECT_EQ(fController->videosToPlay(), QList<int>({fVideo["a"]}));
  EXPECT_EQ(fList->indexOfCurrentlyPlayingVideo(), 0);
}
