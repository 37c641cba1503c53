#include "NotificationCenter.h"

#include <algorithm>

NotificationCenter &NotificationCenter::defaultCenter() {
  static NotificationCenter *center = new NotificationCenter;
  return *center;
}

void NotificationCenter::addObserver(const void *owner, const QString &name, Handler handler) {
  fObservers[name].push_back(std::make_shared<Entry>(Entry{owner, std::move(handler)}));
}

void NotificationCenter::removeObserver(const void *owner) {
  for (auto it = fObservers.begin(); it != fObservers.end(); ++it) {
    auto &list = it.value();
    for (auto &entry : list)
      if (entry->owner == owner) entry->alive = false;
    list.erase(std::remove_if(list.begin(), list.end(), [](auto &e) { return !e->alive; }),
               list.end());
  }
}

void NotificationCenter::removeObserver(const void *owner, const QString &name) {
  auto it = fObservers.find(name);
  if (it == fObservers.end()) return;
  auto &list = it.value();
  for (auto &entry : list)
    if (entry->owner == owner) entry->alive = false;
  list.erase(std::remove_if(list.begin(), list.end(), [](auto &e) { return !e->alive; }),
             list.end());
}

void NotificationCenter::postNotificationName(const QString &name, const QVariant &object) {
  auto it = fObservers.constFind(name);
  if (it == fObservers.constEnd() || it->empty()) return;
  // Deliver to a snapshot, so that observers added while delivering wait for the
  // next post, and observers removed while delivering are skipped.
  const std::vector<std::shared_ptr<Entry>> snapshot = *it;
  const Notification note{name, object};
  for (const auto &entry : snapshot)
    if (entry->alive) entry->handler(note);
}

int NotificationCenter::observerCount(const QString &name) const {
  auto it = fObservers.constFind(name);
  return it == fObservers.constEnd() ? 0 : int(it->size());
}
