#include "ZView.h"

#include "DrawUtilities.h"
#include "ZAccessibility.h"
#include "ZPlacement.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

bool hasKeys(const QVariantMap &info, std::initializer_list<const char *> keys) {
  for (const char *key : keys)
    if (!info.contains(QLatin1String(key))) return false;
  return true;
}

}  // namespace

// ---- ZView --------------------------------------------------------------------------

ZView::ZView(QWidget *parent) : QWidget(parent) { ZAccessibility::install(); }

QRectF ZView::layoutRectForImageSize(const QSizeF &size, const QRectF &bounds) const {
  return ZPlacement::layoutRect(size, bounds, fInfo, fRightOffset);
}

void ZView::placeFor(const QSizeF &parentSize) {
  const QRectF rect = layoutRectForImageSize(imageDisplaySize(), QRectF(QPointF(0, 0), parentSize));
  setGeometry(ZPlacement::toWidgetRect(rect, parentSize.height()));
  if (QWidget *parent = parentWidget()) {
    parent->removeEventFilter(this);
    parent->installEventFilter(this);
  }
}

void ZView::placeInParent() {
  if (QWidget *parent = parentWidget()) placeFor(parent->size());
}

bool ZView::eventFilter(QObject *watched, QEvent *event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize && followsParent())
    placeInParent();
  return QWidget::eventFilter(watched, event);
}

// ---- ZImageView -----------------------------------------------------------------------

ZImageView *ZImageView::create(const QSizeF &parentSize, const QVariantMap &info, QWidget *parent) {
  if (!hasKeys(info, {"Image"})) return nullptr;
  auto *view = new ZImageView(parent);
  view->setInfo(info);
  view->fImage = info.value(QStringLiteral("Image")).value<QImage>();
  view->placeFor(parentSize);
  return view;
}

void ZImageView::setImage(const QImage &image) {
  fImage = image;
  update();
}

void ZImageView::paintEvent(QPaintEvent *) {
  if (fImage.isNull()) return;
  QPainter painter(this);
  // Opaque images cover what lies below; the transparent parts of an image
  // let it show (a copy would leave them black).
  painter.drawImage(QRectF(rect()), fImage);
}

// ---- ZButtonView ----------------------------------------------------------------------

ZButtonView *ZButtonView::create(const QSizeF &parentSize, const QVariantMap &info,
                                 QWidget *parent) {
  if (!hasKeys(info, {"Image", "XPos", "YPos", "Zone", "states"})) return nullptr;
  auto *button = new ZButtonView(parent);
  button->setInfo(info);
  button->setImage(info.value(QStringLiteral("Image")).value<QImage>(),
                   info.value(QStringLiteral("states")).toInt());
  button->placeFor(parentSize);
  return button;
}

ZButtonView::ZButtonView(QWidget *parent) : ZView(parent) {
  // Reached with Tab, not taken by a click (a click acts at once).
  setFocusPolicy(Qt::TabFocus);
  fMouseDownTimer.setSingleShot(true);
  fMouseDownTimer.setInterval(1000);
  connect(&fMouseDownTimer, &QTimer::timeout, this, &ZButtonView::holdTimerFired);
}

void ZButtonView::setImage(const QImage &image, int partCount) {
  if (image.isNull() || partCount < 1) {
    fImage = QImage();
    fStates = 0;
    fPartWidth = 0;
    fDisplayState = {0, 0, 0, 0};
    update();
    return;
  }
  fImage = image;
  fStates = partCount;
  // In display units: a high-resolution image is laid out at its display size.
  fPartWidth = image.deviceIndependentSize().width() / partCount;
  switch (partCount) {
    case 2:
      fDisplayState = {0, 1, 1, 1};
      break;
    case 3:
      fDisplayState = {0, 1, 2, 2};
      break;
    case 4:
      fDisplayState = {0, 1, 2, 3};
      break;
    default:
      fDisplayState = {0, 0, 0, 0};
  }
  update();
}

int ZButtonView::displayPartForState(int state) const {
  return state >= 0 && state < 4 ? fDisplayState[std::size_t(state)] : 0;
}

QSizeF ZButtonView::imageDisplaySize() const {
  return QSizeF(fPartWidth, fImage.deviceIndependentSize().height());
}

void ZButtonView::setState(int state) {
  fCurrentState = state;
  repaint();
}

void ZButtonView::showState(int state) {
  fCurrentState = state;
  update();
}

void ZButtonView::setTracksMouseOver(bool tracks) {
  fTracksMouseOver = tracks;
  setAttribute(Qt::WA_Hover, tracks);
}

void ZButtonView::paintEvent(QPaintEvent *) {
  if (fImage.isNull() || fPartWidth <= 0) return;
  QPainter painter(this);
  DrawUtilities::drawImagePart(painter, QRectF(rect()), fImage, displayPartForState(fCurrentState),
                               fStates, !isEnabled());
  if (hasFocus())
    DrawUtilities::drawFocusRing(painter, QRectF(rect()), palette().color(QPalette::Highlight));
}

void ZButtonView::performClick() {
  if (fCurrentState == Selected || !isEnabled() || fProcessingMouseDown) return;
  // The pressed picture shows until the action has run.
  const int state = fCurrentState;
  setState(MouseDown);
  if (fAction) fAction(this);
  // The action may have selected the button (a view switcher): that stays.
  if (fCurrentState == MouseDown) setState(state);
}

bool isButtonPressKey(const QKeyEvent *event) {
  const int key = event->key();
  return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

void ZButtonView::keyPressEvent(QKeyEvent *event) {
  if (!isButtonPressKey(event)) return ZView::keyPressEvent(event);
  if (!event->isAutoRepeat()) performClick();
  event->accept();
}

void ZButtonView::enterEvent(QEnterEvent *) {
  if (!fTracksMouseOver || fStates < 3 || fCurrentState == Selected) return;
  fSavedCurrentState = fCurrentState;
  fMouseHovering = true;
  showState(MouseOver);
}

void ZButtonView::leaveEvent(QEvent *) {
  if (!fTracksMouseOver || fStates < 3 || fCurrentState == Selected) return;
  // Nothing to come back to (a release inside showed the mouse-over state):
  // the button is normal again.
  showState(fSavedCurrentState >= 0 ? fSavedCurrentState : Normal);
  fSavedCurrentState = -1;
  fMouseHovering = false;
}

void ZButtonView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || fCurrentState == Selected) return;
  if (fSavedCurrentState < 0) fSavedCurrentState = fCurrentState;
  showState(MouseDown);
  fProcessingMouseDown = true;
  fMouseInView = true;
  fRepeatingTargetAction = false;
  if (fHoldDownAction) fMouseDownTimer.start();
}

void ZButtonView::mouseMoveEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown) return;
  const bool inside = rect().contains(event->position().toPoint());
  if (inside == fMouseInView) return;
  fMouseInView = inside;
  showState(inside ? MouseDown : Normal);
}

void ZButtonView::mouseReleaseEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown || event->button() != Qt::LeftButton) return;
  fProcessingMouseDown = false;
  fMouseDownTimer.stop();
  if (fSavedCurrentState >= 0) fCurrentState = fSavedCurrentState;
  fSavedCurrentState = -1;
  const bool inside = rect().contains(event->position().toPoint());
  if (inside) {
    fCurrentState = MouseOver;
    const Action &action = fRepeatingTargetAction ? fHoldDownReleaseAction : fAction;
    if (action) action(this);
  } else {
    fCurrentState = Normal;
  }
  fRepeatingTargetAction = false;
  update();
}

void ZButtonView::holdTimerFired() {
  if (!fProcessingMouseDown) return;
  fRepeatingTargetAction = true;
  fMouseDownTimer.stop();
  if (fHoldDownAction) fHoldDownAction(this);
}

// ---- ZBackgroundImageView, ZOpaqueView ------------------------------------------------------

void ZBackgroundImageView::setImage(const QImage &image) {
  fImage = image;
  update();
}

void ZBackgroundImageView::paintEvent(QPaintEvent *) {
  if (fImage.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QRectF(rect()), fImage);
}

ZOpaqueView::ZOpaqueView(QWidget *parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZOpaqueView::setStartColor(const QColor &color) {
  if (!color.isValid()) return;
  fStartColor = color;
  update();
}

void ZOpaqueView::setEndColor(const QColor &color) {
  fEndColor = color;
  update();
}

void ZOpaqueView::setShadingVertical(bool vertical) {
  fVerticalShading = vertical;
  update();
}

void ZOpaqueView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (fEndColor.isValid())
    DrawUtilities::paintAxialShading(painter, QRectF(rect()), fStartColor, fEndColor,
                                     fVerticalShading);
  else
    painter.fillRect(rect(), fStartColor);
}
