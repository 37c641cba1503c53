#include "ZDiskSpaceTransformer.h"

#include "Localization.h"
#include "UserDefaults.h"
#include "ZDownloadEnvironment.h"

#include <cmath>

ZDiskSpaceTransformer::ZDiskSpaceTransformer()
    : ZDiskSpaceTransformer(UserDefaults::standardUserDefaults(),
                            &ZDownloadEnvironment::fileSystemFreeBytes) {}

ZDiskSpaceTransformer::ZDiskSpaceTransformer(UserDefaults &defaults, FreeBytes freeBytes)
    : fDefaults(&defaults), fFreeBytes(std::move(freeBytes)) {}

double ZDiskSpaceTransformer::gigabytes(const QVariant &percentage) const {
  const QString location = fDefaults->stringForKey(QStringLiteral("DownloadLocation"));
  const quint64 freeBytes = location.isEmpty() || !fFreeBytes ? 0 : fFreeBytes(location);
  return double(freeBytes >> 30) * percentage.toDouble() / 100.0;
}

QString ZDiskSpaceTransformer::transformedValue(const QVariant &percentage) const {
  // Shown to a tenth of a gigabyte.
  const double shown = std::round(gigabytes(percentage) * 10.0) / 10.0;
  return localizedFormat(QStringLiteral("settingsWindowDownloadsDiskspaceUtilizationGb"), {shown});
}
