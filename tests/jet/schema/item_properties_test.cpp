// User-defined properties of fields and indexes (CreateProperty): listed after the built-in
// ones, typed, kept across reopening and every kind of table change, gone with their owner.
#include <gtest/gtest.h>

#include "jet/dao/index.h"
#include "jet/dao/property.h"
#include "jet/catalog/schema_model.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

class ItemPropertiesTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    db_->Execute("CREATE TABLE People (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Name TEXT(20), Born DATETIME)");
    db_->Execute("CREATE INDEX ByName ON People (Name)");
    Exec("INSERT INTO People (Name) VALUES ('ann'), ('bob')");
  }
  void Reopen() {
    db_->Close();
    db_ = workspace_->OpenDatabase(path_);
  }
  std::string StoredRows() { return Select("SELECT Item, Name, Type FROM MSysItemProperties ORDER BY Item, Name"); }
};

TEST_F(ItemPropertiesTest, FieldPropertiesAreListedTypedAndKept) {
  auto name = Table("People")->Fields()->Item("Name");
  const int builtin = name->Properties()->Count();
  name->CreateProperty("Caption", 10, Variant("Full name"));
  name->CreateProperty("Width", 4, Variant("120"));  // converted to the property's type
  name->CreateProperty("Shown", 1, Variant(true));
  name->CreateProperty("Since", 8, Variant::FromDate(36526.5));
  name->CreateProperty("Note", 12, Variant::Null());
  auto properties = name->Properties();
  ASSERT_EQ(properties->Count(), builtin + 5);
  EXPECT_EQ(properties->Item(builtin)->Name(), "Caption");
  EXPECT_EQ(properties->Item("width")->Type(), 4);

  Reopen();
  name = Table("People")->Fields()->Item("Name");
  properties = name->Properties();
  ASSERT_EQ(properties->Count(), builtin + 5);
  EXPECT_EQ(properties->Item("Caption")->Value().ToString(), "Full name");
  EXPECT_EQ(properties->Item("Width")->Value().Type(), VarType::Int32);
  EXPECT_EQ(properties->Item("Width")->Value().ToInt32(), 120);
  EXPECT_TRUE(properties->Item("Shown")->Value().ToBool());
  EXPECT_EQ(properties->Item("Since")->Value().ToDate(), 36526.5);
  EXPECT_TRUE(properties->Item("Note")->Value().IsNull());

  properties->Item("Width")->SetValue(Variant(80));
  EXPECT_EQ(ErrorOf([&] { properties->Item("Width")->SetValue(Variant("wide")); }).number, err::kInvalidPropertyValue);
  Reopen();
  EXPECT_EQ(Table("People")->Fields()->Item("Name")->Properties()->Item("Width")->Value().ToInt32(), 80);
  // Other fields have none of them.
  EXPECT_EQ(ErrorOf([&] { Table("People")->Fields()->Item("Born")->Properties()->Item("Caption"); }).number,
            err::kPropertyNotFound);
}

TEST_F(ItemPropertiesTest, NewPropertiesAreCheckedFirst) {
  auto name = Table("People")->Fields()->Item("Name");
  name->CreateProperty("Caption", 10, Variant("x"));
  EXPECT_EQ(ErrorOf([&] { name->CreateProperty("CAPTION", 10, Variant("y")); }).number, err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { name->CreateProperty("Required", 1, Variant(true)); }).number, err::kDuplicateName);
  EXPECT_EQ(ErrorOf([&] { name->CreateProperty("Bad.Name", 10, Variant("y")); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { name->CreateProperty("Blob", 11, Variant("y")); }).number, err::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { name->CreateProperty("Count", 4, Variant("many")); }).number, err::kInvalidPropertyValue);
  // Stand-alone definitions have no stored home for them yet.
  auto loose = db_->CreateTableDef("Loose");
  auto field = loose->CreateField("A", 4);
  EXPECT_EQ(ErrorOf([&] { field->CreateProperty("Caption", 10, Variant("a")); }).number, err::kInvalidOperation);
  auto index = loose->CreateIndex("I");
  EXPECT_EQ(ErrorOf([&] { index->CreateProperty("Caption", 10, Variant("a")); }).number, err::kInvalidOperation);
  EXPECT_EQ(StoredRows(), "Name|Caption|10\n");
}

TEST_F(ItemPropertiesTest, PropertiesFollowRenamesAndCopiesAndGoWithTheirOwner) {
  auto people = Table("People");
  people->Fields()->Item("Name")->CreateProperty("Caption", 10, Variant("Full name"));
  people->Fields()->Item("Born")->CreateProperty("Caption", 10, Variant("Birthday"));
  people->Indexes()->Item("ByName")->CreateProperty("Purpose", 10, Variant("lookups"));

  people->Fields()->Item("Name")->SetName("FullName");  // copies the table
  people->Indexes()->Item("ByName")->SetName("ByFullName");
  people->SetName("Persons");
  db_->Execute("ALTER TABLE Persons ADD COLUMN Age SHORT");
  db_->Execute("ALTER TABLE Persons ALTER COLUMN Born DATETIME DEFAULT #1/1/2000#");
  Reopen();
  auto persons = Table("Persons");
  EXPECT_EQ(persons->Fields()->Item("FullName")->Properties()->Item("Caption")->Value().ToString(), "Full name");
  EXPECT_EQ(persons->Fields()->Item("Born")->Properties()->Item("Caption")->Value().ToString(), "Birthday");
  EXPECT_EQ(persons->Indexes()->Item("ByFullName")->Properties()->Item("Purpose")->Value().ToString(), "lookups");
  EXPECT_EQ(Select("SELECT Id, FullName FROM Persons ORDER BY Id"), "1|ann\n2|bob\n");

  persons->Indexes()->Delete("ByFullName");
  persons->Fields()->Delete("Born");
  EXPECT_EQ(StoredRows(), "FullName|Caption|10\n");
  db_->Execute("DROP TABLE Persons");
  EXPECT_EQ(StoredRows(), "");
}

}  // namespace
}  // namespace qb::jet::test
