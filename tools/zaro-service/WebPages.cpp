// The service's web pages: plain HTML that lists the catalog and carries the
// "zaro://" links a browser hands to the player.
#include <QStringList>

#include <functional>

#include "Exchanges.h"

namespace zsvc {

namespace {

// Command GUIDs of the player's URL scheme.
constexpr char kSetAuthorization[] = "488F2E49-A846-4d2d-8EAA-C6B3656A0A09";
constexpr char kDownloadOne[] = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
constexpr char kDownloadSeveral[] = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C";
constexpr char kSubscribe[] = "B29791E1-A986-405a-8D40-51D7932650AD";
constexpr char kUnsubscribe[] = "5C8C4ADA-580B-40b6-BAE6-177132734FD7";

QString html(const QString &text) { return text.toHtmlEscaped(); }

QString duration(qint64 seconds) {
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The pages' look: light, in the player's colours.
constexpr char kStyle[] =
    "body{font-family:'DejaVu Sans',sans-serif;margin:0;padding:16px 24px;background:#f4f5f7;"
    "color:#222}"
    "a{color:#1f6fd1;text-decoration:none}a:hover{text-decoration:underline}"
    ".nav{margin:0 0 12px;color:#888;font-size:13px}"
    "h1{font-size:24px;margin:8px 0 6px}h2{font-size:17px;margin:22px 0 8px;color:#333}"
    "p{line-height:1.45}"
    ".hero{background:linear-gradient(#2b2f36,#1c1f24);color:#eee;border-radius:10px;"
    "padding:18px 22px;margin-bottom:16px}.hero h1{color:#fff}.hero a{color:#8cc4ff}"
    ".steps{margin:10px 0 0;padding-left:20px;line-height:1.7}"
    ".cards{display:flex;flex-wrap:wrap;gap:14px}"
    ".card{background:#fff;border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.18);width:188px;"
    "padding:8px}"
    ".card img{width:188px;height:106px;object-fit:cover;border-radius:5px;background:#ddd}"
    ".card-title{font-weight:bold;margin:6px 0 2px;overflow:hidden;text-overflow:ellipsis;"
    "white-space:nowrap}.card-meta{color:#777;font-size:12px;margin-bottom:8px}"
    ".button{display:inline-block;background:#1f6fd1;color:#fff;border-radius:14px;"
    "padding:4px 12px;font-size:13px}.button:hover{background:#185db0;text-decoration:none}"
    ".feeds{list-style:none;padding:0}.feeds li{margin:6px 0}"
    ".feed-title{display:inline-block;min-width:200px}"
    ".groups{display:flex;flex-wrap:wrap;gap:8px;list-style:none;padding:0}"
    ".groups li a{display:inline-block;background:#fff;border-radius:12px;padding:4px 12px;"
    "box-shadow:0 1px 2px rgba(0,0,0,.15)}";

class Page {
 public:
  Page(const Catalog &catalog, const Urls &urls) : fCatalog(catalog), fUrls(urls) {}

  // A "zaro://" command link. The player URL-decodes the token and the feed
  // address; permalinks are read as they stand (they need no escaping).
  QString command(const char *guid, const QString &arguments) const {
    QString link = QStringLiteral("zaro://run?command=") + QLatin1String(guid);
    if (!fCatalog.authToken.isEmpty())
      link += QStringLiteral("&ZARO_GUIDE_AUTH=") + formEncoded(fCatalog.authToken);
    return arguments.isEmpty() ? link : link + QLatin1Char('&') + arguments;
  }
  QString downloadOne(const Video &video, const QString &collection = QString()) const {
    QString arguments = QStringLiteral("permalinkId=") + video.permalink;
    if (!collection.isEmpty()) arguments += QStringLiteral("&collectionPermalink=") + collection;
    return command(kDownloadOne, arguments);
  }
  QString downloadSeveral(const QList<const Video *> &videos, const QString &collection) const {
    QStringList permalinks;
    for (const Video *video : videos) permalinks.append(video->permalink);
    QString arguments;
    if (!collection.isEmpty())
      arguments = QStringLiteral("collectionPermalink=") + collection + '&';
    return command(kDownloadSeveral,
                   arguments + QStringLiteral("permalinkIds=") + permalinks.join(','));
  }
  QString subscribe(const QString &feedId, bool on) const {
    return command(on ? kSubscribe : kUnsubscribe,
                   QStringLiteral("rssUrl=") + formEncoded(fUrls.feed(feedId)));
  }

  void setTitle(const QString &title) { fTitle = title; }
  void heading(const QString &title) {
    fTitle = title;
    fBody += QStringLiteral("<h1>%1</h1>\n").arg(html(title));
  }
  void paragraph(const QString &htmlText) { fBody += QStringLiteral("<p>%1</p>\n").arg(htmlText); }
  void link(const QString &href, const QString &text) {
    fBody += QStringLiteral("<p><a href=\"%1\">%2</a></p>\n").arg(html(href), html(text));
  }

  void videoList(const QList<const Video *> &videos, const QString &collection = QString()) {
    if (videos.isEmpty()) {
      paragraph(QStringLiteral("No videos."));
      return;
    }
    fBody += QStringLiteral("<ul class=\"videos\">\n");
    for (const Video *video : videos) {
      fBody += QStringLiteral(
                   "<li><img src=\"%1\" alt=\"\" width=\"80\"> <a href=\"%2\">%3</a> "
                   "(%4 s) <a class=\"download\" href=\"%5\">Download</a></li>\n")
                   .arg(html(fUrls.image(video->icon)), html(fUrls.videoPage(video->permalink)),
                        html(video->title), QString::number(video->duration),
                        html(downloadOne(*video, collection)));
    }
    fBody += QStringLiteral("</ul>\n");
    if (videos.size() > 1)
      link(downloadSeveral(videos, collection),
           QStringLiteral("Download all %1").arg(videos.size()));
  }

  void feedLinks(const QString &feedId) {
    const Feed *feed = fCatalog.feed(feedId);
    if (!feed) return;
    fBody +=
        QStringLiteral(
            "<p>Feed \"%1\": <a class=\"subscribe\" href=\"%2\">Subscribe</a> "
            "<a class=\"unsubscribe\" href=\"%3\">Unsubscribe</a> <a href=\"%4\">RSS</a></p>\n")
            .arg(html(feed->title), html(subscribe(feedId, true)), html(subscribe(feedId, false)),
                 html(fUrls.feed(feedId)));
  }

  void groupingLinks(const char *title, const char *kind, const QList<Grouping> &groupings) {
    if (groupings.isEmpty()) return;
    fBody += QStringLiteral("<h2>%1</h2>\n<ul class=\"groups\">\n").arg(QLatin1String(title));
    for (const Grouping &grouping : groupings)
      fBody += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                   .arg(html(fUrls.listPage(kind, grouping.id)), html(grouping.title));
    fBody += QStringLiteral("</ul>\n");
  }

  // The guide's look of a video: a card with its picture, title, publisher,
  // length and download button.
  void videoCards(const QList<const Video *> &videos) {
    if (videos.isEmpty()) {
      paragraph(QStringLiteral("No videos."));
      return;
    }
    fBody += QStringLiteral("<div class=\"cards\">\n");
    for (const Video *video : videos) {
      const Publisher *publisher = fCatalog.publisher(video->publisher);
      fBody += QStringLiteral(
                   "<div class=\"card\"><a href=\"%1\"><img src=\"%2\" alt=\"\"></a>"
                   "<div class=\"card-title\"><a href=\"%1\">%3</a></div>"
                   "<div class=\"card-meta\">%4 &middot; %5</div>"
                   "<a class=\"button download\" href=\"%6\">Download</a></div>\n")
                   .arg(html(fUrls.videoPage(video->permalink)), html(fUrls.image(video->icon)),
                        html(video->title), html(publisher ? publisher->name : QString()),
                        duration(video->duration), html(downloadOne(*video)));
    }
    fBody += QStringLiteral("</div>\n");
  }

  void feedButtons() {
    if (fCatalog.feeds.isEmpty()) return;
    fBody += QStringLiteral("<h2>Subscriptions</h2>\n<ul class=\"feeds\">\n");
    for (const Feed &feed : fCatalog.feeds)
      fBody += QStringLiteral(
                   "<li><span class=\"feed-title\">%1</span> "
                   "<a class=\"button subscribe\" href=\"%2\">Subscribe</a></li>\n")
                   .arg(html(feed.title), html(subscribe(feed.id, true)));
    fBody += QStringLiteral("</ul>\n");
  }

  void raw(const QString &htmlText) { fBody += htmlText; }

  Reply reply() const {
    const QString document =
        QStringLiteral(
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1 - Zaro</title>\n"
            "<style>%3</style></head>\n"
            "<body>\n<p class=\"nav\"><a href=\"/\">Zaro</a> | <a "
            "href=\"/guide/index.html\">Guide</a> "
            "| <a href=\"/broadcast/myVideos.html\">My videos</a> "
            "| <a href=\"/help.html\">Help</a> | <a href=\"/contact.html\">Contact</a></p>\n%2"
            "</body></html>\n")
            .arg(html(fTitle), fBody, QLatin1String(kStyle));
    return textReply(200, "text/html; charset=utf-8", document.toStdString());
  }

 private:
  const Catalog &fCatalog;
  const Urls &fUrls;
  QString fTitle;
  QString fBody;
};

QList<const Video *> videosWhere(const Catalog &catalog,
                                 const std::function<bool(const Video &)> &keep) {
  QList<const Video *> result;
  for (const Video &video : catalog.videos)
    if (keep(video)) result.append(&video);
  return result;
}

}  // namespace

Reply Exchanges::webPage(const RequestInfo &request) const {
  const Catalog &catalog = fCatalog;
  Page page(catalog, request.urls);
  const QString path = QString::fromStdString(request.path);
  const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  const QString id = parts.size() == 2 ? parts[1] : QString();

  if (path == QLatin1String("/")) {
    page.heading(QStringLiteral("Videos"));
    page.paragraph(QStringLiteral("Videos to download with Zaro Player. "
                                  "<a class=\"authorize\" href=\"%1\">Connect the player</a>.")
                       .arg(html(page.command(kSetAuthorization, QString()))));
    page.videoList(videosWhere(catalog, [](const Video &) { return true; }));
    for (const Feed &feed : catalog.feeds) page.feedLinks(feed.id);
    page.groupingLinks("Channels", "channels", catalog.channels);
    page.groupingLinks("Categories", "categories", catalog.categories);
    page.groupingLinks("Series", "series", catalog.series);
  } else if (path == QLatin1String("/guide/welcome.html")) {
    page.setTitle(QStringLiteral("Welcome to Zaro Player"));
    page.raw(QStringLiteral(
                 "<div class=\"hero\"><h1>Welcome to Zaro Player</h1>"
                 "<p>Your videos, downloaded and ready to watch &mdash; even offline.</p>"
                 "<ol class=\"steps\"><li><a class=\"authorize\" href=\"%1\">Connect the "
                 "player to your account</a>.</li>"
                 "<li>Click <b>Download</b> beside any video: it arrives in your library.</li>"
                 "<li>Click <b>Subscribe</b> on a feed: its new videos come every hour.</li>"
                 "</ol></div>\n")
                 .arg(html(page.command(kSetAuthorization, QString()))));
    page.raw(QStringLiteral("<h2>To start with</h2>\n"));
    QList<const Video *> first = videosWhere(catalog, [](const Video &) { return true; });
    if (first.size() > 4) first = first.mid(0, 4);
    page.videoCards(first);
    page.link(QStringLiteral("/guide/index.html"), QStringLiteral("Browse the whole guide"));
  } else if (path == QLatin1String("/guide/index.html") || path == QLatin1String("/guide/")) {
    page.setTitle(QStringLiteral("Zaro Guide"));
    page.raw(
        QStringLiteral("<div class=\"hero\"><h1>Zaro Guide</h1><p>Everything the "
                       "service offers. Download a video, or subscribe to a feed and "
                       "get its new videos every hour.</p></div>\n"));
    page.raw(QStringLiteral("<h2>Videos</h2>\n"));
    page.videoCards(videosWhere(catalog, [](const Video &) { return true; }));
    page.feedButtons();
    page.groupingLinks("Channels", "channels", catalog.channels);
    page.groupingLinks("Categories", "categories", catalog.categories);
    page.groupingLinks("Series", "series", catalog.series);
  } else if (path == QLatin1String("/help.html")) {
    page.heading(QStringLiteral("Help"));
    page.paragraph(
        QStringLiteral("Download links open Zaro Player and queue the video. "
                       "Subscribe links add a feed that the player checks every hour."));
  } else if (path == QLatin1String("/contact.html")) {
    page.heading(QStringLiteral("Contact"));
    page.paragraph(QStringLiteral("This is the reference service; nobody reads the mail."));
  } else if (path == QLatin1String("/broadcast/myVideos.html")) {
    page.heading(QStringLiteral("My videos"));
    page.paragraph(QStringLiteral("Uploading is not offered by the reference service."));
  } else if (parts.size() == 2 && parts[0] == QLatin1String("videos")) {
    const Video *video = catalog.videoByPermalink(id);
    if (!video) return notFound();
    page.heading(video->title);
    page.raw(QStringLiteral("<p><img src=\"%1\" alt=\"\"></p>\n")
                 .arg(html(request.urls.image(video->icon))));
    page.paragraph(html(video->description));
    page.link(page.downloadOne(*video), QStringLiteral("Download"));
  } else if (parts.size() == 2 && parts[0] == QLatin1String("channels")) {
    const Grouping *channel = catalog.channel(id);
    if (!channel) return notFound();
    page.heading(channel->title);
    page.paragraph(html(channel->description));
    page.videoList(videosWhere(catalog, [&](const Video &v) { return v.channel == id; }),
                   channel->id);
    page.feedLinks(channel->feed);
  } else if (parts.size() == 2 && parts[0] == QLatin1String("categories")) {
    const Grouping *category = catalog.category(id);
    if (!category) return notFound();
    page.heading(category->title);
    page.videoList(videosWhere(catalog, [&](const Video &v) { return v.categories.contains(id); }));
    page.feedLinks(category->feed);
  } else if (parts.size() == 2 && parts[0] == QLatin1String("series")) {
    const Grouping *series = catalog.seriesById(id);
    if (!series) return notFound();
    page.heading(series->title);
    page.videoList(videosWhere(catalog, [&](const Video &v) { return v.series == id; }),
                   series->id);
    page.feedLinks(series->feed);
  } else if (parts.size() == 2 && parts[0] == QLatin1String("publishers")) {
    const Publisher *publisher = catalog.publisher(id);
    if (!publisher) return notFound();
    page.heading(publisher->name);
    page.paragraph(html(publisher->description));
    page.videoList(videosWhere(catalog, [&](const Video &v) { return v.publisher == id; }));
    page.feedLinks(publisher->feed);
  } else if (parts.size() == 2 && parts[0] == QLatin1String("tags")) {
    const Tag *tag = catalog.tag(id);
    if (!tag) return notFound();
    page.heading(QStringLiteral("Tag: ") + tag->name);
    page.videoList(videosWhere(catalog, [&](const Video &v) { return v.tags.contains(id); }));
    page.feedLinks(tag->feed);
  } else {
    return notFound();
  }
  return page.reply();
}

Reply Exchanges::downloadPage(const RequestInfo &request) const {
  Page page(fCatalog, request.urls);
  page.heading(QStringLiteral("Download Zaro Player"));
  const std::optional<UpdateOffer> &offer = fCatalog.update;
  if (offer)
    page.paragraph(QStringLiteral("Zaro Player %1 is available.").arg(html(offer->version)));
  page.paragraph(QStringLiteral(
      "Zaro Player installed from its Debian package is updated with the system's software "
      "updates, or with <code>sudo apt update &amp;&amp; sudo apt install --only-upgrade "
      "zaro-player</code>."));
  if (offer && offer->file) {
    page.link(request.urls.updateFile(offer->fileName),
              QStringLiteral("Download the package (%1)").arg(offer->fileName));
    page.paragraph(QStringLiteral("SHA-256: <code>%1</code>").arg(html(offer->checksum)));
  }
  return page.reply();
}

}  // namespace zsvc
