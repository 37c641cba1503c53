#include "ZMainWindowChrome.h"

#include "Localization.h"
#include "ZControls.h"
#include "ZSkin.h"
#include "ZView.h"

#include <QEvent>
#include <QLineEdit>

#include <algorithm>
#include <variant>

namespace {

// A control from its description, or none.
template <typename Control>
Control *make(QWidget *contentView, const std::optional<QVariantMap> &info, const char *tooltipKey,
              const char *objectName) {
  if (!info) return nullptr;
  Control *control = Control::create(QSizeF(contentView->size()), *info, contentView);
  if (!control) return nullptr;
  control->setObjectName(QLatin1String(objectName));
  control->setToolTip(localized(QLatin1String(tooltipKey)));
  if constexpr (std::is_base_of_v<ZButtonView, Control>) control->setTracksMouseOver(true);
  control->show();
  return control;
}

ZBackgroundImageView *framePiece(QWidget *contentView, const QImage &image, const char *name) {
  auto *piece = new ZBackgroundImageView(contentView);
  piece->setObjectName(QLatin1String(name));
  piece->setImage(image);
  // The frame is the window's own: presses on it drag or resize the window.
  piece->setAttribute(Qt::WA_TransparentForMouseEvents);
  piece->lower();
  piece->show();
  return piece;
}

QSizeF displaySize(const ZBackgroundImageView *piece) {
  return piece ? piece->image().deviceIndependentSize() : QSizeF();
}

// The six frame pieces: where each is kept, its picture and its name.
struct FramePiece {
  ZBackgroundImageView *ZMainWindowChrome::*view;
  QImage (ZSkin::*image)() const;
  const char *name;
};
constexpr FramePiece kFramePieces[] = {
    {&ZMainWindowChrome::fTopLeftView, &ZSkin::topLeftImage, "TopLeftFrame"},
    {&ZMainWindowChrome::fTopMiddleView, &ZSkin::topMiddleImage, "TopMiddleFrame"},
    {&ZMainWindowChrome::fTopRightView, &ZSkin::topRightImage, "TopRightFrame"},
    {&ZMainWindowChrome::fBottomLeftView, &ZSkin::bottomLeftImage, "BottomLeftFrame"},
    {&ZMainWindowChrome::fBottomMiddleView, &ZSkin::bottomMiddleImage, "BottomMiddleFrame"},
    {&ZMainWindowChrome::fBottomRightView, &ZSkin::bottomRightImage, "BottomRightFrame"},
};

// The skinned controls in the order they are made (the order they stack
// in): where each is kept, its description in the skin, its tooltip's key
// and its name.
struct ChromeControl {
  std::variant<ZButtonView * ZMainWindowChrome::*, ZImageView * ZMainWindowChrome::*,
               ZPopupButtonImageView * ZMainWindowChrome::*,
               ZSearchButtonView * ZMainWindowChrome::*>
      slot;
  std::optional<QVariantMap> (ZSkin::*info)() const;
  const char *tooltipKey;
  const char *name;
};
using C = ZMainWindowChrome;
const ChromeControl kControls[] = {
    // The window buttons and the view switcher.
    {&C::minimizeButton, &ZSkin::minimizeButtonInfo, "tooltipWindowMinimizeButton",
     "MinimizeButton"},
    {&C::maximizeButton, &ZSkin::maximizeButtonInfo, "tooltipWindowMaximizeButton",
     "MaximizeButton"},
    {&C::closeButton, &ZSkin::closeButtonInfo, "tooltipWindowCloseButton", "CloseButton"},
    {&C::guideButton, &ZSkin::zaroTvButtonInfo, "tooltipGuideViewButton", "GuideButton"},
    {&C::libraryButton, &ZSkin::libraryButtonInfo, "tooltipLibraryViewButton", "LibraryButton"},
    {&C::downloadsButton, &ZSkin::downloadsButtonInfo, "tooltipDownloadsViewButton",
     "DownloadsButton"},
    {&C::uploadButton, &ZSkin::uploadButtonInfo, "tooltipUploadViewButton", "UploadButton"},
    // The library's toolbar.
    {&C::browseByTitle, &ZSkin::browseByTitleInfo, "tooltipLibraryHowToBrowseButton",
     "BrowseByTitle"},
    {&C::browseByPopup, &ZSkin::browseByPopupInfo, "tooltipLibraryHowToBrowseButton",
     "BrowseByPopup"},
    {&C::thumbnailViewButton, &ZSkin::thumbnailViewButtonInfo, "tooltipThumbnaiViewButton",
     "ThumbnailViewButton"},
    {&C::detailsViewButton, &ZSkin::detailsViewButtonInfo, "tooltipDetailsViewButton",
     "DetailsViewButton"},
    {&C::importPopup, &ZSkin::importButtonInfo, "tooltipLibraryImportButton", "ImportPopup"},
    {&C::librarySearchField, &ZSkin::librarySearchButtonInfo, "tooltipLibrarySearchField",
     "LibrarySearchField"},
    {&C::playlistsPopup, &ZSkin::playlistsButtonInfo, "tooltipLibraryPlaylistsButton",
     "PlaylistsPopup"},
    {&C::showPlaylistButton, &ZSkin::showPlaylistButtonInfo, "tooltipShowPlaylistButton",
     "ShowPlaylistButton"},
    {&C::hidePlaylistButton, &ZSkin::hidePlaylistButtonInfo, "tooltipHidePlaylistButton",
     "HidePlaylistButton"},
    // The downloads' and uploads' controls.
    {&C::clearDownloadsButton, &ZSkin::clearDownloadsButtonInfo, "tooltipClearDownloadsButton",
     "ClearDownloadsButton"},
    {&C::uploadManagerTitle, &ZSkin::uploadManagerImageInfo, "tooltipUploadManagerTitle",
     "UploadManagerTitle"},
};

}  // namespace

void ZMainWindowChrome::clear() {
  for (QWidget *widget : allControls()) delete widget;
  for (const FramePiece &piece : kFramePieces) {
    delete (this->*piece.view);
    this->*piece.view = nullptr;
  }
  for (const ChromeControl &control : kControls)
    std::visit([this](auto slot) { this->*slot = nullptr; }, control.slot);
  fTopHeight = fBottomHeight = 0;
}

void ZMainWindowChrome::updateLookWithSkin(QWidget *contentView, const ZSkin &skin) {
  clear();
  if (fContentView) fContentView->removeEventFilter(this);
  fContentView = contentView;
  contentView->installEventFilter(this);

  for (const FramePiece &piece : kFramePieces)
    this->*piece.view = framePiece(contentView, (skin.*piece.image)(), piece.name);
  placeFramePieces();

  for (const ChromeControl &control : kControls)
    std::visit(
        [&](auto slot) {
          using Control = std::remove_pointer_t<std::remove_reference_t<decltype(this->*slot)>>;
          this->*slot =
              make<Control>(contentView, (skin.*control.info)(), control.tooltipKey, control.name);
        },
        control.slot);
  if (librarySearchField) {
    librarySearchField->textField()->setAccessibleName(librarySearchField->toolTip());
    librarySearchField->textField()->setPlaceholderText(
        localized(QStringLiteral("librarySearchPlaceholder")));
  }
  if (playlistsPopup) {
    // Until a playlist is chosen it says what it is for.
    playlistsPopup->setPlaceholderTitle(playlistsPopup->toolTip());
    playlistsPopup->setRightOffset(ZSkin::playlistAreaWidth());
    playlistsPopup->placeInParent();
  }
}

void ZMainWindowChrome::placeFramePieces() {
  if (!fContentView || !fTopLeftView) return;
  const double width = fContentView->width(), height = fContentView->height();
  const QSizeF tl = displaySize(fTopLeftView), tm = displaySize(fTopMiddleView),
               tr = displaySize(fTopRightView);
  const QSizeF bl = displaySize(fBottomLeftView), bm = displaySize(fBottomMiddleView),
               br = displaySize(fBottomRightView);
  fTopHeight = std::max({tl.height(), tm.height(), tr.height()});
  fBottomHeight = std::max({bl.height(), bm.height(), br.height()});
  const auto place = [](ZBackgroundImageView *piece, const QRectF &frame) {
    piece->setGeometry(frame.toAlignedRect());
  };
  place(fTopLeftView, QRectF(QPointF(0, 0), tl));
  place(fTopRightView, QRectF(QPointF(width - tr.width(), 0), tr));
  place(fTopMiddleView, QRectF(tl.width(), 0, width - tl.width() - tr.width(), tm.height()));
  place(fBottomLeftView, QRectF(QPointF(0, height - bl.height()), bl));
  place(fBottomRightView, QRectF(QPointF(width - br.width(), height - br.height()), br));
  place(fBottomMiddleView,
        QRectF(bl.width(), height - bm.height(), width - bl.width() - br.width(), bm.height()));
}

bool ZMainWindowChrome::eventFilter(QObject *watched, QEvent *event) {
  if (watched == fContentView && event->type() == QEvent::Resize) placeFramePieces();
  return QObject::eventFilter(watched, event);
}

QList<QWidget *> ZMainWindowChrome::allControls() const {
  QList<QWidget *> controls;
  for (QWidget *control : std::initializer_list<QWidget *>{
           minimizeButton, maximizeButton, closeButton, guideButton, libraryButton, downloadsButton,
           uploadButton, browseByTitle, browseByPopup, thumbnailViewButton, detailsViewButton,
           importPopup, librarySearchField, playlistsPopup, showPlaylistButton, hidePlaylistButton,
           clearDownloadsButton, uploadManagerTitle})
    if (control) controls.append(control);
  return controls;
}

namespace {
QList<QWidget *> present(std::initializer_list<QWidget *> widgets) {
  QList<QWidget *> list;
  for (QWidget *widget : widgets)
    if (widget) list.append(widget);
  return list;
}
}  // namespace

QList<QWidget *> ZMainWindowChrome::libraryControls() const {
  return present({browseByTitle, browseByPopup, thumbnailViewButton, detailsViewButton, importPopup,
                  librarySearchField, playlistsPopup, showPlaylistButton, hidePlaylistButton});
}

QList<QWidget *> ZMainWindowChrome::downloadsControls() const {
  return present({clearDownloadsButton});
}

QList<QWidget *> ZMainWindowChrome::uploadsControls() const {
  return present({uploadManagerTitle});
}

void ZMainWindowChrome::placeForPlaylistVisibility(bool playlistVisible, bool libraryShown) {
  const double offset = playlistVisible ? ZSkin::playlistAreaWidth() : 0;
  for (ZView *control : std::initializer_list<ZView *>{importPopup, librarySearchField}) {
    if (!control) continue;
    const QRect before = control->geometry();
    control->setRightOffset(offset);
    control->placeInParent();
    // The old and the new area are drawn again.
    if (QWidget *parent = control->parentWidget())
      parent->update(before.united(control->geometry()));
  }
  if (playlistsPopup) playlistsPopup->setVisible(libraryShown && playlistVisible);
  if (showPlaylistButton) showPlaylistButton->setVisible(libraryShown && !playlistVisible);
  if (hidePlaylistButton) hidePlaylistButton->setVisible(libraryShown && playlistVisible);
}
