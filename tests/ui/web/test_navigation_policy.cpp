// The navigation policy of the service's pages in the player: which
// navigations load and which commands they carry out, without a browser.
#include "ZNavigationPolicy.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using ZNavigationPolicy::Decision;

constexpr const char *kDownload = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
constexpr const char *kSubscribe = "B29791E1-A986-405a-8D40-51D7932650AD";

// What the commands asked for, in order.
struct Recorder {
  QStringList calls;
  bool queueAccepts = true;

  ZNavigationPolicy::Targets targets() {
    ZNavigationPolicy::Targets t;
    t.downloadVideo = [this](const QString &permalink) {
      calls << "download " + permalink;
      return queueAccepts;
    };
    t.downloadRefused = [this] { calls << "refused"; };
    t.subscribe = [this](const QString &feed) { calls << "subscribe " + feed; };
    t.otherLink = [this](const QString &link) { calls << "link " + link; };
    return t;
  }
};

QString command(const char *guid, const QString &rest, const QString &start = "zaro://run") {
  return start + "?command=" + QLatin1String(guid) + rest;
}

TEST(NavigationPolicy, LoadsPagesAndCarriesOutCommandsInsteadOfLoadingThem) {
  struct Case {
    QString url;
    Decision decision;
    QStringList calls;
  };
  const QString auth = "488F2E49-A846-4d2d-8EAA-C6B3656A0A09";
  const QList<Case> cases = {
      // No command: the page loads.
      {"http://127.0.0.1:8642/guide/index.html", Decision::Use, {}},
      {"http://host/videos/ocean-sunrise?x=1", Decision::Use, {}},
      // The download command loads nothing and queues the video; the first
      // permalink of two counts.
      {command(kDownload, "&permalinkId=ocean-sunrise"),
       Decision::Ignore,
       {"download ocean-sunrise"}},
      {command(kDownload, "&ZARO_GUIDE_AUTH=t&permalinkId=first&permalinkId=second"),
       Decision::Ignore,
       {"download first"}},
      // On a page address alike.
      {command(kDownload, "&permalinkId=a.b_c~d-e", "http://host/page"),
       Decision::Ignore,
       {"download a.b_c~d-e"}},
      // A permalink the service never writes is not queued.
      {command(kDownload, "&permalinkId=%3Cscript%3E"), Decision::Ignore, {}},
      {command(kDownload, "&permalinkId="), Decision::Ignore, {}},
      {command(kDownload, "&permalinkIds=a,b"), Decision::Ignore, {}},
      {command(kDownload, ""), Decision::Ignore, {}},
      // Subscribing decodes the feed's address as UTF-8.
      {command(kSubscribe, "&rssUrl=http%3A%2F%2Fhost%2Frss%2Fn.xml%3Fq%3D%C3%A9"),
       Decision::Ignore,
       {"subscribe http://host/rss/n.xml?q=\u00e9"}},
      {command(kSubscribe, "&rssUrl="), Decision::Ignore, {}},
      {command(kSubscribe, "&rssUrl=http%3A%2F%2Fh%0A%2F"), Decision::Ignore, {}},
      // Any other command loads nothing; a "zaro://" link goes on whole to
      // the application's link handler.
      {command(auth.toLatin1().constData(), "&ZARO_GUIDE_AUTH=abc"),
       Decision::Ignore,
       {"link zaro://run?command=" + auth + "&ZARO_GUIDE_AUTH=abc"}},
      {command("unknown", "", "http://host/x"), Decision::Ignore, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.url.toStdString());
    Recorder recorder;
    EXPECT_EQ(ZNavigationPolicy::decidePolicyForNavigation(c.url, recorder.targets()), c.decision);
    EXPECT_EQ(recorder.calls, c.calls);
  }
}

TEST(NavigationPolicy, ADownloadTheQueueRefusesIsToldAndStillLoadsNothing) {
  Recorder recorder;
  recorder.queueAccepts = false;
  EXPECT_EQ(ZNavigationPolicy::decidePolicyForNavigation(
                command(kDownload, "&permalinkId=ocean-sunrise"), recorder.targets()),
            Decision::Ignore);
  EXPECT_EQ(recorder.calls, (QStringList{"download ocean-sunrise", "refused"}));
}

}  // namespace
