#include "ZTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr qint64 kMax64 = std::numeric_limits<qint64>::max();
constexpr qint64 kMin64 = std::numeric_limits<qint64>::min();
constexpr qint32 kMax32 = std::numeric_limits<qint32>::max();

TEST(ZTime, TextFormRoundTripsExactly) {
  const struct {
    ZTime time;
    const char *text;
  } cases[] = {
      {{0, 1}, "0/1"},
      {{4500, 600}, "4500/600"},
      {{-3, 2}, "-3/2"},
      {{1234567890123, 1000000}, "1234567890123/1000000"},
      {{kMax64, kMax32}, "9223372036854775807/2147483647"},
      {{kMin64, 1}, "-9223372036854775808/1"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(c.time.toString(), c.text);
    const std::optional<ZTime> back = ZTime::fromString(QString::fromLatin1(c.text));
    ASSERT_TRUE(back.has_value()) << c.text;
    EXPECT_EQ(*back, c.time) << c.text;
  }
}

TEST(ZTime, RejectsAnyOtherText) {
  for (const char *text : {"",
                           "/",
                           "5",
                           "5/",
                           "/600",
                           "5/0",
                           "5/-600",
                           "+5/600",
                           " 5/600",
                           "5/600 ",
                           "5 /600",
                           "5/6/7",
                           "5.0/600",
                           "a/600",
                           "5/60x",
                           "--5/600",
                           "-/600",
                           "9223372036854775808/1",   // one past the largest value
                           "-9223372036854775809/1",  // one past the smallest value
                           "99999999999999999999/1",  // far out of range
                           "1/2147483648"}) {         // scale out of range
    EXPECT_FALSE(ZTime::fromString(QString::fromLatin1(text)).has_value()) << text;
  }
}

TEST(ZTime, SecondsTruncateAndHalvesRoundTowardZero) {
  const struct {
    ZTime time;
    qint64 wholeSeconds;
    ZTime half;
  } cases[] = {
      {{900000, 1000000}, 0, {450000, 1000000}},  // 0.9 s
      {{2999, 1000}, 2, {1499, 1000}},
      {{3000, 1000}, 3, {1500, 1000}},
      {{7, 1}, 7, {3, 1}},
      {{-1500, 1000}, -1, {-750, 1000}},
      {{-3, 2}, -1, {-1, 2}},
      {{kMax64, 1}, kMax64, {kMax64 / 2, 1}},
      {{5, 0}, 0, {2, 0}},  // no scale: no seconds
  };
  for (const auto &c : cases) {
    EXPECT_EQ(c.time.wholeSeconds(), c.wholeSeconds) << c.time.toString().toStdString();
    EXPECT_EQ(c.time.half(), c.half) << c.time.toString().toStdString();
  }
  EXPECT_FALSE(ZTime{}.isValid());
  EXPECT_TRUE((ZTime{0, 600}).isValid());
}

TEST(ZTime, RescalingRoundsToTheNearestUnit) {
  const struct {
    ZTime time;
    qint32 scale;
    ZTime expected;
  } cases[] = {
      {{1, 3}, 600, {200, 600}},
      {{1, 3}, 1000, {333, 1000}},
      {{2, 3}, 1000, {667, 1000}},
      {{-2, 3}, 1000, {-667, 1000}},
      {{1, 2000}, 1000, {1, 1000}},  // a half rounds away from zero
      {{4500, 600}, 600, {4500, 600}},
      {{kMax64, 1}, 1000, {kMax64, 1000}},  // clamped
      {{kMin64, 1}, 1000, {kMin64, 1000}},
      {{5, 0}, 600, {}},
      {{5, 600}, 0, {}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.time.rescaled(c.scale), c.expected)
        << c.time.toString().toStdString() << " to " << c.scale;

  EXPECT_EQ(ZTime::fromSeconds(12.5, 600), (ZTime{7500, 600}));
  EXPECT_EQ(ZTime::fromSeconds(2.5, 1), (ZTime{3, 1}));
  EXPECT_EQ(ZTime::fromSeconds(1e300, 600), (ZTime{kMax64, 600}));
  EXPECT_FALSE(ZTime::fromSeconds(std::numeric_limits<double>::quiet_NaN(), 600).isValid());
  EXPECT_FALSE(ZTime::fromSeconds(1.0, 0).isValid());
}

}  // namespace
