#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The per-process sandbox every test runs in: a temporary folder that holds
// HOME and the XDG folders, made before Qt starts and removed at exit.
namespace TestEnvironment {

// Root of this process's sandbox (HOME lives at root + "/home").
QString root();

// A fresh empty folder inside the sandbox.
QString makeTempDir(const QString &prefix = QStringLiteral("t"));

// Writes the bytes to the file, making its folders; true when all were written.
bool writeFile(const QString &path, const QByteArray &bytes);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

// Runs the Qt event loop until pred() holds or timeoutMs passes; returns pred().
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 10000);

// For the benchmarks and tools, which measure what the process costs: the
// event loop sleeps while there is nothing to do. runLoopUntil looks at
// done() every 50 ms and answers it once it holds or timeoutMs has passed.
bool runLoopUntil(const std::function<bool()> &done, int timeoutMs = 60000);
void runLoopFor(int ms);

// Points HOME (root + "/home") and the XDG data, config and cache folders
// inside it, and makes them, so that nothing of the user's own is touched.
// Call it before the application object exists.
void sandboxUserFolders(const QString &root);

}  // namespace TestEnvironment
