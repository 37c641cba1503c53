// Base64: decoding any text must be safe and bounded, and every byte sequence
// must come back unchanged from its encoding at any line length.
#include "Base64.h"

#include <QList>

#include <cstdint>
#include <cstdlib>

using ZONSDataExtensions::base64EncodingWithLineLength;
using ZONSDataExtensions::dataWithBase64EncodedString;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

  // Arbitrary text, read as Latin-1 and as UTF-16 code units.
  const QString latin1 = QString::fromLatin1(bytes);
  if (dataWithBase64EncodedString(latin1).size() > latin1.size() / 4 * 3 + 2) abort();
  const QString utf16(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
  if (dataWithBase64EncodedString(utf16).size() > utf16.size() / 4 * 3 + 2) abort();

  // Round trip, the line length taken from the first byte.
  const int lineLength = size > 0 ? data[0] % 90 : 0;
  const QString encoded = base64EncodingWithLineLength(bytes, lineLength);
  if (dataWithBase64EncodedString(encoded) != bytes) abort();
  if (lineLength == 0 && encoded.toLatin1() != bytes.toBase64()) abort();
  for (const QStringView line : QStringView(encoded).split(u'\n')) {
    if (lineLength > 0 && line.size() >= lineLength + 4) abort();
  }
  return 0;
}
