#include "Exchanges.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <expat.h>

#include <cstring>

namespace zsvc {

namespace {

constexpr char kXmlType[] = "text/xml; charset=utf-8";

QString fromUtf8(const std::string &bytes) { return QString::fromUtf8(bytes); }

struct MediaIdListState {
  int depth = 0;
  bool rootOk = false;
  std::vector<QString> permalinks;
};

void XMLCALL mediaIdStart(void *data, const XML_Char *name, const XML_Char **attributes) {
  auto *state = static_cast<MediaIdListState *>(data);
  ++state->depth;
  if (state->depth == 1) {
    state->rootOk = std::strcmp(name, "MediaIdList") == 0;
    return;
  }
  if (state->depth != 2 || std::strcmp(name, "MediaId") != 0) return;
  for (int i = 0; attributes[i]; i += 2)
    if (std::strcmp(attributes[i], "permalinkId") == 0)
      state->permalinks.push_back(QString::fromUtf8(attributes[i + 1]));
}

void XMLCALL mediaIdEnd(void *data, const XML_Char *) {
  --static_cast<MediaIdListState *>(data)->depth;
}

}  // namespace

Reply textReply(int status, std::string contentType, std::string text) {
  Reply reply;
  reply.status = status;
  reply.contentType = std::move(contentType);
  if (!text.empty()) reply.body = memoryBody(std::move(text));
  return reply;
}

Reply xmlReply(std::string document, int status) {
  Reply reply = textReply(status, kXmlType, std::move(document));
  reply.compressible = true;
  return reply;
}

Reply notFound() { return textReply(404, "text/plain; charset=utf-8", "not found\n"); }

Reply badRequest(const std::string &why) {
  return textReply(400, "text/plain; charset=utf-8", why + "\n");
}

std::optional<std::vector<QString>> parseMediaIdList(const std::string &body) {
  XML_Parser parser = XML_ParserCreate("UTF-8");
  if (!parser) return std::nullopt;
  MediaIdListState state;
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(parser, mediaIdStart, mediaIdEnd);
  const bool parsed =
      body.size() <= static_cast<size_t>(INT32_MAX) &&
      XML_Parse(parser, body.data(), static_cast<int>(body.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  if (!parsed || !state.rootOk) return std::nullopt;
  return state.permalinks;
}

Reply Exchanges::xmlAnswer(const std::string &document, const char *mimeType) const {
  Reply reply = xmlReply(encodedDocument(document, fXmlEncoding));
  reply.contentType = std::string(mimeType) + "; charset=" + charsetOf(fXmlEncoding);
  return reply;
}

QString Exchanges::accessKeyFor(const RequestInfo &request) const {
  if (!fCatalog.accessKey.isEmpty()) return fCatalog.accessKey;
  // One key per client: Base64 of a hash of the client's UUID (or of its GUID
  // text when that does not decode), so the key carries "+", "/" and "=" the
  // player must decode.
  const QByteArray identity = request.clientUuid
                                  ? request.clientUuid->toUtf8()
                                  : QByteArray::fromStdString(request.query.value("clientGUID"));
  const QByteArray digest =
      QCryptographicHash::hash("zaro-access-key:" + identity, QCryptographicHash::Sha256);
  return QString::fromLatin1(digest.left(16).toBase64());
}

Reply Exchanges::accessKey(const RequestInfo &request) const {
  if (request.query.value("clientGUID").empty()) return badRequest("clientGUID is missing");
  return xmlAnswer(accessKeyDocument(accessKeyFor(request)));
}

Reply Exchanges::mediaInfo(const RequestInfo &request) const {
  const std::optional<std::vector<QString>> permalinks = parseMediaIdList(request.body);
  if (!permalinks) return badRequest("the body is not a MediaIdList document");
  QList<const Video *> videos;
  for (const QString &permalink : *permalinks)
    if (const Video *video = fCatalog.videoByPermalink(permalink)) videos.append(video);
  if (videos.isEmpty()) return notFound();
  return xmlAnswer(mediaInfoDocument(fCatalog, videos, request.urls));
}

Reply Exchanges::thumbnail(const RequestInfo &request) const {
  const auto image = fCatalog.images.constFind(fromUtf8(request.query.value("imageId")));
  if (image == fCatalog.images.constEnd()) return notFound();
  Reply reply;
  reply.contentType = "image/jpeg";
  reply.body = *image;
  reply.rangeable = true;
  return reply;
}

Reply Exchanges::videoFile(const RequestInfo &request) const {
  static constexpr std::string_view kPrefix = "/cache/external/";
  const QString name = fromUtf8(request.path.substr(kPrefix.size()));
  const Video *video = fCatalog.videoByCacheName(name);
  if (!video) return notFound();
  // The player names the video it means; a name that belongs to another video
  // is a wrong address, not a request for this file.
  const std::string *permalink = request.query.find("permalinkId");
  if (permalink && fromUtf8(*permalink) != video->permalink) return notFound();
  Reply reply;
  reply.contentType = mimeTypeForExtension(video->extension);
  reply.body = video->media;
  reply.rangeable = true;
  return reply;
}

Reply Exchanges::completionReport(const RequestInfo &request) const {
  if (request.query.value("eventName").empty()) return badRequest("eventName is missing");
  return textReply(200, "text/html; charset=utf-8", "<html><body>OK</body></html>\n");
}

Reply Exchanges::ratingReport(const RequestInfo &request) const {
  const Query form(request.body);
  const std::string *permalink = form.find("permalinkId");
  const std::string *rating = form.find("rating");
  if (!permalink || !rating) return badRequest("permalinkId and rating are required");
  bool ok = false;
  const int value = QString::fromStdString(*rating).toInt(&ok);
  if (!ok || value < 0 || value > 5) return badRequest("rating must be a whole number 0..5");
  if (!fCatalog.videoByPermalink(fromUtf8(*permalink))) return notFound();
  return xmlAnswer(statusDocument(QStringLiteral("OK")));
}

Reply Exchanges::updateCheck(const RequestInfo &request) const {
  const UpdateOffer *offer = fCatalog.update ? &*fCatalog.update : nullptr;
  const std::string *version = request.query.find("version");
  if (offer && version && !version->empty() &&
      compareVersions(offer->version, fromUtf8(*version)) <= 0)
    offer = nullptr;
  return xmlAnswer(updateDocument(offer, request.urls));
}

Reply Exchanges::updateFile(const RequestInfo &request) const {
  static constexpr std::string_view kPrefix = "/downloads/";
  const UpdateOffer *offer = fCatalog.update ? &*fCatalog.update : nullptr;
  if (!offer || !offer->file || fromUtf8(request.path.substr(kPrefix.size())) != offer->fileName)
    return notFound();
  Reply reply;
  reply.contentType = mimeTypeForExtension(QFileInfo(offer->fileName).suffix());
  reply.body = offer->file;
  reply.rangeable = true;
  return reply;
}

Reply Exchanges::subscriptionUpgrade(const RequestInfo &request) const {
  const std::string *username = request.query.find("username");
  const SubscriptionUpgrade *chosen = nullptr;
  for (const SubscriptionUpgrade &upgrade : fCatalog.subscriptionUpgrades) {
    if (upgrade.username && username && *upgrade.username == fromUtf8(*username)) {
      chosen = &upgrade;
      break;
    }
  }
  if (!chosen) {
    for (const SubscriptionUpgrade &upgrade : fCatalog.subscriptionUpgrades) {
      if (!upgrade.username) {
        chosen = &upgrade;
        break;
      }
    }
  }
  QList<QString> urls;
  if (chosen)
    for (const QString &feed : chosen->feeds)
      urls.append(feed.contains(QLatin1String("://")) ? feed : request.urls.feed(feed));
  return xmlAnswer(subscriptionsDocument(urls));
}

Reply Exchanges::feed(const RequestInfo &request) const {
  QString id;
  if (request.path == "/service/rss.xml") {
    id = fromUtf8(request.query.value("feedId"));
  } else {
    // "/rss/<id>.xml": the player appends "&ZARO_GUIDE_AUTH=..." to a feed
    // address whether or not it has a query, so such a tail may follow.
    static constexpr std::string_view kPrefix = "/rss/";
    std::string rest = request.path.substr(kPrefix.size());
    rest = rest.substr(0, rest.find('&'));
    if (rest.size() < 5 || rest.compare(rest.size() - 4, 4, ".xml") != 0) return notFound();
    id = fromUtf8(rest.substr(0, rest.size() - 4));
  }
  const Feed *found = fCatalog.feed(id);
  if (!found) return notFound();
  return xmlAnswer(rssDocument(fCatalog, *found, request.urls), "application/rss+xml");
}

}  // namespace zsvc
