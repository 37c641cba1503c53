#include "ClientCipher.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

namespace ClientCipher {

namespace {

constexpr int kBlockBytes = 16;

// The key's 16 bytes, each raised by kKeyLift + kKeyLiftStep * position and the
// whole sequence reversed, kept as Base64.
constexpr char kKeyMaterial[] = "KRjsknHCngtLhxbkum8pHA==";
constexpr unsigned kKeyLift = 0x1d;
constexpr unsigned kKeyLiftStep = 0x0b;

// The initialisation vector is the progression kIvFirst, kIvFirst + kIvStep, ...
constexpr unsigned kIvFirst = 0x2f;
constexpr unsigned kIvStep = 0x13;

constexpr char kMarker[] = "ZaroPlayerLinx";
constexpr char kSeparator[] = ";1234567890;";
constexpr int kUuidLength = 36;

static_assert(sizeof(kMarker) - 1 == 14);
static_assert(sizeof(kSeparator) - 1 == 12);

QByteArray key() {
  const QByteArray stored = QByteArray::fromBase64(QByteArray(kKeyMaterial));
  QByteArray result(kBlockBytes, '\0');
  for (int i = 0; i < kBlockBytes; ++i) {
    const unsigned lowered = static_cast<unsigned char>(stored.at(i)) - kKeyLift - kKeyLiftStep * i;
    result[kBlockBytes - 1 - i] = static_cast<char>(lowered & 0xff);
  }
  return result;
}

QByteArray initializationVector() {
  QByteArray result(kBlockBytes, '\0');
  for (int i = 0; i < kBlockBytes; ++i)
    result[i] = static_cast<char>((kIvFirst + kIvStep * i) & 0xff);
  return result;
}

struct CipherContextFree {
  void operator()(EVP_CIPHER_CTX *context) const { EVP_CIPHER_CTX_free(context); }
};

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool looksLikeUuid(QByteArrayView text) {
  if (text.size() != kUuidLength) return false;
  for (int i = 0; i < kUuidLength; ++i) {
    const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphenPlace ? text[i] != '-' : !isHexDigit(text[i])) return false;
  }
  return true;
}

}  // namespace

QByteArray productMarker() { return QByteArray(kMarker); }

QByteArray guidSeparator() { return QByteArray(kSeparator); }

QByteArray guidPlainText(const QString &uuid) { return uuid.toUtf8() + kSeparator + kMarker; }

std::optional<QByteArray> crypt(const QByteArray &bytes, bool encipher) {
  // EVP counts in int; the output may grow by one block.
  if (bytes.size() > INT_MAX - kBlockBytes) return std::nullopt;

  std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
  if (!context) return std::nullopt;

  const QByteArray cipherKey = key();
  const QByteArray iv = initializationVector();
  if (EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                        reinterpret_cast<const unsigned char *>(cipherKey.constData()),
                        reinterpret_cast<const unsigned char *>(iv.constData()),
                        encipher ? 1 : 0) != 1)
    return std::nullopt;
  if (EVP_CIPHER_CTX_set_padding(context.get(), 1) != 1) return std::nullopt;

  QByteArray output(bytes.size() + kBlockBytes, '\0');
  auto *out = reinterpret_cast<unsigned char *>(output.data());
  int written = 0;
  if (EVP_CipherUpdate(context.get(), out, &written,
                       reinterpret_cast<const unsigned char *>(bytes.constData()),
                       static_cast<int>(bytes.size())) != 1)
    return std::nullopt;
  int finalWritten = 0;
  if (EVP_CipherFinal_ex(context.get(), out + written, &finalWritten) != 1) return std::nullopt;
  output.truncate(written + finalWritten);
  return output;
}

std::optional<QString> encryptedGuid(const QString &uuid) {
  const std::optional<QByteArray> cipherText = crypt(guidPlainText(uuid), true);
  if (!cipherText) return std::nullopt;
  return QString::fromLatin1(cipherText->toBase64());
}

std::optional<QString> uuidFromGuid(QByteArrayView base64) {
  const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
      base64.toByteArray(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded || decoded.decoded.isEmpty()) return std::nullopt;

  const std::optional<QByteArray> plain = crypt(decoded.decoded, false);
  if (!plain) return std::nullopt;

  const QByteArray suffix = guidSeparator() + productMarker();
  if (plain->size() != kUuidLength + suffix.size() || !plain->endsWith(suffix)) return std::nullopt;
  const QByteArrayView uuid = QByteArrayView(*plain).first(kUuidLength);
  if (!looksLikeUuid(uuid)) return std::nullopt;
  return QString::fromLatin1(uuid);
}

}  // namespace ClientCipher
