#pragma once

#include <QString>

// What every service request carries about the client.
namespace Utilities {

// The build version cut before its first character that is neither a digit
// nor "." ("1.2.3b4" -> "1.2.3"); sent as the "version" query parameter.
QString applicationVersion();
// The same rule applied to any version text.
QString applicationVersion(const QString &bundleVersion);

// The user agent of every service request:
// "zaro-" + short version + " service (MacOS; Safari; darwin)".
QString clientVersionServiceString();

// A new UUID in its standard 36-character upper-case text form.
QString getUUID();

}  // namespace Utilities
