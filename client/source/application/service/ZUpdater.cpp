#include "ZUpdater.h"

#include "ClientIdentity.h"
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

// --- the check ---------------------------------------------------------------

void ZUpdater::checkForUpdate() {
  if (fUpdateConnection || fUpdateDownloadConnection || fOffering) return;

  const QString url =
      ServiceHosts::webURLString(QStringLiteral("/service/getUpdate.xml?clientGUID=") +
                                 Utilities::queryValue(Utilities::getMyPeerID(defaults())) +
                                 QStringLiteral("&version=") + runningVersion());
  QNetworkReply *reply =
      ServiceRequest::send(*fManager, ServiceRequest::xmlGet(QUrl(url)), MaxCheckResponseBytes);
  fUpdateConnection = reply;
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
    if (reply == fUpdateConnection && !isAcceptedStatus(*reply, true)) cleanUpConnection();
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

  QString version, url;
  bool required = false;
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
    version = childText(update, u"Version").trimmed();
    url = childText(update, u"Url").trimmed();
    required = integerNumber(childText(update, u"Required")).value_or(0) == 1;
  }
  if (version.isEmpty() || url.isEmpty()) return;
  if (!isNewerVersion(version, runningVersion())) return;
  offerUpdate(url, required);
}

void ZUpdater::offerUpdate(const QString &url, bool required) {
  if (!isDownloadableUrl(QUrl(url))) return;
  // Without a Desktop there is nowhere to put the file: no offer.
  const QString desktop = desktopPath();
  if (desktop.isEmpty()) return;
  // A file of that name on the Desktop means the update came before.
  if (occupied(desktop + QLatin1Char('/') + updateFileName(url))) return;

  fOffering = true;
  const int answer = dialogs().askUpdate(
      localized(required ? QStringLiteral("upgradeRequiredNotificationAlertMessage")
                         : QStringLiteral("upgradeNotificationAlertMessage")));
  fOffering = false;
  if (answer == 1) downloadUpdateFromUrl(url);
}

// --- the download ------------------------------------------------------------

void ZUpdater::downloadUpdateFromUrl(const QString &url) {
  if (fUpdateConnection || fUpdateDownloadConnection) return;
  const QUrl address(url);
  if (!isDownloadableUrl(address)) return;

  fUpdateFileName = updateFileName(url);
  fUpdateFileDestinationPath.clear();
  fDownloadResponseHandled = false;
  fExpectedLengthKnown = false;
  fExpectedUpdateLength = 0;
  fDownloadedLength = 0;
  fInflater.reset();

  QNetworkReply *reply = ServiceRequest::send(*fManager, ServiceRequest::xmlGet(address));
  fUpdateDownloadConnection = reply;
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
    if (reply == fUpdateDownloadConnection && !isAcceptedStatus(*reply, true)) cleanUpConnection();
  });
  connect(reply, &QNetworkReply::readyRead, this, &ZUpdater::connectionDidReceiveDownloadData);
  connect(reply, &QNetworkReply::finished, this, &ZUpdater::connectionDidFinishDownload);
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
  if (fExpectedLengthKnown && fDownloadedLength + quint64(length) > fExpectedUpdateLength)
    return false;
  QFile file(fUpdateFileDestinationPath);
  if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return false;
  if (!file.seek(qint64(fDownloadedLength))) return false;
  if (file.write(bytes, length) != length || !file.flush()) return false;
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
  if (!fDownloadResponseHandled && !prepareDownloadFile()) {
    cleanUpConnection();
    return;
  }
  if (!appendDownloadedData(reply->readAll())) cleanUpConnection();
}

void ZUpdater::connectionDidFinishDownload() {
  QNetworkReply *reply = fUpdateDownloadConnection;
  if (!reply) return;
  if (reply->error() != QNetworkReply::NoError) {
    qCWarning(zaroService).noquote() << "update download failed:" << Logging::replyFailure(*reply);
    cleanUpConnection();
    return;
  }
  if (!fDownloadResponseHandled && !prepareDownloadFile()) {
    cleanUpConnection();
    return;
  }
  const bool complete = appendDownloadedData(reply->readAll()) &&
                        (!fInflater || fInflater->ended()) &&
                        (!fExpectedLengthKnown || fDownloadedLength == fExpectedUpdateLength);
  if (!complete) {
    qCWarning(zaroService).noquote()
        << "update download incomplete:" << Logging::address(reply->url());
    cleanUpConnection();
    return;
  }

  const QString path = fUpdateFileDestinationPath;
  fUpdateDownloaded = true;
  fUpdateDownloadConnection = nullptr;
  endReply(reply, this);
  fUpdateFileName.clear();
  fUpdateFileDestinationPath.clear();
  fInflater.reset();
  workspace().openFile(path);
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
    endReply(reply, this);
  }
}
