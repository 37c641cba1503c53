#include "SingleInstance.h"
#include "TestEnvironment.h"

#include <future>
#include <thread>

#include <gtest/gtest.h>

// The sender blocks until the running instance acknowledges, so it runs on a
// thread of the test while the main loop serves the instance.
TEST(SingleInstance, FirstListensLaterStartsHandOver) {
  const QString key = TestEnvironment::makeTempDir("user-a");
  SingleInstance first(key);
  ASSERT_TRUE(first.becomePrimary());
  SingleInstance second(key);
  EXPECT_FALSE(second.becomePrimary());

  QStringList urls;
  int quits = 0, reopens = 0;
  QObject::connect(&first, &SingleInstance::urlReceived, [&](const QString &u) { urls << u; });
  QObject::connect(&first, &SingleInstance::quitRequested, [&] { ++quits; });
  QObject::connect(&first, &SingleInstance::reopenRequested, [&] { ++reopens; });
  QList<int> plays;
  QObject::connect(&first, &SingleInstance::playRequested, [&](int id) { plays << id; });

  auto sent = std::async(std::launch::async, [key] {
    return SingleInstance::sendURL(key, "zaro://x?command=A&v=é\nsecond line") &&
           SingleInstance::sendReopen(key) && SingleInstance::sendPlay(key, 42) &&
           SingleInstance::sendQuit(key);
  });
  ASSERT_TRUE(TestEnvironment::waitFor([&] { return quits == 1; }));
  EXPECT_TRUE(sent.get());
  EXPECT_EQ(urls, QStringList({"zaro://x?command=A&v=ésecond line"}));
  EXPECT_EQ(reopens, 1);
  EXPECT_EQ(plays, QList<int>({42}));
}

TEST(SingleInstance, OtherUsersDoNotMeetAndStaleSocketsAreTakenOver) {
  const QString userA = TestEnvironment::makeTempDir("user-a");
  const QString userB = TestEnvironment::makeTempDir("user-b");
  EXPECT_NE(SingleInstance::serverNameFor(userA), SingleInstance::serverNameFor(userB));
  {
    SingleInstance a(userA);
    ASSERT_TRUE(a.becomePrimary());
    SingleInstance b(userB);
    EXPECT_TRUE(b.becomePrimary());
  }
  // Nobody runs for user A any more: a message finds no one, a new start is first.
  EXPECT_FALSE(SingleInstance::sendURL(userA, "zaro://x", 500));
  SingleInstance again(userA);
  EXPECT_TRUE(again.becomePrimary());
}
