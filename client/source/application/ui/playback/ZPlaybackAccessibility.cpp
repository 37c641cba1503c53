#include "ZPlaybackAccessibility.h"

#include "ZAccessibility.h"
#include "ZMovieSlider.h"
#include "ZVolumeSliderContainer.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace {

QString nameOf(const QWidget *widget) {
  const QString name = widget->accessibleName();
  return name.isEmpty() ? widget->toolTip() : name;
}

// A slider of the bars as screen readers see it: named by the widget, its
// value as the bar shows it, and settable.
class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit SliderAccessible(QWidget *slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

  void *interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return nameOf(widget());
    if (t == QAccessible::Value) return valueText();
    return QAccessibleWidget::text(t);
  }

 protected:
  virtual QString valueText() const = 0;
};

class MovieSliderAccessible : public SliderAccessible {
 public:
  explicit MovieSliderAccessible(ZMovieSlider *slider) : SliderAccessible(slider), fSlider(slider) {}

  QVariant currentValue() const override { return fSlider->doubleValue(); }
  // As a click on the bar there: the movie goes to that time.
  void setCurrentValue(const QVariant &value) override {
    fSlider->setValue(int(value.toDouble() * 1000));
  }
  QVariant maximumValue() const override { return fSlider->maxValue(); }
  QVariant minimumValue() const override { return 0.0; }
  QVariant minimumStepSize() const override { return 1.0; }

 protected:
  QString valueText() const override { return ZMovieSlider::timeText(fSlider->doubleValue()); }

 private:
  ZMovieSlider *fSlider;
};

class VolumeSliderAccessible : public SliderAccessible {
 public:
  explicit VolumeSliderAccessible(ZVolumeSlider *slider)
      : SliderAccessible(slider), fSlider(slider) {}

  QVariant currentValue() const override { return fSlider->value(); }
  void setCurrentValue(const QVariant &value) override { fSlider->setValue(value.toInt()); }
  QVariant maximumValue() const override { return fSlider->maximum(); }
  QVariant minimumValue() const override { return fSlider->minimum(); }
  QVariant minimumStepSize() const override { return 1; }

 protected:
  QString valueText() const override { return QString::number(fSlider->value()) + QLatin1Char('%'); }

 private:
  ZVolumeSlider *fSlider;
};

class MuteButtonAccessible : public QAccessibleWidget {
 public:
  explicit MuteButtonAccessible(ZVolumeMuteButton *button)
      : QAccessibleWidget(button, QAccessible::Button), fButton(button) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return nameOf(widget());
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State st = QAccessibleWidget::state();
    st.checkable = true;
    st.checked = fButton->container()->isMuted();
    return st;
  }
  QStringList actionNames() const override {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString &actionName) override {
    if (actionName == pressAction())
      fButton->container()->clickMuteButton();
    else
      QAccessibleWidget::doAction(actionName);
  }

 private:
  ZVolumeMuteButton *fButton;
};

ZARO_ACCESSIBLE_FACTORY
QAccessibleInterface *playbackControlFactory(const QString &, QObject *object) {
  if (!object || !object->isWidgetType()) return nullptr;
  if (auto *slider = qobject_cast<ZMovieSlider *>(object)) return new MovieSliderAccessible(slider);
  if (auto *slider = qobject_cast<ZVolumeSlider *>(object))
    return new VolumeSliderAccessible(slider);
  if (auto *button = qobject_cast<ZVolumeMuteButton *>(object))
    return new MuteButtonAccessible(button);
  return nullptr;
}

}  // namespace

namespace ZPlaybackAccessibility {

void install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(playbackControlFactory);
}

}  // namespace ZPlaybackAccessibility

void ZPlaybackAccessibility::announce(QWidget *bar, bool shown) {
  if (!bar || !QAccessible::isActive()) return;
  for (QWidget *control : bar->findChildren<QWidget *>()) {
    if (shown && !control->isVisible()) continue;
    QAccessibleEvent event(control, shown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&event);
  }
}
