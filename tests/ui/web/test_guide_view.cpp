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

constexpr const char *kDownloadLink =
    "zaro://run?command=49347A0A-C783-4e92-ADCE-ED7C93207E58&permalinkId=ocean-sunrise";
constexpr const char *kSubscribeLink =
    "zaro://run?command=B29791E1-A986-405a-8D40-51D7932650AD&rssUrl=http%3A%2F%2Fhost%2Frss%2F"
    "nature.xml";
constexpr const char *kTokenLink =
    "zaro://run?command=488F2E49-A846-4d2d-8EAA-C6B3656A0A09&ZARO_GUIDE_AUTH=stolen";
constexpr const char *kOtherHost = "http://elsewhere.invalid/page.html";

// What the page's commands reached.
struct Commands {
  QStringList downloads, feeds, browser, refusedClicks;
  bool empty() const {
    return downloads.isEmpty() && feeds.isEmpty() && browser.isEmpty() && refusedClicks.isEmpty();
  }
  ZNavigationPolicy::Targets targets() {
    ZNavigationPolicy::Targets t;
    t.downloadVideo = [this](const QString &permalink) {
      downloads << permalink;
      return true;
    };
    t.subscribe = [this](const QString &feed) { feeds << feed; };
    t.openInBrowser = [this](const QUrl &url) { browser << url.toString(); };
    t.linkRefused = [this](const QUrl &url) { refusedClicks << url.toString(); };
    return t;
  }
};

// A guide page served as the service's own, in a shown view.
struct ShownGuide {
  CannedServer &server;
  Commands commands;
  ZGuideView view{commands.targets()};

  explicit ShownGuide(CannedServer &s) : server(s) {
    qputenv("ZARO_SERVICE_URL", server.base().toUtf8());
    view.resize(640, 480);
    view.show();
  }
  bool load(const QString &path) {
    view.load(QUrl(server.base() + path));
    return waitForStatus(view, ZGuideView::Status::Shown);
  }
  // A click of the user's at a point of the page.
  void click(QPoint at) {
    QWidget *surface = view.webView()->focusProxy();
    QTest::mouseClick(surface ? surface : view.webView(), Qt::LeftButton, {}, at);
  }
};

// Links laid out as blocks 40 pixels high, one under the other.
QByteArray linkBlocks(const QList<QByteArray> &hrefs) {
  QByteArray body = "<style>body{margin:0} a{display:block;height:40px}</style>";
  for (const QByteArray &href : hrefs) body += "<a href='" + href + "'>" + href + "</a>";
  return body;
}

QPoint block(int index) { return QPoint(100, 20 + 40 * index); }

TEST(GuideView, TheUsersClicksOnTheGuidesLinksAreCarriedOutAndThePageStays) {
  CannedServer server([](const CannedRequest &) {
    return page(linkBlocks({kDownloadLink, kSubscribeLink, kOtherHost, kTokenLink,
                            "/guide/second.html"}));
  });
  ShownGuide guide(server);
  ASSERT_TRUE(guide.load("/guide/index.html"));
  const QUrl shown = guide.view.webView()->url();
  QTest::qWait(500);  // the page is laid out and drawn

  guide.click(block(0));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !guide.commands.downloads.isEmpty(); }, 20000));
  guide.click(block(1));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !guide.commands.feeds.isEmpty(); }, 20000));
  guide.click(block(2));
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return !guide.commands.browser.isEmpty(); }, 20000));
  // A command the guide does not carry out: refused, and the user told.
  guide.click(block(3));
  ASSERT_TRUE(
      TestEnvironment::waitFor([&] { return !guide.commands.refusedClicks.isEmpty(); }, 20000));
  EXPECT_EQ(guide.commands.downloads, QStringList{"ocean-sunrise"});
  EXPECT_EQ(guide.commands.feeds, QStringList{"http://host/rss/nature.xml"});
  EXPECT_EQ(guide.commands.browser, QStringList{kOtherHost});
  EXPECT_EQ(guide.commands.refusedClicks, QStringList{kTokenLink});
  // Nothing else loaded: the page is still there, shown.
  QTest::qWait(300);
  EXPECT_EQ(guide.view.status(), ZGuideView::Status::Shown);
  EXPECT_EQ(guide.view.webView()->url(), shown);
  EXPECT_EQ(server.requestsTo("/guide").size(), 1);

  // The service's own page loads.
  guide.click(block(4));
  ASSERT_TRUE(TestEnvironment::waitFor(
      [&] { return guide.view.webView()->url().path() == "/guide/second.html"; }, 20000));
}

TEST(GuideView, NothingAPageDoesWithoutTheUsersClickCommandsOrOpensAnything) {
  const QByteArray download = kDownloadLink, other = kOtherHost;
  // Each attack; a request for "/done" a moment later says it has had its chance.
  const QList<std::pair<const char *, QByteArray>> attacks = {
      {"script during the load", "<script>location.href='" + download + "'</script>"},
      {"script after the load",
       "<script>setTimeout(()=>{location.href='" + download + "'},100)</script>"},
      {"script clicking a link",
       "<a id=l href='" + download + "'>l</a><script>document.getElementById('l').click()"
       "</script>"},
      {"script clicking the token link",
       "<a id=l href='" + QByteArray(kTokenLink) + "'>l</a><script>"
       "document.getElementById('l').click()</script>"},
      {"frame", "<iframe src='" + download + "'></iframe>"},
      {"frame moving the page", "<iframe src='/guide/frame.html'></iframe>"},
      {"meta refresh", "<meta http-equiv=refresh content=\"0;url=" + download + "\">"},
      {"form post", "<form id=f method=post action='" + download + "'><input name=q></form>"
                    "<script>document.getElementById('f').submit()</script>"},
      {"form to a page address",
       "<form id=f action='/guide/x'><input name=command "
       "value='49347A0A-C783-4e92-ADCE-ED7C93207E58'><input name=permalinkId value=p></form>"
       "<script>setTimeout(()=>document.getElementById('f').submit(),100)</script>"},
      {"pop-up window", "<script>window.open('" + download + "')</script>"},
      {"pop-up of another host", "<script>window.open('" + other + "')</script>"},
      {"script clicking a link to another host",
       "<a id=l target=_blank href='" + other + "'>l</a><script>"
       "document.getElementById('l').click()</script>"},
      {"script moving to another host",
       "<script>setTimeout(()=>{location.href='" + other + "'},100)</script>"},
  };
  for (const auto &[what, attack] : attacks) {
    SCOPED_TRACE(what);
    CannedServer server([&](const CannedRequest &request) {
      if (request.target.startsWith("/guide/frame.html"))
        return page("<script>top.location='" + download + "'</script>");
      return page("<script>setTimeout(()=>fetch('/done'),700)</script>" + attack);
    });
    ShownGuide guide(server);
    guide.view.load(QUrl(server.base() + "/guide/index.html"));
    ASSERT_TRUE(
        TestEnvironment::waitFor([&] { return !server.requestsTo("/done").isEmpty(); }, 30000));
    QTest::qWait(300);
    EXPECT_TRUE(guide.commands.empty())
        << guide.commands.downloads.join(' ').toStdString()
        << guide.commands.browser.join(' ').toStdString();
    EXPECT_EQ(server.requestsTo("/guide/index.html").size(), 1);
  }
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
