// File dialogs: the filter text converted for Qt, the default extension, and the must-exist and
// overwrite questions that follow the user's choice (through the scripted services).
#include "framework/gui/file_dialog.h"

#include "framework/gui/gui_test_support.h"
#include "support/test_support.h"

namespace qb {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string result;
  for (const std::string& item : items) result += (result.empty() ? "" : " | ") + item;
  return result;
}

TEST(FileFilter, ConvertsToQtNameFilters) {
  struct Case {
    const char* filter;
    const char* qt;
  };
  const Case cases[] = {
      {"", ""},
      {"Workgroup Files|*.mdw", "Workgroup Files (*.mdw)"},
      // a description that already names its patterns is not doubled; "*.*" is every file
      {"MS Access Database (*.MDB)|*.MDB|All Files (*.*)|*.*",
       "MS Access Database (*.MDB) | All Files (*)"},
      {"All Files|*.*", "All Files (*)"},
      // several patterns, blanks around them
      {"Scripts|*.sql; *.ddl ;*.txt", "Scripts (*.sql *.ddl *.txt)"},
      // a description without patterns matches everything; an empty trailing part is dropped
      {"Anything", "Anything (*)"},
      {"Text|*.txt|", "Text (*.txt)"},
      {"|*.log", "(*.log)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Joined(ToQtNameFilters(c.filter)), c.qt) << c.filter;
}

TEST(FileExtension, DefaultExtensionOnlyWhenTheFileNameHasNone) {
  struct Case {
    const char* path;
    const char* ext;
    const char* result;
  };
  const Case cases[] = {
      {"/data/db", "mdb", "/data/db.mdb"},
      {"/data/db", ".mdb", "/data/db.mdb"},
      {"/data/db.MDB", "mdb", "/data/db.MDB"},
      {"/data/db.txt", "mdb", "/data/db.txt"},       // another extension is kept
      {"/data/v1.2/db", "mdb", "/data/v1.2/db.mdb"},  // a dot in a folder is no extension
      {"/data/db.", "mdb", "/data/db.mdb"},           // a trailing dot asks for one
      {"/home/u/.profile", "txt", "/home/u/.profile.txt"},
      {"/data/db", "", "/data/db"},
      {"", "mdb", ""},
      {"/data/", "mdb", "/data/"},
      {"query", "SQL", "query.SQL"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyDefaultExtension(c.path, c.ext), c.result) << c.path << " + " << c.ext;
  }
}

class FileDialogTest : public test::GuiTest {
 protected:
  FileDialogRequest SaveRequest() {
    FileDialogRequest request;
    request.title = "Export Data to File";
    request.filter = "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*";
    request.default_ext = "TXT";
    request.overwrite_prompt = true;
    return request;
  }
  FileDialogRequest OpenRequest() {
    FileDialogRequest request;
    request.title = "Load Query from File";
    request.default_ext = "SQL";
    request.must_exist = true;
    return request;
  }
  test::TempDir dir_;
  ScriptedGui gui_;
};

TEST_F(FileDialogTest, SaveAddsTheExtensionAndAsksNothingForANewFile) {
  gui_.ExpectSaveFile(dir_.File("export")).Caption("Export Data to File");
  EXPECT_EQ(Gui().SaveFileDialog(SaveRequest()), std::optional<std::string>(dir_.File("export.TXT")));
  EXPECT_EQ(gui_.Calls()[0].file.filter, "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*");
  gui_.Verify();
}

TEST_F(FileDialogTest, SaveOverAnExistingFileAsksAndNoMeansCancelled) {
  test::WriteFileBytes(dir_.File("export.TXT"), "old");
  // the typed name lacks the extension: the question is about the file that would be replaced
  gui_.ExpectSaveFile(dir_.File("export"));
  gui_.ExpectMessageBox(IDNO)
      .Text(dir_.File("export.TXT") + " already exists.\nDo you want to replace it?")
      .Caption("Export Data to File")
      .Flags(MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  EXPECT_EQ(Gui().SaveFileDialog(SaveRequest()), std::nullopt);

  gui_.ExpectSaveFile(dir_.File("export.TXT"));
  gui_.ExpectMessageBox(IDYES);
  EXPECT_EQ(Gui().SaveFileDialog(SaveRequest()), std::optional<std::string>(dir_.File("export.TXT")));
  EXPECT_EQ(test::ReadFileBytes(dir_.File("export.TXT")), "old");  // the dialog writes nothing

  FileDialogRequest request = SaveRequest();  // without the prompt nothing is asked
  request.overwrite_prompt = false;
  gui_.ExpectSaveFile(dir_.File("export.TXT"));
  EXPECT_EQ(Gui().SaveFileDialog(request), std::optional<std::string>(dir_.File("export.TXT")));
  gui_.Verify();
}

TEST_F(FileDialogTest, CancelOrEmptyNameGivesNothing) {
  gui_.ExpectSaveFile(std::nullopt);
  gui_.ExpectOpenFile("");
  EXPECT_EQ(Gui().SaveFileDialog(SaveRequest()), std::nullopt);
  EXPECT_EQ(Gui().OpenFileDialog(OpenRequest()), std::nullopt);
  gui_.Verify();
}

TEST_F(FileDialogTest, OpenOfAMissingFileOrAFolderIsReportedAndGivesNothing) {
  gui_.ExpectOpenFile(dir_.File("missing.SQL"));
  gui_.ExpectMessageBox(IDOK).TextContains("File not found").Caption("Load Query from File");
  gui_.ExpectOpenFile(dir_.Path().string() + "/");
  gui_.ExpectMessageBox(IDOK).TextContains("File not found");
  EXPECT_EQ(Gui().OpenFileDialog(OpenRequest()), std::nullopt);
  EXPECT_EQ(Gui().OpenFileDialog(OpenRequest()), std::nullopt);
  gui_.Verify();
}

TEST_F(FileDialogTest, OpenFindsTheFileNamedWithoutItsExtension) {
  test::WriteFileBytes(dir_.File("query.SQL"), "SELECT 1");
  gui_.ExpectOpenFile(dir_.File("query"));
  EXPECT_EQ(Gui().OpenFileDialog(OpenRequest()), std::optional<std::string>(dir_.File("query.SQL")));
  // without must-exist, a missing file is returned as chosen
  FileDialogRequest request = OpenRequest();
  request.must_exist = false;
  gui_.ExpectOpenFile(dir_.File("new"));
  EXPECT_EQ(Gui().OpenFileDialog(request), std::optional<std::string>(dir_.File("new.SQL")));
  gui_.Verify();
}

}  // namespace
}  // namespace qb
