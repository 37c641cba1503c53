// The player's entry: one running instance per user; a later start hands its
// "zaro://" link (or its wish to see the window) to the running one and ends.
#include "ApplicationDelegate.h"
#include "ApplicationIdentity.h"
#include "Dialogs.h"
#include "SkinnedDialogs.h"
#include "SingleInstance.h"
#include "UnixSignals.h"
#include "ZFolderManager.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// The link among the arguments: the first that is not an option.
QString linkArgument(const QStringList &arguments) {
  for (int i = 1; i < arguments.size(); ++i)
    if (!arguments.at(i).startsWith(QLatin1Char('-'))) return arguments.at(i);
  return QString();
}

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(ApplicationIdentity::applicationName());
  QApplication::setApplicationVersion(ApplicationIdentity::shortVersionString());
  QApplication::setDesktopFileName(QStringLiteral("zaro-player"));
  // Like the original: closing the window leaves the player running (downloads
  // and subscriptions go on); a new start shows the window again.
  QApplication::setQuitOnLastWindowClosed(false);

  const QString link = linkArgument(QApplication::arguments());
  const QString instanceKey = ZFolderManager::applicationSupportRoot() + QLatin1Char('/') +
                              ApplicationIdentity::applicationName();
  SingleInstance instance(instanceKey);
  if (!instance.becomePrimary()) {
    const bool delivered = link.isEmpty() ? SingleInstance::sendReopen(instanceKey)
                                          : SingleInstance::sendURL(instanceKey, link);
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
  QObject::connect(&delegate, &ApplicationDelegate::terminateRequested, &app,
                   [] { QApplication::quit(); });
  QObject::connect(&app, &QApplication::aboutToQuit, &delegate,
                   &ApplicationDelegate::applicationWillTerminate);

  if (!link.isEmpty()) delegate.getUrl(link);
  bool launched = true;
  QTimer::singleShot(0, &delegate, [&] {
    launched = delegate.applicationDidFinishLaunching();
    if (!launched) QApplication::exit(1);
  });
  const int status = app.exec();
  return launched ? status : 1;
}
