// The incremental search edit over real recordsets: typing positions the recordset once the
// delay ends, the search field by the sort order, values not found, texts that are not
// numbers, and the silent text.
#include <gtest/gtest.h>

#include "controls/dao_search_str_edit.h"
#include "dao_controls_fixture.h"
#include "framework/gui/application.h"
#include "framework/gui/message_box.h"
#include "framework/gui/window_timer.h"

namespace qb::test {
namespace {

class SearchEditTest : public DaoControlsTest {
 protected:
  void SetUp() override {
    DaoControlsTest::SetUp();
    timer_.SetEnabled(false);
    timer_.SetInterval(300);
    edit_.SetDataSource(&source_);
    edit_.SetSearchTimer(&timer_);
    edit_.show();
    edit_.setFocus();
  }
  void Type(const char* text) { QTest::keyClicks(&edit_, text); }

  WindowTimer timer_;
  TDAOSearchStrEdit edit_;
};

TEST_F(SearchEditTest, TypingPositionsAHundredThousandRowTableOnTheNearestName) {
  FillPeople(100000);
  TDAORecordset& rs = OpenPeople();
  ASSERT_EQ(Current(), "AlAlAlAlAl");
  struct Case {
    const char* typed;     // added to the text
    const char* expected;  // the record shown after the delay
  } cases[] = {
      {"Mi", "MiAlAlAlAl"},
      {"No", "MiNoAlAlAl"},
      {"Ra", "MiNoRaAlAl"},
  };
  for (const Case& c : cases) {
    Type(c.typed);
    // Nothing moves before the delay ends.
    EXPECT_TRUE(timer_.TEST_Running());
    EXPECT_NE(Current(), c.expected);
    // Several characters typed within the delay search once.
    EXPECT_TRUE(timer_.TEST_Fire());
    EXPECT_FALSE(timer_.TEST_Running());
    EXPECT_EQ(Current(), c.expected) << c.typed;
    EXPECT_EQ(rs.SearchText(), edit_.text().toStdString());
  }
  // A text no name starts with stands on the next name in order.
  edit_.SetTextSilently("MiNoRb");
  edit_.FindNearestEntry();
  EXPECT_EQ(Current(), "MiRaAlAlAl");
  // The grid-sized window of buffers, not the table, is held.
  EXPECT_LE(rs.BufferCount(), 2);
}

TEST_F(SearchEditTest, NothingAfterTheLastValueIsToldInAnInformationBox) {
  FillPeople(100);
  OpenPeople();
  rs_->Last();
  gui_->ExpectMessageBox(IDOK).Text("No Value found in Field 'Name' starting with: 'Zz'.").Caption("Information");
  edit_.SetTextSilently("Zz");
  edit_.FindNearestEntry();
  gui_->Verify();
  // The record shown stays, and the cursor still reads it.
  EXPECT_EQ(Current(), "RaRaAlAlAl");
  rs_->Prior();
  rs_->Next();
  EXPECT_EQ(Current(), "RaRaAlAlAl");
}

TEST_F(SearchEditTest, SearchFieldComesFromTheSortOrder) {
  FillPeople(300);
  // A table: the fields of its current index.
  OpenPeople(rtTable, "People", "ByAge");
  edit_.SetTextSilently("42");
  edit_.FindNearestEntry();
  EXPECT_EQ(Current("Age"), "42");
  // A statement sorted by two fields: the whole list names no field.
  OpenPeople(rtSnapshot, "SELECT * FROM People ORDER BY Name, City;");
  edit_.SetTextSilently("Mi");
  const Raised raised = RaisedBy([&] { edit_.FindNearestEntry(); });
  EXPECT_EQ(raised.type, "EDAOError");
  EXPECT_EQ(raised.text, "No Field with Name 'Name, City' in Recordset 'DAORecordset1'.");
  EXPECT_EQ(raised.method, "FindNearestEntry");
  // Sorted by one field: found by a criterion, a quote in the text searched as text.
  OpenPeople(rtSnapshot, "SELECT * FROM People ORDER BY Name;");
  edit_.SetTextSilently("Mi");
  edit_.FindNearestEntry();
  EXPECT_EQ(Current(), "MiAlAlAlAl");
  gui_->ExpectMessageBox(IDOK).TextContains("starting with: 'x' OR 'a'='a'");
  edit_.SetTextSilently("x' OR 'a'='a");
  edit_.FindNearestEntry();
  gui_->Verify();
  EXPECT_EQ(Current(), "MiAlAlAlAl");
}

TEST_F(SearchEditTest, ATextThatIsNoNumberRaisesOnANumberField) {
  FillPeople(100);
  OpenPeople(rtTable, "People", "ByAge");
  struct Case {
    const char* field;
    const char* text;
    bool raises;
  } cases[] = {{"Age", "abc", true}, {"Name", "abc", false}, {"Age", "7", false}};
  for (const Case& c : cases) {
    edit_.SetSearchField(c.field);
    edit_.SetTextSilently(c.text);
    const Raised raised = RaisedBy([&] { edit_.FindNearestEntry(); });
    if (c.raises)
      EXPECT_EQ(raised.type, "EVariantError") << c.field << " " << c.text;
    else
      EXPECT_FALSE(raised.Any()) << raised.message;
    if (!c.raises) {
      EXPECT_EQ(Current(c.field), c.field == std::string("Age") ? "7" : "AlAlAlAlAl");
    }
  }
}

TEST_F(SearchEditTest, SilentTextAndMissingTimerSearchNothing) {
  FillPeople(100);
  OpenPeople();
  edit_.SetTextSilently("Mi");
  EXPECT_FALSE(timer_.TEST_Running());
  EXPECT_EQ(edit_.cursorPosition(), 2);
  EXPECT_EQ(Current(), "AlAlAlAlAl");
  // Without a timer typing never searches.
  edit_.SetSearchTimer(nullptr);
  Type("x");
  EXPECT_EQ(Current(), "AlAlAlAlAl");
  // A timer that goes is forgotten.
  auto* timer = new WindowTimer;
  edit_.SetSearchTimer(timer);
  delete timer;
  EXPECT_EQ(edit_.SearchTimer(), nullptr);
  Type("y");
  // Loaded stops the timer and empties the edit without searching.
  edit_.SetSearchTimer(&timer_);
  Type("z");
  edit_.Loaded();
  EXPECT_FALSE(timer_.TEST_Running());
  EXPECT_TRUE(edit_.text().isEmpty());
}

}  // namespace
}  // namespace qb::test
