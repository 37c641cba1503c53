#pragma once

#include "VideoDatabase.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

#include <memory>
#include <optional>

class ZLibraryBrowseListContainerItem;
class ZLibraryBrowseListVideoListItem;
class ZLibraryBrowseListVideoItem;
class ZLibraryBrowseListSortKeys;

// What the library browse list is made of: group rows, videos rows and the
// videos inside them. Views hold them through shared pointers, so an item
// they still show outlives a rebuild of the list; the library database must
// outlive every item.
class ZLibraryBrowseListItem {
 public:
  virtual ~ZLibraryBrowseListItem() = default;
  virtual ZLibraryBrowseListContainerItem *asContainer() { return nullptr; }
  virtual ZLibraryBrowseListVideoListItem *asVideoList() { return nullptr; }
  virtual ZLibraryBrowseListVideoItem *asVideo() { return nullptr; }
};

using ZLibraryBrowseListItemPtr = std::shared_ptr<ZLibraryBrowseListItem>;
using ZLibraryBrowseListVideoItemPtr = std::shared_ptr<ZLibraryBrowseListVideoItem>;
using ZLibraryBrowseListVideoListItemPtr = std::shared_ptr<ZLibraryBrowseListVideoListItem>;
using ZLibraryBrowseListContainerItemPtr = std::shared_ptr<ZLibraryBrowseListContainerItem>;

// Name of the notification posted when an item's or the list's selection
// changed (object: the item, or the data source).
inline const QString LibraryViewItemSelectionChangedNotification =
    QStringLiteral("LibraryViewItemSelectionChanged");

// One video of a group or videos row. Everything it shows is read afresh
// through the library's video cache.
class ZLibraryBrowseListVideoItem : public ZLibraryBrowseListItem {
 public:
  ZLibraryBrowseListVideoItem(VideoDatabase &database, int videoId);
  ZLibraryBrowseListVideoItem *asVideo() override { return this; }

  int videoId() const { return fVideoId; }
  bool selected() const { return fSelected; }
  // Stores the flag and posts "LibraryViewItemSelectionChanged" (object: this
  // item) through the notification gate.
  void setSelected(bool selected);
  // Stores the flag and posts nothing.
  void setSelectedQuietly(bool selected) { fSelected = selected; }
  // The videos row showing this video; null while its group is collapsed.
  ZLibraryBrowseListVideoListItemPtr container() const { return fContainer.lock(); }
  void setContainer(const ZLibraryBrowseListVideoListItemPtr &list) { fContainer = list; }

  std::optional<VideoInfo> info() const;
  QString title() const;          // "TITLE"
  QString permalink() const;      // "VIDEO_PERMALINK"
  int rating() const;             // "RATING", 0 when absent
  QDateTime dateAdded() const;    // null when absent or unreadable
  QString publisherName() const;  // "" without a publisher
  bool viewed() const;            // "DATE_VIEWED" not empty
  bool saved() const;             // "VIDEO_SAVED" is "1"
  qint64 duration() const;        // "DURATION" in seconds, 0 when absent or unreadable

  VideoDatabase &database() const { return *fDatabase; }

 private:
  VideoDatabase *fDatabase;
  int fVideoId;
  bool fSelected = false;
  std::weak_ptr<ZLibraryBrowseListVideoListItem> fContainer;
};

// The sort keys of videos for one sort type, each read once (shared by the
// rows of one rebuild or re-sort, so that a video standing in many groups is
// read once).
class ZLibraryBrowseListSortKeys {
 public:
  struct Key {
    QString text;       // titles and publisher names, case-folded
    qint64 number = 0;  // dates added
  };

  ZLibraryBrowseListSortKeys(VideoDatabase &database, int sortType);
  int sortType() const { return fSortType; }
  const Key &keyFor(int videoId);
  // <0, 0 or >0 in ascending order.
  int compare(const Key &a, const Key &b) const;

  // The wall-clock time of a library date text as one ordered number
  // (yyyyMMddhhmmss); the smallest number when the text is not a date.
  static qint64 dateAddedKey(const QString &text);

 private:
  Key makeKey(int videoId);

  VideoDatabase &fDatabase;
  int fSortType;
  QHash<int, Key> fKeys;
  std::optional<QHash<int, QString>> fPublisherNames;
};

// How videos are ordered in a videos row. Sort type 1 compares the titles
// ignoring case, 3 the dates added (a missing date first), any other the
// publisher names ignoring case; descending swaps the operands. Dates compare
// as the wall-clock times the library stores.
struct ZLibraryBrowseListVideoSortContext {
  bool ascending = true;
  int sortType = 1;
};
// <0, 0 or >0 as a sorts before, with or after b.
int videoSort(const ZLibraryBrowseListVideoItem &a, const ZLibraryBrowseListVideoItem &b,
              const ZLibraryBrowseListVideoSortContext &context);

// A row holding the videos of one group (or, ungrouped, of the whole list).
class ZLibraryBrowseListVideoListItem : public ZLibraryBrowseListItem {
 public:
  // The row of these videos (initWithVideos:containerType:): except for
  // playlists (type 6) the videos are sorted by the current sort type and
  // order; each video gets the row as its container. keys may be shared by
  // the rows of one rebuild; null makes fresh ones.
  static ZLibraryBrowseListVideoListItemPtr create(
      const QList<ZLibraryBrowseListVideoItemPtr> &videos, int containerType,
      ZLibraryBrowseListSortKeys *keys = nullptr);
  ZLibraryBrowseListVideoListItem(const QList<ZLibraryBrowseListVideoItemPtr> &videos,
                                  int containerType);
  ~ZLibraryBrowseListVideoListItem() override;
  ZLibraryBrowseListVideoListItem *asVideoList() override { return this; }

  const QList<ZLibraryBrowseListVideoItemPtr> &videos() const { return fVideos; }
  int count() const { return int(fVideos.size()); }
  // The video at the index, or null outside the row.
  ZLibraryBrowseListVideoItemPtr videoAtIndex(int index) const;
  int containerType() const { return fContainerType; }
  // The group row of these videos; null for an ungrouped list.
  ZLibraryBrowseListContainerItemPtr container() const { return fContainer.lock(); }
  void setContainer(const ZLibraryBrowseListContainerItemPtr &container) { fContainer = container; }

  bool videoSelectedAtIndex(int index) const;
  // Out-of-range indexes are ignored.
  void setVideoSelected(bool selected, int index);
  void setSelectionForAllVideos(bool selected);
  bool allVideosSelected() const;
  bool hasVideoWithId(int videoId) const;
  bool hasItem(const ZLibraryBrowseListVideoItem *item) const;
  int numberOfSelectedItems() const;

  // Sorts again with the current sort settings; playlist rows keep their order.
  void sortVideos(ZLibraryBrowseListSortKeys *keys = nullptr);

 private:
  QList<ZLibraryBrowseListVideoItemPtr> fVideos;
  std::weak_ptr<ZLibraryBrowseListContainerItem> fContainer;
  int fContainerType;
};

// A group row: a publisher, category, playlist, date range ...
class ZLibraryBrowseListContainerItem : public ZLibraryBrowseListItem {
 public:
  // info: the group's database row, or a dictionary with just its title.
  ZLibraryBrowseListContainerItem(const SqlRow &info, int containerType,
                                  QList<ZLibraryBrowseListVideoItemPtr> videos = {});
  ZLibraryBrowseListContainerItem *asContainer() override { return this; }

  // The info as a dictionary (made for the call: the row keeps it compact).
  SqlRow info() const { return fInfo.toSqlRow(); }
  int type() const { return fContainerType; }
  // From the info by type: "Name" (1, 2, 3, 6, 7, 9), "TITLE" (4), "Title"
  // (8, 10), else "CHANNEL"; "" when missing. A publisher row without info
  // reads "libraryContainerItemNoBroadcasterTitle".
  QString title() const;

  const QList<ZLibraryBrowseListVideoItemPtr> &videoList() const { return fVideoList; }
  void appendVideo(const ZLibraryBrowseListVideoItemPtr &video) { fVideoList.append(video); }
  QList<int> videoIdList() const;
  // Videos not viewed yet.
  int countOfNewVideos() const;
  bool hasVideoWithId(int videoId) const;

  bool expanded() const { return fExpanded; }
  void setExpanded(bool expanded) { fExpanded = expanded; }
  bool selected() const { return fSelected; }
  // Stores the flag; a collapsed row gives its videos the same selection
  // (they post nothing). Posts "LibraryViewItemSelectionChanged" (object: this
  // row) directly on the notification centre.
  void setSelected(bool selected);

 private:
  // A large library has thousands of groups: their rows are kept over a
  // shared table of names rather than as one dictionary each.
  VideoInfo fInfo;
  QList<ZLibraryBrowseListVideoItemPtr> fVideoList;
  int fContainerType;
  bool fExpanded = false;
  bool fSelected = false;
};

Q_DECLARE_METATYPE(ZLibraryBrowseListVideoItem *)
Q_DECLARE_METATYPE(ZLibraryBrowseListContainerItem *)
