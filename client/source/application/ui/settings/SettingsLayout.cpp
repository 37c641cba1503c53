#include "SettingsLayout.h"

namespace SettingsLayout {

QList<QRectF> tabButtonFrames(const QRectF &bounds, const QList<QSizeF> &buttonSizes,
                              double topLeftHeight) {
  QList<QRectF> frames;
  if (buttonSizes.isEmpty()) return frames;
  const double y = bounds.y() + bounds.height() - 30 - buttonSizes.first().height() - topLeftHeight;
  double x = bounds.x() + 20;
  for (const QSizeF &size : buttonSizes) {
    frames.append(QRectF(QPointF(x, y), size));
    x += size.width();
  }
  return frames;
}

double tabViewOriginY(double rowY, double tabViewHeight) { return rowY - tabViewHeight + 4; }

}  // namespace SettingsLayout
