// The playback bars, the playback area and full screen, offscreen, over the
// movie controller on an engine that decodes nothing: the placement of the
// volume control and the slider cells, the times in the caps, seeking with
// the progress slider, play and pause swapping, holding the skip buttons,
// the mute button, the bars that hide by themselves in full screen, the
// keys, and what assistive technology sees.
#include "MainWindowFixture.h"
#include "NotificationCenter.h"
#include "TestEnvironment.h"
#include "DrawUtilities.h"
#include "ZFullScreenWindow.h"
#include "ZMainWindowChrome.h"
#include "ZMovieSlider.h"
#include "ZNowPlayingView.h"
#include "ZPlacement.h"
#include "ZPlaybackBars.h"
#include "ZView.h"
#include "ZVolumeSliderContainer.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace {

void post(const char *name) {
  NotificationCenter::defaultCenter().postNotificationName(QLatin1String(name));
}

// A move of the mouse, with the left button held when `held`.
void sendMouseMove(QWidget *widget, const QPoint &at, bool held = false) {
  const Qt::MouseButtons buttons = held ? Qt::LeftButton : Qt::NoButton;
  QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton,
                   buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

QVariantMap placeInfo(int zone, int x, int y, const char *justify) {
  return {{"Zone", zone}, {"XPos", x}, {"YPos", y}, {"Justify", QString::fromLatin1(justify)}};
}

}  // namespace

// ---- placement and drawing rules -----------------------------------------------------------

TEST(PlaybackBarRules, TheContainerPlacementRule) {
  // A control 100 by 20 in a bar 300 by 50 (the skin's y-up space).
  const QRectF bar(0, 0, 300, 50);
  const struct {
    QVariantMap info;
    QRectF expected;
  } cases[] = {
      {placeInfo(3, 10, 5, "justify"), QRectF(10, 25, 280, 20)},
      {placeInfo(3, 10, 5, "JUSTIFY"), QRectF(10, 25, 280, 20)},
      {placeInfo(3, 10, 5, "left"), QRectF(10, 25, 100, 20)},
      {placeInfo(3, 16, 5, "right"), QRectF(184, 25, 100, 20)},
      {placeInfo(6, 16, 5, "rightcenter"), QRectF(184, 25, 100, 20)},
      {placeInfo(3, 40, 5, "center"), QRectF(110, 25, 100, 20)},
      {placeInfo(7, 10, 30, "left"), QRectF(10, 10, 100, 20)},  // from the bottom
      {placeInfo(4, 10, 5, "sideways"), QRectF(10, 25, 100, 20)},
      {placeInfo(3, 200, 5, "justify"), QRectF(200, 25, 0, 20)},  // no room: no width
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.info.value("Justify").toString().toStdString());
    EXPECT_EQ(ZPlacement::containerLayoutRect(QSizeF(100, 20), bar, c.info), c.expected);
  }
}

TEST(PlaybackBarRules, SliderFractionsAndKnobPlaces) {
  const struct {
    double value, minimum, maximum, fraction;
  } fractions[] = {
      {0, 0, 0, 0},      // a movie slider before the movie's length is known
      {5, 0, 0, 0},      // maximum not above the minimum
      {5, 10, 2, 0},     // nor below it
      {25, 0, 100, 0.25},
      {150, 0, 100, 1},  // beyond the ends: at the ends
      {-3, 0, 100, 0},
  };
  for (const auto &c : fractions)
    EXPECT_DOUBLE_EQ(ZSliderCell::fraction(c.value, c.minimum, c.maximum), c.fraction)
        << c.value << " in " << c.minimum << ".." << c.maximum;

  ZSliderCell cell;
  cell.knobImage = QImage(12, 10, QImage::Format_ARGB32);
  cell.fKnobYPos = 3;
  const QRectF bounds(0, 0, 200, 16);
  EXPECT_EQ(cell.knobRect(bounds, 0), QRectF(0, 3, 12, 10));
  EXPECT_EQ(cell.knobRect(bounds, 1), QRectF(188, 3, 12, 10));
  EXPECT_EQ(cell.knobRect(bounds, 0.5), QRectF(94, 3, 12, 10));
  EXPECT_EQ(cell.knobRect(bounds, 0.333), QRectF(63, 3, 12, 10));  // rounded up
  EXPECT_DOUBLE_EQ(ZSliderCell::onLength(bounds, 0.333), 67);
}

TEST(PlaybackBarRules, TimesAreMinutesAndSecondsOfAtLeastTwoDigits) {
  const struct {
    double seconds;
    const char *text;
  } cases[] = {{125, "02:05"}, {3599, "59:59"}, {6000, "100:00"}, {0, "00:00"},
               {9.99, "00:09"}, {-4, "00:00"}, {std::nan(""), "00:00"}};
  for (const auto &c : cases) EXPECT_EQ(ZMovieSlider::timeText(c.seconds), c.text) << c.seconds;
}

TEST(PlaybackBarRules, TitlesLoseTheirFileExtensionAndStayOnOneLine) {
  const struct {
    const char *title, *shown;
  } cases[] = {
      {"clip.mp4", "clip"},
      {"Holiday.2009.MOV", "Holiday.2009"},
      {"Part 1. The start", "Part 1. The start"},
      {"Episode 3.", "Episode 3."},
      {".hidden", ".hidden"},
      {"two\nlines\tand tab", "two lines and tab"},
      {"<b>bold</b> & more", "<b>bold</b> & more"},  // drawn as it is, never as markup
  };
  for (const auto &c : cases)
    EXPECT_EQ(ZPlaybackTitleBarView::displayTitle(QString::fromUtf8(c.title)), c.shown) << c.title;
}

// ---- the bars over the movie controller ----------------------------------------------------

class PlaybackBars : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    windowEnvironment();  // makes the movie controller
    fVideo = addVideo(QStringLiteral("Stars over the Desert.mp4"));
    fRecorder = std::make_unique<NotificationRecorder>(
        QStringList{"ActionPlayVideo", "ActionPauseVideo", "ActionStopPlayingVideoList",
                    "ActionEnterFullScreen", "ActionLeaveFullScreen"});
  }
  void TearDown() override {
    fRecorder.reset();
    fArea.reset();
    MainWindowTest::TearDown();
  }

  ZPlaybackEnvironment playbackEnvironment() {
    return {ZSkinManager::sharedSkinManager().getCurrentSkin(), fMovieController.get(),
            fNowPlaying.get()};
  }

  // The playback area of the window, 800 by 500, in display.
  ZNowPlayingView &area() {
    fArea = std::make_unique<ZNowPlayingView>(playbackEnvironment());
    fArea->resize(800, 500);
    fArea->show();
    fArea->enterDisplay();
    QCoreApplication::processEvents();
    return *fArea;
  }

  // The list plays its one video (10 s long at scale 600).
  void play() {
    fNowPlaying->setVideos({fVideo});
    fMovieController->play();
    ASSERT_TRUE(fMovieController->isPlaying());
  }

  int fVideo = -1;
  std::unique_ptr<ZNowPlayingView> fArea;
  std::unique_ptr<NotificationRecorder> fRecorder;
};

TEST_F(PlaybackBars, TheAreaStacksTheBarsAroundTheMovieAndHandsOverTheSlider) {
  ZNowPlayingView &view = area();
  ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const int title = int(ZPlaybackTitleBarView::height(skin));
  const int controls = int(ZPlaybackBottomBarView::height(skin));
  ASSERT_GT(title, 0);
  ASSERT_GT(controls, 0);
  EXPECT_EQ(view.titleBarView()->geometry(), QRect(0, 0, 800, title));
  EXPECT_EQ(view.bottomBarView()->geometry(), QRect(0, 500 - controls, 800, controls));
  const QRect progress = view.progressBarView()->geometry();
  EXPECT_EQ(progress.bottom() + 1, 500 - controls);
  EXPECT_EQ(view.movieContainer()->geometry(),
            QRect(0, title, 800, 500 - title - controls - progress.height()));
  // The slider stretches between the caps and follows the area's width.
  ZMovieSlider *slider = view.progressBarView()->slider();
  ASSERT_NE(slider, nullptr);
  const int caps = slider->x();
  EXPECT_GT(caps, 0);
  EXPECT_EQ(slider->width(), 800 - 2 * caps);
  view.resize(1000, 500);
  EXPECT_EQ(slider->width(), 1000 - 2 * caps);

  // The slider is the controller's: the movie's length arrives, ticks move it.
  play();
  EXPECT_DOUBLE_EQ(slider->maxValue(), 9.0);
  fMovie.setCurrentTime(ZTime{4 * 600, 600});
  fMovieController->scrubberUpdateTimerTick();
  EXPECT_DOUBLE_EQ(slider->doubleValue(), 4.0);
  EXPECT_EQ(view.progressBarView()->currentTimeText(), "00:04");
  EXPECT_EQ(view.progressBarView()->maximumTimeText(), "00:09");

  // Out of display the controller no longer moves it.
  view.exitDisplay();
  fMovie.setCurrentTime(ZTime{6 * 600, 600});
  fMovieController->scrubberUpdateTimerTick();
  EXPECT_DOUBLE_EQ(slider->doubleValue(), 4.0);
  EXPECT_FALSE(view.bottomBarView()->isVisible());
}

TEST_F(PlaybackBars, TheCapsShowTheKnobsTimeAndTheMaximum) {
  ZNowPlayingView &view = area();
  ZMovieSlider *slider = view.progressBarView()->slider();
  for (const auto &[value, maximum, current, last] :
       {std::tuple{125.0, 3599.0, "02:05", "59:59"}, std::tuple{59.0, 6000.0, "00:59", "100:00"}}) {
    slider->setMaxValue(maximum);
    slider->setDoubleValue(value);
    EXPECT_EQ(view.progressBarView()->currentTimeText(), current);
    EXPECT_EQ(view.progressBarView()->maximumTimeText(), last);
  }
  // Maximum 0 (no movie yet): the knob at the left end.
  slider->setMaxValue(0);
  slider->setDoubleValue(30);
  EXPECT_EQ(slider->knobRect().x(), 0);
  EXPECT_EQ(view.progressBarView()->currentTimeText(), "00:00");
}

TEST_F(PlaybackBars, ClickingOrDraggingTheProgressBarSeeksWhenLetGo) {
  ZNowPlayingView &view = area();
  play();
  ZMovieSlider *slider = view.progressBarView()->slider();
  const int knob = slider->cell().knobImage.deviceIndependentSize().toSize().width();
  const int y = slider->height() / 2;
  const auto xFor = [&](double f) { return int(knob / 2 + f * (slider->width() - knob)); };

  // A click at three quarters: the movie goes there (of 9 s).
  QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(xFor(0.75), y));
  EXPECT_NEAR(fMovie.currentTime().seconds(), 6.75, 0.05);

  // A drag moves the knob and the time in the cap, the movie only at the end;
  // the controller's ticks leave the held knob alone.
  QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(xFor(0.75), y));
  sendMouseMove(slider, QPoint(xFor(0.2), y), true);
  EXPECT_NEAR(fMovie.currentTime().seconds(), 6.75, 0.05);
  EXPECT_EQ(view.progressBarView()->currentTimeText(), "00:01");
  fMovieController->scrubberUpdateTimerTick();
  EXPECT_EQ(view.progressBarView()->currentTimeText(), "00:01");
  QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(xFor(1.0 / 9), y));
  EXPECT_NEAR(fMovie.currentTime().seconds(), 1.0, 0.05);

  // The keyboard and assistive technology seek too.
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_NEAR(fMovie.currentTime().seconds(), 6.0, 0.05);
  QAccessibleInterface *access = QAccessible::queryAccessibleInterface(slider);
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->role(), QAccessible::Slider);
  access->valueInterface()->setCurrentValue(2.0);
  EXPECT_NEAR(fMovie.currentTime().seconds(), 2.0, 0.05);
  EXPECT_EQ(access->text(QAccessible::Value), "00:02");
}

// While the movie plays, the knob, the cap and what assistive technology
// reads follow every tick; the slider's value, of whose every change Qt
// tells the accessibility bus, follows at most once a second, and the last
// place in any case. Keys step from where the knob is, not from the value.
TEST_F(PlaybackBars, TheProgressSliderIsReadAtOnceAndAnnouncedAboutOnceASecond) {
  ZNowPlayingView &view = area();
  play();
  ZMovieSlider *slider = view.progressBarView()->slider();
  QAccessibleInterface *access = QAccessible::queryAccessibleInterface(slider);
  ASSERT_NE(access, nullptr);
  QAccessibleValueInterface *value = access->valueInterface();
  ASSERT_NE(value, nullptr);
  EXPECT_DOUBLE_EQ(value->maximumValue().toDouble(), 9.0);
  QList<int> values;
  QObject::connect(slider, &QAbstractSlider::valueChanged, [&](int v) { values.append(v); });

  // Ten ticks in quick succession, a tenth of a second of the movie apart.
  for (int tick = 1; tick <= 10; ++tick) {
    fMovie.setCurrentTime(ZTime{tick * 60, 600});
    fMovieController->scrubberUpdateTimerTick();
    EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), tick / 10.0);
  }
  EXPECT_EQ(access->text(QAccessible::Value), "00:01");
  EXPECT_EQ(view.progressBarView()->currentTimeText(), "00:01");
  EXPECT_LE(values.size(), 1) << "at most the first tick's change at once";
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return slider->value() == 1000; },
                                       3 * ZMovieSlider::AnnounceIntervalMs));
  EXPECT_LE(values.size(), 2);
  TestEnvironment::waitFor([] { return false; }, ZMovieSlider::AnnounceIntervalMs + 200);
  EXPECT_EQ(values.last(), 1000);
  EXPECT_LE(values.size(), 2) << "nothing more without a tick";

  // Two ticks: the second waits to be announced; a key steps from the knob.
  for (const int seconds : {2, 3}) {
    fMovie.setCurrentTime(ZTime{seconds * 600, 600});
    fMovieController->scrubberUpdateTimerTick();
  }
  ASSERT_NE(slider->value(), 3000);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_NEAR(fMovie.currentTime().seconds(), 8.0, 0.05);
  EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), 8.0);
}

TEST_F(PlaybackBars, PlayAndPauseSwapOnTheMoviesNotificationsAndItsRate) {
  ZNowPlayingView &view = area();
  ZPlaybackBottomBarView *bar = view.bottomBarView();
  ASSERT_NE(bar->playButton(), nullptr);
  ASSERT_NE(bar->pauseButton(), nullptr);
  EXPECT_TRUE(bar->playButton()->isVisible());
  EXPECT_FALSE(bar->pauseButton()->isVisible());

  QTest::mouseClick(bar->playButton(), Qt::LeftButton);
  EXPECT_EQ(fRecorder->names(), QStringList{"ActionPlayVideo"});
  NotificationCenter::defaultCenter().postNotificationName(
      ZOQTMovieController::MovieStartedNotification, fVideo);
  EXPECT_FALSE(bar->playButton()->isVisible());
  EXPECT_TRUE(bar->pauseButton()->isVisible());
  EXPECT_EQ(bar->playButton()->state(), ZButtonView::Normal);

  fRecorder->clear();
  QTest::mouseClick(bar->pauseButton(), Qt::LeftButton);
  EXPECT_EQ(fRecorder->names(), QStringList{"ActionPauseVideo"});
  post("MoviePaused");
  EXPECT_TRUE(bar->playButton()->isVisible());

  // The movie's rate: playing shows pause, a rate of 0 shows play.
  play();
  EXPECT_TRUE(bar->pauseButton()->isVisible());
  fMovie.setRate(0.0);
  EXPECT_TRUE(bar->playButton()->isVisible());
  EXPECT_FALSE(bar->pauseButton()->isVisible());
  fMovie.setRate(-4.0);  // scanning back is not a pause
  EXPECT_TRUE(bar->pauseButton()->isVisible());

  fRecorder->clear();
  QTest::mouseClick(bar->exitButton(), Qt::LeftButton);
  QTest::mouseClick(bar->stopButton(), Qt::LeftButton);
  EXPECT_EQ(fRecorder->names(),
            (QStringList{"ActionStopPlayingVideoList", "ActionStopPlayingVideoList"}));
}

TEST_F(PlaybackBars, SkipButtonsSkipOnAClickAndScanWhileHeld) {
  const int second = addVideo(QStringLiteral("Second"));
  ZNowPlayingView &view = area();
  fNowPlaying->setVideos({fVideo, second});
  fMovieController->play();
  ZPlaybackBottomBarView *bar = view.bottomBarView();
  ASSERT_NE(bar->forwardButton(), nullptr);
  ASSERT_NE(bar->rewindButton(), nullptr);

  QTest::mouseClick(bar->forwardButton(), Qt::LeftButton);
  EXPECT_EQ(fNowPlaying->indexOfCurrentlyPlayingVideo(), 1);
  EXPECT_TRUE(fMovieController->isPlaying());
  QTest::mouseClick(bar->rewindButton(), Qt::LeftButton);
  EXPECT_EQ(fNowPlaying->indexOfCurrentlyPlayingVideo(), 0);

  for (const auto &[button, scanRate] :
       {std::pair{bar->forwardButton(), 4.0}, std::pair{bar->rewindButton(), -4.0}}) {
    button->setHoldDownDelay(20);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return fMovie.rate() == scanRate; }, 2000));
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_EQ(fMovie.rate(), 1.0);
    // A hold is no skip.
    EXPECT_EQ(fNowPlaying->indexOfCurrentlyPlayingVideo(), 0);
  }
}

TEST_F(PlaybackBars, TheVolumeControlIsPlacedInTheBarAndMutesWithItsButton) {
  ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  ASSERT_TRUE(skin->volumeControlInfo());
  // Justify "justify" with XPos 10 in a bar 300 wide: 280 wide at x 10.
  const QVariantMap info = *skin->volumeControlInfo();
  QVariantMap justify = info;
  justify["Justify"] = "justify";
  justify["XPos"] = 10;
  QWidget bar;
  bar.resize(300, 60);
  bar.show();
  ZVolumeSliderContainer justified(justify, nullptr, &bar);
  EXPECT_EQ(justified.x(), 10);
  EXPECT_EQ(justified.width(), 280);
  bar.resize(400, 60);  // placed again on every resize of the bar
  EXPECT_EQ(justified.width(), 380);
  ASSERT_NE(justified.slider(), nullptr);
  EXPECT_EQ(justified.slider()->geometry().right() + 1, 380);
  EXPECT_EQ(justified.slider()->x(), int(justified.buttonWidth()));

  ZNowPlayingView &view = area();
  play();
  ZVolumeSliderContainer *volume = view.bottomBarView()->volumeSliderContainer();
  ASSERT_NE(volume, nullptr);
  EXPECT_FALSE(volume->isMuted());
  const QImage sounding = volume->grab(volume->buttonRect().toAlignedRect()).toImage();
  const QPoint button = volume->buttonRect().center().toPoint();

  // Pressed inside shows part 2, dragged out part 1; let go outside: nothing.
  QTest::mousePress(volume, Qt::LeftButton, Qt::NoModifier, button);
  EXPECT_EQ(volume->buttonState(), 2);
  sendMouseMove(volume, QPoint(volume->width() - 2, button.y()), true);
  EXPECT_EQ(volume->buttonState(), 1);
  QTest::mouseRelease(volume, Qt::LeftButton, Qt::NoModifier,
                      QPoint(volume->width() - 2, button.y()));
  EXPECT_EQ(volume->buttonState(), 0);
  EXPECT_FALSE(fMovie.muted());

  // A click: muted, the controller told (it posts "MovieMuted"), the
  // crossed-out speaker drawn.
  NotificationRecorder muting({"MovieMuted", "MovieUnmuted"});
  QTest::mouseClick(volume, Qt::LeftButton, Qt::NoModifier, button);
  EXPECT_TRUE(fMovie.muted());
  EXPECT_TRUE(volume->isMuted());
  EXPECT_EQ(muting.names(), QStringList{"MovieMuted"});

  // What it draws then is the "MuteButton" picture: the same as a control
  // whose sounding picture is that one.
  QVariantMap crossedOut = info;
  crossedOut["MutedButton"] = info.value("MuteButton");
  QWidget twin;
  twin.resize(view.bottomBarView()->size());
  ZVolumeSliderContainer reference(crossedOut, nullptr, &twin);
  const QRect buttonArea = volume->buttonRect().toAlignedRect();
  const QImage muted = volume->grab(buttonArea).toImage();
  EXPECT_NE(muted, sounding);
  EXPECT_EQ(muted, reference.grab(buttonArea).toImage());

  // Muted by someone else (the M key): the container follows.
  fMovieController->mute();
  EXPECT_FALSE(volume->isMuted());

  // The button for the keyboard and assistive technology.
  QWidget *key = volume->findChild<ZVolumeMuteButton *>();
  ASSERT_NE(key, nullptr);
  QTest::keyClick(key, Qt::Key_Space);
  EXPECT_TRUE(fMovie.muted());
  QAccessibleInterface *access = QAccessible::queryAccessibleInterface(key);
  EXPECT_EQ(access->role(), QAccessible::Button);
  EXPECT_TRUE(access->state().checked);
  EXPECT_EQ(access->text(QAccessible::Name), "Unmute");

  // The volume slider sets and stores the volume.
  volume->slider()->setValue(40);
  EXPECT_FLOAT_EQ(fMovie.volume(), 0.4f);
  EXPECT_NEAR(fDefaults->floatForKey("ZOQTMovieVolume"), 0.4, 1e-6);
}

TEST_F(PlaybackBars, TheTitleBarShowsTheCurrentTitleAndAsksForFullScreen) {
  const QString longTitle = QString(2000, QLatin1Char('W')) + "<i>";
  const int marked = addVideo(longTitle);
  ZNowPlayingView &view = area();
  play();
  ZPlaybackTitleBarView *title = view.titleBarView();
  EXPECT_EQ(title->movieTitle(), "Stars over the Desert");
  fNowPlaying->setVideos({marked});
  fMovieController->play();
  EXPECT_EQ(title->movieTitle(), longTitle);
  const QImage drawn = title->grab().toImage();  // drawn cut, within the bar
  EXPECT_EQ(drawn.size(), title->size() * drawn.devicePixelRatio());

  ASSERT_NE(title->fullScreenButton(), nullptr);
  QTest::mouseClick(title->fullScreenButton(), Qt::LeftButton);
  EXPECT_EQ(fRecorder->names(), QStringList{"ActionEnterFullScreen"});
  // A double click on the movie asks for it too.
  fRecorder->clear();
  QTest::mouseDClick(view.movieContainer(), Qt::LeftButton);
  EXPECT_EQ(fRecorder->names(), QStringList{"ActionEnterFullScreen"});
}

TEST_F(PlaybackBars, EveryControlOfTheBarsHasARoleAndAName) {
  ZNowPlayingView &view = area();
  ZFullScreenWindow fullScreen(playbackEnvironment());
  fullScreen.resize(1024, 640);
  fullScreen.show();
  fullScreen.fullScreenView()->mouseDidMove();
  QAccessibleInterface *frame = QAccessible::queryAccessibleInterface(&fullScreen);
  EXPECT_EQ(frame->role(), QAccessible::Window);
  EXPECT_EQ(frame->text(QAccessible::Name), "Zaro Player Full Screen");
  int controls = 0;
  for (QWidget *root : {static_cast<QWidget *>(&view), static_cast<QWidget *>(&fullScreen)})
    for (QWidget *widget : root->findChildren<QWidget *>()) {
      if (!widget->isVisible() || widget->focusPolicy() == Qt::NoFocus ||
          qobject_cast<ZFullScreenView *>(widget))
        continue;
      QAccessibleInterface *access = QAccessible::queryAccessibleInterface(widget);
      ASSERT_NE(access, nullptr);
      SCOPED_TRACE(widget->objectName().toStdString());
      EXPECT_TRUE(access->role() == QAccessible::Button || access->role() == QAccessible::Slider)
          << access->role();
      EXPECT_FALSE(access->text(QAccessible::Name).isEmpty());
      ++controls;
    }
  EXPECT_GT(controls, 0);
}

TEST_F(PlaybackBars, ASkinWithoutTheBarPicturesGivesEmptyBarsThatStillWork) {
  ZSkin bare(fRoot + "/no-such-skin");
  ZNowPlayingView view({&bare, fMovieController.get(), fNowPlaying.get()});
  view.resize(400, 300);
  view.show();
  view.enterDisplay();
  EXPECT_EQ(view.titleBarView()->geometry().height(), 0);
  EXPECT_EQ(view.bottomBarView()->geometry().height(), 0);
  EXPECT_TRUE(view.bottomBarView()->buttons().isEmpty());
  EXPECT_EQ(view.progressBarView()->slider(), nullptr);
  EXPECT_EQ(view.movieContainer()->geometry(), QRect(0, 0, 400, 300));
  play();
  view.exitDisplay();

  // A progress description without its knob position makes no slider.
  QVariantMap progress = *ZSkinManager::sharedSkinManager().getCurrentSkin()->progressBarInfo();
  EXPECT_NE(ZMovieSlider::create(QSizeF(300, 30), progress), nullptr);
  progress.remove("KnobYPos");
  EXPECT_EQ(ZMovieSlider::create(QSizeF(300, 30), progress), nullptr);
}

// ---- full screen ---------------------------------------------------------------------------

class FullScreen : public PlaybackBars {
 protected:
  void SetUp() override {
    PlaybackBars::SetUp();
    fWindow = std::make_unique<ZFullScreenWindow>(playbackEnvironment());
    fWindow->resize(1024, 640);
    fWindow->show();
    fView = fWindow->fullScreenView();
    fView->setHideDelay(20);
    fView->setMouseLocation([this] { return fView->mapToGlobal(fMouse); });
    fMovieView = new QWidget;
    fMovieView->setObjectName("StandInMovieView");
    fView->addMovieView(fMovieView);
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    fWindow.reset();
    delete fMovieView;
    PlaybackBars::TearDown();
  }

  bool waitForTimer() {
    return TestEnvironment::waitFor([this] { return !fView->hideTimer().isActive(); }, 2000);
  }

  std::unique_ptr<ZFullScreenWindow> fWindow;
  ZFullScreenView *fView = nullptr;
  QWidget *fMovieView = nullptr;
  QPoint fMouse{500, 300};
};

TEST_F(FullScreen, AMouseMoveShowsTheBarsThatHideOverTheMovieButStayOverABar) {
  // At first the movie fills the screen.
  EXPECT_FALSE(fView->showingBars());
  EXPECT_EQ(fView->movieContainer()->geometry(), QRect(0, 0, 1024, 640));
  EXPECT_EQ(fMovieView->parentWidget(), fView->movieContainer());

  sendMouseMove(fMovieView, QPoint(10, 10));
  ASSERT_TRUE(fView->showingBars());
  EXPECT_TRUE(fView->titleBarView()->isVisible());
  EXPECT_TRUE(fView->bottomBarView()->isVisible());
  EXPECT_TRUE(fView->progressBarView()->isVisible());
  const QRect movie = fView->movieContainer()->geometry();
  EXPECT_EQ(movie.top(), fView->titleBarView()->geometry().height());
  EXPECT_EQ(movie.bottom() + 1, fView->progressBarView()->y());
  EXPECT_EQ(fView->progressBarView()->geometry().bottom() + 1, fView->bottomBarView()->y());
  EXPECT_EQ(fMovieView->geometry(), QRect(QPoint(0, 0), movie.size()));
  EXPECT_TRUE(fView->hideTimer().isActive());

  // The mouse rests over the control bar: the bars stay, the timer runs again.
  fMouse = fView->bottomBarView()->geometry().center();
  fView->hideTimerFired();
  EXPECT_TRUE(fView->showingBars());
  EXPECT_TRUE(fView->hideTimer().isActive());
  EXPECT_NE(fView->cursor().shape(), Qt::BlankCursor);

  // Still over the movie when the time is up: the bars and the pointer hide.
  fMouse = QPoint(500, 300);
  ASSERT_TRUE(waitForTimer());
  EXPECT_FALSE(fView->showingBars());
  EXPECT_FALSE(fView->bottomBarView()->isVisible());
  EXPECT_EQ(fView->movieContainer()->geometry(), QRect(0, 0, 1024, 640));
  EXPECT_EQ(fView->cursor().shape(), Qt::BlankCursor);

  // The next move brings both back; the timer is the real one of 6 seconds.
  fView->setHideDelay(ZFullScreenView::kSecondsBeforeHideButtons * 1000);
  sendMouseMove(fView->movieContainer(), QPoint(20, 20));
  EXPECT_TRUE(fView->showingBars());
  EXPECT_NE(fView->cursor().shape(), Qt::BlankCursor);
  EXPECT_EQ(fView->hideTimer().interval(), 6000);
  const int remaining = fView->hideTimer().remainingTime();
  QTest::qWait(30);
  sendMouseMove(fMovieView, QPoint(30, 30));  // does not restart it
  EXPECT_LT(fView->hideTimer().remainingTime(), remaining);
}

TEST_F(FullScreen, RemovingTheMovieViewHidesTheBarsAndGivesTheSlidersBack) {
  play();
  sendMouseMove(fMovieView, QPoint(10, 10));
  ZMovieSlider *slider = fView->progressBarView()->slider();
  ASSERT_NE(slider, nullptr);
  EXPECT_DOUBLE_EQ(slider->maxValue(), 9.0);
  // The full-screen slider seeks.
  slider->setValue(3000);
  EXPECT_NEAR(fMovie.currentTime().seconds(), 3.0, 0.01);

  NotificationRecorder muting({"MovieMuted", "MovieUnmuted"});
  QWidget home;
  fMovieView->setParent(&home);
  fView->addMovieView(fMovieView);
  fView->removeMovieView();
  EXPECT_EQ(fMovieView->parentWidget(), &home);
  EXPECT_FALSE(fView->showingBars());
  EXPECT_FALSE(fView->hideTimer().isActive());
  EXPECT_EQ(muting.names(), QStringList{"MovieUnmuted"});
  fMovie.setCurrentTime(ZTime{5 * 600, 600});
  fMovieController->scrubberUpdateTimerTick();
  EXPECT_DOUBLE_EQ(slider->doubleValue(), 3.0);
  fMovieView->setParent(nullptr);
}

TEST_F(FullScreen, TheFullScreenBarsMuteAndStepTheVolume) {
  play();
  sendMouseMove(fMovieView, QPoint(10, 10));
  ZFullScreenBottomBarView *bar = fView->bottomBarView();
  ASSERT_NE(bar->muteButton(), nullptr);
  ASSERT_NE(bar->unmuteButton(), nullptr);
  EXPECT_TRUE(bar->muteButton()->isVisible());
  EXPECT_FALSE(bar->unmuteButton()->isVisible());
  EXPECT_TRUE(bar->pauseButton()->isVisible());  // set up while the movie plays
  QTest::mouseClick(bar->muteButton(), Qt::LeftButton);
  EXPECT_TRUE(fMovie.muted());
  EXPECT_TRUE(bar->unmuteButton()->isVisible());
  EXPECT_FALSE(bar->muteButton()->isVisible());
  QTest::mouseClick(bar->unmuteButton(), Qt::LeftButton);
  EXPECT_FALSE(fMovie.muted());

  fMovie.setVolume(0.5f);
  QTest::mouseClick(bar->volumeDownButton(), Qt::LeftButton);
  EXPECT_NEAR(fMovie.volume(), 0.4, 1e-6);
  QTest::mouseClick(bar->volumeUpButton(), Qt::LeftButton);
  QTest::mouseClick(bar->volumeUpButton(), Qt::LeftButton);
  EXPECT_NEAR(fMovie.volume(), 0.6, 1e-6);

  // The leave button of the title bar.
  ASSERT_NE(fView->titleBarView()->fullScreenButton(), nullptr);
  QTest::mouseClick(fView->titleBarView()->fullScreenButton(), Qt::LeftButton);
  EXPECT_EQ(fRecorder->names(), QStringList{"ActionLeaveFullScreen"});
}

// ---- the window: full screen and keys ------------------------------------------------------

using PlaybackKeys = MainWindowTest;

TEST_F(PlaybackKeys, EscapeLeavesFullScreenAndOtherKeysDoNot) {
  const int video = addVideo(QStringLiteral("Only"));
  MainWindowController &window = makeWindow();
  fNowPlaying->setVideos({video});
  post("ActionStartPlayingNewVideoList");
  // Playback takes the keyboard from the view before it.
  EXPECT_EQ(window.window()->focusWidget(), window.nowPlayingView());
  // From whatever control of the window has the keyboard.
  ZButtonView *guide = window.chrome().guideButton;
  ASSERT_NE(guide, nullptr);
  guide->setFocus(Qt::TabFocusReason);
  QTest::keyClick(guide, Qt::Key_F);
  ASSERT_TRUE(window.inFullScreen());
  ZFullScreenView *view = window.fullScreenWindow()->fullScreenView();
  EXPECT_EQ(window.fullScreenWindow()->geometry(), window.window()->screen()->geometry());
  EXPECT_TRUE(window.fullScreenWindow()->windowState().testFlag(Qt::WindowFullScreen));
  EXPECT_TRUE(window.fullScreenWindow()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Space, Qt::Key_A, Qt::Key_Return,
                            Qt::Key_Left, Qt::Key_Up, Qt::Key_Q}) {
    QTest::keyClick(view, key);
    EXPECT_TRUE(window.inFullScreen()) << key;
  }
  EXPECT_TRUE(fMovieController->isPlaying());  // Space twice: paused and playing again
  QTest::keyClick(view, Qt::Key_Escape);
  EXPECT_FALSE(window.inFullScreen());
  EXPECT_TRUE(window.currentlyPlayingMovies());
  EXPECT_TRUE(window.nowPlayingView()->inDisplay());

  // F goes in and out, as in other players.
  QTest::keyClick(window.window(), Qt::Key_F);
  ASSERT_TRUE(window.inFullScreen());
  QTest::keyClick(window.fullScreenWindow()->fullScreenView(), Qt::Key_F);
  EXPECT_FALSE(window.inFullScreen());
  EXPECT_EQ(fMovie.openedPaths().size(), 1);  // the movie went on throughout
}

TEST_F(PlaybackKeys, ArrowsSeekAndChangeTheVolumeAndMMutes) {
  const int first = addVideo(QStringLiteral("First"));
  const int second = addVideo(QStringLiteral("Second"));
  MainWindowController &window = makeWindow();
  fMovie.setDuration(db().getVideoInfo(first)->value("PATH"), ZTime{60 * 600, 600});
  fNowPlaying->setVideos({first, second});
  post("ActionStartPlayingNewVideoList");
  QWidget *w = window.window();
  fMovie.setCurrentTime(ZTime{30 * 600, 600});
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    double seconds;
  } seeks[] = {{Qt::Key_Right, Qt::NoModifier, 40},
               {Qt::Key_Left, Qt::NoModifier, 30},
               {Qt::Key_Left, Qt::NoModifier, 20},
               {Qt::Key_Left, Qt::NoModifier, 10},
               {Qt::Key_Left, Qt::NoModifier, 0},
               {Qt::Key_Left, Qt::NoModifier, 0}};  // not before the start
  for (const auto &s : seeks) {
    QTest::keyClick(w, s.key, s.modifiers);
    EXPECT_NEAR(fMovie.currentTime().seconds(), s.seconds, 0.01) << s.key;
  }
  for (int i = 0; i < 8; ++i) QTest::keyClick(w, Qt::Key_Right);
  EXPECT_NEAR(fMovie.currentTime().seconds(), 59, 0.01);  // not past the last second

  fMovie.setVolume(0.5f);
  QTest::keyClick(w, Qt::Key_Up);
  EXPECT_NEAR(fMovie.volume(), 0.6, 1e-6);
  QTest::keyClick(w, Qt::Key_Down);
  QTest::keyClick(w, Qt::Key_Down);
  EXPECT_NEAR(fMovie.volume(), 0.4, 1e-6);
  QTest::keyClick(w, Qt::Key_M);
  EXPECT_TRUE(fMovie.muted());
  QTest::keyClick(w, Qt::Key_M);
  EXPECT_FALSE(fMovie.muted());
  QTest::keyClick(w, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(fNowPlaying->indexOfCurrentlyPlayingVideo(), 1);

  // A double click on the movie goes full screen; there, one comes back.
  QTest::mouseDClick(window.nowPlayingView()->movieContainer(), Qt::LeftButton);
  ASSERT_TRUE(window.inFullScreen());
  QTest::mouseDClick(window.fullScreenWindow()->fullScreenView()->movieContainer(),
                     Qt::LeftButton);
  EXPECT_FALSE(window.inFullScreen());
}
