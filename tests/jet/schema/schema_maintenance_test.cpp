// Compact and repair keep the schema: every table, row, index, rule, property and the
// AutoNumber seed rule (numbers restart after the highest one kept).
#include <gtest/gtest.h>

#include "jet/catalog/schema_model.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/dao/property.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

class SchemaMaintenanceTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    db_->Execute("CREATE TABLE Items (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Name TEXT(20) NOT NULL, "
                 "Price CURRENCY, Qty SHORT)");
    db_->Execute("CREATE UNIQUE INDEX ByName ON Items (Name)");
    db_->Execute("CREATE INDEX ByQty ON Items (Qty DESC) WITH IGNORE NULL");
    auto items = Table("Items");
    items->Fields()->Item("Qty")->SetValidationRule(">= 0");
    items->Fields()->Item("Qty")->SetValidationText("No negative stock.");
    items->SetValidationRule("[Price] < 1000 Or [Price] Is Null");
    items->CreateProperty("Owner", 10, Variant("stores"));
    items->Fields()->Item("Price")->CreateProperty("Decimals", 3, Variant(2));
    items->Indexes()->Item("ByName")->CreateProperty("Purpose", 10, Variant("lookups"));
    for (int i = 1; i <= 40; ++i) {
      db_->Execute("INSERT INTO Items (Name, Price, Qty) VALUES ('item " + std::to_string(i) + "', " + std::to_string(i) +
                   ".12345, " + std::to_string(i % 7) + ")");
    }
    Exec("DELETE FROM Items WHERE Id >= 38");  // seeds restart after 37 in a rebuilt file
    db_->Execute("CREATE TABLE Empty (A GUID)");
    catalog_ = DumpCatalog(Sql());
    rows_ = Select("SELECT Id, Name, Price, Qty FROM Items ORDER BY Id");
    db_->Close();
    db_.reset();
  }

  // The file at PATH holds what SetUp made, and its rules still hold.
  void ExpectKept(const std::string& path) {
    auto database = workspace_->OpenDatabase(path);
    Connection& sql = database->File()->EngineConnection(true);
    EXPECT_EQ(DumpCatalog(sql), catalog_);
    EXPECT_EQ(Query(sql, "SELECT Id, Name, Price, Qty FROM Items ORDER BY Id"), rows_);
    auto run = [&](const std::string& text) { return ErrorOf([&] { database->TEST_ExecuteSql(text); }); };
    EXPECT_EQ(run("INSERT INTO Items (Name) VALUES ('ITEM 1')").number, err::kDuplicateValues);
    EXPECT_EQ(run("INSERT INTO Items (Name, Qty) VALUES ('x', -1)").message, "No negative stock.");
    // Raw SQL writes Price in its stored form, ten-thousandths.
    EXPECT_EQ(run("INSERT INTO Items (Name, Price) VALUES ('x', 10000000)").number, err::kTableRule);
    EXPECT_EQ(run("INSERT INTO Items (Name) VALUES ('')").number, err::kZeroLength);
    EXPECT_EQ(run("INSERT INTO Items (Name, Price) VALUES ('x', 2.5)").number, err::kConversion);
    EXPECT_EQ(run("INSERT INTO Items (Name, Price) VALUES ('new', 20001)").number, 0);
    EXPECT_EQ(Query(sql, "SELECT Id, Price FROM Items WHERE Name = 'new'"), "38|20001\n");
    auto items = database->TableDefs()->Item("Items");
    EXPECT_EQ(items->Properties()->Item("Owner")->Value().ToString(), "stores");
    auto price = items->Fields()->Item("Price");
    EXPECT_EQ(price->Properties()->Item("Decimals")->Value().ToInt32(), 2);
    auto by_name = items->Indexes()->Item("ByName");
    EXPECT_EQ(by_name->Properties()->Item("Purpose")->Value().ToString(), "lookups");
    EXPECT_EQ(items->Indexes()->Item("ByQty")->DistinctCount(), 7);
    Statement check = sql.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.ColumnText(0), "ok");
  }

  std::string catalog_, rows_;
};

TEST_F(SchemaMaintenanceTest, CompactKeepsTheSchemaAndRestartsSeeds) {
  engine_->CompactDatabase(path_, dir_.File("compacted.mdb"));
  ExpectKept(dir_.File("compacted.mdb"));
  engine_->CompactDatabase(path_, dir_.File("encrypted.mdb"), "", kDbEncrypt);
  ExpectKept(dir_.File("encrypted.mdb"));
}

TEST_F(SchemaMaintenanceTest, RepairRebuildsADamagedIndexAndKeepsTheSchema) {
  std::int64_t root = 0, page_size = 0;
  {
    Connection raw(path_, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    {
      Statement find = raw.Prepare("SELECT rootpage FROM sqlite_master WHERE type = 'index' AND name LIKE 'qbi_%ByName'");
      ASSERT_TRUE(find.Step());
      root = find.ColumnInt(0);
      Statement size = raw.Prepare("PRAGMA page_size");
      ASSERT_TRUE(size.Step());
      page_size = size.ColumnInt(0);
    }
    raw.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  }
  std::string bytes = qb::test::ReadFileBytes(path_);
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>((root - 1) * page_size),
            bytes.begin() + static_cast<std::ptrdiff_t>(root * page_size), '\0');
  qb::test::WriteFileBytes(path_, bytes);
  engine_->RepairDatabase(path_);
  ExpectKept(path_);
}

}  // namespace
}  // namespace qb::jet::test
