// Numbers as text for machines: the same bytes under any process locale, text that reads back
// to the same double, and refusal of anything that is not a plain number.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "core/number_text.h"
#include "support/comma_locale.h"

namespace qb {
namespace {

void ExpectTextForms() {
  struct Case {
    double value;
    const char* text;
  };
  for (const Case& c : {Case{1.5, "1.5"}, Case{3, "3"}, Case{-0.25, "-0.25"}, Case{45000.5, "45000.5"},
                        Case{1e20, "1e+20"}, Case{-0x1p-22, "-2.384185791015625e-07"}, Case{0.1, "0.10000000000000001"},
                        Case{std::numeric_limits<double>::infinity(), "inf"}}) {
    EXPECT_EQ(DoubleToText(c.value), c.text);
    EXPECT_EQ(TextToDouble(c.text), c.value) << c.text;
  }
  EXPECT_EQ(DoubleToText(1234.5678, 6, true), "1234.57");
  EXPECT_EQ(DoubleToText(1.5e20, 15, true), "1.5E+20");
  for (const char* text : {"1.5", " 1.5 ", "+1.5", ".15e1", "15e-1"}) EXPECT_EQ(TextToDouble(text), 1.5) << text;
  for (const char* text : {"", " ", "1,5", "1.5x", "--1", "+-1", "1e", "1e400", "0x10"}) {
    EXPECT_EQ(TextToDouble(text), std::nullopt) << text;
  }
  EXPECT_EQ(TextToInt64(" -42 "), -42);
  EXPECT_EQ(TextToInt64("+7"), 7);
  EXPECT_EQ(TextToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  for (const char* text : {"", "1.0", "9223372036854775808", "1 2", "+-3"}) {
    EXPECT_EQ(TextToInt64(text), std::nullopt) << text;
  }
}

TEST(NumberText, WritesAndReadsPlainNumbers) { ExpectTextForms(); }

TEST(NumberText, IgnoresACommaDecimalProcessLocale) {
  test::ScopedCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << test::kCommaLocaleMissing;
  ExpectTextForms();
}

// Text typed under regional settings: the separator given, "." only where the caller takes it,
// and out-of-range numbers refused or saturated as the caller asks.
TEST(NumberText, ReadsRegionalNumbers) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* text;
    const char* separator;
    bool dot_too;
    bool saturate;
    std::optional<double> expected;
  };
  const Case cases[] = {
      {"1,5", ",", false, false, 1.5},       {" -1,5e2\t", ",", false, false, -150.0},
      {"1.5", ",", false, false, std::nullopt}, {"1.5", ",", true, false, 1.5},
      {"1,5", ",", true, false, 1.5},        {"1.5", ".", false, false, 1.5},
      {",5", ",", false, false, 0.5},        {"5,", ",", false, false, 5.0},
      {"+2", ",", false, false, 2.0},        {"1 000", ",", false, false, std::nullopt},
      {"1,5,0", ",", false, false, std::nullopt}, {"", ",", true, true, std::nullopt},
      {",", ",", false, false, std::nullopt}, {"1e", ",", false, false, std::nullopt},
      {"--1", ",", false, false, std::nullopt}, {"1e400", ",", false, false, std::nullopt},
      {"1e400", ",", true, true, kInf},      {"-1e400", ",", true, true, -kInf},
      {"1e-400", ",", true, true, 0.0},      {"1,5", "", true, false, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegionalTextToDouble(c.text, c.separator, c.dot_too, c.saturate), c.expected)
        << c.text << " with '" << c.separator << "'";
  }
}

}  // namespace
}  // namespace qb
