#include "NotificationCenter.h"
#include "ZApplicationState.h"
#include "ZNotificationSystem.h"

#include <gtest/gtest.h>

TEST(ZNotificationSystem, NestedSuspensionsDropAndNeverReplay) {
  auto &gate = ZNotificationSystem::sharedNotificationSystem();
  int owner, delivered = 0;
  NotificationCenter::defaultCenter().addObserver(&owner, "VideoDatabase_Changed",
                                                  [&](const Notification &) { ++delivered; });
  gate.suspendNotifications();
  gate.suspendNotifications();
  gate.postNotificationName("VideoDatabase_Changed");
  gate.resumeNotifications();
  gate.postNotificationName("VideoDatabase_Changed");
  EXPECT_EQ(delivered, 0);
  gate.resumeNotifications();
  EXPECT_EQ(delivered, 0) << "dropped notifications must not be replayed";
  gate.postNotificationName("VideoDatabase_Changed");
  EXPECT_EQ(delivered, 1);
  {
    ZNotificationSuspension scope;
    gate.postNotificationName("VideoDatabase_Changed");
  }
  EXPECT_EQ(delivered, 1);
  EXPECT_FALSE(gate.isSuspended());
  NotificationCenter::defaultCenter().removeObserver(&owner);
}

TEST(ZApplicationState, MoviePlayingStates) {
  auto &state = ZApplicationState::sharedStateManager();
  for (int s = 0; s <= 15; ++s) {
    state.setState(s);
    const bool playing = s == 2 || s == 5 || s == 8 || s == 11 || s == 14;
    EXPECT_EQ(state.moviePlaying(), playing) << s;
  }
  state.setState(0);
}
