// ZSubscriptionManager: keeps the subscribed feeds up to date and downloads
// their new videos.
//
// A check pass fetches the subscribed feeds strictly one after another, reads
// each document of the service's RSS dialect and stores the feed with its new
// items in the library. When the pass ends, the newest new items of every
// feed, up to "DownloadVideoCount" per feed (0: all), go to the download queue
// as feed-item downloads; older new items are marked cancelled, and an item
// whose video the library already holds is marked downloaded. The manager also
// subscribes and unsubscribes (from the URL commands and the library), marks a
// feed item downloaded when its download finishes, and carries out, once, the
// retrieval of the subscriptions of the previous client generation.
//
// Everything runs on the main thread: the fetches and the upgrade request are
// asynchronous replies, the upgrade retry a QTimer.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class UserDefaults;
class VideoDatabase;
class ZDownloadDataSource;
struct Notification;

// What the manager works with. Anything left out is the application's own: a
// network manager of the manager's, the standard user defaults, the library
// database and the download queue.
struct ZSubscriptionManagerParts {
  QNetworkAccessManager *network = nullptr;
  UserDefaults *defaults = nullptr;
  VideoDatabase *database = nullptr;
  ZDownloadDataSource *downloads = nullptr;
  int upgradeRetryIntervalMs = 60000;  // the subscription-upgrade retry timer
};

class ZSubscriptionManager : public QObject {
  Q_OBJECT

 public:
  using Parts = ZSubscriptionManagerParts;

  // The largest feed document that is read; a larger answer (announced or
  // received) is skipped for the pass like a failed fetch.
  static constexpr qint64 kMaxFeedBodyBytes = 32 * 1024 * 1024;
  // The largest answer to the subscription upgrade that is read; a larger one
  // fails the attempt.
  static constexpr qint64 kMaxUpgradeBodyBytes = 16 * 1024 * 1024;

  // The process-wide manager, made on first use and never freed.
  static ZSubscriptionManager &sharedSubscriptionManager();

  // The URL a subscribed feed is fetched from. A feed on one of the service's
  // hosts gets the user's authorisation token: the stored address followed by
  // "&ZARO_GUIDE_AUTH=" and the form-encoded token ("(null)" for a null one),
  // the ampersand whether or not the address has a query. Any other feed is
  // fetched from the stored address unchanged: the token is for the service
  // alone, and anyone's page can subscribe the user to a feed on its own
  // host. The judgement is made on the URL as it would be sent, so text that
  // would move the token into a host name or a port sends no token either.
  static QUrl feedRequestUrl(const QString &address, const QString &token);

  // Observes "VideoDownloadFinished" from any sender from now on.
  explicit ZSubscriptionManager(Parts parts = {}, QObject *parent = nullptr);
  ~ZSubscriptionManager() override;

  // Subscribes to the feed at url (stored with the name and source when it
  // is new) and fetches it: at once in a pass of its own when no pass runs,
  // else at the end of the running pass. A feed already subscribed is
  // fetched again too.
  void addFeedWithName(const QString &name, const QString &url, int source);

  // Unsubscribes: the feed and its items leave the library. A running pass
  // fetches it no more (a fetch of it under way is cancelled) and never
  // stores it again.
  void removeFeedWithUrl(const QString &url);

  // Starts a check pass over every subscribed feed; while a pass runs, they
  // are appended to it (and fetched once more in that pass).
  void timedFeedItemDownloading();

  // Records the retrieval of the previous generation's subscriptions (from
  // "MigrationVersion2Guid" and "MigrationVersion2UserName") as a server
  // command and starts the retry timer, whose every tick makes one attempt.
  // Nothing when either setting is missing.
  void addServerCommandToRetrieveVersion2Subscriptions();

  // One attempt of the subscription upgrade: asks the service for the old
  // subscriptions and subscribes to each. An attempt that fails on the way
  // (no answer, a broken transfer, an HTTP status other than 2xx) is repeated
  // at the next tick; one that completes, whatever the document holds, ends
  // the upgrade: the command row goes and the timer stops. Nothing while an
  // attempt runs or before the service's authorisation token has arrived.
  void upgradeSubscriptionsFromVersion2();

  // ---- State, for the application and tests ------------------------------

  // Whether a check pass runs.
  bool isCheckingFeeds() const { return fFeedList.has_value(); }
  // The addresses of the running pass (empty when none runs) and the index
  // of the next one to fetch (-1 when none runs).
  QStringList feedList() const { return fFeedList.value_or(QStringList()); }
  int feedIndex() const { return fFeedIndex; }
  // The address being fetched; empty when no fetch runs.
  QString feedDownloadingUrlString() const {
    return fFeedDownloadingConnection ? fFeedDownloadingUrlString : QString();
  }
  bool isUpgradingSubscriptions() const { return fSubscriptionUpgradingConnection != nullptr; }
  bool upgradeTimerRunning() const { return fVersion2UpgradeTimer != nullptr; }
  int upgradeCommandId() const { return fVersion2SubscriptionUpgradingCommandId; }

 private:
  UserDefaults &defaults() const;
  VideoDatabase &database() const;
  ZDownloadDataSource &downloads();

  // The check pass.
  void startPass(const QStringList &addresses);
  void downloadNextFeed();
  bool startFeedFetch(const QString &address);
  void feedConnectionDidReceiveResponse(QNetworkReply *reply);
  void feedConnectionDidReceiveData(QNetworkReply *reply);
  void feedConnectionDidFinish(QNetworkReply *reply);
  void readFeed(const QString &address, const QByteArray &body);
  void dropFeedConnection();
  void cancelFeedFetchAndGoOn();
  void downloadNewFeedItems();

  // Feed-item downloads.
  void videoDownloadFinished(const Notification &notification);

  // The subscription upgrade.
  void upgradeConnectionDidReceiveData(QNetworkReply *reply);
  void upgradeConnectionDidFinish(QNetworkReply *reply);
  void subscribeFromUpgradeResponse(const QByteArray &body);
  void dropUpgradeConnection();

  Parts fParts;
  QNetworkAccessManager *fNetwork;
  bool fCancellationInstalled = false;

  std::optional<QStringList> fFeedList;  // none while no pass runs
  int fFeedIndex = -1;
  QString fFeedDownloadingUrlString;
  QNetworkReply *fFeedDownloadingConnection = nullptr;
  QByteArray fCurrentConnectionData;

  QNetworkReply *fSubscriptionUpgradingConnection = nullptr;
  QByteArray fSubscriptionUpgradingConnectionData;
  QTimer *fVersion2UpgradeTimer = nullptr;
  int fVersion2SubscriptionUpgradingCommandId = -1;
};
