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

// Values of type string: "\s", "\n", "\t", "\r" and "\\" stand for a blank,
// a line break, a tab, a carriage return and a backslash.
const QString kEscapeLetters = QStringLiteral("sntr\\");
const QString kEscaped = QStringLiteral(" \n\t\r\\");

QString unescapeValue(const QString &value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value.at(i);
    const qsizetype k = i + 1 < value.size() && c == QLatin1Char('\\')
                            ? kEscapeLetters.indexOf(value.at(i + 1))
                            : -1;
    if (k < 0) {
      out += c;  // a backslash that begins no escape is kept as written
    } else {
      out += kEscaped.at(k);
      ++i;
    }
  }
  return out;
}

QString escapeValue(const QString &value) {
  QString out;
  out.reserve(value.size() + 8);
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value.at(i);
    // Readers drop blanks at either end of a value; inside it they stay.
    const bool blankAtEnd = c == QLatin1Char(' ') && (i == 0 || i + 1 == value.size());
    const qsizetype k = c == QLatin1Char(' ') && !blankAtEnd ? -1 : kEscaped.indexOf(c);
    if (k < 0) {
      out += c;
    } else {
      out += QLatin1Char('\\');
      out += kEscapeLetters.at(k);
    }
  }
  return out;
}

// The arguments of an Exec value (after unescapeValue): split at blanks
// outside quotes; inside double quotes a backslash takes the next character
// as it is, as it does outside quotes; single quotes take everything up to
// the next one as it is. "%%" is a percent sign; field codes ("%u", "%F", ...)
// standing alone name no argument of the program and are left out.
QStringList execArguments(const QString &exec) {
  QStringList arguments;
  QString current;
  bool inArgument = false;
  for (qsizetype i = 0; i < exec.size(); ++i) {
    const QChar c = exec.at(i);
    if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
      if (inArgument) arguments << current;
      current.clear();
      inArgument = false;
      continue;
    }
    inArgument = true;
    if (c == QLatin1Char('"')) {
      for (++i; i < exec.size() && exec.at(i) != QLatin1Char('"'); ++i) {
        if (exec.at(i) == QLatin1Char('\\') && i + 1 < exec.size()) ++i;
        current += exec.at(i);
      }
    } else if (c == QLatin1Char('\'')) {
      for (++i; i < exec.size() && exec.at(i) != QLatin1Char('\''); ++i) current += exec.at(i);
    } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
      current += exec.at(++i);
    } else {
      current += c;
    }
  }
  if (inArgument) arguments << current;
  QStringList program;
  for (const QString &argument : std::as_const(arguments)) {
    if (argument.size() == 2 && argument.at(0) == QLatin1Char('%') &&
        QStringLiteral("fFuUickdDnNvm").contains(argument.at(1)))
      continue;
    QString plain = argument;
    program << plain.replace(QStringLiteral("%%"), QStringLiteral("%"));
  }
  return program;
}

// The program an entry starts: the first argument of its Exec line, or, when
// that is env(1), the command env runs once its options and NAME=VALUE
// settings are passed over ("env LANG=C /usr/bin/zaro-player").
QString programOf(const QString &execValue) {
  QStringList arguments = execArguments(unescapeValue(execValue));
  while (!arguments.isEmpty() && QFileInfo(arguments.first()).fileName() == QLatin1String("env")) {
    arguments.removeFirst();
    while (!arguments.isEmpty()) {
      const QString argument = arguments.first();
      if (argument == QLatin1String("-u") || argument == QLatin1String("-C") ||
          argument == QLatin1String("--unset") || argument == QLatin1String("--chdir")) {
        arguments.removeFirst();  // the option's value follows it
        if (!arguments.isEmpty()) arguments.removeFirst();
      } else if (argument.startsWith(QLatin1String("-S")) ||
                 argument == QLatin1String("--split-string") ||
                 argument.startsWith(QLatin1String("--split-string="))) {
        // The rest of the command comes as one argument, to be split at blanks.
        arguments.removeFirst();
        QString split;
        if (argument.startsWith(QLatin1String("--split-string=")))
          split = argument.section(QLatin1Char('='), 1);
        else if (argument.startsWith(QLatin1String("-S")) && argument.size() > 2)
          split = argument.mid(2);
        else if (!arguments.isEmpty())
          split = arguments.takeFirst();
        arguments = execArguments(split) + arguments;
      } else if (argument.startsWith(QLatin1Char('-'))) {
        arguments.removeFirst();  // -i, -0, -v, --unset=NAME, "-" ...
      } else if (argument.indexOf(QLatin1Char('=')) > 0) {
        arguments.removeFirst();  // NAME=VALUE
      } else {
        break;
      }
    }
  }
  return arguments.isEmpty() ? QString() : arguments.first();
}

QVariantMap readEntry(const QString &path) {
  QFile file(path);
  QString program;
  bool hidden = false;
  bool tryExec = false;
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
      else if (key == QLatin1String("TryExec"))
        tryExec = !value.isEmpty();
      else if (key == QLatin1String("Hidden"))
        hidden = hidden || value == QLatin1String("true");
      else if (key == QLatin1String("X-GNOME-Autostart-enabled"))
        hidden = hidden || value == QLatin1String("false");
    }
  }
  if (program.isEmpty()) program = path;  // an entry without a program is named by its file
  return {{QStringLiteral("URL"), QUrl::fromLocalFile(program).toString()},
          {QStringLiteral("Hidden"), hidden},
          {QStringLiteral("TryExec"), tryExec}};
}

// One argument of an Exec value, quoted: inside double quotes " ` $ and \ are
// taken as they are when a backslash comes first; a percent sign is doubled.
QString quoteExec(const QString &path) {
  QString quoted = QStringLiteral("\"");
  for (const QChar c : path) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
    if (c == QLatin1Char('%')) quoted += c;
  }
  return quoted + QLatin1Char('"');
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
  text += "Name=" + escapeValue(name.simplified()).toUtf8() + "\n";
  text += "Exec=" + escapeValue(quoteExec(programPath)).toUtf8() + "\n";
  // Once the program is gone (the package removed) the desktop passes the
  // entry over instead of failing to start it at every log-in.
  text += "TryExec=" + escapeValue(programPath).toUtf8() + "\n";
  if (!naming.icon.isEmpty())
    text += "Icon=" + escapeValue(naming.icon.simplified()).toUtf8() + "\n";
  text += QByteArray("Hidden=") + (hidden ? "true" : "false") + "\n";
  text += "X-GNOME-Autostart-enabled=true\n";
  file.write(text);
  return file.commit();
}

bool addTryExec(int index) {
  const QFileInfoList files = entryFiles();
  if (index < 0 || index >= files.size()) return false;
  const QString path = files.at(index).filePath();
  const QVariantMap item = readEntry(path);
  if (item.value(QStringLiteral("TryExec")).toBool()) return true;
  const QString program = QUrl(item.value(QStringLiteral("URL")).toString()).toLocalFile();
  if (program.isEmpty() || program == path) return false;  // no program to name
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QList<QByteArray> lines = file.readAll().split('\n');
  file.close();
  // The line goes right after the entry's Exec line; the rest stays as it is.
  QByteArray text;
  bool inEntry = false;
  bool added = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArray &line = lines.at(i);
    text += line;
    if (i + 1 < lines.size()) text += '\n';
    const QByteArray trimmed = line.trimmed();
    if (trimmed.startsWith('[')) inEntry = trimmed == "[Desktop Entry]";
    if (inEntry && !added && trimmed.startsWith("Exec") &&
        trimmed.mid(4).trimmed().startsWith('=')) {
      if (i + 1 == lines.size()) text += '\n';
      text += "TryExec=" + escapeValue(program).toUtf8() + '\n';
      added = true;
    }
  }
  if (!added) return false;
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(text);
  return out.commit();
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
