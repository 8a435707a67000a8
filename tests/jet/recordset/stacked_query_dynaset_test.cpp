// Dynasets over saved queries stacked on each other: rows that are still one table's (or an
// updatable join's) stay keyed by them and updatable through every layer; a layer that is not
// updatable makes the stack read-only.
#include <gtest/gtest.h>

#include "jet/dao/querydef.h"
#include "jet/dao/workspace.h"
#include "recordset_test_support.h"

namespace qb::jet::test {
namespace {

class StackedQueryDynasetTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->CreateQueryDef("Thirties", "SELECT * FROM People WHERE Age = 30");
  }
};

TEST_F(StackedQueryDynasetTest, EditsThroughAStackReachTheFile) {
  auto rs = Open("SELECT * FROM Thirties WHERE Name Like 'a*'", kOpenDynaset);
  ASSERT_TRUE(rs->Updatable());
  EXPECT_TRUE(rs->Fields()->Item("Age")->DataUpdatable());
  EXPECT_FALSE(rs->Fields()->Item("Id")->DataUpdatable());  // the AutoNumber, as in the table
  EXPECT_EQ(rs->Fields()->Item("City")->SourceTable(), "People");
  EXPECT_EQ(Walk(*rs), "alice");
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Age", Variant(std::int16_t{31}));
  Set(*rs, "City", Variant("Lund"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Age"), "31");  // still shown, though no layer's WHERE holds now
  rs->AddNew();
  Set(*rs, "Name", Variant("Eve"));
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(Text(*rs, "City"), "Oslo");  // the table's default
  rs->Close();

  // The file holds the changes: read back after opening it again.
  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  auto back = Open("SELECT Name, Age, City FROM People WHERE Name IN ('alice', 'Eve') ORDER BY Name", kOpenSnapshot);
  EXPECT_EQ(Text(*back, "Age") + " " + Text(*back, "City"), "31 Lund");
  back->MoveNext();
  EXPECT_EQ(Text(*back, "Name") + " " + Text(*back, "City"), "Eve Oslo");
}

TEST_F(StackedQueryDynasetTest, LayersKeyTheirRowsAsTheLayerBelow) {
  db_->CreateQueryDef("Doubled", "SELECT Id, Name, Age * 2 AS Twice, City FROM Thirties ORDER BY Name");
  db_->CreateQueryDef("Renamed", "SELECT Name AS Who, Twice, City AS Town FROM Doubled");
  for (const char* source : {"Doubled", "Renamed", "SELECT * FROM Renamed WHERE Town <> 'Rome'",
                             "SELECT Who, Twice FROM (SELECT * FROM Renamed) AS R"}) {
    SCOPED_TRACE(source);
    auto rs = Open(source, kOpenDynaset);
    ASSERT_TRUE(rs->Updatable());
    EXPECT_FALSE(rs->Fields()->Item("Twice")->DataUpdatable());
    EXPECT_EQ(Walk(*rs, "Twice"), "60,60");
  }
  auto rs = Open("SELECT * FROM Renamed WHERE Who = 'Carl'", kOpenDynaset);
  rs->Edit();
  EXPECT_EQ(ErrorOf([&] { Set(*rs, "Twice", Variant(0)); }).number, err::kFieldIsExpression);
  Set(*rs, "Who", Variant("Carla"));
  Set(*rs, "Town", Variant("Bodo"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Who") + " " + Text(*rs, "Twice"), "Carla 60");
  EXPECT_EQ(Select("SELECT Name, City FROM People WHERE Id = 3"), "Carla|Bodo\n");
}

TEST_F(StackedQueryDynasetTest, ALayerThatIsNotUpdatableMakesTheStackReadOnly) {
  db_->CreateQueryDef("ByAge", "SELECT Age, Count(*) AS N FROM People GROUP BY Age");
  db_->CreateQueryDef("Cities", "SELECT DISTINCT City FROM People");
  db_->CreateQueryDef("Both", "SELECT Name FROM People UNION SELECT City FROM People");
  db_->CreateQueryDef("Eldest", "SELECT TOP 2 * FROM People ORDER BY Age DESC");
  for (const char* sql : {"SELECT * FROM ByAge", "SELECT * FROM Cities", "SELECT * FROM Both", "SELECT * FROM Eldest",
                          "SELECT DISTINCT Name FROM Thirties", "SELECT Age, Count(*) AS N FROM Thirties GROUP BY Age"}) {
    SCOPED_TRACE(sql);
    auto rs = Open(sql, kOpenDynaset);
    EXPECT_FALSE(rs->Updatable());
    EXPECT_FALSE(rs->Fields()->Item(0)->DataUpdatable());
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kReadOnly);
  }
  // Still read as before.
  EXPECT_EQ(Walk(*Open("SELECT * FROM Eldest", kOpenDynaset), "Age"), "40,30,30");
}

class StackedJoinDynasetTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    db_->Execute("CREATE TABLE Pets (PetId COUNTER CONSTRAINT PetKey PRIMARY KEY, Owner LONG, Pet TEXT(20))");
    Exec("INSERT INTO Pets (Owner, Pet) VALUES (2, 'Rex'), (3, 'Tom'), (2, 'Kit')");
    db_->CreateQueryDef("Owned", "SELECT Pets.PetId, Pets.Pet, People.Name, People.City "
                                 "FROM Pets INNER JOIN People ON Pets.Owner = People.Id");
  }
};

TEST_F(StackedJoinDynasetTest, EditsThroughLayersOverAJoinReachBothTables) {
  db_->CreateQueryDef("OwnedInOslo", "SELECT * FROM Owned WHERE City = 'Oslo'");
  for (const char* source : {"SELECT * FROM Owned ORDER BY PetId", "SELECT Pet, Name FROM OwnedInOslo ORDER BY Pet",
                             "SELECT * FROM (SELECT * FROM Owned) AS O WHERE Pet = 'Tom'"}) {
    SCOPED_TRACE(source);
    auto rs = Open(source, kOpenDynaset);
    EXPECT_TRUE(rs->Updatable());
    EXPECT_TRUE(rs->Fields()->Item("Pet")->DataUpdatable());
    EXPECT_TRUE(rs->Fields()->Item("Name")->DataUpdatable());
  }
  auto rs = Open("SELECT Pet, Name, City FROM OwnedInOslo WHERE Pet Like 'K*'", kOpenDynaset);
  EXPECT_EQ(Walk(*rs, "Pet"), "Kit");
  rs->MoveFirst();
  rs->Edit();
  Set(*rs, "Pet", Variant("Kat"));
  Set(*rs, "City", Variant("Lund"));
  rs->Update();
  EXPECT_EQ(Text(*rs, "Pet") + " " + Text(*rs, "City"), "Kat Lund");
  rs->Close();

  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  EXPECT_EQ(Select("SELECT Pet, Owner FROM Pets ORDER BY PetId"), "Rex|2\nTom|3\nKat|2\n");
  EXPECT_EQ(Select("SELECT Name, City FROM People WHERE Id = 2"), "alice|Lund\n");
}

TEST_F(StackedJoinDynasetTest, ALayerOverAJoinThatIsNotUpdatableMakesTheStackReadOnly) {
  db_->CreateQueryDef("PetsPerCity", "SELECT City, Count(*) AS N FROM Owned GROUP BY City");
  db_->CreateQueryDef("OwnerNames", "SELECT DISTINCT Name FROM Owned");
  db_->CreateQueryDef("AllNames", "SELECT Pet FROM Owned UNION SELECT Name FROM Owned");
  for (const char* sql : {"SELECT * FROM PetsPerCity", "SELECT * FROM OwnerNames", "SELECT * FROM AllNames",
                          "SELECT DISTINCT Pet FROM Owned", "SELECT City, Count(*) AS N FROM Owned GROUP BY City"}) {
    SCOPED_TRACE(sql);
    auto rs = Open(sql, kOpenDynaset);
    EXPECT_FALSE(rs->Updatable());
    EXPECT_FALSE(rs->Fields()->Item(0)->DataUpdatable());
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kReadOnly);
  }
}

}  // namespace
}  // namespace qb::jet::test
