#include "ZLibraryPaintContext.h"

#include "VideoDatabase.h"

#include <cmath>

QString ZLibraryPaintContext::publisherName(const VideoInfo &video) {
  bool ok = false;
  const int publisher = video.value(QStringLiteral("PUBLISHER")).toInt(&ok);
  if (!ok || publisher < 0) return QString();
  if (!fPublishersRead) {
    // All names at once: one query, however many publishers scroll by.
    fPublishersRead = true;
    for (const SqlRow &row : fDatabase.getPublishersSortedByName())
      fPublisherNames.insert(row.value(QStringLiteral("id")).toInt(),
                             row.value(QStringLiteral("Name")));
  }
  return fPublisherNames.value(publisher);
}

QImage ZLibraryPaintContext::thumbnail(const VideoInfo &video, const QSize &size) {
  const QString path = video.value(QStringLiteral("IMAGE_PATH"));
  const QSize pixels(int(std::ceil(size.width() * devicePixelRatio)),
                     int(std::ceil(size.height() * devicePixelRatio)));
  QImage image = thumbnails.thumbnail(path, pixels);
  if (!image.isNull()) image.setDevicePixelRatio(devicePixelRatio);
  return image;
}
