// Full screen on a real display (run under Xvfb, with Mesa's software
// OpenGL): the window keeps the keyboard when the movie's OpenGL view comes
// in after it was shown, which makes Qt build its native window again.
#include "TestEnvironment.h"
#include "ZFullScreenWindow.h"

#include <QApplication>
#include <QOpenGLContext>
#include <QOpenGLWidget>

#include <gtest/gtest.h>

TEST(FullScreenDisplay, TheWindowKeepsTheKeyboardWhenTheMovieViewComesIn) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a display (Xvfb)";
  QOpenGLContext probe;
  if (!probe.create()) GTEST_SKIP() << "no OpenGL on this display";

  // The main window has the keyboard, with the movie view in it.
  QWidget main;
  main.resize(400, 300);
  auto *movieView = new QOpenGLWidget(&main);
  movieView->resize(200, 100);
  main.show();
  main.activateWindow();
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return QApplication::activeWindow() == &main; },
                                       10000));

  // The way the main window goes full screen: shown and activated first,
  // then the movie view moves in.
  auto *fullScreen = new ZFullScreenWindow(ZPlaybackEnvironment{});
  fullScreen->showOnScreen(main.screen());
  fullScreen->activateWindow();
  fullScreen->fullScreenView()->setFocus(Qt::OtherFocusReason);
  const WId first = fullScreen->winId();
  fullScreen->fullScreenView()->addMovieView(movieView);
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return movieView->isValid(); }, 10000));
  EXPECT_TRUE(TestEnvironment::waitFor(
      [&] { return QApplication::activeWindow() == fullScreen; }, 10000))
      << "the native window was made anew: " << (fullScreen->winId() != first);
  EXPECT_TRUE(TestEnvironment::waitFor(
      [&] { return QApplication::focusWidget() == fullScreen->fullScreenView(); }, 10000));

  // Back in the window, the main window takes the keyboard again.
  fullScreen->fullScreenView()->removeMovieView();
  EXPECT_EQ(movieView->parentWidget(), &main);
  fullScreen->dismiss();
  delete fullScreen;
  main.activateWindow();
  EXPECT_TRUE(TestEnvironment::waitFor([&] { return QApplication::activeWindow() == &main; },
                                       10000));
}
