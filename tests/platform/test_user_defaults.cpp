#include "NotificationCenter.h"
#include "TestEnvironment.h"
#include "UserDefaults.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace {
QString freshPath() { return TestEnvironment::makeTempDir("defaults") + "/test.conf"; }
}  // namespace

TEST(UserDefaults, RegisteredDefaultsAreReadButNeverWritten) {
  const QString path = freshPath();
  {
    UserDefaults defaults(path);
    defaults.registerDefaults({{"FirstLaunch", true}, {"Count", 3}});
    EXPECT_TRUE(defaults.boolForKey("FirstLaunch"));
    EXPECT_EQ(defaults.integerForKey("Count"), 3);
    EXPECT_FALSE(defaults.hasStoredValue("FirstLaunch"));
    defaults.setBool(false, "FirstLaunch");
    // Registering again never overrides what the user stored.
    defaults.registerDefaults({{"FirstLaunch", true}});
    EXPECT_FALSE(defaults.boolForKey("FirstLaunch"));
  }
  QSettings raw(path, QSettings::IniFormat);
  EXPECT_TRUE(raw.contains("FirstLaunch"));
  EXPECT_FALSE(raw.contains("Count"));
}

TEST(UserDefaults, ValuesSurviveANewInstance) {
  const QString path = freshPath();
  {
    UserDefaults defaults(path);
    defaults.setString("/media/videos with space", "DownloadLocation");
    defaults.setDouble(12.5, "DownloadAllowedDiskUsage");
    defaults.setString("abc+1 é", "ZaroClientAuthorization");
    defaults.setInteger(-1, "LibraryPlaylistSelectedId");
  }
  UserDefaults again(path);
  EXPECT_EQ(again.stringForKey("DownloadLocation"), "/media/videos with space");
  EXPECT_EQ(again.stringForKey("ZaroClientAuthorization"), "abc+1 é");
  EXPECT_DOUBLE_EQ(again.doubleForKey("DownloadAllowedDiskUsage"), 12.5);
  EXPECT_EQ(again.integerForKey("LibraryPlaylistSelectedId"), -1);
}

TEST(UserDefaults, TypedReadersCoerce) {
  UserDefaults defaults(freshPath());
  struct Case {
    QVariant stored;
    bool asBool;
    qint64 asInteger;
  } cases[] = {
      {12.5, true, 12},
      {QString("12.5"), true, 12},
      {QString("true"), true, 1},
      {QString("YES"), true, 0},
      {QString("0"), false, 0},
      {false, false, 0},
      {QString("-7"), true, -7},
      {QString(""), false, 0},
      {QString("junk"), false, 0},
      {qint64(9000000000LL), true, 9000000000LL},
  };
  for (const Case &c : cases) {
    defaults.setObject(c.stored, "key");
    SCOPED_TRACE(c.stored.toString().toStdString());
    EXPECT_EQ(defaults.boolForKey("key"), c.asBool);
    EXPECT_EQ(defaults.integerForKey("key"), c.asInteger);
  }
  EXPECT_FALSE(defaults.boolForKey("missing"));
  EXPECT_EQ(defaults.integerForKey("missing"), 0);
  EXPECT_TRUE(defaults.stringForKey("missing").isNull());
}

TEST(UserDefaults, EveryWritePostsTheChangeNotification) {
  UserDefaults defaults(freshPath());
  int posts = 0;
  int owner;
  NotificationCenter::defaultCenter().addObserver(&owner, UserDefaults::DidChangeNotification,
                                                  [&](const Notification &) { ++posts; });
  defaults.registerDefaults({{"A", 1}});
  EXPECT_EQ(posts, 0);
  defaults.setInteger(2, "A");
  defaults.setBool(true, "B");
  defaults.removeObject("A");
  EXPECT_EQ(posts, 3);
  EXPECT_EQ(defaults.integerForKey("A"), 1);  // back to the registered value
  NotificationCenter::defaultCenter().removeObserver(&owner);
}

TEST(UserDefaults, SeveralValuesAreStoredTogetherWithOneNotification) {
  const QString path = freshPath();
  UserDefaults defaults(path);
  defaults.registerDefaults({{"Count", 3}});
  defaults.setInteger(7, "Gone");
  // The observer sees every new value already in place.
  QList<QVariantList> seen;
  int owner;
  NotificationCenter::defaultCenter().addObserver(
      &owner, UserDefaults::DidChangeNotification, [&](const Notification &) {
        seen.append({defaults.integerForKey("Count"), defaults.stringForKey("Location"),
                     defaults.hasStoredValue("Gone")});
      });
  defaults.setValues({{"Count", 1}, {"Location", "/media/v"}, {"Gone", QVariant()}});
  defaults.setValues({});  // nothing to store: nothing posted
  NotificationCenter::defaultCenter().removeObserver(&owner);
  ASSERT_EQ(seen.size(), 1);
  EXPECT_EQ(seen.first(), QVariantList({1, "/media/v", false}));
  QSettings raw(path, QSettings::IniFormat);
  EXPECT_EQ(raw.value("Count").toInt(), 1);
  EXPECT_FALSE(raw.contains("Gone"));
}
