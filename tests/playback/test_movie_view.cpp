// The movie view on a real display (run under Xvfb, with Mesa's software
// OpenGL): mpv draws the movie's pictures into it, whether the view was
// ready before the movie opened or only after, and the view and the engine
// can each go first without the other failing. Then the view in the
// window's playback area and in full screen: it moves between them with
// the movie playing on, and the mouse and the keys over its native window
// reach the views around it.
#include "LibraryFixture.h"
#include "OpenMovie.h"
#include "TestEnvironment.h"
#include "ZFullScreenWindow.h"
#include "ZMpvBackEnd.h"
#include "ZNowPlayingView.h"
#include "ZOMovieView.h"

#include <QGuiApplication>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// How many clearly different colours a picture has (on a coarse grid).
int colourCount(const QImage &image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 8)
    for (int x = 0; x < image.width(); x += 8) {
      const QColor c = image.pixelColor(x, y);
      colours.insert(qRgb(c.red() / 64 * 64, c.green() / 64 * 64, c.blue() / 64 * 64));
    }
  return int(colours.size());
}

bool isBlack(const QImage &image) {
  for (int y = 0; y < image.height(); y += 4)
    for (int x = 0; x < image.width(); x += 4)
      if (qGray(image.pixel(x, y)) > 16) return false;
  return true;
}

}  // namespace

class MovieViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sClip = new QString(TestEnvironment::makeTempDir("clip") + "/bars.mp4");
    QProcess tool;
    tool.start("ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                          "testsrc2=size=320x240:rate=25", "-t", "3", "-c:v", "libx264", "-pix_fmt",
                          "yuv420p", *sClip});
    sReady = tool.waitForFinished(60000) && tool.exitCode() == 0;
  }
  static void TearDownTestSuite() { delete sClip; }

  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a display (Xvfb)";
    QOpenGLContext probe;
    if (!probe.create()) GTEST_SKIP() << "no OpenGL on this display";
    ASSERT_TRUE(sReady);
    fEngine = std::make_unique<ZMpvBackEnd>(false, nullptr);
    ASSERT_TRUE(fEngine->isAvailable());
    ASSERT_FALSE(fEngine->isHeadless());
  }

  std::unique_ptr<ZOMovieView> showView() {
    auto view = std::make_unique<ZOMovieView>();
    view->resize(320, 240);
    view->setEngine(fEngine.get());
    view->show();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return view->isRendering(); }));
    return view;
  }

  // Plays until the view has drawn a few frames; the picture it shows then.
  QImage playAndGrab(ZOMovieView &view) {
    view.setMovie(fEngine.get());
    fEngine->play();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return view.framesDrawn() >= 10; }));
    return view.grabFramebuffer();
  }

  static inline QString *sClip = nullptr;
  static inline bool sReady = false;
  std::unique_ptr<ZMpvBackEnd> fEngine;
};

TEST_F(MovieViewTest, DrawsTheMoviesPicturesAndBlackWithoutAMovie) {
  auto view = showView();
  ASSERT_TRUE(openMovie(*fEngine, *sClip));
  const QImage picture = playAndGrab(*view);
  EXPECT_FALSE(isBlack(picture));
  EXPECT_GE(colourCount(picture), 6) << "the test pattern's colour bars";
  EXPECT_EQ(view->focusPolicy(), Qt::NoFocus);

  view->setMovie(nullptr);
  EXPECT_TRUE(TestEnvironment::waitFor([&] { return isBlack(view->grabFramebuffer()); }));
}

TEST_F(MovieViewTest, AViewReadyOnlyAfterTheMovieOpenedStillGetsItsPictures) {
  ASSERT_TRUE(openMovie(*fEngine, *sClip));
  fEngine->play();
  TestEnvironment::waitFor([] { return false; }, 300);  // playing to the null output
  auto view = showView();
  const QImage picture = playAndGrab(*view);
  EXPECT_FALSE(isBlack(picture));
  EXPECT_GE(colourCount(picture), 6);
}

TEST_F(MovieViewTest, EitherTheViewOrTheEngineMayGoFirst) {
  {
    auto view = showView();
    ASSERT_TRUE(openMovie(*fEngine, *sClip));
    playAndGrab(*view);
  }
  // The view is gone: the movie plays on to its end.
  QSignalSpy ended(fEngine.get(), &ZMediaBackEnd::ended);
  EXPECT_TRUE(TestEnvironment::waitFor([&] { return ended.count() == 1; }, 15000));

  auto view = showView();
  ASSERT_TRUE(openMovie(*fEngine, *sClip));
  playAndGrab(*view);
  fEngine->shutDown();
  EXPECT_FALSE(view->isRendering());
  view->update();
  TestEnvironment::waitFor([] { return false; }, 100);
  EXPECT_FALSE(openMovie(*fEngine, *sClip));
}

TEST_F(MovieViewTest, MovingToAnotherWindowAndBackKeepsTheMoviePlayingAndDrawn) {
  // The window's movie view goes into a full-screen window and back: each
  // window gives it a new OpenGL context, the movie plays on throughout.
  QWidget window, fullScreen;
  window.resize(320, 240);
  fullScreen.resize(400, 300);
  auto *view = new ZOMovieView(&window);
  view->resize(320, 240);
  view->setEngine(fEngine.get());
  window.show();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->isRendering(); }));
  ASSERT_TRUE(openMovie(*fEngine, *sClip));
  EXPECT_FALSE(isBlack(playAndGrab(*view)));

  for (QWidget *host : {&fullScreen, &window}) {
    const double before = fEngine->currentTime().seconds();
    const qint64 drawn = view->framesDrawn();
    view->setParent(host);
    view->resize(host->size());
    view->show();
    host->show();
    EXPECT_TRUE(TestEnvironment::waitFor(
        [&] { return view->isRendering() && view->framesDrawn() >= drawn + 10; }))
        << host;
    EXPECT_GT(fEngine->currentTime().seconds(), before);  // not started over
    EXPECT_GT(fEngine->rate(), 0.0);
    EXPECT_FALSE(isBlack(view->grabFramebuffer()));
    EXPECT_GE(colourCount(view->grabFramebuffer()), 6);
  }
  delete view;
}

// ---- in the window and full screen ---------------------------------------------------------

// As the main window holds it: the movie view waits in a hidden home of its
// own and plays in the playback area (a ZNowPlayingView), from which full
// screen takes it and gives it back.
class MovieViewInDisplays : public MovieViewTest {
 protected:
  void SetUp() override {
    MovieViewTest::SetUp();
    if (IsSkipped()) return;
    fWindow.resize(640, 480);
    fHome = new QWidget(&fWindow);
    fHome->hide();
    fPlaybackArea = new ZNowPlayingView({}, &fWindow);
    fPlaybackArea->setGeometry(0, 0, 640, 480);
    fView = new ZOMovieView(fHome);
    fView->setEngine(fEngine.get());
    fPlaybackArea->setMovieView(fView);
    fPlaybackArea->enterDisplay();
    fWindow.show();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return fView->isRendering(); }));
    ASSERT_TRUE(openMovie(*fEngine, *sClip));
    fView->setMovie(fEngine.get());
    fEngine->play();
    ASSERT_TRUE(framesGoOn());
  }
  void TearDown() override {
    if (fFullScreen) leaveFullScreen();
    delete fView;
    MovieViewTest::TearDown();
  }

  bool framesGoOn() {
    const qint64 drawn = fView->framesDrawn();
    return TestEnvironment::waitFor([&] { return fView->framesDrawn() >= drawn + 10; });
  }

  // What the main window does on "ActionEnterFullScreen" and on leaving.
  void enterFullScreen() {
    fFullScreen = new ZFullScreenWindow({});
    fFullScreen->showOnScreen(nullptr);
    fFullScreen->fullScreenView()->setFocus(Qt::OtherFocusReason);
    fPlaybackArea->exitDisplay();
    fFullScreen->fullScreenView()->addMovieView(fView);
  }
  void leaveFullScreen() {
    fView->hide();
    fFullScreen->fullScreenView()->removeMovieView();
    fPlaybackArea->enterDisplay();
    fFullScreen->dismiss();  // deletes itself
    fFullScreen = nullptr;
  }

  QWidget fWindow;
  QWidget *fHome = nullptr;
  ZNowPlayingView *fPlaybackArea = nullptr;
  ZOMovieView *fView = nullptr;
  ZFullScreenWindow *fFullScreen = nullptr;
};

TEST_F(MovieViewInDisplays, FullScreenAndBackKeepTheNativeWindowAndTheMoviesPosition) {
  QWindow *surface = fView->movieWindow();
  const WId native = surface->winId();
  double before = fEngine->currentTime().seconds();
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    enterFullScreen();
    ASSERT_TRUE(framesGoOn());
    EXPECT_EQ(fView->movieWindow(), surface);
    EXPECT_EQ(surface->winId(), native);
    EXPECT_EQ(surface->parent(), fFullScreen->windowHandle());
    EXPECT_EQ(fView->size(), fFullScreen->size());
    EXPECT_TRUE(fView->isRendering());
    const QImage full = fView->grabFramebuffer();
    EXPECT_EQ(full.size(), fFullScreen->size());
    EXPECT_GE(colourCount(full), 6) << "the picture, not black";
    // The movie went on where it was: not opened again from its start.
    const double inFullScreen = fEngine->currentTime().seconds();
    EXPECT_GT(inFullScreen, before);
    EXPECT_GT(fEngine->rate(), 0.0);

    leaveFullScreen();
    ASSERT_TRUE(framesGoOn());
    EXPECT_EQ(surface->winId(), native);
    EXPECT_EQ(surface->parent(), fWindow.windowHandle());
    EXPECT_EQ(fView->parentWidget(), fPlaybackArea->movieContainer());
    EXPECT_GE(colourCount(fView->grabFramebuffer()), 6);
    before = fEngine->currentTime().seconds();
    EXPECT_GT(before, inFullScreen);
  }
}

// The window closed to the status icon while the movie plays: nothing is
// drawn, but mpv's frames are taken as they come, so its video output goes
// on at the movie's pace instead of waiting for each frame in vain and
// dropping the next ones; the movie shows again with the window.
TEST_F(MovieViewInDisplays, AHiddenWindowLetsTheMovieGoOnUnseen) {
  fWindow.hide();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !fView->movieWindow()->isExposed(); }));
  QTest::qWait(100);
  const qint64 drawn = fView->framesDrawn();
  const qint64 skipped = fView->framesSkipped();
  const qint64 dropped = fEngine->droppedFrameCount();
  QTest::qWait(1000);  // 25 frames of the movie
  EXPECT_EQ(fView->framesDrawn(), drawn);
  EXPECT_GE(fView->framesSkipped(), skipped + 10);
  EXPECT_LE(fEngine->droppedFrameCount(), dropped + 3);

  fWindow.show();
  ASSERT_TRUE(framesGoOn());
  EXPECT_GE(colourCount(fView->grabFramebuffer()), 6);
}

TEST_F(MovieViewInDisplays, TheMouseAndTheKeysOverTheMovieReachTheViewsAroundIt) {
  NotificationRecorder requests({"ActionEnterFullScreen", "ActionLeaveFullScreen"});
  QWindow *surface = fView->movieWindow();
  const QPoint middle(fView->width() / 2, fView->height() / 2);
  // In the window a double click on the movie asks for full screen.
  QTest::mouseDClick(surface, Qt::LeftButton, {}, middle);
  EXPECT_EQ(requests.names(), QStringList{"ActionEnterFullScreen"});

  enterFullScreen();
  ZFullScreenView *full = fFullScreen->fullScreenView();
  full->setHideDelay(50);
  full->setMouseLocation([&] { return fView->mapToGlobal(middle); });
  ASSERT_FALSE(full->showingBars());
  QTest::mouseMove(surface, middle + QPoint(5, 5));  // Qt passes on no move to where it was
  EXPECT_TRUE(full->showingBars());
  // Still over the movie when the time is up: the bars and the pointer hide.
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !full->showingBars(); }, 3000));
  EXPECT_EQ(surface->cursor().shape(), Qt::BlankCursor);
  QTest::mouseMove(surface, middle + QPoint(20, 10));
  EXPECT_TRUE(full->showingBars());
  EXPECT_NE(surface->cursor().shape(), Qt::BlankCursor);

  // Keys that land on the movie's window go to the full-screen view.
  requests.clear();
  QTest::keyClick(surface, Qt::Key_Escape);
  QTest::mouseDClick(surface, Qt::LeftButton, {}, middle);
  EXPECT_EQ(requests.names(), (QStringList{"ActionLeaveFullScreen", "ActionLeaveFullScreen"}));
}

TEST_F(MovieViewTest, AnOpenGLWidgetEnteringItsWindowLaterLeavesTheMovieWhole) {
  // The guide's web view draws through OpenGL: the first such widget to
  // enter a shown window makes Qt build the window anew, with its child
  // windows. The movie's native window must not go with it.
  QWidget window;
  window.resize(320, 240);
  auto *area = new QWidget(&window);
  area->resize(320, 240);
  auto *view = new ZOMovieView(area);
  view->resize(320, 240);
  view->setEngine(fEngine.get());
  window.show();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->isRendering(); }));
  ASSERT_TRUE(openMovie(*fEngine, *sClip));
  EXPECT_FALSE(isBlack(playAndGrab(*view)));
  QPointer<QWindow> surface = view->movieWindow();

  auto *late = new QOpenGLWidget;
  late->resize(16, 16);
  late->setParent(&window);
  late->show();
  // The window lays its views out again (Qt walks the movie's container).
  area->move(2, 0);
  window.resize(330, 240);
  const qint64 drawn = view->framesDrawn();
  EXPECT_TRUE(surface);
  EXPECT_TRUE(TestEnvironment::waitFor(
      [&] { return view->isRendering() && view->framesDrawn() >= drawn + 10; }));
  EXPECT_FALSE(isBlack(view->grabFramebuffer()));
}
