#include "ZDownloadListModel.h"

#include "NotificationCenter.h"
#include "ZDownloadTexts.h"

ZDownloadListModel::ZDownloadListModel(ZDownloadDataSource &queue, QObject *parent)
    : ZRowEditingModel(parent), fQueue(queue) {
  fItems = fQueue.downloadItems();
  for (const auto &item : std::as_const(fItems)) serialOf(item.get());

  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.addObserver(this, DownloadNotification::ListChanged,
                     [this](const Notification &) { listChanged(); });
  using namespace DownloadNotification;
  for (const QString &name :
       {MetaInfoDownloadingCommenced, GotMetaInfo, ImageDownloadingCommenced, GotImage, Commenced,
        Resumed, StatusChanged, ProgressUpdated, Finished, ServerRequestFailed})
    center.addObserver(this, name, [this](const Notification &n) { itemChanged(n); });
}

ZDownloadListModel::~ZDownloadListModel() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

int ZDownloadListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(fItems.size());
}

QString ZDownloadListModel::plainTitle(const QString &title) {
  QString plain = title;
  for (QChar &c : plain)
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
        c == QChar::ParagraphSeparator)
      c = u' ';
  return plain.simplified();
}

QVariant ZDownloadListModel::data(const QModelIndex &index, int role) const {
  if (!hasRow(index)) return QVariant();
  const ZDownloadItem &item = *fItems.at(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
      return plainTitle(item.title());
    case ItemRole:
      return QVariant::fromValue(const_cast<ZDownloadItem *>(&item));
    case JobStateRole:
      return item.jobState();
    case CompleteRole:
      return item.downloadComplete();
    case PercentRole:
      return ZDownloadTexts::boundedPercent(item.percentDownloaded());
    case ConnectionSpeedRole:
      return ZDownloadTexts::connectionSpeed(item).text();
    case TimeRemainingRole:
      return ZDownloadTexts::timeRemaining(item).text();
    case VideoIdRole:
      return item.videoId();
    default:
      return QVariant();
  }
}

Qt::ItemFlags ZDownloadListModel::flags(const QModelIndex &index) const {
  if (!hasRow(index)) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> ZDownloadListModel::roleNames() const {
  QHash<int, QByteArray> names = QAbstractListModel::roleNames();
  names.insert(ItemRole, "item");
  names.insert(JobStateRole, "jobState");
  names.insert(CompleteRole, "complete");
  names.insert(PercentRole, "percent");
  names.insert(ConnectionSpeedRole, "connectionSpeed");
  names.insert(TimeRemainingRole, "timeRemaining");
  names.insert(VideoIdRole, "videoId");
  return names;
}

ZDownloadDataSource::ItemRef ZDownloadListModel::itemAt(int row) const {
  return row >= 0 && row < fItems.size() ? fItems.at(row) : ZDownloadDataSource::ItemRef();
}

int ZDownloadListModel::rowOf(const ZDownloadItem *item) const {
  for (qsizetype row = 0; row < fItems.size(); ++row)
    if (fItems.at(row).get() == item) return int(row);
  return -1;
}

int ZDownloadListModel::serialOf(const ZDownloadItem *item) {
  auto it = fSerials.constFind(item);
  if (it != fSerials.constEnd()) return it.value();
  return *fSerials.insert(item, fNextSerial++);
}

void ZDownloadListModel::listChanged() {
  const QList<ZDownloadDataSource::ItemRef> after = fQueue.downloadItems();
  QList<int> before, afterSerials;
  before.reserve(fItems.size());
  afterSerials.reserve(after.size());
  for (const auto &item : std::as_const(fItems)) before.append(serialOf(item.get()));
  for (const auto &item : after) afterSerials.append(serialOf(item.get()));
  replayRowEdits(QModelIndex(), fItems, rowEdits(before, afterSerials), after,
                 [](const ZDownloadDataSource::ItemRef &item) { return item; });
  // The rows hold every download still shown; the numbers of the others go
  // with them (their addresses may come back for new downloads).
  QHash<const ZDownloadItem *, int> kept;
  for (const auto &item : std::as_const(fItems)) kept.insert(item.get(), fSerials.value(item.get()));
  fSerials.swap(kept);
}

void ZDownloadListModel::itemChanged(const Notification &notification) {
  const int row = rowOf(notification.object.value<ZDownloadItem *>());
  if (row < 0) return;
  const QModelIndex changed = index(row);
  emit dataChanged(changed, changed);
}
