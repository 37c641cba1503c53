#pragma once

#include <QObject>

#include <functional>
#include <memory>

class ApplicationDelegate;
class ZDownloadNotifier;
class ZIdleInhibitor;
class ZMprisService;
class ZStatusIcon;
class ZWindowCloseHandler;

// The player's place on the desktop, set up once the start-up sequence has
// run: the media controls on the session bus, the notification of a
// finished download, the screensaver held off while a movie plays, and the
// status icon with what closing the main window does. Each part works
// without the others; a session without a bus has only the status icon.
class ZDesktopIntegration : public QObject {
  Q_OBJECT
 public:
  // playVideo plays one library video (the notification's "Play").
  ZDesktopIntegration(ApplicationDelegate &delegate, std::function<void(int videoId)> playVideo,
                      QObject *parent = nullptr);
  ~ZDesktopIntegration() override;

  ZMprisService *mediaControls() const { return fMpris.get(); }
  ZStatusIcon *statusIcon() const { return fStatusIcon.get(); }

 private:
  std::unique_ptr<ZMprisService> fMpris;
  std::unique_ptr<ZIdleInhibitor> fInhibitor;
  std::unique_ptr<ZDownloadNotifier> fNotifier;
  std::unique_ptr<ZStatusIcon> fStatusIcon;
  std::unique_ptr<ZWindowCloseHandler> fCloseHandler;
};
