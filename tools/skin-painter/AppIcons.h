#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// The desktop's icons of the player and of its uninstaller, in the hicolor
// icon theme's layout: PNG pictures at the usual sizes and one scalable SVG,
// all drawn from the same outlines (a rounded square in the skin's accent
// with a white glyph) so that every size shows the same picture.
namespace AppIcons {

struct Icon {
  QString name;  // the icon's theme name, e.g. "tv.zaro.ZaroPlayer"
  int glyph;     // the Glyph drawn on it
};

// The player's icon and the uninstaller's.
QList<Icon> icons();
// The sizes written as PNG pictures.
QList<int> pixelSizes();

QImage paint(const Icon &icon, int size);
QByteArray svg(const Icon &icon);

// Writes FOLDER/hicolor/<N>x<N>/apps/<name>.png for every size and
// FOLDER/hicolor/scalable/apps/<name>.svg; false with a reason.
bool write(const QString &folder, QString *error);

}  // namespace AppIcons
