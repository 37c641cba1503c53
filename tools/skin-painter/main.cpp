// zaro-skin-painter FOLDER: paints the default skin into FOLDER (emptied
// first): every picture at 1x and as its "@2x" twin, and "Skin.xml".
// zaro-skin-painter --icons FOLDER: paints the desktop's icons of the player
// and the uninstaller into FOLDER/hicolor (PNG at the usual sizes, SVG).
#include "AppIcons.h"
#include "DefaultSkin.h"
#include "SkinBuilder.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv) {
  // Painting needs no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QStringList arguments = application.arguments();
  if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--icons")) {
    QString error;
    if (AppIcons::write(arguments.at(2), &error)) return 0;
    std::fprintf(stderr, "zaro-skin-painter: %s\n", qPrintable(error));
    return 1;
  }
  if (arguments.size() != 2 || arguments.at(1).startsWith(QLatin1Char('-'))) {
    std::fprintf(stderr, "usage: zaro-skin-painter [--icons] FOLDER\n");
    return 2;
  }
  SkinBuilder skin;
  buildDefaultSkin(skin);
  QString error;
  if (!skin.write(arguments.at(1), &error)) {
    std::fprintf(stderr, "zaro-skin-painter: %s\n", qPrintable(error));
    return 1;
  }
  return 0;
}
