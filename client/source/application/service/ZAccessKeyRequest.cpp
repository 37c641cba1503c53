#include "ZAccessKeyRequest.h"

#include "ClientIdentity.h"
#include "Logging.h"
#include "ServiceHosts.h"
#include "ServiceRequest.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "UserDefaults.h"
#include "ZXMLParser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
const QString kAccessKey = QStringLiteral("AccessKey");
}

ZAccessKeyRequest::ZAccessKeyRequest(QObject *parent)
    : ZAccessKeyRequest(nullptr, nullptr, parent) {}

ZAccessKeyRequest::ZAccessKeyRequest(QNetworkAccessManager *manager, UserDefaults *defaults,
                                     QObject *parent)
    : QObject(parent),
      fManager(manager ? manager : new QNetworkAccessManager(this)),
      fDefaults(defaults) {}

ZAccessKeyRequest::~ZAccessKeyRequest() {
  if (fConnection) {
    fConnection->disconnect(this);
    fConnection->abort();
    delete fConnection;
  }
}

UserDefaults &ZAccessKeyRequest::defaults() const {
  return fDefaults ? *fDefaults : UserDefaults::standardUserDefaults();
}

bool ZAccessKeyRequest::start() {
  if (fConnection) return false;
  if (!defaults().stringForKey(kAccessKey).isNull()) return false;

  const QString url = ServiceHosts::webURLString(
      QStringLiteral("/service/keyRequest.xml?clientGUID=") +
      Utilities::queryValue(Utilities::getMyPeerID(defaults())) + QStringLiteral("&localAddress=") +
      wwwFormURLEncoded(QStringLiteral("127.0.0.1:1234")) + QStringLiteral("&version=") +
      wwwFormURLEncoded(Utilities::applicationVersion()));
  fConnection =
      ServiceRequest::send(*fManager, ServiceRequest::xmlGet(QUrl(url)), MaxResponseBytes);
  connect(fConnection, &QNetworkReply::finished, this,
          &ZAccessKeyRequest::connectionDidFinishLoading);
  return true;
}

void ZAccessKeyRequest::connectionDidFinishLoading() {
  QNetworkReply *reply = fConnection;
  fConnection = nullptr;
  if (!reply) return;
  reply->deleteLater();

  bool stored = false;
  // A transfer error or an error status (which Qt reports as an error too) is
  // a failed exchange, whatever its body says.
  if (reply->error() != QNetworkReply::NoError)
    qCWarning(zaroService).noquote()
        << "access key request failed:" << Logging::replyFailure(*reply);
  if (reply->error() == QNetworkReply::NoError) {
    const std::optional<QByteArray> body = ServiceRequest::decodedBody(*reply, MaxResponseBytes);
    if (body && !body->isEmpty()) {
      // The answer's bytes, in the encoding the document declares.
      ZXMLParser parser(*body);
      const ZXMLElement *root = parser.parse();
      if (!root)
        qCWarning(zaroService).noquote()
            << "access key answer is not XML:" << parser.errorDescription();
      if (root && root->qualifiedName() == QLatin1String("Response")) {
        if (const ZXMLElement *key = root->firstChildNamed(u"AccessKey")) {
          const QString value = key->stringValue();
          if (!value.isEmpty()) {
            defaults().setString(wwwFormURLDecoded(value), kAccessKey);
            stored = true;
          }
        }
      }
    }
  }
  emit finished(stored);
}
