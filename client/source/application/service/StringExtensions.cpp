#include "StringExtensions.h"

#include <limits>

namespace {

bool isAsciiAlphanumeric(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// White space as the C library's isspace() sees it in the "C" locale.
bool isCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The leading number of a text as the C library's strto(u)ll reads it: the
// magnitude (saturated at 2^64 - 1), whether it was negative and whether it
// overflowed.
struct LeadingNumber {
  quint64 magnitude = 0;
  bool negative = false;
  bool overflow = false;
};

LeadingNumber readLeadingNumber(const QString &text) {
  LeadingNumber result;
  qsizetype i = 0;
  const qsizetype n = text.size();
  // The C-string form ends at the first NUL; no digit is NUL, so the loops stop
  // there on their own.
  while (i < n && isCSpace(text.at(i).unicode())) ++i;
  if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
    result.negative = text.at(i) == u'-';
    ++i;
  }
  constexpr quint64 max = std::numeric_limits<quint64>::max();
  for (; i < n; ++i) {
    const char16_t c = text.at(i).unicode();
    if (c < u'0' || c > u'9') break;
    const quint64 digit = c - u'0';
    if (result.overflow || result.magnitude > (max - digit) / 10) {
      result.overflow = true;
      result.magnitude = max;
      continue;
    }
    result.magnitude = result.magnitude * 10 + digit;
  }
  return result;
}

}  // namespace

namespace StringExtensions {

QString wwwFormURLEncoded(const QString &text) {
  static constexpr char16_t Hex[] = u"0123456789ABCDEF";
  QString out;
  out.reserve(text.size() * 3);
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (isAsciiAlphanumeric(c)) {
      out += ch;
      continue;
    }
    out += u'%';
    // At least two digits, so that the next character can never be read as
    // part of the escape ("\nB" must not turn into "%AB").
    if (c > 0xFFF) out += QChar(Hex[(c >> 12) & 0xF]);
    if (c > 0xFF) out += QChar(Hex[(c >> 8) & 0xF]);
    out += QChar(Hex[(c >> 4) & 0xF]);
    out += QChar(Hex[c & 0xF]);
  }
  return out;
}

QString wwwFormURLEncoded(quint64 number) { return QString::number(number); }

QString wwwFormURLDecoded(const QString &text) {
  QString out;
  out.reserve(text.size());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text.at(i);
    // Both digits must lie inside the text.
    if (ch == u'%' && i + 2 < n) {
      const int high = hexValue(text.at(i + 1).unicode());
      const int low = hexValue(text.at(i + 2).unicode());
      if (high >= 0 && low >= 0) {
        out += QChar(char16_t(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out += ch;
  }
  return out;
}

quint64 unsignedLongLongValue(const QString &text) {
  const LeadingNumber number = readLeadingNumber(text);
  if (number.overflow) return std::numeric_limits<quint64>::max();
  return number.negative ? 0 - number.magnitude : number.magnitude;
}

std::optional<qint64> integerNumber(const QString &text) {
  if (text.isEmpty()) return std::nullopt;
  const LeadingNumber number = readLeadingNumber(text);
  constexpr quint64 maxPositive = quint64(std::numeric_limits<qint64>::max());
  if (number.negative) {
    if (number.magnitude > maxPositive) return std::numeric_limits<qint64>::min();
    return -qint64(number.magnitude);
  }
  if (number.magnitude > maxPositive) return std::numeric_limits<qint64>::max();
  return qint64(number.magnitude);
}

QString sqlEscape(const QString &text) {
  QString out = text;
  out.replace(u'\'', QStringLiteral("''"));
  return out;
}

}  // namespace StringExtensions

namespace Utilities {

QString parameter(const QString &name, const QString &url) {
  const qsizetype start = url.indexOf(name);
  if (start < 0) return QString();
  QString rest = url.mid(start);
  const qsizetype ampersand = rest.indexOf(u'&');
  if (ampersand >= 0) rest.truncate(ampersand);
  const qsizetype equals = rest.indexOf(u'=');
  if (equals < 0) return QString();
  const QString value = rest.mid(equals + 1);
  return value.isNull() ? QStringLiteral("") : value;
}

bool isServicePermalink(QStringView text) {
  constexpr qsizetype kMaxPermalinkLength = 255;
  if (text.isEmpty() || text.size() > kMaxPermalinkLength) return false;
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    const bool letterOrDigit =
        (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    if (!letterOrDigit && c != u'.' && c != u'_' && c != u'~' && c != u'-') return false;
  }
  return true;
}

}  // namespace Utilities
