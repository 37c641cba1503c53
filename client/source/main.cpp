// The player's entry: one running instance per user; a later start hands its
// "zaro://" link (or its wish to see the window, or to play a video) to the
// running one and ends.
//
//   zaro-player [zaro://...]        start, or hand the link to the running player
//   zaro-player --play VIDEO_ID     play that library video in the main window
//   zaro-player --quit              ask the running player to quit
//   zaro-player --help | --version
#include "ApplicationDelegate.h"
#include "ApplicationIcon.h"
#include "ApplicationIdentity.h"
#include "CommandLine.h"
#include "Dialogs.h"
#include "SkinnedDialogs.h"
#include "SingleInstance.h"
#include "UnixSignals.h"
#include "ZDesktopIntegration.h"
#include "ZFolderManager.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <memory>
#include <clocale>
#include <cstdio>

namespace {

// Help and version are answered at once; a refused command line ends with 2.
// Answers -1 when the player is to run.
int answerCommandLine(const CommandLine &line) {
  switch (line.action) {
    case CommandLine::Action::ShowHelp:
      std::fputs(CommandLine::usage().toLocal8Bit().constData(), stdout);
      return 0;
    case CommandLine::Action::ShowVersion:
      std::fputs(CommandLine::versionText().toLocal8Bit().constData(), stdout);
      return 0;
    case CommandLine::Action::Refuse:
      std::fprintf(stderr, "zaro-player: %s\n", line.problem.toLocal8Bit().constData());
      std::fputs(CommandLine::usage().toLocal8Bit().constData(), stderr);
      return 2;
    case CommandLine::Action::Quit:
    case CommandLine::Action::Run:
      break;
  }
  return -1;
}

QString instanceKey() {
  return ZFolderManager::applicationSupportRoot() + QLatin1Char('/') +
         ApplicationIdentity::applicationName();
}

// "--quit": the running player is asked to quit; with none, nothing to do.
int quitRunningPlayer(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  SingleInstance instance(instanceKey());
  if (instance.becomePrimary()) return 0;
  if (SingleInstance::sendQuit(instanceKey())) return 0;
  std::fprintf(stderr, "zaro-player: the running player did not answer\n");
  return 1;
}

}  // namespace

int main(int argc, char *argv[]) {
  // Help, version, quit and refusals need no display: answered before Qt
  // starts, with Qt's own options (-platform, -style, ...) set aside.
  {
    QStringList raw;
    for (int i = 1; i < argc; ++i) raw.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine early = CommandLine::parse(CommandLine::withoutToolkitOptions(raw));
    if (early.action == CommandLine::Action::Quit) return quitRunningPlayer(argc, argv);
    if (early.action != CommandLine::Action::Run) return answerCommandLine(early);
  }
  // The web engine's start-up report (its graphics set-up, twenty lines)
  // tells a user nothing; QT_LOGGING_RULES still brings it back.
  QLoggingCategory::setFilterRules(
      QStringLiteral("qt.webenginecontext.info=false\nqt.webenginecontext.debug=false"));
  QApplication app(argc, argv);
  QApplication::setApplicationName(ApplicationIdentity::applicationName());
  QApplication::setApplicationVersion(ApplicationIdentity::shortVersionString());
  // The desktop entry and the window's icon are named by the application's id.
  QApplication::setDesktopFileName(ApplicationIdentity::bundleIdentifier());
  QApplication::setWindowIcon(ApplicationIcon::icon());
  // Closing the window leaves the player running in the status area (downloads
  // and subscriptions go on), or quits where there is none (ZDesktopIntegration).
  QApplication::setQuitOnLastWindowClosed(false);
  // The playback engine reads and writes numbers the C way only.
  std::setlocale(LC_NUMERIC, "C");

  const CommandLine commandLine = CommandLine::parse(QApplication::arguments().mid(1));
  if (const int status = answerCommandLine(commandLine); status >= 0) return status;
  const QString link = commandLine.link;
  SingleInstance instance(instanceKey());
  if (!instance.becomePrimary()) {
    const bool delivered = commandLine.playVideo >= 0
                               ? SingleInstance::sendPlay(instanceKey(), commandLine.playVideo)
                           : link.isEmpty() ? SingleInstance::sendReopen(instanceKey())
                                            : SingleInstance::sendURL(instanceKey(), link);
    if (!delivered) std::fprintf(stderr, "zaro-player: the running player did not answer\n");
    return delivered ? 0 : 1;
  }

  // Unattended runs and tests answer dialogs from a script; people get windows.
  if (qEnvironmentVariableIsEmpty("ZARO_DIALOG_ANSWERS") &&
      qEnvironmentVariableIsEmpty("ZARO_DIALOG_LOG"))
    Dialogs::setShared(std::make_unique<SkinnedDialogs>());

  ApplicationDelegate delegate;
  UnixSignals unixSignals;
  QObject::connect(&unixSignals, &UnixSignals::terminationRequested, &app,
                   [] { QApplication::quit(); });
  QObject::connect(&instance, &SingleInstance::urlReceived, &delegate,
                   &ApplicationDelegate::getUrl);
  QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate,
                   &ApplicationDelegate::applicationShouldHandleReopen);
  QObject::connect(&instance, &SingleInstance::quitRequested, &app, [] { QApplication::quit(); });
  const auto playVideo = [&delegate](int videoId) { delegate.playVideo(videoId); };
  QObject::connect(&instance, &SingleInstance::playRequested, &delegate,
                   [&delegate, playVideo](int videoId) {
                     if (delegate.applicationFinishedLaunching()) playVideo(videoId);
                   });
  QObject::connect(&delegate, &ApplicationDelegate::terminateRequested, &app,
                   [] { QApplication::quit(); });
  QObject::connect(&app, &QApplication::aboutToQuit, &delegate,
                   &ApplicationDelegate::applicationWillTerminate);

  if (!link.isEmpty()) delegate.getUrl(link);
  bool launched = true;
  std::unique_ptr<ZDesktopIntegration> desktop;
  QTimer::singleShot(0, &delegate, [&] {
    launched = delegate.applicationDidFinishLaunching();
    if (!launched) {
      QApplication::exit(1);
      return;
    }
    desktop = std::make_unique<ZDesktopIntegration>(delegate, playVideo);
    if (commandLine.playVideo >= 0) playVideo(commandLine.playVideo);
  });
  const int status = app.exec();
  return launched ? status : 1;
}
