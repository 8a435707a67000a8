// Jet SELECT queries written as the server's SQL: each mapping as a case of Jet text and the
// exact server text, what is refused and why, and the order and reasons of a view plan.
#include <gtest/gtest.h>

#include <variant>

#include "jet/odbc/server_sql.h"
#include "jet/odbc/server_views.h"
#include "jet/sql/parse/parser.h"

namespace qb::jet::odbc {
namespace {

std::string ServerText(const std::string& jet, NameSpellings& names) {
  sql::ParsedStatement statement = sql::ParseStatement(jet);
  return ServerSelectSql(std::get<sql::ParsedQuery>(std::get<sql::ParsedQueryStatement>(statement).body), names).sql;
}

std::string ServerText(const std::string& jet) {
  NameSpellings names;
  for (const char* known : {"T", "A", "B", "Name", "Amount", "Day"}) names.Spell(known);
  return ServerText(jet, names);
}

struct Mapping {
  const char* jet;
  const char* server;
};

TEST(ServerSqlTest, MapsJetSqlToTheServers) {
  const Mapping cases[] = {
      // Names take the server's spelling; aliases keep the first one met.
      {"SELECT name, t.amount AS x FROM t", "SELECT \"Name\", \"T\".\"Amount\" AS \"x\" FROM \"T\""},
      {"SELECT [a\"b] FROM [my table] AS Q WHERE q.[a\"b] > 0",
       "SELECT \"a\"\"b\" FROM \"my table\" AS \"Q\" WHERE (\"Q\".\"a\"\"b\" > 0)"},
      {"SELECT * FROM t", "SELECT * FROM \"T\""},
      // Unnamed values are named as the engine names them.
      {"SELECT a + 1, b, Sum(a) FROM t GROUP BY b",
       "SELECT (\"A\" + 1) AS \"Expr1000\", \"B\", SUM(\"A\") AS \"Expr1001\" FROM \"T\" GROUP BY \"B\""},
      // Operators.
      {"SELECT a & 'x', a Mod 3, a \\ 2, a / 2, a ^ 2, -a FROM t",
       "SELECT CONCAT(\"A\", 'x') AS \"Expr1000\", (CAST(\"A\" AS bigint) % CAST(3 AS bigint)) AS \"Expr1001\", "
       "(CAST(\"A\" AS bigint) / CAST(2 AS bigint)) AS \"Expr1002\", (CAST(\"A\" AS double precision) / 2) AS \"Expr1003\", "
       "POWER(\"A\", 2) AS \"Expr1004\", (-\"A\") AS \"Expr1005\" FROM \"T\""},
      {"SELECT a FROM t WHERE a <> 1 And Not b Or a Is Null",
       "SELECT \"A\" FROM \"T\" WHERE (((\"A\" <> 1) AND (NOT \"B\")) OR (\"A\" IS NULL))"},
      {"SELECT a FROM t WHERE (a Xor b) Or (a Eqv b) Or (a Imp b)",
       "SELECT \"A\" FROM \"T\" WHERE (((\"A\" <> \"B\") OR (\"A\" = \"B\")) OR ((NOT \"A\") OR \"B\"))"},
      // Text compares without regard to case, as Jet's does; Like too.
      {"SELECT a FROM t WHERE name = 'ann' Or name In ('x', 'Y') Or name Between 'a' And 'c'",
       "SELECT \"A\" FROM \"T\" WHERE (((LOWER(\"Name\") = LOWER('ann')) OR (LOWER(\"Name\") IN (LOWER('x'), LOWER('Y')))) "
       "OR (LOWER(\"Name\") BETWEEN SYMMETRIC LOWER('a') AND LOWER('c')))"},
      {"SELECT a FROM t WHERE a In (1, 2) And a Not Between 5 And 1",
       "SELECT \"A\" FROM \"T\" WHERE ((\"A\" IN (1, 2)) AND (\"A\" NOT BETWEEN SYMMETRIC 5 AND 1))"},
      {"SELECT a FROM t WHERE name Like 'A*b?c%d_e' And name Not Like 'it''s'",
       "SELECT \"A\" FROM \"T\" WHERE ((\"Name\" ILIKE E'A%b_c\\\\%d\\\\_e') AND (\"Name\" NOT ILIKE 'it''s'))"},
      {"SELECT a FROM t WHERE name Like '#[a-c][!x]*.(' ",
       "SELECT \"A\" FROM \"T\" WHERE (\"Name\" ~* E'^[0-9][a-c][^x].*\\\\.\\\\($')"},
      // A backslash in text can never end the literal, whatever the server's setting.
      {"SELECT a FROM t WHERE name = 'a\\'' Or 1 = 1'",
       "SELECT \"A\" FROM \"T\" WHERE (LOWER(\"Name\") = LOWER(E'a\\\\'' Or 1 = 1'))"},
      // Literals.
      {"SELECT True, False, Null, 1.5, 'x' FROM t",
       "SELECT TRUE AS \"Expr1000\", FALSE AS \"Expr1001\", NULL AS \"Expr1002\", 1.5 AS \"Expr1003\", 'x' AS \"Expr1004\" "
       "FROM \"T\""},
      {"SELECT a FROM t WHERE day >= #2/3/2001# And day < #2001-02-03 04:05:06#",
       "SELECT \"A\" FROM \"T\" WHERE ((\"Day\" >= DATE '2001-02-03') AND (\"Day\" < TIMESTAMP '2001-02-03 04:05:06'))"},
      // Functions.
      {"SELECT IIf(a > 1, 'y', 'n') AS c, Nz(a, 0) AS d FROM t",
       "SELECT (CASE WHEN (\"A\" > 1) THEN 'y' ELSE 'n' END) AS \"c\", COALESCE(\"A\", 0) AS \"d\" FROM \"T\""},
      {"SELECT Left$(name, 2) AS a1, Right(name, 1) AS a2, Mid(name, 2) AS a3, Mid(name, 2, 3) AS a4, Len(name) AS a5 FROM t",
       "SELECT LEFT(\"Name\", 2) AS \"a1\", RIGHT(\"Name\", 1) AS \"a2\", SUBSTRING(\"Name\" FROM 2) AS \"a3\", "
       "SUBSTRING(\"Name\" FROM 2 FOR 3) AS \"a4\", LENGTH(\"Name\") AS \"a5\" FROM \"T\""},
      {"SELECT UCase(name) AS u, LCase(name) AS l, Trim(name) AS m FROM t",
       "SELECT UPPER(\"Name\") AS \"u\", LOWER(\"Name\") AS \"l\", BTRIM(\"Name\") AS \"m\" FROM \"T\""},
      {"SELECT Year(day) AS y, Int(a) AS i, Abs(a) AS b2 FROM t",
       "SELECT CAST(FLOOR(EXTRACT(YEAR FROM \"Day\")) AS integer) AS \"y\", FLOOR(\"A\") AS \"i\", ABS(\"A\") AS \"b2\" FROM \"T\""},
      // Jet rounds halves to even.
      {"SELECT Round(a, 2) AS r FROM t",
       "SELECT ((CASE WHEN MOD(ABS((CAST(\"A\" AS numeric) * 100)), 1) = 0.5 THEN 2 * ROUND((CAST(\"A\" AS numeric) * 100) / 2) "
       "ELSE ROUND((CAST(\"A\" AS numeric) * 100)) END) / 100) AS \"r\" FROM \"T\""},
      {"SELECT Count(*) AS n, Avg(a) AS v, Min(a) AS lo, Max(a) AS hi FROM t",
       "SELECT COUNT(*) AS \"n\", AVG(\"A\") AS \"v\", MIN(\"A\") AS \"lo\", MAX(\"A\") AS \"hi\" FROM \"T\""},
      // Clauses: Null sorts first ascending, last descending; TOP keeps ties when sorted.
      {"SELECT DISTINCT a FROM t ORDER BY a, b DESC",
       "SELECT DISTINCT \"A\" FROM \"T\" ORDER BY \"A\" NULLS FIRST, \"B\" DESC NULLS LAST"},
      {"SELECT TOP 2 a FROM t ORDER BY a", "SELECT \"A\" FROM \"T\" ORDER BY \"A\" NULLS FIRST FETCH FIRST 2 ROWS WITH TIES"},
      {"SELECT TOP 2 a FROM t", "SELECT \"A\" FROM \"T\" LIMIT 2"},
      {"SELECT DISTINCTROW a FROM t", "SELECT \"A\" FROM \"T\""},
      {"SELECT b, Count(*) AS n FROM t GROUP BY b HAVING Count(*) > 1",
       "SELECT \"B\", COUNT(*) AS \"n\" FROM \"T\" GROUP BY \"B\" HAVING (COUNT(*) > 1)"},
      // Joins, unions and subqueries.
      {"SELECT x.a FROM (t AS x LEFT JOIN u ON x.a = u.a) INNER JOIN v ON u.b = v.b, w",
       "SELECT \"x\".\"A\" FROM ((\"T\" AS \"x\" LEFT JOIN \"u\" ON (\"x\".\"A\" = \"u\".\"A\")) INNER JOIN \"v\" ON "
       "(\"u\".\"B\" = \"v\".\"B\")), \"w\""},
      {"SELECT a FROM t UNION ALL SELECT TOP 1 a FROM u UNION SELECT b FROM v ORDER BY a DESC",
       "SELECT \"A\" FROM \"T\" UNION ALL (SELECT \"A\" FROM \"u\" LIMIT 1) "
       "UNION SELECT \"B\" FROM \"v\" ORDER BY \"A\" DESC NULLS LAST"},
      {"SELECT a FROM t WHERE a In (SELECT a FROM u) And Exists (SELECT * FROM v) And a > All (SELECT a FROM w) "
       "And a = (SELECT Max(a) FROM u)",
       "SELECT \"A\" FROM \"T\" WHERE ((((\"A\" IN (SELECT \"A\" FROM \"u\")) AND (EXISTS (SELECT * FROM \"v\"))) AND "
       "(\"A\" > ALL (SELECT \"A\" FROM \"w\"))) AND (\"A\" = (SELECT MAX(\"A\") AS \"Expr1000\" FROM \"u\")))"},
      {"SELECT q.a FROM (SELECT a FROM t) AS q", "SELECT \"q\".\"A\" FROM (SELECT \"A\" FROM \"T\") AS \"q\""},
  };
  for (const Mapping& c : cases) EXPECT_EQ(ServerText(c.jet), c.server) << c.jet;
}

TEST(ServerSqlTest, RefusesWhatHasNoFaithfulForm) {
  const Mapping cases[] = {
      {"SELECT TOP 10 PERCENT a FROM t ORDER BY a", "TOP n PERCENT"},
      {"SELECT DISTINCTROW t.a FROM t INNER JOIN u ON t.a = u.a", "DISTINCTROW over more than one table"},
      {"SELECT Format(a, 'x') FROM t", "the function Format has no server form"},
      {"SELECT Nz(a) FROM t", "Nz without its value-if-Null argument"},
      {"SELECT a FROM t WHERE name Like b", "a Like pattern that is not a text literal"},
      {"SELECT a FROM t WHERE name Like 'x[ab'", "unclosed or empty [list]"},
      {"SELECT Round(a, b) FROM t", "Round with places"},
      {"SELECT Left(a) FROM t", "the function Left with 1 arguments"},
      {"SELECT a INTO n FROM t", "it makes a table"},
  };
  for (const Mapping& c : cases) {
    try {
      ServerText(c.jet);
      ADD_FAILURE() << "carried: " << c.jet;
    } catch (const NotExpressible& why) {
      EXPECT_NE(std::string(why.what()).find(c.server), std::string::npos) << c.jet << ": " << why.what();
    }
  }
}

TEST(ServerViewsTest, OrdersViewsAfterWhatTheyReadAndSaysWhyOthersStay) {
  NameSpellings names;
  for (const char* known : {"T", "A"}) names.Spell(known);
  const ViewPlan plan = PlanServerViews({{"Top", "SELECT total FROM [middle] WHERE total > 1"},
                                         {"Middle", "SELECT Sum(a) AS Total FROM [base]"},
                                         {"Base", "SELECT a FROM t"},
                                         {"Asks", "PARAMETERS p Long; SELECT a FROM t WHERE a = p"},
                                         {"On Asks", "SELECT a FROM Asks"},
                                         {"Loop 1", "SELECT a FROM [Loop 2]"},
                                         {"Loop 2", "SELECT a FROM [loop 1]"},
                                         {"Pivot", "TRANSFORM Sum(a) SELECT a FROM t GROUP BY a PIVOT a"},
                                         {"Change", "DELETE FROM t"},
                                         {"Broken", "SELEKT a"}},
                                        names);
  ASSERT_EQ(plan.views.size(), 3u);
  EXPECT_EQ(plan.views[0].create, "CREATE VIEW \"Base\" AS SELECT \"A\" FROM \"T\"");
  // The column takes the spelling of the query that defines it, whoever names it first.
  EXPECT_EQ(plan.views[1].create, "CREATE VIEW \"Middle\" AS SELECT SUM(\"A\") AS \"Total\" FROM \"Base\"");
  EXPECT_EQ(plan.views[2].create,
            "CREATE VIEW \"Top\" AS SELECT \"Total\" FROM \"Middle\" WHERE (\"Total\" > 1)");
  const std::vector<std::string> expected = {
      "query Asks: it takes parameters",
      "query On Asks: it reads the query Asks, which is not carried over",
      "query Loop 1: it reads the query Loop 2, which is not carried over",
      "query Loop 2: it reads itself through the query Loop 1",
      "query Pivot: it is a crosstab query",
      "query Change: it is an action query",
  };
  ASSERT_EQ(plan.not_carried.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(plan.not_carried[i], expected[i]);
  EXPECT_EQ(plan.not_carried.back().rfind("query Broken: its SQL does not read (", 0), 0u) << plan.not_carried.back();
}

}  // namespace
}  // namespace qb::jet::odbc
