// The uninstaller's entry: one window that removes the player and, on
// request, the downloaded media.
#include "ApplicationIdentity.h"
#include "UninstallerController.h"
#include "UserDefaults.h"
#include "ZFolderManager.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(ApplicationIdentity::applicationName());
  QApplication::setDesktopFileName(QStringLiteral("zaro-uninstaller"));
  // The player's own settings tell where its media are.
  UserDefaults &defaults = UserDefaults::standardUserDefaults();
  ZFolderManager &folders = ZFolderManager::sharedFolderManager();

  UninstallerController controller(folders, defaults, UninstallerSetup::standard());
  QObject::connect(&controller, &UninstallerController::terminateRequested, &app,
                   [] { QApplication::quit(); });
  controller.awakeFromNib();
  controller.show();
  return app.exec();
}
