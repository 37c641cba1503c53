#include "ZDownloadTableView.h"

#include "Dialogs.h"
#include "DrawUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadAccessibility.h"
#include "ZDownloadListModel.h"
#include "ZDownloadRowsView.h"
#include "ZDownloadTableRowView.h"
#include "ZNowPlayingListDataSource.h"

#include <QImageReader>
#include <QPainter>
#include <QScrollBar>

namespace {

const QString kConfirmCancellationKey = QStringLiteral("DownloadConfirmCancellation");
// The empty-list message lies this far below the header band.
constexpr double kEmptyMessageGap = 30;
// The video title ends this far before the speed column in the header.
constexpr double kHeaderTitleGap = 4;

// A thumbnail larger than this (in pixels, either way) is not a thumbnail.
constexpr int kLargestThumbnail = 8192;

QImage readThumbnail(const QString &path, const QSize &size) {
  if (path.isEmpty() || size.isEmpty()) return QImage();
  QImageReader reader(path);
  const QSize full = reader.size();
  if (!full.isValid() || full.width() > kLargestThumbnail || full.height() > kLargestThumbnail)
    return QImage();
  // Decode at about the size it is drawn (twice, for sharp screens).
  const QSize wanted = full.scaled(size * 2, Qt::KeepAspectRatio);
  if (wanted.width() < full.width()) reader.setScaledSize(wanted);
  return reader.read();
}

}  // namespace

ZDownloadTableView::ZDownloadTableView(QWidget *parent)
    : ZDownloadTableView(ZDownloadTableEnvironment::shared(), parent) {}

ZDownloadTableView::ZDownloadTableView(const ZDownloadTableEnvironment &environment,
                                       QWidget *parent)
    : ZOpaqueView(parent), fEnvironment(environment) {
  ZDownloadAccessibility::install();
  setObjectName(QStringLiteral("DownloadTableView"));
  setAccessibleName(accessibleListName());
  fModel = new ZDownloadListModel(*fEnvironment.queue, this);
  fScrollView = new ZDownloadRowsView(*this, *fModel, this);
  connect(fScrollView, &ZDownloadRowsView::scrollerVisibilityChanged, this,
          [this] { update(QRect(0, 0, width(), int(std::ceil(fMetrics.headerHeight)))); });
  using M = QAbstractItemModel;
  for (auto signal : {&M::rowsInserted, &M::rowsRemoved})
    connect(fModel, signal, this, &ZDownloadTableView::downloadListChanged);
  connect(fModel, &M::rowsRemoved, this, [this] {
    // Pictures of downloads no longer shown go with them.
    for (auto it = fThumbnails.begin(); it != fThumbnails.end();)
      it = fModel->rowOf(it.key()) < 0 ? fThumbnails.erase(it) : std::next(it);
  });
  connect(fModel, &M::modelReset, this, &ZDownloadTableView::downloadListChanged);
  // A finished download whose video left the library has nothing to play.
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("VideoDatabase_VideosDeleted"), [this](const Notification &) {
        if (fScrollView)
          for (ZDownloadTableRowView *row : fScrollView->visibleRowViews()) row->refresh();
      });
  setup();
}

ZDownloadTableView::~ZDownloadTableView() {
  NotificationCenter::defaultCenter().removeObserver(this);
  // The rows go first, while this is still the table they draw for and their
  // model is still there; what the model reports from here on must not reach
  // a half-destroyed table.
  delete fScrollView;
  fScrollView = nullptr;
  disconnect(fModel, nullptr, this, nullptr);
}

QString ZDownloadTableView::accessibleListName() { return localized(QStringLiteral("downloadsTableName")); }

void ZDownloadTableView::setup() {
  const ZSkin *skin = ZSkinManager::sharedSkinManager().getCurrentSkin();
  fMetrics = ZDownloadTableMetrics::fromSkin(skin);
  fImages = ZDownloadTableImages::fromSkin(skin);
  setStartColor(fMetrics.background);
  fThumbnails.clear();
  layoutScrollView();
  fScrollView->relayout();
  // A new look: every row in sight takes it, buttons too.
  for (ZDownloadTableRowView *row : fScrollView->visibleRowViews()) row->restyle();
  downloadListChanged();
}

void ZDownloadTableView::downloadListChanged() {
  fScrollView->setVisible(fModel->rowCount() > 0);
  update();
}

bool ZDownloadTableView::showsEmptyMessage() const { return fModel->rowCount() == 0; }

void ZDownloadTableView::layoutScrollView() {
  const int top = int(std::ceil(fMetrics.headerHeight));
  fScrollView->setGeometry(0, top, width(), std::max(0, height() - top));
}

void ZDownloadTableView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  layoutScrollView();
}

double ZDownloadTableView::scrollerWidth() const {
  const QScrollBar *bar = fScrollView->verticalScrollBar();
  return fScrollView->isVisible() && bar->isVisible() ? bar->width() : 0;
}

bool ZDownloadTableView::hasKeyboardFocus() const { return fScrollView->hasFocus(); }

void ZDownloadTableView::rowClicked(ZDownloadTableRowView *row) {
  const int index = fModel->rowOf(row->downloadItem());
  if (index >= 0) fScrollView->setCurrentRow(index);
  fScrollView->setFocus(Qt::MouseFocusReason);
}

QImage ZDownloadTableView::thumbnailFor(const ZDownloadItem &item, const QSize &size) {
  const QString path = item.imageFileSaved() ? item.imageFilePath() : QString();
  auto it = fThumbnails.find(&item);
  if (it == fThumbnails.end() || it->path != path || it->size != size)
    it = fThumbnails.insert(&item, {path, size, readThumbnail(path, size)});
  return it->image;
}

void ZDownloadTableView::paintEvent(QPaintEvent *event) {
  ZOpaqueView::paintEvent(event);
  QPainter painter(this);
  const ZDownloadTableMetrics &m = fMetrics;
  const ZDownloadColumns c =
      ZDownloadColumns::forRow(m, width() - scrollerWidth(), m.headerHeight);
  const double textHeight = QFontMetricsF(m.headerText.font).height();
  const double top = std::ceil((m.headerHeight - textHeight) / 2);
  const auto band = [&](const QRectF &column) {
    return QRectF(column.left(), top, column.width(), textHeight);
  };
  const QRectF video(c.title.left(), top,
                     std::max(0.0, c.connectionSpeed.left() - kHeaderTitleGap - c.title.left()),
                     textHeight);
  DrawUtilities::drawTruncatedText(painter, localized(QStringLiteral("downloadsHeaderTitleVideo")),
                                   m.headerText, video);
  const auto centred = [&](const char *key, const QRectF &column) {
    const QString text = localized(QString::fromLatin1(key));
    const QRectF cell = band(column);
    const double w = std::min(cell.width(), QFontMetricsF(m.headerText.font).horizontalAdvance(text));
    DrawUtilities::drawTruncatedText(painter, text, m.headerText,
                                     QRectF(cell.left() + (cell.width() - w) / 2, cell.top(), w,
                                            cell.height()));
  };
  centred("downloadsHeaderTitleConnectionSpeed", c.connectionSpeed);
  centred("downloadsHeaderTitleProgress", c.progress);
  centred("downloadsHeaderTitleTimeRemaining", c.timeRemaining);
  // The line under the header band, the whole width less a margin each side.
  painter.fillRect(QRectF(m.margin, m.headerHeight - m.separatorHeight,
                          std::max(0.0, width() - 2 * m.margin), m.separatorHeight),
                   m.separator);

  if (showsEmptyMessage()) {
    const QString message = localized(QStringLiteral("downloadsHeaderNoDownloads"));
    const QFontMetricsF metrics(m.titleText.font);
    const double w = std::min<double>(width(), metrics.horizontalAdvance(message));
    DrawUtilities::drawTruncatedText(
        painter, message, m.titleText,
        QRectF((width() - w) / 2, m.headerHeight + kEmptyMessageGap, w, metrics.height()));
  }
}

bool ZDownloadTableView::canPlay(const ZDownloadItem &item) const {
  const int videoId = item.videoId();
  return item.downloadComplete() && videoId != -1 && fEnvironment.library &&
         fEnvironment.library->getVideoInfo(videoId).has_value();
}

void ZDownloadTableView::stopOrPlay(const ZDownloadDataSource::ItemRef &item) {
  ZDownloadDataSource &queue = *fEnvironment.queue;
  if (!item || queue.indexOfItem(item.get()) < 0) return;
  if (item->downloadComplete()) {
    const int videoId = item->videoId();
    if (!canPlay(*item)) return;  // not in the library: nothing to play
    queue.removeCompletedDownload(item.get());
    if (fEnvironment.nowPlaying) fEnvironment.nowPlaying->setVideos({videoId});
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionStartPlayingNewVideoList"));
    return;
  }
  UserDefaults *defaults = fEnvironment.defaults;
  if (defaults && defaults->boolForKey(kConfirmCancellationKey)) {
    Dialogs &dialogs = fEnvironment.dialogs ? *fEnvironment.dialogs : Dialogs::shared();
    bool showAgain = true;
    const bool confirmed = dialogs.getConfirmation(
        localized(QStringLiteral("buttonYes")), localized(QStringLiteral("buttonNo")),
        localized(QStringLiteral("downloadsStopConfirmationMessage")), &showAgain);
    defaults->setBool(showAgain, kConfirmCancellationKey);
    if (!confirmed) return;
    // While the dialog asked, the download may have finished or gone.
    if (queue.indexOfItem(item.get()) < 0 || item->downloadComplete()) return;
  }
  item->cancelDownload();
}
