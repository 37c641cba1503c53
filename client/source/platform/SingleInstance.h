#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One running player per user data folder. The first start listens on a local
// socket named after the bundle identifier and that folder; a later start
// hands its message ("url <text>", "reopen", "quit" or "play <video id>") to
// it and exits.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // dataFolder identifies the user (normally $XDG_DATA_HOME/Zaro Player).
  explicit SingleInstance(const QString &dataFolder, QObject *parent = nullptr);
  ~SingleInstance() override;

  // The socket's full path for a data folder.
  static QString serverNameFor(const QString &dataFolder);

  // True when this process is now the running instance (it listens from now on);
  // false when another instance already runs.
  bool becomePrimary();

  // Sends one message to the running instance; true when it was delivered.
  static bool sendURL(const QString &dataFolder, const QString &url, int timeoutMs = 5000);
  static bool sendQuit(const QString &dataFolder, int timeoutMs = 5000);
  // Asks the running instance to show its window (a start without a URL).
  static bool sendReopen(const QString &dataFolder, int timeoutMs = 5000);
  // Asks the running instance to play a library video.
  static bool sendPlay(const QString &dataFolder, int videoId, int timeoutMs = 5000);

 signals:
  void urlReceived(const QString &url);
  void quitRequested();
  void reopenRequested();
  void playRequested(int videoId);

 private:
  static bool send(const QString &dataFolder, const QByteArray &line, int timeoutMs);
  void acceptConnections();
  void dispatch(const QByteArray &line);

  QString fServerName;
  std::unique_ptr<QLocalServer> fServer;
};
