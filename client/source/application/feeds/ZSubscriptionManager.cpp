#include "ZSubscriptionManager.h"

#include "ClientIdentity.h"
#include "FeedDatabase.h"
#include "Logging.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "ServiceHosts.h"
#include "ServiceRequest.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadItem.h"
#include "ZFeedObject.h"
#include "ZXMLParser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const QString kAuthorizationKey = QStringLiteral("ZaroClientAuthorization");
const QString kDownloadVideoCountKey = QStringLiteral("DownloadVideoCount");
const QString kMigrationGuidKey = QStringLiteral("MigrationVersion2Guid");
const QString kMigrationUserNameKey = QStringLiteral("MigrationVersion2UserName");

int intFromText(const QString &text) {
  return int(std::clamp<qint64>(integerNumber(text).value_or(0), std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

int httpStatus(const QNetworkReply &reply) {
  const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
  return status.isValid() ? status.toInt() : 0;
}

// Stops a reply we no longer listen to and frees it once control is back in
// the event loop: Qt does not take an abort from inside the reply's own
// signals well, and a cancel may come from there.
void discard(QNetworkReply *reply, QObject *listener) {
  reply->disconnect(listener);
  QMetaObject::invokeMethod(
      reply,
      [reply] {
        reply->abort();
        reply->deleteLater();
      },
      Qt::QueuedConnection);
}

// GET, 5 seconds, the user agent; compressed answers are asked for in gzip
// only and inflated here (completeBody), not by the network layer, which
// would hide a transfer cut short behind a seemingly complete answer.
ServiceRequest::Recipe fetchRecipe(const QUrl &url) {
  ServiceRequest::Recipe recipe = ServiceRequest::feedFetch(url);
  recipe.request.setRawHeader("Accept-Encoding", "gzip");
  return recipe;
}

// The body of a finished answer as the service meant it: nothing when fewer
// (or more) bytes came than announced, when the compressed data is damaged,
// or when it holds more than maxBytes.
std::optional<QByteArray> completeBody(const QNetworkReply &reply, const QByteArray &received,
                                       qint64 maxBytes) {
  const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
  if (length.isValid() && length.toLongLong() != received.size()) return std::nullopt;
  return ServiceRequest::decodedBody(received, reply.rawHeader("Content-Encoding"), maxBytes);
}

// Only web addresses are fetched: anything else (no scheme, another scheme,
// no host, text that does not parse) makes no request.
bool isFetchableUrl(const QUrl &url) {
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// One line for a feed that could not be had in this pass.
void feedFailed(const QString &address, const QString &why) {
  qCWarning(zaroFeeds).noquote() << "feed" << Logging::address(QUrl(address)) << "skipped:" << why;
}

// The feed item a download was made for, if it was made for one.
ZFeedItemRef feedItemOf(const QVariant &representedObject) {
  if (representedObject.metaType() != QMetaType::fromType<ZFeedItemRef>()) return nullptr;
  return representedObject.value<ZFeedItemRef>();
}

}  // namespace

ZSubscriptionManager &ZSubscriptionManager::sharedSubscriptionManager() {
  static ZSubscriptionManager *manager = new ZSubscriptionManager();
  return *manager;
}

ZSubscriptionManager::ZSubscriptionManager(Parts parts, QObject *parent)
    : QObject(parent),
      fParts(parts),
      fNetwork(parts.network ? parts.network : new QNetworkAccessManager(this)) {
  NotificationCenter::defaultCenter().addObserver(
      this, DownloadNotification::Finished,
      [this](const Notification &notification) { videoDownloadFinished(notification); });
}

ZSubscriptionManager::~ZSubscriptionManager() {
  NotificationCenter::defaultCenter().removeObserver(this);
  for (QNetworkReply *reply : {fFeedDownloadingConnection, fSubscriptionUpgradingConnection}) {
    if (!reply) continue;
    reply->disconnect(this);
    reply->abort();
    delete reply;
  }
}

UserDefaults &ZSubscriptionManager::defaults() const {
  return fParts.defaults ? *fParts.defaults : UserDefaults::standardUserDefaults();
}

VideoDatabase &ZSubscriptionManager::database() const {
  return fParts.database ? *fParts.database : VideoDatabase::defaultVideoDatabase();
}

ZDownloadDataSource &ZSubscriptionManager::downloads() {
  ZDownloadDataSource &queue =
      fParts.downloads ? *fParts.downloads : ZDownloadDataSource::sharedDownloadDataSource();
  if (!fCancellationInstalled) {
    // A feed item whose download the user cancels is not offered again.
    queue.setRepresentedObjectCancellation(
        [](const QVariant &representedObject, VideoDatabase &library) {
          if (const ZFeedItemRef item = feedItemOf(representedObject))
            markFeedItemAsCancelled(library, *item);
        });
    // The job keeps the feed item's id, so that a restart does not lose it.
    queue.setRepresentedFeedItemId([](const QVariant &representedObject) {
      const ZFeedItemRef item = feedItemOf(representedObject);
      return item ? item->id() : 0;
    });
    fCancellationInstalled = true;
  }
  return queue;
}

// ---- Subscribing ------------------------------------------------------------------

void ZSubscriptionManager::addFeedWithName(const QString &name, const QString &url, int source) {
  // An empty address names no feed; it would only leave an empty row behind.
  if (url.trimmed().isEmpty()) return;
  VideoDatabase &library = database();
  if (!getFeedWithUrl(library, url)) {
    library.addFeedWithName(name, url, source);
    if (!getFeedWithUrl(library, url)) return;
  }
  if (fFeedList)
    fFeedList->append(url);
  else
    startPass({url});
}

void ZSubscriptionManager::removeFeedWithUrl(const QString &url) {
  database().removeFeedWithUrl(url);
  if (!fFeedList) return;

  // Every place the address holds in the pass goes, not only the first: a
  // later one would fetch the feed again and store it as a new subscription.
  bool cancelled = false;
  for (int i = 0; i < fFeedList->size();) {
    if (fFeedList->at(i) != url) {
      ++i;
      continue;
    }
    if (fFeedDownloadingConnection && i == fFeedIndex - 1) {
      dropFeedConnection();
      cancelled = true;
    }
    if (i < fFeedIndex) --fFeedIndex;
    fFeedList->removeAt(i);
  }
  if (cancelled) downloadNextFeed();
}

// ---- The check pass ---------------------------------------------------------------

void ZSubscriptionManager::timedFeedItemDownloading() {
  const QStringList addresses = database().getListOfFeedUrls();
  if (addresses.isEmpty()) return;
  if (fFeedList)
    fFeedList->append(addresses);
  else
    startPass(addresses);
}

void ZSubscriptionManager::startPass(const QStringList &addresses) {
  fFeedList = addresses;
  fFeedIndex = 0;
  downloadNextFeed();
}

void ZSubscriptionManager::downloadNextFeed() {
  if (fFeedDownloadingConnection || !fFeedList) return;
  while (fFeedIndex >= 0 && fFeedIndex < fFeedList->size()) {
    const QString address = fFeedList->at(fFeedIndex);
    ++fFeedIndex;
    // An address that makes no request is skipped like a failed fetch.
    if (startFeedFetch(address)) return;
  }
  fFeedList.reset();
  fFeedIndex = -1;
  downloadNewFeedItems();
}

QUrl ZSubscriptionManager::feedRequestUrl(const QString &address, const QString &token) {
  // The token goes after an ampersand whether or not the address has a query;
  // the service ignores what it does not know.
  const QUrl withToken(address + QStringLiteral("&ZARO_GUIDE_AUTH=") + Utilities::queryValue(token));
  if (ServiceHosts::isServiceAddress(QUrl(address)) && ServiceHosts::isServiceAddress(withToken))
    return withToken;
  return QUrl(address);
}

bool ZSubscriptionManager::startFeedFetch(const QString &address) {
  const QUrl url = feedRequestUrl(address, defaults().stringForKey(kAuthorizationKey));
  if (!isFetchableUrl(url)) {
    feedFailed(address, QStringLiteral("not a web address"));
    return false;
  }
  if (!ServiceHosts::isServiceAddress(url))
    Logging::infoOnce(zaroFeeds(), QStringLiteral("foreign feed ") + address,
                      QStringLiteral("feed %1 is not on the service's hosts: fetched without the "
                                     "authorisation token")
                          .arg(Logging::address(url)));
  QNetworkReply *reply = ServiceRequest::send(*fNetwork, fetchRecipe(url), kMaxFeedBodyBytes);
  if (!reply) return false;

  fFeedDownloadingUrlString = address;
  fFeedDownloadingConnection = reply;
  fCurrentConnectionData = QByteArray();
  connect(reply, &QNetworkReply::metaDataChanged, this,
          [this, reply] { feedConnectionDidReceiveResponse(reply); });
  connect(reply, &QNetworkReply::readyRead, this,
          [this, reply] { feedConnectionDidReceiveData(reply); });
  connect(reply, &QNetworkReply::finished, this, [this, reply] { feedConnectionDidFinish(reply); });
  return true;
}

void ZSubscriptionManager::feedConnectionDidReceiveResponse(QNetworkReply *reply) {
  if (reply != fFeedDownloadingConnection) return;
  const int status = httpStatus(*reply);
  // A redirection is followed by the network layer; its end is judged again.
  if (status == 0 || status == 200 || status == 206 || (status >= 300 && status < 400)) return;
  feedFailed(fFeedDownloadingUrlString, Logging::replyFailure(*reply));
  cancelFeedFetchAndGoOn();
}

void ZSubscriptionManager::feedConnectionDidReceiveData(QNetworkReply *reply) {
  if (reply != fFeedDownloadingConnection) return;
  fCurrentConnectionData += reply->readAll();
  // Counted as it arrives, so an answer that announces no length is bounded
  // too (the inflated size is bounded when the body is decoded).
  if (fCurrentConnectionData.size() > kMaxFeedBodyBytes) {
    feedFailed(fFeedDownloadingUrlString,
               QStringLiteral("the answer passes %1 bytes").arg(kMaxFeedBodyBytes));
    cancelFeedFetchAndGoOn();
  }
}

void ZSubscriptionManager::feedConnectionDidFinish(QNetworkReply *reply) {
  if (reply != fFeedDownloadingConnection) return;
  const int status = httpStatus(*reply);
  std::optional<QByteArray> body;
  if (reply->error() == QNetworkReply::NoError && (status == 200 || status == 206)) {
    fCurrentConnectionData += reply->readAll();
    body = completeBody(*reply, fCurrentConnectionData, kMaxFeedBodyBytes);
    if (!body)
      feedFailed(fFeedDownloadingUrlString,
                 QStringLiteral("the answer is cut short, damaged or larger than %1 bytes")
                     .arg(kMaxFeedBodyBytes));
  } else {
    feedFailed(fFeedDownloadingUrlString, Logging::replyFailure(*reply));
  }
  const QString address = fFeedDownloadingUrlString;
  dropFeedConnection();
  if (body) readFeed(address, *body);
  downloadNextFeed();
}

void ZSubscriptionManager::readFeed(const QString &address, const QByteArray &body) {
  if (body.isEmpty()) return;
  // The document's bytes, in the encoding it declares (UTF-8 by default).
  QString whyNot;
  const std::unique_ptr<ZFeedObject> feed = ZFeedObject::createFromXML(body, &whyNot);
  if (!feed) {
    feedFailed(address, whyNot);
    return;
  }
  if (feed->title().isEmpty()) feed->setTitle(address);
  VideoDatabase &library = database();
  // Saving inserts a missing Feeds row: a feed unsubscribed meanwhile must not
  // come back that way.
  if (!getFeedWithUrl(library, address)) return;
  saveFeed(library, *feed, address);
}

void ZSubscriptionManager::dropFeedConnection() {
  QNetworkReply *reply = std::exchange(fFeedDownloadingConnection, nullptr);
  fCurrentConnectionData = QByteArray();
  if (reply) discard(reply, this);
}

void ZSubscriptionManager::cancelFeedFetchAndGoOn() {
  dropFeedConnection();
  downloadNextFeed();
}

void ZSubscriptionManager::downloadNewFeedItems() {
  // 0 means no limit; a negative count, which the settings never offer, too.
  const qint64 limit = std::max<qint64>(0, defaults().integerForKey(kDownloadVideoCountKey));
  VideoDatabase &library = database();
  ZDownloadDataSource &queue = downloads();

  const SqlRows feeds = library.getListOfFeeds();
  for (const SqlRow &feed : feeds) {
    const int feedId = intFromText(feed.value(QStringLiteral("id")));
    const QString channelPermalink = feed.value(QStringLiteral("Permalink"));
    const QList<ZFeedItemRef> items = getNewFeedItemsForFeedId(library, feedId);
    const qsizetype take = (limit == 0 || limit >= items.size()) ? items.size() : qsizetype(limit);

    for (qsizetype i = 0; i < take; ++i) {
      const ZFeedItemRef &item = items.at(i);
      const QString permalink = item->videoPermalink();
      // Without a permalink there is nothing to download; an item already
      // queued stays new and is looked at again by the next pass.
      if (permalink.isEmpty() || queue.videoIsBeingDownloaded(permalink)) continue;
      const int videoId = library.videoIdWithPermalink(permalink);
      if (videoId >= 1) {
        item->setVideoId(videoId);
        markFeedItemAsDownloaded(library, *item);
      } else {
        queue.downloadVideo(permalink, channelPermalink, DownloadTypeFeedItem,
                            QVariant::fromValue(item));
      }
    }

    if (take < items.size()) {
      // The older items are many after a first reading of a long feed: one
      // transaction instead of one commit each.
      const bool batched = library.executeSQL(QStringLiteral("BEGIN IMMEDIATE;")).has_value();
      for (qsizetype i = take; i < items.size(); ++i)
        markFeedItemAsCancelled(library, *items.at(i));
      if (batched) library.executeSQL(QStringLiteral("COMMIT;"));
    }
  }
}

// ---- Feed-item downloads ----------------------------------------------------------

void ZSubscriptionManager::videoDownloadFinished(const Notification &notification) {
  const ZDownloadItem *download = notification.object.value<ZDownloadItem *>();
  if (!download || download->type() != DownloadTypeFeedItem) return;
  const ZFeedItemRef item = feedItemOf(download->representedObject());
  if (!item) return;
  // The application has added the video to the library just before.
  item->setVideoId(download->videoId());
  markFeedItemAsDownloaded(database(), *item);
}

// ---- The subscription upgrade -----------------------------------------------------

void ZSubscriptionManager::addServerCommandToRetrieveVersion2Subscriptions() {
  const QString guid = defaults().stringForKey(kMigrationGuidKey);
  const QString userName = defaults().stringForKey(kMigrationUserNameKey);
  if (guid.isEmpty() || userName.isEmpty()) return;
  const int commandId = database().addServerCommand(
      ServerCommandRetrieveVersion2Subscriptions,
      PropertyList::writeStrings({{kMigrationGuidKey, guid}, {kMigrationUserNameKey, userName}}));
  if (commandId == -1) return;
  fVersion2SubscriptionUpgradingCommandId = commandId;
  if (!fVersion2UpgradeTimer) {
    fVersion2UpgradeTimer = new QTimer(this);
    fVersion2UpgradeTimer->setInterval(fParts.upgradeRetryIntervalMs);
    connect(fVersion2UpgradeTimer, &QTimer::timeout, this,
            &ZSubscriptionManager::upgradeSubscriptionsFromVersion2);
  }
  fVersion2UpgradeTimer->start();
}

void ZSubscriptionManager::upgradeSubscriptionsFromVersion2() {
  if (fSubscriptionUpgradingConnection) return;
  // The service knows the user only once a "zaro://" command brought a token.
  const QString token = defaults().stringForKey(kAuthorizationKey);
  if (token.isEmpty()) return;

  const SqlRows commands =
      database().getServerCommandsOfType(ServerCommandRetrieveVersion2Subscriptions);
  if (commands.isEmpty()) return;
  const SqlRow &command = commands.first();
  fVersion2SubscriptionUpgradingCommandId = intFromText(command.value(QStringLiteral("id")));
  const auto params = PropertyList::readStrings(command.value(QStringLiteral("XMLParams")));
  if (!params) return;
  const QString oldGuid = params->value(kMigrationGuidKey);
  const QString userName = params->value(kMigrationUserNameKey);
  if (oldGuid.isEmpty() || userName.isEmpty()) return;

  const QString url = ServiceHosts::webURLString(
      QStringLiteral("/service/upgradeSubscriptions.xml?username=") +
      Utilities::queryValue(userName) + QStringLiteral("&oldClientGUID=") +
      Utilities::queryValue(oldGuid) + QStringLiteral("&clientGUID=") +
      Utilities::queryValue(Utilities::getMyPeerID(defaults())) + QStringLiteral("&version=") +
      Utilities::queryValue(Utilities::applicationVersion()) + QStringLiteral("&ZARO_GUIDE_AUTH=") +
      Utilities::queryValue(token));
  // The recipe of a feed fetch.
  QNetworkReply *reply =
      ServiceRequest::send(*fNetwork, fetchRecipe(QUrl(url)), kMaxUpgradeBodyBytes);
  if (!reply) return;
  fSubscriptionUpgradingConnection = reply;
  fSubscriptionUpgradingConnectionData = QByteArray();
  connect(reply, &QNetworkReply::readyRead, this,
          [this, reply] { upgradeConnectionDidReceiveData(reply); });
  connect(reply, &QNetworkReply::finished, this,
          [this, reply] { upgradeConnectionDidFinish(reply); });
}

void ZSubscriptionManager::upgradeConnectionDidReceiveData(QNetworkReply *reply) {
  if (reply != fSubscriptionUpgradingConnection) return;
  fSubscriptionUpgradingConnectionData += reply->readAll();
  if (fSubscriptionUpgradingConnectionData.size() > kMaxUpgradeBodyBytes) {
    qCWarning(zaroFeeds, "subscription upgrade: the answer passes %lld bytes; tried again later",
              qlonglong(kMaxUpgradeBodyBytes));
    // Failed like a broken connection: the next tick tries again.
    dropUpgradeConnection();
    fVersion2SubscriptionUpgradingCommandId = -1;
  }
}

void ZSubscriptionManager::upgradeConnectionDidFinish(QNetworkReply *reply) {
  if (reply != fSubscriptionUpgradingConnection) return;
  const int status = httpStatus(*reply);
  // Only a whole answer of the service ends the upgrade. A broken transfer,
  // and an error status (the service could not carry the request out), leave
  // the command for the next tick: dropping it would lose the old
  // subscriptions for good.
  std::optional<QByteArray> body;
  if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
    fSubscriptionUpgradingConnectionData += reply->readAll();
    body = completeBody(*reply, fSubscriptionUpgradingConnectionData, kMaxUpgradeBodyBytes);
  }
  if (!body)
    qCWarning(zaroFeeds).noquote()
        << "subscription upgrade failed, tried again later:" << Logging::replyFailure(*reply);
  dropUpgradeConnection();
  if (!body) {
    fVersion2SubscriptionUpgradingCommandId = -1;
    return;
  }

  // Whatever the document holds, the upgrade is over.
  subscribeFromUpgradeResponse(*body);
  if (QTimer *timer = std::exchange(fVersion2UpgradeTimer, nullptr)) {
    timer->stop();
    timer->deleteLater();
  }
  database().deleteServerCommand(fVersion2SubscriptionUpgradingCommandId);
  fVersion2SubscriptionUpgradingCommandId = -1;
}

void ZSubscriptionManager::subscribeFromUpgradeResponse(const QByteArray &body) {
  if (body.isEmpty()) return;
  ZXMLParser parser(body);  // in the encoding the answer declares
  const ZXMLElement *root = parser.parse();
  if (!root) {
    qCWarning(zaroFeeds).noquote()
        << "subscription upgrade answer is not XML:" << parser.errorDescription();
    return;
  }
  if (root->qualifiedName() != QLatin1String("Response")) return;
  const ZXMLElement *subscriptions = root->firstChildNamed(QLatin1String("Subscriptions"));
  if (!subscriptions) return;
  QStringList addresses;
  for (const ZXMLElement *subscription :
       subscriptions->elementsForName(QLatin1String("Subscription"))) {
    if (!subscription->hasAttributeWithQualifiedName(QLatin1String("rssUrl"))) continue;
    addresses.append(wwwFormURLDecoded(
        subscription->valueForAttributeWithQualifiedName(QLatin1String("rssUrl"))));
  }
  for (const QString &address : std::as_const(addresses)) addFeedWithName(address, address, 0);
}

void ZSubscriptionManager::dropUpgradeConnection() {
  QNetworkReply *reply = std::exchange(fSubscriptionUpgradingConnection, nullptr);
  fSubscriptionUpgradingConnectionData = QByteArray();
  if (reply) discard(reply, this);
}
