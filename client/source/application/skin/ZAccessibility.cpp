#include "ZAccessibility.h"

#include "ZControls.h"
#include "ZView.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QLineEdit>

#include <functional>

namespace {

// The name of a control: its accessible name, else its tool tip.
QString nameOf(const QWidget *widget) {
  const QString name = widget->accessibleName();
  return name.isEmpty() ? widget->toolTip() : name;
}

// A skinned control with one action ("press") that does what a click does.
class SkinnedControlAccessible : public QAccessibleWidget {
 public:
  SkinnedControlAccessible(QWidget *widget, QAccessible::Role role, std::function<void()> press)
      : QAccessibleWidget(widget, role), fPress(std::move(press)) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return nameOf(widget());
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (fPress) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString &actionName) override {
    if (actionName == pressAction() && fPress)
      fPress();
    else
      QAccessibleWidget::doAction(actionName);
  }

 private:
  std::function<void()> fPress;
};

class ButtonAccessible : public SkinnedControlAccessible {
 public:
  explicit ButtonAccessible(ZButtonView *button)
      : SkinnedControlAccessible(button, QAccessible::Button, [button] { button->performClick(); }),
        fButton(button) {}

  QAccessible::State state() const override {
    QAccessible::State st = SkinnedControlAccessible::state();
    // The owner marks the current one of a group (the view switcher) selected.
    if (fButton->state() == ZButtonView::Selected) {
      st.checkable = true;
      st.checked = true;
    }
    return st;
  }

 private:
  ZButtonView *fButton;
};

class PopupAccessible : public SkinnedControlAccessible {
 public:
  explicit PopupAccessible(ZPopupButtonImageView *popup)
      : SkinnedControlAccessible(popup, QAccessible::Button, [popup] { popup->popUpMenu(); }),
        fPopup(popup) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return fPopup->title();
    return SkinnedControlAccessible::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State st = SkinnedControlAccessible::state();
    st.hasPopup = true;
    return st;
  }

  // The menu is the button's child, as a push button's menu is: popups are
  // no top-level windows to assistive technology.
  int childCount() const override { return fPopup->menu() ? 1 : 0; }
  QAccessibleInterface *child(int index) const override {
    return index == 0 && fPopup->menu() ? QAccessible::queryAccessibleInterface(fPopup->menu())
                                        : nullptr;
  }
  int indexOfChild(const QAccessibleInterface *child) const override {
    return child && fPopup->menu() && child->object() == fPopup->menu() ? 0 : -1;
  }

 private:
  ZPopupButtonImageView *fPopup;
};

class SearchAccessible : public SkinnedControlAccessible {
 public:
  explicit SearchAccessible(ZSearchButtonView *search)
      : SkinnedControlAccessible(search, QAccessible::EditableText,
                                 [search] { search->beginEditing(); }),
        fSearch(search) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return fSearch->searchText();
    return SkinnedControlAccessible::text(t);
  }

 private:
  ZSearchButtonView *fSearch;
};

class RatingAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit RatingAccessible(ZRateButtonView *rating)
      : QAccessibleWidget(rating, QAccessible::Slider), fRating(rating) {}

  void *interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return nameOf(widget());
    if (t == QAccessible::Value) return QString::number(fRating->rating());
    return QAccessibleWidget::text(t);
  }

  QVariant currentValue() const override { return fRating->rating(); }
  void setCurrentValue(const QVariant &value) override { fRating->chooseRating(value.toInt()); }
  QVariant maximumValue() const override { return 5; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

 private:
  ZRateButtonView *fRating;
};

ZARO_ACCESSIBLE_FACTORY
QAccessibleInterface *skinnedControlFactory(const QString &, QObject *object) {
  if (!object || !object->isWidgetType()) return nullptr;
  // A window made of a plain widget (the borderless main window, the welcome
  // window) is a frame, as a main window or dialog would be.
  // Qt's own kinds of window (menus, tool tips, dialogs) and other views
  // keep their roles.
  auto *widget = static_cast<QWidget *>(object);
  const bool plainWindow = object->metaObject() == &QWidget::staticMetaObject ||
                           object->property(ZAccessibility::FrameProperty).toBool();
  if (widget->isWindow() && plainWindow) return new QAccessibleWidget(widget, QAccessible::Window);
  // Most derived first: a pop-up is a button, a search control an image view.
  if (auto *popup = qobject_cast<ZPopupButtonImageView *>(object))
    return new PopupAccessible(popup);
  if (auto *button = qobject_cast<ZButtonView *>(object)) return new ButtonAccessible(button);
  if (auto *search = qobject_cast<ZSearchButtonView *>(object)) return new SearchAccessible(search);
  if (auto *imageButton = qobject_cast<ZButtonImageView *>(object))
    return new SkinnedControlAccessible(imageButton, QAccessible::Button,
                                        [imageButton] { imageButton->performClick(); });
  if (auto *rating = qobject_cast<ZRateButtonView *>(object)) return new RatingAccessible(rating);
  // A plain image (a title picture) is a graphic named by its tool tip.
  if (auto *image = qobject_cast<ZImageView *>(object))
    return new SkinnedControlAccessible(image, QAccessible::Graphic, {});
  return nullptr;
}

}  // namespace

namespace ZAccessibility {

void install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(skinnedControlFactory);
}

}  // namespace ZAccessibility

ZAccessibleAnnouncer::ZAccessibleAnnouncer(int intervalMs, std::function<void()> tell)
    : fIntervalMs(intervalMs), fTell(std::move(tell)) {
  fTimer.setSingleShot(true);
  fTimer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&fTimer, &QTimer::timeout, [this] { changed(); });
}

void ZAccessibleAnnouncer::changed() {
  if (fLastTold.isValid() && fLastTold.elapsed() < fIntervalMs) {
    if (!fTimer.isActive()) fTimer.start(int(fIntervalMs - fLastTold.elapsed()));
    return;
  }
  tell();
}

void ZAccessibleAnnouncer::tell() {
  fTimer.stop();
  fLastTold.start();
  if (fTell) fTell();
}
