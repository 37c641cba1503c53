#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class UserDefaults;

// The library's date conventions and the disk-space arithmetic behind the
// allowed-download-space rule.
namespace Utilities {

// The one text form of a date in the library: "%Y-%m-%d %H:%M:%S" in local
// time ("2003-06-10 04:00:00").
QDateTime parseDate(const QString &text);   // null when the text is not of that form
QString formatDate(const QDateTime &date);  // null text for a null or invalid date

// A feed (RFC 822 style) date in the library's form, or a null text. Reads
// "Tue Jun 10 04:00:00 2003" and "Tue,10 Jun 2003 04:00:00 GMT"; any zone in
// the text is ignored, the fields are taken as local time. Fields that do not
// make a real date and time (31 Feb, hour 25, letters) give a null text.
QString convertDateFromHtmlDateFormat(const QString &text);

// The localised relative text for a library date ("Today", "3 weeks ago"),
// counted in the library's coarse calendar (a year of 365 days, months of 30).
// Empty when the date does not parse.
QString getDateAddedTextRepresentation(const QString &dateAdded);
QString getDateAddedTextRepresentation(const QString &dateAdded, const QDate &today);

// "hh:mm:ss" or "hh:mm" of a number of seconds, hours wrapping at 24; a
// negative count reads as 0.
QString secondsToTimeString(int seconds, bool showSeconds);

// Free bytes × percentage / 100, truncated; 0 for a negative or undefined
// product, the largest count when it does not fit.
quint64 allowedDiskSpace(quint64 freeBytes, double percentage);

// The allowed download space: the free bytes of the file system holding the
// "DownloadLocation" setting × "DownloadAllowedDiskUsage" / 100.
quint64 availableDiskSpace();
quint64 availableDiskSpace(const UserDefaults &defaults);

// Free bytes of the file system holding path × percentage / 100; the free
// bytes count as 0 for an empty path or when the file system reports none.
quint64 availableDiskSpaceForGivenPercentage(double percentage, const QString &path);

}  // namespace Utilities
