#include "Localization.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Localization, KnownKeyMissingKeyAndFormats) {
  EXPECT_EQ(localized("libraryDateAddedToday"), "Today");
  EXPECT_EQ(localized("noSuchKeyAnywhere"), "noSuchKeyAnywhere");
  EXPECT_EQ(localizedFormat("libraryDateAddedNWeeksAgo", {2}), "2 weeks ago");

  struct Case {
    const char *format;
    QVariantList args;
    const char *expected;
  } cases[] = {
      {"%@ (%d)", {"New Playlist", 2}, "New Playlist (2)"},
      {"%qu bytes, %lld left, 100%%",
       {quint64(18446744073709551615ULL), -3},
       "18446744073709551615 bytes, -3 left, 100%"},
      {"%@ and %@", {"one"}, "one and (null)"},
      {"trailing %", {}, "trailing %"},
      {"%x stays", {1}, "%x stays"},
      // Flags, widths and precisions as printf writes them.
      {"%2.1f%@", {42.26, "%"}, "42.3%"},
      {"%2.1f|%5.1f|%-6.2f|%06.1f", {1.5, 0.0, 3.14159, -2.5}, "1.5|  0.0|3.14  |-002.5"},
      {"%.0f %.1f", {1023.6, 100.0}, "1024 100.0"},
      {"%02d:%02d %3d|%-3d|%+d", {5, 59, 7, 7, 7}, "05:59   7|7  |+7"},
      {"%.3d %05d", {7, -42}, "007 -0042"},
      {"%lld", {qlonglong(std::numeric_limits<qint64>::min())}, "-9223372036854775808"},
      {"[%5@] [%-5s] [%.2@]", {"ab", "cd", "xyz"}, "[   ab] [cd   ] [xy]"},
      {"%.1f %f", {std::nan(""), -std::numeric_limits<double>::infinity()}, "nan -inf"},
  };
  for (const Case &c : cases) EXPECT_EQ(formatString(c.format, c.args), c.expected) << c.format;
  // A width that does not end is held to three digits.
  EXPECT_EQ(formatString("%9999999999d", {1}), QString(998, u' ') + u'1');
}
