// The main window meets a genuine database file of another program: it offers to import it beside
// the original under a free name (never over an existing file), imports it under the progress
// window, shows what came along and connects to the copy; a declined offer and any other refusal
// leave the refusal as it was, with no new file.
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/app_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "app/main/import_offer_dlg.h"
#include "app/main/main_form.h"
#include "app/progress/progress_test_support.h"
#include "app/widgets/nim_file_name_edit.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "framework/gui/message_box.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/dbengine.h"
#include "support/test_support.h"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

class MainImportTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    saved_config_ = config != nullptr ? std::optional<std::string>(config) : std::nullopt;
    setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    TEST_ResetDAOState();
    TEST_SetEngineSettings(jet::EngineSettings::ForTests());
    jet::CreateDBEngine(jet::EngineSettings::ForTests())->CreateWorkgroup(workgroup_);
    fs::copy_file(TestDataPath("jet/DateTestDatabase.mdb"), genuine_);
  }
  void TearDown() override {
    TEST_ResetDAOState();
    if (saved_config_) setenv("XDG_CONFIG_HOME", saved_config_->c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
  }

  // The form shown with the workgroup and DATABASE chosen, the engine off (the first press).
  std::unique_ptr<TForm1> WaitingForm(const std::string& database) {
    auto form = std::make_unique<TForm1>();
    form->show();
    form->findChild<TNimFileNameEdit*>("systemDB")->SetFileName(workgroup_);
    form->findChild<TNimFileNameEdit*>("DBName")->SetFileName(database);
    form->findChild<QPushButton*>("Button1")->click();
    return form;
  }
  // The database files in the test folder.
  std::vector<std::string> DatabaseFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Path())) {
      if (entry.path().extension() == ".mdb") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool Button4Shown(const TForm1& form) { return !form.findChild<QPushButton*>("Button4")->isHidden(); }

  TempDir dir_;
  std::optional<std::string> saved_config_;
  const std::string workgroup_ = dir_.File("demo.mdw");
  const std::string genuine_ = dir_.File("Dates.mdb");
};

TEST_F(MainImportTest, AGenuineFileIsImportedBesideItUnderAFreeNameAndConnected) {
  std::ofstream(dir_.File("Dates.imported.mdb")) << "taken";  // the first free name is the next one
  const std::string original = ReadFileBytes(genuine_);
  ScriptedGui gui;
  auto form = WaitingForm(genuine_);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
  gui.ExpectModal([](QDialog& dialog) {
    auto* offer = qobject_cast<TImportOfferDlg*>(&dialog);
    EXPECT_NE(offer, nullptr) << dialog.objectName().toStdString();
    if (offer == nullptr) return int(QDialog::Rejected);
    const std::string text = offer->findChild<QLabel*>("LabelOffer")->text().toStdString();
    EXPECT_NE(text.find("'Dates.mdb' is a database file of another program"), std::string::npos) << text;
    EXPECT_NE(text.find("'Dates.imported.2.mdb'"), std::string::npos) << text;
    EXPECT_TRUE(offer->BtnCancel()->isDefault()) << "nothing is written unless asked for";
    SaveScreenshot(dialog, "main-import-offer");
    offer->BtnImport()->click();
    return dialog.result();
  });
  ExpectProgressWindow(gui, "Importing Dates.mdb");
  gui.ExpectMessageBox(IDOK).TextContains("Imported into Dates.imported.2.mdb: 1 tables with 6 rows").Caption("Import Database");
  form->findChild<QPushButton*>("Button1")->click();
  gui.Verify();

  const std::string copy = dir_.File("Dates.imported.2.mdb");
  EXPECT_EQ(form->windowTitle().toStdString(), "Connected!");
  EXPECT_TRUE(Button4Shown(*form));
  EXPECT_TRUE(form->DAODataBase1()->Connected());
  EXPECT_EQ(form->DAODataBase1()->DatabaseFile(), copy);
  EXPECT_EQ(form->findChild<TNimFileNameEdit*>("DBName")->FileName(), copy);
  EXPECT_EQ(ReadFileBytes(genuine_), original);
  EXPECT_EQ(ReadFileBytes(dir_.File("Dates.imported.mdb")), "taken");
}

// Cases where no copy is made: each leaves the refusal shown, the window half connected and
// the folder as it was.
TEST_F(MainImportTest, ADeclinedOfferOrAnotherRefusalMakesNoCopy) {
  std::ofstream(dir_.File("junk.mdb")) << std::string(5000, 'x');
  const struct {
    const char* name;
    std::string database;
    bool offered;
    const char* refusal;
  } cases[] = {
      {"offer declined", genuine_, true, "another program"},
      // Unreadable bytes may be an encrypted file: its password is asked for, and cancelled.
      {"not a database at all", dir_.File("junk.mdb"), false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto before = DatabaseFiles();
    ScriptedGui gui;
    auto form = WaitingForm(c.database);
    gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
    if (c.offered) {
      gui.ExpectModal([](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName().toStdString(), "TImportOfferDlg");
        dialog.findChild<QPushButton*>("BtnCancel")->click();
        return dialog.result();
      });
    } else {
      gui.ExpectModal([](QDialog&) { return int(QDialog::Rejected); }).Caption("Database Password");
    }
    gui.ExpectMessageBox(IDOK).TextContains(c.refusal);
    form->findChild<QPushButton*>("Button1")->click();
    gui.Verify();
    EXPECT_FALSE(Button4Shown(*form));
    EXPECT_FALSE(form->DAODataBase1()->Connected());
    EXPECT_EQ(DatabaseFiles(), before);
  }
}

}  // namespace
}  // namespace qb::test
