#include "ZThumbnailCache.h"

#include "Logging.h"

#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace {

QString keyFor(const QString &path, const QSize &size) {
  return QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height()) +
         QLatin1Char(' ') + path;
}

// Files larger than this are not read as thumbnails, nor pictures that claim
// more pixels than this.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxPixels = 40'000'000;

}  // namespace

ZThumbnailCache::ZThumbnailCache(qsizetype maxBytes) : fCache(maxBytes) {}

QImage ZThumbnailCache::thumbnail(const QString &path, const QSize &size) {
  if (path.isEmpty() || size.isEmpty()) return QImage();
  const QFileInfo file(path);
  const qint64 fileSize = file.exists() ? file.size() : -1;
  const QDateTime modified = file.exists() ? file.lastModified() : QDateTime();
  const QString key = keyFor(path, size);
  if (const Entry *cached = fCache.object(key))
    if (cached->fileSize == fileSize && cached->modified == modified) return cached->image;
  ++fReads;
  auto *entry = new Entry{decode(path, size), fileSize, modified};
  // A failure costs a little, so that broken files are not read again at
  // every frame but do not crowd the pictures out either.
  const qsizetype cost =
      entry->image.isNull() ? 64 : std::max<qsizetype>(64, entry->image.sizeInBytes());
  const QImage answer = entry->image;
  fCache.insert(key, entry, cost);
  return answer;
}

QImage ZThumbnailCache::decode(const QString &path, const QSize &size) {
  const QFileInfo info(path);
  if (!info.isFile() || info.size() == 0 || info.size() > kMaxFileBytes) return QImage();
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  if (!reader.canRead()) {
    qCWarning(zaroLibrary, "The thumbnail %s is not a picture; the placeholder is shown",
              qPrintable(path));
    return QImage();
  }
  const QSize natural = reader.size();
  if (natural.isValid() && qint64(natural.width()) * natural.height() > kMaxPixels) return QImage();
  reader.setScaledSize(size);
  QImage image = reader.read();
  if (image.isNull()) {
    qCWarning(zaroLibrary, "The thumbnail %s does not read (%s); the placeholder is shown",
              qPrintable(path), qPrintable(reader.errorString()));
    return QImage();
  }
  if (image.size() != size)
    image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                       : QImage::Format_RGB32);
}
