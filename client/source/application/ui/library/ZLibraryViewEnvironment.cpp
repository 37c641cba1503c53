#include "ZLibraryViewEnvironment.h"

#include "VideoDatabase.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZServerRatingManager.h"
#include "ZSubscriptionManager.h"

ZLibraryViewEnvironment ZLibraryViewEnvironment::shared() {
  ZLibraryViewEnvironment environment;
  environment.database = &VideoDatabase::defaultVideoDatabase();
  environment.playlists = &ZPlaylistDataSource::sharedPlaylistDataSource();
  environment.browseList = &ZLibraryBrowseListDataSource::defaultLibraryBrowseListDataSource();
  environment.nowPlaying = &ZNowPlayingListDataSource::sharedNowPlayingListDataSource();
  environment.ratings = &ZServerRatingManager::sharedRatingManager();
  environment.subscriptions = &ZSubscriptionManager::sharedSubscriptionManager();
  return environment;
}
