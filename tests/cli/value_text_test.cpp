// How quill writes values and reads typed parameters: every kind of value at its edges, and
// parameter text that must be refused rather than guessed.
#include "cli/value_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "cli/command_line.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "jet/sql/jet_types.h"

namespace qb::cli {
namespace {

namespace dao_type = jet::sql::dao_type;

TEST(ValueTextTest, ScalarsAndNull) {
  EXPECT_EQ(ValueText(Variant()), "");
  EXPECT_EQ(ValueText(Variant::Null()), "");
  EXPECT_EQ(ValueText(Variant(true)), "True");
  EXPECT_EQ(ValueText(Variant(false)), "False");
  EXPECT_EQ(ValueText(Variant(std::uint8_t{255})), "255");
  EXPECT_EQ(ValueText(Variant(std::int16_t{-32768})), "-32768");
  EXPECT_EQ(ValueText(Variant(std::numeric_limits<std::int32_t>::min())), "-2147483648");
  EXPECT_EQ(ValueText(Variant("tab\tand\nline")), "tab\tand\nline");
  EXPECT_EQ(ValueText(Variant("")), "");
}

TEST(ValueTextTest, NumbersReadBackExactly) {
  EXPECT_EQ(ValueText(Variant(0.1)), "0.1");
  EXPECT_EQ(ValueText(Variant(0.1 + 0.2)), "0.30000000000000004");
  EXPECT_EQ(ValueText(Variant(-2.5)), "-2.5");
  EXPECT_EQ(ValueText(Variant(3.0)), "3");
  EXPECT_EQ(ValueText(Variant(1e300)), "1e+300");
  // A Single is written with the digits of the float, not of its widened double.
  EXPECT_EQ(ValueText(Variant(0.1f)), "0.1");
  EXPECT_EQ(ValueText(Variant(16777216.0f)), "16777216");
}

TEST(ValueTextTest, CurrencyKeepsUpToFourDecimals) {
  EXPECT_EQ(ValueText(Variant(Currency::FromScaled(125000))), "12.5");
  EXPECT_EQ(ValueText(Variant(Currency::FromScaled(30000))), "3");
  EXPECT_EQ(ValueText(Variant(Currency::FromScaled(-1))), "-0.0001");
  EXPECT_EQ(ValueText(Variant(Currency::FromScaled(12345))), "1.2345");
  EXPECT_EQ(ValueText(Variant(Currency::FromScaled(0))), "0");
  EXPECT_EQ(ValueText(Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::min()))),
            "-922337203685477.5808");
}

TEST(ValueTextTest, DatesTimesAndBoth) {
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeDateTime(2024, 2, 29, 13, 5, 9))), "2024-02-29 13:05:09");
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeDate(1999, 12, 31))), "1999-12-31");
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeTime(8, 30, 0))), "08:30:00");
  EXPECT_EQ(ValueText(Variant::FromDate(0)), "1899-12-30");
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeDate(100, 1, 1))), "100-01-01");
  // Before day 0 the fraction still counts forward from midnight.
  EXPECT_EQ(ValueText(Variant::FromDate(-1.25)), "1899-12-29 06:00:00");
  // Times round to the nearest second, carrying into the next day.
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeDate(2000, 1, 1) + 0.4 / 86400)), "2000-01-01");
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeDate(2000, 1, 1) - 0.4 / 86400)), "2000-01-01");
  EXPECT_EQ(ValueText(Variant::FromDate(EncodeDateTime(2000, 12, 31, 23, 59, 59, 700))), "2001-01-01");
  // No calendar date: the serial itself rather than a failure in the middle of an export.
  EXPECT_EQ(ValueText(Variant::FromDate(1e7)), "1e+07");
}

TEST(ValueTextTest, BinaryAsUpperCaseHex) {
  EXPECT_EQ(ValueText(Variant::FromBytes({0x00, 0xAB, 0x0f, 0xFF})), "0x00AB0FFF");
  EXPECT_EQ(ValueText(Variant::FromBytes({})), "0x");
}

TEST(ParameterValueTest, ConvertsByDeclaredType) {
  EXPECT_EQ(ParameterValue("p", "yes", dao_type::kBoolean), Variant(true));
  EXPECT_EQ(ParameterValue("p", "FALSE", dao_type::kBoolean), Variant(false));
  EXPECT_EQ(ParameterValue("p", "-1", dao_type::kBoolean), Variant(true));
  EXPECT_EQ(ParameterValue("p", "0", dao_type::kBoolean), Variant(false));
  EXPECT_EQ(ParameterValue("p", "255", dao_type::kByte), Variant(std::uint8_t{255}));
  EXPECT_EQ(ParameterValue("p", "-32768", dao_type::kInteger), Variant(std::int16_t{-32768}));
  EXPECT_EQ(ParameterValue("p", "+42", dao_type::kLong), Variant(42));
  EXPECT_EQ(ParameterValue("p", "12.3456", dao_type::kCurrency), Variant(Currency::FromScaled(123456)));
  EXPECT_EQ(ParameterValue("p", "1.5", dao_type::kSingle), Variant(1.5f));
  EXPECT_EQ(ParameterValue("p", "-1e-3", dao_type::kDouble), Variant(-0.001));
  EXPECT_EQ(ParameterValue("p", "2024-02-29", dao_type::kDate), Variant::FromDate(EncodeDate(2024, 2, 29)));
  EXPECT_EQ(ParameterValue("p", "2024-02-29 07:08:09", dao_type::kDate),
            Variant::FromDate(EncodeDateTime(2024, 2, 29, 7, 8, 9)));
  EXPECT_EQ(ParameterValue("p", "0x00fF", dao_type::kLongBinary), Variant::FromBytes({0x00, 0xFF}));
  EXPECT_EQ(ParameterValue("p", " as typed ", dao_type::kText), Variant(" as typed "));
  EXPECT_EQ(ParameterValue("p", "12", dao_type::kMemo), Variant("12"));
}

TEST(ParameterValueTest, RefusesTextThatDoesNotConvert) {
  const struct {
    const char* text;
    int type;
  } cases[] = {
      {"maybe", dao_type::kBoolean},  {"256", dao_type::kByte},        {"-1", dao_type::kByte},
      {"32768", dao_type::kInteger},  {"1.5", dao_type::kLong},        {"", dao_type::kLong},
      {"+-5", dao_type::kLong},       {"12,5", dao_type::kCurrency},   {"1e20", dao_type::kCurrency},
      {"1e39", dao_type::kSingle},    {"nan", dao_type::kDouble},      {"1.5x", dao_type::kDouble},
      {"2023-02-29", dao_type::kDate}, {"2024-1-1 24:00:00", dao_type::kDate}, {"1/2/2024", dao_type::kDate},
      {"2024-01-01T10:00:00", dao_type::kDate}, {"0xABC", dao_type::kBinary}, {"AB", dao_type::kBinary},
  };
  for (const auto& c : cases) {
    try {
      ParameterValue("Amount", c.text, c.type);
      ADD_FAILURE() << "accepted '" << c.text << "' for type " << c.type;
    } catch (const UsageError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("'Amount'"), std::string::npos) << message;
      EXPECT_NE(message.find("'" + std::string(c.text) + "'"), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace qb::cli
