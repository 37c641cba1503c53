// The navigation policy of the service's pages in the player, without a
// browser: which navigations load, which commands are carried out, what goes
// to the user's browser, and what is refused.
#include "ZNavigationPolicy.h"

#include <gtest/gtest.h>

namespace {

using ZNavigationPolicy::Action;
using ZNavigationPolicy::Navigation;
using Type = ZNavigationPolicy::NavigationType;

const QUrl kService("http://127.0.0.1:8642");
const QUrl kGuide("http://127.0.0.1:8642/guide/index.html");
const QUrl kOther("http://elsewhere.example/page.html");

constexpr const char *kDownload = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
constexpr const char *kSubscribe = "B29791E1-A986-405a-8D40-51D7932650AD";
constexpr const char *kSetToken = "488F2E49-A846-4d2d-8EAA-C6B3656A0A09";

QString command(const char *guid, const QString &rest, const QString &start = "zaro://run") {
  return start + "?command=" + QLatin1String(guid) + rest;
}

// A click of the user's on a link of the guide's main frame.
Navigation click(const QString &url, const QUrl &page = kGuide) {
  return {url, Type::LinkClicked, true, page, true};
}

Navigation with(Navigation n, Type type, bool mainFrame, bool userActed) {
  n.type = type;
  n.mainFrame = mainFrame;
  n.userActed = userActed;
  return n;
}

struct Case {
  const char *what;
  Navigation navigation;
  Action action;
  QString argument = {};
};

void check(const QList<Case> &cases) {
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.navigation.url.toStdString());
    const ZNavigationPolicy::Verdict verdict = ZNavigationPolicy::decide(c.navigation, kService);
    EXPECT_EQ(verdict.action, c.action);
    EXPECT_EQ(verdict.argument, c.argument);
    EXPECT_EQ(verdict.reason.isEmpty(), c.action != Action::Refuse);
  }
}

TEST(NavigationPolicy, TheUsersClickOnTheGuidesCommandLinksCarriesThemOut) {
  const QString download = command(kDownload, "&permalinkId=ocean-sunrise");
  check({
      {"download", click(download), Action::Download, "ocean-sunrise"},
      {"the first permalink of two counts",
       click(command(kDownload, "&ZARO_GUIDE_AUTH=t&permalinkId=first&permalinkId=second")),
       Action::Download, "first"},
      {"on a page address alike", click(command(kDownload, "&permalinkId=a.b_c~d-e",
                                                "http://127.0.0.1:8642/page")),
       Action::Download, "a.b_c~d-e"},
      {"a link for a new window", with(click(download), Type::NewWindow, true, true),
       Action::Download, "ocean-sunrise"},
      {"a page of the service's host written otherwise",
       click(download, QUrl("HTTP://127.0.0.1:8642/other")), Action::Download, "ocean-sunrise"},
      {"subscribe, decoded as UTF-8",
       click(command(kSubscribe, "&rssUrl=http%3A%2F%2Fhost%2Frss%2Fn.xml%3Fq%3D%C3%A9")),
       Action::Subscribe, "http://host/rss/n.xml?q=\u00e9"},
      // Malformed commands are refused.
      {"a permalink the service never writes", click(command(kDownload, "&permalinkId=%3Cx%3E")),
       Action::Refuse},
      {"an empty permalink", click(command(kDownload, "&permalinkId=")), Action::Refuse},
      {"no permalink", click(command(kDownload, "&permalinkIds=a,b")), Action::Refuse},
      {"an empty feed", click(command(kSubscribe, "&rssUrl=")), Action::Refuse},
      {"a feed with a line break", click(command(kSubscribe, "&rssUrl=http%3A%2F%2Fh%0A%2F")),
       Action::Refuse},
      // Any other command does not proceed, whoever asks.
      {"setting the token", click(command(kSetToken, "&ZARO_GUIDE_AUTH=abc")), Action::Refuse},
      {"unknown command on a page address", click(command("unknown", "", "http://127.0.0.1:8642/x")),
       Action::Refuse},
      {"a command link without a command", click("zaro://run?permalinkId=x"), Action::Refuse},
  });
}

TEST(NavigationPolicy, CommandsThePageAsksForWithoutTheUsersClickAreRefused) {
  const QString download = command(kDownload, "&permalinkId=ocean-sunrise");
  const QString subscribe = command(kSubscribe, "&rssUrl=http%3A%2F%2Fevil%2Ff.xml");
  check({
      {"a script setting the location", with(click(download), Type::LinkClicked, true, false),
       Action::Refuse},
      {"a script during the load", with(click(download), Type::Redirect, true, false),
       Action::Refuse},
      {"a meta refresh or a redirect, even right after a click",
       with(click(subscribe), Type::Redirect, true, true), Action::Refuse},
      {"a frame's source", with(click(download), Type::Other, false, false), Action::Refuse},
      {"a click inside a frame", with(click(subscribe), Type::LinkClicked, false, true),
       Action::Refuse},
      {"a form, posted by the user", with(click(download), Type::FormSubmitted, true, true),
       Action::Refuse},
      {"a form on a page address", with(click(command(kDownload, "&permalinkId=x",
                                                      "http://127.0.0.1:8642/x")),
                                        Type::FormSubmitted, true, false),
       Action::Refuse},
      {"a pop-up window", with(click(download), Type::NewWindow, true, false), Action::Refuse},
      {"another host's page", click(download, kOther), Action::Refuse},
      {"the service's host on another port", click(download, QUrl("http://127.0.0.1:8643/")),
       Action::Refuse},
      {"the service's host by https", click(download, QUrl("https://127.0.0.1:8642/")),
       Action::Refuse},
      {"a look-alike host", click(subscribe, QUrl("http://127.0.0.1.evil.example:8642/")),
       Action::Refuse},
      {"no page yet", click(download, QUrl()), Action::Refuse},
  });
}

TEST(NavigationPolicy, TheServicesPagesLoadOtherHostsGoToTheBrowserOnlyWhenClicked) {
  const QString other = kOther.toString();
  const QString service = "http://127.0.0.1:8642/guide/nature.html";
  check({
      {"the player's own load", {service, Type::Typed, true, QUrl(), false}, Action::Load},
      {"a link of the service", click(service), Action::Load},
      {"a script going to the service's page", with(click(service), Type::LinkClicked, true, false),
       Action::Load},
      {"a redirect on the service", with(click(service), Type::Redirect, true, false),
       Action::Load},
      {"a form to the service", with(click(service + "?q=x"), Type::FormSubmitted, true, true),
       Action::Load},
      {"back and reload", with(click(service), Type::BackForward, true, false), Action::Load},
      {"a service page for a new window, clicked", with(click(service), Type::NewWindow, true, true),
       Action::Load},
      {"a service pop-up nobody asked for", with(click(service), Type::NewWindow, true, false),
       Action::Refuse},
      {"another host, clicked", click(other), Action::OpenInBrowser, other},
      {"another host in a new window, clicked", with(click(other), Type::NewWindow, true, true),
       Action::OpenInBrowser, other},
      {"another host by a script", with(click(other), Type::LinkClicked, true, false),
       Action::Refuse},
      {"a redirect to another host", with(click(other), Type::Redirect, true, true),
       Action::Refuse},
      {"a pop-up of another host", with(click(other), Type::NewWindow, true, false),
       Action::Refuse},
      {"a form to another host", with(click(other), Type::FormSubmitted, true, true),
       Action::Refuse},
      {"another host in a frame", with(click(other), Type::Other, false, false), Action::Load},
      {"an empty frame", with(click("about:blank"), Type::Other, false, false), Action::Load},
      {"a local file", click("file:///etc/passwd"), Action::Refuse},
      {"a local file in a frame", with(click("file:///etc/passwd"), Type::Other, false, false),
       Action::Refuse},
      {"a script address", click("javascript:alert(1)"), Action::Refuse},
      {"a data address", click("data:text/html,<b>x</b>"), Action::Refuse},
  });
}

}  // namespace
