#include "ZLibrarySortBarView.h"

#include "DrawUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "UserDefaults.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryLook.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

ZTextAttributes arial(double size, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(int(size));
  font.setBold(bold);
  return {font, Qt::white};
}

int centredTop(double height, double free) { return int(std::ceil((free - height) / 2)); }

// The label stands 10 from the bar's left edge; the keys begin right after it.
constexpr int kLabelX = 10;

}  // namespace

// ---- one key ----------------------------------------------------------------------------------

ZSortBarItemView::ZSortBarItemView(const QRect &frame, const QString &title, int tag,
                                   QWidget *parent)
    : QAbstractButton(parent), fTitle(title), fTag(tag) {
  setText(title);
  setFocusPolicy(Qt::TabFocus);
  setObjectName(QStringLiteral("SortBarItem%1").arg(tag));
  // Space and Return, and the accessible press, click the button.
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (fAction) fAction(this);
  });
  NotificationCenter::defaultCenter().addObserver(
      this, ZLibraryBrowseListDataSource::SortingChangedNotification,
      [this](const Notification &) { update(); });
  setFrame(frame);
}

ZSortBarItemView::~ZSortBarItemView() { NotificationCenter::defaultCenter().removeObserver(this); }

void ZSortBarItemView::setSkin(const ZSkin *skin) {
  fSkin = skin;
  setFrame(geometry());
  update();
}

ZTextAttributes ZSortBarItemView::titleAttributes(bool selected) const {
  if (fSkin)
    if (const auto attributes = selected ? fSkin->librarySortByTypeSelectedAttributes()
                                         : fSkin->librarySortByTypeAttributes())
      return ZLibraryLook::inPixels(*attributes);
  return arial(11, selected);
}

int ZSortBarItemView::widthForTitleWidth(double titleWidth, double arrowImageWidth) {
  return int(std::ceil(titleWidth)) + 30 + int(std::ceil(arrowImageWidth / 2)) + 10;
}

void ZSortBarItemView::setFrame(const QRect &frame) {
  QRect placed = frame;
  if (frame.height() > 0) {
    const double title = QFontMetricsF(titleAttributes(true).font).horizontalAdvance(fTitle);
    const double arrow = fSkin ? fSkin->librarySortArrowImage().deviceIndependentSize().width() : 0;
    placed.setWidth(widthForTitleWidth(title, arrow));
  }
  setGeometry(placed);
}

bool ZSortBarItemView::highlighted() const { return Utilities::currentSortType() == fTag; }

void ZSortBarItemView::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const bool selected = highlighted();
  const ZTextAttributes attributes = titleAttributes(selected);
  const QFontMetricsF metrics(attributes.font);
  const double titleHeight = metrics.height();
  const double titleWidth = metrics.horizontalAdvance(fTitle);
  const QRectF title(15, centredTop(titleHeight, height()), titleWidth + 1, titleHeight);
  painter.setFont(attributes.font);
  painter.setPen(attributes.foregroundColor);
  painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fTitle);
  const QImage arrow = fSkin ? fSkin->librarySortArrowImage() : QImage();
  if (selected && !arrow.isNull()) {
    // Two pictures side by side: descending, ascending.
    const QSizeF size(std::ceil(arrow.deviceIndependentSize().width() / 2),
                      arrow.deviceIndependentSize().height());
    const QRectF place(title.left() + titleWidth + 8,
                       title.top() + centredTop(size.height(), titleHeight), size.width(),
                       size.height());
    DrawUtilities::drawImagePart(painter, place, arrow, Utilities::currentSortOrder() ? 1 : 0, 2);
  }
  if (hasFocus()) {
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
  }
}

void ZSortBarItemView::mousePressEvent(QMouseEvent *event) {
  // A press anywhere in the key sends its action at once.
  if (event->button() == Qt::LeftButton && fAction) fAction(this);
}

void ZSortBarItemView::mouseReleaseEvent(QMouseEvent *) {}

// ---- the bar ----------------------------------------------------------------------------------

ZLibrarySortBarView::ZLibrarySortBarView(QWidget *parent) : ZOpaqueView(parent) {
  setObjectName(QStringLiteral("LibrarySortBar"));
  const QColor grey = QColor::fromRgbF(0.5, 0.5, 0.5);
  setStartColor(grey);
  setEndColor(grey);
  const auto make = [this](const char *key, int tag) {
    auto *item = new ZSortBarItemView(QRect(), localized(QLatin1String(key)), tag, this);
    item->setAction([this](ZSortBarItemView *clicked) { sortTypeClicked(clicked); });
    return item;
  };
  fSortByTitle = make("librarySortbarSortByTitle", ZSortBarItemView::SortByTitle);
  fSortByBroadcaster = make("librarySortbarSortByBroadcaster", ZSortBarItemView::SortByBroadcaster);
  fSortByDateAdded = make("librarySortbarSortByDateAdded", ZSortBarItemView::SortByDateAdded);
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("LibraryViewDataReloaded"),
      [this](const Notification &) { rebuildSortBarContent(); });
  setSkin(ZSkinManager::sharedSkinManager().getCurrentSkin());
}

ZLibrarySortBarView::~ZLibrarySortBarView() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

void ZLibrarySortBarView::setSkin(const ZSkin *skin) {
  fSkin = skin;
  for (ZSortBarItemView *item : {fSortByTitle, fSortByBroadcaster, fSortByDateAdded})
    item->setSkin(skin);
  rebuildSortBarContent();
}

ZTextAttributes ZLibrarySortBarView::labelAttributes() const {
  if (fSkin)
    if (const auto attributes = fSkin->librarySortByTitleAttributes())
      return ZLibraryLook::inPixels(*attributes);
  return arial(11, false);
}

QList<ZSortBarItemView *> ZLibrarySortBarView::shownItems() const {
  const qint64 browseBy =
      UserDefaults::standardUserDefaults().integerForKey(QStringLiteral("LibraryBrowseBy"));
  switch (browseBy) {
    case 1:
      return {fSortByTitle, fSortByDateAdded};
    case 4:
      return {fSortByTitle, fSortByBroadcaster};
    case -1:
    case 6:
      return {};
    default:
      return {fSortByTitle, fSortByBroadcaster, fSortByDateAdded};
  }
}

void ZLibrarySortBarView::rebuildSortBarContent() {
  const QList<ZSortBarItemView *> shown = shownItems();
  int x = int(std::ceil(QFontMetricsF(labelAttributes().font)
                            .horizontalAdvance(localized(QStringLiteral("librarySortbarTitle"))))) +
          kLabelX;
  for (ZSortBarItemView *item : {fSortByTitle, fSortByBroadcaster, fSortByDateAdded}) {
    if (!shown.contains(item)) {
      item->hide();
      continue;
    }
    item->setFrame(QRect(x, 0, 0, height()));
    item->show();
    x = item->geometry().right() + 1 + 1;
  }
  update();
}

void ZLibrarySortBarView::sortTypeClicked(ZSortBarItemView *item) {
  if (!item) return;
  if (item->tag() == Utilities::currentSortType())
    Utilities::toggleCurrentSortOrder();
  else
    Utilities::setCurrentSortType(item->tag());
  NotificationCenter::defaultCenter().postNotificationName(
      ZLibraryBrowseListDataSource::SortingChangedNotification);
}

void ZLibrarySortBarView::paintEvent(QPaintEvent *event) {
  ZOpaqueView::paintEvent(event);
  QPainter painter(this);
  const ZTextAttributes label = labelAttributes();
  const QString title = localized(QStringLiteral("librarySortbarTitle"));
  const QFontMetricsF metrics(label.font);
  painter.setFont(label.font);
  painter.setPen(label.foregroundColor);
  painter.drawText(QRectF(kLabelX, centredTop(metrics.height(), height()),
                          metrics.horizontalAdvance(title) + 1, metrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
  // A white line between neighbouring keys, 3 in from the bar's top and bottom.
  const QList<ZSortBarItemView *> shown = shownItems();
  for (qsizetype i = 0; i + 1 < shown.size(); ++i) {
    const QRect left = shown[i]->geometry();
    painter.fillRect(QRect(left.right() + 1, left.top() + 3, 1, std::max(0, left.height() - 6)),
                     Qt::white);
  }
}

void ZLibrarySortBarView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  rebuildSortBarContent();
}
