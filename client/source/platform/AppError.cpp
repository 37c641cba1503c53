#include "AppError.h"

#include "ApplicationIdentity.h"
#include "Localization.h"

AppError AppError::withKey(const QString &descriptionKey) {
  return AppError{ApplicationIdentity::applicationErrorDomain(), 0, descriptionKey};
}

QString AppError::localizedDescription() const { return localized(descriptionKey); }
