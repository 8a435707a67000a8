// Variant: kinds, the conversion table (Empty, Null, ranges, rounding, text), arrays with
// lower bounds and equality.
#include "com/variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/date_serial.h"
#include "core/format_settings.h"

namespace qb {
namespace {

class VariantTest : public ::testing::Test {
 protected:
  ScopedFormatSettings us_{FormatSettings::Default()};
};

TEST_F(VariantTest, ConstructorsPickTheKind) {
  const std::pair<Variant, VarType> cases[] = {
      {Variant(), VarType::Empty}, {Variant::Null(), VarType::Null}, {Variant(true), VarType::Boolean},
      {Variant(std::uint8_t{7}), VarType::Byte}, {Variant(std::int16_t{7}), VarType::Int16},
      {Variant(42), VarType::Int32}, {Variant(1.5f), VarType::Single}, {Variant(1.5), VarType::Double},
      {Variant(Currency::FromScaled(1)), VarType::Currency}, {Variant("text"), VarType::String},
      {Variant(std::string("text")), VarType::String}, {Variant(std::string_view("text")), VarType::String},
      {Variant::FromDate(36526), VarType::Date}, {Variant::FromBytes({1, 2}), VarType::ByteArray},
      {Variant::FromArray({Variant(1)}), VarType::VariantArray},
  };
  for (const auto& [value, type] : cases) EXPECT_EQ(value.Type(), type) << static_cast<int>(type);
  EXPECT_EQ(Variant(static_cast<const char*>(nullptr)).ToString(), "");
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_FALSE(Variant::Null().IsEmpty());
  EXPECT_TRUE(Variant::FromBytes({}).IsArray());
}

TEST_F(VariantTest, EmptyConvertsToZeroAndNullRaises) {
  const Variant empty;
  EXPECT_EQ(empty.ToString(), "");
  EXPECT_FALSE(empty.ToBool());
  EXPECT_EQ(empty.ToByte(), 0);
  EXPECT_EQ(empty.ToInt16(), 0);
  EXPECT_EQ(empty.ToInt32(), 0);
  EXPECT_EQ(empty.ToInt64(), 0);
  EXPECT_EQ(empty.ToDouble(), 0);
  EXPECT_EQ(empty.ToCurrency().Scaled(), 0);
  EXPECT_EQ(empty.ToDate(), 0);

  const Variant null = Variant::Null();
  EXPECT_THROW(null.ToString(), EVariantError);
  EXPECT_THROW(null.ToBool(), EVariantError);
  EXPECT_THROW(null.ToByte(), EVariantError);
  EXPECT_THROW(null.ToInt32(), EVariantError);
  EXPECT_THROW(null.ToInt64(), EVariantError);
  EXPECT_THROW(null.ToSingle(), EVariantError);
  EXPECT_THROW(null.ToDouble(), EVariantError);
  EXPECT_THROW(null.ToCurrency(), EVariantError);
  EXPECT_THROW(null.ToDate(), EVariantError);
  EXPECT_EQ(null.ToStringOrEmpty(), "");
  EXPECT_EQ(Variant(5).ToStringOrEmpty(), "5");
}

TEST_F(VariantTest, IntegersRoundHalfToEvenAndCheckTheirRange) {
  struct Case {
    Variant value;
    std::int64_t expected;
  };
  const Case cases[] = {
      {Variant(2.5), 2},     {Variant(3.5), 4},       {Variant(-2.5), -2},
      {Variant(-3.5), -4},   {Variant(2.4999), 2},    {Variant(1.5f), 2},
      {Variant(true), -1},   {Variant(false), 0},     {Variant(Currency::FromScaled(25000)), 2},
      {Variant(Currency::FromScaled(35000)), 4},      {Variant(Currency::FromScaled(-25000)), -2},
      {Variant(Currency::FromScaled(-25001)), -3},    {Variant("  12 "), 12},
      {Variant("2.5"), 2},   {Variant("-7"), -7},     {Variant("1e2"), 100},
      {Variant::FromDate(36526.75), 36527},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.ToInt32(), c.expected) << c.value.ToString();
    EXPECT_EQ(c.value.ToInt64(), c.expected) << c.value.ToString();
  }
  EXPECT_EQ(Variant("-9223372036854775808").ToInt64(), std::numeric_limits<std::int64_t>::min());
}

TEST_F(VariantTest, OutOfRangeRaisesForEveryIntegerWidth) {
  EXPECT_EQ(Variant(255).ToByte(), 255);
  EXPECT_EQ(Variant(254.5).ToByte(), 254);
  // true is -1; the tie 255.5 rounds to 256.
  for (const Variant& v : {Variant(256), Variant(-1), Variant(true), Variant(255.5)}) {
    EXPECT_THROW(v.ToByte(), EVariantError) << v.ToString();
  }
  EXPECT_EQ(Variant(-32768).ToInt16(), -32768);
  EXPECT_THROW(Variant(32768).ToInt16(), EVariantError);
  EXPECT_THROW(Variant("40000").ToInt16(), EVariantError);
  EXPECT_EQ(Variant(2147483647.4).ToInt32(), 2147483647);
  for (const Variant& v : {Variant(2147483647.5), Variant(-2147483648.6), Variant(std::numeric_limits<double>::quiet_NaN()),
                           Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::max()))}) {
    EXPECT_THROW(v.ToInt32(), EVariantError) << v.ToString();
  }
  for (const Variant& v : {Variant(9.3e18), Variant("9223372036854775808"), Variant(std::numeric_limits<double>::infinity())}) {
    EXPECT_THROW(v.ToInt64(), EVariantError) << v.ToString();
  }
  EXPECT_THROW(Variant(1e300).ToSingle(), EVariantError);
  EXPECT_THROW(Variant(1e300).ToCurrency(), EVariantError);
  EXPECT_THROW(Variant("1e300").ToCurrency(), EVariantError);
}

TEST_F(VariantTest, TextThatDoesNotParseRaisesNamingTheText) {
  for (const char* bad : {"", "abc", "12abc", "1.2.3", "1,5", "--1", "+", "0x10", "1e"}) {
    EXPECT_THROW(Variant(bad).ToInt32(), EVariantError) << bad;
    EXPECT_THROW(Variant(bad).ToDouble(), EVariantError) << bad;
    EXPECT_THROW(Variant(bad).ToCurrency(), EVariantError) << bad;
  }
  EXPECT_THROW(Variant("yes").ToBool(), EVariantError);
  EXPECT_THROW(Variant("31/31/2000").ToDate(), EVariantError);
  try {
    Variant("twelve").ToInt16();
    FAIL() << "no error";
  } catch (const EVariantError& e) {
    EXPECT_STREQ(e.ClassName(), "EVariantError");
    EXPECT_NE(e.Message().find("'twelve'"), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("Int16"), std::string::npos) << e.Message();
  }
}

TEST_F(VariantTest, TextConversionsFollowTheFormatSettings) {
  EXPECT_EQ(Variant("1.25").ToDouble(), 1.25);
  EXPECT_EQ(Variant("12.34565").ToCurrency().Scaled(), 123456);
  EXPECT_EQ(Variant("1/1/2000 12:00").ToDate(), 36526.5);
  {
    FormatSettings comma = FormatSettings::Default();
    comma.DecimalSeparator = ",";
    comma.ShortDateFormat = "dd/mm/yyyy";
    comma.DateSeparator = ".";
    ScopedFormatSettings scope(comma);
    EXPECT_EQ(Variant("1,25").ToDouble(), 1.25);
    EXPECT_THROW(Variant("1.25").ToDouble(), EVariantError);
    EXPECT_EQ(Variant(1.25).ToString(), "1,25");
    EXPECT_EQ(Variant(Currency::FromScaled(5)).ToString(), "0,0005");
    EXPECT_EQ(Variant("2.1.2000").ToDate(), 36527);
    EXPECT_EQ(Variant::FromDate(36527.25).ToString(), "02.01.2000 6:00:00 AM");
  }
}

TEST_F(VariantTest, ValuesConvertToText) {
  struct Case {
    Variant value;
    const char* text;
  };
  const Case cases[] = {
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(std::uint8_t{200}), "200"},
      {Variant(std::int16_t{-5}), "-5"},
      {Variant(-2147483647 - 1), "-2147483648"},
      {Variant(0.1f), "0.1"},  // seven digits for Single
      {Variant(0.1), "0.1"},
      {Variant(1.0 / 3), "0.333333333333333"},
      {Variant(1e20), "1E20"},
      {Variant(Currency::FromScaled(123450)), "12.345"},
      {Variant::FromDate(36526), "1/1/2000"},
      {Variant::FromDate(0.75), "6:00:00 PM"},
      {Variant("as is"), "as is"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.value.ToString(), c.text);
  EXPECT_THROW(Variant::FromDate(1e9).ToString(), EVariantError);
}

TEST_F(VariantTest, BooleansDoublesCurrencyAndDatesCrossConvert) {
  EXPECT_TRUE(Variant(2).ToBool());
  EXPECT_TRUE(Variant(-0.5).ToBool());
  EXPECT_FALSE(Variant(0.0).ToBool());
  EXPECT_TRUE(Variant(Currency::FromScaled(1)).ToBool());
  EXPECT_TRUE(Variant(" TRUE ").ToBool());
  EXPECT_FALSE(Variant("false").ToBool());
  EXPECT_TRUE(Variant("-1").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_EQ(Variant(true).ToDouble(), -1);
  EXPECT_EQ(Variant(true).ToCurrency().Scaled(), -10000);
  EXPECT_EQ(Variant(7).ToCurrency().Scaled(), 70000);
  EXPECT_EQ(Variant(0.00015).ToCurrency().Scaled(), 2);
  EXPECT_EQ(Variant(Currency::FromScaled(15)).ToDouble(), 0.0015);
  EXPECT_EQ(Variant(36526.5).ToDate(), 36526.5);
  EXPECT_EQ(Variant::FromDate(-1.25).ToDouble(), -1.25);
  EXPECT_EQ(Variant(16777217.0).ToSingle(), 16777216.0f);
}

TEST_F(VariantTest, ArraysKeepTheirLowerBoundAndCheckEveryIndex) {
  const Variant bytes = Variant::FromBytes({10, 20, 30}, 1);
  EXPECT_EQ(bytes.LowBound(), 1);
  EXPECT_EQ(bytes.HighBound(), 3);
  EXPECT_EQ(bytes.ByteAt(1), 10);
  EXPECT_EQ(bytes.ByteAt(3), 30);
  EXPECT_THROW(bytes.ByteAt(0), EVariantError);
  EXPECT_THROW(bytes.ByteAt(4), EVariantError);
  EXPECT_THROW(bytes.Items(), EVariantError);
  EXPECT_EQ(bytes.Bytes(), (std::vector<std::uint8_t>{10, 20, 30}));

  const Variant items = Variant::FromArray({Variant(1), Variant("two"), Variant::Null()}, -1);
  EXPECT_EQ(items.LowBound(), -1);
  EXPECT_EQ(items.HighBound(), 1);
  EXPECT_EQ(items.ItemAt(0).ToString(), "two");
  EXPECT_TRUE(items.ItemAt(1).IsNull());
  EXPECT_THROW(items.ItemAt(2), EVariantError);
  EXPECT_THROW(items.ItemAt(std::numeric_limits<std::int32_t>::min()), EVariantError);
  EXPECT_THROW(items.Bytes(), EVariantError);

  const Variant empty = Variant::FromBytes({}, 5);
  EXPECT_EQ(empty.HighBound(), 4);
  EXPECT_THROW(empty.ByteAt(5), EVariantError);

  const Variant top = Variant::FromBytes({1}, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(top.HighBound(), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(top.ByteAt(std::numeric_limits<std::int32_t>::max()), 1);
  EXPECT_THROW(Variant::FromBytes({1, 2}, std::numeric_limits<std::int32_t>::max()),
               EVariantError);

  for (const Variant& array : {bytes, items}) {
    EXPECT_THROW(array.ToString(), EVariantError);
    EXPECT_THROW(array.ToInt32(), EVariantError);
    EXPECT_THROW(array.ToDouble(), EVariantError);
    EXPECT_THROW(array.ToBool(), EVariantError);
    EXPECT_THROW(array.ToCurrency(), EVariantError);
    EXPECT_THROW(array.ToDate(), EVariantError);
  }
  EXPECT_THROW(Variant(5).LowBound(), EVariantError);
  EXPECT_THROW(Variant(5).HighBound(), EVariantError);
  EXPECT_THROW(Variant::Null().ByteAt(0), EVariantError);
}

TEST_F(VariantTest, EqualityNeedsTheSameKindAndValue) {
  EXPECT_EQ(Variant(), Variant());
  EXPECT_EQ(Variant::Null(), Variant::Null());
  EXPECT_NE(Variant(), Variant::Null());
  EXPECT_EQ(Variant(2), Variant(2));
  EXPECT_NE(Variant(2), Variant(std::int16_t{2}));
  EXPECT_NE(Variant(2.0), Variant(2.0f));
  EXPECT_NE(Variant(36526.0), Variant::FromDate(36526));
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
  EXPECT_NE(Variant("a"), Variant("A"));
  EXPECT_EQ(Variant::FromBytes({1, 2}, 1), Variant::FromBytes({1, 2}, 1));
  EXPECT_NE(Variant::FromBytes({1, 2}, 1), Variant::FromBytes({1, 2}, 0));
  EXPECT_EQ(Variant::FromArray({Variant(1), Variant::Null()}),
            Variant::FromArray({Variant(1), Variant::Null()}));
  EXPECT_NE(Variant::FromArray({Variant(1)}), Variant::FromArray({Variant(2)}));

  Variant copy = Variant::FromArray({Variant("x")});
  const Variant original = copy;
  copy = Variant(3);  // values, not shared references
  EXPECT_EQ(original.ItemAt(0).ToString(), "x");
  Variant moved = std::move(copy);
  EXPECT_EQ(moved.ToInt32(), 3);
}

}  // namespace
}  // namespace qb
