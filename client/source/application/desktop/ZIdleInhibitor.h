#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

class ZOQTMovieController;

// Keeps the screensaver and idle suspend away while a movie plays, in the
// window or full screen, and lets them come back when it pauses or stops.
//
// It asks org.freedesktop.ScreenSaver (Inhibit / UnInhibit) on the session
// bus; where no program offers that, the desktop portal's Inhibit (idle and
// suspend) and the request's Close. Where neither is there, nothing is
// inhibited and that is written once. Calls never wait: an answer that
// comes after playback stopped is released at once.
class ZIdleInhibitor : public QObject {
  Q_OBJECT
 public:
  ZIdleInhibitor(ZOQTMovieController &controller, QDBusConnection bus, QObject *parent = nullptr);
  ~ZIdleInhibitor() override;

  // Whether an inhibition is held (its answer came) and wanted.
  bool inhibiting() const { return fWanted && (fCookie || !fPortalHandle.isEmpty()); }

  // Playback started or ended; what the controller's signals say.
  void setPlaying(bool playing);

 private:
  enum class Service { ScreenSaver, Portal, None };

  void request();
  void requestPortal();
  void release();
  void refused(const QString &errorName, const QString &message);

  QDBusConnection fBus;
  Service fService = Service::ScreenSaver;
  bool fWanted = false;
  bool fPending = false;
  std::optional<uint> fCookie;  // of org.freedesktop.ScreenSaver
  QString fPortalHandle;        // of the portal's request
};
