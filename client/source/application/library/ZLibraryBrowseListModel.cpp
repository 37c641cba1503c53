#include "ZLibraryBrowseListModel.h"

#include "ZDragTypes.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZModelRoles.h"

#include <QMimeData>
#include <QSet>

using namespace ZModelRoles;

namespace {

QList<int> videoIds(const QList<ZLibraryBrowseListVideoItemPtr> &videos) {
  QList<int> ids;
  ids.reserve(videos.size());
  for (const auto &video : videos) ids.append(video->videoId());
  return ids;
}

}  // namespace

ZLibraryBrowseListModel::ZLibraryBrowseListModel(ZLibraryBrowseListDataSource &list,
                                                 VideoDatabase &database, QObject *parent)
    : ZRowEditingModel(parent), fList(list), fDatabase(database) {
  for (const auto &item : fList.objects()) fRows.append(makeRow(item));
  renumber();
  connect(&fList, &ZLibraryBrowseListDataSource::rowsRebuilt, this,
          &ZLibraryBrowseListModel::rowsRebuilt);
  connect(&fList, &ZLibraryBrowseListDataSource::rowInserted, this,
          &ZLibraryBrowseListModel::rowInserted);
  connect(&fList, &ZLibraryBrowseListDataSource::rowRemoved, this,
          &ZLibraryBrowseListModel::rowRemoved);
  connect(&fList, &ZLibraryBrowseListDataSource::selectionChanged, this,
          &ZLibraryBrowseListModel::selectionChanged);
  connect(&fList, &ZLibraryBrowseListDataSource::videosResorted, this,
          &ZLibraryBrowseListModel::videosResorted);
  connect(&fList, &ZLibraryBrowseListDataSource::videoChanged, this,
          &ZLibraryBrowseListModel::videoChanged);
}

ZLibraryBrowseListModel::RowPtr ZLibraryBrowseListModel::makeRow(
    const ZLibraryBrowseListItemPtr &item) {
  auto row = std::make_shared<Row>();
  row->item = item;
  if (ZLibraryBrowseListContainerItem *container = item->asContainer())
    row->selected = container->selected();
  if (ZLibraryBrowseListVideoListItem *videos = item->asVideoList()) {
    row->videos.reserve(videos->count());
    for (const auto &video : videos->videos()) row->videos.append({video, video->selected()});
  }
  return row;
}

// What makes two rows of two builds the same row for the views: the kind,
// the browse mode that made it and its group's title.
QString ZLibraryBrowseListModel::keyOf(const ZLibraryBrowseListItemPtr &item) {
  if (ZLibraryBrowseListContainerItem *container = item->asContainer())
    return QStringLiteral("c%1|").arg(container->type()) + container->title();
  if (ZLibraryBrowseListVideoListItem *videos = item->asVideoList()) {
    const auto group = videos->container();
    return QStringLiteral("v%1|").arg(videos->containerType()) +
           (group ? group->title() : QString());
  }
  return QString();
}

void ZLibraryBrowseListModel::renumber() {
  for (qsizetype i = 0; i < fRows.size(); ++i) fRows[i]->row = int(i);
}

// ---- the tree ---------------------------------------------------------------------------

ZLibraryBrowseListModel::Row *ZLibraryBrowseListModel::rowOf(const QModelIndex &index) const {
  if (!index.isValid()) return nullptr;
  if (auto *parentRow = static_cast<Row *>(index.internalPointer())) return parentRow;
  return index.row() < fRows.size() ? fRows.at(index.row()).get() : nullptr;
}

QModelIndex ZLibraryBrowseListModel::index(int row, int column, const QModelIndex &parent) const {
  if (column != 0 || row < 0) return QModelIndex();
  if (!parent.isValid()) return row < fRows.size() ? createIndex(row, 0, nullptr) : QModelIndex();
  if (parent.internalPointer() || parent.column() != 0) return QModelIndex();
  Row *top = fRows.value(parent.row()).get();
  if (!top || row >= top->videos.size()) return QModelIndex();
  return createIndex(row, 0, top);
}

QModelIndex ZLibraryBrowseListModel::parent(const QModelIndex &child) const {
  if (!child.isValid() || !child.internalPointer()) return QModelIndex();
  return createIndex(static_cast<Row *>(child.internalPointer())->row, 0, nullptr);
}

int ZLibraryBrowseListModel::rowCount(const QModelIndex &parent) const {
  if (!parent.isValid()) return int(fRows.size());
  if (parent.column() != 0 || parent.internalPointer()) return 0;
  const Row *top = fRows.value(parent.row()).get();
  return top ? int(top->videos.size()) : 0;
}

int ZLibraryBrowseListModel::columnCount(const QModelIndex &) const { return 1; }

ZLibraryBrowseListItemPtr ZLibraryBrowseListModel::itemAt(const QModelIndex &index) const {
  if (!hasRow(index)) return nullptr;
  if (auto *top = static_cast<Row *>(index.internalPointer()))
    return top->videos.at(index.row()).item;
  return fRows.at(index.row())->item;
}

QVariant ZLibraryBrowseListModel::data(const QModelIndex &index, int role) const {
  const ZLibraryBrowseListItemPtr item = itemAt(index);
  if (!item) return QVariant();
  if (ZLibraryBrowseListVideoItem *video = item->asVideo()) {
    if (role == SelectedRole) return video->selected();
    return videoData(fDatabase.getVideoInfo(video->videoId()), video->videoId(), role);
  }
  if (ZLibraryBrowseListContainerItem *container = item->asContainer()) {
    switch (role) {
      case Qt::DisplayRole:
      case Qt::ToolTipRole:
      case Qt::AccessibleTextRole:
        return container->title();
      case RowKindRole:
        return int(ContainerRow);
      case VideoIdRole:
        return -1;
      case SelectedRole:
        return container->selected();
      case ExpandedRole:
        return container->expanded();
      case ContainerTypeRole:
        return container->type();
      case VideoCountRole:
        return int(container->videoList().size());
      case NewVideoCountRole:
        return container->countOfNewVideos();
      default:
        return QVariant();
    }
  }
  ZLibraryBrowseListVideoListItem *videos = item->asVideoList();
  switch (role) {
    case RowKindRole:
      return int(VideoListRow);
    case VideoIdRole:
      return -1;
    case ContainerTypeRole:
      return videos->containerType();
    case VideoCountRole:
      return videos->count();
    default:
      return QVariant();
  }
}

bool ZLibraryBrowseListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  const ZLibraryBrowseListItemPtr item = itemAt(index);
  if (!item) return false;
  if (ZLibraryBrowseListContainerItem *container = item->asContainer()) {
    if (role == ExpandedRole) {
      if (value.toBool())
        fList.expandItem(container);
      else
        fList.collapseItem(container);
      return container->expanded() == value.toBool();
    }
    if (role == SelectedRole) {
      if (container->selected() != value.toBool()) fList.toggleContainerSelection(container);
      return true;
    }
    return false;
  }
  if (ZLibraryBrowseListVideoItem *video = item->asVideo(); video && role == SelectedRole) {
    Row *top = static_cast<Row *>(index.internalPointer());
    if (video->selected() != value.toBool())
      fList.toggleVideoSelectionAtIndex(index.row(), top->item->asVideoList());
    return true;
  }
  return false;
}

Qt::ItemFlags ZLibraryBrowseListModel::flags(const QModelIndex &index) const {
  const ZLibraryBrowseListItemPtr item = itemAt(index);
  if (!item) return Qt::NoItemFlags;
  if (item->asVideoList()) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
         Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> ZLibraryBrowseListModel::roleNames() const {
  return ZModelRoles::roleNames();
}

QStringList ZLibraryBrowseListModel::mimeTypes() const { return {ZDragTypes::videoIds()}; }

QMimeData *ZLibraryBrowseListModel::mimeData(const QModelIndexList &indexes) const {
  // Each video once, in the order the rows were given.
  QList<int> ids;
  QSet<int> seen;
  const auto add = [&](int id) {
    if (!seen.contains(id)) {
      seen.insert(id);
      ids.append(id);
    }
  };
  for (const QModelIndex &index : indexes) {
    const ZLibraryBrowseListItemPtr item = itemAt(index);
    if (!item) continue;
    if (ZLibraryBrowseListVideoItem *video = item->asVideo()) add(video->videoId());
    if (ZLibraryBrowseListContainerItem *container = item->asContainer())
      for (const int id : container->videoIdList()) add(id);
    if (ZLibraryBrowseListVideoListItem *videos = item->asVideoList())
      for (const auto &video : videos->videos()) add(video->videoId());
  }
  auto *data = new QMimeData;
  data->setData(ZDragTypes::videoIds(), ZDragTypes::encode(ids));
  return data;
}

Qt::DropActions ZLibraryBrowseListModel::supportedDragActions() const { return Qt::CopyAction; }

// ---- following the data source ------------------------------------------------------------

void ZLibraryBrowseListModel::rowsRebuilt() {
  const QList<ZLibraryBrowseListItemPtr> &objects = fList.objects();
  QList<QString> before, after;
  before.reserve(fRows.size());
  after.reserve(objects.size());
  for (const RowPtr &row : fRows) before.append(keyOf(row->item));
  for (const auto &item : objects) after.append(keyOf(item));
  replayRowEdits(QModelIndex(), fRows, rowEdits(before, after), objects, &makeRow,
                 [this] { renumber(); });

  // The rows left are the same rows made anew: their videos are compared by
  // id, then the new objects take the old ones' places.
  for (qsizetype i = 0; i < fRows.size(); ++i) {
    Row &row = *fRows[i];
    const ZLibraryBrowseListItemPtr &item = objects.at(i);
    if (row.item == item) continue;
    if (ZLibraryBrowseListVideoListItem *videos = item->asVideoList()) {
      QList<int> oldIds;
      oldIds.reserve(row.videos.size());
      for (const Video &video : row.videos) oldIds.append(video.item->videoId());
      replayRowEdits(index(int(i), 0), row.videos, rowEdits(oldIds, videoIds(videos->videos())),
                     videos->videos(), [](const ZLibraryBrowseListVideoItemPtr &video) {
                       return Video{video, video->selected()};
                     });
      for (qsizetype j = 0; j < row.videos.size(); ++j) {
        const auto &video = videos->videos().at(j);
        row.videos[j] = {video, video->selected()};
      }
      if (!row.videos.isEmpty())
        emit dataChanged(index(0, 0, index(int(i), 0)),
                         index(int(row.videos.size()) - 1, 0, index(int(i), 0)));
    }
    row.item = item;
    if (ZLibraryBrowseListContainerItem *container = item->asContainer())
      row.selected = container->selected();
  }
  if (!fRows.isEmpty()) emit dataChanged(index(0, 0), index(int(fRows.size()) - 1, 0));
}

void ZLibraryBrowseListModel::rowInserted(int row) {
  const ZLibraryBrowseListItemPtr item = fList.objectAtIndex(row);
  if (!item || row > fRows.size()) return;
  beginInsertRows(QModelIndex(), row, row);
  fRows.insert(row, makeRow(item));
  renumber();
  endInsertRows();
  // The group before it is expanded now.
  if (row > 0) emit dataChanged(index(row - 1, 0), index(row - 1, 0), {ExpandedRole});
}

void ZLibraryBrowseListModel::rowRemoved(int row) {
  if (row < 0 || row >= fRows.size()) return;
  beginRemoveRows(QModelIndex(), row, row);
  fRows.removeAt(row);
  renumber();
  endRemoveRows();
  if (row > 0) emit dataChanged(index(row - 1, 0), index(row - 1, 0), {ExpandedRole});
}

void ZLibraryBrowseListModel::selectionChanged() {
  const QList<int> roles{SelectedRole};
  announceChangedRows(QModelIndex(), int(fRows.size()), [&](int i) {
    Row &row = *fRows[i];
    ZLibraryBrowseListContainerItem *container = row.item->asContainer();
    if (!container || container->selected() == row.selected) return false;
    row.selected = container->selected();
    return true;
  });
  for (qsizetype i = 0; i < fRows.size(); ++i) {
    Row &row = *fRows[i];
    if (row.videos.isEmpty()) continue;
    announceChangedRows(index(int(i), 0), int(row.videos.size()), [&](int j) {
      Video &video = row.videos[j];
      if (video.item->selected() == video.selected) return false;
      video.selected = video.item->selected();
      return true;
    });
  }
}

void ZLibraryBrowseListModel::videosResorted() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // Each videos row's videos in their new order, and where each old row went.
  QHash<Row *, QList<int>> newRowOf;
  for (const RowPtr &row : fRows) {
    ZLibraryBrowseListVideoListItem *videos = row->item->asVideoList();
    if (!videos || row->videos.isEmpty()) continue;
    QHash<const ZLibraryBrowseListVideoItem *, int> position;
    for (int j = 0; j < videos->count(); ++j) position.insert(videos->videos().at(j).get(), j);
    QList<int> moves(row->videos.size(), -1);
    QList<Video> sorted(videos->count());
    for (qsizetype j = 0; j < row->videos.size(); ++j) {
      const int to = position.value(row->videos.at(j).item.get(), -1);
      if (to < 0 || to >= sorted.size()) continue;
      moves[j] = to;
      sorted[to] = row->videos.at(j);
    }
    row->videos = std::move(sorted);
    newRowOf.insert(row.get(), std::move(moves));
  }
  const QModelIndexList persistent = persistentIndexList();
  QModelIndexList from, to;
  for (const QModelIndex &old : persistent) {
    auto *top = static_cast<Row *>(old.internalPointer());
    if (!top || !newRowOf.contains(top)) continue;
    const int row = newRowOf.value(top).value(old.row(), -1);
    from.append(old);
    to.append(row >= 0 ? createIndex(row, 0, top) : QModelIndex());
  }
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ZLibraryBrowseListModel::videoChanged(int videoId) {
  // Groups count their new videos; videos show the video's row.
  announceChangedRows(QModelIndex(), int(fRows.size()), [&](int i) {
    ZLibraryBrowseListContainerItem *container = fRows.at(i)->item->asContainer();
    return container && container->hasVideoWithId(videoId);
  });
  for (qsizetype i = 0; i < fRows.size(); ++i) {
    const Row &row = *fRows.at(i);
    announceChangedRows(index(int(i), 0), int(row.videos.size()),
                        [&](int j) { return row.videos.at(j).item->videoId() == videoId; });
  }
}
