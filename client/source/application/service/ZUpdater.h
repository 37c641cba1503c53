#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Dialogs;
class QCryptographicHash;
class QNetworkAccessManager;
class UserDefaults;
class Workspace;

// The pieces the updater works with. Anything left out is the application's
// own: a network manager of the updater's, the standard user defaults, the
// installed dialogs and workspace, the folder manager's Desktop, the
// application's version, the largest update file, and whether the running
// program is a file of the installed Debian package
// (DebianPackage::isInstalledFile on QCoreApplication::applicationFilePath(),
// asked once).
struct ZUpdaterParts {
  QNetworkAccessManager *network = nullptr;
  UserDefaults *defaults = nullptr;
  Dialogs *dialogs = nullptr;
  Workspace *workspace = nullptr;
  std::function<QString()> desktopPath;  // a null text: no Desktop
  QString runningVersion;
  std::function<bool()> packageInstall;
  qint64 maxUpdateFileBytes = 0;  // 0: ZUpdater::MaxUpdateFileBytes
};

// Looks for a newer version of the application and offers it to the user.
// Nothing the network says makes the player run, open or install a file, and
// the player fetches nothing from a host other than the service's.
//
// The check: GET "/service/getUpdate.xml?clientGUID=<GUID>&version=<version>"
// on the service's web host (XML recipe). Its answer names, directly under the
// root, "HaveUpdate" (1: an update is offered) and "Update" with "Version",
// "Url", "Checksum" (SHA-256 of the file, 64 hex digits, either case) and
// "Required" (1: the offer says so). Only a newer version is offered, and
// never one refused before (below).
//
// Installed from the Debian package, the player never downloads the update:
// the offer names the new version and Yes opens the service's download page
// (DownloadPagePath on the web host, whatever address the answer names) in
// the browser; the system's package manager installs the package.
//
// Otherwise the file may be downloaded, with these rules:
// - it comes from the service's own hosts (ServiceHosts::isServiceAddress),
//   and so does every redirection, which is followed only once checked: no
//   request at all goes to another host;
// - it is a Debian package by its content (DebianPackage::checkHead), judged
//   as the first bytes arrive; its name is the address's last component,
//   given ".deb" when it lacks it;
// - it matches "Checksum" as a whole, and is no longer than the length its
//   answer announced nor than MaxUpdateFileBytes (with or without one);
// - it is written to the Desktop next to any files of the same name
//   ("Setup.deb", "Setup - 1.deb", ...) and then only shown in the file
//   browser (Workspace::revealFile), never opened.
// An offer or a file that breaks a rule is refused: one warning in the
// service's logging category, the partial file removed, and its version
// remembered (RefusedVersionsKey) so that it is not offered again, also after
// a restart; other versions still are. A refusal found before the offer is
// silent; one found while downloading what the user accepted is told with an
// alert that the update could not be verified.
//
// Other failures (network, HTTP status, disk) are silent and end the exchange,
// removing a partly written file; the application's hourly tick asks again
// until the update has been handed over.
class ZUpdater : public QObject {
  Q_OBJECT

 public:
  // A check answer larger than this (before or after inflating) fails the check.
  static constexpr qint64 MaxCheckResponseBytes = 16 * 1024 * 1024;
  // An update file larger than this is refused (an announced length too).
  static constexpr qint64 MaxUpdateFileBytes = 256 * 1024 * 1024;
  // The name the update file gets when its address names nothing usable.
  static inline const QString FallbackFileName = QStringLiteral("ZaroPlayerUpdate");
  // The service's download page, on its web host.
  static inline const QString DownloadPagePath = QStringLiteral("/download.html");
  // Setting: the versions whose offer was refused (a list, newest last).
  static inline const QString RefusedVersionsKey = QStringLiteral("UpdateRefusedVersions");

  using Parts = ZUpdaterParts;

  // The process-wide updater, made on first use and never freed.
  static ZUpdater &sharedUpdater();

  explicit ZUpdater(Parts parts = {}, QObject *parent = nullptr);
  ~ZUpdater() override;

  // Starts a check, unless a check or a download is running or an offer is
  // being shown.
  void checkForUpdate();

  // Whether the update has been handed over in this run: its file is on the
  // Desktop, or (package install) its download page was opened.
  bool updateDownloaded() const { return fUpdateDownloaded; }

  // Downloads the file at url to the Desktop under the rules above, expecting
  // checksum (SHA-256, hex), and shows it in the file browser; a refusal
  // remembers version. Does nothing while a check or another download runs.
  void downloadUpdateFromUrl(const QString &url, const QString &checksum,
                             const QString &version = QString());

  // Ends whichever exchange is running; a download's partial file is removed.
  void cleanUpConnection();

  bool isChecking() const { return fUpdateConnection != nullptr; }
  bool isDownloading() const { return fUpdateDownloadConnection != nullptr; }

  // Whether the offered dotted version is newer than the running one: by the
  // first component; with equal first components (both having at least two)
  // by the second; then by the third, counted 0 for a version that has not
  // exactly three components. Components read as integers.
  static bool isNewerVersion(const QString &offered, const QString &running);

  // The update file's name on the Desktop: the last path component of url,
  // percent-decoded, with path separators, control characters and NUL
  // removed, runs of dots made single and leading dots and blanks dropped;
  // FallbackFileName when nothing is left.
  static QString updateFileName(const QString &url);
  // updateFileName(url), with ".deb" added unless it ends so (in any case).
  static QString packageFileName(const QString &url);

  // The path in folder for fileName that nothing occupies yet: the name
  // itself, else "<name> - 1.<ext>", "<name> - 2.<ext>", ... A null text when
  // none is free.
  static QString destinationPath(const QString &folder, const QString &fileName);

 private:
  class Inflater;

  struct Offer;

  void connectionDidFinishCheck();
  void offerUpdate(const Offer &offer);
  void offerDownloadPage(const Offer &offer);
  void connectionDidReceiveDownloadData();
  void connectionDidFinishDownload();
  void endFailedDownload();
  bool prepareDownloadFile();
  bool appendDownloadedData(const QByteArray &data);
  bool writeBytes(const char *bytes, qint64 length);
  void refuseOffer(const QString &version, const QString &why);
  bool wasRefused(const QString &version) const;
  bool isPackageInstall();

  UserDefaults &defaults() const;
  Dialogs &dialogs() const;
  Workspace &workspace() const;
  QString desktopPath() const;
  QString runningVersion() const;
  quint64 maxUpdateFileBytes() const;

  Parts fParts;
  QNetworkAccessManager *fManager;

  QPointer<QNetworkReply> fUpdateConnection;
  QPointer<QNetworkReply> fUpdateDownloadConnection;
  bool fOffering = false;

  QString fUpdateFileName;
  QString fUpdateFileDestinationPath;  // set once the file is ours
  QString fUpdateVersion;
  QByteArray fExpectedChecksum;  // lower-case hex
  std::unique_ptr<QCryptographicHash> fHash;
  QByteArray fHead;        // the file's first bytes, up to DebianPackage::HeadBytes
  QString fRefusalReason;  // why the download breaks a rule; empty: it does not
  bool fDownloadResponseHandled = false;
  bool fExpectedLengthKnown = false;
  quint64 fExpectedUpdateLength = 0;
  quint64 fDownloadedLength = 0;
  std::unique_ptr<Inflater> fInflater;  // a gzip-encoded download
  bool fUpdateDownloaded = false;
  std::optional<bool> fPackageInstall;
  QSet<QString> fRefusedThisRun;  // also when the setting cannot be stored
};
