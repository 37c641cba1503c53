#include "LoginItemUpdater.h"

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
  if (wanted && index < 0) LoginItems::addURLAtEnd(programPath, false);
}

}  // namespace LoginItemUpdater
