// Which selects return their base table's rowid for a keyed reader (with_row_key): only those
// whose rows are the rows of one table.
#include <gtest/gtest.h>

#include "jet/sql/translate/memory_schema.h"
#include "jet/sql/translate/query_translator.h"

namespace qb::jet::sql {
namespace {

struct RowKeyCase {
  const char* jet;
  const char* key_table;  // "" when the rows are not one table's rows
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
  // The key column appears once at most, in the statement's own select list.
  const std::size_t at = keyed.sql.find(kRowKeyColumn);
  EXPECT_EQ(at != std::string::npos, std::string(c.key_table) != "") << keyed.sql;
  if (at != std::string::npos) {
    EXPECT_EQ(keyed.sql.find(kRowKeyColumn, at + 1), std::string::npos) << keyed.sql;
  }
  EXPECT_TRUE(plain.row_key_table.empty());
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
                      RowKeyCase{"SELECT * FROM Big", ""},
                      RowKeyCase{"SELECT Customer FROM Orders WHERE Customer IN (SELECT Name FROM Customers)", "Orders"},
                      RowKeyCase{"SELECT * FROM (SELECT Customer FROM Orders) AS D", ""}));

}  // namespace
}  // namespace qb::jet::sql
