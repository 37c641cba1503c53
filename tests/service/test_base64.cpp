#include "Base64.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using ZONSDataExtensions::base64EncodingWithLineLength;
using ZONSDataExtensions::dataWithBase64EncodedString;

namespace {

TEST(Base64Encoding, StandardAlphabetAndPadding) {
  EXPECT_EQ(base64EncodingWithLineLength("abc", 0), "YWJj");
  EXPECT_EQ(base64EncodingWithLineLength("ab", 0), "YWI=");
  EXPECT_EQ(base64EncodingWithLineLength("a", 0), "YQ==");
  EXPECT_EQ(base64EncodingWithLineLength(QByteArray(), 0), "");
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(char(b));
  EXPECT_EQ(base64EncodingWithLineLength(all, 0).toLatin1(), all.toBase64());
}

TEST(Base64Encoding, LineFeedAfterTheGroupThatReachesTheLineLength) {
  const QByteArray nine("abcabcabc");  // three groups "YWJj"
  const struct {
    int lineLength;
    QString expected;
  } cases[] = {
      {0, "YWJjYWJjYWJj"},       {-1, "YWJjYWJjYWJj"},  {3, "YWJj\nYWJj\nYWJj\n"},
      {4, "YWJj\nYWJj\nYWJj\n"}, {5, "YWJjYWJj\nYWJj"}, {8, "YWJjYWJj\nYWJj"},
      {12, "YWJjYWJjYWJj\n"},    {13, "YWJjYWJjYWJj"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(base64EncodingWithLineLength(nine, c.lineLength), c.expected) << c.lineLength;
  // The usual 76-character lines: 57 bytes fill one line exactly.
  const QString line = base64EncodingWithLineLength(QByteArray(57, 'x'), 76);
  EXPECT_EQ(line.size(), 77);
  EXPECT_TRUE(line.endsWith('\n'));
  EXPECT_EQ(line.count('\n'), 1);
}

TEST(Base64Decoding, SkipsForeignCharactersAndStopsAtTheFirstPad) {
  const struct {
    QString input;
    QByteArray expected;
  } cases[] = {
      {"YWJj", "abc"},
      {"YW Jj\n", "abc"},
      {"Y\tW*J!j\r\n", "abc"},
      {QStringLiteral("YW\u00e9Jj"), "abc"},
      // A character whose low byte is in the alphabet is still foreign.
      {QStringLiteral("YW\u0159Jj"), "abc"},
      {"YWI=", "ab"},
      {"YQ==", "a"},
      {"YWJjYQ==YWJj", "abca"},
      {"YWJj=YWJj", "abc"},
      {"=YWJj", ""},
      {"Y=", ""},
      // A short final group without "=" after it is dropped.
      {"YWI", ""},
      {"YWJjYWI", "abc"},
      {"YWJjY", "abc"},
      {"", ""},
      {QString(), ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(dataWithBase64EncodedString(c.input), c.expected) << c.input.toStdString();
}

TEST(Base64Coding, RoundTripAtEveryLineLength) {
  QRandomGenerator random(4242);
  for (int size = 0; size < 70; ++size) {
    QByteArray data(size, Qt::Uninitialized);
    for (char &b : data) b = char(random.bounded(256));
    for (int lineLength : {0, 1, 4, 7, 64, 76}) {
      EXPECT_EQ(dataWithBase64EncodedString(base64EncodingWithLineLength(data, lineLength)), data)
          << size << " " << lineLength;
    }
  }
}

}  // namespace
