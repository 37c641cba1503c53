#include "ZLibraryPlaylistContainerView.h"

#include "Dialogs.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "ZControls.h"
#include "ZLibraryActions.h"
#include "ZNowPlayingListDataSource.h"
#include "ZNowPlayingListTableView.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

const QColor kPaneGrey = QColor::fromRgbF(0.375, 0.375, 0.375);
constexpr int kNameFieldTop = 4;
constexpr int kNameFieldHeight = 22;
constexpr int kInset = 6;

}  // namespace

const QString ZLibraryPlaylistContainerView::EndEditingNotification =
    QStringLiteral("PlaylistContainerView_EndEditingNotification");

// ---- the name field ---------------------------------------------------------------------------

ZPlaylistNameField::ZPlaylistNameField(QWidget *parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("PlaylistNameField"));
  setFrame(false);
  setAttribute(Qt::WA_MacShowFocusRect, false);
  setAccessibleName(localized(QStringLiteral("libraryAccessiblePlaylistName")));
  setToolTip(localized(QStringLiteral("tooltipPlaylistNameField")));
  showColors(false);
}

void ZPlaylistNameField::showColors(bool editing) {
  QPalette colors = palette();
  colors.setColor(QPalette::Text, editing ? Qt::black : Qt::white);
  colors.setColor(QPalette::Base, editing ? QColor(Qt::white) : kPaneGrey);
  setPalette(colors);
}

void ZPlaylistNameField::focusInEvent(QFocusEvent *event) {
  showColors(true);
  QLineEdit::focusInEvent(event);
}

void ZPlaylistNameField::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  showColors(false);
}

// ---- the pane -------------------------------------------------------------------------------

ZLibraryPlaylistContainerView::ZLibraryPlaylistContainerView(
    const ZLibraryViewEnvironment &environment, QWidget *parent)
    : ZOpaqueView(parent), fEnvironment(environment),
      fSkin(ZSkinManager::sharedSkinManager().getCurrentSkin()) {
  setObjectName(QStringLiteral("LibraryPlaylistPane"));
  setStartColor(kPaneGrey);
  setEndColor(kPaneGrey);

  fNameField = new ZPlaylistNameField(this);
  fNameField->hide();
  connect(fNameField, &QLineEdit::editingFinished, this, &ZLibraryPlaylistContainerView::nameChanged);
  fDisplayNameField = new QLabel(localized(QStringLiteral("libraryPlaylistPaneNoPlaylist")), this);
  fDisplayNameField->setObjectName(QStringLiteral("PlaylistPaneHint"));
  fDisplayNameField->setTextFormat(Qt::PlainText);
  fDisplayNameField->setToolTip(localized(QStringLiteral("libraryPlaylistPaneNoPlaylistHint")));
  QPalette hint = fDisplayNameField->palette();
  hint.setColor(QPalette::WindowText, QColor::fromRgbF(0.85, 0.85, 0.85));
  fDisplayNameField->setPalette(hint);

  fListViewContainer = new QWidget(this);
  auto *layout = new QVBoxLayout(fListViewContainer);
  layout->setContentsMargins(0, 0, 0, 0);
  fListView = new ZNowPlayingListTableView(*environment.playlists, *environment.nowPlaying,
                                           *environment.database, fListViewContainer);
  layout->addWidget(fListView);
  setAccessibleName(localized(QStringLiteral("libraryAccessiblePlaylistPane")));
  fListView->tableView()->setAccessibleName(localized(QStringLiteral("libraryAccessiblePlaylistVideos")));

  NotificationCenter &center = NotificationCenter::defaultCenter();
  center.addObserver(this, ZPlaylistDataSource::ListSelectionChangedNotification,
                     [this](const Notification &) { playlistSelectionChanged(); });
  center.addObserver(this, EndEditingNotification, [this](const Notification &) { endEditing(); });
  createButtons();
  playlistSelectionChanged();
}

ZLibraryPlaylistContainerView::~ZLibraryPlaylistContainerView() {
  NotificationCenter::defaultCenter().removeObserver(this);
  // The name field loses the focus as the pane's children go and says its
  // editing finished; by then the pane is no longer one.
  disconnect(fNameField, nullptr, this, nullptr);
}

void ZLibraryPlaylistContainerView::setSkin(ZSkin *skin) {
  fSkin = skin;
  createButtons();
  update();
}

int ZLibraryPlaylistContainerView::bottomBarHeight() const {
  const QImage bar = fSkin ? fSkin->playlistBottomButtonBarImage() : QImage();
  return bar.isNull() ? 0 : int(std::ceil(bar.deviceIndependentSize().height()));
}

ZButtonView *ZLibraryPlaylistContainerView::makeBottomButton(const std::optional<QVariantMap> &info,
                                                             bool fromRight) {
  if (!info) return nullptr;
  const QImage image = info->value(QStringLiteral("Image")).value<QImage>();
  if (image.isNull()) return nullptr;
  // "states" read as a number and cut to a whole one.
  const int parts = std::max(1, int(info->value(QStringLiteral("states"), 1).toDouble()));
  auto *button = new ZButtonView(this);
  button->setImage(image, parts);
  button->setTracksMouseOver(true);
  const QPoint place(info->value(QStringLiteral("XPos")).toInt(),
                     info->value(QStringLiteral("YPos")).toInt());
  (fromRight ? fClearPlace : fPlayAllPlace) = place;
  button->show();
  return button;
}

void ZLibraryPlaylistContainerView::createButtons() {
  delete fDeleteButton;
  delete fPlayAllButton;
  delete fClearButton;
  fDeleteButton = nullptr;
  fPlayAllButton = fClearButton = nullptr;
  if (fSkin) {
    if (const auto info = fSkin->playlistDeleteButtonInfo()) {
      const QImage image = info->value(QStringLiteral("Image")).value<QImage>();
      if (!image.isNull()) {
        fDeleteButton = new ZButtonImageView(this);
        fDeleteButton->setImage(image, 1);
        fDeleteButton->setAction([this](ZButtonImageView *) { deleteCurrentPlaylist(); });
        fDeleteButton->setToolTip(localized(QStringLiteral("tooltipPlaylistDeleteButton")));
        fDeleteButton->show();
      }
    }
    if (bottomBarHeight() > 0) {
      fPlayAllButton = makeBottomButton(fSkin->playlistPlayAllButtonInfo(), false);
      if (fPlayAllButton) {
        fPlayAllButton->setAction([this](ZButtonView *) { playAll(); });
        fPlayAllButton->setToolTip(localized(QStringLiteral("tooltipPlaylistPlayAllButton")));
      }
      fClearButton = makeBottomButton(fSkin->playlistClearButtonInfo(), true);
      if (fClearButton) {
        fClearButton->setAction([this](ZButtonView *) { clear(); });
        fClearButton->setToolTip(localized(QStringLiteral("tooltipPlaylistClearButton")));
      }
    }
  }
  layoutSubviews();
}

void ZLibraryPlaylistContainerView::layoutSubviews() {
  const int width = this->width(), height = this->height();
  int nameRight = width - kInset;
  if (fDeleteButton) {
    const QSize size = fDeleteButton->imageDisplaySize().toSize();
    // Its top right corner 2 in from the pane's right edge and 2 down.
    fDeleteButton->setGeometry(width - 2 - size.width(), 2, size.width(), size.height());
    nameRight = fDeleteButton->x() - 4;
  }
  const QRect name(kInset, kNameFieldTop, std::max(0, nameRight - kInset), kNameFieldHeight);
  fNameField->setGeometry(name);
  fDisplayNameField->setGeometry(name);
  // Right edge at "XPos" from the left (play all) or the right (clear),
  // top edge "YPos" above the pane's bottom.
  const auto placeBottom = [&](ZButtonView *button, const QPoint &place, bool fromRight) {
    if (!button) return;
    const QSize size = button->imageDisplaySize().toSize();
    const int right = fromRight ? width - place.x() : place.x();
    // The buttons do not follow the mouse while the pane changes size.
    button->setTracksMouseOver(false);
    button->setGeometry(right - size.width(), height - place.y(), size.width(), size.height());
    button->setTracksMouseOver(true);
  };
  placeBottom(fPlayAllButton, fPlayAllPlace, false);
  placeBottom(fClearButton, fClearPlace, true);
  const int listTop = name.bottom() + 1;
  fListViewContainer->setGeometry(0, listTop, width,
                                  std::max(0, height - bottomBarHeight() - listTop));
}

void ZLibraryPlaylistContainerView::paintEvent(QPaintEvent *event) {
  ZOpaqueView::paintEvent(event);
  const QImage bar = fSkin ? fSkin->playlistBottomButtonBarImage() : QImage();
  if (bar.isNull()) return;
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  const int barHeight = bottomBarHeight();
  painter.drawImage(QRect(0, height() - barHeight, width(), barHeight), bar);
}

void ZLibraryPlaylistContainerView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  layoutSubviews();
}

void ZLibraryPlaylistContainerView::playlistSelectionChanged() {
  const ZPlaylistDataSource &playlists = *fEnvironment.playlists;
  const bool selected = playlists.selectedPlaylistId() != -1;
  if (selected) {
    if (!fNameField->isEditing()) fNameField->setText(playlists.selectedPlaylistName());
  } else {
    fNameField->clear();
  }
  fNameField->setVisible(selected);
  fDisplayNameField->setVisible(!selected);
}

void ZLibraryPlaylistContainerView::nameChanged() {
  if (fEnvironment.playlists->selectedPlaylistId() != -1)
    fEnvironment.playlists->renameSelectedPlaylist(fNameField->text());
  // Editing ends once the event that finished it is over.
  QTimer::singleShot(0, [] {
    NotificationCenter::defaultCenter().postNotificationName(EndEditingNotification);
  });
}

void ZLibraryPlaylistContainerView::endEditing() {
  if (fNameField->hasFocus()) {
    if (QWidget *window = this->window()) window->setFocus(Qt::OtherFocusReason);
    if (fNameField->hasFocus()) fNameField->clearFocus();
  }
  // The name the playlist bears now (made unique when it was taken).
  const QString name = fEnvironment.playlists->selectedPlaylistName();
  if (!name.isNull()) fNameField->setText(name);
}

void ZLibraryPlaylistContainerView::deleteCurrentPlaylist() {
  ZPlaylistDataSource &playlists = *fEnvironment.playlists;
  if (playlists.selectedPlaylistId() == -1) return;
  if (Dialogs::shared().getConfirmation(
          localized(QStringLiteral("buttonYes")), localized(QStringLiteral("buttonNo")),
          localized(QStringLiteral("libraryDeletePlaylistConfirmationMessage")), nullptr))
    playlists.deleteSelectedPlaylist();
}

void ZLibraryPlaylistContainerView::playAll() {
  const QList<int> videos = fEnvironment.playlists->videosForSelectedPlaylist();
  // An empty playlist empties the now-playing list and plays nothing.
  fEnvironment.nowPlaying->setVideos(videos);
  if (!videos.isEmpty())
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("ActionStartPlayingNewVideoList"));
}

void ZLibraryPlaylistContainerView::clear() { fEnvironment.playlists->clearVideosFromSelectedPlaylist(); }
