#pragma once

// A download queue over a fresh library in one folder, wired as the player
// wires it: settings (download location, authorisation token, slots),
// media folder, library, network, the queue, the playlists and the
// now-playing list. For the programs that drive the downloads page against
// zaro-service (its screenshot tool, its benchmark). Header only: the
// programs that include it link the download and library targets.

#include "UserDefaults.h"
#include "VideoDatabase.h"
#include "ZDownloadDataSource.h"
#include "ZDownloadEnvironment.h"
#include "ZFolderManager.h"
#include "ZNowPlayingListDataSource.h"
#include "ZPlaylistDataSource.h"

#include <QDir>
#include <QNetworkAccessManager>

#include <memory>

class DownloadStack {
 public:
  struct Options {
    int simultaneousDownloads = 1;
    quint64 freeBytes = quint64(1) << 40;  // what the disk is said to have free
    int progressIntervalMs = 500;
  };

  DownloadStack(const QString &root, const Options &options) {
    QDir().mkpath(root + "/library");
    defaults = std::make_unique<UserDefaults>(root + "/settings.ini");
    defaults->setString(root + "/downloads", QStringLiteral("DownloadLocation"));
    defaults->setString(QStringLiteral("local+token"), QStringLiteral("ZaroClientAuthorization"));
    defaults->setInteger(options.simultaneousDownloads, QStringLiteral("DownloadMaxSimultaneousCount"));
    defaults->setInteger(100, QStringLiteral("DownloadAllowedDiskUsage"));
    folders = std::make_unique<ZFolderManager>(*defaults);
    database = std::make_unique<VideoDatabase>(VideoDatabase::pathsUnder(root + "/library"),
                                               folders.get());
    fLibraryMade = database->createDatabase();
    environment.network = &network;
    environment.folders = folders.get();
    environment.defaults = defaults.get();
    environment.database = database.get();
    const quint64 freeBytes = options.freeBytes;
    environment.freeBytes = [freeBytes](const QString &) { return freeBytes; };
    environment.progressIntervalMs = options.progressIntervalMs;
    queue = std::make_unique<ZDownloadDataSource>(environment);
    playlists = std::make_unique<ZPlaylistDataSource>(*database);
    nowPlaying = std::make_unique<ZNowPlayingListDataSource>(*playlists, *database);
  }

  // False when the library could not be made (nothing else is usable then).
  bool ok() const { return fLibraryMade; }

  // The queue's download of the permalink; null when there is none.
  ZDownloadItem *item(const QString &permalink) const {
    for (const auto &ref : queue->downloadItems())
      if (ref->permalink() == permalink) return ref.get();
    return nullptr;
  }

  // Members in the order they are made (and, backwards, destroyed).
  QNetworkAccessManager network;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ZFolderManager> folders;
  std::unique_ptr<VideoDatabase> database;
  ZDownloadEnvironment environment;
  std::unique_ptr<ZDownloadDataSource> queue;
  std::unique_ptr<ZPlaylistDataSource> playlists;
  std::unique_ptr<ZNowPlayingListDataSource> nowPlaying;

 private:
  bool fLibraryMade = false;
};
