#include "ZDownloadTableRowView.h"

#include "DrawUtilities.h"
#include "Localization.h"
#include "ZControls.h"
#include "ZDownloadListModel.h"
#include "ZDownloadTableView.h"
#include "ZDownloadTexts.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The button's right edge lies this far inside the row's.
constexpr int kButtonRightInset = 12;

// A text centred in a cell; cut off with an ellipsis when it does not fit.
void drawCentredText(QPainter &painter, const QString &text, const ZTextAttributes &attributes,
                     const QRectF &cell) {
  const double width = std::min(cell.width(), QFontMetricsF(attributes.font).horizontalAdvance(text));
  const QRectF rect(cell.left() + (cell.width() - width) / 2, cell.top(), width, cell.height());
  DrawUtilities::drawTruncatedText(painter, text, attributes, rect);
}

}  // namespace

ZDownloadRowProgress::ZDownloadRowProgress(ZDownloadTableRowView *row) : QObject(row) {
  setObjectName(QStringLiteral("DownloadRowProgress"));
}

ZDownloadTableRowView *ZDownloadRowProgress::row() const {
  return static_cast<ZDownloadTableRowView *>(parent());
}

ZDownloadTableRowView::ZDownloadTableRowView(ZDownloadTableView &table, QWidget *parent)
    : QWidget(parent), fTable(table) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  fProgressPart = new ZDownloadRowProgress(this);
  fStopButton = new ZButtonImageView(this);
  fStopButton->setObjectName(QStringLiteral("DownloadRowButton"));
  fStopButton->setFocusPolicy(Qt::NoFocus);
  fStopButton->setAction([this](ZButtonImageView *) { pressStopButton(); });
  updateButton();
}

void ZDownloadTableRowView::setItem(const ZDownloadDataSource::ItemRef &item) {
  fDownloadItem = item;
  restyle();
}

void ZDownloadTableRowView::restyle() {
  fShown = Appearance();
  updateButton();
  update();
  refresh();
}

ZDownloadTableRowView::Appearance ZDownloadTableRowView::appearance() const {
  Appearance now;
  if (!fDownloadItem) return now;
  const ZLocalizedText speed = ZDownloadTexts::connectionSpeed(*fDownloadItem);
  const ZLocalizedText time = ZDownloadTexts::timeRemaining(*fDownloadItem);
  now.title = titleText();
  now.connectionSpeed = speed.text();
  now.progress = progressText();
  now.timeRemaining = time.text();
  now.description = ZDownloadTexts::accessibleDescription(speed, time);
  now.percent = ZDownloadTexts::shownPercent(fDownloadItem->percentDownloaded());
  now.thumbnailPath = fDownloadItem->imageFileSaved() ? fDownloadItem->imageFilePath() : QString();
  now.complete = fDownloadItem->downloadComplete();
  now.playable = now.complete && fTable.canPlay(*fDownloadItem);
  const ZDownloadColumns c = ZDownloadColumns::forRow(fTable.metrics(), width(), height());
  const ZProgressBarPieces bar = ZProgressBarPieces::forColumn(
      c.progress, fTable.images(),
      ZDownloadTexts::boundedPercent(fDownloadItem->percentDownloaded()), now.complete);
  now.barPixels = int(std::lround(bar.on.width() * devicePixelRatioF()));
  return now;
}

void ZDownloadTableRowView::refresh() {
  const Appearance now = appearance();
  if (now == fShown) return;
  if (now.complete != fShown.complete || now.playable != fShown.playable) updateButton();
  if (accessibleName() != now.title) setAccessibleName(now.title);
  fShown = now;
  update();
  // A busy transfer changes its row many times a second: the bus hears of
  // it once a second at most, and of the last change in any case.
  if (fShown.progress != fAnnouncedProgress || fShown.description != fAnnouncedDescription)
    fAnnouncer.changed();
}

void ZDownloadTableRowView::announce() {
  const bool progressChanged = fShown.progress != fAnnouncedProgress;
  const bool descriptionChanged = fShown.description != fAnnouncedDescription;
  fAnnouncedProgress = fShown.progress;
  fAnnouncedDescription = fShown.description;
  if (progressChanged) {
    QAccessibleValueChangeEvent event(fProgressPart, fShown.percent);
    QAccessible::updateAccessibility(&event);
  }
  if (descriptionChanged) {
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
  }
}

QRect ZDownloadTableRowView::progressRect() const {
  return ZDownloadColumns::forRow(fTable.metrics(), width(), height()).progress.toAlignedRect();
}

void ZDownloadTableRowView::setCurrent(bool current) {
  if (current == fCurrent) return;
  fCurrent = current;
  update();
}

void ZDownloadTableRowView::updateButton() {
  const bool complete = fDownloadItem && fDownloadItem->downloadComplete();
  // A finished download plays only while its video is in the library.
  const bool offered = !complete || fTable.canPlay(*fDownloadItem);
  if (offered == fStopButton->isHidden()) fStopButton->setHidden(!offered);
  const ZDownloadTableImages &images = fTable.images();
  fStopButton->setImage(complete ? images.playButton : images.stopButton,
                        complete ? images.playButtonParts : images.stopButtonParts);
  const QString name = localized(complete ? QStringLiteral("downloadsButtonPlay")
                                           : QStringLiteral("downloadsButtonStop"));
  if (fStopButton->accessibleName() != name) fStopButton->setAccessibleName(name);
  placeButton();
}

void ZDownloadTableRowView::placeButton() {
  QSize size = fStopButton->imageDisplaySize().toSize();
  if (size.isEmpty()) size = QSize(20, 20);  // no picture: still a place to press
  fStopButton->setGeometry(width() - kButtonRightInset - size.width(),
                           (height() - size.height()) / 2, size.width(), size.height());
}

void ZDownloadTableRowView::resizeEvent(QResizeEvent *) {
  placeButton();
  refresh();
}

void ZDownloadTableRowView::mousePressEvent(QMouseEvent *event) {
  fTable.rowClicked(this);
  QWidget::mousePressEvent(event);
}

void ZDownloadTableRowView::pressStopButton() {
  // The page may hand this row another download while a dialog asks.
  if (ZDownloadDataSource::ItemRef item = fDownloadItem) fTable.stopOrPlay(item);
}

QString ZDownloadTableRowView::titleText() const {
  return fDownloadItem ? ZDownloadListModel::plainTitle(fDownloadItem->title()) : QString();
}

QString ZDownloadTableRowView::connectionSpeedText() const {
  return fDownloadItem ? ZDownloadTexts::connectionSpeed(*fDownloadItem).text() : QString();
}

QString ZDownloadTableRowView::progressText() const {
  return fDownloadItem ? ZDownloadTexts::progress(fDownloadItem->percentDownloaded()) : QString();
}

QString ZDownloadTableRowView::timeRemainingText() const {
  return fDownloadItem ? ZDownloadTexts::timeRemaining(*fDownloadItem).text() : QString();
}

void ZDownloadTableRowView::paintEvent(QPaintEvent *) {
  const ZDownloadTableMetrics &m = fTable.metrics();
  const ZDownloadTableImages &images = fTable.images();
  const ZDownloadColumns c = ZDownloadColumns::forRow(m, width(), height());
  QPainter painter(this);
  painter.fillRect(rect(), m.background);
  painter.fillRect(c.separator, m.separator);
  if (!fDownloadItem) return;

  // The thumbnail, or the skin's stand-in when it has none (or it does not load).
  const QImage thumbnail = fTable.thumbnailFor(*fDownloadItem, c.thumbnail.size().toSize());
  const QImage &image = thumbnail.isNull() ? images.defaultIcon : thumbnail;
  if (!image.isNull()) {
    painter.fillRect(c.thumbnail, m.background2);
    const QRectF room = c.thumbnail.adjusted(m.margin, m.margin, -m.margin, -m.margin);
    if (room.width() > 0 && room.height() > 0) {
      QSizeF size = image.deviceIndependentSize();
      size.scale(room.size(), Qt::KeepAspectRatio);
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.drawImage(QRectF(room.center() - QPointF(size.width(), size.height()) / 2, size),
                        image);
    }
  }

  if (c.title.width() > 0)
    DrawUtilities::drawTruncatedText(painter, titleText(), m.titleText, c.title);

  painter.fillRect(c.connectionSpeed, m.background2);
  drawCentredText(painter, connectionSpeedText(), m.headerText, c.connectionSpeed);

  if (images.hasProgressBar()) {
    const double percent = ZDownloadTexts::boundedPercent(fDownloadItem->percentDownloaded());
    const ZProgressBarPieces bar =
        ZProgressBarPieces::forColumn(c.progress, images, percent, fDownloadItem->downloadComplete());
    painter.drawImage(bar.leftCap, bar.leftCapOn ? images.barLeftOn : images.barLeftOff);
    if (bar.on.width() > 0) painter.drawImage(bar.on, images.barBackgroundOn);
    if (bar.off.width() > 0) painter.drawImage(bar.off, images.barBackgroundOff);
    painter.drawImage(bar.rightCap, bar.rightCapOn ? images.barRightOn : images.barRightOff);
    const QRectF over(bar.leftCap.left(), bar.leftCap.top(),
                      bar.rightCap.right() - bar.leftCap.left(), bar.leftCap.height());
    drawCentredText(painter, progressText(), m.progressText, over);
  }

  painter.fillRect(c.timeRemaining, m.background2);
  drawCentredText(painter, timeRemainingText(), m.headerText, c.timeRemaining);

  if (fCurrent && fTable.hasKeyboardFocus()) {
    QPen pen(m.titleText.foregroundColor, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5 - m.separatorHeight));
  }
}
