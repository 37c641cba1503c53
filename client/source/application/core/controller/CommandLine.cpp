#include "CommandLine.h"

#include "ApplicationIdentity.h"

#include <algorithm>

CommandLine CommandLine::parse(const QStringList &arguments) {
  CommandLine result;
  for (const QString &argument : arguments) {
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
      result.action = Action::ShowHelp;
      return result;
    }
  }
  if (arguments.contains(QStringLiteral("--version"))) {
    result.action = Action::ShowVersion;
    return result;
  }
  if (arguments.contains(QStringLiteral("--quit"))) {
    if (arguments.size() != 1) {
      result.action = Action::Refuse;
      result.problem = QStringLiteral("--quit takes nothing else");
    } else {
      result.action = Action::Quit;
    }
    return result;
  }
  if (arguments.contains(QStringLiteral("--play"))) {
    bool ok = false;
    const int id = arguments.size() == 2 && arguments.first() == QLatin1String("--play")
                       ? arguments.at(1).toInt(&ok)
                       : -1;
    const bool digits = ok && !arguments.at(1).isEmpty() &&
                        std::all_of(arguments.at(1).cbegin(), arguments.at(1).cend(),
                                    [](QChar c) { return c.isDigit(); });
    if (!digits) {
      result.action = Action::Refuse;
      result.problem = QStringLiteral("--play takes one library video id and nothing else");
      return result;
    }
    result.playVideo = id;
    return result;
  }
  for (const QString &argument : arguments) {
    if (!argument.startsWith(QLatin1String("zaro://"))) {
      result.action = Action::Refuse;
      result.problem = argument.startsWith(QLatin1Char('-'))
                           ? QStringLiteral("unknown option \"%1\"").arg(argument)
                           : QStringLiteral("\"%1\" is not a zaro:// link").arg(argument);
      return result;
    }
  }
  if (arguments.size() > 1) {
    result.action = Action::Refuse;
    result.problem = QStringLiteral("only one zaro:// link at a time");
    return result;
  }
  if (!arguments.isEmpty()) result.link = arguments.first();
  return result;
}

QStringList CommandLine::withoutToolkitOptions(const QStringList &arguments) {
  // QGuiApplication's and QApplication's options, read with one dash or two.
  static const QStringList withValue = {
      "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
      "qwindowicon", "qwindowtitle", "display", "geometry", "title", "name", "style",
      "stylesheet", "session", "visual", "ncols", "cmap", "qmljsdebugger"};
  static const QStringList flags = {"reverse", "widgetcount", "nograb", "dograb", "sync",
                                    "testability"};
  QStringList kept;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString &argument = arguments.at(i);
    QString name = argument;
    if (name.startsWith(QLatin1String("--")))
      name.remove(0, 2);
    else if (name.startsWith(QLatin1Char('-')))
      name.remove(0, 1);
    else {
      kept.append(argument);
      continue;
    }
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    const QString bare = equals < 0 ? name : name.left(equals);
    if (withValue.contains(bare)) {
      if (equals < 0) ++i;  // its value follows
      continue;
    }
    if (equals < 0 && flags.contains(bare)) continue;
    kept.append(argument);
  }
  return kept;
}

QString CommandLine::usage() {
  return QStringLiteral(
      "Usage: zaro-player [zaro://LINK]\n"
      "       zaro-player --play VIDEO_ID\n"
      "       zaro-player --quit\n"
      "       zaro-player --help | --version\n"
      "\n"
      "Starts Zaro Player, or shows the running one. A zaro:// link from the\n"
      "service's web pages is carried out by the running player.\n"
      "\n"
      "  --play VIDEO_ID  play that library video in the main window\n"
      "  --quit           ask the running player to quit\n"
      "  -h, --help       show this text\n"
      "      --version    show the version\n"
      "\n"
      "Qt's own options (-platform, -style, -reverse, ...) are understood too.\n"
      "See zaro-player(1).\n");
}

QString CommandLine::versionText() {
  return ApplicationIdentity::applicationName() + QLatin1Char(' ') +
         ApplicationIdentity::shortVersionString() + QLatin1Char('\n');
}
