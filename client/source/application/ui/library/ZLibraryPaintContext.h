#pragma once

#include "VideoInfo.h"
#include "ZLibraryLook.h"
#include "ZThumbnailCache.h"

#include <QHash>
#include <QImage>
#include <QString>

class VideoDatabase;

// What the rows of one items view share while drawing: the look, the
// decoded thumbnails and the publishers' names (read once, not at every
// frame).
class ZLibraryPaintContext {
 public:
  explicit ZLibraryPaintContext(VideoDatabase &database) : fDatabase(database) {}

  ZLibraryLook look;
  ZThumbnailCache thumbnails;
  // Device pixels per point of the view being drawn.
  double devicePixelRatio = 1;

  // The name of the video's publisher; "" without one.
  QString publisherName(const VideoInfo &video);
  // The video's thumbnail at the size (points), or a null image when it has
  // none that reads.
  QImage thumbnail(const VideoInfo &video, const QSize &size);
  // The publishers may have changed.
  void forgetPublishers() {
    fPublisherNames.clear();
    fPublishersRead = false;
  }

 private:
  VideoDatabase &fDatabase;
  QHash<int, QString> fPublisherNames;
  bool fPublishersRead = false;
};
