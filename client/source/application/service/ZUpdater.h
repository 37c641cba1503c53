#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class Dialogs;
class QNetworkAccessManager;
class UserDefaults;
class Workspace;

// The pieces the updater works with. Anything left out is the application's
// own: a network manager of the updater's, the standard user defaults, the
// installed dialogs and workspace, the folder manager's Desktop, the
// application's version.
struct ZUpdaterParts {
  QNetworkAccessManager *network = nullptr;
  UserDefaults *defaults = nullptr;
  Dialogs *dialogs = nullptr;
  Workspace *workspace = nullptr;
  std::function<QString()> desktopPath;  // a null text: no Desktop
  QString runningVersion;
};

// Looks for a newer version of the application, offers it to the user,
// downloads the offered file to the Desktop and opens it there.
//
// The check: GET "/service/getUpdate.xml?clientGUID=<GUID>&version=<version>"
// on the service's web host (XML recipe). Its answer names, directly under the
// root, "HaveUpdate" (1: an update is offered) and "Update" with "Version",
// "Url", "Checksum" (not used) and "Required" (1: the offer says so). A newer
// version whose file is not yet on the Desktop is offered with the update
// dialog; when the user accepts, the file is downloaded (same recipe) next to
// any files of the same name ("Setup - 1.dmg", ...) and opened with its
// default application.
//
// Every failure is silent and ends the exchange (a partly written file is
// removed); the application's hourly tick asks again until an update has been
// downloaded.
class ZUpdater : public QObject {
  Q_OBJECT

 public:
  // A check answer larger than this (before or after inflating) fails the check.
  static constexpr qint64 MaxCheckResponseBytes = 16 * 1024 * 1024;
  // The name the update file gets when its address names nothing usable.
  static inline const QString FallbackFileName = QStringLiteral("ZaroPlayerUpdate");

  using Parts = ZUpdaterParts;

  // The process-wide updater, made on first use and never freed.
  static ZUpdater &sharedUpdater();

  explicit ZUpdater(Parts parts = {}, QObject *parent = nullptr);
  ~ZUpdater() override;

  // Starts a check, unless a check or a download is running or an offer is
  // being shown.
  void checkForUpdate();

  // Whether an update file has been downloaded completely in this run.
  bool updateDownloaded() const { return fUpdateDownloaded; }

  // Downloads the file at url (http or https) to the Desktop and opens it.
  // Does nothing while a check or another download is running.
  void downloadUpdateFromUrl(const QString &url);

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

  // The path in folder for fileName that nothing occupies yet: the name
  // itself, else "<name> - 1.<ext>", "<name> - 2.<ext>", ... A null text when
  // none is free.
  static QString destinationPath(const QString &folder, const QString &fileName);

 private:
  class Inflater;

  void connectionDidFinishCheck();
  void offerUpdate(const QString &url, bool required);
  void connectionDidReceiveDownloadData();
  void connectionDidFinishDownload();
  bool prepareDownloadFile();
  bool appendDownloadedData(const QByteArray &data);
  bool writeBytes(const char *bytes, qint64 length);

  UserDefaults &defaults() const;
  Dialogs &dialogs() const;
  Workspace &workspace() const;
  QString desktopPath() const;
  QString runningVersion() const;

  Parts fParts;
  QNetworkAccessManager *fManager;

  QPointer<QNetworkReply> fUpdateConnection;
  QPointer<QNetworkReply> fUpdateDownloadConnection;
  bool fOffering = false;

  QString fUpdateFileName;
  QString fUpdateFileDestinationPath;  // set once the file is ours
  bool fDownloadResponseHandled = false;
  bool fExpectedLengthKnown = false;
  quint64 fExpectedUpdateLength = 0;
  quint64 fDownloadedLength = 0;
  std::unique_ptr<Inflater> fInflater;  // a gzip-encoded download
  bool fUpdateDownloaded = false;
};
