// End-to-end tests of Jet expressions: parse, translate, and evaluate with SQLite through the
// registered jet_* functions, comparing the value (or the Jet error number) with Jet's.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <set>

#include "core/format_settings.h"
#include "jet/sql/parse/parser.h"
#include "jet/sql/functions/sqlite_functions.h"
#include "jet/sqlite/function_error.h"
#include "jet/sql/translate/translator.h"
#include "sql_test_util.h"

namespace qb::jet::sql {
namespace {

// An in-memory database with the functions registered; NOCASE stands in for the engine's
// collation. Settings are the fixed US ones so that text results do not follow the machine.
class SqlEval {
 public:
  SqlEval() : settings_(FormatSettings::Default()) {
    sqlite3_open(":memory:", &db_);
    EXPECT_TRUE(RegisterJetFunctions(db_));
  }
  ~SqlEval() { sqlite3_close(db_); }

  // "Null", an integer, a real ("r:2.5"), a text ("'ab'") or a Jet error ("#13").
  std::string Eval(const std::string& jet, bool as_condition = false) {
    std::string sql;
    try {
      ParsedExprPtr expr = ParseExpression(jet);
      TranslateOptions options;
      options.text_collation = "NOCASE";
      sql = as_condition ? "CASE WHEN " + TranslateCondition(*expr, options) + " THEN 1 ELSE 0 END"
                         : TranslateExpression(*expr, options).sql;
    } catch (const EOleException& e) {
      return "#" + std::to_string(e.ErrorCode());
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, ("SELECT " + sql).c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return "prepare failed: " + std::string(sqlite3_errmsg(db_)) + " in " + sql;
    }
    std::string out;
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL: out = "Null"; break;
        case SQLITE_INTEGER: out = std::to_string(sqlite3_column_int64(stmt, 0)); break;
        case SQLITE_FLOAT: {
          char buffer[40];
          std::snprintf(buffer, sizeof buffer, "r:%.15g", sqlite3_column_double(stmt, 0));
          out = buffer;
          break;
        }
        default:
          out = "'" + std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) +
                "'";
      }
    } else {
      std::optional<FunctionError> error = DecodeFunctionError(sqlite3_errmsg(db_));
      out = error ? "#" + std::to_string(error->number) : "step failed: " +
                                                               std::string(sqlite3_errmsg(db_));
    }
    sqlite3_finalize(stmt);
    return out;
  }

 private:
  ScopedFormatSettings settings_;
  sqlite3* db_ = nullptr;
};

struct EvalCase {
  const char* jet;
  const char* expected;
};

class SqlEvalValue : public ::testing::TestWithParam<EvalCase> {};

TEST_P(SqlEvalValue, MatchesJet) {
  SqlEval eval;
  EXPECT_EQ(eval.Eval(GetParam().jet), GetParam().expected) << GetParam().jet;
}

#define QB_EVAL_SUITE(Name, ...)                                         \
  INSTANTIATE_TEST_SUITE_P(Name, SqlEvalValue, ::testing::Values(__VA_ARGS__), \
                           [](const auto& info) { return "Case" + std::to_string(info.index); })

QB_EVAL_SUITE(
    Literals, EvalCase{"Null", "Null"}, EvalCase{"True", "-1"}, EvalCase{"False", "0"},
    EvalCase{"'it''s'", "'it's'"}, EvalCase{"\"say \"\"hi\"\"\"", "'say \"hi\"'"},
    EvalCase{"#1/1/2000#", "r:36526"}, EvalCase{"#1/1/2000 12:00#", "r:36526.5"},
    EvalCase{"&HFF", "255"}, EvalCase{"1.5", "r:1.5"}, EvalCase{"-5", "-5"},
    EvalCase{"[Forms]![f]", "prepare failed: no such column: Forms.f in \"Forms\".\"f\""});

QB_EVAL_SUITE(
    Arithmetic, EvalCase{"1 + 2", "3"}, EvalCase{"Null + 1", "Null"},
    EvalCase{"'a' + Null", "Null"}, EvalCase{"'a' + 'b'", "'ab'"}, EvalCase{"'1' + 1", "r:2"},
    EvalCase{"'x' + 1", "#13"}, EvalCase{"2147483647 + 1", "r:2147483648"},
    EvalCase{"#1/1/2000# + 1", "r:36527"}, EvalCase{"#1/2/2000# - #1/1/2000#", "r:1"},
    EvalCase{"7 / 2", "r:3.5"}, EvalCase{"1 / 0", "#11"}, EvalCase{"7 \\ 2", "3"},
    EvalCase{"2.5 \\ 1", "2"}, EvalCase{"3.5 \\ 1", "4"}, EvalCase{"-7 \\ 2", "-3"},
    EvalCase{"5 \\ 0", "#11"}, EvalCase{"Null \\ 2", "Null"}, EvalCase{"-7 Mod 3", "-1"},
    EvalCase{"7 Mod -3", "1"}, EvalCase{"7.5 Mod 2", "0"}, EvalCase{"Null Mod 2", "Null"},
    EvalCase{"2 ^ 10", "r:1024"}, EvalCase{"-2 ^ 2", "r:-4"}, EvalCase{"2 ^ -1", "r:0.5"},
    EvalCase{"(-8) ^ 0.5", "#5"}, EvalCase{"-Null", "Null"}, EvalCase{"3 * 4", "12"},
    EvalCase{"CCur(1.5) * 2", "30000"}, EvalCase{"1E308 * 10", "#6"},
    EvalCase{"(-2147483647 - 1) - 1", "r:-2147483649"}, EvalCase{"65536 * 65536", "r:4294967296"},
    EvalCase{"-65536 * 32768", "-2147483648"}, EvalCase{"(-2147483647 - 1) \\ -1", "r:2147483648"},
    EvalCase{"0 Mod -5", "0"}, EvalCase{"5 Mod 0", "#11"}, EvalCase{"True + 1", "0"},
    EvalCase{"CCur(1) + 1", "20000"}, EvalCase{"#1/1/2000# - 1", "r:36525"});

QB_EVAL_SUITE(
    Concatenation, EvalCase{"'a' & Null", "'a'"}, EvalCase{"Null & 'a'", "'a'"},
    EvalCase{"Null & Null", "Null"}, EvalCase{"3 & 4", "'34'"}, EvalCase{"True & ''", "'True'"},
    EvalCase{"#1/2/2000# & ''", "'1/2/2000'"}, EvalCase{"1.5 & 'x'", "'1.5x'"},
    EvalCase{"(1 = 1) & ''", "'True'"}, EvalCase{"'ab' & 'cd'", "'abcd'"},
    EvalCase{"'' & Null", "''"}, EvalCase{"Null & 'é'", "'é'"});

QB_EVAL_SUITE(
    Comparison, EvalCase{"1 = 1", "-1"}, EvalCase{"1 <> 1", "0"}, EvalCase{"Null = Null", "Null"},
    EvalCase{"'abc' = 'ABC'", "-1"}, EvalCase{"'a' < 'B'", "-1"}, EvalCase{"2 >= 3", "0"},
    EvalCase{"#1/1/2000# < #1/2/2000#", "-1"}, EvalCase{"5 Between 1 And 10", "-1"},
    EvalCase{"5 Between 10 And 1", "-1"}, EvalCase{"5 Not Between 1 And 4", "-1"},
    EvalCase{"Null Between 1 And 2", "Null"}, EvalCase{"'b' Between 'A' And 'C'", "-1"},
    EvalCase{"2 In (1, 2, 3)", "-1"}, EvalCase{"'X' In ('x')", "-1"},
    EvalCase{"4 Not In (1, Null)", "Null"}, EvalCase{"Null Is Null", "-1"},
    EvalCase{"1 Is Not Null", "-1"}, EvalCase{"Not 1 Is Null", "-1"},
    EvalCase{"'Mike' Like 'mi*'", "-1"}, EvalCase{"'Mike' Not Like 'mi*'", "0"},
    EvalCase{"Null Like 'a'", "Null"}, EvalCase{"123 Like '1#3'", "-1"});

QB_EVAL_SUITE(
    Logical, EvalCase{"Not 0", "-1"}, EvalCase{"Not Null", "Null"}, EvalCase{"Not True", "0"},
    EvalCase{"5 And 3", "1"}, EvalCase{"5 Or 3", "7"}, EvalCase{"5 Xor 3", "6"},
    EvalCase{"True And Null", "Null"}, EvalCase{"False And Null", "0"},
    EvalCase{"True Or Null", "-1"}, EvalCase{"False Or Null", "Null"},
    EvalCase{"True Xor Null", "Null"}, EvalCase{"True Eqv Null", "Null"},
    EvalCase{"False Imp Null", "-1"}, EvalCase{"True Imp Null", "Null"},
    EvalCase{"Null Imp True", "-1"}, EvalCase{"Null Imp False", "Null"},
    EvalCase{"True Eqv False", "0"}, EvalCase{"False Imp False", "-1"},
    EvalCase{"1 = 1 And 2 = 2", "-1"}, EvalCase{"1 = 2 Or Null", "Null"},
    EvalCase{"Not (1 = 2)", "-1"});

QB_EVAL_SUITE(
    Choice, EvalCase{"IIf(1 = 1, 'a', 'b')", "'a'"}, EvalCase{"IIf(Null, 'a', 'b')", "'b'"},
    EvalCase{"IIf(0 = 0, 0, 1 / 0)", "0"}, EvalCase{"Nz(Null, 5)", "5"}, EvalCase{"Nz(3, 5)", "3"},
    EvalCase{"Nz(Null)", "''"}, EvalCase{"IsNull(Null)", "-1"}, EvalCase{"IsNull(0)", "0"},
    EvalCase{"Switch(1 = 2, 'a', 2 = 2, 'b')", "'b'"}, EvalCase{"Switch(False, 1)", "Null"},
    EvalCase{"Switch(True)", "#3075"}, EvalCase{"Choose(2, 'a', 'b', 'c')", "'b'"},
    EvalCase{"Choose(2.9, 'a', 'b', 'c')", "'b'"}, EvalCase{"Choose(4, 'a', 'b')", "Null"},
    EvalCase{"Choose(0, 'a')", "Null"}, EvalCase{"Choose(Null, 'a')", "Null"});

QB_EVAL_SUITE(
    Strings, EvalCase{"Left('abcdef', 3)", "'abc'"}, EvalCase{"Left('abc', 10)", "'abc'"},
    EvalCase{"Left(Null, 1)", "Null"}, EvalCase{"Left('abc', -1)", "#5"},
    EvalCase{"Left$(Null, 1)", "#94"}, EvalCase{"Right('abcdef', 2)", "'ef'"},
    EvalCase{"Mid('abcdef', 2, 3)", "'bcd'"}, EvalCase{"Mid('abc', 5)", "''"},
    EvalCase{"Mid('abc', 0)", "#5"}, EvalCase{"Mid('héllo', 2, 2)", "'él'"},
    EvalCase{"Len('héllo')", "5"}, EvalCase{"Len(Null)", "Null"}, EvalCase{"Len(123)", "3"},
    EvalCase{"InStr('abcabc', 'c')", "3"}, EvalCase{"InStr(4, 'abcabc', 'c')", "6"},
    EvalCase{"InStr('abc', 'B')", "2"}, EvalCase{"InStr(1, 'abc', 'B', 0)", "0"},
    EvalCase{"InStr('abc', '')", "1"}, EvalCase{"InStr(Null, 'a')", "Null"},
    EvalCase{"UCase('straße')", "'STRASSE'"}, EvalCase{"LCase('ÀB')", "'àb'"},
    EvalCase{"Trim('  a b  ')", "'a b'"}, EvalCase{"LTrim('  a ')", "'a '"},
    EvalCase{"RTrim('  a ')", "'  a'"}, EvalCase{"Space(3) & '|'", "'   |'"},
    EvalCase{"Space(-1)", "#5"}, EvalCase{"String(3, 'xy')", "'xxx'"},
    EvalCase{"String(2, 65)", "'AA'"}, EvalCase{"Asc('A')", "65"}, EvalCase{"Asc('')", "#5"},
    EvalCase{"Chr(65)", "'A'"}, EvalCase{"Chr(256)", "#5"}, EvalCase{"StrComp('a', 'B')", "-1"},
    EvalCase{"StrComp('a', 'A')", "0"}, EvalCase{"StrComp('a', 'A', 0)", "1"},
    EvalCase{"StrComp(Null, 'a')", "Null"}, EvalCase{"Str(12)", "' 12'"},
    EvalCase{"Str(-1.5)", "'-1.5'"}, EvalCase{"Val(' 1 2 3abc')", "r:123"},
    EvalCase{"Val('&HFF')", "r:255"}, EvalCase{"Val('-1.5e2x')", "r:-150"},
    EvalCase{"Val('')", "r:0"}, EvalCase{"Val(Null)", "#94"});

QB_EVAL_SUITE(
    Conversion, EvalCase{"CInt(2.5)", "2"}, EvalCase{"CInt(3.5)", "4"},
    EvalCase{"CInt(-2.5)", "-2"}, EvalCase{"CInt(32767.4)", "32767"},
    EvalCase{"CInt(32767.5)", "#6"}, EvalCase{"CInt(Null)", "#94"}, EvalCase{"CInt('x')", "#13"},
    EvalCase{"CLng(2.5)", "2"}, EvalCase{"CLng(2147483648)", "#6"}, EvalCase{"CByte(255.5)", "#6"},
    EvalCase{"CByte(-1)", "#6"}, EvalCase{"CByte(2.5)", "2"}, EvalCase{"CDbl('1.5')", "r:1.5"},
    EvalCase{"CSng(1E39)", "#6"}, EvalCase{"CCur(1.23456)", "12346"},
    EvalCase{"CCur(0.00005)", "0"}, EvalCase{"CStr(True)", "'True'"},
    EvalCase{"CStr(1.5)", "'1.5'"}, EvalCase{"CStr(#1/2/2000 13:00#)", "'1/2/2000 1:00:00 PM'"},
    EvalCase{"CBool(5)", "-1"}, EvalCase{"CBool('False')", "0"}, EvalCase{"CBool('x')", "#13"},
    EvalCase{"CDate(36526)", "r:36526"}, EvalCase{"CDate('1/2/2000')", "r:36527"},
    EvalCase{"CDate('nonsense')", "#13"});

QB_EVAL_SUITE(
    Math, EvalCase{"Abs(-3)", "3"}, EvalCase{"Abs(-2.5)", "r:2.5"}, EvalCase{"Abs(Null)", "Null"},
    EvalCase{"Int(-8.4)", "r:-9"}, EvalCase{"Fix(-8.4)", "r:-8"}, EvalCase{"Int(8.7)", "r:8"},
    EvalCase{"Fix(Null)", "Null"}, EvalCase{"Sgn(-2)", "-1"}, EvalCase{"Sgn(0)", "0"},
    EvalCase{"Sqr(9)", "r:3"}, EvalCase{"Sqr(-1)", "#5"}, EvalCase{"Exp(0)", "r:1"},
    EvalCase{"Log(1)", "r:0"}, EvalCase{"Log(0)", "#5"}, EvalCase{"Round(2.5)", "r:2"},
    EvalCase{"Round(3.5)", "r:4"}, EvalCase{"Round(1.2345, 2)", "r:1.23"},
    EvalCase{"Round(1, 16)", "#5"}, EvalCase{"Rnd(1) >= 0 And Rnd(1) < 1", "-1"},
    EvalCase{"Rnd(-1) = Rnd(-1)", "-1"});

QB_EVAL_SUITE(
    Dates, EvalCase{"Year(#3/15/1999 10:20:30#)", "1999"}, EvalCase{"Month(#3/15/1999#)", "3"},
    EvalCase{"Day(#3/15/1999#)", "15"}, EvalCase{"Hour(#3/15/1999 10:20:30#)", "10"},
    EvalCase{"Minute(#10:20:30#)", "20"}, EvalCase{"Second(#10:20:30#)", "30"},
    EvalCase{"Year(Null)", "Null"}, EvalCase{"Year('x')", "#13"},
    EvalCase{"Weekday(#1/1/2000#)", "7"}, EvalCase{"Weekday(#1/1/2000#, 2)", "6"},
    EvalCase{"DateAdd('m', 1, #1/31/2000#)", "r:36585"},
    EvalCase{"DateAdd('yyyy', -1, #2/29/2000#)", "r:36219"},
    EvalCase{"DateAdd('d', 1, #1/1/2000#)", "r:36527"},
    EvalCase{"DateAdd('h', 36, #1/1/2000#)", "r:36527.5"},
    EvalCase{"DateAdd('q', 1, #1/1/2000#)", "r:36617"},
    EvalCase{"DateAdd('ww', 1, #1/1/2000#)", "r:36533"},
    EvalCase{"DateAdd('x', 1, #1/1/2000#)", "#5"},
    EvalCase{"DateAdd('yyyy', 9000, #1/1/2000#)", "#5"},
    EvalCase{"DateAdd('d', 1, Null)", "Null"},
    EvalCase{"DateDiff('yyyy', #12/31/1999#, #1/1/2000#)", "1"},
    EvalCase{"DateDiff('d', #1/10/2000#, #1/1/2000#)", "-9"},
    EvalCase{"DateDiff('m', #1/31/2000#, #2/1/2000#)", "1"},
    EvalCase{"DateDiff('ww', #1/1/2000#, #1/2/2000#)", "1"},
    EvalCase{"DateDiff('w', #1/1/2000#, #1/14/2000#)", "1"},
    EvalCase{"DateDiff('h', #1/1/2000 23:59#, #1/2/2000#)", "1"},
    EvalCase{"DateDiff('s', #1/1/2000#, #1/1/2000 00:01#)", "60"},
    EvalCase{"DateDiff('d', Null, #1/1/2000#)", "Null"},
    EvalCase{"DatePart('q', #8/15/2000#)", "3"}, EvalCase{"DatePart('y', #2/1/2000#)", "32"},
    EvalCase{"DatePart('ww', #1/1/2000#)", "1"}, EvalCase{"DatePart('ww', #1/2/2000#)", "2"},
    EvalCase{"DatePart('ww', #1/3/2000#, 2, 2)", "1"}, EvalCase{"DatePart('w', #1/2/2000#)", "1"},
    EvalCase{"DateSerial(2000, 13, 1)", "r:36892"}, EvalCase{"DateSerial(2000, 3, 0)", "r:36585"},
    EvalCase{"DateSerial(99, 1, 1)", "r:36161"}, EvalCase{"DateSerial(10000, 1, 1)", "#5"},
    EvalCase{"TimeSerial(12, 0, 0)", "r:0.5"}, EvalCase{"TimeSerial(0, 90, 0)", "r:0.0625"},
    EvalCase{"TimeSerial(-1, 0, 0)", "r:-1.95833333333333"},
    EvalCase{"DateValue(#1/2/2000 13:00#)", "r:36527"},
    EvalCase{"TimeValue(#1/2/2000 12:00#)", "r:0.5"}, EvalCase{"DateValue('1/2/2000')", "r:36527"},
    EvalCase{"Date() = Int(Now())", "-1"}, EvalCase{"Time() < 1", "-1"});

QB_EVAL_SUITE(
    Format, EvalCase{"Format(1234.5, '#,##0.00')", "'1,234.50'"},
    EvalCase{"Format(0.5, '0%')", "'50%'"}, EvalCase{"Format(5, '000')", "'005'"},
    EvalCase{"Format(0.125, '0.00')", "'0.13'"}, EvalCase{"Format(1.5, '#.##')", "'1.5'"},
    EvalCase{"Format(-3, '0;(0)')", "'(3)'"}, EvalCase{"Format(0, '0;(0);\"zero\"')", "'zero'"},
    EvalCase{"Format(-3, '0')", "'-3'"}, EvalCase{"Format(1234, '0.00E+00')", "'1.23E+03'"},
    EvalCase{"Format(0.00012, '0.0E-00')", "'1.2E-04'"},
    EvalCase{"Format(5, '\"n=\"0')", "'n=5'"}, EvalCase{"Format(1234567, '#,##0')", "'1,234,567'"},
    EvalCase{"Format(1234.5, 'Currency')", "'$1,234.50'"},
    EvalCase{"Format(-1234.5, 'Currency')", "'($1,234.50)'"},
    EvalCase{"Format(1234.5, 'Fixed')", "'1234.50'"},
    EvalCase{"Format(1234.5, 'Standard')", "'1,234.50'"},
    EvalCase{"Format(0.123, 'Percent')", "'12.30%'"},
    EvalCase{"Format(1234.5, 'Scientific')", "'1.23E+03'"},
    EvalCase{"Format(1234.5, 'General Number')", "'1234.5'"},
    // A number the pattern's percent takes beyond the largest Double overflows.
    EvalCase{"Format(1.7E308, '0%')", "#6"}, EvalCase{"Format(-1.7E308, '#,##0.0%')", "#6"},
    EvalCase{"Format(1.7E308, 'Percent')", "#6"},
    EvalCase{"Format(0, 'Yes/No')", "'No'"}, EvalCase{"Format(-1, 'True/False')", "'True'"},
    EvalCase{"Format(1, 'On/Off')", "'On'"},
    EvalCase{"Format(#1/2/2000 13:05#, 'General Date')", "'1/2/2000 1:05:00 PM'"},
    EvalCase{"Format(#1/2/2000#, 'Long Date')", "'Sunday, January 2, 2000'"},
    EvalCase{"Format(#1/2/2000#, 'Medium Date')", "'02-Jan-00'"},
    EvalCase{"Format(#1/2/2000#, 'Short Date')", "'1/2/2000'"},
    EvalCase{"Format(#13:05:09#, 'Long Time')", "'1:05:09 PM'"},
    EvalCase{"Format(#13:05:09#, 'Medium Time')", "'01:05 PM'"},
    EvalCase{"Format(#13:05:09#, 'Short Time')", "'13:05'"},
    EvalCase{"Format(#1/2/2000 13:05:09#, 'yyyy-mm-dd hh:nn:ss')", "'2000-01-02 13:05:09'"},
    EvalCase{"Format(#1/2/2000#, 'ddd d mmm yy')", "'Sun 2 Jan 00'"},
    EvalCase{"Format(#1/2/2000#, 'dddd mmmm')", "'Sunday January'"},
    EvalCase{"Format(#8/2/2000#, 'q')", "'3'"}, EvalCase{"Format(#2/1/2000#, 'y')", "'32'"},
    EvalCase{"Format(#1/2/2000#, 'w ww')", "'1 2'"},
    EvalCase{"Format(#1/2/2000 13:05#, 'h:nn AM/PM')", "'1:05 PM'"},
    EvalCase{"Format(#1/2/2000 13:05#, 'h:nn am/pm')", "'1:05 pm'"},
    EvalCase{"Format(Null)", "Null"}, EvalCase{"Format(1.5)", "'1.5'"},
    EvalCase{"Format('abc', '0.00')", "'abc'"}, EvalCase{"Format$(Null)", "#94"},
    // Text patterns: @ shows a character or a space, & a character or nothing; filled from the
    // right unless ! is given; extra characters stand outside the placeholders.
    EvalCase{"Format('abc', '@@@@@')", "'  abc'"}, EvalCase{"Format('abc', '!@@@@@')", "'abc  '"},
    EvalCase{"Format('abc', '&&&&&')", "'abc'"}, EvalCase{"Format('abc', '!&&&&&')", "'abc'"},
    EvalCase{"Format('5551234', '@@@-@@@@')", "'555-1234'"},
    EvalCase{"Format('123456789', '@@@-@@@@')", "'12345-6789'"},
    EvalCase{"Format('123456789', '!@@@-@@@@')", "'123-456789'"},
    EvalCase{"Format('ab', '@-@-@')", "' -a-b'"}, EvalCase{"Format('ab', '!@-@-&')", "'a-b-'"},
    EvalCase{"Format('aBc', '>')", "'ABC'"}, EvalCase{"Format('ÄBc', '<')", "'äbc'"},
    EvalCase{"Format('abc', '>@@@@')", "' ABC'"}, EvalCase{"Format('abc', '\"x\"@@@\\y')", "'xabcy'"},
    EvalCase{"Format('ab', '\\@&&')", "'@ab'"}, EvalCase{"Format(12, '@@@@')", "'  12'"},
    EvalCase{"Format(Null, '@;\"none\"')", "'none'"}, EvalCase{"Format('', '@;\"none\"')", "'none'"},
    EvalCase{"Format(Null, '@@')", "Null"}, EvalCase{"Format('', '@@')", "'  '"},
    EvalCase{"Format('日本語', '!@@@@')", "'日本語 '"}, EvalCase{"Format('a;b', '@@@@')", "' a;b'"});

QB_EVAL_SUITE(
    Errors, EvalCase{"Foo(1)", "#3085"}, EvalCase{"Left('a')", "#3075"},
    EvalCase{"Now(1)", "#3075"}, EvalCase{"Count(*)", "#3085"});

struct ConditionCase {
  const char* jet;
  const char* expected;  // "1" kept, "0" dropped
};

class SqlEvalCondition : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(SqlEvalCondition, KeepsWhatJetKeeps) {
  SqlEval eval;
  EXPECT_EQ(eval.Eval(GetParam().jet, true), GetParam().expected) << GetParam().jet;
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, SqlEvalCondition,
    ::testing::Values(ConditionCase{"1 = 1", "1"}, ConditionCase{"Null = 1", "0"},
                      ConditionCase{"Not (Null = 1)", "0"}, ConditionCase{"5 And 2", "0"},
                      ConditionCase{"5 And 3", "1"}, ConditionCase{"1 = 1 And 2 = 2", "1"},
                      ConditionCase{"1 = 2 Or 2 = 2", "1"}, ConditionCase{"Null", "0"},
                      ConditionCase{"'a' Like 'A'", "1"}, ConditionCase{"'a' Not Like 'b'", "1"},
                      ConditionCase{"Null Not Like 'b'", "0"}, ConditionCase{"3 In (1, 3)", "1"},
                      ConditionCase{"3 Between 5 And 1", "1"}, ConditionCase{"True Xor True", "0"},
                      ConditionCase{"Null Is Null", "1"}));

TEST(SqlFunctionErrors, DecodeOnlyOurOwnMessages) {
  auto decoded = DecodeFunctionError("[jet 94] Invalid use of Null.");
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->number, 94);
  EXPECT_EQ(decoded->message, "Invalid use of Null.");
  EXPECT_FALSE(DecodeFunctionError("no such column: x").has_value());
  EXPECT_FALSE(DecodeFunctionError("[jet ] x").has_value());
  EXPECT_FALSE(DecodeFunctionError("[jet 1x] x").has_value());
}

TEST(SqlFunctionRegistry, EveryCatalogFunctionHasAnUniqueSqliteName) {
  std::set<std::string> seen;
  for (const JetFunctionInfo& info : JetFunctions()) {
    EXPECT_EQ(FindJetFunction(info.name), &info) << info.name;
    if (std::string(info.name) != "CVDate") {
      EXPECT_TRUE(seen.insert(info.sqlite_name).second) << info.sqlite_name;
    }
  }
  for (const JetFunctionInfo& info : JetOperatorFunctions()) {
    EXPECT_TRUE(seen.insert(info.sqlite_name).second) << info.sqlite_name;
  }
}

TEST(SqlFunctionRegistry, WrongArgumentCountFromRawSqlFailsCleanly) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  ASSERT_TRUE(RegisterJetFunctions(db));
  char* error = nullptr;
  EXPECT_NE(sqlite3_exec(db, "SELECT jet_mid('abc')", nullptr, nullptr, &error), SQLITE_OK);
  ASSERT_NE(error, nullptr);
  auto decoded = DecodeFunctionError(error);
  sqlite3_free(error);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->number, 5);
  sqlite3_close(db);
}

}  // namespace
}  // namespace qb::jet::sql
