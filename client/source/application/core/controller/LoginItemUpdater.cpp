#include "LoginItemUpdater.h"

#include "ApplicationIdentity.h"
#include "LoginItems.h"
#include "UserDefaults.h"

namespace LoginItemUpdater {

void updateLoginItem(const QString &programPath) {
  const auto items = LoginItems::copyLoginItems();
  if (!items) return;
  const int index = LoginItems::indexOfPlayer(*items);
  const bool wanted =
      UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("GeneralOpenClientAtStartup"));
  if (!wanted && index >= 0) LoginItems::remove(index);
  // An item made before entries named their program for the desktop to check
  // gets that now, so that it is passed over once the player is gone.
  if (wanted && index >= 0 && !items->at(index).value(QStringLiteral("TryExec")).toBool())
    LoginItems::addTryExec(index);
  // Named like the player's desktop entry, which it mirrors.
  if (wanted && index < 0)
    LoginItems::addURLAtEnd(programPath, false,
                            {ApplicationIdentity::bundleIdentifier(),
                             ApplicationIdentity::applicationName(),
                             ApplicationIdentity::bundleIdentifier()});
}

}  // namespace LoginItemUpdater
