#include "ZUrlCommandHandler.h"

#include "Dialogs.h"
#include "Localization.h"
#include "StringExtensions.h"
#include "UserDefaults.h"

ZUrlCommandHandler::ZUrlCommandHandler(Targets targets) : fTargets(std::move(targets)) {}

void ZUrlCommandHandler::processUrl(const QString &urlString) {
  if (!urlString.startsWith(QLatin1String("zaro://"))) return;
  const QString command = Utilities::parameter(QStringLiteral("command"), urlString);
  if (command.isNull()) return;

  const bool setAuthorization = command == QLatin1String(SetAuthorizationCommand);
  const bool downloadOne = command == QLatin1String(DownloadVideoCommand);
  const bool downloadSeveral = command == QLatin1String(DownloadVideosCommand);
  const bool subscribe = command == QLatin1String(SubscribeCommand);
  const bool unsubscribe = command == QLatin1String(UnsubscribeCommand);
  if (!setAuthorization && !downloadOne && !downloadSeveral && !subscribe && !unsubscribe) return;

  // Every command first takes the authorisation token it carries.
  const QString token = Utilities::parameter(QStringLiteral("ZARO_GUIDE_AUTH"), urlString);
  if (!token.isNull()) {
    UserDefaults::standardUserDefaults().setString(wwwFormURLDecoded(token),
                                                   QStringLiteral("ZaroClientAuthorization"));
  }
  if (setAuthorization) return;

  if (downloadOne) {
    const QString permalink = Utilities::parameter(QStringLiteral("permalinkId"), urlString);
    if (permalink.isNull()) return;
    queueDownload(permalink,
                  Utilities::parameter(QStringLiteral("collectionPermalink"), urlString));
  } else if (downloadSeveral) {
    const QString collection =
        Utilities::parameter(QStringLiteral("collectionPermalink"), urlString);
    const QString permalinks = Utilities::parameter(QStringLiteral("permalinkIds"), urlString);
    if (permalinks.isNull()) return;
    for (const QString &permalink : permalinks.split(QLatin1Char(',')))
      queueDownload(permalink, collection);
  } else {
    const QString rss = Utilities::parameter(QStringLiteral("rssUrl"), urlString);
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
