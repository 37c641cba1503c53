#pragma once

#include <QString>
#include <QVariant>

#include <functional>

class UserDefaults;

// Shows what the allowed-disk-usage percentage of the settings window stands
// for: whole gibibytes free on the volume of "DownloadLocation" × percentage
// / 100, in the text of "settingsWindowDownloadsDiskspaceUtilizationGb".
// Only one way: there is no reverse transformation.
class ZDiskSpaceTransformer {
 public:
  using FreeBytes = std::function<quint64(const QString &path)>;

  // Over the application's defaults and the file system's free space.
  ZDiskSpaceTransformer();
  ZDiskSpaceTransformer(UserDefaults &defaults, FreeBytes freeBytes);

  static bool allowsReverseTransformation() { return false; }

  // The gigabytes for a percentage; a missing or empty "DownloadLocation",
  // or a volume whose free size cannot be read, counts as 0 free bytes.
  double gigabytes(const QVariant &percentage) const;
  // The localized text of gigabytes().
  QString transformedValue(const QVariant &percentage) const;

 private:
  UserDefaults *fDefaults;
  FreeBytes fFreeBytes;
};
