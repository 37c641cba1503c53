#pragma once

#include <QString>
#include <QVariantList>

class ZDownloadItem;

// What the downloads page writes in a row's cells, as a string-table key and
// the values it is filled with (tests compare both; text() is what is shown).
struct ZLocalizedText {
  QString key;
  QVariantList args;

  QString text() const;
  bool operator==(const ZLocalizedText &) const = default;
};

namespace ZDownloadTexts {

// The connection-speed cell, by the download's state (first match wins):
// waiting for a slot, failed (or no job), waiting for disk space, paused by a
// restart, finished, the byte rate (KB/s above 1024 bytes a second, else
// bytes/s) once a transfer has started, else connecting.
ZLocalizedText connectionSpeed(int jobState, bool complete, bool commenced, double byteRate);
ZLocalizedText connectionSpeed(const ZDownloadItem &item);

// The time-remaining cell: unknown while waiting for a slot, after a
// failure and for an estimate that is not a positive finite number; done once
// complete; else hours, minutes and seconds of the estimate (whole seconds).
ZLocalizedText timeRemaining(int jobState, bool complete, double seconds);
ZLocalizedText timeRemaining(const ZDownloadItem &item);

// The percentage written over the progress bar, one decimal.
QString progress(double percent);

// The percentage a bar shows: 0 to 100, 0 for what is not a number.
double boundedPercent(double percent);

}  // namespace ZDownloadTexts
