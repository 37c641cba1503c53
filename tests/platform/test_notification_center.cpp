#include "NotificationCenter.h"

#include <gtest/gtest.h>

TEST(NotificationCenter, DeliversInRegistrationOrderWithObject) {
  NotificationCenter center;
  QStringList log;
  int a, b;
  center.addObserver(&a, "N", [&](const Notification &n) { log << "a:" + n.object.toString(); });
  center.addObserver(&b, "N", [&](const Notification &n) { log << "b:" + n.object.toString(); });
  center.addObserver(&b, "Other", [&](const Notification &) { log << "other"; });
  center.postNotificationName("N", QString("x"));
  EXPECT_EQ(log, QStringList({"a:x", "b:x"}));
}

TEST(NotificationCenter, RemovalByOwnerAndByName) {
  NotificationCenter center;
  int a, b;
  int countA = 0, countB = 0;
  center.addObserver(&a, "N", [&](const Notification &) { ++countA; });
  center.addObserver(&a, "M", [&](const Notification &) { ++countA; });
  center.addObserver(&b, "N", [&](const Notification &) { ++countB; });
  center.removeObserver(&a, "M");
  center.postNotificationName("M");
  EXPECT_EQ(countA, 0);
  center.removeObserver(&a);
  center.postNotificationName("N");
  EXPECT_EQ(countA, 0);
  EXPECT_EQ(countB, 1);
}

TEST(NotificationCenter, ObserversChangedDuringDeliveryAreSafe) {
  NotificationCenter center;
  int a, b, c;
  QStringList log;
  // a removes b (not yet called) and adds c; b must be skipped, c waits for the next post.
  center.addObserver(&a, "N", [&](const Notification &) {
    log << "a";
    center.removeObserver(&b);
    center.addObserver(&c, "N", [&](const Notification &) { log << "c"; });
  });
  center.addObserver(&b, "N", [&](const Notification &) { log << "b"; });
  center.postNotificationName("N");
  EXPECT_EQ(log, QStringList({"a"}));
  center.removeObserver(&a);
  center.postNotificationName("N");
  EXPECT_EQ(log, QStringList({"a", "c"}));
}

TEST(NotificationCenter, ObserverMayRemoveItselfWhilePosting) {
  NotificationCenter center;
  int a;
  int calls = 0;
  center.addObserver(&a, "N", [&](const Notification &) {
    ++calls;
    center.removeObserver(&a);
  });
  center.postNotificationName("N");
  center.postNotificationName("N");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(center.observerCount("N"), 0);
}
