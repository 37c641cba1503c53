#pragma once

#include <QString>
#include <QVariant>

// A gate in front of the notification centre for the library's change
// notifications. While it is closed (suspended at least once more than
// resumed) posts through it are dropped, not queued.
class ZNotificationSystem {
 public:
  static ZNotificationSystem &sharedNotificationSystem();

  void suspendNotifications() { ++fNotificationsSuspendCount; }
  void resumeNotifications() { --fNotificationsSuspendCount; }
  bool isSuspended() const { return fNotificationsSuspendCount > 0; }
  void postNotificationName(const QString &name, const QVariant &object = QVariant());

 private:
  int fNotificationsSuspendCount = 0;
};

// Suspends the gate for one scope.
class ZNotificationSuspension {
 public:
  ZNotificationSuspension() {
    ZNotificationSystem::sharedNotificationSystem().suspendNotifications();
  }
  ~ZNotificationSuspension() {
    ZNotificationSystem::sharedNotificationSystem().resumeNotifications();
  }
  ZNotificationSuspension(const ZNotificationSuspension &) = delete;
  ZNotificationSuspension &operator=(const ZNotificationSuspension &) = delete;
};
