#pragma once

#include "ZLibraryBrowseListItems.h"
#include "ZRowEditingModel.h"

#include <QAbstractItemModel>
#include <QList>

#include <memory>

class ZLibraryBrowseListDataSource;

// The library browse list as a tree model for the library views. Its top
// rows are the data source's rows in order: group rows (RowKindRole
// ContainerRow: title, expanded and selected state, counts) and videos rows
// (VideoListRow), which hold the videos of the group before them, or of the
// whole library when it is not grouped, as their children (VideoRow: title,
// id, thumbnail, selected state). Group rows have no children: expanding one
// inserts its videos row after it.
//
// The model follows the data source's typed signals: an expanded or
// collapsed group inserts or removes one row; a rebuild is compared with
// what the views were shown (rows by their group and type, videos by id),
// so that a new video is one inserted row, not a reset; a new sort order is a
// layout change; selection and video changes are dataChanged.
//
// Setting ExpandedRole on a group row expands or collapses it, SelectedRole
// on a group row or a video toggles its selection through the data source.
// Groups and videos drag out as their video ids.
class ZLibraryBrowseListModel : public ZRowEditingModel<QAbstractItemModel> {
  Q_OBJECT
 public:
  ZLibraryBrowseListModel(ZLibraryBrowseListDataSource &list, VideoDatabase &database,
                          QObject *parent = nullptr);

  QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex &child) const override;
  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role) override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QHash<int, QByteArray> roleNames() const override;
  QStringList mimeTypes() const override;
  QMimeData *mimeData(const QModelIndexList &indexes) const override;
  Qt::DropActions supportedDragActions() const override;

  // The data source's item behind an index (a group row, a videos row or a
  // video), or null.
  ZLibraryBrowseListItemPtr itemAt(const QModelIndex &index) const;

 private:
  struct Video {
    ZLibraryBrowseListVideoItemPtr item;
    bool selected = false;  // as the views were told
  };
  struct Row {
    ZLibraryBrowseListItemPtr item;
    QList<Video> videos;  // a videos row's videos, as the views were told
    bool selected = false;
    int row = 0;
  };
  using RowPtr = std::shared_ptr<Row>;

  static RowPtr makeRow(const ZLibraryBrowseListItemPtr &item);
  static QString keyOf(const ZLibraryBrowseListItemPtr &item);
  Row *rowOf(const QModelIndex &index) const;  // the top row of the index or of its parent
  void renumber();

  void rowsRebuilt();
  void rowInserted(int row);
  void rowRemoved(int row);
  void selectionChanged();
  void videosResorted();
  void videoChanged(int videoId);

  ZLibraryBrowseListDataSource &fList;
  VideoDatabase &fDatabase;
  QList<RowPtr> fRows;
};
