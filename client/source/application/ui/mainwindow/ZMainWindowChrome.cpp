#include "ZMainWindowChrome.h"

#include "Localization.h"
#include "ZControls.h"
#include "ZSkin.h"
#include "ZView.h"

#include <QEvent>
#include <QLineEdit>

#include <algorithm>

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

}  // namespace

void ZMainWindowChrome::clear() {
  for (QWidget *widget : allControls()) delete widget;
  for (ZBackgroundImageView **piece : {&fTopLeftView, &fTopMiddleView, &fTopRightView,
                                       &fBottomLeftView, &fBottomMiddleView, &fBottomRightView}) {
    delete *piece;
    *piece = nullptr;
  }
  for (ZButtonView **button :
       {&minimizeButton, &maximizeButton, &closeButton, &libraryButton, &downloadsButton,
        &guideButton, &uploadButton, &thumbnailViewButton, &detailsViewButton, &showPlaylistButton,
        &hidePlaylistButton, &clearDownloadsButton})
    *button = nullptr;
  browseByTitle = uploadManagerTitle = nullptr;
  browseByPopup = importPopup = playlistsPopup = nullptr;
  librarySearchField = nullptr;
  fTopHeight = fBottomHeight = 0;
}

void ZMainWindowChrome::updateLookWithSkin(QWidget *contentView, const ZSkin &skin) {
  clear();
  if (fContentView) fContentView->removeEventFilter(this);
  fContentView = contentView;
  contentView->installEventFilter(this);

  fTopLeftView = framePiece(contentView, skin.topLeftImage(), "TopLeftFrame");
  fTopMiddleView = framePiece(contentView, skin.topMiddleImage(), "TopMiddleFrame");
  fTopRightView = framePiece(contentView, skin.topRightImage(), "TopRightFrame");
  fBottomLeftView = framePiece(contentView, skin.bottomLeftImage(), "BottomLeftFrame");
  fBottomMiddleView = framePiece(contentView, skin.bottomMiddleImage(), "BottomMiddleFrame");
  fBottomRightView = framePiece(contentView, skin.bottomRightImage(), "BottomRightFrame");
  placeFramePieces();

  minimizeButton = make<ZButtonView>(contentView, skin.minimizeButtonInfo(),
                                     "tooltipWindowMinimizeButton", "MinimizeButton");
  maximizeButton = make<ZButtonView>(contentView, skin.maximizeButtonInfo(),
                                     "tooltipWindowMaximizeButton", "MaximizeButton");
  closeButton = make<ZButtonView>(contentView, skin.closeButtonInfo(), "tooltipWindowCloseButton",
                                  "CloseButton");
  guideButton = make<ZButtonView>(contentView, skin.zaroTvButtonInfo(), "tooltipGuideViewButton",
                                  "GuideButton");
  libraryButton = make<ZButtonView>(contentView, skin.libraryButtonInfo(),
                                    "tooltipLibraryViewButton", "LibraryButton");
  downloadsButton = make<ZButtonView>(contentView, skin.downloadsButtonInfo(),
                                      "tooltipDownloadsViewButton", "DownloadsButton");
  uploadButton = make<ZButtonView>(contentView, skin.uploadButtonInfo(), "tooltipUploadViewButton",
                                   "UploadButton");

  browseByTitle = make<ZImageView>(contentView, skin.browseByTitleInfo(),
                                   "tooltipLibraryHowToBrowseButton", "BrowseByTitle");
  browseByPopup = make<ZPopupButtonImageView>(contentView, skin.browseByPopupInfo(),
                                              "tooltipLibraryHowToBrowseButton", "BrowseByPopup");
  thumbnailViewButton = make<ZButtonView>(contentView, skin.thumbnailViewButtonInfo(),
                                          "tooltipThumbnaiViewButton", "ThumbnailViewButton");
  detailsViewButton = make<ZButtonView>(contentView, skin.detailsViewButtonInfo(),
                                        "tooltipDetailsViewButton", "DetailsViewButton");
  importPopup = make<ZPopupButtonImageView>(contentView, skin.importButtonInfo(),
                                            "tooltipLibraryImportButton", "ImportPopup");
  librarySearchField = make<ZSearchButtonView>(contentView, skin.librarySearchButtonInfo(),
                                               "tooltipLibrarySearchField", "LibrarySearchField");
  if (librarySearchField)
    librarySearchField->textField()->setAccessibleName(librarySearchField->toolTip());
  playlistsPopup = make<ZPopupButtonImageView>(contentView, skin.playlistsButtonInfo(),
                                               "tooltipLibraryPlaylistsButton", "PlaylistsPopup");
  if (playlistsPopup) {
    // Until a playlist is chosen it says what it is for.
    playlistsPopup->setPlaceholderTitle(playlistsPopup->toolTip());
    playlistsPopup->setRightOffset(ZSkin::playlistAreaWidth());
    playlistsPopup->placeInParent();
  }
  showPlaylistButton = make<ZButtonView>(contentView, skin.showPlaylistButtonInfo(),
                                         "tooltipShowPlaylistButton", "ShowPlaylistButton");
  hidePlaylistButton = make<ZButtonView>(contentView, skin.hidePlaylistButtonInfo(),
                                         "tooltipHidePlaylistButton", "HidePlaylistButton");

  clearDownloadsButton = make<ZButtonView>(contentView, skin.clearDownloadsButtonInfo(),
                                           "tooltipClearDownloadsButton", "ClearDownloadsButton");
  uploadManagerTitle = make<ZImageView>(contentView, skin.uploadManagerImageInfo(),
                                        "tooltipUploadManagerTitle", "UploadManagerTitle");
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
