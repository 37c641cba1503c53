#pragma once

#include <QDialog>
#include <QPoint>
#include <QRectF>

class ZSkin;

// The geometry of the skinned dialog frame.
namespace ZDialogGeometry {

// The height of the title strip: the skin's top-left frame piece, or, for a
// skin without frame pieces, a strip as high as its caption needs.
double titleStripHeight(const ZSkin *skin);
// The height of the bottom strip: the skin's bottom-left frame piece (0 without).
double bottomStripHeight(const ZSkin *skin);
// Where a dragged dialog goes: its top left corner follows the pointer,
// keeping the grab offset, but its top edge never rises above the top of the
// visible screen area.
QPoint draggedPosition(const QPoint &pointer, const QPoint &grabOffset, const QRect &visibleArea);

}  // namespace ZDialogGeometry

// Draws the dialog frame from the current skin: a rounded rectangle (corner
// radius 12) in the dialog background colour, the frame pieces at the
// corners and along the edges, and the window title in the caption style,
// centred in the title strip.
class ZDialogContentView : public QWidget {
  Q_OBJECT
 public:
  explicit ZDialogContentView(QWidget *parent = nullptr) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent *event) override;
};

// A borderless dialog in the skinned frame, moved by dragging its title
// strip. Its own controls go into contentArea().
class ZDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ZDialog(QWidget *parent = nullptr);
  QWidget *contentArea() const { return fContainerView; }
  // At least as wide as the caption needs.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

 private:
  QSize withRoomForTheCaption(QSize size) const;

  ZDialogContentView *fContentView = nullptr;
  QWidget *fContainerView = nullptr;
  QPoint fInitialLocation;  // where the drag began, relative to the window
  bool fInDrag = false;
};
