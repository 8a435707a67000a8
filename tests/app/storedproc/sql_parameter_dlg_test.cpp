// Tests of the SQL parameter dialog on real database files, driven with real key and mouse
// events inside the modal run: the list and the shown types of each parameter, values typed
// and set on leaving "Value:" or on Enter, refused texts, the recordset's parameter hook the
// utility installs at start-up, and the errors raised before any dialog shows.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/catalog_window_support.h"
#include "app/startup/startup.h"
#include "app/storedproc/sql_parameter_dlg.h"
#include "core/format_settings.h"
#include "core/resource_strings.h"
#include "framework/gui/message_box.h"
#include "jet/dao/querydef.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_recordset.h"
#include "recordset/sql_parameter_hook.h"

namespace qb::test {
namespace {

class SQLParameterDlgTest : public CatalogWindowTest {
 protected:
  void SetUp() override {
    CatalogWindowTest::SetUp();
    Sql({"CREATE TABLE Orders (OrderID LONG PRIMARY KEY, City TEXT(30), Amount CURRENCY, Rush BIT)",
         "INSERT INTO Orders VALUES (1, 'Oslo', 10, True)", "INSERT INTO Orders VALUES (2, 'Oslo', 250, False)",
         "INSERT INTO Orders VALUES (3, 'Rome', 300, True)", "INSERT INTO Orders VALUES (4, 'Oslo', 400, True)"});
    auto queries = db_->QueryDefs();
    queries->Append(std::make_shared<jet::QueryDef>(
        "ByCity",
        "PARAMETERS [Town] Text(30), [Min Amount] Currency, Flag Bit, N Short, D DateTime, X Double; "
        "SELECT OrderID FROM Orders WHERE City = Town AND Amount >= [Min Amount] AND Rush = Flag "
        "AND OrderID > N - 100 AND D IS NOT NULL AND X IS NOT NULL AND Implicit IS NULL"));
    queries->Append(
        std::make_shared<jet::QueryDef>("OneLong", "PARAMETERS N Long; SELECT OrderID FROM Orders WHERE OrderID >= N"));
    recordset_.SetName("DAORecordset1");
    recordset_.SetDAODatabase(db_.get());
    recordset_.SetRecordSetType(rtStoredProcedure);
  }
  void TearDown() override {
    recordset_.SetDAODatabase(nullptr);
    CatalogWindowTest::TearDown();
  }
  // The parameter NAME of saved query QUERY as the recordset opens it.
  Variant ValueOf(const std::string& query, const std::string& name) {
    return db_->QueryDefs()->Item(std::string_view(query))->Parameters()->Item(std::string_view(name))->Value();
  }
  static QListWidget* List(QDialog& dialog) { return Child<QListWidget>(dialog, "ParameterList"); }
  static QLineEdit* Value(QDialog& dialog) { return Child<QLineEdit>(dialog, "EditParamValue"); }
  // Clicks entry ROW of the parameter list, then replaces the value's text with TEXT by typing.
  static void TypeValue(QDialog& dialog, int row, const QString& text) {
    QListWidget* list = List(dialog);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    QTest::mouseClick(Value(dialog), Qt::LeftButton);
    QTest::keyClick(Value(dialog), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Value(dialog), text);
  }
  // Shows the dialog for the recordset through the hook the start sequence installs; HANDLER
  // answers it. Returns the modal result.
  int RunThroughHook(ScriptedGui& gui, std::function<int(QDialog&)> handler) {
    int result = -1;
    gui.ExpectModal([&](QDialog& dialog) {
      QApplication::setActiveWindow(&dialog);  // focus changes need an active window
      return result = handler(dialog);
    }).Text("TSQLParameterDlg");
    EXPECT_TRUE(CallEditSQLParametersHook(recordset_));
    return result;
  }

  TDAORecordset recordset_;
};

TEST_F(SQLParameterDlgTest, ListsEveryParameterWithItsTypesAndOnlyTheValueCanBeEntered) {
  recordset_.SetTableName("ByCity");
  ScriptedGui gui;
  TSQLParameterDlg dialog;
  dialog.SetRecordset(recordset_);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  EXPECT_EQ(dialog.windowTitle(), "SQL Parameter of Recordset: DAORecordset1");
  EXPECT_EQ(dialog.size(), QSize(350, 280));
  EXPECT_EQ(dialog.minimumSize(), QSize(200, 190));
  EXPECT_EQ(ListState(*List(dialog)), "[Town] Min Amount Flag N D X Implicit");
  EXPECT_EQ(Child<QComboBox>(dialog, "ComboBoxDataType")->count(), 23);
  EXPECT_EQ(Child<QComboBox>(dialog, "ComboBoxParametertype")->count(), 5);
  for (const char* disabled : {"CheckBoxBound", "ComboBoxDataType", "ComboBoxParametertype", "CheckBoxNullValue",
                               "BtnCancel"}) {
    EXPECT_FALSE(Child<QWidget>(dialog, disabled)->isEnabled()) << disabled;
  }
  EXPECT_TRUE(Value(dialog)->isEnabled());

  // Each key press in the list shows the parameter it moved to.
  const char* const shown[] = {"ftString", "ftCurrency", "ftBoolean", "ftInteger", "ftDate", "ftFloat", "ftString"};
  List(dialog)->setFocus();
  for (int row = 0; row < 7; ++row) {
    if (row > 0) QTest::keyClick(List(dialog), Qt::Key_Down);
    EXPECT_EQ(Child<QComboBox>(dialog, "ComboBoxDataType")->currentText(), shown[row]) << row;
    EXPECT_EQ(Child<QComboBox>(dialog, "ComboBoxParametertype")->currentText(), "ptInput");
    EXPECT_EQ(Value(dialog)->text(), "");
    EXPECT_TRUE(Child<QCheckBox>(dialog, "CheckBoxNullValue")->isChecked()) << "no value yet";
  }
  gui.Verify();
}

// The values typed reach the very parameters the recordset opens the saved query with, and
// the rows are the ones they select. The last value is confirmed with Enter without leaving
// "Value:" first: that value must be set too.
TEST_F(SQLParameterDlgTest, TypedValuesAreSetOnLeavingAndOnEnterAndSelectTheRows) {
  FormatSettings settings;  // "." before fractions, month first
  ScopedFormatSettings scope(settings);
  ScriptedGui gui;
  auto previous = SetEditSQLParametersHook(nullptr);
  auto window = StartApplication([] { return true; }, [] { return std::make_unique<QWidget>(); });
  recordset_.SetTableName("ByCity");
  const int result = RunThroughHook(gui, [&](QDialog& dialog) {
    const std::pair<int, const char*> typed[] = {{0, "Oslo"}, {1, "250"}, {2, "W"}, {3, "99"},
                                                 {4, "1/2/2026"}, {5, "2.5"}, {6, "ignored"}};
    for (const auto& [row, text] : typed) {
      TypeValue(dialog, row, text);
      if (row < 6) QTest::keyClick(Value(dialog), Qt::Key_Tab);  // leaves "Value:"
    }
    // The implicit one must stay Null for the rows: clear it and confirm with Enter.
    QTest::keyClick(Value(dialog), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Value(dialog), Qt::Key_Delete);
    QTest::keyClick(Value(dialog), Qt::Key_Return);
    return dialog.result();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(ValueOf("ByCity", "Town"), Variant("Oslo"));
  EXPECT_EQ(ValueOf("ByCity", "Min Amount"), Variant(Currency::FromInteger(250)));
  EXPECT_EQ(ValueOf("ByCity", "Flag"), Variant(true));
  EXPECT_EQ(ValueOf("ByCity", "N"), Variant(99));
  EXPECT_EQ(ValueOf("ByCity", "X"), Variant(2.5));
  EXPECT_EQ(ValueOf("ByCity", "Implicit"), Variant(""));
  gui.Verify();

  // An empty text is no Null: the implicit parameter given Null by the engine's own means.
  db_->QueryDefs()->Item(std::string_view("ByCity"))->Parameters()->Item(std::string_view("Implicit"))->SetValue(
      Variant::Null());
  auto rows = db_->QueryDefs()->Item(std::string_view("ByCity"))->OpenRecordset();
  std::vector<int> ids;
  for (; !rows->Eof(); rows->MoveNext()) ids.push_back(rows->Fields()->Item(0)->Value().ToInt32());
  EXPECT_EQ(ids, (std::vector<int>{4}));
  SetEditSQLParametersHook(previous);
}

TEST_F(SQLParameterDlgTest, ARefusedTextLeavesTheValueAndKeepsTheDialogOpen) {
  db_->QueryDefs()->Item(std::string_view("OneLong"))->Parameters()->Item(0)->SetValue(Variant(5));
  recordset_.SetTableName("OneLong");
  ScriptedGui gui;
  TSQLParameterDlg dialog;
  dialog.SetRecordset(recordset_);
  gui.ExpectModal([&](QDialog& shown) {
    QApplication::setActiveWindow(&shown);
    EXPECT_EQ(Value(shown)->text(), "5");
    EXPECT_FALSE(Child<QCheckBox>(shown, "CheckBoxNullValue")->isChecked());
    TypeValue(shown, 0, "12x");
    QTest::keyClick(Value(shown), Qt::Key_Tab);
    EXPECT_EQ(ValueOf("OneLong", "N"), Variant(5)) << "a refused text changes nothing";
    QTest::mouseClick(Child<QPushButton>(shown, "BtnOk"), Qt::LeftButton);
    EXPECT_EQ(shown.result(), 0) << "closing would drop what was typed";
    EXPECT_TRUE(shown.isVisible());
    TypeValue(shown, 0, "7");
    QTest::keyClick(Value(shown), Qt::Key_Return);
    return shown.result();
  });
  gui.ExpectMessageBox(IDOK).TextContains("'12x' is not a valid integer");  // leaving "Value:"
  gui.ExpectMessageBox(IDOK).TextContains("'12x' is not a valid integer");  // pressing "&Ok"
  EXPECT_EQ(Gui().RunModal(dialog), QDialog::Accepted);
  EXPECT_EQ(ValueOf("OneLong", "N"), Variant(7));
  gui.Verify();
}

// The dialog closed with Escape sets nothing: a value typed and set on leaving "Value:" goes
// back to what it was, so the saved query still lacks it and does not open.
TEST_F(SQLParameterDlgTest, EscapePutsTheValuesBackAndNothingOpens) {
  auto previous = SetEditSQLParametersHook([](TDAORecordset& recordset) { EditSQLParameters(recordset); });
  recordset_.SetTableName("OneLong");
  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK).TextContains("SQL Parameter 'N'");
  gui.ExpectModal([&](QDialog& dialog) {
    QApplication::setActiveWindow(&dialog);
    TypeValue(dialog, 0, "2");
    QTest::keyClick(Value(dialog), Qt::Key_Tab);
    EXPECT_EQ(ValueOf("OneLong", "N"), Variant(2)) << "set on leaving";
    QTest::mouseClick(Value(dialog), Qt::LeftButton);
    QTest::keyClick(Value(dialog), Qt::Key_Escape);
    return dialog.result();
  });
  recordset_.Open();
  gui.Verify();
  EXPECT_FALSE(recordset_.Active());
  EXPECT_TRUE(ValueOf("OneLong", "N").IsEmpty());
  SetEditSQLParametersHook(previous);
}

TEST_F(SQLParameterDlgTest, MissingDatabaseOrNameRaisesBeforeAnyDialog) {
  ScriptedGui gui;  // no dialog may be shown
  auto message_of = [&] {
    try {
      EditSQLParameters(recordset_);
    } catch (const Exception& error) {
      return std::string(error.what());
    }
    return std::string("nothing raised");
  };
  recordset_.SetTableName("");
  EXPECT_NE(message_of().find(ResString(kResStoredProcNameEmpty)), std::string::npos);
  recordset_.SetTableName("NoSuchQuery");
  EXPECT_NE(message_of().find("NoSuchQuery"), std::string::npos);
  recordset_.SetDAODatabase(nullptr);
  EXPECT_NE(message_of().find("DAODatabase"), std::string::npos);
  gui.Verify();
}

TEST_F(SQLParameterDlgTest, Screenshot) {
  auto parameters = db_->QueryDefs()->Item(std::string_view("ByCity"))->Parameters();
  parameters->Item(std::string_view("Min Amount"))->SetValue(Variant(Currency::FromInteger(250)));
  recordset_.SetTableName("ByCity");
  ScriptedGui gui;
  TSQLParameterDlg dialog;
  dialog.SetRecordset(recordset_);
  List(dialog)->setCurrentRow(1);
  EXPECT_TRUE(SaveScreenshot(dialog, "storedproc-parameters"));
  gui.Verify();
}

}  // namespace
}  // namespace qb::test
