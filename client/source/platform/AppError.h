#pragma once

#include <QString>

// An error the user may have to hear of: always in the application's error
// domain with code 0, described by a key of the string table.
struct AppError {
  QString domain;
  int code = 0;
  QString descriptionKey;

  static AppError withKey(const QString &descriptionKey);
  QString localizedDescription() const;
};
