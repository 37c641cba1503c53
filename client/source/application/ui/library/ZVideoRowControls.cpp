#include "ZVideoRowControls.h"

#include "Localization.h"
#include "ZControls.h"
#include "ZLibraryItemVideoView.h"
#include "ZLibraryItemsView.h"

#include <QEvent>
#include <QHash>
#include <QSet>

#include <algorithm>

ZVideoRowControls::ZVideoRowControls(ZLibraryItemsView &view) : QObject(&view), fView(view) {}

ZVideoRowControls::~ZVideoRowControls() = default;

ZVideoRowControls::Row &ZVideoRowControls::makeRow() {
  auto row = std::make_unique<Row>();
  Row *target = row.get();
  const ZLibraryLook &look = fView.paintContext().look;
  const auto act = [this, target](auto &&what) {
    if (!target->list) return;
    ZLibraryItemVideoView view(fView.environment(), fView.paintContext(), target->list, 1);
    what(view);
  };
  target->play = new ZButtonImageView(&fView);
  target->play->setImage(look.playImage, 1);
  target->play->setToolTip(localized(QStringLiteral("tooltipLibraryPlayVideoButton")));
  target->play->setAction([act, target](ZButtonImageView *) {
    act([target](ZLibraryItemVideoView &view) { view.playFromDetailsView(target->index); });
  });
  target->save = new ZButtonImageView(&fView);
  target->save->setAction([act, target](ZButtonImageView *) {
    act([target](ZLibraryItemVideoView &view) { view.saveToggle(target->index); });
  });
  target->rate = ZRateButtonView::create(QPoint(0, 0), &fView);
  target->rate->setAction([act, target](ZRateButtonView *widget) {
    const int rating = widget->rating();
    act([target, rating](ZLibraryItemVideoView &view) { view.ratingChanged(target->index, rating); });
  });
  target->rate->installEventFilter(this);
  fRows.push_back(std::move(row));
  return *target;
}

void ZVideoRowControls::show(Row &row, bool shown) {
  for (QWidget *widget : {static_cast<QWidget *>(row.play), static_cast<QWidget *>(row.rate),
                          static_cast<QWidget *>(row.save)})
    widget->setVisible(shown);
  if (!shown) {
    row.list.reset();
    row.item = row.index = -1;
  }
}

void ZVideoRowControls::assign(Row &row) {
  const ZVideoItemUI ui = fView.videoViewAt(row.item)->videoItemUI(row.index, fView.itemFrame(row.item));
  if (!ui.video) return show(row, false);
  const auto info = ui.video->info();
  const QString title = info ? info->value(QStringLiteral("TITLE")) : QString();
  const ZLibraryLook &look = fView.paintContext().look;
  row.play->setGeometry(ui.playButtonFrame);
  row.play->setAccessibleName(localizedFormat(QStringLiteral("libraryAccessiblePlayVideo"), {title}));
  row.save->setGeometry(ui.saveButtonFrame);
  const bool saved = ui.video->saved();
  row.save->setImage(saved ? look.dontSaveImage : look.saveImage, 1);
  row.save->setToolTip(localized(saved ? QStringLiteral("tooltipLibraryDontSaveVideoButton")
                                       : QStringLiteral("tooltipLibrarySaveVideoButton")));
  row.save->setAccessibleName(
      localizedFormat(saved ? QStringLiteral("libraryAccessibleDontSaveVideo")
                            : QStringLiteral("libraryAccessibleSaveVideo"),
                      {title}));
  row.rateFrame = ui.rateButtonFrame;
  if (!row.rate->isChoosing()) row.rate->move(ui.rateButtonFrame.topLeft());
  row.rate->setVideoItem(ui.video->videoId(), ui.video->rating());
  row.rate->setAccessibleName(localizedFormat(QStringLiteral("libraryAccessibleRating"), {title}));
  row.rate->setToolTip(localized(QStringLiteral("tooltipLibraryRateVideo")));
  show(row, true);
  row.play->raise();
  row.save->raise();
  row.rate->raise();
}

void ZVideoRowControls::place() {
  // The rows in sight.
  QList<QPair<int, int>> wanted;
  if (fView.viewType() == ZLibraryItemsView::DetailsView) {
    const QRect visible = fView.rect();
    for (int item = std::max(0, fView.itemIndexAt(QPoint(0, 0))); item < fView.numItems(); ++item) {
      const QRect frame = fView.itemFrame(item);
      if (frame.top() > visible.bottom()) break;
      if (const ZLibraryItemVideoView *list = fView.videoViewAt(item))
        for (const int index : list->indexesIn(frame, visible)) wanted.append({item, index});
    }
  }
  // Rows that stay in sight keep their controls (a rating being chosen
  // goes on); the others are handed on.
  QHash<QPair<const void *, int>, Row *> current;
  for (const auto &row : fRows)
    if (row->list) current.insert({row->list.get(), row->index}, row.get());
  QList<Row *> free;
  QSet<Row *> kept;
  QList<QPair<int, int>> unplaced;
  for (const auto &[item, index] : wanted) {
    const ZLibraryItemVideoView *list = fView.videoViewAt(item);
    Row *row = current.value({list->item().get(), index});
    if (row) {
      row->item = item;
      row->list = list->item();
      kept.insert(row);
      assign(*row);
    } else {
      unplaced.append({item, index});
    }
  }
  for (const auto &row : fRows)
    if (!kept.contains(row.get())) free.append(row.get());
  for (const auto &[item, index] : unplaced) {
    Row *row = free.isEmpty() ? &makeRow() : free.takeFirst();
    row->item = item;
    row->index = index;
    row->list = fView.videoViewAt(item)->item();
    assign(*row);
  }
  for (Row *row : free) show(*row, false);
}

void ZVideoRowControls::refresh() {
  for (const auto &row : fRows)
    if (row->list && fView.videoViewAt(row->item)) assign(*row);
}

QList<const ZVideoRowControls::Row *> ZVideoRowControls::shownRows() const {
  QList<const Row *> rows;
  for (const auto &row : fRows)
    if (row->list) rows.append(row.get());
  std::sort(rows.begin(), rows.end(), [](const Row *a, const Row *b) {
    return a->item != b->item ? a->item < b->item : a->index < b->index;
  });
  return rows;
}

QList<QWidget *> ZVideoRowControls::shownWidgets() const {
  QList<QWidget *> widgets;
  for (const Row *row : shownRows()) widgets << row->play << row->rate << row->save;
  return widgets;
}

bool ZVideoRowControls::eventFilter(QObject *watched, QEvent *event) {
  // While a rating is being chosen the widget shows all six choices; it is
  // moved left as far as needed to show them within the view, and back to
  // its place afterwards.
  if (event->type() == QEvent::Resize)
    for (const auto &row : fRows)
      if (row->rate == watched) {
        const int overflow = row->rateFrame.left() + row->rate->width() - (fView.width() - 4);
        row->rate->move(row->rate->isChoosing() && overflow > 0
                            ? QPoint(std::max(0, row->rateFrame.left() - overflow), row->rateFrame.top())
                            : row->rateFrame.topLeft());
      }
  return QObject::eventFilter(watched, event);
}
