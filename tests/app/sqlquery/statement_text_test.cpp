// The SQL query window's text rules: which statements open as queries, where an engine error
// puts the cursor, and how the statement editor colours Jet SQL.
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "app/sqlquery/jet_sql_highlighter.h"
#include "app/sqlquery/statement_kind.h"

namespace qb::test {
namespace {

TEST(StatementKindTest, OnlyAFirstWordSelectMakesAQuery) {
  struct Case {
    const char* text;
    bool query;
  } cases[] = {
      {"SELECT * FROM T", true},
      {"select * from t", true},
      {"  ( SELECT a FROM t) UNION (SELECT a FROM u)", true},
      {"\r\n\t(SELECT 1)", true},
      {"SELECT,a FROM t", true},
      {"SELECTX * FROM T", false},
      {"", false},
      {" \n ", false},
      {"TRANSFORM Sum(a) SELECT b FROM t GROUP BY b PIVOT c", false},
      {"PARAMETERS p Long; SELECT * FROM t WHERE a = p", false},
      {"UPDATE t SET a = 1", false},
      {"[SELECT] FROM t", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsQueryStatement(c.text), c.query) << c.text;
}

TEST(StatementKindTest, ErrorPositionIsReadFromTheEngineMessage) {
  struct Case {
    const char* message;
    int line;  // 0: none
    int column;
  } cases[] = {
      {"Syntax error in WHERE clause at line 2, column 14: an expression expected.", 2, 14},
      {"DAODataBase1 (TDAODataBase) Execute: Syntax error in FROM clause at line 1, column 1: x.", 1, 1},
      {"The table 'Nowhere' does not exist.", 0, 0},
      {"at line 0, column 3", 0, 0},
      {"at line 3, column 99999999999999", 0, 0},
  };
  for (const Case& c : cases) {
    const auto position = ErrorPosition(c.message);
    if (c.line == 0) {
      EXPECT_FALSE(position.has_value()) << c.message;
    } else {
      ASSERT_TRUE(position.has_value()) << c.message;
      EXPECT_EQ(position->line, c.line) << c.message;
      EXPECT_EQ(position->column, c.column) << c.message;
    }
  }
}

// The kind coloured at each character of LINE in DOCUMENT, one letter per character: k keyword,
// s string, d date, n bracketed name, . nothing.
std::string Kinds(const QTextDocument& document, const TJetSqlHighlighter& highlighter, int line) {
  const QTextBlock block = document.findBlockByNumber(line);
  std::string kinds(static_cast<std::size_t>(block.length() - 1), '.');
  for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
    char letter = '?';
    const char letters[] = {'k', 's', 'd', 'n'};
    for (int kind = 0; kind < 4; ++kind) {
      if (range.format == highlighter.Format(TJetSqlHighlighter::Kind(kind))) letter = letters[kind];
    }
    for (int i = range.start; i < range.start + range.length; ++i) kinds[static_cast<std::size_t>(i)] = letter;
  }
  return kinds;
}

TEST(JetSqlHighlighterTest, ColoursKeywordsLiteralsDatesAndNames) {
  QTextDocument document;
  TJetSqlHighlighter highlighter(&document);
  document.setPlainText(
      "select [Order Date], T.Name FROM T\n"
      "WHERE a = 'it''s' AND d > #1/2/2020# OR x=\"on\n"
      "two\" AND [open\n"
      "name]=1");
  highlighter.rehighlight();
  struct Case {
    int line;
    const char* kinds;
  } cases[] = {
      {0, "kkkkkk.nnnnnnnnnnnn.........kkkk.."},
      {1, "kkkkk.....sssssss.kkk.....dddddddddd.kk...sss"},
      {2, "ssss.kkk.nnnnn"},
      {3, "nnnnn.."},
  };
  for (const Case& c : cases) EXPECT_EQ(Kinds(document, highlighter, c.line), c.kinds) << "line " << c.line;
}

}  // namespace
}  // namespace qb::test
