// Tests of the export: the file's bytes for the separator choices, nulls and values holding a
// separator; whole lines only when a record fails; an empty table; the record the dataset was on;
// and the whole procedure from the viewer's button (destination, options, progress window with
// cancel, summary), including a file that cannot be created.
#include <QLabel>
#include <QToolButton>
#include <filesystem>
#include <vector>

#include "app/dataviewer/data_export.h"
#include "app/dataviewer/data_viewer_form.h"
#include "app/dataviewer/export_summary_form.h"
#include "app/dataviewer/dataviewer_test_support.h"
#include "app/progress/progress_dialog.h"
#include "app/progress/progress_test_support.h"
#include "com/ole_exception.h"
#include "fields/dao_field_registration.h"
#include "framework/data/field.h"
#include "framework/gui/message_box.h"
#include "recordset/dao_recordset.h"

namespace qb::test {
namespace {

class DataExportTest : public DataViewerTest {
 protected:
  void SetUp() override {
    DataViewerTest::SetUp();
    recordset_.SetDAODatabase(db_.get());
    recordset_.SetRecordSetType(rtTable);
    recordset_.SetTableName("People");
    recordset_.Open();
  }
  void TearDown() override {
    recordset_.Close();
    DataViewerTest::TearDown();
  }
  std::string Out() const { return dir_.File("out.txt"); }

  TDAORecordset recordset_;
};

TEST_F(DataExportTest, TheFileHoldsTheHeaderAndOneLinePerRecordWithTheChosenSeparators) {
  struct Case {
    const char* what;
    int field, record;
    const char* field_other;
    const char* record_other;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"tab and CR/LF: the last record ends with CR LF too; null gives nothing", scTab, scCrLf, "", "",
       "Id\tName\tNotes\r\n1\tAnn\tfirst\r\n2\t\tsecond\r\n3\tTab\there\tx\r\n4\tDan\t\r\n"},
      {"Other with an empty edit: no separator at all between values", scOther, scLf, "", "",
       "IdNameNotes\n1Annfirst\n2second\n3Tab\therex\n4Dan\n"},
      {"Other texts as typed", scOther, scOther, ";;", "|", "Id;;Name;;Notes|1;;Ann;;first|2;;;;second|3;;Tab\there;;x|4;;Dan;;|"},
      {"LF/CR", scCr, scLfCr, "", "", "Id\rName\rNotes\n\r1\rAnn\rfirst\n\r2\r\rsecond\n\r3\rTab\there\rx\n\r4\rDan\r\n\r"},
      {"CR/CR", scTab, scCrCr, "", "", "Id\tName\tNotes\r\r1\tAnn\tfirst\r\r2\t\tsecond\r\r3\tTab\there\tx\r\r4\tDan\t\r\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TDataExport exporter(nullptr, "Exporting");
    TExportOptionsDlg options;
    options.FieldList()->setCurrentIndex(c.field);
    options.RecordList()->setCurrentIndex(c.record);
    options.FieldOther()->setText(c.field_other);
    options.RecordOther()->setText(c.record_other);
    exporter.SetSeparators(options.FieldSeparator(), options.RecordSeparator());
    exporter.Export(recordset_, Out(), nullptr);
    EXPECT_EQ(ReadWholeFile(Out()), c.expected);
    EXPECT_EQ(exporter.Exported(), 4);
    EXPECT_EQ(exporter.Failed(), 0);
  }
}

// Memo and currency columns go out through their field classes, as the program registers them.
TEST_F(DataExportTest, MemoAndCurrencyColumnsAreWritten) {
  RegisterDAOFieldClasses();
  recordset_.Close();
  Sql({"CREATE TABLE Notes (Id LONG CONSTRAINT pk PRIMARY KEY, Body MEMO, Price CURRENCY)",
       "INSERT INTO Notes VALUES (1, 'a long note', 12.5)", "INSERT INTO Notes VALUES (2, NULL, 0)"});
  recordset_.SetTableName("Notes");
  recordset_.Open();
  TDataExport exporter(nullptr, "Exporting");
  exporter.SetSeparators(";", "\n");
  exporter.Export(recordset_, Out(), nullptr);
  EXPECT_EQ(exporter.Failed(), 0);
  EXPECT_EQ(exporter.Exported(), 2);
  const std::string text = ReadWholeFile(Out());
  EXPECT_NE(text.find("1;a long note;"), std::string::npos) << text;
  EXPECT_NE(text.find("\n2;;"), std::string::npos) << text;
}

// Every column kind writes the text its field gives as AsString (nulls as nothing), extremes of
// the integer kinds and both yes/no values included.
TEST_F(DataExportTest, EachColumnKindWritesItsFieldsText) {
  RegisterDAOFieldClasses();
  recordset_.Close();
  Sql({"CREATE TABLE Kinds (Id COUNTER CONSTRAINT pk PRIMARY KEY, B BYTE, S SHORT, L LONG, F DOUBLE, "
       "R SINGLE, C CURRENCY, D DATETIME, Y BIT, T TEXT(12))",
       "INSERT INTO Kinds (B, S, L, F, R, C, D, Y, T) VALUES (255, -32768, -2147483648, 0.1, 1.5, "
       "-922337203685477.5808, #1999-12-31 23:59:59#, -1, 'twelve chars')",
       "INSERT INTO Kinds (B, S, L, F, R, C, D, Y, T) VALUES (0, 32767, 2147483647, -1e300, 0, 0, #1899-12-30#, 0, 'a')",
       "INSERT INTO Kinds (Y) VALUES (0)"});
  recordset_.SetTableName("Kinds");
  recordset_.Open();
  std::string expected = "Id,B,S,L,F,R,C,D,Y,T\n";
  for (recordset_.First(); !recordset_.Eof(); recordset_.Next()) {
    for (std::size_t i = 0; i < recordset_.Fields().size(); ++i) {
      const TField* field = recordset_.Fields()[i];
      if (i > 0) expected += ",";
      if (!field->IsNull()) expected += field->AsString();
    }
    expected += "\n";
  }
  EXPECT_NE(expected.find("\n1,255,-32768,-2147483648,"), std::string::npos) << expected;
  EXPECT_NE(expected.find(",True,twelve chars\n"), std::string::npos) << expected;
  TDataExport exporter(nullptr, "Exporting");
  exporter.SetSeparators(",", "\n");
  exporter.Export(recordset_, Out(), nullptr);
  EXPECT_EQ(exporter.Exported(), 3);
  EXPECT_EQ(ReadWholeFile(Out()), expected);
}

TEST_F(DataExportTest, ChoicesAndTheirSeparatorTexts) {
  TExportOptionsDlg options;
  EXPECT_EQ(options.FieldSeparator(), "\t") << "starts with Tab";
  EXPECT_EQ(options.RecordSeparator(), "\r\n") << "starts with CR/LF";
  EXPECT_FALSE(options.FieldOther()->isEnabled());
  options.FieldList()->setCurrentIndex(scOther);
  EXPECT_TRUE(options.FieldOther()->isEnabled());
  EXPECT_FALSE(options.RecordOther()->isEnabled());
  EXPECT_EQ(SeparatorText(-1, "x"), "") << "nothing chosen";
  EXPECT_EQ(SeparatorText(scOther, " , "), " , ");
  EXPECT_EQ(options.size(), QSize(340, 143));
}

// A record whose value cannot be read writes nothing: the next record starts a line of its own.
TEST_F(DataExportTest, AFailedRecordWritesNothingAndCountsAsAnError) {
  TDataExport exporter(nullptr, "Exporting");
  exporter.TEST_BeforeValue = [](int record, int field) {
    if (record == 1 && field == 2) throw EOleException(3021, "cannot read");
  };
  exporter.Export(recordset_, Out(), nullptr);
  EXPECT_EQ(ReadWholeFile(Out()), "Id\tName\tNotes\r\n1\tAnn\tfirst\r\n3\tTab\there\tx\r\n4\tDan\t\r\n");
  EXPECT_EQ(exporter.Exported(), 3);
  EXPECT_EQ(exporter.Failed(), 1);
}

// A device that takes no bytes: the header cannot be written, and that is an error, not success.
TEST_F(DataExportTest, AFileThatTakesNothingRaises) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TDataExport exporter(nullptr, "Exporting");
  EXPECT_THROW(exporter.Export(recordset_, "/dev/full", nullptr), EOleException);
  EXPECT_EQ(exporter.Exported(), 0);
}

TEST_F(DataExportTest, AnEmptyTableGivesTheHeaderOnlyAndTheRecordIsKept) {
  recordset_.Last();
  recordset_.Prior();  // on Id 3
  TDataExport exporter(nullptr, "Exporting");
  exporter.Export(recordset_, Out(), nullptr);
  EXPECT_EQ(recordset_.FieldByName("Id")->AsString(), "3") << "the record before the export";

  Sql({"CREATE TABLE Empty (A LONG, B TEXT(5))"});
  TDAORecordset empty;
  empty.SetDAODatabase(db_.get());
  empty.SetTableName("Empty");
  empty.Open();
  exporter.Export(empty, Out(), nullptr);
  EXPECT_EQ(ReadWholeFile(Out()), "A\tB\r\n");
  EXPECT_EQ(exporter.Exported(), 0);
  EXPECT_EQ(exporter.Failed(), 0);
}

// From the viewer's "Export": destination, options, progress window (Cancel pressed after the
// second record), summary with the count written; the file holds whole lines of those records.
TEST_F(DataExportTest, ExportFromTheViewerCancelledAfterTwoRecords) {
  recordset_.Close();
  ShowDataViewer(db_.get(), "People");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(viewer->RecordSet().Active());
  viewer->RecordSet().Next();  // on Id 2
  viewer->Export().TEST_AfterRecord = [viewer](int record) {
    TProgressDialog* window = viewer->Export().ProgressIndicator().ProgressDialog();
    if (record == 1 && window != nullptr) QTest::mouseClick(window->BtnCancel(), Qt::LeftButton);
  };

  ScriptedGui gui;
  gui.ExpectSaveFile(dir_.File("people")).Check("the export's destination dialog", [](const GuiCall& call) {
    return call.file.title == "Export Data to File" && call.file.default_ext == "TXT" &&
           call.file.filter == "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*" && call.file.overwrite_prompt;
  });
  gui.ExpectModal([&](QDialog& dialog) {
    EXPECT_TRUE(SaveScreenshot(dialog, "dataviewer-export-options"));
    return ChooseSeparators(dialog, scOther, scLf, ",");
  });
  ExpectProgressWindow(gui, "Operation in Progress. Please Wait ...");
  std::string total, errors, file;
  gui.ExpectModal([&](QDialog& dialog) {
    auto* summary = qobject_cast<TFormExportSummary*>(&dialog);
    EXPECT_NE(summary, nullptr);
    if (summary == nullptr) return int(QDialog::Rejected);
    total = summary->TotalLabel()->text().toStdString();
    errors = summary->ErrorsLabel()->text().toStdString();
    file = summary->FileLabel()->text().toStdString();
    dialog.show();
    EXPECT_TRUE(SaveScreenshot(dialog, "dataviewer-export-summary"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    return dialog.result();
  });
  QTest::mouseClick(viewer->ToolButton("BtnExport"), Qt::LeftButton);
  gui.Verify();

  EXPECT_EQ(file, dir_.File("people.TXT")) << "the default extension";
  EXPECT_EQ(total, "2");
  EXPECT_EQ(errors, "0");
  EXPECT_EQ(ReadWholeFile(dir_.File("people.TXT")), "Id,Name,Notes\n1,Ann,first\n2,,second\n");
  EXPECT_EQ(viewer->RecordSet().FieldByName("Id")->AsString(), "2") << "the grid keeps its record";

  // Again: the cancel flag was cleared, so this export runs to the end.
  viewer->Export().TEST_AfterRecord = nullptr;
  gui.ExpectSaveFile(dir_.File("people.TXT"));
  gui.ExpectMessageBox(IDYES).TextContains("people.TXT");
  gui.ExpectModal([](QDialog& dialog) { return ChooseSeparators(dialog, scTab, scCrLf); });
  ExpectProgressWindow(gui, "Please Wait");
  gui.ExpectModal([&](QDialog& dialog) {
    total = static_cast<TFormExportSummary&>(dialog).TotalLabel()->text().toStdString();
    return int(QDialog::Accepted);
  });
  viewer->BtnExportClick();
  gui.Verify();
  EXPECT_EQ(total, "4");
  EXPECT_EQ(ReadWholeFile(dir_.File("people.TXT")).substr(0, 15), "Id\tName\tNotes\r\n");
}

TEST_F(DataExportTest, AFileThatCannotBeCreatedIsReportedAndTheSummaryShowsNothingWritten) {
  recordset_.Close();
  ShowDataViewer(db_.get(), "People");
  TFormDataViewer* viewer = DataViewerInstance();
  ASSERT_NE(viewer, nullptr);
  const std::string path = dir_.File("no such folder/out.TXT");
  ScriptedGui gui;
  gui.ExpectSaveFile(path);
  gui.ExpectModal([](QDialog& dialog) { return ChooseSeparators(dialog, scTab, scCrLf); });
  gui.ExpectModal([&](QDialog& dialog) { return RunModalLoop(dialog); });
  gui.ExpectMessageBox(IDOK).TextContains("cannot be created");
  std::string summary_text;
  gui.ExpectModal([&](QDialog& dialog) {
    auto& summary = static_cast<TFormExportSummary&>(dialog);
    summary_text = summary.TotalLabel()->text().toStdString() + "/" + summary.ErrorsLabel()->text().toStdString();
    return int(QDialog::Accepted);
  });
  viewer->BtnExportClick();
  gui.Verify();
  EXPECT_EQ(summary_text, "0/0");
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace qb::test
