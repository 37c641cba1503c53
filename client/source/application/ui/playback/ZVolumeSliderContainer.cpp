#include "ZVolumeSliderContainer.h"

#include "DrawUtilities.h"
#include "ZPlaybackAccessibility.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "ZMovieSlider.h"
#include "ZOQTMovieController.h"
#include "ZPlacement.h"
#include "ZView.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

QImage buttonImage(const QVariantMap &button) {
  return button.value(QStringLiteral("Image")).value<QImage>();
}

int buttonParts(const QVariantMap &button) {
  return std::max(1, button.value(QStringLiteral("states")).toInt());
}

}  // namespace

ZVolumeSliderContainer::ZVolumeSliderContainer(const QVariantMap &info,
                                               ZOQTMovieController *movieController, QWidget *bar)
    : QWidget(bar), fInfo(info), fMovieController(movieController) {
  setObjectName(QStringLiteral("VolumeSliderContainer"));
  fMuted = movieController && movieController->movieIsMuted();
  placeInBar();
  const double button = buttonWidth();
  fSlider = ZVolumeSlider::create(
      QRectF(button, 0, std::max(0.0, width() - button), height()).toAlignedRect(), info, this);
  if (fSlider) {
    fSlider->setAccessibleName(localized(QStringLiteral("playerVolumeSlider")));
    fSlider->setToolTip(fSlider->accessibleName());
    if (fMovieController) {
      fSlider->setAction([movie = fMovieController](float value) { movie->volumeChanged(value); });
      fSlider->setMutingAction([movie = fMovieController] { movie->mute(); });
      fMovieController->setVolumeSlider(fSlider);
    }
  }
  fMuteButton = new ZVolumeMuteButton(this);
  fMuteButton->setGeometry(buttonRect().toAlignedRect());
  if (fMovieController) fMutingAction = [movie = fMovieController] { movie->mute(); };
  if (bar) bar->installEventFilter(this);
  NotificationCenter &center = NotificationCenter::defaultCenter();
  for (const QString &name : {ZOQTMovieController::MovieMutedNotification,
                              ZOQTMovieController::MovieUnmutedNotification})
    center.addObserver(this, name, [this](const Notification &) { movieMuteChanged(); });
  movieMuteChanged();
}

ZVolumeSliderContainer::~ZVolumeSliderContainer() {
  NotificationCenter::defaultCenter().removeObserver(this);
  if (fMovieController && fSlider) fMovieController->setVolumeSlider(nullptr);
}

void ZVolumeSliderContainer::placeInBar() {
  QWidget *bar = parentWidget();
  if (!bar) return;
  const QSizeF size(fInfo.value(QStringLiteral("Width")).toDouble(),
                    fInfo.value(QStringLiteral("Height")).toDouble());
  const QRectF place =
      ZPlacement::containerLayoutRect(size, QRectF(QPointF(0, 0), QSizeF(bar->size())), fInfo);
  setGeometry(ZPlacement::toWidgetRect(place, bar->height()));
  layoutParts();
}

bool ZVolumeSliderContainer::eventFilter(QObject *watched, QEvent *event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) placeInBar();
  return QWidget::eventFilter(watched, event);
}

QVariantMap ZVolumeSliderContainer::currentButtonInfo() const {
  return fInfo.value(fMuted ? QStringLiteral("MuteButton") : QStringLiteral("MutedButton")).toMap();
}

double ZVolumeSliderContainer::buttonWidth() const {
  const QVariantMap button = fInfo.value(QStringLiteral("MuteButton")).toMap();
  return std::ceil(buttonImage(button).deviceIndependentSize().width() / buttonParts(button));
}

QRectF ZVolumeSliderContainer::buttonRect() const {
  const QVariantMap button = currentButtonInfo();
  const double imageHeight = buttonImage(button).deviceIndependentSize().height();
  // XPos and YPos in the skin's space: y counted up from the bottom.
  const double x = button.value(QStringLiteral("XPos")).toDouble();
  const double y = height() - button.value(QStringLiteral("YPos")).toDouble() - imageHeight;
  return QRectF(x, y, buttonWidth(), imageHeight);
}

void ZVolumeSliderContainer::movieMuteChanged() {
  fMuted = fMovieController && fMovieController->movieIsMuted();
  if (fMuteButton)
    fMuteButton->setAccessibleName(
        localized(fMuted ? QStringLiteral("playerUnmuteButton") : QStringLiteral("playerMuteButton")));
  update();
}

void ZVolumeSliderContainer::clickMuteButton() {
  fMuted = !fMuted;
  update();
  if (fMutingAction) fMutingAction();
}

void ZVolumeSliderContainer::resizeEvent(QResizeEvent *) { layoutParts(); }

void ZVolumeSliderContainer::layoutParts() {
  const double button = buttonWidth();
  if (fSlider)
    fSlider->setGeometry(
        QRectF(button, 0, std::max(0.0, width() - button), height()).toAlignedRect());
  if (fMuteButton) fMuteButton->setGeometry(buttonRect().toAlignedRect());
}

void ZVolumeSliderContainer::paintEvent(QPaintEvent *) {
  const QVariantMap button = currentButtonInfo();
  const QImage image = buttonImage(button);
  if (image.isNull()) return;
  QPainter painter(this);
  DrawUtilities::drawImagePart(painter, buttonRect(), image, fButtonState, buttonParts(button));
  if (fMuteButton && fMuteButton->hasFocus())
    DrawUtilities::drawFocusRing(painter, buttonRect(), palette().color(QPalette::Highlight));
}

void ZVolumeSliderContainer::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || !buttonRect().contains(event->position())) {
    QWidget::mousePressEvent(event);
    return;
  }
  fProcessingMouseDown = true;
  fMouseInView = true;
  fButtonState = 2;
  update();
}

void ZVolumeSliderContainer::mouseMoveEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown) return;
  const bool inside = buttonRect().contains(event->position());
  if (inside == fMouseInView) return;
  fMouseInView = inside;
  fButtonState = inside ? 2 : 1;
  update();
}

void ZVolumeSliderContainer::mouseReleaseEvent(QMouseEvent *event) {
  if (!fProcessingMouseDown || event->button() != Qt::LeftButton) return;
  fProcessingMouseDown = false;
  fButtonState = 0;
  if (buttonRect().contains(event->position()))
    clickMuteButton();
  else
    update();
}

// ---- ZVolumeMuteButton -------------------------------------------------------------------

ZVolumeMuteButton::ZVolumeMuteButton(ZVolumeSliderContainer *container)
    : QWidget(container), fContainer(container) {
  ZPlaybackAccessibility::install();
  setObjectName(QStringLiteral("MuteButton"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::TabFocus);
}

void ZVolumeMuteButton::keyPressEvent(QKeyEvent *event) {
  if (!isButtonPressKey(event)) return QWidget::keyPressEvent(event);
  if (!event->isAutoRepeat()) fContainer->clickMuteButton();
  event->accept();
}

void ZVolumeMuteButton::paintEvent(QPaintEvent *) {}

void ZVolumeMuteButton::focusInEvent(QFocusEvent *event) {
  QWidget::focusInEvent(event);
  fContainer->update();
}

void ZVolumeMuteButton::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  fContainer->update();
}
