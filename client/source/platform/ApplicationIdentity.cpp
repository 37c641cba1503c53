#include "ApplicationIdentity.h"

#include "ApplicationIdentityValues.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ApplicationIdentity {

QString bundleIdentifier() { return QStringLiteral(ZARO_BUNDLE_IDENTIFIER); }
QString bundleVersion() { return QStringLiteral(ZARO_BUNDLE_VERSION); }
QString shortVersionString() { return QStringLiteral(ZARO_SHORT_VERSION); }
QString applicationErrorDomain() { return bundleIdentifier() + QStringLiteral(".ErrorDomain"); }
QString applicationName() { return QStringLiteral("Zaro Player"); }
QString packageName() { return QStringLiteral(ZARO_PACKAGE_NAME); }

QString resourcesFolder() {
  const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                            QStringLiteral("/../share/zaro-player"));
  if (QFileInfo(installed).isDir()) return installed;
  return QStringLiteral(ZARO_BUILD_SHARE_DIR);
}

}  // namespace ApplicationIdentity
