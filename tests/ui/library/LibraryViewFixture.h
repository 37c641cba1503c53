#pragma once

// A library view over a fresh temporary library, drawn with the default skin.
#include "LibraryFixture.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryViewContainer.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

#include <memory>

class LibraryViewTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    ZSkinManager &skins = ZSkinManager::sharedSkinManager();
    skins.setCurrentSkin(skins.getDefaultSkin());
    fPlaylists = std::make_unique<ZPlaylistDataSource>(db());
    fNowPlaying = std::make_unique<ZNowPlayingListDataSource>(*fPlaylists, db());
    fBrowseList = std::make_unique<ZLibraryBrowseListDataSource>(db(), *fPlaylists);
  }

  void TearDown() override {
    fContainer.reset();
    fBrowseList.reset();
    fNowPlaying.reset();
    fPlaylists.reset();
    LibraryTest::TearDown();
  }

  ZLibraryViewEnvironment environment() {
    ZLibraryViewEnvironment environment;
    environment.database = &db();
    environment.browseList = fBrowseList.get();
    environment.playlists = fPlaylists.get();
    environment.nowPlaying = fNowPlaying.get();
    return environment;
  }

  // The container at the size, browsing by the mode.
  ZLibraryViewContainer &makeContainer(int browseBy = 0, QSize size = QSize(800, 600)) {
    fDefaults->setInteger(browseBy, QStringLiteral("LibraryBrowseBy"));
    UserDefaults::standardUserDefaults().setInteger(browseBy, QStringLiteral("LibraryBrowseBy"));
    fContainer = std::make_unique<ZLibraryViewContainer>(environment());
    fContainer->resize(size);
    fBrowseList->reloadForBrowsingBy(browseBy, true);
    fContainer->viewAddedToWindow();
    return *fContainer;
  }

  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fNowPlaying;
  std::unique_ptr<ZLibraryBrowseListDataSource> fBrowseList;
  std::unique_ptr<ZLibraryViewContainer> fContainer;
};
