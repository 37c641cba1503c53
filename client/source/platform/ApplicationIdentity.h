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
// The name of the Debian package the player is installed from ("zaro-player").
QString packageName();

// Where the application's resources (skins, help pages) are:
// PREFIX/share/zaro-player beside PREFIX/bin, else the build tree's copy.
QString resourcesFolder();

}  // namespace ApplicationIdentity
