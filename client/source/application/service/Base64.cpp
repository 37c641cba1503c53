#include "Base64.h"

#include <array>

namespace ZONSDataExtensions {

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Character -> 6-bit value, -1 for characters outside the alphabet.
constexpr std::array<signed char, 128> makeDecodeTable() {
  std::array<signed char, 128> table{};
  for (auto &v : table) v = -1;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(Alphabet[i])] = char(i);
  return table;
}
constexpr std::array<signed char, 128> DecodeTable = makeDecodeTable();

}  // namespace

QByteArray dataWithBase64EncodedString(const QString &text) {
  QByteArray out;
  out.reserve(text.size() / 4 * 3 + 3);
  quint32 group = 0;  // the 6-bit values of the current group, oldest highest
  int count = 0;      // characters in the current group
  bool sawPadding = false;
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c == u'=') {
      sawPadding = true;
      break;
    }
    if (c >= 128 || DecodeTable[c] < 0) continue;
    group = (group << 6) | quint32(DecodeTable[c]);
    if (++count == 4) {
      out.append(char((group >> 16) & 0xFF));
      out.append(char((group >> 8) & 0xFF));
      out.append(char(group & 0xFF));
      group = 0;
      count = 0;
    }
  }
  if (sawPadding) {
    if (count == 2) {
      out.append(char((group >> 4) & 0xFF));
    } else if (count == 3) {
      out.append(char((group >> 10) & 0xFF));
      out.append(char((group >> 2) & 0xFF));
    }
  }
  return out;
}

QString base64EncodingWithLineLength(const QByteArray &data, int lineLength) {
  QString out;
  const qsizetype groups = (data.size() + 2) / 3;
  out.reserve(groups * 4 + (lineLength > 0 ? groups * 4 / lineLength + 1 : 0));
  const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
  const qsizetype n = data.size();
  int sinceBreak = 0;
  for (qsizetype i = 0; i < n; i += 3) {
    const qsizetype left = n - i;
    const quint32 value = (quint32(bytes[i]) << 16) | (left > 1 ? quint32(bytes[i + 1]) << 8 : 0) |
                          (left > 2 ? quint32(bytes[i + 2]) : 0);
    out += QLatin1Char(Alphabet[(value >> 18) & 0x3F]);
    out += QLatin1Char(Alphabet[(value >> 12) & 0x3F]);
    out += left > 1 ? QLatin1Char(Alphabet[(value >> 6) & 0x3F]) : QLatin1Char('=');
    out += left > 2 ? QLatin1Char(Alphabet[value & 0x3F]) : QLatin1Char('=');
    sinceBreak += 4;
    if (lineLength > 0 && sinceBreak >= lineLength) {
      out += QLatin1Char('\n');
      sinceBreak = 0;
    }
  }
  return out;
}

}  // namespace ZONSDataExtensions
