#include "ZLibraryPaintContext.h"

#include "VideoDatabase.h"

#include <cmath>

QString ZLibraryPaintContext::publisherName(const VideoInfo &video) {
  bool ok = false;
  const int publisher = video.value(QStringLiteral("PUBLISHER")).toInt(&ok);
  if (!ok || publisher < 0) return QString();
  const auto found = fPublisherNames.constFind(publisher);
  if (found != fPublisherNames.constEnd()) return *found;
  const QString name = fDatabase.getNameForPublisherId(publisher);
  fPublisherNames.insert(publisher, name);
  return name;
}

QImage ZLibraryPaintContext::thumbnail(const VideoInfo &video, const QSize &size) {
  const QString path = video.value(QStringLiteral("IMAGE_PATH"));
  const QSize pixels(int(std::ceil(size.width() * devicePixelRatio)),
                     int(std::ceil(size.height() * devicePixelRatio)));
  QImage image = thumbnails.thumbnail(path, pixels);
  if (!image.isNull()) image.setDevicePixelRatio(devicePixelRatio);
  return image;
}
