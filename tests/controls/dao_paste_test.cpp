// Changes that bypass the keys (the context menu's paste, cut and delete) edit the record as
// typing does, so that what the memo and the rich edit show is written with the record.
#include <QClipboard>
#include <QTextCursor>
#include <gtest/gtest.h>

#include "controls/dao_memo.h"
#include "controls/dao_rich_edit.h"
#include "dao_controls_fixture.h"
#include "framework/data/memory_dataset.h"

namespace qb::test {
namespace {

class PasteTest : public DaoControlsTest {};

TEST_F(PasteTest, MenuPasteAndDeleteEditTheRecord) {
  FillPeople(3);
  TDAORecordset& rs = OpenPeople();
  TDAOMemo memo;
  memo.SetDataSource(&source_);
  memo.SetDataField("City");
  QApplication::clipboard()->setText("Oslo");
  memo.selectAll();
  memo.paste();  // what the context menu's Paste runs
  EXPECT_EQ(rs.State(), dsEdit);
  rs.Post();
  EXPECT_EQ(Column("People", "City", "Name"), "Oslo,CityBe,CityCa");
  // The context menu's Delete removes the selection (here the first letter).
  QTextCursor cursor = memo.textCursor();
  cursor.setPosition(0);
  cursor.setPosition(1, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  EXPECT_EQ(rs.State(), dsEdit);
  rs.Post();
  EXPECT_EQ(Column("People", "City", "Name"), "slo,CityBe,CityCa");
}

TEST_F(PasteTest, RichEditCutIsWrittenWithTheRecord) {
  using namespace qb::testing;
  TMemoryDataSet ds({{"ID", ftInteger}, {"Notes", ftMemo}});
  ds.AddRow({EncodeInt(1), std::nullopt});
  TDataSource source;
  source.SetDataSet(&ds);
  ds.Open();
  TDAORichEdit rich;
  rich.SetDataSource(&source);
  rich.SetDataField("Notes");
  QApplication::clipboard()->setText("pasted words");
  rich.paste();
  EXPECT_EQ(ds.State(), dsEdit);
  ds.Post();
  EXPECT_NE(ds.FieldByName("Notes")->AsString().find("pasted words"), std::string::npos);
  rich.selectAll();
  rich.cut();
  ds.Post();
  EXPECT_EQ(ds.FieldByName("Notes")->AsString().find("pasted words"), std::string::npos);
  source.SetDataSet(nullptr);
}

}  // namespace
}  // namespace qb::test
