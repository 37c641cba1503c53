#include "DateUtilities.h"

#include "Localization.h"
#include "UserDefaults.h"

#include <QStorageInfo>
#include <QStringList>

#include <cmath>
#include <limits>

namespace Utilities {

namespace {

// Reads an unsigned decimal of minDigits..maxDigits ASCII digits at text[pos],
// advancing pos; -1 when there is none.
int readDigits(QStringView text, qsizetype &pos, int minDigits, int maxDigits) {
  int value = 0;
  int digits = 0;
  while (pos < text.size() && digits < maxDigits) {
    const char16_t c = text.at(pos).unicode();
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    ++digits;
    ++pos;
  }
  return digits >= minDigits ? value : -1;
}

bool allDigits(QStringView text) {
  if (text.isEmpty()) return false;
  for (const QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// The local date-time of the fields, or a null one when they make no real
// date or time. A wall-clock time skipped by a daylight-saving change is moved
// forward by the size of the gap, as the C library's mktime() does.
QDateTime localDateTime(int year, int month, int day, int hour, int minute, int second) {
  const QDate date(year, month, day);
  const QTime time(hour, minute, second);
  if (!date.isValid() || !time.isValid()) return QDateTime();
  QDateTime local(date, time, Qt::LocalTime);
  if (local.isValid()) return local;
  // In a gap: read the wall-clock time with the offset in force a day before.
  const QDateTime asUtc(date, time, Qt::UTC);
  const QDateTime dayBefore = asUtc.addDays(-1).toLocalTime();
  if (!dayBefore.isValid()) return QDateTime();
  const qint64 msecs = asUtc.toMSecsSinceEpoch() - qint64(dayBefore.offsetFromUtc()) * 1000;
  local = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
  return local.isValid() ? local : QDateTime();
}

// Month number of a feed's month name (case-insensitive, trimmed), 0 if none.
int monthNumber(const QString &piece) {
  static const char *const Names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const QString name = piece.trimmed();
  for (int i = 0; i < 12; ++i)
    if (name.compare(QLatin1String(Names[i]), Qt::CaseInsensitive) == 0) return i + 1;
  return 0;
}

qint64 dayNumber(const QDate &date) {
  return qint64(date.year()) * 365 + qint64(date.month()) * 30 + date.day();
}

}  // namespace

QDateTime parseDate(const QString &text) {
  // "%Y-%m-%d %H:%M:%S": year of one to four digits, the other fields of one
  // or two, nothing before or after.
  qsizetype pos = 0;
  const QStringView view(text);
  auto separator = [&](char16_t c) {
    if (pos >= view.size() || view.at(pos) != c) return false;
    ++pos;
    return true;
  };
  const int year = readDigits(view, pos, 1, 4);
  if (year < 0 || !separator(u'-')) return QDateTime();
  const int month = readDigits(view, pos, 1, 2);
  if (month < 0 || !separator(u'-')) return QDateTime();
  const int day = readDigits(view, pos, 1, 2);
  if (day < 0 || !separator(u' ')) return QDateTime();
  const int hour = readDigits(view, pos, 1, 2);
  if (hour < 0 || !separator(u':')) return QDateTime();
  const int minute = readDigits(view, pos, 1, 2);
  if (minute < 0 || !separator(u':')) return QDateTime();
  const int second = readDigits(view, pos, 1, 2);
  if (second < 0 || pos != view.size()) return QDateTime();
  return localDateTime(year, month, day, hour, minute, second);
}

QString formatDate(const QDateTime &date) {
  if (!date.isValid()) return QString();
  return date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString convertDateFromHtmlDateFormat(const QString &text) {
  QString copy = text;
  for (QChar &c : copy)
    if (c == u',' || c == u'-' || c == u':') c = u' ';
  const QStringList pieces = copy.split(u' ', Qt::KeepEmptyParts);
  const qsizetype count = pieces.size();
  if (count < 7) return QString();

  QString dayText, monthText, yearText, hourText, minuteText, secondText;
  if (monthNumber(pieces.at(1)) != 0) {
    if (count > 8) return QString();
    monthText = pieces.at(1);
    dayText = pieces.at(2);
    hourText = pieces.at(3);
    minuteText = pieces.at(4);
    secondText = pieces.at(5);
    yearText = count == 8 ? pieces.at(7) : pieces.at(6);
  } else if (count == 8) {
    dayText = pieces.at(1);
    monthText = pieces.at(2);
    yearText = pieces.at(3);
    hourText = pieces.at(4);
    minuteText = pieces.at(5);
    secondText = pieces.at(6);
  } else {
    return QString();
  }

  const QString year = yearText.trimmed();
  const int month = monthNumber(monthText);
  const QString fields[] = {dayText.trimmed(), hourText.trimmed(), minuteText.trimmed(),
                            secondText.trimmed()};
  if ((year.size() != 2 && year.size() != 4) || !allDigits(year) || month == 0) return QString();
  int values[4];
  for (int i = 0; i < 4; ++i) {
    if (fields[i].size() < 1 || fields[i].size() > 2 || !allDigits(fields[i])) return QString();
    values[i] = fields[i].toInt();
  }
  int y = year.toInt();
  if (y < 50)
    y += 2000;
  else if (y < 100)
    y += 1900;
  return formatDate(localDateTime(y, month, values[0], values[1], values[2], values[3]));
}

QString getDateAddedTextRepresentation(const QString &dateAdded, const QDate &today) {
  const QDateTime added = parseDate(dateAdded);
  if (!added.isValid() || !today.isValid()) return QString();
  const qint64 d = dayNumber(today) - dayNumber(added.date());
  if (d >= 365) {
    return d > 729 ? localizedFormat(QStringLiteral("libraryDateAddedNYearsAgo"), {d / 365})
                   : localized(QStringLiteral("libraryDateAddedOneYearAgo"));
  }
  if (d >= 30) {
    return d > 59 ? localizedFormat(QStringLiteral("libraryDateAddedNMonthsAgo"), {d / 30})
                  : localized(QStringLiteral("libraryDateAddedOneMonthAgo"));
  }
  if (d >= 7) {
    return d > 13 ? localizedFormat(QStringLiteral("libraryDateAddedNWeeksAgo"), {d / 7})
                  : localized(QStringLiteral("libraryDateAddedOneWeekAgo"));
  }
  if (d <= 0) return localized(QStringLiteral("libraryDateAddedToday"));
  if (d == 1) return localized(QStringLiteral("libraryDateAddedOneDayAgo"));
  return localizedFormat(QStringLiteral("libraryDateAddedNDaysAgo"), {d});
}

QString getDateAddedTextRepresentation(const QString &dateAdded) {
  return getDateAddedTextRepresentation(dateAdded, QDate::currentDate());
}

QString secondsToTimeString(int seconds, bool showSeconds) {
  const int s = seconds < 0 ? 0 : seconds;
  const int hours = s / 3600 % 24;
  const int minutes = s / 60 % 60;
  const QChar zero(u'0');
  QString text = QStringLiteral("%1:%2").arg(hours, 2, 10, zero).arg(minutes, 2, 10, zero);
  if (showSeconds) text += QStringLiteral(":%1").arg(s % 60, 2, 10, zero);
  return text;
}

quint64 allowedDiskSpace(quint64 freeBytes, double percentage) {
  const double bytes = double(freeBytes) * percentage / 100.0;
  if (!(bytes > 0)) return 0;  // negative, zero or NaN
  // 2^64 as a double; anything at or above it does not fit.
  if (bytes >= 18446744073709551616.0) return std::numeric_limits<quint64>::max();
  return quint64(bytes);
}

quint64 availableDiskSpaceForGivenPercentage(double percentage, const QString &path) {
  quint64 freeBytes = 0;
  if (!path.isEmpty()) {
    const QStorageInfo storage(path);
    if (storage.isValid() && storage.isReady() && storage.bytesAvailable() > 0)
      freeBytes = quint64(storage.bytesAvailable());
  }
  return allowedDiskSpace(freeBytes, percentage);
}

quint64 availableDiskSpace(const UserDefaults &defaults) {
  return availableDiskSpaceForGivenPercentage(
      defaults.floatForKey(QStringLiteral("DownloadAllowedDiskUsage")),
      defaults.stringForKey(QStringLiteral("DownloadLocation")));
}

quint64 availableDiskSpace() { return availableDiskSpace(UserDefaults::standardUserDefaults()); }

}  // namespace Utilities
