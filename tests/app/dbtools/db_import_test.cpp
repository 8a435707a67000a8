// The database tools window's "Import Database ...": a genuine file chosen, the free name beside it
// proposed, the import under the progress window and its summary; a cancelled question and a
// destination that exists change nothing. Also the free-name rule itself.
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/dbtools/db_import.h"
#include "app/dbtools/db_tools_dlg.h"
#include "app/dbtools/dbtools_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "app/progress/progress_test_support.h"
#include "framework/gui/message_box.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

using DBImportTest = DBToolsTest;

TEST_F(DBImportTest, ImportsTheChosenFileIntoTheChosenNewOne) {
  const std::string source = dir_.File("Assets.accdb");
  fs::copy_file(TestDataPath("jet/ASampleDatabase.accdb"), source);
  TDBToolsDlg dialog(engine_.get());
  dialog.show();
  SaveScreenshot(dialog, "dbtools-import");
  ScriptedGui gui;
  gui.ExpectOpenFile(source).Caption("Select Database to Import");
  gui.ExpectSaveFile(std::nullopt).Caption("Import into New Database").Check("proposes the free name beside it", [&](const GuiCall& call) {
    return call.file.file_name == dir_.File("Assets.imported.mdb");
  });
  dialog.findChild<QPushButton*>("BtnImport")->click();
  gui.Verify();
  EXPECT_FALSE(fs::exists(dir_.File("Assets.imported.mdb")));

  const std::string destination = dir_.File("mine.mdb");
  gui.ExpectOpenFile(source);
  gui.ExpectSaveFile(destination);
  ExpectProgressWindow(gui, "Importing Assets.accdb");
  gui.ExpectMessageBox(IDOK).TextContains("1 tables with 65 rows, 0 relationships and 3 queries.\n\nNothing was left out.");
  dialog.findChild<QPushButton*>("BtnImport")->click();
  gui.Verify();
  auto database = Open(destination);
  EXPECT_EQ(database->OpenRecordset("SELECT * FROM [Asset Items]", 4)->RecordCount(), 65);
  database->Close();

  // Again into the same file: refused, the file kept as it is.
  const std::string made = ReadFileBytes(destination);
  gui.ExpectOpenFile(source);
  gui.ExpectSaveFile(destination);
  ExpectProgressWindow(gui, "Importing Assets.accdb");
  gui.ExpectMessageBox(IDOK).TextContains("already exists");
  dialog.findChild<QPushButton*>("BtnImport")->click();
  gui.Verify();
  EXPECT_EQ(ReadFileBytes(destination), made);
}

TEST(FreeImportNameTest, TakesTheFirstNameNotInUse) {
  TempDir dir;
  const std::string original = dir.File("Shop.accdb");
  EXPECT_EQ(FreeImportName(original), dir.File("Shop.imported.mdb"));
  std::ofstream(dir.File("Shop.imported.mdb")) << "x";
  EXPECT_EQ(FreeImportName(original), dir.File("Shop.imported.2.mdb"));
  fs::create_directory(dir.File("Shop.imported.2.mdb"));  // anything by that name counts
  fs::create_symlink(dir.File("gone"), dir.File("Shop.imported.3.mdb"));
  EXPECT_EQ(FreeImportName(original), dir.File("Shop.imported.4.mdb"));
}

}  // namespace
}  // namespace qb::test
