#include "ZNavigationPolicy.h"

#include "ServiceHosts.h"
#include "StringExtensions.h"

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

Verdict refuse(const char *reason) { return {Action::Refuse, QString(), QLatin1String(reason)}; }

bool isWebScheme(const QUrl &url) {
  const QString scheme = url.scheme().toLower();
  return scheme == u"http" || scheme == u"https";
}

// A navigation the user asked for with a click on a link (one that opens a
// new window included).
bool isUsersLink(const Navigation &navigation) {
  return navigation.userActed && (navigation.type == NavigationType::LinkClicked ||
                                  navigation.type == NavigationType::NewWindow);
}

Verdict decideCommand(const Navigation &navigation, const QString &command,
                      const QUrl &serviceWebHost) {
  if (!navigation.mainFrame) return refuse("a command from a frame");
  if (!ServiceHosts::isOnHost(navigation.page, serviceWebHost))
    return refuse("a command from a page of another host");
  if (!isUsersLink(navigation)) return refuse("a command the user did not click");

  if (command == QLatin1String(DownloadVideoCommand)) {
    const QString permalink = Utilities::parameter(QStringLiteral("permalinkId"), navigation.url);
    if (!Utilities::isServicePermalink(permalink))
      return refuse("a download without a permalink of the service's form");
    return {Action::Download, permalink, QString()};
  }
  if (command == QLatin1String(SubscribeCommand)) {
    const QString address =
        feedAddress(Utilities::parameter(QStringLiteral("rssUrl"), navigation.url));
    if (address.isNull()) return refuse("a subscription without a feed address");
    return {Action::Subscribe, address, QString()};
  }
  return refuse("a command the guide does not carry out");
}

}  // namespace

Verdict decide(const Navigation &navigation, const QUrl &serviceWebHost) {
  const QUrl url(navigation.url);
  const QString command = Utilities::parameter(QStringLiteral("command"), navigation.url);
  if (!command.isNull()) return decideCommand(navigation, command, serviceWebHost);
  if (url.scheme().compare(QLatin1String("zaro"), Qt::CaseInsensitive) == 0)
    return refuse("a command link without a command");

  if (navigation.url == QLatin1String("about:blank")) return {Action::Load, {}, {}};
  if (!isWebScheme(url) || url.host().isEmpty()) return refuse("an address that is no web page");
  if (!navigation.mainFrame && navigation.type != NavigationType::NewWindow)
    return {Action::Load, {}, {}};

  switch (navigation.type) {
    case NavigationType::Typed:
    case NavigationType::Reload:
    case NavigationType::BackForward:
      // The player's own loads, and places this page has been.
      return {Action::Load, {}, {}};
    default:
      break;
  }
  if (ServiceHosts::isOnHost(url, serviceWebHost)) {
    if (navigation.type == NavigationType::NewWindow && !navigation.userActed)
      return refuse("a window the user did not ask for");
    return {Action::Load, {}, {}};
  }
  if (isUsersLink(navigation)) return {Action::OpenInBrowser, url.toString(QUrl::FullyEncoded), {}};
  return refuse("another host's page the user did not ask for");
}

}  // namespace ZNavigationPolicy
