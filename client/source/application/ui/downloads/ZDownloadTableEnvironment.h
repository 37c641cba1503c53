#pragma once

class Dialogs;
class UserDefaults;
class VideoDatabase;
class ZDownloadDataSource;
class ZNowPlayingListDataSource;

// What the downloads page works with: the queue it shows, the settings that
// say whether stopping asks first, the dialogs that ask, the now-playing
// list a finished download's play button fills and the library that says
// whether the finished download's video is still there to play. The application gives its
// shared instances; tests give their own. Everything named here must outlive
// the page.
struct ZDownloadTableEnvironment {
  ZDownloadDataSource *queue = nullptr;
  UserDefaults *defaults = nullptr;
  Dialogs *dialogs = nullptr;  // none: the installed dialogs (Dialogs::shared())
  ZNowPlayingListDataSource *nowPlaying = nullptr;
  VideoDatabase *library = nullptr;  // none: nothing finished is offered to play

  // The application's shared instances.
  static ZDownloadTableEnvironment shared();
};
