// Tests of the Like matcher: each wildcard, lists and ranges, case folding and bad patterns.
#include "jet/sql/functions/like.h"

#include <gtest/gtest.h>

#include "sql_test_util.h"

namespace qb::jet::sql {
namespace {

struct LikeCase {
  const char* text;
  const char* pattern;
  bool matches;
};

class SqlLike : public ::testing::TestWithParam<LikeCase> {};

TEST_P(SqlLike, Matches) {
  EXPECT_EQ(LikeMatch(GetParam().text, GetParam().pattern), GetParam().matches)
      << GetParam().text << " Like " << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Wildcards, SqlLike,
    ::testing::Values(
        LikeCase{"", "", true}, LikeCase{"", "*", true}, LikeCase{"a", "", false},
        LikeCase{"abc", "a*", true}, LikeCase{"abc", "*c", true}, LikeCase{"abc", "*b*", true},
        LikeCase{"abc", "a*d", false}, LikeCase{"abc", "a?c", true}, LikeCase{"ac", "a?c", false},
        LikeCase{"a1c", "a#c", true}, LikeCase{"abc", "a#c", false},
        LikeCase{"ABC", "abc", true}, LikeCase{"Ärger", "ä*", true},
        LikeCase{"STRASSE", "strasse", true}, LikeCase{"b", "[abc]", true},
        LikeCase{"d", "[abc]", false}, LikeCase{"d", "[!abc]", true},
        LikeCase{"a", "[!abc]", false}, LikeCase{"m", "[a-z]", true}, LikeCase{"M", "[a-z]", true},
        LikeCase{"5", "[a-z]", false}, LikeCase{"-", "[a-]", true}, LikeCase{"-", "[-a]", true},
        LikeCase{"*", "[*]", true}, LikeCase{"x", "[*]", false}, LikeCase{"?", "[?]", true},
        LikeCase{"#", "[#]", true}, LikeCase{"[", "[[]", true}, LikeCase{"]", "]", true},
        LikeCase{"a%", "a%", true}, LikeCase{"ab", "a_", false}, LikeCase{"é", "?", true},
        LikeCase{"xxABCyy", "*abc*", true}, LikeCase{"xxAByy", "*abc*", false},
        LikeCase{"abcd", "ABC*", true}, LikeCase{"xabc", "abc*", false}, LikeCase{"xABC", "*abc", true},
        LikeCase{"abcx", "*abc", false}, LikeCase{"ab", "*abc*", false}, LikeCase{"anything", "**", true},
        LikeCase{"\xE2\x84\xAA", "*k*", true}, LikeCase{"\xC3\xA4-ABC", "*abc*", true},
        LikeCase{"a\xFF" "b", "a?b", true}, LikeCase{"\xFF", "\xFF", true},
        LikeCase{"aXbXc", "*X*X*", true}, LikeCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
                                                    "*a*a*a*a*a*a*a*a*a*a*c", false}));

TEST(SqlLikeErrors, BadPatternsRaise93) {
  EXPECT_EQ(test::ErrorNumberOf([] { LikeMatch("a", "[abc"); }), 93);
  EXPECT_EQ(test::ErrorNumberOf([] { LikeMatch("a", "[z-a]"); }), 93);
}

TEST(SqlLikeVariants, NullGivesNull) {
  EXPECT_TRUE(Like(Variant::Null(), Variant("a")).IsNull());
  EXPECT_TRUE(Like(Variant("a"), Variant::Null()).IsNull());
  EXPECT_EQ(Like(Variant(12), Variant("1#")), Variant(true));
}

}  // namespace
}  // namespace qb::jet::sql
