#include "ZFolderManager.h"

#include "ApplicationIdentity.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Answers the path; creates a folder there first when nothing exists at it.
QString createdWhenMissing(const QString &path) {
  if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) QDir().mkpath(path);
  return path;
}

QString appendComponent(const QString &folder, const QString &component) {
  if (folder.endsWith(QLatin1Char('/'))) return folder + component;
  return folder + QLatin1Char('/') + component;
}

}  // namespace

ZFolderManager &ZFolderManager::sharedFolderManager() {
  static ZFolderManager *manager = new ZFolderManager(UserDefaults::standardUserDefaults());
  return *manager;
}

ZFolderManager::ZFolderManager(UserDefaults &defaults) : fDefaults(defaults) {}

QString ZFolderManager::applicationSupportRoot() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

std::optional<AppError> ZFolderManager::setupFolders() {
  if (fSetupDone) return std::nullopt;
  const QString root = applicationSupportRoot();
  QString result;
  if (!root.isEmpty() && QDir().mkpath(root)) {
    const QString path = appendComponent(root, ApplicationIdentity::applicationName());
    const QFileInfo info(path);
    if (info.exists()) {
      if (info.isDir()) result = path;
    } else if (QDir().mkdir(path)) {
      result = path;
    }
  }
  if (result.isEmpty())
    return AppError::withKey(QStringLiteral("appErrorCannotCreateGetAppSupportFolder"));
  fPathToUserApplicationSupportFolder = result;
  fSetupDone = true;
  return std::nullopt;
}

QString ZFolderManager::defaultMediaFilesFolderPath() const {
  if (fPathToUserApplicationSupportFolder.isEmpty()) return QString();
  return createdWhenMissing(
      appendComponent(fPathToUserApplicationSupportFolder, QStringLiteral("ZaroMedia")));
}

QString ZFolderManager::userMediaFilesFolderPath() const {
  QString location = fDefaults.stringForKey(QStringLiteral("DownloadLocation"));
  // An empty location would put the media folder at the file system's root.
  if (location.trimmed().isEmpty()) location = fPathToUserApplicationSupportFolder;
  if (location.isEmpty()) return QString();  // no folder known yet
  return createdWhenMissing(appendComponent(location, QStringLiteral("ZaroMedia")));
}

QString ZFolderManager::userMediaFileImagesFolderPath() const {
  const QString media = userMediaFilesFolderPath();
  if (media.isEmpty()) return QString();
  return createdWhenMissing(appendComponent(media, QStringLiteral("Images")));
}

QString ZFolderManager::desktopPath() const {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (desktop.isEmpty() || !QFileInfo(desktop).isDir()) return QString();
  // Without a Desktop folder of its own Qt answers the home folder itself.
  if (QDir(desktop) == QDir::home()) return QString();
  return desktop;
}
