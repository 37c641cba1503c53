#pragma once

#include <QString>

#include <optional>

// Text helpers used wherever the service is asked or the library is written:
// the percent encoding of query values, its inverse, number reading and the
// quoting of SQL string literals; and how a parameter is read back out of a URL.
// The string helpers live in StringExtensions and are also declared at global
// scope, so both StringExtensions::sqlEscape(x) and sqlEscape(x) read well.
namespace StringExtensions {

// Percent encoding of a query value, one UTF-16 code unit at a time: ASCII
// letters and digits stay, every other code unit becomes "%" and its value in
// upper-case hexadecimal, at least two digits ("a b" -> "a%20b", "\n" -> "%0A",
// U+4E2D -> "%4E2D"). Never produces "+".
QString wwwFormURLEncoded(const QString &text);

// A number as a query value: its decimal digits.
QString wwwFormURLEncoded(quint64 number);

// The inverse for two-digit escapes: "%" and two hexadecimal digits (either
// case) give the one character of that code (0-255, "%e9" -> U+00E9); a "%"
// not followed by two hexadecimal digits is copied as it stands. "+" stays "+".
QString wwwFormURLDecoded(const QString &text);

// The text read as a decimal number the way the C library reads an unsigned
// long long: leading white space and a sign allowed, reading stops at the first
// non-digit, 0 without digits, the largest value when out of range, and a
// negative number taken modulo 2^64.
quint64 unsignedLongLongValue(const QString &text);

// Empty for an empty text; otherwise the signed decimal value of the text's
// leading digits (after white space and a sign), 0 when there are none, clamped
// to the 64-bit range.
std::optional<qint64> integerNumber(const QString &text);

// A copy with every apostrophe doubled, for SQL string literals.
QString sqlEscape(const QString &text);

}  // namespace StringExtensions

using StringExtensions::integerNumber;
using StringExtensions::sqlEscape;
using StringExtensions::unsignedLongLongValue;
using StringExtensions::wwwFormURLDecoded;
using StringExtensions::wwwFormURLEncoded;

namespace Utilities {

// The value of a parameter in a URL's text, found without parsing the query:
// the first occurrence of name anywhere in the text (so "permalinkId" also
// matches the start of "permalinkIds"), up to the next "&", after its first
// "=". Not decoded. A null text when the name does not occur or no "=" follows
// it; an empty, non-null text for "name=" with nothing after.
QString parameter(const QString &name, const QString &url);

// The service's permalinks (of videos and of collections): 1 to 255 ASCII
// letters, digits and ". _ ~ -".
bool isServicePermalink(QStringView text);

}  // namespace Utilities
