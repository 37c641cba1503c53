#pragma once

#include "AppError.h"

#include <QString>

#include <optional>

class UserDefaults;

// The one place that knows where the application keeps its files: the per-user
// application folder ($XDG_DATA_HOME/Zaro Player), the media folder under the
// "DownloadLocation" setting with its "Images" folder, and the Desktop.
class ZFolderManager {
 public:
  static ZFolderManager &sharedFolderManager();

  explicit ZFolderManager(UserDefaults &defaults);

  // Finds or creates the application folder; an error when there is none.
  // Does nothing once it has succeeded.
  std::optional<AppError> setupFolders();

  QString userApplicationSupportFolderPath() const { return fPathToUserApplicationSupportFolder; }
  QString defaultMediaFilesFolderPath() const;
  QString userMediaFilesFolderPath() const;
  QString userMediaFileImagesFolderPath() const;
  // The user's Desktop folder, or a null string when it does not exist.
  QString desktopPath() const;

  // The folder under which the application folder lives ($XDG_DATA_HOME).
  static QString applicationSupportRoot();

 private:
  UserDefaults &fDefaults;
  QString fPathToUserApplicationSupportFolder;
  bool fSetupDone = false;
};
