#include "Glyphs.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <initializer_list>

namespace {

// A line through the points, widened into an outline with round ends.
QPainterPath line(std::initializer_list<QPointF> points, double width = 2,
                  Qt::PenCapStyle cap = Qt::RoundCap, bool closed = false) {
  QPainterPath path;
  bool first = true;
  for (const QPointF &point : points) {
    if (first)
      path.moveTo(point);
    else
      path.lineTo(point);
    first = false;
  }
  if (closed) path.closeSubpath();
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(path).simplified();
}

QPainterPath outline(const QPainterPath &shape, double width) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setJoinStyle(Qt::RoundJoin);
  stroker.setCapStyle(Qt::RoundCap);
  return stroker.createStroke(shape).simplified();
}

// A filled polygon with its corners rounded a little.
QPainterPath polygon(std::initializer_list<QPointF> points, double rounding = 1.6) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  path.closeSubpath();
  // Widening by the rounding and shrinking back by it rounds the corners.
  QPainterPathStroker stroker;
  stroker.setWidth(rounding);
  stroker.setJoinStyle(Qt::RoundJoin);
  return path.united(stroker.createStroke(path)).simplified();
}

QPainterPath rect(double x, double y, double w, double h, double radius = 0) {
  QPainterPath path;
  path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
  return path;
}

QPainterPath circle(double cx, double cy, double r) {
  QPainterPath path;
  path.addEllipse(QPointF(cx, cy), r, r);
  return path;
}

QPainterPath arc(double cx, double cy, double r, double fromDegrees, double spanDegrees,
                 double width) {
  QPainterPath path;
  const QRectF box(cx - r, cy - r, 2 * r, 2 * r);
  path.arcMoveTo(box, fromDegrees);
  path.arcTo(box, fromDegrees, spanDegrees);
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::RoundCap);
  return stroker.createStroke(path).simplified();
}

QPainterPath star(double cx, double cy, double outer, double inner) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const double angle = M_PI / 2 + i * M_PI / 5;
    const double r = i % 2 ? inner : outer;
    const QPointF point(cx + r * std::cos(angle), cy - r * std::sin(angle));
    if (i == 0)
      path.moveTo(point);
    else
      path.lineTo(point);
  }
  path.closeSubpath();
  QPainterPathStroker stroker;
  stroker.setWidth(1.2);
  stroker.setJoinStyle(Qt::RoundJoin);
  return path.united(stroker.createStroke(path)).simplified();
}

QPainterPath speaker() { return polygon({{3, 9}, {7, 9}, {12, 4.5}, {12, 19.5}, {7, 15}, {3, 15}}); }

QPainterPath mirrored(const QPainterPath &path) {
  return QTransform(-1, 0, 0, 1, 24, 0).map(path);
}

QPainterPath unite(std::initializer_list<QPainterPath> paths) {
  QPainterPath all;
  for (const QPainterPath &path : paths) all = all.united(path);
  return all.simplified();
}

QPainterPath gear() {
  QPainterPath teeth;
  for (int i = 0; i < 8; ++i) {
    QTransform turn;
    turn.translate(12, 12);
    turn.rotate(i * 45);
    teeth.addPath(turn.map(rect(-2, -10.5, 4, 5, 1)));
  }
  QPainterPath body = circle(12, 12, 7.2).united(teeth);
  return body.subtracted(circle(12, 12, 3)).simplified();
}

}  // namespace

QPainterPath glyphPath(Glyph glyph) {
  switch (glyph) {
    case Glyph::Play:
      return polygon({{8, 5}, {8, 19}, {19, 12}}, 2);
    case Glyph::Pause:
      return unite({rect(6.5, 5, 4, 14, 1), rect(13.5, 5, 4, 14, 1)});
    case Glyph::Stop:
      return rect(6, 6, 12, 12, 2);
    case Glyph::SkipNext:
      return unite({polygon({{5.5, 5.5}, {5.5, 18.5}, {15, 12}}), rect(16, 5.5, 2.6, 13, 1)});
    case Glyph::SkipPrevious:
      return mirrored(glyphPath(Glyph::SkipNext));
    case Glyph::FastForward:
      return unite({polygon({{3, 6.5}, {3, 17.5}, {11.5, 12}}),
                    polygon({{12, 6.5}, {12, 17.5}, {20.5, 12}})});
    case Glyph::Rewind:
      return mirrored(glyphPath(Glyph::FastForward));
    case Glyph::FullScreen:
      return unite({line({{4, 9}, {4, 4}, {9, 4}}), line({{15, 4}, {20, 4}, {20, 9}}),
                    line({{20, 15}, {20, 20}, {15, 20}}), line({{9, 20}, {4, 20}, {4, 15}})});
    case Glyph::LeaveFullScreen:
      return unite({line({{4, 9}, {9, 9}, {9, 4}}), line({{15, 4}, {15, 9}, {20, 9}}),
                    line({{20, 15}, {15, 15}, {15, 20}}), line({{9, 20}, {9, 15}, {4, 15}})});
    case Glyph::Volume:
      return unite({speaker(), arc(12, 12, 4, -50, 100, 2), arc(12, 12, 7.8, -55, 110, 2)});
    case Glyph::Muted:
      return unite({speaker(), line({{15, 9}, {21, 15}}), line({{21, 9}, {15, 15}})});
    case Glyph::Plus:
      return unite({line({{5, 12}, {19, 12}}, 2.4), line({{12, 5}, {12, 19}}, 2.4)});
    case Glyph::Minus:
      return line({{5, 12}, {19, 12}}, 2.4);
    case Glyph::Back:
      return unite({line({{19.5, 12}, {5, 12}}, 2.2), line({{11, 6}, {5, 12}, {11, 18}}, 2.2)});
    case Glyph::Library: {
      const QPainterPath front = rect(3, 9, 18, 12, 2).subtracted(
          polygon({{10, 12}, {10, 18}, {15.5, 15}}, 1));
      return unite({front, line({{5, 6}, {19, 6}}, 1.6), line({{7.5, 3}, {16.5, 3}}, 1.6)});
    }
    case Glyph::Downloads:
      return unite({line({{12, 3}, {12, 14}}), line({{7, 9.5}, {12, 14.5}, {17, 9.5}}),
                    line({{4, 15.5}, {4, 20}, {20, 20}, {20, 15.5}})});
    case Glyph::Upload:
      return unite({line({{12, 14.5}, {12, 3.5}}), line({{7, 8}, {12, 3}, {17, 8}}),
                    line({{4, 15.5}, {4, 20}, {20, 20}, {20, 15.5}})});
    case Glyph::Guide:
      return unite({outline(rect(3, 6, 18, 12.5, 2), 2), line({{8, 21.5}, {16, 21.5}}),
                    line({{8.5, 2}, {12, 5}, {15.5, 2}}, 1.6),
                    polygon({{10.5, 9.5}, {10.5, 15}, {15, 12.25}}, 1)});
    case Glyph::PlaylistShow:
      return unite({outline(rect(3, 5, 18, 14, 2), 1.8), line({{15, 5.5}, {15, 18.5}}, 1.8),
                    line({{11, 9}, {8, 12}, {11, 15}}, 1.8)});
    case Glyph::PlaylistHide:
      return unite({outline(rect(3, 5, 18, 14, 2), 1.8), rect(14, 5, 7, 14, 2),
                    line({{7.5, 9}, {10.5, 12}, {7.5, 15}}, 1.8)});
    case Glyph::Grid:
      return unite({rect(4, 4, 7, 7, 1.5), rect(13, 4, 7, 7, 1.5), rect(4, 13, 7, 7, 1.5),
                    rect(13, 13, 7, 7, 1.5)});
    case Glyph::List:
      return unite({rect(3.5, 4.5, 4, 4, 1), rect(10, 5.25, 10.5, 2.5, 1.2),
                    rect(3.5, 10, 4, 4, 1), rect(10, 10.75, 10.5, 2.5, 1.2),
                    rect(3.5, 15.5, 4, 4, 1), rect(10, 16.25, 10.5, 2.5, 1.2)});
    case Glyph::Import: {
      QPainterPath folder;
      folder.moveTo(3, 7);
      folder.lineTo(3, 19);
      folder.lineTo(21, 19);
      folder.lineTo(21, 8);
      folder.lineTo(12, 8);
      folder.lineTo(10, 5);
      folder.lineTo(3, 5);
      folder.closeSubpath();
      return unite({outline(folder, 1.8), line({{12, 10.5}, {12, 16.5}}, 1.8),
                    line({{9, 13.5}, {15, 13.5}}, 1.8)});
    }
    case Glyph::Search:
      return unite({outline(circle(10, 10, 5.8), 2.2), line({{14.5, 14.5}, {20, 20}}, 2.6)});
    case Glyph::Close:
      return unite({line({{7, 7}, {17, 17}}, 2), line({{17, 7}, {7, 17}}, 2)});
    case Glyph::Minimize:
      return line({{7, 16}, {17, 16}}, 2);
    case Glyph::Maximize:
      return outline(rect(7, 7, 10, 10, 1.5), 2);
    case Glyph::Trash:
      return unite({line({{4.5, 6.5}, {19.5, 6.5}}, 1.8), outline(rect(9.5, 3, 5, 3.5, 1), 1.6),
                    line({{6.5, 9}, {7.5, 20.5}, {16.5, 20.5}, {17.5, 9}}, 1.8),
                    line({{10, 11}, {10.4, 17.5}}, 1.5), line({{14, 11}, {13.6, 17.5}}, 1.5)});
    case Glyph::ClearList:
      return unite({line({{3.5, 6}, {14, 6}}), line({{3.5, 11}, {14, 11}}),
                    line({{3.5, 16}, {9.5, 16}}), line({{14, 13.5}, {20, 19.5}}),
                    line({{20, 13.5}, {14, 19.5}})});
    case Glyph::PlayAll:
      return unite({line({{3.5, 6}, {14, 6}}), line({{3.5, 11}, {14, 11}}),
                    line({{3.5, 16}, {9, 16}}), polygon({{13, 13}, {13, 21}, {20.5, 17}}, 1.4)});
    case Glyph::Star:
      return star(12, 12.6, 10.2, 4.3);
    case Glyph::StarOutline: {
      const QPainterPath shape = star(12, 12.6, 10.2, 4.3);
      return shape.subtracted(star(12, 12.8, 6.6, 2.6)).simplified();
    }
    case Glyph::Check:
      return line({{5, 12.5}, {10, 17.5}, {19.5, 7}}, 2.6);
    case Glyph::Bookmark:
      return polygon({{6, 3}, {18, 3}, {18, 21}, {12, 16}, {6, 21}}, 1.4);
    case Glyph::BookmarkOutline:
      return line({{6.5, 3.5}, {17.5, 3.5}, {17.5, 20}, {12, 15.5}, {6.5, 20}}, 1.8,
                  Qt::RoundCap, true);
    case Glyph::Dot:
      return circle(12, 12, 7);
    case Glyph::Ring:
      return outline(circle(12, 12, 6.2), 1.8);
    case Glyph::Rss:
      return unite({circle(6, 18, 2.2), arc(5, 19, 7.5, 0, 90, 2.4),
                    arc(5, 19, 13, 0, 90, 2.4)});
    case Glyph::Ellipsis:
      return unite({circle(5.5, 12, 2), circle(12, 12, 2), circle(18.5, 12, 2)});
    case Glyph::ChevronDown:
      return line({{7, 9.5}, {12, 14.5}, {17, 9.5}}, 2.2);
    case Glyph::ChevronRight:
      return line({{9.5, 7}, {14.5, 12}, {9.5, 17}}, 2.2);
    case Glyph::Info:
      return unite({outline(circle(12, 12, 9), 1.8), circle(12, 7.6, 1.4),
                    line({{12, 11}, {12, 17}}, 2.2)});
    case Glyph::NowPlaying:
      return unite({rect(4.5, 10, 3.5, 10, 1), rect(10.25, 4, 3.5, 16, 1),
                    rect(16, 7.5, 3.5, 12.5, 1)});
    case Glyph::Layers:
      return unite({polygon({{12, 3}, {21, 8}, {12, 13}, {3, 8}}, 1.4),
                    line({{3.5, 12}, {12, 16.8}, {20.5, 12}}, 1.8),
                    line({{3.5, 16}, {12, 20.8}, {20.5, 16}}, 1.8)});
    case Glyph::Video:
      return rect(2.5, 5, 19, 14, 2.5).subtracted(polygon({{10, 8.5}, {10, 15.5}, {16, 12}}, 1));
    case Glyph::Gear:
      return gear();
    case Glyph::CircledClose:
      return unite({outline(circle(12, 12, 9), 1.8), line({{8.5, 8.5}, {15.5, 15.5}}, 2),
                    line({{15.5, 8.5}, {8.5, 15.5}}, 2)});
    case Glyph::CircledPlay:
      return circle(12, 12, 10).subtracted(polygon({{9.5, 7.5}, {9.5, 16.5}, {17, 12}}, 1.2));
    case Glyph::SortUp:
      return polygon({{6, 15}, {18, 15}, {12, 8}}, 1.4);
    case Glyph::SortDown:
      return polygon({{6, 9}, {18, 9}, {12, 16}}, 1.4);
  }
  return QPainterPath();
}

void drawGlyph(QPainter &painter, Glyph glyph, const QRectF &box, const QColor &color) {
  const double side = std::min(box.width(), box.height());
  QTransform toBox;
  toBox.translate(box.center().x() - side / 2, box.center().y() - side / 2);
  toBox.scale(side / 24, side / 24);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawPath(toBox.map(glyphPath(glyph)));
  painter.restore();
}
