// zaro-service: the reference video service. Serves a catalog (or the built-in
// demo) over HTTP in the forms the player expects; see README.md.
#include <httplib.h>

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <pthread.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include "Catalog.h"
#include "CommandLine.h"
#include "Demo.h"
#include "Faults.h"
#include "RequestLog.h"
#include "Server.h"

namespace {

void printError(const QString &message) {
  std::fprintf(stderr, "zaro-service: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char **argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  QString error;
  const std::optional<zsvc::Options> options = zsvc::parseCommandLine(arguments, &error);
  if (!options) {
    printError(error);
    std::fputs(zsvc::usage().toLocal8Bit().constData(), stderr);
    return 2;
  }
  if (options->help) {
    std::fputs(zsvc::usage().toLocal8Bit().constData(), stdout);
    return 0;
  }

  // A client that goes away mid-body must not end the process; termination
  // signals are taken by a thread of their own so that the server stops cleanly
  // (and the demo folder is removed). Threads started later inherit the mask.
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::optional<QTemporaryDir> demoDir;
  QString catalogDir = options->catalogDir;
  if (options->demo) {
    demoDir.emplace(QDir::tempPath() + QStringLiteral("/zaro-service-demo-XXXXXX"));
    if (!demoDir->isValid() || !zsvc::unpackDemoCatalog(demoDir->path(), &error)) {
      printError(error.isEmpty() ? QStringLiteral("cannot make a temporary folder") : error);
      return 1;
    }
    catalogDir = demoDir->path();
  }

  zsvc::Catalog catalog;
  if (!catalogDir.isEmpty()) {
    std::optional<zsvc::Catalog> loaded = zsvc::loadCatalog(catalogDir, &error);
    if (!loaded) {
      printError(error);
      return 1;
    }
    catalog = std::move(*loaded);
  }
  for (const uint64_t size : options->bigFilesMiB) zsvc::addBigFile(catalog, size);

  zsvc::RequestLog log;
  if (!options->logFile.isEmpty() && !log.openFile(options->logFile, &error)) {
    printError(error);
    return 1;
  }
  zsvc::FaultSet faults;
  for (const zsvc::FaultRule &rule : options->faults) faults.add(rule);

  const qsizetype videoCount = catalog.videos.size();
  const qsizetype feedCount = catalog.feeds.size();
  zsvc::ServiceSettings settings{options->publicUrl, options->strictGuid,
                                 options->xmlEncoding.value_or(zsvc::XmlEncoding::References)};
  zsvc::Service service(std::move(catalog), settings, faults, log);
  httplib::Server server;
  service.install(server);

  const std::string host = options->host.toStdString();
  int port = options->port;
  if (port == 0)
    port = server.bind_to_any_port(host);
  else if (!server.bind_to_port(host, port))
    port = -1;
  if (port <= 0) {
    printError(QStringLiteral("cannot listen on %1:%2").arg(options->host).arg(options->port));
    return 1;
  }
  service.setListenAddress(host, port);

  std::printf("listening on %s:%d\n", host.c_str(), port);
  std::printf("catalog: %lld videos, %lld feeds%s\n", static_cast<long long>(videoCount),
              static_cast<long long>(feedCount), options->demo ? " (demo)" : "");
  std::fflush(stdout);

  // The service stops in one place, the signal thread: it removes the demo
  // folder and ends the process without waiting for the connection threads
  // (that would take as long as the longest idle keep-alive connection).
  // Every log line is already flushed. Nothing else stops the server, so the
  // main thread leaves listen_after_bind only when listening fails; then it
  // cleans up itself, and the once-flag keeps a signal arriving at that moment
  // from removing the folder a second time.
  std::once_flag cleanedUp;
  const auto cleanUp = [&cleanedUp, &demoDir] {
    std::call_once(cleanedUp, [&demoDir] {
      if (demoDir) demoDir->remove();
    });
  };
  std::thread([&cleanUp, stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    cleanUp();
    std::_Exit(0);
  }).detach();

  const bool listened = server.listen_after_bind();
  cleanUp();
  if (!listened) {
    printError(QStringLiteral("stopped listening on %1:%2").arg(options->host).arg(port));
    std::_Exit(1);
  }
  std::_Exit(0);
}
