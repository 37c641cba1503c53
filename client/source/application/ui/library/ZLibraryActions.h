#pragma once

#include "ZLibraryViewEnvironment.h"

#include <QList>
#include <QPair>
#include <QString>

class ZLibraryBrowseListContainerItem;

// What the library's menus, buttons and keys do to a list of videos. The
// group headers, the video lists and the items view share these; each says
// which videos it means (a group's, the selected ones, one video).
class ZLibraryActions {
 public:
  explicit ZLibraryActions(const ZLibraryViewEnvironment &environment)
      : fEnvironment(environment) {}

  // The videos become the now-playing list (the first current) and
  // "ActionStartPlayingNewVideoList" is posted; nothing for no videos.
  void play(const QList<int> &videoIds) const;
  // The same, posting "ActionResumeVideoPlayback": the first video goes on
  // where it was left.
  void resume(const QList<int> &videoIds) const;

  void setSaved(const QList<int> &videoIds, bool saved) const;
  // Each video's saved state flips.
  void flipSaved(const QList<int> &videoIds) const;
  // Viewed now, or new again.
  void setViewed(const QList<int> &videoIds, bool viewed) const;
  // Posts "ActionFindOnZaro" / "ActionRevealVideosInFinder" with the ids.
  void findOnZaro(const QList<int> &videoIds) const;
  void revealInFinder(const QList<int> &videoIds) const;

  // Stores the rating and, for a video of the service (it has a
  // permalink), reports it. False when it could not be stored.
  bool rate(int videoId, int rating) const;

  // After the delete-video alert: the videos leave the library; their movie
  // and thumbnail files are removed too when the user ticked the alert's
  // delete-from-disk box, once their rows are gone. When the rows cannot be
  // deleted (a read-only library) every file stays and an alert says so.
  // Answers whether the user confirmed.
  bool removeFromLibrary(const QList<int> &videoIds) const;
  // After the delete dialog (asked once): every occurrence of each list's
  // videos leaves its playlist. Answers whether the user confirmed.
  using PlaylistVideos = QPair<int, QList<int>>;  // playlist id, video ids
  bool removeFromPlaylists(const QList<PlaylistVideos> &entries) const;

  // Subscribes to each group's "FeedUrl" / unsubscribes from each group's
  // "Url" (form-encoded in the library; empty ones are skipped).
  void subscribe(const QList<ZLibraryBrowseListContainerItem *> &groups) const;
  void unsubscribe(const QList<ZLibraryBrowseListContainerItem *> &groups) const;
  // Whether the group's feed is among the subscriptions.
  bool isSubscribed(const ZLibraryBrowseListContainerItem &group) const;
  // Group types that can be subscribed to: publishers, channels, series.
  static bool canSubscribe(int groupType) { return groupType == 1 || groupType == 3 || groupType == 7; }

  const ZLibraryViewEnvironment &environment() const { return fEnvironment; }

 private:
  ZLibraryViewEnvironment fEnvironment;
};
