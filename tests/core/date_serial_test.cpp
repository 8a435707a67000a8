// Date serials: the calendar around serial 0 and the negative range, the year limits, time
// rounding, pattern formatting and parsing text back.
#include "core/date_serial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qb {
namespace {

TEST(DateSerialTest, CivilDatesMapToSerials) {
  struct Case {
    int y, m, d;
    double serial;
  };
  const Case cases[] = {
      {1899, 12, 30, 0},     {1899, 12, 31, 1},       {1899, 12, 29, -1},
      {1900, 1, 1, 2},       {1900, 2, 28, 60},       {1900, 3, 1, 61},  // 1900 was no leap year
      {2000, 1, 1, 36526},   {2000, 2, 29, 36585},    {2000, 3, 1, 36586},
      {1800, 1, 1, -36522},  {100, 1, 1, -657434},    {9999, 12, 31, 2958465},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    const DateTimeParts parts = DecodeDate(c.serial);
    EXPECT_EQ(parts.year, c.y);
    EXPECT_EQ(parts.month, c.m);
    EXPECT_EQ(parts.day, c.d);
  }
}

TEST(DateSerialTest, InvalidDatesAndTimesRaise) {
  EXPECT_NO_THROW(EncodeDate(2400, 2, 29));
  const int bad_dates[][3] = {{1900, 2, 29}, {2100, 2, 29}, {2001, 4, 31}, {2001, 13, 1},
                              {2001, 0, 1},  {2001, 1, 0},  {99, 12, 31},  {10000, 1, 1}};
  for (const auto& d : bad_dates) {
    EXPECT_THROW(EncodeDate(d[0], d[1], d[2]), EConvertError) << d[0] << "-" << d[1] << "-" << d[2];
  }
  const int bad_times[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
  for (const auto& t : bad_times) {
    EXPECT_THROW(EncodeTime(t[0], t[1], t[2], t[3]), EConvertError) << t[0] << ":" << t[1] << ":" << t[2] << "." << t[3];
  }
  for (double serial : {2958466.0, -657435.0, std::numeric_limits<double>::quiet_NaN(), 1e300}) {
    EXPECT_THROW(DecodeDateTime(serial), EConvertError) << serial;
  }
}

TEST(DateSerialTest, NegativeSerialsKeepTheTimeAsAPositiveFraction) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 6, 0, 0), 0.25);
  const DateTimeParts minus = DecodeDateTime(-1.25);
  EXPECT_EQ(minus, (DateTimeParts{1899, 12, 29, 6, 0, 0, 0}));
  // Between -1 and 0 the day is still 30 December 1899.
  EXPECT_EQ(DecodeDateTime(-0.25), (DateTimeParts{1899, 12, 30, 6, 0, 0, 0}));
  EXPECT_EQ(DecodeDateTime(-2.75), (DateTimeParts{1899, 12, 28, 18, 0, 0, 0}));
  EXPECT_EQ(DatePart(-1.25), -1);
  EXPECT_EQ(TimePart(-1.25), 0.25);
  EXPECT_EQ(EncodeDateTime(DecodeDateTime(-1000.5)), -1000.5);
}

TEST(DateSerialTest, TimesRoundToTheMillisecondAndCarryIntoTheNextDay) {
  EXPECT_EQ(DecodeTime(EncodeTime(13, 45, 30, 123)), (DateTimeParts{1899, 12, 30, 13, 45, 30, 123}));
  const double almost_midnight = 36526 + (86400000.0 - 0.2) / 86400000.0;
  EXPECT_EQ(DecodeDateTime(almost_midnight), (DateTimeParts{2000, 1, 2, 0, 0, 0, 0}));
  // Just before the end of the last valid day rounds past it.
  EXPECT_THROW(DecodeDateTime(2958465.9999999999), EConvertError);
  EXPECT_EQ(DecodeDateTime(2958465.999), (DateTimeParts{9999, 12, 31, 23, 58, 33, 600}));
}

TEST(DateSerialTest, DayOfWeekAroundSerialZero) {
  EXPECT_EQ(DayOfWeek(0), 7);         // 30 December 1899, Saturday
  EXPECT_EQ(DayOfWeek(-1.5), 6);      // Friday
  EXPECT_EQ(DayOfWeek(1), 1);         // Sunday
  EXPECT_EQ(DayOfWeek(36526), 7);     // 1 January 2000, Saturday
  EXPECT_EQ(DayOfWeek(-657434), 6);   // 1 January 100, Friday
}

TEST(DateSerialTest, PatternsFormatEveryField) {
  const FormatSettings s = FormatSettings::Default();
  const double serial = EncodeDateTime(2004, 3, 7, 14, 5, 9, 42);  // a Sunday
  struct Case {
    const char* pattern;
    const char* expected;
  };
  const Case cases[] = {
      {"d/m/yy", "7/3/04"},
      {"dd.mm.yyyy", "07.03.2004"},
      {"ddd dddd", "Sun Sunday"},
      {"mmm mmmm", "Mar March"},
      {"h:n:s", "14:5:9"},
      {"hh:nn:ss.zzz", "14:05:09.042"},
      {"hh:mm", "14:05"},   // m after an hour means minutes
      {"h AM/PM", "2 PM"},
      {"h am/pm", "2 pm"},
      {"h a/p", "2 p"},
      {"hh AMPM", "02 PM"},
      {"\"Day\" d 'of' mmmm", "Day 7 of March"},
      {"ddddd", "3/7/2004"},
      {"dddddd", "Sunday, March 7, 2004"},
      {"c", "3/7/2004 2:05:09 PM"},
      {"t|tt", "2:05 PM|2:05:09 PM"},
      // Letters in either case, and bytes beyond ASCII kept as written.
      {"DD.MM.YYYY", "07.03.2004"},
      {"Hh:Nn:sS", "14:05:09"},
      {"DDD MMMM", "Sun March"},
      {"h A/P", "2 P"},
      {"d \xC3\xA9", "7 \xC3\xA9"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.pattern, serial, s), c.expected) << c.pattern;
  EXPECT_EQ(FormatDateTime("h:nn AMPM", EncodeTime(0, 30, 0), s), "12:30 AM");
  EXPECT_EQ(FormatDateTime("h:nn AMPM", EncodeTime(12, 0, 0), s), "12:00 PM");
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(100, 1, 1), s), "0100");

  FormatSettings dotted = s;
  dotted.DateSeparator = ".";
  dotted.TimeSeparator = "-";
  EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", serial, dotted), "07.03.2004 14-05");
  // A short date format that names itself stops instead of recursing forever.
  dotted.ShortDateFormat = "ddddd";
  EXPECT_EQ(FormatDateTime("ddddd", serial, dotted), "");
}

TEST(DateSerialTest, DateTimeTextShowsOnlyThePartsPresent) {
  const FormatSettings s = FormatSettings::Default();
  EXPECT_EQ(DateTimeToText(36526, s), "1/1/2000");
  EXPECT_EQ(DateTimeToText(0.5, s), "12:00:00 PM");
  EXPECT_EQ(DateTimeToText(36526.5, s), "1/1/2000 12:00:00 PM");
  EXPECT_EQ(DateTimeToText(0, s), "12/30/1899");
  EXPECT_EQ(DateTimeToText(-1.25, s), "12/29/1899 6:00:00 AM");
  EXPECT_EQ(DateTimeToText(-0.75, s), "6:00:00 PM");
}

TEST(DateSerialTest, TextParsesBackInTheShortDateOrder) {
  const FormatSettings us = FormatSettings::Default();
  EXPECT_EQ(TextToDateTime("1/1/2000", us), 36526);
  EXPECT_EQ(TextToDateTime("  3/7/2004 2:05:09 PM ", us), EncodeDateTime(2004, 3, 7, 14, 5, 9));
  EXPECT_EQ(TextToDateTime("12/29/1899 6:00", us), -1.25);
  EXPECT_EQ(TextToDateTime("13:30", us), EncodeTime(13, 30, 0));
  EXPECT_EQ(TextToDateTime("12:00:00 AM", us), 0);
  EXPECT_EQ(TextToDateTime("12 pm", us), 0.5);
  EXPECT_EQ(TextToDateTime("1:02:03.5", us), EncodeTime(1, 2, 3, 500));
  EXPECT_EQ(TextToDateTime("1/2/29", us), EncodeDate(2029, 1, 2));   // two-digit year window
  EXPECT_EQ(TextToDateTime("1/2/30", us), EncodeDate(1930, 1, 2));
  EXPECT_EQ(TextToDateTime("1/2/0100", us), EncodeDate(100, 1, 2));
  const DateTimeParts no_year = DecodeDate(TextToDateTime("3/7", us));  // the current year
  EXPECT_EQ(no_year.month, 3);
  EXPECT_EQ(no_year.day, 7);

  FormatSettings german = us;
  german.ShortDateFormat = "dd/mm/yyyy";
  german.DateSeparator = ".";
  EXPECT_EQ(TextToDateTime("31.12.9999 23:59:59", german), EncodeDateTime(9999, 12, 31, 23, 59, 59));
  EXPECT_EQ(TextToDateTime("7.3.2004", german), EncodeDate(2004, 3, 7));
  FormatSettings iso = us;
  iso.ShortDateFormat = "yyyy/mm/dd";
  iso.DateSeparator = "-";
  EXPECT_EQ(TextToDateTime("2004-03-07", iso), EncodeDate(2004, 3, 7));

  for (const char* bad : {"", "   ", "abc", "2/30/2000", "1/1/2000 25:00", "1/1/2000 x",
                          "13/1/2000", "1/1/99999", "12", "13 PM", "1:2:3.4567", "1//2000",
                          "1/1/2000 1:00 AM PM", "99999999999/1/1"}) {
    EXPECT_THROW(TextToDateTime(bad, us), EConvertError) << '"' << bad << '"';
  }
}

}  // namespace
}  // namespace qb
