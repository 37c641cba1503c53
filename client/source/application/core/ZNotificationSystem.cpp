#include "ZNotificationSystem.h"

#include "NotificationCenter.h"

ZNotificationSystem &ZNotificationSystem::sharedNotificationSystem() {
  static ZNotificationSystem *gate = new ZNotificationSystem;
  return *gate;
}

void ZNotificationSystem::postNotificationName(const QString &name, const QVariant &object) {
  if (fNotificationsSuspendCount != 0) return;
  NotificationCenter::defaultCenter().postNotificationName(name, object);
}
