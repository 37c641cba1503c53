#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

// The process's notification centre: string names, an object carried as a
// QVariant, synchronous delivery on the posting thread in registration order.
// Observers are identified by an owner pointer and removed by it.
struct Notification {
  QString name;
  QVariant object;
};

class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification &)>;

  NotificationCenter() = default;
  NotificationCenter(const NotificationCenter &) = delete;
  NotificationCenter &operator=(const NotificationCenter &) = delete;

  static NotificationCenter &defaultCenter();

  void addObserver(const void *owner, const QString &name, Handler handler);
  void removeObserver(const void *owner);
  void removeObserver(const void *owner, const QString &name);
  void postNotificationName(const QString &name, const QVariant &object = QVariant());

  int observerCount(const QString &name) const;

 private:
  struct Entry {
    const void *owner;
    Handler handler;
    bool alive = true;
  };
  QHash<QString, std::vector<std::shared_ptr<Entry>>> fObservers;
};
