#include "ZSkin.h"

#include "ApplicationIdentity.h"
#include "Logging.h"
#include "ZXMLElement.h"
#include "ZXMLParser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// What a number may be for its use: sizes, heights and counts from 0, positions
// and offsets on either side of 0, never beyond 10,000 points.
struct Bounds {
  double low, high;
};
constexpr Bounds kSize{0, 10000};
constexpr Bounds kPosition{-10000, 10000};

// A number as the skin writes it: leading white space, then as much of a
// decimal number as there is; 0 without one. One that is not finite or lies
// outside its bounds is no value at all.
std::optional<double> floatValue(const QString &text, Bounds bounds) {
  const QByteArray bytes = text.trimmed().toLatin1();
  const char *begin = bytes.constData();
  if (*begin == '+') ++begin;
  double value = 0;
  const auto result = std::from_chars(begin, bytes.constData() + bytes.size(), value);
  if (result.ec == std::errc::result_out_of_range) return std::nullopt;
  if (result.ec != std::errc()) value = 0;
  if (!std::isfinite(value) || value < bounds.low || value > bounds.high) return std::nullopt;
  return value;
}

// An integer the same way: the leading digits after white space and a sign,
// 0 without any; outside its bounds no value.
std::optional<int> intValue(const QString &text, Bounds bounds) {
  const QString trimmed = text.trimmed();
  qsizetype i = 0;
  const bool negative = i < trimmed.size() && trimmed.at(i) == QLatin1Char('-');
  if (i < trimmed.size() &&
      (trimmed.at(i) == QLatin1Char('-') || trimmed.at(i) == QLatin1Char('+')))
    ++i;
  qint64 value = 0;
  for (; i < trimmed.size() && trimmed.at(i).isDigit() && trimmed.at(i).unicode() < 0x80; ++i)
    value = std::min<qint64>(value * 10 + (trimmed.at(i).unicode() - '0'),
                             qint64(std::numeric_limits<int>::max()) + 1);
  if (negative) value = -value;
  if (value < bounds.low || value > bounds.high) return std::nullopt;
  return int(value);
}

bool boolValue(const QString &text) {
  return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

QColor grey(double white) { return QColor::fromRgbF(white, white, white); }

ZTextAttributes style(const QString &family, double size, const QColor &color, bool bold = false,
                      bool italic = false) {
  QFont font(family);
  font.setPointSizeF(size > 0 ? size : 12);
  font.setBold(bold);
  font.setItalic(italic);
  return {font, color};
}

// The text of the element's first child of that name; nothing without one.
std::optional<QString> childText(const ZXMLElement &element, const char *name) {
  const ZXMLElement *child = element.firstChildNamed(QLatin1String(name));
  if (!child) return std::nullopt;
  return child->stringValue();
}

// Comma-separated numbers, only when there is one for each of the bounds and
// each lies within its own.
std::optional<QList<double>> numbers(const QString &text, std::initializer_list<Bounds> bounds) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != qsizetype(bounds.size())) return std::nullopt;
  QList<double> values;
  const Bounds *part = bounds.begin();
  for (const QString &partText : parts) {
    const auto value = floatValue(partText, *part++);
    if (!value) return std::nullopt;
    values.append(*value);
  }
  return values;
}

}  // namespace

void changeToDisplayResolution(QImage &image) {
  if (image.isNull()) return;
  image.setDevicePixelRatio(1.0);
}

// ---- colours --------------------------------------------------------------------------

std::optional<QColor> ZSkin::colorFromString(const QString &text) {
  if (text.size() != 6) return std::nullopt;
  double components[3];
  for (int i = 0; i < 3; ++i) {
    // Each pair is scanned as a hexadecimal number: white space before it is
    // skipped and reading stops at the first character that is no digit; a
    // pair without any digit gives no colour.
    QStringView pair = QStringView(text).mid(i * 2, 2);
    while (!pair.isEmpty() && pair.front().isSpace()) pair = pair.mid(1);
    uint v = 0;
    int digits = 0;
    for (const QChar c : pair) {
      const char16_t u = c.unicode();
      int digit = -1;
      if (u >= u'0' && u <= u'9') digit = u - u'0';
      if (u >= u'a' && u <= u'f') digit = u - u'a' + 10;
      if (u >= u'A' && u <= u'F') digit = u - u'A' + 10;
      if (digit < 0) break;
      v = v * 16 + uint(digit);
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    components[i] = v == 0xFF ? 1.0 : double(v) / 256.0;
  }
  return QColor::fromRgbF(components[0], components[1], components[2], 1.0);
}

QList<QColor> ZSkin::colorsFromString(const QString &text) {
  QList<QColor> colors;
  for (const QString &part : text.split(QLatin1Char(',')))
    if (const auto color = colorFromString(part)) colors.prepend(*color);
  return colors;
}

ZTextAttributes ZSkin::movieSliderTextAttributes() {
  return style(QStringLiteral("Arial"), 14, Qt::white);
}

// ---- building ---------------------------------------------------------------------------

namespace {

// The highest device pixel ratio of the screens; 1 without a screen.
double applicationDevicePixelRatio() {
  const auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
  return app ? app->devicePixelRatio() : 1.0;
}

}  // namespace

ZSkin::ZSkin(const QString &folderPath) : ZSkin(folderPath, applicationDevicePixelRatio()) {}

ZSkin::ZSkin(const QString &folderPath, double devicePixelRatio)
    : fDevicePixelRatio(devicePixelRatio) {
  const QString file = QDir(folderPath).filePath(QStringLiteral("Skin.xml"));
  if (!QFileInfo(file).isFile()) {
    qCWarning(zaroSkin).noquote() << "no skin at" << folderPath << "(no Skin.xml)";
    return;
  }
  fSkinFolderPath = folderPath;
  QFile input(file);
  if (!input.open(QIODevice::ReadOnly)) {
    qCWarning(zaroSkin).noquote() << "cannot read" << file << ":" << input.errorString();
    return;
  }
  const QByteArray bytes = input.readAll();
  // Only UTF-8 text is a skin definition.
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder.decode(bytes);
  if (decoder.hasError()) {
    qCWarning(zaroSkin).noquote() << file << "is not UTF-8 text";
    return;
  }
  ZXMLParser parser(text);
  const ZXMLElement *root = parser.parse();
  if (!root) {
    qCWarning(zaroSkin).noquote() << file << "is not XML:" << parser.errorDescription();
    return;
  }
  setDefaults();
  readElements(*root);
}

ZSkin::~ZSkin() = default;

QString ZSkin::imagePath(const QString &name) const {
  if (fSkinFolderPath.isEmpty() || name.isEmpty()) return QString();
  // Names are relative to the skin folder and stay inside it: an absolute
  // name, a ".." step or a link that points out of the folder names nothing.
  if (QDir::isAbsolutePath(name) || name.split(QLatin1Char('/')).contains(QLatin1String("..")))
    return QString();
  const QString folder = QDir(fSkinFolderPath).canonicalPath();
  const QString file = QFileInfo(QDir(fSkinFolderPath).filePath(name)).canonicalFilePath();
  if (folder.isEmpty() || !file.startsWith(folder + QLatin1Char('/'))) return QString();
  return file;
}

QImage ZSkin::loadImageDirectly(const QString &name) const { return readImage(name, false); }

QImage ZSkin::loadImage(const QString &name) const { return readImage(name, true); }

QImage ZSkin::readImage(const QString &name, bool atDisplayResolution) const {
  const QString path = imagePath(name);
  if (path.isEmpty()) return QImage();
  QImage image(path);
  if (atDisplayResolution) changeToDisplayResolution(image);
  return withHiDpiTwin(name, image);
}

// On a high-resolution screen the image's twin of twice its pixels, drawn at
// the image's display size. A twin that is missing, unreadable or of another
// size leaves the image as it is; without the image a twin counts for nothing.
QImage ZSkin::withHiDpiTwin(const QString &name, const QImage &image) const {
  if (image.isNull() || fDevicePixelRatio <= 1) return image;
  // The twin keeps to the folder like any other name.
  const QString path = imagePath(hiDpiTwinName(name));
  if (path.isEmpty()) return image;
  QImage twin(path);
  if (twin.isNull() || twin.size() != image.size() * 2) return image;
  twin.setDevicePixelRatio(image.devicePixelRatio() * 2);
  return twin;
}

QImage ZSkin::lazyImage(const QString &name, const QString &file) const {
  const auto it = fLazyImages.constFind(name);
  if (it != fLazyImages.cend()) return *it;
  const QImage image = loadImage(file);
  // One that does not load is tried again next time.
  if (!image.isNull()) fLazyImages.insert(name, image);
  return image;
}

std::optional<QVariantMap> ZSkin::info(const QString &name) const {
  const auto it = fInfos.constFind(name);
  if (it == fInfos.cend()) return std::nullopt;
  return *it;
}

std::optional<ZTextAttributes> ZSkin::textAttributes(const QString &name) const {
  const auto it = fTextAttributes.constFind(name);
  if (it == fTextAttributes.cend()) return std::nullopt;
  return *it;
}

QVariant ZSkin::libraryRenderingInfoForKey(const QString &key) const {
  return fLibraryRenderingInfo.value(key);
}

void ZSkin::setDefaults() {
  const QString arial = QStringLiteral("Arial");
  const auto setImage = [this](const char *name, const char *file) {
    fImages.insert(QLatin1String(name), loadImage(QLatin1String(file)));
  };
  setImage("libraryContainerViewPopupImage", "right_click_options.png");
  setImage("libraryVideoNewImage", "VideoNew.png");
  setImage("libraryNewVideoCountImage", "new_in_library.PNG");
  fNumbers.insert(QStringLiteral("libraryItemWidth"), 260);
  fNumbers.insert(QStringLiteral("libraryItemHeight"), 90);
  setImage("libraryThumbnailViewVideoThumbnailBackgroundImage", "listview_highlight_bg.jpg");
  setImage("libraryDetailsViewVideoThumbnailBackgroundImage", "listview_highlight_bg.jpg");
  fRects.insert(QStringLiteral("libraryThumbnailViewThumbnailRect"), QRectF(4, 4, 134, 80));
  fRects.insert(QStringLiteral("libraryThumbnailViewImageDimensions"), QRectF(4, 4, 134, 80));
  fNumbers.insert(QStringLiteral("libraryThumbnailViewCellSpacing"), 4);
  fNumbers.insert(QStringLiteral("libraryItemThumbnailBorderSize"), 3);
  fNumbers.insert(QStringLiteral("libraryDetailsViewVideoThumbnailBorderSize"), 3);
  fNumbers.insert(QStringLiteral("libraryThumbnailViewGradientHeight"), 20);
  fColors.insert(QStringLiteral("libraryThumbnailViewGradientStart"), Qt::white);
  fColors.insert(QStringLiteral("libraryThumbnailViewGradientEnd"), Qt::white);
  fPoints.insert(QStringLiteral("libraryThumbnailViewVideoStateLocation"), QPointF(88, 30));
  fRects.insert(QStringLiteral("libraryThumbnailViewTitleDimensions"), QRectF(20, 50, 80, 14));
  fPoints.insert(QStringLiteral("libraryThumbnailViewRatingLocation"), QPointF(20, 68));
  const auto setStyle = [this](const char *name, const ZTextAttributes &attributes) {
    fTextAttributes.insert(QLatin1String(name), attributes);
  };
  setStyle("libraryThumbnailViewVideoTitleAttributes", style(arial, 12, Qt::black, true));
  setStyle("libraryThumbnailViewPublisherAttributes", style(arial, 10, grey(0.5)));
  setStyle("libraryThumbnailViewVideoDurationAttributes", style(arial, 10, Qt::black));
  setStyle("libraryThumbnailViewVideoDateAddedAttributes", style(arial, 10, Qt::black));
  setStyle("librarySortByTitleAttributes", style(arial, 11, Qt::white));
  setStyle("librarySortByTypeAttributes", style(arial, 11, Qt::white));
  setStyle("librarySortByTypeSelectedAttributes", style(arial, 11, Qt::white, true));
  setImage("librarySortArrowImage", "sort_arrow.png");
  fNumbers.insert(QStringLiteral("libraryDetailsViewVideoRowHeight"), 112);
  fRects.insert(QStringLiteral("libraryDetailsViewVideoImageLocationSize"),
                QRectF(12, 12, 130, 76));
  setImage("libraryDetailsViewVideoStateImage", "VideoState.JPG");
  setImage("libraryDetailsViewVideoThumbShadowImage", "thumb_shadow.jpg");
  setImage("libraryDetailsViewPlayVideoButtonImage", "play_ico1.jpg");
  setImage("libraryDetailsViewPlayAllButtonImage", "button_playallvid.JPG");
  setImage("libraryDetailsViewSaveVideoButtonImage", "save_ico.jpg");
  setImage("libraryDetailsViewDontSaveVideoButtonImage", "save_ico1.JPG");
  setImage("libraryDetailsViewUnratedButtonImage", "rate_unrated.jpg");
  setImage("libraryDetailsViewRate1StarButtonImage", "rate_1star.jpg");
  setImage("libraryDetailsViewRate2StarButtonImage", "rate_2star.jpg");
  setImage("libraryDetailsViewRate3StarButtonImage", "rate_3star.jpg");
  setImage("libraryDetailsViewRate4StarButtonImage", "rate_4star.jpg");
  setImage("libraryDetailsViewRate5StarButtonImage", "rate_5star.jpg");
  setImage("libraryDetailsViewSubscribeButtonImage", "button_subscribe.JPG");
  setImage("libraryDetailsViewUnsubscribeButtonImage", "button_unsubscribe.JPG");
  setImage("libraryDetailsViewViewGuideButtonImage", "button_viewguide.jpg");
  setStyle("libraryDetailsViewVideoTitleTextAttributes", style(arial, 12, Qt::black, true));
  setStyle("libraryDetailsViewVideoLabelTextAttributes", style(arial, 12, grey(0.5)));
  setStyle("libraryDetailsViewVideoLabelValueTextAttributes", style(arial, 12, grey(0.25), true));
  const QColor detailBlue = QColor::fromRgbF(0.0625, 0.40234375, 0.59375);
  setStyle("libraryDetailsViewVideoPublisherTextAttributes", style(arial, 10, detailBlue));
  setStyle("libraryDetailsViewVideoDurationTextAttributes", style(arial, 10, detailBlue));
  setStyle("libraryDetailsViewVideoDescriptionTextAttributes", style(arial, 12, grey(0.5)));
  fColors.insert(QStringLiteral("libraryDetailsViewVideoSeparatorColor"),
                 QColor::fromRgbF(0.765625, 0.84765625, 0.8984375));
  fNumbers.insert(QStringLiteral("playlistRowHeight"), 80);
  fColors.insert(QStringLiteral("playlistColor"), Qt::white);
  fColors.insert(QStringLiteral("playlistSelectedColor"), grey(0.5));
  fColors.insert(QStringLiteral("playlistColorBorder"), Qt::white);
  fColors.insert(QStringLiteral("playlistColorBorderSelected"), Qt::black);
  setStyle("playlistCellTitleAttributes", style(arial, 12, Qt::white));
  setStyle("playlistCellDescriptionAttributes", style(arial, 12, Qt::white));
  setStyle("playlistCellDescriptionSelectedAttributes", style(arial, 12, Qt::white));
  fColors.insert(QStringLiteral("dialogBackColor"), Qt::white);
  setStyle("dialogCaptionAttributes", style(arial, 32, Qt::white));
  fNumbers.insert(QStringLiteral("downloadHorizontalMargin"), 12);
  fNumbers.insert(QStringLiteral("downloadsHeaderHeight"), 40);
  fNumbers.insert(QStringLiteral("downloadsRowHeight"), 88);
  setStyle("downloadsHeaderTextAttributes", style(arial, 12, Qt::black));
  setStyle("downloadsProgressBarTextAttributes", style(arial, 12, Qt::white));
  setStyle("downloadsVideoTitleTextAttributes", style(arial, 14, Qt::black, true));
  fNumbers.insert(QStringLiteral("downloadsThumbnailColumnWidth"), 120);
  fNumbers.insert(QStringLiteral("downloadsConnectionSpeedColumnWidth"), 120);
  fNumbers.insert(QStringLiteral("downloadsProgressColumnWidth"), 266);
  fNumbers.insert(QStringLiteral("downloadsTimeRemainingColumnWidth"), 130);
  fNumbers.insert(QStringLiteral("downloadsStopColumnWidth"), 26);
  fColors.insert(QStringLiteral("downloadsBackgroundColor"),
                 QColor::fromRgbF(0.93359375, 0.9453125, 0.96484375));
  fColors.insert(QStringLiteral("downloadsBackgroundColor2"),
                 QColor::fromRgbF(0.875, 0.88671875, 0.921875));
  fNumbers.insert(QStringLiteral("downloadsRowSeparatorHeight"), 2);
  fColors.insert(QStringLiteral("downloadsRowSeparatorColor"),
                 QColor::fromRgbF(0.84765625, 0.88671875, 0.92578125));
  setStyle("movieSliderFullScreenTextAttributes", style(arial, 24, Qt::white));
  setStyle("fullScreenTitleTextAttributes", style(arial, 24, Qt::white));
}

// ---- control descriptions ------------------------------------------------------------------

// Reads the element's children of the named kinds into the info, in
// document order: a later child replaces an earlier one of the same name, an
// image file that does not load leaves no image (also over an earlier one),
// other children are ignored.
namespace {

// Positions may lie on either side of their edge; widths, heights and state
// counts are sizes.
Bounds bounds(const QString &infoKey) {
  for (const char *size : {"Width", "Height", "states"})
    if (infoKey == QLatin1String(size)) return kSize;
  return kPosition;
}

}  // namespace

void ZSkin::readInfoChildren(const ZXMLElement &element, QVariantMap &info,
                             std::initializer_list<const char *> integers,
                             std::initializer_list<const char *> texts,
                             std::initializer_list<const char *> images) const {
  const auto named = [](const QString &name, std::initializer_list<const char *> keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [&name](const char *key) { return name == QLatin1String(key); });
  };
  for (const ZXMLElement *child : element.elementChildren()) {
    const QString &name = child->qualifiedName();
    if (named(name, integers)) {
      // A number out of bounds is as if the child were not there.
      if (const auto value = intValue(child->stringValue(), bounds(name)))
        info.insert(name, *value);
    } else if (named(name, texts)) {
      info.insert(name, child->stringValue());
    } else if (named(name, images)) {
      const QImage image = loadImageDirectly(child->stringValue());
      if (image.isNull())
        info.remove(name);
      else
        info.insert(name, image);
    }
  }
}

QVariantMap ZSkin::buttonInfo(const ZXMLElement &element) const {
  QVariantMap info{{QStringLiteral("Justify"), QStringLiteral("left")},
                   {QStringLiteral("states"), 1}};
  readInfoChildren(element, info, {"Zone", "XPos", "YPos", "states"}, {"Justify"}, {"Image"});
  return info;
}

QVariantMap ZSkin::progressBarInfo(const ZXMLElement &element) const {
  QVariantMap info = buttonInfo(element);
  readInfoChildren(element, info, {"Width", "Height", "KnobYPos"}, {},
                   {"LeftBarImage", "RightBarImage", "BarOnImage", "BarOffImage", "KnobImage"});
  return info;
}

QVariantMap ZSkin::volumeControlInfo(const ZXMLElement &element) const {
  QVariantMap info = progressBarInfo(element);
  for (const ZXMLElement *child : element.elementChildren()) {
    const QString &name = child->qualifiedName();
    if (name != QLatin1String("MuteButton") && name != QLatin1String("MutedButton")) continue;
    QVariantMap button;
    readInfoChildren(*child, button, {"XPos", "YPos", "states"}, {}, {"Image"});
    info.insert(name, button);
  }
  return info;
}

// ---- the elements of the file --------------------------------------------------------------

void ZSkin::readElements(const ZXMLElement &root) {
  const auto frame = [&](const char *element, const char *accessor) {
    if (const ZXMLElement *found = root.firstChildNamed(QLatin1String(element)))
      if (const auto file = childText(*found, "Image"))
        fImages.insert(QLatin1String(accessor), loadImageDirectly(*file));
  };
  enum Kind { Button, ProgressBar, VolumeControl };
  const auto control = [&](const char *element, const char *accessor, Kind kind = Button) {
    const ZXMLElement *found = root.firstChildNamed(QLatin1String(element));
    if (!found) return;
    fInfos.insert(QLatin1String(accessor), kind == Button        ? buttonInfo(*found)
                                           : kind == ProgressBar ? progressBarInfo(*found)
                                                                 : volumeControlInfo(*found));
  };

  frame("LeftTopFrame", "topLeftImage");
  frame("RightTopFrame", "topRightImage");
  frame("MiddleTopFrame", "topMiddleImage");
  frame("LeftBottomFrame", "bottomLeftImage");
  frame("RightBottomFrame", "bottomRightImage");
  frame("MiddleBottomFrame", "bottomMiddleImage");
  control("MinimizeButton", "minimizeButtonInfo");
  control("MaximizeButton", "maximizeButtonInfo");
  control("CloseButton", "closeButtonInfo");
  control("LibraryButton", "libraryButtonInfo");
  control("ZaroTvButton", "zaroTvButtonInfo");
  control("SearchButton", "guideSearchButtonInfo");
  control("SearchButtonLibrary", "librarySearchButtonInfo");
  control("HidePlaylistButton", "hidePlaylistButtonInfo");
  control("ShowPlaylistButton", "showPlaylistButtonInfo");
  control("PlayListsButton", "playlistsButtonInfo");
  if (const ZXMLElement *playlist = root.firstChildNamed(QLatin1String("PlayListControl")))
    if (const ZXMLElement *bar = playlist->firstChildNamed(QLatin1String("BarControl")))
      if (const auto file = childText(*bar, "Image"))
        fImages.insert(QStringLiteral("playlistBottomButtonBarImage"), loadImage(*file));
  control("PlayListPlayAllButton", "playlistPlayAllButtonInfo");
  control("PlayListClearButton", "playlistClearButtonInfo");
  control("PlayListDeleteButton", "playlistDeleteButtonInfo");
  control("BrowseByInfoWnd", "browseByTitleInfo");
  control("BrowseByButton", "browseByPopupInfo");
  control("ThumbnailViewButton", "thumbnailViewButtonInfo");
  control("DetailViewButton", "detailsViewButtonInfo");
  control("DownloadsButton", "downloadsButtonInfo");
  control("ClearDownloadsButton", "clearDownloadsButtonInfo");
  control("ImportButton", "importButtonInfo");
  control("UploadButton", "uploadButtonInfo");
  control("UploadManagerInfoWnd", "uploadManagerImageInfo");
  control("DetailsInfoWnd", "detailsInfoTitle");
  control("NowPlayingOptions", "nowPlayingOptionsButtonInfo");
  control("NowPlayingInfoWnd", "nowPlayingTitleInfo");
  control("FullScreenHoverButton", "fullScreenHoverButtonInfo");
  if (const ZXMLElement *exit = root.firstChildNamed(QLatin1String("ExitFullScreenHoverButton"))) {
    if (const auto file = childText(*exit, "Image"))
      fImages.insert(QStringLiteral("fullScreenExitButtonImage"), loadImageDirectly(*file));
    if (const auto states = childText(*exit, "states"))
      if (const auto value = intValue(*states, kSize))
        fNumbers.insert(QStringLiteral("fullScreenExitButtonStates"), *value);
  }
  control("PlayButtonFullScreen", "playButtonFullScreenInfo");
  control("PauseButtonFullScreen", "pauseButtonFullScreenInfo");
  control("StopButtonFullScreen", "stopButtonFullScreenInfo");
  control("RewindButtonFullScreen", "rewindButtonFullScreenInfo");
  control("ForwardButtonFullScreen", "forwardButtonFullScreenInfo");
  control("VolumeControlFullScreen", "volumeControlFullScreenInfo", VolumeControl);
  control("MuteButtonFS", "fullScreenMuteButtonInfo");
  control("MutedButtonFS", "fullScreenMutedButtonInfo");
  control("VolumeUpButtonFS", "fullScreenVolumeUpButtonInfo");
  control("VolumeDownButtonFS", "fullScreenVolumeDownButtonInfo");
  control("VolumeImageFS", "fullScreenVolumeImageInfo");
  control("ProgressControlFullScreen", "progressBarFullScreenInfo", ProgressBar);
  control("ProgressControl", "progressBarInfo", ProgressBar);
  control("ExitButton", "nowPlayingExitButtonInfo");
  control("PlayButton", "playButtonInfo");
  control("PauseButton", "pauseButtonInfo");
  control("StopButton", "stopButtonInfo");
  control("RewindButton", "rewindButtonInfo");
  control("ForwardButton", "forwardButtonInfo");
  control("VolumeControl", "volumeControlInfo", VolumeControl);
  if (const ZXMLElement *bar = root.firstChildNamed(QLatin1String("TitleBarFullScreen")))
    readFullScreenTitleBar(*bar);
  if (const ZXMLElement *library = root.firstChildNamed(QLatin1String("LibraryControl")))
    readLibraryControl(*library);
  if (const ZXMLElement *playlist = root.firstChildNamed(QLatin1String("PlaylistControl")))
    readPlaylistControl(*playlist);
  if (const ZXMLElement *dialog = root.firstChildNamed(QLatin1String("BaseDlgSkin")))
    readDialogSkin(*dialog);
  if (const ZXMLElement *settings = root.firstChildNamed(QLatin1String("SettingsDlgSkin"))) {
    const auto tab = [&](const char *element, const char *accessor) {
      if (const auto file = childText(*settings, element))
        fImages.insert(QLatin1String(accessor), loadImage(*file));
    };
    tab("Tab1", "settingsTabGeneralImage");
    tab("Tab2", "settingsTabDownloadsImage");
    tab("Tab3", "settingsTabPlaybackImage");
  }
}

void ZSkin::readFullScreenTitleBar(const ZXMLElement &element) {
  if (const auto file = childText(element, "Image"))
    fImages.insert(QStringLiteral("fullScreenTitleBackgroundImage"), loadImage(*file));
  const auto font = childText(element, "TextFont");
  const auto size = childText(element, "TextFontSize");
  const auto color = childText(element, "TextColor");
  if (!font || !size || !color) return;
  const auto parsed = colorFromString(*color);
  const auto points = floatValue(*size, kSize);
  if (!parsed || !points) return;
  fTextAttributes.insert(QStringLiteral("fullScreenTitleTextAttributes"),
                         style(*font, *points, *parsed));
}

void ZSkin::readLibraryControl(const ZXMLElement &element) {
  QVariantMap &info = fLibraryRenderingInfo;
  info = {{QStringLiteral("HeaderHeight"), 30.0},
          {QStringLiteral("HeaderFont"), QStringLiteral("Arial")},
          {QStringLiteral("HeaderFontSize"), 10.0},
          {QStringLiteral("HeaderFontBold"), true},
          {QStringLiteral("HeaderFontItalic"), false},
          {QStringLiteral("HeaderFontColor"), QColor(Qt::black)},
          {QStringLiteral("ImageBorderSize"), 2.0},
          {QStringLiteral("ImageBorderSelected"), QColor(Qt::red)},
          {QStringLiteral("TitleFont"), QStringLiteral("Arial")},
          {QStringLiteral("TitleFontSize"), 10.0},
          {QStringLiteral("TitleFontBold"), true},
          {QStringLiteral("TitleFontItalic"), false},
          {QStringLiteral("TitleFontColor"), QColor(Qt::black)}};
  const auto is = [](const QString &name, const char *key) {
    return name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0;
  };
  for (const ZXMLElement *child : element.elementChildren()) {
    const QString &name = child->qualifiedName();
    const QString value = child->stringValue();
    for (const char *key : {"HeaderHeight", "HeaderFontSize", "ImageBorderSize", "TitleFontSize"})
      if (is(name, key))
        if (const auto size = floatValue(value, kSize)) {
          info.insert(QLatin1String(key), *size);
          if (is(name, "ImageBorderSize"))
            fNumbers.insert(QStringLiteral("libraryItemThumbnailBorderSize"), *size);
        }
    for (const char *key : {"HeaderFont", "TitleFont"})
      if (is(name, key)) info.insert(QLatin1String(key), value);
    for (const char *key :
         {"HeaderFontBold", "HeaderFontItalic", "TitleFontBold", "TitleFontItalic"})
      if (is(name, key)) info.insert(QLatin1String(key), boolValue(value));
    for (const char *key :
         {"HeaderFontColor", "ImageBorderSelected", "ImageBorderUnselected", "TitleFontColor"})
      if (is(name, key))
        if (const auto color = colorFromString(value)) info.insert(QLatin1String(key), *color);
    for (const char *key : {"HeaderColorSelected", "HeaderColorOpen", "HeaderColorClose"})
      if (is(name, key))
        info.insert(QLatin1String(key), QVariant::fromValue(colorsFromString(value)));
    if (is(name, "ItemSize")) {
      if (const auto size = numbers(value, {kSize, kSize})) {
        fNumbers.insert(QStringLiteral("libraryItemWidth"), size->at(0));
        fNumbers.insert(QStringLiteral("libraryItemHeight"), size->at(1));
      }
    } else if (is(name, "ItemGradientSize")) {
      if (const auto height = floatValue(value, kSize))
        fNumbers.insert(QStringLiteral("libraryThumbnailViewGradientHeight"), *height);
    } else if (is(name, "ItemGradient")) {
      const QStringList parts = value.split(QLatin1Char(','));
      if (const auto end = colorFromString(parts.value(0)))
        fColors.insert(QStringLiteral("libraryThumbnailViewGradientEnd"), *end);
      if (parts.size() > 1)
        if (const auto start = colorFromString(parts.at(1)))
          fColors.insert(QStringLiteral("libraryThumbnailViewGradientStart"), *start);
    } else if (is(name, "ImageLocation") || is(name, "TitleLocation")) {
      if (const auto r = numbers(value, {kPosition, kPosition, kSize, kSize}))
        fRects.insert(is(name, "ImageLocation")
                          ? QStringLiteral("libraryThumbnailViewImageDimensions")
                          : QStringLiteral("libraryThumbnailViewTitleDimensions"),
                      QRectF(r->at(0), r->at(1), r->at(2), r->at(3)));
    } else if (is(name, "VideoStateLocation") || is(name, "RatingLocation")) {
      if (const auto p = numbers(value, {kPosition, kPosition}))
        fPoints.insert(is(name, "VideoStateLocation")
                           ? QStringLiteral("libraryThumbnailViewVideoStateLocation")
                           : QStringLiteral("libraryThumbnailViewRatingLocation"),
                       QPointF(p->at(0), p->at(1)));
    }
  }
  fTextAttributes.insert(QStringLiteral("libraryVideoTitleTextAttributes"),
                         style(info.value(QStringLiteral("TitleFont")).toString(),
                               info.value(QStringLiteral("TitleFontSize")).toDouble(),
                               info.value(QStringLiteral("TitleFontColor")).value<QColor>(),
                               info.value(QStringLiteral("TitleFontBold")).toBool(),
                               info.value(QStringLiteral("TitleFontItalic")).toBool()));
}

void ZSkin::readPlaylistControl(const ZXMLElement &element) {
  QColor titleColor(Qt::white), titleSelectedColor(Qt::white);
  QColor descriptionColor(Qt::white), descriptionSelectedColor(Qt::white);
  std::optional<QString> titleFont, descriptionFont;
  std::optional<double> titleSize, descriptionSize;
  bool titleBold = false, titleItalic = false, descriptionBold = false, descriptionItalic = false;
  const auto is = [](const QString &name, const char *key) {
    return name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0;
  };
  const auto readColor = [](const QString &value, QColor &into) {
    if (const auto color = colorFromString(value)) into = *color;
  };
  for (const ZXMLElement *child : element.elementChildren()) {
    const QString &name = child->qualifiedName();
    const QString value = child->stringValue();
    if (is(name, "ItemHeight")) {
      if (const auto height = floatValue(value, kSize))
        fNumbers.insert(QStringLiteral("playlistRowHeight"), *height);
    } else if (is(name, "Color") || is(name, "ColorSelected") || is(name, "ColorBorder") ||
               is(name, "ColorBorderSelected")) {
      const QString accessor = is(name, "Color")           ? QStringLiteral("playlistColor")
                               : is(name, "ColorSelected") ? QStringLiteral("playlistSelectedColor")
                               : is(name, "ColorBorder")
                                   ? QStringLiteral("playlistColorBorder")
                                   : QStringLiteral("playlistColorBorderSelected");
      if (const auto color = colorFromString(value)) fColors.insert(accessor, *color);
    } else if (is(name, "TitleFont")) {
      titleFont = value;
    } else if (is(name, "TitleFontSize")) {
      if (const auto size = floatValue(value, kSize)) titleSize = size;
    } else if (is(name, "TitleFontBold")) {
      titleBold = boolValue(value);
    } else if (is(name, "TitleFontItalic")) {
      titleItalic = boolValue(value);
    } else if (is(name, "TitleFontColor")) {
      readColor(value, titleColor);
    } else if (is(name, "TitleFontColorSelected")) {
      readColor(value, titleSelectedColor);
    } else if (is(name, "DescriptionFont")) {
      descriptionFont = value;
    } else if (is(name, "DescriptionFontSize")) {
      if (const auto size = floatValue(value, kSize)) descriptionSize = size;
    } else if (is(name, "DescriptionFontBold")) {
      descriptionBold = boolValue(value);
    } else if (is(name, "DescriptionFontItalic")) {
      descriptionItalic = boolValue(value);
    } else if (is(name, "DescriptionFontColor")) {
      readColor(value, descriptionColor);
    } else if (is(name, "DescriptionFontColorSelected")) {
      readColor(value, descriptionSelectedColor);
    }
  }
  if (titleFont && titleSize) {
    fTextAttributes.insert(QStringLiteral("playlistCellTitleAttributes"),
                           style(*titleFont, *titleSize, titleColor, titleBold, titleItalic));
    fTextAttributes.insert(
        QStringLiteral("playlistCellTitleSelectedAttributes"),
        style(*titleFont, *titleSize, titleSelectedColor, titleBold, titleItalic));
  }
  if (descriptionFont && descriptionSize) {
    fTextAttributes.insert(QStringLiteral("playlistCellDescriptionAttributes"),
                           style(*descriptionFont, *descriptionSize, descriptionColor,
                                 descriptionBold, descriptionItalic));
    fTextAttributes.insert(QStringLiteral("playlistCellDescriptionSelectedAttributes"),
                           style(*descriptionFont, *descriptionSize, descriptionSelectedColor,
                                 descriptionBold, descriptionItalic));
  }
}

void ZSkin::readDialogSkin(const ZXMLElement &element) {
  const auto frame = [&](const char *child, const char *accessor) {
    if (const ZXMLElement *found = element.firstChildNamed(QLatin1String(child)))
      if (const auto file = childText(*found, "Image"))
        fImages.insert(QLatin1String(accessor), loadImageDirectly(*file));
  };
  frame("DlgLeftTopFrame", "dialogTopLeftImage");
  frame("DlgRightTopFrame", "dialogTopRightImage");
  frame("DlgMiddleTopFrame", "dialogTopCenterImage");
  frame("DlgLeftBottomFrame", "dialogBottomLeftImage");
  frame("DlgRightBottomFrame", "dialogBottomRightImage");
  frame("DlgMiddleBottomFrame", "dialogBottomCenterImage");
  frame("DlgMiddleLeftFrame", "dialogMiddleLeftImage");
  frame("DlgMiddleRightFrame", "dialogMiddleRightImage");
  std::optional<QColor> back;
  if (const auto text = childText(element, "Backcolor")) back = colorFromString(*text);
  if (back) fColors.insert(QStringLiteral("dialogBackColor"), *back);
  const auto font = childText(element, "DlgCaptionFont");
  const auto sizeText = childText(element, "DlgCaptionFontSize");
  const auto size = sizeText ? floatValue(*sizeText, kSize) : std::nullopt;
  if (font && size && !font->isEmpty() && *size > 0)
    fTextAttributes.insert(QStringLiteral("dialogCaptionAttributes"),
                           style(*font, *size, back.value_or(QColor(Qt::white))));
}

// ---- the skin in use -----------------------------------------------------------------------

ZSkinManager &ZSkinManager::sharedSkinManager() {
  // Made once, on first use, whichever caller comes first.
  static ZSkinManager manager;
  return manager;
}

QString ZSkinManager::resourcesFolder() { return ApplicationIdentity::resourcesFolder(); }

std::shared_ptr<ZSkin> ZSkinManager::getDefaultSkin() {
  if (!fDefault)
    fDefault = std::make_shared<ZSkin>(resourcesFolder() + QStringLiteral("/skins/defaultskin"));
  return fDefault;
}

void ZSkinManager::setCurrentSkin(std::shared_ptr<ZSkin> skin) { fCurrent = std::move(skin); }
