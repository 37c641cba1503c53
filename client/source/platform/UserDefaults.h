#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class QSettings;

// The per-user defaults store of the application: an INI file in the XDG config
// folder, named by the bundle identifier. Registered defaults live in memory
// only and are never written; a value the user never set falls back to them.
// Every write is stored at once and posts the defaults-changed notification.
class UserDefaults {
 public:
  // Name of the notification posted (object: none) after every write.
  static const QString DidChangeNotification;

  // The application's store, at settingsPath() of the current environment.
  static UserDefaults &standardUserDefaults();
  // Where the application's store lives: $XDG_CONFIG_HOME/<bundle id>.conf.
  static QString settingsPath();

  explicit UserDefaults(const QString &iniPath);
  ~UserDefaults();
  UserDefaults(const UserDefaults &) = delete;
  UserDefaults &operator=(const UserDefaults &) = delete;

  // Adds to the registration domain; never touches stored values.
  void registerDefaults(const QVariantMap &defaults);

  // The stored value, else the registered one, else an invalid QVariant.
  QVariant objectForKey(const QString &key) const;
  bool hasStoredValue(const QString &key) const;

  // Typed readers coerce like the original store: "1"/"true"/"YES" and any
  // non-zero number read as true; a stored 12.5 read as integer gives 12;
  // a missing value gives false, 0 or a null string.
  QString stringForKey(const QString &key) const;
  bool boolForKey(const QString &key) const;
  qint64 integerForKey(const QString &key) const;
  double doubleForKey(const QString &key) const;
  float floatForKey(const QString &key) const;

  void setObject(const QVariant &value, const QString &key);
  void setBool(bool value, const QString &key);
  void setInteger(qint64 value, const QString &key);
  void setDouble(double value, const QString &key);
  void setString(const QString &value, const QString &key);
  void removeObject(const QString &key);
  // Stores every value of the map (an invalid one removes its key), then
  // posts the defaults-changed notification once: observers see all of the
  // new values together or none of them.
  void setValues(const QVariantMap &values);

  // Re-reads the file (other processes, such as the uninstaller, may read it).
  void synchronize();

 private:
  void changed();

  std::unique_ptr<QSettings> fSettings;
  QVariantMap fRegistered;
};
