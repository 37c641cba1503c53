#pragma once

#include <QString>
#include <QStringView>

#include <cmath>
#include <limits>
#include <optional>

// A point or length of movie time as a count of units of 1/timeScale second,
// the way containers store it. Kept as the exact pair so that a time written
// out and read back is the same time, not a rounded number of seconds.
struct ZTime {
  qint64 value = 0;
  qint32 timeScale = 0;

  // A time needs a positive scale; the default one has none.
  bool isValid() const { return timeScale > 0; }

  // value / timeScale as a floating-point number (0 for an invalid time).
  double seconds() const { return isValid() ? double(value) / double(timeScale) : 0.0; }

  // seconds() truncated toward zero.
  qint64 wholeSeconds() const {
    const double s = std::trunc(seconds());
    if (s >= 9223372036854775807.0) return std::numeric_limits<qint64>::max();
    if (s <= -9223372036854775808.0) return std::numeric_limits<qint64>::min();
    return qint64(s);
  }

  // Half of this time at the same scale, rounded toward zero.
  ZTime half() const { return ZTime{value / 2, timeScale}; }

  // The same time expressed in units of 1/newScale second, rounded to the
  // nearest unit (halves away from zero) and clamped to the qint64 range.
  // An invalid time or scale gives an invalid time.
  ZTime rescaled(qint32 newScale) const {
    if (!isValid() || newScale <= 0) return ZTime{};
    if (newScale == timeScale) return *this;
    const __int128 numerator = __int128(value) * newScale;
    const __int128 magnitude = numerator < 0 ? -numerator : numerator;
    __int128 quotient = (magnitude + timeScale / 2) / timeScale;
    if (numerator < 0) quotient = -quotient;
    const __int128 lowest = std::numeric_limits<qint64>::min();
    const __int128 highest = std::numeric_limits<qint64>::max();
    if (quotient < lowest) quotient = lowest;
    if (quotient > highest) quotient = highest;
    return ZTime{qint64(quotient), newScale};
  }

  // A time of the given seconds at the given scale, rounded to the nearest
  // unit; invalid for a non-positive scale or a seconds value that is not a
  // finite number.
  static ZTime fromSeconds(double seconds, qint32 timeScale) {
    if (timeScale <= 0 || !std::isfinite(seconds)) return ZTime{};
    const double units = std::round(seconds * double(timeScale));
    if (units >= 9223372036854775807.0) return ZTime{std::numeric_limits<qint64>::max(), timeScale};
    if (units <= -9223372036854775808.0)
      return ZTime{std::numeric_limits<qint64>::min(), timeScale};
    return ZTime{qint64(units), timeScale};
  }

  // The exact text form "value/timeScale", for example "4500/600" or "-3/2".
  QString toString() const {
    return QString::number(value) + QLatin1Char('/') + QString::number(timeScale);
  }

  // Reads the text form back: an optional "-", decimal digits, "/", decimal
  // digits of a positive scale, nothing else (no spaces, no "+"). Nothing for
  // any other text or a number out of range.
  static std::optional<ZTime> fromString(QStringView text) {
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0) return std::nullopt;
    const std::optional<qint64> value = parseInteger(text.left(slash), true);
    const std::optional<qint64> scale = parseInteger(text.mid(slash + 1), false);
    if (!value || !scale) return std::nullopt;
    if (*scale <= 0 || *scale > std::numeric_limits<qint32>::max()) return std::nullopt;
    return ZTime{*value, qint32(*scale)};
  }

  friend bool operator==(const ZTime &, const ZTime &) = default;

 private:
  static std::optional<qint64> parseInteger(QStringView digits, bool allowMinus) {
    bool negative = false;
    if (allowMinus && digits.startsWith(QLatin1Char('-'))) {
      negative = true;
      digits = digits.mid(1);
    }
    if (digits.isEmpty() || digits.size() > 19) return std::nullopt;
    // Accumulated as a negative number so that the most negative value fits.
    qint64 accumulated = 0;
    for (const QChar c : digits) {
      if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
      const int digit = c.unicode() - u'0';
      if (accumulated < (std::numeric_limits<qint64>::min() + digit) / 10) return std::nullopt;
      accumulated = accumulated * 10 - digit;
    }
    if (negative) return accumulated;
    if (accumulated == std::numeric_limits<qint64>::min()) return std::nullopt;
    return -accumulated;
  }
};
