// Text to and from the drivers' UTF-16: every UTF-8 length and the pairs beyond the first plane
// exact both ways, and broken input (stray continuation bytes, cut sequences, leads that are not
// UTF-8, lone surrogates) turned into U+FFFD without reading past the end or losing what follows.
#include "jet/odbc/wide_text.h"

#include <gtest/gtest.h>

namespace qb::jet::test {
namespace {

using Units = std::vector<SQLWCHAR>;

TEST(WideTextTest, Utf8ToUtf16AndBack) {
  struct Case {
    const char* what;
    std::string text;
    Units units;
    bool round_trip;  // Utf8Of gives TEXT back
  };
  const Case cases[] = {
      {"empty", "", {}, true},
      {"ascii", "a'\\b", {'a', '\'', '\\', 'b'}, true},
      {"two bytes", "\xC3\xBC", {0xFC}, true},
      {"three bytes", "\xE2\x82\xAC", {0x20AC}, true},
      {"four bytes as a pair", "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}, true},
      {"last code point", "\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}, true},
      {"stray continuation", "a\x80z", {'a', 0xFFFD, 'z'}, false},
      {"cut at the end", "a\xE2\x82", {'a', 0xFFFD, 0xFFFD}, false},
      {"cut before ascii", "\xE2\x82z", {0xFFFD, 0xFFFD, 'z'}, false},
      {"not a lead", "\xF8\x88\x80\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}, false},
      {"beyond the last code point", "\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}, false},
  };
  Units units = {1, 2, 3};  // replaced, not appended to
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    odbc::Utf16Into(c.text, units);
    EXPECT_EQ(units, c.units);
    if (c.round_trip) {
      EXPECT_EQ(odbc::Utf8Of(units, units.size()), c.text);
    }
  }
}

TEST(WideTextTest, LoneSurrogatesAndCountsReadBack) {
  EXPECT_EQ(odbc::Utf8Of({'a', 0xD800, 'b'}, 3), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(odbc::Utf8Of({0xDC00}, 1), "\xEF\xBF\xBD");
  EXPECT_EQ(odbc::Utf8Of({0xD83D, 0xDE00}, 1), "\xEF\xBF\xBD") << "a pair cut by the count";
  EXPECT_EQ(odbc::Utf8Of({'x', 'y', 0}, 2), "xy");
}

}  // namespace
}  // namespace qb::jet::test
