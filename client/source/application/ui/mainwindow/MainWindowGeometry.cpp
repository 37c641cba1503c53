#include "MainWindowGeometry.h"

#include "ZDialog.h"

#include <algorithm>

namespace MainWindowGeometry {

Grab grabAt(const QPoint &point, const QSize &windowSize) {
  if (point.x() < 0 || point.y() < 0 || point.x() >= windowSize.width() ||
      point.y() >= windowSize.height())
    return Grab::None;
  if (point.y() < DragStripHeight) return Grab::Drag;
  if (point.x() >= windowSize.width() - ResizeCornerSize &&
      point.y() >= windowSize.height() - ResizeCornerSize)
    return Grab::Resize;
  return Grab::None;
}

QPoint draggedOrigin(const QPoint &pointer, const QPoint &grabOffset, const QRect &visibleArea) {
  // The dialogs follow the same rule.
  return ZDialogGeometry::draggedPosition(pointer, grabOffset, visibleArea);
}

QRect resizedFrame(const QRect &startFrame, const QPoint &pressPointer, const QPoint &pointer,
                   const QSize &minimum) {
  const QPoint travel = pointer - pressPointer;
  const int width = std::max(minimum.width(), startFrame.width() + travel.x());
  const int height = std::max(minimum.height(), startFrame.height() + travel.y());
  return QRect(startFrame.topLeft(), QSize(width, height));
}

QRect fittedFrame(const QRect &frame, const QRect &visibleArea, const QSize &minimum) {
  const QSize size(std::max(minimum.width(), std::min(frame.width(), visibleArea.width())),
                   std::max(minimum.height(), std::min(frame.height(), visibleArea.height())));
  QRect fitted(frame.topLeft(), size);
  fitted.moveCenter(visibleArea.center());
  return fitted;
}

}  // namespace MainWindowGeometry
