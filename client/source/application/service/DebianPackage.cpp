#include "DebianPackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace DebianPackage {

namespace {

constexpr qsizetype kMagicBytes = 8;        // "!<arch>\n"
constexpr qsizetype kMemberHeaderBytes = 60;
constexpr qsizetype kSecondHeader = kMagicBytes + kMemberHeaderBytes + 4;
static_assert(kSecondHeader + kMemberHeaderBytes == HeadBytes);

// A file list holds one path a line; more than this is no list of ours.
constexpr int kMaxListLines = 200000;

// An ar member header at offset: its 16-byte name field, its decimal size
// field and its terminator. The name is given back without its padding (and
// without the "/" GNU ar ends names with).
bool readMemberHeader(const QByteArray &bytes, qsizetype offset, QByteArray *name, qint64 *size) {
  const QByteArray header = bytes.mid(offset, kMemberHeaderBytes);
  if (header.size() != kMemberHeaderBytes || !header.endsWith("`\n")) return false;
  QByteArray field = header.left(16);
  while (field.endsWith(' ')) field.chop(1);
  if (field.endsWith('/')) field.chop(1);
  *name = field;

  const QByteArray sizeField = header.mid(48, 10);
  qsizetype digits = 0;
  while (digits < sizeField.size() && sizeField.at(digits) >= '0' && sizeField.at(digits) <= '9')
    ++digits;
  if (digits == 0) return false;
  for (qsizetype i = digits; i < sizeField.size(); ++i)
    if (sizeField.at(i) != ' ') return false;
  bool ok = false;
  *size = sizeField.left(digits).toLongLong(&ok);
  return ok;
}

QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

bool listNames(const QString &listPath, const QString &canonicalExecutable) {
  QFile list(listPath);
  if (!list.open(QIODevice::ReadOnly)) return false;
  const QString name = QFileInfo(canonicalExecutable).fileName();
  for (int lines = 0; lines < kMaxListLines && !list.atEnd(); ++lines) {
    QByteArray line = list.readLine();
    if (line.endsWith('\n')) line.chop(1);
    if (line.isEmpty() || !line.startsWith('/')) continue;
    const QString path = QFile::decodeName(line);
    // Cheap first: the same file name; then a link anywhere on the way.
    if (QFileInfo(path).fileName() != name && !QFileInfo(path).isSymLink()) continue;
    if (canonical(path) == canonicalExecutable) return true;
  }
  return false;
}

}  // namespace

Head checkHead(const QByteArray &bytes) {
  if (bytes.size() < HeadBytes) {
    // What has come so far may already show it is something else.
    const QByteArray magic = QByteArrayLiteral("!<arch>\n");
    const qsizetype n = std::min(bytes.size(), magic.size());
    return bytes.left(n) == magic.left(n) ? Head::Incomplete : Head::Other;
  }
  if (!bytes.startsWith("!<arch>\n")) return Head::Other;

  QByteArray name;
  qint64 size = -1;
  if (!readMemberHeader(bytes, kMagicBytes, &name, &size) || name != "debian-binary" || size != 4)
    return Head::Other;
  if (bytes.mid(kMagicBytes + kMemberHeaderBytes, 4) != "2.0\n") return Head::Other;

  if (!readMemberHeader(bytes, kSecondHeader, &name, &size)) return Head::Other;
  static const QByteArray controlNames[] = {"control.tar",     "control.tar.gz",
                                            "control.tar.xz",  "control.tar.zst",
                                            "control.tar.bz2", "control.tar.lzma"};
  for (const QByteArray &control : controlNames)
    if (name == control) return Head::Package;
  return Head::Other;
}

bool isInstalledFile(const QString &executablePath, const QString &packageName,
                     const QString &infoFolder) {
  if (packageName.isEmpty() || packageName.contains(u'/')) return false;
  const QString executable = canonical(executablePath);
  if (executable.isEmpty()) return false;

  QStringList lists{packageName + QStringLiteral(".list")};
  const QDir folder(infoFolder);
  for (const QString &qualified :
       folder.entryList({packageName + QStringLiteral(":*.list")}, QDir::Files, QDir::Name))
    lists.append(qualified);
  for (const QString &list : lists)
    if (listNames(folder.filePath(list), executable)) return true;
  return false;
}

}  // namespace DebianPackage
