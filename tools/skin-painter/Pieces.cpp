#include "Pieces.h"

#include "Palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Pieces {

void fillVertical(QPainter &painter, const QRectF &rect, const QColor &top, const QColor &bottom) {
  QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  painter.fillRect(rect, gradient);
}

void roundedBox(QPainter &painter, const QRectF &rect, double radius, const QColor &fill,
                const QColor &border) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  if (border.isValid()) {
    painter.setBrush(border);
    painter.drawRoundedRect(rect, radius, radius);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), std::max(0.0, radius - 1),
                            std::max(0.0, radius - 1));
  } else {
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, radius, radius);
  }
  painter.restore();
}

void hairline(QPainter &painter, double left, double right, double y, const QColor &color) {
  painter.fillRect(QRectF(left, y, right - left, 1), color);
}

QColor glyphColor(Look look, int state) {
  switch (look) {
    case Look::Primary:
      return Palette::rgb(0x1C1C1C);
    case Look::Row:
      return state == Down ? Palette::accentDark() : Palette::accent();
    case Look::SegmentLeft:
    case Look::SegmentRight:
      return state == Selected ? Palette::rgb(0xFFFFFF) : Palette::ink();
    default:
      return state == Normal ? Palette::inkDim().lighter(112) : Palette::ink();
  }
}

namespace {

// A rectangle with only the corners on one side rounded.
QPainterPath halfRounded(const QRectF &rect, double radius, bool left) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  QPainterPath square;
  square.addRect(left ? rect.adjusted(rect.width() / 2, 0, 0, 0)
                      : rect.adjusted(0, 0, -rect.width() / 2, 0));
  return path.united(square).simplified();
}

}  // namespace

void button(QPainter &painter, const QRectF &cell, Look look, int state, Glyph glyph,
            double glyphSize) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  switch (look) {
    case Look::Flat: {
      const double alpha = state == Normal ? 0 : state == Over ? 0.12 : 0.22;
      if (alpha > 0) {
        painter.setBrush(QColor::fromRgbF(1, 1, 1, float(alpha)));
        const double side = std::min(cell.width(), cell.height());
        painter.drawEllipse(QRectF(cell.center().x() - side / 2, cell.center().y() - side / 2, side,
                                   side));
      }
      break;
    }
    case Look::Round: {
      const double alpha = state == Normal ? 0.08 : state == Over ? 0.16 : 0.26;
      painter.setBrush(QColor::fromRgbF(1, 1, 1, float(alpha)));
      const double side = std::min(cell.width(), cell.height());
      painter.drawEllipse(
          QRectF(cell.center().x() - side / 2, cell.center().y() - side / 2, side, side));
      break;
    }
    case Look::Filled: {
      const QColor fill = state == Normal ? Palette::control()
                          : state == Over ? Palette::controlHover()
                          : state == Down ? Palette::controlDown()
                                          : Palette::accent();
      roundedBox(painter, cell.adjusted(0.5, 0.5, -0.5, -0.5), 6, fill, Palette::controlBorder());
      if (state == Normal)
        painter.fillRect(QRectF(cell.left() + 6, cell.top() + 1.5, cell.width() - 12, 1),
                         Palette::frameHighlight());
      break;
    }
    case Look::SegmentLeft:
    case Look::SegmentRight: {
      const bool left = look == Look::SegmentLeft;
      const QColor fill = state == Normal ? Palette::control()
                          : state == Over ? Palette::controlHover()
                          : state == Down ? Palette::controlDown()
                                          : Palette::accent();
      const QRectF box = cell.adjusted(left ? 0.5 : 0, 0.5, left ? 0 : -0.5, -0.5);
      painter.setBrush(state == Selected ? Palette::accentDark() : Palette::controlBorder());
      painter.drawPath(halfRounded(box, 7, left));
      painter.setBrush(fill);
      painter.drawPath(halfRounded(box.adjusted(left ? 1 : 0, 1, left ? 0 : -1, -1), 6, left));
      // The seam between the two halves.
      if (!left) painter.fillRect(QRectF(cell.left(), cell.top() + 1, 1, cell.height() - 2),
                                  Palette::controlBorder());
      break;
    }
    case Look::Primary: {
      const QColor fill = state == Normal ? Palette::ink()
                          : state == Over ? Palette::rgb(0xFFFFFF)
                                          : Palette::rgb(0xCFCFCF);
      const double side = std::min(cell.width(), cell.height()) - 2;
      const QRectF disc(cell.center().x() - side / 2, cell.center().y() - side / 2, side, side);
      painter.setBrush(QColor(0, 0, 0, 90));
      painter.drawEllipse(disc.translated(0, 1));
      painter.setBrush(fill);
      painter.drawEllipse(disc);
      break;
    }
    case Look::Row: {
      const QColor fill = state == Normal ? Palette::rgb(0xEEF1F4)
                          : state == Over ? Palette::accentPale()
                                          : Palette::rgb(0xC4DAF6);
      roundedBox(painter, cell.adjusted(1, 1, -1, -1), std::min(cell.width(), cell.height()) / 2 - 1,
                 fill, Palette::paperLine());
      break;
    }
  }
  const QRectF glyphBox(cell.center().x() - glyphSize / 2, cell.center().y() - glyphSize / 2,
                        glyphSize, glyphSize);
  // The light disc's play triangle sits a little right of the middle, where the eye expects it.
  const double nudge = look == Look::Primary && glyph == Glyph::Play ? glyphSize / 24 : 0;
  drawGlyph(painter, glyph, glyphBox.translated(nudge, state == Down ? 0.5 : 0),
            glyphColor(look, state));
  painter.restore();
}

}  // namespace Pieces
