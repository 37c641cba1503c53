#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

// Where the settings window's tab buttons and pages go, in the skin's own
// coordinates (origin at the bottom left, y upwards).
namespace SettingsLayout {

// The tab buttons of the given sizes in one row, left to right, in the
// window's bounds: from x = bounds.x + 20, at y = bounds.y + bounds.height
// - 30 - (height of the first button) - topLeftHeight (the dialog's top-left
// frame piece).
QList<QRectF> tabButtonFrames(const QRectF &bounds, const QList<QSizeF> &buttonSizes,
                              double topLeftHeight);

// The origin y of a page of the given height whose top edge lies 4 above
// the row's bottom edge rowY.
double tabViewOriginY(double rowY, double tabViewHeight);

}  // namespace SettingsLayout
