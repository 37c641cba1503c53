#pragma once

#include <QCache>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

// The library's thumbnails, decoded at the size they are shown at and kept in
// a cache of bounded size (the least recently used go first). A file that is
// missing, empty or not an image is remembered as such and gives a null
// image: the caller draws its placeholder. A file that changed since it was
// read (another size or time) is read again.
class ZThumbnailCache {
 public:
  // The bytes of decoded pixels kept at most.
  explicit ZThumbnailCache(qsizetype maxBytes = 24 * 1024 * 1024);

  // The picture in the file, scaled to the size (in pixels), or a null image.
  QImage thumbnail(const QString &path, const QSize &size);
  void clear() { fCache.clear(); }

  qsizetype bytesUsed() const { return fCache.totalCost(); }
  qsizetype maxBytes() const { return fCache.maxCost(); }
  // How many files were decoded (a cached picture is not decoded again).
  int reads() const { return fReads; }

 private:
  struct Entry {
    QImage image;
    qint64 fileSize = -1;
    QDateTime modified;
  };
  static QImage decode(const QString &path, const QSize &size);

  QCache<QString, Entry> fCache;
  int fReads = 0;
};
