#pragma once

// A library view over a fresh temporary library, drawn with the default skin,
// and a quick way to fill the library with videos that have thumbnails and
// groups.
#include "LibraryFixture.h"
#include "Preferences.h"
#include "ZLibraryBrowseListDataSource.h"
#include "ZLibraryViewContainer.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"
#include "ZSkin.h"

class ZServerRatingManager;

#include <QImage>
#include <QPainter>

#include <memory>

class LibraryViewTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    VideoDatabase::setRetryDelay(std::chrono::milliseconds(1));
    Preferences::registerBatchA(defaults());
    // Every test starts from the registered settings of the library view.
    for (const char *key : {"LibraryActiveView", "LibraryPlaylistVisible", "LibraryBrowseBy",
                            "LibraryPlaylistSelectedId"})
      defaults().removeObject(QLatin1String(key));
    for (int mode = 0; mode <= 10; ++mode)
      for (const QString &key : {Preferences::sortTypeKeyForBrowseMode(mode),
                                 Preferences::sortOrderKeyForBrowseMode(mode)})
        if (!key.isNull()) defaults().removeObject(key);
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
    environment.ratings = fRatings;
    return environment;
  }

  static UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }

  // The container at the size, browsing by the mode.
  ZLibraryViewContainer &makeContainer(int browseBy = 0, QSize size = QSize(800, 600)) {
    defaults().setInteger(browseBy, QStringLiteral("LibraryBrowseBy"));
    fContainer = std::make_unique<ZLibraryViewContainer>(environment());
    fContainer->resize(size);
    fBrowseList->reloadForBrowsingBy(browseBy, true);
    fContainer->viewAddedToWindow();
    return *fContainer;
  }

  // A thumbnail file: a field of the colour with a lighter band.
  QString makeThumbnail(const QString &name, const QColor &color) {
    const QString path = mediaFolder() + "/Images/" + name + ".jpg";
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(160, 90, QImage::Format_RGB32);
    image.fill(color);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 60, 160, 30), color.lighter(150));
    painter.end();
    image.save(path, "JPEG");
    return path;
  }

  struct Video {
    QString title;
    QString publisher;  // none when empty
    QString category;   // none when empty
    QColor color = Qt::darkCyan;  // of its thumbnail; invalid: none
    qint64 duration = 605;
    QString description = QStringLiteral("A video of the library.");
    QString permalink;
  };

  int addLibraryVideo(const Video &video) {
    VideoDatabase::AddVideoParams params;
    params.title = video.title;
    params.path = mediaFolder() + "/" + QString::number(++fFileCounter) + ".mp4";
    writeFile(params.path);
    if (video.color.isValid())
      params.imagePath = makeThumbnail(QString::number(fFileCounter), video.color);
    params.extension = QStringLiteral("mp4");
    params.size = 16;
    params.duration = video.duration;
    params.description = video.description;
    params.permaLink = video.permalink;
    params.save = 0;
    const int id = db().addVideo(params);
    if (!video.publisher.isEmpty())
      db().addPublisherWithName(video.publisher, "", "", "", "", "", id);
    if (!video.category.isEmpty()) db().addCategoryWithName(video.category, "", "", "", id);
    return id;
  }

  std::unique_ptr<ZPlaylistDataSource> fPlaylists;
  std::unique_ptr<ZNowPlayingListDataSource> fNowPlaying;
  std::unique_ptr<ZLibraryBrowseListDataSource> fBrowseList;
  std::unique_ptr<ZLibraryViewContainer> fContainer;
  ZServerRatingManager *fRatings = nullptr;
};
