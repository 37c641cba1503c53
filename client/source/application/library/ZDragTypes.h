#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What dragged videos and rows carry: the bundle identifier followed by
// ".dragType.VideoId" (video ids from the library) or
// ".dragType.NowPlayingListRows" (rows of the now-playing side list), each
// with a JSON array of integers as data.
namespace ZDragTypes {
QString videoIds();
QString nowPlayingListRows();
QByteArray encode(const QList<int> &values);
// The integers of the array; anything else in the data is left out.
QList<int> decode(const QByteArray &data);
}  // namespace ZDragTypes
