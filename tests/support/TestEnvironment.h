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

}  // namespace TestEnvironment
