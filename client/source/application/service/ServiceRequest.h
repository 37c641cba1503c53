#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QUrl>

#include <optional>
#include <utility>

class QNetworkAccessManager;
class QNetworkReply;

// The request recipes every conversation with the service is built from, in
// one place: method, transfer time-out, headers, body and cache policy. A
// recipe is sent asynchronously with send(); the finished reply's body goes
// through decodedBody() before it is parsed.
namespace ServiceRequest {

inline constexpr int ServiceTimeoutMs = 60000;
inline constexpr int FeedTimeoutMs = 5000;

inline constexpr char ContentTypeXML[] = "text/xml;charset=utf-8";
inline constexpr char ContentTypeForm[] = "application/x-www-form-urlencoded";

// A bound that fits every XML answer of the service.
inline constexpr qint64 DefaultMaxBodyBytes = 16 * 1024 * 1024;

using HeaderList = QList<std::pair<QByteArray, QByteArray>>;

struct Recipe {
  QNetworkRequest request;
  QByteArray method;  // "GET" or "POST"
  QByteArray body;    // POST only
};

// GET, 60 s, user agent, "Accept: text/xml", "Accept-Charset: UTF-8",
// "Accept-Encoding: gzip" (so the answer must go through decodedBody()).
Recipe xmlGet(const QUrl &url);
// GET, 60 s, user agent plus the caller's own headers.
Recipe serviceGet(const QUrl &url, const HeaderList &headers = {});
// POST, 60 s, user agent, the caller's content type and body.
Recipe servicePost(const QUrl &url, const QByteArray &contentType, const QByteArray &body);
// GET, 5 s, user agent.
Recipe feedFetch(const QUrl &url);

// Starts the recipe on the manager. With maxBodyBytes >= 0 the transfer is
// aborted (OperationCanceledError) as soon as the answer announces or delivers
// more than that many bytes. The caller owns the reply.
QNetworkReply *send(QNetworkAccessManager &manager, const Recipe &recipe, qint64 maxBodyBytes = -1);

// The body as the service meant it: inflated when contentEncoding is "gzip"
// (or "x-gzip"), unchanged when it is empty or "identity". Nothing when the
// encoding is any other, the compressed data is damaged, or the body, before
// or after inflating, is larger than maxBytes; inflating stops at the bound,
// so a small bomb cannot grow large in memory.
std::optional<QByteArray> decodedBody(const QByteArray &body, const QByteArray &contentEncoding,
                                      qint64 maxBytes);

// Reads what is left of a finished reply and decodes it as above. Qt inflates
// on its own the answers to requests that did not ask for an encoding
// themselves; only answers to a request carrying its own "Accept-Encoding"
// (the XML GET recipe) are inflated here.
std::optional<QByteArray> decodedBody(QNetworkReply &reply, qint64 maxBytes);

}  // namespace ServiceRequest
