// The Database object: its facts and properties (user-defined ones persisting), the catalog
// listings and containers, nested and unbalanced transactions, sort orders, and Close.
#include <gtest/gtest.h>

#include "database_test_support.h"
#include "jet/base/errors.h"
#include "jet/dao/property.h"
#include "jet/base/sort_orders.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {
namespace {

using test::ErrorOf;

class DatabaseObjectTest : public test::DatabaseTestBase {
 protected:
  std::shared_ptr<Database> Reopen(const std::string& path) {
    return workspace_->OpenDatabase(path);
  }
  static int Count(Database& database) {
    return static_cast<int>(test::IntactRowIds(database.Name()).size());
  }
};

TEST_F(DatabaseObjectTest, FactsOfANewDatabase) {
  auto database = engine_->CreateDatabase(dir_.File("facts.mdb"), "1053");
  EXPECT_EQ(database->Name(), dir_.File("facts.mdb"));
  EXPECT_EQ(database->Connect(), "");
  EXPECT_EQ(database->Version(), "3.0");
  EXPECT_EQ(database->CollatingOrder(), 1053);
  EXPECT_TRUE(database->Updatable());
  EXPECT_TRUE(database->Transactions());
  EXPECT_EQ(database->RecordsAffected(), 0);
  EXPECT_EQ(database->QueryTimeout(), 60);
  database->SetQueryTimeout(30);
  EXPECT_EQ(database->Properties()->Item("querytimeout")->Value().ToInt32(), 30);
  database->Properties()->Item("QueryTimeout")->SetValue(Variant(12));
  EXPECT_EQ(database->QueryTimeout(), 12);
  EXPECT_EQ(ErrorOf([&] { database->SetQueryTimeout(-1); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { database->DesignMasterID(); }).number, err::kNotForThisObject);
  EXPECT_EQ(ErrorOf([&] { database->Properties()->Item("Version")->SetValue(Variant("4.0")); }).number,
            err::kPropertyReadOnly);
  EXPECT_EQ(database->GetEncryption(), Encryption::kNone);
}

TEST_F(DatabaseObjectTest, FilesUseTheLogAndWaitOnlyTheBusyTimeout) {
  const std::string path = MakeFilled("busy.mdb", 0);
  {
    Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    Statement mode = raw.Prepare("PRAGMA journal_mode");
    ASSERT_TRUE(mode.Step());
    EXPECT_EQ(mode.ColumnText(0), "wal");
  }
  EngineSettings impatient = EngineSettings::ForTests();
  impatient.busy_timeout_ms = 50;
  auto engine = CreateDBEngine(impatient);
  engine->SetSystemDB(dir_.File("system.mdw"));
  auto workspace = engine->CreateWorkspace("w2", "Admin", "");
  auto writer = workspace->OpenDatabase(path);
  auto other = workspace->OpenDatabase(path);
  writer->BeginTrans();
  writer->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (1, 'a')");
  EXPECT_EQ(ErrorOf([&] { other->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (2, 'b')"); }).number, err::kLockedRetry);
  writer->CommitTrans();
  other->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (2, 'b')");
}

TEST_F(DatabaseObjectTest, UserDefinedPropertiesPersist) {
  const std::string path = dir_.File("props.mdb");
  {
    auto database = engine_->CreateDatabase(path, "1033");
    database->CreateProperty("AppTitle", 10, Variant("Orders"));
    auto limit = database->CreateProperty("Limit", 4, Variant(250));
    database->CreateProperty("Since", 8, Variant::FromDate(45000.25));
    limit->SetValue(Variant(300));
    EXPECT_EQ(ErrorOf([&] { database->CreateProperty("apptitle", 10, Variant("x")); }).number, err::kDuplicateName);
    EXPECT_EQ(ErrorOf([&] { database->CreateProperty("Version", 10, Variant("x")); }).number, err::kDuplicateName);
    EXPECT_EQ(ErrorOf([&] { database->CreateProperty("", 10, Variant("x")); }).number, err::kInvalidArgument);
    EXPECT_EQ(ErrorOf([&] { database->CreateProperty("Odd", 9, Variant("x")); }).number, err::kInvalidArgument);
    EXPECT_EQ(ErrorOf([&] { database->CreateProperty("Num", 4, Variant("many")); }).number, err::kInvalidPropertyValue);
  }
  auto database = Reopen(path);
  auto properties = database->Properties();
  EXPECT_EQ(properties->Item("AppTitle")->Value().ToString(), "Orders");
  EXPECT_EQ(properties->Item("Limit")->Value().ToInt32(), 300);
  EXPECT_EQ(properties->Item("Limit")->Type(), 4);
  EXPECT_DOUBLE_EQ(properties->Item("Since")->Value().ToDate(), 45000.25);
  EXPECT_EQ(ErrorOf([&] { properties->Item("Num"); }).number, err::kPropertyNotFound);
}

TEST_F(DatabaseObjectTest, TableDefsQueryDefsAndContainers) {
  const std::string path = MakeFilled("catalog.mdb", 1);
  auto database = Reopen(path);
  database->TEST_ExecuteSql(
      "INSERT INTO MSysObjects (Name, Type, DateCreated, LastUpdated) VALUES ('Big Orders', 5, 45000, 45001);"
      "INSERT INTO MSysQueries (ObjectId, SQL) VALUES (last_insert_rowid(), 'SELECT * FROM T WHERE Id > 1')");
  auto tables = database->TableDefs();
  std::vector<std::string> names;
  for (int i = 0; i < tables->Count(); ++i) names.push_back(tables->Item(i)->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"MSysDbInfo", "MSysObjects", "MSysProperties", "MSysQueries", "T"}));
  EXPECT_EQ(tables->Item("msysobjects")->Attributes(), kSystemObject);
  EXPECT_EQ(tables->Item("t")->Attributes(), 0);
  EXPECT_GT(tables->Item("T")->DateCreated().ToDate(), 40000);
  EXPECT_EQ(ErrorOf([&] { tables->Item("Nope"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { tables->Item(5); }).number, err::kItemNotFound);

  auto queries = database->QueryDefs();
  ASSERT_EQ(queries->Count(), 1);
  EXPECT_EQ(queries->Item("big orders")->SQL(), "SELECT * FROM T WHERE Id > 1");
  EXPECT_DOUBLE_EQ(queries->Item(0)->LastUpdated().ToDate(), 45001);

  auto containers = database->Containers();
  ASSERT_EQ(containers->Count(), 3);
  EXPECT_EQ(containers->Item(0)->Name(), "Databases");
  EXPECT_EQ(containers->Item("Databases")->Documents()->Item(0)->Name(), "MSysDb");
  auto documents = containers->Item("Tables")->Documents();
  EXPECT_EQ(documents->Count(), 6);  // five tables and the query
  EXPECT_EQ(documents->Item("Big Orders")->Container(), "Tables");
  EXPECT_EQ(documents->Item("T")->Owner(), "admin");
  EXPECT_EQ(containers->Item("Relationships")->Documents()->Count(), 0);

  database->TEST_ExecuteSql("CREATE TABLE U (a)");
  EXPECT_EQ(tables->Count(), 5);
  tables->Refresh();
  EXPECT_EQ(tables->Count(), 6);
  database->Close();
  EXPECT_EQ(ErrorOf([&] { tables->Refresh(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { database->TableDefs(); }).number, err::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { database->Close(); }).number, err::kObjectClosed);
}

TEST_F(DatabaseObjectTest, TransactionsNestFiveDeepAndUnwindInOrder) {
  const std::string path = MakeFilled("tx.mdb", 0);
  auto database = Reopen(path);
  auto insert = [&](int id) {
    database->TEST_ExecuteSql("INSERT INTO T (Id, Txt) VALUES (" + std::to_string(id) + ", '" + test::RowText(id) + "')");
  };
  EXPECT_EQ(ErrorOf([&] { database->CommitTrans(); }).number, err::kNoTransaction);
  EXPECT_EQ(ErrorOf([&] { database->Rollback(); }).number, err::kNoTransaction);
  for (int level = 1; level <= 5; ++level) {
    database->BeginTrans();
    insert(level);
  }
  EXPECT_EQ(ErrorOf([&] { database->BeginTrans(); }).number, err::kTransactionsTooDeep);
  EXPECT_EQ(database->TransactionDepth(), 5);
  database->Rollback();        // drops 5
  database->CommitTrans();     // keeps 4 within 3
  database->Rollback();        // drops 3 and 4
  EXPECT_EQ(ErrorOf([&] { database->CommitTrans(7); }).number, err::kInvalidArgument);
  database->CommitTrans(1);
  database->CommitTrans();
  EXPECT_EQ(database->TransactionDepth(), 0);
  EXPECT_EQ(ErrorOf([&] { database->CommitTrans(); }).number, err::kNoTransaction);
  EXPECT_EQ(test::IntactRowIds(path), (std::set<int>{1, 2}));

  // Closing with transactions open undoes them.
  database->BeginTrans();
  database->BeginTrans();
  insert(9);
  database->Close();
  EXPECT_EQ(test::IntactRowIds(path), (std::set<int>{1, 2}));
}

TEST_F(DatabaseObjectTest, SortOrdersDecideTextOrder) {
  EXPECT_LT(CompareText(1033, "ä", "z"), 0);
  EXPECT_GT(CompareText(1053, "ä", "z"), 0);  // Swedish puts ä after z
  EXPECT_EQ(CompareText(1033, "abc", "ABC"), 0);  // secondary strength: case ignored
  EXPECT_NE(CompareText(1033, "abc", "ábc"), 0);  // accents are not
  EXPECT_EQ(SortOrders().size(), 25u);
  for (const SortOrder& order : SortOrders()) EXPECT_EQ(CompareText(order.number, "a", "A"), 0) << order.name;

  for (auto [name, locale, expected] : {std::tuple{"general.mdb", "1033", "ä,z"}, {"swedish.mdb", "1053", "z,ä"}}) {
    auto database = engine_->CreateDatabase(dir_.File(name), locale);
    database->TEST_ExecuteSql("CREATE TABLE W (Word TEXT COLLATE JETNOCASE); CREATE INDEX ByWord ON W (Word);"
                              "INSERT INTO W VALUES ('z'); INSERT INTO W VALUES ('ä'); INSERT INTO W VALUES ('Z')");
    database->Close();
    auto reopened = Reopen(dir_.File(name));
    // The order an index gives is the order the collation gives, on every connection.
    reopened->TEST_ExecuteSql("CREATE TABLE Ordered AS SELECT group_concat(Word) AS Words FROM "
                              "(SELECT DISTINCT Word FROM W ORDER BY Word)");
    reopened->Close();
    Connection reader(dir_.File(name), OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    Statement words = reader.Prepare("SELECT Words FROM Ordered");
    ASSERT_TRUE(words.Step());
    std::string found = words.ColumnText(0);
    for (char& c : found) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));  // z or Z: one word
    EXPECT_EQ(found, expected) << name;
  }
  EXPECT_EQ(SortOrderName(1033).value_or(""), "General");
  EXPECT_EQ(SortOrderName(1053).value_or(""), "Swedish / Finnish");
}

TEST_F(DatabaseObjectTest, IndexesAreRebuiltWhenTheIcuVersionChanges) {
  const std::string path = MakeFilled("icu.mdb", 3);
  {
    Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
    raw.Exec("UPDATE MSysDbInfo SET Value = '1.0' WHERE Name = 'IcuVersion'");
  }
  Reopen(path)->Close();
  Connection raw(path, OpenMode::kReadWrite, CipherKey::None(), EngineSettings::ForTests());
  Statement version = raw.Prepare("SELECT Value FROM MSysDbInfo WHERE Name = 'IcuVersion'");
  ASSERT_TRUE(version.Step());
  EXPECT_EQ(version.ColumnText(0), IcuCollationVersion());
}

}  // namespace
}  // namespace qb::jet
