#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class UserDefaults;

// Reports the user's ratings of service videos to the service: one
// form-encoded POST per rating, sent at once; the answer is never read. A
// failed or refused report is dropped (the rating stays in the local library).
//
// The report: POST "/service/userRatings.xml?clientGUID=...&ZARO_GUIDE_AUTH=
// ...&version=..." on the service's web host, body "permalinkId=<permalink,
// form-encoded>&rating=<decimal>", "Content-Type:
// application/x-www-form-urlencoded".
class ZServerRatingManager : public QObject {
  Q_OBJECT

 public:
  // The process-wide manager, made on first use and never freed.
  static ZServerRatingManager &sharedRatingManager();

  // Without a manager it makes its own; without defaults it uses the
  // application's store.
  explicit ZServerRatingManager(QNetworkAccessManager *manager = nullptr,
                                UserDefaults *defaults = nullptr, QObject *parent = nullptr);
  ~ZServerRatingManager() override;

  // Sends one report. A video without a permalink (an imported file) has
  // nothing to report: nothing is sent.
  void sendRating(int rating, const QString &permalink);

  // Reports still on their way.
  qsizetype pendingReports() const { return fConnections.size(); }

  // The body of a report: "permalinkId=<permalink>&rating=<rating>".
  static QByteArray ratingBody(int rating, const QString &permalink);

 private:
  void connectionDidReceiveResponse(QNetworkReply *reply);
  void connectionDidFinish(QNetworkReply *reply);
  UserDefaults &defaults() const;

  QNetworkAccessManager *fManager;
  UserDefaults *fDefaults;
  // The reports on their way; each leaves the list when it ends.
  QList<QNetworkReply *> fConnections;
};
