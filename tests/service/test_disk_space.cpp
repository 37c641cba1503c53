#include "DateUtilities.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

#include <QStorageInfo>

#include <cmath>
#include <limits>

namespace {

TEST(AllowedDiskSpace, PercentageOfTheFreeBytes) {
  constexpr quint64 max = std::numeric_limits<quint64>::max();
  const struct {
    quint64 freeBytes;
    double percentage;
    quint64 expected;
  } cases[] = {
      {5000000000ULL, 10, 500000000ULL},
      {1001, 10, 100},  // truncated
      {1000, 12.5, 125},
      {1000, 100, 1000},
      {0, 10, 0},
      {1000, 0, 0},
      {1000, -5, 0},
      {1000, std::nan(""), 0},
      {max, 200, max},
      {1000, std::numeric_limits<double>::infinity(), max},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Utilities::allowedDiskSpace(c.freeBytes, c.percentage), c.expected)
        << c.freeBytes << " " << c.percentage;
}

// The free bytes move while other processes write; the figure must lie between
// what QStorageInfo reports just before and just after, give or take a little.
void expectAllowedSpaceOf(const QString &folder, double percentage,
                          const std::function<quint64()> &measure) {
  const qint64 before = QStorageInfo(folder).bytesAvailable();
  const quint64 allowed = measure();
  const qint64 after = QStorageInfo(folder).bytesAvailable();
  ASSERT_GT(before, 0);
  const qint64 slack = 256LL * 1024 * 1024;
  const quint64 low = Utilities::allowedDiskSpace(
      quint64(std::max<qint64>(0, std::min(before, after) - slack)), percentage);
  const quint64 high =
      Utilities::allowedDiskSpace(quint64(std::max(before, after) + slack), percentage);
  EXPECT_GE(allowed, low);
  EXPECT_LE(allowed, high);
  EXPECT_GT(allowed, 0u);
}

TEST(AvailableDiskSpace, PercentageOfARealFolder) {
  const QString folder = TestEnvironment::makeTempDir("space");
  expectAllowedSpaceOf(folder, 10,
                       [&] { return Utilities::availableDiskSpaceForGivenPercentage(10, folder); });
  expectAllowedSpaceOf(
      folder, 55.5, [&] { return Utilities::availableDiskSpaceForGivenPercentage(55.5, folder); });
  EXPECT_EQ(Utilities::availableDiskSpaceForGivenPercentage(10, ""), 0u);
  EXPECT_EQ(Utilities::availableDiskSpaceForGivenPercentage(10, QString()), 0u);
  EXPECT_EQ(Utilities::availableDiskSpaceForGivenPercentage(10, folder + "/no/such/folder"), 0u);
}

TEST(AvailableDiskSpace, FromTheDownloadSettings) {
  const QString folder = TestEnvironment::makeTempDir("downloads");
  UserDefaults defaults(TestEnvironment::makeTempDir("settings") + "/settings.conf");
  // No location: nothing may be downloaded.
  defaults.setDouble(10, "DownloadAllowedDiskUsage");
  EXPECT_EQ(Utilities::availableDiskSpace(defaults), 0u);
  defaults.setString("", "DownloadLocation");
  EXPECT_EQ(Utilities::availableDiskSpace(defaults), 0u);

  defaults.setString(folder, "DownloadLocation");
  expectAllowedSpaceOf(folder, 10, [&] { return Utilities::availableDiskSpace(defaults); });
  defaults.setDouble(12.5, "DownloadAllowedDiskUsage");
  expectAllowedSpaceOf(folder, 12.5, [&] { return Utilities::availableDiskSpace(defaults); });
  defaults.setDouble(0, "DownloadAllowedDiskUsage");
  EXPECT_EQ(Utilities::availableDiskSpace(defaults), 0u);

  // The application's own store.
  UserDefaults &standard = UserDefaults::standardUserDefaults();
  standard.setString(folder, "DownloadLocation");
  standard.setInteger(20, "DownloadAllowedDiskUsage");
  expectAllowedSpaceOf(folder, 20, [] { return Utilities::availableDiskSpace(); });
}

}  // namespace
