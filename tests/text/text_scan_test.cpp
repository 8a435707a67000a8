// The shared text routines: whole-word keyword search and its traps, clause cutting and
// replacing as the SQL clause properties and connect strings use them, word splitting, and the
// character routines on UTF-8 text.
#include "engine/text_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb {
namespace {

using Keywords = std::vector<std::string>;

const char kSqlSeparators[] = " ,;()=\n\r\t";
const Keywords kWhereEnds = {"GROUP BY", "HAVING", "ORDER BY"};

struct FindCase {
  const char* name;
  std::string text;
  std::string keyword;
  int start;
  std::string separators;
  bool ignore_case;
  bool whole_word;
  int expected;  // match position, or 0 for "not found"
};

TEST(TextScanTest, FindKeywordCases) {
  const FindCase cases[] = {
      {"inside ELSEWHERE is no word start", "SELECT * FROM T ELSEWHERE", "WHERE", 1, " ", false,
       true, 0},
      {"inside a word without whole-word", "SELECT * FROM T ELSEWHERE", "WHERE", 1, " ", false,
       false, 21},
      {"at the very end", "SELECT a FROM t WHERE", "WHERE", 1, " ", false, true, 17},
      {"at position 1", "WHERE x = 1", "WHERE", 1, " ", false, true, 1},
      {"followed by a letter at the end", "a WHEREx", "WHERE", 1, " ", false, true, 0},
      {"longer than the text", "AB", "ABC", 1, " ", false, false, 0},
      {"two words as written", "SELECT a FROM t GROUP BY a", "GROUP BY", 1, " ", false, true,
       17},
      {"two words with two blanks", "SELECT a FROM t GROUP  BY a", "GROUP BY", 1, " ", false,
       true, 0},
      {"two words with a tab", "SELECT a FROM t GROUP\tBY a", "GROUP BY", 1, " \t", false, true,
       0},
      {"ignore case", "select a from t where x", "WHERE", 1, " ", true, true, 17},
      {"case matters without the flag", "select a from t where x", "WHERE", 1, " ", false, true,
       0},
      {"only ASCII letters fold", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", 1, " ", true, false,
       0},
      {"leading separators are skipped", "  (WHERE)", "WHERE", 1, " (", false, true, 0},
      {"any separator ends the word", "  (WHERE)", "WHERE", 1, " ()", false, true, 4},
      {"start inside a word moves to the next word", "WHERE a WHERE", "WHERE", 2, " ", false,
       true, 9},
      {"start counts as a word start", "xWHERE a", "WHERE", 2, " ", false, true, 2},
      {"non-whole-word from a later start", "abcabc", "bc", 3, "", false, false, 5},
      {"start below 1 is taken as 1", "WHERE", "WHERE", -7, " ", false, true, 1},
      {"start past the end", "WHERE", "WHERE", 100, " ", false, true, 0},
      {"empty keyword is never found", "abc", "", 1, " ", false, false, 0},
      {"no separators: only a match ending the text", "WHERE", "WHERE", 1, "", false, true, 1},
      {"no separators: no later word starts", "a WHERE", "WHERE", 1, "", false, true, 0},
      {"beside UTF-8 text", "FROM \"t\xC3\xABst\" WHERE x", "WHERE", 1, " ", false, true, 14},
  };
  for (const FindCase& c : cases) {
    int pos = c.start;
    bool found = FindKeyword(c.text, c.keyword, pos, c.separators, c.ignore_case, c.whole_word);
    EXPECT_EQ(found, c.expected != 0) << c.name;
    EXPECT_EQ(pos, c.expected != 0 ? c.expected : c.start) << c.name;
  }
}

TEST(TextScanTest, FindFirstKeywordTakesListOrderNotTextOrder) {
  const std::string sql = "SELECT a FROM t ORDER BY b GROUP BY c";
  int pos = 1;
  ASSERT_TRUE(FindFirstKeyword(sql, kSqlSeparators, {"GROUP BY", "ORDER BY"}, pos, false));
  EXPECT_EQ(pos, 28);

  pos = 1;
  ASSERT_TRUE(FindFirstKeyword(sql, kSqlSeparators, {"", "HAVING", "order by"}, pos, true));
  EXPECT_EQ(pos, 17);  // empty entries are skipped, absent ones passed over
}

TEST(TextScanTest, FindFirstKeywordLeavesPositionOnFailure) {
  const std::string sql = "SELECT a FROM t WHERE x = 1";
  for (const Keywords& list : {Keywords{}, Keywords{""}, Keywords{"HAVING", "ORDER BY"}}) {
    int pos = 5;
    EXPECT_FALSE(FindFirstKeyword(sql, kSqlSeparators, list, pos, true));
    EXPECT_EQ(pos, 5);
  }
  int pos = 18;  // past the only FROM
  EXPECT_FALSE(FindFirstKeyword(sql, kSqlSeparators, {"FROM"}, pos, true));
  EXPECT_EQ(pos, 18);
}

struct ClauseCase {
  const char* name;
  std::string text;
  std::string separators;
  Keywords starts;
  Keywords ends;
  std::string expected;
};

TEST(TextScanTest, ExtractClauseCases) {
  const ClauseCase cases[] = {
      {"up to the end keyword", "SELECT a FROM t WHERE k = 1 ORDER BY b", kSqlSeparators,
       {"WHERE"}, kWhereEnds, "WHERE k = 1 "},
      {"to the end of the text", "SELECT a FROM t WHERE k = 1", kSqlSeparators, {"WHERE"},
       kWhereEnds, "WHERE k = 1"},
      {"no start keyword", "SELECT a FROM t ORDER BY b", kSqlSeparators, {"WHERE"}, kWhereEnds,
       ""},
      {"first end keyword of the list wins", "SELECT a FROM x INNER JOIN y ON x.k = y.k",
       kSqlSeparators, {"FROM"}, {"JOIN", "ON", "WHERE", "GROUP BY", "HAVING", "ORDER BY"},
       "FROM x INNER "},
      {"end keywords before the start do not count",
       "SELECT a FROM (SELECT b FROM t ORDER BY b) WHERE x = 1", kSqlSeparators, {"WHERE"},
       kWhereEnds, "WHERE x = 1"},
      {"connect-string password", "ODBC;PWD=s3cret", ";=", {"pwd"}, {}, "PWD=s3cret"},
  };
  for (const ClauseCase& c : cases) {
    EXPECT_EQ(ExtractClause(c.text, c.separators, c.starts, c.ends, true), c.expected) << c.name;
  }
}

struct ReplaceCase {
  const char* name;
  std::string text;
  std::string new_text;
  Keywords starts;
  Keywords ends;
  std::string expected;
};

TEST(TextScanTest, ReplaceClauseCases) {
  const ReplaceCase cases[] = {
      {"absent clause goes in front of the first end keyword", "SELECT a FROM t ORDER BY b",
       "WHERE k = 1\r", {"WHERE"}, kWhereEnds, "SELECT a FROM t WHERE k = 1\rORDER BY b"},
      {"absent clause goes in front of the first keyword of the list",
       "SELECT a FROM t GROUP BY a HAVING n > 1", "WHERE k = 1\r", {"WHERE"}, kWhereEnds,
       "SELECT a FROM t WHERE k = 1\rGROUP BY a HAVING n > 1"},
      {"absent clause without an end keyword is appended", "SELECT a FROM t;\r\n",
       "ORDER BY b\r", {"ORDER BY"}, {}, "SELECT a FROM t;\r\nORDER BY b\r"},
      {"present clause is replaced", "SELECT a FROM t WHERE x = 2 ORDER BY b", "WHERE k = 1 ",
       {"WHERE"}, kWhereEnds, "SELECT a FROM t WHERE k = 1 ORDER BY b"},
      {"empty new text removes the clause", "SELECT a FROM t WHERE x = 2 ORDER BY b", "",
       {"WHERE"}, kWhereEnds, "SELECT a FROM t ORDER BY b"},
      {"empty new text and no clause change nothing", "SELECT a FROM t ORDER BY b", "",
       {"WHERE"}, kWhereEnds, "SELECT a FROM t ORDER BY b"},
      {"an end keyword in front of the clause is not its end",
       "SELECT a FROM (SELECT b FROM t ORDER BY b) WHERE x = 2", "WHERE k = 1", {"WHERE"},
       kWhereEnds, "SELECT a FROM (SELECT b FROM t ORDER BY b) WHERE k = 1"},
      {"removing a clause after such an end keyword",
       "SELECT a FROM (SELECT b FROM t ORDER BY b) WHERE x = 2", "", {"WHERE"}, kWhereEnds,
       "SELECT a FROM (SELECT b FROM t ORDER BY b) "},
      {"empty text", "", "WHERE k = 1", {"WHERE"}, kWhereEnds, "WHERE k = 1"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(ReplaceClause(c.text, kSqlSeparators, c.new_text, c.starts, c.ends, true),
              c.expected)
        << c.name;
  }
}

TEST(TextScanTest, ReplaceClauseEditsConnectStringPassword) {
  EXPECT_EQ(ReplaceClause(";pwd=old", ";=", "pwd=new", {"pwd"}, {}, true), ";pwd=new");
  EXPECT_EQ(ReplaceClause(";PWD=old", ";=", "", {"pwd"}, {}, true), ";");
  EXPECT_EQ(ReplaceClause(";pwdx=old", ";=", "pwd=new", {"pwd"}, {}, true), ";pwdx=oldpwd=new");
}

TEST(TextScanTest, NextWordAtSeparatorWithoutSkippingYieldsEmptyWord) {
  int pos = 2;
  EXPECT_EQ(NextWord("a,,b", pos, ",", false), "");
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(NextWord("a,,b", pos, ",", false), "b");
  EXPECT_EQ(pos, 5);

  // A stored table name / procedure name pair with no table name.
  pos = 1;
  EXPECT_EQ(NextWord("\rQ1", pos, "\r", false), "");
  EXPECT_EQ(NextWord("\rQ1", pos, "\r", false), "Q1");
}

TEST(TextScanTest, NextWordSplitsAWholeTextAndAlwaysEnds) {
  auto split = [](const std::string& text, const std::string& seps) {
    std::vector<std::string> words;
    int pos = 1;
    while (pos <= static_cast<int>(text.size())) words.push_back(NextWord(text, pos, seps, true));
    return words;
  };
  using Words = std::vector<std::string>;
  EXPECT_EQ(split(" a, b;c ", " ,;"), (Words{"a", "b", "c"}));
  EXPECT_EQ(split("na\xC3\xAFve caf\xC3\xA9", " "), (Words{"na\xC3\xAFve", "caf\xC3\xA9"}));
  EXPECT_EQ(split("a b", ""), (Words{"a b"}));
  EXPECT_EQ(split(",,,", ","), (Words{""}));
  EXPECT_EQ(split("", ","), Words{});
}

TEST(TextScanTest, NextWordOutsideTheText) {
  int pos = 100;
  EXPECT_EQ(NextWord("abc", pos, " ", true), "");
  EXPECT_EQ(pos, 100);
  pos = -3;
  EXPECT_EQ(NextWord("ab cd", pos, " ", false), "ab");
  EXPECT_EQ(pos, 4);
  pos = 0;
  EXPECT_EQ(NextWord("", pos, " ", false), "");
  EXPECT_EQ(pos, 1);  // a scanning loop over the empty text ends
}

TEST(TextScanTest, FirstWordAndDroppingWords) {
  struct Case {
    std::string text;
    std::string separators;
    std::string first;
    std::string drop_first;
    std::string drop;
  };
  const Case cases[] = {
      {"  SELECT  a", " ", "SELECT", "  a", "a"},
      {"GROUP BY a, b", " ", "GROUP", " BY a, b", "BY a, b"},
      {"pwd=secret;", ";=", "pwd", "=secret;", "secret;"},
      {"word", " ", "word", "", ""},
      {"   ", " ", "", "", ""},
      {"", " ", "", "", ""},
      {"\xC3\xA9t\xC3\xA9 x", " ", "\xC3\xA9t\xC3\xA9", " x", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstWord(c.text, c.separators), c.first) << c.text;
    EXPECT_EQ(DropFirstWord(c.text, c.separators), c.drop_first) << c.text;
    EXPECT_EQ(DropWord(c.text, c.separators), c.drop) << c.text;
  }
  EXPECT_EQ(DropWord(DropWord("GROUP BY a, b", " "), " "), "a, b");
}

TEST(TextScanTest, TrimmingAndDeleting) {
  EXPECT_EQ(TrimChars("  ;x; y; ", " ;"), "x; y");
  EXPECT_EQ(TrimRightChars("  ;x; y; ", " ;"), "  ;x; y");
  EXPECT_EQ(TrimChars(";;;", ";"), "");
  EXPECT_EQ(TrimChars(" a ", ""), " a ");
  EXPECT_EQ(DeleteChars("SELECT 'a;b';", ";"), "SELECT 'ab'");
}

TEST(TextScanTest, SetsNeverCutIntoMultiByteCharacters) {
  // "é" is C3 A9 and "ä" is C3 A4: deleting the bytes of "é" would break "ä".
  EXPECT_EQ(DeleteChars("h\xC3\xA9 \xC3\xA4", "\xC3\xA9"), "h\xC3\xA9 \xC3\xA4");
  EXPECT_EQ(TrimChars("\xC3\xA9" "a" "\xC3\xA9", "\xC3\xA9"), "\xC3\xA9" "a" "\xC3\xA9");
  EXPECT_EQ(DeleteChars("\xC3\xA9;x", "\xC3\xA9;"), "\xC3\xA9x");
  int pos = 1;
  EXPECT_EQ(NextWord("\xC3\xA4\xC3\xA9", pos, "\xC3\xA9", false), "\xC3\xA4\xC3\xA9");
}

TEST(TextScanTest, TranslateChars) {
  struct Case {
    const char* name;
    std::string text;
    std::string from;
    std::string to;
    std::string expected;
  };
  const Case cases[] = {
      {"pairs by index", "a-b_c", "-_", "  ", "a b c"},
      {"shorter to-set leaves the rest", "a-b_c", "-_", " ", "a b_c"},
      {"empty to-set changes nothing", "a-b", "-", "", "a-b"},
      {"first occurrence in from-set decides", "ab", "aa", "xy", "xb"},
      {"empty from-set", "abc", "", "xyz", "abc"},
      {"multi-byte text stays whole", "\xC3\xA9-", "-", "+", "\xC3\xA9+"},
      {"non-ASCII in from-set is ignored", "\xC3\xA9", "\xC3\xA9", "ab", "\xC3\xA9"},
      {"non-ASCII in to-set is not written", "a", "a", "\xC3\xA9", "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateChars(c.text, c.from, c.to), c.expected) << c.name;
}

TEST(TextScanTest, CharPosGivesBytePositions) {
  EXPECT_EQ(CharPos('c', "abcabc"), 3);
  EXPECT_EQ(CharPos('z', ""), 0);
  EXPECT_EQ(CharPos(U'\u00E9', "caf\xC3\xA9"), 4);
  EXPECT_EQ(CharPos(0xD800, "\xED\xA0\x80"), 0);  // no code point: never found
}

TEST(TextScanTest, PadTextCountsCharacters) {
  struct Case {
    std::string text;
    int length;
    char32_t fill;
    std::string expected;
  };
  const Case cases[] = {
      {"ab", 4, '*', "ab**"},
      {"ab", 1, '*', "a"},
      {"ab", 2, '*', "ab"},
      {"ab", 0, '*', ""},
      {"ab", -5, '*', ""},
      {"", 3, ' ', "   "},
      {"\xC3\xA4\xC3\xB6\xC3\xBC", 2, '*', "\xC3\xA4\xC3\xB6"},
      {"\xC3\xA4\xC3\xB6", 4, U'\u00B7', "\xC3\xA4\xC3\xB6\xC2\xB7\xC2\xB7"},
      {"\xF0\x9F\x98\x80x", 1, '*', "\xF0\x9F\x98\x80"},
      {"a\xE2\x82\xAC" "b", 2, '*', "a\xE2\x82\xAC"},
      {"\xC3x", 1, '*', "\xC3"},             // a lead byte without its continuation
      {"\xA9\xA9", 1, '*', "\xA9"},          // stray continuation bytes count alone
      {"\xE2\x82", 3, '*', "\xE2\x82*"},     // a cut-off sequence at the end
      {"a", 2, 0xD800, "a\xEF\xBF\xBD"},     // an invalid fill is written as U+FFFD
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PadText(c.text, c.length, c.fill), c.expected) << c.text << " / " << c.length;
  }
}

TEST(TextScanTest, EncloseAndIsTrueText) {
  EXPECT_EQ(Enclose("x]y", '[', ']'), "[x]y]");
  EXPECT_EQ(Enclose("x", U'\u00AB', U'\u00BB'), "\xC2\xAB" "x" "\xC2\xBB");

  for (const char* text : {"True", "t", "1", "wahr", "W"}) EXPECT_TRUE(IsTrueText(text)) << text;
  for (const char* text : {"", "False", "0", "yes", " true"}) {
    EXPECT_FALSE(IsTrueText(text)) << text;
  }
  EXPECT_FALSE(IsTrueText(std::string("\0t", 2)));  // an embedded NUL is no member of the set
}

}  // namespace
}  // namespace qb
