#include "SingleInstance.h"

#include "ApplicationIdentity.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
constexpr qint64 MaxMessageBytes = 64 * 1024;
}

SingleInstance::SingleInstance(const QString &dataFolder, QObject *parent)
    : QObject(parent), fServerName(serverNameFor(dataFolder)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverNameFor(const QString &dataFolder) {
  const QByteArray hash =
      QCryptographicHash::hash(QDir(dataFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1)
          .toHex()
          .left(16);
  QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
  const QString name = ApplicationIdentity::bundleIdentifier() + QLatin1Char('-') +
                       QString::fromLatin1(hash) + QStringLiteral(".sock");
  // A local socket's path must stay short (about 100 bytes).
  if (runtime.isEmpty() || !QDir(runtime).exists() || (runtime + name).toLocal8Bit().size() > 100)
    runtime = QDir::tempPath();
  return runtime + QLatin1Char('/') + name;
}

bool SingleInstance::becomePrimary() {
  // Two starts at the same moment must not both decide they are first.
  QLockFile guard(fServerName + QStringLiteral(".lock"));
  guard.setStaleLockTime(10000);
  if (!guard.tryLock(10000)) return false;

  QLocalSocket probe;
  probe.connectToServer(fServerName);
  if (probe.waitForConnected(1000)) {
    probe.disconnectFromServer();
    return false;
  }
  // Nobody answers: whatever socket file is left belongs to a dead instance.
  QLocalServer::removeServer(fServerName);
  fServer = std::make_unique<QLocalServer>();
  fServer->setSocketOptions(QLocalServer::UserAccessOption);
  if (!fServer->listen(fServerName)) {
    fServer.reset();
    return false;
  }
  connect(fServer.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
  return true;
}

void SingleInstance::acceptConnections() {
  while (QLocalSocket *socket = fServer->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      while (socket->canReadLine()) {
        QByteArray line = socket->readLine(MaxMessageBytes);
        if (line.endsWith('\n')) line.chop(1);
        socket->write("ok\n");
        socket->flush();
        // Handled from the main loop, not from inside the socket's callback:
        // a handler may run a modal dialog while this socket goes away.
        QMetaObject::invokeMethod(
            this, [this, line] { dispatch(line); }, Qt::QueuedConnection);
      }
      if (socket->bytesAvailable() > MaxMessageBytes) socket->abort();
    });
  }
}

void SingleInstance::dispatch(const QByteArray &line) {
  if (line.startsWith("url ")) {
    emit urlReceived(QString::fromUtf8(line.mid(4)));
  } else if (line == "quit") {
    emit quitRequested();
  } else if (line == "reopen") {
    emit reopenRequested();
  } else if (line.startsWith("play ")) {
    bool ok = false;
    const int videoId = line.mid(5).toInt(&ok);
    if (ok && videoId >= 0) emit playRequested(videoId);
  }
}

bool SingleInstance::send(const QString &dataFolder, const QByteArray &line, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverNameFor(dataFolder));
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(line + '\n');
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // Wait for the acknowledgement so that the message is known to be taken.
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  }
  return socket.readLine().startsWith("ok");
}

bool SingleInstance::sendURL(const QString &dataFolder, const QString &url, int timeoutMs) {
  QByteArray text = url.toUtf8();
  text.replace('\n', "").replace('\r', "");
  return send(dataFolder, "url " + text, timeoutMs);
}

bool SingleInstance::sendQuit(const QString &dataFolder, int timeoutMs) {
  return send(dataFolder, "quit", timeoutMs);
}

bool SingleInstance::sendReopen(const QString &dataFolder, int timeoutMs) {
  return send(dataFolder, "reopen", timeoutMs);
}

bool SingleInstance::sendPlay(const QString &dataFolder, int videoId, int timeoutMs) {
  return send(dataFolder, "play " + QByteArray::number(videoId), timeoutMs);
}
