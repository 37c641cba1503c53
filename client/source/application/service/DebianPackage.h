#pragma once

#include <QByteArray>
#include <QString>

// What the updater needs to know about Debian packages: whether some bytes
// begin like one, and whether the running program came from one.
namespace DebianPackage {

// Where dpkg keeps the file list of each installed package
// ("<package>.list", or "<package>:<arch>.list" for a multi-arch one).
inline constexpr char DpkgInfoFolder[] = "/var/lib/dpkg/info";

// How many leading bytes checkHead() needs to decide.
inline constexpr qsizetype HeadBytes = 132;

enum class Head {
  Incomplete,  // fewer than HeadBytes bytes: no verdict yet
  Package,     // the package format's start
  Other,       // something else
};

// Judges the start of a file by its content, never by a name: an ar archive
// ("!<arch>\n") whose first member is "debian-binary" of 4 bytes holding
// "2.0\n", followed by a "control.tar" member ("control.tar", or with ".gz",
// ".xz", ".zst", ".bz2" or ".lzma"). Member headers must be well formed (decimal
// size, the "`\n" terminator); only these first two members are looked at.
Head checkHead(const QByteArray &bytes);

// Whether executablePath is a file of the installed package packageName:
// dpkg's file list for it in infoFolder names the executable, compared by
// canonical path (so a list naming "/bin/x" matches "/usr/bin/x" when /bin
// links to /usr/bin). False when the executable or the list cannot be read.
bool isInstalledFile(const QString &executablePath, const QString &packageName,
                     const QString &infoFolder = QString::fromLatin1(DpkgInfoFolder));

}  // namespace DebianPackage
