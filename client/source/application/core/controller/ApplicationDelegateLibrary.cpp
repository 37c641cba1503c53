// The application controller's library operations: preparing the database at
// start and adding imported movie files.
#include "ApplicationDelegate.h"

#include "Dialogs.h"
#include "Localization.h"
#include "Logging.h"
#include "MainWindow.h"
#include "MainWindowController.h"
#include "MovieAttributes.h"
#include "NotificationCenter.h"
#include "ServiceHosts.h"
#include "VideoDatabase.h"
#include "Workspace.h"
#include "ZSubscriptionManager.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

std::optional<AppError> ApplicationDelegate::prepareVideoDatabase() {
  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  // Without its lock file the library cannot be used safely: the user hears
  // why (the library's own "can not be opened" alert) and the start stops.
  if (const std::optional<QString> failure = database.lockFailure()) {
    qCCritical(zaroCore).noquote() << "the library's lock cannot be had:" << *failure;
    Dialogs::shared().showAlert(VideoDatabase::cannotBeOpenedMessage(*failure));
    return AppError::withKey(QStringLiteral("appErrorCannotCreateVideoDatabase"));
  }
  if (!QFileInfo::exists(database.databasePath())) {
    if (!database.createDatabase()) {
      // (the library wrote SQLite's reason)
      qCCritical(zaroCore).noquote() << "cannot create the library" << database.databasePath();
      return AppError::withKey(QStringLiteral("appErrorCannotCreateVideoDatabase"));
    }
    ZSubscriptionManager::sharedSubscriptionManager()
        .addServerCommandToRetrieveVersion2Subscriptions();
    return std::nullopt;
  }
  // A file that cannot be read as the library (garbage, cut short, no
  // library in it) ends the start: running on would show an empty library
  // and drop every download. The user hears which file it is and what to do;
  // the file is left as it is.
  if (const std::optional<QString> problem = database.openDatabase()) {
    qCCritical(zaroCore).noquote()
        << "cannot read the library" << database.databasePath() << "-" << *problem;
    Dialogs::shared().showAlert(localizedFormat(QStringLiteral("appErrorCannotOpenVideoDatabase"),
                                                {database.databasePath(), *problem}),
                                localized(QStringLiteral("appErrorCannotOpenVideoDatabaseTitle")));
    return AppError::withKey(QStringLiteral("appErrorCannotOpenVideoDatabaseTitle"));
  }
  return std::nullopt;
}

void ApplicationDelegate::importVideos(const QStringList &paths) {
  QWidget *mainWindow = nullptr;
  if (fMainWindowController && fMainWindowController->window()->isVisible())
    mainWindow = fMainWindowController->window();
  std::unique_ptr<VideoImportProgress> progress =
      Dialogs::shared().showVideoImportProgress(QString(), mainWindow);
  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  const qsizetype count = paths.size();
  for (qsizetype i = 0; i < count; ++i) {
    const QString &path = paths.at(i);
    const QFileInfo info(path);
    if (info.isDir()) continue;
    const QString name = info.fileName();
    const QVariantMap attributes = Utilities::getQuicktimeAttributes(path);
    progress->setProgressText(name);
    progress->setProgressBarValue(double(i + 1) / double(count) * 100.0);
    if (attributes.isEmpty()) {
      Dialogs::shared().showAlert(
          localizedFormat(QStringLiteral("appdelegateErrorCannotReadMovieForImport"), {name}),
          localized(QStringLiteral("appdelegateErrorCannotReadMovieForImportTitle")));
      continue;
    }
    VideoDatabase::AddVideoParams params;
    params.title = name;
    params.path = path;
    params.imagePath = attributes.value(QStringLiteral("ImageFile")).toString();
    params.extension = attributes.value(QStringLiteral("Extension")).toString();
    params.size = quint64(info.size());
    params.duration = attributes.value(QStringLiteral("Duration")).toLongLong();
    params.rating = 0;
    params.publisher = -1;
    params.source = 1;
    database.addVideo(params);
  }
  progress->closeVideoImportProgress();
}

namespace {
// The video ids a notification carries: a list of anything that reads as an integer.
QList<int> videoIdsOf(const Notification &note) {
  QList<int> ids;
  for (const QVariant &value : note.object.toList()) ids.append(value.toInt());
  return ids;
}
}  // namespace

void ApplicationDelegate::findOnZaro(const Notification &note) {
  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  for (int videoId : videoIdsOf(note)) {
    const QString permalink = database.permalinkForVideoId(videoId);
    if (permalink.isEmpty()) continue;
    Workspace::shared().openURL(
        QUrl(ServiceHosts::webURLString(QStringLiteral("/videos/") + permalink)));
  }
}

void ApplicationDelegate::revealVideosInFinder(const Notification &note) {
  VideoDatabase &database = VideoDatabase::defaultVideoDatabase();
  for (int videoId : videoIdsOf(note)) {
    const QString path = database.pathForVideoId(videoId);
    if (path.isEmpty()) continue;
    Workspace::shared().openFolder(QFileInfo(path).path());
  }
}

void ApplicationDelegate::importVideoPaths(const Notification &note) {
  importVideos(note.object.toStringList());
}

void ApplicationDelegate::importVideosFromPanel() {
  QStringList patterns;
  for (const QString &type : Utilities::movieFileTypes()) patterns << QStringLiteral("*.") + type;
  const QString filter = localized(QStringLiteral("appdelegateActionImportVideos")) +
                         QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  const QStringList paths = QFileDialog::getOpenFileNames(
      fMainWindowController ? fMainWindowController->window() : nullptr,
      localized(QStringLiteral("appdelegateActionImportVideos")), QDir::homePath(), filter);
  if (!paths.isEmpty()) importVideos(paths);
}
