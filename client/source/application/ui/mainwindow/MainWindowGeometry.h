#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the borderless main window goes when the user drags, resizes or zooms
// it, and when the screens change. Widget space: origin at the top left, y
// downwards; frames are the window's outer rectangle.
namespace MainWindowGeometry {

// A press in the top strip of this height (the whole width) drags the window.
inline constexpr int DragStripHeight = 60;
// A press in the square of this side at the bottom right corner resizes it.
inline constexpr int ResizeCornerSize = 20;
// The smallest window the default skin's controls are placed for.
inline constexpr QSize MinimumSize{800, 560};

enum class Grab { None, Drag, Resize };

// What a press at the point (relative to the window) starts.
Grab grabAt(const QPoint &point, const QSize &windowSize);

// The window's new top left corner while dragging: it follows the pointer
// (screen coordinates), keeping the grab offset, but its top edge never
// passes the top of the visible area of the main screen.
QPoint draggedOrigin(const QPoint &pointer, const QPoint &grabOffset, const QRect &visibleArea);

// The frame while resizing from the bottom right corner: the top edge (and
// the left edge) stay; width and height grow by the pointer's travel from
// where the press began, each at least the minimum.
QRect resizedFrame(const QRect &startFrame, const QPoint &pressPointer, const QPoint &pointer,
                   const QSize &minimum);

// After the screens changed: the size becomes the smaller of the window's
// and the visible area's in each dimension (never below the minimum), and
// the window is centred in the visible area.
QRect fittedFrame(const QRect &frame, const QRect &visibleArea, const QSize &minimum);

}  // namespace MainWindowGeometry
