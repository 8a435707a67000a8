// Which selects return their base table's rowid for a keyed reader (with_row_key): only those
// whose rows are the rows of one table, directly or through saved queries and derived tables
// that are keyed in turn.
#include <gtest/gtest.h>

#include "jet/sql/translate/memory_schema.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet::sql {
namespace {

struct RowKeyCase {
  const char* jet;
  const char* key_table;  // "" when the rows are not one table's rows
  std::size_t layers = 1;  // the selects that carry the key: the statement's and those below it
};

class JetRowKey : public ::testing::TestWithParam<RowKeyCase> {};

TEST_P(JetRowKey, NamesTheTableOnlyForPlainSelectsOfOne) {
  MemorySchema schema;
  schema.AddTable("Orders", {{"Id", 4, 0, true, true}, {"Customer", 10, 30}, {"Amount", 5, 0}});
  schema.AddTable("Customers", {{"Name", 10, 30}, {"City", 10, 20}});
  schema.AddQuery("Big", "SELECT * FROM Orders WHERE Amount > 100");
  QueryTranslateOptions options;
  options.with_row_key = true;
  const RowKeyCase& c = GetParam();
  TranslatedQuery keyed = TranslateQuery(c.jet, schema, options);
  TranslatedQuery plain = TranslateQuery(c.jet, schema);
  EXPECT_EQ(keyed.row_key_table, c.key_table);
  EXPECT_EQ(keyed.columns.size(), plain.columns.size());  // the key is no result column
  // The key column is named once in each keyed layer's select list (and read from the layer
  // below it).
  auto count = [](const std::string& sql) {
    std::size_t n = 0;
    for (std::size_t at = sql.find(kRowKeyColumn); at != std::string::npos; at = sql.find(kRowKeyColumn, at + 1)) ++n;
    return n;
  };
  const bool keyed_rows = std::string(c.key_table) != "";
  if (keyed_rows) {
    EXPECT_EQ(count(keyed.sql), 2 * c.layers - 1) << keyed.sql;
  }
  // The reading by key passes every filter: the rows as they are, whatever they hold now.
  EXPECT_EQ(keyed.row_fetch_sql.empty(), !keyed_rows);
  EXPECT_EQ(keyed.row_fetch_sql.find("WHERE"), std::string::npos) << keyed.row_fetch_sql;
  if (keyed_rows) {
    EXPECT_EQ(count(keyed.row_fetch_sql), 2 * c.layers - 1) << keyed.row_fetch_sql;
  }
  EXPECT_TRUE(plain.row_key_table.empty());
  EXPECT_TRUE(plain.row_fetch_sql.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, JetRowKey,
    ::testing::Values(RowKeyCase{"SELECT * FROM Orders", "Orders"},
                      RowKeyCase{"SELECT Amount * 2 AS Twice, Customer FROM Orders AS O WHERE Amount > 1 ORDER BY Customer",
                                 "Orders"},
                      RowKeyCase{"SELECT DISTINCTROW Customer FROM Orders", "Orders"},
                      RowKeyCase{"SELECT DISTINCT Customer FROM Orders", ""},
                      RowKeyCase{"SELECT Customer, Sum(Amount) AS Total FROM Orders GROUP BY Customer", ""},
                      RowKeyCase{"SELECT Count(*) AS N FROM Orders", ""},
                      RowKeyCase{"SELECT TOP 2 * FROM Orders ORDER BY Amount", ""},
                      RowKeyCase{"SELECT Customer FROM Orders UNION SELECT Name FROM Customers", ""},
                      RowKeyCase{"SELECT * FROM Orders INNER JOIN Customers ON Orders.Customer = Customers.Name", ""},
                      RowKeyCase{"SELECT * FROM Big", "Orders", 2},
                      RowKeyCase{"SELECT Customer FROM Big WHERE Amount < 900", "Orders", 2},
                      RowKeyCase{"SELECT Customer, Count(*) AS N FROM Big GROUP BY Customer", ""},
                      RowKeyCase{"SELECT Customer FROM Orders WHERE Customer IN (SELECT Name FROM Customers)", "Orders"},
                      RowKeyCase{"SELECT * FROM (SELECT Customer FROM Orders) AS D", "Orders", 2},
                      RowKeyCase{"SELECT * FROM (SELECT DISTINCT Customer FROM Orders) AS D", ""},
                      RowKeyCase{"SELECT Customer FROM (SELECT * FROM Big) AS D", "Orders", 3}));

}  // namespace
}  // namespace qb::jet::sql
