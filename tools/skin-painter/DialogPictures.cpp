// The dialog frame (a dark title strip over a light body) and the settings
// window's tab buttons.
#include "Layout.h"
#include "Palette.h"
#include "Pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace Pictures {

using namespace Pieces;

namespace {

QColor body() { return Palette::skinColor(Palette::dialogBodyHex); }
QColor border() { return Palette::rgb(0xB6B6B6); }

}  // namespace

QString dialogPiece(SkinBuilder &skin, DialogPiece piece) {
  const bool top = piece == DialogPiece::TopLeft || piece == DialogPiece::TopRight ||
                   piece == DialogPiece::TopMiddle;
  const bool side = piece == DialogPiece::MiddleLeft || piece == DialogPiece::MiddleRight;
  const bool left = piece == DialogPiece::TopLeft || piece == DialogPiece::BottomLeft ||
                    piece == DialogPiece::MiddleLeft;
  const bool middle = piece == DialogPiece::TopMiddle || piece == DialogPiece::BottomMiddle;
  static const char *const files[] = {"dialog_top_left.png",     "dialog_top_right.png",
                                      "dialog_top_middle.png",   "dialog_bottom_left.png",
                                      "dialog_bottom_right.png", "dialog_bottom_middle.png",
                                      "dialog_middle_left.png",  "dialog_middle_right.png"};
  const double width = side ? 1 : middle ? 8 : Layout::dialogCornerWidth;
  const double height = side ? 8 : top ? Layout::dialogTitleHeight : Layout::dialogBottomHeight;
  return skin.picture(
      QString::fromLatin1(files[int(piece)]), QSizeF(width, height),
      [=](QPainter &painter, const QSizeF &size) {
        const double w = size.width(), h = size.height();
        if (side) {
          painter.fillRect(QRectF(0, 0, w, h), border());
          return;
        }
        if (top) {
          fillVertical(painter, QRectF(0, 0, w, h), Palette::headerTop(), Palette::headerBottom());
          hairline(painter, 0, w, 0, Palette::frameHighlight());
          hairline(painter, 0, w, h - 1, Palette::frameLine());
          return;
        }
        // The bottom: the body, its border down the side and along the
        // bottom, round at the corner (the dialog is clipped to a radius of 12).
        painter.fillRect(QRectF(0, 0, w, h), body());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(border(), 1));
        painter.setBrush(Qt::NoBrush);
        QPainterPath edge;
        const double r = 12;
        if (middle) {
          edge.moveTo(0, h - 0.5);
          edge.lineTo(w, h - 0.5);
        } else if (left) {
          edge.moveTo(0.5, 0);
          edge.lineTo(0.5, h - r);
          edge.arcTo(QRectF(0.5, h - 2 * r - 0.5, 2 * r, 2 * r), 180, 90);
          edge.lineTo(w, h - 0.5);
        } else {
          edge.moveTo(w - 0.5, 0);
          edge.lineTo(w - 0.5, h - r);
          edge.arcTo(QRectF(w - 2 * r - 0.5, h - 2 * r - 0.5, 2 * r, 2 * r), 0, -90);
          edge.lineTo(0, h - 0.5);
        }
        painter.drawPath(edge);
      });
}

QString settingsTab(SkinBuilder &skin, const QString &file, Glyph glyph, const QString &title) {
  return skin.sprite(file, QSizeF(116, 32), 2,
                     [glyph, title](QPainter &painter, const QRectF &cell, int k) {
                       // Left half: the selected tab, right half: the others.
                       const bool selected = k == 0;
                       const QRectF box = cell.adjusted(2, 2, -2, -2);
                       roundedBox(painter, box, 8,
                                  selected ? Palette::accent() : Palette::rgb(0xEBEBEB),
                                  selected ? Palette::accentDark() : Palette::rgb(0xD3D3D3));
                       const QColor ink = selected ? Palette::rgb(0xFFFFFF) : Palette::paperInk();
                       QFont font(QStringLiteral("DejaVu Sans"));
                       font.setPixelSize(13);
                       font.setBold(true);
                       const double textWidth = QFontMetricsF(font).horizontalAdvance(title);
                       const double left = box.center().x() - (16 + 6 + textWidth) / 2;
                       drawGlyph(painter, glyph, QRectF(left, box.center().y() - 8, 16, 16), ink);
                       painter.setFont(font);
                       painter.setPen(ink);
                       painter.drawText(QRectF(left + 22, box.top(), textWidth + 2, box.height()),
                                        Qt::AlignLeft | Qt::AlignVCenter, title);
                     });
}

}  // namespace Pictures
