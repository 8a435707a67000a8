// Format directives, widths and precisions, argument kinds, and the general number form.
#include "core/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace qb {
namespace {

FormatSettings CommaDecimal() {
  FormatSettings s;
  s.DecimalSeparator = ",";
  return s;
}

TEST(FormatTest, IntegersWidthPrecisionAndJustification) {
  ScopedFormatSettings us(FormatSettings::Default());
  EXPECT_EQ(Format("%d", 42), "42");
  EXPECT_EQ(Format("[%5d]", 42), "[   42]");
  EXPECT_EQ(Format("[%-5d]", 42), "[42   ]");
  EXPECT_EQ(Format("[%.4d]", -42), "[-0042]");
  EXPECT_EQ(Format("[%6.3d]", 7), "[   007]");
  EXPECT_EQ(Format("[%1d]", 12345), "[12345]");  // width never truncates
  EXPECT_EQ(Format("%d", std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(Format("%d", std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
  EXPECT_EQ(Format("%u", -1), "4294967295");  // wraps at the argument's own width
  EXPECT_EQ(Format("%u", std::int16_t{-1}), "65535");
  EXPECT_EQ(Format("%x %X", 255, 255), "ff FF");
  EXPECT_EQ(Format("%X", -1), "FFFFFFFF");
  EXPECT_EQ(Format("%.4X", 10), "000A");
  EXPECT_EQ(Format("%d%%", 50), "50%");
}

TEST(FormatTest, StarTakesWidthAndPrecisionFromArguments) {
  EXPECT_EQ(Format("[%*d]", 4, 7), "[   7]");
  EXPECT_EQ(Format("[%*d]", -4, 7), "[7   ]");  // a negative width left-justifies
  EXPECT_EQ(Format("[%.*s]", 2, "abcdef"), "[ab]");
  EXPECT_EQ(Format("[%*.*f]", 8, 3, 3.14159), "[   3.142]");
}

TEST(FormatTest, ArgumentIndexRestartsTheSequence) {
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("%0:s-%0:s", "x"), "x-x");
}

TEST(FormatTest, TextPrecisionAndWidthCountCharactersNotBytes) {
  EXPECT_EQ(Format("[%s]", std::string("abc")), "[abc]");
  EXPECT_EQ(Format("[%s]", std::string_view("abc").substr(1)), "[bc]");
  EXPECT_EQ(Format("[%s]", static_cast<const char*>(nullptr)), "[]");
  EXPECT_EQ(Format("[%-6s|%6s]", "ab", "cd"), "[ab    |    cd]");
  // "ä" is two bytes: a width of 4 adds two blanks, a precision of 2 keeps both characters whole.
  EXPECT_EQ(Format("[%4s]", "\xC3\xA4x"), "[  \xC3\xA4x]");
  EXPECT_EQ(Format("[%.2s]", "\xC3\xA4\xC3\xB6\xC3\xBC"), "[\xC3\xA4\xC3\xB6]");
}

TEST(FormatTest, FloatsUseTheDecimalSeparator) {
  struct Case {
    const char* fmt;
    double value;
    const char* us;
    const char* comma;
  };
  const Case cases[] = {
      {"%f", 3.14159, "3.14", "3,14"},
      {"%.0f", 2.5, "2", "2"},
      {"%.3f", -0.0004, "0.000", "0,000"},  // no "-0.000"
      {"%8.2f", -1.5, "   -1.50", "   -1,50"},
      {"%g", 0.1, "0.1", "0,1"},
      {"%g", 12.5, "12.5", "12,5"},
      {"%g", 1e20, "1E20", "1E20"},
      {"%g", 1.5e-7, "1.5E-7", "1,5E-7"},
      {"%g", 0.0001, "0.0001", "0,0001"},
      {"%g", 123456789012345678.0, "1.23456789012346E17", "1,23456789012346E17"},
      {"%.3g", 1234.0, "1.23E3", "1,23E3"},
      {"%g", 0.0, "0", "0"},
      {"%e", 1234.5, "1.23450000000000E+003", "1,23450000000000E+003"},
      {"%.3e", -0.00012345, "-1.23E-004", "-1,23E-004"},
  };
  for (const Case& c : cases) {
    const FormatArg arg(c.value);
    EXPECT_EQ(FormatArgs(c.fmt, std::span(&arg, 1), FormatSettings::Default()), c.us) << c.fmt;
    EXPECT_EQ(FormatArgs(c.fmt, std::span(&arg, 1), CommaDecimal()), c.comma) << c.fmt;
  }
  EXPECT_EQ(Format("%g", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(Format("%g", std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(FormatTest, PointersAsEightUpperCaseHexDigits) {
  EXPECT_EQ(Format("%p", nullptr), "00000000");
  EXPECT_EQ(Format("%p", static_cast<const void*>(nullptr)), "00000000");
  EXPECT_EQ(Format("%p", reinterpret_cast<const void*>(std::uintptr_t{0xABCDEF})), "00ABCDEF");
  // Only the low 32 bits of a wider address are shown.
  EXPECT_EQ(Format("%p", reinterpret_cast<const void*>(std::uintptr_t{0x7F12345678AB})),
            "345678AB");
  EXPECT_EQ(Format("[%10p]", nullptr), "[  00000000]");
}

TEST(FormatTest, WrongKindsMissingArgumentsAndBadDirectivesRaise) {
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%d", 1.5), EConvertError);
  EXPECT_THROW(Format("%s", 42), EConvertError);
  EXPECT_THROW(Format("%f", 42), EConvertError);
  EXPECT_THROW(Format("%p", 42), EConvertError);
  EXPECT_THROW(Format("%x", nullptr), EConvertError);
  EXPECT_THROW(Format("%*d", "4", 1), EConvertError);
  EXPECT_THROW(Format("%s %s", "one"), EConvertError);
  EXPECT_THROW(Format("%d"), EConvertError);
  EXPECT_THROW(Format("%2:s", "a", "b"), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
  EXPECT_THROW(Format("100%", 1), EConvertError);
  EXPECT_THROW(Format("%5"), EConvertError);
  EXPECT_THROW(Format("%99999999d", 1), EConvertError);  // refused, not allocated
  try {
    Format("Table %s has %d rows", "Orders", "many");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.ClassName(), "EConvertError");
    EXPECT_NE(e.Message().find("%d"), std::string::npos) << e.Message();
  }
}

TEST(FormatTest, ExtraArgumentsAndPlainTextPassThrough) {
  EXPECT_EQ(Format("no directives"), "no directives");
  EXPECT_EQ(Format("%s", "a", "ignored"), "a");
  EXPECT_EQ(Format(""), "");
}

}  // namespace
}  // namespace qb
