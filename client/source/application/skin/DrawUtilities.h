#pragma once

#include "ZSkin.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;
class QTextDocument;

// Drawing helpers shared by the skinned views. Rectangles are in the
// painter's (widget) coordinates.
namespace DrawUtilities {

// The colour at t (0 to 1) along a shading: each of red, green and blue
// moves linearly from the start colour's to the end colour's; alpha is
// always 1 (the colours' own alphas are not used).
QColor calculateShadingValues(double t, const QColor &start, const QColor &end);

// Fills the rectangle with a shading from the start to the end colour:
// vertical runs from the rectangle's bottom edge (start) to its top edge,
// horizontal from its left edge (start) to its right edge.
void paintAxialShading(QPainter &painter, const QRectF &bounds, const QColor &start,
                       const QColor &end, bool vertical);

// Draws part `part` of an image that holds `parts` pictures of equal width
// side by side, scaled into the target (source-over, so that transparent
// pixels show what lies below). A disabled control's picture is faded. The
// parts are cut from the image's pixels, whatever its device pixel ratio.
void drawImagePart(QPainter &painter, const QRectF &target, const QImage &image, int part,
                   int parts, bool disabled = false);

// The pictures of a window frame. Missing ones are left out.
struct FramePieces {
  QImage topLeft, topMiddle, topRight;
  QImage bottomLeft, bottomMiddle, bottomRight;
  QImage middleLeft, middleRight;
};

// Draws a frame in the rectangle: the corners at their own (display) size,
// the top and bottom middles stretched between their corners at their own
// height, the left and right middles stretched at their own width from
// sideTop below the top edge to sideBottom above the bottom edge.
void drawFrame(QPainter &painter, const QRectF &rect, const FramePieces &pieces, double sideTop,
               double sideBottom);

// The ring around a control that has the keyboard focus, just inside the
// rectangle.
void drawFocusRing(QPainter &painter, const QRectF &rect, const QColor &color);

// The average colour of the image's pixels in the rectangle (in pixels),
// alpha included; an invalid colour when the rectangle holds none.
QColor averageColor(const QImage &image, const QRect &pixels);
// Black or white, whichever stands out more on the background.
QColor contrastingColor(const QColor &background);

// Draws a text in the rectangle in the given style.
void drawText(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
              const QRectF &rect);
// The same on one line, its end cut off with an ellipsis when it is too wide.
void drawTruncatedText(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
                       const QRectF &rect);
// The text a truncated drawing shows.
QString truncatedText(const QString &text, const ZTextAttributes &attributes, double width);
// Lays a rich text out and draws it with its top left at the point.
void drawText(QPainter &painter, const QTextDocument &text, const QPointF &point);

}  // namespace DrawUtilities
