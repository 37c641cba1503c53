#pragma once

#include "VideoDatabase.h"

#include <QDateTime>
#include <QImage>
#include <QString>

class ZPlaylistDataSource;

// Small readers over a VideoInfo dictionary, the size of the media folder and
// the naming rule of new playlists.
namespace Utilities {

// "id" read as a decimal integer (leading white space and a sign allowed,
// reading stops at the first non-digit); 0 when it does not read as one.
int getVideoId(const VideoInfo &video);
// "TITLE", or an empty text.
QString titleForVideo(const VideoInfo &video);
// The image in the file at "IMAGE_PATH"; a null image when the key is absent
// or the file does not load.
QImage getVideoThumbnail(const VideoInfo &video);
// "VIDEO_SAVED" is "1".
bool videoIsSaved(const VideoInfo &video);
// "DATE_VIEWED" is not empty.
bool videoIsViewed(const VideoInfo &video);
// "RATING" as an integer; 0 when absent or not a number.
int ratingForVideo(const VideoInfo &video);
// The name of the publisher whose id stands in "PUBLISHER" (looked up in the
// given library, or the default one); an empty text when the key is absent
// or no such publisher exists.
QString publisherNameForVideo(const VideoInfo &video);
QString publisherNameForVideo(const VideoInfo &video, VideoDatabase &database);
// "DATE_ADDED" in the library's date form; a null date when absent or not of
// that form.
QDateTime dateAddedForVideo(const VideoInfo &video);

// Bytes used by the media folder: the size of the folder itself (following a
// symbolic link) plus that of every file and folder below it at any depth
// (not following links). 0 for an empty path or a folder that does not exist.
quint64 sizeOfMediaFolder();
quint64 sizeOfMediaFolder(const QString &folderPath);

// The name itself when no playlist of that name exists (compared ignoring
// case), else the first of "name (2)", "name (3)", ... that does not exist.
QString uniqueNameForPlaylistStartingWith(const QString &name);
QString uniqueNameForPlaylistStartingWith(const QString &name,
                                          const ZPlaylistDataSource &playlists);

}  // namespace Utilities
