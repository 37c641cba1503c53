#include "ZNowPlayingListTableView.h"

#include "DrawUtilities.h"
#include "LibraryUtilities.h"
#include "Localization.h"
#include "Logging.h"
#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "ZModelRoles.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QImageReader>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

// ---- a row's drawing -----------------------------------------------------------------------

ZNowPlayingListTableViewCell::ZNowPlayingListTableViewCell(ZPlaylistDataSource &playlists,
                                                           QObject *parent)
    : QStyledItemDelegate(parent), fPlaylists(playlists) {}

QSize ZNowPlayingListTableViewCell::sizeHint(const QStyleOptionViewItem &,
                                             const QModelIndex &) const {
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const int height = skin && skin->playlistRowHeight() > 0 ? int(skin->playlistRowHeight()) : 80;
  // No width of its own: the list gives every row its viewport's width, so
  // that the text is cut at the list's edge (a wider hint, kept by the list
  // from an earlier layout, made it scroll sideways instead).
  return QSize(1, height);
}

void ZNowPlayingListTableViewCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const {
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  const bool selected = option.state & QStyle::State_Selected;
  const auto info = fPlaylists.videoInfoAtIndex(index.row());
  const QRectF frame = option.rect;
  const auto color = [&](QColor value, QColor fallback) {
    return value.isValid() ? value : fallback;
  };
  painter->save();
  painter->fillRect(frame, selected ? color(skin ? skin->playlistSelectedColor() : QColor(),
                                            QColor::fromRgbF(0.5, 0.5, 0.5))
                                    : color(skin ? skin->playlistColor() : QColor(), Qt::white));

  // The thumbnail, 4:3, on a one-point border.
  const double margin = 6;
  const double thumbHeight = std::max(0.0, frame.height() - 2 * margin);
  const QRectF thumb(frame.left() + margin, frame.top() + margin, thumbHeight * 4 / 3, thumbHeight);
  QImage image = info ? Utilities::getVideoThumbnail(*info) : QImage();
  if (image.isNull() && skin) image = skin->defaultIconImage();
  painter->fillRect(thumb.adjusted(-1, -1, 1, 1),
                    selected
                        ? color(skin ? skin->playlistColorBorderSelected() : QColor(), Qt::black)
                        : color(skin ? skin->playlistColorBorder() : QColor(), Qt::white));
  if (!image.isNull()) painter->drawImage(thumb, image);

  const ZTextAttributes fallback{option.font, selected ? Qt::white : Qt::black};
  const auto style = [&](std::optional<ZTextAttributes> wanted,
                         std::optional<ZTextAttributes> plain) {
    return wanted ? *wanted : plain ? *plain : fallback;
  };
  const ZTextAttributes title = skin ? style(selected ? skin->playlistCellTitleSelectedAttributes()
                                                      : skin->playlistCellTitleAttributes(),
                                             skin->playlistCellTitleAttributes())
                                     : fallback;
  const ZTextAttributes description =
      skin ? style(selected ? skin->playlistCellDescriptionSelectedAttributes()
                            : skin->playlistCellDescriptionAttributes(),
                   skin->playlistCellDescriptionAttributes())
           : fallback;
  const double textLeft = thumb.right() + margin;
  const double textWidth = std::max(0.0, frame.right() - textLeft - margin);
  const double titleHeight = QFontMetricsF(title.font).height();
  if (info) {
    DrawUtilities::drawTruncatedText(*painter, info->value(QStringLiteral("TITLE")), title,
                                     QRectF(textLeft, thumb.top(), textWidth, titleHeight));
    DrawUtilities::drawText(
        *painter, info->value(QStringLiteral("DESCRIPTION")), description,
        QRectF(textLeft, thumb.top() + titleHeight, textWidth, thumb.height() - titleHeight));
  }
  painter->restore();
}

// ---- the list ---------------------------------------------------------------------------------

namespace {

// The side list's table. Row indexes in a drag mean something only to the
// table they were dragged from: a drop from anywhere else (another window,
// another running player) brings the dragged videos by their library ids, and
// only those the library has.
class ZNowPlayingListTable : public QListView {
 public:
  ZNowPlayingListTable(VideoDatabase &database, QWidget *parent)
      : QListView(parent), fDatabase(database) {}

 protected:
  void dropEvent(QDropEvent *event) override {
    if (event->source() == this) return QListView::dropEvent(event);
    QList<int> ids;
    qsizetype unknown = 0;
    for (const int id : ZDragTypes::decode(event->mimeData()->data(ZDragTypes::videoIds()))) {
      if (fDatabase.getVideoInfo(id))
        ids.append(id);
      else
        ++unknown;
    }
    if (unknown > 0)
      qCWarning(zaroPlayback,
                "now-playing list: %lld dropped video ids are not in the library; left out",
                qlonglong(unknown));
    QMimeData videos;
    if (!ids.isEmpty()) videos.setData(ZDragTypes::videoIds(), ZDragTypes::encode(ids));
    QDropEvent foreign(event->position(), event->possibleActions(), &videos, event->buttons(),
                       event->modifiers());
    foreign.setDropAction(event->dropAction());
    QListView::dropEvent(&foreign);
    event->setDropAction(foreign.dropAction());
    event->setAccepted(foreign.isAccepted());
  }

  // An empty list shows the skin's picture that invites a drop, centred.
  void paintEvent(QPaintEvent *event) override {
    QListView::paintEvent(event);
    if (!model() || model()->rowCount() > 0) return;
    const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
    const QImage picture = skin ? skin->playlistDragImage() : QImage();
    if (picture.isNull()) return;
    const QSizeF size = picture.deviceIndependentSize();
    const QRect area = viewport()->rect();
    const QPointF at(std::ceil((area.width() - size.width()) / 2),
                     std::ceil((area.height() - size.height()) / 2));
    QPainter painter(viewport());
    painter.drawImage(QRectF(at, size), picture);
  }

  // The rows go with the thumbnail of the video in the row under the
  // pointer, 68 wide and the row's height less 30 high.
  void startDrag(Qt::DropActions supported) override {
    const QModelIndexList indexes = selectedIndexes();
    if (indexes.isEmpty() || !model()) return;
    QMimeData *data = model()->mimeData(indexes);
    if (!data) return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    const QPixmap picture = dragPicture(indexAt(viewport()->mapFromGlobal(QCursor::pos())));
    if (!picture.isNull()) drag->setPixmap(picture);
    drag->exec(supported, defaultDropAction());
  }

 public:
  QPixmap dragPicture(const QModelIndex &row) const {
    if (!row.isValid()) return QPixmap();
    const QString path = row.data(ZModelRoles::ThumbnailPathRole).toString();
    const QSize size(68, std::max(1, visualRect(row).height() - 30));
    if (path.isEmpty()) return QPixmap();
    QImageReader reader(path);
    reader.setScaledSize(size);
    const QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
  }

 private:
  VideoDatabase &fDatabase;
};

}  // namespace

ZNowPlayingListTableView::ZNowPlayingListTableView(ZPlaylistDataSource &playlists,
                                                   ZNowPlayingListDataSource &nowPlaying,
                                                   VideoDatabase &database, QWidget *parent)
    : QWidget(parent), fPlaylists(playlists), fNowPlaying(nowPlaying), fDatabase(database) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  fTableView = new ZNowPlayingListTable(database, this);
  layout->addWidget(fTableView);
  fModel = new ZPlaylistVideosModel(playlists, this);
  fTableView->setModel(fModel);
  fTableView->setItemDelegate(new ZNowPlayingListTableViewCell(playlists, this));
  fTableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  fTableView->setSpacing(0);
  fTableView->setUniformItemSizes(true);
  fTableView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fTableView->setDragEnabled(true);
  fTableView->setAcceptDrops(true);
  fTableView->setDropIndicatorShown(true);
  fTableView->setDragDropMode(QAbstractItemView::DragDrop);
  fTableView->setDefaultDropAction(Qt::CopyAction);
  if (const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin()) {
    QPalette palette = fTableView->palette();
    if (skin->playlistColor().isValid()) palette.setColor(QPalette::Base, skin->playlistColor());
    if (skin->playlistSelectedColor().isValid())
      palette.setColor(QPalette::Highlight, skin->playlistSelectedColor());
    fTableView->setPalette(palette);
  }

  fTableViewMenu = new QMenu(this);
  const struct {
    int tag;
    const char *key;
    void (ZNowPlayingListTableView::*action)();
  } items[] = {
      {PlayTag, "libraryPlaylistMenuItemPlay", &ZNowPlayingListTableView::playVideo},
      {ResumeTag, "nowPlayingMenuItemResume", &ZNowPlayingListTableView::resumeVideoPlayback},
      {FindOnZaroTag, "nowPlayingMenuItemFindOnZaro", &ZNowPlayingListTableView::findOnZaro},
      {RevealTag, "nowPlayingMenuItemReveal", &ZNowPlayingListTableView::revealInFinder},
      {RemoveTag, "nowPlayingMenuItemRemove", &ZNowPlayingListTableView::remove}};
  for (const auto &item : items) {
    QAction *action = fTableViewMenu->addAction(localized(QLatin1String(item.key)));
    action->setData(item.tag);
    connect(action, &QAction::triggered, this, item.action);
  }
  connect(fTableViewMenu, &QMenu::aboutToShow, this, [this] {
    for (QAction *action : fTableViewMenu->actions())
      action->setEnabled(validateMenuItem(action->data().toInt()));
  });
  fTableView->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(fTableView, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &at) { fTableViewMenu->popup(fTableView->mapToGlobal(at)); });
  connect(fTableView, &QAbstractItemView::doubleClicked, this, [this] { playVideo(); });
  connect(fTableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &ZNowPlayingListTableView::selectionChanged);

  // Another playlist, or new entries: nothing selected (the model has
  // already brought its rows in line).
  for (const QString &name : {ZPlaylistDataSource::ListSelectionChangedNotification,
                              ZPlaylistDataSource::ListEntriesChangedNotification})
    NotificationCenter::defaultCenter().addObserver(
        this, name, [this](const Notification &) { fTableView->clearSelection(); });
}

ZNowPlayingListTableView::~ZNowPlayingListTableView() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

QList<int> ZNowPlayingListTableView::selectedRows() const {
  QList<int> rows;
  for (const QModelIndex &index : fTableView->selectionModel()->selectedIndexes())
    rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void ZNowPlayingListTableView::selectRows(const QList<int> &rows) {
  fTableView->clearSelection();
  for (const int row : rows)
    fTableView->selectionModel()->select(fModel->index(row), QItemSelectionModel::Select);
}

QList<int> ZNowPlayingListTableView::selectedVideoIds() const {
  QList<int> ids;
  for (const int row : selectedRows()) ids.append(fPlaylists.videoIdAtIndex(row));
  return ids;
}

QAction *ZNowPlayingListTableView::menuItem(int tag) const {
  for (QAction *action : fTableViewMenu->actions())
    if (action->data().toInt() == tag) return action;
  return nullptr;
}

void ZNowPlayingListTableView::selectionChanged() {
  if (QAction *play = menuItem(PlayTag))
    play->setText(localized(selectedRows().size() > 1
                                ? QStringLiteral("libraryPlaylistMenuItemPlayAll")
                                : QStringLiteral("libraryPlaylistMenuItemPlay")));
}

bool ZNowPlayingListTableView::validateMenuItem(int tag) const {
  const qsizetype selected = selectedRows().size();
  switch (tag) {
    case PlayTag:
    case RevealTag:
    case RemoveTag:
      return selected >= 1;
    case ResumeTag:
      return selected == 1;
    case FindOnZaroTag: {
      const QList<int> ids = selectedVideoIds();
      return std::any_of(ids.begin(), ids.end(),
                         [this](int id) { return !fDatabase.permalinkForVideoId(id).isEmpty(); });
    }
    default:
      return false;
  }
}

namespace {

QVariantList asVariantList(const QList<int> &ids) {
  QVariantList list;
  for (const int id : ids) list.append(id);
  return list;
}

}  // namespace

void ZNowPlayingListTableView::playVideo() {
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  fNowPlaying.setVideos(fPlaylists.videosForSelectedPlaylist());
  fNowPlaying.setIndexOfCurrentlyPlayingVideo(rows.first());
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionStartPlayingNewVideoList"));
}

void ZNowPlayingListTableView::resumeVideoPlayback() {
  const QList<int> ids = selectedVideoIds();
  if (ids.size() != 1) return;
  fNowPlaying.setVideos(ids);
  fNowPlaying.setIndexOfCurrentlyPlayingVideo(0);
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionResumeVideoPlayback"));
}

void ZNowPlayingListTableView::findOnZaro() {
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionFindOnZaro"),
                                                           asVariantList(selectedVideoIds()));
}

void ZNowPlayingListTableView::revealInFinder() {
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionRevealVideosInFinder"), asVariantList(selectedVideoIds()));
}

void ZNowPlayingListTableView::remove() {
  const QList<int> ids = selectedVideoIds();
  if (!ids.isEmpty()) fPlaylists.removeVideosWithIds(ids);
}
