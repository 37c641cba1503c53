#include "ZMovieSlider.h"

#include "DrawUtilities.h"
#include "ZPlaybackAccessibility.h"
#include "ZPlacement.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The movie slider counts milliseconds, the volume slider hundredths.
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kVolumeSteps = 100.0;

QImage infoImage(const QVariantMap &info, const char *key) {
  return info.value(QLatin1String(key)).value<QImage>();
}

void drawImage(QPainter &painter, const QImage &image, const QRectF &target) {
  if (!image.isNull() && target.width() > 0 && target.height() > 0)
    painter.drawImage(target, image);
}

}  // namespace

// ---- ZSliderCell -------------------------------------------------------------------------

std::optional<ZSliderCell> ZSliderCell::fromInfo(const QVariantMap &info) {
  ZSliderCell cell;
  cell.leftBarImage = infoImage(info, "LeftBarImage");
  cell.rightBarImage = infoImage(info, "RightBarImage");
  cell.barOnImage = infoImage(info, "BarOnImage");
  cell.barOffImage = infoImage(info, "BarOffImage");
  cell.knobImage = infoImage(info, "KnobImage");
  for (const QImage *image : {&cell.leftBarImage, &cell.rightBarImage, &cell.barOnImage,
                              &cell.barOffImage, &cell.knobImage})
    if (image->isNull()) return std::nullopt;
  bool ok = false;
  cell.fKnobYPos = info.value(QStringLiteral("KnobYPos")).toDouble(&ok);
  if (!info.contains(QStringLiteral("KnobYPos")) || !ok) return std::nullopt;
  return cell;
}

double ZSliderCell::fraction(double value, double minimum, double maximum) {
  if (!(maximum > minimum)) return 0;
  return std::clamp((value - minimum) / (maximum - minimum), 0.0, 1.0);
}

QRectF ZSliderCell::knobRect(const QRectF &bounds, double f) const {
  const QSizeF knob = knobImage.deviceIndependentSize();
  const double x = std::ceil(f * std::max(0.0, bounds.width() - knob.width()));
  // The skin counts KnobYPos down from the slider's top.
  return QRectF(QPointF(bounds.left() + x, bounds.top() + fKnobYPos), knob);
}

double ZSliderCell::onLength(const QRectF &bounds, double f) {
  return std::min(bounds.width(), std::ceil(f * bounds.width()));
}

void ZSliderCell::draw(QPainter &painter, const QRectF &bounds, double f) const {
  const double on = onLength(bounds, f);
  drawImage(painter, barOnImage,
            QRectF(bounds.left(), bounds.top(), on, barOnImage.deviceIndependentSize().height()));
  drawImage(painter, barOffImage,
            QRectF(bounds.left() + on, bounds.top(), bounds.width() - on,
                   barOffImage.deviceIndependentSize().height()));
  drawImage(painter, knobImage, knobRect(bounds, f));
}

// ---- ZMovieSlider ------------------------------------------------------------------------

ZMovieSlider *ZMovieSlider::create(const QSizeF &parentSize, const QVariantMap &info,
                                   QWidget *parent) {
  const auto cell = ZSliderCell::fromInfo(info);
  if (!cell) return nullptr;
  auto *slider = new ZMovieSlider(ZMovieSliderCell{*cell}, parent);
  const QSizeF size(info.value(QStringLiteral("Width")).toDouble(), height(info));
  const QRectF place =
      ZPlacement::containerLayoutRect(size, QRectF(QPointF(0, 0), parentSize), info);
  slider->setGeometry(ZPlacement::toWidgetRect(place, parentSize.height()));
  return slider;
}

double ZMovieSlider::height(const QVariantMap &info) {
  return infoImage(info, "LeftBarImage").deviceIndependentSize().height();
}

ZMovieSlider::ZMovieSlider(const ZMovieSliderCell &cell, QWidget *parent)
    : QAbstractSlider(parent), fCell(cell) {
  ZPlaybackAccessibility::install();
  setObjectName(QStringLiteral("MovieSlider"));
  setOrientation(Qt::Horizontal);
  setRange(0, 0);
  // Not continuous: the movie seeks when the knob is let go.
  setTracking(false);
  setSingleStep(int(5 * kMillisecondsPerSecond));
  setPageStep(int(30 * kMillisecondsPerSecond));
  setFocusPolicy(Qt::TabFocus);
  connect(this, &QAbstractSlider::valueChanged, this, &ZMovieSlider::valueWasChanged);
  connect(this, &QAbstractSlider::sliderMoved, this, qOverload<>(&QWidget::update));
}

void ZMovieSlider::setMaxValue(double seconds) {
  // A new range puts the knob back at the value: the value goes to the knob first.
  takeKnobPosition();
  fSettingValue = true;
  const double ms = std::isfinite(seconds) ? std::clamp(seconds, 0.0, 2.0e6) : 0.0;
  setRange(0, int(std::lround(ms * kMillisecondsPerSecond)));
  fSettingValue = false;
  update();
}

double ZMovieSlider::maxValue() const { return maximum() / kMillisecondsPerSecond; }

void ZMovieSlider::setDoubleValue(double seconds) {
  // The knob the user holds stays where the user has it.
  if (isSliderDown() || !std::isfinite(seconds)) return;
  const int before = sliderPosition();
  // Not tracking and not held: this moves the knob only.
  setSliderPosition(int(std::lround(std::clamp(seconds, 0.0, 2.0e6) * kMillisecondsPerSecond)));
  if (sliderPosition() != before) {
    update();
    emit shownPositionChanged();
  }
  if (value() != sliderPosition()) fFollower.changed();
}

double ZMovieSlider::doubleValue() const { return sliderPosition() / kMillisecondsPerSecond; }

void ZMovieSlider::takeKnobPosition() {
  fFollower.cancel();
  if (isSliderDown() || value() == sliderPosition()) return;
  fSettingValue = true;
  setValue(sliderPosition());  // Qt tells assistive technology of the new value
  fSettingValue = false;
}

void ZMovieSlider::valueWasChanged() {
  update();
  if (!fSettingValue && fAction) fAction(doubleValue());
}

QString ZMovieSlider::timeText(double seconds) {
  const qint64 whole = std::isfinite(seconds) && seconds > 0 ? qint64(seconds) : 0;
  return QStringLiteral("%1:%2")
      .arg(whole / 60, 2, 10, QLatin1Char('0'))
      .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QRectF ZMovieSlider::knobRect() const {
  return fCell.knobRect(QRectF(rect()),
                        ZSliderCell::fraction(sliderPosition(), minimum(), maximum()));
}

void ZMovieSlider::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  fCell.draw(painter, QRectF(rect()),
             ZSliderCell::fraction(sliderPosition(), minimum(), maximum()));
  if (hasFocus())
    DrawUtilities::drawFocusRing(painter, QRectF(rect()), palette().color(QPalette::Highlight));
}

int ZMovieSlider::positionAt(double x) const {
  // The knob's middle goes under the pointer.
  const double knob = fCell.knobImage.deviceIndependentSize().width();
  const double track = std::max(1.0, width() - knob);
  const double f = std::clamp((x - knob / 2) / track, 0.0, 1.0);
  return minimum() + int(std::lround(f * (maximum() - minimum())));
}

void ZMovieSlider::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || maximum() <= minimum()) {
    event->ignore();
    return;
  }
  // What the release compares with is where the movie is now.
  takeKnobPosition();
  setSliderDown(true);
  setSliderPosition(positionAt(event->position().x()));
  update();
}

void ZMovieSlider::mouseMoveEvent(QMouseEvent *event) {
  if (!isSliderDown()) return;
  setSliderPosition(positionAt(event->position().x()));
}

void ZMovieSlider::mouseReleaseEvent(QMouseEvent *event) {
  if (!isSliderDown() || event->button() != Qt::LeftButton) return;
  setSliderPosition(positionAt(event->position().x()));
  // Let go: the value becomes the knob's place and the action goes out.
  setSliderDown(false);
  update();
}

void ZMovieSlider::keyPressEvent(QKeyEvent *event) {
  // A step goes from where the movie is now.
  takeKnobPosition();
  QAbstractSlider::keyPressEvent(event);
}

void ZMovieSlider::wheelEvent(QWheelEvent *event) {
  takeKnobPosition();
  QAbstractSlider::wheelEvent(event);
}

// ---- ZVolumeSlider -----------------------------------------------------------------------

ZVolumeSlider *ZVolumeSlider::create(const QRect &frame, const QVariantMap &info,
                                     QWidget *parent) {
  const auto cell = ZSliderCell::fromInfo(info);
  if (!cell) return nullptr;
  ZVolumeSliderCell volumeCell;
  static_cast<ZSliderCell &>(volumeCell) = *cell;
  auto *slider = new ZVolumeSlider(volumeCell, parent);
  slider->setGeometry(frame);
  return slider;
}

ZVolumeSlider::ZVolumeSlider(const ZVolumeSliderCell &cell, QWidget *parent)
    : QAbstractSlider(parent), fCell(cell) {
  ZPlaybackAccessibility::install();
  setObjectName(QStringLiteral("VolumeSlider"));
  setOrientation(Qt::Horizontal);
  setRange(0, int(kVolumeSteps));
  setSingleStep(10);
  setPageStep(10);
  setFocusPolicy(Qt::TabFocus);
  connect(this, &QAbstractSlider::valueChanged, this, [this] {
    update();
    if (!fSettingValue && fAction) fAction(floatValue());
  });
}

float ZVolumeSlider::floatValue() const { return float(value() / kVolumeSteps); }

void ZVolumeSlider::setFloatValue(float value) {
  fSettingValue = true;
  setValue(int(std::lround(std::clamp(double(value), 0.0, 1.0) * kVolumeSteps)));
  fSettingValue = false;
  update();
}

void ZVolumeSlider::setMuteState(bool muted) {
  fCell.fCurrentMuteState = muted;
  update();
}

QRectF ZVolumeSlider::knobRect() const {
  return fCell.knobRect(QRectF(rect()),
                        ZSliderCell::fraction(sliderPosition(), minimum(), maximum()));
}

void ZVolumeSlider::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  fCell.draw(painter, QRectF(rect()),
             ZSliderCell::fraction(sliderPosition(), minimum(), maximum()));
  if (hasFocus())
    DrawUtilities::drawFocusRing(painter, QRectF(rect()), palette().color(QPalette::Highlight));
}

int ZVolumeSlider::positionAt(double x) const {
  const double knob = fCell.knobImage.deviceIndependentSize().width();
  const double track = std::max(1.0, width() - knob);
  const double f = std::clamp((x - knob / 2) / track, 0.0, 1.0);
  return int(std::lround(f * kVolumeSteps));
}

void ZVolumeSlider::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  fProcessingMouseDown = true;
  fMouseInView = true;
  setSliderDown(true);
  setSliderPosition(positionAt(event->position().x()));
}

void ZVolumeSlider::mouseMoveEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown) return;
  fMouseInView = rect().contains(event->position().toPoint());
  setSliderPosition(positionAt(event->position().x()));
}

void ZVolumeSlider::mouseReleaseEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown || event->button() != Qt::LeftButton) return;
  fProcessingMouseDown = false;
  setSliderDown(false);
}
