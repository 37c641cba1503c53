#include "ZLibraryLook.h"

#include <algorithm>
#include <cmath>

namespace {

ZTextAttributes plain(double size, const QColor &color, bool bold = false) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(size);
  font.setBold(bold);
  return {font, color};
}

int whole(double value, int fallback) {
  return value > 0 && std::isfinite(value) ? int(std::lround(value)) : fallback;
}

QRect wholeRect(const QRectF &rect, const QRect &fallback) {
  return rect.isEmpty() ? fallback : rect.toRect();
}

}  // namespace

ZTextAttributes ZLibraryLook::inPixels(const ZTextAttributes &attributes) {
  ZTextAttributes pixels = attributes;
  const double size = attributes.font.pointSizeF();
  if (size > 0) pixels.font.setPixelSize(std::max(1, int(std::lround(size))));
  return pixels;
}

ZLibraryLook ZLibraryLook::fromSkin(const ZSkin *skin) {
  ZLibraryLook look = readSkin(skin);
  for (ZTextAttributes *text :
       {&look.headerText, &look.titleInDetails, &look.gridTitle, &look.gridPublisher,
        &look.gridDuration, &look.gridDateAdded, &look.detailsLabel, &look.detailsValue,
        &look.detailsDescription})
    *text = inPixels(*text);
  return look;
}

ZLibraryLook ZLibraryLook::readSkin(const ZSkin *skin) {
  ZLibraryLook look;
  const QColor grey50 = QColor::fromRgbF(0.5, 0.5, 0.5);
  look.headerText = plain(10, Qt::black, true);
  look.titleInDetails = plain(12, Qt::black, true);
  look.gridTitle = plain(12, Qt::black, true);
  look.gridPublisher = plain(10, grey50);
  look.gridDuration = look.gridDateAdded = plain(10, Qt::black);
  look.detailsLabel = plain(12, grey50);
  look.detailsValue = plain(12, QColor::fromRgbF(0.25, 0.25, 0.25), true);
  look.detailsDescription = plain(12, grey50);
  look.separatorColor = QColor::fromRgbF(0.765625, 0.84765625, 0.8984375);
  if (!skin) return look;

  const auto info = [skin](const char *key) {
    return skin->libraryRenderingInfoForKey(QLatin1String(key));
  };
  look.headerHeight = whole(info("HeaderHeight").toDouble(), 30);
  QFont headerFont(info("HeaderFont").toString().isEmpty() ? QStringLiteral("Arial")
                                                           : info("HeaderFont").toString());
  const double headerSize = info("HeaderFontSize").toDouble();
  headerFont.setPointSizeF(headerSize > 0 ? headerSize : 10);
  headerFont.setBold(info("HeaderFontBold").toBool());
  headerFont.setItalic(info("HeaderFontItalic").toBool());
  const QColor headerColor = info("HeaderFontColor").value<QColor>();
  look.headerText = {headerFont, headerColor.isValid() ? headerColor : QColor(Qt::black)};
  look.headerColorsSelected = info("HeaderColorSelected").value<QList<QColor>>();
  look.headerColorsOpen = info("HeaderColorOpen").value<QList<QColor>>();
  look.headerColorsClose = info("HeaderColorClose").value<QList<QColor>>();
  look.upDownImage = skin->libraryContainerUpDownImage();
  look.optionsImage = skin->libraryContainerViewPopupImage();
  look.newCountImage = skin->libraryNewVideoCountImage();

  look.thumbnailBorder =
      std::max(0, int(std::lround(skin->libraryDetailsViewVideoThumbnailBorderSize())));
  look.videoNewImage = skin->libraryVideoNewImage();
  look.defaultIcon = skin->defaultIconImage();
  const auto text = [](std::optional<ZTextAttributes> value, const ZTextAttributes &fallback) {
    return value ? *value : fallback;
  };
  look.titleInDetails = text(skin->libraryDetailsViewVideoTitleTextAttributes(), look.titleInDetails);

  look.itemWidth = whole(skin->libraryItemWidth(), 260);
  look.itemHeight = whole(skin->libraryItemHeight(), 90);
  look.cellSpacing = std::max(0, int(std::lround(skin->libraryThumbnailViewCellSpacing())));
  look.gradientHeight = std::max(0, int(std::lround(skin->libraryThumbnailViewGradientHeight())));
  if (skin->libraryThumbnailViewGradientStart().isValid())
    look.gradientStart = skin->libraryThumbnailViewGradientStart();
  if (skin->libraryThumbnailViewGradientEnd().isValid())
    look.gradientEnd = skin->libraryThumbnailViewGradientEnd();
  look.thumbnailRect = wholeRect(skin->libraryThumbnailViewImageDimensions(), look.thumbnailRect);
  look.thumbnailSelectedBackground = skin->libraryThumbnailViewVideoThumbnailBackgroundImage();
  look.gridTitle = text(skin->libraryThumbnailViewVideoTitleAttributes(), look.gridTitle);
  look.gridPublisher = text(skin->libraryThumbnailViewPublisherAttributes(), look.gridPublisher);
  look.gridDuration = text(skin->libraryThumbnailViewVideoDurationAttributes(), look.gridDuration);
  look.gridDateAdded = text(skin->libraryThumbnailViewVideoDateAddedAttributes(), look.gridDateAdded);

  look.rowHeight = whole(skin->libraryDetailsViewVideoRowHeight(), 112);
  look.detailsThumbnailRect =
      wholeRect(skin->libraryDetailsViewVideoImageLocationSize(), look.detailsThumbnailRect);
  look.detailsSelectedBackground = skin->libraryDetailsViewVideoThumbnailBackgroundImage();
  look.thumbShadow = skin->libraryDetailsViewVideoThumbShadowImage();
  look.detailsLabel = text(skin->libraryDetailsViewVideoLabelTextAttributes(), look.detailsLabel);
  look.detailsValue = text(skin->libraryDetailsViewVideoLabelValueTextAttributes(), look.detailsValue);
  look.detailsDescription =
      text(skin->libraryDetailsViewVideoDescriptionTextAttributes(), look.detailsDescription);
  if (skin->libraryDetailsViewVideoSeparatorColor().isValid())
    look.separatorColor = skin->libraryDetailsViewVideoSeparatorColor();
  look.playImage = skin->libraryDetailsViewPlayVideoButtonImage();
  look.saveImage = skin->libraryDetailsViewSaveVideoButtonImage();
  look.dontSaveImage = skin->libraryDetailsViewDontSaveVideoButtonImage();
  const QSizeF unrated = skin->libraryDetailsViewUnratedButtonImage().deviceIndependentSize();
  if (!unrated.isEmpty())
    look.rateCellSize = QSize(int(std::ceil(unrated.width() / 2)), int(std::ceil(unrated.height())));
  return look;
}
