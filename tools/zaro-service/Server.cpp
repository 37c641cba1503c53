#include "Server.h"

#include "HostilePages.h"

#include <httplib.h>

#include <QByteArrayView>
#include <QDateTime>
#include <QJsonDocument>
#include <QStringDecoder>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "ClientCipher.h"

namespace zsvc {

namespace {

constexpr size_t kThreads = 32;                  // simultaneous connections served
constexpr size_t kMaxRequestBody = 1024 * 1024;  // larger bodies get 413
constexpr uint64_t kChunk = 64 * 1024;           // bytes handed to the socket at a time
constexpr char kTextType[] = "text/plain; charset=utf-8";
constexpr char kJsonType[] = "application/json";

// Headers httplib adds to a request itself; they were never sent.
bool isInternalHeader(const std::string &name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
         name == "LOCAL_PORT";
}

QJsonObject headersJson(const httplib::Request &request) {
  QJsonObject headers;
  for (const auto &[name, value] : request.headers) {
    if (isInternalHeader(name)) continue;
    const QString key = QString::fromStdString(name);
    const QString text = QString::fromStdString(value);
    headers[key] =
        headers.contains(key) ? headers[key].toString() + QStringLiteral(", ") + text : text;
  }
  return headers;
}

// The body as text when it is UTF-8, else as Base64 with "bodyEncoding".
void addBody(QJsonObject &entry, const std::string &body) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(QByteArrayView(body.data(), static_cast<qsizetype>(body.size())));
  if (!decoder.hasError()) {
    entry["body"] = text;
  } else {
    entry["body"] = QString::fromLatin1(QByteArray::fromStdString(body).toBase64());
    entry["bodyEncoding"] = QStringLiteral("base64");
  }
}

void answerJson(httplib::Response &response, const QJsonDocument &document, int status = 200) {
  response.status = status;
  response.set_content(document.toJson(QJsonDocument::Compact).toStdString(), kJsonType);
}

void answerError(httplib::Response &response, int status, const QString &message) {
  answerJson(response, QJsonDocument(QJsonObject{{"error", message}}), status);
}

// The state of one streamed body, shared by the calls of its content provider.
struct BodyStream {
  BodyReader reader;
  uint64_t start = 0;  // offset of the first byte sent within the source
  uint64_t sent = 0;   // bytes to send before the connection is closed
  uint64_t rate = 0;   // bytes per second; 0: as fast as the socket takes them
  std::chrono::steady_clock::time_point began;
  std::vector<char> buffer;
};

}  // namespace

Service::Service(Catalog catalog, ServiceSettings settings, FaultSet &faults, RequestLog &log)
    : fCatalog(std::move(catalog)),
      fExchanges(fCatalog, settings.xmlEncoding),
      fSettings(std::move(settings)),
      fFaults(faults),
      fLog(log) {}

void Service::setListenAddress(const std::string &host, int port) {
  fListenAddress = host + ":" + std::to_string(port);
}

void Service::install(httplib::Server &server) {
  server.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
  server.set_payload_max_length(kMaxRequestBody);
  server.set_keep_alive_max_count(1000);

  // Control endpoints: neither recorded nor subject to faults.
  server.Get("/_control/requests", [this](const auto &q, auto &r) { controlRequests(q, r); });
  server.Delete("/_control/requests", [this](const auto &q, auto &r) { controlRequests(q, r); });
  server.Get("/_control/faults", [this](const auto &q, auto &r) { controlFaults(q, r); });
  server.Post("/_control/faults", [this](const auto &q, auto &r) { controlFaults(q, r); });
  server.Delete("/_control/faults", [this](const auto &q, auto &r) { controlFaults(q, r); });
  server.Get("/_control/catalog", [this](const auto &q, auto &r) { controlCatalog(q, r); });

  const auto route = [this](Reply (Exchanges::*exchange)(const RequestInfo &) const) {
    return [this, exchange](const httplib::Request &request, httplib::Response &response) {
      serve(request, response,
            [this, exchange](const RequestInfo &info) { return (fExchanges.*exchange)(info); });
    };
  };
  server.Get(R"(/service/keyRequest\.xml)", route(&Exchanges::accessKey));
  server.Post(R"(/service/getMediaInfo\.xml)", route(&Exchanges::mediaInfo));
  server.Get(R"(/image\.out)", route(&Exchanges::thumbnail));
  server.Get(R"(/cache/external/.+)", route(&Exchanges::videoFile));
  server.Get(R"(/service/clientLog\.html)", route(&Exchanges::completionReport));
  server.Post(R"(/service/userRatings\.xml)", route(&Exchanges::ratingReport));
  server.Get(R"(/service/getUpdate\.xml)", route(&Exchanges::updateCheck));
  server.Get(R"(/downloads/.+)", route(&Exchanges::updateFile));
  server.Get(R"(/download\.html)", route(&Exchanges::downloadPage));
  server.Get(R"(/service/upgradeSubscriptions\.xml)", route(&Exchanges::subscriptionUpgrade));
  server.Get(R"(/service/rss\.xml)", route(&Exchanges::feed));
  server.Get(R"(/rss/.+)", route(&Exchanges::feed));
  server.Get(R"(/hostile/.+)", [this](const httplib::Request &request, auto &response) {
    serve(request, response, [](const RequestInfo &info) {
      return hostilePageAt(info.path, info.urls.base().toStdString()).value_or(notFound());
    });
  });
  // Web pages; anything else is a recorded 404.
  server.Get(R"(/.*)", route(&Exchanges::webPage));
  const auto unknown = [this](const httplib::Request &request, httplib::Response &response) {
    serve(request, response, [](const RequestInfo &) { return notFound(); });
  };
  server.Post(R"(/.*)", unknown);
  server.Put(R"(/.*)", unknown);
  server.Delete(R"(/.*)", unknown);
}

QString Service::baseUrl(const httplib::Request &request) const {
  if (!fSettings.publicUrl.isEmpty()) {
    QString base = fSettings.publicUrl;
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    return base;
  }
  const std::string host = request.get_header_value("Host");
  return QStringLiteral("http://") + QString::fromStdString(host.empty() ? fListenAddress : host);
}

void Service::serve(const httplib::Request &request, httplib::Response &response,
                    const Exchange &exchange) {
  const size_t question = request.target.find('?');
  const std::string rawQuery =
      question == std::string::npos ? std::string() : request.target.substr(question + 1);
  RequestInfo info{request.method, request.path,           Query(rawQuery),
                   request.body,   Urls(baseUrl(request)), std::nullopt};

  QJsonValue guidEntry = QJsonValue::Null;
  bool guidRefused = false;
  if (const std::string *guid = info.query.find("clientGUID")) {
    info.clientUuid = ClientCipher::uuidFromGuid(
        QByteArrayView(guid->data(), static_cast<qsizetype>(guid->size())));
    QJsonObject check{{"decoded", info.clientUuid.has_value()}};
    if (info.clientUuid) check["uuid"] = *info.clientUuid;
    guidEntry = check;
    guidRefused = fSettings.strictGuid && !info.clientUuid;
  }

  const FaultPlan plan = fFaults.take(request.path);
  Reply reply;
  if (plan.status)
    reply = textReply(*plan.status, kTextType,
                      "injected fault: status " + std::to_string(*plan.status) + "\n");
  else if (plan.hostilePage)
    reply = hostilePage(*plan.hostilePage, info.urls.base().toStdString());
  else if (guidRefused)
    reply = textReply(403, kTextType, "clientGUID does not decode\n");
  else
    reply = exchange(info);
  const uint64_t length = transmit(request, response, std::move(reply), plan);

  QJsonObject entry{
      {"time", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
      {"method", QString::fromStdString(request.method)},
      {"path", QString::fromStdString(request.path)},
      {"query", QString::fromStdString(rawQuery)},
      {"headers", headersJson(request)},
      {"clientGuid", guidEntry},
      {"status", response.status},
      {"length", static_cast<qint64>(length)},
  };
  addBody(entry, request.body);
  if (!plan.empty()) entry["faults"] = plan.applied;
  fLog.append(std::move(entry));
}

uint64_t Service::transmit(const httplib::Request &request, httplib::Response &response,
                           Reply reply, const FaultPlan &plan) {
  // Ranges are answered here. Left in the request, httplib would cut the
  // answer to them once more after this handler returns. (The request object
  // is httplib's own, not const; only the handler's view of it is.)
  const_cast<httplib::Request &>(request).ranges.clear();

  for (const auto &[name, value] : reply.headers) response.set_header(name, value);
  const std::string contentType =
      reply.contentType.empty() ? "application/octet-stream" : reply.contentType;

  std::shared_ptr<const BodySource> body = reply.body;
  BodyReader reader = body ? body->open() : BodyReader();
  if (body && !reader) {
    response.status = 500;
    response.set_content("the body cannot be read\n", kTextType);
    return 0;
  }
  if (reply.compressible) {
    response.set_header("Vary", "Accept-Encoding");
    if (body && acceptsGzip(request.get_header_value("Accept-Encoding"))) {
      std::string plain(body->size(), '\0');
      if (!reader(0, plain.data(), plain.size())) {
        response.status = 500;
        response.set_content("the body cannot be read\n", kTextType);
        return 0;
      }
      body = memoryBody(gzipCompress(plain));
      reader = body->open();
      response.set_header("Content-Encoding", "gzip");
    }
  }

  const uint64_t size = body ? body->size() : 0;
  int status = reply.status;
  ByteRange range{0, size == 0 ? 0 : size - 1};
  uint64_t length = size;
  if (reply.rangeable) {
    response.set_header("Accept-Ranges", "bytes");
    if (status == 200 && !plan.ignoreRange && request.has_header("Range")) {
      switch (parseRange(request.get_header_value("Range"), size, &range)) {
        case RangeRequest::kSatisfiable:
          status = 206;
          length = range.length();
          response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                   std::to_string(range.last) + "/" +
                                                   std::to_string(size));
          break;
        case RangeRequest::kUnsatisfiable:
          status = 416;
          length = 0;
          response.set_header("Content-Range", "bytes */" + std::to_string(size));
          break;
        case RangeRequest::kWhole:
          break;
      }
    }
  }
  response.status = status;
  if (length == 0) {
    response.set_content("", status == 416 ? kTextType : contentType);
    return 0;
  }

  auto stream = std::make_shared<BodyStream>();
  stream->reader = std::move(reader);
  stream->start = range.first;
  stream->sent = length;
  if (plan.shortBody) stream->sent = length - std::min(*plan.shortBody, length);
  if (plan.closeAfter) stream->sent = std::min(stream->sent, *plan.closeAfter);
  stream->rate = plan.rate.value_or(0);
  stream->began = std::chrono::steady_clock::now();
  response.set_content_provider(
      length, contentType, [stream](size_t offset, size_t remaining, httplib::DataSink &sink) {
        // Returning false ends the response and closes the connection: that is
        // how an injected fault cuts a body short.
        if (offset >= stream->sent) return false;
        uint64_t chunk = std::min<uint64_t>({remaining, stream->sent - offset, kChunk});
        // Pieces of 20 ms at the given rate keep the pace even.
        if (stream->rate > 0)
          chunk = std::min<uint64_t>(chunk, std::max<uint64_t>(1, stream->rate / 50));
        stream->buffer.resize(chunk);
        if (!stream->reader(stream->start + offset, stream->buffer.data(), chunk)) return false;
        if (!sink.write(stream->buffer.data(), chunk)) return false;
        if (stream->rate > 0) {
          const auto due = std::chrono::duration<double>(static_cast<double>(offset + chunk) /
                                                         static_cast<double>(stream->rate));
          std::this_thread::sleep_until(
              stream->began + std::chrono::duration_cast<std::chrono::steady_clock::duration>(due));
        }
        return true;
      });
  return length;
}

void Service::controlRequests(const httplib::Request &request, httplib::Response &response) {
  if (request.method == "DELETE") {
    fLog.clearMemory();
    answerJson(response, QJsonDocument(QJsonObject{{"cleared", true}}));
    return;
  }
  const qint64 since = QString::fromStdString(request.get_param_value("since")).toLongLong();
  answerJson(response, QJsonDocument(fLog.entries(since)));
}

void Service::controlFaults(const httplib::Request &request, httplib::Response &response) {
  if (request.method == "DELETE") {
    fFaults.clear();
  } else if (request.method == "POST") {
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &parseError);
    QJsonArray list;
    if (document.isObject())
      list.append(document.object());
    else if (document.isArray())
      list = document.array();
    else
      return answerError(response, 400,
                         QStringLiteral("expected a fault object or a list of them"));
    // All or nothing: a list with one bad rule adds none.
    std::vector<FaultRule> rules;
    for (const QJsonValue item : list) {
      QString error;
      const std::optional<FaultRule> rule =
          item.isObject() ? faultRuleFromJson(item.toObject(), 1, &error) : std::nullopt;
      if (!rule)
        return answerError(response, 400,
                           error.isEmpty() ? QStringLiteral("not an object") : error);
      rules.push_back(*rule);
    }
    for (FaultRule &rule : rules) fFaults.add(std::move(rule));
  }
  answerJson(response, QJsonDocument(fFaults.describe()));
}

void Service::controlCatalog(const httplib::Request &request, httplib::Response &response) {
  const Urls urls(baseUrl(request));
  QJsonArray videos;
  for (const Video &video : fCatalog.videos) {
    videos.append(QJsonObject{
        {"permalink", video.permalink},
        {"videoId", video.videoId},
        {"title", video.title},
        {"fileHash", video.fileHash},
        {"extension", video.extension},
        {"size", static_cast<qint64>(video.media->size())},
        {"iconId", video.icon},
        {"url", urls.videoFile(video)},
        {"page", urls.videoPage(video.permalink)},
    });
  }
  QJsonArray feeds;
  for (const Feed &feed : fCatalog.feeds)
    feeds.append(QJsonObject{{"id", feed.id}, {"title", feed.title}, {"url", urls.feed(feed.id)}});
  QJsonObject summary{{"authToken", fCatalog.authToken},
                      {"accessKey", fCatalog.accessKey},
                      {"videos", videos},
                      {"feeds", feeds}};
  if (fCatalog.update) {
    const UpdateOffer &offer = *fCatalog.update;
    summary["update"] =
        QJsonObject{{"version", offer.version},
                    {"url", offer.url.isEmpty() ? urls.updateFile(offer.fileName) : offer.url},
                    {"required", offer.required}};
  }
  answerJson(response, QJsonDocument(summary));
}

}  // namespace zsvc
