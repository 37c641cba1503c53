#include "ServiceHosts.h"

namespace ServiceHosts {

namespace {
QUrl fromEnvironment(const char *name, const QUrl &fallback) {
  const QString value = QString::fromLocal8Bit(qgetenv(name)).trimmed();
  if (value.isEmpty()) return fallback;
  const QUrl url(value);
  return url.isValid() && !url.scheme().isEmpty() ? url : fallback;
}
int effectivePort(const QUrl &url) {
  const QString scheme = url.scheme().toLower();
  return url.port(scheme == u"https" ? 443 : scheme == u"http" ? 80 : -1);
}

}  // namespace

bool isOnHost(const QUrl &url, const QUrl &host) {
  if (!url.isValid() || url.host().isEmpty()) return false;
  return url.scheme().compare(host.scheme(), Qt::CaseInsensitive) == 0 &&
         url.host().compare(host.host(), Qt::CaseInsensitive) == 0 &&
         effectivePort(url) == effectivePort(host);
}

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

bool isServiceAddress(const QUrl &url) {
  return isOnHost(url, serviceWebHost()) || isOnHost(url, serviceImageHost()) ||
         isOnHost(url, serviceCacheHost());
}

bool isServiceWebAddress(const QUrl &url) { return isOnHost(url, serviceWebHost()); }

}  // namespace ServiceHosts
