#include "ServiceUtilities.h"

#include "ApplicationIdentity.h"

#include <QUuid>

namespace Utilities {

QString applicationVersion(const QString &bundleVersion) {
  qsizetype end = 0;
  while (end < bundleVersion.size()) {
    const QChar c = bundleVersion.at(end);
    if (c != u'.' && (c < u'0' || c > u'9')) break;
    ++end;
  }
  return bundleVersion.left(end);
}

QString applicationVersion() { return applicationVersion(ApplicationIdentity::bundleVersion()); }

QString clientVersionServiceString() {
  return QStringLiteral("zaro-") + ApplicationIdentity::shortVersionString() +
         QStringLiteral(" service (MacOS; Safari; darwin)");
}

QString getUUID() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

}  // namespace Utilities
