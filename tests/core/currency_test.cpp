// Currency: exact text both ways, round half to even from doubles and from long decimals,
// range limits and checked arithmetic.
#include "core/currency.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "core/format_settings.h"
#include "core/rounding.h"

namespace qb {
namespace {

constexpr std::int64_t kMaxScaled = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMinScaled = std::numeric_limits<std::int64_t>::min();

TEST(CurrencyTest, TextIsTheShortestExactDecimal) {
  const FormatSettings us = FormatSettings::Default();
  struct Case {
    std::int64_t scaled;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},          {30000, "3"},        {125000, "12.5"},      {123456, "12.3456"},
      {-5000, "-0.5"},   {-1, "-0.0001"},     {10, "0.001"},
      {kMaxScaled, "922337203685477.5807"},  {kMinScaled, "-922337203685477.5808"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Currency::FromScaled(c.scaled).ToText(us), c.text);
    EXPECT_EQ(Currency::FromText(c.text, us).Scaled(), c.scaled) << c.text;
  }
  FormatSettings comma = us;
  comma.DecimalSeparator = ",";
  EXPECT_EQ(Currency::FromScaled(125000).ToText(comma), "12,5");
  EXPECT_EQ(Currency::FromText("12,5", comma).Scaled(), 125000);
  EXPECT_THROW(Currency::FromText("12.5", comma), EConvertError);
}

TEST(CurrencyTest, TextRoundsHalfToEvenOnTheDecimalDigits) {
  const FormatSettings us = FormatSettings::Default();
  struct Case {
    const char* text;
    std::int64_t scaled;
  };
  const Case cases[] = {
      {"0.00005", 0},           {"0.00015", 2},           {"0.00025", 2},
      {"0.000250000001", 3},    {"-0.00015", -2},         {"-0.00025", -2},
      {"1.23454999999", 12345}, {"  +7  ", 70000},        {".5", 5000},
      {"5.", 50000},            {"1e3", 10000000},        {"1.5E-2", 150},
      {"000012", 120000},       {"0.0000000001", 0},      {"-0", 0},
      {"922337203685477.58074", kMaxScaled},
      {"-922337203685477.5808", kMinScaled},
  };
  for (const Case& c : cases) EXPECT_EQ(Currency::FromText(c.text, us).Scaled(), c.scaled) << c.text;
}

TEST(CurrencyTest, BadOrOutOfRangeTextRaises) {
  const FormatSettings us = FormatSettings::Default();
  for (const char* bad : {"", " ", "-", ".", "1.2.3", "$5", "1,000", "12a", "e5", "1e", "1e+",
                          "922337203685477.5808", "-922337203685477.5809", "1e15",
                          "99999999999999999999"}) {
    EXPECT_THROW(Currency::FromText(bad, us), EConvertError) << '"' << bad << '"';
  }
}

TEST(CurrencyTest, DoublesRoundHalfToEvenAtTheFourthDecimal) {
  // Ties go to the even neighbour.
  const std::pair<double, std::int64_t> cases[] = {
      {1.5, 15000},     {0.00005, 0}, {0.00015, 2},     {-0.00025, -2},
      {12.34565, 123456}, {0.1, 1000}, {-922337203685477.0, -9223372036854770000},
  };
  for (const auto& [value, scaled] : cases) EXPECT_EQ(Currency::FromDouble(value).Scaled(), scaled) << value;
  for (double bad : {1e15, -1e15, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(Currency::FromDouble(bad), EConvertError) << bad;
  }
  EXPECT_DOUBLE_EQ(Currency::FromScaled(123456).ToDouble(), 12.3456);
}

TEST(CurrencyTest, DoublesOfFourDecimalsGiveTheAmountTheirTextGives) {
  // Whole-number products take a short cut; it must agree with reading the shortest decimal
  // text, also for doubles just beside an amount and for amounts near the cut's limit.
  for (double value : {0.1, 0.3, 2.675, 1234.5678, -0.0001, 0.7 * 3, 1.0 / 3, 879609302.2207, 879609302.2209,
                       -879609302.2208, std::nextafter(0.1234, 1.0), std::nextafter(0.1234, 0.0), 1e-300, -0.0}) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    EXPECT_EQ(Currency::FromDouble(value).Scaled(),
              Currency::FromText(std::string_view(buffer, static_cast<std::size_t>(end - buffer)), FormatSettings()).Scaled())
        << buffer;
  }
}

TEST(CurrencyTest, ArithmeticIsCheckedAndComparisonOrdersAmounts) {
  const Currency a = Currency::FromScaled(15000), b = Currency::FromScaled(2500);
  EXPECT_EQ((a + b).Scaled(), 17500);
  EXPECT_EQ((b - a).Scaled(), -12500);
  EXPECT_EQ((-a).Scaled(), -15000);
  EXPECT_LT(b, a);
  EXPECT_EQ(Currency::FromInteger(3), Currency::FromScaled(30000));
  EXPECT_THROW(Currency::FromScaled(kMaxScaled) + Currency::FromScaled(1), EConvertError);
  EXPECT_THROW(Currency::FromScaled(kMinScaled) - Currency::FromScaled(1), EConvertError);
  EXPECT_THROW(-Currency::FromScaled(kMinScaled), EConvertError);
  EXPECT_THROW(Currency::FromInteger(kMaxScaled / 10000 + 1), EConvertError);
}

TEST(RoundingTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(2.4999999), 2);
  EXPECT_EQ(RoundHalfEven(-0.6), -1);
  EXPECT_EQ(RoundHalfEven(1e300), 1e300);
}

}  // namespace
}  // namespace qb
