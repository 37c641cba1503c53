#include "UserDefaults.h"

#include "ApplicationIdentity.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>

const QString UserDefaults::DidChangeNotification =
    QStringLiteral("UserDefaultsDidChangeNotification");

UserDefaults &UserDefaults::standardUserDefaults() {
  static UserDefaults *defaults = new UserDefaults(settingsPath());
  return *defaults;
}

QString UserDefaults::settingsPath() {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return config + QLatin1Char('/') + ApplicationIdentity::bundleIdentifier() +
         QStringLiteral(".conf");
}

UserDefaults::UserDefaults(const QString &iniPath)
    : fSettings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

UserDefaults::~UserDefaults() = default;

void UserDefaults::registerDefaults(const QVariantMap &defaults) {
  for (auto it = defaults.begin(); it != defaults.end(); ++it) fRegistered.insert(it.key(), *it);
}

QVariant UserDefaults::objectForKey(const QString &key) const {
  const QVariant stored = fSettings->value(key);
  if (stored.isValid()) return stored;
  return fRegistered.value(key);
}

bool UserDefaults::hasStoredValue(const QString &key) const { return fSettings->contains(key); }

QString UserDefaults::stringForKey(const QString &key) const {
  const QVariant v = objectForKey(key);
  if (!v.isValid()) return QString();
  return v.toString();
}

bool UserDefaults::boolForKey(const QString &key) const {
  const QVariant v = objectForKey(key);
  if (!v.isValid()) return false;
  if (v.typeId() == QMetaType::Bool) return v.toBool();
  if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
    const QString s = v.toString().trimmed();
    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
        s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
      return true;
    bool ok = false;
    const double d = s.toDouble(&ok);
    return ok && d != 0.0;
  }
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok && d != 0.0;
}

double UserDefaults::doubleForKey(const QString &key) const {
  const QVariant v = objectForKey(key);
  if (!v.isValid()) return 0.0;
  if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1.0 : 0.0;
  const QString s = v.toString().trimmed();
  if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return 1.0;
  bool ok = false;
  const double d = s.toDouble(&ok);
  return ok && std::isfinite(d) ? d : 0.0;
}

qint64 UserDefaults::integerForKey(const QString &key) const {
  const double d = doubleForKey(key);
  if (d >= 9.2e18) return std::numeric_limits<qint64>::max();
  if (d <= -9.2e18) return std::numeric_limits<qint64>::min();
  // Exact for integers that a double cannot hold exactly.
  const QVariant v = objectForKey(key);
  bool ok = false;
  const qint64 exact = v.toString().trimmed().toLongLong(&ok);
  if (ok) return exact;
  return qint64(std::trunc(d));
}

float UserDefaults::floatForKey(const QString &key) const { return float(doubleForKey(key)); }

void UserDefaults::setObject(const QVariant &value, const QString &key) {
  if (!value.isValid()) {
    removeObject(key);
    return;
  }
  fSettings->setValue(key, value);
  changed();
}

void UserDefaults::setBool(bool value, const QString &key) { setObject(value, key); }
void UserDefaults::setInteger(qint64 value, const QString &key) { setObject(value, key); }
void UserDefaults::setDouble(double value, const QString &key) { setObject(value, key); }
void UserDefaults::setString(const QString &value, const QString &key) {
  setObject(QVariant(value.isNull() ? QString("") : value), key);
}

void UserDefaults::removeObject(const QString &key) {
  fSettings->remove(key);
  changed();
}

void UserDefaults::setValues(const QVariantMap &values) {
  if (values.isEmpty()) return;
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (it->isValid())
      fSettings->setValue(it.key(), *it);
    else
      fSettings->remove(it.key());
  }
  changed();
}

void UserDefaults::synchronize() { fSettings->sync(); }

void UserDefaults::changed() {
  fSettings->sync();
  NotificationCenter::defaultCenter().postNotificationName(DidChangeNotification);
}
