#include "Demo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace zsvc {

bool unpackDemoCatalog(const QString &dir, QString *error) {
  static const QString kRoot = QStringLiteral(":/demo");
  QDirIterator files(kRoot, QDir::Files, QDirIterator::Subdirectories);
  int count = 0;
  while (files.hasNext()) {
    const QString source = files.next();
    const QString target = QDir(dir).filePath(source.mid(kRoot.size() + 1));
    QFile in(source);
    QFile out(target);
    if (!QDir().mkpath(QFileInfo(target).path()) || !in.open(QIODevice::ReadOnly) ||
        !out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(in.readAll()) != in.size()) {
      *error = QStringLiteral("cannot write the demo file %1: %2").arg(target, out.errorString());
      return false;
    }
    ++count;
  }
  if (count == 0) {
    *error = QStringLiteral("the demo catalog is missing from this build");
    return false;
  }
  return true;
}

}  // namespace zsvc
