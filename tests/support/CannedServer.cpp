#include "CannedServer.h"

#include <QTcpSocket>

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
      if (!fHold) socket->disconnectFromHost();  // after the answer has been written
    });
  }
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
