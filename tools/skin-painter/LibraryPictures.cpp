// The pictures of the light library area, the playlist's drag picture and the
// downloads list: badges, stars, row buttons, thumbnails' stand-ins, the
// progress bar of a download. Their file names are fixed: the player asks
// for them by name.
#include "Layout.h"
#include "Palette.h"
#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Pictures {

using namespace Pieces;

namespace {

void paper(QPainter &painter, const QSizeF &size) {
  painter.fillRect(QRectF(QPointF(0, 0), size), Palette::paper());
}

// A dot badge: a filled disc in a white ring (for pictures over thumbnails).
void ringedDot(QPainter &painter, const QRectF &box, const QColor &color) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 60));
  painter.drawEllipse(box.adjusted(0, 1, 0, 1));
  painter.setBrush(Palette::rgb(0xFFFFFF));
  painter.drawEllipse(box);
  painter.setBrush(color);
  painter.drawEllipse(box.adjusted(2.5, 2.5, -2.5, -2.5));
  painter.restore();
}

// The three video states side by side: new, viewed, saved.
void videoStates(QPainter &painter, const QSizeF &cell, bool onPaper) {
  for (int k = 0; k < 3; ++k) {
    const QRectF box(k * cell.width(), 0, cell.width(), cell.height());
    if (onPaper) painter.fillRect(box, Palette::paper());
    const QRectF inner = box.adjusted(1, 1, -1, -1);
    if (k == 0) {
      ringedDot(painter, inner, Palette::accent());
    } else {
      painter.save();
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(Qt::NoPen);
      painter.setBrush(k == 1 ? Palette::rgb(0x8A8E93) : Palette::saved());
      painter.drawEllipse(inner);
      painter.restore();
      drawGlyph(painter, k == 1 ? Glyph::Check : Glyph::Bookmark,
                inner.adjusted(inner.width() * 0.22, inner.height() * 0.22, -inner.width() * 0.22,
                               -inner.height() * 0.22),
                Palette::rgb(0xFFFFFF));
    }
  }
}

// Five stars in a row, the first `filled` of them filled.
void starRow(QPainter &painter, const QRectF &box, int filled, double star, double gap,
             const QColor &on, const QColor &off) {
  const double width = 5 * star + 4 * gap;
  double x = box.center().x() - width / 2;
  const double y = box.center().y() - star / 2;
  for (int i = 0; i < 5; ++i, x += star + gap)
    drawGlyph(painter, i < filled ? Glyph::Star : Glyph::StarOutline, QRectF(x, y, star, star),
              i < filled ? on : off);
}

// A rating choice: normal on paper, highlighted on a pale accent field.
QString rating(SkinBuilder &skin, const QString &file, int stars) {
  return skin.sprite(file, QSizeF(68, 16), 2, [stars](QPainter &painter, const QRectF &cell, int k) {
    painter.fillRect(cell, Palette::paper());
    if (k == 1) roundedBox(painter, cell.adjusted(0.5, 0.5, -0.5, -0.5), 4, Palette::accentPale());
    starRow(painter, cell, stars, 12, 1, k == 1 ? Palette::star().darker(108) : Palette::star(),
            Palette::starEmpty());
  });
}

// A round button of the library rows, on paper, in one state.
QString rowButton(SkinBuilder &skin, const QString &file, Glyph glyph, const QColor &color = {},
                  std::optional<Glyph> badge = std::nullopt, bool badgePlus = true) {
  return skin.picture(file, QSizeF(28, 28), [=](QPainter &painter, const QSizeF &size) {
    paper(painter, size);
    const QRectF cell(QPointF(0, 0), size);
    roundedBox(painter, cell.adjusted(1, 1, -1, -1), 13, Palette::rgb(0xEEF1F4), Palette::paperLine());
    const QColor ink = color.isValid() ? color : Palette::accent();
    drawGlyph(painter, glyph, QRectF(7, 7, 14, 14), ink);
    if (badge) {
      // A small plus or minus at the lower right says "add" or "remove".
      const QRectF mark(16, 16, 10, 10);
      roundedBox(painter, mark, 5, ink);
      drawGlyph(painter, badgePlus ? Glyph::Plus : Glyph::Minus, mark.adjusted(1.5, 1.5, -1.5, -1.5),
                Palette::rgb(0xFFFFFF));
    }
  });
}

// A stand-in for a picture: a dark field with a faint glyph.
QString placeholder(SkinBuilder &skin, const QString &file, const QSizeF &size, Glyph glyph,
                    const QColor &top, const QColor &bottom, const QColor &ink) {
  return skin.picture(file, size, [=](QPainter &painter, const QSizeF &size) {
    fillVertical(painter, QRectF(QPointF(0, 0), size), top, bottom);
    const double side = size.height() * 0.42;
    drawGlyph(painter, glyph,
              QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side), ink);
  });
}

// A download's progress bar: a pill cut into its left cap, a stretch of its
// middle and its right cap, each "on" (done) or "off", over the list's colour.
QString statusPiece(SkinBuilder &skin, const QString &file, int part, bool on) {
  const double height = 18, cap = 9;
  const double width = part == 1 ? 4 : cap;
  return skin.picture(file, QSizeF(width, height), [=](QPainter &painter, const QSizeF &size) {
    painter.fillRect(QRectF(QPointF(0, 0), size), Palette::downloadsBackground());
    QLinearGradient fill(0, 0, 0, height);
    fill.setColorAt(0, on ? Palette::accentLight() : Palette::rgb(0x7C8590));
    fill.setColorAt(1, on ? Palette::accentDark() : Palette::downloadsTrack());
    // The whole pill, placed so that this piece shows its part of it.
    const double pill = 2 * cap + 40;
    const double x = part == 0 ? 0 : part == 2 ? size.width() - pill : -cap;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(x, 0.5, pill, height - 1), cap - 0.5, cap - 0.5);
  });
}

QString downloadsButton(SkinBuilder &skin, const QString &file, Glyph glyph, const QColor &color) {
  return skin.picture(file, QSizeF(20, 20), [=](QPainter &painter, const QSizeF &size) {
    painter.fillRect(QRectF(QPointF(0, 0), size), Palette::downloadsBackground());
    drawGlyph(painter, glyph, QRectF(QPointF(0, 0), size), color);
  });
}

}  // namespace

void addLibraryPictures(SkinBuilder &skin) {
  // Read when the skin is made.
  skin.picture(QStringLiteral("right_click_options.png"), QSizeF(20, 16),
               [](QPainter &painter, const QSizeF &size) {
                 roundedBox(painter, QRectF(QPointF(0.5, 0.5), size - QSizeF(1, 1)), 5,
                            Palette::rgb(0xFFFFFF, 150), Palette::rgb(0x000000, 40));
                 drawGlyph(painter, Glyph::Ellipsis, QRectF(3, 1, 14, 14), Palette::rgb(0x55595E));
               });
  skin.picture(QStringLiteral("VideoNew.png"), QSizeF(18, 18),
               [](QPainter &painter, const QSizeF &size) {
                 ringedDot(painter, QRectF(1, 0.5, size.width() - 2, size.height() - 2),
                           Palette::accent());
               });
  skin.picture(QStringLiteral("new_in_library.PNG"), QSizeF(64, 18),
               [](QPainter &painter, const QSizeF &size) {
                 roundedBox(painter, QRectF(QPointF(0.5, 0.5), size - QSizeF(1, 1)), 8.5,
                            Palette::newCount(), Palette::rgb(0xD9A400));
               });
  skin.picture(QStringLiteral("listview_highlight_bg.jpg"), QSizeF(1024, 112),
               [](QPainter &painter, const QSizeF &size) {
                 fillVertical(painter, QRectF(QPointF(0, 0), size), Palette::rgb(0xE3EEFC),
                              Palette::rgb(0xCFE1F8));
                 hairline(painter, 0, size.width(), 0, Palette::rgb(0xA9C8F0));
                 hairline(painter, 0, size.width(), size.height() - 1, Palette::rgb(0xA9C8F0));
               });
  skin.sprite(QStringLiteral("sort_arrow.png"), QSizeF(10, 10), 2,
              [](QPainter &painter, const QRectF &cell, int k) {
                // Left: descending, right: ascending.
                drawGlyph(painter, k == 0 ? Glyph::SortDown : Glyph::SortUp, cell,
                          Palette::rgb(0xFFFFFF));
              });
  skin.picture(QStringLiteral("VideoState.JPG"), QSizeF(48, 16),
               [](QPainter &painter, const QSizeF &) { videoStates(painter, QSizeF(16, 16), true); });
  skin.picture(QStringLiteral("thumb_shadow.jpg"), QSizeF(140, 10),
               [](QPainter &painter, const QSizeF &size) {
                 paper(painter, size);
                 QRadialGradient shadow(size.width() / 2, 0, size.width() / 2);
                 shadow.setColorAt(0, QColor(0, 0, 0, 60));
                 shadow.setColorAt(1, QColor(0, 0, 0, 0));
                 painter.save();
                 painter.scale(1, size.height() * 2 / size.width());
                 painter.fillRect(QRectF(0, 0, size.width(), size.width() / 2), shadow);
                 painter.restore();
               });
  rowButton(skin, QStringLiteral("play_ico1.jpg"), Glyph::Play);
  rowButton(skin, QStringLiteral("button_playallvid.JPG"), Glyph::PlayAll);
  rowButton(skin, QStringLiteral("save_ico.jpg"), Glyph::BookmarkOutline, Palette::saved());
  rowButton(skin, QStringLiteral("save_ico1.JPG"), Glyph::Bookmark, Palette::saved());
  rating(skin, QStringLiteral("rate_unrated.jpg"), 0);
  for (int stars = 1; stars <= 5; ++stars)
    rating(skin, QStringLiteral("rate_%1star.jpg").arg(stars), stars);
  rowButton(skin, QStringLiteral("button_subscribe.JPG"), Glyph::Rss, Palette::rgb(0xE66100),
            Glyph::Plus, true);
  rowButton(skin, QStringLiteral("button_unsubscribe.JPG"), Glyph::Rss, Palette::rgb(0x77797B),
            Glyph::Minus, false);
  rowButton(skin, QStringLiteral("button_viewguide.jpg"), Glyph::Guide);

  // Read on first use.
  skin.sprite(QStringLiteral("UpDown.PNG"), QSizeF(16, 16), 2,
              [](QPainter &painter, const QRectF &cell, int k) {
                // Left: the group is open, right: it is closed.
                drawGlyph(painter, k == 0 ? Glyph::ChevronDown : Glyph::ChevronRight,
                          cell.adjusted(1, 1, -1, -1), Palette::rgb(0x4A4E53));
              });
  placeholder(skin, QStringLiteral("details_bg_empty.jpg"), QSizeF(160, 120), Glyph::Info,
              Palette::rgb(0x3A3A3A), Palette::rgb(0x2A2A2A), Palette::rgb(0x5A5A5A));
  placeholder(skin, QStringLiteral("details_bg_default.jpg"), QSizeF(160, 120), Glyph::Video,
              Palette::rgb(0x3D4450), Palette::rgb(0x262A31), Palette::rgb(0x6C7684));
  placeholder(skin, QStringLiteral("DefaultIcon.jpg"), QSizeF(160, 90), Glyph::Video,
              Palette::rgb(0x3D4450), Palette::rgb(0x262A31), Palette::rgb(0x6C7684));
  skin.sprite(QStringLiteral("Star.PNG"), QSizeF(14, 14), 2,
              [](QPainter &painter, const QRectF &cell, int k) {
                // Left: a star of the rating, right: one beyond it.
                drawGlyph(painter, k == 0 ? Glyph::Star : Glyph::StarOutline, cell,
                          k == 0 ? Palette::star() : Palette::starEmpty());
              });
  skin.picture(QStringLiteral("star_blue.png"), QSizeF(14, 14),
               [](QPainter &painter, const QSizeF &size) {
                 drawGlyph(painter, Glyph::Star, QRectF(QPointF(0, 0), size), Palette::accent());
               });
  skin.picture(QStringLiteral("star_gray.png"), QSizeF(14, 14),
               [](QPainter &painter, const QSizeF &size) {
                 drawGlyph(painter, Glyph::Star, QRectF(QPointF(0, 0), size), Palette::starEmpty());
               });
  skin.picture(QStringLiteral("star_half.png"), QSizeF(14, 14),
               [](QPainter &painter, const QSizeF &size) {
                 const QRectF box(QPointF(0, 0), size);
                 drawGlyph(painter, Glyph::Star, box, Palette::starEmpty());
                 painter.save();
                 painter.setClipRect(QRectF(0, 0, size.width() / 2, size.height()));
                 drawGlyph(painter, Glyph::Star, box, Palette::accent());
                 painter.restore();
               });
  skin.picture(QStringLiteral("VideoState.PNG"), QSizeF(48, 16),
               [](QPainter &painter, const QSizeF &) { videoStates(painter, QSizeF(16, 16), false); });
  skin.picture(QStringLiteral("VideoStateDetail.JPG"), QSizeF(60, 20),
               [](QPainter &painter, const QSizeF &) { videoStates(painter, QSizeF(20, 20), true); });
  const auto indicator = [&](const char *file, Glyph glyph, const QColor &color) {
    skin.picture(QString::fromLatin1(file), QSizeF(16, 16),
                 [glyph, color](QPainter &painter, const QSizeF &size) {
                   drawGlyph(painter, glyph, QRectF(QPointF(0, 0), size), color);
                 });
  };
  indicator("icon_new.png", Glyph::Dot, Palette::accent());
  indicator("icon_new2.png", Glyph::Ring, Palette::starEmpty());
  indicator("icon_saved.png", Glyph::Bookmark, Palette::saved());
  indicator("icon_saved2.png", Glyph::BookmarkOutline, Palette::starEmpty());
}

QString playlistDragImage(SkinBuilder &skin) {
  return skin.picture(QStringLiteral("dragimage.gif"), QSizeF(140, 100),
                      [](QPainter &painter, const QSizeF &size) {
                        // Opaque, on the list's own colour.
                        painter.fillRect(QRectF(QPointF(0, 0), size),
                                         Palette::skinColor(Palette::playlistHex));
                        const QColor ink = Palette::rgb(0x9A9A9A);
                        QPen dashes(ink, 1.5, Qt::DashLine, Qt::RoundCap);
                        dashes.setDashPattern({4, 3});
                        painter.setPen(dashes);
                        painter.setBrush(Qt::NoBrush);
                        painter.drawRoundedRect(QRectF(8.5, 8.5, size.width() - 17, size.height() - 17),
                                                10, 10);
                        drawGlyph(painter, Glyph::Video, QRectF(52, 40, 36, 36), ink);
                        drawGlyph(painter, Glyph::ChevronDown, QRectF(60, 18, 20, 20), ink);
                      });
}

void addDownloadsPictures(SkinBuilder &skin) {
  const char *parts[] = {"left", "bg", "right"};
  for (int part = 0; part < 3; ++part)
    for (const bool on : {false, true})
      statusPiece(skin,
                  QStringLiteral("statusBar_%1_%2.jpg")
                      .arg(QLatin1String(parts[part]), on ? QLatin1String("on") : QLatin1String("off")),
                  part, on);
  downloadsButton(skin, QStringLiteral("DownloadsDeleteIcon.jpg"), Glyph::CircledClose,
                  Palette::rgb(0x7A8088));
  downloadsButton(skin, QStringLiteral("DownloadsDeleteIconSelected.jpg"), Glyph::CircledClose,
                  Palette::rgb(0xC01C28));
  downloadsButton(skin, QStringLiteral("DownloadscompleteIcon.jpg"), Glyph::CircledPlay,
                  Palette::accent());
  downloadsButton(skin, QStringLiteral("DownloadscompleteIconSelected.jpg"), Glyph::CircledPlay,
                  Palette::accentDark());
}

}  // namespace Pictures
