#include "SettingsValues.h"

#include "Localization.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>

namespace {

const QString kOpenClientAtStartup = QStringLiteral("GeneralOpenClientAtStartup");
const QString kLoopVideoPlay = QStringLiteral("PlaybackLoopVideoPlay");
const QString kQuitConfirmation = QStringLiteral("GeneralQuitConfirmationCancellation");
const QString kDownloadLocation = QStringLiteral("DownloadLocation");
const QString kAllowedDiskUsage = QStringLiteral("DownloadAllowedDiskUsage");
const QString kMaxSimultaneousCount = QStringLiteral("DownloadMaxSimultaneousCount");
const QString kNewVideoNotification = QStringLiteral("DownloadNewVideoNotification");
const QString kConfirmCancellation = QStringLiteral("DownloadConfirmCancellation");
const QString kVideoCount = QStringLiteral("DownloadVideoCount");

int clampedInt(qint64 value) {
  return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                std::numeric_limits<int>::max()));
}

// True when a file can be made in the folder (and was removed again): the
// one sure test, whoever runs the player and whatever the file system is.
bool canWriteInto(const QString &folder) {
  QTemporaryFile probe(folder + QStringLiteral("/.zaro-player-XXXXXX"));
  return probe.open();
}

}  // namespace

SettingsValues SettingsValues::read(const UserDefaults &defaults) {
  SettingsValues values;
  values.openClientAtStartup = defaults.boolForKey(kOpenClientAtStartup);
  values.loopVideoPlay = defaults.boolForKey(kLoopVideoPlay);
  values.quitConfirmation = defaults.boolForKey(kQuitConfirmation);
  values.downloadLocation = defaults.stringForKey(kDownloadLocation);
  values.allowedDiskUsage = defaults.doubleForKey(kAllowedDiskUsage);
  values.maxSimultaneousCount = clampedInt(defaults.integerForKey(kMaxSimultaneousCount));
  values.newVideoNotification = defaults.boolForKey(kNewVideoNotification);
  values.confirmCancellation = defaults.boolForKey(kConfirmCancellation);
  values.videoCount = clampedInt(defaults.integerForKey(kVideoCount));
  return values;
}

QVariantMap SettingsValues::toMap() const {
  return {
      {kOpenClientAtStartup, openClientAtStartup},
      {kLoopVideoPlay, loopVideoPlay},
      {kQuitConfirmation, quitConfirmation},
      {kDownloadLocation, downloadLocation},
      {kAllowedDiskUsage, allowedDiskUsage},
      {kMaxSimultaneousCount, maxSimultaneousCount},
      {kNewVideoNotification, newVideoNotification},
      {kConfirmCancellation, confirmCancellation},
      {kVideoCount, videoCount},
  };
}

QVariantMap SettingsValues::changesFrom(const SettingsValues &before) const {
  const QVariantMap now = toMap();
  const QVariantMap then = before.toMap();
  QVariantMap changes;
  for (auto it = now.begin(); it != now.end(); ++it) {
    const bool changed = it.key() == kAllowedDiskUsage
                             ? float(allowedDiskUsage) != float(before.allowedDiskUsage)
                             : *it != then.value(it.key());
    if (changed) changes.insert(it.key(), *it);
  }
  return changes;
}

namespace SettingsRules {

std::optional<double> parsePercentage(const QString &text) {
  const QString trimmed = text.trimmed();
  bool ok = false;
  double value = QLocale::c().toDouble(trimmed, &ok);
  if (!ok) value = QLocale().toDouble(trimmed, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> parseCount(const QString &text) {
  bool ok = false;
  const int value = QLocale::c().toInt(text.trimmed(), &ok);
  if (!ok) return std::nullopt;
  return value;
}

QString percentageText(double percentage) {
  // A float holds about seven digits: 12.5 reads "12.5", not "12.500000190".
  return QString::number(percentage, 'g', 7);
}

bool diskUsageAcceptable(std::optional<double> percentage) {
  return percentage && *percentage >= kMinDiskUsage && *percentage <= kMaxDiskUsage;
}

bool countAcceptable(std::optional<int> count) {
  return count && *count >= kMinSimultaneousCount && *count <= kMaxSimultaneousCount;
}

double diskUsageStepperValue(std::optional<double> percentage) {
  return std::clamp(percentage.value_or(0), kMinDiskUsage, kMaxDiskUsage);
}

int countStepperValue(std::optional<int> count) {
  return std::clamp(count.value_or(0), kMinSimultaneousCount, kMaxSimultaneousCount);
}

QString diskUsageDescription(double percentage, quint64 freeBytes) {
  const double gigabytes = double(freeBytes) * (percentage / 100.0) / 1073741824.0;
  if (gigabytes >= 1)
    return localizedFormat(QStringLiteral("settingsWindowDownloadsDiskspaceUtilizationGb"),
                           {std::round(gigabytes * 10.0) / 10.0});
  return localizedFormat(QStringLiteral("settingsWindowDownloadsDiskspaceUtilizationMb"),
                         {std::max(0.0, std::round(gigabytes * 1024.0))});
}

QString normalizedLocation(const QString &text) {
  QString path = text;
  if (path == QLatin1String("~"))
    path = QDir::homePath();
  else if (path.startsWith(QLatin1String("~/")))
    path = QDir::homePath() + path.mid(1);
  // Only a full path is cleaned: other text is refused as it was typed.
  return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : path;
}

QString locationProblem(const QString &location) {
  const auto problem = [&](const char *key, const QString &path) {
    return localizedFormat(QLatin1String(key), {path});
  };
  if (location.isEmpty() || !QDir::isAbsolutePath(location))
    return problem("settingsWindowErrorLocationNotAbsoluteMessage", location);
  const QFileInfo folder(location);
  if (!folder.exists()) return problem("settingsWindowErrorLocationMissingMessage", location);
  if (!folder.isDir()) return problem("settingsWindowErrorLocationNotFolderMessage", location);
  if (!canWriteInto(location))
    return problem("settingsWindowErrorLocationNotWritableMessage", location);
  // The videos go into its "ZaroMedia" folder, made when it is missing.
  const QString media = QDir(location).filePath(QStringLiteral("ZaroMedia"));
  const QFileInfo mediaInfo(media);
  if (mediaInfo.exists() || mediaInfo.isSymLink()) {
    if (!mediaInfo.isDir() || !canWriteInto(media))
      return problem("settingsWindowErrorLocationMediaFolderMessage", media);
  }
  return QString();
}

}  // namespace SettingsRules
