#include "ZPlacement.h"

#include <algorithm>
#include <cmath>

namespace ZPlacement {

QRectF layoutRect(const QSizeF &size, const QRectF &bounds, const QVariantMap &info,
                  double rightOffset) {
  const int zone = info.value(QStringLiteral("Zone")).toInt();
  const double xPos = info.value(QStringLiteral("XPos")).toInt();
  const double yPos = info.value(QStringLiteral("YPos")).toInt();
  const QString justify = info.contains(QStringLiteral("Justify"))
                              ? info.value(QStringLiteral("Justify")).toString().toLower()
                              : QStringLiteral("left");
  const double bx = bounds.x(), by = bounds.y(), bw = bounds.width(), bh = bounds.height();
  const double w = size.width(), h = size.height();

  double y = by + yPos;
  if (zone == 1 || (zone >= 3 && zone <= 6))
    y = by + bh - yPos - h;
  else if (zone >= 7)
    y = by + yPos - h;

  double x = bx + xPos;
  if (justify == QLatin1String("left") || justify == QLatin1String("leftcenter")) {
    if (zone == 5) x = bx + bw - rightOffset + xPos;
  } else if (justify == QLatin1String("center")) {
    x = std::ceil(bx + bw / 2 - xPos);
  } else if (justify == QLatin1String("right")) {
    x = bx + bw - xPos - rightOffset;
  }
  return QRectF(x, y, w, h);
}

QRectF containerLayoutRect(const QSizeF &size, const QRectF &bounds, const QVariantMap &info) {
  const int zone = info.value(QStringLiteral("Zone")).toInt();
  const double xPos = info.value(QStringLiteral("XPos")).toInt();
  const double yPos = info.value(QStringLiteral("YPos")).toInt();
  const QString justify = info.value(QStringLiteral("Justify")).toString().toLower();
  const double bx = bounds.x(), by = bounds.y(), bw = bounds.width(), bh = bounds.height();
  double w = size.width();
  const double h = size.height();

  double y = by + yPos;
  if (zone >= 3 && zone <= 6)
    y = by + bh - yPos - h;
  else if (zone >= 7)
    y = by + yPos - h;

  double x = bx + xPos;
  if (justify == QLatin1String("center")) {
    x = bx + std::ceil(bw / 2) - xPos;
  } else if (justify == QLatin1String("right") || justify == QLatin1String("rightcenter")) {
    x = bx + bw - xPos - w;
  } else if (justify == QLatin1String("justify")) {
    w = std::max(0.0, bw - 2 * xPos);
  }
  return QRectF(x, y, w, h);
}

QRect toWidgetRect(const QRectF &rect, double parentHeight) {
  return QRectF(rect.x(), parentHeight - rect.y() - rect.height(), rect.width(), rect.height())
      .toAlignedRect();
}

}  // namespace ZPlacement
