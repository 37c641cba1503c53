#include "LoginItems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace LoginItems {

namespace {

QFileInfoList entryFiles() {
  QDir dir(autostartFolder());
  QFileInfoList files = dir.entryInfoList({QStringLiteral("*.desktop")}, QDir::Files);
  std::stable_sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
    const auto ta = a.birthTime().isValid() ? a.birthTime() : a.lastModified();
    const auto tb = b.birthTime().isValid() ? b.birthTime() : b.lastModified();
    if (ta != tb) return ta < tb;
    return a.fileName() < b.fileName();
  });
  return files;
}

// The program named by the entry's Exec line (its first word, quotes removed).
QString programOf(const QString &execLine) {
  QString exec = execLine.trimmed();
  if (exec.startsWith(QLatin1Char('"'))) {
    const qsizetype end = exec.indexOf(QLatin1Char('"'), 1);
    return end > 0 ? exec.mid(1, end - 1) : exec.mid(1);
  }
  const qsizetype space = exec.indexOf(QLatin1Char(' '));
  return space < 0 ? exec : exec.left(space);
}

QVariantMap readEntry(const QString &path) {
  QFile file(path);
  QString program;
  bool hidden = false;
  if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    bool inEntry = false;
    while (!file.atEnd()) {
      const QString line = QString::fromUtf8(file.readLine()).trimmed();
      if (line.startsWith(QLatin1Char('['))) {
        inEntry = line == QLatin1String("[Desktop Entry]");
        continue;
      }
      if (!inEntry) continue;
      const qsizetype eq = line.indexOf(QLatin1Char('='));
      if (eq < 0) continue;
      const QString key = line.left(eq).trimmed();
      const QString value = line.mid(eq + 1).trimmed();
      if (key == QLatin1String("Exec"))
        program = programOf(value);
      else if (key == QLatin1String("Hidden"))
        hidden = hidden || value == QLatin1String("true");
      else if (key == QLatin1String("X-GNOME-Autostart-enabled"))
        hidden = hidden || value == QLatin1String("false");
    }
  }
  if (program.isEmpty()) program = path;  // an entry without a program is named by its file
  return {{QStringLiteral("URL"), QUrl::fromLocalFile(program).toString()},
          {QStringLiteral("Hidden"), hidden}};
}

QString quoteExec(const QString &path) {
  QString escaped = path;
  escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
      .replace(QLatin1Char('"'), QStringLiteral("\\\""))
      .replace(QLatin1Char('`'), QStringLiteral("\\`"))
      .replace(QLatin1Char('$'), QStringLiteral("\\$"));
  return QLatin1Char('"') + escaped + QLatin1Char('"');
}

}  // namespace

QString autostartFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/autostart");
}

std::optional<QList<QVariantMap>> copyLoginItems() {
  QDir dir(autostartFolder());
  if (!dir.exists()) return QList<QVariantMap>();
  if (!QFileInfo(dir.path()).isReadable()) return std::nullopt;
  QList<QVariantMap> items;
  for (const QFileInfo &info : entryFiles()) items.append(readEntry(info.filePath()));
  return items;
}

bool addURLAtEnd(const QString &programPath, bool hidden, const EntryNaming &naming) {
  if (!QDir().mkpath(autostartFolder())) return false;
  const QString base = !naming.id.isEmpty() ? naming.id
                       : QFileInfo(programPath).completeBaseName().isEmpty()
                           ? QStringLiteral("login-item")
                           : QFileInfo(programPath).completeBaseName();
  QString path = autostartFolder() + QLatin1Char('/') + base + QStringLiteral(".desktop");
  for (int n = 2; QFileInfo::exists(path); ++n)
    path = autostartFolder() + QStringLiteral("/%1-%2.desktop").arg(base).arg(n);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray text;
  text += "[Desktop Entry]\nType=Application\n";
  const QString name = naming.name.isEmpty() ? QFileInfo(programPath).fileName() : naming.name;
  text += "Name=" + name.simplified().toUtf8() + "\n";
  text += "Exec=" + quoteExec(programPath).toUtf8() + "\n";
  if (!naming.icon.isEmpty()) text += "Icon=" + naming.icon.simplified().toUtf8() + "\n";
  text += QByteArray("Hidden=") + (hidden ? "true" : "false") + "\n";
  text += "X-GNOME-Autostart-enabled=true\n";
  file.write(text);
  return file.commit();
}

bool remove(int index) {
  const QFileInfoList files = entryFiles();
  if (index < 0 || index >= files.size()) return false;
  return QFile::remove(files.at(index).filePath());
}

bool urlNamesPlayer(const QString &url) {
  const QString unescaped = QUrl::fromPercentEncoding(url.toUtf8());
  return unescaped.contains(QLatin1String(PlayerMatchText), Qt::CaseInsensitive);
}

int indexOfPlayer(const QList<QVariantMap> &items) {
  for (int i = 0; i < items.size(); ++i)
    if (urlNamesPlayer(items.at(i).value(QStringLiteral("URL")).toString())) return i;
  return -1;
}

}  // namespace LoginItems
