// Tests of the database tools window on real files: each tool really changes the file it is
// pointed at (compacted, encrypted, decrypted, re-sorted, converted, password-protected,
// repaired, created), the rebuilt copy takes the first free temporary name and replaces the
// original only when it opens, cancelling any question changes nothing, and the engine's
// refusals reach the default exception display with the original untouched. The long tools run
// inside the progress window.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/dbtools/db_options_dlg.h"
#include "app/dbtools/db_tools_dlg.h"
#include "app/dbtools/dbtools_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "app/progress/progress_test_support.h"
#include "framework/gui/message_box.h"
#include "jet/base/errors.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

class DBToolsDlgTest : public DBToolsTest {
 protected:
  // Presses BUTTON, one of the rebuilding tools, choosing PATH in the file dialog titled
  // TITLE and answering the current-password question with PASSWORD; the compact runs in the
  // progress window. THEN scripts what comes after the window (an error box).
  void RunTool(TDBToolsDlg& dialog, const char* button, const std::string& title, const std::string& path,
               const std::string& password = {}, const std::function<void(ScriptedGui&)>& then = {}) {
    ScriptedGui gui;
    gui.ExpectOpenFile(path).Caption(title);
    gui.ExpectModal([&](QDialog& question) {
      EXPECT_EQ(question.windowTitle(), "Enter Current Database Password");
      return AnswerPassword(question, password);
    });
    ExpectCompactWindow(gui, path);
    if (then) then(gui);
    Child(dialog, button)->click();
    gui.Verify();
  }

  // Scripts the progress window of the compact of PATH: the file's name in its message, the
  // cancel button shown but out of use.
  static void ExpectCompactWindow(ScriptedGui& gui, const std::string& path) {
    ExpectProgressWindow(gui, "Compacting " + fs::path(path).filename().string(), [](TProgressDialog& window) {
      EXPECT_TRUE(window.BtnCancel()->isVisible());
      EXPECT_FALSE(window.BtnCancel()->isEnabled());
    });
  }

  static bool ProgressWindowExists() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (qobject_cast<TProgressDialog*>(widget) != nullptr) return true;
    }
    return false;
  }

  // The files of the test folder whose names start with "TempDB_".
  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Path())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("TempDB_", 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(DBToolsDlgTest, ActivatesAnInactiveEngineOnlyForItsOwnLifetime) {
  struct Case {
    bool active_before;
  };
  for (const Case& c : {Case{false}, Case{true}}) {
    SCOPED_TRACE(c.active_before ? "active" : "inactive");
    engine_->SetActive(c.active_before);
    {
      TDBToolsDlg dialog(engine_.get());
      EXPECT_TRUE(engine_->Active());
      EXPECT_EQ(dialog.EngineWasActive(), c.active_before);
    }
    EXPECT_EQ(engine_->Active(), c.active_before);
  }
}

TEST_F(DBToolsDlgTest, ShowDBToolsDlgRunsTheWindowModally) {
  ScriptedGui gui;
  gui.ExpectModal([&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName(), "TDBToolsDlg");
    EXPECT_TRUE(Child(dialog, "BtnClose")->isDefault());
    SaveScreenshot(dialog, "dbtools-window");
    Child(dialog, "BtnClose")->click();
    return dialog.result();
  }).Caption("Database Tools");
  ShowDBToolsDlg(engine_.get());
  ShowDBToolsDlg(nullptr);  // no engine: no window
  gui.Verify();
  EXPECT_FALSE(engine_->Active()) << "the window activated it and gave it back";
}

TEST_F(DBToolsDlgTest, CompactShrinksTheFileInPlaceUnderTheFirstFreeTemporaryName) {
  const std::string path = MakeDatabase("big.mdb", "1033", 10);
  Open(path)->Execute("DELETE FROM Names WHERE Name LIKE 'row-*'");
  for (int n = 1; n <= 3; ++n) WriteFileBytes(dir_.File("TempDB_" + std::to_string(n) + ".mdb"), "someone's");
  const auto size_before = fs::file_size(path);

  TDBToolsDlg dialog(engine_.get());
  RunTool(dialog, "BtnCompact", "Select Database to compact", path);

  EXPECT_LT(fs::file_size(path) * 2, size_before) << "the deleted rows' space is gone";
  EXPECT_EQ(SortedNames(path), (std::vector<std::string>{"Apple", "Ärlig", "Quokka-7731", "Zebra"}));
  EXPECT_EQ(TempFiles(), (std::vector<std::string>{"TempDB_1.mdb", "TempDB_2.mdb", "TempDB_3.mdb"}))
      << "TempDB_4.mdb was used and renamed; the others were left alone";
  EXPECT_EQ(ReadFileBytes(dir_.File("TempDB_2.mdb")), "someone's");
  EXPECT_EQ(dialog.DBOpenDialog().filter, "MS Access Databases (*.mdb)|*.mdb");
  EXPECT_TRUE(dialog.DBOpenDialog().must_exist);
}

TEST_F(DBToolsDlgTest, EncryptHidesTheRowsAndDecryptShowsThemAgain) {
  const std::string path = MakeDatabase("secret.mdb");
  ASSERT_TRUE(BytesContain(path, "Quokka-7731"));
  TDBToolsDlg dialog(engine_.get());

  RunTool(dialog, "BtnEncrypt", "Select Database to Encrypt", path);
  EXPECT_FALSE(BytesContain(path, "Quokka-7731"));
  EXPECT_EQ(SortedNames(path).size(), kSampleNames.size()) << "opens without a password, every row there";

  RunTool(dialog, "BtnDecrypt", "Select Database to Decrypt", path);
  EXPECT_TRUE(BytesContain(path, "Quokka-7731"));
  EXPECT_EQ(SortedNames(path).size(), kSampleNames.size());
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(DBToolsDlgTest, ChangeSortOrderReordersTextByTheChosenOrder) {
  const std::string path = MakeDatabase("sorted.mdb");
  ASSERT_EQ(SortedNames(path), (std::vector<std::string>{"Apple", "Ärlig", "Quokka-7731", "Zebra"}));
  TDBToolsDlg dialog(engine_.get());

  ScriptedGui gui;
  gui.ExpectModal([](QDialog& options) {
    auto* combo = Child<QComboBox>(options, "ComboBoxSortOrder");
    EXPECT_EQ(options.windowTitle(), "Select Database Sort Order");
    EXPECT_EQ(combo->currentText(), "General") << "1033 preselected";
    combo->setCurrentIndex(combo->findText("Swedish / Finnish"));
    SaveScreenshot(options, "dbtools-sort-order");
    Child(options, "BtnOk")->click();
    return options.result();
  });
  gui.ExpectOpenFile(path).Caption("Select Database for which to change the Sort Order");
  gui.ExpectModal([](QDialog& question) { return AnswerPassword(question, ""); });
  ExpectCompactWindow(gui, path);
  Child(dialog, "BtnChangeSortOrder")->click();
  gui.Verify();

  EXPECT_EQ(SortedNames(path), (std::vector<std::string>{"Apple", "Quokka-7731", "Zebra", "Ärlig"}));
  EXPECT_EQ(Open(path)->CollatingOrder(), 1053);
}

TEST_F(DBToolsDlgTest, ConvertWritesTheChosenVersion) {
  const std::string path = MakeDatabase("old.mdb");
  TDBToolsDlg dialog(engine_.get());

  ScriptedGui gui;
  gui.ExpectModal([](QDialog& options) {
    auto* combo = Child<QComboBox>(options, "ComboBoxSortOrder");
    EXPECT_EQ(options.windowTitle(), "Select Jet Version to Convert to");
    EXPECT_EQ(combo->currentText(), "Jet Version 3.0") << "32 preselected";
    combo->setCurrentIndex(combo->findText("Jet Version 2.0"));
    Child(options, "BtnOk")->click();
    return options.result();
  });
  gui.ExpectOpenFile(path).Caption("Select Database to Convert");
  gui.ExpectModal([](QDialog& question) { return AnswerPassword(question, ""); });
  ExpectCompactWindow(gui, path);
  Child(dialog, "BtnConvert")->click();
  gui.Verify();

  EXPECT_EQ(Open(path)->Version(), "2.0");
  EXPECT_EQ(SortedNames(path).size(), kSampleNames.size());
}

TEST_F(DBToolsDlgTest, SetPasswordProtectsTheFileAndAnEmptyOneRemovesIt) {
  const std::string path = MakeDatabase("locked.mdb");
  TDBToolsDlg dialog(engine_.get());
  auto set_password = [&](const std::string& new_password, const std::string& current) {
    ScriptedGui gui;
    gui.ExpectModal([&](QDialog& question) {
      EXPECT_EQ(question.windowTitle(), "Enter New Database Password");
      EXPECT_EQ(Child<QLineEdit>(question, "EditPassword")->text(), "");
      EXPECT_EQ(Child<QLineEdit>(question, "EditPassword")->echoMode(), QLineEdit::Password);
      return AnswerPassword(question, new_password);
    });
    gui.ExpectOpenFile(path).Caption("Select Database for which to change the Password");
    gui.ExpectModal([&](QDialog& question) {
      EXPECT_EQ(question.windowTitle(), "Enter Current Database Password");
      EXPECT_EQ(Child<QLineEdit>(question, "EditPassword")->text(), "") << "nothing offered here";
      return AnswerPassword(question, current);
    });
    ExpectCompactWindow(gui, path);
    Child(dialog, "BtnSetPassword")->click();
    gui.Verify();
  };

  set_password("n3w-pw", "");
  EXPECT_EQ(OpenError(path), jet::err::kBadPassword);
  EXPECT_EQ(OpenError(path, ";pwd=n3w-pw"), 0);
  EXPECT_FALSE(BytesContain(path, "Quokka-7731"));

  set_password("", "n3w-pw");
  EXPECT_EQ(OpenError(path), 0);
  EXPECT_TRUE(BytesContain(path, "Quokka-7731"));
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(DBToolsDlgTest, CompactOffersTheLoginPasswordAndKeepsTheFilesPassword) {
  const std::string path = MakeDatabase("guarded.mdb", "1033;pwd=gu4rd");
  engine_->SetDefaultPassword("gu4rd");
  TDBToolsDlg dialog(engine_.get());

  ScriptedGui gui;
  gui.ExpectOpenFile(path);
  gui.ExpectModal([](QDialog& question) {
    EXPECT_EQ(Child<QLineEdit>(question, "EditPassword")->text(), "gu4rd");
    SaveScreenshot(question, "dbtools-password");
    Child(question, "BtnOk")->click();
    return question.result();
  });
  ExpectCompactWindow(gui, path);
  Child(dialog, "BtnCompact")->click();
  gui.Verify();

  EXPECT_EQ(OpenError(path), jet::err::kBadPassword);
  EXPECT_EQ(SortedNames(path, ";pwd=gu4rd").size(), kSampleNames.size());
}

TEST_F(DBToolsDlgTest, CancellingAnyQuestionChangesNothing) {
  const std::string path = MakeDatabase("kept.mdb");
  const std::string bytes = ReadFileBytes(path);
  TDBToolsDlg dialog(engine_.get());
  struct Case {
    const char* what;
    const char* button;
    std::function<void(ScriptedGui&)> script;
  };
  auto cancel = [](QDialog& window) { return PressCancelButton(window); };
  const std::vector<Case> cases = {
      {"file choice", "BtnCompact", [](ScriptedGui& gui) { gui.ExpectOpenFile(std::nullopt); }},
      {"current password", "BtnEncrypt",
       [&](ScriptedGui& gui) {
         gui.ExpectOpenFile(path);
         gui.ExpectModal(cancel);
       }},
      {"sort order", "BtnChangeSortOrder", [&](ScriptedGui& gui) { gui.ExpectModal(cancel); }},
      {"version", "BtnConvert", [&](ScriptedGui& gui) { gui.ExpectModal(cancel); }},
      {"repair file", "BtnRepair", [](ScriptedGui& gui) { gui.ExpectOpenFile(std::nullopt); }},
      // A cancelled new password must not go on to take the file's password away.
      {"new password", "BtnSetPassword", [&](ScriptedGui& gui) { gui.ExpectModal(cancel); }},
      {"password file", "BtnSetPassword",
       [&](ScriptedGui& gui) {
         gui.ExpectModal([](QDialog& q) { return AnswerPassword(q, "x"); });
         gui.ExpectOpenFile(std::nullopt);
       }},
      {"password current", "BtnSetPassword",
       [&](ScriptedGui& gui) {
         gui.ExpectModal([](QDialog& q) { return AnswerPassword(q, "x"); });
         gui.ExpectOpenFile(path);
         gui.ExpectModal(cancel);
       }},
      {"create file", "BtnCreate", [](ScriptedGui& gui) { gui.ExpectSaveFile(std::nullopt); }},
      {"create settings", "BtnCreate",
       [&](ScriptedGui& gui) {
         gui.ExpectSaveFile(dir_.File("new.mdb"));
         gui.ExpectModal(cancel);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedGui gui;
    c.script(gui);
    Child(dialog, c.button)->click();
    gui.Verify();
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_FALSE(fs::exists(dir_.File("new.mdb")));
    EXPECT_TRUE(TempFiles().empty());
  }
}

TEST_F(DBToolsDlgTest, RepairSalvagesATruncatedFileInPlace) {
  const std::string path = MakeDatabase("broken.mdb", "1033", 9);
  const std::string bytes = ReadFileBytes(path);
  WriteFileBytes(path, bytes.substr(0, bytes.size() / 4096 * 2 / 3 * 4096));
  TDBToolsDlg dialog(engine_.get());

  ScriptedGui gui;
  gui.ExpectOpenFile(path).Caption("Select Database to Repair");
  ExpectProgressWindow(gui, "Repairing broken.mdb");
  Child(dialog, "BtnRepair")->click();
  gui.Verify();

  EXPECT_TRUE(fs::exists(path + ".damaged")) << "the damaged file is kept beside it";
  auto database = Open(path);
  auto rows = database->OpenRecordset("SELECT Count(*) FROM Names", 4);
  const int count = rows->Fields()->Item(0)->Value().ToInt32();
  EXPECT_GT(count, 100);
  EXPECT_LT(count, 2048);
}

TEST_F(DBToolsDlgTest, CreateMakesTheDatabaseWithTheChosenSettings) {
  TDBToolsDlg dialog(engine_.get());
  EXPECT_EQ(dialog.SelectDBFileDlg().filter, "MS Access Database (*.MDB)|*.MDB|All Files (*.*)|*.*");
  EXPECT_TRUE(dialog.SelectDBFileDlg().overwrite_prompt);
  struct Case {
    const char* file;
    const char* sort_order;
    bool encrypt;
    const char* password;
    int collating_order;
  };
  for (const Case& c : {Case{"plain.mdb", nullptr, false, "", 1033}, Case{"greek.mdb", "Greek", true, "", 1032},
                        Case{"guarded.mdb", "Turkish", false, "t0p", 1055}}) {
    SCOPED_TRACE(c.file);
    const std::string path = dir_.File(c.file);
    ScriptedGui gui;
    gui.ExpectSaveFile(path);
    gui.ExpectModal([&](QDialog& settings) {
      auto* combo = Child<QComboBox>(settings, "ComboBoxSortOrder");
      EXPECT_EQ(combo->currentText(), "General");
      if (c.sort_order != nullptr) combo->setCurrentIndex(combo->findText(c.sort_order));
      Child<QCheckBox>(settings, "CheckBoxEnrypted")->setChecked(c.encrypt);
      Child<QLineEdit>(settings, "EditPassword")->setText(c.password);
      Child<QLineEdit>(settings, "EditPasswordConfirmation")->setText(c.password);
      Child(settings, "BtnOk")->click();
      return settings.result();
    });
    Child(dialog, "BtnCreate")->click();
    gui.Verify();

    const std::string connect = *c.password ? std::string(";pwd=") + c.password : std::string();
    EXPECT_EQ(Open(path, connect)->CollatingOrder(), c.collating_order);
    if (*c.password) {
      EXPECT_EQ(OpenError(path), jet::err::kBadPassword);
    }
    Open(path, connect)->Execute("CREATE TABLE Probe (Txt TEXT(20))");
    Open(path, connect)->Execute("INSERT INTO Probe VALUES ('Plain-Marker-99')");
    EXPECT_EQ(BytesContain(path, "Plain-Marker-99"), !c.encrypt && !*c.password);
  }
}

TEST_F(DBToolsDlgTest, AnEngineRefusalIsShownAndLeavesTheFileAlone) {
  const std::string path = dir_.File("notes.mdb");
  WriteFileBytes(path, std::string(8192, 'n'));
  const std::string guarded = MakeDatabase("guarded.mdb", "1033;pwd=right");
  TDBToolsDlg dialog(engine_.get());

  ScriptedGui gui;
  gui.ExpectOpenFile(path);
  gui.ExpectModal([](QDialog& question) { return AnswerPassword(question, ""); });
  ExpectCompactWindow(gui, path);
  // Shown once the progress window has closed, over the tools window.
  gui.ExpectMessageBox(IDOK).TextContains("CompactDatabase").Flags(MB_OK | MB_ICONSTOP).Check(
      "no progress window left", [](const GuiCall&) { return !ProgressWindowExists(); });
  Child(dialog, "BtnCompact")->click();
  gui.ExpectOpenFile(guarded);
  gui.ExpectModal([](QDialog& question) { return AnswerPassword(question, "wrong"); });
  ExpectCompactWindow(gui, guarded);
  gui.ExpectMessageBox(IDOK).Check("no password in the message", [](const GuiCall& call) {
    return call.text.find("wrong") == std::string::npos;
  });
  Child(dialog, "BtnEncrypt")->click();
  gui.Verify();

  EXPECT_EQ(ReadFileBytes(path), std::string(8192, 'n'));
  EXPECT_EQ(SortedNames(guarded, ";pwd=right").size(), kSampleNames.size());
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(DBToolsDlgTest, AnUnusableCopyIsRemovedAndTheOriginalKept) {
  const std::string path = MakeDatabase("precious.mdb");
  const std::string bytes = ReadFileBytes(path);
  // The copy is ruined between the engine's build and the check.
  std::string copy_seen;
  TEST_SetReplaceHook([&](TReplaceStep step) {
    if (step != TReplaceStep::kBuilt) return;
    copy_seen = dir_.File("TempDB_1.mdb");
    WriteFileBytes(copy_seen, std::string(4096, '\x5a'));
  });
  TDBToolsDlg dialog(engine_.get());

  RunTool(dialog, "BtnCompact", "Select Database to compact", path, "", [](ScriptedGui& gui) {
    gui.ExpectMessageBox(IDOK).TextContains("not usable").TextContains("left unchanged");
  });

  EXPECT_FALSE(copy_seen.empty());
  EXPECT_EQ(ReadFileBytes(path), bytes);
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(DBToolsDlgTest, AFileOthersHaveOpenIsNotReplacedUnderThem) {
  const std::string path = MakeDatabase("shared.mdb");
  auto other = Workspace()->OpenDatabase(path, Variant(false), true);  // a reader elsewhere
  TEST_SetReplaceHook([&](TReplaceStep step) {
    // Let the compact read it, then be there again when the copy is to replace it.
    if (step == TReplaceStep::kBuilt) other = Workspace()->OpenDatabase(path, Variant(false), true);
  });
  other->Close();
  other.reset();
  const std::string bytes = ReadFileBytes(path);
  TDBToolsDlg dialog(engine_.get());

  RunTool(dialog, "BtnCompact", "Select Database to compact", path, "",
          [](ScriptedGui& gui) { gui.ExpectMessageBox(IDOK).TextContains("in use").TextContains("left unchanged"); });

  other.reset();
  EXPECT_EQ(ReadFileBytes(path), bytes);
  EXPECT_TRUE(TempFiles().empty());
}

}  // namespace
}  // namespace qb::test
