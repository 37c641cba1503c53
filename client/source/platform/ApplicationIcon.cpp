#include "ApplicationIcon.h"

#include "ApplicationIdentity.h"

#include <QDir>
#include <QFileInfo>

namespace ApplicationIcon {

QString hicolorFolder() {
  return QDir::cleanPath(ApplicationIdentity::resourcesFolder() +
                         QStringLiteral("/../icons/hicolor"));
}

QIcon icon() {
  QIcon fallback;
  const QDir hicolor(hicolorFolder());
  const QString file = QStringLiteral("/apps/") + ApplicationIdentity::bundleIdentifier();
  for (const QString &size : hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    for (const char *extension : {".png", ".svg"}) {
      const QString path = hicolor.filePath(size + file + QLatin1String(extension));
      if (QFileInfo(path).isFile()) fallback.addFile(path);
    }
  }
  return QIcon::fromTheme(ApplicationIdentity::bundleIdentifier(), fallback);
}

}  // namespace ApplicationIcon
