#pragma once

#include "VideoDatabase.h"
#include "ZLibraryBrowseListItems.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QString>

#include <optional>

class ZPlaylistDataSource;

// The library as one flat list of rows for the library views: group rows (a
// publisher, a category, a playlist, a date range ...) each followed, when
// expanded, by the row of its videos; or, ungrouped, one row of all (or all
// new) videos. The list is built for the browse mode the user picked
// ("LibraryBrowseBy"), filtered by the title text of the search field, and
// rebuilt from scratch whenever the library reports a change; after a
// rebuild every group is expanded and nothing is selected.
//
// Browse modes: 0 all videos, 1 publisher, 2 category, 3 channel, 4 date
// added, 5 new videos, 6 playlist, 7 series, 8 subscription, 9 tag,
// 10 videocast. Videocasts are the service's feeds the user subscribed to,
// so mode 10 shows the same groups as mode 8 (one per subscribed feed, with
// its downloaded videos) under its own sort settings. Any other mode shows
// no rows and is not stored.
//
// Besides the named notifications, typed signals say what changed, for the
// item model of the views (ZLibraryBrowseListModel).
class ZLibraryBrowseListDataSource : public QObject {
  Q_OBJECT
 public:
  // Posted through the gate after every rebuild (object: the mode as int).
  static const QString DataReloadedNotification;    // "LibraryViewDataReloaded"
  static const QString ItemExpandedNotification;    // "LibraryViewItemExpanded"
  static const QString ItemCollapsedNotification;   // "LibraryViewItemCollapsed"
  static const QString SortingChangedNotification;  // "LibraryViewSortingChanged"

  // The process-wide list over the default database and playlist model.
  static ZLibraryBrowseListDataSource &defaultLibraryBrowseListDataSource();

  ZLibraryBrowseListDataSource(VideoDatabase &database, ZPlaylistDataSource &playlists);
  ~ZLibraryBrowseListDataSource();
  ZLibraryBrowseListDataSource(const ZLibraryBrowseListDataSource &) = delete;
  ZLibraryBrowseListDataSource &operator=(const ZLibraryBrowseListDataSource &) = delete;

  // ---- building ---------------------------------------------------------------

  // Rebuilds the list for the mode (stored under "LibraryBrowseBy"); nothing
  // happens when it is the current mode, unless forced. Posts
  // "LibraryViewDataReloaded" (the mode) and "LibraryViewItemSelectionChanged"
  // (this list) through the gate.
  void reloadForBrowsingBy(int browseBy, bool force = false);
  // The search text (titles containing it, ignoring case) and its type
  // (kept, not used); rebuilds the current mode.
  void setTextFilter(const QString &text, int type);
  QString textFilter() const { return fTextFilter; }
  int textFilterType() const { return fTextFilterType; }
  // The current mode; -1 before the first build.
  int browsingBy() const { return fBrowseBy; }

  // ---- rows -------------------------------------------------------------------

  int count() const { return int(fObjects.size()); }
  // The row at the index, or null outside the list.
  ZLibraryBrowseListItemPtr objectAtIndex(int index) const;
  const QList<ZLibraryBrowseListItemPtr> &objects() const { return fObjects; }
  // True when some group row of the rows bears exactly that title
  // (list:hasContainerWithName:).
  static bool list(const QList<ZLibraryBrowseListItemPtr> &rows, const QString &name);
  // The video's title contains the filter text, ignoring case.
  bool includeVideo(int videoId) const;

  // ---- expansion -------------------------------------------------------------------

  // Opens a collapsed group row: the row of its videos follows it (all
  // selected when the group is). Posts "LibraryViewItemExpanded" (object: the
  // group row) through the gate.
  void expandItem(ZLibraryBrowseListContainerItem *container);
  // Closes an expanded group row. Posts "LibraryViewItemCollapsed".
  void collapseItem(ZLibraryBrowseListContainerItem *container);
  void expandAllContainers();
  void collapseAllContainers();
  QList<ZLibraryBrowseListContainerItemPtr> expandedItems() const;

  // ---- selection ---------------------------------------------------------------------
  // Every operation that changes the selection posts
  // "LibraryViewItemSelectionChanged" (object: this list) through the gate
  // when it is done; the items' own posts during it are held back, except
  // those of group rows.

  QList<ZLibraryBrowseListContainerItemPtr> selectedContainers() const;
  // The selected group rows and the selected videos of every videos row, in
  // row order.
  QList<ZLibraryBrowseListItemPtr> selectedItems() const;
  // The ids of the selected videos of every videos row, plus all videos of
  // each selected group row that is collapsed.
  QList<int> selectedVideos() const;
  // The ids of the selected videos, each group's once, in display order.
  QList<int> selectedVideoIds() const;
  // Selected group rows plus selected videos of the videos rows.
  int numberOfSelectedItems() const;

  // Flips one video; its group row becomes selected exactly when all the
  // row's videos are.
  void toggleVideoSelectionAtIndex(int index, ZLibraryBrowseListVideoListItem *list);
  // Selects one video (alone unless extend); its group row is selected when
  // all the row's videos are.
  void selectVideoAtIndex(int index, ZLibraryBrowseListVideoListItem *list, bool extend);
  // Flips a group row and gives all its videos the new state.
  void toggleContainerSelection(ZLibraryBrowseListContainerItem *container);
  // Selects a group row and its videos alone.
  void selectContainer(ZLibraryBrowseListContainerItem *container);
  void unselectAll();

 signals:
  // The rows were made anew (a rebuild, every group expanded at once): any
  // row may differ; rows that look the same are new objects.
  void rowsRebuilt();
  // A videos row was inserted at, or removed from, that row (a group
  // expanded or collapsed).
  void rowInserted(int row);
  void rowRemoved(int row);
  // Some group's or video's selection changed.
  void selectionChanged();
  // The videos of every videos row were sorted again.
  void videosResorted();
  // A video's row in the library changed (its title, marks ...).
  void videoChanged(int videoId);

 private:
  struct Build;

  void rebuild(int browseBy);
  void buildAllVideos(Build &build, int browseBy);
  void buildDateAdded(Build &build);
  // The videos (optionally only those never viewed) by date added, newest
  // first, comparing the stored texts as SQLite does (ignoring ASCII case).
  // Answers the ids with their date texts.
  QList<QPair<int, QString>> videosByDateAdded(const QList<int> &videoIds, bool ignoringCase,
                                               bool newOnly);
  void buildGroups(Build &build, int browseBy);
  void buildPlaylists(Build &build);
  void buildSubscriptions(Build &build, int browseBy);
  void expandAll(ZLibraryBrowseListSortKeys *keys);

  int rowOf(const ZLibraryBrowseListItem *item) const;
  void clearSelection();
  void selectAllOf(ZLibraryBrowseListContainerItem *container, bool selected);
  void postSelectionChanged();
  void resortVideos();
  void videoUpdated(int videoId);

  VideoDatabase &fDatabase;
  ZPlaylistDataSource &fPlaylists;
  QList<ZLibraryBrowseListItemPtr> fObjects;
  int fBrowseBy = -1;
  QString fTextFilter;
  // The filter's bytes in lower case when it is all ASCII.
  std::optional<QByteArray> fAsciiFilter;
  int fTextFilterType = 0;
};

Q_DECLARE_METATYPE(ZLibraryBrowseListDataSource *)
