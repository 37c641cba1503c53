// The bars over and under the movie: the title bar, the control bar, the
// progress bar with its slider, the volume slider and the full-screen scale.
#include "Layout.h"
#include "Palette.h"
#include "Pictures.h"

#include <QPainter>

namespace Pictures {

using namespace Pieces;

namespace {

// The bars' own background, the same in every piece that lies in them.
QColor barColor() { return Palette::rgb(0x1C1C1C); }

}  // namespace

QString titleBar(SkinBuilder &skin) {
  return skin.picture(QStringLiteral("title_bar.png"), QSizeF(8, Layout::titleBarHeight),
                      [](QPainter &painter, const QSizeF &size) {
                        fillVertical(painter, QRectF(QPointF(0, 0), size), Palette::playbackTop(),
                                     Palette::playbackBottom());
                        hairline(painter, 0, size.width(), size.height() - 1,
                                 Palette::rgb(0x0A0A0A));
                      });
}

QString controlBar(SkinBuilder &skin, const QString &file) {
  return skin.picture(file, QSizeF(8, Layout::controlBarHeight),
                      [](QPainter &painter, const QSizeF &size) {
                        fillVertical(painter, QRectF(QPointF(0, 0), size), Palette::playbackTop(),
                                     Palette::playbackBottom());
                        hairline(painter, 0, size.width(), 0, Palette::rgb(0x2E2E2E));
                      });
}

QString progressCap(SkinBuilder &skin, const QString &file, bool left) {
  return skin.picture(file, QSizeF(Layout::progressCapWidth, Layout::progressHeight),
                      [left](QPainter &painter, const QSizeF &size) {
                        painter.fillRect(QRectF(QPointF(0, 0), size), barColor());
                        // A faint divider between the time and the slider.
                        const double x = left ? size.width() - 1 : 0;
                        painter.fillRect(QRectF(x, 7, 1, size.height() - 14),
                                         Palette::rgb(0xFFFFFF, 18));
                      });
}

QString progressStretch(SkinBuilder &skin, const QString &file) {
  return skin.picture(file, QSizeF(8, Layout::progressHeight),
                      [](QPainter &painter, const QSizeF &size) {
                        painter.fillRect(QRectF(QPointF(0, 0), size), barColor());
                      });
}

QString sliderTrack(SkinBuilder &skin, const QString &file, double height, bool played,
                    bool withBackground) {
  return skin.picture(file, QSizeF(8, height),
                      [played, withBackground](QPainter &painter, const QSizeF &size) {
                        if (withBackground)
                          painter.fillRect(QRectF(QPointF(0, 0), size), barColor());
                        // The track, four units high in the middle; stretched
                        // along the slider, so the same all along.
                        const double top = std::floor(size.height() / 2) - 2;
                        painter.fillRect(QRectF(0, top, size.width(), 4),
                                         played ? Palette::accent() : Palette::track());
                        if (played)
                          painter.fillRect(QRectF(0, top, size.width(), 1),
                                           Palette::accentLight());
                      });
}

QString sliderCap(SkinBuilder &skin, const QString &file, double height, bool left) {
  return skin.picture(file, QSizeF(4, height), [left](QPainter &painter, const QSizeF &size) {
    const double top = std::floor(size.height() / 2) - 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(left ? Palette::accent() : Palette::track());
    painter.drawRoundedRect(QRectF(left ? 2 : -2, top, 4, 4), 2, 2);
  });
}

QString knob(SkinBuilder &skin, const QString &file, double size) {
  return skin.picture(file, QSizeF(size, size), [](QPainter &painter, const QSizeF &size) {
    const QRectF disc(1, 1, size.width() - 2, size.height() - 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 110));
    painter.drawEllipse(disc.adjusted(-1, -0.5, 1, 1.5));
    painter.setBrush(Palette::rgb(0xFFFFFF));
    painter.drawEllipse(disc);
    painter.setBrush(Palette::accent());
    painter.drawEllipse(disc.adjusted(disc.width() * 0.32, disc.height() * 0.32,
                                      -disc.width() * 0.32, -disc.height() * 0.32));
  });
}

QString volumeScale(SkinBuilder &skin, const QString &file) {
  return skin.picture(file, QSizeF(52, 28), [](QPainter &painter, const QSizeF &size) {
    // Seven bars rising from left to right, like a level meter.
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    const int bars = 7;
    const double gap = 2.5, width = (size.width() - 4 - gap * (bars - 1)) / bars;
    for (int i = 0; i < bars; ++i) {
      const double height = 5 + (size.height() - 12) * i / (bars - 1);
      painter.setBrush(i < 5 ? Palette::ink() : Palette::inkDim().darker(150));
      painter.drawRoundedRect(QRectF(2 + i * (width + gap), size.height() - 4 - height, width, height),
                              1, 1);
    }
  });
}

}  // namespace Pictures
