#include "ZUpdater.h"

#include "ApplicationIdentity.h"
#include "ClientIdentity.h"
#include "DebianPackage.h"
#include "Dialogs.h"
#include "Localization.h"
#include "Logging.h"
#include "ServiceHosts.h"
#include "ServiceRequest.h"
#include "ServiceUtilities.h"
#include "StringExtensions.h"
#include "UserDefaults.h"
#include "Workspace.h"
#include "ZFolderManager.h"
#include "ZXMLParser.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include <zlib.h>

#include <algorithm>

namespace {

// The longest file name written, in UTF-8 bytes (file systems allow 255).
constexpr qsizetype kMaxFileNameBytes = 200;
// How many "<name> - <n>" variants are tried before giving up.
constexpr int kMaxNameVariants = 9999;
// How many refused versions the setting keeps.
constexpr int kMaxRememberedRefusals = 16;
// The longest version text an offer shows.
constexpr qsizetype kMaxShownVersion = 40;

bool isGzip(const QByteArray &encoding) { return encoding == "gzip" || encoding == "x-gzip"; }

// Whether a response may go on. With lenientRedirects a redirection passes:
// the manager follows it and the answer at its end is judged again.
bool isAcceptedStatus(QNetworkReply &reply, bool lenientRedirects) {
  const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid()) return true;  // not an HTTP answer
  const int code = status.toInt();
  if (code == 200 || code == 206) return true;
  return lenientRedirects && code >= 300 && code < 400;
}

bool isDownloadableUrl(const QUrl &url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

// Where an update file may come from: the service's own hosts.
bool isUpdateFileAddress(const QUrl &url) {
  return isDownloadableUrl(url) && ServiceHosts::isServiceAddress(url);
}

// The checksum as the service writes it (SHA-256 in hex, either case), in
// lower case; empty when it is anything else.
QByteArray normalizedChecksum(const QString &text) {
  const QByteArray checksum = text.trimmed().toLatin1().toLower();
  if (checksum.size() != 64) return QByteArray();
  for (const char c : checksum)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return QByteArray();
  return checksum;
}

// The offered version as a message may show it: letters, digits and ". - + ~"
// only (so no markup), and not too long.
QString shownVersion(const QString &version) {
  QString shown;
  for (const QChar c : version) {
    if (shown.size() >= kMaxShownVersion) break;
    if ((c.unicode() < 128 && c.isLetterOrNumber()) || c == u'.' || c == u'-' || c == u'+' ||
        c == u'~')
      shown.append(c);
  }
  return shown;
}

// Redirections are followed only once the receiver has allowed each one.
ServiceRequest::Recipe withCheckedRedirects(ServiceRequest::Recipe recipe) {
  recipe.request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                              QNetworkRequest::UserVerifiedRedirectPolicy);
  return recipe;
}

// Something is at path, a dangling symbolic link included.
bool occupied(const QString &path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

qint64 versionComponent(const QStringList &components, qsizetype index) {
  return integerNumber(components.at(index)).value_or(0);
}

QString childText(const ZXMLElement *element, const char16_t *name) {
  const ZXMLElement *child = element ? element->firstChildNamed(name) : nullptr;
  return child ? child->stringValue() : QString();
}

// Lets go of a reply: no more signals reach the receiver, and the transfer is
// stopped and the reply freed once control is back in the event loop (Qt does
// not take an abort from inside the reply's own signals well).
void endReply(QNetworkReply *reply, QObject *receiver) {
  reply->disconnect(receiver);
  QMetaObject::invokeMethod(
      reply,
      [reply] {
        reply->abort();
        reply->deleteLater();
      },
      Qt::QueuedConnection);
}

}  // namespace

// Inflates a gzip-encoded download as it arrives.
class ZUpdater::Inflater {
 public:
  Inflater() { fReady = inflateInit2(&fStream, 16 + MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (fReady) inflateEnd(&fStream);
  }
  Inflater(const Inflater &) = delete;
  Inflater &operator=(const Inflater &) = delete;

  bool ended() const { return fEnded; }

  // Hands every piece of inflated output to sink; false when the data is
  // damaged, continues past the end of the stream, or sink fails.
  template <typename Sink>
  bool inflate(const QByteArray &input, Sink &&sink) {
    if (!fReady) return false;
    if (input.isEmpty()) return true;
    if (fEnded) return false;
    fStream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    fStream.avail_in = uInt(input.size());
    char out[64 * 1024];
    while (true) {
      fStream.next_out = reinterpret_cast<Bytef *>(out);
      fStream.avail_out = sizeof out;
      const int status = ::inflate(&fStream, Z_NO_FLUSH);
      const qint64 produced = qint64(sizeof out) - fStream.avail_out;
      if (produced > 0 && !sink(out, produced)) return false;
      if (status == Z_STREAM_END) {
        if (fStream.avail_in == 0) {
          fEnded = true;
          return true;
        }
        // Several gzip members in a row make one file.
        if (inflateReset(&fStream) != Z_OK) return false;
        continue;
      }
      if (status != Z_OK && status != Z_BUF_ERROR) return false;
      if (fStream.avail_in == 0 && fStream.avail_out != 0) return true;  // wants more input
      if (status == Z_BUF_ERROR && produced == 0) return false;          // no progress
    }
  }

 private:
  z_stream fStream{};
  bool fReady = false;
  bool fEnded = false;
};

ZUpdater &ZUpdater::sharedUpdater() {
  static ZUpdater *updater = new ZUpdater();
  return *updater;
}

ZUpdater::ZUpdater(Parts parts, QObject *parent)
    : QObject(parent),
      fParts(std::move(parts)),
      fManager(fParts.network ? fParts.network : new QNetworkAccessManager(this)) {}

ZUpdater::~ZUpdater() {
  if (fUpdateConnection) {
    fUpdateConnection->disconnect(this);
    fUpdateConnection->abort();
    delete fUpdateConnection;
  }
  if (fUpdateDownloadConnection) {
    if (!fUpdateFileDestinationPath.isEmpty()) QFile::remove(fUpdateFileDestinationPath);
    fUpdateDownloadConnection->disconnect(this);
    fUpdateDownloadConnection->abort();
    delete fUpdateDownloadConnection;
  }
}

UserDefaults &ZUpdater::defaults() const {
  return fParts.defaults ? *fParts.defaults : UserDefaults::standardUserDefaults();
}

Dialogs &ZUpdater::dialogs() const { return fParts.dialogs ? *fParts.dialogs : Dialogs::shared(); }

Workspace &ZUpdater::workspace() const {
  return fParts.workspace ? *fParts.workspace : Workspace::shared();
}

QString ZUpdater::desktopPath() const {
  return fParts.desktopPath ? fParts.desktopPath()
                            : ZFolderManager::sharedFolderManager().desktopPath();
}

QString ZUpdater::runningVersion() const {
  return fParts.runningVersion.isNull() ? Utilities::applicationVersion() : fParts.runningVersion;
}

quint64 ZUpdater::maxUpdateFileBytes() const {
  return quint64(fParts.maxUpdateFileBytes > 0 ? fParts.maxUpdateFileBytes : MaxUpdateFileBytes);
}

// --- versions and names ------------------------------------------------------

bool ZUpdater::isNewerVersion(const QString &offered, const QString &running) {
  const QStringList a = offered.split(QLatin1Char('.'));
  const QStringList b = running.split(QLatin1Char('.'));
  const qint64 firstA = versionComponent(a, 0), firstB = versionComponent(b, 0);
  if (firstA != firstB) return firstA > firstB;
  if (a.size() < 2 || b.size() < 2) return false;
  const qint64 secondA = versionComponent(a, 1), secondB = versionComponent(b, 1);
  if (secondA != secondB) return secondA > secondB;
  const qint64 thirdA = a.size() == 3 ? versionComponent(a, 2) : 0;
  const qint64 thirdB = b.size() == 3 ? versionComponent(b, 2) : 0;
  return thirdA > thirdB;
}

QString ZUpdater::updateFileName(const QString &url) {
  const QStringList segments =
      QUrl(url).path(QUrl::FullyEncoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
  const QString decoded =
      segments.isEmpty() ? QString() : QUrl::fromPercentEncoding(segments.last().toLatin1());

  QString name;
  name.reserve(decoded.size());
  for (const QChar c : decoded) {
    if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f) continue;
    if (c == u'.' && name.endsWith(u'.')) continue;  // no ".." anywhere
    name.append(c);
  }
  qsizetype start = 0;
  while (start < name.size() && (name.at(start) == u'.' || name.at(start).isSpace())) ++start;
  name = name.mid(start).trimmed();

  // Too long a name cannot be created: shorten the part before the extension.
  if (name.toUtf8().size() > kMaxFileNameBytes) {
    const qsizetype dot = name.lastIndexOf(u'.');
    QString extension = dot > 0 ? name.mid(dot) : QString();
    if (extension.toUtf8().size() > 20) extension.clear();
    QString base = dot > 0 && !extension.isEmpty() ? name.left(dot) : name;
    while (!base.isEmpty() && (base + extension).toUtf8().size() > kMaxFileNameBytes) {
      base.chop(1);
      if (!base.isEmpty() && base.back().isHighSurrogate()) base.chop(1);
    }
    name = base.trimmed() + extension;
  }
  if (name.isEmpty() || name.startsWith(u'.')) return FallbackFileName;
  return name;
}

QString ZUpdater::packageFileName(const QString &url) {
  const QString name = updateFileName(url);
  return name.endsWith(QStringLiteral(".deb"), Qt::CaseInsensitive) ? name
                                                                     : name + QStringLiteral(".deb");
}

QString ZUpdater::destinationPath(const QString &folder, const QString &fileName) {
  const QString first = folder + QLatin1Char('/') + fileName;
  if (!occupied(first)) return first;
  const qsizetype dot = fileName.lastIndexOf(u'.');
  const QString base = dot > 0 ? fileName.left(dot) : fileName;
  const QString extension = dot > 0 ? fileName.mid(dot) : QString();
  for (int n = 1; n <= kMaxNameVariants; ++n) {
    const QString path =
        folder + QLatin1Char('/') + base + QStringLiteral(" - ") + QString::number(n) + extension;
    if (!occupied(path)) return path;
  }
  return QString();
}

// --- refusals ----------------------------------------------------------------

bool ZUpdater::isPackageInstall() {
  if (!fPackageInstall) {
    fPackageInstall = fParts.packageInstall
                          ? fParts.packageInstall()
                          : DebianPackage::isInstalledFile(QCoreApplication::applicationFilePath(),
                                                           ApplicationIdentity::packageName());
  }
  return *fPackageInstall;
}

bool ZUpdater::wasRefused(const QString &version) const {
  return fRefusedThisRun.contains(version) ||
         defaults().objectForKey(RefusedVersionsKey).toStringList().contains(version);
}

void ZUpdater::refuseOffer(const QString &version, const QString &why) {
  qCWarning(zaroService).noquote() << "update" << version << "refused:" << why;
  if (version.isEmpty()) return;
  fRefusedThisRun.insert(version);
  QStringList refused = defaults().objectForKey(RefusedVersionsKey).toStringList();
  if (refused.contains(version)) return;
  refused.append(version);
  while (refused.size() > kMaxRememberedRefusals) refused.removeFirst();
  defaults().setObject(refused, RefusedVersionsKey);
}

// --- the check ---------------------------------------------------------------

struct ZUpdater::Offer {
  QString version;
  QString url;
  QString checksum;
  bool required = false;
};

void ZUpdater::checkForUpdate() {
  if (fUpdateConnection || fUpdateDownloadConnection || fOffering) return;

  const QString url =
      ServiceHosts::webURLString(QStringLiteral("/service/getUpdate.xml?clientGUID=") +
                                 Utilities::queryValue(Utilities::getMyPeerID(defaults())) +
                                 QStringLiteral("&version=") + runningVersion());
  QNetworkReply *reply = ServiceRequest::send(
      *fManager, withCheckedRedirects(ServiceRequest::xmlGet(QUrl(url))), MaxCheckResponseBytes);
  fUpdateConnection = reply;
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
    if (reply == fUpdateConnection && !isAcceptedStatus(*reply, true)) cleanUpConnection();
  });
  // The answer decides what is offered: it comes from the web host, or from
  // nowhere.
  connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &target) {
    if (reply != fUpdateConnection) return;
    const QUrl next = reply->url().resolved(target);
    if (ServiceHosts::isServiceWebAddress(next)) {
      emit reply->redirectAllowed();
      return;
    }
    qCWarning(zaroService).noquote()
        << "update check redirected off the service's web host:" << Logging::address(next);
    cleanUpConnection();
  });
  connect(reply, &QNetworkReply::finished, this, &ZUpdater::connectionDidFinishCheck);
}

void ZUpdater::connectionDidFinishCheck() {
  QNetworkReply *reply = fUpdateConnection;
  if (!reply) return;
  std::optional<QByteArray> body;
  if (reply->error() == QNetworkReply::NoError && isAcceptedStatus(*reply, false))
    body = ServiceRequest::decodedBody(*reply, MaxCheckResponseBytes);
  else
    qCWarning(zaroService).noquote() << "update check failed:" << Logging::replyFailure(*reply);
  cleanUpConnection();
  if (!body || body->isEmpty()) return;

  Offer offer;
  {
    // The answer's bytes, in the encoding the document declares.
    ZXMLParser parser(*body);
    const ZXMLElement *root = parser.parse();
    if (!root) {
      qCWarning(zaroService).noquote()
          << "update check answer is not XML:" << parser.errorDescription();
      return;
    }
    if (integerNumber(childText(root, u"HaveUpdate")).value_or(0) != 1) return;
    const ZXMLElement *update = root->firstChildNamed(u"Update");
    offer.version = childText(update, u"Version").trimmed();
    offer.url = childText(update, u"Url").trimmed();
    offer.checksum = childText(update, u"Checksum");
    offer.required = integerNumber(childText(update, u"Required")).value_or(0) == 1;
  }
  if (offer.version.isEmpty() || offer.url.isEmpty()) return;
  if (!isNewerVersion(offer.version, runningVersion())) return;
  if (wasRefused(offer.version)) return;
  if (isPackageInstall())
    offerDownloadPage(offer);
  else
    offerUpdate(offer);
}

void ZUpdater::offerDownloadPage(const Offer &offer) {
  fOffering = true;
  const int answer = dialogs().askUpdate(localizedFormat(
      offer.required ? QStringLiteral("upgradeRequiredPackageNotificationAlertMessage")
                     : QStringLiteral("upgradePackageNotificationAlertMessage"),
      {shownVersion(offer.version)}));
  fOffering = false;
  if (answer != 1) return;
  // The service's own page, never the answer's address: the package manager
  // installs the package, the page says how.
  fUpdateDownloaded = true;
  workspace().openURL(QUrl(ServiceHosts::webURLString(DownloadPagePath)));
}

void ZUpdater::offerUpdate(const Offer &offer) {
  const QUrl address(offer.url);
  if (!isDownloadableUrl(address)) {
    refuseOffer(offer.version, QStringLiteral("the file's address is not a web address"));
    return;
  }
  if (!ServiceHosts::isServiceAddress(address)) {
    refuseOffer(offer.version, QStringLiteral("the file is on another host: ") +
                                   Logging::address(address));
    return;
  }
  if (normalizedChecksum(offer.checksum).isEmpty()) {
    refuseOffer(offer.version, QStringLiteral("no usable checksum (SHA-256 in hex) is given"));
    return;
  }
  // Without a Desktop there is nowhere to put the file: no offer.
  const QString desktop = desktopPath();
  if (desktop.isEmpty()) return;
  // A file of that name on the Desktop means the update came before.
  if (occupied(desktop + QLatin1Char('/') + packageFileName(offer.url))) return;

  fOffering = true;
  const int answer = dialogs().askUpdate(
      localized(offer.required ? QStringLiteral("upgradeRequiredNotificationAlertMessage")
                               : QStringLiteral("upgradeNotificationAlertMessage")));
  fOffering = false;
  if (answer == 1) downloadUpdateFromUrl(offer.url, offer.checksum, offer.version);
}

// --- the download ------------------------------------------------------------

void ZUpdater::downloadUpdateFromUrl(const QString &url, const QString &checksum,
                                     const QString &version) {
  if (fUpdateConnection || fUpdateDownloadConnection) return;
  const QUrl address(url);
  if (!isUpdateFileAddress(address)) {
    refuseOffer(version, QStringLiteral("the file is not on the service's hosts: ") +
                             Logging::address(address));
    return;
  }
  const QByteArray expected = normalizedChecksum(checksum);
  if (expected.isEmpty()) {
    refuseOffer(version, QStringLiteral("no usable checksum (SHA-256 in hex) is given"));
    return;
  }

  fUpdateFileName = packageFileName(url);
  fUpdateFileDestinationPath.clear();
  fUpdateVersion = version;
  fExpectedChecksum = expected;
  fHash = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256);
  fHead.clear();
  fRefusalReason.clear();
  fDownloadResponseHandled = false;
  fExpectedLengthKnown = false;
  fExpectedUpdateLength = 0;
  fDownloadedLength = 0;
  fInflater.reset();

  QNetworkReply *reply =
      ServiceRequest::send(*fManager, withCheckedRedirects(ServiceRequest::xmlGet(address)));
  fUpdateDownloadConnection = reply;
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
    if (reply == fUpdateDownloadConnection && !isAcceptedStatus(*reply, true)) cleanUpConnection();
  });
  connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &target) {
    if (reply != fUpdateDownloadConnection) return;
    const QUrl next = reply->url().resolved(target);
    if (isUpdateFileAddress(next)) {
      emit reply->redirectAllowed();
      return;
    }
    fRefusalReason =
        QStringLiteral("redirected off the service's hosts to ") + Logging::address(next);
    endFailedDownload();
  });
  connect(reply, &QNetworkReply::readyRead, this, &ZUpdater::connectionDidReceiveDownloadData);
  connect(reply, &QNetworkReply::finished, this, &ZUpdater::connectionDidFinishDownload);
}

void ZUpdater::endFailedDownload() {
  const QString reason = fRefusalReason;
  const QString version = fUpdateVersion;
  cleanUpConnection();
  if (reason.isEmpty()) return;
  refuseOffer(version, reason);
  // The user said Yes to this update: tell why nothing came of it. Later, from
  // the event loop, not inside the network reply's signal.
  QMetaObject::invokeMethod(
      this,
      [this] {
        dialogs().showAlert(localized(QStringLiteral("upgradeVerificationFailedAlertMessage")),
                            localized(QStringLiteral("upgradeVerificationFailedAlertTitle")));
      },
      Qt::QueuedConnection);
}

bool ZUpdater::prepareDownloadFile() {
  QNetworkReply &reply = *fUpdateDownloadConnection;
  fDownloadResponseHandled = true;
  if (!isAcceptedStatus(reply, false)) return false;
  const QString desktop = desktopPath();
  if (desktop.isEmpty()) return false;

  // The request asked for gzip itself, so the answer arrives as sent.
  const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
  if (isGzip(encoding))
    fInflater = std::make_unique<Inflater>();
  else if (!encoding.isEmpty() && encoding != "identity")
    return false;  // bytes we could not turn into the file
  const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
  // An encoded answer announces the length of its encoded form, not the file's.
  fExpectedLengthKnown = !fInflater && announced.isValid() && announced.toLongLong() >= 0;
  fExpectedUpdateLength = fExpectedLengthKnown ? quint64(announced.toLongLong()) : 0;
  fDownloadedLength = 0;
  if (fExpectedLengthKnown && fExpectedUpdateLength > maxUpdateFileBytes()) {
    fRefusalReason = QStringLiteral("the file announces %1 bytes, more than an update may have")
                         .arg(fExpectedUpdateLength);
    return false;
  }

  const QString path = destinationPath(desktop, fUpdateFileName);
  if (path.isEmpty()) return false;
  QFile file(path);
  // Created afresh: never written through a link or into someone's file.
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
  fUpdateFileDestinationPath = path;
  if (fExpectedLengthKnown) {
    if (!file.resize(qint64(fExpectedUpdateLength)) ||
        quint64(file.size()) != fExpectedUpdateLength)
      return false;
  }
  file.close();
  return file.error() == QFileDevice::NoError;
}

bool ZUpdater::writeBytes(const char *bytes, qint64 length) {
  if (fExpectedLengthKnown && fDownloadedLength + quint64(length) > fExpectedUpdateLength) {
    fRefusalReason = QStringLiteral("the file is longer than the %1 bytes announced")
                         .arg(fExpectedUpdateLength);
    return false;
  }
  if (fDownloadedLength + quint64(length) > maxUpdateFileBytes()) {
    fRefusalReason = QStringLiteral("the file is larger than an update may be");
    return false;
  }
  if (fHead.size() < DebianPackage::HeadBytes) {
    fHead.append(bytes, std::min<qint64>(length, DebianPackage::HeadBytes - fHead.size()));
    if (DebianPackage::checkHead(fHead) == DebianPackage::Head::Other) {
      fRefusalReason = QStringLiteral("the file is not a Debian package");
      return false;
    }
  }
  QFile file(fUpdateFileDestinationPath);
  if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return false;
  if (!file.seek(qint64(fDownloadedLength))) return false;
  if (file.write(bytes, length) != length || !file.flush()) return false;
  fHash->addData(QByteArrayView(bytes, length));
  fDownloadedLength += quint64(length);
  return true;
}

bool ZUpdater::appendDownloadedData(const QByteArray &data) {
  if (data.isEmpty()) return true;
  if (fInflater)
    return fInflater->inflate(
        data, [this](const char *bytes, qint64 length) { return writeBytes(bytes, length); });
  return writeBytes(data.constData(), data.size());
}

void ZUpdater::connectionDidReceiveDownloadData() {
  QNetworkReply *reply = fUpdateDownloadConnection;
  if (!reply) return;
  if ((!fDownloadResponseHandled && !prepareDownloadFile()) ||
      !appendDownloadedData(reply->readAll()))
    endFailedDownload();
}

void ZUpdater::connectionDidFinishDownload() {
  QNetworkReply *reply = fUpdateDownloadConnection;
  if (!reply) return;
  if (reply->error() != QNetworkReply::NoError) {
    qCWarning(zaroService).noquote() << "update download failed:" << Logging::replyFailure(*reply);
    cleanUpConnection();
    return;
  }
  if ((!fDownloadResponseHandled && !prepareDownloadFile()) ||
      !appendDownloadedData(reply->readAll())) {
    endFailedDownload();
    return;
  }
  const bool complete = (!fInflater || fInflater->ended()) &&
                        (!fExpectedLengthKnown || fDownloadedLength == fExpectedUpdateLength);
  if (!complete) {
    qCWarning(zaroService).noquote()
        << "update download incomplete:" << Logging::address(reply->url());
    cleanUpConnection();
    return;
  }
  if (DebianPackage::checkHead(fHead) != DebianPackage::Head::Package)
    fRefusalReason = QStringLiteral("the file is not a Debian package");
  else if (fHash->result().toHex() != fExpectedChecksum)
    fRefusalReason = QStringLiteral("the file's SHA-256 is not the checksum offered");
  if (!fRefusalReason.isEmpty()) {
    endFailedDownload();
    return;
  }

  const QString path = fUpdateFileDestinationPath;
  fUpdateDownloaded = true;
  fUpdateDownloadConnection = nullptr;
  endReply(reply, this);
  fUpdateFileName.clear();
  fUpdateFileDestinationPath.clear();
  fInflater.reset();
  fHash.reset();
  // Shown, not opened: installing it is the user's own step.
  workspace().revealFile(path);
}

void ZUpdater::cleanUpConnection() {
  if (QNetworkReply *reply = fUpdateConnection) {
    fUpdateConnection = nullptr;
    endReply(reply, this);
    return;
  }
  if (QNetworkReply *reply = fUpdateDownloadConnection) {
    fUpdateDownloadConnection = nullptr;
    if (!fUpdateFileDestinationPath.isEmpty()) QFile::remove(fUpdateFileDestinationPath);
    fUpdateFileName.clear();
    fUpdateFileDestinationPath.clear();
    fInflater.reset();
    fHash.reset();
    fRefusalReason.clear();
    endReply(reply, this);
  }
}
