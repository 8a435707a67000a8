// The edit cycle of table-type recordsets and dynasets: Edit, AddNew with defaults and the new
// AutoNumber, Update and its failures, CancelUpdate, Delete (the last record too), long values
// in chunks, and what the read-only kinds refuse.
#include <gtest/gtest.h>

#include "recordset_test_support.h"

namespace qb::jet::test {

namespace ro = recordset_option;
namespace {

class RecordsetEditTest : public RecordsetTest {};

TEST_F(RecordsetEditTest, EditWritesOnlyTheChangedFieldsAndKeepsTheRecordCurrent) {
  for (int type : {kOpenTable, kOpenDynaset}) {
    SCOPED_TRACE(type);
    auto rs = Open("People", type);
    rs->MoveNext();  // alice
    EXPECT_EQ(rs->EditMode(), kEditNone);
    rs->Edit();
    EXPECT_EQ(rs->EditMode(), kEditInProgress);
    rs->Fields()->Item("Age")->SetValue(Variant("31"));  // text converts to the field's type
    EXPECT_EQ(rs->Fields()->Item("Age")->Value(), Variant(std::int16_t{31}));  // the buffer
    // Another writer changes a field the edit leaves alone: it survives the Update.
    Exec("UPDATE People SET City = 'Paris' WHERE Name = 'alice'");
    rs->Update();
    EXPECT_EQ(rs->EditMode(), kEditNone);
    EXPECT_EQ(Name(*rs), "alice");
    EXPECT_EQ(Select("SELECT Age, City FROM People WHERE Name = 'alice'"), "31|Paris\n");
    EXPECT_EQ(rs->LastModified(), rs->Bookmark());
    Exec("UPDATE People SET Age = 30, City = 'Oslo' WHERE Name = 'alice'");
  }
}

TEST_F(RecordsetEditTest, AddNewShowsDefaultsAndTheNextAutoNumberBeforeUpdate) {
  for (int type : {kOpenTable, kOpenDynaset}) {
    SCOPED_TRACE(type);
    auto rs = Open("People", type);
    rs->MoveNext();
    const Variant before = rs->Bookmark();
    rs->AddNew();
    EXPECT_EQ(rs->EditMode(), kEditAdd);
    const int next = type == kOpenTable ? 5 : 6;
    EXPECT_EQ(rs->Fields()->Item("Id")->Value(), Variant(next));
    EXPECT_EQ(rs->Fields()->Item("City")->Value(), Variant("Oslo"));
    EXPECT_EQ(rs->Fields()->Item("Active")->Value(), Variant(false));
    EXPECT_TRUE(rs->Fields()->Item("Age")->Value().IsNull());
    EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Id")->SetValue(Variant(99)); }).number, err::kFieldNotUpdatable);
    rs->Fields()->Item("Name")->SetValue(Variant("New" + std::to_string(type)));
    rs->Update();
    // The record current before AddNew stays current; LastModified is the new one.
    EXPECT_EQ(rs->Bookmark(), before);
    EXPECT_EQ(Name(*rs), "alice");
    rs->SetBookmark(rs->LastModified());
    EXPECT_EQ(Name(*rs), "New" + std::to_string(type));
    EXPECT_EQ(rs->Fields()->Item("Id")->Value(), Variant(next));
    EXPECT_EQ(rs->Fields()->Item("City")->Value(), Variant("Oslo"));
  }
  // A dynaset puts its own new records at its end, whatever the order.
  auto sorted = Open("SELECT * FROM People ORDER BY Name", kOpenDynaset);
  sorted->AddNew();
  sorted->Fields()->Item("Name")->SetValue(Variant("Aaron"));
  sorted->Update();
  EXPECT_EQ(Walk(*sorted), "alice,Bob,Carl,Dora,New1,New2,Aaron");
  // A table-type recordset places them by its index.
  auto table = Open("People", kOpenTable);
  table->SetIndex("ByName");
  table->MoveFirst();
  EXPECT_EQ(Walk(*table), "Aaron,alice,Bob,Carl,Dora,New1,New2");
}

TEST_F(RecordsetEditTest, FailedUpdatesKeepTheBufferAndCancelUpdateDropsIt) {
  auto rs = Open("People", kOpenDynaset);
  rs->AddNew();
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kRequiredNull);  // Name is required
  EXPECT_EQ(rs->EditMode(), kEditAdd);
  rs->Fields()->Item("Name")->SetValue(Variant("dora"));  // ByName is unique, case ignored
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kDuplicateValues);
  EXPECT_EQ(rs->Fields()->Item("Name")->Value(), Variant("dora"));
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Name")->SetValue(Variant(std::string(31, 'x'))); rs->Update(); }).number,
            err::kFieldTooSmall);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Age")->SetValue(Variant(70000)); }).number, err::kNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Age")->SetValue(Variant("many")); }).number, err::kConversion);
  rs->CancelUpdate();
  EXPECT_EQ(rs->EditMode(), kEditNone);
  EXPECT_EQ(Select("SELECT count(*) FROM People"), "4\n");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kUpdateWithoutEdit);
  EXPECT_EQ(ErrorOf([&] { rs->CancelUpdate(); }).number, err::kUpdateWithoutEdit);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Age")->SetValue(Variant(1)); }).number, err::kUpdateWithoutEdit);
  // Moving drops a pending edit silently.
  rs->Edit();
  rs->Fields()->Item("Age")->SetValue(Variant(1));
  rs->MoveNext();
  EXPECT_EQ(rs->EditMode(), kEditNone);
  EXPECT_EQ(Select("SELECT Age FROM People WHERE Name = 'Dora'"), "40\n");
}

TEST_F(RecordsetEditTest, DeleteLeavesNoCurrentRecordAndTheLastOneLeavesEof) {
  for (int type : {kOpenTable, kOpenDynaset}) {
    SCOPED_TRACE(type);
    auto rs = Open("SELECT * FROM People ORDER BY Name", type == kOpenTable ? kOpenDynaset : type);
    if (type == kOpenTable) {
      rs = Open("People", kOpenTable);
      rs->SetIndex("ByName");
      rs->MoveFirst();
    }
    rs->Move(1);  // Bob
    rs->Delete();
    EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Name")->Value(); }).number, err::kRecordDeleted);
    EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, err::kRecordDeleted);
    rs->MoveNext();
    EXPECT_EQ(Name(*rs), "Carl");
    rs->MovePrevious();
    EXPECT_EQ(Name(*rs), "alice");
    rs->MoveLast();
    rs->Delete();  // the last record
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(WalkBack(*rs), "Carl,alice");
    Exec("DELETE FROM People");
    Exec("INSERT INTO People (Name, Age, Born, Paid, Active, City) VALUES "
         "('Dora', 40, 36893, 125000, -1, 'Rome'), ('alice', 30, 36525, 2500, 0, 'Oslo'), "
         "('Carl', 30, NULL, NULL, -1, 'Bergen'), ('Bob', 25, 36893.5, 1000000, 0, NULL)");
  }
}

TEST_F(RecordsetEditTest, ChangesByOthersShowAsEachKindPromises) {
  auto other = workspace_->OpenDatabase(path_);
  auto table = Open("People", kOpenTable);
  auto dynaset = Open("People", kOpenDynaset);
  auto snapshot = Open("People", kOpenSnapshot);
  dynaset->MoveLast();
  dynaset->MoveFirst();
  other->TEST_ExecuteSql("UPDATE People SET Name = 'Dorothy' WHERE Name = 'Dora'");
  other->TEST_ExecuteSql("DELETE FROM People WHERE Name = 'Carl'");
  other->TEST_ExecuteSql("INSERT INTO People (Name) VALUES ('Eve')");
  // A record shows changes when it is reached again. Table-type: every change at once.
  EXPECT_EQ(Name(*table), "Dora");
  table->MoveFirst();
  EXPECT_EQ(Name(*table), "Dorothy");
  EXPECT_EQ(Walk(*table), "Dorothy,alice,Bob,Eve");
  // Dynaset: changed rows re-read, the deleted one a hole, the new one not there.
  dynaset->MoveFirst();
  EXPECT_EQ(Name(*dynaset), "Dorothy");
  dynaset->Move(2);
  EXPECT_EQ(ErrorOf([&] { Name(*dynaset); }).number, err::kRecordDeleted);
  EXPECT_EQ(ErrorOf([&] { dynaset->Edit(); }).number, err::kRecordDeleted);
  dynaset->MoveNext();
  EXPECT_EQ(Name(*dynaset), "Bob");
  dynaset->MoveNext();
  EXPECT_TRUE(dynaset->Eof());
  // Snapshot: the copy taken at open.
  EXPECT_EQ(Walk(*snapshot), "Dora,alice,Carl,Bob");
  // Requery shows the new state.
  dynaset->Requery();
  EXPECT_EQ(Walk(*dynaset), "Dorothy,alice,Bob,Eve");
  other->Close();
}

TEST_F(RecordsetEditTest, UpdateRefusesToOverwriteAChangeMadeSinceEdit) {
  auto rs = Open("People", kOpenDynaset);
  rs->Edit();
  rs->Fields()->Item("Age")->SetValue(Variant(41));
  Exec("UPDATE People SET City = 'Paris' WHERE Name = 'Dora'");  // a field the edit leaves alone
  rs->Update();
  EXPECT_EQ(Select("SELECT Age, City FROM People WHERE Name = 'Dora'"), "41|Paris\n");
  rs->Edit();
  rs->Fields()->Item("Age")->SetValue(Variant(42));
  Exec("UPDATE People SET Age = 45 WHERE Name = 'Dora'");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kDataChanged);
  EXPECT_EQ(Select("SELECT Age FROM People WHERE Name = 'Dora'"), "45\n");
  rs->CancelUpdate();
  rs->Edit();
  Exec("DELETE FROM People WHERE Name = 'Dora'");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }).number, err::kRecordDeleted);
}

TEST_F(RecordsetEditTest, LongValuesGoInAndOutInChunks) {
  auto rs = Open("People", kOpenTable);
  rs->Edit();
  auto notes = rs->Fields()->Item("Notes");
  auto photo = rs->Fields()->Item("Photo");
  notes->AppendChunk(Variant("first "));  // replaces whatever was there
  notes->AppendChunk(Variant("second"));
  photo->AppendChunk(Variant::FromBytes({1, 2}));
  photo->AppendChunk(Variant::FromBytes({3}));
  EXPECT_EQ(notes->FieldSize(), 12);
  rs->Update();
  EXPECT_EQ(notes->Value(), Variant("first second"));
  EXPECT_EQ(photo->Value(), Variant::FromBytes({1, 2, 3}));
  EXPECT_EQ(notes->GetChunk(6, 3), Variant("sec"));
  EXPECT_EQ(notes->GetChunk(9, 100), Variant("ond"));  // only what is left
  EXPECT_EQ(notes->GetChunk(50, 4), Variant(""));
  EXPECT_EQ(photo->GetChunk(1, 5), Variant::FromBytes({2, 3}));
  EXPECT_EQ(photo->FieldSize(), 3);
  rs->Edit();
  notes->AppendChunk(Variant("new"));  // a new edit starts over
  rs->Update();
  EXPECT_EQ(notes->Value(), Variant("new"));
  EXPECT_EQ(ErrorOf([&] { rs->Fields()->Item("Name")->GetChunk(0, 1); }).number, err::kInvalidOperation);
  EXPECT_EQ(ErrorOf([&] { notes->AppendChunk(Variant("x")); }).number, err::kUpdateWithoutEdit);
}

TEST_F(RecordsetEditTest, ReadOnlyKindsAndOptionsRefuseChanges) {
  Exec("CREATE TABLE Grouped (K INTEGER)");
  for (auto rs : {Open("People", kOpenSnapshot), Open("People", kOpenDynaset, ro::kReadOnly),
                  Open("People", kOpenTable, 0, kReadOnlyLock),
                  Open("SELECT Age, Count(*) AS N FROM People GROUP BY Age", kOpenDynaset),
                  Open("SELECT DISTINCT City FROM People", kOpenDynaset),
                  Open("SELECT Name FROM People UNION SELECT City FROM People", kOpenDynaset)}) {
    SCOPED_TRACE(rs->Name());
    EXPECT_FALSE(rs->Updatable());
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }).number, err::kReadOnly);
    EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }).number, err::kReadOnly);
    EXPECT_EQ(ErrorOf([&] { rs->Delete(); }).number, err::kReadOnly);
    EXPECT_FALSE(rs->Fields()->Item(0)->DataUpdatable());
  }
  auto plain = Open("SELECT Name, Age FROM People WHERE Age < 35 ORDER BY Age", kOpenDynaset);
  EXPECT_TRUE(plain->Updatable());
  plain->Edit();
  plain->Fields()->Item("Age")->SetValue(Variant(99));
  plain->Update();
  EXPECT_EQ(plain->Fields()->Item("Age")->Value().ToInt32(), 99);  // stays although WHERE no longer holds
}

}  // namespace
}  // namespace qb::jet::test
