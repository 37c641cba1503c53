#include "ServiceRequest.h"

#include "ServiceUtilities.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <zlib.h>

#include <limits>

namespace ServiceRequest {

namespace {

QNetworkRequest baseRequest(const QUrl &url, int timeoutMs) {
  QNetworkRequest request(url);
  // Follow the protocol's own caching rules.
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
  request.setTransferTimeout(timeoutMs);
  request.setRawHeader("User-Agent", Utilities::clientVersionServiceString().toUtf8());
  return request;
}

bool isGzip(const QByteArray &encoding) {
  const QByteArray e = encoding.trimmed().toLower();
  return e == "gzip" || e == "x-gzip";
}

std::optional<QByteArray> gunzip(const QByteArray &body, qint64 maxBytes) {
  if (quint64(body.size()) > std::numeric_limits<uInt>::max()) return std::nullopt;
  z_stream stream{};
  // 16 + MAX_WBITS: gzip framing only.
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return std::nullopt;
  struct Ender {
    z_stream *s;
    ~Ender() { inflateEnd(s); }
  } ender{&stream};

  QByteArray out;
  constexpr qint64 Chunk = 64 * 1024;
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(body.constData()));
  stream.avail_in = uInt(body.size());
  while (true) {
    // Grow by at most a chunk and never past maxBytes + 1: one byte over the
    // bound is enough to know the answer is too large.
    const qint64 left = maxBytes - out.size();
    const qint64 room = left >= Chunk ? Chunk : left + 1;
    const qsizetype before = out.size();
    out.resize(before + room);
    stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
    stream.avail_out = uInt(room);
    const int status = inflate(&stream, Z_NO_FLUSH);
    const bool outputFull = stream.avail_out == 0;
    out.resize(out.size() - qsizetype(stream.avail_out));
    if (out.size() > maxBytes) return std::nullopt;
    if (status == Z_STREAM_END) {
      if (stream.avail_in == 0) return out;
      // Several gzip members in a row make one body.
      if (inflateReset(&stream) != Z_OK) return std::nullopt;
      continue;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) return std::nullopt;
    // Room left over means the input ran out before the stream ended.
    if (!outputFull) return std::nullopt;
  }
}

}  // namespace

Recipe xmlGet(const QUrl &url) {
  Recipe recipe{baseRequest(url, ServiceTimeoutMs), QByteArrayLiteral("GET"), {}};
  recipe.request.setRawHeader("Accept", "text/xml");
  recipe.request.setRawHeader("Accept-Charset", "UTF-8");
  recipe.request.setRawHeader("Accept-Encoding", "gzip");
  return recipe;
}

Recipe serviceGet(const QUrl &url, const HeaderList &headers) {
  Recipe recipe{baseRequest(url, ServiceTimeoutMs), QByteArrayLiteral("GET"), {}};
  for (const auto &[name, value] : headers) recipe.request.setRawHeader(name, value);
  return recipe;
}

Recipe servicePost(const QUrl &url, const QByteArray &contentType, const QByteArray &body) {
  Recipe recipe{baseRequest(url, ServiceTimeoutMs), QByteArrayLiteral("POST"), body};
  recipe.request.setRawHeader("Content-Type", contentType);
  return recipe;
}

Recipe feedFetch(const QUrl &url) {
  return Recipe{baseRequest(url, FeedTimeoutMs), QByteArrayLiteral("GET"), {}};
}

QNetworkReply *send(QNetworkAccessManager &manager, const Recipe &recipe, qint64 maxBodyBytes) {
  QNetworkReply *reply = nullptr;
  if (recipe.method == "GET")
    reply = manager.get(recipe.request);
  else if (recipe.method == "POST")
    reply = manager.post(recipe.request, recipe.body);
  else
    reply = manager.sendCustomRequest(recipe.request, recipe.method, recipe.body);
  if (maxBodyBytes >= 0) {
    // An announced length over the bound stops the transfer before any of the
    // body is buffered; without one, the bytes are counted as they come.
    auto check = [reply, maxBodyBytes] {
      if (reply->isFinished()) return;
      const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
      if ((length.isValid() && length.toLongLong() > maxBodyBytes) ||
          reply->bytesAvailable() > maxBodyBytes)
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, check);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, check);
  }
  return reply;
}

std::optional<QByteArray> decodedBody(const QByteArray &body, const QByteArray &contentEncoding,
                                      qint64 maxBytes) {
  if (maxBytes < 0 || body.size() > maxBytes) return std::nullopt;
  const QByteArray encoding = contentEncoding.trimmed().toLower();
  if (encoding.isEmpty() || encoding == "identity") return body;
  if (!isGzip(encoding)) return std::nullopt;
  if (body.isEmpty()) return body;
  return gunzip(body, maxBytes);
}

std::optional<QByteArray> decodedBody(QNetworkReply &reply, qint64 maxBytes) {
  if (maxBytes < 0 || reply.bytesAvailable() > maxBytes) return std::nullopt;
  const QByteArray body = reply.readAll();
  const bool weAskedForEncoding = reply.request().hasRawHeader("Accept-Encoding");
  return decodedBody(body, weAskedForEncoding ? reply.rawHeader("Content-Encoding") : QByteArray(),
                     maxBytes);
}

}  // namespace ServiceRequest
