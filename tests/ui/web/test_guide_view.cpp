// The service's pages inside the player, in a real web engine (offscreen):
// command links are carried out and load nothing, a page that cannot be had
// gives way to a message with a button that tries again, and the welcome
// window shows the service's welcome page over the main window's frame.
#include "CannedServer.h"
#include "TestEnvironment.h"
#include "WelcomeWindowController.h"
#include "ZGuideView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QWebEngineView>

namespace {

QByteArray page(const QByteArray &body) {
  return CannedServer::response(200, "<!DOCTYPE html><html><body>" + body + "</body></html>",
                                {{"Content-Type", "text/html; charset=utf-8"}});
}

bool waitForStatus(const ZGuideView &view, ZGuideView::Status status) {
  return TestEnvironment::waitFor([&] { return view.status() == status; }, 30000);
}

struct Commands {
  QStringList downloads, feeds;
  ZNavigationPolicy::Targets targets() {
    ZNavigationPolicy::Targets t;
    t.downloadVideo = [this](const QString &permalink) {
      downloads << permalink;
      return true;
    };
    t.subscribe = [this](const QString &feed) { feeds << feed; };
    return t;
  }
};

TEST(GuideView, ACommandLinkIsCarriedOutAndThePageStays) {
  CannedServer server([](const CannedRequest &) {
    return page(
        "<h1>Guide</h1>"
        "<a id=dl href='zaro://run?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&amp;"
        "permalinkId=ocean-sunrise&amp;permalinkId=other'>Download</a>"
        "<a id=sub href='zaro://run?command=B29791E1-A986-405a-8D40-51D7932650AD&amp;"
        "rssUrl=http%3A%2F%2Fhost%2Frss%2Fnature.xml'>Subscribe</a>");
  });
  Commands commands;
  ZGuideView view(commands.targets());
  view.resize(640, 480);
  view.show();
  view.load(QUrl(server.base() + "/guide/index.html"));
  ASSERT_TRUE(waitForStatus(view, ZGuideView::Status::Shown));
  const QUrl shown = view.webView()->url();

  view.page()->runJavaScript("document.getElementById('dl').click();");
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !commands.downloads.isEmpty(); }, 20000));
  view.page()->runJavaScript("document.getElementById('sub').click();");
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !commands.feeds.isEmpty(); }, 20000));
  EXPECT_EQ(commands.downloads, QStringList{"ocean-sunrise"});
  EXPECT_EQ(commands.feeds, QStringList{"http://host/rss/nature.xml"});
  // Nothing else loaded: the page is still there, shown.
  QTest::qWait(300);
  EXPECT_EQ(view.status(), ZGuideView::Status::Shown);
  EXPECT_EQ(view.webView()->url(), shown);
  EXPECT_EQ(server.requestsTo("/guide").size(), 1);
}

TEST(GuideView, APageThatCannotBeHadShowsAMessageAndTryingAgainLoadsIt) {
  // A service that answers with an error first.
  int answered = 0;
  CannedServer server([&](const CannedRequest &) {
    return ++answered == 1 ? CannedServer::response(500, "broken") : page("<h1>Welcome</h1>");
  });
  ZGuideView view{ZNavigationPolicy::Targets()};
  view.resize(640, 480);
  view.show();
  view.load(QUrl(server.base() + "/guide/welcome.html"));
  ASSERT_TRUE(waitForStatus(view, ZGuideView::Status::Failed));
  EXPECT_TRUE(view.messageLabel()->isVisible());
  EXPECT_FALSE(view.messageLabel()->text().isEmpty());
  EXPECT_TRUE(view.retryButton()->isVisible());
  EXPECT_FALSE(view.webView()->isVisible());

  view.retryButton()->click();
  ASSERT_TRUE(waitForStatus(view, ZGuideView::Status::Shown));
  EXPECT_TRUE(view.webView()->isVisible());
  EXPECT_FALSE(view.messageLabel()->isVisible());

  // Nobody there at all.
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const quint16 port = closed.serverPort();
  closed.close();
  view.load(QUrl(QStringLiteral("http://127.0.0.1:%1/guide/index.html").arg(port)));
  ASSERT_TRUE(waitForStatus(view, ZGuideView::Status::Failed));
  EXPECT_TRUE(view.retryButton()->isVisible());
}

TEST(WelcomeWindow, ShowsTheServicesWelcomePageOverTheGivenFrameAndClosesWithEscape) {
  CannedServer server([](const CannedRequest &) { return page("<h1>Welcome</h1>"); });
  // The service the player talks to (read when first asked).
  qputenv("ZARO_SERVICE_URL", server.base().toUtf8());
  auto *controller = new WelcomeWindowController(ZNavigationPolicy::Targets());
  bool closed = false;
  QObject::connect(controller, &WelcomeWindowController::closed, [&] { closed = true; });
  const QRect frame(40, 30, 900, 620);
  controller->showWindow(frame);
  EXPECT_EQ(controller->window()->geometry(), frame);
  EXPECT_EQ(controller->window()->windowTitle(), QStringLiteral("Welcome to Zaro Player"));
  ASSERT_TRUE(waitForStatus(*controller->webView(), ZGuideView::Status::Shown));
  // The page (the engine may also ask for the site's icon).
  ASSERT_EQ(server.requestsTo("/guide/").size(), 1);
  EXPECT_TRUE(server.requestsTo("/guide/").first().target.startsWith("/guide/welcome.html"));

  QTest::keyClick(controller->window(), Qt::Key_Escape);
  EXPECT_TRUE(closed);
  delete controller;
}

}  // namespace
