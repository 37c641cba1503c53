#pragma once

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <QWidget>

class QListView;
class QMenu;
class QAction;
class ZNowPlayingListDataSource;
class ZPlaylistDataSource;
class VideoDatabase;

// What dragged videos and rows carry: the bundle identifier followed by
// ".dragType.VideoId" (video ids from the library) or
// ".dragType.NowPlayingListRows" (rows of this list), each with a JSON array
// of integers as data. Dragged rows carry their video ids as well: only the
// table they come from moves them as rows; any other list takes the videos.
namespace ZDragTypes {
QString videoIds();
QString nowPlayingListRows();
QByteArray encode(const QList<int> &values);
QList<int> decode(const QByteArray &data);
}  // namespace ZDragTypes

// The rows of the side list: the selected playlist's videos, their titles as
// values; drops move the list's own rows or insert dragged library videos.
class ZNowPlayingListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit ZNowPlayingListModel(ZPlaylistDataSource &playlists, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QStringList mimeTypes() const override;
  QMimeData *mimeData(const QModelIndexList &indexes) const override;
  Qt::DropActions supportedDropActions() const override;
  Qt::DropActions supportedDragActions() const override;
  bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                    const QModelIndex &parent) override;

  void reload();
  ZPlaylistDataSource &playlists() const { return fPlaylists; }

 private:
  ZPlaylistDataSource &fPlaylists;
};

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
  ZNowPlayingListModel *model() const { return fModel; }

 private:
  void selectionChanged();

  ZPlaylistDataSource &fPlaylists;
  ZNowPlayingListDataSource &fNowPlaying;
  VideoDatabase &fDatabase;
  QListView *fTableView = nullptr;
  QMenu *fTableViewMenu = nullptr;
  ZNowPlayingListModel *fModel = nullptr;
};
