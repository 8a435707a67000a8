// Editing through the recordset component on real database files: appending into an
// AutoNumber table, defaults in a new record, cancelling, deleting the last record, refused
// posts that keep the user's values, read-only recordsets, and the data link's notifications.
#include <gtest/gtest.h>

#include "framework/data/data_source.h"
#include "framework/data/data_errors.h"
#include "framework/data/field.h"
#include "jet/dao/field.h"
#include "jet/recordset/recordset.h"
#include "jet/dao/tabledef.h"
#include "recordset/recordset_fixture.h"

namespace qb::test {
namespace {

class EditingTest : public RecordsetTest {
 protected:
  void SetUp() override {
    RecordsetTest::SetUp();
    Exec("CREATE TABLE People (Id COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(20) CONSTRAINT UName UNIQUE, "
         "Amount LONG DEFAULT 7)");
    for (const char* name : {"Ann", "Bob", "Cid"})
      Exec(std::string("INSERT INTO People (Name, Amount) VALUES ('") + name + "', 1)");
  }
};

struct Source {
  TRecordSetTypes type;
  const char* source;
};
const Source kWritable[] = {{rtTable, "People"}, {rtQuery, "SELECT * FROM People ORDER BY Id"}};

TEST_F(EditingTest, AppendShowsTheNewKeyAndDefaultsAndComesBackAfterMovingAway) {
  for (const Source& s : kWritable) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    rs->Append();
    TField* id = rs->FieldByName("Id");
    EXPECT_FALSE(id->IsNull()) << "the AutoNumber value shows before posting";
    const int key = id->AsInteger();
    EXPECT_EQ(rs->FieldByName("Amount")->AsInteger(), 7) << "the column default shows too";
    EXPECT_TRUE(id->ReadOnly());
    rs->FieldByName("Name")->SetAsString(std::string("New") + std::to_string(s.type));
    rs->Post();
    EXPECT_EQ(rs->FieldByName("Id")->AsInteger(), key);
    const TBookmark mark = rs->GetBookmark();
    ASSERT_FALSE(mark.empty());
    rs->First();
    rs->GotoBookmark(mark);
    EXPECT_EQ(rs->FieldByName("Id")->AsInteger(), key);
    EXPECT_EQ(rs->FieldByName("Amount")->AsInteger(), 7) << "a field not typed keeps its default";
    rs->Last();
    EXPECT_EQ(rs->FieldByName("Id")->AsInteger(), key);
  }
  EXPECT_EQ(Column("People", "Name"), "Ann,Bob,Cid,New0,New1");
}

TEST_F(EditingTest, CancellingAnInsertLeavesNothingBehind) {
  for (const Source& s : kWritable) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    rs->Next();
    rs->Insert();
    rs->FieldByName("Name")->SetAsString("Gone");
    EXPECT_TRUE(rs->FieldModified(rs->FieldByName("Name")));
    rs->Cancel();
    EXPECT_FALSE(rs->FieldModified(rs->FieldByName("Name")));
    EXPECT_EQ(rs->GetEditMode(), 0);
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Bob");
    EXPECT_EQ(Walk(*rs), "Ann,Bob,Cid");
  }
  EXPECT_EQ(Column("People", "Name"), "Ann,Bob,Cid");
}

TEST_F(EditingTest, DeletingTheLastRecordLeavesTheCursorAtTheEnd) {
  for (const Source& s : kWritable) {
    SCOPED_TRACE(s.source);
    auto rs = Make(s.type, s.source);
    rs->Open();
    rs->Last();
    rs->Delete();
    EXPECT_EQ(rs->State(), dsBrowse);
    EXPECT_EQ(rs->FieldByName("Name")->AsString(), "Bob");
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(Walk(*rs), "Ann,Bob");
    Exec("INSERT INTO People (Name) VALUES ('Cid')");
  }
}

TEST_F(EditingTest, PostingWritesOnlyTheTypedFieldsAndAClearedFieldAsNull) {
  auto rs = Make(rtTable, "People");
  rs->Open();
  rs->Edit();
  rs->FieldByName("Amount")->Clear();
  rs->Post();
  EXPECT_TRUE(rs->FieldByName("Amount")->IsNull());
  EXPECT_EQ(Column("People", "Amount"), "-,1,1") << "clearing a field must reach the table";
}

TEST_F(EditingTest, EmptyTextsAreWrittenAsNullOnlyWhenAskedTo) {
  Exec("CREATE TABLE Notes (Id COUNTER CONSTRAINT NK PRIMARY KEY, T TEXT(10))");
  database_->FindTableDef("Notes")->Fields()->Item(std::string_view("T"))->SetAllowZeroLength(true);
  struct Case {
    TRecordSetOptions options;
    const char* stored;
  } cases[] = {{Opt(roFixCursorDuringEditAndInsert) | Opt(roSetEmptyStringsAsNULLValues), "-"},
               {Opt(roFixCursorDuringEditAndInsert), ""}};
  for (const Case& c : cases) {
    Exec("DELETE FROM Notes");
    auto rs = Make(rtTable, "Notes");
    rs->SetOptions(c.options);
    rs->Open();
    rs->Append();
    rs->FieldByName("T")->SetAsString("");
    rs->Post();
    EXPECT_EQ(Column("Notes", "T"), c.stored);
  }
}

TEST_F(EditingTest, ARefusedPostKeepsTheEditAndTheUsersValues) {
  auto rs = Make(rtQuery, "SELECT * FROM People ORDER BY Id");
  rs->Open();
  rs->Append();
  rs->FieldByName("Name")->SetAsString("Bob");  // taken
  rs->FieldByName("Amount")->SetAsInteger(99);
  const Raised raised = RaisedBy([&] { rs->Post(); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(raised.method, "UPDATE");
  EXPECT_EQ(raised.engine_error, 3022);
  EXPECT_EQ(rs->State(), dsInsert);
  EXPECT_EQ(rs->GetEditMode(), 2);
  EXPECT_EQ(rs->FieldByName("Amount")->AsInteger(), 99);
  EXPECT_TRUE(rs->FieldModified(rs->FieldByName("Amount")));
  rs->FieldByName("Name")->SetAsString("Dee");
  rs->Post();
  EXPECT_EQ(rs->State(), dsBrowse);
  EXPECT_EQ(Column("People", "Name"), "Ann,Bob,Cid,Dee");
  EXPECT_EQ(Column("People", "Amount"), "1,1,1,99");
}

TEST_F(EditingTest, ReadOnlyRecordsetsRefuseEdits) {
  struct Case {
    TRecordSetTypes type;
    const char* source;
    TLockStrategies lock;
    TRecordSetOptions options;
  } cases[] = {
      {rtTable, "People", lkReadOnly, Opt(roFixCursorDuringEditAndInsert)},
      {rtQuery, "SELECT * FROM People", lkReadOnly, Opt(roFixCursorDuringEditAndInsert)},
      {rtQuery, "SELECT * FROM People", lkPessimistic, Opt(roReadOnly)},
      {rtSnapshot, "SELECT * FROM People", lkPessimistic, Opt(roFixCursorDuringEditAndInsert)},
      {rtQuery, "SELECT DISTINCT Name & '!' AS Shout FROM People", lkPessimistic, Opt(roFixCursorDuringEditAndInsert)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    auto rs = Make(c.type, c.source, c.lock);
    rs->SetOptions(c.options);
    rs->Open();
    EXPECT_FALSE(rs->CanModify());
    EXPECT_EQ(RaisedBy([&] { rs->Edit(); }).text, data_msg::kDataSetReadOnly);
    EXPECT_EQ(RaisedBy([&] { rs->Append(); }).text, data_msg::kDataSetReadOnly);
    EXPECT_EQ(RaisedBy([&] { rs->Delete(); }).text, data_msg::kDataSetReadOnly);
    EXPECT_EQ(rs->State(), dsBrowse);
  }
  EXPECT_EQ(Column("People", "Name"), "Ann,Bob,Cid");
}

// Writes each notification as a word.
class RecordingLink : public TDataLink {
 public:
  std::string log;

 protected:
  void ActiveChanged() override { log += Active() ? "active " : "inactive "; }
  void EditingChanged() override { log += Editing() ? "editing " : "browsing "; }
  void DataSetChanged() override { log += "changed "; }
  void DataSetScrolled(int distance) override { log += "scrolled(" + std::to_string(distance) + ") "; }
  void RecordChanged(TField* field) override { log += "record(" + (field ? field->FieldName() : std::string()) + ") "; }
  void UpdateData() override { log += "update "; }
  void CheckBrowseMode() override { log += "check "; }
};

TEST_F(EditingTest, ADataLinkSeesEachNotificationInOrder) {
  auto rs = Make(rtQuery, "SELECT * FROM People ORDER BY Id");
  TDataSource source;
  source.SetDataSet(rs.get());
  RecordingLink link;
  link.SetDataSource(&source);
  struct Step {
    const char* what;
    std::function<void()> action;
    const char* log;
  } steps[] = {
      {"open", [&] { rs->Open(); }, "active "},
      {"next", [&] { rs->Next(); }, "check scrolled(-1) "},
      {"edit", [&] { rs->Edit(); }, "check editing record() "},
      {"set", [&] { rs->FieldByName("Name")->SetAsString("Bea"); }, "record(Name) "},
      {"post", [&] { rs->Post(); }, "update check browsing changed "},
      {"append", [&] { rs->Append(); }, "check editing record() changed "},
      {"cancel", [&] { rs->Cancel(); }, "check browsing changed "},
      {"close", [&] { rs->Close(); }, "inactive "},
  };
  for (const Step& step : steps) {
    link.log.clear();
    step.action();
    EXPECT_EQ(link.log, step.log) << step.what;
  }
  EXPECT_EQ(Column("People", "Name"), "Ann,Bea,Cid");
}

}  // namespace
}  // namespace qb::test
