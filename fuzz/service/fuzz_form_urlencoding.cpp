// Form encoding: decoding any text must stay inside it, encoding must give
// only letters, digits and escapes, and decoding must undo encoding for every
// text whose code units are below 256.
#include "StringExtensions.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool isEncodedCharacter(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
         c == u'%';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

  const QString utf16(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
  const QString latin1 = QString::fromLatin1(bytes);
  for (const QString &text : {utf16, latin1}) {
    const QString decoded = wwwFormURLDecoded(text);
    if (decoded.size() > text.size()) abort();
    const QString encoded = wwwFormURLEncoded(text);
    for (const QChar c : encoded)
      if (!isEncodedCharacter(c)) abort();
  }
  if (wwwFormURLDecoded(wwwFormURLEncoded(latin1)) != latin1) abort();

  // The number readers on the same text.
  (void)unsignedLongLongValue(latin1);
  (void)integerNumber(utf16);
  (void)Utilities::parameter(latin1.left(4), latin1.mid(4));
  return 0;
}
