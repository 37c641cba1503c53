#include "ZDesktopIntegration.h"

#include "ApplicationDelegate.h"
#include "MainWindow.h"
#include "MainWindowController.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadNotifier.h"
#include "ZIdleInhibitor.h"
#include "ZMprisService.h"
#include "ZNowPlayingListDataSource.h"
#include "ZOQTMovieController.h"
#include "ZSessionBus.h"
#include "ZStatusIcon.h"
#include "ZWindowCloseHandler.h"

#include <QWidget>

ZDesktopIntegration::ZDesktopIntegration(ApplicationDelegate &delegate,
                                         std::function<void(int videoId)> playVideo,
                                         QObject *parent)
    : QObject(parent) {
  ZOQTMovieController &controller = ZOQTMovieController::sharedMovieController();
  const auto showWindow = [&delegate] { delegate.openZaroPlayer(); };
  const auto quit = [&delegate] { return delegate.quit(); };

  if (const auto bus = ZSessionBus::connection()) {
    fMpris = std::make_unique<ZMprisService>(
        controller, ZNowPlayingListDataSource::sharedNowPlayingListDataSource(),
        VideoDatabase::defaultVideoDatabase(), UserDefaults::standardUserDefaults(),
        ZMprisService::Hooks{showWindow, [quit] { quit(); }});
    fMpris->registerOn(*bus);
    fInhibitor = std::make_unique<ZIdleInhibitor>(controller, *bus);
    fNotifier = std::make_unique<ZDownloadNotifier>(
        VideoDatabase::defaultVideoDatabase(),
        ZDownloadNotifier::Hooks{std::move(playVideo), showWindow}, *bus);
    connect(&delegate, &ApplicationDelegate::newVideoAnnounced, fNotifier.get(),
            &ZDownloadNotifier::videoDownloaded);
  }

  fStatusIcon = std::make_unique<ZStatusIcon>(ZDownloadDataSource::sharedDownloadDataSource(),
                                              ZStatusIcon::Hooks{showWindow, [quit] { quit(); }});
  QWidget *window = delegate.mainWindowController()->window();
  fCloseHandler = std::make_unique<ZWindowCloseHandler>(*window, *fStatusIcon,
                                                        ZWindowCloseHandler::Hooks{quit, {}});
}

ZDesktopIntegration::~ZDesktopIntegration() = default;
