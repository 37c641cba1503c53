#pragma once

// A one-request-per-connection HTTP server on the main thread's event loop
// that answers with whatever the test scripts: wrong byte ranges, hostile
// documents, oversized bodies. It records every request it read.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

#include <functional>
#include <memory>
#include <utility>

struct CannedRequest {
  QByteArray method;
  QByteArray target;                      // path and query as sent
  QHash<QByteArray, QByteArray> headers;  // names in lower case
  QByteArray body;

  QByteArray path() const { return target.left(target.indexOf('?')); }
};

class CannedServer : public QObject {
 public:
  // The raw bytes of the whole answer to a request; the connection is closed
  // once they are written.
  using Responder = std::function<QByteArray(const CannedRequest &)>;

  explicit CannedServer(Responder responder);

  QString base() const;
  // Leaves connections open after the answer (a transfer that stalls).
  void setHoldConnections(bool hold) { fHold = hold; }
  // After the answer to a request whose target starts with pathPrefix, sends
  // the piece again and again, as fast as the client takes it, until
  // totalBytes more went out or the client hangs up (a body without a length
  // that does not end; the total only keeps a test from running forever).
  void setStreamAfterAnswer(const QByteArray &pathPrefix, const QByteArray &piece,
                            qint64 totalBytes);
  // Bytes of such streams sent so far.
  qint64 streamedBytes() const { return fStreamed; }
  const QList<CannedRequest> &requests() const { return fRequests; }
  QList<CannedRequest> requestsTo(const QByteArray &pathPrefix) const;

  // An answer with Content-Length (unless announceLength is false: then the
  // end of the body is the end of the connection).
  static QByteArray response(int status, const QByteArray &body,
                             const QList<std::pair<QByteArray, QByteArray>> &headers = {},
                             bool announceLength = true);

 private:
  void accept();
  void stream(QTcpSocket *socket, std::shared_ptr<qint64> remaining);

  QTcpServer fServer;
  Responder fResponder;
  QList<CannedRequest> fRequests;
  bool fHold = false;
  QByteArray fStreamPrefix, fStreamPiece;
  qint64 fStreamTotal = 0;
  qint64 fStreamed = 0;
};
