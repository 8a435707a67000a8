// Tests of the parameter dialog's type tables and value conversions: the entry shown for every
// Jet type and direction, booleans by their first character, numbers and dates under regional
// settings with a comma, texts that do not convert, and types whose value stays.
#include <gtest/gtest.h>

#include "app/storedproc/parameter_values.h"
#include "core/convert_error.h"
#include "core/date_serial.h"
#include "core/format_settings.h"

namespace qb::test {
namespace {

TEST(ParameterValues, EveryJetTypeAndDirectionShowsItsEntry) {
  ASSERT_EQ(ParameterDataTypeNames().size(), 23u);
  ASSERT_EQ(ParameterKindNames().size(), 5u);
  const char* const shown[] = {
      "ftUnknown",  "ftBoolean", "ftSmallint", "ftInteger", "ftInteger", "ftCurrency", "ftFloat",   "ftFloat",
      "ftDate",     "ftBlob",    "ftString",   "ftBlob",    "ftMemo",    "ftUnknown",  "ftUnknown", "ftUnknown",
      "ftUnknown",  "ftBlob",    "ftString",   "ftFloat",   "ftFloat",   "ftFloat",    "ftTime",    "ftDateTime",
      "ftUnknown",  "ftUnknown"};
  for (int type = 0; type < static_cast<int>(std::size(shown)); ++type) {
    EXPECT_EQ(ParameterDataTypeNames()[DataTypeEntryOfJetType(type)], shown[type]) << "Jet type " << type;
  }
  EXPECT_EQ(ParameterDataTypeNames()[DataTypeEntryOfJetType(-1)], "ftUnknown");
  const char* const kinds[] = {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult", "ptUnknown"};
  for (int direction = 0; direction < 6; ++direction) {
    EXPECT_EQ(ParameterKindNames()[ParameterKindEntryOfDirection(direction)], kinds[direction]) << direction;
  }
  EXPECT_EQ(ParameterKindNames()[ParameterKindEntryOfDirection(-3)], "ptUnknown");
}

TEST(ParameterValues, BooleanIsTrueOnlyForTextsStartingWithTOneOrW) {
  const std::pair<const char*, bool> cases[] = {{"True", true}, {"t", true},    {"1", true},  {"W", true},
                                                {"wahr", true}, {"yes", false}, {"0", false}, {"", false},
                                                {" true", false}, {"False", false}, {"-1", false}};
  for (const auto& [text, expected] : cases) {
    const std::optional<Variant> value = ParameterValueFromText(1, text);
    ASSERT_TRUE(value.has_value()) << text;
    EXPECT_EQ(*value, Variant(expected)) << "'" << text << "'";
  }
}

TEST(ParameterValues, NumbersAndDatesAreReadUnderTheRegionalSettings) {
  FormatSettings german;
  german.DecimalSeparator = ",";
  german.ThousandSeparator = ".";
  german.DateSeparator = ".";
  german.ShortDateFormat = "dd.MM.yyyy";
  ScopedFormatSettings scope(german);
  struct Case {
    int jet_type;
    const char* text;
    Variant expected;
  };
  const Case cases[] = {
      {2, "12", Variant(12)},
      {3, "-32768", Variant(-32768)},
      {4, " 2147483647 ", Variant(2147483647)},
      {5, "12,3456", Variant(Currency::FromScaled(123456))},
      {6, "1,5", Variant(1.5)},
      {7, "-2,25e2", Variant(-225.0)},
      {19, "3", Variant(3.0)},
      {20, "0,5", Variant(0.5)},
      {21, "7,0", Variant(7.0)},
      {8, "24.12.2026", Variant::FromDate(TextToDateTime("24.12.2026", german))},
      {22, "13:45", Variant::FromDate(TextToDateTime("13:45", german))},
      {23, "01.02.2003 04:05:06", Variant::FromDate(TextToDateTime("01.02.2003 04:05:06", german))},
      {10, " kept as typed ", Variant(" kept as typed ")},
      {18, "", Variant("")},
  };
  for (const Case& c : cases) {
    const std::optional<Variant> value = ParameterValueFromText(c.jet_type, c.text);
    ASSERT_TRUE(value.has_value()) << c.jet_type << " " << c.text;
    EXPECT_EQ(*value, c.expected) << c.jet_type << " '" << c.text << "'";
  }
  // The shown text reads back to the same value.
  EXPECT_EQ(ParameterValueText(Variant(1.5)), "1,5");
  EXPECT_EQ(*ParameterValueFromText(7, ParameterValueText(Variant(1.5))), Variant(1.5));
  EXPECT_EQ(*ParameterValueFromText(1, ParameterValueText(Variant(true))), Variant(true));
  EXPECT_EQ(ParameterValueText(Variant::Null()), "");
  EXPECT_EQ(ParameterValueText(Variant()), "");
}

TEST(ParameterValues, TextsThatDoNotConvertRaiseTheConversionError) {
  ScopedFormatSettings scope(FormatSettings{});  // "." before fractions, month first
  const std::pair<int, const char*> cases[] = {
      {4, ""},      {4, "12a"},  {4, "1.5"}, {4, "2147483648"}, {3, "-2147483649"}, {2, "x"},
      {5, "1,2,3"}, {5, "$5"},   {7, ""},    {7, "1,5"},        {6, "one"},          {8, "32/13/2020"},
      {8, ""},      {23, "noon"}};
  for (const auto& [type, text] : cases) {
    EXPECT_THROW(ParameterValueFromText(type, text), EConvertError) << type << " '" << text << "'";
  }
}

TEST(ParameterValues, OtherTypesLeaveTheValueAlone) {
  for (int type : {0, 9, 11, 12, 13, 14, 15, 16, 17, 24, 99}) {
    EXPECT_FALSE(ParameterValueFromText(type, "anything").has_value()) << type;
  }
}

}  // namespace
}  // namespace qb::test
