#include "ZControls.h"

#include "DrawUtilities.h"
#include "NotificationCenter.h"
#include "ZAccessibility.h"
#include "ZSkin.h"

#include <QActionGroup>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

// ---- ZButtonImageView -------------------------------------------------------------------

ZButtonImageView *ZButtonImageView::create(const QSizeF &parentSize, const QVariantMap &info,
                                           QWidget *parent) {
  if (!info.contains(QStringLiteral("Image"))) return nullptr;
  auto *button = new ZButtonImageView(parent);
  button->setFocusPolicy(Qt::TabFocus);
  button->setInfo(info);
  button->setImage(info.value(QStringLiteral("Image")).value<QImage>(),
                   info.value(QStringLiteral("states"), 1).toInt());
  button->placeFor(parentSize);
  return button;
}

void ZButtonImageView::setImage(const QImage &image, int partCount) {
  fImage = image;
  fPartCount = std::max(1, partCount);
  update();
}

void ZButtonImageView::setAlternateImage(const QImage &image) {
  fAlternateImage = image;
  update();
}

void ZButtonImageView::setState(int state) {
  fCurrentState = state;
  update();
}

QSizeF ZButtonImageView::imageDisplaySize() const {
  const QSizeF size = fImage.deviceIndependentSize();
  return QSizeF(size.width() / fPartCount, size.height());
}

void ZButtonImageView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (fCurrentState >= fPartCount) {
    DrawUtilities::drawImagePart(painter, QRectF(rect()), fAlternateImage, 0, 1, !isEnabled());
    return;
  }
  DrawUtilities::drawImagePart(painter, QRectF(rect()), fImage, std::max(0, fCurrentState),
                               fPartCount, !isEnabled());
  if (hasFocus())
    DrawUtilities::drawFocusRing(painter, QRectF(rect()), palette().color(QPalette::Highlight));
}

void ZButtonImageView::performClick() {
  if (!isEnabled() || fTracking) return;
  setState(pressedPart());
  if (fAction) fAction(this);
  setState(0);
}

void ZButtonImageView::keyPressEvent(QKeyEvent *event) {
  if (!isButtonPressKey(event)) return ZImageView::keyPressEvent(event);
  if (!event->isAutoRepeat()) performClick();
  event->accept();
}

void ZButtonImageView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  fTracking = true;
  fInside = true;
  setState(pressedPart());
}

void ZButtonImageView::mouseMoveEvent(QMouseEvent *event) {
  if (!fTracking) return;
  const bool inside = rect().contains(event->position().toPoint());
  if (inside == fInside) return;
  fInside = inside;
  setState(inside ? pressedPart() : 0);
}

void ZButtonImageView::mouseReleaseEvent(QMouseEvent *event) {
  if (!fTracking || event->button() != Qt::LeftButton) return;
  fTracking = false;
  setState(0);
  if (rect().contains(event->position().toPoint()) && fAction) fAction(this);
}

// ---- ZPopupButtonImageView ----------------------------------------------------------------

namespace {

// The menu's items are a choice of one: drawn and read as radio items.
void makeChoiceOfOne(QMenu *menu) {
  if (!menu) return;
  auto *group = menu->findChild<QActionGroup *>(QStringLiteral("ChoiceOfOne"),
                                                Qt::FindDirectChildrenOnly);
  if (!group) {
    group = new QActionGroup(menu);
    group->setObjectName(QStringLiteral("ChoiceOfOne"));
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  }
  for (QAction *item : menu->actions())
    if (!item->isSeparator() && item->actionGroup() != group) {
      item->setCheckable(true);
      item->setActionGroup(group);
    }
}

}  // namespace

ZPopupButtonImageView *ZPopupButtonImageView::create(const QSizeF &parentSize,
                                                     const QVariantMap &info, QWidget *parent) {
  for (const char *key : {"Image", "XPos", "YPos", "Zone", "states"})
    if (!info.contains(QLatin1String(key))) return nullptr;
  auto *button = new ZPopupButtonImageView(parent);
  button->setInfo(info);
  button->setImage(info.value(QStringLiteral("Image")).value<QImage>(),
                   info.value(QStringLiteral("states")).toInt());
  button->placeFor(parentSize);
  return button;
}

ZPopupButtonImageView::ZPopupButtonImageView(QWidget *parent) : ZButtonView(parent) {
  fLabelFont = font();
  fLabelFont.setPointSizeF(12);
  fPresenter = [](QMenu *menu, const QPoint &at) { menu->exec(at); };
}

void ZPopupButtonImageView::setMenu(QMenu *menu) {
  fMenu = menu;
  fTitle.clear();
  update();
}

void ZPopupButtonImageView::setSelectedTag(int tag) {
  fSelectedTag = tag;
  if (!fMenu) return;
  makeChoiceOfOne(fMenu);
  for (QAction *item : fMenu->actions()) {
    const bool chosen = item->data().toInt() == tag && item->data().isValid();
    item->setCheckable(true);
    item->setChecked(chosen);
    if (chosen) {
      // A menu item shows "&&" as one ampersand and a single one not at all.
      fTitle = item->text();
      fTitle.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
          .remove(QLatin1Char('&'))
          .replace(QLatin1Char('\x01'), QLatin1Char('&'));
      update();
    }
  }
}

void ZPopupButtonImageView::setPlaceholderTitle(const QString &text) {
  fPlaceholderTitle = text;
  update();
}

void ZPopupButtonImageView::paintEvent(QPaintEvent *event) {
  ZButtonView::paintEvent(event);
  const QString full = fTitle.isEmpty() ? fPlaceholderTitle : fTitle;
  if (full.isEmpty()) return;
  QPainter painter(this);
  painter.setFont(fLabelFont);
  // The title in black or white, whichever stands out on the button's picture
  // (the middle band of the part shown); over a see-through picture, in the
  // widget's own text colour.
  const QImage picture = image();
  const int partPixels = picture.width() / std::max(1, partCount());
  const QColor behind = DrawUtilities::averageColor(
      picture, QRect(displayPartForState(state()) * partPixels, picture.height() / 3, partPixels,
                     std::max(1, picture.height() / 3)));
  painter.setPen(behind.isValid() && behind.alphaF() >= 0.5
                     ? DrawUtilities::contrastingColor(behind)
                     : palette().color(QPalette::ButtonText));
  if (!isEnabled()) painter.setOpacity(0.4);
  const QFontMetricsF metrics(fLabelFont);
  // The title is centred in the room left of the arrow (the right 20 pixels);
  // one too long for it ends in an ellipsis.
  const double room = std::max(0, width() - 24);
  const QString title = metrics.elidedText(full, Qt::ElideRight, room);
  const double x = std::ceil(4 + (room - metrics.horizontalAdvance(title)) / 2);
  const double y = std::ceil((height() - metrics.height()) / 2);
  painter.drawText(QRectF(x, y, width() - x, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                   title);
  // The button's own drawing put the ring under the title.
  if (hasFocus())
    DrawUtilities::drawFocusRing(painter, QRectF(rect()), palette().color(QPalette::Highlight));
}

void ZPopupButtonImageView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  popUpMenu();
}

void ZPopupButtonImageView::popUpMenu() {
  if (!isEnabled()) return;
  setState(MouseDown);
  if (fMenu && fPresenter) {
    fMenu->setFont(fLabelFont);
    // Just below the button's bottom left corner.
    fPresenter(fMenu, mapToGlobal(QPoint(0, height() + 4)));
  }
  setState(Normal);
}

void ZPopupButtonImageView::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
      if (!event->isAutoRepeat()) popUpMenu();
      event->accept();
      return;
    default:
      ZButtonView::keyPressEvent(event);
  }
}

// ---- ZSearchButtonView -------------------------------------------------------------------

ZSearchButtonView *ZSearchButtonView::create(const QSizeF &parentSize, const QVariantMap &info,
                                             QWidget *parent) {
  if (!info.contains(QStringLiteral("Image"))) return nullptr;
  auto *view = new ZSearchButtonView(parent);
  view->setInfo(info);
  view->fImage = info.value(QStringLiteral("Image")).value<QImage>();
  view->placeFor(parentSize);
  view->layoutField();
  view->matchFieldToImage();
  return view;
}

ZSearchButtonView::ZSearchButtonView(QWidget *parent) : ZImageView(parent) {
  fField = new QLineEdit(this);
  QFont font = fField->font();
  font.setPointSizeF(11);
  fField->setFont(font);
  fField->setFrame(false);
  fField->setAutoFillBackground(true);
  fField->setReadOnly(true);
  fField->hide();
  fField->installEventFilter(this);
  setFocusPolicy(Qt::TabFocus);
  // Only what the user types counts as a change.
  connect(fField, &QLineEdit::textEdited, this, [this] { sendAction(); });
}

void ZSearchButtonView::resizeEvent(QResizeEvent *event) {
  ZImageView::resizeEvent(event);
  layoutField();
}

void ZSearchButtonView::layoutField() { fField->setGeometry(rect().adjusted(18, 3, -18, -3)); }

void ZSearchButtonView::matchFieldToImage() {
  // The field takes the colour of the picture's text area, and text that
  // stands out on it, so that editing looks like typing into the picture.
  const double ratio = fImage.devicePixelRatio();
  const QRectF area = QRectF(fField->geometry()).adjusted(4, 4, -4, -4);
  const QColor behind = DrawUtilities::averageColor(
      fImage, QRectF(area.topLeft() * ratio, area.size() * ratio).toAlignedRect());
  if (!behind.isValid() || behind.alphaF() < 0.5) return;
  QColor base = behind;
  base.setAlphaF(1);
  QPalette palette = fField->palette();
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::Window, base);
  const QColor text = DrawUtilities::contrastingColor(base);
  palette.setColor(QPalette::Text, text);
  QColor placeholder = text;
  placeholder.setAlphaF(0.55);
  palette.setColor(QPalette::PlaceholderText, placeholder);
  fField->setPalette(palette);
}

QString ZSearchButtonView::searchText() const { return fField->text(); }

void ZSearchButtonView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  if (fField->geometry().contains(event->position().toPoint())) {
    beginEditing();
    return;
  }
  endEditing();
}

void ZSearchButtonView::beginEditing() {
  if (fEditing) return;
  fField->show();
  fField->setReadOnly(false);
  fField->setFocus(Qt::OtherFocusReason);
  fEditing = true;
}

void ZSearchButtonView::endEditing() {
  if (fEditing) {
    const bool hadFocus = fField->hasFocus();
    fField->setReadOnly(true);
    fField->hide();
    fField->clear();
    fEditing = false;
    // The keyboard stays on the control rather than falling out of the window.
    if (hadFocus) setFocus(Qt::OtherFocusReason);
  }
  sendAction();
}

void ZSearchButtonView::focusInEvent(QFocusEvent *event) {
  ZImageView::focusInEvent(event);
  // Going backwards out of the field passes the control by.
  if (event->reason() == Qt::BacktabFocusReason && fEditing) {
    focusPreviousChild();
    return;
  }
  if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
    beginEditing();
}

bool ZSearchButtonView::eventFilter(QObject *watched, QEvent *event) {
  if (watched == fField && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && fEditing) {
    endEditing();
    return true;
  }
  return ZImageView::eventFilter(watched, event);
}

void ZSearchButtonView::changeSearchCriterion(QAction *item) {
  if (!item) return;
  makeChoiceOfOne(fCriterionMenu);
  if (fCriterionMenu)
    for (QAction *other : fCriterionMenu->actions())
      if (other->data().toInt() == fCriterion) {
        other->setCheckable(true);
        other->setChecked(false);
      }
  item->setCheckable(true);
  item->setChecked(true);
  fCriterion = item->data().toInt();
  sendAction();
}

void ZSearchButtonView::sendAction() {
  if (fAction) fAction(this);
}

// ---- ZRateButtonView -----------------------------------------------------------------------

ZRateButtonView *ZRateButtonView::create(const QPoint &origin, QWidget *parent) {
  std::array<QImage, 6> images;
  if (const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin())
    images = {skin->libraryDetailsViewUnratedButtonImage(),
              skin->libraryDetailsViewRate1StarButtonImage(),
              skin->libraryDetailsViewRate2StarButtonImage(),
              skin->libraryDetailsViewRate3StarButtonImage(),
              skin->libraryDetailsViewRate4StarButtonImage(),
              skin->libraryDetailsViewRate5StarButtonImage()};
  return new ZRateButtonView(images, origin, parent);
}

ZRateButtonView::ZRateButtonView(const std::array<QImage, 6> &images, const QPoint &origin,
                                 QWidget *parent)
    : QWidget(parent), fImages(images) {
  ZAccessibility::install();
  setFocusPolicy(Qt::TabFocus);
  const QSizeF unrated = fImages[0].deviceIndependentSize();
  fCellWidth = std::ceil(unrated.width() / 2.0);
  fCellHeight = unrated.height();
  setGeometry(QRectF(origin, QSizeF(fCellWidth, fCellHeight)).toAlignedRect());
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("VideoDatabase_VideoUpdated"), [this](const Notification &note) {
        if (fVideoId != 0 && note.object.toInt() == fVideoId) update();
      });
}

ZRateButtonView::~ZRateButtonView() { NotificationCenter::defaultCenter().removeObserver(this); }

void ZRateButtonView::setRating(int rating) {
  fRating = std::clamp(rating, 0, 5);
  if (isVisible()) update();
}

void ZRateButtonView::setVideoItem(int videoId, int rating) {
  fVideoId = videoId;
  setRating(rating);
}

int ZRateButtonView::cellAt(double x) const {
  if (fCellWidth <= 0) return 0;
  const int cell = int(std::floor(x / fCellWidth));
  return cell >= 1 && cell <= 5 ? cell : 0;
}

void ZRateButtonView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const auto drawCell = [&](int cell, int image, bool highlighted) {
    DrawUtilities::drawImagePart(painter, QRectF(cell * fCellWidth, 0, fCellWidth, fCellHeight),
                                 fImages[std::size_t(image)], highlighted ? 1 : 0, 2);
  };
  if (!fTracking) {
    drawCell(0, fRating, false);
    if (hasFocus())
      DrawUtilities::drawFocusRing(painter, QRectF(0, 0, fCellWidth, fCellHeight),
                                   palette().color(QPalette::Highlight));
    return;
  }
  for (int cell = 0; cell < 6; ++cell) drawCell(cell, cell, cell > 0 && cell == fHoverIndex);
}

void ZRateButtonView::chooseRating(int rating) {
  fRating = std::clamp(rating, 0, 5);
  if (fTracking)
    leaveChoosing();
  else
    update();
  if (fAction) fAction(this);
}

void ZRateButtonView::keyPressEvent(QKeyEvent *event) {
  const int key = event->key();
  if (key == Qt::Key_Left || key == Qt::Key_Down) {
    if (fRating > 0) chooseRating(fRating - 1);
  } else if (key == Qt::Key_Right || key == Qt::Key_Up) {
    if (fRating < 5) chooseRating(fRating + 1);
  } else if (key >= Qt::Key_0 && key <= Qt::Key_5) {
    chooseRating(key - Qt::Key_0);
  } else if (key == Qt::Key_Escape && fTracking) {
    leaveChoosing();
  } else {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
}

void ZRateButtonView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  if (!fTracking) {
    fTracking = true;
    setMouseTracking(true);
    resize(int(fCellWidth * 6), int(fCellHeight));
    update();
    return;
  }
  const QPointF at = event->position();
  fRating = rect().contains(at.toPoint()) ? cellAt(at.x()) : 0;
  leaveChoosing();
  if (fAction) fAction(this);
}

void ZRateButtonView::mouseMoveEvent(QMouseEvent *event) {
  if (!fTracking) return;
  const int hover =
      rect().contains(event->position().toPoint()) ? cellAt(event->position().x()) : 0;
  if (hover == fHoverIndex) return;
  fHoverIndex = hover;
  update();
}

void ZRateButtonView::leaveEvent(QEvent *) {
  if (fTracking) leaveChoosing();
}

void ZRateButtonView::leaveChoosing() {
  fTracking = false;
  setMouseTracking(false);
  fHoverIndex = 0;
  resize(int(fCellWidth), int(fCellHeight));
  update();
}
