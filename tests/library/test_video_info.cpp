// VideoInfo: a compact row that must answer exactly as a string dictionary
// would, whichever way it was put together.

#include "QtPrinters.h"
#include "VideoInfo.h"

#include <gtest/gtest.h>

#include <QSet>

#include <array>
#include <functional>

namespace {

// Checks every reading of the row against a dictionary holding the same
// entries.
void expectSameAs(const VideoInfo &info, const SqlRow &reference, const char *label) {
  SCOPED_TRACE(label);
  EXPECT_EQ(info.size(), reference.size());
  EXPECT_EQ(info.isEmpty(), reference.isEmpty());
  const QStringList keys = info.keys();
  EXPECT_EQ(keys.size(), reference.size());
  EXPECT_EQ(QSet<QString>(keys.cbegin(), keys.cend()),
            QSet<QString>(reference.keyBegin(), reference.keyEnd()));
  EXPECT_EQ(info.toSqlRow(), reference);
  EXPECT_EQ(info, VideoInfo(reference));
  const QStringList probes = {"id",    "TITLE", "PATH",  "RATING", "DATE_VIEWED", "ResumePlayPos",
                              "title", "Name",  "extra", ""};
  for (const QString &key : probes) {
    SCOPED_TRACE(key.toStdString());
    EXPECT_EQ(info.contains(key), reference.contains(key));
    EXPECT_EQ(info.value(key), reference.value(key));
    EXPECT_EQ(info.value(key).isNull(), reference.value(key).isNull());
    EXPECT_EQ(info.value(key, "fallback"), reference.value(key, "fallback"));
    EXPECT_EQ(info[key], reference.value(key));
    const std::optional<QString> stored = info.lookup(key);
    ASSERT_EQ(stored.has_value(), reference.contains(key));
    if (stored) {
      EXPECT_EQ(*stored, reference.value(key));
    }
  }
}

}  // namespace

TEST(VideoInfo, AnswersLikeADictionaryAfterEveryKindOfChange) {
  struct Case {
    const char *label;
    std::function<void(VideoInfo &, SqlRow &)> change;
  };
  const Case cases[] = {
      {"nothing", [](VideoInfo &, SqlRow &) {}},
      {"a Videos column",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("TITLE", "Show");
         r.insert("TITLE", "Show");
       }},
      {"a key outside the table",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("extra", "x");
         r.insert("extra", "x");
       }},
      {"outside first, then a column",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("Name", "n");
         i.insert("id", "7");
         r.insert("Name", "n");
         r.insert("id", "7");
       }},
      {"names differing only in case",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("title", "lower");
         i.insert("TITLE", "upper");
         r.insert("title", "lower");
         r.insert("TITLE", "upper");
       }},
      {"empty and null values are values",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("PATH", "");
         i.insert("RATING", QString());
         i.insert("", "blank key");
         r.insert("PATH", "");
         r.insert("RATING", QString());
         r.insert("", "blank key");
       }},
      {"overwrite",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("TITLE", "a");
         i.insert("TITLE", "b");
         i.insert("extra", "a");
         i.insert("extra", "b");
         r.insert("TITLE", "b");
         r.insert("extra", "b");
       }},
      {"subscript inserts an empty value",
       [](VideoInfo &i, SqlRow &r) {
         EXPECT_EQ(i["DATE_VIEWED"], "");
         EXPECT_EQ(i["extra"], "");
         r["DATE_VIEWED"];
         r["extra"];
       }},
      {"subscript assigns",
       [](VideoInfo &i, SqlRow &r) {
         i["RATING"] = "4";
         i["extra"] = "e";
         r["RATING"] = "4";
         r["extra"] = "e";
       }},
      {"remove",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("TITLE", "t");
         i.insert("PATH", "p");
         i.insert("extra", "x");
         EXPECT_EQ(i.remove("TITLE"), 1);
         EXPECT_EQ(i.remove("TITLE"), 0);
         EXPECT_EQ(i.remove("extra"), 1);
         EXPECT_EQ(i.remove("missing"), 0);
         EXPECT_EQ(i.remove("RATING"), 0);
         r.insert("PATH", "p");
       }},
      {"clear",
       [](VideoInfo &i, SqlRow &) {
         i.insert("TITLE", "t");
         i.insert("extra", "x");
         i.clear();
       }},
  };
  for (const Case &c : cases) {
    VideoInfo info;
    SqlRow reference;
    c.change(info, reference);
    expectSameAs(info, reference, c.label);
  }
}

TEST(VideoInfo, RowsOverATableAnswerLikeTheirDictionary) {
  const VideoInfo::Columns *columns = VideoInfo::Columns::intern({"Name", "id", "TITLE"});
  VideoInfo row(columns, {"n", "3", ""});
  expectSameAs(row, {{"Name", "n"}, {"id", "3"}, {"TITLE", ""}}, "as read");
  EXPECT_TRUE(row.isFullRowOf(columns));

  // A key outside its table, and a change to a copy, leave the original alone.
  VideoInfo copy = row;
  copy.insert("PATH", "p");
  copy.insert("TITLE", "t");
  copy.remove("Name");
  expectSameAs(copy, {{"id", "3"}, {"TITLE", "t"}, {"PATH", "p"}}, "changed copy");
  EXPECT_FALSE(copy.isFullRowOf(columns));
  expectSameAs(row, {{"Name", "n"}, {"id", "3"}, {"TITLE", ""}}, "original");

  // Too few values: the missing columns are present with a null value.
  expectSameAs(VideoInfo(columns, {"n"}), {{"Name", "n"}, {"id", QString()}, {"TITLE", QString()}},
               "short");
}

// Rows read from the database are packed as UTF-8 and unpacked on the first
// change; either way they answer as their dictionary does.
TEST(VideoInfo, PackedRowsAnswerLikeTheirDictionaryBeforeAndAfterAChange) {
  const VideoInfo::Columns *columns = VideoInfo::Columns::intern({"Name", "id", "TITLE", "PATH"});
  const QByteArray name =
      QStringLiteral("caf\u00e9 \u65e5\u672c \u05e9\u05dc\u05d5\u05dd").toUtf8();
  const QByteArrayView texts[] = {name, "3", QByteArrayView(), ""};
  const VideoInfo row = VideoInfo::fromUtf8(columns, texts);
  const SqlRow asRead{{"Name", QString::fromUtf8(name)}, {"id", "3"}, {"TITLE", ""}, {"PATH", ""}};
  expectSameAs(row, asRead, "packed");
  EXPECT_TRUE(row.isFullRowOf(columns));
  EXPECT_TRUE(row.valueEquals(0, QUtf8StringView(name)));
  EXPECT_FALSE(row.valueEquals(1, QUtf8StringView("4")));
  EXPECT_EQ(row, VideoInfo(columns, {QString::fromUtf8(name), "3", "", ""}));
  EXPECT_NE(row,
            VideoInfo::fromUtf8(columns, std::array<QByteArrayView, 4>{name, "3", "", "p"}.data()));

  struct Case {
    const char *label;
    std::function<void(VideoInfo &, SqlRow &)> change;
  };
  const Case cases[] = {
      {"insert",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("TITLE", "t");
         r.insert("TITLE", "t");
       }},
      {"subscript",
       [](VideoInfo &i, SqlRow &r) {
         i["PATH"] = "p";
         r["PATH"] = "p";
       }},
      {"remove",
       [](VideoInfo &i, SqlRow &r) {
         i.remove("Name");
         r.remove("Name");
       }},
      {"key outside",
       [](VideoInfo &i, SqlRow &r) {
         i.insert("x", "y");
         r.insert("x", "y");
       }},
  };
  for (const Case &c : cases) {
    VideoInfo copy = row;
    SqlRow reference = asRead;
    c.change(copy, reference);
    expectSameAs(copy, reference, c.label);
    expectSameAs(row, asRead, "the original after a change to its copy");
  }
}

TEST(VideoInfo, EqualityComparesEntriesNotStorage) {
  const VideoInfo byHand{{"id", "1"}, {"TITLE", "x"}, {"extra", "e"}};
  const VideoInfo overTable(VideoInfo::Columns::intern({"TITLE", "extra", "id"}), {"x", "e", "1"});
  const VideoInfo fromRow(SqlRow{{"extra", "e"}, {"id", "1"}, {"TITLE", "x"}});
  EXPECT_EQ(byHand, overTable);
  EXPECT_EQ(overTable, byHand);
  EXPECT_EQ(byHand, fromRow);
  EXPECT_EQ(VideoInfo(), VideoInfo(VideoInfo::Columns::intern({}), {}));

  struct Case {
    const char *label;
    VideoInfo other;
  };
  const Case different[] = {
      {"value differs", {{"id", "1"}, {"TITLE", "y"}, {"extra", "e"}}},
      {"outside value differs", {{"id", "1"}, {"TITLE", "x"}, {"extra", "f"}}},
      {"key missing", {{"id", "1"}, {"TITLE", "x"}}},
      {"key added", {{"id", "1"}, {"TITLE", "x"}, {"extra", "e"}, {"PATH", ""}}},
      {"same count, other key", {{"id", "1"}, {"TITLE", "x"}, {"Extra", "e"}}},
  };
  for (const Case &c : different) {
    SCOPED_TRACE(c.label);
    EXPECT_NE(byHand, c.other);
    EXPECT_NE(c.other, byHand);
    EXPECT_NE(overTable, c.other);
  }
}

TEST(VideoInfo, TablesAreSharedPerListOfNames) {
  using Columns = VideoInfo::Columns;
  EXPECT_EQ(Columns::intern({"a", "b"}), Columns::intern({"a", "b"}));
  EXPECT_NE(Columns::intern({"a", "b"}), Columns::intern({"b", "a"}));
  // Rows put together by hand share the Videos table.
  EXPECT_EQ((VideoInfo{{"TITLE", "x"}}).columns(), Columns::videos());
  EXPECT_EQ(VideoInfo(SqlRow{{"id", "1"}}).columns(), Columns::videos());
  EXPECT_EQ((VideoInfo{{"extra", "x"}}).columns(), nullptr);

  const Columns *duplicates = Columns::intern({"a", "b", "a"});
  EXPECT_EQ(duplicates, Columns::intern({"a", "b"}));
  EXPECT_EQ(duplicates->indexOf("b"), 1);
  EXPECT_EQ(duplicates->indexOf("c"), -1);

  QStringList many;
  for (int i = 0; i < Columns::kMaxColumns + 6; ++i) many.append(QString::number(i));
  const Columns *capped = Columns::intern(many);
  ASSERT_EQ(capped->size(), Columns::kMaxColumns);
  EXPECT_EQ(capped->name(Columns::kMaxColumns - 1), many.at(Columns::kMaxColumns - 1));
  // Every column of a full table can be set and removed on its own.
  VideoInfo wide;
  wide = VideoInfo(capped, {});
  EXPECT_EQ(wide.size(), Columns::kMaxColumns);
  EXPECT_EQ(wide.remove(many.at(Columns::kMaxColumns - 1)), 1);
  EXPECT_EQ(wide.size(), Columns::kMaxColumns - 1);
  EXPECT_FALSE(wide.contains(many.at(Columns::kMaxColumns - 1)));
  EXPECT_TRUE(wide.contains(many.at(0)));
}
