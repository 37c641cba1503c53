#pragma once

#include "ZSkin.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QVariantMap>

class QPainter;

// How the player's views draw the skin's pieces that have no control class
// of their own yet, for the gallery: each follows the drawing rule of the
// view that will use it. Rectangles are in widget space (y downwards).
namespace GalleryPainting {

// The size an image is laid out at.
inline QSizeF sizeOf(const QImage &image) { return image.deviceIndependentSize(); }

// The main window's frame: clipped to a rounded rectangle of radius 12,
// filled white, the corner pieces at their own size, the middle pieces
// stretched between them.
void windowFrame(QPainter &painter, const QRectF &bounds, const ZSkin &skin);
// A download's progress bar in its column, with the percentage over it.
void downloadBar(QPainter &painter, const QRectF &column, const ZSkin &skin, double percent);
// A group header of the library in one of its looks (0 closed, 1 open, 2 selected).
void groupHeader(QPainter &painter, const QRectF &bounds, const ZSkin &skin, const QString &title,
                 int look, int newVideos);
// The library's sort bar with its label and two items, the first highlighted.
void sortBar(QPainter &painter, const QRectF &bounds, const ZSkin &skin, bool ascending);
// A video of the thumbnail view, selected or not, new or not, with its rating.
void thumbnailCell(QPainter &painter, const QRectF &cell, const ZSkin &skin, const QString &title,
                   bool selected, bool isNew, int rating);
// Text in a style, aligned in a rectangle.
void text(QPainter &painter, const QRectF &rect, const QString &text,
          const std::optional<ZTextAttributes> &style, int alignment);

}  // namespace GalleryPainting
