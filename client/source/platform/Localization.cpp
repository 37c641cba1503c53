#include "Localization.h"

#include <algorithm>
#include <cmath>

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

namespace {

// One conversion's flags, width and precision ("%-8.2f": left, 8, 2).
struct FormatSpec {
  bool left = false, zero = false, plus = false, space = false;
  int width = 0;
  int precision = -1;  // none given
};

// Pads a converted value to the conversion's width: blanks on the left (or on the
// right with "-"), zeros after the sign for numbers with "0".
QString padded(QString text, const FormatSpec &spec, bool numeric) {
  const qsizetype missing = spec.width - text.size();
  if (missing <= 0) return text;
  if (spec.left) return text + QString(missing, u' ');
  if (numeric && spec.zero) {
    const qsizetype sign = !text.isEmpty() && (text[0] == u'-' || text[0] == u'+' || text[0] == u' ');
    return text.insert(sign, QString(missing, u'0'));
  }
  return QString(missing, u' ') + text;
}

QString signed_(QString digits, bool negative, const FormatSpec &spec) {
  if (negative) return u'-' + digits;
  if (spec.plus) return u'+' + digits;
  if (spec.space) return u' ' + digits;
  return digits;
}

// At least `precision` digits, as printf gives integers.
QString minimumDigits(QString digits, int precision) {
  if (precision >= 0 && digits.size() < precision)
    digits.prepend(QString(precision - digits.size(), u'0'));
  return digits;
}

}  // namespace

QString formatString(const QString &format, const QVariantList &args) {
  QString out;
  out.reserve(format.size() + 16);
  int next = 0;
  auto take = [&]() -> QVariant { return next < args.size() ? args.at(next++) : QVariant(); };
  auto digitAt = [&](qsizetype k) { return k < format.size() && format.at(k).isDigit(); };
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
    FormatSpec spec;
    for (; j < format.size(); ++j) {
      const QChar flag = format.at(j);
      if (flag == u'-')
        spec.left = true;
      else if (flag == u'0')
        spec.zero = true;
      else if (flag == u'+')
        spec.plus = true;
      else if (flag == u' ')
        spec.space = true;
      else if (flag != u'#')
        break;
    }
    // Widths and precisions beyond a few digits are not a text's business.
    for (; digitAt(j); ++j) spec.width = std::min(spec.width * 10 + format.at(j).digitValue(), 999);
    if (j < format.size() && format.at(j) == u'.') {
      spec.precision = 0;
      for (++j; digitAt(j); ++j)
        spec.precision = std::min(spec.precision * 10 + format.at(j).digitValue(), 99);
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
        QString text = v.isValid() ? v.toString() : QStringLiteral("(null)");
        if (spec.precision >= 0) text.truncate(spec.precision);
        out += padded(text, spec, false);
        break;
      }
      case 'd':
      case 'i': {
        const qlonglong value = take().toLongLong();
        // The magnitude as unsigned, so that the smallest value keeps its digits.
        const qulonglong magnitude = value < 0 ? 0 - qulonglong(value) : qulonglong(value);
        out += padded(signed_(minimumDigits(QString::number(magnitude), spec.precision), value < 0,
                              spec),
                      spec, spec.precision < 0);
        break;
      }
      case 'u':
        out += padded(minimumDigits(QString::number(take().toULongLong()), spec.precision), spec,
                      spec.precision < 0);
        break;
      case 'f': {
        const double value = take().toDouble();
        const int precision = spec.precision < 0 ? 6 : spec.precision;
        if (!std::isfinite(value)) {
          out += padded(std::isnan(value) ? QStringLiteral("nan")
                                          : signed_(QStringLiteral("inf"), value < 0, spec),
                        spec, false);
          break;
        }
        QString digits = QString::number(std::abs(value), 'f', precision);
        out += padded(signed_(digits, std::signbit(value), spec), spec, true);
        break;
      }
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
