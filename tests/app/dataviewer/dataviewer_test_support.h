// Helpers of the data viewer and export tests: a database with a small People table (nulls and
// a value holding a tab), reading a file back whole, and scripting the export's
// dialogs.
#pragma once
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <sstream>
#include <string>

#include "app/catalog_window_support.h"
#include "app/dataviewer/data_viewer_form.h"
#include "app/dataviewer/export_options_dlg.h"
#include "app/toolwindows/tool_windows.h"

namespace qb::test {

class DataViewerTest : public CatalogWindowTest {
 protected:
  void SetUp() override {
    CatalogWindowTest::SetUp();
    TEST_SetToolWindowCallHook(nullptr);  // the real viewer opens
    Sql({"CREATE TABLE People (Id LONG CONSTRAINT pk PRIMARY KEY, Name TEXT(40), Notes TEXT(40))",
         "INSERT INTO People VALUES (1, 'Ann', 'first')", "INSERT INTO People VALUES (2, NULL, 'second')",
         "INSERT INTO People VALUES (3, 'Tab\there', 'x')", "INSERT INTO People VALUES (4, 'Dan', NULL)"});
  }
};

// Runs the events until VIEWER painted its rows and took its deferred count; false when the
// count never came.
inline bool WaitForCount(TFormDataViewer& viewer) {
  for (int i = 0; i < 1000 && viewer.CountPending(); ++i) QCoreApplication::processEvents();
  return !viewer.CountPending();
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// In the options dialog DIALOG: chooses FIELD and RECORD (positions in the lists) with the
// keyboard, types the "Other:" texts and presses Ok with the mouse.
inline int ChooseSeparators(QDialog& dialog, int field, int record, const std::string& field_other = {},
                            const std::string& record_other = {}) {
  auto* options = qobject_cast<TExportOptionsDlg*>(&dialog);
  EXPECT_NE(options, nullptr) << "not the options dialog";
  if (options == nullptr) return QDialog::Rejected;
  auto choose = [](QComboBox* list, int position) {
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < position; ++i) QTest::keyClick(list, Qt::Key_Down);
  };
  choose(options->FieldList(), field);
  choose(options->RecordList(), record);
  if (!field_other.empty()) QTest::keyClicks(options->FieldOther(), QString::fromStdString(field_other));
  if (!record_other.empty()) QTest::keyClicks(options->RecordOther(), QString::fromStdString(record_other));
  QTest::mouseClick(options->findChild<QPushButton*>("BtnOk"), Qt::LeftButton);
  return dialog.result();
}

}  // namespace qb::test
