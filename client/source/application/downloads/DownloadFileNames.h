#pragma once

#include <QByteArray>
#include <QString>

// Where a download's files go and how their names are made. A name is built
// from the video's title in form encoding (letters and digits stay, everything
// else becomes a percent escape), so nothing in a title can leave the media
// folder, hide the file or end the name early; the service's extension is
// URL-escaped with "/" escaped as well. Names are made unique in their folder
// by the prefixes "1-", "2-", ... and kept within the file system's limit of
// 255 bytes by shortening the title part.
namespace DownloadFileNames {

inline constexpr int kMaxFileNameBytes = 255;

// The text percent-escaped for a URL: characters that may not stand in a URL
// (blanks, "%", "#", quotes, brackets, control and non-ASCII characters) are
// written as the escapes of their UTF-8 bytes; letters, digits, "-._~" and the
// reserved "!$&'()*+,;=:@/?" stay.
QString escapedURLText(const QString &text);

// The name part taken from the title: its form encoding; for an empty title
// the form-encoded fallback (the permalink), or "video" when that is empty too.
QString baseName(const QString &title, const QString &fallback);

// The extension as it may stand in a file name: URL-escaped, "/" included.
QString extensionForFileName(const QString &extension);

// prefix + base + extension, the base shortened (and an absurdly long
// extension cut to 32 bytes) so that the whole takes at most 255 bytes.
QString fileName(const QString &base, const QString &extension, const QString &prefix = QString());

// The first of folder/name, folder/"1-"name, folder/"2-"name, ... at which
// nothing exists (a dangling symbolic link counts as something).
QString uniquePath(const QString &folder, const QString &base, const QString &extension);

// Creates a new file (never replacing or following anything already there)
// at the first free name as uniquePath() counts them, with the contents.
// Contents are written whole or not at all: into a hidden file beside the
// new one, which takes the free name only once every byte is written (a full
// disk leaves nothing behind). The path, or a null text when the file cannot
// be made or written; *error then holds the system's error number.
QString createUniqueFile(const QString &folder, const QString &base, const QString &extension,
                         const QByteArray &contents = QByteArray(), int *error = nullptr);

// What appending to a file did: whether the file could be opened, its length
// before and after, and the system's error number when not all the bytes
// went in (0 when they did).
struct AppendOutcome {
  bool opened = false;
  qint64 sizeBefore = 0;
  qint64 sizeAfter = 0;
  int error = 0;
};
// Appends the bytes to the existing file at the path (none is created).
AppendOutcome appendToFile(const QString &path, const QByteArray &bytes);

// The error number says the disk (or the user's share of it) is full.
bool isDiskFull(int error);
// The system's text for an error number, with "(disk full)" after it when
// the disk is full.
QString errorText(int error);

}  // namespace DownloadFileNames
