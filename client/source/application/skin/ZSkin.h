#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include "ZSkinFileNames.h"

#include <initializer_list>
#include <memory>
#include <optional>

class ZXMLElement;

// A text style: the font and the foreground colour of a text.
struct ZTextAttributes {
  QFont font;
  QColor foregroundColor;
  bool operator==(const ZTextAttributes &other) const = default;
};

// Sets an image to its display size: one image pixel per display unit,
// whatever resolution the file states.
void changeToDisplayResolution(QImage &image);


// The values of a skin, accessor by accessor. Each list names the accessors of
// one kind; ZSkin answers each by the name written here.
//
// Control descriptions (info dictionaries): "Zone", "XPos", "YPos", "states"
// (integers), "Justify" (text), "Image" (QImage); progress bars add "Width",
// "Height", "KnobYPos" and the images "LeftBarImage", "RightBarImage",
// "BarOnImage", "BarOffImage", "KnobImage"; volume controls add "MuteButton"
// and "MutedButton" (maps with "XPos", "YPos", "states" and "Image").
// clang-format off
#define ZSKIN_INFOS(X) \
  X(minimizeButtonInfo) \
  X(maximizeButtonInfo) \
  X(closeButtonInfo) \
  X(libraryButtonInfo) \
  X(zaroTvButtonInfo) \
  X(guideSearchButtonInfo) \
  X(librarySearchButtonInfo) \
  X(hidePlaylistButtonInfo) \
  X(showPlaylistButtonInfo) \
  X(playlistsButtonInfo) \
  X(playlistPlayAllButtonInfo) \
  X(playlistClearButtonInfo) \
  X(playlistDeleteButtonInfo) \
  X(browseByTitleInfo) \
  X(browseByPopupInfo) \
  X(thumbnailViewButtonInfo) \
  X(detailsViewButtonInfo) \
  X(downloadsButtonInfo) \
  X(clearDownloadsButtonInfo) \
  X(importButtonInfo) \
  X(uploadButtonInfo) \
  X(uploadManagerImageInfo) \
  X(detailsInfoTitle) \
  X(nowPlayingOptionsButtonInfo) \
  X(nowPlayingTitleInfo) \
  X(fullScreenHoverButtonInfo) \
  X(playButtonFullScreenInfo) \
  X(pauseButtonFullScreenInfo) \
  X(stopButtonFullScreenInfo) \
  X(rewindButtonFullScreenInfo) \
  X(forwardButtonFullScreenInfo) \
  X(volumeControlFullScreenInfo) \
  X(fullScreenMuteButtonInfo) \
  X(fullScreenMutedButtonInfo) \
  X(fullScreenVolumeUpButtonInfo) \
  X(fullScreenVolumeDownButtonInfo) \
  X(fullScreenVolumeImageInfo) \
  X(progressBarFullScreenInfo) \
  X(progressBarInfo) \
  X(nowPlayingExitButtonInfo) \
  X(playButtonInfo) \
  X(pauseButtonInfo) \
  X(stopButtonInfo) \
  X(rewindButtonInfo) \
  X(forwardButtonInfo) \
  X(volumeControlInfo) \
  X(guideButtonInfo) \
  X(nowPlayingButtonInfo) \
  X(browserBackButtonInfo) \
  X(browserForwardButtonInfo) \
  X(browserHomeButtonInfo) \
  X(browserChannelsButtonInfo) \
  X(browserCategoriesButtonInfo) \
  X(browserRecommendedButtonInfo)

#define ZSKIN_IMAGES(X) \
  X(topLeftImage) \
  X(topRightImage) \
  X(topMiddleImage) \
  X(bottomLeftImage) \
  X(bottomRightImage) \
  X(bottomMiddleImage) \
  X(playlistBottomButtonBarImage) \
  X(fullScreenExitButtonImage) \
  X(fullScreenTitleBackgroundImage) \
  X(dialogTopLeftImage) \
  X(dialogTopRightImage) \
  X(dialogTopCenterImage) \
  X(dialogBottomLeftImage) \
  X(dialogBottomRightImage) \
  X(dialogBottomCenterImage) \
  X(dialogMiddleLeftImage) \
  X(dialogMiddleRightImage) \
  X(settingsTabGeneralImage) \
  X(settingsTabDownloadsImage) \
  X(settingsTabPlaybackImage) \
  X(libraryContainerViewPopupImage) \
  X(libraryVideoNewImage) \
  X(libraryNewVideoCountImage) \
  X(libraryThumbnailViewVideoThumbnailBackgroundImage) \
  X(libraryDetailsViewVideoThumbnailBackgroundImage) \
  X(librarySortArrowImage) \
  X(libraryDetailsViewVideoStateImage) \
  X(libraryDetailsViewVideoThumbShadowImage) \
  X(libraryDetailsViewPlayVideoButtonImage) \
  X(libraryDetailsViewPlayAllButtonImage) \
  X(libraryDetailsViewSaveVideoButtonImage) \
  X(libraryDetailsViewDontSaveVideoButtonImage) \
  X(libraryDetailsViewUnratedButtonImage) \
  X(libraryDetailsViewRate1StarButtonImage) \
  X(libraryDetailsViewRate2StarButtonImage) \
  X(libraryDetailsViewRate3StarButtonImage) \
  X(libraryDetailsViewRate4StarButtonImage) \
  X(libraryDetailsViewRate5StarButtonImage) \
  X(libraryDetailsViewSubscribeButtonImage) \
  X(libraryDetailsViewUnsubscribeButtonImage) \
  X(libraryDetailsViewViewGuideButtonImage)

// Images read from fixed file names on first use (and again while they fail).
#define ZSKIN_LAZY_IMAGES(X) \
  X(libraryContainerUpDownImage, "UpDown.PNG") \
  X(detailsThumbnailEmptyBackgroundImage, "details_bg_empty.jpg") \
  X(starImage, "Star.PNG") \
  X(starBlueImage, "star_blue.png") \
  X(starGrayImage, "star_gray.png") \
  X(starHalfImage, "star_half.png") \
  X(defaultIconImage, "DefaultIcon.jpg") \
  X(detailsBackgroundDefaultImage, "details_bg_default.jpg") \
  X(videoStateImage, "VideoState.PNG") \
  X(videoStateDetailImage, "VideoStateDetail.JPG") \
  X(newIndicatorImage, "icon_new.png") \
  X(newIndicatorDisabledImage, "icon_new2.png") \
  X(savedIndicatorImage, "icon_saved.png") \
  X(savedIndicatorDisabledImage, "icon_saved2.png") \
  X(bottomNavBarImage, "nowplaying_bar.jpg") \
  X(inlineFullScreenLeftImage, "FSLeftBottomFrame.JPG") \
  X(inlineFullScreenMiddleImage, "FSMiddleBottomFrame.JPG") \
  X(inlineFullScreenRightImage, "FSRightBottomFrame.JPG") \
  X(statusBarLeftOffImage, "statusBar_left_off.jpg") \
  X(statusBarLeftOnImage, "statusBar_left_on.jpg") \
  X(statusBarRightOffImage, "statusBar_right_off.jpg") \
  X(statusBarRightOnImage, "statusBar_right_on.jpg") \
  X(statusBarBackgroundOffImage, "statusBar_bg_off.jpg") \
  X(statusBarBackgroundOnImage, "statusBar_bg_on.jpg") \
  X(downloadsDeleteIcon, "DownloadsDeleteIcon.jpg") \
  X(downloadsDeleteIconSelected, "DownloadsDeleteIconSelected.jpg") \
  X(downloadsCompleteIcon, "DownloadscompleteIcon.jpg") \
  X(downloadsCompleteIconSelected, "DownloadscompleteIconSelected.jpg") \
  X(playlistDragImage, "dragimage.gif")

#define ZSKIN_NUMBERS(X) \
  X(fullScreenExitButtonStates) \
  X(libraryItemWidth) \
  X(libraryItemHeight) \
  X(libraryThumbnailViewCellSpacing) \
  X(libraryItemThumbnailBorderSize) \
  X(libraryDetailsViewVideoThumbnailBorderSize) \
  X(libraryThumbnailViewGradientHeight) \
  X(libraryDetailsViewVideoRowHeight) \
  X(playlistRowHeight) \
  X(downloadHorizontalMargin) \
  X(downloadsHeaderHeight) \
  X(downloadsRowHeight) \
  X(downloadsThumbnailColumnWidth) \
  X(downloadsConnectionSpeedColumnWidth) \
  X(downloadsProgressColumnWidth) \
  X(downloadsTimeRemainingColumnWidth) \
  X(downloadsStopColumnWidth) \
  X(downloadsRowSeparatorHeight)

#define ZSKIN_RECTS(X) \
  X(libraryThumbnailViewThumbnailRect) \
  X(libraryThumbnailViewImageDimensions) \
  X(libraryThumbnailViewTitleDimensions) \
  X(libraryDetailsViewVideoImageLocationSize)

#define ZSKIN_POINTS(X) \
  X(libraryThumbnailViewVideoStateLocation) \
  X(libraryThumbnailViewRatingLocation)

#define ZSKIN_COLORS(X) \
  X(libraryThumbnailViewGradientStart) \
  X(libraryThumbnailViewGradientEnd) \
  X(libraryDetailsViewVideoSeparatorColor) \
  X(playlistColor) \
  X(playlistSelectedColor) \
  X(playlistColorBorder) \
  X(playlistColorBorderSelected) \
  X(dialogBackColor) \
  X(downloadsBackgroundColor) \
  X(downloadsBackgroundColor2) \
  X(downloadsRowSeparatorColor)

#define ZSKIN_TEXT_ATTRIBUTES(X) \
  X(libraryVideoTitleTextAttributes) \
  X(libraryThumbnailViewVideoTitleAttributes) \
  X(libraryThumbnailViewPublisherAttributes) \
  X(libraryThumbnailViewVideoDurationAttributes) \
  X(libraryThumbnailViewVideoDateAddedAttributes) \
  X(librarySortByTitleAttributes) \
  X(librarySortByTypeAttributes) \
  X(librarySortByTypeSelectedAttributes) \
  X(libraryDetailsViewVideoTitleTextAttributes) \
  X(libraryDetailsViewVideoLabelTextAttributes) \
  X(libraryDetailsViewVideoLabelValueTextAttributes) \
  X(libraryDetailsViewVideoPublisherTextAttributes) \
  X(libraryDetailsViewVideoDurationTextAttributes) \
  X(libraryDetailsViewVideoDescriptionTextAttributes) \
  X(playlistCellTitleAttributes) \
  X(playlistCellTitleSelectedAttributes) \
  X(playlistCellDescriptionAttributes) \
  X(playlistCellDescriptionSelectedAttributes) \
  X(dialogCaptionAttributes) \
  X(downloadsHeaderTextAttributes) \
  X(downloadsProgressBarTextAttributes) \
  X(downloadsVideoTitleTextAttributes) \
  X(movieSliderFullScreenTextAttributes) \
  X(fullScreenTitleTextAttributes)

// clang-format on

// One skin: the folder that holds "Skin.xml" and the images it names, read
// once into values that never change afterwards. Views ask it for images,
// numbers, text styles and control descriptions; they never read the file.
//
// A value the skin does not have answers as absent: a null image, an empty
// optional, an invalid colour, 0.
class ZSkin {
 public:
  // initWithPath:error: reads the folder. A folder without "Skin.xml", or
  // one whose file does not read or parse, gives a skin without values.
  // Images are read for the application's device pixel ratio (see below).
  explicit ZSkin(const QString &folderPath);
  // The same for a given device pixel ratio. Above 1, every image is taken
  // from its "@2x" twin when the folder holds one of exactly twice the size
  // of the image itself; the twin then has a device pixel ratio of 2, so its
  // display size (QImage::deviceIndependentSize) is that of the image. At 1,
  // and without a fitting twin, the image itself is used.
  ZSkin(const QString &folderPath, double devicePixelRatio);
  ~ZSkin();
  ZSkin(const ZSkin &) = delete;
  ZSkin &operator=(const ZSkin &) = delete;

  // The folder (empty when the skin has no file).
  QString skinFolderPath() const { return fSkinFolderPath; }
  // The device pixel ratio the images were chosen for.
  double devicePixelRatio() const { return fDevicePixelRatio; }

  // clang-format off
#define X(name) \
  std::optional<QVariantMap> name() const { return info(QStringLiteral(#name)); }
  ZSKIN_INFOS(X)
#undef X
#define X(name) \
  QImage name() const { return image(QStringLiteral(#name)); }
  ZSKIN_IMAGES(X)
#undef X
#define X(name, file) \
  QImage name() const { return lazyImage(QStringLiteral(#name), QStringLiteral(file)); }
  ZSKIN_LAZY_IMAGES(X)
#undef X
#define X(name) \
  double name() const { return number(QStringLiteral(#name)); }
  ZSKIN_NUMBERS(X)
#undef X
#define X(name) \
  QRectF name() const { return fRects.value(QStringLiteral(#name)); }
  ZSKIN_RECTS(X)
#undef X
#define X(name) \
  QPointF name() const { return fPoints.value(QStringLiteral(#name)); }
  ZSKIN_POINTS(X)
#undef X
#define X(name) \
  QColor name() const { return fColors.value(QStringLiteral(#name)); }
  ZSKIN_COLORS(X)
#undef X
#define X(name) \
  std::optional<ZTextAttributes> name() const { return textAttributes(QStringLiteral(#name)); }
  ZSKIN_TEXT_ATTRIBUTES(X)
#undef X
  // clang-format on

  // The same whatever the skin says.
  static double playlistAreaWidth() { return 176; }
  static ZTextAttributes movieSliderTextAttributes();

  // The library rendering info's value for the key, or an invalid QVariant.
  QVariant libraryRenderingInfoForKey(const QString &key) const;
  // The image at (skin folder)/(name) set to its display size, or a null image.
  QImage loadImage(const QString &name) const;

  // A colour of the skin's text form: exactly six hexadecimal digits RRGGBB;
  // nothing for anything else.
  static std::optional<QColor> colorFromString(const QString &text);
  // A list of such colours separated by ",": the ones that read, last first.
  static QList<QColor> colorsFromString(const QString &text);

 private:
  std::optional<QVariantMap> info(const QString &name) const;
  QImage image(const QString &name) const { return fImages.value(name); }
  QImage lazyImage(const QString &name, const QString &file) const;
  double number(const QString &name) const { return fNumbers.value(name); }
  std::optional<ZTextAttributes> textAttributes(const QString &name) const;

  // The file an image name stands for, inside the skin folder; empty for a
  // name that leaves it.
  QString imagePath(const QString &name) const;
  QImage loadImageDirectly(const QString &name) const;
  QImage readImage(const QString &name, bool atDisplayResolution) const;
  QImage withHiDpiTwin(const QString &name, const QImage &image) const;
  void setDefaults();
  void readElements(const ZXMLElement &root);
  void readInfoChildren(const ZXMLElement &element, QVariantMap &info,
                        std::initializer_list<const char *> integers,
                        std::initializer_list<const char *> texts,
                        std::initializer_list<const char *> images) const;
  QVariantMap buttonInfo(const ZXMLElement &element) const;
  QVariantMap progressBarInfo(const ZXMLElement &element) const;
  QVariantMap volumeControlInfo(const ZXMLElement &element) const;
  void readLibraryControl(const ZXMLElement &element);
  void readPlaylistControl(const ZXMLElement &element);
  void readDialogSkin(const ZXMLElement &element);
  void readFullScreenTitleBar(const ZXMLElement &element);

  QString fSkinFolderPath;
  double fDevicePixelRatio = 1;
  QHash<QString, QVariantMap> fInfos;
  QHash<QString, QImage> fImages;
  mutable QHash<QString, QImage> fLazyImages;
  QHash<QString, double> fNumbers;
  QHash<QString, QRectF> fRects;
  QHash<QString, QPointF> fPoints;
  QHash<QString, QColor> fColors;
  QHash<QString, ZTextAttributes> fTextAttributes;
  QVariantMap fLibraryRenderingInfo;
};

// The skin in use, for the whole process.
class ZSkinManager {
 public:
  static ZSkinManager &sharedSkinManager();

  // The skin of "skins/defaultskin" in the application's resources, made on
  // the first call and kept.
  std::shared_ptr<ZSkin> getDefaultSkin();
  void setCurrentSkin(std::shared_ptr<ZSkin> skin);
  ZSkin *getCurrentSkin() const { return fCurrent.get(); }

  // Where the application's resources are: PREFIX/share/zaro-player beside
  // PREFIX/bin, else the build tree's copy.
  static QString resourcesFolder();

 private:
  ZSkinManager() = default;
  std::shared_ptr<ZSkin> fDefault;
  std::shared_ptr<ZSkin> fCurrent;
};
