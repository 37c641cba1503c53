#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class ZBackgroundImageView;
class ZButtonView;
class ZImageView;
class ZPopupButtonImageView;
class ZSearchButtonView;
class ZSkin;
class ZView;

// The main window's chrome made from the skin: the six frame pieces and the
// skinned controls, each placed by its control description on the window's
// content view and keeping its place when the window is resized. A control
// the skin does not describe (or describes without its required keys) is
// not made and stays null.
//
// The chrome only makes, names and places the controls; the window
// controller gives them their actions.
class ZMainWindowChrome : public QObject {
  Q_OBJECT
 public:
  explicit ZMainWindowChrome(QObject *parent = nullptr) : QObject(parent) {}

  // The frame pieces.
  ZBackgroundImageView *fTopLeftView = nullptr, *fTopMiddleView = nullptr, *fTopRightView = nullptr;
  ZBackgroundImageView *fBottomLeftView = nullptr, *fBottomMiddleView = nullptr,
                       *fBottomRightView = nullptr;

  // The window buttons and the view switcher.
  ZButtonView *minimizeButton = nullptr, *maximizeButton = nullptr, *closeButton = nullptr;
  ZButtonView *libraryButton = nullptr, *downloadsButton = nullptr, *guideButton = nullptr;
  ZButtonView *uploadButton = nullptr;
  // The library's toolbar.
  ZImageView *browseByTitle = nullptr;
  ZPopupButtonImageView *browseByPopup = nullptr;
  ZButtonView *thumbnailViewButton = nullptr, *detailsViewButton = nullptr;
  ZPopupButtonImageView *importPopup = nullptr;
  ZSearchButtonView *librarySearchField = nullptr;
  ZPopupButtonImageView *playlistsPopup = nullptr;
  ZButtonView *showPlaylistButton = nullptr, *hidePlaylistButton = nullptr;
  // The downloads' and uploads' controls.
  ZButtonView *clearDownloadsButton = nullptr;
  ZImageView *uploadManagerTitle = nullptr;

  // Builds everything on the content view (updateLookWithSkin:): the frame
  // pieces at their corners and stretched between them, the controls where
  // their descriptions say, each with its tool tip, which is also its name
  // for assistive technology. Made twice, the first set is removed.
  void updateLookWithSkin(QWidget *contentView, const ZSkin &skin);
  void clear();

  // The controls shown only with the library, the downloads and the uploads.
  QList<QWidget *> libraryControls() const;
  QList<QWidget *> downloadsControls() const;
  QList<QWidget *> uploadsControls() const;

  // The import pop-up and the search field keep clear of the playlist pane
  // while it is shown (a right offset of its width, else 0); the playlists
  // pop-up shows only with the pane. Only while the library is shown.
  void placeForPlaylistVisibility(bool playlistVisible, bool libraryShown);

  // The heights of the frame's rows (0 without pieces).
  double topFrameHeight() const { return fTopHeight; }
  double bottomFrameHeight() const { return fBottomHeight; }

 protected:
  // The frame pieces follow the content view's size.
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void placeFramePieces();
  QList<QWidget *> allControls() const;

  QPointer<QWidget> fContentView;
  double fTopHeight = 0;
  double fBottomHeight = 0;
};
