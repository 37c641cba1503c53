#include "CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, OnlyOneZaroLinkOrHelpOrVersionOrAVideoToPlay) {
  using Action = CommandLine::Action;
  const QString link = "zaro://run?command=X&permalinkId=a";
  struct Case {
    QStringList arguments;
    Action action;
    QString link;
    int playVideo = -1;
  } cases[] = {
      {{}, Action::Run, ""},
      {{link}, Action::Run, link},
      {{"--help"}, Action::ShowHelp, ""},
      {{"-h"}, Action::ShowHelp, ""},
      {{link, "--help"}, Action::ShowHelp, ""},
      {{"--bogus", "--help"}, Action::ShowHelp, ""},
      {{"--version"}, Action::ShowVersion, ""},
      {{"--version", "--help"}, Action::ShowHelp, ""},
      {{"--bogus"}, Action::Refuse, ""},
      {{"-"}, Action::Refuse, ""},
      {{"bogus"}, Action::Refuse, ""},
      {{"ZARO://run?command=X"}, Action::Refuse, ""},  // the scheme is case-sensitive
      {{"http://example.com/?u=zaro://run"}, Action::Refuse, ""},
      {{""}, Action::Refuse, ""},
      {{link, link}, Action::Refuse, ""},
      {{link, "--bogus"}, Action::Refuse, ""},
      {{"--play", "12"}, Action::Run, "", 12},
      {{"--play", "0"}, Action::Run, "", 0},
      {{"--play"}, Action::Refuse, ""},
      {{"--play", "twelve"}, Action::Refuse, ""},
      {{"--play", "-3"}, Action::Refuse, ""},
      {{"--play", "+3"}, Action::Refuse, ""},
      {{"--play", "99999999999"}, Action::Refuse, ""},  // no id is that large
      {{"--play", "12", link}, Action::Refuse, ""},
      {{link, "--play", "12"}, Action::Refuse, ""},
      {{"12", "--play"}, Action::Refuse, ""},
      {{"--play", "12", "--help"}, Action::ShowHelp, ""},
      {{"--quit"}, Action::Quit, ""},
      {{"--quit", link}, Action::Refuse, ""},
      {{"--quit", "--play", "12"}, Action::Refuse, ""},
      {{"--quit", "--help"}, Action::ShowHelp, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const CommandLine line = CommandLine::parse(c.arguments);
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.link, c.link);
    EXPECT_EQ(line.playVideo, c.playVideo);
    EXPECT_EQ(line.problem.isEmpty(), c.action != Action::Refuse);
  }
}

// Qt's own options are set aside before the line is judged (without a display
// Qt cannot start to take them itself); everything else stays, in order.
TEST(CommandLine, ToolkitOptionsAreSetAsideWithTheirValues) {
  const QString link = "zaro://run?command=X&permalinkId=a";
  const struct {
    QStringList arguments;
    QStringList kept;
  } cases[] = {
      {{"-platform", "offscreen", link}, {link}},
      {{"--platform", "offscreen", "--bogus"}, {"--bogus"}},
      {{"-style=fusion", "-reverse", "--play", "3"}, {"--play", "3"}},
      {{"-geometry", "10x10", "-sync", "--quit"}, {"--quit"}},
      {{"-platformx", "-reverse=1", "--version"}, {"-platformx", "-reverse=1", "--version"}},
      {{"-platform"}, {}},  // a value that is missing takes nothing else with it
      {{"offscreen", "-platform", "xcb"}, {"offscreen"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    EXPECT_EQ(CommandLine::withoutToolkitOptions(c.arguments), c.kept);
  }
}
