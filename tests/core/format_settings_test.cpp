// Format settings: the fixed defaults of the plain locale, overrides that nest, and the
// settings read from an installed locale.
#include "core/format_settings.h"

#include <gtest/gtest.h>

#include <locale.h>

#include "core/date_serial.h"
#include "core/format.h"

namespace qb {
namespace {

TEST(FormatSettingsTest, PlainLocaleGivesTheFixedDefaults) {
  for (const char* name : {"C", "POSIX", "C.UTF-8", "no_SUCH.locale"}) {
    const FormatSettings s = FormatSettings::FromLocale(name);
    EXPECT_EQ(s.DecimalSeparator, ".") << name;
    EXPECT_EQ(s.ShortDateFormat, "M/d/yyyy") << name;
    EXPECT_EQ(s.LongTimeFormat, "h:nn:ss AMPM") << name;
    EXPECT_EQ(s.CurrencyString, "$") << name;
  }
}

TEST(FormatSettingsTest, OverridesNestAndRestore) {
  const std::string outer_separator = CurrentFormatSettings().DecimalSeparator;
  {
    FormatSettings comma;
    comma.DecimalSeparator = ",";
    ScopedFormatSettings first(comma);
    EXPECT_EQ(Format("%.1f", 2.5), "2,5");
    {
      FormatSettings dots;
      dots.DecimalSeparator = ".";
      dots.ShortDateFormat = "dd/mm/yyyy";
      dots.DateSeparator = "-";
      ScopedFormatSettings second(dots);
      EXPECT_EQ(Format("%.1f", 2.5), "2.5");
      EXPECT_EQ(DateTimeToText(36526), "01-01-2000");
    }
    EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, ",");
    first.Settings().DecimalSeparator = ";";  // changes show through while in force
    EXPECT_EQ(Format("%.1f", 2.5), "2;5");
  }
  EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, outer_separator);
}

TEST(FormatSettingsTest, InstalledLocaleIsTranslatedWithoutTouchingTheProcessLocale) {
  locale_t probe = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  if (probe == static_cast<locale_t>(0)) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  freelocale(probe);
  const std::string before = setlocale(LC_ALL, nullptr);
  const FormatSettings s = FormatSettings::FromLocale("de_DE.UTF-8");
  EXPECT_EQ(setlocale(LC_ALL, nullptr), before);
  EXPECT_EQ(s.DecimalSeparator, ",");
  EXPECT_EQ(s.ThousandSeparator, ".");
  EXPECT_EQ(s.DateSeparator, ".");
  EXPECT_EQ(s.ShortDateFormat, "dd/mm/yyyy");
  EXPECT_EQ(s.TimeSeparator, ":");
  EXPECT_EQ(s.LongTimeFormat, "hh:nn:ss");
  EXPECT_EQ(s.ShortTimeFormat, "hh:nn");
  EXPECT_EQ(s.LongMonthNames[2], "M\xC3\xA4rz");
  EXPECT_EQ(s.CurrencyString, "\xE2\x82\xAC");
  EXPECT_EQ(s.CurrencyFormat, 3);  // "1 €"
  EXPECT_EQ(s.CurrencyDecimals, 2);
  EXPECT_EQ(FormatDateTime("ddddd", 36526, s), "01.01.2000");
  EXPECT_EQ(TextToDateTime("31.12.1999 13:00", s), 36525 + 13.0 / 24);
}

}  // namespace
}  // namespace qb
