#include "ZLibraryItemsView.h"

#include "MovieAttributes.h"
#include "NotificationCenter.h"
#include "ZDragTypes.h"
#include "ZLibraryAccessibility.h"
#include "ZLibraryActions.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryBrowseListModel.h"
#include "ZLibraryItemContainerView.h"
#include "ZLibraryItemVideoView.h"
#include "ZLibraryTexts.h"
#include "ZNowPlayingListDataSource.h"
#include "ZSkin.h"
#include "ZVideoRowControls.h"

#include <QAccessible>
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSet>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

#include <algorithm>

ZLibraryItemsView::ZLibraryItemsView(const ZLibraryViewEnvironment &environment, QWidget *parent)
    : QWidget(parent),
      fEnvironment(environment),
      fSkin(ZSkinManager::sharedSkinManager().getCurrentSkin()),
      fContext(*environment.database) {
  setObjectName(QStringLiteral("LibraryItemsView"));
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  fContext.look = ZLibraryLook::fromSkin(fSkin);
  fRowControls = std::make_unique<ZVideoRowControls>(*this);
  ZLibraryAccessibility::install();
  observe();
  reload();
}

ZLibraryItemsView::~ZLibraryItemsView() {
  NotificationCenter::defaultCenter().removeObserver(this);
  // The model is a child and goes only with the widget, after the rows and
  // their controls: nothing it says from now on reaches them.
  if (fModel) disconnect(fModel, nullptr, this, nullptr);
}

void ZLibraryItemsView::observe() {
  // The rows follow the browse list's model row by row: an opened or closed
  // group, a video added or deleted, a new sort order or a changed mark
  // touch only their rows.
  fModel = new ZLibraryBrowseListModel(*fEnvironment.browseList, *fEnvironment.database, this);
  connect(fModel, &QAbstractItemModel::modelReset, this, &ZLibraryItemsView::reload);
  connect(fModel, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex &parent, int first, int last) {
            if (parent.isValid())
              setNeedsLayout();
            else
              insertItems(first, last);
          });
  connect(fModel, &QAbstractItemModel::rowsRemoved, this,
          [this](const QModelIndex &parent, int first, int last) {
            if (parent.isValid())
              setNeedsLayout();
            else
              removeItems(first, last);
          });
  connect(fModel, &QAbstractItemModel::rowsMoved, this,
          [this](const QModelIndex &parent, int first, int last, const QModelIndex &, int to) {
            if (parent.isValid())
              setNeedsLayout();
            else
              moveItems(first, last, to);
          });
  connect(fModel, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
            if (!topLeft.parent().isValid()) refreshItems(topLeft.row(), bottomRight.row());
            rowsChanged();
          });
  connect(fModel, &QAbstractItemModel::layoutChanged, this, [this] {
    setNeedsLayout();
    rowsChanged();
  });
  // The library changed: publishers may have come or been renamed.
  connect(fEnvironment.browseList, &ZLibraryBrowseListDataSource::rowsRebuilt, this,
          [this] { fContext.forgetPublishers(); });
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("ActionRemoveSelectedVideosFromLibrary"),
      [this](const Notification &) { remove(); });
}

void ZLibraryItemsView::setSkin(ZSkin *skin) {
  fSkin = skin;
  fContext.look = ZLibraryLook::fromSkin(skin);
  fContext.thumbnails.clear();
  reload();
}

void ZLibraryItemsView::setViewType(int viewType) {
  if (viewType == fViewType) return;
  fViewType = viewType;
  reload();
  NotificationCenter::defaultCenter().postNotificationName(
      viewType == ThumbnailView ? QStringLiteral("LibraryViewSwitchedToThumbnail")
                                : QStringLiteral("LibraryViewSwitchedToDetails"));
  emit viewTypeChanged(viewType);
}

// ---- rows and layout --------------------------------------------------------------------------

std::unique_ptr<ZLibraryItemView> ZLibraryItemsView::makeItemView(int row) const {
  const ZLibraryBrowseListItemPtr item = fModel->itemAt(fModel->index(row, 0));
  if (!item) return nullptr;
  if (item->asContainer()) {
    auto view = std::make_unique<ZLibraryItemContainerView>(fEnvironment, fContext.look);
    view->setItem(std::static_pointer_cast<ZLibraryBrowseListContainerItem>(item));
    return view;
  }
  if (item->asVideoList())
    return std::make_unique<ZLibraryItemVideoView>(
        fEnvironment, const_cast<ZLibraryPaintContext &>(fContext),
        std::static_pointer_cast<ZLibraryBrowseListVideoListItem>(item),
        fViewType == DetailsView ? DetailsView : ThumbnailView);
  return nullptr;
}

void ZLibraryItemsView::reload() {
  fItems.clear();
  const int rows = fModel->rowCount();
  fItems.reserve(size_t(rows));
  for (int row = 0; row < rows; ++row)
    if (auto view = makeItemView(row)) fItems.push_back(std::move(view));
  fContext.forgetPublishers();
  rowsReplaced();
}

void ZLibraryItemsView::insertItems(int first, int last) {
  first = std::clamp(first, 0, int(fItems.size()));
  std::vector<std::unique_ptr<ZLibraryItemView>> made;
  for (int row = first; row <= last; ++row)
    if (auto view = makeItemView(row)) made.push_back(std::move(view));
  const int count = int(made.size());
  fItems.insert(fItems.begin() + first, std::make_move_iterator(made.begin()),
                std::make_move_iterator(made.end()));
  if (fCurrent.item >= first) fCurrent.item += count;
  if (fPressed.item >= first) fPressed.item += count;
  rowsReplaced();
}

void ZLibraryItemsView::removeItems(int first, int last) {
  first = std::clamp(first, 0, int(fItems.size()));
  last = std::clamp(last, first - 1, int(fItems.size()) - 1);
  fItems.erase(fItems.begin() + first, fItems.begin() + last + 1);
  const int count = last - first + 1;
  for (Position *position : {&fCurrent, &fPressed}) {
    if (position->item > last)
      position->item -= count;
    else if (position->item >= first)
      *position = Position{std::min(first, int(fItems.size()) - 1), -1};
  }
  rowsReplaced();
}

void ZLibraryItemsView::moveItems(int first, int last, int to) {
  // Qt's move: the rows first..last go before the row `to` of the old order.
  std::vector<std::unique_ptr<ZLibraryItemView>> moved;
  for (int row = first; row <= last; ++row) moved.push_back(std::move(fItems[size_t(row)]));
  fItems.erase(fItems.begin() + first, fItems.begin() + last + 1);
  const int destination = to > last ? to - (last - first + 1) : to;
  fItems.insert(fItems.begin() + destination, std::make_move_iterator(moved.begin()),
                std::make_move_iterator(moved.end()));
  fCurrent = fPressed = {};
  rowsReplaced();
}

void ZLibraryItemsView::refreshItems(int first, int last) {
  // A rebuild hands the same rows over as new objects: the views take them.
  for (int row = std::max(0, first); row <= last && row < int(fItems.size()); ++row) {
    const ZLibraryBrowseListItemPtr item = fModel->itemAt(fModel->index(row, 0));
    ZLibraryItemView *view = fItems[size_t(row)].get();
    if (!item || view->browseItem() == item) continue;
    if (auto replacement = makeItemView(row)) fItems[size_t(row)] = std::move(replacement);
  }
  setNeedsLayout();
}

void ZLibraryItemsView::rowsChanged() {
  fRowControls->refresh();
  update();
}

void ZLibraryItemsView::rowsReplaced() {
  fNeedsLayout = false;
  fNumItems = unsigned(fItems.size());
  layoutItems();
  // The keyboard stays about where it was.
  if (fCurrent.item >= int(fNumItems)) fCurrent = Position{int(fNumItems) - 1, -1};
  if (const ZLibraryItemVideoView *list = videoViewAt(fCurrent.item))
    fCurrent.video = list->count() > 0 ? std::clamp(fCurrent.video, 0, list->count() - 1) : -1;
  else
    fCurrent.video = -1;
  ZLibraryAccessibility::itemsReloaded(this);
  emit itemsReloaded();
  emit contentHeightChanged(contentHeight());
  fRowControls->place();
  update();
}

void ZLibraryItemsView::setNeedsLayout() {
  if (fNeedsLayout) return;
  fNeedsLayout = true;
  update();
  QTimer::singleShot(0, this, [this] { ensureLayout(); });
}

void ZLibraryItemsView::ensureLayout() const {
  auto *self = const_cast<ZLibraryItemsView *>(this);
  if (fNeedsLayout)
    self->rowsReplaced();
  else if (fLayoutWidth != width())
    self->layoutItems();
}

void ZLibraryItemsView::layoutItems() {
  fTops.resize(fItems.size());
  int y = 0;
  for (size_t i = 0; i < fItems.size(); ++i) {
    fTops[i] = y;
    y += fItems[i]->heightForWidth(width());
  }
  fTotalHeight = y;
  fLayoutWidth = width();
}

int ZLibraryItemsView::numItems() const {
  ensureLayout();
  return int(fNumItems);
}

ZLibraryItemView *ZLibraryItemsView::itemAt(int index) const {
  ensureLayout();
  return index >= 0 && index < int(fItems.size()) ? fItems[size_t(index)].get() : nullptr;
}

ZLibraryItemContainerView *ZLibraryItemsView::containerViewAt(int index) const {
  return dynamic_cast<ZLibraryItemContainerView *>(itemAt(index));
}

ZLibraryItemVideoView *ZLibraryItemsView::videoViewAt(int index) const {
  return dynamic_cast<ZLibraryItemVideoView *>(itemAt(index));
}

QRect ZLibraryItemsView::itemFrame(int index) const {
  ensureLayout();
  if (index < 0 || index >= int(fItems.size())) return QRect();
  return QRect(0, fTops[size_t(index)] - fScrollOffset, width(),
               fItems[size_t(index)]->heightForWidth(width()));
}

int ZLibraryItemsView::firstItemAtOrBelow(int contentY) const {
  // The last row whose top is at or above the point.
  const auto after = std::upper_bound(fTops.begin(), fTops.end(), contentY);
  if (after == fTops.begin()) return fTops.empty() ? -1 : 0;
  return int(after - fTops.begin()) - 1;
}

int ZLibraryItemsView::itemIndexAt(const QPoint &point) const {
  ensureLayout();
  const int contentY = point.y() + fScrollOffset;
  if (contentY < 0 || contentY >= fTotalHeight) return -1;
  int index = firstItemAtOrBelow(contentY);
  // Rows without height (an empty video list) are skipped.
  while (index >= 0 && index < int(fItems.size()) && !itemFrame(index).contains(0, point.y()))
    ++index;
  return index < int(fItems.size()) ? index : -1;
}

QRect ZLibraryItemsView::videoFrame(int item, int video) const {
  const ZLibraryItemVideoView *list = videoViewAt(item);
  if (!list) return itemFrame(item);
  return list->videoItemUI(video, itemFrame(item)).itemRect;
}

int ZLibraryItemsView::contentHeight() const {
  ensureLayout();
  return std::max(fTotalHeight, height());
}

void ZLibraryItemsView::setScrollOffset(int offset) {
  offset = std::max(0, offset);
  if (offset == fScrollOffset) return;
  fScrollOffset = offset;
  fRowControls->place();
  update();
}

void ZLibraryItemsView::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  layoutItems();
  emit contentHeightChanged(contentHeight());
  fRowControls->place();
}

// ---- drawing ----------------------------------------------------------------------------------

void ZLibraryItemsView::paintEvent(QPaintEvent *event) {
  ensureLayout();
  QPainter painter(this);
  const QRect exposed = event->rect();
  painter.fillRect(exposed, Qt::white);
  fContext.devicePixelRatio = devicePixelRatioF();
  for (int index = std::max(0, firstItemAtOrBelow(exposed.top() + fScrollOffset));
       index < int(fItems.size()); ++index) {
    const QRect frame = itemFrame(index);
    if (frame.top() > exposed.bottom()) break;
    if (frame.intersects(exposed)) fItems[size_t(index)]->draw(painter, frame, exposed);
  }
  if (hasFocus() && fCurrent.item >= 0) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = videoFrame(fCurrent.item, fCurrent.video).adjusted(1, 1, -1, -1);
    option.backgroundColor = Qt::white;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

bool ZLibraryItemsView::event(QEvent *event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  // The whole title of what is under the pointer (the row may cut it),
  // shown as plain text.
  const QPoint point = static_cast<QHelpEvent *>(event)->pos();
  const QString text = toolTipAt(point);
  if (text.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                       Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal), this);
  return true;
}

QString ZLibraryItemsView::toolTipAt(const QPoint &point) const {
  const int index = itemIndexAt(point);
  if (const ZLibraryItemContainerView *header = containerViewAt(index))
    return header->item() ? ZLibraryTexts::drawable(header->item()->title()) : QString();
  const ZLibraryItemVideoView *list = videoViewAt(index);
  const int video = list ? list->indexAt(itemFrame(index), point) : -1;
  if (video < 0 || !list->item()) return QString();
  const auto item = list->item()->videoAtIndex(video);
  const auto info = item ? item->info() : std::nullopt;
  return info ? ZLibraryTexts::drawable(ZLibraryTexts::displayTitle(*info)) : QString();
}

void ZLibraryItemsView::focusInEvent(QFocusEvent *event) {
  QWidget::focusInEvent(event);
  update();
}

void ZLibraryItemsView::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  update();
}

// ---- mouse --------------------------------------------------------------------------------

namespace {

// Ctrl adds to or takes from the selection (the Command key of other desktops).
bool toggles(Qt::KeyboardModifiers modifiers) { return modifiers & Qt::ControlModifier; }

}  // namespace

void ZLibraryItemsView::mousePressEvent(QMouseEvent *event) {
  ensureLayout();
  setFocus(Qt::MouseFocusReason);
  fMayDrag = false;
  fNarrowOnRelease = false;
  const QPoint point = event->position().toPoint();
  const int index = itemIndexAt(point);
  const bool right = event->button() == Qt::RightButton;
  if (event->button() != Qt::LeftButton && !right) return;
  if (index < 0) {
    if (!right) fEnvironment.browseList->unselectAll();
    return;
  }
  const QRect frame = itemFrame(index);
  if (ZLibraryItemContainerView *header = containerViewAt(index)) {
    fCurrent = {index, -1};
    if (right) {
      if (!header->selected()) header->mouseDown(ZLibraryItemContainerView::Part::Body, false);
      showContextMenu(point, false);
      return;
    }
    const auto part = header->partAt(frame, point);
    header->mouseDown(part, toggles(event->modifiers()));
    if (part == ZLibraryItemContainerView::Part::Options) {
      popUpMenu(header->makeContextMenu(this),
                header->optionsRect(frame).bottomLeft() + QPoint(0, 1));
      return;
    }
    fMayDrag = part == ZLibraryItemContainerView::Part::Body;
  } else if (ZLibraryItemVideoView *list = videoViewAt(index)) {
    const int video = list->indexAt(frame, point);
    if (video < 0) {
      if (!right) fEnvironment.browseList->unselectAll();
      return;
    }
    fCurrent = {index, video};
    if (right) {
      list->rightMouseDown(video);
      showContextMenu(point, false);
      return;
    }
    // A plain click on one of several selected videos keeps them all for a
    // drag; released without one, it leaves that video selected alone.
    fNarrowOnRelease = !toggles(event->modifiers()) && list->item() &&
                       list->item()->videoSelectedAtIndex(video) &&
                       fEnvironment.browseList->numberOfSelectedItems() > 1;
    list->mouseDown(video, toggles(event->modifiers()));
    fMayDrag = true;
  }
  fPressPoint = point;
  fPressed = fCurrent;
  update();
}

void ZLibraryItemsView::mouseMoveEvent(QMouseEvent *event) {
  if (!fMayDrag || !(event->buttons() & Qt::LeftButton)) return;
  if ((event->position().toPoint() - fPressPoint).manhattanLength() <
      QApplication::startDragDistance())
    return;
  fMayDrag = false;
  fNarrowOnRelease = false;
  startDrag();
}

void ZLibraryItemsView::mouseReleaseEvent(QMouseEvent *event) {
  fMayDrag = false;
  if (!fNarrowOnRelease || event->button() != Qt::LeftButton) return;
  fNarrowOnRelease = false;
  if (ZLibraryItemVideoView *list = videoViewAt(fPressed.item))
    if (list->item() && fPressed.video >= 0)
      fEnvironment.browseList->selectVideoAtIndex(fPressed.video, list->item().get(), false);
}

void ZLibraryItemsView::mouseDoubleClickEvent(QMouseEvent *event) {
  // The second press of a double click: it selects as a press does, then
  // the selection plays.
  mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  const int index = itemIndexAt(point);
  if (ZLibraryItemVideoView *list = videoViewAt(index))
    if (list->indexAt(itemFrame(index), point) >= 0) {
      fNarrowOnRelease = false;
      fMayDrag = false;
      list->playNow();
    }
}

void ZLibraryItemsView::contextMenuEvent(QContextMenuEvent *event) {
  // A press of the right button has shown its menu already.
  if (event->reason() != QContextMenuEvent::Keyboard) return;
  showContextMenu(videoFrame(fCurrent.item, fCurrent.video).center(), true);
}

void ZLibraryItemsView::showContextMenu(const QPoint &at, bool fromKeyboard) {
  ensureLayout();
  const int index = fromKeyboard ? fCurrent.item : itemIndexAt(at);
  if (ZLibraryItemContainerView *header = containerViewAt(index)) {
    popUpMenu(header->makeContextMenu(this), at);
  } else if (ZLibraryItemVideoView *list = videoViewAt(index)) {
    if (!fromKeyboard && list->indexAt(itemFrame(index), at) < 0) return;
    if (fEnvironment.browseList->selectedVideoIds().isEmpty()) return;
    popUpMenu(list->makeContextMenu(this), at);
  }
}

void ZLibraryItemsView::popUpMenu(QMenu *menu, const QPoint &at) {
  if (fMenuPresenter)
    fMenuPresenter(menu, at);
  else
    menu->popup(mapToGlobal(at));
}

// ---- drags and drops ------------------------------------------------------------------------

QList<int> ZLibraryItemsView::videoIdsToDrag() const {
  // A group header carries its group's videos, a video the selected ones.
  if (ZLibraryItemContainerView *header = containerViewAt(fPressed.item))
    return header->item() ? header->item()->videoIdList() : QList<int>();
  return fEnvironment.browseList->selectedVideoIds();
}

QMimeData *ZLibraryItemsView::makeDragData(const QList<int> &videoIds, QImage *picture) {
  auto *data = new QMimeData;
  data->setData(ZDragTypes::videoIds(), ZDragTypes::encode(videoIds));
  QImage image;
  if (!videoIds.isEmpty())
    if (const auto info = fEnvironment.database->getVideoInfo(videoIds.first()))
      image = fContext.thumbnail(*info, QSize(68, 51));
  if (image.isNull()) image = fContext.look.defaultIcon;
  if (!image.isNull()) data->setImageData(image);
  if (picture) *picture = image;
  return data;
}

void ZLibraryItemsView::startDrag() {
  const QList<int> videoIds = videoIdsToDrag();
  if (videoIds.isEmpty()) return;
  QImage picture;
  QMimeData *data = makeDragData(videoIds, &picture);
  auto *drag = new QDrag(this);
  drag->setMimeData(data);
  if (!picture.isNull()) {
    // The thumbnail, centred under the pointer.
    QImage scaled = picture.scaled(QSize(68, 51) * picture.devicePixelRatio(), Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(picture.devicePixelRatio());
    const QPixmap pixmap = QPixmap::fromImage(scaled);
    drag->setPixmap(pixmap);
    drag->setHotSpot(QPoint(scaled.width(), scaled.height()) / 2 / scaled.devicePixelRatio());
  }
  drag->exec(Qt::CopyAction, Qt::CopyAction);
}

QStringList ZLibraryItemsView::moviePaths(const QStringList &paths) {
  static const QSet<QString> types = [] {
    const QStringList list = Utilities::movieFileTypes();
    return QSet<QString>(list.begin(), list.end());
  }();
  QStringList movies;
  for (const QString &path : paths) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (!extension.isEmpty() && types.contains(extension)) movies.append(path);
  }
  return movies;
}

namespace {

QStringList localPaths(const QMimeData *data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl &url : data->urls())
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  return paths;
}

}  // namespace

void ZLibraryItemsView::dragEnterEvent(QDragEnterEvent *event) {
  if (moviePaths(localPaths(event->mimeData())).isEmpty()) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void ZLibraryItemsView::dragMoveEvent(QDragMoveEvent *event) {
  if (moviePaths(localPaths(event->mimeData())).isEmpty()) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void ZLibraryItemsView::dropEvent(QDropEvent *event) {
  const QStringList movies = moviePaths(localPaths(event->mimeData()));
  if (movies.isEmpty()) return event->ignore();
  event->setDropAction(Qt::CopyAction);
  event->accept();
  NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ActionImportVideos"),
                                                           movies);
}

// ---- actions on the selection ----------------------------------------------------------------

void ZLibraryItemsView::playNow() {
  ZLibraryActions(fEnvironment).play(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemsView::saveOptions() {
  ZLibraryActions(fEnvironment).flipSaved(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemsView::revealInFinder() {
  ZLibraryActions(fEnvironment).revealInFinder(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemsView::remove() {
  const ZLibraryActions actions(fEnvironment);
  ZLibraryBrowseListDataSource &list = *fEnvironment.browseList;
  if (list.browsingBy() != 6) {
    actions.removeFromLibrary(list.selectedVideoIds());
    return;
  }
  // By playlist: each group's selected videos leave that group's playlist.
  QList<ZLibraryActions::PlaylistVideos> entries;
  ZLibraryBrowseListContainerItemPtr group;
  for (const ZLibraryBrowseListItemPtr &row : list.objects()) {
    if (row->asContainer()) {
      group = std::static_pointer_cast<ZLibraryBrowseListContainerItem>(row);
      if (group->selected() && !group->expanded())
        entries.append({group->info().value(QStringLiteral("id")).toInt(), group->videoIdList()});
    } else if (auto *videos = row->asVideoList(); videos && group) {
      QList<int> ids;
      for (const auto &video : videos->videos())
        if (video->selected()) ids.append(video->videoId());
      if (!ids.isEmpty()) entries.append({group->info().value(QStringLiteral("id")).toInt(), ids});
    }
  }
  actions.removeFromPlaylists(entries);
}

// ---- keyboard -------------------------------------------------------------------------------

void ZLibraryItemsView::keyPressEvent(QKeyEvent *event) {
  ensureLayout();
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
      moveCurrent(event->key());
      return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      emit scrollRequested(fScrollOffset +
                           (event->key() == Qt::Key_PageUp ? -height() : height()));
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      playNow();
      return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
      remove();
      return;
    case Qt::Key_Space:
      // Pauses what plays; otherwise plays the selection, in the playback
      // view, as Return does (never the last list, unseen).
      if (fEnvironment.nowPlaying->videoPlaying())
        NotificationCenter::defaultCenter().postNotificationName(
            QStringLiteral("ActionPauseVideo"));
      else
        playNow();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

namespace {

using Position = ZLibraryItemsView::Position;

}  // namespace

void ZLibraryItemsView::moveCurrent(int key) {
  const int items = int(fItems.size());
  if (items == 0) return;
  const auto count = [this](int item) {
    const ZLibraryItemVideoView *list = videoViewAt(item);
    return list ? list->count() : 0;
  };
  // The first place at or after / at or before a row.
  const auto firstFrom = [&](int item) -> Position {
    for (; item < items; ++item) {
      if (containerViewAt(item)) return {item, -1};
      if (count(item) > 0) return {item, 0};
    }
    return {};
  };
  const auto lastUpTo = [&](int item) -> Position {
    for (; item >= 0; --item) {
      if (containerViewAt(item)) return {item, -1};
      if (count(item) > 0) return {item, count(item) - 1};
    }
    return {};
  };
  Position current = fCurrent;
  if (current.item < 0 || current.item >= items) {
    const Position first = firstFrom(0);
    if (first.item >= 0) setCurrentPosition(first);
    return;
  }
  ZLibraryItemContainerView *header = containerViewAt(current.item);
  const int columns = fViewType == ThumbnailView && videoViewAt(current.item)
                          ? videoViewAt(current.item)->columnsForWidth(width())
                          : 1;
  Position next;
  switch (key) {
    case Qt::Key_Home:
      next = firstFrom(0);
      break;
    case Qt::Key_End:
      next = lastUpTo(items - 1);
      break;
    case Qt::Key_Right:
      if (header && !header->open()) {
        fEnvironment.browseList->expandItem(header->item().get());
        return;
      }
      [[fallthrough]];
    case Qt::Key_Down: {
      const int step = key == Qt::Key_Down ? columns : 1;
      if (current.video >= 0 && current.video + step < count(current.item))
        next = {current.item, current.video + step};
      else if (key == Qt::Key_Down && current.video >= 0 &&
               current.video / columns < (count(current.item) - 1) / columns)
        next = {current.item, count(current.item) - 1};  // the short last row
      else
        next = firstFrom(current.item + 1);
      break;
    }
    case Qt::Key_Left:
      if (header && header->open()) {
        fEnvironment.browseList->collapseItem(header->item().get());
        return;
      }
      [[fallthrough]];
    case Qt::Key_Up: {
      const int step = key == Qt::Key_Up ? columns : 1;
      if (current.video >= step)
        next = {current.item, current.video - step};
      else
        next = lastUpTo(current.item - 1);
      break;
    }
  }
  if (next.item >= 0) setCurrentPosition(next);
}

void ZLibraryItemsView::setCurrentPosition(const Position &position) {
  ensureLayout();
  fCurrent = position;
  ZLibraryBrowseListDataSource &list = *fEnvironment.browseList;
  if (ZLibraryItemContainerView *header = containerViewAt(position.item)) {
    if (header->item()) list.selectContainer(header->item().get());
  } else if (ZLibraryItemVideoView *videos = videoViewAt(position.item)) {
    if (videos->item() && position.video >= 0)
      list.selectVideoAtIndex(position.video, videos->item().get(),
                              QApplication::keyboardModifiers() & Qt::ShiftModifier);
  }
  scrollToShow(videoFrame(position.item, position.video));
  announceFocus();
  update();
}

void ZLibraryItemsView::scrollToShow(const QRect &frame) {
  if (frame.isNull()) return;
  if (frame.top() < 0)
    emit scrollRequested(fScrollOffset + frame.top());
  else if (frame.bottom() >= height())
    emit scrollRequested(fScrollOffset + std::min(frame.top(), frame.bottom() + 1 - height()));
}

void ZLibraryItemsView::announceFocus() {
  if (hasFocus()) ZLibraryAccessibility::focusMoved(this);
}
