#pragma once

#include <QString>
#include <QVariantList>

class ZDownloadItem;
enum class DownloadFailure;

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
// For a download, its failure's own text comes first: once it has failed
// (and while a step that failed waits to be tried again) with a failure that
// has a name of its own (failureText()); otherwise the state decides, as above.
ZLocalizedText connectionSpeed(const ZDownloadItem &item);

// The text of a failure with a name of its own: the video unknown to the
// service, a full disk, a video longer than announced, the library; a null
// key for the others (a server failure is told by the state).
ZLocalizedText failureText(DownloadFailure failure);

// The time-remaining cell: unknown while waiting for a slot, after a
// failure and for an estimate that is not a positive finite number; done once
// complete; else hours, minutes and seconds of the estimate (whole seconds).
ZLocalizedText timeRemaining(int jobState, bool complete, double seconds);
ZLocalizedText timeRemaining(const ZDownloadItem &item);

// The percentage written over the progress bar, one decimal.
QString progress(double percent);

// The percentage a bar shows: 0 to 100, 0 for what is not a number.
double boundedPercent(double percent);

// The percentage as written over the bar, as a number: bounded, one decimal.
double shownPercent(double percent);

// What assistive technology reads of a row beside its title and its bar:
// the speed (or state) and the time remaining as the cells show them, joined
// by ", ", the time read as "... left". A cell that tells nothing is left
// out: a byte rate written as 0 (no byte has come yet) and the unknown time;
// with neither, the text is empty.
QString accessibleDescription(const ZLocalizedText &speed, const ZLocalizedText &time);

}  // namespace ZDownloadTexts
