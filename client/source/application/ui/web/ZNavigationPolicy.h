#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// What web content shown inside the player (the guide pages of the main
// window, the welcome page) may do. The service's pages drive the player
// with "zaro://" command links; inside the player they are decided here
// instead of leaving for the desktop's link handler.
//
// The decision is a pure function of the navigation: where it goes, how it
// came about, in which frame, from which page, and whether the user's own
// click or key led to it. The page that asks carries the verdict out
// (ZGuidePage).
//
// The rules:
//   - A command (a "command" parameter anywhere in the address, found as the
//     service writes it: the first occurrence, up to the next "&"; or any
//     "zaro://" address) never loads. It is carried out only when the user
//     clicked a link (or a link that opens a new window) in the main frame of
//     a page from the service's web host: the download command queues its
//     "permalinkId" (the service's form: letters, digits, ". _ ~ -"), the
//     subscribe command subscribes to its "rssUrl" (percent escapes decoded
//     as UTF-8; not empty, no control characters). Any other command, and
//     any command a script, a timer, a meta refresh, a redirect, a form or a
//     frame asks for, is refused.
//   - A page from the service's web host loads in the main frame. So do the
//     player's own loads, reloads and moves back and forward.
//   - Another host's page in the main frame: the user's click opens it in the
//     user's browser (http and https only); without the user it is refused.
//   - Frames show http and https pages from anywhere (they cannot command).
//   - Any other scheme (file, data, javascript, ...) is refused.
namespace ZNavigationPolicy {

// How a navigation came about (the web engine's navigation types, and the
// request for a new window).
enum class NavigationType {
  LinkClicked,  // a link, or a script setting the location
  Typed,        // the player's own load
  FormSubmitted,
  BackForward,
  Reload,
  Redirect,  // a server redirect, a meta refresh, a script during the load
  Other,
  NewWindow,  // a link or script asking for a new window
};

struct Navigation {
  QString url;  // the address's text as the page asks for it
  NavigationType type = NavigationType::Other;
  bool mainFrame = true;
  QUrl page;              // the page shown in the main frame; empty before the first
  bool userActed = false;  // the user's click or key led to it
};

enum class Action {
  Load,           // the navigation proceeds
  Refuse,         // it does not; nothing loads
  Download,       // nothing loads; argument: the permalink to queue
  Subscribe,      // nothing loads; argument: the feed's address
  OpenInBrowser,  // nothing loads; argument: the address for the user's browser
};

struct Verdict {
  Action action = Action::Refuse;
  QString argument;  // see Action
  QString reason;    // why a navigation is refused, for the log
};

// The command GUIDs the guide may carry out.
inline constexpr const char *DownloadVideoCommand = "49347A0A-C783-4e92-ADCE-ED7C93207E58";
inline constexpr const char *SubscribeCommand = "B29791E1-A986-405a-8D40-51D7932650AD";

// Where the page that asks carries verdicts out.
struct Targets {
  // Queues the video (a download of type 0 without an object); false when
  // the queue refuses it (already queued or in the library).
  std::function<bool(const QString &permalink)> downloadVideo;
  // Tells the user the video is already being downloaded.
  std::function<void()> downloadRefused;
  // Subscribes to the feed (its address as name and address, source 0).
  std::function<void(const QString &feedUrl)> subscribe;
  // Opens the address in the user's browser.
  std::function<void(const QUrl &url)> openInBrowser;
  // Tells the user that the link they clicked cannot be followed here.
  std::function<void(const QUrl &url)> linkRefused;
};

// Decides a navigation; serviceWebHost is the base URL of the service's web
// host (scheme, host, port).
Verdict decide(const Navigation &navigation, const QUrl &serviceWebHost);

}  // namespace ZNavigationPolicy
