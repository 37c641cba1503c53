#include "DrawUtilities.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace DrawUtilities {

QColor calculateShadingValues(double t, const QColor &start, const QColor &end) {
  t = std::clamp(t, 0.0, 1.0);
  const auto mix = [t](double from, double to) { return from + (to - from) * t; };
  return QColor::fromRgbF(float(mix(start.redF(), end.redF())),
                          float(mix(start.greenF(), end.greenF())),
                          float(mix(start.blueF(), end.blueF())), 1.0f);
}

void paintAxialShading(QPainter &painter, const QRectF &bounds, const QColor &start,
                       const QColor &end, bool vertical) {
  // Linear interpolation between two stops is exactly the shading function.
  QLinearGradient gradient = vertical ? QLinearGradient(bounds.center().x(), bounds.bottom(),
                                                        bounds.center().x(), bounds.top())
                                      : QLinearGradient(bounds.left(), bounds.center().y(),
                                                        bounds.right(), bounds.center().y());
  gradient.setColorAt(0, calculateShadingValues(0, start, end));
  gradient.setColorAt(1, calculateShadingValues(1, start, end));
  painter.save();
  painter.setClipRect(bounds, Qt::IntersectClip);
  painter.fillRect(bounds, gradient);
  painter.restore();
}

void drawImagePart(QPainter &painter, const QRectF &target, const QImage &image, int part,
                   int parts, bool disabled) {
  if (image.isNull() || parts < 1 || part < 0 || part >= parts || target.isEmpty()) return;
  const double partWidth = double(image.width()) / parts;
  painter.save();
  if (disabled) painter.setOpacity(0.4);
  painter.drawImage(target, image, QRectF(part * partWidth, 0, partWidth, image.height()));
  painter.restore();
}

void drawFrame(QPainter &painter, const QRectF &r, const FramePieces &pieces, double sideTop,
               double sideBottom) {
  const auto draw = [&](const QImage &image, const QRectF &target) {
    if (!image.isNull() && target.width() > 0 && target.height() > 0)
      painter.drawImage(target, image);
  };
  // Sizes in display units, whatever the pieces' resolution.
  const auto w = [](const QImage &image) { return image.deviceIndependentSize().width(); };
  const auto h = [](const QImage &image) { return image.deviceIndependentSize().height(); };
  const FramePieces &p = pieces;
  draw(p.topLeft, QRectF(r.left(), r.top(), w(p.topLeft), h(p.topLeft)));
  draw(p.topRight, QRectF(r.right() - w(p.topRight), r.top(), w(p.topRight), h(p.topRight)));
  draw(p.bottomLeft,
       QRectF(r.left(), r.bottom() - h(p.bottomLeft), w(p.bottomLeft), h(p.bottomLeft)));
  draw(p.bottomRight, QRectF(r.right() - w(p.bottomRight), r.bottom() - h(p.bottomRight),
                             w(p.bottomRight), h(p.bottomRight)));
  draw(p.topMiddle, QRectF(r.left() + w(p.topLeft), r.top(),
                           r.width() - w(p.topLeft) - w(p.topRight), h(p.topMiddle)));
  draw(p.bottomMiddle, QRectF(r.left() + w(p.bottomLeft), r.bottom() - h(p.bottomMiddle),
                              r.width() - w(p.bottomLeft) - w(p.bottomRight), h(p.bottomMiddle)));
  const double sideHeight = r.height() - sideTop - sideBottom;
  draw(p.middleLeft, QRectF(r.left(), r.top() + sideTop, w(p.middleLeft), sideHeight));
  draw(p.middleRight,
       QRectF(r.right() - w(p.middleRight), r.top() + sideTop, w(p.middleRight), sideHeight));
}

void drawFocusRing(QPainter &painter, const QRectF &rect, const QColor &color) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(color, 2);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), 3, 3);
  painter.restore();
}

QColor averageColor(const QImage &image, const QRect &pixels) {
  const QRect area = pixels.intersected(image.rect());
  if (area.isEmpty()) return QColor();
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  double red = 0, green = 0, blue = 0, alpha = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb pixel = argb.pixel(x, y);
      red += qRed(pixel);
      green += qGreen(pixel);
      blue += qBlue(pixel);
      alpha += qAlpha(pixel);
    }
  const double count = double(area.width()) * area.height();
  if (alpha <= 0) return QColor::fromRgbF(0, 0, 0, 0);
  // Premultiplied sums: dividing by the alpha sum gives the straight colour.
  return QColor::fromRgbF(float(red / alpha), float(green / alpha), float(blue / alpha),
                          float(alpha / count / 255.0));
}

QColor contrastingColor(const QColor &background) {
  // The perceived lightness (CIE L*) of the colour: dark text from 60 up.
  const auto linear = [](double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double luminance = 0.2126 * linear(background.redF()) +
                           0.7152 * linear(background.greenF()) +
                           0.0722 * linear(background.blueF());
  const double lightness =
      luminance > 0.008856 ? 116 * std::cbrt(luminance) - 16 : 903.3 * luminance;
  return lightness >= 60 ? QColor(Qt::black) : QColor(Qt::white);
}

void drawText(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
              const QRectF &rect) {
  painter.save();
  painter.setFont(attributes.font);
  painter.setPen(attributes.foregroundColor);
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
  painter.restore();
}

QString truncatedText(const QString &text, const ZTextAttributes &attributes, double width) {
  return QFontMetricsF(attributes.font).elidedText(text, Qt::ElideRight, width);
}

void drawTruncatedText(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
                       const QRectF &rect) {
  painter.save();
  painter.setFont(attributes.font);
  painter.setPen(attributes.foregroundColor);
  painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   truncatedText(text, attributes, rect.width()));
  painter.restore();
}

void drawText(QPainter &painter, const QTextDocument &text, const QPointF &point) {
  painter.save();
  painter.translate(point);
  text.documentLayout()->draw(&painter, QAbstractTextDocumentLayout::PaintContext());
  painter.restore();
}

}  // namespace DrawUtilities
