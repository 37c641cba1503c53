#pragma once

#include "ZLibraryViewEnvironment.h"
#include "ZView.h"

class QLabel;
class QPushButton;
class QStackedLayout;
class ZElidedLabel;
class ZLibraryItemVideoDetailsView;
class ZSkin;

// The library's details pane: the thumbnail of the selection at the top and
// below it one of four views: nothing selected, one group (its title and
// publisher line), one video (title, indicators and rating, publisher,
// description, play and save buttons), or a mixed selection.
class ZDetailsInfoView : public ZOpaqueView {
  Q_OBJECT
 public:
  enum class Shown { None, Container, Video, Mixed };

  explicit ZDetailsInfoView(const ZLibraryViewEnvironment &environment, QWidget *parent = nullptr);

  // The skin's pictures and the library's title font.
  void setSkin(const ZSkin *skin);

  void showNoSelection();
  void showContainer(const QString &title);
  // The video's title, description, publisher and saved state, read from
  // the library (a video the library does not have shows nothing selected).
  void showVideo(int videoId);
  void showMixedSelection(int count);

  Shown shown() const { return fShown; }
  ZBackgroundImageView *thumbnailView() const { return fSelectedVideoThumbnailView; }
  ZLibraryItemVideoDetailsView *videoDetailsView() const { return fDetailsView; }
  ZElidedLabel *titleField() const { return fVideoTitle; }
  ZElidedLabel *descriptionField() const { return fVideoDescription; }
  QLabel *publisherTitle() const { return fVideoPublisherTitle; }
  ZElidedLabel *publisherField() const { return fVideoPublisher; }
  QPushButton *saveButton() const { return fSaveButton; }
  QPushButton *playButton() const { return fPlayButton; }
  ZElidedLabel *containerTitleField() const { return fContainerTitle; }
  QLabel *containerPublisherField() const { return fContainerPublisher; }
  QLabel *messageField() const;

  // The thumbnail's size in the pane.
  static constexpr QSize ThumbnailSize{160, 120};

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void layoutViews();
  void setThumbnail(const QImage &image);
  void show(Shown which);

  ZLibraryViewEnvironment fEnvironment;
  const ZSkin *fSkin = nullptr;
  Shown fShown = Shown::None;

  ZBackgroundImageView *fSelectedVideoThumbnailView;
  QStackedLayout *fStack;
  QWidget *fNoSelectionView, *fContainerView, *fSingleVideoView, *fMixedSelectionView;
  QLabel *fNoSelectionText, *fMixedSelectionText;
  ZElidedLabel *fContainerTitle, *fContainerDescription;
  QLabel *fContainerPublisher;
  ZElidedLabel *fVideoTitle, *fVideoDescription, *fVideoPublisher;
  QLabel *fVideoPublisherTitle;
  ZLibraryItemVideoDetailsView *fDetailsView;
  QPushButton *fSaveButton, *fPlayButton;
};
