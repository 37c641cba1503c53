#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

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

  // Carries out the command of one link. Links that do not parse (below),
  // other schemes and unknown commands are ignored whole, without a word.
  // Otherwise the token the link carries ("ZARO_GUIDE_AUTH") is stored first;
  // a command whose own values are missing or ill-formed (a permalink outside
  // the service's charset, say) then stops there, its token kept. A token
  // that does not decode to text spoils the whole link.
  void processUrl(const QString &urlString);

  // A link parses when
  //   - it begins with "zaro://" (case-sensitive) and holds only what a URL
  //     may hold as it is: letters, digits, - . _ ~ ! $ & ' ( ) * + , ; = :
  //     @ / ? and escapes (no blanks, controls, raw non-ASCII, nor
  //     " < > [ \ ] ^ ` { | }: browsers escape them);
  //   - every "%" begins an escape of two hexadecimal digits;
  //   - it has no fragment ("#");
  //   - between "zaro://" and the first "?" stand only letters, digits and
  //     ". _ ~ - /" (the part is not read);
  //   - after the "?" comes a list of name=value pairs separated by single
  //     "&", each name made of letters, digits and "_", and no name twice.
  // The answer maps each name to its value as written (not decoded).
  static std::optional<QHash<QString, QString>> parseLink(const QString &urlString);

  // The service's permalinks (of videos and of collections): 1 to 255
  // letters, digits and ". _ ~ -".
  static bool isPermalink(QStringView text);

 private:
  void queueDownload(const QString &permalink, const QString &collectionPermalink);

  Targets fTargets;
};
