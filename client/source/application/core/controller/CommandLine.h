#pragma once

#include <QString>
#include <QStringList>

// What the player's command line asks for. The desktop entry starts the
// player with at most one "zaro://" link; besides that only "--help",
// "--version" and "--play VIDEO_ID" are understood. Anything else is refused:
// it is never handed to a running player as a link.
struct CommandLine {
  enum class Action {
    Run,          // start (or hand `link` to the running player)
    ShowHelp,     // print usage() to standard output, exit 0
    ShowVersion,  // print versionText() to standard output, exit 0
    Quit,         // ask the running player to quit, exit 0
    Refuse,       // print `problem` and usage() to standard error, exit 2
  };

  Action action = Action::Run;
  QString link;        // Run: the "zaro://" link, or empty for none
  int playVideo = -1;  // Run: the library video of "--play", or -1 for none
  QString problem;     // Refuse: what is wrong, for the user

  // The arguments without the program name. "--help" or "-h" anywhere wins,
  // then "--version"; then "--quit" alone; then "--play" with a video id
  // (decimal digits) and nothing else; otherwise at most one argument, which
  // must begin with "zaro://" (whether the link is well-formed is the command
  // handler's business: a malformed one is ignored there).
  static CommandLine parse(const QStringList &arguments);

  // The arguments without the options the Qt toolkit reads itself
  // ("-platform NAME", "--style=NAME", "-reverse", ...), so that a command
  // line can be judged before the toolkit starts (which needs a display).
  static QStringList withoutToolkitOptions(const QStringList &arguments);

  static QString usage();
  static QString versionText();
};
