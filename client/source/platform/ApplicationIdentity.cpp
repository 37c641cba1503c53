#include "ApplicationIdentity.h"

#include "ApplicationIdentityValues.h"

namespace ApplicationIdentity {

QString bundleIdentifier() { return QStringLiteral(ZARO_BUNDLE_IDENTIFIER); }
QString bundleVersion() { return QStringLiteral(ZARO_BUNDLE_VERSION); }
QString shortVersionString() { return QStringLiteral(ZARO_SHORT_VERSION); }
QString applicationErrorDomain() { return bundleIdentifier() + QStringLiteral(".ErrorDomain"); }
QString applicationName() { return QStringLiteral("Zaro Player"); }

}  // namespace ApplicationIdentity
