#include "Localization.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QHash<QString, QString> &table() {
  static const QHash<QString, QString> strings = [] {
    QHash<QString, QString> result;
    QFile file(QStringLiteral(":/strings/en.json"));
    if (!file.open(QIODevice::ReadOnly)) return result;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = object.begin(); it != object.end(); ++it)
      result.insert(it.key(), it.value().toString());
    return result;
  }();
  return strings;
}

}  // namespace

QString localized(const QString &key) {
  auto it = table().constFind(key);
  return it == table().constEnd() ? key : it.value();
}

QString formatString(const QString &format, const QVariantList &args) {
  QString out;
  out.reserve(format.size() + 16);
  int next = 0;
  auto take = [&]() -> QVariant { return next < args.size() ? args.at(next++) : QVariant(); };
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format.at(i);
    if (c != u'%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    qsizetype j = i + 1;
    if (format.at(j) == u'%') {
      out += u'%';
      i = j;
      continue;
    }
    // Length modifiers we accept and ignore: l, ll, q.
    while (j < format.size() && (format.at(j) == u'l' || format.at(j) == u'q')) ++j;
    if (j >= format.size()) {
      out += format.mid(i);
      break;
    }
    const QChar conv = format.at(j);
    switch (conv.unicode()) {
      case '@':
      case 's': {
        const QVariant v = take();
        out += v.isValid() ? v.toString() : QStringLiteral("(null)");
        break;
      }
      case 'd':
      case 'i':
        out += QString::number(take().toLongLong());
        break;
      case 'u':
        out += QString::number(take().toULongLong());
        break;
      case 'f':
        out += QString::number(take().toDouble(), 'f', 6);
        break;
      default:
        out += format.mid(i, j - i + 1);
        break;
    }
    i = j;
  }
  return out;
}

QString localizedFormat(const QString &key, const QVariantList &args) {
  return formatString(localized(key), args);
}
