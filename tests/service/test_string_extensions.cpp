#include "StringExtensions.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct TextCase {
  QString input;
  QString expected;
};

TEST(FormURLEncoding, EncodesEverythingButAsciiLettersAndDigits) {
  const TextCase cases[] = {
      {"a b&c", "a%20b%26c"},
      {"A-Z_0.9", "A%2DZ%5F0%2E9"},
      {"abcXYZ019", "abcXYZ019"},
      {"", ""},
      {"+", "%2B"},
      {QStringLiteral("\u00e9"), "%E9"},
      {QStringLiteral("\u4e2d"), "%4E2D"},
      {QStringLiteral("\u0100"), "%100"},
      // Code units below 0x10 get two digits, so that the escape cannot swallow
      // the character after it.
      {"\n", "%0A"},
      {QString(QChar(0)), "%00"},
      {"\nB", "%0AB"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(wwwFormURLEncoded(c.input), c.expected) << c.input.toStdString();
}

TEST(FormURLEncoding, EncodesNumbersInDecimal) {
  EXPECT_EQ(wwwFormURLEncoded(quint64(0)), "0");
  EXPECT_EQ(wwwFormURLEncoded(quint64(1234567890)), "1234567890");
  EXPECT_EQ(wwwFormURLEncoded(std::numeric_limits<quint64>::max()), "18446744073709551615");
}

TEST(FormURLDecoding, DecodesTwoDigitEscapesToOneCharacter) {
  const TextCase cases[] = {
      {"%41%42+", "AB+"},
      {"%e9", QStringLiteral("\u00e9")},
      {"%E9", QStringLiteral("\u00e9")},
      {"%4e%2D", "N-"},
      {"a%20b%26c", "a b&c"},
      {"%00", QString(QChar(0))},
      {"%ff", QStringLiteral("\u00ff")},
      // Only two digits belong to an escape: "%4E2D" is "N" then "2D".
      {"%4E2D", "N2D"},
      {"plain", "plain"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(wwwFormURLDecoded(c.input), c.expected) << c.input.toStdString();
}

TEST(FormURLDecoding, CopiesBadEscapesAndStaysInsideTheText) {
  const TextCase cases[] = {
      {"%", "%"},
      {"abc%", "abc%"},
      {"abc%4", "abc%4"},
      {"%4", "%4"},
      {"%G1", "%G1"},
      {"%1G", "%1G"},
      {"%%41", "%A"},
      {"%4%41", "%4A"},
      {"100%!", "100%!"},
      {"% 41", "% 41"},
      {QStringLiteral("%\u0661\u0662"), QStringLiteral("%\u0661\u0662")},  // non-ASCII digits
  };
  for (const auto &c : cases)
    EXPECT_EQ(wwwFormURLDecoded(c.input), c.expected) << c.input.toStdString();
  // A lone "%" at the very end of a longer text must not read past it.
  QString text(1000, QChar(u'x'));
  text += u'%';
  EXPECT_EQ(wwwFormURLDecoded(text), text);
}

TEST(FormURLCoding, DecodeUndoesEncodeForEveryLatin1Text) {
  QString all;
  for (int c = 0; c < 256; ++c) all += QChar(c);
  EXPECT_EQ(wwwFormURLDecoded(wwwFormURLEncoded(all)), all);
  // Every low code unit followed by a hexadecimal digit.
  for (int c = 0; c < 16; ++c) {
    const QString text = QString(QChar(c)) + "F0";
    EXPECT_EQ(wwwFormURLDecoded(wwwFormURLEncoded(text)), text) << c;
  }
}

TEST(UnsignedLongLongValue, ReadsLikeTheCLibrary) {
  constexpr quint64 max = std::numeric_limits<quint64>::max();
  const struct {
    QString input;
    quint64 expected;
  } cases[] = {
      {"123", 123},
      {"  42abc", 42},
      {"\t\n 5", 5},
      {"+7", 7},
      {"-1", max},
      {"-0", 0},
      {"abc", 0},
      {"", 0},
      {"12 34", 12},
      {"18446744073709551615", max},
      {"18446744073709551616", max},
      {"99999999999999999999999", max},
      {"-99999999999999999999999", max},
      {QString("1") + QChar(0) + "2", 1},
      {"0x10", 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(unsignedLongLongValue(c.input), c.expected) << c.input.toStdString();
}

TEST(IntegerNumber, NothingOnlyForEmptyText) {
  EXPECT_FALSE(integerNumber("").has_value());
  EXPECT_FALSE(integerNumber(QString()).has_value());
  const struct {
    QString input;
    qint64 expected;
  } cases[] = {
      {"abc", 0},
      {"42", 42},
      {"-42", -42},
      {"  7", 7},
      {"12abc", 12},
      {"9223372036854775807", std::numeric_limits<qint64>::max()},
      {"9223372036854775808", std::numeric_limits<qint64>::max()},
      {"-9223372036854775808", std::numeric_limits<qint64>::min()},
      {"-99999999999999999999", std::numeric_limits<qint64>::min()},
  };
  for (const auto &c : cases) {
    const auto value = integerNumber(c.input);
    ASSERT_TRUE(value.has_value()) << c.input.toStdString();
    EXPECT_EQ(*value, c.expected) << c.input.toStdString();
  }
}

TEST(SqlEscape, DoublesEveryApostrophe) {
  EXPECT_EQ(sqlEscape("O'Brien"), "O''Brien");
  EXPECT_EQ(sqlEscape("''"), "''''");
  EXPECT_EQ(sqlEscape("'; DROP TABLE Videos; --"), "''; DROP TABLE Videos; --");
  EXPECT_EQ(sqlEscape("plain"), "plain");
}

TEST(UrlParameter, PlainSubstringSearchUpToTheNextAmpersand) {
  const QString url = "zaro://x?command=ABC&rssUrl=u";
  EXPECT_EQ(Utilities::parameter("command", url), "ABC");
  EXPECT_EQ(Utilities::parameter("rssUrl", url), "u");
  EXPECT_TRUE(Utilities::parameter("absent", url).isNull());
  // The name matches the start of a longer parameter name.
  EXPECT_EQ(Utilities::parameter("permalinkId", "zaro://x?permalinkIds=a,b"), "a,b");
  // Not decoded; everything after the first "=" up to "&".
  EXPECT_EQ(Utilities::parameter("rssUrl", "zaro://x?rssUrl=http%3A%2F%2Fh%2Ff?a=b&c=d"),
            "http%3A%2F%2Fh%2Ff?a=b");
}

TEST(UrlParameter, MissingOrEmptyValues) {
  // An empty value is an empty text, not a missing one.
  const QString empty = Utilities::parameter("command", "zaro://x?command=&b=1");
  EXPECT_FALSE(empty.isNull());
  EXPECT_TRUE(empty.isEmpty());
  const QString atEnd = Utilities::parameter("command", "zaro://x?command=");
  EXPECT_FALSE(atEnd.isNull());
  EXPECT_TRUE(atEnd.isEmpty());
  // No "=" before the next "&": missing, even if a later parameter has one.
  EXPECT_TRUE(Utilities::parameter("command", "zaro://x?command&b=1").isNull());
  EXPECT_TRUE(Utilities::parameter("command", "zaro://x?a=1&command").isNull());
  EXPECT_TRUE(Utilities::parameter("command", "").isNull());
  // The first occurrence counts, even inside another parameter's name.
  EXPECT_EQ(Utilities::parameter("id", "zaro://x?videoid=5&id=7"), "5");
}

}  // namespace
