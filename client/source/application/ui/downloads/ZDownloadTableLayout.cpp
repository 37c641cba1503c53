#include "ZDownloadTableLayout.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

ZTextAttributes attributes(const QString &family, double size, bool bold, const QColor &color) {
  QFont font(family);
  font.setPointSizeF(size);
  font.setBold(bold);
  return {font, color};
}

void take(double &value, double fromSkin) {
  if (fromSkin > 0) value = fromSkin;
}

void take(QColor &value, const QColor &fromSkin) {
  if (fromSkin.isValid()) value = fromSkin;
}

void take(ZTextAttributes &value, const std::optional<ZTextAttributes> &fromSkin) {
  if (fromSkin) value = *fromSkin;
}

// Two pictures side by side, as a button's parts (at rest, pressed); the
// first alone (one part) when the second is missing or of another size.
QImage twoParts(const QImage &normal, const QImage &pressed, int &parts) {
  parts = 1;
  if (normal.isNull()) return QImage();
  if (pressed.isNull() || pressed.size() != normal.size()) return normal;
  parts = 2;
  QImage both(normal.width() * 2, normal.height(), QImage::Format_ARGB32_Premultiplied);
  both.fill(Qt::transparent);
  {
    QPainter painter(&both);
    painter.drawImage(QPoint(0, 0), normal.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    painter.drawImage(QPoint(normal.width(), 0),
                      pressed.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  }
  both.setDevicePixelRatio(normal.devicePixelRatio());
  return both;
}

}  // namespace

ZDownloadTableMetrics::ZDownloadTableMetrics()
    : headerText(attributes(QStringLiteral("Arial"), 12, false, Qt::black)),
      titleText(attributes(QStringLiteral("Arial"), 14, true, Qt::black)),
      progressText(attributes(QStringLiteral("Arial"), 12, false, Qt::white)) {}

ZDownloadTableMetrics ZDownloadTableMetrics::fromSkin(const ZSkin *skin) {
  ZDownloadTableMetrics metrics;
  if (!skin) return metrics;
  take(metrics.headerHeight, skin->downloadsHeaderHeight());
  take(metrics.rowHeight, skin->downloadsRowHeight());
  take(metrics.margin, skin->downloadHorizontalMargin());
  take(metrics.thumbnailWidth, skin->downloadsThumbnailColumnWidth());
  take(metrics.connectionSpeedWidth, skin->downloadsConnectionSpeedColumnWidth());
  take(metrics.progressWidth, skin->downloadsProgressColumnWidth());
  take(metrics.timeRemainingWidth, skin->downloadsTimeRemainingColumnWidth());
  take(metrics.stopWidth, skin->downloadsStopColumnWidth());
  take(metrics.separatorHeight, skin->downloadsRowSeparatorHeight());
  take(metrics.background, skin->downloadsBackgroundColor());
  take(metrics.background2, skin->downloadsBackgroundColor2());
  take(metrics.separator, skin->downloadsRowSeparatorColor());
  take(metrics.headerText, skin->downloadsHeaderTextAttributes());
  take(metrics.titleText, skin->downloadsVideoTitleTextAttributes());
  take(metrics.progressText, skin->downloadsProgressBarTextAttributes());
  return metrics;
}

ZDownloadTableImages ZDownloadTableImages::fromSkin(const ZSkin *skin) {
  ZDownloadTableImages images;
  if (!skin) return images;
  images.barLeftOff = skin->statusBarLeftOffImage();
  images.barLeftOn = skin->statusBarLeftOnImage();
  images.barBackgroundOff = skin->statusBarBackgroundOffImage();
  images.barBackgroundOn = skin->statusBarBackgroundOnImage();
  images.barRightOff = skin->statusBarRightOffImage();
  images.barRightOn = skin->statusBarRightOnImage();
  images.defaultIcon = skin->defaultIconImage();
  images.stopButton = twoParts(skin->downloadsDeleteIcon(), skin->downloadsDeleteIconSelected(),
                               images.stopButtonParts);
  images.playButton = twoParts(skin->downloadsCompleteIcon(),
                               skin->downloadsCompleteIconSelected(), images.playButtonParts);
  return images;
}

bool ZDownloadTableImages::hasProgressBar() const {
  for (const QImage *image : {&barLeftOff, &barLeftOn, &barBackgroundOff, &barBackgroundOn,
                              &barRightOff, &barRightOn})
    if (image->isNull()) return false;
  return true;
}

ZDownloadColumns ZDownloadColumns::forRow(const ZDownloadTableMetrics &m, double width,
                                          double height) {
  ZDownloadColumns c;
  const double cellHeight = std::max(0.0, height - m.separatorHeight);
  double right = width - m.margin;
  const auto fromRight = [&](double columnWidth) {
    right -= columnWidth;
    return QRectF(right, 0, columnWidth, cellHeight);
  };
  c.stop = fromRight(m.stopWidth);
  c.timeRemaining = fromRight(m.timeRemainingWidth);
  c.progress = fromRight(m.progressWidth);
  c.connectionSpeed = fromRight(m.connectionSpeedWidth);
  c.thumbnail = QRectF(m.margin, 0, m.thumbnailWidth, cellHeight);
  const double titleLeft = c.thumbnail.right() + 10;
  c.title = QRectF(titleLeft, 0, std::max(0.0, c.connectionSpeed.left() - titleLeft), cellHeight);
  c.separator = QRectF(m.margin, height - m.separatorHeight, std::max(0.0, width - 2 * m.margin),
                       m.separatorHeight);
  return c;
}

ZProgressBarPieces ZProgressBarPieces::forColumn(const QRectF &column,
                                                 const ZDownloadTableImages &images,
                                                 double percent, bool complete) {
  ZProgressBarPieces bar;
  bar.leftCapOn = percent != 0;
  bar.rightCapOn = complete;
  const QImage &left = bar.leftCapOn ? images.barLeftOn : images.barLeftOff;
  const QImage &right = bar.rightCapOn ? images.barRightOn : images.barRightOff;
  const QSizeF leftSize = left.deviceIndependentSize(), rightSize = right.deviceIndependentSize();
  const double barHeight = images.barBackgroundOff.deviceIndependentSize().height();
  const auto centred = [&](double x, double w, double h) {
    return QRectF(x, column.top() + std::floor((column.height() - h) / 2), w, h);
  };
  bar.leftCap = centred(column.left() + 10, leftSize.width(), leftSize.height());
  bar.rightCap = centred(column.right() - 10 - rightSize.width(), rightSize.width(),
                         rightSize.height());
  const double room = std::max(0.0, bar.rightCap.left() - bar.leftCap.right());
  const double done = room * std::clamp(percent, 0.0, 100.0) / 100.0;
  bar.on = centred(bar.leftCap.right(), done, barHeight);
  bar.off = centred(bar.leftCap.right() + done, room - done, barHeight);
  return bar;
}
