// The window frame, its buttons, pop-ups and fields.
#include "Layout.h"
#include "Palette.h"
#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Pictures {

namespace {

using namespace Pieces;

// The mark at the top left of the window: a rounded accent tile with the
// play triangle.
void paintLogo(QPainter &painter, const QRectF &box) {
  QLinearGradient gradient(box.topLeft(), box.bottomLeft());
  gradient.setColorAt(0, Palette::accentLight());
  gradient.setColorAt(1, Palette::accentDark());
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  painter.drawRoundedRect(box, 6, 6);
  painter.restore();
  drawGlyph(painter, Glyph::Play, box.adjusted(5, 5, -4, -5), Palette::rgb(0xFFFFFF));
}

// The little ridges of the resize corner.
void paintGrip(QPainter &painter, const QRectF &corner) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  for (int row = 0; row < 3; ++row)
    for (int dot = 0; dot <= row; ++dot) {
      const QPointF at(corner.right() - 5 - dot * 4, corner.bottom() - 5 - (row - dot) * 4);
      painter.setBrush(QColor(0, 0, 0, 140));
      painter.drawEllipse(at + QPointF(0.5, 0.5), 1.1, 1.1);
      painter.setBrush(QColor(255, 255, 255, 70));
      painter.drawEllipse(at, 1.1, 1.1);
    }
  painter.restore();
}

}  // namespace

QString frameTop(SkinBuilder &skin, Edge edge) {
  const char *file = edge == Edge::Left     ? "frame_top_left.png"
                     : edge == Edge::Middle ? "frame_top_middle.png"
                                            : "frame_top_right.png";
  const double width = edge == Edge::Middle ? 8 : Layout::frameCornerWidth;
  return skin.picture(QString::fromLatin1(file), QSizeF(width, Layout::topFrameHeight),
                      [edge](QPainter &painter, const QSizeF &size) {
                        const double w = size.width();
                        fillVertical(painter, QRectF(0, 0, w, Layout::headerHeight),
                                     Palette::headerTop(), Palette::headerBottom());
                        hairline(painter, 0, w, 0, Palette::frameHighlight());
                        hairline(painter, 0, w, Layout::headerHeight - 1, Palette::frameLine());
                        painter.fillRect(QRectF(0, Layout::headerHeight, w, Layout::toolbarHeight),
                                         Palette::toolbar());
                        hairline(painter, 0, w, Layout::headerHeight, Palette::frameHighlight());
                        hairline(painter, 0, w, Layout::topFrameHeight - 1, Palette::frameLine());
                        if (edge == Edge::Left) paintLogo(painter, QRectF(14, 12, 24, 24));
                      });
}

QString frameBottom(SkinBuilder &skin, Edge edge) {
  const char *file = edge == Edge::Left     ? "frame_bottom_left.png"
                     : edge == Edge::Middle ? "frame_bottom_middle.png"
                                            : "frame_bottom_right.png";
  const double width = edge == Edge::Middle ? 8 : Layout::frameCornerWidth;
  return skin.picture(QString::fromLatin1(file), QSizeF(width, Layout::bottomFrameHeight),
                      [edge](QPainter &painter, const QSizeF &size) {
                        const double w = size.width(), h = size.height();
                        painter.fillRect(QRectF(0, 0, w, h), Palette::statusBar());
                        hairline(painter, 0, w, 0, Palette::frameLine());
                        hairline(painter, 0, w, 1, Palette::frameHighlight());
                        if (edge == Edge::Right)
                          paintGrip(painter, QRectF(w - Layout::resizeCorner, h - Layout::resizeCorner,
                                                    Layout::resizeCorner, Layout::resizeCorner));
                      });
}

QString button(SkinBuilder &skin, const QString &file, const QSizeF &cell, int states, Look look,
               Glyph glyph, double glyphSize) {
  return skin.sprite(file, cell, states,
                     [look, glyph, glyphSize](QPainter &painter, const QRectF &box, int state) {
                       Pieces::button(painter, box, look, state, glyph, glyphSize);
                     });
}

QString popup(SkinBuilder &skin, const QString &file, const QSizeF &cell, bool withGlyph,
              Glyph glyph) {
  return skin.sprite(file, cell, 3, [withGlyph, glyph](QPainter &painter, const QRectF &box,
                                                       int state) {
    // A field without a glyph of its own: the button draws its title over it.
    Pieces::button(painter, box, Look::Filled, state, glyph, 0);
    const QColor color = glyphColor(Look::Filled, state);
    const double shift = state == Down ? 0.5 : 0;
    drawGlyph(painter, Glyph::ChevronDown,
              QRectF(box.right() - 17, box.center().y() - 5 + shift, 10, 10), color);
    if (withGlyph)
      drawGlyph(painter, glyph, QRectF(box.left() + 7, box.center().y() - 8 + shift, 16, 16),
                color);
  });
}

QString searchField(SkinBuilder &skin, const QString &file, const QSizeF &size) {
  return skin.picture(file, size, [](QPainter &painter, const QSizeF &size) {
    const QRectF box(0.5, 0.5, size.width() - 1, size.height() - 1);
    roundedBox(painter, box, box.height() / 2, Palette::field(), Palette::fieldBorder());
    // The text field takes the middle, 18 in from each side: the magnifier
    // sits in the left inset.
    drawGlyph(painter, Glyph::Search, QRectF(4, size.height() / 2 - 6.5, 13, 13),
              Palette::inkDim());
  });
}

QString label(SkinBuilder &skin, const QString &file, const QSizeF &size, Glyph glyph,
              const QColor &color) {
  return skin.picture(file, size, [glyph, color](QPainter &painter, const QSizeF &size) {
    const double side = std::min(size.width(), size.height()) * 0.72;
    drawGlyph(painter, glyph,
              QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side), color);
  });
}

QString playlistBar(SkinBuilder &skin) {
  return skin.picture(QStringLiteral("playlist_bar.png"), QSizeF(8, Layout::playlistBarHeight),
                      [](QPainter &painter, const QSizeF &size) {
                        fillVertical(painter, QRectF(QPointF(0, 0), size), Palette::rgb(0x303030),
                                     Palette::rgb(0x282828));
                        hairline(painter, 0, size.width(), 0, Palette::frameLine());
                        hairline(painter, 0, size.width(), 1, Palette::frameHighlight());
                      });
}

}  // namespace Pictures
