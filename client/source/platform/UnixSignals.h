#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered on the main loop,
// so that the application terminates the normal way (and runs its clean-ups).
class UnixSignals : public QObject {
  Q_OBJECT
 public:
  explicit UnixSignals(QObject *parent = nullptr);
  ~UnixSignals() override;

 signals:
  void terminationRequested(int signalNumber);

 private:
  QSocketNotifier *fNotifier = nullptr;
};
