#pragma once

// Opening a movie on an engine and waiting for the outcome, for tests that
// need an open movie before they go on.
#include "TestEnvironment.h"
#include "ZMediaBackEnd.h"

#include <QObject>
#include <QString>

// Opens the file and runs the Qt loop until the engine says how it went
// (at most timeoutMs). True when it opened; otherwise what went wrong is in
// *error (when given), "no answer" when the engine did not say.
inline bool openMovie(ZMediaBackEnd &engine, const QString &path, QString *error = nullptr,
                      int timeoutMs = 15000) {
  int outcome = 0;  // 1 opened, -1 failed
  QString why = QStringLiteral("no answer");
  QObject context;
  QObject::connect(&engine, &ZMediaBackEnd::opened, &context, [&] { outcome = 1; });
  QObject::connect(&engine, &ZMediaBackEnd::openFailed, &context, [&](const QString &e) {
    outcome = -1;
    why = e;
  });
  engine.open(path);
  TestEnvironment::waitFor([&] { return outcome != 0; }, timeoutMs);
  if (outcome != 1 && error) *error = why;
  return outcome == 1;
}
