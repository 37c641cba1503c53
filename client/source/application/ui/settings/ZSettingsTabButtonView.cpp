#include "ZSettingsTabButtonView.h"

#include "ZAccessibility.h"
#include "DrawUtilities.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// A page tab with one action, "press", that chooses it.
class TabButtonAccessible : public QAccessibleWidget {
 public:
  explicit TabButtonAccessible(ZSettingsTabButtonView *tab)
      : QAccessibleWidget(tab, QAccessible::PageTab), fTab(tab) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      const QString name = fTab->accessibleName();
      return name.isEmpty() ? fTab->identifier() : name;
    }
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State st = QAccessibleWidget::state();
    st.selectable = true;
    st.selected = fTab->isSelected();
    return st;
  }

  QStringList actionNames() const override {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }

  void doAction(const QString &name) override {
    if (name == pressAction())
      fTab->performClick();
    else
      QAccessibleWidget::doAction(name);
  }

 private:
  ZSettingsTabButtonView *fTab;
};

ZARO_ACCESSIBLE_FACTORY
QAccessibleInterface *tabButtonFactory(const QString &, QObject *object) {
  if (auto *tab = qobject_cast<ZSettingsTabButtonView *>(object))
    return new TabButtonAccessible(tab);
  return nullptr;
}

void installAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(tabButtonFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace

ZSettingsTabButtonView::ZSettingsTabButtonView(const QString &identifier, QWidget *parent)
    : QWidget(parent), fIdentifier(identifier) {
  installAccessibility();
  setObjectName(identifier);
  // Reached with Tab; a click chooses the tab without taking the keyboard
  // from the page.
  setFocusPolicy(Qt::TabFocus);
}

void ZSettingsTabButtonView::setImage(const QImage &sprite) {
  fImage = sprite;
  updateGeometry();
  update();
}

void ZSettingsTabButtonView::setSelected(bool selected) {
  if (fSelected == selected) return;
  fSelected = selected;
  repaint();
  QAccessible::State changed;
  changed.selected = true;
  QAccessibleStateChangeEvent event(this, changed);
  QAccessible::updateAccessibility(&event);
}

QSize ZSettingsTabButtonView::sizeHint() const {
  if (!fImage.isNull()) {
    const QSizeF size = fImage.deviceIndependentSize();
    return QSize(int(std::ceil(size.width() / 2)), int(std::ceil(size.height())));
  }
  const QFontMetrics metrics(font());
  return QSize(metrics.horizontalAdvance(accessibleName()) + 32, metrics.height() + 14);
}

void ZSettingsTabButtonView::performClick() {
  if (!fSelected) sendAction();
}

void ZSettingsTabButtonView::sendAction() {
  if (fAction) fAction(this);
}

void ZSettingsTabButtonView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (!fImage.isNull()) {
    const QSizeF size = fImage.deviceIndependentSize();
    DrawUtilities::drawImagePart(painter, QRectF(0, 0, std::ceil(size.width() / 2), size.height()),
                                 fImage, fSelected ? 0 : 1, 2);
  } else {
    // A skin without tab pictures: a plain tab with the page's name.
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().color(fSelected ? QPalette::Highlight : QPalette::Button));
    painter.drawRoundedRect(box, 6, 6);
    painter.setPen(palette().color(fSelected ? QPalette::HighlightedText : QPalette::ButtonText));
    painter.drawText(box, Qt::AlignCenter, accessibleName());
  }
  if (hasFocus()) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
  }
}

void ZSettingsTabButtonView::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  fSavedSelectionState = fSelected;
  fProcessingMouseDown = true;
  fMouseInView = true;
  setSelected(true);
}

void ZSettingsTabButtonView::mouseMoveEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown) return QWidget::mouseMoveEvent(event);
  fMouseInView = rect().contains(event->position().toPoint());
  setSelected(fMouseInView);
}

void ZSettingsTabButtonView::mouseReleaseEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown || event->button() != Qt::LeftButton)
    return QWidget::mouseReleaseEvent(event);
  fProcessingMouseDown = false;
  fMouseInView = rect().contains(event->position().toPoint());
  setSelected(fSavedSelectionState);
  if (!fMouseInView) return;
  // The keyboard stays where it was, unless it was on another tab: then it
  // follows the click, so that the focus ring marks the tab now chosen.
  if (qobject_cast<ZSettingsTabButtonView *>(QApplication::focusWidget()) &&
      QApplication::focusWidget() != this && QApplication::focusWidget()->window() == window())
    setFocus(Qt::MouseFocusReason);
  if (!fSavedSelectionState) sendAction();
}

ZSettingsTabButtonView *ZSettingsTabButtonView::neighbour(int direction) const {
  if (!parentWidget()) return nullptr;
  QList<ZSettingsTabButtonView *> row =
      parentWidget()->findChildren<ZSettingsTabButtonView *>(Qt::FindDirectChildrenOnly);
  std::sort(row.begin(), row.end(),
            [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
  const qsizetype index = row.indexOf(const_cast<ZSettingsTabButtonView *>(this));
  const qsizetype next = index + direction;
  return index >= 0 && next >= 0 && next < row.size() ? row.at(next) : nullptr;
}

void ZSettingsTabButtonView::focusInEvent(QFocusEvent *event) {
  QWidget::focusInEvent(event);
  update();
}

void ZSettingsTabButtonView::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  update();
}

void ZSettingsTabButtonView::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
    case Qt::Key_Space:
      if (!event->isAutoRepeat()) performClick();
      event->accept();
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (ZSettingsTabButtonView *next = neighbour(event->key() == Qt::Key_Left ? -1 : 1)) {
        next->setFocus(Qt::TabFocusReason);
        next->performClick();
      }
      event->accept();
      return;
    default:
      // Return and Escape belong to the window (save and cancel).
      QWidget::keyPressEvent(event);
  }
}
