#include "ZLibraryItemVideoView.h"

#include "DrawUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "ZLibraryActions.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryPaintContext.h"
#include "ZLibraryTexts.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Thumbnail grid: the texts stand in a column 140 right of the thumbnail
// background, 100 wide.
constexpr int kGridTextOffset = 140;
constexpr int kGridTextWidth = 100;
// The thumbnail leaves 28 free at the right of its background.
constexpr int kThumbnailRightMargin = 28;
// Detail rows: the texts start 15 right of the thumbnail background; the
// description stops 120 short of the right edge, where the row's buttons
// stand.
constexpr int kDetailsTextGap = 15;
constexpr int kDetailsRightColumn = 120;
constexpr int kDetailsInset = 12;

double lineHeight(const ZTextAttributes &attributes) { return QFontMetricsF(attributes.font).height(); }

void drawTruncated(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
                   double x, double y, double width) {
  if (width <= 0) return;
  DrawUtilities::drawTruncatedText(painter, ZLibraryTexts::drawable(text), attributes,
                                   QRectF(x, y, width, lineHeight(attributes)));
}

}  // namespace

ZLibraryItemVideoView::ZLibraryItemVideoView(const ZLibraryViewEnvironment &environment,
                                             ZLibraryPaintContext &context,
                                             const ZLibraryBrowseListVideoListItemPtr &item,
                                             int viewType)
    : fEnvironment(environment), fContext(context), fItem(item), fViewType(viewType) {}

int ZLibraryItemVideoView::columnsForWidth(int width) const {
  return std::max(1, width / std::max(1, fContext.look.itemWidth));
}

int ZLibraryItemVideoView::heightForWidth(int width) const {
  const int videos = count();
  if (videos == 0) return 0;
  const ZLibraryLook &look = fContext.look;
  if (fViewType != 0) return videos * look.rowHeight;
  const int columns = columnsForWidth(width);
  const int rows = (videos + columns - 1) / columns;
  return rows * look.itemHeight + look.gradientHeight + (rows - 1) * look.cellSpacing;
}

ZVideoItemUI ZLibraryItemVideoView::videoItemUI(int index, const QRect &frame) const {
  const ZLibraryLook &look = fContext.look;
  ZVideoItemUI ui;
  ui.index = index;
  ui.video = fItem ? fItem->videoAtIndex(index) : nullptr;
  if (fViewType == 0) {
    const int columns = columnsForWidth(frame.width());
    const double spacing = double(frame.width() - columns * look.itemWidth) / columns;
    const int row = index / columns, column = index % columns;
    const int x = frame.left() + int(std::floor(spacing / 2 + column * (look.itemWidth + spacing)));
    const int y = frame.top() + look.gradientHeight + row * (look.itemHeight + look.cellSpacing);
    ui.itemRect = QRect(x, y, look.itemWidth, look.itemHeight);
    ui.thumbnailBackgroundRect = look.thumbnailRect.translated(x, y);
  } else {
    const int y = frame.top() + index * look.rowHeight;
    ui.itemRect = QRect(frame.left(), y, frame.width(), look.rowHeight);
    ui.thumbnailBackgroundRect = look.detailsThumbnailRect.translated(frame.left(), y);
    const QRect &background = ui.thumbnailBackgroundRect;
    const QSize play = look.playImage.deviceIndependentSize().toSize().expandedTo(QSize(28, 28));
    const QSize save = look.saveImage.deviceIndependentSize().toSize().expandedTo(QSize(28, 28));
    const int column = frame.right() + 1 - kDetailsRightColumn + 10;
    ui.playButtonFrame = QRect(QPoint(column, background.top()), play);
    ui.saveButtonFrame = QRect(QPoint(column + play.width() + 6, background.top()), save);
    ui.rateButtonFrame =
        QRect(QPoint(column, background.top() + std::max(play.height(), save.height()) + 8),
              look.rateCellSize);
  }
  const int border = look.thumbnailBorder;
  ui.thumbnailRect = ui.thumbnailBackgroundRect.adjusted(border, border,
                                                         -kThumbnailRightMargin - border, -border);
  return ui;
}

QList<int> ZLibraryItemVideoView::indexesIn(const QRect &frame, const QRect &area) const {
  QList<int> indexes;
  const int videos = count();
  const QRect visible = area.intersected(frame);
  if (videos == 0 || visible.isEmpty()) return indexes;
  const ZLibraryLook &look = fContext.look;
  if (fViewType == 0) {
    const int columns = columnsForWidth(frame.width());
    const int pitch = look.itemHeight + look.cellSpacing;
    const int top = visible.top() - frame.top() - look.gradientHeight;
    const int bottom = visible.bottom() - frame.top() - look.gradientHeight;
    const int firstRow = std::max(0, top / pitch);
    const int lastRow = std::min((videos - 1) / columns, std::max(0, bottom) / pitch);
    for (int row = firstRow; row <= lastRow; ++row)
      for (int column = 0; column < columns; ++column) {
        const int index = row * columns + column;
        if (index < videos) indexes.append(index);
      }
  } else {
    const int first = std::max(0, (visible.top() - frame.top()) / look.rowHeight);
    const int last = std::min(videos - 1, (visible.bottom() - frame.top()) / look.rowHeight);
    for (int index = first; index <= last; ++index) indexes.append(index);
  }
  return indexes;
}

int ZLibraryItemVideoView::indexAt(const QRect &frame, const QPoint &point) const {
  for (const int index : indexesIn(frame, QRect(point, QSize(1, 1)))) {
    const ZVideoItemUI ui = videoItemUI(index, frame);
    const int border = fContext.look.thumbnailBorder;
    if (ui.itemRect.contains(point) ||
        ui.thumbnailRect.adjusted(-border, -border, border, border).contains(point))
      return index;
  }
  return -1;
}

// ---- drawing ----------------------------------------------------------------------------------

void ZLibraryItemVideoView::draw(QPainter &painter, const QRect &frame, const QRect &exposed) const {
  if (!fItem) return;
  const ZLibraryLook &look = fContext.look;
  const QRect area = exposed.intersected(frame);
  painter.fillRect(area, Qt::white);
  if (fViewType == 0 && look.gradientHeight > 0) {
    const QRect band(frame.left(), frame.top(), frame.width(), look.gradientHeight);
    if (band.intersects(area))
      DrawUtilities::paintAxialShading(painter, band, look.gradientStart, look.gradientEnd, true);
  }
  for (const int index : indexesIn(frame, area)) {
    const ZVideoItemUI ui = videoItemUI(index, frame);
    if (!ui.video) continue;
    if (fViewType == 0)
      drawGridCell(painter, ui);
    else
      drawDetailsRow(painter, ui, frame);
  }
}

void ZLibraryItemVideoView::drawThumbnailArea(QPainter &painter, const ZVideoItemUI &ui,
                                              const VideoInfo &info) const {
  const ZLibraryLook &look = fContext.look;
  const QRect target = ui.thumbnailRect;
  // White under the picture and its border only: the free part at the right
  // shows the row's own background (the selection's, when selected).
  const int border = look.thumbnailBorder;
  painter.fillRect(target.adjusted(-border, -border, border, border), Qt::white);
  if (!target.isEmpty()) {
    const QImage thumbnail = fContext.thumbnail(info, target.size());
    if (!thumbnail.isNull())
      painter.drawImage(target, thumbnail);
    else if (!look.defaultIcon.isNull())
      painter.drawImage(target, look.defaultIcon);
  }
  if (!ui.video->viewed() && !look.videoNewImage.isNull()) {
    // Its lower left corner 4 left of and 4 below the thumbnail's.
    const QSize size = look.videoNewImage.deviceIndependentSize().toSize();
    painter.drawImage(QRect(QPoint(target.left() - 4, target.bottom() + 1 + 4 - size.height()), size),
                      look.videoNewImage);
  }
}

void ZLibraryItemVideoView::drawGridCell(QPainter &painter, const ZVideoItemUI &ui) const {
  const ZLibraryLook &look = fContext.look;
  const auto info = ui.video->info();
  if (!info) return;
  if (ui.video->selected() && !look.thumbnailSelectedBackground.isNull())
    painter.drawImage(ui.itemRect, look.thumbnailSelectedBackground);
  drawThumbnailArea(painter, ui, *info);

  const double x = ui.thumbnailBackgroundRect.left() + kGridTextOffset;
  double y = ui.thumbnailBackgroundRect.top();
  // The title on one line, or on two when it is wider than that.
  const QString title = ZLibraryTexts::drawable(ZLibraryTexts::displayTitle(*info));
  y += ZLibraryTexts::drawWrappedLines(painter, title, look.gridTitle,
                                       QRectF(x, y, kGridTextWidth, 2 * lineHeight(look.gridTitle)), 2) +
       1;
  const QString publisher = fContext.publisherName(*info);
  if (!publisher.isEmpty()) {
    drawTruncated(painter, publisher, look.gridPublisher, x, y, kGridTextWidth);
    y += lineHeight(look.gridPublisher) + 1;
  }
  drawTruncated(painter, localized(QStringLiteral("libraryDetailsViewLengthTitle")),
                look.gridDuration, x, y, 50);
  drawTruncated(painter, ZLibraryTexts::durationText(ui.video->duration()), look.gridDuration,
                x + 50, y, 50);
  y += lineHeight(look.gridDuration) + 1;
  drawTruncated(painter, localized(QStringLiteral("libraryDetailsViewAddedTitle")),
                look.gridDateAdded, x, y, 42);
  drawTruncated(painter, ZLibraryTexts::shortDateText(ui.video->dateAdded()), look.gridDateAdded,
                x + 42, y, 50);
}

void ZLibraryItemVideoView::drawDetailsRow(QPainter &painter, const ZVideoItemUI &ui,
                                           const QRect &frame) const {
  const ZLibraryLook &look = fContext.look;
  const auto info = ui.video->info();
  if (!info) return;
  const QRect &row = ui.itemRect;
  const QRect &background = ui.thumbnailBackgroundRect;
  if (ui.video->selected()) {
    if (!look.detailsSelectedBackground.isNull()) {
      const int width = int(look.detailsSelectedBackground.deviceIndependentSize().width());
      painter.drawImage(QRect(row.left() + kDetailsInset, row.top(),
                              std::min(width, row.width() - kDetailsInset), row.height()),
                        look.detailsSelectedBackground);
    }
  } else if (!look.thumbShadow.isNull()) {
    // Its upper left corner 5 left of and 5 below the background's lower left.
    painter.drawImage(QRect(QPoint(background.left() - 5, background.bottom() + 1 + 5),
                            look.thumbShadow.deviceIndependentSize().toSize()),
                      look.thumbShadow);
  }
  drawThumbnailArea(painter, ui, *info);

  const int x = background.right() + 1 + kDetailsTextGap;
  double y = background.top();
  drawTruncated(painter, ZLibraryTexts::displayTitle(*info), look.titleInDetails, x, y,
                row.right() + 1 - kDetailsInset - x);
  y += lineHeight(look.titleInDetails) + 2;
  const struct {
    const char *label;
    int labelWidth;
    QString value;
    int valueOffset, valueWidth;
  } pairs[] = {
      {"libraryDetailsViewByTitle", 20, fContext.publisherName(*info), 20, 160},
      {"libraryDetailsViewLengthTitle", 50, ZLibraryTexts::durationText(ui.video->duration()), 230,
       50},
      {"libraryDetailsViewAddedTitle", 42, ZLibraryTexts::shortDateText(ui.video->dateAdded()), 372,
       50},
  };
  const int labelOffsets[] = {0, 180, 330};
  for (int i = 0; i < 3; ++i) {
    drawTruncated(painter, localized(QLatin1String(pairs[i].label)), look.detailsLabel,
                  x + labelOffsets[i], y, pairs[i].labelWidth);
    drawTruncated(painter, pairs[i].value, look.detailsValue, x + pairs[i].valueOffset, y,
                  pairs[i].valueWidth);
  }
  y += std::max(lineHeight(look.detailsLabel), lineHeight(look.detailsValue)) + 2;
  const double descriptionLine = lineHeight(look.detailsDescription);
  const int lines = int(std::floor((row.bottom() + 1 - y - 4) / descriptionLine));
  const double width = row.right() + 1 - kDetailsRightColumn - x;
  if (lines > 0 && width > 0)
    ZLibraryTexts::drawWrappedLines(
        painter,
        ZLibraryTexts::drawable(info->value(QStringLiteral("DESCRIPTION")), true),
        look.detailsDescription, QRectF(x, y, width, lines * descriptionLine), lines);

  const int videos = count();
  const QRect line(frame.left() + kDetailsInset, 0, frame.width() - 2 * kDetailsInset, 1);
  if (ui.index > 0) painter.fillRect(line.translated(0, row.top()), look.separatorColor);
  if (ui.index < videos - 1) painter.fillRect(line.translated(0, row.bottom()), look.separatorColor);
}

// ---- mouse and menu ---------------------------------------------------------------------------

void ZLibraryItemVideoView::mouseDown(int index, bool toggle) {
  if (!fItem || index < 0 || index >= count()) return;
  ZLibraryBrowseListDataSource &list = *fEnvironment.browseList;
  if (toggle)
    list.toggleVideoSelectionAtIndex(index, fItem.get());
  else if (!fItem->videoSelectedAtIndex(index))
    list.selectVideoAtIndex(index, fItem.get(), false);
}

void ZLibraryItemVideoView::rightMouseDown(int index) {
  if (!fItem || index < 0 || index >= count()) return;
  if (!fItem->videoSelectedAtIndex(index))
    fEnvironment.browseList->selectVideoAtIndex(index, fItem.get(), false);
}

QMenu *ZLibraryItemVideoView::makeContextMenu(QWidget *parent) {
  const QList<int> selected = fEnvironment.browseList->selectedVideoIds();
  auto *menu = new QMenu(parent);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const ZLibraryViewEnvironment environment = fEnvironment;
  ZLibraryPaintContext &context = fContext;
  const ZLibraryBrowseListVideoListItemPtr list = fItem;
  const int viewType = fViewType;
  const auto add = [&](const char *key, void (ZLibraryItemVideoView::*action)()) {
    QAction *item = menu->addAction(localized(QLatin1String(key)));
    // The view may have been replaced by a reload when the menu answers.
    QObject::connect(item, &QAction::triggered, menu, [=, &context] {
      ZLibraryItemVideoView view(environment, context, list, viewType);
      (view.*action)();
    });
  };
  add(selected.size() > 1 ? "libraryVideoitemContextmenuPlayAll" : "libraryVideoitemContextmenuPlay",
      &ZLibraryItemVideoView::playNow);
  add("libraryVideoitemContextmenuResumePlayback", &ZLibraryItemVideoView::resumeVideoPlayback);
  menu->addSeparator();
  // For one video the item that changes its state; for several both.
  VideoDatabase &database = *fEnvironment.database;
  const bool one = selected.size() == 1;
  const bool saved = one && database.savedStateForVideoId(selected.first());
  if (!one || !saved)
    add("libraryVideoitemContextmenuMarkSaved", &ZLibraryItemVideoView::markSaved);
  if (!one || saved)
    add("libraryVideoitemContextmenuMarkUnsaved", &ZLibraryItemVideoView::markUnsaved);
  menu->addSeparator();
  const auto first = one ? database.getVideoInfo(selected.first()) : std::nullopt;
  const bool viewed = first && !first->value(QStringLiteral("DATE_VIEWED")).isEmpty();
  if (!one || viewed) add("libraryVideoitemContextmenuMarkNew", &ZLibraryItemVideoView::markNew);
  if (!one || !viewed) add("libraryVideoitemContextmenuMarkViewed", &ZLibraryItemVideoView::markViewed);
  menu->addSeparator();
  add("libraryVideoitemContextmenuFindOnZaro", &ZLibraryItemVideoView::findOnZaro);
  add("libraryVideoitemContextmenuFindOnMac", &ZLibraryItemVideoView::revealInFinder);
  menu->addSeparator();
  add("libraryVideoitemContextmenuRemove", &ZLibraryItemVideoView::remove);
  return menu;
}

// ---- actions ----------------------------------------------------------------------------------

void ZLibraryItemVideoView::playNow() {
  ZLibraryActions(fEnvironment).play(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemVideoView::resumeVideoPlayback() {
  ZLibraryActions(fEnvironment).resume(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemVideoView::playFromDetailsView(int index) {
  if (const auto video = fItem ? fItem->videoAtIndex(index) : nullptr)
    ZLibraryActions(fEnvironment).play({video->videoId()});
}

void ZLibraryItemVideoView::ratingChanged(int index, int rating) {
  if (const auto video = fItem ? fItem->videoAtIndex(index) : nullptr)
    ZLibraryActions(fEnvironment).rate(video->videoId(), rating);
}

void ZLibraryItemVideoView::markSaved() {
  ZLibraryActions(fEnvironment).setSaved(fEnvironment.browseList->selectedVideoIds(), true);
}

void ZLibraryItemVideoView::markUnsaved() {
  ZLibraryActions(fEnvironment).setSaved(fEnvironment.browseList->selectedVideoIds(), false);
}

void ZLibraryItemVideoView::markNew() {
  ZLibraryActions(fEnvironment).setViewed(fEnvironment.browseList->selectedVideoIds(), false);
}

void ZLibraryItemVideoView::markViewed() {
  ZLibraryActions(fEnvironment).setViewed(fEnvironment.browseList->selectedVideoIds(), true);
}

void ZLibraryItemVideoView::findOnZaro() {
  ZLibraryActions(fEnvironment).findOnZaro(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemVideoView::revealInFinder() {
  ZLibraryActions(fEnvironment).revealInFinder(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemVideoView::saveToggle(int index) {
  if (const auto video = fItem ? fItem->videoAtIndex(index) : nullptr)
    ZLibraryActions(fEnvironment).flipSaved({video->videoId()});
}

void ZLibraryItemVideoView::remove() {
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionRemoveSelectedVideosFromLibrary"));
}
