#pragma once

class VideoDatabase;
class ZLibraryBrowseListDataSource;
class ZNowPlayingListDataSource;
class ZPlaylistDataSource;
class ZServerRatingManager;
class ZSubscriptionManager;

// What the library view works with. The application gives it its shared
// instances; tests give it fresh ones over a temporary library. A view keeps
// a copy; everything named here must outlive the views.
struct ZLibraryViewEnvironment {
  VideoDatabase *database = nullptr;
  ZLibraryBrowseListDataSource *browseList = nullptr;
  ZPlaylistDataSource *playlists = nullptr;
  ZNowPlayingListDataSource *nowPlaying = nullptr;
  // Where ratings of service videos are reported; none: not reported.
  ZServerRatingManager *ratings = nullptr;
  // Subscribes and unsubscribes the groups' feeds; none: the commands do nothing.
  ZSubscriptionManager *subscriptions = nullptr;

  // The application's shared instances.
  static ZLibraryViewEnvironment shared();
};
