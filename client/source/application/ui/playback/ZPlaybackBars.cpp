#include "ZPlaybackBars.h"

#include "Localization.h"
#include "NotificationCenter.h"
#include "ZMovieSlider.h"
#include "ZNowPlayingListDataSource.h"
#include "ZAccessibility.h"
#include "ZOQTMovieController.h"
#include "ZPlaybackAccessibility.h"
#include "ZPlacement.h"
#include "ZSkin.h"
#include "ZView.h"
#include "ZVolumeSliderContainer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

void post(const char *name) {
  NotificationCenter::defaultCenter().postNotificationName(QLatin1String(name));
}

double imageHeight(const QImage &image) { return image.deviceIndependentSize().height(); }

}  // namespace

// ---- title bars --------------------------------------------------------------------------

ZPlaybackTitleBarView::ZPlaybackTitleBarView(const ZPlaybackEnvironment &environment,
                                             QWidget *parent)
    : ZPlaybackTitleBarView(environment, false, parent) {}

ZPlaybackTitleBarView::ZPlaybackTitleBarView(const ZPlaybackEnvironment &environment,
                                             bool fullScreen, QWidget *parent)
    : QWidget(parent), fEnvironment(environment) {
  ZAccessibility::install();
  setObjectName(fullScreen ? QStringLiteral("FullScreenTitleBar")
                           : QStringLiteral("PlaybackTitleBar"));
  resize(parent ? parent->width() : 0, int(height(environment.skin)));
  if (fullScreen || !environment.skin) return;
  if (const auto info = environment.skin->fullScreenHoverButtonInfo()) {
    fFullScreenButton = ZButtonView::create(QSizeF(size()), *info, this);
    if (fFullScreenButton) {
      fFullScreenButton->setObjectName(QStringLiteral("FullScreenButton"));
      fFullScreenButton->setToolTip(localized(QStringLiteral("tooltipPlayerWatchFullScreen")));
      fFullScreenButton->setAction([this](ZButtonView *) { goIntoFullScreen(); });
    }
  }
}

ZPlaybackTitleBarView::~ZPlaybackTitleBarView() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

double ZPlaybackTitleBarView::height(const ZSkin *skin) {
  return skin ? imageHeight(skin->fullScreenTitleBackgroundImage()) : 0;
}

void ZPlaybackTitleBarView::displaySetup() {
  if (fFullScreenButton) fFullScreenButton->setTracksMouseOver(true);
  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.removeObserver(this);
  for (const QString &name : {ZNowPlayingListDataSource::CurrentVideoChangedNotification,
                              ZOQTMovieController::MovieStartedNotification,
                              ZOQTMovieController::MovieStoppedNotification})
    center.addObserver(this, name, [this](const Notification &) { readTitle(); });
  readTitle();
}

void ZPlaybackTitleBarView::displayTeardown() {
  if (fFullScreenButton) fFullScreenButton->setTracksMouseOver(false);
  NotificationCenter::defaultCenter().removeObserver(this);
}

void ZPlaybackTitleBarView::goIntoFullScreen() { post("ActionEnterFullScreen"); }

QString ZPlaybackTitleBarView::displayTitle(const QString &title) {
  QString shown = title;
  // Only what looks like a file's extension goes: "clip.mp4" shows "clip",
  // but "Part 1. The start" keeps its words.
  static const QRegularExpression extension(QStringLiteral("\\.[A-Za-z0-9]{1,5}$"));
  const QRegularExpressionMatch match = extension.match(shown);
  if (match.hasMatch() && match.capturedStart() > 0) shown.truncate(match.capturedStart());
  // One line: breaks and other control characters show as spaces.
  for (QChar &c : shown)
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
        c == QChar::ParagraphSeparator)
      c = QLatin1Char(' ');
  return shown;
}

void ZPlaybackTitleBarView::readTitle() {
  setMovieTitle(fEnvironment.nowPlaying ? fEnvironment.nowPlaying->titleOfCurrentlyPlayingVideo()
                                        : QString());
}

void ZPlaybackTitleBarView::setMovieTitle(const QString &title) {
  fMovieTitle = displayTitle(title);
  setAccessibleName(fMovieTitle);
  update();
}

void ZPlaybackTitleBarView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (fEnvironment.skin) {
    const QImage background = fEnvironment.skin->fullScreenTitleBackgroundImage();
    if (!background.isNull()) painter.drawImage(QRectF(rect()), background);
  }
  if (fMovieTitle.isEmpty()) return;
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(18);
  painter.setFont(font);
  painter.setPen(Qt::white);
  const QFontMetricsF metrics(font);
  // Room beside the button on both sides, so that the title stays centred.
  const double button = fFullScreenButton ? width() - fFullScreenButton->x() : 0;
  const double room = std::max(0.0, width() - 2 * (button + 8));
  const QString text = metrics.elidedText(fMovieTitle, Qt::ElideRight, room);
  const double textWidth = metrics.horizontalAdvance(text);
  const double x = (width() - textWidth) / 2;
  const double y = std::ceil((QWidget::height() - metrics.height()) / 2);
  painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

ZFullScreenTitleBarView::ZFullScreenTitleBarView(const ZPlaybackEnvironment &environment,
                                                 QWidget *parent)
    : ZPlaybackTitleBarView(environment, true, parent) {
  if (!environment.skin) return;
  const QImage exit = environment.skin->fullScreenExitButtonImage();
  const int states = int(environment.skin->fullScreenExitButtonStates());
  if (exit.isNull() || states < 1) return;
  fFullScreenButton = new ZButtonView(this);
  fFullScreenButton->setObjectName(QStringLiteral("LeaveFullScreenButton"));
  fFullScreenButton->setImage(exit, states);
  fFullScreenButton->resize(fFullScreenButton->imageDisplaySize().toSize());
  fFullScreenButton->setToolTip(localized(QStringLiteral("tooltipPlayerLeaveFullScreen")));
  fFullScreenButton->setAction([this](ZButtonView *) { leaveFullScreen(); });
}

void ZFullScreenTitleBarView::leaveFullScreen() { post("ActionLeaveFullScreen"); }

void ZFullScreenTitleBarView::resizeEvent(QResizeEvent *event) {
  ZPlaybackTitleBarView::resizeEvent(event);
  // 5 from the right edge, in the middle of the height.
  if (fFullScreenButton)
    fFullScreenButton->move(width() - 5 - fFullScreenButton->width(),
                            (QWidget::height() - fFullScreenButton->height()) / 2);
}

// ---- control bars ------------------------------------------------------------------------

ZPlaybackBottomBarView::ZPlaybackBottomBarView(const ZPlaybackEnvironment &environment,
                                               QWidget *parent)
    : ZPlaybackBottomBarView(environment, false, parent) {}

ZPlaybackBottomBarView::ZPlaybackBottomBarView(const ZPlaybackEnvironment &environment,
                                               bool fullScreen, QWidget *parent)
    : QWidget(parent), fEnvironment(environment), fFullScreen(fullScreen) {
  ZAccessibility::install();
  setObjectName(fullScreen ? QStringLiteral("FullScreenControlBar")
                           : QStringLiteral("PlaybackControlBar"));
  resize(parent ? parent->width() : 0, int(height(environment.skin)));
  const ZSkin *skin = environment.skin;
  if (!skin) return;
  fExitButton = makeButton(skin->nowPlayingExitButtonInfo(), QStringLiteral("tooltipPlayerExitPlayback"),
                           [this] { stopMovie(); });
  fPlayButton = makeButton(skin->playButtonInfo(), QStringLiteral("tooltipPlayerPlayButton"),
                           [this] { playMovie(); });
  fPauseButton = makeButton(skin->pauseButtonInfo(), QStringLiteral("tooltipPlayerPauseButton"),
                            [this] { pauseMovie(); });
  if (fPauseButton) fPauseButton->hide();
  fStopButton = makeButton(skin->stopButtonInfo(), QStringLiteral("tooltipPlayerStopButton"),
                           [this] { stopMovie(); });
  fForwardButton = makeButton(skin->forwardButtonInfo(),
                              QStringLiteral("tooltipPlayerForwardButton"), [this] { forward(); });
  if (fForwardButton) {
    fForwardButton->setHoldDownAction([this](ZButtonView *) { frameForward(); });
    fForwardButton->setHoldDownReleaseAction([this](ZButtonView *) { frameForwardStop(); });
  }
  fRewindButton = makeButton(skin->rewindButtonInfo(), QStringLiteral("tooltipPlayerRewindButton"),
                             [this] { rewind(); });
  if (fRewindButton) {
    fRewindButton->setHoldDownAction([this](ZButtonView *) { frameRewind(); });
    fRewindButton->setHoldDownReleaseAction([this](ZButtonView *) { frameRewindStop(); });
  }
  if (!fullScreen)
    if (const auto volume = skin->volumeControlInfo()) {
      fVolumeSliderContainer =
          new ZVolumeSliderContainer(*volume, environment.movieController, this);
    }

  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.addObserver(this, ZOQTMovieController::MovieStartedNotification,
                     [this](const Notification &) { showPlaying(true); });
  center.addObserver(this, ZOQTMovieController::MoviePausedNotification,
                     [this](const Notification &) { showPlaying(false); });
  if (environment.movieController)
    connect(environment.movieController, &ZOQTMovieController::movieRateChanged, this,
            [this](double rate) { showPlaying(rate != 0.0); });
  if (!fullScreen)
    for (ZButtonView *button : std::as_const(fButtons)) button->setTracksMouseOver(true);
}

ZPlaybackBottomBarView::~ZPlaybackBottomBarView() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

double ZPlaybackBottomBarView::height(const ZSkin *skin) {
  return skin ? imageHeight(skin->bottomNavBarImage()) : 0;
}

ZButtonView *ZPlaybackBottomBarView::makeButton(const std::optional<QVariantMap> &info,
                                                const QString &name,
                                                std::function<void()> action) {
  if (!info) return nullptr;
  ZButtonView *button = ZButtonView::create(QSizeF(size()), *info, this);
  if (!button) return nullptr;
  const QString text = localized(name);
  // The tool tip names it; buttons without a tool tip of their own are named.
  if (name.startsWith(QLatin1String("tooltip")))
    button->setToolTip(text);
  else
    button->setAccessibleName(text);
  button->setObjectName(name);
  button->setAction([action = std::move(action)](ZButtonView *) { action(); });
  fButtons.append(button);
  return button;
}

QList<ZButtonView *> ZPlaybackBottomBarView::buttons() const { return fButtons; }

void ZPlaybackBottomBarView::displaySetup() {
  for (ZButtonView *button : std::as_const(fButtons))
    button->setTracksMouseOver(button->isVisibleTo(this));
  // A bar set up while a movie already plays shows its pause button.
  if (fEnvironment.movieController) showPlaying(fEnvironment.movieController->isPlaying());
}

void ZPlaybackBottomBarView::displayTeardown() {
  for (ZButtonView *button : std::as_const(fButtons)) button->setTracksMouseOver(false);
}

void ZPlaybackBottomBarView::showPlaying(bool playing) {
  ZButtonView *shown = playing ? fPauseButton : fPlayButton;
  ZButtonView *hidden = playing ? fPlayButton : fPauseButton;
  if (hidden && !hidden->isHidden()) {
    // The hidden one stops tracking and returns to its normal picture; the
    // keyboard goes on with the one shown in its place.
    const bool hadFocus = hidden->hasFocus();
    hidden->setTracksMouseOver(false);
    hidden->setState(ZButtonView::Normal);
    hidden->hide();
    if (shown) {
      shown->show();
      shown->setTracksMouseOver(true);
      if (hadFocus) shown->setFocus(Qt::OtherFocusReason);
    }
  } else if (shown) {
    shown->show();
  }
}

void ZPlaybackBottomBarView::playMovie() { post("ActionPlayVideo"); }
void ZPlaybackBottomBarView::pauseMovie() { post("ActionPauseVideo"); }
void ZPlaybackBottomBarView::stopMovie() { post("ActionStopPlayingVideoList"); }

void ZPlaybackBottomBarView::showMovieView() {
  if (fFullScreen && fMovieView) fMovieView->show();
}

void ZPlaybackBottomBarView::forward() {
  showMovieView();
  if (fEnvironment.movieController) fEnvironment.movieController->skipForwardOne();
}

void ZPlaybackBottomBarView::rewind() {
  showMovieView();
  if (fEnvironment.movieController) fEnvironment.movieController->skipBackOne();
}

void ZPlaybackBottomBarView::frameForward() {
  if (fEnvironment.movieController) fEnvironment.movieController->fastForward();
}

void ZPlaybackBottomBarView::frameForwardStop() {
  if (fEnvironment.movieController) fEnvironment.movieController->fastForwardStop();
}

void ZPlaybackBottomBarView::frameRewind() {
  if (fEnvironment.movieController) fEnvironment.movieController->rewind();
}

void ZPlaybackBottomBarView::frameRewindStop() {
  if (fEnvironment.movieController) fEnvironment.movieController->rewindStop();
}

void ZPlaybackBottomBarView::paintEvent(QPaintEvent *) {
  if (!fEnvironment.skin) return;
  const QImage background = fEnvironment.skin->bottomNavBarImage();
  if (background.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QRectF(rect()), background);
}

ZFullScreenBottomBarView::ZFullScreenBottomBarView(const ZPlaybackEnvironment &environment,
                                                   QWidget *parent)
    : ZPlaybackBottomBarView(environment, true, parent) {
  const ZSkin *skin = environment.skin;
  if (!skin) return;
  ZOQTMovieController *movie = environment.movieController;
  const auto toggleMute = [movie] {
    if (movie) movie->mute();
  };
  fMuteButton = makeButton(skin->fullScreenMuteButtonInfo(), QStringLiteral("playerMuteButton"),
                           toggleMute);
  fUnmuteButton = makeButton(skin->fullScreenMutedButtonInfo(),
                             QStringLiteral("playerUnmuteButton"), toggleMute);
  if (fUnmuteButton) fUnmuteButton->hide();
  fVolumeUpButton = makeButton(skin->fullScreenVolumeUpButtonInfo(),
                               QStringLiteral("playerVolumeUpButton"), [movie] {
                                 if (movie) movie->increaseVolume();
                               });
  fVolumeDownButton = makeButton(skin->fullScreenVolumeDownButtonInfo(),
                                 QStringLiteral("playerVolumeDownButton"), [movie] {
                                   if (movie) movie->decreaseVolume();
                                 });
  if (const auto image = skin->fullScreenVolumeImageInfo()) {
    fVolumeImage = ZImageView::create(QSizeF(size()), *image, this);
    if (fVolumeImage) fVolumeImage->setAccessibleName(localized(QStringLiteral("playerVolumeSlider")));
  }
  NotificationCenter &center = NotificationCenter::defaultCenter();
  for (const QString &name : {ZOQTMovieController::MovieMutedNotification,
                              ZOQTMovieController::MovieUnmutedNotification})
    center.addObserver(this, name, [this](const Notification &) { showMuted(); });
  showMuted();
}

ZFullScreenBottomBarView::~ZFullScreenBottomBarView() = default;

void ZFullScreenBottomBarView::displaySetup() {
  showMuted();
  ZPlaybackBottomBarView::displaySetup();
}

void ZFullScreenBottomBarView::showMuted() {
  const bool muted = fEnvironment.movieController && fEnvironment.movieController->movieIsMuted();
  if (fUnmuteButton) fUnmuteButton->setVisible(muted);
  if (fMuteButton) fMuteButton->setVisible(!muted);
}

void ZFullScreenBottomBarView::paintEvent(QPaintEvent *event) {
  // Only a skin with the full-screen frame pictures gives the bar its picture.
  if (!fEnvironment.skin || fEnvironment.skin->inlineFullScreenLeftImage().isNull() ||
      fEnvironment.skin->inlineFullScreenRightImage().isNull())
    return;
  ZPlaybackBottomBarView::paintEvent(event);
}

// ---- progress bar ------------------------------------------------------------------------

ZFullScreenProgressBarView::ZFullScreenProgressBarView(const std::optional<QVariantMap> &info,
                                                       double barHeight, QWidget *parent)
    : QWidget(parent), fInfo(info.value_or(QVariantMap())) {
  setObjectName(QStringLiteral("ProgressBar"));
  resize(parent ? parent->width() : 0, int(std::ceil(barHeight)));
  fMovieSlider = ZMovieSlider::create(QSizeF(size()), fInfo, this);
  if (!fMovieSlider) return;
  fMovieSlider->setAccessibleName(localized(QStringLiteral("playerProgressSlider")));
  fMovieSlider->setToolTip(fMovieSlider->accessibleName());
  // The times in the caps follow the knob, also while it is dragged.
  connect(fMovieSlider, &QAbstractSlider::valueChanged, this, qOverload<>(&QWidget::update));
  connect(fMovieSlider, &QAbstractSlider::sliderMoved, this, qOverload<>(&QWidget::update));
  connect(fMovieSlider, &ZMovieSlider::shownPositionChanged, this, qOverload<>(&QWidget::update));
  connect(fMovieSlider, &QAbstractSlider::rangeChanged, this, qOverload<>(&QWidget::update));
}

double ZFullScreenProgressBarView::height(const std::optional<QVariantMap> &info) {
  return info ? ZMovieSlider::height(*info) : 0;
}

void ZFullScreenProgressBarView::resizeEvent(QResizeEvent *) {
  if (!fMovieSlider) return;
  const QSizeF size(fInfo.value(QStringLiteral("Width")).toDouble(), ZMovieSlider::height(fInfo));
  const QRectF place =
      ZPlacement::containerLayoutRect(size, QRectF(QPointF(0, 0), QSizeF(this->size())), fInfo);
  fMovieSlider->setGeometry(ZPlacement::toWidgetRect(place, QWidget::height()));
}

QString ZFullScreenProgressBarView::currentTimeText() const {
  return fMovieSlider ? ZMovieSlider::timeText(fMovieSlider->sliderPosition() / 1000.0)
                      : QString();
}

QString ZFullScreenProgressBarView::maximumTimeText() const {
  return fMovieSlider ? ZMovieSlider::timeText(fMovieSlider->maxValue()) : QString();
}

void ZFullScreenProgressBarView::paintEvent(QPaintEvent *) {
  if (!fMovieSlider) return;
  QPainter painter(this);
  const ZSliderCell &cell = fMovieSlider->cell();
  const QRectF left(QPointF(0, 0), cell.leftBarImage.deviceIndependentSize());
  const QSizeF rightSize = cell.rightBarImage.deviceIndependentSize();
  const QRectF right(QPointF(width() - rightSize.width(), 0), rightSize);
  painter.drawImage(left, cell.leftBarImage);
  painter.drawImage(right, cell.rightBarImage);
  const ZTextAttributes style = ZSkin::movieSliderTextAttributes();
  painter.setFont(style.font);
  painter.setPen(style.foregroundColor);
  painter.drawText(left, Qt::AlignCenter, currentTimeText());
  painter.drawText(right, Qt::AlignCenter, maximumTimeText());
}

// ---- ZPlaybackBarSet ---------------------------------------------------------------------

void ZPlaybackBarSet::show(QWidget *movieView) const {
  title->displaySetup();
  controls->setMovieView(movieView);
  controls->displaySetup();
  for (QWidget *bar : {static_cast<QWidget *>(title), static_cast<QWidget *>(controls),
                       static_cast<QWidget *>(progress)}) {
    bar->show();
    bar->raise();
    ZPlaybackAccessibility::announce(bar, true);
  }
}

void ZPlaybackBarSet::hide() const {
  for (QWidget *bar : {static_cast<QWidget *>(title), static_cast<QWidget *>(controls),
                       static_cast<QWidget *>(progress)}) {
    bar->hide();
    ZPlaybackAccessibility::announce(bar, false);
  }
  title->displayTeardown();
  controls->displayTeardown();
  controls->setMovieView(nullptr);
}

QRect ZPlaybackBarSet::layout(const QSize &display) const {
  const int w = display.width(), h = display.height();
  const int top = title->QWidget::height();
  const int bottom = controls->QWidget::height();
  const int middle = progress->QWidget::height();
  title->setGeometry(0, 0, w, top);
  controls->setGeometry(0, h - bottom, w, bottom);
  progress->setGeometry(0, h - bottom - middle, w, middle);
  return QRect(0, top, w, std::max(0, h - top - bottom - middle));
}
