#include "ZPlaybackKeys.h"

#include "NotificationCenter.h"
#include "ZMediaBackEnd.h"
#include "ZOQTMovieController.h"

#include <QKeyEvent>

#include <algorithm>

namespace ZPlaybackKeys {

namespace {

void post(const char *name) {
  NotificationCenter::defaultCenter().postNotificationName(QLatin1String(name));
}

void seekBy(ZOQTMovieController &movie, double seconds) {
  ZMediaBackEnd &engine = movie.movie();
  if (!engine.isOpen()) return;
  const double length = engine.duration().seconds();
  const double target = std::clamp(engine.currentTime().seconds() + seconds, 0.0,
                                   std::max(0.0, length - 1.0));
  movie.scrubberChanged(target);
  // The sliders follow at once, also while paused.
  movie.scrubberUpdateTimerTick();
}

}  // namespace

bool handleKey(const QKeyEvent &event, ZOQTMovieController *movie, bool inFullScreen) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    switch (event.key()) {
      case Qt::Key_Space:
        post("ActionPlayVideo");
        return true;
      case Qt::Key_F:
        post(inFullScreen ? "ActionLeaveFullScreen" : "ActionEnterFullScreen");
        return true;
      default:
        break;
    }
  }
  if (!movie) return false;
  if (modifiers == Qt::NoModifier) {
    switch (event.key()) {
      case Qt::Key_Left: seekBy(*movie, -kSeekSeconds); return true;
      case Qt::Key_Right: seekBy(*movie, kSeekSeconds); return true;
      case Qt::Key_Up: movie->increaseVolume(); return true;
      case Qt::Key_Down: movie->decreaseVolume(); return true;
      case Qt::Key_M: movie->mute(); return true;
      default: return false;
    }
  }
  if (modifiers == Qt::ControlModifier) {
    switch (event.key()) {
      case Qt::Key_Right: movie->userSkipForwardOne(); return true;
      case Qt::Key_Left: movie->userSkipBackOne(); return true;
      case Qt::Key_Up: movie->increaseVolume(); return true;
      case Qt::Key_Down: movie->decreaseVolume(); return true;
      default: return false;
    }
  }
  return false;
}

}  // namespace ZPlaybackKeys
