#include "GalleryPainting.h"

#include "DrawUtilities.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace GalleryPainting {

namespace {

void drawAt(QPainter &painter, const QImage &image, const QRectF &target) {
  if (!image.isNull() && target.width() > 0 && target.height() > 0)
    painter.drawImage(target, image);
}


}  // namespace

void text(QPainter &painter, const QRectF &rect, const QString &text,
          const std::optional<ZTextAttributes> &style, int alignment) {
  painter.save();
  if (style) {
    painter.setFont(style->font);
    painter.setPen(style->foregroundColor);
  }
  painter.drawText(rect, alignment, text);
  painter.restore();
}

void windowFrame(QPainter &painter, const QRectF &r, const ZSkin &skin) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath rounded;
  rounded.addRoundedRect(r, 12, 12);
  painter.setClipPath(rounded);
  painter.fillRect(r, Qt::white);
  const QImage tl = skin.topLeftImage(), tm = skin.topMiddleImage(), tr = skin.topRightImage();
  const QImage bl = skin.bottomLeftImage(), bm = skin.bottomMiddleImage(),
               br = skin.bottomRightImage();
  drawAt(painter, tl, QRectF(r.topLeft(), sizeOf(tl)));
  drawAt(painter, tr, QRectF(QPointF(r.right() - sizeOf(tr).width(), r.top()), sizeOf(tr)));
  drawAt(painter, tm,
         QRectF(r.left() + sizeOf(tl).width(), r.top(),
                r.width() - sizeOf(tl).width() - sizeOf(tr).width(), sizeOf(tm).height()));
  drawAt(painter, bl, QRectF(QPointF(r.left(), r.bottom() - sizeOf(bl).height()), sizeOf(bl)));
  drawAt(painter, br,
         QRectF(QPointF(r.right() - sizeOf(br).width(), r.bottom() - sizeOf(br).height()),
                sizeOf(br)));
  drawAt(painter, bm,
         QRectF(r.left() + sizeOf(bl).width(), r.bottom() - sizeOf(bm).height(),
                r.width() - sizeOf(bl).width() - sizeOf(br).width(), sizeOf(bm).height()));
  painter.restore();
}

void downloadBar(QPainter &painter, const QRectF &column, const ZSkin &skin, double percent) {
  const QImage leftOn = skin.statusBarLeftOnImage(), leftOff = skin.statusBarLeftOffImage();
  const QImage rightOn = skin.statusBarRightOnImage(), rightOff = skin.statusBarRightOffImage();
  const QImage middleOn = skin.statusBarBackgroundOnImage(),
               middleOff = skin.statusBarBackgroundOffImage();
  if (leftOn.isNull() || leftOff.isNull() || rightOn.isNull() || rightOff.isNull() ||
      middleOn.isNull() || middleOff.isNull())
    return;
  const QImage &left = percent == 0 ? leftOff : leftOn;
  const QImage &right = percent >= 100 ? rightOn : rightOff;
  const double height = sizeOf(left).height();
  const double y = column.top() + std::ceil((column.height() - height) / 2);
  const double start = column.left() + 10 + sizeOf(left).width();
  const double end = column.right() - 10 - sizeOf(right).width();
  const double done = (end - start) * percent / 100;
  drawAt(painter, left, QRectF(QPointF(column.left() + 10, y), sizeOf(left)));
  drawAt(painter, middleOn, QRectF(start, y, done, height));
  drawAt(painter, middleOff, QRectF(start + done, y, end - start - done, height));
  drawAt(painter, right, QRectF(QPointF(end, y), sizeOf(right)));
  text(painter, QRectF(column.left(), y, column.width(), height),
       QString::asprintf("%2.1f%%", percent), skin.downloadsProgressBarTextAttributes(),
       Qt::AlignCenter);
}

void groupHeader(QPainter &painter, const QRectF &r, const ZSkin &skin, const QString &title,
                 int look, int newVideos) {
  const char *key = look == 2 ? "HeaderColorSelected" : look == 1 ? "HeaderColorOpen"
                                                                  : "HeaderColorClose";
  const QList<QColor> colors = skin.libraryRenderingInfoForKey(QLatin1String(key))
                                   .value<QList<QColor>>();
  if (colors.size() >= 2) {
    // The colours in bands from the bottom up.
    const double band = r.height() / double(colors.size() - 1);
    for (qsizetype i = 0; i + 1 < colors.size(); ++i)
      DrawUtilities::paintAxialShading(
          painter, QRectF(r.left(), r.bottom() - band * double(i + 1), r.width(), band),
          colors.at(i), colors.at(i + 1), true);
  } else {
    painter.fillRect(r, colors.value(0, Qt::lightGray));
  }
  painter.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), QColor(0xD0, 0xD3, 0xD7));
  QFont font(skin.libraryRenderingInfoForKey(QStringLiteral("HeaderFont")).toString());
  font.setPointSizeF(skin.libraryRenderingInfoForKey(QStringLiteral("HeaderFontSize")).toDouble());
  font.setBold(skin.libraryRenderingInfoForKey(QStringLiteral("HeaderFontBold")).toBool());
  text(painter, QRectF(r.left() + 25, r.top(), r.width() - 25, r.height()), title,
       ZTextAttributes{font, skin.libraryRenderingInfoForKey(QStringLiteral("HeaderFontColor"))
                                 .value<QColor>()},
       Qt::AlignLeft | Qt::AlignVCenter);
  const QImage arrow = skin.libraryContainerUpDownImage();
  const QSizeF half(sizeOf(arrow).width() / 2, sizeOf(arrow).height());
  DrawUtilities::drawImagePart(
      painter, QRectF(QPointF(r.left() + 5, r.center().y() - half.height() / 2), half), arrow,
      look == 0 ? 1 : 0, 2);
  const QImage options = skin.libraryContainerViewPopupImage();
  drawAt(painter, options,
         QRectF(QPointF(r.right() - 8 - sizeOf(options).width(),
                        r.center().y() - sizeOf(options).height() / 2),
                sizeOf(options)));
  if (newVideos > 0) {
    const QImage badge = skin.libraryNewVideoCountImage();
    const QRectF at(QPointF(r.right() - 40 - sizeOf(badge).width(),
                            r.center().y() - sizeOf(badge).height() / 2),
                    sizeOf(badge));
    drawAt(painter, badge, at);
    auto style = skin.libraryDetailsViewVideoTitleTextAttributes();
    if (style) style->font.setPointSizeF(9);
    text(painter, at, QStringLiteral("%1 new").arg(newVideos), style, Qt::AlignCenter);
  }
}

void sortBar(QPainter &painter, const QRectF &r, const ZSkin &skin, bool ascending) {
  painter.fillRect(r, QColor::fromRgbF(0.5, 0.5, 0.5));
  const auto label = skin.librarySortByTitleAttributes();
  const QString title = QStringLiteral("Sort by:");
  const double labelWidth = label ? QFontMetricsF(label->font).horizontalAdvance(title) : 50;
  text(painter, QRectF(r.left() + 10, r.top(), labelWidth + 4, r.height()), title, label,
       Qt::AlignLeft | Qt::AlignVCenter);
  const QImage arrow = skin.librarySortArrowImage();
  const double arrowHalf = std::ceil(sizeOf(arrow).width() / 2);
  double x = r.left() + labelWidth + 20;
  const QStringList items = {QStringLiteral("Title"), QStringLiteral("Date added")};
  for (qsizetype i = 0; i < items.size(); ++i) {
    const auto style = i == 0 ? skin.librarySortByTypeSelectedAttributes()
                              : skin.librarySortByTypeAttributes();
    const auto bold = skin.librarySortByTypeSelectedAttributes();
    const double titleWidth = style ? QFontMetricsF(style->font).horizontalAdvance(items[i]) : 40;
    const double width =
        (bold ? QFontMetricsF(bold->font).horizontalAdvance(items[i]) : 40) + 30 + arrowHalf + 10;
    text(painter, QRectF(x + 15, r.top(), titleWidth + 2, r.height()), items[i], style,
         Qt::AlignLeft | Qt::AlignVCenter);
    if (i == 0)
      DrawUtilities::drawImagePart(
          painter,
          QRectF(x + 15 + titleWidth + 8, r.center().y() - sizeOf(arrow).height() / 2, arrowHalf,
                 sizeOf(arrow).height()),
          arrow, ascending ? 1 : 0, 2);
    else
      painter.fillRect(QRectF(x - 1, r.top() + 3, 1, r.height() - 6), Qt::white);
    x += width + 1;
  }
}

void thumbnailCell(QPainter &painter, const QRectF &cell, const ZSkin &skin, const QString &title,
                   bool selected, bool isNew, int rating) {
  if (selected)
    drawAt(painter, skin.libraryThumbnailViewVideoThumbnailBackgroundImage(), cell);
  const QRectF location = skin.libraryThumbnailViewImageDimensions();
  const QRectF background = location.translated(cell.topLeft());
  painter.fillRect(background, Qt::white);
  const double border = skin.libraryDetailsViewVideoThumbnailBorderSize();
  const QRectF thumbnail = background.adjusted(border, border, -28 - border, -border);
  drawAt(painter, skin.defaultIconImage(), thumbnail);
  if (isNew)
    drawAt(painter, skin.libraryVideoNewImage(),
           QRectF(thumbnail.topLeft() - QPointF(4, 4), sizeOf(skin.libraryVideoNewImage())));
  const double x = background.left() + 140;
  // The title in one line or two, then the publisher and the length.
  const auto titleStyle = skin.libraryThumbnailViewVideoTitleAttributes();
  const QFontMetricsF titleMetrics(titleStyle ? titleStyle->font : painter.font());
  const double lines = titleMetrics.horizontalAdvance(title) > 100 ? 2 : 1;
  const double titleHeight = std::ceil(titleMetrics.lineSpacing() * lines);
  text(painter, QRectF(x, background.top(), 100, titleHeight), title, titleStyle,
       Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
  text(painter, QRectF(x, background.top() + titleHeight + 1, 100, 14), QStringLiteral("Zaro Nature"),
       skin.libraryThumbnailViewPublisherAttributes(), Qt::AlignLeft | Qt::AlignTop);
  const QPointF ratingAt = skin.libraryThumbnailViewRatingLocation() + cell.topLeft();
  const QImage stars = rating == 0 ? skin.libraryDetailsViewUnratedButtonImage()
                                   : rating == 1 ? skin.libraryDetailsViewRate1StarButtonImage()
                                   : rating == 2 ? skin.libraryDetailsViewRate2StarButtonImage()
                                   : rating == 3 ? skin.libraryDetailsViewRate3StarButtonImage()
                                   : rating == 4 ? skin.libraryDetailsViewRate4StarButtonImage()
                                                 : skin.libraryDetailsViewRate5StarButtonImage();
  DrawUtilities::drawImagePart(
      painter, QRectF(ratingAt,
                      QSizeF(std::ceil(sizeOf(stars).width() / 2), sizeOf(stars).height())),
      stars, 0, 2);
}

}  // namespace GalleryPainting
