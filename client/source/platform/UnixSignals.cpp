#include "UnixSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace {
int gPipe[2] = {-1, -1};

void handler(int signalNumber) {
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  [[maybe_unused]] ssize_t written = ::write(gPipe[1], &byte, 1);
}
}  // namespace

UnixSignals::UnixSignals(QObject *parent) : QObject(parent) {
  if (gPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gPipe) != 0) return;
  ::fcntl(gPipe[1], F_SETFL, O_NONBLOCK);
  fNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(fNotifier, &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    if (::read(gPipe[0], &byte, 1) == 1) emit terminationRequested(byte);
  });
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

UnixSignals::~UnixSignals() {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}
