#pragma once

#include <QString>

#include <functional>

// What web content shown inside the player (the guide pages of the main
// window, the welcome page) may do. The service's pages drive the player
// with "zaro://" command links; inside the player they are carried out here
// instead of leaving for the desktop's link handler.
namespace ZNavigationPolicy {

enum class Decision {
  Use,     // the navigation proceeds
  Ignore,  // it does not; nothing loads
};

// Where the commands go.
struct Targets {
  // Queues the video (a download of type 0 without an object); false when
  // the queue refuses it (already queued or in the library).
  std::function<bool(const QString &permalink)> downloadVideo;
  // Tells the user the video is already being downloaded.
  std::function<void()> downloadRefused;
  // Subscribes to the feed (its address as name and address, source 0).
  std::function<void(const QString &feedUrl)> subscribe;
  // A "zaro://" link with any other command, handed over whole as the
  // desktop would hand it to the player (the link handler checks it).
  std::function<void(const QString &link)> otherLink;
};

// The command GUIDs this policy carries out itself.
inline constexpr const char *DownloadVideoCommand = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
inline constexpr const char *SubscribeCommand = "B29791E1-A986-405a-8D40-51D7932650AD";

// Decides a navigation to the URL (its text as the page asks for it) and
// carries out the command it names. Parameters are found in the URL's text
// as the service writes them (Utilities::parameter: the first occurrence of
// the name, up to the next "&"):
//   - no "command": the navigation proceeds;
//   - the download command: nothing loads; "permalinkId" is queued, and a
//     refusal is told (downloadRefused); a permalink outside the service's
//     form (letters, digits, ". _ ~ -") is not queued;
//   - the subscribe command: nothing loads; "rssUrl", its percent escapes
//     decoded as UTF-8, is subscribed; an empty address, or one that
//     decodes to control characters, is not;
//   - any other command: nothing loads (a "zaro://" link goes to otherLink).
Decision decidePolicyForNavigation(const QString &url, const Targets &targets);

}  // namespace ZNavigationPolicy
