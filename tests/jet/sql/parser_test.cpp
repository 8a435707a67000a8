// Tests of the Jet SQL parser: expression precedence, names and calls, DDL statement trees, and
// the syntax errors each clause raises.
#include "jet/sql/parse/parser.h"

#include <gtest/gtest.h>

#include "sql_test_util.h"

namespace qb::jet::sql {
namespace {

using test::ErrorNumberOf;

struct ExprCase {
  const char* input;
  const char* tree;  // ToJetText of the parse
};

class SqlExprParse : public ::testing::TestWithParam<ExprCase> {};

TEST_P(SqlExprParse, GroupsAsJetDoes) {
  EXPECT_EQ(ToJetText(*ParseExpression(GetParam().input)), GetParam().tree) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, SqlExprParse,
    ::testing::Values(
        ExprCase{"-2^2", "(-(2 ^ 2))"}, ExprCase{"2^-1", "(2 ^ (-1))"},
        ExprCase{"2^3^2", "((2 ^ 3) ^ 2)"}, ExprCase{"-a*b", "((-[a]) * [b])"},
        ExprCase{"a*b\\c", "(([a] * [b]) \\ [c])"}, ExprCase{"a\\b Mod c", "(([a] \\ [b]) Mod [c])"},
        ExprCase{"a Mod b + c", "(([a] Mod [b]) + [c])"}, ExprCase{"a + b & c", "(([a] + [b]) & [c])"},
        ExprCase{"a & b = c", "(([a] & [b]) = [c])"}, ExprCase{"Not a = b", "(Not ([a] = [b]))"},
        ExprCase{"Not a And b", "((Not [a]) And [b])"},
        ExprCase{"a Or b And c", "([a] Or ([b] And [c]))"},
        ExprCase{"a Xor b Or c", "([a] Xor ([b] Or [c]))"},
        ExprCase{"a Eqv b Xor c", "([a] Eqv ([b] Xor [c]))"},
        ExprCase{"a Imp b Eqv c", "([a] Imp ([b] Eqv [c]))"},
        ExprCase{"a - b - c", "(([a] - [b]) - [c])"}, ExprCase{"a / b * c", "(([a] / [b]) * [c])"},
        ExprCase{"a = Not b", "([a] = (Not [b]))"}, ExprCase{"a < b = c", "(([a] < [b]) = [c])"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Predicates, SqlExprParse,
    ::testing::Values(
        ExprCase{"x Between 1 And 5 And y", "(([x] Between 1 And 5) And [y])"},
        ExprCase{"x Not Between a + 1 And b", "([x] Not Between ([a] + 1) And [b])"},
        ExprCase{"x In (1, 'a', Null)", "([x] In (1, 'a', Null))"},
        ExprCase{"x Not In (1)", "([x] Not In (1))"},
        ExprCase{"x Is Null Or x Is Not Null", "(([x] Is Null) Or ([x] Is Not Null))"},
        ExprCase{"Not x Is Null", "(Not ([x] Is Null))"},
        ExprCase{"name Like 'Mi*'", "([name] Like 'Mi*')"},
        ExprCase{"name Not Like 'a' & b", "([name] Not Like ('a' & [b]))"},
        ExprCase{"True And False Or Yes Or No", "(((True And False) Or True) Or False)"},
        ExprCase{"#1/1/2000#", "#36526#"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    NamesAndCalls, SqlExprParse,
    ::testing::Values(
        ExprCase{"[My Table].[My Field]", "[My Table].[My Field]"},
        ExprCase{"Orders.Date", "[Orders].[Date]"},
        ExprCase{"[Forms]![frm]![ctl]", "[Forms]![frm]![ctl]"},
        ExprCase{"[Enter a date:]", "[Enter a date:]"},
        ExprCase{"Left$(Mid(a, 2), 1)", "Left$(Mid([a], 2), 1)"}, ExprCase{"Now()", "Now()"},
        ExprCase{"Count(*)", "Count(*)"}, ExprCase{"t.*", "[t].*"},
        ExprCase{"IIf(a > 0, 'pos', IIf(a < 0, 'neg', Null))",
                 "IIf(([a] > 0), 'pos', IIf(([a] < 0), 'neg', Null))"},
        ExprCase{"((((1))))", "1"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct ErrorCase {
  const char* input;
  int number;
  const char* fragment;  // text the message must contain
};

class SqlExprErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SqlExprErrors, Raise) {
  std::string message;
  EXPECT_EQ(ErrorNumberOf([&] { ParseExpression(GetParam().input); }, &message),
            GetParam().number)
      << GetParam().input << ": " << message;
  EXPECT_NE(message.find(GetParam().fragment), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SqlExprErrors,
    ::testing::Values(ErrorCase{"", 3075, "line 1, column 1"},
                      ErrorCase{"a +", 3075, "line 1, column 4"},
                      ErrorCase{"a b", 3075, "line 1, column 3"},
                      ErrorCase{"(a", 3075, "expected ')'"},
                      ErrorCase{"f(a,", 3075, "expected an expression"},
                      ErrorCase{"x Between 1", 3075, "expected AND"},
                      ErrorCase{"x In ()", 3075, "line 1, column 7"},
                      ErrorCase{"x Is 3", 3075, "expected NULL"},
                      ErrorCase{"a.", 3075, "expected a name"},
                      ErrorCase{"Select", 3075, "expected an expression"},
                      ErrorCase{"x In (SELECT a FROM)", 3131, "FROM clause"},
                      ErrorCase{"a = #2/30/2000#", 3075, "date"}));

TEST(SqlExprDepth, DeepNestingFailsCleanly) {
  std::string parens = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(ErrorNumberOf([&] { ParseExpression(parens); }), 3071);
  std::string negations;
  for (int i = 0; i < 100000; ++i) negations += "- ";
  EXPECT_EQ(ErrorNumberOf([&] { ParseExpression(negations + "1"); }), 3071);
  std::string nots;
  for (int i = 0; i < 100000; ++i) nots += "Not ";
  EXPECT_EQ(ErrorNumberOf([&] { ParseExpression(nots + "1"); }), 3071);
  // A long flat chain builds a deep tree without deep recursion: its height is bounded too.
  std::string chain = "1";
  for (int i = 0; i < 100000; ++i) chain += "+1";
  EXPECT_EQ(ErrorNumberOf([&] { ParseExpression(chain); }), 3071);
  std::string calls;
  for (int i = 0; i < 100000; ++i) calls += "f(";
  EXPECT_EQ(ErrorNumberOf([&] { ParseExpression(calls + "1" + std::string(100000, ')')); }),
            3071);
}

TEST(SqlExprDepth, NestingWithinTheLimitParses) {
  std::string text = std::string(150, '(') + "1" + std::string(150, ')');
  EXPECT_EQ(ToJetText(*ParseExpression(text)), "1");
  std::string chain = "1";
  for (int i = 0; i < 150; ++i) chain += "+1";
  EXPECT_EQ(ParseExpression(chain)->height, 151);
}

// A field's validation rule may leave out the field before each comparison; anywhere else the
// operand is required.
TEST(SqlFieldRule, ComparisonsWithoutALeftOperandCompareTheField) {
  const ExprCase cases[] = {
      {"> 0", "([F] > 0)"},
      {"Like 'x*' Or Like 'f*'", "(([F] Like 'x*') Or ([F] Like 'f*'))"},
      {">= 0 And <= 100", "(([F] >= 0) And ([F] <= 100))"},
      {"<> ''", "([F] <> '')"},
      {"In ('a', 'b')", "([F] In ('a', 'b'))"},
      {"Not In ('a')", "([F] Not In ('a'))"},
      {"Not Like 'a*'", "([F] Not Like 'a*')"},
      {"Not Between 1 And 5", "([F] Not Between 1 And 5)"},
      {"Is Not Null", "([F] Is Not Null)"},
      {"(< 0 Or > 9) And Is Not Null", "((([F] < 0) Or ([F] > 9)) And ([F] Is Not Null))"},
      {"[G] > 1 Or = 2", "(([G] > 1) Or ([F] = 2))"},
      {"Not [F] = 1", "(Not ([F] = 1))"},
      {"> [F] - 1", "([F] > ([F] - 1))"},
  };
  for (const ExprCase& c : cases) EXPECT_EQ(ToJetText(*ParseFieldRule(c.input, "F")), c.tree) << c.input;
  EXPECT_EQ(ErrorNumberOf([] { ParseExpression("> 0"); }), 3075);
  EXPECT_EQ(ErrorNumberOf([] { ParseFieldRule("> ", "F"); }), 3075);
  EXPECT_EQ(ErrorNumberOf([] { ParseFieldRule("Like 'a' Or", "F"); }), 3075);
  EXPECT_EQ(ErrorNumberOf([] { ParseFieldRule("= 1 2", "F"); }), 3075);
}

// ---- statements ----------------------------------------------------------------------------

std::string ConstraintText(const ParsedConstraint& c) {
  static const char* const kKinds[] = {"PK", "UQ", "NN", "FK"};
  std::string out = "<" + c.name + ":" + kKinds[static_cast<int>(c.kind)];
  for (const auto& col : c.columns) out += " " + col;
  if (!c.referenced_table.empty()) {
    out += " ->" + c.referenced_table;
    for (const auto& col : c.referenced_columns) out += " " + col;
  }
  return out + ">";
}

std::string ColumnText(const ParsedColumnDef& c) {
  std::string out = c.name + " " + std::to_string(c.type.type.dao_type);
  if (c.type.type.auto_increment) out += "+auto";
  if (c.type.size) out += "(" + std::to_string(*c.type.size) + ")";
  if (c.type.seed) out += "(" + std::to_string(*c.type.seed) + "," +
                          std::to_string(*c.type.increment) + ")";
  if (c.type.EffectiveSize()) out += " size" + std::to_string(c.type.EffectiveSize());
  if (c.not_null) out += " notnull";
  if (c.default_value) out += " default{" + *c.default_value + "}";
  for (const auto& k : c.constraints) out += " " + ConstraintText(k);
  return out;
}

// A one-line summary of a statement tree.
std::string StatementText(const ParsedStatement& statement) {
  struct Visitor {
    std::string operator()(const ParsedCreateTable& s) const {
      std::string out = "CREATE TABLE " + s.table + ":";
      for (const auto& c : s.columns) out += " [" + ColumnText(c) + "]";
      for (const auto& c : s.constraints) out += " " + ConstraintText(c);
      return out;
    }
    std::string operator()(const ParsedAlterTable& s) const {
      static const char* const kActions[] = {"ADD COLUMN", "ALTER COLUMN", "DROP COLUMN",
                                             "ADD CONSTRAINT", "DROP CONSTRAINT"};
      std::string out = "ALTER TABLE " + s.table + " " + kActions[static_cast<int>(s.action)];
      if (s.column) out += " [" + ColumnText(*s.column) + "]";
      if (s.constraint) out += " " + ConstraintText(*s.constraint);
      if (!s.name.empty()) out += " " + s.name;
      return out;
    }
    std::string operator()(const ParsedDropTable& s) const { return "DROP TABLE " + s.table; }
    std::string operator()(const ParsedCreateIndex& s) const {
      std::string out = std::string("CREATE ") + (s.unique ? "UNIQUE " : "") + "INDEX " + s.name +
                        " ON " + s.table + ":";
      for (const auto& c : s.columns) out += " " + c.name + (c.descending ? "-" : "+");
      if (s.primary) out += " primary";
      if (s.disallow_null) out += " disallownull";
      if (s.ignore_null) out += " ignorenull";
      return out;
    }
    std::string operator()(const ParsedDropIndex& s) const {
      return "DROP INDEX " + s.name + " ON " + s.table;
    }
    std::string operator()(const ParsedQueryStatement&) const { return "query"; }
  };
  return std::visit(Visitor{}, statement);
}

struct StatementCase {
  const char* input;
  const char* tree;
};

class SqlStatementParse : public ::testing::TestWithParam<StatementCase> {};

TEST_P(SqlStatementParse, BuildsTree) {
  EXPECT_EQ(StatementText(ParseStatement(GetParam().input)), GetParam().tree)
      << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    CreateTable, SqlStatementParse,
    ::testing::Values(
        StatementCase{"CREATE TABLE t (a TEXT)", "CREATE TABLE t: [a 10 size255]"},
        StatementCase{"create table [My T] ([A b] text(50) not null, n LONG);",
                      "CREATE TABLE My T: [A b 10(50) size50 notnull] [n 4]"},
        StatementCase{
            "CREATE TABLE t (a CHAR(10), b VARCHAR, c MEMO, d BYTE, e SHORT, f SMALLINT, g LONG, "
            "h INT, i INTEGER, j CURRENCY, k MONEY, l SINGLE, m REAL, n DOUBLE, o FLOAT, "
            "p DATETIME, q DATE, r TIME, s YESNO, u BIT, v LOGICAL, w LONGBINARY, x OLEOBJECT, "
            "y GENERAL, z BINARY(16), aa GUID, ab NUMERIC, ac LONGTEXT, ad VARBINARY)",
            "CREATE TABLE t: [a 10(10) size10] [b 10 size255] [c 12] [d 2] [e 3] [f 3] [g 4] "
            "[h 4] [i 4] [j 5] [k 5] [l 6] [m 6] [n 7] [o 7] [p 8] [q 8] [r 8] [s 1] [u 1] "
            "[v 1] [w 11] [x 11] [y 11] [z 9(16) size16] [aa 15] [ab 7] [ac 12] [ad 9 size255]"},
        StatementCase{"CREATE TABLE t (id COUNTER, n AUTOINCREMENT(100, 5), m COUNTER(1,-1))",
                      "CREATE TABLE t: [id 4+auto] [n 4+auto(100,5)] [m 4+auto(1,-1)]"},
        StatementCase{"CREATE TABLE t (id LONG CONSTRAINT pk PRIMARY KEY, "
                      "c TEXT CONSTRAINT u UNIQUE NOT NULL, "
                      "o LONG CONSTRAINT fk REFERENCES other (id), p LONG REFERENCES q)",
                      "CREATE TABLE t: [id 4 <pk:PK>] [c 10 size255 notnull <u:UQ>] "
                      "[o 4 <fk:FK ->other id>] [p 4 <:FK ->q>]"},
        StatementCase{"CREATE TABLE t (a LONG, b LONG, CONSTRAINT pk PRIMARY KEY (a, b), "
                      "CONSTRAINT u UNIQUE (b), CONSTRAINT nn NOT NULL (a), "
                      "CONSTRAINT fk FOREIGN KEY (b) REFERENCES o (x))",
                      "CREATE TABLE t: [a 4] [b 4] <pk:PK a b> <u:UQ b> <nn:NN a> <fk:FK b ->o x>"},
        StatementCase{"CREATE TABLE t (Date DATE, Text TEXT(1), Value TEXT(255))",
                      "CREATE TABLE t: [Date 8] [Text 10(1) size1] [Value 10(255) size255]"},
        // DEFAULT keeps the expression as written, whatever follows it.
        StatementCase{"CREATE TABLE t (a TEXT(5) DEFAULT 'x;''y'  NOT NULL, b LONG DEFAULT -1 "
                      "CONSTRAINT u UNIQUE, c DATETIME DEFAULT Now( ), d BIT DEFAULT (1 = 1))",
                      "CREATE TABLE t: [a 10(5) size5 notnull default{'x;''y'}] "
                      "[b 4 default{-1} <u:UQ>] [c 8 default{Now( )}] [d 1 default{(1 = 1)}]"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    OtherStatements, SqlStatementParse,
    ::testing::Values(
        StatementCase{"ALTER TABLE t ADD COLUMN c TEXT(20) NOT NULL",
                      "ALTER TABLE t ADD COLUMN [c 10(20) size20 notnull]"},
        StatementCase{"ALTER TABLE t ADD c DOUBLE", "ALTER TABLE t ADD COLUMN [c 7]"},
        StatementCase{"ALTER TABLE t ALTER COLUMN c TEXT(30)",
                      "ALTER TABLE t ALTER COLUMN [c 10(30) size30]"},
        StatementCase{"ALTER TABLE t ALTER id COUNTER(10, 2)",
                      "ALTER TABLE t ALTER COLUMN [id 4+auto(10,2)]"},
        StatementCase{"ALTER TABLE t DROP COLUMN c", "ALTER TABLE t DROP COLUMN c"},
        StatementCase{"ALTER TABLE t DROP c", "ALTER TABLE t DROP COLUMN c"},
        StatementCase{"ALTER TABLE t ADD CONSTRAINT pk PRIMARY KEY (a)",
                      "ALTER TABLE t ADD CONSTRAINT <pk:PK a>"},
        StatementCase{"ALTER TABLE t DROP CONSTRAINT pk", "ALTER TABLE t DROP CONSTRAINT pk"},
        StatementCase{"DROP TABLE [Old Data];", "DROP TABLE Old Data"},
        StatementCase{"CREATE INDEX i ON t (a)", "CREATE INDEX i ON t: a+"},
        StatementCase{"CREATE UNIQUE INDEX i ON t (a ASC, b DESC) WITH DISALLOW NULL",
                      "CREATE UNIQUE INDEX i ON t: a+ b- disallownull"},
        StatementCase{"CREATE INDEX PrimaryKey ON t (id) WITH PRIMARY",
                      "CREATE INDEX PrimaryKey ON t: id+ primary"},
        StatementCase{"CREATE INDEX i ON t (a) WITH IGNORE NULL",
                      "CREATE INDEX i ON t: a+ ignorenull"},
        StatementCase{"DROP INDEX i ON t", "DROP INDEX i ON t"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

class SqlStatementErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SqlStatementErrors, Raise) {
  std::string message;
  EXPECT_EQ(ErrorNumberOf([&] { ParseStatement(GetParam().input); }, &message),
            GetParam().number)
      << GetParam().input << ": " << message;
  EXPECT_NE(message.find(GetParam().fragment), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SqlStatementErrors,
    ::testing::Values(
        ErrorCase{"", 3129, "line 1, column 1"}, ErrorCase{"FROB t", 3129, "'FROB'"},
        ErrorCase{"SELECT * FROM t WHERE", 3075, "expected an expression"},
        ErrorCase{"CREATE TABLE", 3290, "expected a table name"},
        ErrorCase{"CREATE TABLE t", 3290, "expected '('"},
        ErrorCase{"CREATE TABLE t (a LONG", 3290, "line 1, column 23"},
        ErrorCase{"CREATE TABLE t ()", 3292, "expected a column name"},
        ErrorCase{"CREATE TABLE t (CONSTRAINT p PRIMARY KEY (a))", 3290, "at least one column"},
        ErrorCase{"CREATE TABLE t (a)", 3292, "expected a data type"},
        ErrorCase{"CREATE TABLE t (a WIDGET)", 3292, "unknown data type 'WIDGET'"},
        ErrorCase{"CREATE TABLE t (a DECIMAL(10,2))", 3292, "DECIMAL"},
        ErrorCase{"CREATE TABLE t (a TEXT(0))", 3292, "between 1 and 255"},
        ErrorCase{"CREATE TABLE t (a TEXT(256))", 3292, "between 1 and 255"},
        ErrorCase{"CREATE TABLE t (a LONG(4))", 3292, "takes no size"},
        ErrorCase{"CREATE TABLE t (a COUNTER(1))", 3292, "expected ','"},
        ErrorCase{"CREATE TABLE t (a COUNTER(1, 0))", 3292, "may not be 0"},
        ErrorCase{"CREATE TABLE t (a LONG NOT)", 3292, "expected NULL"},
        ErrorCase{"CREATE TABLE t (a LONG DEFAULT)", 3292, "expected an expression"},
        ErrorCase{"CREATE TABLE t (a LONG DEFAULT 1 DEFAULT 2)", 3292, "DEFAULT given twice"},
        ErrorCase{"CREATE TABLE t (a LONG DEFAULT 1 +)", 3292, "expected an expression"},
        ErrorCase{"CREATE TABLE t (a LONG CONSTRAINT)", 3289, "expected a constraint name"},
        ErrorCase{"CREATE TABLE t (a LONG CONSTRAINT x PRIMARY)", 3289, "expected KEY"},
        ErrorCase{"CREATE TABLE t (a LONG CONSTRAINT x CHECK)", 3289, "PRIMARY KEY"},
        ErrorCase{"CREATE TABLE t (a LONG, CONSTRAINT x PRIMARY KEY a)", 3289, "expected '('"},
        ErrorCase{"CREATE TABLE t (a LONG, CONSTRAINT x FOREIGN KEY (a))", 3289,
                  "expected REFERENCES"},
        ErrorCase{"CREATE TABLE t (a LONG) x", 3142, "'x'"},
        ErrorCase{"CREATE TABLE t (a LONG); DROP TABLE t", 3142, "'DROP'"},
        ErrorCase{"CREATE TABLE t (a 'x')", 3292, "string 'x'"},
        ErrorCase{"CREATE TABLE t (a TEXT(50), [b", 3290, "missing closing bracket"},
        ErrorCase{"CREATE VIEW v", 3290, "expected TABLE, INDEX"},
        ErrorCase{"ALTER TABLE t", 3293, "expected ADD, ALTER or DROP"},
        ErrorCase{"ALTER TABLE t ADD COLUMN", 3292, "expected a column name"},
        ErrorCase{"ALTER TABLE t DROP CONSTRAINT", 3293, "expected a constraint name"},
        ErrorCase{"ALTER t ADD c LONG", 3293, "expected TABLE"},
        ErrorCase{"CREATE INDEX ON t (a)", 3291, "expected an index name"},
        ErrorCase{"CREATE INDEX i t (a)", 3291, "expected ON"},
        ErrorCase{"CREATE INDEX i ON t ()", 3291, "expected a column name"},
        ErrorCase{"CREATE INDEX i ON t (a) WITH", 3291, "PRIMARY, DISALLOW NULL"},
        ErrorCase{"CREATE INDEX i ON t (a) WITH DISALLOW", 3291, "expected NULL"},
        ErrorCase{"CREATE UNIQUE TABLE t (a LONG)", 3291, "expected INDEX"},
        ErrorCase{"DROP t", 3295, "expected TABLE or INDEX"},
        ErrorCase{"DROP INDEX i", 3295, "expected ON"},
        ErrorCase{"DROP TABLE", 3295, "expected a table name"},
        ErrorCase{"DROP TABLE SELECT", 3295, "expected a table name"}));

}  // namespace
}  // namespace qb::jet::sql
