#include "Logging.h"

#include <QNetworkReply>
#include <QSet>
#include <QUrl>

Q_LOGGING_CATEGORY(zaroCore, "zaro.core", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroLibrary, "zaro.library", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroService, "zaro.service", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroDownloads, "zaro.downloads", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroFeeds, "zaro.feeds", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroSkin, "zaro.skin", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroPlayback, "zaro.playback", QtWarningMsg)
Q_LOGGING_CATEGORY(zaroDesktop, "zaro.desktop", QtWarningMsg)

namespace Logging {

void warnOnce(const QLoggingCategory &category, const QString &key, const QString &message) {
  static QSet<QString> said;
  const QString id = QLatin1String(category.categoryName()) + QLatin1Char('/') + key;
  if (said.contains(id)) return;
  said.insert(id);
  qCWarning(category, "%s", qUtf8Printable(message));
}

QString address(const QUrl &url) {
  return url.toString(QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo);
}

QString replyFailure(const QNetworkReply &reply) {
  QString text = address(reply.url());
  const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (status.isValid()) text += QStringLiteral(": HTTP ") + QString::number(status.toInt());
  if (reply.error() != QNetworkReply::NoError) {
    // Qt's text may name the whole address, query and all.
    QString why = reply.errorString();
    for (const QUrl::FormattingOptions form : {QUrl::FormattingOptions(QUrl::PrettyDecoded),
                                               QUrl::FormattingOptions(QUrl::FullyEncoded)})
      why.replace(reply.url().toString(form), address(reply.url()));
    text += QStringLiteral(": ") + why;
  }
  return text;
}

}  // namespace Logging
