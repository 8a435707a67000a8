// Picture formatting of numbers: placeholders, grouping, sections, rounding, exponents and
// the regional separators.
#include "core/format_float.h"

#include <gtest/gtest.h>

#include <limits>

namespace qb {
namespace {

struct FloatCase {
  const char* pattern;
  double value;
  const char* expected;
};

TEST(FormatFloatTest, PicturesOfDoubles) {
  const FloatCase cases[] = {
      {"#,##0.00", 1234.5, "1,234.50"},
      {"#,##0.00", 0.5, "0.50"},
      {"#,##0.00", -1234567.891, "-1,234,567.89"},
      {"#,##0.00", 999.999, "1,000.00"},  // the carry reaches a new group
      {"0.###", 1.5, "1.5"},
      {"0.###", 2, "2"},  // no fraction digit: no separator
      {"0.###", 0.12345, "0.123"},
      {"0.###", 0.0004, "0"},
      {"#.##", 0.5, ".5"},
      {"000", 7, "007"},
      {"0", 12345, "12345"},  // surplus digits go to the first placeholder
      {"#,##0", 1234567, "1,234,567"},
      {"0.00", 2.675, "2.68"},  // rounded from the digits shown, half away from zero
      {"0.00", -2.675, "-2.68"},
      {"0", 2.5, "3"},
      {"0.0", 0.05, "0.1"},
      {"0.00\" kg\"", 3.2, "3.20 kg"},
      {"'#'0", 5, "#5"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E+00", 0.000123, "1.23E-04"},
      {"0.0E-0", 1234.5, "1.2E3"},
      {"0.00E+00", 0, "0.00E+00"},
      {"0.00;(0.00)", -5.5, "(5.50)"},
      {"0.00;(0.00)", 5.5, "5.50"},
      {"0.00;(0.00);\"zero\"", 0, "zero"},
      {"0.00;;\"zero\"", -1, "-1.00"},  // empty negative section: the first, with a minus
      {"0.00;(0.00);\"zero\"", -0.001, "zero"},  // rounds to zero: the zero section
      {"0.00", -0.001, "0.00"},  // and never "-0.00"
      {"", 12.5, "12.5"},
  };
  ScopedFormatSettings us(FormatSettings::Default());
  for (const FloatCase& c : cases)
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
}

TEST(FormatFloatTest, UsesTheRegionalSeparators) {
  FormatSettings german;
  german.DecimalSeparator = ",";
  german.ThousandSeparator = ".";
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.5, german), "1.234.567,50");
  EXPECT_EQ(FormatFloat("0.###", 0.25, german), "0,25");
}

TEST(FormatFloatTest, NonFiniteValues) {
  ScopedFormatSettings us(FormatSettings::Default());
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(FormatFloatTest, CurrencyKeepsEveryDigit) {
  ScopedFormatSettings us(FormatSettings::Default());
  // 19 significant digits: a double would lose the last ones.
  Currency big = Currency::FromScaled(INT64_MAX);
  EXPECT_EQ(FormatCurr("#,##0.0000", big), "922,337,203,685,477.5807");
  EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(INT64_MIN)), "-922337203685477.58");
  EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(12345)), "1.23");  // 1.2345
  EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(12350)), "1.24");
}

TEST(FormatFloatTest, WholeNumbersKeepEveryDigit) {
  ScopedFormatSettings us(FormatSettings::Default());
  EXPECT_EQ(FormatInteger("#,##0", INT64_MIN), "-9,223,372,036,854,775,808");
  EXPECT_EQ(FormatInteger("#,##0.00", 9007199254740993), "9,007,199,254,740,993.00");
  EXPECT_EQ(FormatInteger("", -5), "-5");
}

TEST(FormatFloatTest, MoneyPlacesTheSymbol) {
  FormatSettings s;
  s.CurrencyString = "EUR";
  s.CurrencyFormat = 3;
  s.NegCurrFormat = 8;
  EXPECT_EQ(MoneyText(Currency::FromScaled(12345678), 2, s), "1,234.57 EUR");
  EXPECT_EQ(MoneyText(Currency::FromScaled(-12345678), 2, s), "-1,234.57 EUR");
  EXPECT_EQ(MoneyText(Currency::FromScaled(-1), 2, s), "0.00 EUR");
  s.CurrencyString = "$";
  s.CurrencyFormat = 0;
  s.NegCurrFormat = 0;
  EXPECT_EQ(MoneyText(Currency::FromScaled(-15000), 0, s), "($2)");
  EXPECT_EQ(MoneyText(Currency::FromScaled(15000), 6, s), "$1.500000");
}

}  // namespace
}  // namespace qb
