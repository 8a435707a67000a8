// Which selects return the rowids of every table of their join for a keyed reader
// (with_row_key): plain selects over joins of stored tables only, never their subqueries.
#include <gtest/gtest.h>

#include "jet/sql/translate/memory_schema.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet::sql {
namespace {

struct SourceKeyCase {
  const char* jet;
  const char* sources;  // "name=table,..." in FROM order; "" when the rows are not keyed so
};

class JetSourceKeys : public ::testing::TestWithParam<SourceKeyCase> {};

TEST_P(JetSourceKeys, NameEveryTableOfPlainJoins) {
  MemorySchema schema;
  schema.AddTable("Orders", {{"Id", 4, 0, true, true}, {"Customer", 10, 30}, {"Amount", 5, 0}});
  schema.AddTable("Customers", {{"Name", 10, 30}, {"City", 10, 20}});
  schema.AddTable("Cities", {{"City", 10, 20}, {"Land", 10, 20}});
  schema.AddQuery("Big", "SELECT * FROM Orders WHERE Amount > 100");
  QueryTranslateOptions options;
  options.with_row_key = true;
  const SourceKeyCase& c = GetParam();
  TranslatedQuery keyed = TranslateQuery(c.jet, schema, options);
  TranslatedQuery plain = TranslateQuery(c.jet, schema);
  std::string sources;
  for (const SourceKey& key : keyed.source_keys) sources += (sources.empty() ? "" : ",") + key.name + "=" + key.table;
  EXPECT_EQ(sources, c.sources);
  EXPECT_EQ(keyed.columns.size(), plain.columns.size());  // the keys are no result columns
  EXPECT_TRUE(plain.source_keys.empty());
  EXPECT_EQ(plain.sql.find(kSourceKeyPrefix), std::string::npos);
  // Each key column once, leading the statement's own select list.
  for (std::size_t i = 1; i <= keyed.source_keys.size(); ++i) {
    const std::string name = "\"" + std::string(kSourceKeyPrefix) + std::to_string(i) + "\"";
    const std::size_t at = keyed.sql.find(name);
    ASSERT_NE(at, std::string::npos) << keyed.sql;
    EXPECT_EQ(keyed.sql.find(name, at + 1), std::string::npos) << keyed.sql;
    EXPECT_LT(at, keyed.sql.find(" FROM ")) << keyed.sql;
  }
  if (keyed.source_keys.empty()) {
    EXPECT_EQ(keyed.sql.find(kSourceKeyPrefix), std::string::npos) << keyed.sql;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, JetSourceKeys,
    ::testing::Values(
        SourceKeyCase{"SELECT * FROM Orders INNER JOIN Customers ON Orders.Customer = Customers.Name",
                      "Orders=Orders,Customers=Customers"},
        SourceKeyCase{"SELECT O.Amount, C.City FROM Customers AS C RIGHT JOIN Orders AS O ON C.Name = O.Customer "
                      "WHERE O.Amount > 1 ORDER BY C.City",
                      "C=Customers,O=Orders"},
        SourceKeyCase{"SELECT Orders.Amount, Cities.Land FROM (Orders LEFT JOIN Customers ON Orders.Customer = "
                      "Customers.Name) LEFT JOIN Cities ON Customers.City = Cities.City",
                      "Orders=Orders,Customers=Customers,Cities=Cities"},
        SourceKeyCase{"SELECT Amount, City FROM Orders, Customers", "Orders=Orders,Customers=Customers"},
        SourceKeyCase{"SELECT * FROM Orders", ""},
        SourceKeyCase{"SELECT Big.Amount FROM Big INNER JOIN Customers ON Big.Customer = Customers.Name", ""},
        SourceKeyCase{"SELECT DISTINCT City FROM Orders INNER JOIN Customers ON Orders.Customer = Customers.Name", ""},
        // DISTINCTROW over a join used only to filter groups by the other table's rowids.
        SourceKeyCase{"SELECT DISTINCTROW Orders.Amount FROM Orders INNER JOIN Customers ON Orders.Customer = "
                      "Customers.Name",
                      ""},
        SourceKeyCase{"SELECT City, Sum(Amount) AS S FROM Orders INNER JOIN Customers ON Orders.Customer = "
                      "Customers.Name GROUP BY City",
                      ""},
        SourceKeyCase{"SELECT TOP 1 Amount FROM Orders INNER JOIN Customers ON Orders.Customer = Customers.Name "
                      "ORDER BY Amount",
                      ""},
        SourceKeyCase{"SELECT Customer FROM Orders INNER JOIN Customers ON Orders.Customer = Customers.Name "
                      "UNION SELECT Name FROM Customers",
                      ""},
        // A subquery over a join never gets the keys; the statement's own single table keeps its own.
        SourceKeyCase{"SELECT Amount FROM Orders WHERE Customer IN (SELECT Name FROM Customers, Cities)", ""}));

}  // namespace
}  // namespace qb::jet::sql
