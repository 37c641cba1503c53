#include "CannedServer.h"

#include <QTcpSocket>

#include <algorithm>

CannedServer::CannedServer(Responder responder) : fResponder(std::move(responder)) {
  fServer.listen(QHostAddress::LocalHost, 0);
  connect(&fServer, &QTcpServer::newConnection, this, &CannedServer::accept);
}

QString CannedServer::base() const {
  return QStringLiteral("http://127.0.0.1:%1").arg(fServer.serverPort());
}

QList<CannedRequest> CannedServer::requestsTo(const QByteArray &pathPrefix) const {
  QList<CannedRequest> out;
  for (const CannedRequest &request : fRequests)
    if (request.target.startsWith(pathPrefix)) out.append(request);
  return out;
}

void CannedServer::accept() {
  while (QTcpSocket *socket = fServer.nextPendingConnection()) {
    auto *buffer = new QByteArray;
    connect(socket, &QTcpSocket::disconnected, socket, [socket, buffer] {
      delete buffer;
      socket->deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
      *buffer += socket->readAll();
      const qsizetype end = buffer->indexOf("\r\n\r\n");
      if (end < 0) return;
      CannedRequest request;
      const QList<QByteArray> lines = buffer->left(end).split('\n');
      const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
      request.method = first.value(0);
      request.target = first.value(1);
      for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
          request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                 lines[i].mid(colon + 1).trimmed());
      }
      const qsizetype length = request.headers.value("content-length").toLongLong();
      if (buffer->size() < end + 4 + length) return;
      request.body = buffer->mid(end + 4, length);
      buffer->clear();
      fRequests.append(request);
      socket->write(fResponder(request));
      if (fStreamTotal > 0 && !fStreamPiece.isEmpty() && request.target.startsWith(fStreamPrefix)) {
        stream(socket, std::make_shared<qint64>(fStreamTotal));
        return;
      }
      if (!fHold) socket->disconnectFromHost();  // after the answer has been written
    });
  }
}

void CannedServer::setStreamAfterAnswer(const QByteArray &pathPrefix, const QByteArray &piece,
                                        qint64 totalBytes) {
  fStreamPrefix = pathPrefix;
  fStreamPiece = piece;
  fStreamTotal = totalBytes;
}

void CannedServer::stream(QTcpSocket *socket, std::shared_ptr<qint64> remaining) {
  // Tops the socket's buffer up whenever it drains, a few pieces at a time.
  const auto topUp = [this, socket, remaining] {
    while (*remaining > 0 && socket->bytesToWrite() < 4 * fStreamPiece.size() &&
           socket->state() == QAbstractSocket::ConnectedState) {
      const qint64 n = std::min<qint64>(*remaining, fStreamPiece.size());
      socket->write(fStreamPiece.constData(), n);
      *remaining -= n;
      fStreamed += n;
    }
    if (*remaining <= 0 && socket->state() == QAbstractSocket::ConnectedState)
      socket->disconnectFromHost();
  };
  connect(socket, &QTcpSocket::bytesWritten, this, topUp);
  topUp();
}

QByteArray CannedServer::response(int status, const QByteArray &body,
                                  const QList<std::pair<QByteArray, QByteArray>> &headers,
                                  bool announceLength) {
  QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + " Canned\r\nConnection: close\r\n";
  if (announceLength) out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
  for (const auto &[name, value] : headers) out += name + ": " + value + "\r\n";
  out += "\r\n";
  out += body;
  return out;
}
