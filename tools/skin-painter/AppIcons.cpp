#include "AppIcons.h"

#include "Glyphs.h"
#include "ImageFiles.h"
#include "Palette.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTransform>

namespace AppIcons {

namespace {

// Everything is laid out on a canvas of 256 units.
constexpr double Canvas = 256;
const QRectF Tile(16, 16, 224, 224);
constexpr double TileRadius = 52;
const QRectF GlyphBox(52, 52, 152, 152);

QPainterPath tilePath() {
  QPainterPath path;
  path.addRoundedRect(Tile, TileRadius, TileRadius);
  return path;
}

QPainterPath glyphOnCanvas(const Icon &icon) {
  QTransform toBox;
  toBox.translate(GlyphBox.left(), GlyphBox.top());
  toBox.scale(GlyphBox.width() / 24, GlyphBox.height() / 24);
  QPainterPath path = toBox.map(glyphPath(Glyph(icon.glyph)));
  path.setFillRule(Qt::WindingFill);
  return path.simplified();
}

QString number(double value) { return QString::number(value, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$"))); }

// The outline as SVG path data (moves, lines and cubic curves).
QString pathData(const QPainterPath &path) {
  QString d;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.isMoveTo()) {
      if (!d.isEmpty()) d += QStringLiteral("Z");
      d += QStringLiteral("M") + number(e.x) + QLatin1Char(' ') + number(e.y);
    } else if (e.isLineTo()) {
      d += QStringLiteral("L") + number(e.x) + QLatin1Char(' ') + number(e.y);
    } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
      const QPainterPath::Element c2 = path.elementAt(i + 1);
      const QPainterPath::Element end = path.elementAt(i + 2);
      d += QStringLiteral("C") + number(e.x) + QLatin1Char(' ') + number(e.y) + QLatin1Char(' ') +
           number(c2.x) + QLatin1Char(' ') + number(c2.y) + QLatin1Char(' ') + number(end.x) +
           QLatin1Char(' ') + number(end.y);
      i += 2;
    }
  }
  if (!d.isEmpty()) d += QStringLiteral("Z");
  return d;
}

QString hex(const QColor &color) { return color.name(QColor::HexRgb); }

}  // namespace

QList<Icon> icons() {
  return {{QStringLiteral("tv.zaro.ZaroPlayer"), int(Glyph::Play)},
          {QStringLiteral("tv.zaro.ZaroPlayer.Uninstaller"), int(Glyph::Trash)}};
}

QList<int> pixelSizes() { return {16, 22, 24, 32, 48, 64, 128, 256, 512}; }

QImage paint(const Icon &icon, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / Canvas, size / Canvas);
  QLinearGradient fill(Tile.topLeft(), Tile.bottomLeft());
  fill.setColorAt(0, Palette::accentLight());
  fill.setColorAt(1, Palette::accentDark());
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawPath(tilePath());
  painter.setBrush(Palette::paper());
  painter.drawPath(glyphOnCanvas(icon));
  painter.end();
  return image;
}

QByteArray svg(const Icon &icon) {
  const QString gradient = QStringLiteral("fill-") + QString(icon.name).replace(QLatin1Char('.'), QLatin1Char('-'));
  QString text;
  text += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  text += QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                         "viewBox=\"0 0 256 256\">\n");
  text += QStringLiteral("  <defs>\n    <linearGradient id=\"%1\" x1=\"0\" y1=\"%2\" x2=\"0\" y2=\"%3\" "
                         "gradientUnits=\"userSpaceOnUse\">\n")
              .arg(gradient, number(Tile.top()), number(Tile.bottom()));
  text += QStringLiteral("      <stop offset=\"0\" stop-color=\"%1\"/>\n").arg(hex(Palette::accentLight()));
  text += QStringLiteral("      <stop offset=\"1\" stop-color=\"%1\"/>\n").arg(hex(Palette::accentDark()));
  text += QStringLiteral("    </linearGradient>\n  </defs>\n");
  text += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"url(#%6)\"/>\n")
              .arg(number(Tile.left()), number(Tile.top()), number(Tile.width()),
                   number(Tile.height()), number(TileRadius), gradient);
  text += QStringLiteral("  <path fill=\"%1\" d=\"%2\"/>\n")
              .arg(hex(Palette::paper()), pathData(glyphOnCanvas(icon)));
  text += QStringLiteral("</svg>\n");
  return text.toUtf8();
}

bool write(const QString &folder, QString *error) {
  for (const Icon &icon : icons()) {
    for (int size : pixelSizes()) {
      const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
      if (!QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("cannot make %1").arg(dir);
        return false;
      }
      if (!writeImageFile(paint(icon, size), dir + QLatin1Char('/') + icon.name + ".png", error))
        return false;
    }
    const QString dir = folder + QStringLiteral("/hicolor/scalable/apps");
    QSaveFile file(dir + QLatin1Char('/') + icon.name + ".svg");
    if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) || file.write(svg(icon)) < 0 ||
        !file.commit()) {
      if (error) *error = QStringLiteral("cannot write %1").arg(file.fileName());
      return false;
    }
  }
  return true;
}

}  // namespace AppIcons
