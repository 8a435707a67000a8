// How quill writes values and reads typed parameters: every kind of value at its edges, and
// parameter text that must be refused rather than guessed.
#include "cli/value_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "cli/command_line.h"
#include "core/currency.h"
#include "core/date_serial.h"
#include "jet/base/jet_types.h"

namespace qb::cli {
namespace {

namespace dao_type = jet::sql::dao_type;

TEST(ValueTextTest, EveryKindAtItsEdges) {
  const double new_year = EncodeDate(2000, 1, 1);
  const struct {
    Variant value;
    const char* text;
  } cases[] = {
      {Variant(), ""}, {Variant::Null(), ""}, {Variant(true), "True"}, {Variant(false), "False"},
      {Variant(std::uint8_t{255}), "255"}, {Variant(std::int16_t{-32768}), "-32768"},
      {Variant(std::numeric_limits<std::int32_t>::min()), "-2147483648"},
      {Variant("tab\tand\nline"), "tab\tand\nline"}, {Variant(""), ""},
      // Numbers read back exactly; a Single with the digits of the float, not of its widened double.
      {Variant(0.1), "0.1"}, {Variant(0.1 + 0.2), "0.30000000000000004"}, {Variant(-2.5), "-2.5"},
      {Variant(3.0), "3"}, {Variant(1e300), "1e+300"}, {Variant(0.1f), "0.1"}, {Variant(16777216.0f), "16777216"},
      // Written out in full up to 15 digits before the point and down to 0.00001.
      {Variant(1e6), "1000000"}, {Variant(-2e6), "-2000000"}, {Variant(1e6f), "1000000"},
      {Variant(123456789012345.0), "123456789012345"}, {Variant(999999999999999.0), "999999999999999"},
      {Variant(1e15), "1e+15"}, {Variant(1e20), "1e+20"}, {Variant(0.00001), "0.00001"},
      {Variant(0.000015), "0.000015"}, {Variant(1.5e-7), "1.5e-07"}, {Variant(0.0), "0"},
      // Currency keeps up to four decimals.
      {Variant(Currency::FromScaled(125000)), "12.5"}, {Variant(Currency::FromScaled(30000)), "3"},
      {Variant(Currency::FromScaled(-1)), "-0.0001"}, {Variant(Currency::FromScaled(12345)), "1.2345"},
      {Variant(Currency::FromScaled(0)), "0"},
      {Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::min())), "-922337203685477.5808"},
      {Variant::FromDate(EncodeDateTime(2024, 2, 29, 13, 5, 9)), "2024-02-29 13:05:09"},
      {Variant::FromDate(EncodeDate(1999, 12, 31)), "1999-12-31"}, {Variant::FromDate(EncodeTime(8, 30, 0)), "08:30:00"},
      {Variant::FromDate(0), "1899-12-30"}, {Variant::FromDate(EncodeDate(100, 1, 1)), "100-01-01"},
      // Before day 0 the fraction still counts forward from midnight.
      {Variant::FromDate(-1.25), "1899-12-29 06:00:00"},
      // Times round to the nearest second, carrying into the next day.
      {Variant::FromDate(new_year + 0.4 / 86400), "2000-01-01"}, {Variant::FromDate(new_year - 0.4 / 86400), "2000-01-01"},
      {Variant::FromDate(EncodeDateTime(2000, 12, 31, 23, 59, 59, 700)), "2001-01-01"},
      // No calendar date: the serial itself rather than a failure in the middle of an export.
      {Variant::FromDate(1e7), "1e+07"},
      {Variant::FromBytes({0x00, 0xAB, 0x0f, 0xFF}), "0x00AB0FFF"}, {Variant::FromBytes({}), "0x"},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueText(c.value), c.text);
}

TEST(ParameterValueTest, ConvertsByDeclaredType) {
  const struct {
    const char* text;
    int type;
    Variant value;
  } cases[] = {
      {"yes", dao_type::kBoolean, Variant(true)}, {"FALSE", dao_type::kBoolean, Variant(false)},
      {"-1", dao_type::kBoolean, Variant(true)}, {"0", dao_type::kBoolean, Variant(false)},
      {"255", dao_type::kByte, Variant(std::uint8_t{255})}, {"-32768", dao_type::kInteger, Variant(std::int16_t{-32768})},
      {"+42", dao_type::kLong, Variant(42)}, {"12.3456", dao_type::kCurrency, Variant(Currency::FromScaled(123456))},
      {"1.5", dao_type::kSingle, Variant(1.5f)}, {"-1e-3", dao_type::kDouble, Variant(-0.001)},
      {"2024-02-29", dao_type::kDate, Variant::FromDate(EncodeDate(2024, 2, 29))},
      {"2024-02-29 07:08:09", dao_type::kDate, Variant::FromDate(EncodeDateTime(2024, 2, 29, 7, 8, 9))},
      {"0x00fF", dao_type::kLongBinary, Variant::FromBytes({0x00, 0xFF})},
      {" as typed ", dao_type::kText, Variant(" as typed ")}, {"12", dao_type::kMemo, Variant("12")},
  };
  for (const auto& c : cases) EXPECT_EQ(ParameterValue("p", c.text, c.type), c.value) << c.text << " as " << c.type;
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
