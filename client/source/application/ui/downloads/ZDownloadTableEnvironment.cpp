#include "ZDownloadTableEnvironment.h"

#include "UserDefaults.h"
#include "ZDownloadDataSource.h"
#include "ZNowPlayingListDataSource.h"

ZDownloadTableEnvironment ZDownloadTableEnvironment::shared() {
  ZDownloadTableEnvironment environment;
  environment.queue = &ZDownloadDataSource::sharedDownloadDataSource();
  environment.defaults = &UserDefaults::standardUserDefaults();
  environment.nowPlaying = &ZNowPlayingListDataSource::sharedNowPlayingListDataSource();
  return environment;
}
