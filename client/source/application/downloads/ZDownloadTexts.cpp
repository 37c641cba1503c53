#include "ZDownloadTexts.h"

#include "Localization.h"
#include "ZDownloadItem.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

QString ZLocalizedText::text() const {
  return args.isEmpty() ? localized(key) : localizedFormat(key, args);
}

namespace ZDownloadTexts {

ZLocalizedText connectionSpeed(int jobState, bool complete, bool commenced, double byteRate) {
  if (jobState == JobStatePendingImage) return {"downloadsColumnvalueConnectionSpeedPending", {}};
  if (jobState == JobStateNone || jobState == JobStateFailed)
    return {"downloadsColumnvalueServerFailure", {}};
  if (jobState == JobStateWaitingForDiskSpace)
    return {"downloadsColumnValueWaitingForDiskSpace", {}};
  if (jobState == JobStateInterrupted)
    return {"downloadsColumnValueConnectionSpeedDownloadingVideoPaused", {}};
  if (complete) return {"downloadsColumnvalueConnectionSpeedFinished", {}};
  if (commenced && std::isfinite(byteRate)) {
    if (byteRate > 1024.0) return {"downloadsColumnvalueKBytesPerSec", {byteRate / 1024.0}};
    return {"downloadsColumnvalueBytesPerSec", {std::max(0.0, byteRate)}};
  }
  return {"downloadsColumnvalueConnecting", {}};
}

ZLocalizedText failureText(DownloadFailure failure) {
  switch (failure) {
    case DownloadFailure::VideoUnknown:
      return {"downloadsColumnvalueVideoNotFound", {}};
    case DownloadFailure::DiskFull:
      return {"downloadsColumnvalueDiskFull", {}};
    case DownloadFailure::LongerThanAnnounced:
      return {"downloadsColumnvalueWrongSize", {}};
    case DownloadFailure::Library:
      return {"downloadsColumnvalueLibraryFailure", {}};
    case DownloadFailure::None:
    case DownloadFailure::Server:
      break;
  }
  return {};
}

ZLocalizedText connectionSpeed(const ZDownloadItem &item) {
  const int state = item.jobState();
  if (state == JobStateFailed || state == JobStatePendingMetaInfo ||
      state == JobStatePendingImage) {
    ZLocalizedText why = failureText(item.lastFailure());
    if (!why.key.isEmpty()) return why;
  }
  return connectionSpeed(state, item.downloadComplete(), item.downloadCommenced(), item.byteRate());
}

ZLocalizedText timeRemaining(int jobState, bool complete, double seconds) {
  const ZLocalizedText unknown{"downloadsColumnvalueTimeUnknown", {}};
  if (jobState == JobStateFailed || jobState == JobStatePendingImage) return unknown;
  if (complete) return {"downloadsColumnvalueTimeCompleted", {}};
  // An estimate beyond any sense (a stalled transfer gives one) is unknown too.
  if (!std::isfinite(seconds) || seconds <= 0 || seconds >= 1e12) return unknown;
  const qint64 t = qint64(seconds);
  const qint64 hours = t / 3600, totalMinutes = t / 60, minutes = totalMinutes % 60, secs = t % 60;
  if (hours >= 2)
    return {minutes == 1 ? "downloadsColumnvalueTimeFormatHrsMinSecs"
                         : "downloadsColumnvalueTimeFormatHrsMinsSecs",
            {hours, minutes, secs}};
  if (hours == 1)
    return {minutes == 1 ? "downloadsColumnvalueTimeFormatHrMinSecs"
                         : "downloadsColumnvalueTimeFormatHrMinsSecs",
            {hours, minutes, secs}};
  if (totalMinutes >= 1)
    return {totalMinutes == 1 ? "downloadsColumnvalueTimeFormatMinSecs"
                              : "downloadsColumnvalueTimeFormatMinsSecs",
            {totalMinutes, secs}};
  return {"downloadsColumnvalueTimeFormatSecs", {secs}};
}

ZLocalizedText timeRemaining(const ZDownloadItem &item) {
  return timeRemaining(item.jobState(), item.downloadComplete(),
                       item.secondsRemainingForDownloadToComplete());
}

double boundedPercent(double percent) {
  return std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0.0;
}

double shownPercent(double percent) {
  return std::round(boundedPercent(percent) * 10.0) / 10.0;
}

QString accessibleDescription(const ZLocalizedText &speed, const ZLocalizedText &time) {
  QStringList parts;
  const bool noRate = speed.key == QLatin1String("downloadsColumnvalueBytesPerSec") &&
                      !(speed.args.value(0).toDouble() >= 0.5);
  if (!speed.key.isEmpty() && !noRate) parts << speed.text();
  if (time.key.startsWith(QLatin1String("downloadsColumnvalueTimeFormat")))
    parts << localizedFormat(QStringLiteral("downloadsAccessibleTimeLeft"), {time.text()});
  else if (!time.key.isEmpty() && time.key != QLatin1String("downloadsColumnvalueTimeUnknown"))
    parts << time.text();
  parts.removeAll(QString());
  return parts.join(QStringLiteral(", "));
}

QString progress(double percent) {
  return formatString(QStringLiteral("%2.1f%@"), {boundedPercent(percent), QStringLiteral("%")});
}

}  // namespace ZDownloadTexts
