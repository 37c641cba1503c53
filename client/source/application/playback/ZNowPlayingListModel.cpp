#include "ZNowPlayingListModel.h"

#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "ZDragTypes.h"
#include "ZModelRoles.h"
#include "ZNowPlayingListDataSource.h"

#include <QMimeData>

using namespace ZModelRoles;

ZNowPlayingListModel::ZNowPlayingListModel(ZNowPlayingListDataSource &list, VideoDatabase &database,
                                           QObject *parent)
    : ZRowEditingModel(parent), fList(list), fDatabase(database) {
  for (int i = 0; i < fList.count(); ++i) fVideoIds.append(*fList.videoIdAtIndex(i));
  fCurrent = fList.indexOfCurrentlyPlayingVideo();
  connect(&fList, &ZNowPlayingListDataSource::videoRowsChanged, this,
          &ZNowPlayingListModel::videoRowsChanged);
  connect(&fList, &ZNowPlayingListDataSource::currentVideoChanged, this,
          &ZNowPlayingListModel::currentVideoChanged);
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("VideoDatabase_VideoUpdated"),
      [this](const Notification &note) { videoUpdated(note.object.toInt()); });
}

ZNowPlayingListModel::~ZNowPlayingListModel() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

int ZNowPlayingListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(fVideoIds.size());
}

QVariant ZNowPlayingListModel::data(const QModelIndex &index, int role) const {
  if (!hasRow(index)) return QVariant();
  if (role == CurrentRole) return index.row() == fCurrent;
  const int id = fVideoIds.at(index.row());
  return videoData(fDatabase.getVideoInfo(id), id, role);
}

Qt::ItemFlags ZNowPlayingListModel::flags(const QModelIndex &index) const {
  if (!hasRow(index)) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
         Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> ZNowPlayingListModel::roleNames() const { return ZModelRoles::roleNames(); }

QStringList ZNowPlayingListModel::mimeTypes() const { return {ZDragTypes::videoIds()}; }

QMimeData *ZNowPlayingListModel::mimeData(const QModelIndexList &indexes) const {
  QList<int> ids;
  for (const QModelIndex &index : indexes)
    if (hasRow(index)) ids.append(fVideoIds.at(index.row()));
  auto *data = new QMimeData;
  data->setData(ZDragTypes::videoIds(), ZDragTypes::encode(ids));
  return data;
}

Qt::DropActions ZNowPlayingListModel::supportedDragActions() const { return Qt::CopyAction; }

void ZNowPlayingListModel::videoRowsChanged(const ZRowEdits &edits) {
  QList<int> after;
  for (int i = 0; i < fList.count(); ++i) after.append(*fList.videoIdAtIndex(i));
  replayRowEdits(QModelIndex(), fVideoIds, edits, after, [](int id) { return id; });
}

void ZNowPlayingListModel::currentVideoChanged(int previousIndex, int index) {
  // The list has its new rows by now; the mark moves from one to the other.
  fCurrent = index;
  for (const int row : {previousIndex, index})
    if (row >= 0 && row < fVideoIds.size())
      emit dataChanged(this->index(row), this->index(row), {CurrentRole});
}

void ZNowPlayingListModel::videoUpdated(int videoId) {
  announceChangedRows(QModelIndex(), int(fVideoIds.size()),
                      [&](int row) { return fVideoIds.at(row) == videoId; });
}
