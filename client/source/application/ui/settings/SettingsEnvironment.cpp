#include "SettingsEnvironment.h"

#include "DateUtilities.h"
#include "Dialogs.h"
#include "LibraryUtilities.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"

#include <QFileDialog>

Dialogs &SettingsEnvironment::alerts() const { return dialogs ? *dialogs : Dialogs::shared(); }

SettingsEnvironment SettingsEnvironment::application() {
  SettingsEnvironment environment;
  environment.defaults = &UserDefaults::standardUserDefaults();
  environment.freeBytes = [](const QString &path) {
    // All of the free space, as the download rules measure it.
    return Utilities::availableDiskSpaceForGivenPercentage(100, path);
  };
  environment.mediaFolderSize = [] { return Utilities::sizeOfMediaFolder(); };
  environment.deleteVideosToFreeUpDiskSpace = [](quint64 needed, quint64 allowed) {
    VideoDatabase::defaultVideoDatabase().deleteVideosToFreeUpDiskSpace(needed, allowed);
  };
  environment.chooseFolder = [](QWidget *parent, const QString &title, const QString &start) {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
  };
  return environment;
}
