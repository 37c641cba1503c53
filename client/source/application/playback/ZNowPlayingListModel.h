#pragma once

#include "ZRowEditingModel.h"

#include <QAbstractListModel>
#include <QList>

class VideoDatabase;
class ZNowPlayingListDataSource;

// The now-playing list as a list model: the videos the player plays, in
// order, with the current one marked (CurrentRole), following the list row
// by row. Rows drag out as their video ids.
class ZNowPlayingListModel : public ZRowEditingModel<QAbstractListModel> {
  Q_OBJECT
 public:
  ZNowPlayingListModel(ZNowPlayingListDataSource &list, VideoDatabase &database,
                       QObject *parent = nullptr);
  ~ZNowPlayingListModel() override;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QHash<int, QByteArray> roleNames() const override;
  QStringList mimeTypes() const override;
  QMimeData *mimeData(const QModelIndexList &indexes) const override;
  Qt::DropActions supportedDragActions() const override;

 private:
  void videoRowsChanged(const ZRowEdits &edits);
  void currentVideoChanged(int previousIndex, int index);
  void videoUpdated(int videoId);

  ZNowPlayingListDataSource &fList;
  VideoDatabase &fDatabase;
  QList<int> fVideoIds;  // what the views were told
  int fCurrent = -1;
};
