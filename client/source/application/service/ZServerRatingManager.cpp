#include "ZServerRatingManager.h"

#include "ClientIdentity.h"
#include "Logging.h"
#include "ServiceHosts.h"
#include "ServiceRequest.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "UserDefaults.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

// Whether a response may go on: not HTTP, 200, 206, or a redirection that the
// manager follows (the answer at its end is judged again).
bool isAcceptedStatus(const QVariant &status) {
  if (!status.isValid()) return true;
  const int code = status.toInt();
  return code == 200 || code == 206 || (code >= 300 && code < 400);
}

}  // namespace

ZServerRatingManager &ZServerRatingManager::sharedRatingManager() {
  static ZServerRatingManager *manager = new ZServerRatingManager();
  return *manager;
}

ZServerRatingManager::ZServerRatingManager(QNetworkAccessManager *manager, UserDefaults *defaults,
                                           QObject *parent)
    : QObject(parent),
      fManager(manager ? manager : new QNetworkAccessManager(this)),
      fDefaults(defaults) {}

ZServerRatingManager::~ZServerRatingManager() {
  for (QNetworkReply *reply : std::as_const(fConnections)) {
    reply->disconnect(this);
    reply->abort();
    delete reply;
  }
}

UserDefaults &ZServerRatingManager::defaults() const {
  return fDefaults ? *fDefaults : UserDefaults::standardUserDefaults();
}

QByteArray ZServerRatingManager::ratingBody(int rating, const QString &permalink) {
  return (QStringLiteral("permalinkId=") + wwwFormURLEncoded(permalink) +
          QStringLiteral("&rating=") + QString::number(rating))
      .toUtf8();
}

void ZServerRatingManager::sendRating(int rating, const QString &permalink) {
  if (permalink.isEmpty()) return;

  const QString url = ServiceHosts::webURLString(
      QStringLiteral("/service/userRatings.xml?clientGUID=") +
      Utilities::queryValue(Utilities::getMyPeerID(defaults())) +
      QStringLiteral("&ZARO_GUIDE_AUTH=") +
      Utilities::queryValue(defaults().stringForKey(QStringLiteral("ZaroClientAuthorization"))) +
      QStringLiteral("&version=") + Utilities::queryValue(Utilities::applicationVersion()));
  QNetworkReply *reply = ServiceRequest::send(
      *fManager, ServiceRequest::servicePost(QUrl(url), ServiceRequest::ContentTypeForm,
                                             ratingBody(rating, permalink)));
  fConnections.append(reply);
  connect(reply, &QNetworkReply::metaDataChanged, this,
          [this, reply] { connectionDidReceiveResponse(reply); });
  // The answer is not read: whatever arrives is dropped as it comes.
  connect(reply, &QNetworkReply::readyRead, this,
          [reply] { reply->skip(reply->bytesAvailable()); });
  connect(reply, &QNetworkReply::finished, this, [this, reply] { connectionDidFinish(reply); });
}

void ZServerRatingManager::connectionDidReceiveResponse(QNetworkReply *reply) {
  if (!isAcceptedStatus(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute))) {
    // Refused: stop the transfer; the report is dropped.
    connectionDidFinish(reply);
  }
}

void ZServerRatingManager::connectionDidFinish(QNetworkReply *reply) {
  if (!fConnections.removeOne(reply)) return;
  if (reply->error() != QNetworkReply::NoError ||
      !isAcceptedStatus(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute)))
    qCWarning(zaroService).noquote() << "rating report failed:" << Logging::replyFailure(*reply);
  reply->disconnect(this);
  // Stopped and freed once control is back in the event loop: Qt does not take
  // an abort from inside the reply's own signals well.
  QMetaObject::invokeMethod(
      reply,
      [reply] {
        reply->abort();
        reply->deleteLater();
      },
      Qt::QueuedConnection);
}
