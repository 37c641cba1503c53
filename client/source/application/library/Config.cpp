#include "Config.h"

#include "ClientIdentity.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"

Config &Config::defaultConfig() {
  static Config *config = new Config(VideoDatabase::defaultVideoDatabase());
  return *config;
}

Config::Config(VideoDatabase &database) : fDatabase(database) {}

bool Config::setObject(const QVariant &value, const QString &key) {
  const QString text = value.typeId() == QMetaType::Bool
                           ? QString::fromLatin1(value.toBool() ? "1" : "0")
                           : value.toString();
  return fDatabase.setConfigString(text, key);
}

std::optional<QString> Config::objectForKey(const QString &key) {
  return fDatabase.configStringForKey(key);
}

namespace Utilities {

QString getMediaInfoUrl() {
  return getMediaInfoUrl(Config::defaultConfig(), UserDefaults::standardUserDefaults());
}

QString getMediaInfoUrl(Config &config, UserDefaults &defaults) {
  return getMediaInfoUrl(config.objectForKey(QStringLiteral("MediaInfoUrl")), defaults);
}

}  // namespace Utilities
