#include "Preferences.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

namespace {
UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }
}  // namespace

TEST(Preferences, FreshAccountDefaults) {
  Preferences::registerBatchA(defaults());
  Preferences::registerBatchB(defaults(), "/home/u/.local/share/Zaro Player");
  EXPECT_TRUE(defaults().boolForKey("FirstLaunch"));
  EXPECT_EQ(defaults().integerForKey("LibraryPlaylistSelectedId"), -1);
  EXPECT_EQ(defaults().stringForKey("DownloadLocation"), "/home/u/.local/share/Zaro Player");
  EXPECT_EQ(defaults().integerForKey("DownloadVideoCount"), 3);
  EXPECT_EQ(defaults().integerForKey("DownloadAllowedDiskUsage"), 10);
  EXPECT_EQ(defaults().integerForKey("DownloadMaxSimultaneousCount"), 1);
  EXPECT_TRUE(defaults().boolForKey("GeneralOpenClientAtStartup"));
  EXPECT_FALSE(defaults().boolForKey("MovieMuted"));
  EXPECT_FALSE(defaults().boolForKey("PlaybackLoopVideoPlay"));
  for (int mode : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10}) {
    EXPECT_EQ(defaults().integerForKey(Preferences::sortTypeKeyForBrowseMode(mode)), 1) << mode;
    EXPECT_TRUE(defaults().boolForKey(Preferences::sortOrderKeyForBrowseMode(mode))) << mode;
  }
  EXPECT_EQ(Preferences::sortTypeKeyForBrowseMode(9), "LibraryBrowseByTagSortType");
  EXPECT_EQ(Preferences::sortOrderKeyForBrowseMode(10), "LibraryBrowseByVideocastSortOrder");
  EXPECT_TRUE(Preferences::sortTypeKeyForBrowseMode(6).isNull());
  EXPECT_TRUE(Preferences::sortTypeKeyForBrowseMode(11).isNull());

  // The settings window stores the disk share as a float.
  defaults().setDouble(12.5, "DownloadAllowedDiskUsage");
  EXPECT_EQ(defaults().integerForKey("DownloadAllowedDiskUsage"), 12);
}

TEST(Preferences, SortAccessorsFollowTheBrowseMode) {
  Preferences::registerBatchA(defaults());
  defaults().setInteger(2, "LibraryBrowseBy");
  Utilities::setCurrentSortType(3);
  Utilities::toggleCurrentSortOrder();
  EXPECT_EQ(Utilities::currentSortType(), 3);
  EXPECT_FALSE(Utilities::currentSortOrder());
  EXPECT_EQ(defaults().integerForKey("LibraryBrowseByCategorySortType"), 3);
  EXPECT_EQ(defaults().integerForKey("LibraryBrowseByAllSortType"), 1);

  // Mode 6 has no keys: fixed answers, writes store nothing.
  defaults().setInteger(6, "LibraryBrowseBy");
  Utilities::setCurrentSortType(4);
  Utilities::toggleCurrentSortOrder();
  EXPECT_EQ(Utilities::currentSortType(), 1);
  EXPECT_TRUE(Utilities::currentSortOrder());
  defaults().setInteger(2, "LibraryBrowseBy");
  EXPECT_EQ(Utilities::currentSortType(), 3);
  EXPECT_FALSE(Utilities::currentSortOrder());
}
