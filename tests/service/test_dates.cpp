#include "DateUtilities.h"

#include <gtest/gtest.h>

#include <QFile>

#include <climits>
#include <ctime>

namespace {

// Runs the body with the process's local time zone set to zone.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char *zone)
      : fHad(qEnvironmentVariableIsSet("TZ")), fOld(qgetenv("TZ")) {
    qputenv("TZ", zone);
    tzset();
  }
  ~ScopedTimeZone() {
    if (fHad)
      qputenv("TZ", fOld);
    else
      qunsetenv("TZ");
    tzset();
  }

 private:
  bool fHad;
  QByteArray fOld;
};

TEST(LibraryDate, ParsesAndFormatsTheOneLibraryForm) {
  const QDateTime date = Utilities::parseDate("2003-06-10 04:00:00");
  ASSERT_TRUE(date.isValid());
  EXPECT_EQ(date.date(), QDate(2003, 6, 10));
  EXPECT_EQ(date.time(), QTime(4, 0, 0));
  EXPECT_EQ(date.timeSpec(), Qt::LocalTime);
  EXPECT_EQ(Utilities::formatDate(date), "2003-06-10 04:00:00");
  EXPECT_EQ(Utilities::formatDate(QDateTime(QDate(2049, 12, 31), QTime(23, 59, 59))),
            "2049-12-31 23:59:59");
  EXPECT_TRUE(Utilities::formatDate(QDateTime()).isNull());
}

TEST(LibraryDate, RejectsOtherTexts) {
  for (const char *text :
       {"", "2003-06-10", "2003-06-10 04:00", "2003-06-10 04:00:00 ", " 2003-06-10 04:00:00",
        "2003/06/10 04:00:00", "2003-06-10T04:00:00", "2003-02-31 00:00:00", "2003-13-01 00:00:00",
        "2003-06-10 24:00:00", "2003-06-10 04:60:00", "2003-06-10 04:00:0x", "20030-06-10 04:00:00",
        "0000-06-10 04:00:00"}) {
    EXPECT_FALSE(Utilities::parseDate(text).isValid()) << text;
  }
}

TEST(LibraryDate, FormatsInLocalTime) {
  ScopedTimeZone zone("Asia/Tokyo");  // UTC+9, no daylight saving
  const QDateTime utc(QDate(2003, 6, 10), QTime(20, 0, 0), Qt::UTC);
  EXPECT_EQ(Utilities::formatDate(utc), "2003-06-11 05:00:00");
}

struct FeedCase {
  const char *input;
  const char *expected;  // nullptr: no date
};

TEST(FeedDate, BothLayouts) {
  const FeedCase cases[] = {
      // Layout A: the month name is the second piece.
      {"Tue Jun 10 04:00:00 2003", "2003-06-10 04:00:00"},
      {"Tue Jun 10 04:00:00 GMT 2003", "2003-06-10 04:00:00"},
      {"tue jUN 10 04:00:00 2003", "2003-06-10 04:00:00"},
      {"Tue Jun 1 4:0:0 03", "2003-06-01 04:00:00"},
      // Layout B: day, month name, year.
      {"Tue,10 Jun 03 04:00:00 GMT", "2003-06-10 04:00:00"},
      {"Tue,10 Jun 2003 04:00:00 GMT", "2003-06-10 04:00:00"},
      {"Tue,10-Jun-2003 04:00:00 GMT", "2003-06-10 04:00:00"},
      {"Tue,1 dec 2003 23:59:59 EST", "2003-12-01 23:59:59"},
      // Any zone in the text is ignored.
      {"Tue,10 Jun 2003 04:00:00 +0500", "2003-06-10 04:00:00"},
      // Two-digit years: below 50 this century, from 50 the last.
      {"Tue,10 Jun 49 04:00:00 GMT", "2049-06-10 04:00:00"},
      {"Tue,10 Jun 50 04:00:00 GMT", "1950-06-10 04:00:00"},
      {"Tue,10 Jun 99 04:00:00 GMT", "1999-06-10 04:00:00"},
      {"Tue,10 Jun 00 04:00:00 GMT", "2000-06-10 04:00:00"},
      {"Tue,29 Feb 2004 04:00:00 GMT", "2004-02-29 04:00:00"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Utilities::convertDateFromHtmlDateFormat(c.input), c.expected) << c.input;
}

TEST(FeedDate, WrongArrangementsAndFieldsGiveNoDate) {
  const char *const cases[] = {
      // Nine pieces: an empty one after the comma.
      "Tue, 10 Jun 2003 04:00:00 GMT",
      // Seven pieces with the month second: layout A, and "99" is no year.
      "10 Jun 99 04:00:00 +0000",
      // Too few pieces.
      "Tue Jun 10 04:00:00",
      "",
      // Layout A with nine pieces.
      "Tue Jun 10 04:00:00 GMT 2003 x",
      // Layout B needs exactly eight pieces and a month name third.
      "Tue,10 Jun 2003 04:00:00",
      "Tue,10 Foo 2003 04:00:00 GMT",
      "Tue,10 June 2003 04:00:00 GMT",
      // Field widths.
      "Tue,10 Jun 203 04:00:00 GMT",
      "Tue,10 Jun 20030 04:00:00 GMT",
      "Tue,010 Jun 2003 04:00:00 GMT",
      "Tue,10 Jun 2003 004:00:00 GMT",
      // Fields that are not numbers or make no real date or time.
      "Tue,1x Jun 2003 04:00:00 GMT",
      "Tue,10 Jun 20x3 04:00:00 GMT",
      "Tue,10 Jun 2003 04:0a:00 GMT",
      "Tue,31 Feb 2003 04:00:00 GMT",
      "Tue,29 Feb 2003 04:00:00 GMT",
      "Tue,0 Jun 2003 04:00:00 GMT",
      "Tue,10 Jun 2003 24:00:00 GMT",
      "Tue,10 Jun 2003 04:60:00 GMT",
      "Tue,10 Jun 2003 04:00:60 GMT",
  };
  for (const char *input : cases)
    EXPECT_TRUE(Utilities::convertDateFromHtmlDateFormat(input).isNull()) << input;
}

TEST(FeedDate, WallClockTimeSkippedByDaylightSavingMovesForward) {
  if (!QFile::exists("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "no zone data";
  ScopedTimeZone zone("Europe/Berlin");
  // 26 March 2023: clocks jump from 02:00 to 03:00.
  const QString converted =
      Utilities::convertDateFromHtmlDateFormat("Sun,26 Mar 2023 02:30:00 GMT");
  EXPECT_EQ(converted, "2023-03-26 03:30:00");
  EXPECT_TRUE(Utilities::parseDate(converted).isValid());
  const QDateTime inGap = Utilities::parseDate("2023-03-26 02:30:00");
  ASSERT_TRUE(inGap.isValid());
  EXPECT_EQ(Utilities::formatDate(inGap), "2023-03-26 03:30:00");
  // The repeated hour in October stays as written.
  EXPECT_EQ(Utilities::formatDate(Utilities::parseDate("2023-10-29 02:30:00")),
            "2023-10-29 02:30:00");
}

TEST(DateAddedText, ThresholdsOfTheCoarseCalendar) {
  const QDate today(2010, 6, 15);
  const struct {
    QDate added;
    QString expected;
  } cases[] = {
      {today, "Today"},
      {today.addDays(3), "Today"},  // a date in the future
      // Day numbers: year × 365 + month × 30 + day.
      {today.addDays(-1), "Yesterday"},
      {today.addDays(-2), "2 days ago"},
      {today.addDays(-6), "6 days ago"},
      {today.addDays(-7), "1 week ago"},
      {today.addDays(-8), "1 week ago"},
      {today.addDays(-13), "1 week ago"},
      {today.addDays(-14), "2 weeks ago"},
      {QDate(2010, 5, 16), "4 weeks ago"},  // 29 days
      {QDate(2010, 5, 15), "1 month ago"},  // 30 days
      {QDate(2010, 4, 16), "1 month ago"},  // 59 days
      {QDate(2010, 4, 15), "2 months ago"},
      {QDate(2009, 6, 16), "12 months ago"},  // 364 days
      {QDate(2009, 6, 15), "1 year ago"},
      {QDate(2008, 6, 16), "1 year ago"},  // 729 days
      {QDate(2008, 6, 15), "2 years ago"},
      {QDate(1990, 6, 15), "20 years ago"},
  };
  for (const auto &c : cases) {
    const QString added = c.added.toString("yyyy-MM-dd") + " 12:00:00";
    EXPECT_EQ(Utilities::getDateAddedTextRepresentation(added, today), c.expected)
        << added.toStdString();
  }
}

TEST(DateAddedText, MonthsCountThirtyDays) {
  // 31 January and 1 February both count 61.
  EXPECT_EQ(Utilities::getDateAddedTextRepresentation("2010-01-31 23:00:00", QDate(2010, 2, 1)),
            "Today");
  // 28 February to 1 March reads as three days.
  EXPECT_EQ(Utilities::getDateAddedTextRepresentation("2010-02-28 10:00:00", QDate(2010, 3, 1)),
            "3 days ago");
}

TEST(DateAddedText, UnreadableDateGivesNoText) {
  EXPECT_EQ(Utilities::getDateAddedTextRepresentation("", QDate(2010, 6, 15)), "");
  EXPECT_EQ(Utilities::getDateAddedTextRepresentation("yesterday", QDate(2010, 6, 15)), "");
  EXPECT_EQ(Utilities::getDateAddedTextRepresentation(
                Utilities::formatDate(QDateTime::currentDateTime())),
            "Today");
}

TEST(SecondsToTimeString, FieldsWrap) {
  const struct {
    int seconds;
    bool showSeconds;
    QString expected;
  } cases[] = {
      {3725, true, "01:02:05"},  {3725, false, "01:02"},      {90000, true, "01:00:00"},
      {0, true, "00:00:00"},     {59, false, "00:00"},        {86399, true, "23:59:59"},
      {86400, false, "00:00"},   {INT_MAX, true, "03:14:07"}, {-5, true, "00:00:00"},
      {INT_MIN, false, "00:00"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Utilities::secondsToTimeString(c.seconds, c.showSeconds), c.expected) << c.seconds;
}

}  // namespace
