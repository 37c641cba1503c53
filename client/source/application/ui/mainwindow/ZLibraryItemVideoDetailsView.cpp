#include "ZLibraryItemVideoDetailsView.h"

#include "LibraryUtilities.h"
#include "Localization.h"
#include "NotificationCenter.h"
#include "VideoDatabase.h"
#include "ZNowPlayingListDataSource.h"
#include "ZSkin.h"

#include <QPainter>
#include <QPushButton>

#include <cmath>

namespace {

// A placeholder: a view that says where something is drawn, and what it is
// (its tooltip and accessible name); clicks go on to the details view.
QWidget *placeholder(QWidget *parent, const QRect &frame, const char *objectName) {
  auto *view = new QWidget(parent);
  view->setObjectName(QLatin1String(objectName));
  view->setGeometry(frame);
  return view;
}

void describeMark(QWidget *mark, const QString &text) {
  mark->setToolTip(text);
  mark->setAccessibleName(text);
}

constexpr int kIndicator = 16;
constexpr int kStar = 14;

}  // namespace

ZLibraryItemVideoDetailsView::ZLibraryItemVideoDetailsView(
    const ZLibraryViewEnvironment &environment, QWidget *parent)
    : QWidget(parent), fEnvironment(environment) {
  setObjectName(QStringLiteral("LibraryItemVideoDetailsView"));
  // Two indicators side by side, the two star rows beside them.
  fLibraryInfoSingleVideoDetailsNewImage =
      placeholder(this, QRect(0, 1, kIndicator, kIndicator), "NewIndicator");
  fLibraryInfoSingleVideoDetailsSavedImage =
      placeholder(this, QRect(kIndicator + 4, 1, kIndicator, kIndicator), "SavedIndicator");
  fLibraryInfoSingleVideoDetailsAverageRating =
      placeholder(this, QRect(2 * kIndicator + 16, 2, 5 * kStar, kStar), "AverageRating");
  fLibraryInfoSingleVideoDetailsMyRating =
      placeholder(this, QRect(2 * kIndicator + 16, kStar + 6, 5 * kStar, kStar), "MyRating");
  setMinimumHeight(2 * kStar + 8);
  NotificationCenter::defaultCenter().addObserver(
      this, QStringLiteral("VideoDatabase_VideoUpdated"), [this](const Notification &note) {
        if (fVideoId != -1 && note.object.toInt() == fVideoId) {
          describe();
          update();
        }
      });
}

ZLibraryItemVideoDetailsView::~ZLibraryItemVideoDetailsView() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

QRect ZLibraryItemVideoDetailsView::newImageFrame() const {
  return fLibraryInfoSingleVideoDetailsNewImage->geometry();
}
QRect ZLibraryItemVideoDetailsView::savedImageFrame() const {
  return fLibraryInfoSingleVideoDetailsSavedImage->geometry();
}
QRect ZLibraryItemVideoDetailsView::averageRatingFrame() const {
  return fLibraryInfoSingleVideoDetailsAverageRating->geometry();
}
QRect ZLibraryItemVideoDetailsView::myRatingFrame() const {
  return fLibraryInfoSingleVideoDetailsMyRating->geometry();
}

void ZLibraryItemVideoDetailsView::setSkin(const ZSkin *skin) {
  fSkin = skin;
  update();
}

void ZLibraryItemVideoDetailsView::setInfoDict(int videoId) {
  fVideoId = videoId;
  describe();
  update();
}

void ZLibraryItemVideoDetailsView::setSaveButton(QPushButton *button) {
  fLibraryInfoSingleVideoDetailsSaveButton = button;
  if (button) connect(button, &QPushButton::clicked, this, [this] { save(); });
}

void ZLibraryItemVideoDetailsView::save() {
  if (fVideoId == -1 || !fEnvironment.database) return;
  const std::optional<VideoInfo> info = fEnvironment.database->getVideoInfo(fVideoId);
  if (!info) return;
  const bool saved = Utilities::videoIsSaved(*info);
  fEnvironment.database->setSaved(!saved, fVideoId);
  if (fLibraryInfoSingleVideoDetailsSaveButton)
    fLibraryInfoSingleVideoDetailsSaveButton->setText(
        localized(saved ? QStringLiteral("libraryDetailsSaveButtonTitleSave")
                        : QStringLiteral("libraryDetailsSaveButtonTitleDontSave")));
  describe();
  update();
}

void ZLibraryItemVideoDetailsView::playNow() {
  if (fVideoId == -1 || !fEnvironment.nowPlaying) return;
  fEnvironment.nowPlaying->setVideos({fVideoId});
  NotificationCenter::defaultCenter().postNotificationName(
      QStringLiteral("ActionStartPlayingNewVideoList"));
}

void ZLibraryItemVideoDetailsView::describe() {
  // What the pictures say, for those who cannot see them.
  const std::optional<VideoInfo> info = fVideoId == -1 || !fEnvironment.database
                                            ? std::nullopt
                                            : fEnvironment.database->getVideoInfo(fVideoId);
  const QList<QWidget *> marks{
      fLibraryInfoSingleVideoDetailsNewImage, fLibraryInfoSingleVideoDetailsSavedImage,
      fLibraryInfoSingleVideoDetailsAverageRating, fLibraryInfoSingleVideoDetailsMyRating};
  if (!info) {
    setAccessibleName(QString());
    for (QWidget *mark : marks) describeMark(mark, QString());
    return;
  }
  const int rating = Utilities::ratingForVideo(*info);
  describeMark(fLibraryInfoSingleVideoDetailsNewImage,
               localized(Utilities::videoIsViewed(*info)
                             ? QStringLiteral("libraryDetailsMarkViewed")
                             : QStringLiteral("libraryDetailsMarkNew")));
  describeMark(fLibraryInfoSingleVideoDetailsSavedImage,
               localized(Utilities::videoIsSaved(*info)
                             ? QStringLiteral("libraryDetailsMarkSaved")
                             : QStringLiteral("libraryDetailsMarkNotSaved")));
  describeMark(fLibraryInfoSingleVideoDetailsAverageRating,
               localizedFormat(QStringLiteral("libraryDetailsMarkAverageRating"), {rating}));
  describeMark(fLibraryInfoSingleVideoDetailsMyRating,
               localizedFormat(QStringLiteral("libraryDetailsMarkMyRating"), {rating}));
  QStringList parts;
  parts << localized(Utilities::videoIsViewed(*info) ? QStringLiteral("libraryDetailsStateViewed")
                                                     : QStringLiteral("libraryDetailsStateNew"));
  parts << localized(Utilities::videoIsSaved(*info)
                         ? QStringLiteral("libraryDetailsStateSaved")
                         : QStringLiteral("libraryDetailsStateNotSaved"));
  parts << localizedFormat(QStringLiteral("libraryDetailsRatingFormat"), {rating});
  setAccessibleName(parts.join(QStringLiteral(", ")));
}

void ZLibraryItemVideoDetailsView::paintEvent(QPaintEvent *) {
  if (!fSkin || fVideoId == -1 || !fEnvironment.database) return;
  const std::optional<VideoInfo> info = fEnvironment.database->getVideoInfo(fVideoId);
  if (!info) return;
  QPainter painter(this);
  const auto drawInto = [&](const QImage &image, const QRectF &frame) {
    if (!image.isNull()) painter.drawImage(frame, image);
  };
  drawInto(Utilities::videoIsViewed(*info) ? fSkin->newIndicatorDisabledImage()
                                           : fSkin->newIndicatorImage(),
           QRectF(newImageFrame()));
  drawInto(Utilities::videoIsSaved(*info) ? fSkin->savedIndicatorImage()
                                          : fSkin->savedIndicatorDisabledImage(),
           QRectF(savedImageFrame()));

  const int rating = Utilities::ratingForVideo(*info);
  // The first row: the star picture holds two frames side by side, a star
  // within the rating and one beyond it.
  const QImage star = fSkin->starImage();
  if (!star.isNull()) {
    const QSizeF size = star.deviceIndependentSize();
    const double w = size.width() / 2;
    const QPointF origin = averageRatingFrame().topLeft();
    const double framePixels = star.width() / 2.0;
    for (int i = 1; i <= 5; ++i)
      painter.drawImage(QRectF(origin.x() + (i - 1) * w, origin.y(), w, size.height()), star,
                        QRectF(rating >= i ? 0 : framePixels, 0, framePixels, star.height()));
  }
  // The second row, only when all its pictures are there.
  const QImage blue = fSkin->starBlueImage(), gray = fSkin->starGrayImage();
  if (!blue.isNull() && !gray.isNull() && !fSkin->starHalfImage().isNull()) {
    const QSizeF size = blue.deviceIndependentSize();
    const QPointF origin = myRatingFrame().topLeft();
    for (int i = 1; i <= 5; ++i)
      painter.drawImage(
          QRectF(origin.x() + (i - 1) * size.width(), origin.y(), size.width(), size.height()),
          rating >= i ? blue : gray);
  }
}
