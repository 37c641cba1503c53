#include "ZLibraryItemContainerView.h"

#include "DrawUtilities.h"
#include "Localization.h"
#include "ZLibraryActions.h"
#include "ZLibraryBrowseListDataSource.h"

#include <QMenu>
#include <QPainter>

#include <cmath>

namespace {

// The arrow stands in the header's first 25 points, the title after them.
constexpr int kTitleX = 25;
constexpr int kOptionsRightInset = 8;
constexpr int kBadgeGap = 8;

// Colours shaded in bands from the header's bottom (the list's first
// colour) to its top.
void shadeBands(QPainter &painter, const QRect &frame, const QList<QColor> &colors) {
  if (colors.isEmpty()) {
    painter.fillRect(frame, QColor::fromRgbF(0.9, 0.9, 0.9));
    return;
  }
  if (colors.size() == 1) {
    painter.fillRect(frame, colors.first());
    return;
  }
  const qsizetype bands = colors.size() - 1;
  const double bandHeight = double(frame.height()) / double(bands);
  for (qsizetype band = 0; band < bands; ++band) {
    const double bottom = frame.top() + frame.height() - band * bandHeight;
    const QRectF rect(frame.left(), bottom - bandHeight, frame.width(), bandHeight);
    DrawUtilities::paintAxialShading(painter, rect, colors.at(band), colors.at(band + 1), true);
  }
}

QRect centredVertically(const QRect &frame, int x, const QSize &size) {
  return QRect(x, frame.top() + int(std::ceil((frame.height() - size.height()) / 2.0)),
               size.width(), size.height());
}

}  // namespace

ZLibraryItemContainerView::ZLibraryItemContainerView(const ZLibraryViewEnvironment &environment,
                                                     const ZLibraryLook &look)
    : fEnvironment(environment), fLook(look) {}

QRect ZLibraryItemContainerView::arrowRect(const QRect &frame) const {
  const QSize image = fLook.upDownImage.deviceIndependentSize().toSize();
  const QSize half(image.width() / 2, image.height());
  const QSize size = half.isEmpty() ? QSize(12, 12) : half;
  return centredVertically(frame, frame.left() + (kTitleX - size.width()) / 2, size);
}

QRect ZLibraryItemContainerView::optionsRect(const QRect &frame) const {
  QSize size = fLook.optionsImage.deviceIndependentSize().toSize();
  if (size.isEmpty()) size = QSize(16, 16);
  return centredVertically(frame, frame.right() + 1 - kOptionsRightInset - size.width(), size);
}

ZLibraryItemContainerView::Part ZLibraryItemContainerView::partAt(const QRect &frame,
                                                                  const QPoint &point) const {
  if (arrowRect(frame).adjusted(-4, -4, 4, 4).contains(point)) return Part::Arrow;
  if (optionsRect(frame).adjusted(-2, -2, 2, 2).contains(point)) return Part::Options;
  return Part::Body;
}

void ZLibraryItemContainerView::draw(QPainter &painter, const QRect &frame, const QRect &) const {
  if (!fItem) return;
  painter.save();
  shadeBands(painter, frame,
             fItem->selected()   ? fLook.headerColorsSelected
             : fItem->expanded() ? fLook.headerColorsOpen
                                 : fLook.headerColorsClose);
  painter.fillRect(QRect(frame.left(), frame.bottom(), frame.width(), 1),
                   QColor::fromRgbF(0.8, 0.8, 0.8));

  if (!fLook.upDownImage.isNull())
    DrawUtilities::drawImagePart(painter, arrowRect(frame), fLook.upDownImage,
                                 fItem->expanded() ? 0 : 1, 2);
  const QRect options = optionsRect(frame);
  if (!fLook.optionsImage.isNull()) painter.drawImage(options, fLook.optionsImage);

  int titleRight = options.left() - kBadgeGap;
  const int newVideos = fItem->countOfNewVideos();
  if (newVideos > 0 && !fLook.newCountImage.isNull()) {
    const QSize size = fLook.newCountImage.deviceIndependentSize().toSize();
    const QRect badge = centredVertically(frame, titleRight - size.width(), size);
    painter.drawImage(badge, fLook.newCountImage);
    const QString count =
        formatString(QStringLiteral("%d %@"),
                     {newVideos, localized(QStringLiteral("libraryContainerItemNewVideoCountSuffix"))});
    painter.setFont(fLook.titleInDetails.font);
    painter.setPen(fLook.titleInDetails.foregroundColor);
    painter.drawText(badge, Qt::AlignCenter | Qt::TextSingleLine,
                     DrawUtilities::truncatedText(count, fLook.titleInDetails, badge.width() - 4));
    titleRight = badge.left() - kBadgeGap;
  }
  const QRect title(frame.left() + kTitleX, frame.top(), std::max(0, titleRight - frame.left() - kTitleX),
                    frame.height());
  DrawUtilities::drawTruncatedText(painter, fItem->title(), fLook.headerText, title);
  painter.restore();
}

void ZLibraryItemContainerView::mouseDown(Part part, bool toggle) {
  if (!fItem) return;
  ZLibraryBrowseListDataSource &list = *fEnvironment.browseList;
  ZLibraryBrowseListContainerItemPtr keep = fItem;  // the list may rebuild under us
  switch (part) {
    case Part::Arrow:
      if (fItem->expanded())
        list.collapseItem(fItem.get());
      else
        list.expandItem(fItem.get());
      list.selectContainer(keep.get());
      break;
    case Part::Options:
      list.selectContainer(fItem.get());
      break;
    case Part::Body:
      if (toggle)
        list.toggleContainerSelection(fItem.get());
      else
        list.selectContainer(fItem.get());
      break;
  }
}

QList<ZLibraryBrowseListContainerItem *> ZLibraryItemContainerView::selectedGroups() const {
  QList<ZLibraryBrowseListContainerItem *> groups;
  for (const auto &group : fEnvironment.browseList->selectedContainers()) groups.append(group.get());
  if (groups.isEmpty() && fItem) groups.append(fItem.get());
  return groups;
}

bool ZLibraryItemContainerView::offersSubscribe() const {
  if (!fItem || !ZLibraryActions::canSubscribe(fItem->type())) return false;
  const ZLibraryActions actions(fEnvironment);
  return !actions.isSubscribed(*fItem) &&
         !fItem->info().value(QStringLiteral("FeedUrl")).isEmpty();
}

bool ZLibraryItemContainerView::offersUnsubscribe() const {
  if (!fItem) return false;
  if (fItem->type() == 8 || fItem->type() == 10)
    return !fItem->info().value(QStringLiteral("Url")).isEmpty();
  return ZLibraryActions::canSubscribe(fItem->type()) && ZLibraryActions(fEnvironment).isSubscribed(*fItem);
}

QMenu *ZLibraryItemContainerView::makeContextMenu(QWidget *parent) {
  auto *menu = new QMenu(parent);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const auto add = [&](const char *key, void (ZLibraryItemContainerView::*action)()) {
    QAction *item = menu->addAction(localized(QLatin1String(key)));
    // The view may be gone when the menu answers (a reload replaces it):
    // the action holds the group, not the view.
    const ZLibraryBrowseListContainerItemPtr group = fItem;
    const ZLibraryViewEnvironment environment = fEnvironment;
    const ZLibraryLook &look = fLook;
    QObject::connect(item, &QAction::triggered, menu, [group, environment, &look, action] {
      ZLibraryItemContainerView view(environment, look);
      view.setItem(group);
      (view.*action)();
    });
    return item;
  };
  add("libraryContainerItemContextMenuPlayAll", &ZLibraryItemContainerView::playAll);
  menu->addSeparator();
  add("libraryContainerItemContextMenuMarkSaved", &ZLibraryItemContainerView::markSaved);
  add("libraryContainerItemContextMenuMarkUnsaved", &ZLibraryItemContainerView::markUnsaved);
  if (offersSubscribe() || offersUnsubscribe()) {
    menu->addSeparator();
    if (offersSubscribe())
      add("libraryContainerItemContextMenuSubscribe", &ZLibraryItemContainerView::subscribe);
    else
      add("libraryContainerItemContextMenuUnsubscribe", &ZLibraryItemContainerView::unsubscribe);
  }
  menu->addSeparator();
  add("libraryContainerItemContextMenuMarkNew", &ZLibraryItemContainerView::markNew);
  add("libraryContainerItemContextMenuMarkViewed", &ZLibraryItemContainerView::markViewed);
  menu->addSeparator();
  add("libraryContainerItemContextMenuFindOnZaro", &ZLibraryItemContainerView::findOnZaro);
  menu->addSeparator();
  add("libraryContainerItemContextMenuExpandAll", &ZLibraryItemContainerView::expandAll);
  add("libraryContainerItemContextMenuCollapseAll", &ZLibraryItemContainerView::collapseAll);
  menu->addSeparator();
  add("libraryContainerItemContextMenuRemove", &ZLibraryItemContainerView::remove);
  return menu;
}

void ZLibraryItemContainerView::playAll() {
  if (fItem) ZLibraryActions(fEnvironment).play(fItem->videoIdList());
}

void ZLibraryItemContainerView::markSaved() {
  ZLibraryActions(fEnvironment).setSaved(fEnvironment.browseList->selectedVideoIds(), true);
}

void ZLibraryItemContainerView::markUnsaved() {
  ZLibraryActions(fEnvironment).setSaved(fEnvironment.browseList->selectedVideoIds(), false);
}

void ZLibraryItemContainerView::markNew() {
  ZLibraryActions(fEnvironment).setViewed(fEnvironment.browseList->selectedVideoIds(), false);
}

void ZLibraryItemContainerView::markViewed() {
  ZLibraryActions(fEnvironment).setViewed(fEnvironment.browseList->selectedVideoIds(), true);
}

void ZLibraryItemContainerView::subscribe() {
  const QList<ZLibraryBrowseListContainerItem *> groups = selectedGroups();
  if (groups.isEmpty() || !ZLibraryActions::canSubscribe(groups.first()->type())) return;
  ZLibraryActions(fEnvironment).subscribe(groups);
}

void ZLibraryItemContainerView::unsubscribe() {
  ZLibraryActions(fEnvironment).unsubscribe(selectedGroups());
}

void ZLibraryItemContainerView::findOnZaro() {
  ZLibraryActions(fEnvironment).findOnZaro(fEnvironment.browseList->selectedVideoIds());
}

void ZLibraryItemContainerView::expandAll() { fEnvironment.browseList->expandAllContainers(); }

void ZLibraryItemContainerView::collapseAll() { fEnvironment.browseList->collapseAllContainers(); }

void ZLibraryItemContainerView::remove() {
  if (!fItem) return;
  const ZLibraryActions actions(fEnvironment);
  if (fEnvironment.browseList->browsingBy() == 6)
    actions.removeFromPlaylists(
        {{fItem->info().value(QStringLiteral("id")).toInt(), fItem->videoIdList()}});
  else
    actions.removeFromLibrary(fItem->videoIdList());
}
