#pragma once

#include <QString>

#include <functional>

// The commands that the service's web pages send as "zaro://" links. Each link
// names its command by a fixed GUID in "command"; the arguments follow as
// further query parameters.
class ZUrlCommandHandler {
 public:
  static constexpr const char *SetAuthorizationCommand = "488F2E49-A846-4d2d-8EAA-C6B3656A0A09";
  static constexpr const char *DownloadVideoCommand = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
  static constexpr const char *DownloadVideosCommand = "306AC90D-D92B-4350-8D1B-A22F61F2CB8C";
  static constexpr const char *SubscribeCommand = "B29791E1-A986-405a-8D40-51D7932650AD";
  static constexpr const char *UnsubscribeCommand = "5C8C4ADA-580B-40b6-BAE6-177132734FD7";

  // Where the commands go. Each answers what its receiver answers; a download
  // request answers false when the queue refuses the video.
  struct Targets {
    std::function<bool(const QString &permalink, const QString &collectionPermalink)> downloadVideo;
    std::function<void(const QString &feedUrl)> subscribe;
    std::function<void(const QString &feedUrl)> unsubscribe;
  };

  explicit ZUrlCommandHandler(Targets targets);

  // Carries out the command of one link. Malformed links, other schemes,
  // unknown commands and missing required parameters are ignored.
  void processUrl(const QString &urlString);

 private:
  void queueDownload(const QString &permalink, const QString &collectionPermalink);

  Targets fTargets;
};
