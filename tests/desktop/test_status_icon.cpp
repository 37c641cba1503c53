// The status icon's menu and what closing the main window does: the player
// stays in the status area where there is one, and quits through the quit
// confirmation where there is none (a cancelled quit brings the window back).
#include "LibraryFixture.h"
#include "LogCapture.h"
#include "ZDownloadDataSource.h"
#include "ZStatusIcon.h"
#include "ZWindowCloseHandler.h"

#include <QAction>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QWidget>

#include <cmath>

TEST(StatusIcon, TheMenuListsTheRunningDownloadsWithTheirProgress) {
  const QList<ZDownloadProgress> three = {{"Ocean sunrise", 42.7}, {"Fish & chips", 100.0},
                                          {"Mountain\ntrail\t ", 0.0}};
  const struct {
    const char *name;
    QList<ZDownloadProgress> downloads;
    int limit;
    QStringList lines;
  } cases[] = {
      {"none", {}, 5, {"No downloads running"}},
      {"each with its percentage, in one line, & kept",
       three,
       5,
       {"Ocean sunrise \u2014 42%", "Fish && chips \u2014 100%", "Mountain trail \u2014 0%"}},
      {"beyond the limit", three, 2,
       {"Ocean sunrise \u2014 42%", "Fish && chips \u2014 100%", "and 1 more"}},
      {"odd figures and no title",
       {{"", std::nan("")}, {"  ", 250.0}, {"x", -3.0}},
       5,
       {"Video \u2014 0%", "Video \u2014 100%", "x \u2014 0%"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ZStatusIcon::progressLines(c.downloads, c.limit), c.lines);
  }
}

class WindowCloseTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ZDownloadEnvironment environment;
    environment.network = &fNetwork;
    environment.folders = fFolders.get();
    environment.defaults = fDefaults.get();
    environment.database = &db();
    environment.freeBytes = [](const QString &) { return quint64(1) << 40; };
    fQueue = std::make_unique<ZDownloadDataSource>(environment);
    fIcon = std::make_unique<ZStatusIcon>(
        *fQueue, ZStatusIcon::Hooks{[this] { fWindow.show(); }, [this] { ++fQuitsFromIcon; }});
    fWindow.resize(200, 100);
    fWindow.show();
  }
  void TearDown() override {
    fIcon.reset();
    fQueue.reset();
    LibraryTest::TearDown();
  }
  // The close handler with a status area or without, and a quit that is
  // confirmed or cancelled.
  std::unique_ptr<ZWindowCloseHandler> handler(bool statusArea, bool quitGoesOn) {
    return std::make_unique<ZWindowCloseHandler>(
        fWindow, *fIcon,
        ZWindowCloseHandler::Hooks{[this, quitGoesOn] {
                                     ++fQuits;
                                     return quitGoesOn;
                                   },
                                   [statusArea] { return statusArea; }});
  }
  void settle() { TestEnvironment::waitFor([] { return false; }, 50); }

  QNetworkAccessManager fNetwork;
  std::unique_ptr<ZDownloadDataSource> fQueue;
  std::unique_ptr<ZStatusIcon> fIcon;
  QWidget fWindow;
  int fQuits = 0;
  int fQuitsFromIcon = 0;
};

TEST_F(WindowCloseTest, WithAStatusAreaThePlayerStaysThereUntilTheWindowIsShownAgain) {
  const auto closing = handler(true, true);
  EXPECT_FALSE(fIcon->isVisible());
  fWindow.close();
  settle();
  EXPECT_TRUE(fIcon->isVisible());
  EXPECT_EQ(fQuits, 0);
  QStringList texts;
  for (QAction *action : fIcon->menu().actions())
    texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
  EXPECT_EQ(texts, QStringList({"Show Zaro Player", "--", "No downloads running", "--",
                                "Quit Zaro Player"}));
  // Show brings the window back and the icon goes; Quit is the quit action.
  fIcon->menu().actions().first()->trigger();
  settle();
  EXPECT_TRUE(fWindow.isVisible());
  EXPECT_FALSE(fIcon->isVisible());
  fIcon->menu().actions().last()->trigger();
  EXPECT_EQ(fQuitsFromIcon, 1);
}

TEST_F(WindowCloseTest, WithoutAStatusAreaClosingTheWindowQuitsThroughTheConfirmation) {
  LogCapture log;
  {
    SCOPED_TRACE("the quit is cancelled: the window comes back");
    const auto closing = handler(false, false);
    fWindow.hide();
    settle();
    EXPECT_EQ(fQuits, 1);
    EXPECT_TRUE(fWindow.isVisible());
    EXPECT_FALSE(fIcon->isVisible());
  }
  {
    SCOPED_TRACE("the quit goes on: the window stays closed");
    const auto closing = handler(false, true);
    fWindow.close();
    settle();
    EXPECT_EQ(fQuits, 2);
    EXPECT_FALSE(fWindow.isVisible());
  }
  EXPECT_EQ(log.lines("zaro.desktop").size(), 1);  // said once
  {
    SCOPED_TRACE("hidden and shown again at once (a native window made anew): nothing");
    fWindow.show();
    const auto closing = handler(false, true);
    fWindow.hide();
    fWindow.show();
    settle();
    EXPECT_EQ(fQuits, 2);
    EXPECT_TRUE(fWindow.isVisible());
  }
}
