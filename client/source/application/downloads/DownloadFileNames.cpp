#include "DownloadFileNames.h"

#include "StringExtensions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Writes all the bytes, as many calls as it takes; 0 or the error number.
int writeAll(int fd, const QByteArray &bytes) {
  const char *data = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, size_t(left));
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    data += written;
    left -= written;
  }
  return 0;
}

// Closes the descriptor; 0 or the error number (a file system that writes
// late may say only here that the disk is full).
int closeChecked(int fd) { return ::close(fd) == 0 ? 0 : errno; }

// A hidden name beside the files for the one being written.
QString temporaryPath(const QString &folder, int attempt) {
  static int serial = 0;
  return joined(folder, QStringLiteral(".writing-%1-%2-%3.part")
                            .arg(QCoreApplication::applicationPid())
                            .arg(++serial)
                            .arg(attempt));
}

// Gives the written file its name unless something has taken that name:
// EEXIST then, 0 on success, another error number when it cannot be done.
int moveIntoPlace(const QByteArray &from, const QByteArray &to) {
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  // The file system cannot refuse to replace: a second name never replaces.
  if (::link(from.constData(), to.constData()) == 0) {
    ::unlink(from.constData());
    return 0;
  }
  if (errno == EEXIST) return EEXIST;
  // No second names either (FAT): look, then rename.
  struct stat info;
  if (::lstat(to.constData(), &info) == 0) return EEXIST;
  return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

void setError(int *error, int value) {
  if (error) *error = value;
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
                         const QByteArray &contents, int *error) {
  setError(error, 0);
  if (folder.isEmpty()) {
    setError(error, ENOENT);
    return QString();
  }
  if (contents.isEmpty()) {
    for (int counter = 0; counter < kMaxCandidates; ++counter) {
      const QString path = joined(folder, candidateName(base, extension, counter));
      if (existsAt(path)) continue;
      const int fd = ::open(QFile::encodeName(path).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd < 0) {
        // Taken since the look (another process), or not creatable at all.
        if (errno == EEXIST) continue;
        setError(error, errno);
        return QString();
      }
      const int closed = closeChecked(fd);
      if (closed != 0) {
        ::unlink(QFile::encodeName(path).constData());
        setError(error, closed);
        return QString();
      }
      return path;
    }
    setError(error, EEXIST);
    return QString();
  }

  // The contents first, under a hidden name of their own.
  QByteArray temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = QFile::encodeName(temporaryPath(folder, attempt));
    fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && errno != EEXIST) {
      setError(error, errno);
      return QString();
    }
  }
  if (fd < 0) {
    setError(error, EEXIST);
    return QString();
  }
  int failure = writeAll(fd, contents);
  const int closed = closeChecked(fd);
  if (failure == 0) failure = closed;
  if (failure != 0) {
    ::unlink(temporary.constData());
    setError(error, failure);
    return QString();
  }
  // Then the name.
  for (int counter = 0; counter < kMaxCandidates; ++counter) {
    const QString path = joined(folder, candidateName(base, extension, counter));
    if (existsAt(path)) continue;
    const int moved = moveIntoPlace(temporary, QFile::encodeName(path));
    if (moved == 0) return path;
    if (moved == EEXIST) continue;
    ::unlink(temporary.constData());
    setError(error, moved);
    return QString();
  }
  ::unlink(temporary.constData());
  setError(error, EEXIST);
  return QString();
}

AppendOutcome appendToFile(const QString &path, const QByteArray &bytes) {
  AppendOutcome outcome;
  if (path.isEmpty()) {
    outcome.error = ENOENT;
    return outcome;
  }
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) {
    outcome.error = errno;
    return outcome;
  }
  outcome.opened = true;
  struct stat info;
  if (::fstat(fd, &info) == 0) outcome.sizeBefore = info.st_size;
  outcome.error = writeAll(fd, bytes);
  outcome.sizeAfter = ::fstat(fd, &info) == 0 ? qint64(info.st_size) : outcome.sizeBefore;
  const int closed = closeChecked(fd);
  if (outcome.error == 0) outcome.error = closed;
  return outcome;
}

bool isDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

QString errorText(int error) {
  QString text = QString::fromLocal8Bit(std::strerror(error));
  if (isDiskFull(error)) text += QStringLiteral(" (disk full)");
  return text;
}

}  // namespace DownloadFileNames
