#pragma once

#include "ZRowEditingModel.h"

#include <QAbstractListModel>
#include <QList>

class ZPlaylistDataSource;

// The user's playlists as a list model for the playlist pane and pop-ups: one
// row per playlist in the data source's order, its name as display text. It
// follows the data source's typed signals row by row. Setting a row's
// SelectedRole to true selects that playlist; editing the selected row's
// name renames it (by the data source's renaming rule).
class ZPlaylistListModel : public ZRowEditingModel<QAbstractListModel> {
  Q_OBJECT
 public:
  explicit ZPlaylistListModel(ZPlaylistDataSource &playlists, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role) override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QHash<int, QByteArray> roleNames() const override;

 private:
  struct Row {
    int id = -1;
    QString name;
  };
  void playlistRowsChanged(const ZRowEdits &edits);
  void selectedPlaylistChanged(int previousIndex, int index);
  bool isSelected(int row) const;

  ZPlaylistDataSource &fPlaylists;
  QList<Row> fRows;  // what the views were told
};

// The selected playlist's videos as a list model (the now-playing side list
// shows it): title, id, thumbnail and description of each entry, in playlist
// order, following the data source row by row. Rows drag out as the rows'
// indexes (for this list) and their video ids (for any other); drops move
// rows or insert videos through the data source, which writes the playlist.
class ZPlaylistVideosModel : public ZRowEditingModel<QAbstractListModel> {
  Q_OBJECT
 public:
  explicit ZPlaylistVideosModel(ZPlaylistDataSource &playlists, QObject *parent = nullptr);
  ~ZPlaylistVideosModel() override;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QHash<int, QByteArray> roleNames() const override;
  QStringList mimeTypes() const override;
  QMimeData *mimeData(const QModelIndexList &indexes) const override;
  Qt::DropActions supportedDropActions() const override;
  Qt::DropActions supportedDragActions() const override;
  // A drop of rows (".dragType.NowPlayingListRows") moves them; a drop of
  // video ids (".dragType.VideoId") inserts them at the row (at the end when
  // row is -1). Which of the two a drop is allowed to be is the view's
  // business (only its own rows may move).
  bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                    const QModelIndex &parent) override;

  ZPlaylistDataSource &playlists() const { return fPlaylists; }

 private:
  void videoRowsChanged(const ZRowEdits &edits);
  void videoUpdated(int videoId);

  ZPlaylistDataSource &fPlaylists;
  QList<int> fVideoIds;  // what the views were told
};
