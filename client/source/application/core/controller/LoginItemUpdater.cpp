#include "LoginItemUpdater.h"

#include "LoginItems.h"
#include "UserDefaults.h"

#include <QUrl>

namespace LoginItemUpdater {

bool urlNamesPlayer(const QString &url) {
  const QString unescaped = QUrl::fromPercentEncoding(url.toUtf8());
  return unescaped.contains(QLatin1String(PlayerMatchText), Qt::CaseInsensitive);
}

void updateLoginItem(const QString &programPath) {
  const auto items = LoginItems::copyLoginItems();
  if (!items) return;
  int index = -1;
  for (int i = 0; i < items->size(); ++i) {
    if (urlNamesPlayer(items->at(i).value(QStringLiteral("URL")).toString())) {
      index = i;
      break;
    }
  }
  const bool wanted =
      UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("GeneralOpenClientAtStartup"));
  if (!wanted && index >= 0) LoginItems::remove(index);
  if (wanted && index < 0) LoginItems::addURLAtEnd(programPath, false);
}

}  // namespace LoginItemUpdater
