#include "ZDetailsInfoView.h"

#include "LibraryUtilities.h"
#include "Localization.h"
#include "VideoDatabase.h"
#include "ZElidedLabel.h"
#include "ZLibraryItemVideoDetailsView.h"
#include "ZSkin.h"

#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 10;

QLabel *message(QWidget *parent, const QString &text) {
  auto *label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return label;
}

// The picture in the file, decoded at the size it is shown at; a null image
// for a file that is missing, empty or not a picture.
QImage thumbnailAtDisplaySize(const QString &path, const QSize &size, double ratio) {
  if (path.isEmpty()) return QImage();
  QImageReader reader(path);
  if (!reader.canRead()) return QImage();
  reader.setScaledSize(size * ratio);
  QImage image = reader.read();
  if (!image.isNull()) image.setDevicePixelRatio(ratio);
  return image;
}

}  // namespace

ZDetailsInfoView::ZDetailsInfoView(const ZLibraryViewEnvironment &environment, QWidget *parent)
    : ZOpaqueView(parent), fEnvironment(environment) {
  setObjectName(QStringLiteral("DetailsInfoView"));
  setStartColor(QColor(0xF3, 0xF4, 0xF6));
  fSelectedVideoThumbnailView = new ZBackgroundImageView(this);
  fSelectedVideoThumbnailView->setObjectName(QStringLiteral("SelectedVideoThumbnailView"));

  auto *stackHolder = new QWidget(this);
  stackHolder->setObjectName(QStringLiteral("DetailsStack"));
  fStack = new QStackedLayout(stackHolder);
  fStack->setContentsMargins(0, 0, 0, 0);

  fNoSelectionView = new QWidget(stackHolder);
  fNoSelectionText =
      message(fNoSelectionView, localized(QStringLiteral("libraryDetailsNoSelection")));
  (new QVBoxLayout(fNoSelectionView))->addWidget(fNoSelectionText, 0, Qt::AlignTop);

  fMixedSelectionView = new QWidget(stackHolder);
  fMixedSelectionText = message(fMixedSelectionView, QString());
  (new QVBoxLayout(fMixedSelectionView))->addWidget(fMixedSelectionText, 0, Qt::AlignTop);

  fContainerView = new QWidget(stackHolder);
  auto *container = new QVBoxLayout(fContainerView);
  container->setContentsMargins(0, 0, 0, 0);
  fContainerTitle = new ZElidedLabel(3, fContainerView);
  fContainerDescription = new ZElidedLabel(4, fContainerView);
  fContainerPublisher = new QLabel(fContainerView);
  fContainerPublisher->setTextFormat(Qt::PlainText);
  container->addWidget(fContainerTitle);
  container->addWidget(fContainerDescription);
  container->addWidget(fContainerPublisher);
  container->addStretch(1);

  fSingleVideoView = new QWidget(stackHolder);
  auto *video = new QVBoxLayout(fSingleVideoView);
  video->setContentsMargins(0, 0, 0, 0);
  video->setSpacing(4);
  fVideoTitle = new ZElidedLabel(3, fSingleVideoView);
  fDetailsView = new ZLibraryItemVideoDetailsView(environment, fSingleVideoView);
  fVideoPublisherTitle =
      new QLabel(localized(QStringLiteral("libraryDetailsPublisherTitle")), fSingleVideoView);
  fVideoPublisherTitle->setTextFormat(Qt::PlainText);
  fVideoPublisher = new ZElidedLabel(1, fSingleVideoView);
  fVideoPublisherTitle->setBuddy(fVideoPublisher);
  fVideoDescription = new ZElidedLabel(0, fSingleVideoView);
  fVideoDescription->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  fPlayButton =
      new QPushButton(localized(QStringLiteral("libraryDetailsPlayButtonTitle")), fSingleVideoView);
  fPlayButton->setObjectName(QStringLiteral("DetailsPlayButton"));
  fSaveButton = new QPushButton(fSingleVideoView);
  fSaveButton->setObjectName(QStringLiteral("DetailsSaveButton"));
  for (QPushButton *button : {fPlayButton, fSaveButton}) {
    button->setFocusPolicy(Qt::TabFocus);
    button->setAutoDefault(false);
  }
  fDetailsView->setSaveButton(fSaveButton);
  connect(fPlayButton, &QPushButton::clicked, fDetailsView, &ZLibraryItemVideoDetailsView::playNow);
  video->addWidget(fVideoTitle);
  video->addWidget(fDetailsView);
  video->addWidget(fVideoPublisherTitle);
  video->addWidget(fVideoPublisher);
  video->addWidget(fVideoDescription, 1);
  auto *buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addWidget(fPlayButton);
  buttons->addWidget(fSaveButton);
  video->addLayout(buttons);

  for (QWidget *view : {fNoSelectionView, fContainerView, fSingleVideoView, fMixedSelectionView})
    fStack->addWidget(view);
  layoutViews();
  showNoSelection();
}

void ZDetailsInfoView::setSkin(const ZSkin *skin) {
  fSkin = skin;
  fDetailsView->setSkin(skin);
  if (skin) setThumbnail(skin->detailsThumbnailEmptyBackgroundImage());
  // The text fields take the library's title font.
  QFont font = this->font();
  if (skin) {
    const QString family = skin->libraryRenderingInfoForKey(QStringLiteral("TitleFont")).toString();
    const double size =
        skin->libraryRenderingInfoForKey(QStringLiteral("TitleFontSize")).toDouble();
    if (!family.isEmpty()) font.setFamily(family);
    if (size > 0) font.setPointSizeF(size);
  }
  QFont title = font;
  if (skin) {
    title.setBold(skin->libraryRenderingInfoForKey(QStringLiteral("TitleFontBold")).toBool());
    title.setItalic(skin->libraryRenderingInfoForKey(QStringLiteral("TitleFontItalic")).toBool());
  }
  for (QWidget *field : std::initializer_list<QWidget *>{
           fNoSelectionText, fMixedSelectionText, fContainerDescription, fContainerPublisher,
           fVideoPublisherTitle, fVideoPublisher, fVideoDescription})
    field->setFont(font);
  for (ZElidedLabel *field : {fContainerTitle, fVideoTitle}) field->setFont(title);
  for (ZElidedLabel *field : {fContainerTitle, fVideoTitle})
    field->setFixedHeight(field->heightForLines(3));
  fContainerDescription->setFixedHeight(fContainerDescription->heightForLines(4));
  fVideoPublisher->setFixedHeight(fVideoPublisher->heightForLines(1));
}

QLabel *ZDetailsInfoView::messageField() const {
  return fShown == Shown::Mixed ? fMixedSelectionText : fNoSelectionText;
}

void ZDetailsInfoView::show(Shown which) {
  fShown = which;
  QWidget *view = fNoSelectionView;
  switch (which) {
    case Shown::None:
      view = fNoSelectionView;
      break;
    case Shown::Container:
      view = fContainerView;
      break;
    case Shown::Video:
      view = fSingleVideoView;
      break;
    case Shown::Mixed:
      view = fMixedSelectionView;
      break;
  }
  fStack->setCurrentWidget(view);
}

void ZDetailsInfoView::setThumbnail(const QImage &image) {
  fSelectedVideoThumbnailView->setImage(image);
}

void ZDetailsInfoView::showNoSelection() {
  fDetailsView->setInfoDict(-1);
  if (fSkin) setThumbnail(fSkin->detailsBackgroundDefaultImage());
  show(Shown::None);
}

void ZDetailsInfoView::showContainer(const QString &title) {
  fDetailsView->setInfoDict(-1);
  fContainerTitle->setFullText(title);
  fContainerDescription->setFullText(QString());
  fContainerPublisher->setText(formatString(QStringLiteral("Published by:%@"), {QString()}));
  if (fSkin) setThumbnail(fSkin->detailsBackgroundDefaultImage());
  show(Shown::Container);
}

void ZDetailsInfoView::showVideo(int videoId) {
  const std::optional<VideoInfo> info =
      fEnvironment.database ? fEnvironment.database->getVideoInfo(videoId) : std::nullopt;
  if (!info) return showNoSelection();
  fVideoTitle->setFullText(info->value(QStringLiteral("TITLE")));
  fVideoDescription->setFullText(info->value(QStringLiteral("DESCRIPTION")));
  const QString publisher = Utilities::publisherNameForVideo(*info, *fEnvironment.database);
  fVideoPublisher->setFullText(publisher);
  fVideoPublisherTitle->setVisible(!publisher.isEmpty());
  fVideoPublisher->setVisible(!publisher.isEmpty());
  fSaveButton->setText(localized(Utilities::videoIsSaved(*info)
                                     ? QStringLiteral("libraryDetailsSaveButtonTitleDontSave")
                                     : QStringLiteral("libraryDetailsSaveButtonTitleSave")));
  fDetailsView->setSkin(fSkin);
  fDetailsView->setInfoDict(videoId);
  const double ratio = devicePixelRatioF();
  QImage thumbnail =
      thumbnailAtDisplaySize(info->value(QStringLiteral("IMAGE_PATH")), ThumbnailSize, ratio);
  if (thumbnail.isNull() && fSkin) thumbnail = fSkin->detailsBackgroundDefaultImage();
  setThumbnail(thumbnail);
  show(Shown::Video);
}

void ZDetailsInfoView::showMixedSelection(int count) {
  fDetailsView->setInfoDict(-1);
  fMixedSelectionText->setText(
      localizedFormat(QStringLiteral("libraryDetailsMixedSelection"), {count}));
  if (fSkin) setThumbnail(fSkin->detailsBackgroundDefaultImage());
  show(Shown::Mixed);
}

void ZDetailsInfoView::resizeEvent(QResizeEvent *event) {
  ZOpaqueView::resizeEvent(event);
  layoutViews();
}

void ZDetailsInfoView::layoutViews() {
  const int x = std::max(0, (width() - ThumbnailSize.width()) / 2);
  fSelectedVideoThumbnailView->setGeometry(QRect(QPoint(x, kMargin), ThumbnailSize));
  const int top = kMargin + ThumbnailSize.height() + kMargin;
  fStack->parentWidget()->setGeometry(kMargin, top, std::max(0, width() - 2 * kMargin),
                                      std::max(0, height() - top - kMargin));
}
