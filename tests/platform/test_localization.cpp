#include "Localization.h"

#include <gtest/gtest.h>

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
  };
  for (const Case &c : cases) EXPECT_EQ(formatString(c.format, c.args), c.expected) << c.format;
}
