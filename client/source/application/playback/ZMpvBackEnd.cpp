#include "ZMpvBackEnd.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGuiApplication>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>

namespace {

// Reply ids of the observed properties.
enum Observed : quint64 {
  kTimePos = 1,
  kDuration,
  kPause,
  kSpeed,
  kVolume,
  kMute,
  kEofReached,
};

bool platformHasNoDisplay() {
  if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) return true;
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

}  // namespace

ZMediaBackEnd::~ZMediaBackEnd() = default;

ZMpvBackEnd::ZMpvBackEnd(QObject *parent) : ZMpvBackEnd(platformHasNoDisplay(), parent) {}

ZMpvBackEnd::ZMpvBackEnd(bool headless, QObject *parent)
    : ZMediaBackEnd(parent), fHeadless(headless) {
  fScanTimer.setInterval(kScanIntervalMs);
  connect(&fScanTimer, &QTimer::timeout, this, &ZMpvBackEnd::scanStep);
  setUp();
}

ZMpvBackEnd::~ZMpvBackEnd() { shutDown(); }

void ZMpvBackEnd::setUp() {
  // mpv refuses to start unless numbers are read and written the C way; Qt
  // has set the numeric locale from the environment by now.
  std::setlocale(LC_NUMERIC, "C");
  fHandle = mpv_create();
  if (!fHandle) {
    qCWarning(zaroPlayback) << "mpv could not be created; nothing can be played";
    return;
  }
  const char *const options[][2] = {
      {"vo", "null"},  // video goes to a movie view's render context once there is one
      {"ao", fHeadless ? "null" : "auto"},
      {"idle", "yes"},
      {"keep-open", "yes"},  // a movie that ended stays open, paused at its end
      {"pause", "yes"},
      {"terminal", "no"},
      {"config", "no"},
      {"load-scripts", "no"},
      {"ytdl", "no"},
      {"osc", "no"},
      {"osd-level", "0"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      {"force-window", "no"},
      {"audio-display", "no"},
      {"audio-client-name", "Zaro Player"},
      {"hwdec", "no"},  // software decoding only: no probing of GPU decoders
      {"gpu-hwdec-interop", "no"},
      // The movie view draws a frame as soon as mpv hands it over, so mpv
      // hands it over when it is due, not ahead of time.
      {"video-timing-offset", "0"},
  };
  for (const auto &option : options) mpv_set_option_string(fHandle, option[0], option[1]);
  if (mpv_initialize(fHandle) < 0) {
    qCWarning(zaroPlayback) << "mpv could not be initialised; nothing can be played";
    mpv_terminate_destroy(fHandle);
    fHandle = nullptr;
    return;
  }
  // mpv's messages go to the playback logging category, as far as it shows them.
  mpv_request_log_messages(fHandle, zaroPlayback().isDebugEnabled()  ? "v"
                                    : zaroPlayback().isInfoEnabled() ? "info"
                                                                   : "warn");
  mpv_observe_property(fHandle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
  mpv_observe_property(fHandle, kDuration, "duration", MPV_FORMAT_DOUBLE);
  mpv_observe_property(fHandle, kPause, "pause", MPV_FORMAT_FLAG);
  mpv_observe_property(fHandle, kSpeed, "speed", MPV_FORMAT_DOUBLE);
  mpv_observe_property(fHandle, kVolume, "volume", MPV_FORMAT_DOUBLE);
  mpv_observe_property(fHandle, kMute, "mute", MPV_FORMAT_FLAG);
  mpv_observe_property(fHandle, kEofReached, "eof-reached", MPV_FORMAT_FLAG);
  // Runs on one of mpv's threads: it may only queue the drain onto our loop.
  mpv_set_wakeup_callback(
      fHandle,
      [](void *context) {
        auto *self = static_cast<ZMpvBackEnd *>(context);
        if (!self->fDrainQueued.exchange(true))
          QMetaObject::invokeMethod(self, &ZMpvBackEnd::drainEvents, Qt::QueuedConnection);
      },
      this);
}

void ZMpvBackEnd::shutDown() {
  if (!fHandle) return;
  fScanTimer.stop();
  emit shuttingDown();
  mpv_set_wakeup_callback(fHandle, nullptr, nullptr);
  mpv_terminate_destroy(fHandle);
  fHandle = nullptr;
  fOpen = false;
}

void ZMpvBackEnd::renderContextCreated() {
  if (fHandle && !fHeadless) setProperty("vo", QStringLiteral("libmpv"));
}

void ZMpvBackEnd::renderContextWillBeFreed() {
  if (fHandle) setProperty("vo", QStringLiteral("null"));
}

bool ZMpvBackEnd::setProperty(const char *name, const QString &value) {
  if (!fHandle) return false;
  const int rc = mpv_set_property_string(fHandle, name, value.toUtf8().constData());
  if (rc < 0)
    qCWarning(zaroPlayback) << "mpv refused" << name << "=" << value << mpv_error_string(rc);
  return rc >= 0;
}

// ---- events --------------------------------------------------------------------------

void ZMpvBackEnd::drainEvents() {
  fDrainQueued = false;
  while (fHandle) {
    mpv_event *event = mpv_wait_event(fHandle, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    handleEvent(*event);
  }
}

void ZMpvBackEnd::handleEvent(const mpv_event &event) {
  switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
      const auto *message = static_cast<const mpv_event_log_message *>(event.data);
      const QString text = QString::fromUtf8(message->text).trimmed();
      if (message->log_level <= MPV_LOG_LEVEL_ERROR) {
        fLastErrorMessage = text;
        qCWarning(zaroPlayback).noquote() << "mpv:" << message->prefix << text;
      } else if (message->log_level <= MPV_LOG_LEVEL_INFO) {
        qCInfo(zaroPlayback).noquote() << "mpv:" << message->prefix << text;
      } else {
        qCDebug(zaroPlayback).noquote() << "mpv:" << message->prefix << text;
      }
      break;
    }
    case MPV_EVENT_START_FILE:
      if (fLoading) fLoadStarted = true;
      break;
    case MPV_EVENT_FILE_LOADED:
      if (fLoading && fLoadStarted) fLoadDone = true;
      break;
    case MPV_EVENT_END_FILE: {
      const auto *end = static_cast<const mpv_event_end_file *>(event.data);
      if (fLoading) {
        // The end of the file being replaced comes before the new one starts.
        if (!fLoadStarted) break;
        fLoadDone = true;
        fLoadError = end->reason == MPV_END_FILE_REASON_ERROR
                         ? QString::fromUtf8(mpv_error_string(end->error))
                         : QStringLiteral("loading was stopped");
        break;
      }
      // An open movie only ends this way when reading or decoding failed
      // (a movie that plays to its end stays open): it counts as ended.
      if (fOpen && end->reason == MPV_END_FILE_REASON_ERROR && !fEofReached) {
        qCWarning(zaroPlayback) << "playback stopped:" << mpv_error_string(end->error);
        fEofReached = true;
        fPaused = true;
        updateRate();
        emit ended();
      }
      break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
      const auto *property = static_cast<const mpv_event_property *>(event.data);
      const bool has = property->format != MPV_FORMAT_NONE && property->data;
      const double number =
          has && property->format == MPV_FORMAT_DOUBLE ? *static_cast<double *>(property->data) : 0;
      const bool flag =
          has && property->format == MPV_FORMAT_FLAG && *static_cast<int *>(property->data) != 0;
      switch (event.reply_userdata) {
        case kTimePos:
          if (has && fOpen && fScanRate == 0.0) fTimePos = number;
          break;
        case kDuration:
          if (has && fOpen) fDuration = number;
          break;
        case kPause:
          if (has) {
            fPaused = flag;
            updateRate();
          }
          break;
        case kSpeed:
          if (has) {
            fSpeed = number;
            updateRate();
          }
          break;
        case kVolume:
          if (has && std::abs(number - double(fVolume) * 100.0) > 1e-6)
            fVolume = float(number / 100.0);
          break;
        case kMute:
          if (has) fMuted = flag;
          break;
        case kEofReached:
          if (!fOpen || fLoading) break;
          if (has && flag && !fEofReached) {
            // mpv pauses at the end of an open movie; say so before the end.
            fEofReached = true;
            fPaused = true;
            updateRate();
            emit ended();
          } else if (has && !flag) {
            fEofReached = false;
          }
          break;
        default:
          break;
      }
      break;
    }
    case MPV_EVENT_SHUTDOWN:
      qCWarning(zaroPlayback) << "mpv ended on its own";
      break;
    default:
      break;
  }
}

void ZMpvBackEnd::updateRate() {
  const double now = rate();
  if (now == fReportedRate) return;
  fReportedRate = now;
  emit rateChanged(now);
}

// ---- opening -------------------------------------------------------------------------

bool ZMpvBackEnd::open(const QString &path, QString *error) {
  auto fail = [&](const QString &why) {
    if (error) *error = why;
    qCWarning(zaroPlayback).noquote() << "cannot open" << path << ":" << why;
    return false;
  };
  close();
  if (!fHandle) return fail(QStringLiteral("the playback engine is not available"));
  const QFileInfo file(path);
  if (!file.exists()) return fail(QStringLiteral("no such file"));
  if (!file.isFile()) return fail(QStringLiteral("not a regular file"));
  if (!file.isReadable()) return fail(QStringLiteral("permission denied"));

  fLoading = true;
  fLoadStarted = fLoadDone = false;
  fLoadError.clear();
  fLastErrorMessage.clear();
  fTimePos = 0.0;
  fDuration = -1.0;
  fEofReached = false;
  setProperty("pause", QStringLiteral("yes"));
  fPaused = true;
  const QByteArray utf8 = file.absoluteFilePath().toUtf8();
  const char *command[] = {"loadfile", utf8.constData(), "replace", nullptr};
  int rc = mpv_command(fHandle, command);
  if (rc < 0) {
    fLoading = false;
    return fail(QString::fromUtf8(mpv_error_string(rc)));
  }
  // The one wait of the engine: until mpv has read the file's headers (a few
  // milliseconds for a local file), so that its length is known on return.
  // Events that arrive meanwhile are handled as ever.
  QDeadlineTimer deadline(kOpenTimeoutMs);
  while (!fLoadDone && !deadline.hasExpired()) {
    const double seconds = double(deadline.remainingTime()) / 1000.0;
    mpv_event *event = mpv_wait_event(fHandle, seconds);
    if (event->event_id == MPV_EVENT_SHUTDOWN) break;
    if (event->event_id != MPV_EVENT_NONE) handleEvent(*event);
  }
  fLoading = false;
  if (!fLoadDone) {
    const char *stop[] = {"stop", nullptr};
    mpv_command(fHandle, stop);
    return fail(QStringLiteral("the file could not be read in time"));
  }
  if (!fLoadError.isEmpty()) {
    QString why = fLoadError;
    if (!fLastErrorMessage.isEmpty()) why += QStringLiteral(" (") + fLastErrorMessage + ')';
    return fail(why);
  }
  double length = -1.0;
  if (mpv_get_property(fHandle, "duration", MPV_FORMAT_DOUBLE, &length) >= 0) fDuration = length;
  fOpen = true;
  updateRate();
  return true;
}

void ZMpvBackEnd::close() {
  fScanTimer.stop();
  fScanRate = 0.0;
  if (!fOpen) return;
  fOpen = false;
  fEofReached = false;
  const char *stop[] = {"stop", nullptr};
  if (fHandle) mpv_command(fHandle, stop);
  fTimePos = 0.0;
  fDuration = -1.0;
  updateRate();
}

// ---- rate ----------------------------------------------------------------------------

double ZMpvBackEnd::rate() const {
  if (!fOpen) return 0.0;
  if (fScanRate < 0.0) return fScanRate;
  return fPaused ? 0.0 : fSpeed;
}

void ZMpvBackEnd::setRate(double rate) {
  if (!fOpen || !std::isfinite(rate)) return;
  if (rate < 0.0) {
    fScanRate = rate;
    setProperty("pause", QStringLiteral("yes"));
    fPaused = true;
    if (!fScanTimer.isActive()) fScanTimer.start();
  } else {
    fScanTimer.stop();
    fScanRate = 0.0;
    if (rate > 0.0) {
      // mpv plays from a hundredth to a hundred times the normal speed.
      const double speed = std::clamp(rate, 0.01, 100.0);
      setProperty("speed", QString::number(speed, 'g', 17));
      fSpeed = speed;
      if (fEofReached) seekTo(0.0);  // playing a movie at its end starts it over
    }
    setProperty("pause", rate > 0.0 ? QStringLiteral("no") : QStringLiteral("yes"));
    fPaused = rate <= 0.0;
  }
  updateRate();
}

void ZMpvBackEnd::scanStep() {
  if (!fOpen || fScanRate >= 0.0) {
    fScanTimer.stop();
    return;
  }
  const double target = fTimePos + fScanRate * (kScanIntervalMs / 1000.0);
  if (target <= 0.0) {
    seekTo(0.0);
    fScanTimer.stop();
    fScanRate = 0.0;
    updateRate();
    return;
  }
  seekTo(target);
}

// ---- volume and mute -----------------------------------------------------------------

void ZMpvBackEnd::setVolume(float volume) {
  if (!std::isfinite(volume)) return;
  fVolume = std::clamp(volume, 0.0f, 1.0f);
  setProperty("volume", QString::number(double(fVolume) * 100.0, 'g', 17));
}

void ZMpvBackEnd::setMuted(bool muted) {
  fMuted = muted;
  setProperty("mute", muted ? QStringLiteral("yes") : QStringLiteral("no"));
}

// ---- time ----------------------------------------------------------------------------

ZTime ZMpvBackEnd::currentTime() const {
  if (!fOpen) return ZTime{};
  return ZTime::fromSeconds(fTimePos, kTimeScale);
}

ZTime ZMpvBackEnd::duration() const {
  if (!fOpen || fDuration < 0.0) return ZTime{};
  return ZTime::fromSeconds(fDuration, kTimeScale);
}

void ZMpvBackEnd::setCurrentTime(const ZTime &time) {
  if (!fOpen || !time.isValid()) return;
  seekTo(std::max(0.0, time.seconds()));
}

void ZMpvBackEnd::seekTo(double seconds) {
  if (!fHandle) return;
  const QByteArray target = QByteArray::number(seconds, 'f', 6);
  const char *command[] = {"seek", target.constData(), "absolute+exact", nullptr};
  const int rc = mpv_command(fHandle, command);
  if (rc < 0) {
    qCWarning(zaroPlayback) << "mpv could not seek to" << seconds << mpv_error_string(rc);
    return;
  }
  fTimePos = seconds;
  if (fDuration < 0.0 || seconds < fDuration) fEofReached = false;
}

qint64 ZMpvBackEnd::droppedFrameCount() const {
  if (!fHandle) return 0;
  qint64 total = 0;
  for (const char *name : {"frame-drop-count", "decoder-frame-drop-count"}) {
    int64_t count = 0;
    if (mpv_get_property(fHandle, name, MPV_FORMAT_INT64, &count) >= 0) total += count;
  }
  return total;
}
