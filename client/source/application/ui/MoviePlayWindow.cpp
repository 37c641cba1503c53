#include "MoviePlayWindow.h"

#include "Dialogs.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "ZApplicationState.h"
#include "ZMpvBackEnd.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOMovieView.h"
#include "ZOQTMovieController.h"
#include "ZPlaybackControls.h"

#include <QCloseEvent>
#include <QShortcut>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

// A slider in milliseconds that the controller moves in seconds; what the
// user does with it (a drag let go, a key, a click on the groove) goes to the
// action.
class ZPlainScrubber : public QSlider, public ZMovieScrubber {
 public:
  explicit ZPlainScrubber(QWidget *parent) : QSlider(Qt::Horizontal, parent) {
    setRange(0, 0);
    setSingleStep(5000);
    setPageStep(30000);
    setTracking(false);
    connect(this, &QSlider::sliderReleased, this, [this] { userMoved(); });
    connect(this, &QSlider::actionTriggered, this, [this](int action) {
      if (action != SliderMove)
        QMetaObject::invokeMethod(
            this, [this] { userMoved(); }, Qt::QueuedConnection);
    });
  }

  void setMaxValue(double seconds) override {
    setMaximum(int(std::lround(std::max(0.0, seconds) * 1000.0)));
  }
  void setDoubleValue(double seconds) override {
    if (!isSliderDown()) setValue(int(std::lround(seconds * 1000.0)));
  }
  double doubleValue() const override { return value() / 1000.0; }
  void setAction(std::function<void(double)> action) override { fAction = std::move(action); }

 private:
  void userMoved() {
    if (fAction) fAction(sliderPosition() / 1000.0);
  }
  std::function<void(double)> fAction;
};

MoviePlayWindow &MoviePlayWindow::sharedWindow() {
  static MoviePlayWindow *window = [] {
    ZOQTMovieController &controller = ZOQTMovieController::sharedMovieController();
    return new MoviePlayWindow(controller, qobject_cast<ZMpvBackEnd *>(&controller.movie()));
  }();
  return *window;
}

MoviePlayWindow::MoviePlayWindow(ZOQTMovieController &controller, ZMpvBackEnd *engine,
                                 QWidget *parent)
    : QWidget(parent), fController(controller) {
  setObjectName(QStringLiteral("MoviePlayWindow"));
  setWindowTitle(localized(QStringLiteral("mainWindowTitle")));
  setAccessibleName(windowTitle());
  resize(800, 480);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);

  // Where no movie view can be shown the movie plays unseen on black.
  QWidget *picture;
  if (ZOMovieView::isAvailable()) {
    fMovieView = new ZOMovieView(this);
    fMovieView->setEngine(engine);
    picture = fMovieView;
  } else {
    picture = new QWidget(this);
    picture->setAccessibleName(localized(QStringLiteral("moviePlayWindowMovie")));
  }
  fScrubber = new ZPlainScrubber(this);
  fScrubber->setObjectName(QStringLiteral("positionSlider"));
  fScrubber->setAccessibleName(localized(QStringLiteral("moviePlayWindowPosition")));
  fScrubber->setAction([this](double seconds) { fController.scrubberChanged(seconds); });
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->setSpacing(4);
  layout->addWidget(picture, 1);
  layout->addWidget(fScrubber);

  auto key = [this](QKeySequence sequence, auto action) {
    auto *shortcut = new QShortcut(sequence, this);
    connect(shortcut, &QShortcut::activated, this, action);
  };
  key(Qt::Key_Space, [this] { fController.pauseOrPlay(); });
  key(Qt::Key_Escape, [this] { close(); });
  key(Qt::CTRL | Qt::Key_Right, [this] { fController.userSkipForwardOne(); });
  key(Qt::CTRL | Qt::Key_Left, [this] { fController.userSkipBackOne(); });
  key(Qt::CTRL | Qt::Key_Up, [this] { fController.increaseVolume(); });
  key(Qt::CTRL | Qt::Key_Down, [this] { fController.decreaseVolume(); });
  key(Qt::Key_M, [this] { fController.mute(); });

  // What the main window does with these requests, until it does.
  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.addObserver(this, ZOQTMovieController::StopPlayingVideoListAction,
                     [this](const Notification &) { leavePlayback(); });
  center.addObserver(
      this, ZOQTMovieController::MovieStartedNotification, [this](const Notification &) {
        const QString title = ZNowPlayingListDataSource::sharedNowPlayingListDataSource()
                                  .titleOfCurrentlyPlayingVideo();
        setWindowTitle(title.isEmpty() ? localized(QStringLiteral("mainWindowTitle")) : title);
      });
}

MoviePlayWindow::~MoviePlayWindow() {
  NotificationCenter::defaultCenter().removeObserver(this);
  fController.setInlineSlider(nullptr);
  fController.setMovieView(nullptr);
}

QSlider *MoviePlayWindow::positionSlider() const { return fScrubber; }

bool MoviePlayWindow::playVideo(int videoId) {
  if (!VideoDatabase::defaultVideoDatabase().getVideoInfo(videoId)) {
    Dialogs::shared().showAlert(localizedFormat(QStringLiteral("moviePlayNoSuchVideo"), {videoId}));
    return false;
  }
  show();
  raise();
  activateWindow();
  ZApplicationState::sharedStateManager().setPlaybackWindow(this);
  fController.setMovieView(fMovieView);
  fController.setInlineSlider(fScrubber);
  // As the main window starts a new list: what played before stops first.
  fController.stop();
  ZNowPlayingListDataSource::sharedNowPlayingListDataSource().setVideos({videoId});
  fController.play();
  return true;
}

void MoviePlayWindow::leavePlayback() {
  fController.stop();
  hide();
}

void MoviePlayWindow::closeEvent(QCloseEvent *event) {
  fController.stop();
  QWidget::closeEvent(event);
}
