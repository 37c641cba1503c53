// zaro-skin-gallery [--skin FOLDER] [--screenshot FILE]: shows every skinned
// control of a skin (the built default skin unless told otherwise) in each
// of its states; with --screenshot it saves the sheet as a PNG and quits.
#include "SkinGallery.h"
#include "ZSkin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char **argv) {
  QApplication application(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Every control of a Zaro Player skin."));
  parser.addHelpOption();
  const QCommandLineOption skinOption(QStringLiteral("skin"),
                                      QStringLiteral("The skin folder (default: the built default skin)."),
                                      QStringLiteral("folder"));
  const QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                      QStringLiteral("Save the sheet to this PNG file and quit."),
                                      QStringLiteral("file"));
  parser.addOption(skinOption);
  parser.addOption(shotOption);
  parser.process(application);

  auto skin = parser.isSet(skinOption)
                  ? std::make_shared<ZSkin>(parser.value(skinOption))
                  : ZSkinManager::sharedSkinManager().getDefaultSkin();
  if (skin->skinFolderPath().isEmpty())
    std::fprintf(stderr, "zaro-skin-gallery: no readable Skin.xml in %s; showing what is left\n",
                 qPrintable(parser.isSet(skinOption) ? parser.value(skinOption)
                                                     : ZSkinManager::resourcesFolder()));
  ZSkinManager::sharedSkinManager().setCurrentSkin(skin);

  SkinGallery gallery(*skin);
  gallery.show();
  if (!parser.isSet(shotOption)) return application.exec();

  int status = 0;
  QTimer::singleShot(300, [&] {
    const QPixmap shot = gallery.grab();
    if (!shot.save(parser.value(shotOption), "PNG")) {
      std::fprintf(stderr, "zaro-skin-gallery: cannot write %s\n",
                   qPrintable(parser.value(shotOption)));
      status = 1;
    }
    application.quit();
  });
  application.exec();
  return status;
}
