// Tests of the Jet SQL lexer: literal forms, positions and the errors that name them.
#include "jet/sql/parse/lexer.h"

#include <gtest/gtest.h>

#include "jet/sql/parse/date_literal.h"
#include "sql_test_util.h"

namespace qb::jet::sql {
namespace {

using test::ErrorNumberOf;

// One line per token: kind letter, text or value, line:column.
std::string Describe(std::string_view text) {
  std::string out;
  for (const Token& t : Lex(text)) {
    char buffer[64];
    switch (t.kind) {
      case TokenKind::kWord: out += "W:" + t.text; break;
      case TokenKind::kQuotedName: out += "N:" + t.text; break;
      case TokenKind::kString: out += "S:" + t.text; break;
      case TokenKind::kInteger: out += "I:" + std::to_string(t.integer); break;
      case TokenKind::kReal:
        std::snprintf(buffer, sizeof buffer, "R:%g", t.real);
        out += buffer;
        break;
      case TokenKind::kDate:
        std::snprintf(buffer, sizeof buffer, "D:%.6f", t.real);
        out += buffer;
        break;
      case TokenKind::kOperator: out += "O:" + t.text; break;
      case TokenKind::kPunct: out += "P:" + t.text; break;
      case TokenKind::kEnd: out += "E"; break;
    }
    out += "@" + std::to_string(t.pos.line) + ":" + std::to_string(t.pos.column) + " ";
  }
  return out;
}

struct LexCase {
  const char* input;
  const char* expected;
};

class SqlLexerTokens : public ::testing::TestWithParam<LexCase> {};

TEST_P(SqlLexerTokens, ProducesTokens) {
  EXPECT_EQ(Describe(GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Literals, SqlLexerTokens,
    ::testing::Values(
        LexCase{"", "E@1:1 "},
        LexCase{"[My Table].[Field #1]", "N:My Table@1:1 P:.@1:11 N:Field #1@1:12 E@1:22 "},
        LexCase{"`odd name`", "N:odd name@1:1 E@1:11 "},
        LexCase{"'O''Brien' \"say \"\"hi\"\"\" 'a\"b'",
                "S:O'Brien@1:1 S:say \"hi\"@1:12 S:a\"b@1:25 E@1:30 "},
        LexCase{"''", "S:@1:1 E@1:3 "},
        LexCase{"12 1.5 .5 1E3 2.5e-3 1. 3000000000",
                "I:12@1:1 R:1.5@1:4 R:0.5@1:8 R:1000@1:11 R:0.0025@1:15 R:1@1:22 "
                "R:3e+09@1:25 E@1:35 "},
        LexCase{"2147483647", "I:2147483647@1:1 E@1:11 "},
        LexCase{"&HFF &hFFFF &H10000 &O17 &HFFFFFFFF",
                "I:255@1:1 I:-1@1:6 I:65536@1:13 I:15@1:21 I:-1@1:26 E@1:36 "},
        LexCase{"a&b", "W:a@1:1 O:&@1:2 W:b@1:3 E@1:4 "},
        LexCase{"t.Field Left$(x) [t]!f",
                "W:t@1:1 P:.@1:2 W:Field@1:3 W:Left$@1:9 P:(@1:14 W:x@1:15 P:)@1:16 N:t@1:18 "
                "P:!@1:21 W:f@1:22 E@1:23 "},
        LexCase{"<> <= >= < > = + - * / \\ ^ ( ) , ;",
                "O:<>@1:1 O:<=@1:4 O:>=@1:7 O:<@1:10 O:>@1:12 O:=@1:14 O:+@1:16 O:-@1:18 "
                "O:*@1:20 O:/@1:22 O:\\@1:24 O:^@1:26 P:(@1:28 P:)@1:30 P:,@1:32 P:;@1:34 "
                "E@1:35 "},
        LexCase{"a\r\n\tb\n  c", "W:a@1:1 W:b@2:2 W:c@3:3 E@3:4 "},
        LexCase{"'é' x", "S:é@1:1 W:x@1:5 E@1:6 "},  // columns count characters
        LexCase{"#1/31/1999# #1/31/1999 14:05:09# #14:05#",
                "D:36191.000000@1:1 D:36191.586910@1:13 D:0.586806@1:34 E@1:41 "}));

struct DateCase {
  const char* body;
  double serial;  // < -1e9: rejected
};

class SqlDateLiteral : public ::testing::TestWithParam<DateCase> {};

TEST_P(SqlDateLiteral, Reads) {
  std::optional<double> serial = ParseDateLiteral(GetParam().body);
  if (GetParam().serial < -1e9) {
    EXPECT_FALSE(serial.has_value()) << GetParam().body;
  } else {
    ASSERT_TRUE(serial.has_value()) << GetParam().body;
    EXPECT_NEAR(*serial, GetParam().serial, 1e-9) << GetParam().body;
  }
}

constexpr double kRejected = -2e9;
INSTANTIATE_TEST_SUITE_P(
    Shapes, SqlDateLiteral,
    ::testing::Values(
        DateCase{"1/31/1999", 36191}, DateCase{"1/31/99", 36191}, DateCase{"1999-01-31", 36191},
        DateCase{"1999/1/31", 36191}, DateCase{"31-Jan-1999", 36191},
        DateCase{"January 31, 1999", 36191}, DateCase{"jan 31 1999", 36191},
        DateCase{"1/1/29", 47119}, DateCase{"1/1/30", 10959},  // the two-digit year window
        DateCase{"1/1/00", 36526}, DateCase{"13/1/2000", 36538},  // day/month swap
        DateCase{"1/31/1999 2:05 PM", 36191 + (14 * 60 + 5) / 1440.0},
        DateCase{"12:00 AM", 0}, DateCase{"12 PM", 0.5}, DateCase{"14:05", (14 * 60 + 5) / 1440.0},
        DateCase{"12/30/1899", 0}, DateCase{"12/29/1899 06:00", -1.25},
        DateCase{"1/1/100", -657434}, DateCase{"12/31/9999", 2958465},
        DateCase{"2/29/2000", 36585}, DateCase{"2/29/1900", kRejected},
        DateCase{"13/13/2000", kRejected}, DateCase{"2000-13-01", kRejected},
        DateCase{"1/1/99999", kRejected}, DateCase{"25:00", kRejected},
        DateCase{"13:00 PM", kRejected}, DateCase{"", kRejected}, DateCase{"hello", kRejected},
        DateCase{"1/2", kRejected}, DateCase{"1/2-2000", kRejected},
        DateCase{"1/1/2000 10:00 xyz", kRejected}, DateCase{"Foo 1, 2000", kRejected}));

struct LexErrorCase {
  const char* input;
  const char* position;  // "line L, column C" that the message must name
};

class SqlLexerErrors : public ::testing::TestWithParam<LexErrorCase> {};

TEST_P(SqlLexerErrors, NamePosition) {
  std::string message;
  EXPECT_EQ(ErrorNumberOf([&] { Lex(GetParam().input); }, &message), 3075) << GetParam().input;
  EXPECT_NE(message.find(GetParam().position), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SqlLexerErrors,
    ::testing::Values(LexErrorCase{"a = 'abc", "line 1, column 5"},
                      LexErrorCase{"a = \"abc'", "line 1, column 5"},
                      LexErrorCase{"x\n  [abc", "line 2, column 3"},
                      LexErrorCase{"[]", "line 1, column 1"},
                      LexErrorCase{"[a[b]", "line 1, column 1"},
                      LexErrorCase{"#1/1/2000", "line 1, column 1"},
                      LexErrorCase{"d > #13/45/2000#", "line 1, column 5"},
                      LexErrorCase{"1 @ 2", "line 1, column 3"},
                      LexErrorCase{"12abc", "line 1, column 1"},
                      LexErrorCase{"1e999", "line 1, column 1"},
                      LexErrorCase{"&H1FFFFFFFF", "line 1, column 1"},
                      LexErrorCase{"'a\0b'", "line 1, column 1"}));

TEST(SqlLexer, NulByteInsideTextIsRejectedNotTruncated) {
  std::string text("'a\0b'", 5);
  EXPECT_EQ(ErrorNumberOf([&] { Lex(text); }), 3075);
  std::string bare("a \0", 3);
  EXPECT_EQ(ErrorNumberOf([&] { Lex(bare); }), 3075);
}

TEST(SqlLexer, KeywordsIgnoreCase) {
  std::vector<Token> tokens = Lex("select SeLeCt Selected");
  EXPECT_TRUE(tokens[0].IsKeyword("SELECT"));
  EXPECT_TRUE(tokens[1].IsKeyword("SELECT"));
  EXPECT_FALSE(tokens[2].IsKeyword("SELECT"));
}

}  // namespace
}  // namespace qb::jet::sql
