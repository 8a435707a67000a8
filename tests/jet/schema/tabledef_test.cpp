// TableDef, Field and Index objects on real files: building and appending definitions, the
// rules enforced on every write, and changes to tables that hold rows.
#include <gtest/gtest.h>

#include "jet/dao/index.h"
#include "jet/dao/property.h"
#include "jet/catalog/schema_model.h"
#include "schema_test_support.h"

namespace qb::jet::test {
namespace {

class TableDefTest : public SchemaTest {
 protected:
  // People: ID AutoNumber, Name Text(10) required, Age Byte, Note Memo; primary key on ID,
  // unique index on Name.
  void MakePeople() {
    auto table = db_->CreateTableDef("People");
    auto id = table->CreateField("ID", 4);
    id->SetAttributes(kAutoIncrField);
    table->Fields()->Append(id);
    auto name = table->CreateField("Name", 10, 10);
    name->SetRequired(true);
    table->Fields()->Append(name);
    table->Fields()->Append(table->CreateField("Age", 2));
    table->Fields()->Append(table->CreateField("Note", 12));
    auto primary = table->CreateIndex("PrimaryKey");
    primary->SetFields("ID");
    primary->SetPrimary(true);
    table->Indexes()->Append(primary);
    auto by_name = table->CreateIndex("ByName");
    by_name->SetFields("+Name");
    by_name->SetUnique(true);
    table->Indexes()->Append(by_name);
    db_->TableDefs()->Append(table);
  }
  void AddPeople() {
    Exec("INSERT INTO People (Name, Age, Note) VALUES ('ann', 30, 'first'), ('bob', NULL, NULL), ('cy', 7, 'x')");
  }
};

TEST_F(TableDefTest, AppendedTableListsItsDefinitionAfterReopening) {
  MakePeople();
  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  auto people = Table("people");
  EXPECT_EQ(people->Name(), "People");
  EXPECT_EQ(people->Attributes() & kSystemObject, 0);
  auto fields = people->Fields();
  ASSERT_EQ(fields->Count(), 4);
  EXPECT_EQ(fields->Item(0)->Name(), "ID");
  EXPECT_EQ(fields->Item(0)->Attributes(), kAutoIncrField | kFixedField);
  EXPECT_EQ(fields->Item(1)->Size(), 10);
  EXPECT_EQ(fields->Item(1)->Attributes(), kVariableField);
  EXPECT_TRUE(fields->Item(1)->Required());
  EXPECT_EQ(fields->Item("age")->Type(), 2);
  EXPECT_EQ(fields->Item("age")->Size(), 1);
  EXPECT_EQ(fields->Item("Note")->Size(), 0);
  EXPECT_EQ(fields->Item("Note")->OrdinalPosition(), 3);
  auto primary = people->Indexes()->Item("PrimaryKey");
  EXPECT_TRUE(primary->Primary());
  EXPECT_TRUE(primary->Unique());
  EXPECT_TRUE(primary->Required());
  EXPECT_FALSE(primary->Foreign());
  EXPECT_EQ(primary->Fields(), "+ID");
  EXPECT_EQ(people->Indexes()->Item("ByName")->Fields(), "+Name");
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Item("nope"); }).number, err::kItemNotFound);
}

TEST_F(TableDefTest, AppendRefusesIncompleteOrClashingDefinitions) {
  auto empty = db_->CreateTableDef("Empty");
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Append(empty); }).number, err::kNoFields);
  MakePeople();
  auto again = db_->CreateTableDef("PEOPLE");
  again->Fields()->Append(again->CreateField("X", 4));
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Append(again); }).number, err::kTableExists);

  auto twice = db_->CreateTableDef("Twice");
  twice->Fields()->Append(twice->CreateField("A", 4));
  EXPECT_EQ(ErrorOf([&] { twice->Fields()->Append(twice->CreateField("a", 10)); }).number, err::kFieldDefinedTwice);
  auto two_counters = db_->CreateTableDef("Counters");
  for (const char* name : {"A", "B"}) {
    auto field = two_counters->CreateField(name, 4);
    field->SetAttributes(kAutoIncrField);
    two_counters->Fields()->Append(field);
  }
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Append(two_counters); }).number, err::kTooManyAutoNumbers);
  auto text_counter = db_->CreateTableDef("TextCounter");
  auto field = text_counter->CreateField("A", 10);
  field->SetAttributes(kAutoIncrField);
  text_counter->Fields()->Append(field);
  // An AutoNumber bit on another type is ignored, as Jet ignores invalid attribute combinations.
  db_->TableDefs()->Append(text_counter);
  EXPECT_EQ(Table("TextCounter")->Fields()->Item("A")->Attributes(), kVariableField);
  EXPECT_EQ(ErrorOf([&] { db_->CreateTableDef("")->SetName("a.b"); }).number, err::kInvalidName);
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Item("Counters"); }).number, err::kItemNotFound);
  // Nothing of the refused tables reached the file.
  EXPECT_EQ(Select("SELECT count(*) FROM sqlite_master WHERE name IN ('Counters', 'Empty')"), "0\n");
}

TEST_F(TableDefTest, EveryWriteIsCheckedAgainstTheFieldRules) {
  MakePeople();
  auto people = Table("People");
  auto note = people->Fields()->Item("Note");
  note->SetValidationRule("Like 'x*' Or [Note] Like 'f*'");
  note->SetValidationText("Notes start with x or f.");
  AddPeople();
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES (NULL)"); }).number, err::kRequiredNull);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES ('')"); }).number, err::kZeroLength);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES ('0123456789A')"); }).number, err::kFieldTooSmall);
  // Ten characters fit even when they take more than ten bytes.
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES ('äöüßéèêëïî')"); }).number, 0);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name, Age) VALUES ('dan', 256)"); }).number, err::kNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name, Age) VALUES ('dan', -1)"); }).number, err::kNumericOverflow);
  const CaughtError rule = ErrorOf([&] { Exec("INSERT INTO People (Name, Note) VALUES ('dan', 'zzz')"); });
  EXPECT_EQ(rule.number, err::kFieldRule);
  EXPECT_EQ(rule.message, "Notes start with x or f.");
  // Unique keys compare as the database's sort order does: case is ignored.
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES ('ANN')"); }).number, err::kDuplicateValues);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE People SET Name = NULL WHERE Name = 'bob'"); }).number, err::kRequiredNull);
  EXPECT_EQ(Select("SELECT Name FROM People WHERE Name = 'ANN'"), "ann\n");
}

TEST_F(TableDefTest, TypesAreStoredAndCheckedAsDeclared) {
  auto table = db_->CreateTableDef("Kinds");
  const int types[] = {1, 3, 4, 5, 7, 8, 9, 11, 15};
  const char* names[] = {"Flag", "Small", "Big", "Money", "Real", "When", "Bin", "Blob", "Id"};
  for (int i = 0; i < 9; ++i) table->Fields()->Append(table->CreateField(names[i], types[i], types[i] == 9 ? 4 : 0));
  db_->TableDefs()->Append(table);
  Exec("INSERT INTO Kinds (Small, Id, Bin) VALUES (-32768, '{12345678-ABCD-ef01-2345-6789abcdef01}', x'01020304')");
  // Booleans default to False; Currency is stored as ten-thousandths, four decimals kept on
  // every write, and a stored value of another form is refused.
  db_->Execute("UPDATE Kinds SET Money = 1.234567");
  EXPECT_EQ(Select("SELECT Flag, Money FROM Kinds"), "0|12346\n");
  db_->Execute("UPDATE Kinds SET Money = Money * 3");
  EXPECT_EQ(Select("SELECT Money FROM Kinds"), "37038\n");
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Money = 1.5"); }).number, err::kConversion);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Flag = 1"); }).number, err::kConversion);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Small = 32768"); }).number, err::kNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Big = 2147483648"); }).number, err::kNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Real = 'abc'"); }).number, err::kConversion);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Id = '{1234}'"); }).number, err::kConversion);
  EXPECT_EQ(ErrorOf([&] { Exec("UPDATE Kinds SET Bin = x'0102030405'"); }).number, err::kFieldTooSmall);
  EXPECT_EQ(Table("Kinds")->Fields()->Item("Id")->Size(), 16);
  EXPECT_EQ(Table("Kinds")->Fields()->Item("Bin")->Size(), 4);
}

TEST_F(TableDefTest, FieldChangesOnATableWithRowsKeepTheRows) {
  MakePeople();
  AddPeople();
  auto people = Table("People");
  auto city = people->CreateField("City", 10, 20);
  city->SetDefaultValue(Variant("'Oslo'"));
  people->Fields()->Append(city);
  EXPECT_EQ(city->SourceTable(), "People");
  EXPECT_EQ(city->OrdinalPosition(), 4);
  Exec("INSERT INTO People (Name, City) VALUES ('dan', NULL)");
  // Rows already there take the default, as new ones do.
  EXPECT_EQ(Select("SELECT ID, Name, City FROM People ORDER BY ID"), "1|ann|Oslo\n2|bob|Oslo\n3|cy|Oslo\n4|dan|<null>\n");

  // Renaming a field copies the table: rows, ids and indexes stay.
  people->Fields()->Item("Age")->SetName("Years");
  EXPECT_EQ(Select("SELECT ID, Years FROM People ORDER BY ID"), "1|30\n2|<null>\n3|7\n4|<null>\n");
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES ('Bob')"); }).number, err::kDuplicateValues);

  people->Fields()->Delete("Note");
  EXPECT_EQ(people->Fields()->Count(), 4);
  EXPECT_EQ(Select("SELECT ID, Name, Years, City FROM People WHERE ID = 1"), "1|ann|30|Oslo\n");
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Delete("Name"); }).number, err::kFieldInIndex);
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Item("Years")->SetType(4); }).number, err::kSetAfterAppend);

  // Listing order follows OrdinalPosition.
  people->Fields()->Item("City")->SetOrdinalPosition(-1);
  EXPECT_EQ(people->Fields()->Item(0)->Name(), "City");
}

TEST_F(TableDefTest, ChangesThatStoredRowsBreakAreRefusedAndLeaveTheTable) {
  MakePeople();
  AddPeople();
  auto people = Table("People");
  auto note = people->Fields()->Item("Note");
  note->SetAllowZeroLength(true);
  Exec("INSERT INTO People (Name, Note) VALUES ('dan', '')");
  const std::string before = DumpCatalog(Sql()) + Select("SELECT ID, Name, Age, Note FROM People");

  EXPECT_EQ(ErrorOf([&] { note->SetAllowZeroLength(false); }).number, err::kZeroLength);
  EXPECT_EQ(ErrorOf([&] { note->SetRequired(true); }).number, err::kRequiredNull);
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Item("Name")->SetSize(2); }).number, err::kFieldTooSmall);
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Item("Age")->SetValidationRule(">= 10"); }).number, err::kFieldRule);
  EXPECT_EQ(ErrorOf([&] { people->SetValidationRule("[Age] > 10 Or [Age] Is Null"); }).number, err::kTableRule);
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Item("Note")->SetDefaultValue(Variant("[Name]")); }).number, 3070);
  EXPECT_EQ(ErrorOf([&] { people->Fields()->Item("Note")->SetDefaultValue(Variant("1 +")); }).number, 3075);
  auto dup = people->CreateIndex("ByAge");
  Exec("UPDATE People SET Age = 30 WHERE Name = 'cy'");
  dup->SetFields("Age");
  dup->SetUnique(true);
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(dup); }).number, err::kDuplicateValues);
  Exec("UPDATE People SET Age = 7 WHERE Name = 'cy'");
  EXPECT_EQ(DumpCatalog(Sql()) + Select("SELECT ID, Name, Age, Note FROM People"), before);

  // Fitting data is accepted.
  people->Fields()->Item("Name")->SetSize(3);
  EXPECT_EQ(people->Fields()->Item("Name")->Size(), 3);
  EXPECT_EQ(ErrorOf([&] { Exec("INSERT INTO People (Name) VALUES ('four')"); }).number, err::kFieldTooSmall);
}

TEST_F(TableDefTest, IndexRulesAndErrors) {
  MakePeople();
  AddPeople();
  auto people = Table("People");
  auto second = people->CreateIndex("Second");
  second->SetFields("Age");
  second->SetPrimary(true);
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(second); }).number, err::kPrimaryExists);
  auto same = people->CreateIndex("byname");
  same->SetFields("Age");
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(same); }).number, err::kIndexExists);
  auto memo = people->CreateIndex("ByNote");
  memo->SetFields("Note");
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(memo); }).number, err::kInvalidIndex);
  auto missing = people->CreateIndex("ByNothing");
  missing->SetFields("Nothing");
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(missing); }).number, err::kItemNotFound);
  auto required = people->CreateIndex("AgeKnown");
  required->SetFields("-Age;Name");
  required->SetRequired(true);
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(required); }).number, err::kIndexNullKey);

  auto ignore = people->CreateIndex("AgeIfKnown");
  ignore->SetFields("-Age");
  ignore->SetIgnoreNulls(true);
  people->Indexes()->Append(ignore);
  EXPECT_EQ(ignore->Fields(), "-Age");
  EXPECT_EQ(ignore->DistinctCount(), 2);
  EXPECT_EQ(ErrorOf([&] { ignore->SetUnique(true); }).number, err::kSetAfterAppend);
  ignore->SetName("AgeKnownOnly");
  EXPECT_EQ(people->Indexes()->Item("AgeKnownOnly")->Fields(), "-Age");
  EXPECT_EQ(ErrorOf([&] { people->Indexes()->Append(ignore); }).number, err::kIndexAlreadyAppended);
  people->Indexes()->Delete("AgeKnownOnly");
  EXPECT_EQ(people->Indexes()->Count(), 2);
  EXPECT_EQ(Select("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'qbi_%AgeKnown%'"), "0\n");
}

TEST_F(TableDefTest, RenameDeleteAndAutoNumberSeedsSurviveCopies) {
  MakePeople();
  AddPeople();
  Exec("DELETE FROM People WHERE ID = 3");
  auto people = Table("People");
  people->SetName("Persons");
  EXPECT_EQ(Table("persons")->RecordCount(), 2);
  EXPECT_EQ(ErrorOf([&] { Table("People"); }).number, err::kItemNotFound);
  // A copy of the table (a renamed field) keeps the seed: the next id is 4, not 3.
  Table("Persons")->Fields()->Item("Note")->SetName("Remark");
  Exec("INSERT INTO Persons (Name) VALUES ('dan')");
  EXPECT_EQ(Select("SELECT max(ID) FROM Persons"), "4\n");
  // A new AutoNumber numbers existing rows by their order.
  auto plain = db_->CreateTableDef("Plain");
  plain->Fields()->Append(plain->CreateField("Word", 10, 5));
  db_->TableDefs()->Append(plain);
  Exec("INSERT INTO Plain VALUES ('a'), ('b')");
  auto counter = plain->CreateField("N", 4);
  counter->SetAttributes(kAutoIncrField);
  plain->Fields()->Append(counter);
  EXPECT_EQ(Select("SELECT Word, N FROM Plain"), "a|1\nb|2\n");

  db_->TableDefs()->Delete("Persons");
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Delete("Persons"); }).number, err::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { db_->TableDefs()->Delete("MSysObjects"); }).number, err::kNoPermission);
  EXPECT_EQ(Select("SELECT count(*) FROM MSysFields f JOIN MSysObjects o ON o.Id = f.TableId WHERE o.Name = 'Persons'"),
            "0\n");
}

TEST_F(TableDefTest, PropertiesReadAndWriteTheirObjects) {
  MakePeople();
  auto people = Table("People");
  people->CreateProperty("Description", 10, Variant("everyone"));
  EXPECT_EQ(ErrorOf([&] { people->CreateProperty("description", 10, Variant("x")); }).number, err::kDuplicateName);
  auto field = people->Fields()->Item("Name");
  field->Properties()->Item("Required")->SetValue(Variant(false));
  EXPECT_FALSE(Table("People")->Fields()->Item("Name")->Required());
  db_->Close();
  db_ = workspace_->OpenDatabase(path_);
  EXPECT_EQ(Table("People")->Properties()->Item("Description")->Value().ToString(), "everyone");
  EXPECT_EQ(Table("People")->Properties()->Item("RecordCount")->Value().ToInt32(), 0);
}

}  // namespace
}  // namespace qb::jet::test
