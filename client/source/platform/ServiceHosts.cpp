#include "ServiceHosts.h"

namespace ServiceHosts {

namespace {
QUrl fromEnvironment(const char *name, const QUrl &fallback) {
  const QString value = QString::fromLocal8Bit(qgetenv(name)).trimmed();
  if (value.isEmpty()) return fallback;
  const QUrl url(value);
  return url.isValid() && !url.scheme().isEmpty() ? url : fallback;
}
}  // namespace

QUrl serviceWebHost() { return fromEnvironment("ZARO_SERVICE_URL", QUrl(DefaultServiceURL)); }
QUrl serviceImageHost() { return fromEnvironment("ZARO_IMAGE_SERVICE_URL", serviceWebHost()); }
QUrl serviceCacheHost() { return fromEnvironment("ZARO_CACHE_SERVICE_URL", serviceWebHost()); }

QString urlStringOnHost(const QUrl &host, const QString &pathAndQuery) {
  QString base = host.toString(QUrl::FullyEncoded);
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  if (!pathAndQuery.startsWith(QLatin1Char('/'))) base += QLatin1Char('/');
  return base + pathAndQuery;
}

QString webURLString(const QString &pathAndQuery) {
  return urlStringOnHost(serviceWebHost(), pathAndQuery);
}

}  // namespace ServiceHosts
