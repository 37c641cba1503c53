#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "ClientCipher.h"

namespace {

const QString kUuid = QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301");

TEST(ClientCipher, GuidTextHasTheFixedShapeAndReadsBack) {
  for (const QString &uuid : {kUuid, QStringLiteral("00000000-0000-0000-0000-000000000000"),
                              QStringLiteral("a1b2c3d4-e5f6-4789-8abc-def012345678")}) {
    SCOPED_TRACE(uuid.toStdString());
    EXPECT_EQ(ClientCipher::guidPlainText(uuid).size(), 62);
    const std::optional<QString> guid = ClientCipher::encryptedGuid(uuid);
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->size(), 88);
    EXPECT_EQ(ClientCipher::uuidFromGuid(guid->toLatin1()), uuid);
  }
}

// GUIDs already stored by installed players must stay readable: the key, the
// vector and the marker may never change. (The expected text was made with the
// openssl command line from the key and vector, independently of this code.)
TEST(ClientCipher, KnownGuidStaysTheSame) {
  const QString expected = QStringLiteral(
      "l7go1VBCbOnPzrppJsNVcuUv/pg4rU7cs823+hFvusrafg8vh94d7majQjoQBLHN1b7OZiI6yX3sopjcQu9wCQ==");
  EXPECT_EQ(ClientCipher::encryptedGuid(kUuid), expected);
  EXPECT_EQ(ClientCipher::uuidFromGuid(expected.toLatin1()), kUuid);
}

TEST(ClientCipher, CryptRoundTripsAnyLengthWithPadding) {
  for (const int length : {0, 1, 15, 16, 17, 62, 1000}) {
    SCOPED_TRACE(length);
    QByteArray plain(length, '\0');
    for (int i = 0; i < length; ++i) plain[i] = static_cast<char>(i * 7 + 3);
    const std::optional<QByteArray> cipher = ClientCipher::crypt(plain, true);
    ASSERT_TRUE(cipher);
    EXPECT_EQ(cipher->size(), (length / 16 + 1) * 16);  // PKCS#7 always adds padding
    if (length > 0) {
      EXPECT_NE(cipher->left(length), plain);
    }
    EXPECT_EQ(ClientCipher::crypt(*cipher, false), plain);
  }
}

TEST(ClientCipher, DecipheringMalformedCipherTextFails) {
  const QByteArray whole = *ClientCipher::crypt("some text", true);
  for (const QByteArray &cipher : {QByteArray(), whole.left(15), whole + "x"}) {
    SCOPED_TRACE(cipher.toHex().toStdString());
    EXPECT_EQ(ClientCipher::crypt(cipher, false), std::nullopt);
  }
}

TEST(ClientCipher, OnlyGuidsOfTheRightFormAreRead) {
  const auto guidOf = [](const QByteArray &plain) {
    return ClientCipher::crypt(plain, true)->toBase64();
  };
  const QByteArray uuid = kUuid.toLatin1();
  const QByteArray good = guidOf(ClientCipher::guidPlainText(kUuid));
  const struct {
    const char *name;
    QByteArray guid;
  } cases[] = {
      {"empty", QByteArray()},
      {"not Base64", "!!not*base64!!"},
      {"Base64 with junk inside", good.left(40) + "*" + good.mid(40)},
      {"cut short", good.left(64)},
      {"not cipher text of ours", QByteArray(64, 'A')},
      {"other marker", guidOf(uuid + ";1234567890;OtherProductXX")},
      {"other separator", guidOf(uuid + ";0000000000;" + ClientCipher::productMarker())},
      {"no UUID", guidOf("not-a-uuid-but-just-as-long-as-one!!" + ClientCipher::guidSeparator() +
                         ClientCipher::productMarker())},
      {"extra text", guidOf(ClientCipher::guidPlainText(kUuid) + "x")},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClientCipher::uuidFromGuid(c.guid), std::nullopt);
  }
  EXPECT_EQ(ClientCipher::uuidFromGuid(good), kUuid);
}

}  // namespace
