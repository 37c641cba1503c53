#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class UserDefaults;

// Asks the service once for the installation's access key and keeps it in the
// "AccessKey" setting. The application starts it at every launch until a key
// has been stored; the answer arrives asynchronously and start-up never waits
// for it. A failed or unexpected answer stores nothing and is not retried
// before the next launch.
//
// The request: GET "/service/keyRequest.xml?clientGUID=...&localAddress=
// 127.0.0.1:1234&version=..." on the service's web host (XML recipe), every
// value form-encoded. The answer stores its first "AccessKey" child,
// URL-decoded, when the root is "Response" and that child's text is not empty.
class ZAccessKeyRequest : public QObject {
  Q_OBJECT

 public:
  // An answer larger than this (before or after inflating) is not a key.
  static constexpr qint64 MaxResponseBytes = 1024 * 1024;

  // Without a manager the request makes its own; without defaults it uses the
  // application's store.
  explicit ZAccessKeyRequest(QObject *parent = nullptr);
  ZAccessKeyRequest(QNetworkAccessManager *manager, UserDefaults *defaults,
                    QObject *parent = nullptr);
  ~ZAccessKeyRequest() override;

  // The access-key request (informServerOfClientID). Does nothing and answers
  // false when a key is stored already or a request is running; otherwise
  // sends the request and answers true. finished() follows once for every
  // request sent.
  bool start();

  bool isRunning() const { return fConnection != nullptr; }

 signals:
  // The exchange has ended; keyStored tells whether a key was stored.
  void finished(bool keyStored);

 private:
  void connectionDidFinishLoading();
  UserDefaults &defaults() const;

  QNetworkAccessManager *fManager;
  UserDefaults *fDefaults;
  QPointer<QNetworkReply> fConnection;
};
