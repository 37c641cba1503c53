// Shared main() of the test executables: sandbox the process first, then start
// the application object (offscreen unless QT_QPA_PLATFORM says otherwise): a
// QApplication for the tests of widgets, else a QGuiApplication. Then run.
#include <gtest/gtest.h>

#include "TestEnvironment.h"

#ifdef ZARO_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char **argv) {
  QTemporaryDir sandbox(QDir::tempPath() + "/zaro-test-XXXXXX");
  if (!sandbox.isValid()) return 2;
  const QByteArray root = sandbox.path().toLocal8Bit();
  qputenv("ZARO_TEST_ROOT", root);
  TestEnvironment::sandboxUserFolders(sandbox.path());
  qputenv("XDG_RUNTIME_DIR", root + "/run");
  QDir().mkpath(QString::fromLocal8Bit(root + "/run"));
  QFile::setPermissions(QString::fromLocal8Bit(root + "/run"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Keep the real previous-generation folder out of reach of every test.
  if (qgetenv("ZARO_PREVIOUS_LIBRARY_DIR").isEmpty())
    qputenv("ZARO_PREVIOUS_LIBRARY_DIR", root + "/previous-generation");

  TestApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
