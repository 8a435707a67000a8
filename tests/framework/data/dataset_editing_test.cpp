// The edit protocol: insert and cancel, append and post, delete at the ends, failures that
// must keep the user's values, required fields and read-only datasets.
#include <gtest/gtest.h>

#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

TEST(DataSetEditing, CancelledInsertLeavesNoRowAndReturnsToTheRecord) {
  auto ds = MakeNumbered(3);
  ds->Open();
  ds->Next();  // on 2
  ds->Insert();
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(ds->RingIds(), "I*") << "a one-buffer ring shows only the new record";
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  ds->FieldByName("Name")->SetAsString("typed");
  ds->Cancel();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(StoredIds(*ds), "1,2,3");
  EXPECT_EQ(Where(*ds), "2");
  // Cancelling an append (new buffer after the last row) returns to the last row.
  ds->Append();
  ds->Cancel();
  EXPECT_EQ(Where(*ds), "3");
  EXPECT_EQ(StoredIds(*ds), "1,2,3");
}

TEST(DataSetEditing, InsertPutsTheRowBeforeTheActiveOneAndAppendAtTheEnd) {
  struct Case {
    int start;      // rows to move from the first before inserting
    bool append;
    int rows;       // rows in the dataset
    const char* stored;
  };
  const Case cases[] = {
      {0, false, 3, "1,2,3"}, {1, false, 3, "1,9,2,3"}, {0, false, 0, "9"},
      {2, true, 3, "1,2,3,9"}, {0, true, 0, "9"},
  };
  for (const Case& c : cases) {
    auto ds = MakeNumbered(c.rows);
    ds->Open();
    ds->MoveBy(c.start);
    if (c.append)
      ds->Append();
    else
      ds->Insert();
    ds->FieldByName("ID")->SetAsInteger(9);
    ds->Post();
    std::string expected = c.stored;
    if (!c.append && c.rows && c.start == 0) expected = "9,1,2,3";
    EXPECT_EQ(StoredIds(*ds), expected) << c.start << c.append << c.rows;
    EXPECT_EQ(Where(*ds).substr(0, 1), "9") << "the posted row is active";
    EXPECT_EQ(ds->State(), dsBrowse);
  }
}

TEST(DataSetEditing, AppendedRowIsReachedAgainByItsBookmark) {
  auto ds = MakeNumbered(2);
  ds->Open();
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(7);
  ds->FieldByName("Name")->SetAsString("new");
  ds->Post();
  TBookmark added = ds->GetBookmark();
  ASSERT_FALSE(added.empty());
  ds->First();
  EXPECT_EQ(Where(*ds), "1[B]");
  ds->GotoBookmark(added);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "new");
  ds->Next();
  EXPECT_TRUE(ds->Eof());
}

TEST(DataSetEditing, DeletingTheLastRecordMovesToTheNewLastOneUntilEmpty) {
  auto ds = MakeNumbered(3);
  ds->Open();
  ds->Last();
  ds->Delete();
  EXPECT_EQ(Where(*ds), "2");
  EXPECT_EQ(StoredIds(*ds), "1,2");
  ds->First();
  ds->Delete();  // the first: its successor takes its place
  EXPECT_EQ(Where(*ds), "2");
  ds->Delete();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_EQ(Where(*ds), "-[B][E]");
  EXPECT_EQ(StoredIds(*ds), "");
}

TEST(DataSetEditing, FailedPostKeepsTheEditOpenWithTheUsersValues) {
  auto ds = MakeNumbered(2);
  ds->Open();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("typed");
  ds->fail_post = "The disk is full";
  int after_post = 0;
  ds->AfterPost = [&](TDataSet*) { ++after_post; };
  try {
    ds->Post();
    FAIL() << "Post succeeded";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "The disk is full");
  }
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_TRUE(ds->Modified());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "typed");
  EXPECT_EQ(after_post, 0);
  // Leaving the record must not drop the typed value silently either: it tries to post.
  EXPECT_THROW(ds->Next(), EDatabaseError);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "typed");
  ds->fail_post.clear();
  ds->Post();
  EXPECT_EQ(after_post, 1);
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "typed");
}

TEST(DataSetEditing, PostErrorHandlerRetriesOrAborts) {
  auto ds = MakeNumbered(1);
  ds->Open();
  int calls = 0;
  ds->OnPostError = [&](TDataSet* sender, EDatabaseError&, TDataAction& action) {
    ++calls;
    static_cast<TMemoryDataSet*>(sender)->fail_post.clear();  // the handler repairs the cause
    action = daRetry;
  };
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("retried");
  ds->fail_post = "locked";
  ds->Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "retried");

  ds->OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->fail_post = "locked";
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->State(), dsEdit);
}

TEST(DataSetEditing, RequiredFieldWithoutValueRefusesThePost) {
  auto ds = std::make_unique<TMemoryDataSet>(
      std::vector<MemColumn>{{"ID", ftInteger, 0, true}, {"Name", ftString, 10}});
  ds->Open();
  ds->Append();
  ds->FieldByName("Name")->SetAsString("no id");
  try {
    ds->Post();
    FAIL() << "posted without the required ID";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'ID' must have a value");
  }
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "no id");
  EXPECT_TRUE(ds->Rows().empty());
}

TEST(DataSetEditing, ReadOnlyDatasetAndFieldRefuseChanges) {
  auto ds = MakeNumbered(2);
  ds->read_only = true;
  ds->Open();
  EXPECT_FALSE(ds->CanModify());
  for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete}) {
    try {
      (ds.get()->*op)();
      FAIL() << "a read-only dataset accepted a change";
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "Cannot modify a read-only dataset");
    }
    EXPECT_EQ(ds->State(), dsBrowse);
  }
  EXPECT_EQ(StoredIds(*ds), "1,2");

  ds->Close();
  ds->read_only = false;
  ds->Open();
  ds->FieldByName("ID")->SetReadOnly(true);
  ds->Edit();
  EXPECT_THROW(ds->FieldByName("ID")->SetAsInteger(5), EDatabaseError);
  ds->Cancel();
  try {
    ds->FieldByName("Name")->SetAsString("browse");
    FAIL() << "a field was written in browse state";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
  }
}

TEST(DataSetEditing, FailedPrepareInsertReturnsToBrowseOnTheSameRecord) {
  auto ds = MakeNumbered(3);
  ds->Open();
  ds->Next();
  ds->fail_prepare_insert = 1;
  EXPECT_THROW(ds->Insert(), EDatabaseError);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Where(*ds), "2");
  EXPECT_EQ(StoredIds(*ds), "1,2,3");
}

TEST(DataSetEditing, CheckBrowseModePostsChangesAndCancelsUntouchedEdits) {
  auto ds = MakeNumbered(2);
  ds->Open();
  ds->Edit();
  ds->CheckBrowseMode();  // nothing typed: cancelled
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->Append();
  ds->CheckBrowseMode();
  EXPECT_EQ(StoredIds(*ds), "1,2") << "an untouched new record is not stored";
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("moved");
  ds->Next();  // moving posts
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Where(*ds), "2");
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "moved");
}

TEST(DataSetEditing, FailedOpenLeavesItClosedWithoutFields) {
  auto ds = MakeNumbered(2);
  ds->fail_open = true;
  std::string events;
  ds->BeforeOpen = [&](TDataSet*) { events += "BeforeOpen "; };
  ds->AfterOpen = [&](TDataSet*) { events += "AfterOpen "; };
  EXPECT_THROW(ds->Open(), EDatabaseError);
  EXPECT_FALSE(ds->Active());
  EXPECT_TRUE(ds->Fields().empty());
  EXPECT_EQ(ds->BufferCount(), 0);
  EXPECT_EQ(events, "BeforeOpen ");
  ds->fail_open = false;
  ds->Open();
  EXPECT_EQ(ds->Fields().size(), 2u);
  EXPECT_EQ(Where(*ds), "1[B]");
}

TEST(DataSetEditing, EventsOfAnEditCycleComeInOrder) {
  auto ds = MakeNumbered(2);
  std::string log;
  auto note = [&log](const char* name) { return [&log, name](TDataSet*) { log += name; log += ' '; }; };
  ds->BeforeEdit = note("BeforeEdit");
  ds->AfterEdit = note("AfterEdit");
  ds->BeforePost = note("BeforePost");
  ds->AfterPost = note("AfterPost");
  ds->BeforeInsert = note("BeforeInsert");
  ds->AfterInsert = note("AfterInsert");
  ds->OnNewRecord = note("OnNewRecord");
  ds->BeforeScroll = note("BeforeScroll");
  ds->AfterScroll = note("AfterScroll");
  ds->BeforeCancel = note("BeforeCancel");
  ds->AfterCancel = note("AfterCancel");
  ds->BeforeDelete = note("BeforeDelete");
  ds->AfterDelete = note("AfterDelete");
  ds->Open();
  log.clear();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->Post();
  EXPECT_EQ(log, "BeforeEdit AfterEdit BeforePost AfterPost ");
  log.clear();
  ds->Insert();
  ds->Cancel();
  EXPECT_EQ(log, "BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll BeforeCancel AfterCancel ");
  log.clear();
  ds->Delete();
  EXPECT_EQ(log, "BeforeDelete BeforeScroll AfterDelete AfterScroll ");
}

}  // namespace
}  // namespace qb::testing
