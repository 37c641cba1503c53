#include "DrawUtilities.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

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
