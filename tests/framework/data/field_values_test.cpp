// The old, new and current values of a field: each read from its own buffer, silently, and
// with the dataset's state restored even when the read fails.
#include <gtest/gtest.h>

#include "framework/data/data_source.h"
#include "framework/data/dataset_fixture.h"
#include "framework/data/field_classes.h"

namespace qb::testing {
namespace {

class StateLink : public TDataLink {
 public:
  int events = 0;

 protected:
  void ActiveChanged() override { ++events; }
  void EditingChanged() override { ++events; }
  void DataSetChanged() override { ++events; }
  void RecordChanged(TField*) override { ++events; }
};

TEST(FieldValues, EachReadsItsOwnBuffer) {
  auto ds = MakeNumbered(3);
  TDataSource source;
  source.SetDataSet(ds.get());
  StateLink link;
  link.SetDataSource(&source);
  ds->Open();
  ds->Next();
  TField* name = ds->FieldByName("Name");
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* old_value;
    const char* new_value;
    const char* cur_value;
  };
  const Step steps[] = {
      {"browse", [] {}, "r2", "r2", "r2"},
      {"edit", [&] { ds->Edit(); name->SetAsString("mine"); }, "r2", "mine", "r2"},
      {"changed by another", [&] { ds->SetStoredValue(1, 1, EncodeText("theirs", 10)); }, "r2", "mine", "theirs"},
      {"posted", [&] { ds->Post(); }, "mine", "mine", "mine"},
  };
  for (const Step& s : steps) {
    s.act();
    link.events = 0;
    TDataSetState before = ds->State();
    EXPECT_EQ(name->OldValue().ToStringOrEmpty(), s.old_value) << s.what;
    EXPECT_EQ(name->NewValue().ToStringOrEmpty(), s.new_value) << s.what;
    EXPECT_EQ(name->CurValue().ToStringOrEmpty(), s.cur_value) << s.what;
    EXPECT_EQ(ds->State(), before) << s.what;
    EXPECT_EQ(link.events, 0) << s.what << ": the links hear nothing";
    EXPECT_FALSE(ds->ControlsDisabled()) << s.what;
  }
}

TEST(FieldValues, AnInsertedRecordHasNoOldValue) {
  auto ds = MakeNumbered(1);
  ds->Open();
  ds->Append();
  TField* name = ds->FieldByName("Name");
  name->SetNewValue(Variant("new"));
  EXPECT_TRUE(name->OldValue().IsNull());
  EXPECT_TRUE(name->CurValue().IsNull());
  EXPECT_EQ(name->AsString(), "new") << "the new value is the edited buffer's";
  EXPECT_EQ(ds->State(), dsInsert);
}

TEST(FieldValues, AFailedWriteRestoresTheStateAndAClosedDatasetRefuses) {
  auto ds = MakeNumbered(1);
  TIntegerField id;  // persistent: it outlives the opening
  id.SetFieldName("ID");
  id.SetDataSet(ds.get());
  ds->Open();
  ds->Edit();
  EXPECT_THROW(id.SetNewValue(Variant("not a number")), EDatabaseError);
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_FALSE(ds->ControlsDisabled());
  ds->Cancel();
  ds->Close();
  EXPECT_THROW(id.OldValue(), EDatabaseError);
  EXPECT_THROW(id.SetNewValue(Variant(1)), EDatabaseError);
  EXPECT_EQ(ds->State(), dsInactive) << "a closed dataset never enters a temporary state";
  EXPECT_FALSE(ds->ControlsDisabled());
  id.SetDataSet(nullptr);
}

}  // namespace
}  // namespace qb::testing
