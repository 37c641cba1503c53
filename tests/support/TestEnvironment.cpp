#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QUuid>

namespace TestEnvironment {

QString root() { return QString::fromLocal8Bit(qgetenv("ZARO_TEST_ROOT")); }

QString makeTempDir(const QString &prefix) {
  QString path = root() + "/" + prefix + "-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
  QDir().mkpath(path);
  return path;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitFor(const std::function<bool()> &pred, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!pred()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

bool runLoopUntil(const std::function<bool()> &done, int timeoutMs) {
  if (done()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (done() || clock.elapsed() > timeoutMs) loop.quit();
  });
  check.start(50);
  loop.exec();
  return done();
}

void runLoopFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void sandboxUserFolders(const QString &root) {
  const QString home = root + "/home";
  const struct {
    const char *variable;
    QString path;
  } folders[] = {{"HOME", home},
                 {"XDG_DATA_HOME", home + "/.local/share"},
                 {"XDG_CONFIG_HOME", home + "/.config"},
                 {"XDG_CACHE_HOME", home + "/.cache"}};
  for (const auto &folder : folders) {
    QDir().mkpath(folder.path);
    qputenv(folder.variable, folder.path.toLocal8Bit());
  }
}

}  // namespace TestEnvironment
