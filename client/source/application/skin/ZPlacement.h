#pragma once

#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QVariantMap>

// Where a skinned control sits in its parent, worked out in the skin's own
// coordinates: origin at the bottom left, y upwards. The info is the
// control's description from the skin ("Zone", "XPos", "YPos", "Justify").
namespace ZPlacement {

// The control's rectangle, of the given display size, in the parent's
// bounds. Zones 1, 3, 4, 5 and 6 measure YPos from the top, zones 7 and up
// from the bottom; "left" (or "leftcenter", or none) measures XPos from the
// left edge (from the right edge less the right offset in zone 5), "center"
// back from the middle, "right" from the right edge less the right offset.
// Zones 0 and 2 and other Justify values have no rule of their own: the
// position is then XPos and YPos from the bounds' origin.
QRectF layoutRect(const QSizeF &size, const QRectF &bounds, const QVariantMap &info,
                  double rightOffset = 0);

// The rectangle of a container control (a volume control, a progress
// slider) of the given size in the parent's bounds. Zones 3 to 6 measure
// YPos from the top, zones 7 and up from the bottom; "left" measures XPos
// from the left edge, "center" back from the middle, "right" and
// "rightcenter" from the right edge; "justify" puts the control XPos from
// the left edge and stretches it to leave XPos free on both sides. Zone 4
// starts from XPos for any Justify; other zones and Justify values have no
// rule: the position is then XPos and YPos from the bounds' origin.
QRectF containerLayoutRect(const QSizeF &size, const QRectF &bounds, const QVariantMap &info);

// The one conversion to Qt's widget space (origin at the top left, y
// downwards) for a parent of the given height.
QRect toWidgetRect(const QRectF &rect, double parentHeight);

}  // namespace ZPlacement
