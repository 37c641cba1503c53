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

namespace {
// Whether the key was met before in the category, for the given kind of
// message; notes it as met.
bool saidBefore(const QLoggingCategory &category, char kind, const QString &key) {
  static QSet<QString> said;
  const QString id =
      QLatin1String(category.categoryName()) + QLatin1Char('/') + QLatin1Char(kind) + key;
  if (said.contains(id)) return true;
  said.insert(id);
  return false;
}
}  // namespace

void warnOnce(const QLoggingCategory &category, const QString &key, const QString &message) {
  if (saidBefore(category, 'w', key)) return;
  qCWarning(category, "%s", qUtf8Printable(message));
}

void infoOnce(const QLoggingCategory &category, const QString &key, const QString &message) {
  if (saidBefore(category, 'i', key)) return;
  qCInfo(category, "%s", qUtf8Printable(message));
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
