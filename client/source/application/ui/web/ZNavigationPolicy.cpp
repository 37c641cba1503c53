#include "ZNavigationPolicy.h"

#include "StringExtensions.h"

#include <QUrl>

namespace ZNavigationPolicy {

namespace {

// A feed address as the page wrote it, decoded; null when it is not one.
QString feedAddress(const QString &rssParameter) {
  if (rssParameter.isEmpty()) return QString();
  const QString address = QUrl::fromPercentEncoding(rssParameter.toUtf8());
  for (const QChar ch : address) {
    const char16_t c = ch.unicode();
    if (c < 0x20 || c == 0x7F) return QString();
  }
  return address.isEmpty() ? QString() : address;
}

}  // namespace

Decision decidePolicyForNavigation(const QString &url, const Targets &targets) {
  const QString command = Utilities::parameter(QStringLiteral("command"), url);
  if (command.isNull()) return Decision::Use;

  if (command == QLatin1String(DownloadVideoCommand)) {
    const QString permalink = Utilities::parameter(QStringLiteral("permalinkId"), url);
    if (!Utilities::isServicePermalink(permalink) || !targets.downloadVideo)
      return Decision::Ignore;
    if (!targets.downloadVideo(permalink) && targets.downloadRefused) targets.downloadRefused();
    return Decision::Ignore;
  }
  if (command == QLatin1String(SubscribeCommand)) {
    const QString address = feedAddress(Utilities::parameter(QStringLiteral("rssUrl"), url));
    if (!address.isNull() && targets.subscribe) targets.subscribe(address);
    return Decision::Ignore;
  }
  if (url.startsWith(QLatin1String("zaro://")) && targets.otherLink) targets.otherLink(url);
  return Decision::Ignore;
}

}  // namespace ZNavigationPolicy
