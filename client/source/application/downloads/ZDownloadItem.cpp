#include "ZDownloadItem.h"

#include "ClientIdentity.h"
#include "Config.h"
#include "DownloadFileNames.h"
#include "LibraryUtilities.h"
#include "Logging.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "ServiceHosts.h"
#include "ServiceRequest.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZFolderManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString kMetaInfoKey = QStringLiteral("MetaInfo");
const QString kImageFilePathKey = QStringLiteral("ImageFilePath");
const QString kVideoFilePathKey = QStringLiteral("VideoFilePath");
const QString kBadHTTPCodeKey = QStringLiteral("VideoBadHTTPCodeNotification");
const QString kFeedItemIdKey = QStringLiteral("FeedItemId");
const QString kFailureKey = QStringLiteral("FailureReason");
const QString kAuthorizationKey = QStringLiteral("ZaroClientAuthorization");

// How much of a video answer may wait in memory for the main loop to write
// it; beyond that the network stops reading, so memory stays flat whatever
// the file's size. (When the service drops the connection, what waited here
// may be lost; the file then ends earlier and the resume asks for the rest.)
constexpr qint64 kVideoReadBufferBytes = 1024 * 1024;

// The permalink as it may stand in an XML attribute value.
QString xmlAttributeEscaped(const QString &text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    switch (c.unicode()) {
      case '&':
        out += QLatin1String("&amp;");
        break;
      case '<':
        out += QLatin1String("&lt;");
        break;
      case '>':
        out += QLatin1String("&gt;");
        break;
      case '"':
        out += QLatin1String("&quot;");
        break;
      case '\'':
        out += QLatin1String("&apos;");
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::optional<quint64> decimal(const QByteArray &text) {
  bool ok = false;
  const quint64 value = text.trimmed().toULongLong(&ok);
  if (!ok) return std::nullopt;
  return value;
}

// FIRST of "bytes FIRST-LAST/SIZE".
std::optional<quint64> contentRangeStart(const QByteArray &header) {
  QByteArray value = header.trimmed();
  if (!value.startsWith("bytes ")) return std::nullopt;
  value = value.mid(6);
  const qsizetype dash = value.indexOf('-');
  if (dash <= 0) return std::nullopt;
  return decimal(value.left(dash));
}

// SIZE of "bytes */SIZE", the answer to a range that starts at or past the end.
std::optional<quint64> unsatisfiedRangeSize(const QByteArray &header) {
  const QByteArray value = header.trimmed();
  if (!value.startsWith("bytes */")) return std::nullopt;
  return decimal(value.mid(8));
}

bool truncateToEmpty(const QString &path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

// How a failure is kept in the job's parameters.
const std::pair<DownloadFailure, const char *> kFailureNames[] = {
    {DownloadFailure::Server, "server"},
    {DownloadFailure::VideoUnknown, "videoUnknown"},
    {DownloadFailure::DiskFull, "diskFull"},
    {DownloadFailure::LongerThanAnnounced, "longerThanAnnounced"},
    {DownloadFailure::Library, "library"},
};

QString failureName(DownloadFailure failure) {
  for (const auto &[value, name] : kFailureNames)
    if (value == failure) return QString::fromLatin1(name);
  return QString();
}

DownloadFailure failureNamed(const QString &text) {
  for (const auto &[value, name] : kFailureNames)
    if (text == QLatin1String(name)) return value;
  return DownloadFailure::None;
}

}  // namespace

ZDownloadItem::ZDownloadItem(const QString &permalink, int type,
                             const ZDownloadEnvironment &environment)
    : fEnvironment(environment), fVideoPermalink(permalink), fType(type) {}

ZDownloadItem::ZDownloadItem(const QString &permalink, int type, int jobId, int jobState,
                             const QString &xml, const ZDownloadEnvironment &environment)
    : ZDownloadItem(permalink, type, environment) {
  fJobId = jobId;
  fJobState = jobState;
  if (!xml.isEmpty()) {
    if (const std::optional<JobParams> params = PropertyList::readStrings(xml)) {
      for (auto it = params->cbegin(); it != params->cend(); ++it)
        fAdditionalInfo.insert(it.key(), it.value());
    }
  }
  if (fAdditionalInfo.contains(kMetaInfoKey)) {
    fVideoMetaInfoXml = fAdditionalInfo.value(kMetaInfoKey);
    fVideoMetaInfo = readKeptVideoMetaInfo(fVideoMetaInfoXml);
  }
  if (fAdditionalInfo.contains(kImageFilePathKey)) {
    fImageFilePath = fAdditionalInfo.value(kImageFilePathKey);
    fImageFileSaved = true;
  }
  if (fAdditionalInfo.contains(kVideoFilePathKey))
    fDownloadDestinationPath = fAdditionalInfo.value(kVideoFilePathKey);
  if (fAdditionalInfo.contains(kFeedItemIdKey)) fType = DownloadTypeFeedItem;
  fLastFailure = failureNamed(fAdditionalInfo.value(kFailureKey));
}

ZDownloadItem::~ZDownloadItem() {
  stopProgressTimer();
  releaseConnection(fMetaInfoRetrievingConnection);
  releaseConnection(fImageRetrievingConnection);
  releaseConnection(fVideoRetrievingConnection);
  releaseConnection(fVideoDownloadSuccessNotificationConnection);
}

// ---- Steps ----------------------------------------------------------------------

bool ZDownloadItem::startDownloadingVideoMetaInfo() {
  if (fJobState != JobStatePendingMetaInfo) return false;
  releaseConnection(fMetaInfoRetrievingConnection);
  clearFailure();

  Config config(*fEnvironment.database);
  QString url = Utilities::getMediaInfoUrl(config, *fEnvironment.defaults);
  if (!fChannelPermalink.isEmpty())
    url += QStringLiteral("&collectionPermalink=") + wwwFormURLEncoded(fChannelPermalink);

  fCurrentConnectionData = QByteArray();
  const QByteArray body =
      (QStringLiteral("<MediaIdList>\r\n<MediaId permalinkId=\"") +
       xmlAttributeEscaped(fVideoPermalink) + QStringLiteral("\"/>\r\n</MediaIdList>"))
          .toUtf8();
  ServiceRequest::Recipe recipe =
      ServiceRequest::servicePost(QUrl(url), ServiceRequest::ContentTypeXML, body);
  recipe.request.setRawHeader("Connection", "close");
  fMetaInfoRetrievingConnection =
      ServiceRequest::send(*fEnvironment.network, recipe, kMaxBodyBytes);
  if (!fMetaInfoRetrievingConnection) return false;
  watch(fMetaInfoRetrievingConnection);
  post(DownloadNotification::MetaInfoDownloadingCommenced);
  return true;
}

bool ZDownloadItem::startDownloadingImage() {
  if (fJobState != JobStatePendingImage) return false;
  releaseConnection(fImageRetrievingConnection);
  clearFailure();

  const QString iconId =
      fVideoMetaInfo ? fVideoMetaInfo->value(QStringLiteral("IconId")).toString() : QString();
  const QString url = ServiceHosts::urlStringOnHost(
      ServiceHosts::serviceImageHost(), QStringLiteral("/image.out?") + identityQuery() +
                                            QStringLiteral("&imageId=") +
                                            Utilities::queryValue(iconId));
  fCurrentConnectionData = QByteArray();
  fImageRetrievingConnection = ServiceRequest::send(
      *fEnvironment.network, ServiceRequest::serviceGet(QUrl(url)), kMaxBodyBytes);
  if (!fImageRetrievingConnection) return false;
  watch(fImageRetrievingConnection);
  post(DownloadNotification::ImageDownloadingCommenced);
  return true;
}

bool ZDownloadItem::startDownloadingVideoFile() {
  if (fJobState != JobStatePendingVideo) return false;
  fCurrentConnectionData = QByteArray();
  clearFailure();
  // A file begun before (the thumbnail had to be fetched again) is continued.
  if (!fDownloadDestinationPath.isEmpty()) return continueVideoFile();

  const QString path =
      DownloadFileNames::createUniqueFile(fEnvironment.folders->userMediaFilesFolderPath(),
                                          DownloadFileNames::baseName(title(), fVideoPermalink),
                                          DownloadFileNames::extensionForFileName(extension()));
  if (path.isEmpty()) return false;

  releaseConnection(fVideoRetrievingConnection);
  fDownloadedLengthForPartialDownload = 0;
  fFileSizeDownloaded = 0;
  fCurrentDownloadedBytes = 0;
  fCurrentDownloadPercent = 0;
  fDownloadComplete = false;
  fDownloadDestinationPath = path;
  fVideoRetrievingConnection = startTransferRequest(0);
  if (!fVideoRetrievingConnection) return false;

  fAdditionalInfo.insert(kVideoFilePathKey, path);
  fDownloadCommenced = true;
  fDownloadStartTime.start();
  startProgressTimer();
  post(DownloadNotification::Commenced);
  return true;
}

void ZDownloadItem::resumeDownloadVideoFile() {
  clearFailure();
  continueVideoFile();
}

bool ZDownloadItem::continueVideoFile() {
  releaseConnection(fVideoRetrievingConnection);
  stopProgressTimer();
  fCurrentConnectionData = QByteArray();

  if (fDownloadDestinationPath.isEmpty()) {
    // No file was ever begun for this job: begin one now.
    const QString path =
        DownloadFileNames::createUniqueFile(fEnvironment.folders->userMediaFilesFolderPath(),
                                            DownloadFileNames::baseName(title(), fVideoPermalink),
                                            DownloadFileNames::extensionForFileName(extension()));
    if (!path.isEmpty()) {
      fDownloadDestinationPath = path;
      fAdditionalInfo.insert(kVideoFilePathKey, path);
    }
  }

  quint64 offset = 0;
  if (!fDownloadDestinationPath.isEmpty()) {
    QFile file(fDownloadDestinationPath);
    if (file.open(QIODevice::ReadOnly)) {
      offset = quint64(file.size());
    } else if (!QFileInfo::exists(fDownloadDestinationPath)) {
      // The partial file is gone: start over with an empty one in its place.
      truncateToEmpty(fDownloadDestinationPath);
    }
  }

  fDownloadedLengthForPartialDownload = qint64(offset);
  fDownloadComplete = false;
  fVideoRetrievingConnection = startTransferRequest(offset);
  fDownloadCommenced = true;
  fFileSizeDownloaded = offset;
  fCurrentDownloadedBytes = 0;
  fDownloadStartTime.start();
  startProgressTimer();
  post(DownloadNotification::Resumed);
  return fVideoRetrievingConnection != nullptr;
}

void ZDownloadItem::cancelDownload() {
  cleanUp(true);
  post(DownloadNotification::Canceled);
}

// ---- Accessors ------------------------------------------------------------------

QString ZDownloadItem::additionalInfo() const {
  return PropertyList::writeStrings(fAdditionalInfo);
}

QString ZDownloadItem::stringValue(const QString &key) const {
  if (!fVideoMetaInfo) return QString(QLatin1String(""));
  const QVariant value = fVideoMetaInfo->value(key);
  if (value.typeId() != QMetaType::QString) return QString(QLatin1String(""));
  return value.toString();
}

int ZDownloadItem::intValue(const QString &key) const {
  const std::optional<qint64> number = integerNumber(stringValue(key));
  if (!number) return 0;
  return int(std::clamp<qint64>(*number, std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

std::optional<QVariantMap> ZDownloadItem::mapValue(const QString &key) const {
  if (!fVideoMetaInfo) return std::nullopt;
  const QVariant value = fVideoMetaInfo->value(key);
  if (value.typeId() != QMetaType::QVariantMap) return std::nullopt;
  return value.toMap();
}

std::optional<QVariantList> ZDownloadItem::listValue(const QString &key) const {
  if (!fVideoMetaInfo) return std::nullopt;
  const QVariant value = fVideoMetaInfo->value(key);
  if (value.typeId() != QMetaType::QVariantList) return std::nullopt;
  return value.toList();
}

QString ZDownloadItem::title() const { return stringValue(QStringLiteral("Title")); }
QString ZDownloadItem::extension() const { return stringValue(QStringLiteral("Extension")); }
QString ZDownloadItem::description() const { return stringValue(QStringLiteral("Description")); }
QString ZDownloadItem::fileHash() const { return stringValue(QStringLiteral("FileHash")); }
QString ZDownloadItem::reviewState() const { return stringValue(QStringLiteral("ReviewState")); }
int ZDownloadItem::duration() const { return intValue(QStringLiteral("Duration")); }
int ZDownloadItem::rating() const { return intValue(QStringLiteral("Rating")); }
int ZDownloadItem::contentRating() const { return intValue(QStringLiteral("ContentRating")); }

qint64 ZDownloadItem::fileSize() const {
  return integerNumber(stringValue(QStringLiteral("Size"))).value_or(0);
}

std::optional<QVariantMap> ZDownloadItem::publisherInfo() const {
  return mapValue(QStringLiteral("Publisher"));
}
std::optional<QVariantMap> ZDownloadItem::channelInfo() const {
  return mapValue(QStringLiteral("Channel"));
}
std::optional<QVariantList> ZDownloadItem::tags() const {
  return listValue(QStringLiteral("Tags"));
}
std::optional<QVariantList> ZDownloadItem::categories() const {
  return listValue(QStringLiteral("Categories"));
}
std::optional<QVariantMap> ZDownloadItem::series() const {
  return mapValue(QStringLiteral("Series"));
}

bool ZDownloadItem::thumbnailMissing() const {
  if (!fVideoMetaInfo) return false;
  return fImageFilePath.isEmpty() || !QFileInfo::exists(fImageFilePath);
}

QImage ZDownloadItem::image() const {
  if (fImageFilePath.isEmpty()) return QImage();
  return QImage(fImageFilePath);
}

QString ZDownloadItem::downloadedPath() const {
  return fDownloadComplete ? fDownloadDestinationPath : QString();
}

bool ZDownloadItem::notificationPostedOfBadStatusCodeForDownloadingVideo() const {
  return fAdditionalInfo.value(kBadHTTPCodeKey) == QLatin1String("1");
}

void ZDownloadItem::setNotificationPostedOfBadStatusCodeForDownloadingVideo() {
  fAdditionalInfo.insert(kBadHTTPCodeKey, QStringLiteral("1"));
}

bool ZDownloadItem::failedForGood() const {
  return fLastFailure == DownloadFailure::VideoUnknown ||
         fLastFailure == DownloadFailure::LongerThanAnnounced;
}

int ZDownloadItem::feedItemId() const {
  bool ok = false;
  const int id = fAdditionalInfo.value(kFeedItemIdKey).toInt(&ok);
  return ok && id > 0 ? id : 0;
}

void ZDownloadItem::setFeedItemId(int feedItemId) {
  if (feedItemId > 0)
    fAdditionalInfo.insert(kFeedItemIdKey, QString::number(feedItemId));
  else
    fAdditionalInfo.remove(kFeedItemIdKey);
}

// ---- Requests -------------------------------------------------------------------

QString ZDownloadItem::identityQuery() const {
  UserDefaults &defaults = *fEnvironment.defaults;
  return QStringLiteral("clientGUID=") + Utilities::queryValue(Utilities::getMyPeerID(defaults)) +
         QStringLiteral("&ZARO_GUIDE_AUTH=") +
         Utilities::queryValue(defaults.stringForKey(kAuthorizationKey)) +
         QStringLiteral("&version=") + Utilities::queryValue(Utilities::applicationVersion());
}

QString ZDownloadItem::videoURL() const {
  const QString permalinkId =
      fVideoMetaInfo ? fVideoMetaInfo->value(QStringLiteral("PermalinkId")).toString() : QString();
  return ServiceHosts::urlStringOnHost(
      ServiceHosts::serviceCacheHost(),
      QStringLiteral("/cache/external/") + DownloadFileNames::escapedURLText(fileHash()) +
          DownloadFileNames::escapedURLText(extension()) + QStringLiteral("?permalinkId=") +
          DownloadFileNames::escapedURLText(permalinkId));
}

QNetworkReply *ZDownloadItem::startTransferRequest(quint64 offset) {
  ServiceRequest::HeaderList headers{
      {QByteArrayLiteral("Accept"), QByteArrayLiteral("*/*")},
      {QByteArrayLiteral("Accept-Language"), QByteArrayLiteral("en-us")},
      // Byte ranges count the file's own bytes: no compressed transfer.
      {QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity")},
  };
  if (offset > 0)
    headers.append({QByteArrayLiteral("Range"),
                    QByteArrayLiteral("bytes=") + QByteArray::number(offset) + '-'});
  QNetworkReply *reply = ServiceRequest::send(
      *fEnvironment.network, ServiceRequest::serviceGet(QUrl(videoURL()), headers));
  if (!reply) return nullptr;
  reply->setReadBufferSize(kVideoReadBufferBytes);
  fRequestedOffset = offset;
  fVideoResponseSeen = false;
  fExpectedVideoLength = -1;
  fTransferLimit = std::numeric_limits<quint64>::max();
  watch(reply);
  return reply;
}

void ZDownloadItem::sendCompletionReport() {
  const QString permalinkId =
      fVideoMetaInfo ? fVideoMetaInfo->value(QStringLiteral("PermalinkId")).toString() : QString();
  const QString url = ServiceHosts::webURLString(
      QStringLiteral("/service/clientLog.html?eventName=downloaded&") + identityQuery() +
      QStringLiteral("&permaLinkId=") + DownloadFileNames::escapedURLText(permalinkId));
  releaseConnection(fVideoDownloadSuccessNotificationConnection);
  fVideoDownloadSuccessNotificationConnection = ServiceRequest::send(
      *fEnvironment.network,
      ServiceRequest::serviceGet(
          QUrl(url), {{QByteArrayLiteral("Accept"), QByteArrayLiteral("*/*")},
                      {QByteArrayLiteral("Accept-Language"), QByteArrayLiteral("en-us")}}));
  if (fVideoDownloadSuccessNotificationConnection)
    watch(fVideoDownloadSuccessNotificationConnection);
}

void ZDownloadItem::startProgressTimer() {
  stopProgressTimer();
  fTimeRemainingCalculationTimer = new QTimer(this);
  fTimeRemainingCalculationTimer->setInterval(fEnvironment.progressIntervalMs);
  connect(fTimeRemainingCalculationTimer, &QTimer::timeout, this,
          &ZDownloadItem::updateTimeRemaining);
  fTimeRemainingCalculationTimer->start();
}

void ZDownloadItem::stopProgressTimer() {
  if (!fTimeRemainingCalculationTimer) return;
  fTimeRemainingCalculationTimer->stop();
  fTimeRemainingCalculationTimer->deleteLater();
  fTimeRemainingCalculationTimer = nullptr;
}

void ZDownloadItem::updateTimeRemaining() {
  const double elapsed =
      fDownloadStartTime.isValid() ? double(fDownloadStartTime.elapsed()) / 1000.0 : 0.0;
  const double bytes = double(fCurrentDownloadedBytes);
  if (bytes <= 0 || elapsed <= 0) {
    fByteRate = 0;
    fSecondsRemainingForDownload = std::numeric_limits<double>::infinity();
  } else {
    fByteRate = std::ceil(bytes / elapsed);
    if (fExpectedVideoLength > 0) {
      const double fraction = bytes / double(fExpectedVideoLength);
      fSecondsRemainingForDownload = std::ceil(elapsed / fraction) - elapsed;
    } else {
      fSecondsRemainingForDownload = -1;  // no length announced: unknown
    }
  }
  post(DownloadNotification::ProgressUpdated);
}

// ---- Connections ----------------------------------------------------------------

void ZDownloadItem::watch(QNetworkReply *reply) {
  connect(reply, &QNetworkReply::metaDataChanged, this,
          [this, reply] { connectionDidReceiveResponse(reply); });
  connect(reply, &QNetworkReply::readyRead, this,
          [this, reply] { connectionDidReceiveData(reply); });
  connect(reply, &QNetworkReply::finished, this, [this, reply] { connectionDidFinish(reply); });
}

ZDownloadItem::Exchange ZDownloadItem::exchangeOf(const QNetworkReply *reply) const {
  if (!reply) return Exchange::None;
  if (reply == fMetaInfoRetrievingConnection) return Exchange::MetaInfo;
  if (reply == fImageRetrievingConnection) return Exchange::Image;
  if (reply == fVideoRetrievingConnection) return Exchange::Video;
  if (reply == fVideoDownloadSuccessNotificationConnection) return Exchange::Report;
  return Exchange::None;
}

void ZDownloadItem::releaseConnection(QNetworkReply *&connection) {
  if (!connection) return;
  QNetworkReply *reply = connection;
  connection = nullptr;
  reply->disconnect(this);
  // Deleting a running reply aborts it. Deferred, so that a reply that is
  // still reporting (a status the item refused) is not aborted midway.
  reply->deleteLater();
}

void ZDownloadItem::connectionDidReceiveResponse(QNetworkReply *reply) {
  const Exchange exchange = exchangeOf(reply);
  if (exchange == Exchange::None) return;
  const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!statusAttribute.isValid()) return;
  const int status = statusAttribute.toInt();
  // A redirection is followed by the network manager; its target answers anew.
  if (status >= 300 && status < 400 &&
      reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid())
    return;
  fHTTPStatusCode = status;
  switch (exchange) {
    case Exchange::Report:
    case Exchange::None:
      return;
    case Exchange::Video:
      if (fVideoResponseSeen) return;
      fVideoResponseSeen = true;
      acceptVideoResponse(reply, status);
      return;
    case Exchange::MetaInfo:
      // The service does not know the video: asking again changes nothing.
      if (status == 404 || status == 410)
        failRequest(Logging::replyFailure(*reply), DownloadFailure::VideoUnknown);
      else if (status != 200 && status != 206)
        failRequest(Logging::replyFailure(*reply));
      return;
    case Exchange::Image:
      if (status != 200 && status != 206) failRequest(Logging::replyFailure(*reply));
      return;
  }
}

bool ZDownloadItem::acceptVideoResponse(QNetworkReply *reply, int status) {
  fExpectedVideoLength = -1;
  fCurrentDownloadPercent = 0;
  fCurrentDownloadedBytes = 0;

  if (status == 416 && fRequestedOffset > 0) {
    const std::optional<quint64> size = unsatisfiedRangeSize(reply->rawHeader("Content-Range"));
    if (size && *size == fRequestedOffset) {
      // The partial file already holds the whole video.
      fExpectedVideoLength = 0;
      finishVideo();
      return false;
    }
    if (size && *size < fRequestedOffset) {
      // The file here is longer than the video: it cannot be continued.
      restartVideoFromStart();
      return false;
    }
  }
  if (status != 200 && status != 206) {
    failRequest(Logging::replyFailure(*reply));
    return false;
  }
  if (status == 200 && fRequestedOffset > 0) {
    // The whole video instead of the asked-for rest: it replaces the partial file.
    if (!emptyVideoFile()) {
      failRequest(QStringLiteral("cannot empty ") + fDownloadDestinationPath);
      return false;
    }
    fRequestedOffset = 0;
    fDownloadedLengthForPartialDownload = 0;
    fFileSizeDownloaded = 0;
  }
  if (status == 206) {
    const QByteArray range = reply->rawHeader("Content-Range");
    const std::optional<quint64> start = contentRangeStart(range);
    const bool matches =
        start ? *start == fRequestedOffset : fRequestedOffset == 0 && range.isEmpty();
    if (!matches) {
      if (fRequestedOffset > 0) {
        restartVideoFromStart();
      } else {
        failRequest(Logging::replyFailure(*reply) +
                    QStringLiteral(": a range that was not asked for: ") +
                    QString::fromLatin1(range));
      }
      return false;
    }
  }
  const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
  fExpectedVideoLength = length.isValid() ? length.toLongLong() : -1;
  fTransferLimit = transferLimit();
  return true;
}

quint64 ZDownloadItem::transferLimit() {
  constexpr quint64 kNone = std::numeric_limits<quint64>::max();
  const auto plus = [](quint64 a, quint64 b) { return b > kNone - a ? kNone : a + b; };
  // The answer's body continues the file from the offset it was asked for.
  const quint64 start = fRequestedOffset;
  quint64 limit = kNone;
  // The answer's own length is the truth about the file (for a range, up to
  // the total the service gives); the meta information's size is only the
  // service's word beforehand, and bounds only an answer that says nothing.
  if (fExpectedVideoLength >= 0)
    limit = plus(start, quint64(fExpectedVideoLength));
  else if (fileSize() > 0)
    limit = quint64(fileSize());
  // The media folder (this partial file included) may grow up to the allowed
  // space, however long the answer says it is, or when it says nothing.
  const quint64 allowed = fEnvironment.allowedDiskSpace();
  const auto roomWith = [&](quint64 used) {
    return plus(start, allowed > used ? allowed - used : 0);
  };
  quint64 room = roomWith(fEnvironment.mediaFolderBytes());
  if (room < limit)
    room = roomWith(fEnvironment.mediaFolderBytes(MediaFolderUsage::kRecheckBeforeRefusingMs));
  fTransferLimitIsAnnouncedSize = fExpectedVideoLength < 0 && fileSize() > 0 && limit <= room;
  return std::min(limit, room);
}

bool ZDownloadItem::emptyVideoFile() {
  const qint64 before = QFileInfo(fDownloadDestinationPath).size();
  if (!truncateToEmpty(fDownloadDestinationPath)) return false;
  if (fEnvironment.mediaFolderUsage && before > 0)
    fEnvironment.mediaFolderUsage->shrank(fDownloadDestinationPath, quint64(before));
  return true;
}

void ZDownloadItem::restartVideoFromStart() {
  releaseConnection(fVideoRetrievingConnection);
  if (!emptyVideoFile()) {
    failRequest(QStringLiteral("cannot empty ") + fDownloadDestinationPath);
    return;
  }
  fDownloadedLengthForPartialDownload = 0;
  fFileSizeDownloaded = 0;
  fCurrentDownloadedBytes = 0;
  fCurrentDownloadPercent = 0;
  fDownloadStartTime.start();
  fVideoRetrievingConnection = startTransferRequest(0);
  if (!fVideoRetrievingConnection) failRequest(QStringLiteral("the video request cannot be made"));
}

void ZDownloadItem::connectionDidReceiveData(QNetworkReply *reply) {
  switch (exchangeOf(reply)) {
    case Exchange::None:
      return;
    case Exchange::Report:
      reply->skip(reply->bytesAvailable());
      return;
    case Exchange::Video: {
      if (!fVideoResponseSeen) connectionDidReceiveResponse(reply);
      if (exchangeOf(reply) != Exchange::Video) return;
      const QByteArray block = reply->readAll();
      if (!block.isEmpty()) writeVideoBlock(block);
      return;
    }
    case Exchange::MetaInfo:
    case Exchange::Image:
      fCurrentConnectionData += reply->readAll();
      if (fCurrentConnectionData.size() > kMaxBodyBytes)
        failRequest(Logging::address(reply->url()) +
                    QStringLiteral(": the answer passes %1 bytes").arg(kMaxBodyBytes));
      return;
  }
}

void ZDownloadItem::writeVideoBlock(const QByteArray &data) {
  // What would take the file past its limit is not written, and the
  // transfer fails once the rest is in the file.
  const quint64 room =
      fTransferLimit > fFileSizeDownloaded ? fTransferLimit - fFileSizeDownloaded : 0;
  const bool overrun = quint64(data.size()) > room;
  const QByteArray block = overrun ? data.left(qsizetype(room)) : data;
  const auto failOverrun = [this] {
    if (fTransferLimitIsAnnouncedSize)
      failRequest(
          QStringLiteral("the video runs past its announced size of %1 bytes").arg(fTransferLimit),
          DownloadFailure::LongerThanAnnounced);
    else
      failRequest(QStringLiteral("the video would pass %1 bytes").arg(fTransferLimit));
  };
  if (overrun && block.isEmpty()) {
    failOverrun();
    post(DownloadNotification::StatusChanged);
    return;
  }
  const DownloadFileNames::AppendOutcome written =
      DownloadFileNames::appendToFile(fDownloadDestinationPath, block);
  const auto failWrite = [&] {
    failRequest(QStringLiteral("cannot write ") + fDownloadDestinationPath + QStringLiteral(": ") +
                    DownloadFileNames::errorText(written.error),
                DownloadFileNames::isDiskFull(written.error) ? DownloadFailure::DiskFull
                                                             : DownloadFailure::Server);
  };
  if (!written.opened) {
    failWrite();
    post(DownloadNotification::StatusChanged);
    return;
  }
  const qint64 grown = std::max<qint64>(0, written.sizeAfter - written.sizeBefore);
  if (grown > 0 && fEnvironment.mediaFolderUsage)
    fEnvironment.mediaFolderUsage->grew(fDownloadDestinationPath, quint64(grown));
  if (written.error != 0)
    failWrite();
  else if (overrun)
    failOverrun();
  else if (grown != block.size())
    failRequest(QStringLiteral("the file %1 grew by %2 bytes instead of %3")
                    .arg(fDownloadDestinationPath)
                    .arg(grown)
                    .arg(block.size()));

  fFileSizeDownloaded = quint64(std::max<qint64>(0, written.sizeAfter));
  fCurrentDownloadedBytes += grown;
  if (fExpectedVideoLength >= 0) {
    const double total = double(fExpectedVideoLength + fDownloadedLengthForPartialDownload);
    const double present = double(fCurrentDownloadedBytes + fDownloadedLengthForPartialDownload);
    fCurrentDownloadPercent = total > 0 ? double(float(present / total * 100.0)) : 0.0;
  }
  post(DownloadNotification::StatusChanged);
}

void ZDownloadItem::connectionDidFinish(QNetworkReply *reply) {
  const Exchange exchange = exchangeOf(reply);
  if (exchange == Exchange::None) return;
  if (exchange == Exchange::Report) {
    releaseConnection(fVideoDownloadSuccessNotificationConnection);
    return;
  }
  // What arrived with the end belongs to the exchange too.
  if (reply->bytesAvailable() > 0) {
    connectionDidReceiveData(reply);
    if (exchangeOf(reply) != exchange) return;
  }
  if (exchange != Exchange::Video || !fVideoResponseSeen) {
    connectionDidReceiveResponse(reply);
    if (exchangeOf(reply) != exchange) return;
  }
  if (reply->error() != QNetworkReply::NoError) {
    failRequest(Logging::replyFailure(*reply));
    return;
  }
  switch (exchange) {
    case Exchange::MetaInfo:
      finishMetaInfo();
      return;
    case Exchange::Image:
      finishImage();
      return;
    case Exchange::Video:
      finishVideo();
      return;
    default:
      return;
  }
}

void ZDownloadItem::finishMetaInfo() {
  const QByteArray body = fCurrentConnectionData;
  fCurrentConnectionData = QByteArray();
  releaseConnection(fMetaInfoRetrievingConnection);
  if (body.isEmpty()) {
    failRequest(QStringLiteral("the meta information is empty"));
    return;
  }
  // The parser reads the bytes in the encoding the answer declares; the item
  // keeps them as they came (one character per byte).
  QString whyNot;
  std::optional<VideoMetaInfo> info = readVideoMetaInfo(body, &whyNot);
  if (!info) {
    failRequest(QStringLiteral("the meta information is not XML: ") + whyNot);
    return;
  }
  fVideoMetaInfo = std::move(info);
  const QString text = keptMetaInfoText(body);
  fVideoMetaInfoXml = text;
  fAdditionalInfo.insert(kMetaInfoKey, text);
  post(DownloadNotification::GotMetaInfo);
}

void ZDownloadItem::finishImage() {
  const QByteArray body = fCurrentConnectionData;
  fCurrentConnectionData = QByteArray();
  releaseConnection(fImageRetrievingConnection);
  if (body.isEmpty()) {
    failRequest(QStringLiteral("the thumbnail is empty"));
    return;
  }
  // Written whole or not at all: a thumbnail cut short is never taken as saved.
  const QString folder = fEnvironment.folders->userMediaFileImagesFolderPath();
  int error = 0;
  const QString path = DownloadFileNames::createUniqueFile(
      folder, DownloadFileNames::baseName(title(), fVideoPermalink), QStringLiteral(".jpg"), body,
      &error);
  if (path.isEmpty()) {
    failRequest(
        QStringLiteral("cannot save the thumbnail in ") + folder + QStringLiteral(": ") +
            DownloadFileNames::errorText(error),
        DownloadFileNames::isDiskFull(error) ? DownloadFailure::DiskFull : DownloadFailure::Server);
    return;
  }
  if (fEnvironment.mediaFolderUsage)
    fEnvironment.mediaFolderUsage->grew(path, quint64(body.size()));
  fImageFilePath = path;
  fAdditionalInfo.insert(kImageFilePathKey, path);
  fImageFileSaved = true;
  post(DownloadNotification::GotImage);
}

void ZDownloadItem::finishVideo() {
  fCurrentConnectionData = QByteArray();
  stopProgressTimer();
  releaseConnection(fVideoRetrievingConnection);
  if (fExpectedVideoLength >= 0 && fCurrentDownloadedBytes < fExpectedVideoLength) {
    // Short: the partial file stays for the next resume.
    failRequest(QStringLiteral("the video ended after %1 of %2 bytes")
                    .arg(fCurrentDownloadedBytes)
                    .arg(fExpectedVideoLength));
    return;
  }
  fDownloadComplete = true;
  fCurrentDownloadPercent = 100;
  fLibraryAddFailed = false;
  post(DownloadNotification::FinishedAddToDatabase);
  if (fLibraryAddFailed) {
    // Not in the library: not finished either. The complete file stays; the
    // next try finds it whole (the service answers that nothing is left)
    // and offers it to the library again.
    fLibraryAddFailed = false;
    fDownloadComplete = false;
    failRequest(QStringLiteral("the library did not take the video"), DownloadFailure::Library);
    return;
  }
  // Reported once the library has the video: once per video, however often
  // its transfer ended.
  sendCompletionReport();
  post(DownloadNotification::Finished);
}

// ---- Clean-up and notifications ---------------------------------------------------

void ZDownloadItem::cleanUp(bool removeUnfinishedVideoFile) {
  releaseConnection(fMetaInfoRetrievingConnection);
  releaseConnection(fImageRetrievingConnection);
  releaseConnection(fVideoRetrievingConnection);
  fCurrentConnectionData = QByteArray();
  if (removeUnfinishedVideoFile && !fDownloadComplete && !fDownloadDestinationPath.isEmpty()) {
    if (fEnvironment.mediaFolderUsage)
      fEnvironment.mediaFolderUsage->removeFile(fDownloadDestinationPath);
    else
      QFile::remove(fDownloadDestinationPath);
  }
  stopProgressTimer();
}

void ZDownloadItem::failRequest(const QString &why, DownloadFailure reason) {
  qCWarning(zaroDownloads).noquote() << "download of" << fVideoPermalink << "failed:" << why;
  fLastFailure = reason;
  fAdditionalInfo.insert(kFailureKey, failureName(reason));
  cleanUp(false);
  post(DownloadNotification::ServerRequestFailed);
}

void ZDownloadItem::clearFailure() {
  fLastFailure = DownloadFailure::None;
  fAdditionalInfo.remove(kFailureKey);
}

void ZDownloadItem::post(const QString &name) {
  NotificationCenter::defaultCenter().postNotificationName(name, QVariant::fromValue(this));
}
