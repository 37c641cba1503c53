#include "ClientIdentity.h"

#include "ClientCipher.h"
#include "Logging.h"
#include "ServiceHosts.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "UserDefaults.h"

#include <QUrl>

namespace Utilities {

namespace {
const QString kClientIdKey = QStringLiteral("ApplicationClientID");
const QString kAuthorizationKey = QStringLiteral("ZaroClientAuthorization");
}  // namespace

QString getMyPeerID() { return getMyPeerID(UserDefaults::standardUserDefaults()); }

QString getMyPeerID(UserDefaults &defaults) {
  const QString stored = defaults.stringForKey(kClientIdKey);
  if (!stored.isEmpty()) return stored;
  const QString guid = getEncryptedUUID();
  if (!guid.isNull()) defaults.setString(guid, kClientIdKey);
  return guid;
}

QString getEncryptedUUID() {
  return encrypt(QString::fromLatin1(ClientCipher::guidPlainText(getUUID())));
}

QString encrypt(const QString &text) {
  if (text.isNull()) return QString();
  const std::optional<QByteArray> cipherText = crypt(text, true);
  if (!cipherText) return QString();
  return QString::fromLatin1(cipherText->toBase64());
}

std::optional<QByteArray> crypt(const QString &text, bool encryptBool) {
  return ClientCipher::crypt(text.toUtf8(), encryptBool);
}

QString queryValue(const QString &value) {
  return value.isNull() ? QStringLiteral("(null)") : wwwFormURLEncoded(value);
}

QString getMediaInfoUrl(const std::optional<QString> &configuredBase, UserDefaults &defaults) {
  const QString base =
      configuredBase && !configuredBase->isEmpty()
          ? *configuredBase
          : ServiceHosts::webURLString(QStringLiteral("/service/getMediaInfo.xml"));
  const QString guid = QStringLiteral("?clientGUID=") + queryValue(getMyPeerID(defaults));
  const QString version = QStringLiteral("&version=") + queryValue(applicationVersion());
  const QString withToken = base + guid + QStringLiteral("&ZARO_GUIDE_AUTH=") +
                            queryValue(defaults.stringForKey(kAuthorizationKey)) + version;
  // A configured base elsewhere than on the service's hosts does not hear the
  // user's token.
  if (ServiceHosts::isServiceAddress(QUrl(withToken))) return withToken;
  Logging::infoOnce(zaroDownloads(), QStringLiteral("media information at ") + base,
                    QStringLiteral("media information address %1 is not on the service's hosts: "
                                   "asked without the authorisation token")
                        .arg(Logging::address(QUrl(base))));
  return base + guid + version;
}

}  // namespace Utilities
