#include "ImageFiles.h"

#include <QFileInfo>
#include <QPainter>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

namespace {

QImage flattened(const QImage &image) {
  QImage opaque(image.size(), QImage::Format_RGB888);
  opaque.fill(Qt::white);
  QPainter painter(&opaque);
  painter.drawImage(0, 0, image);
  return opaque;
}

bool writeJpeg(const QImage &image, const QString &path, QString *error) {
  const QImage rgb = flattened(image);
  std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(QFile::encodeName(path).constData(), "wb"),
                                              &std::fclose);
  if (!file) {
    *error = QStringLiteral("cannot write %1").arg(path);
    return false;
  }
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file.get());
  info.image_width = JDIMENSION(rgb.width());
  info.image_height = JDIMENSION(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  // Full colour resolution: icons have edges one pixel wide.
  for (int c = 0; c < info.num_components; ++c) {
    info.comp_info[c].h_samp_factor = 1;
    info.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

bool writeGif(const QImage &image, const QString &path, QString *error) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  const int width = argb.width(), height = argb.height();
  const std::size_t count = std::size_t(width) * std::size_t(height);
  std::vector<GifByteType> red(count), green(count), blue(count), indexes(count);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const QRgb pixel = argb.pixel(x, y);
      const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
      red[i] = GifByteType(qRed(pixel));
      green[i] = GifByteType(qGreen(pixel));
      blue[i] = GifByteType(qBlue(pixel));
    }
  // The picture's own colours when it has no more than 255 of them (a flat
  // drawing on one background), else 255 chosen by giflib's quantizer; the
  // last entry stands for see-through pixels.
  const int transparent = 255;
  std::vector<GifColorType> palette(256);
  std::map<QRgb, GifByteType> exact;
  for (std::size_t i = 0; i < count && exact.size() <= std::size_t(transparent); ++i)
    exact.emplace(qRgb(red[i], green[i], blue[i]), 0);
  if (exact.size() <= std::size_t(transparent)) {
    int next = 0;
    for (auto &[color, index] : exact) {
      index = GifByteType(next);
      palette[std::size_t(next++)] =
          GifColorType{GifByteType(qRed(color)), GifByteType(qGreen(color)), GifByteType(qBlue(color))};
    }
    for (std::size_t i = 0; i < count; ++i) indexes[i] = exact.at(qRgb(red[i], green[i], blue[i]));
  } else {
    int colors = transparent;
    if (GifQuantizeBuffer(unsigned(width), unsigned(height), &colors, red.data(), green.data(),
                          blue.data(), indexes.data(), palette.data()) != GIF_OK) {
      *error = QStringLiteral("cannot reduce %1 to a palette").arg(path);
      return false;
    }
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (qAlpha(argb.pixel(x, y)) < 128)
        indexes[std::size_t(y) * std::size_t(width) + std::size_t(x)] = transparent;
  palette[transparent] = GifColorType{0, 0, 0};

  int status = 0;
  GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &status);
  if (!gif) {
    *error = QStringLiteral("cannot write %1: %2").arg(path, QString::fromUtf8(GifErrorString(status)));
    return false;
  }
  ColorMapObject *map = GifMakeMapObject(256, palette.data());
  GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, transparent};
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < height; ++y)
    ok = EGifPutLine(gif, indexes.data() + std::size_t(y) * std::size_t(width), width) == GIF_OK;
  GifFreeMapObject(map);
  if (EGifCloseFile(gif, &status) != GIF_OK) ok = false;
  if (!ok) *error = QStringLiteral("cannot write %1").arg(path);
  return ok;
}

}  // namespace

bool writeImageFile(const QImage &image, const QString &path, QString *error) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
    return writeJpeg(image, path, error);
  if (suffix == QLatin1String("gif")) return writeGif(image, path, error);
  if (suffix == QLatin1String("png")) {
    if (image.save(path, "PNG")) return true;
    *error = QStringLiteral("cannot write %1").arg(path);
    return false;
  }
  *error = QStringLiteral("no image format for %1").arg(path);
  return false;
}
