// The translator's view of a real file: tables with their field metadata, saved queries, and a
// version that moves with every change that could alter a translation, wherever it was made.
#include <gtest/gtest.h>

#include "jet/catalog/catalog_query_schema.h"
#include "jet/dao/field.h"
#include "jet/dao/tabledef.h"
#include "jet/sqlite/connection.h"
#include "query_test_support.h"

namespace qb::jet::test {
namespace {

class CatalogQuerySchemaTest : public QueryTestBase {};

std::string Describe(const sql::SchemaObject& object) {
  std::string text = object.name + (object.kind == sql::SchemaObject::Kind::kTable ? " table:" : " query:");
  for (const sql::SchemaColumn& column : object.columns) {
    text += " " + column.name + "/" + std::to_string(column.dao_type) + "/" + std::to_string(column.size) +
            (column.required ? "/req" : "") + (column.auto_increment ? "/auto" : "");
  }
  return text + object.sql;
}

TEST_F(CatalogQuerySchemaTest, TablesCarryTheirFieldMetadataInOrdinalOrder) {
  Run({"CREATE TABLE Items (ID COUNTER PRIMARY KEY, Code TEXT(12) NOT NULL, Price CURRENCY, Pic BINARY(20), "
       "Notes MEMO, Seen DATETIME, Tag GUID)"});
  CatalogQuerySchema schema(database_->File()->EngineConnection(false));
  auto items = schema.Find("ITEMS");
  ASSERT_TRUE(items.has_value());
  EXPECT_EQ(Describe(*items),
            "Items table: ID/4/0/auto Code/10/12/req Price/5/0 Pic/9/20 Notes/12/0 Seen/8/0 Tag/15/0");

  // The catalog's order wins over the order of the SQLite columns, and a change of it through
  // the field objects (metadata alone, no SQLite schema change) is seen at once.
  auto fields = database_->TableDefs()->Item(std::string_view("Items"))->Fields();
  fields->Item(std::string_view("Code"))->SetOrdinalPosition(100);
  fields->Item(std::string_view("Tag"))->SetOrdinalPosition(-1);
  EXPECT_EQ(Describe(*schema.Find("items")),
            "Items table: Tag/15/0 ID/4/0/auto Price/5/0 Pic/9/20 Notes/12/0 Seen/8/0 Code/10/12/req");
}

TEST_F(CatalogQuerySchemaTest, SavedQueriesSystemTablesAndWhatIsNotThere) {
  Run({"CREATE TABLE T (A LONG)"});
  SaveQuery("Big A", "SELECT * FROM T WHERE A > 1;");
  CatalogQuerySchema schema(database_->File()->EngineConnection(false));
  auto query = schema.Find("big a");
  ASSERT_TRUE(query.has_value());
  EXPECT_EQ(Describe(*query), "Big A query:SELECT * FROM T WHERE A > 1;");
  ASSERT_TRUE(schema.Find("MSysObjects").has_value());
  EXPECT_EQ(schema.Find("MSysObjects")->kind, sql::SchemaObject::Kind::kTable);
  EXPECT_FALSE(schema.Find("Nothing").has_value());
  EXPECT_FALSE(schema.Find("").has_value());
  // SQLite's own bookkeeping is not an object of the database.
  Run({"CREATE TABLE Counted (ID COUNTER)"});
  EXPECT_FALSE(schema.Find("sqlite_sequence").has_value());
  EXPECT_FALSE(schema.Find("SQLITE_MASTER").has_value());
}

TEST_F(CatalogQuerySchemaTest, VersionMovesWithEveryDefinitionChangeAndOnlyThen) {
  Run({"CREATE TABLE T (A LONG)"});
  CatalogQuerySchema schema(database_->File()->EngineConnection(false));
  const std::uint64_t start = schema.Version();
  EXPECT_EQ(schema.Version(), start);

  Run({"INSERT INTO T (A) VALUES (1)"});  // data alone changes no translation
  EXPECT_EQ(schema.Version(), start);

  Run({"ALTER TABLE T ADD COLUMN B TEXT"});
  const std::uint64_t altered = schema.Version();
  EXPECT_NE(altered, start);

  SaveQuery("Q", "SELECT A FROM T");
  const std::uint64_t saved = schema.Version();
  EXPECT_NE(saved, altered);

  // A change made by another open of the same file shows here too.
  auto other = workspace_->OpenDatabase(path_);
  NoteCatalogChanged(other->File()->EngineConnection(true));
  EXPECT_NE(schema.Version(), saved);
  const std::uint64_t noted = schema.Version();
  ASSERT_TRUE(schema.Find("T").has_value());
  other->Execute("DROP TABLE T");
  EXPECT_NE(schema.Version(), noted);
  EXPECT_FALSE(schema.Find("T").has_value());  // nothing remembered from before the drop
  other->Close();
}

TEST_F(CatalogQuerySchemaTest, NoteCatalogChangedIsPartOfTheTransactionAndRefusedReadOnly) {
  CatalogQuerySchema schema(database_->File()->EngineConnection(false));
  const std::uint64_t start = schema.Version();
  database_->BeginTrans();
  NoteCatalogChanged(database_->File()->EngineConnection(true));
  EXPECT_NE(schema.Version(), start);
  database_->Rollback();
  EXPECT_EQ(schema.Version(), start);
  database_->Close();

  auto reader = workspace_->OpenDatabase(path_, Variant(false), true);
  EXPECT_NE(ErrorOf([&] { NoteCatalogChanged(reader->File()->EngineConnection(false)); }).number, 0);
}

}  // namespace
}  // namespace qb::jet::test
