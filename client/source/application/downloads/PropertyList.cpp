#include "PropertyList.h"

#include <QStringList>

namespace PropertyList {

namespace {

constexpr int kMaxDepth = 512;
const QString kIndent = QStringLiteral("    ");

bool isUnquotedCharacter(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
         u == '$' || u == '+' || u == '/' || u == ':' || u == '.' || u == '-';
}

QString quotedString(const QString &text) {
  bool plain = !text.isEmpty();
  for (QChar c : text) {
    if (!isUnquotedCharacter(c)) {
      plain = false;
      break;
    }
  }
  if (plain) return text;

  QString out;
  out.reserve(text.size() + 2);
  out += QLatin1Char('"');
  for (QChar c : text) {
    const char16_t u = c.unicode();
    switch (u) {
      case '"':
        out += QLatin1String("\\\"");
        break;
      case '\\':
        out += QLatin1String("\\\\");
        break;
      case '\a':
        out += QLatin1String("\\a");
        break;
      case '\b':
        out += QLatin1String("\\b");
        break;
      case '\f':
        out += QLatin1String("\\f");
        break;
      case '\n':
        out += QLatin1String("\\n");
        break;
      case '\r':
        out += QLatin1String("\\r");
        break;
      case '\t':
        out += QLatin1String("\\t");
        break;
      case '\v':
        out += QLatin1String("\\v");
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out += QStringLiteral("\\%1").arg(uint(u), 3, 8, QLatin1Char('0'));
        } else if (u > 0x7F) {
          out += QStringLiteral("\\U%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
          out += c;
        }
    }
  }
  out += QLatin1Char('"');
  return out;
}

void writeValue(const QVariant &value, int depth, QString &out);

void writeDictionary(const QVariantMap &map, int depth, QString &out) {
  out += QLatin1String("{\n");
  for (auto it = map.cbegin(); it != map.cend(); ++it) {  // QVariantMap is sorted by key
    for (int i = 0; i <= depth; ++i) out += kIndent;
    out += quotedString(it.key());
    out += QLatin1String(" = ");
    writeValue(it.value(), depth + 1, out);
    out += QLatin1String(";\n");
  }
  for (int i = 0; i < depth; ++i) out += kIndent;
  out += QLatin1Char('}');
}

void writeArray(const QVariantList &list, int depth, QString &out) {
  out += QLatin1String("(\n");
  for (qsizetype n = 0; n < list.size(); ++n) {
    for (int i = 0; i <= depth; ++i) out += kIndent;
    writeValue(list.at(n), depth + 1, out);
    if (n + 1 < list.size()) out += QLatin1Char(',');
    out += QLatin1Char('\n');
  }
  for (int i = 0; i < depth; ++i) out += kIndent;
  out += QLatin1Char(')');
}

void writeValue(const QVariant &value, int depth, QString &out) {
  switch (value.typeId()) {
    case QMetaType::QVariantMap:
      writeDictionary(value.toMap(), depth, out);
      return;
    case QMetaType::QVariantHash: {
      const QVariantHash hash = value.toHash();
      QVariantMap map;
      for (auto it = hash.cbegin(); it != hash.cend(); ++it) map.insert(it.key(), it.value());
      writeDictionary(map, depth, out);
      return;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
      writeArray(value.toList(), depth, out);
      return;
    case QMetaType::QByteArray:
      out += QLatin1Char('<') + QString::fromLatin1(value.toByteArray().toHex()) + QLatin1Char('>');
      return;
    default:
      out += quotedString(value.toString());
  }
}

// A recursive-descent reader over the whole text.
class Reader {
 public:
  explicit Reader(const QString &text) : fText(text) {}

  std::optional<QVariant> readDocument() {
    std::optional<QVariant> value = readValue(0);
    if (!value || !skipSpace() || fPos != fText.size()) return std::nullopt;
    return value;
  }

 private:
  bool atEnd() const { return fPos >= fText.size(); }
  QChar peek() const { return fText.at(fPos); }

  // Skips blanks and comments; false for a comment that never ends.
  bool skipSpace() {
    while (!atEnd()) {
      const QChar c = peek();
      if (c.isSpace()) {
        ++fPos;
      } else if (c == QLatin1Char('/') && fPos + 1 < fText.size() &&
                 fText.at(fPos + 1) == QLatin1Char('/')) {
        while (!atEnd() && peek() != QLatin1Char('\n') && peek() != QLatin1Char('\r')) ++fPos;
      } else if (c == QLatin1Char('/') && fPos + 1 < fText.size() &&
                 fText.at(fPos + 1) == QLatin1Char('*')) {
        const qsizetype end = fText.indexOf(QLatin1String("*/"), fPos + 2);
        if (end < 0) return false;
        fPos = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  std::optional<QVariant> readValue(int depth) {
    if (depth > kMaxDepth || !skipSpace() || atEnd()) return std::nullopt;
    const QChar c = peek();
    if (c == QLatin1Char('{')) return readDictionary(depth);
    if (c == QLatin1Char('(')) return readArray(depth);
    if (c == QLatin1Char('<')) return readData();
    std::optional<QString> string = readString();
    if (!string) return std::nullopt;
    return QVariant(*string);
  }

  std::optional<QVariant> readDictionary(int depth) {
    ++fPos;  // "{"
    QVariantMap map;
    while (true) {
      if (!skipSpace() || atEnd()) return std::nullopt;
      if (peek() == QLatin1Char('}')) {
        ++fPos;
        return QVariant(map);
      }
      std::optional<QString> key = readString();
      if (!key || !skipSpace() || atEnd() || peek() != QLatin1Char('=')) return std::nullopt;
      ++fPos;
      std::optional<QVariant> value = readValue(depth + 1);
      if (!value || !skipSpace() || atEnd() || peek() != QLatin1Char(';')) return std::nullopt;
      ++fPos;
      map.insert(*key, *value);
    }
  }

  std::optional<QVariant> readArray(int depth) {
    ++fPos;  // "("
    QVariantList list;
    if (!skipSpace() || atEnd()) return std::nullopt;
    if (peek() == QLatin1Char(')')) {
      ++fPos;
      return QVariant(list);
    }
    while (true) {
      std::optional<QVariant> value = readValue(depth + 1);
      if (!value || !skipSpace() || atEnd()) return std::nullopt;
      list.append(*value);
      if (peek() == QLatin1Char(',')) {
        ++fPos;
        // A trailing comma before ")" is allowed.
        if (!skipSpace() || atEnd()) return std::nullopt;
        if (peek() == QLatin1Char(')')) {
          ++fPos;
          return QVariant(list);
        }
      } else if (peek() == QLatin1Char(')')) {
        ++fPos;
        return QVariant(list);
      } else {
        return std::nullopt;
      }
    }
  }

  std::optional<QVariant> readData() {
    ++fPos;  // "<"
    QByteArray hex;
    while (!atEnd() && peek() != QLatin1Char('>')) {
      const QChar c = peek();
      ++fPos;
      if (c.isSpace()) continue;
      if (hexValue(c) < 0) return std::nullopt;
      hex += char(c.unicode());
    }
    if (atEnd() || hex.size() % 2 != 0) return std::nullopt;
    ++fPos;  // ">"
    return QVariant(QByteArray::fromHex(hex));
  }

  std::optional<QString> readString() {
    if (atEnd()) return std::nullopt;
    if (peek() == QLatin1Char('"')) return readQuotedString();
    const qsizetype start = fPos;
    while (!atEnd() && isUnquotedCharacter(peek())) ++fPos;
    if (fPos == start) return std::nullopt;
    return fText.mid(start, fPos - start);
  }

  static int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
  }

  std::optional<QString> readQuotedString() {
    ++fPos;  // opening quote
    QString out;
    while (true) {
      if (atEnd()) return std::nullopt;
      const QChar c = peek();
      ++fPos;
      if (c == QLatin1Char('"')) return out;
      if (c != QLatin1Char('\\')) {
        out += c;
        continue;
      }
      if (atEnd()) return std::nullopt;
      const QChar e = peek();
      ++fPos;
      switch (e.unicode()) {
        case 'a':
          out += QLatin1Char('\a');
          break;
        case 'b':
          out += QLatin1Char('\b');
          break;
        case 'f':
          out += QLatin1Char('\f');
          break;
        case 'n':
          out += QLatin1Char('\n');
          break;
        case 'r':
          out += QLatin1Char('\r');
          break;
        case 't':
          out += QLatin1Char('\t');
          break;
        case 'v':
          out += QLatin1Char('\v');
          break;
        case 'U': {
          uint code = 0;
          int digits = 0;
          while (digits < 4 && !atEnd() && hexValue(peek()) >= 0) {
            code = code * 16 + uint(hexValue(peek()));
            ++fPos;
            ++digits;
          }
          if (digits == 0) return std::nullopt;
          out += QChar(char16_t(code));
          break;
        }
        default:
          if (e.unicode() >= '0' && e.unicode() <= '7') {
            uint code = e.unicode() - '0';
            int digits = 1;
            while (digits < 3 && !atEnd() && peek().unicode() >= '0' && peek().unicode() <= '7') {
              code = code * 8 + (peek().unicode() - '0');
              ++fPos;
              ++digits;
            }
            out += QChar(char16_t(code & 0xFF));
          } else {
            out += e;  // "\"", "\\" and any other character stand for themselves
          }
      }
    }
  }

  const QString &fText;
  qsizetype fPos = 0;
};

}  // namespace

QString write(const QVariant &value) {
  QString out;
  writeValue(value, 0, out);
  return out;
}

std::optional<QVariant> read(const QString &text) { return Reader(text).readDocument(); }

QString writeStrings(const QHash<QString, QString> &dictionary) {
  if (dictionary.isEmpty()) return QString(QLatin1String(""));
  QVariantMap map;
  for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
    map.insert(it.key(), it.value());
  return write(map);
}

std::optional<QHash<QString, QString>> readStrings(const QString &text) {
  QHash<QString, QString> result;
  if (text.trimmed().isEmpty()) return result;
  const std::optional<QVariant> value = read(text);
  if (!value || value->typeId() != QMetaType::QVariantMap) return std::nullopt;
  const QVariantMap map = value->toMap();
  for (auto it = map.cbegin(); it != map.cend(); ++it) {
    if (it.value().typeId() != QMetaType::QString) return std::nullopt;
    result.insert(it.key(), it.value().toString());
  }
  return result;
}

}  // namespace PropertyList
