#pragma once

// The main window over a fresh temporary library, drawn with the default
// skin, offscreen. Each test starts from the registered settings.
#include "LibraryViewFixture.h"
#include "MainWindow.h"
#include "MainWindowController.h"
#include "Preferences.h"
#include "ZApplicationState.h"
#include "ZFakeMediaBackEnd.h"
#include "ZOQTMovieController.h"

#include <QCoreApplication>

class MainWindowTest : public LibraryViewTest {
 protected:
  void SetUp() override {
    LibraryViewTest::SetUp();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    Preferences::registerBatchA(defaults);
    Preferences::registerBatchB(defaults, fRoot);
    for (const char *key : {"MainWindowView", "LibraryPlaylistVisible", "LibraryBrowseBy",
                            "LibraryActiveView", "NSWindow Frame ZaroClient"})
      defaults.removeObject(QLatin1String(key));
  }

  void TearDown() override {
    fController.reset();
    fMovieController.reset();
    LibraryViewTest::TearDown();
  }

  MainWindowEnvironment windowEnvironment() {
    MainWindowEnvironment environment;
    environment.library = this->environment();
    environment.state = &fState;
    if (!fMovieController)
      fMovieController = std::make_unique<ZOQTMovieController>(
          fMovie, *fNowPlaying, db(), *fDefaults, [](const QString &) { return true; });
    environment.movieController = fMovieController.get();
    return environment;
  }

  // The window as the player makes it, shown at 960 by 640.
  MainWindowController &makeWindow() {
    fController = std::make_unique<MainWindowController>(
        windowEnvironment(), ZSkinManager::sharedSkinManager().getCurrentSkin());
    fController->window()->resize(960, 640);
    fController->showWindow();
    QCoreApplication::processEvents();
    return *fController;
  }

  static UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }

  // A video with its description and thumbnail file.
  int addDescribedVideo(const QString &title, const QString &description,
                        const QString &imagePath = QString()) {
    VideoDatabase::AddVideoParams params;
    params.title = title;
    params.path = mediaFolder() + "/described-" + QString::number(++fFileCounter) + ".mp4";
    writeFile(params.path, 16);
    params.extension = QStringLiteral("mp4");
    params.size = 16;
    params.duration = 10;
    params.description = description;
    params.imagePath = imagePath;
    params.save = 0;
    return db().addVideo(params);
  }

  ZApplicationState fState;
  // The movie controller over an engine that decodes nothing.
  ZFakeMediaBackEnd fMovie;
  std::unique_ptr<ZOQTMovieController> fMovieController;
  std::unique_ptr<MainWindowController> fController;
};
