#include "ZPlaylistModels.h"

#include "NotificationCenter.h"
#include "StringExtensions.h"
#include "ZDragTypes.h"
#include "ZModelRoles.h"
#include "ZPlaylistDataSource.h"

#include <QMimeData>

#include <algorithm>

using namespace ZModelRoles;

namespace {

int playlistId(const SqlRow &row) {
  return int(integerNumber(row.value(QStringLiteral("id"))).value_or(0));
}

}  // namespace

// ---- the playlists ------------------------------------------------------------------

ZPlaylistListModel::ZPlaylistListModel(ZPlaylistDataSource &playlists, QObject *parent)
    : ZRowEditingModel(parent), fPlaylists(playlists) {
  for (const SqlRow &row : fPlaylists.playlists())
    fRows.append({playlistId(row), row.value(QStringLiteral("Name"))});
  connect(&fPlaylists, &ZPlaylistDataSource::playlistRowsChanged, this,
          &ZPlaylistListModel::playlistRowsChanged);
  connect(&fPlaylists, &ZPlaylistDataSource::selectedPlaylistChanged, this,
          &ZPlaylistListModel::selectedPlaylistChanged);
}

int ZPlaylistListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(fRows.size());
}

bool ZPlaylistListModel::isSelected(int row) const {
  return fRows.at(row).id == fPlaylists.selectedPlaylistId() && fRows.at(row).id != -1;
}

QVariant ZPlaylistListModel::data(const QModelIndex &index, int role) const {
  if (!hasRow(index)) return QVariant();
  const Row &row = fRows.at(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
      return row.name;
    case RowKindRole:
      return int(PlaylistRow);
    case PlaylistIdRole:
      return row.id;
    case SelectedRole:
      return isSelected(index.row());
    default:
      return QVariant();
  }
}

bool ZPlaylistListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (!hasRow(index)) return false;
  if (role == SelectedRole && value.toBool()) {
    fPlaylists.selectPlaylistWithId(fRows.at(index.row()).id);
    return isSelected(index.row());
  }
  if (role == Qt::EditRole && isSelected(index.row())) {
    // The data source renames and reloads; the rows follow its signals.
    fPlaylists.renameSelectedPlaylist(value.toString());
    return true;
  }
  return false;
}

Qt::ItemFlags ZPlaylistListModel::flags(const QModelIndex &index) const {
  if (!hasRow(index)) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (isSelected(index.row())) flags |= Qt::ItemIsEditable;
  return flags;
}

QHash<int, QByteArray> ZPlaylistListModel::roleNames() const { return ZModelRoles::roleNames(); }

void ZPlaylistListModel::playlistRowsChanged(const ZRowEdits &edits) {
  const SqlRows after = fPlaylists.playlists();
  replayRowEdits(QModelIndex(), fRows, edits, after, [](const SqlRow &row) {
    return Row{playlistId(row), row.value(QStringLiteral("Name"))};
  });
  // Rows that kept their place may bear a new name.
  announceChangedRows(QModelIndex(), int(fRows.size()), [&](int row) {
    return fRows.at(row).name != after.at(row).value(QStringLiteral("Name"));
  });
  for (qsizetype i = 0; i < fRows.size(); ++i)
    fRows[i].name = after.at(i).value(QStringLiteral("Name"));
}

void ZPlaylistListModel::selectedPlaylistChanged(int previousIndex, int index) {
  for (const int row : {previousIndex, index})
    if (row >= 0 && row < fRows.size()) emit dataChanged(this->index(row), this->index(row));
}

// ---- the selected playlist's videos ------------------------------------------------------

ZPlaylistVideosModel::ZPlaylistVideosModel(ZPlaylistDataSource &playlists, QObject *parent)
    : ZRowEditingModel(parent),
      fPlaylists(playlists),
      fVideoIds(playlists.videosForSelectedPlaylist()) {
  connect(&fPlaylists, &ZPlaylistDataSource::videoRowsChanged, this,
          &ZPlaylistVideosModel::videoRowsChanged);
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("VideoDatabase_VideoUpdated"),
      [this](const Notification &note) { videoUpdated(note.object.toInt()); });
}

ZPlaylistVideosModel::~ZPlaylistVideosModel() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

int ZPlaylistVideosModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(fVideoIds.size());
}

QVariant ZPlaylistVideosModel::data(const QModelIndex &index, int role) const {
  if (!hasRow(index)) return QVariant();
  const int id = fVideoIds.at(index.row());
  return videoData(fPlaylists.database().getVideoInfo(id), id, role);
}

Qt::ItemFlags ZPlaylistVideosModel::flags(const QModelIndex &index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled |
         Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> ZPlaylistVideosModel::roleNames() const { return ZModelRoles::roleNames(); }

QStringList ZPlaylistVideosModel::mimeTypes() const {
  return {ZDragTypes::videoIds(), ZDragTypes::nowPlayingListRows()};
}

QMimeData *ZPlaylistVideosModel::mimeData(const QModelIndexList &indexes) const {
  QList<int> rows;
  for (const QModelIndex &index : indexes)
    if (hasRow(index)) rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  // The rows for this list, their videos for any other one.
  QList<int> videoIds;
  for (const int row : rows) videoIds.append(fVideoIds.at(row));
  auto *data = new QMimeData;
  data->setData(ZDragTypes::nowPlayingListRows(), ZDragTypes::encode(rows));
  data->setData(ZDragTypes::videoIds(), ZDragTypes::encode(videoIds));
  return data;
}

Qt::DropActions ZPlaylistVideosModel::supportedDropActions() const {
  return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions ZPlaylistVideosModel::supportedDragActions() const { return Qt::CopyAction; }

bool ZPlaylistVideosModel::dropMimeData(const QMimeData *data, Qt::DropAction, int row, int,
                                        const QModelIndex &parent) {
  if (!data) return false;
  if (row < 0) row = parent.isValid() ? parent.row() : rowCount();
  // The playlist model writes the change; its signals bring the rows along.
  if (data->hasFormat(ZDragTypes::nowPlayingListRows())) {
    fPlaylists.moveIndices(ZDragTypes::decode(data->data(ZDragTypes::nowPlayingListRows())), row);
    return true;
  }
  if (data->hasFormat(ZDragTypes::videoIds())) {
    fPlaylists.addVideoIds(ZDragTypes::decode(data->data(ZDragTypes::videoIds())), row);
    return true;
  }
  return false;
}

void ZPlaylistVideosModel::videoRowsChanged(const ZRowEdits &edits) {
  replayRowEdits(QModelIndex(), fVideoIds, edits, fPlaylists.videosForSelectedPlaylist(),
                 [](int id) { return id; });
}

void ZPlaylistVideosModel::videoUpdated(int videoId) {
  announceChangedRows(QModelIndex(), int(fVideoIds.size()),
                      [&](int row) { return fVideoIds.at(row) == videoId; });
}
