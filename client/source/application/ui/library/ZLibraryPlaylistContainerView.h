#pragma once

#include "ZLibraryViewEnvironment.h"
#include "ZView.h"

#include <QLineEdit>

class QLabel;
class ZButtonImageView;
class ZNowPlayingListTableView;
class ZSkin;

// The name field of the playlist pane: white text on the pane's grey while
// it is not being edited, black on white while it is.
class ZPlaylistNameField : public QLineEdit {
  Q_OBJECT
 public:
  explicit ZPlaylistNameField(QWidget *parent = nullptr);
  bool isEditing() const { return hasFocus(); }

 protected:
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

 private:
  void showColors(bool editing);
};

// The pane at the right of the library: the selected playlist's name (which
// the user edits in place), its videos (the list of the playback window's
// side list) and its buttons: delete the playlist, play all, clear.
class ZLibraryPlaylistContainerView : public ZOpaqueView {
  Q_OBJECT
 public:
  static const QString EndEditingNotification;  // "PlaylistContainerView_EndEditingNotification"

  explicit ZLibraryPlaylistContainerView(const ZLibraryViewEnvironment &environment,
                                         QWidget *parent = nullptr);
  ~ZLibraryPlaylistContainerView() override;

  void setSkin(ZSkin *skin);
  // Makes the delete, play-all and clear buttons from the skin (again).
  void createButtons();
  // Shows the selected playlist's name, or hides the field without one.
  void playlistSelectionChanged();

  // Actions.
  void deleteCurrentPlaylist();
  void nameChanged();
  void playAll();
  void clear();
  void endEditing();

  ZPlaylistNameField *nameField() const { return fNameField; }
  QLabel *displayNameField() const { return fDisplayNameField; }
  QWidget *listViewContainer() const { return fListViewContainer; }
  ZNowPlayingListTableView *listView() const { return fListView; }
  ZButtonImageView *deleteButton() const { return fDeleteButton; }
  ZButtonView *playAllButton() const { return fPlayAllButton; }
  ZButtonView *clearButton() const { return fClearButton; }

 protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

 private:
  void layoutSubviews();
  ZButtonView *makeBottomButton(const std::optional<QVariantMap> &info, bool fromRight);
  int bottomBarHeight() const;

  ZLibraryViewEnvironment fEnvironment;
  ZSkin *fSkin = nullptr;
  ZPlaylistNameField *fNameField = nullptr;
  QLabel *fDisplayNameField = nullptr;
  QWidget *fListViewContainer = nullptr;
  ZNowPlayingListTableView *fListView = nullptr;
  ZButtonImageView *fDeleteButton = nullptr;
  ZButtonView *fPlayAllButton = nullptr;
  ZButtonView *fClearButton = nullptr;
  // Where each bottom button's right edge lies: from the left or right edge.
  QPoint fPlayAllPlace, fClearPlace;
};
