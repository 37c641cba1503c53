#pragma once

#include "Glyphs.h"

#include <QColor>
#include <QRectF>

class QPainter;

// Painting helpers shared by the parts of the default skin. Rectangles are in
// display units; lines one unit wide lie on half units so that they are sharp.
namespace Pieces {

// A vertical gradient over the rectangle.
void fillVertical(QPainter &painter, const QRectF &rect, const QColor &top, const QColor &bottom);
// A rounded rectangle with an optional one-unit border inside its edge.
void roundedBox(QPainter &painter, const QRectF &rect, double radius, const QColor &fill,
                const QColor &border = QColor());
// A horizontal line one unit high along y (its top edge).
void hairline(QPainter &painter, double left, double right, double y, const QColor &color);

// The states of a button's picture, as the controls number them.
enum State { Normal = 0, Over = 1, Down = 2, Selected = 3 };

// How a button of the chrome looks in a state.
enum class Look {
  Flat,          // an icon alone; a soft round backdrop when hovered or pressed
  Round,         // a faint circle always (window buttons)
  Filled,        // a rounded field on the toolbar
  SegmentLeft,   // the left / right half of a pair of joined buttons
  SegmentRight,
  Primary,       // the light disc of the play and pause buttons
  Row,           // a button of the light library rows
};
// Paints one state of a button with its glyph into the cell.
void button(QPainter &painter, const QRectF &cell, Look look, int state, Glyph glyph,
            double glyphSize);
// The glyph's colour in a state of a look.
QColor glyphColor(Look look, int state);

}  // namespace Pieces
