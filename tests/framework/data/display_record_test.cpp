// Showing another buffer of the ring through the fields (as a grid paints its rows): the
// fields read that record, the cursor, the position and the links are left alone; generated
// rows read like stored ones.
#include <gtest/gtest.h>

#include "framework/data/data_source.h"
#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

class CountingLink : public TDataLink {
 public:
  int told = 0;

 protected:
  void DataSetChanged() override { ++told; }
  void DataSetScrolled(int) override { ++told; }
  void RecordChanged(TField*) override { ++told; }
};

TEST(DisplayRecord, FieldsReadTheShownBufferOnly) {
  auto ds = MakeNumbered(10);
  TDataSource source;
  source.SetDataSet(ds.get());
  CountingLink link;
  link.SetDataSource(&source);
  link.SetBufferCount(4);
  ds->Open();
  ds->MoveBy(1);
  link.told = 0;
  const int fetches = ds->fetches;
  std::string shown;
  for (int index = -1; index <= ds->BufferedRecords(); ++index) {
    const int previous = ds->SetDisplayRecord(index);
    shown += ds->FieldByName("ID")->AsString() + " ";
    ds->SetDisplayRecord(previous);
  }
  // Indexes outside the filled buffers leave the active record (2) shown.
  EXPECT_EQ(shown, "2 1 2 3 4 2 ");
  EXPECT_EQ(Where(*ds), "2");
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_EQ(ds->fetches, fetches);
  EXPECT_EQ(link.told, 0);
}

TEST(DisplayRecord, GeneratedRowsReadAsStoredOnesAndKeepTheirEdits) {
  TMemoryDataSet ds({{"ID", ftInteger}, {"Name", ftString, 10}});
  ds.generator = [](std::int32_t id) {
    return std::vector<MemValue>{EncodeInt(id * 10), EncodeText("g" + std::to_string(id), 10)};
  };
  ds.AddGeneratedRows(100000);
  ds.Open();
  ds.SetRecNo(70000);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 700000);
  ds.Edit();
  ds.FieldByName("Name")->SetAsString("kept");
  ds.Post();
  ds.First();
  ds.SetRecNo(70000);
  EXPECT_EQ(ds.FieldByName("Name")->AsString(), "kept");
  EXPECT_EQ(ds.RecordCount(), 100000);
}

}  // namespace
}  // namespace qb::testing
