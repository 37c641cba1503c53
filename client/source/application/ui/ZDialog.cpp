#include "ZDialog.h"

#include "DrawUtilities.h"
#include "ZSkin.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const ZSkin *currentSkin() { return ZSkinManager::sharedSkinManager().getCurrentSkin(); }

}  // namespace

namespace ZDialogGeometry {

double titleStripHeight(const ZSkin *skin) {
  if (skin && !skin->dialogTopLeftImage().isNull())
    return skin->dialogTopLeftImage().deviceIndependentSize().height();
  const auto caption = skin ? skin->dialogCaptionAttributes() : std::nullopt;
  const QFont font = caption ? caption->font : QFont();
  return std::ceil(QFontMetricsF(font).height() + 12);
}

double bottomStripHeight(const ZSkin *skin) {
  return skin ? skin->dialogBottomLeftImage().deviceIndependentSize().height() : 0;
}

QPoint draggedPosition(const QPoint &pointer, const QPoint &grabOffset, const QRect &visibleArea) {
  QPoint position = pointer - grabOffset;
  if (visibleArea.isValid()) position.setY(std::max(position.y(), visibleArea.top()));
  return position;
}

}  // namespace ZDialogGeometry

// ---- the frame --------------------------------------------------------------------------

void ZDialogContentView::paintEvent(QPaintEvent *) {
  const ZSkin *skin = currentSkin();
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(rect()), 12, 12);
  painter.setClipPath(rounded);
  const QColor back =
      skin && skin->dialogBackColor().isValid() ? skin->dialogBackColor() : QColor(Qt::white);
  painter.fillRect(rect(), back);

  if (skin) {
    // Corners keep their natural size; the pieces between them stretch.
    DrawUtilities::FramePieces pieces;
    pieces.topLeft = skin->dialogTopLeftImage();
    pieces.topMiddle = skin->dialogTopCenterImage();
    pieces.topRight = skin->dialogTopRightImage();
    pieces.bottomLeft = skin->dialogBottomLeftImage();
    pieces.bottomMiddle = skin->dialogBottomCenterImage();
    pieces.bottomRight = skin->dialogBottomRightImage();
    pieces.middleLeft = skin->dialogMiddleLeftImage();
    pieces.middleRight = skin->dialogMiddleRightImage();
    DrawUtilities::drawFrame(painter, QRectF(rect()), pieces,
                             ZDialogGeometry::titleStripHeight(skin),
                             ZDialogGeometry::bottomStripHeight(skin));
  }

  const QString title = window()->windowTitle();
  if (!title.isEmpty()) {
    const auto caption = skin ? skin->dialogCaptionAttributes() : std::nullopt;
    ZTextAttributes style = caption ? *caption : ZTextAttributes{font(), Qt::black};
    // A caption in the background colour would not show on a frame without pieces.
    if (skin && skin->dialogTopCenterImage().isNull() && style.foregroundColor == back)
      style.foregroundColor = palette().color(QPalette::WindowText);
    painter.setFont(style.font);
    painter.setPen(style.foregroundColor);
    painter.drawText(QRectF(0, 0, width(), ZDialogGeometry::titleStripHeight(skin)),
                     Qt::AlignCenter, title);
  }
}

// ---- the dialog -----------------------------------------------------------------------------

ZDialog::ZDialog(QWidget *parent) : QDialog(parent) {
  setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_TranslucentBackground);
  fContentView = new ZDialogContentView(this);
  fContentView->lower();
  fContainerView = new QWidget(this);
  // The container lies between the title strip and the bottom strip.
  auto *layout = new QVBoxLayout(this);
  const ZSkin *skin = currentSkin();
  layout->setContentsMargins(
      12, int(std::ceil(ZDialogGeometry::titleStripHeight(skin))), 12,
      std::max(12, int(std::ceil(ZDialogGeometry::bottomStripHeight(skin)))));
  layout->addWidget(fContainerView);
}

QSize ZDialog::sizeHint() const { return withRoomForTheCaption(QDialog::sizeHint()); }

QSize ZDialog::minimumSizeHint() const {
  return withRoomForTheCaption(QDialog::minimumSizeHint());
}

QSize ZDialog::withRoomForTheCaption(QSize size) const {
  // The caption is drawn centred in the title strip, clear of its corners.
  const QString title = windowTitle();
  if (title.isEmpty()) return size;
  const ZSkin *skin = currentSkin();
  const auto caption = skin ? skin->dialogCaptionAttributes() : std::nullopt;
  const QFont captionFont = caption ? caption->font : font();
  const int corner = skin ? std::max({skin->dialogTopLeftImage().width(),
                                      skin->dialogTopRightImage().width(), 12})
                          : 12;
  const int needed =
      int(std::ceil(QFontMetricsF(captionFont).horizontalAdvance(title))) + 2 * corner;
  size.setWidth(std::max(size.width(), needed));
  return size;
}

bool ZDialog::event(QEvent *event) {
  if (event->type() == QEvent::WindowTitleChange) updateGeometry();
  return QDialog::event(event);
}

void ZDialog::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  fContentView->setGeometry(rect());
}

void ZDialog::mousePressEvent(QMouseEvent *event) {
  // Only the title strip moves the dialog.
  const QPoint inWindow = event->position().toPoint();
  if (event->button() == Qt::LeftButton &&
      inWindow.y() < ZDialogGeometry::titleStripHeight(currentSkin())) {
    fInitialLocation = inWindow;
    fInDrag = true;
    return;
  }
  QDialog::mousePressEvent(event);
}

void ZDialog::mouseMoveEvent(QMouseEvent *event) {
  if (!fInDrag) return QDialog::mouseMoveEvent(event);
  const QScreen *screen = QGuiApplication::primaryScreen();
  move(ZDialogGeometry::draggedPosition(event->globalPosition().toPoint(), fInitialLocation,
                                        screen ? screen->availableGeometry() : QRect()));
}

void ZDialog::mouseReleaseEvent(QMouseEvent *event) {
  if (!fInDrag) return QDialog::mouseReleaseEvent(event);
  fInDrag = false;
}
