#pragma once

#include <QString>

// The application's fixed identity: the reverse-DNS identifier that names the
// lock files, the settings file, the single-instance socket and the drag types,
// and the version strings of the build.
namespace ApplicationIdentity {

QString bundleIdentifier();        // "tv.zaro.ZaroPlayer"
QString bundleVersion();           // the full build version ("CFBundleVersion")
QString shortVersionString();      // the marketing version ("CFBundleShortVersionString")
QString applicationErrorDomain();  // domain of the application's user-facing errors
QString applicationName();         // "Zaro Player"

}  // namespace ApplicationIdentity
