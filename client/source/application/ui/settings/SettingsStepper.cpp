#include "SettingsStepper.h"

#include <QEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton *arrow(Qt::ArrowType type, QWidget *parent) {
  auto *button = new QToolButton(parent);
  button->setArrowType(type);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setFixedSize(20, 13);
  return button;
}

}  // namespace

SettingsStepper::SettingsStepper(double minimum, double maximum, double increment,
                                 QWidget *parent)
    : QWidget(parent),
      fMinimum(minimum),
      fMaximum(maximum),
      fIncrement(increment),
      fValue(minimum),
      fMore(arrow(Qt::UpArrow, this)),
      fLess(arrow(Qt::DownArrow, this)) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(fMore);
  layout->addWidget(fLess);
  connect(fMore, &QToolButton::clicked, this, [this] { stepBy(1); });
  connect(fLess, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void SettingsStepper::setValue(double value) { fValue = std::clamp(value, fMinimum, fMaximum); }

void SettingsStepper::setArrowNames(const QString &more, const QString &less) {
  fMore->setAccessibleName(more);
  fMore->setToolTip(more);
  fLess->setAccessibleName(less);
  fLess->setToolTip(less);
}

void SettingsStepper::stepWithKeysOf(QWidget *field) {
  if (fField) fField->removeEventFilter(this);
  fField = field;
  if (fField) fField->installEventFilter(this);
}

void SettingsStepper::stepBy(int steps) {
  setValue(fValue + steps * fIncrement);
  emit stepped(fValue);
}

bool SettingsStepper::eventFilter(QObject *watched, QEvent *event) {
  if (watched == fField && event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
      if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        stepBy(key->key() == Qt::Key_Up ? 1 : -1);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}
