#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

// Reading movie files from disk with FFmpeg: what an import, a finished
// download, the migration and the movie controller learn about a file.
namespace Utilities {

// The attributes of the movie at moviePath:
//   "Duration"  (quint64) whole seconds, the container's duration truncated;
//               0 when the container does not record one;
//   "ImageFile" (QString) absolute path of the thumbnail to use;
//   "Extension" (QString) the extension of the path's last component.
// The thumbnail is imagePath when that names an existing regular file;
// without an imagePath it is the movie path with the extension "jpg" when such
// a file exists. Otherwise a JPEG of the frame at half the duration is written
// into the media images folder under a new UUID name; when no frame can be had
// (a sound file without cover art, an undecodable picture, a folder that
// cannot be written) "ImageFile" is empty.
// An empty map when the file is not a movie FFmpeg can open and decode: not a
// regular file, unreadable, no video or audio stream with a decoder, or a
// picture, subtitle or text file.
QVariantMap getQuicktimeAttributes(const QString &moviePath, const QString &imagePath = QString());

// Whether the movie at moviePath is one getQuicktimeAttributes() would
// answer for (a regular file FFmpeg opens, with a video or audio stream it
// has a decoder for), without reading a poster frame or writing anything.
bool canPlayMovie(const QString &moviePath);

// The file extensions (lower case, without dot, sorted) offered when choosing
// movies to import: those FFmpeg's demuxers claim, except the demuxers of
// pictures, subtitles and text, plus the common movie extensions.
QStringList movieFileTypes();

}  // namespace Utilities
