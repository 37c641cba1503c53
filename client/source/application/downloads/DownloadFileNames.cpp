#include "DownloadFileNames.h"

#include "StringExtensions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace DownloadFileNames {

namespace {

constexpr int kMaxExtensionBytes = 32;
// Gives up after this many taken names (a folder that cannot be written to
// fails at the first attempt anyway).
constexpr int kMaxCandidates = 1000000;

bool existsAt(const QString &path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

QString joined(const QString &folder, const QString &name) {
  if (folder.endsWith(QLatin1Char('/'))) return folder + name;
  return folder + QLatin1Char('/') + name;
}

QString candidateName(const QString &base, const QString &extension, int counter) {
  const QString prefix = counter == 0 ? QString() : QString::number(counter) + QLatin1Char('-');
  return fileName(base, extension, prefix);
}

}  // namespace

QString escapedURLText(const QString &text) {
  return QString::fromLatin1(QUrl::toPercentEncoding(text, "!$&'()*+,;=:@/?"));
}

QString baseName(const QString &title, const QString &fallback) {
  if (!title.isEmpty()) return wwwFormURLEncoded(title);
  if (!fallback.isEmpty()) return wwwFormURLEncoded(fallback);
  return QStringLiteral("video");
}

QString extensionForFileName(const QString &extension) {
  return QString::fromLatin1(QUrl::toPercentEncoding(extension, "!$&'()*+,;=:@?"));
}

QString fileName(const QString &base, const QString &extension, const QString &prefix) {
  // Every part is ASCII (escapes and digits), so characters are bytes; the
  // cuts below never split a multi-byte character.
  QString ext = extension;
  QString name = base;
  const qsizetype room = kMaxFileNameBytes - prefix.toUtf8().size();
  if (name.toUtf8().size() + ext.toUtf8().size() > room) {
    if (ext.toUtf8().size() > kMaxExtensionBytes) ext.truncate(kMaxExtensionBytes);
    const qsizetype baseRoom = room - ext.toUtf8().size();
    while (!name.isEmpty() && name.toUtf8().size() > baseRoom) name.chop(1);
  }
  return prefix + name + ext;
}

QString uniquePath(const QString &folder, const QString &base, const QString &extension) {
  for (int counter = 0; counter < kMaxCandidates; ++counter) {
    const QString path = joined(folder, candidateName(base, extension, counter));
    if (!existsAt(path)) return path;
  }
  return QString();
}

QString createUniqueFile(const QString &folder, const QString &base, const QString &extension,
                         const QByteArray &contents) {
  if (folder.isEmpty()) return QString();
  for (int counter = 0; counter < kMaxCandidates; ++counter) {
    const QString path = joined(folder, candidateName(base, extension, counter));
    if (existsAt(path)) continue;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      // Taken since the look (another process), or not creatable at all.
      if (existsAt(path)) continue;
      return QString();
    }
    if (!contents.isEmpty() && file.write(contents) != contents.size()) {
      file.close();
      QFile::remove(path);
      return QString();
    }
    file.close();
    return path;
  }
  return QString();
}

}  // namespace DownloadFileNames
