#pragma once

#include "ZDragTypes.h"
#include "ZPlaylistModels.h"

#include <QStyledItemDelegate>
#include <QWidget>

class QListView;
class QMenu;
class QAction;
class ZNowPlayingListDataSource;
class ZPlaylistDataSource;
class VideoDatabase;

// Draws one row: the thumbnail on its border, the title (cut to fit) and
// below it the description, in the skin's playlist colours and styles.
class ZNowPlayingListTableViewCell : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit ZNowPlayingListTableViewCell(ZPlaylistDataSource &playlists, QObject *parent = nullptr);
  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

 private:
  ZPlaylistDataSource &fPlaylists;
};

// The playback window's side list of the selected playlist's videos, with
// drag and drop, a context menu and double-click to play.
class ZNowPlayingListTableView : public QWidget {
  Q_OBJECT
 public:
  // The context menu's items, by tag.
  enum MenuTag { PlayTag = 1, ResumeTag = 2, FindOnZaroTag = 3, RevealTag = 4, RemoveTag = 5 };

  ZNowPlayingListTableView(ZPlaylistDataSource &playlists, ZNowPlayingListDataSource &nowPlaying,
                           VideoDatabase &database, QWidget *parent = nullptr);
  ~ZNowPlayingListTableView() override;

  // The ids of the selected rows, in row order.
  QList<int> selectedVideoIds() const;
  QList<int> selectedRows() const;
  void selectRows(const QList<int> &rows);

  void playVideo();
  void resumeVideoPlayback();
  void findOnZaro();
  void revealInFinder();
  void remove();
  bool validateMenuItem(int tag) const;

  QListView *tableView() const { return fTableView; }
  QMenu *menu() const { return fTableViewMenu; }
  QAction *menuItem(int tag) const;
  // The rows: the selected playlist's videos.
  ZPlaylistVideosModel *model() const { return fModel; }

 private:
  void selectionChanged();

  ZPlaylistDataSource &fPlaylists;
  ZNowPlayingListDataSource &fNowPlaying;
  VideoDatabase &fDatabase;
  QListView *fTableView = nullptr;
  QMenu *fTableViewMenu = nullptr;
  ZPlaylistVideosModel *fModel = nullptr;
};
