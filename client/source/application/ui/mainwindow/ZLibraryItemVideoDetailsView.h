#pragma once

#include "ZLibraryViewEnvironment.h"

#include <QWidget>

class QPushButton;
class ZSkin;

// The drawn part of the details pane for one video: the new and saved
// indicators and two rows of five stars (the video's rating), each drawn in
// the frame of a placeholder view, with the save button beside them. Drawn
// from the video's library row, read afresh each time; a change of that
// video in the library draws it again.
class ZLibraryItemVideoDetailsView : public QWidget {
  Q_OBJECT
 public:
  explicit ZLibraryItemVideoDetailsView(const ZLibraryViewEnvironment &environment,
                                        QWidget *parent = nullptr);
  ~ZLibraryItemVideoDetailsView() override;

  void setSkin(const ZSkin *skin);
  // The video shown (setInfoDict: the video id, -1 for none); draws again.
  void setInfoDict(int videoId);
  int videoId() const { return fVideoId; }

  // The button that saves and unsaves the video (made by the pane; its title
  // follows the saved state).
  void setSaveButton(QPushButton *button);
  QPushButton *saveButton() const { return fLibraryInfoSingleVideoDetailsSaveButton; }

  // Flips the video's saved state and retitles the save button.
  void save();
  // Plays the video shown: the now-playing list becomes it alone and
  // "ActionStartPlayingNewVideoList" is posted.
  void playNow();

  // The frames the pictures are drawn in.
  QRect newImageFrame() const;
  QRect savedImageFrame() const;
  QRect averageRatingFrame() const;
  QRect myRatingFrame() const;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  void describe();

  ZLibraryViewEnvironment fEnvironment;
  QWidget *fLibraryInfoSingleVideoDetailsNewImage;
  QWidget *fLibraryInfoSingleVideoDetailsSavedImage;
  QWidget *fLibraryInfoSingleVideoDetailsAverageRating;
  QWidget *fLibraryInfoSingleVideoDetailsMyRating;
  QPushButton *fLibraryInfoSingleVideoDetailsSaveButton = nullptr;
  const ZSkin *fSkin = nullptr;
  int fVideoId = -1;
};
