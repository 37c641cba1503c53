#pragma once

#include <QString>
#include <QUrl>

// The video service's hosts, named by role. Each is a base URL (scheme, host,
// port). The built-in default is the reference service on this machine;
// ZARO_SERVICE_URL replaces all three, ZARO_IMAGE_SERVICE_URL and
// ZARO_CACHE_SERVICE_URL then replace the image and cache hosts.
namespace ServiceHosts {

inline constexpr const char *DefaultServiceURL = "http://127.0.0.1:8642";

QUrl serviceWebHost();
QUrl serviceImageHost();
QUrl serviceCacheHost();

// The text of base + path, where path begins with "/" and may carry a query
// ("/service/getMediaInfo.xml?clientGUID=..."); the base's own path, if any, is
// kept in front.
QString urlStringOnHost(const QUrl &host, const QString &pathAndQuery);
QString webURLString(const QString &pathAndQuery);

// Whether url is on host: the same scheme, host (letter case aside) and port
// (the scheme's own when none is written).
bool isOnHost(const QUrl &url, const QUrl &host);

// Whether url is on one of the service's hosts: the web, image or cache
// host (isOnHost). Only these hear the user's authorisation
// token, and only from these does the player take files and commands.
bool isServiceAddress(const QUrl &url);
// The same for the web host alone, which serves the guide's pages.
bool isServiceWebAddress(const QUrl &url);

}  // namespace ServiceHosts
