#include "ZUrlCommandHandler.h"

#include "Dialogs.h"
#include "Localization.h"
#include "Logging.h"
#include "StringExtensions.h"
#include "UserDefaults.h"

namespace {

bool isAsciiLetterOrDigit(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool isHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The characters a URL may hold as they are (RFC 3986): letters, digits,
// - . _ ~ and the delimiters ! $ & ' ( ) * + , ; = : @ / ?. Anything else
// (blanks, controls, non-ASCII, " < > [ \ ] ^ ` { | } and the fragment's #)
// makes no URL; "%" only begins an escape.
bool mayStandInUrl(char16_t c) {
  return isAsciiLetterOrDigit(c) || QStringView(u"-._~!$&'()*+,;=:@/?").contains(QChar(c));
}

bool isParameterName(QStringView name) {
  if (name.isEmpty()) return false;
  for (const QChar ch : name)
    if (!isAsciiLetterOrDigit(ch.unicode()) && ch != u'_') return false;
  return true;
}

// A form-encoded value that decodes to text: no control characters once its
// escapes are undone (the link itself holds none raw).
bool decodesToText(const QString &value) {
  for (const QChar ch : wwwFormURLDecoded(value)) {
    const char16_t c = ch.unicode();
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

// The values a command reads, checked before anything is carried out.
bool optionalPermalink(const QHash<QString, QString> &parameters, const QString &name) {
  const auto it = parameters.constFind(name);
  return it == parameters.cend() || it->isEmpty() || ZUrlCommandHandler::isPermalink(*it);
}

bool optionalText(const QHash<QString, QString> &parameters, const QString &name) {
  const auto it = parameters.constFind(name);
  return it == parameters.cend() || decodesToText(*it);
}

}  // namespace

ZUrlCommandHandler::ZUrlCommandHandler(Targets targets) : fTargets(std::move(targets)) {}

bool ZUrlCommandHandler::isPermalink(QStringView text) {
  return Utilities::isServicePermalink(text);
}

std::optional<QHash<QString, QString>> ZUrlCommandHandler::parseLink(const QString &urlString) {
  static const QLatin1String kScheme("zaro://");
  if (!urlString.startsWith(kScheme)) return std::nullopt;
  const qsizetype n = urlString.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = urlString.at(i).unicode();
    if (c == u'%') {
      if (i + 2 >= n || !isHexDigit(urlString.at(i + 1).unicode()) ||
          !isHexDigit(urlString.at(i + 2).unicode()))
        return std::nullopt;
    } else if (!mayStandInUrl(c)) {
      return std::nullopt;
    }
  }
  const qsizetype question = urlString.indexOf(QLatin1Char('?'));
  if (question < 0) return std::nullopt;
  for (const QChar ch : QStringView(urlString).mid(kScheme.size(), question - kScheme.size())) {
    const char16_t c = ch.unicode();
    if (!isAsciiLetterOrDigit(c) && c != u'.' && c != u'_' && c != u'~' && c != u'-' && c != u'/')
      return std::nullopt;
  }
  QHash<QString, QString> parameters;
  for (const QStringView pair : QStringView(urlString).mid(question + 1).split(u'&')) {
    const qsizetype equals = pair.indexOf(u'=');
    if (equals < 0) return std::nullopt;
    const QStringView name = pair.left(equals);
    if (!isParameterName(name)) return std::nullopt;
    const QString key = name.toString();
    if (parameters.contains(key)) return std::nullopt;
    parameters.insert(key, pair.mid(equals + 1).toString());
  }
  return parameters;
}

void ZUrlCommandHandler::processUrl(const QString &urlString) {
  const std::optional<QHash<QString, QString>> parsed = parseLink(urlString);
  if (!parsed) {
    qCInfo(zaroCore, "a zaro:// link that does not parse is ignored");
    return;
  }
  const QHash<QString, QString> &parameters = *parsed;
  // An absent parameter reads as a null string, a present empty one as "".
  const auto parameter = [&parameters](const char *name) {
    const auto it = parameters.constFind(QLatin1String(name));
    return it == parameters.cend() ? QString() : *it;
  };
  const QString command = parameter("command");
  if (command.isNull()) return;

  const bool setAuthorization = command == QLatin1String(SetAuthorizationCommand);
  const bool downloadOne = command == QLatin1String(DownloadVideoCommand);
  const bool downloadSeveral = command == QLatin1String(DownloadVideosCommand);
  const bool subscribe = command == QLatin1String(SubscribeCommand);
  const bool unsubscribe = command == QLatin1String(UnsubscribeCommand);
  if (!setAuthorization && !downloadOne && !downloadSeveral && !subscribe && !unsubscribe) return;

  // The token comes first, whatever becomes of the rest of the command: a
  // link that is carried out only in part still hands its token over. A token
  // that does not decode to text spoils the whole link.
  const QString token = parameter("ZARO_GUIDE_AUTH");
  if (!token.isNull()) {
    if (!decodesToText(token)) return;
    UserDefaults::standardUserDefaults().setString(wwwFormURLDecoded(token),
                                                   QStringLiteral("ZaroClientAuthorization"));
  }
  if (setAuthorization) return;

  // Every other value the command reads must be well-formed before any of it
  // is carried out.
  if (downloadOne) {
    if (!isPermalink(parameter("permalinkId")) ||
        !optionalPermalink(parameters, QStringLiteral("collectionPermalink")))
      return;
  } else if (downloadSeveral) {
    if (!optionalPermalink(parameters, QStringLiteral("collectionPermalink"))) return;
    for (const QStringView piece : QStringView(parameter("permalinkIds")).split(u','))
      if (!piece.isEmpty() && !isPermalink(piece)) return;
  } else if (subscribe || unsubscribe) {
    if (!optionalText(parameters, QStringLiteral("rssUrl"))) return;
  }

  if (downloadOne) {
    queueDownload(parameter("permalinkId"), parameter("collectionPermalink"));
  } else if (downloadSeveral) {
    const QString collection = parameter("collectionPermalink");
    const QString permalinks = parameter("permalinkIds");
    if (permalinks.isNull()) return;
    // An empty piece ("a,,b") names no video: it is skipped, not refused.
    for (const QString &permalink : permalinks.split(QLatin1Char(','), Qt::SkipEmptyParts))
      queueDownload(permalink, collection);
  } else {
    const QString rss = parameter("rssUrl");
    const QString feedUrl = rss.isNull() ? QString() : wwwFormURLDecoded(rss);
    if (subscribe && fTargets.subscribe) fTargets.subscribe(feedUrl);
    if (unsubscribe && fTargets.unsubscribe) fTargets.unsubscribe(feedUrl);
  }
}

void ZUrlCommandHandler::queueDownload(const QString &permalink,
                                       const QString &collectionPermalink) {
  if (!fTargets.downloadVideo) return;
  if (fTargets.downloadVideo(permalink, collectionPermalink)) return;
  Dialogs::shared().showAlert(
      localized(QStringLiteral("downloadErrorAlreadyDownloadingVideo")),
      localized(QStringLiteral("downloadErrorAlreadyDownloadingVideoAlertTitle")));
}
