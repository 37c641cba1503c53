#include "ZMpvBackEnd.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <utility>

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
  fOpenTimer.setSingleShot(true);
  fOpenTimer.setInterval(kOpenTimeoutMs);
  connect(&fOpenTimer, &QTimer::timeout, this, &ZMpvBackEnd::openTimedOut);
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
  fOpenTimer.stop();
  emit shuttingDown();
  mpv_set_wakeup_callback(fHandle, nullptr, nullptr);
  mpv_terminate_destroy(fHandle);
  fHandle = nullptr;
  fOpen = false;
  fOpeningEntry = fOpenEntry = -1;
  ++fGeneration;
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
      fStartedEntry = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
      break;
    case MPV_EVENT_FILE_LOADED: {
      // It belongs to the entry mpv started last; only the one being opened
      // counts.
      if (fOpeningEntry < 0 || fStartedEntry != fOpeningEntry) break;
      fOpenTimer.stop();
      fOpenEntry = std::exchange(fOpeningEntry, -1);
      double length = -1.0;
      if (mpv_get_property(fHandle, "duration", MPV_FORMAT_DOUBLE, &length) >= 0)
        fDuration = length;
      fOpen = true;
      updateRate();
      report([this] { emit opened(); });
      break;
    }
    case MPV_EVENT_END_FILE: {
      const auto *end = static_cast<const mpv_event_end_file *>(event.data);
      if (fOpeningEntry >= 0 && end->playlist_entry_id == fOpeningEntry) {
        QString why = end->reason == MPV_END_FILE_REASON_ERROR
                          ? QString::fromUtf8(mpv_error_string(end->error))
                          : QStringLiteral("loading was stopped");
        if (!fLastErrorMessage.isEmpty()) why += QStringLiteral(" (") + fLastErrorMessage + ')';
        openingFailed(why);
        break;
      }
      // An open movie only ends this way when reading or decoding failed
      // (a movie that plays to its end stays open): it counts as ended.
      if (fOpen && end->playlist_entry_id == fOpenEntry &&
          end->reason == MPV_END_FILE_REASON_ERROR && !fEofReached) {
        qCWarning(zaroPlayback) << "playback stopped:" << mpv_error_string(end->error);
        reachedEnd();
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
          if (!fOpen) break;
          if (has && flag && !fEofReached) {
            reachedEnd();
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
      if (fOpeningEntry >= 0) openingFailed(QStringLiteral("the playback engine ended"));
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

void ZMpvBackEnd::report(std::function<void()> what) {
  QMetaObject::invokeMethod(
      this,
      [this, generation = fGeneration, what = std::move(what)] {
        if (generation == fGeneration) what();
      },
      Qt::QueuedConnection);
}

void ZMpvBackEnd::open(const QString &path) {
  close();
  fOpeningPath = path;
  auto fail = [&](const QString &why) {
    qCWarning(zaroPlayback).noquote() << "cannot open" << path << ":" << why;
    report([this, why] { emit openFailed(why); });
  };
  if (!fHandle) return fail(QStringLiteral("the playback engine is not available"));
  const QFileInfo file(path);
  if (!file.exists()) return fail(QStringLiteral("no such file"));
  if (!file.isFile()) return fail(QStringLiteral("not a regular file"));
  if (!file.isReadable()) return fail(QStringLiteral("permission denied"));

  fLastErrorMessage.clear();
  fTimePos = 0.0;
  fDuration = -1.0;
  fEofReached = false;
  setProperty("pause", QStringLiteral("yes"));
  fPaused = true;
  // mpv only takes the file into its playlist here and answers the new
  // entry's id; it reads the file on its own threads, and its file-loaded
  // or end-file event for that entry tells how it went.
  const QByteArray utf8 = file.absoluteFilePath().toUtf8();
  const char *command[] = {"loadfile", utf8.constData(), "replace", nullptr};
  mpv_node result{};
  const int rc = mpv_command_ret(fHandle, command, &result);
  if (rc < 0) return fail(QString::fromUtf8(mpv_error_string(rc)));
  qint64 entry = -1;
  if (result.format == MPV_FORMAT_NODE_MAP) {
    for (int i = 0; i < result.u.list->num; ++i)
      if (std::strcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
          result.u.list->values[i].format == MPV_FORMAT_INT64)
        entry = result.u.list->values[i].u.int64;
  }
  mpv_free_node_contents(&result);
  if (entry < 0) {
    const char *stop[] = {"stop", nullptr};
    mpv_command(fHandle, stop);
    return fail(QStringLiteral("the playback engine did not take the file"));
  }
  fOpeningEntry = entry;
  fOpenTimer.start();
}

void ZMpvBackEnd::openingFailed(const QString &why) {
  fOpenTimer.stop();
  fOpeningEntry = -1;
  qCWarning(zaroPlayback).noquote() << "cannot open" << fOpeningPath << ":" << why;
  report([this, why] { emit openFailed(why); });
}

void ZMpvBackEnd::openTimedOut() {
  if (fOpeningEntry < 0) return;
  const char *stop[] = {"stop", nullptr};
  if (fHandle) mpv_command(fHandle, stop);
  openingFailed(QStringLiteral("the file could not be read in time"));
}

void ZMpvBackEnd::reachedEnd() {
  // mpv pauses at the end of an open movie; the rate says so before the end.
  fEofReached = true;
  fPaused = true;
  updateRate();
  report([this] {
    if (fOpen && fEofReached) emit ended();
  });
}

void ZMpvBackEnd::close() {
  fScanTimer.stop();
  fScanRate = 0.0;
  fOpenTimer.stop();
  ++fGeneration;
  const bool wasOpening = fOpeningEntry >= 0;
  fOpeningEntry = -1;
  if (!fOpen && !wasOpening) return;
  fOpen = false;
  fOpenEntry = -1;
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
