#include "SkinGallery.h"

#include "DrawUtilities.h"
#include "GalleryPainting.h"
#include "ZControls.h"
#include "ZDialog.h"
#include "ZMovieSlider.h"
#include "ZPlaybackBars.h"
#include "ZSkin.h"
#include "ZView.h"
#include "ZVolumeSliderContainer.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <optional>

namespace {

using GalleryPainting::sizeOf;
using Paint = std::function<void(QPainter &, const QRectF &)>;

const QColor sheetColor(0x1B, 0x1B, 0x1B);
const QColor cardColor(0x25, 0x25, 0x25);
const QColor captionColor(0xA8, 0xA8, 0xA8);

// A widget of a fixed size that paints with a function.
class PaintBox : public QWidget {
 public:
  PaintBox(const QSizeF &size, Paint paint, QWidget *parent = nullptr)
      : QWidget(parent), fPaint(std::move(paint)) {
    if (size.isValid()) setFixedSize(size.toSize());
  }

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    fPaint(painter, QRectF(rect()));
  }

 private:
  Paint fPaint;
};

QLabel *caption(const QString &text, bool heading = false) {
  auto *label = new QLabel(text);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(heading ? 13 : 11);
  font.setBold(heading);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, heading ? QColor(0xE8, 0xE8, 0xE8) : captionColor);
  label->setPalette(palette);
  return label;
}

// A titled card holding one part of the sheet.
QWidget *card(const QString &title, QWidget *content) {
  auto *frame = new PaintBox(QSizeF(), [](QPainter &painter, const QRectF &r) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(cardColor);
    painter.drawRoundedRect(r, 10, 10);
  });
  frame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  auto *layout = new QVBoxLayout(frame);
  layout->setContentsMargins(14, 10, 14, 14);
  layout->setSpacing(8);
  layout->addWidget(caption(title, true));
  layout->addWidget(content);
  return frame;
}

// A copy of a control description that stays where it is put.
QVariantMap fixedPlace(QVariantMap info) {
  info.insert(QStringLiteral("Zone"), 0);
  info.insert(QStringLiteral("XPos"), 0);
  info.insert(QStringLiteral("YPos"), 0);
  info.insert(QStringLiteral("Justify"), QStringLiteral("left"));
  return info;
}

QSizeF partSize(const QVariantMap &info) {
  const QSizeF size = sizeOf(info.value(QStringLiteral("Image")).value<QImage>());
  return QSizeF(size.width() / std::max(1, info.value(QStringLiteral("states"), 1).toInt()),
                size.height());
}

// ---- controls in each of their states ----

enum class Kind { Button, Popup, Search, Title, ImageButton };

struct Row {
  const char *name;
  std::optional<QVariantMap> info;
  Kind kind = Kind::Button;
};

// Puts a control made from the description into the middle of the cell, in
// the state; a state of -1 shows it disabled.
void addControl(QWidget *cell, const QVariantMap &info, Kind kind, int state,
                const QString &title) {
  // The control sits in a holder of its own size in the middle of the cell,
  // where its placement rule (zone 0: from the holder's origin) keeps it.
  const QSizeF size = partSize(info);
  auto *holder = new QWidget(cell);
  holder->setGeometry(int((cell->width() - size.width()) / 2),
                      int((cell->height() - size.height()) / 2), int(std::ceil(size.width())),
                      int(std::ceil(size.height())));
  const QVariantMap placed = fixedPlace(info);
  QWidget *control = nullptr;
  switch (kind) {
    case Kind::Button: {
      ZButtonView *button = ZButtonView::create(size, placed, holder);
      if (button) button->setState(std::max(0, state));
      control = button;
      break;
    }
    case Kind::Popup: {
      ZPopupButtonImageView *popup = ZPopupButtonImageView::create(size, placed, holder);
      if (popup) {
        if (!title.isEmpty()) {
          auto *menu = new QMenu(popup);
          menu->addAction(title)->setData(1);
          popup->setMenu(menu);
          popup->setSelectedTag(1);
        }
        popup->setState(std::max(0, state));
      }
      control = popup;
      break;
    }
    case Kind::Search:
      control = ZSearchButtonView::create(size, placed, holder);
      break;
    case Kind::Title:
      control = ZImageView::create(size, placed, holder);
      break;
    case Kind::ImageButton: {
      ZButtonImageView *button = ZButtonImageView::create(size, placed, holder);
      if (button) button->setState(std::max(0, state));
      control = button;
      break;
    }
  }
  if (control && state < 0) control->setEnabled(false);
}

QWidget *stateTable(const QList<Row> &rows, const QColor &background,
                    const QStringList &titles = {}) {
  auto *table = new QWidget;
  auto *grid = new QGridLayout(table);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(6);
  const QStringList heads = {QStringLiteral("normal"), QStringLiteral("over"),
                             QStringLiteral("pressed"), QStringLiteral("selected"),
                             QStringLiteral("disabled")};
  for (int column = 0; column < heads.size(); ++column)
    grid->addWidget(caption(heads[column]), 0, column + 1, Qt::AlignHCenter);
  double cellWidth = 40, cellHeight = 34;
  for (const Row &row : rows)
    if (row.info) {
      cellWidth = std::max(cellWidth, partSize(*row.info).width() + 10);
      cellHeight = std::max(cellHeight, partSize(*row.info).height() + 8);
    }
  int line = 1;
  for (const Row &row : rows) {
    grid->addWidget(caption(QString::fromLatin1(row.name)), line, 0, Qt::AlignVCenter);
    if (!row.info) {
      grid->addWidget(caption(QStringLiteral("(not in this skin)")), line, 1, 1, 5);
      ++line;
      continue;
    }
    const bool stateless = row.kind == Kind::Search || row.kind == Kind::Title;
    const int parts = row.info->value(QStringLiteral("states"), 1).toInt();
    for (int column = 0; column < 5; ++column) {
      // A control without states shows itself once, and disabled.
      if (stateless && column > 0 && column < 4) continue;
      if (row.kind == Kind::ImageButton && column == 3) continue;
      const int state = column == 4 ? -1 : column;
      auto *cell = new PaintBox(QSizeF(cellWidth, cellHeight),
                                [background](QPainter &painter, const QRectF &r) {
                                  painter.setPen(Qt::NoPen);
                                  painter.setBrush(background);
                                  painter.drawRoundedRect(r, 6, 6);
                                });
      // An image button shows its press part when pressed.
      addControl(cell, *row.info, row.kind,
                 row.kind == Kind::ImageButton && state > 0 ? (parts >= 3 ? 2 : parts == 2 ? 1 : 0)
                                                            : state,
                 titles.value(line - 1));
      grid->addWidget(cell, line, column + 1);
    }
    ++line;
  }
  return table;
}

// ---- the main window, assembled ----

class WindowDemo : public QWidget {
 public:
  WindowDemo(const ZSkin &skin, const QSize &size) : fSkin(skin) {
    setFixedSize(size);
    const QSizeF bounds(size);
    const auto button = [&](const std::optional<QVariantMap> &info, int state = 0,
                            double offset = 0) {
      if (!info) return;
      if (ZButtonView *made = ZButtonView::create(bounds, *info, this)) {
        made->setRightOffset(offset);
        made->placeInParent();
        made->setState(state);
      }
    };
    const auto popup = [&](const std::optional<QVariantMap> &info, const QString &title,
                           double offset = 0) {
      if (!info) return;
      if (ZPopupButtonImageView *made = ZPopupButtonImageView::create(bounds, *info, this)) {
        made->setRightOffset(offset);
        made->placeInParent();
        if (!title.isEmpty()) {
          auto *menu = new QMenu(made);
          menu->addAction(title)->setData(1);
          made->setMenu(menu);
          made->setSelectedTag(1);
        }
      }
    };
    const double pane = ZSkin::playlistAreaWidth();
    button(skin.minimizeButtonInfo());
    button(skin.maximizeButtonInfo());
    button(skin.closeButtonInfo(), 1);
    button(skin.libraryButtonInfo(), 3);
    button(skin.downloadsButtonInfo());
    button(skin.zaroTvButtonInfo());
    button(skin.uploadButtonInfo());
    if (const auto title = skin.browseByTitleInfo()) ZImageView::create(bounds, *title, this);
    popup(skin.browseByPopupInfo(), QStringLiteral("Category"));
    button(skin.thumbnailViewButtonInfo(), 3);
    button(skin.detailsViewButtonInfo());
    popup(skin.importButtonInfo(), QString(), pane);
    if (const auto search = skin.librarySearchButtonInfo())
      if (ZSearchButtonView *field = ZSearchButtonView::create(bounds, *search, this)) {
        field->setRightOffset(pane);
        field->placeInParent();
      }
    popup(skin.playlistsButtonInfo(), QStringLiteral("Favourites"), pane);
    button(skin.hidePlaylistButtonInfo());
    for (const auto &info : {skin.uploadManagerImageInfo(), skin.detailsInfoTitle(),
                             skin.nowPlayingTitleInfo()})
      if (info) ZImageView::create(bounds, *info, this);
    button(skin.nowPlayingOptionsButtonInfo());

    // The playlist pane's buttons, by the pane's own rules.
    const QRectF area = paneRect();
    const QImage bar = skin.playlistBottomButtonBarImage();
    for (const auto &[info, fromRight] :
         {std::pair{skin.playlistPlayAllButtonInfo(), false},
          std::pair{skin.playlistClearButtonInfo(), true}}) {
      if (!info || bar.isNull()) continue;
      ZButtonView *made = ZButtonView::create(bounds, fixedPlace(*info), this);
      if (!made) continue;
      const double right = fromRight ? area.right() - info->value("XPos").toDouble()
                                     : area.left() + info->value("XPos").toDouble();
      const double top = area.bottom() - info->value("YPos").toDouble();
      made->move(int(right - made->width()), int(top));
    }
    if (const auto remove = skin.playlistDeleteButtonInfo()) {
      // In a holder of its size, where its own placement keeps it.
      const QSizeF size = partSize(*remove);
      auto *holder = new QWidget(this);
      holder->setGeometry(QRectF(QPointF(area.right() - 2 - size.width(), area.top() + 2), size)
                              .toAlignedRect());
      ZButtonImageView::create(size, fixedPlace(*remove), holder);
    }
  }

 protected:
  QRectF contentRect() const {
    const double top = sizeOf(fSkin.topLeftImage()).height();
    const double bottom = sizeOf(fSkin.bottomLeftImage()).height();
    return QRectF(0, top, width(), height() - top - bottom);
  }
  QRectF paneRect() const {
    const QRectF content = contentRect().adjusted(2, 0, -2, 0);
    return QRectF(content.right() - ZSkin::playlistAreaWidth(), content.top(),
                  ZSkin::playlistAreaWidth(), content.height());
  }

  void paintEvent(QPaintEvent *) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    GalleryPainting::windowFrame(painter, QRectF(rect()), fSkin);
    const QRectF content = contentRect();
    painter.fillRect(content, Qt::black);
    const QRectF pane = paneRect();
    const QRectF library(content.left() + 2, content.top(), pane.left() - content.left() - 2,
                         content.height());
    painter.fillRect(library, Qt::white);
    GalleryPainting::sortBar(painter, QRectF(library.left(), library.top(), library.width(), 22),
                             fSkin, true);
    const double header = fSkin.libraryRenderingInfoForKey("HeaderHeight").toDouble();
    double y = library.top() + 22;
    GalleryPainting::groupHeader(painter, QRectF(library.left(), y, library.width(), header),
                                 fSkin, QStringLiteral("Nature"), 0, 0);
    y += header;
    GalleryPainting::groupHeader(painter, QRectF(library.left(), y, library.width(), header),
                                 fSkin, QStringLiteral("Science"), 1, 3);
    y += header;
    const QSizeF item(fSkin.libraryItemWidth(), fSkin.libraryItemHeight());
    const double spacing = std::floor((library.width() - 2 * item.width()) / 2);
    GalleryPainting::thumbnailCell(
        painter, QRectF(QPointF(library.left() + spacing / 2, y + 4), item), fSkin,
        QStringLiteral("The Deep Sea"), true, true, 4);
    GalleryPainting::thumbnailCell(
        painter, QRectF(QPointF(library.left() + spacing * 1.5 + item.width(), y + 4), item),
        fSkin, QStringLiteral("Stars over the Desert"), false, false, 0);
    y += item.height() + 8;
    GalleryPainting::groupHeader(painter, QRectF(library.left(), y, library.width(), header),
                                 fSkin, QStringLiteral("Travel"), 2, 0);

    // The playlist pane: its grey, the name, the empty list, the bar.
    painter.fillRect(pane, QColor::fromRgbF(0.375, 0.375, 0.375));
    GalleryPainting::text(painter, QRectF(pane.left() + 8, pane.top() + 3, pane.width() - 34, 20),
                          QStringLiteral("Favourites"),
                          ZTextAttributes{QFont(QStringLiteral("DejaVu Sans"), 10), Qt::white},
                          Qt::AlignLeft | Qt::AlignVCenter);
    const QImage bar = fSkin.playlistBottomButtonBarImage();
    const double barHeight = sizeOf(bar).height();
    const QRectF list(pane.left(), pane.top() + 26, pane.width(),
                      pane.height() - 26 - barHeight);
    painter.fillRect(list, fSkin.playlistColor());
    const QImage drag = fSkin.playlistDragImage();
    painter.drawImage(QRectF(QPointF(list.center().x() - std::ceil(sizeOf(drag).width() / 2),
                                     list.center().y() - std::ceil(sizeOf(drag).height() / 2)),
                             sizeOf(drag)),
                      drag);
    if (!bar.isNull())
      painter.drawImage(QRectF(pane.left(), pane.bottom() - barHeight, pane.width(), barHeight),
                        bar);
  }

 private:
  const ZSkin &fSkin;
};

// ---- the playback bars, assembled ----

// A fixed-size holder for one of the player's own bars.
QWidget *sized(QWidget *widget, double width, double height) {
  widget->setFixedSize(int(width), int(std::ceil(height)));
  return widget;
}

// A progress bar of the player at a time of a 605-second movie.
QWidget *progressAt(const std::optional<QVariantMap> &info, double width, double height,
                    double value) {
  auto *bar = new ZFullScreenProgressBarView(info, height);
  sized(bar, width, height);
  if (ZMovieSlider *slider = bar->slider()) {
    slider->setMaxValue(605);
    slider->setDoubleValue(value);
  }
  return bar;
}

QWidget *playbackDemo(const ZSkin &skin, double width, bool fullScreen) {
  auto *column = new QWidget;
  auto *layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const QString movieTitle = QStringLiteral("Stars over the Desert");
  // The bars of the player itself, over no movie controller.
  const ZPlaybackEnvironment environment{&skin, nullptr, nullptr};
  auto *title = fullScreen ? new ZFullScreenTitleBarView(environment)
                           : new ZPlaybackTitleBarView(environment);
  title->setMovieTitle(movieTitle);
  layout->addWidget(sized(title, width, ZPlaybackTitleBarView::height(&skin)));
  layout->addWidget(new PaintBox(QSizeF(width, fullScreen ? 90 : 130), [](QPainter &painter,
                                                                        const QRectF &r) {
    // A stand-in for the movie: dusk over dunes.
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(0x1D, 0x2B, 0x53));
    sky.setColorAt(0.7, QColor(0xC0, 0x6C, 0x4A));
    sky.setColorAt(1, QColor(0xE8, 0xA8, 0x60));
    painter.fillRect(r, sky);
    QPainterPath dunes;
    dunes.moveTo(r.bottomLeft());
    dunes.cubicTo(r.left() + r.width() * 0.3, r.bottom() - r.height() * 0.5,
                  r.left() + r.width() * 0.6, r.bottom() - r.height() * 0.05, r.right(),
                  r.bottom() - r.height() * 0.35);
    dunes.lineTo(r.bottomRight());
    dunes.closeSubpath();
    painter.fillPath(dunes, QColor(0x3A, 0x24, 0x1C));
  }));
  const auto progress = fullScreen ? skin.progressBarFullScreenInfo() : skin.progressBarInfo();
  const double progressHeight = fullScreen
                                    ? ZFullScreenProgressBarView::height(progress)
                                    : sizeOf(skin.inlineFullScreenMiddleImage()).height();
  layout->addWidget(progressAt(progress, width, progressHeight, 125));
  auto *controls = fullScreen ? new ZFullScreenBottomBarView(environment)
                              : new ZPlaybackBottomBarView(environment);
  controls->showPlaying(true);
  if (auto *volume = controls->volumeSliderContainer())
    if (volume->slider()) volume->slider()->setFloatValue(0.7f);
  layout->addWidget(sized(controls, width, ZPlaybackBottomBarView::height(&skin)));
  return column;
}

// ---- bars at 0, 50 and 100 percent ----

QWidget *barsAtThreeValues(const ZSkin &skin) {
  auto *grid = new QWidget;
  auto *layout = new QGridLayout(grid);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setHorizontalSpacing(10);
  layout->setVerticalSpacing(8);
  const double fractions[] = {0, 0.5, 1};
  for (int column = 0; column < 3; ++column)
    layout->addWidget(caption(QStringLiteral("%1 %").arg(int(fractions[column] * 100))), 0,
                      column + 1, Qt::AlignHCenter);
  int row = 1;
  if (const auto progress = skin.progressBarInfo()) {
    layout->addWidget(caption(QStringLiteral("progressBarInfo")), row, 0);
    for (int column = 0; column < 3; ++column)
      layout->addWidget(progressAt(progress, 300, progress->value("Height").toDouble(),
                                   605 * fractions[column]),
                        row, column + 1);
    ++row;
  }
  for (const auto &[name, volume] :
       {std::pair{"volumeControlInfo", skin.volumeControlInfo()},
        std::pair{"volumeControlFullScreenInfo", skin.volumeControlFullScreenInfo()}})
    for (const bool muted : {false, true}) {
      if (!volume) continue;
      layout->addWidget(caption(QString::fromLatin1(name) + (muted ? " (muted)" : "")), row, 0);
      for (int column = 0; column < 3; ++column) {
        // The player's volume control in the middle of a piece of bar.
        const QImage back = skin.bottomNavBarImage();
        auto *bar = new PaintBox(QSizeF(300, 40), [back](QPainter &painter, const QRectF &r) {
          if (!back.isNull()) painter.drawImage(r, back);
        });
        QVariantMap centred = *volume;
        centred["Zone"] = 3;
        centred["Justify"] = "center";
        centred["XPos"] = volume->value("Width").toInt() / 2;
        centred["YPos"] = (40 - volume->value("Height").toInt()) / 2;
        auto *control = new ZVolumeSliderContainer(centred, nullptr, bar);
        if (control->slider()) control->slider()->setFloatValue(float(fractions[column]));
        if (muted) control->clickMuteButton();
        layout->addWidget(bar, row, column + 1);
      }
      ++row;
    }
  layout->addWidget(caption(QStringLiteral("download progress")), row, 0);
  for (int column = 0; column < 3; ++column) {
    const double percent = fractions[column] * 100;
    const double columnWidth = skin.downloadsProgressColumnWidth();
    layout->addWidget(new PaintBox(QSizeF(300, 40),
                                   [&skin, percent, columnWidth](QPainter &painter,
                                                                 const QRectF &r) {
                                     painter.fillRect(r, skin.downloadsBackgroundColor());
                                     GalleryPainting::downloadBar(
                                         painter,
                                         QRectF(r.left(), r.top(), std::min(columnWidth, r.width()),
                                                r.height()),
                                         skin, percent);
                                   }),
                      row, column + 1);
  }
  return grid;
}

// ---- ratings, stars and badges ----

QWidget *ratings(const ZSkin &skin) {
  auto *box = new QWidget;
  auto *layout = new QGridLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setHorizontalSpacing(10);
  layout->setVerticalSpacing(6);
  for (int stars = 0; stars <= 5; ++stars) {
    layout->addWidget(caption(QString::number(stars)), stars, 0);
    auto *holder = new PaintBox(QSizeF(80, 20), [](QPainter &painter, const QRectF &r) {
      painter.fillRect(r, Qt::white);
    });
    ZRateButtonView *rating = ZRateButtonView::create(QPoint(4, 2), holder);
    rating->setRating(stars);
    layout->addWidget(holder, stars, 1);
    // The details pane's two rows of stars for the same rating.
    layout->addWidget(new PaintBox(QSizeF(170, 20), [&skin, stars](QPainter &painter,
                                                                   const QRectF &r) {
      painter.fillRect(r, QColor(0xF6, 0xF7, 0xF8));
      const QImage star = skin.starImage();
      const QSizeF cell(sizeOf(star).width() / 2, sizeOf(star).height());
      for (int i = 1; i <= 5; ++i)
        DrawUtilities::drawImagePart(painter,
                                     QRectF(QPointF(r.left() + 4 + (i - 1) * cell.width(), 3), cell),
                                     star, stars >= i ? 0 : 1, 2);
      const QImage blue = skin.starBlueImage(), gray = skin.starGrayImage();
      for (int i = 1; i <= 5; ++i) {
        const QImage &one = stars >= i ? blue : gray;
        painter.drawImage(QRectF(QPointF(r.left() + 90 + (i - 1) * sizeOf(blue).width(), 3),
                                 sizeOf(one)),
                          one);
      }
    }), stars, 2);
  }
  // Choosing: all six choices with the third star highlighted under the pointer.
  layout->addWidget(caption(QStringLiteral("choosing")), 6, 0);
  auto *holder = new PaintBox(QSizeF(440, 20), [](QPainter &painter, const QRectF &r) {
    painter.fillRect(r, Qt::white);
  });
  ZRateButtonView *choosing = ZRateButtonView::create(QPoint(4, 2), holder);
  choosing->setRating(2);
  const QPointF inside(2, 2);
  QMouseEvent press(QEvent::MouseButtonPress, inside, choosing->mapToGlobal(inside), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(choosing, &press);
  const QPointF third(choosing->cellWidth() * 3.5, 6);
  QMouseEvent move(QEvent::MouseMove, third, choosing->mapToGlobal(third), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(choosing, &move);
  layout->addWidget(holder, 6, 1, 1, 2);
  return box;
}

QWidget *picture(const QImage &image, const QColor &background, const QString &label,
                 double scale = 1) {
  auto *box = new QWidget;
  auto *layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(3);
  const QSizeF size = sizeOf(image) * scale;
  layout->addWidget(new PaintBox(size + QSizeF(8, 8),
                                 [image, background](QPainter &painter, const QRectF &r) {
                                   if (background.isValid()) painter.fillRect(r, background);
                                   if (!image.isNull())
                                     painter.drawImage(r.adjusted(4, 4, -4, -4), image);
                                 }),
                    0, Qt::AlignHCenter);
  layout->addWidget(caption(label), 0, Qt::AlignHCenter);
  return box;
}

// One part of a picture that holds several side by side.
QWidget *picturePart(const QImage &image, int part, int parts, const QColor &background,
                     const QString &label) {
  const QSizeF size(sizeOf(image).width() / parts, sizeOf(image).height());
  auto *box = new QWidget;
  auto *layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(3);
  layout->addWidget(new PaintBox(size + QSizeF(8, 8),
                                 [=](QPainter &painter, const QRectF &r) {
                                   if (background.isValid()) painter.fillRect(r, background);
                                   DrawUtilities::drawImagePart(painter, r.adjusted(4, 4, -4, -4),
                                                                image, part, parts);
                                 }),
                    0, Qt::AlignHCenter);
  layout->addWidget(caption(label), 0, Qt::AlignHCenter);
  return box;
}

QWidget *row(std::initializer_list<QWidget *> widgets, int spacing = 10) {
  auto *box = new QWidget;
  auto *layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(spacing);
  for (QWidget *widget : widgets) layout->addWidget(widget, 0, Qt::AlignBottom);
  layout->addStretch(1);
  return box;
}

QWidget *badges(const ZSkin &skin) {
  const QColor paper(Qt::white), pane(0xF6, 0xF7, 0xF8), dark(0x1C, 0x1C, 0x1C);
  const QImage state = skin.videoStateImage();
  auto *column = new QWidget;
  auto *layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(10);
  layout->addWidget(row({picture(skin.newIndicatorImage(), pane, "new"),
                         picture(skin.newIndicatorDisabledImage(), pane, "viewed"),
                         picture(skin.savedIndicatorImage(), pane, "saved"),
                         picture(skin.savedIndicatorDisabledImage(), pane, "not saved"),
                         picturePart(state, 0, 3, dark, "state: new"),
                         picturePart(state, 1, 3, dark, "viewed"),
                         picturePart(state, 2, 3, dark, "saved"),
                         picture(skin.libraryVideoNewImage(), dark, "new video")}));
  auto *count = new PaintBox(sizeOf(skin.libraryNewVideoCountImage()) + QSizeF(8, 8),
                             [&skin](QPainter &painter, const QRectF &r) {
                               painter.fillRect(r, QColor(0xED, 0xEF, 0xF2));
                               const QRectF at = r.adjusted(4, 4, -4, -4);
                               painter.drawImage(at, skin.libraryNewVideoCountImage());
                               auto style = skin.libraryDetailsViewVideoTitleTextAttributes();
                               if (style) style->font.setPointSizeF(9);
                               GalleryPainting::text(painter, at, QStringLiteral("12 new"), style,
                                                     Qt::AlignCenter);
                             });
  auto *countBox = new QWidget;
  auto *countLayout = new QVBoxLayout(countBox);
  countLayout->setContentsMargins(0, 0, 0, 0);
  countLayout->setSpacing(3);
  countLayout->addWidget(count, 0, Qt::AlignHCenter);
  countLayout->addWidget(caption(QStringLiteral("new in group")), 0, Qt::AlignHCenter);
  const QImage arrows = skin.libraryContainerUpDownImage();
  const QImage sort = skin.librarySortArrowImage();
  const QColor sortGrey = QColor::fromRgbF(0.5, 0.5, 0.5);
  layout->addWidget(row({countBox, picturePart(arrows, 0, 2, pane, "open"),
                         picturePart(arrows, 1, 2, pane, "closed"),
                         picture(skin.libraryContainerViewPopupImage(), pane, "options"),
                         picturePart(sort, 1, 2, sortGrey, "ascending"),
                         picturePart(sort, 0, 2, sortGrey, "descending"),
                         picture(skin.videoStateDetailImage(), paper, "state (details)")}));
  return column;
}

QWidget *libraryPictures(const ZSkin &skin) {
  const QColor paper(Qt::white);
  auto *column = new QWidget;
  auto *layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(10);
  layout->addWidget(row({picture(skin.libraryDetailsViewPlayVideoButtonImage(), paper, "play"),
                         picture(skin.libraryDetailsViewPlayAllButtonImage(), paper, "play all"),
                         picture(skin.libraryDetailsViewSaveVideoButtonImage(), paper, "save"),
                         picture(skin.libraryDetailsViewDontSaveVideoButtonImage(), paper,
                                 "don't save"),
                         picture(skin.libraryDetailsViewSubscribeButtonImage(), paper, "subscribe"),
                         picture(skin.libraryDetailsViewUnsubscribeButtonImage(), paper,
                                 "unsubscribe"),
                         picture(skin.libraryDetailsViewViewGuideButtonImage(), paper, "guide"),
                         picture(skin.downloadsDeleteIcon(), skin.downloadsBackgroundColor(), "stop"),
                         picture(skin.downloadsDeleteIconSelected(), skin.downloadsBackgroundColor(),
                                 "pressed"),
                         picture(skin.downloadsCompleteIcon(), skin.downloadsBackgroundColor(),
                                 "play"),
                         picture(skin.downloadsCompleteIconSelected(),
                                 skin.downloadsBackgroundColor(), "pressed")},
                        6));
  layout->addWidget(row({picture(skin.defaultIconImage(), QColor(), "no thumbnail", 0.75),
                         picture(skin.detailsBackgroundDefaultImage(), QColor(), "details", 0.6),
                         picture(skin.detailsThumbnailEmptyBackgroundImage(), QColor(), "empty",
                                 0.6),
                         picture(skin.playlistDragImage(), QColor(), "empty playlist", 0.75),
                         // A details row: selected, the thumbnail on its highlight.
                         [&skin] {
                           auto *box = new PaintBox(
                               QSizeF(230, 96), [&skin](QPainter &painter, const QRectF &r) {
                                 painter.fillRect(r, Qt::white);
                                 const QImage highlight =
                                     skin.libraryDetailsViewVideoThumbnailBackgroundImage();
                                 painter.drawImage(QRectF(r.left() + 6, r.top(), 100, 48), highlight);
                                 painter.drawImage(QRectF(r.left() + 12, r.top() + 6, 88, 36),
                                                   skin.defaultIconImage());
                                 painter.drawImage(QRectF(r.left() + 12, r.top() + 54, 88, 36),
                                                   skin.defaultIconImage());
                                 painter.drawImage(
                                     QRectF(QPointF(r.left() + 7, r.top() + 90),
                                            QSizeF(98, sizeOf(skin.libraryDetailsViewVideoThumbShadowImage())
                                                           .height() * 0.6)),
                                     skin.libraryDetailsViewVideoThumbShadowImage());
                                 GalleryPainting::text(
                                     painter, QRectF(r.left() + 112, r.top() + 6, 118, 16),
                                     QStringLiteral("Selected row"),
                                     skin.libraryDetailsViewVideoTitleTextAttributes(),
                                     Qt::AlignLeft | Qt::AlignTop);
                                 GalleryPainting::text(
                                     painter, QRectF(r.left() + 112, r.top() + 56, 118, 16),
                                     QStringLiteral("Other row"),
                                     skin.libraryDetailsViewVideoTitleTextAttributes(),
                                     Qt::AlignLeft | Qt::AlignTop);
                               });
                           auto *wrap = new QWidget;
                           auto *l = new QVBoxLayout(wrap);
                           l->setContentsMargins(0, 0, 0, 0);
                           l->setSpacing(3);
                           l->addWidget(box);
                           l->addWidget(caption(QStringLiteral("details rows")), 0,
                                        Qt::AlignHCenter);
                           return wrap;
                         }()}));
  return column;
}

// ---- dialogs ----

QWidget *dialogPicture(const QString &title, const std::function<void(ZDialog &)> &fill,
                       const QSize &size) {
  ZDialog dialog;
  dialog.setWindowTitle(title);
  fill(dialog);
  dialog.resize(size);
  if (dialog.layout()) dialog.layout()->activate();
  auto *label = new QLabel;
  label->setPixmap(dialog.grab());
  return label;
}

QWidget *dialogs(const ZSkin &skin) {
  auto *column = new QWidget;
  auto *layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(10);
  layout->addWidget(dialogPicture(
      QStringLiteral("Delete Playlist"),
      [](ZDialog &dialog) {
        auto *content = new QVBoxLayout(dialog.contentArea());
        content->setContentsMargins(8, 10, 8, 0);
        auto *message = new QLabel(QStringLiteral("Delete the playlist \u201cFavourites\u201d?"));
        content->addWidget(message);
        content->addStretch(1);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(new QPushButton(QStringLiteral("No")));
        auto *yes = new QPushButton(QStringLiteral("Yes"));
        yes->setDefault(true);
        buttons->addWidget(yes);
        content->addLayout(buttons);
      },
      QSize(360, 150)));
  // The settings window's tab row: each tab half its picture wide, the
  // selected one showing the left half.
  const QImage tabs[] = {skin.settingsTabGeneralImage(), skin.settingsTabDownloadsImage(),
                         skin.settingsTabPlaybackImage()};
  layout->addWidget(dialogPicture(
      QStringLiteral("Settings"),
      [&tabs](ZDialog &dialog) {
        auto *content = new QVBoxLayout(dialog.contentArea());
        content->setContentsMargins(0, 0, 0, 0);
        double width = 0, height = 0;
        for (const QImage &tab : tabs) {
          width += std::ceil(sizeOf(tab).width() / 2);
          height = std::max(height, sizeOf(tab).height());
        }
        content->addWidget(new PaintBox(QSizeF(width + 8, height + 40), [tabs](QPainter &painter,
                                                                                const QRectF &r) {
          double x = r.left() + 8;
          for (int i = 0; i < 3; ++i) {
            const QSizeF size(std::ceil(sizeOf(tabs[i]).width() / 2), sizeOf(tabs[i]).height());
            DrawUtilities::drawImagePart(painter, QRectF(QPointF(x, r.top() + 18), size), tabs[i],
                                         i == 0 ? 0 : 1, 2);
            x += size.width();
          }
        }));
        content->addStretch(1);
      },
      QSize(400, 140)));
  return column;
}

}  // namespace

SkinGallery::SkinGallery(const ZSkin &skin, QWidget *parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Zaro Player skin gallery"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, sheetColor);
  palette.setColor(QPalette::ButtonText, Qt::white);
  setPalette(palette);

  auto *sheet = new QVBoxLayout(this);
  sheet->setContentsMargins(16, 16, 16, 16);
  sheet->setSpacing(12);
  sheet->setSizeConstraint(QLayout::SetFixedSize);

  auto *top = new QHBoxLayout;
  top->setSpacing(12);
  top->addWidget(card(QStringLiteral("Main window: frame pieces and controls, playlist shown"),
                      new WindowDemo(skin, QSize(860, 344))),
                 0, Qt::AlignTop);
  top->addWidget(card(QStringLiteral("Dialog frame and settings tabs"), dialogs(skin)), 0,
                 Qt::AlignTop);
  sheet->addLayout(top);

  const QColor header(0x34, 0x34, 0x34), toolbar(0x2A, 0x2A, 0x2A), playback(0x1C, 0x1C, 0x1C);
  auto *buttons = new QHBoxLayout;
  buttons->setSpacing(12);
  buttons->addWidget(
      card(QStringLiteral("Window and status bar"),
           stateTable({{"minimizeButtonInfo", skin.minimizeButtonInfo()},
                       {"maximizeButtonInfo", skin.maximizeButtonInfo()},
                       {"closeButtonInfo", skin.closeButtonInfo()},
                       {"libraryButtonInfo", skin.libraryButtonInfo()},
                       {"downloadsButtonInfo", skin.downloadsButtonInfo()},
                       {"zaroTvButtonInfo", skin.zaroTvButtonInfo()},
                       {"uploadButtonInfo", skin.uploadButtonInfo()},
                       {"clearDownloadsButtonInfo", skin.clearDownloadsButtonInfo()},
                       {"nowPlayingOptionsButtonInfo", skin.nowPlayingOptionsButtonInfo()},
                       {"uploadManagerImageInfo", skin.uploadManagerImageInfo(), Kind::Title},
                       {"detailsInfoTitle", skin.detailsInfoTitle(), Kind::Title},
                       {"nowPlayingTitleInfo", skin.nowPlayingTitleInfo(), Kind::Title}},
                      header)),
      0, Qt::AlignTop);
  buttons->addWidget(
      card(QStringLiteral("Library toolbar and playlist pane"),
           stateTable({{"thumbnailViewButtonInfo", skin.thumbnailViewButtonInfo()},
                       {"detailsViewButtonInfo", skin.detailsViewButtonInfo()},
                       {"hidePlaylistButtonInfo", skin.hidePlaylistButtonInfo()},
                       {"showPlaylistButtonInfo", skin.showPlaylistButtonInfo()},
                       {"browseByTitleInfo", skin.browseByTitleInfo(), Kind::Title},
                       {"importButtonInfo", skin.importButtonInfo(), Kind::Popup},
                       {"playlistPlayAllButtonInfo", skin.playlistPlayAllButtonInfo()},
                       {"playlistClearButtonInfo", skin.playlistClearButtonInfo()},
                       {"playlistDeleteButtonInfo", skin.playlistDeleteButtonInfo(),
                        Kind::ImageButton}},
                      toolbar)),
      0, Qt::AlignTop);
  buttons->addWidget(
      card(QStringLiteral("Playback and full screen"),
           stateTable({{"nowPlayingExitButtonInfo", skin.nowPlayingExitButtonInfo()},
                       {"stopButtonInfo", skin.stopButtonInfo()},
                       {"rewindButtonInfo", skin.rewindButtonInfo()},
                       {"playButtonInfo", skin.playButtonInfo()},
                       {"pauseButtonInfo", skin.pauseButtonInfo()},
                       {"forwardButtonInfo", skin.forwardButtonInfo()},
                       {"fullScreenHoverButtonInfo", skin.fullScreenHoverButtonInfo()},
                       {"rewindButtonFullScreenInfo", skin.rewindButtonFullScreenInfo()},
                       {"forwardButtonFullScreenInfo", skin.forwardButtonFullScreenInfo()},
                       {"fullScreenMuteButtonInfo", skin.fullScreenMuteButtonInfo()},
                       {"fullScreenMutedButtonInfo", skin.fullScreenMutedButtonInfo()},
                       {"fullScreenVolumeDownButtonInfo", skin.fullScreenVolumeDownButtonInfo()},
                       {"fullScreenVolumeUpButtonInfo", skin.fullScreenVolumeUpButtonInfo()},
                       {"fullScreenVolumeImageInfo", skin.fullScreenVolumeImageInfo(), Kind::Title}},
                      playback)),
      0, Qt::AlignTop);
  sheet->addLayout(buttons);

  // The exit-full-screen button has no description of its own: its picture and states.
  std::optional<QVariantMap> exitInfo;
  if (!skin.fullScreenExitButtonImage().isNull())
    exitInfo = QVariantMap{{"Image", skin.fullScreenExitButtonImage()},
                           {"states", int(skin.fullScreenExitButtonStates())},
                           {"Zone", 0}, {"XPos", 0}, {"YPos", 0}};
  auto *wide = new QHBoxLayout;
  wide->setSpacing(12);
  wide->addWidget(
      card(QStringLiteral("Pop-ups and fields"),
           stateTable({{"browseByPopupInfo", skin.browseByPopupInfo(), Kind::Popup},
                       {"playlistsButtonInfo", skin.playlistsButtonInfo(), Kind::Popup},
                       {"librarySearchButtonInfo", skin.librarySearchButtonInfo(), Kind::Search},
                       {"guideSearchButtonInfo", skin.guideSearchButtonInfo(), Kind::Search},
                       {"fullScreenExitButtonImage", exitInfo}},
                      toolbar, {QStringLiteral("Subscriptions"), QStringLiteral("Favourites")})),
      0, Qt::AlignTop);
  wide->addWidget(card(QStringLiteral("Ratings (0 to 5, and choosing) and stars"), ratings(skin)), 0,
                  Qt::AlignTop);
  sheet->addLayout(wide);

  auto *bars = new QHBoxLayout;
  bars->setSpacing(12);
  auto *playbackColumn = new QWidget;
  auto *playbackLayout = new QVBoxLayout(playbackColumn);
  playbackLayout->setContentsMargins(0, 0, 0, 0);
  playbackLayout->setSpacing(8);
  playbackLayout->addWidget(caption(QStringLiteral("in the window")));
  playbackLayout->addWidget(playbackDemo(skin, 620, false));
  playbackLayout->addWidget(caption(QStringLiteral("full screen")));
  playbackLayout->addWidget(playbackDemo(skin, 620, true));
  bars->addWidget(card(QStringLiteral("Playback bars"), playbackColumn), 0, Qt::AlignTop);
  bars->addWidget(card(QStringLiteral("Progress, volume and download bars"),
                       barsAtThreeValues(skin)),
                  0, Qt::AlignTop);
  sheet->addLayout(bars);

  auto *pictures = new QHBoxLayout;
  pictures->setSpacing(12);
  pictures->addWidget(card(QStringLiteral("Badges and markers"), badges(skin)), 0, Qt::AlignTop);
  pictures->addWidget(card(QStringLiteral("Library and download pictures"), libraryPictures(skin)),
                      0, Qt::AlignTop);
  sheet->addLayout(pictures);
}
