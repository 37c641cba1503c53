#pragma once

#include <QString>
#include <QVariant>

#include <optional>

class UserDefaults;
class VideoDatabase;

// Small string settings kept in the library database's Config table
// ("MediaInfoUrl", the now-playing list).
class Config {
 public:
  // The process-wide instance over the default video database.
  static Config &defaultConfig();

  explicit Config(VideoDatabase &database);

  // Stores the value's text under the key: strings as they are, numbers in
  // decimal, booleans as "1"/"0". True when the statement succeeded.
  bool setObject(const QVariant &value, const QString &key);
  // The stored text, or nothing when the key is absent.
  std::optional<QString> objectForKey(const QString &key);

 private:
  VideoDatabase &fDatabase;
};

namespace Utilities {

// The media-information address (ClientIdentity.h) with the base configured
// under "MediaInfoUrl" in the Config table: of the default library and the
// standard user defaults, or of the ones given.
QString getMediaInfoUrl();
QString getMediaInfoUrl(Config &config, UserDefaults &defaults);

}  // namespace Utilities
