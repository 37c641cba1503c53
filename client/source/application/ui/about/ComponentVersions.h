#pragma once

#include <QList>
#include <QString>

// The libraries the player is built on, with the versions it runs with (read
// from the libraries themselves, not from their headers at build time), in the
// order the About window lists them: Qt, libmpv, FFmpeg, SQLite, OpenSSL,
// expat.
namespace ComponentVersions {

struct Component {
  QString name;
  QString version;  // as the library reports it, without its own name in front
};

QList<Component> components();

}  // namespace ComponentVersions
