#include "ZDownloadTableEnvironment.h"

#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZNowPlayingListDataSource.h"

ZDownloadTableEnvironment ZDownloadTableEnvironment::shared() {
  ZDownloadTableEnvironment environment;
  environment.queue = &ZDownloadDataSource::sharedDownloadDataSource();
  environment.defaults = &UserDefaults::standardUserDefaults();
  environment.nowPlaying = &ZNowPlayingListDataSource::sharedNowPlayingListDataSource();
  environment.library = &VideoDatabase::defaultVideoDatabase();
  return environment;
}
