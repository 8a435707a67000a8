// Tests of the main window: its start state, the state table of connecting and disconnecting
// against a real workgroup and database, the login's password rules, the kept settings, and the
// tool buttons. Every file lives in a temporary folder, the ini file included.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "app/app_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "app/login/nim_login_dialog.h"
#include "app/main/main_form.h"
#include "app/settings/form_storage.h"
#include "app/widgets/nim_file_name_edit.h"
#include "engine/dao_database.h"
#include "engine/dao_engine.h"
#include "engine/dao_globals.h"
#include "engine/dao_workspace.h"
#include "framework/gui/application.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/dao/dbengine.h"
#include "jet/base/engine_settings.h"
#include "jet/dao/user.h"
#include "jet/dao/users.h"
#include "jet/dao/workspace.h"
#include "support/test_support.h"

namespace qb::test {
namespace {

class MainFormTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    saved_config_ = config != nullptr ? std::optional<std::string>(config) : std::nullopt;
    setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    TEST_ResetDAOState();
    TEST_SetEngineSettings(jet::EngineSettings::ForTests());

    // A workgroup with Admin (no password) and Mary (password "s3cret"), and a database.
    auto engine = jet::CreateDBEngine(jet::EngineSettings::ForTests());
    engine->CreateWorkgroup(workgroup_);
    engine->SetSystemDB(workgroup_);
    auto admin = engine->CreateWorkspace("setup", "Admin", "");
    admin->Users()->Append(admin->CreateUser("Mary", "mary0001", "s3cret"));
    admin->Close();
    engine->CreateDatabase(database_, "1033")->Close();
  }

  void TearDown() override {
    TEST_ResetDAOState();
    if (saved_config_) {
      setenv("XDG_CONFIG_HOME", saved_config_->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }

  template <class T = QPushButton>
  static T* Find(const TForm1& form, const char* name) {
    T* widget = form.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static void Click(const TForm1& form, const char* name) { Find(form, name)->click(); }
  static void SetFile(const TForm1& form, const char* edit, const std::string& path) {
    Find<TNimFileNameEdit>(form, edit)->SetFileName(path);
  }

  // Caption, Button1's caption and enabled state, and which of Button2-4 are shown.
  static std::string State(const TForm1& form) {
    std::string state = form.windowTitle().toStdString() + " | " + Find(form, "Button1")->text().toStdString() +
                        (Find(form, "Button1")->isEnabled() ? "" : " (disabled)") + " |";
    for (const char* name : {"Button2", "Button3", "Button4"}) {
      if (!Find(form, name)->isHidden()) state += std::string(" ") + name;
    }
    return state;
  }

  // The form shown, its workgroup chosen and the engine deactivated by the first press.
  std::unique_ptr<TForm1> WaitingForm(bool with_database) {
    auto form = std::make_unique<TForm1>();
    form->show();
    SetFile(*form, "systemDB", workgroup_);
    if (with_database) SetFile(*form, "DBName", database_);
    Click(*form, "Button1");
    return form;
  }

  TempDir dir_;
  std::optional<std::string> saved_config_;
  const std::string workgroup_ = dir_.File("demo.mdw");
  const std::string database_ = dir_.File("demo.mdb");
};

TEST_F(MainFormTest, StartsWaitingWithTheEngineActiveAndTheFormTextApplied) {
  ScriptedGui gui;  // nothing may be asked
  TForm1 form;
  EXPECT_EQ(State(form), "Waiting for connection | &Connect (disabled) |");
  EXPECT_TRUE(form.DAOEngine1()->Active()) << "streamed Active is applied after loading";
  EXPECT_EQ(form.DAOEngine1()->DefaultUser(), "Admin");
  EXPECT_FALSE(form.DAOWorkspace1()->Active());
  EXPECT_EQ(form.DAOWorkspace1()->UserName(), "Admin");
  EXPECT_EQ(form.DAODataBase1()->DAOWorkspace(), form.DAOWorkspace1());
  EXPECT_FALSE(form.DAODataBase1()->Connected());
  EXPECT_FALSE(form.dlgLogin()->RememberPassword());
  EXPECT_EQ(form.FormStorage1()->StoredProps(),
            (std::vector<std::string>{"dlgLogin.Username", "systemDB.FileName", "DBName.FileName"}));
  EXPECT_EQ(Find<TNimFileNameEdit>(form, "systemDB")->LabelText(), "Select the &System DB");
  EXPECT_EQ(Find<TNimFileNameEdit>(form, "DBName")->Filter(), "Access Data Files|*.mdb");
  EXPECT_EQ(Find(form, "Button3")->text(), "Data &Engine Tools");
  gui.Verify();
}

TEST_F(MainFormTest, ConnectIsEnabledExactlyWhenTheWorkgroupFileExists) {
  TForm1 form;
  auto* button = Find(form, "Button1");
  SetFile(form, "systemDB", dir_.File("missing.mdw"));
  EXPECT_FALSE(button->isEnabled());
  SetFile(form, "systemDB", dir_.Path().string());  // a folder is no file
  EXPECT_FALSE(button->isEnabled());
  SetFile(form, "systemDB", workgroup_);
  EXPECT_TRUE(button->isEnabled());
  SetFile(form, "systemDB", "");
  EXPECT_FALSE(button->isEnabled());
}

TEST_F(MainFormTest, FirstPressOnlyDisconnectsAndTheSecondLogsIn) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/true);
  gui.Verify();  // no login window at the first press
  EXPECT_FALSE(form->DAOEngine1()->Active());
  EXPECT_EQ(State(*form), "Waiting for Connection | &Connect |");

  gui.ExpectModal([](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLineEdit*>("EditUsername")->text(), "") << "no name kept yet";
    return TypeLoginAndPressOK(dialog, "Admin", "");
  });
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3 Button4");
  EXPECT_TRUE(form->DAOWorkspace1()->Active());
  EXPECT_TRUE(form->DAODataBase1()->Connected());
  EXPECT_EQ(form->DAOEngine1()->SystemDB(), workgroup_);
  EXPECT_EQ(form->focusWidget(), Find(*form, "Button2"));

  Click(*form, "Button1");
  EXPECT_EQ(State(*form), "Waiting for Connection | &Connect |");
  EXPECT_FALSE(form->DAOEngine1()->Active());
  EXPECT_FALSE(form->DAOWorkspace1()->Active());
  EXPECT_FALSE(form->DAODataBase1()->Connected());
  gui.Verify();
}

TEST_F(MainFormTest, ConnectingWithoutADatabaseLeavesItsButtonHidden) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/false);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
  Click(*form, "Button1");
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3");

  // A database name that names no file counts as none.
  Click(*form, "Button1");
  SetFile(*form, "DBName", dir_.File("gone.mdb"));
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
  Click(*form, "Button1");
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3");
  gui.Verify();
}

// The login window's password is what logs a user in, and it is kept nowhere afterwards.
TEST_F(MainFormTest, UserWithAPasswordLogsInWithWhatWasTyped) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/true);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Mary", "s3cret"); });
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3 Button4");
  EXPECT_EQ(form->DAOWorkspace1()->UserName(), "Mary");
  EXPECT_EQ(form->dlgLogin()->Username(), "Mary");
  EXPECT_EQ(form->dlgLogin()->Password(), "");
  EXPECT_EQ(form->dlgLogin()->TakeEnteredPassword(), "");

  Click(*form, "Button1");
  EXPECT_EQ(form->DAOEngine1()->DefaultPassword(), "") << "dropped once disconnected";
  EXPECT_EQ(form->DAOWorkspace1()->Password(), "");
}

// A refused login leaves the half-connected state; the next press disconnects.
TEST_F(MainFormTest, RefusedLoginLeavesHalfConnectedUntilTheNextPress) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/true);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Mary", "wrong"); });
  gui.ExpectMessageBox(IDOK).TextContains("Not a valid account name or password.");
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Waiting for Connection | &Connect | Button3");
  EXPECT_TRUE(form->DAOEngine1()->Active());
  EXPECT_FALSE(form->DAOWorkspace1()->Active());

  Click(*form, "Button1");  // no login window: the engine is active, so this disconnects
  gui.Verify();
  EXPECT_EQ(State(*form), "Waiting for Connection | &Connect |");
  EXPECT_FALSE(form->DAOEngine1()->Active());
}

TEST_F(MainFormTest, CancelledLoginStillConnectsWithThePreviousUserName) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/false);
  form->dlgLogin()->SetUsername("Admin");  // as a kept name restores it
  auto cancel_after_typing = [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("EditUsername")->setText("Mary");
    dialog.findChild<QLineEdit*>("EditPassword")->setText("s3cret");
    return PressCancel(dialog);
  };
  gui.ExpectModal(cancel_after_typing);
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3");
  EXPECT_EQ(form->DAOWorkspace1()->UserName(), "Admin");
  EXPECT_EQ(form->dlgLogin()->Username(), "Admin");

  // Mary's password was typed only in a cancelled window: the attempt as Mary has none.
  Click(*form, "Button1");
  form->dlgLogin()->SetUsername("Mary");
  gui.ExpectModal(cancel_after_typing);
  gui.ExpectMessageBox(IDOK).TextContains("Not a valid account name or password.");
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Waiting for Connection | &Connect | Button3");
}

TEST_F(MainFormTest, KeptSettingsComeBackAtTheNextStartWithoutThePassword) {
  ScriptedGui gui;
  {
    auto form = WaitingForm(/*with_database=*/true);
    gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Mary", "s3cret"); });
    Click(*form, "Button1");
    Click(*form, "Button5");  // Quit
    EXPECT_FALSE(form->DAOEngine1()->Active()) << "Quit deactivates the engine";
    EXPECT_FALSE(form->isVisible());
  }
  gui.Verify();
  EXPECT_EQ(ReadFileBytes(DefaultIniFilePath(App().ExeName())).find("s3cret"), std::string::npos);
  TEST_ResetDAOState();
  TForm1 again;
  EXPECT_EQ(Find<TNimFileNameEdit>(again, "systemDB")->FileName(), workgroup_);
  EXPECT_EQ(Find<TNimFileNameEdit>(again, "DBName")->FileName(), database_);
  EXPECT_EQ(again.dlgLogin()->Username(), "Mary");
  EXPECT_EQ(again.dlgLogin()->Password(), "");
  EXPECT_EQ(State(again), "Waiting for connection | &Connect |") << "restoring the workgroup enables Connect";
}

// Button2 opens the workspace administration for DAOWorkspace1, Button4 runs the database editor
// modally, Button3 the database tools for DAOEngine1 while the database is disconnected.
TEST_F(MainFormTest, ToolButtonsOpenTheirWindowsAndEngineToolsReconnect) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/true);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
  Click(*form, "Button1");
  gui.ExpectModal([](QDialog& dialog) { return dialog.result(); }).Caption("Workspace: DAOWorkspace1");
  Click(*form, "Button2");
  gui.ExpectModal([](QDialog& dialog) { return dialog.result(); }).Text("TDBEditDlg");
  Click(*form, "Button4");
  gui.ExpectModal([&](QDialog& dialog) {
    EXPECT_FALSE(form->DAODataBase1()->Connected()) << "the tools have the file to themselves";
    return dialog.result();
  }).Caption("Database Tools");
  Click(*form, "Button3");
  gui.Verify();
  EXPECT_TRUE(form->DAOWorkspace1()->Active()) << "it was open before the window";
  EXPECT_TRUE(form->DAODataBase1()->Connected()) << "reconnected after the engine tools";
}

TEST_F(MainFormTest, EngineToolsWithoutADatabaseConnectNothing) {
  ScriptedGui gui;
  auto form = WaitingForm(/*with_database=*/false);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
  Click(*form, "Button1");
  // No database was chosen: nothing to reconnect, and no missing-file error.
  gui.ExpectModal([](QDialog& dialog) { return dialog.result(); }).Caption("Database Tools");
  Click(*form, "Button3");
  gui.Verify();
  EXPECT_FALSE(form->DAODataBase1()->Connected());
  EXPECT_TRUE(form->DAOWorkspace1()->Active());
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3");
}

// The database password question: typed into the masked edit and confirmed, or cancelled.
int AnswerDatabasePassword(QDialog& dialog, const std::optional<std::string>& password) {
  EXPECT_EQ(dialog.windowTitle(), "Database Password");
  auto* edit = dialog.findChild<QLineEdit*>("EditPassword");
  EXPECT_NE(edit, nullptr);
  if (edit == nullptr) return QDialog::Rejected;
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password) << "the password is never shown";
  EXPECT_EQ(edit->text(), "") << "no password is offered";
  if (!password) return PressCancel(dialog);
  edit->setText(QString::fromStdString(*password));
  dialog.findChild<QPushButton*>("BtnOk")->click();
  return dialog.result();
}

// Every file below FOLDER whose bytes contain TEXT.
std::vector<std::string> FilesHolding(const std::filesystem::path& folder, const std::string& text) {
  std::vector<std::string> found;
  if (!std::filesystem::exists(folder)) return found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && ReadFileBytes(entry.path().string()).find(text) != std::string::npos) {
      found.push_back(entry.path().string());
    }
  }
  return found;
}

// A database with a password of its own: the refusal of the missing password asks for it, and
// the answer is used for this connection only.
class ProtectedDatabaseTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    auto engine = jet::CreateDBEngine(jet::EngineSettings::ForTests());
    engine->CreateDatabase(protected_, "1033;pwd=Sesame42")->Close();
  }

  // Waiting, with the protected database chosen and the login scripted as Admin.
  std::unique_ptr<TForm1> FormToConnect(ScriptedGui& gui) {
    auto form = WaitingForm(/*with_database=*/false);
    SetFile(*form, "DBName", protected_);
    gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
    return form;
  }

  const std::string protected_ = dir_.File("protected.mdb");
};

TEST_F(ProtectedDatabaseTest, PasswordIsAskedUsedAndKeptInNoFile) {
  ScriptedGui gui;
  {
    auto form = FormToConnect(gui);
    gui.ExpectModal([](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("EditPassword")->setText("Sesame42");
      SaveScreenshot(dialog, "main-db-password");
      dialog.findChild<QLineEdit*>("EditPassword")->clear();
      return AnswerDatabasePassword(dialog, "Sesame42");
    }).Caption("Database Password");
    Click(*form, "Button1");
    gui.Verify();
    EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3 Button4");
    EXPECT_TRUE(form->DAODataBase1()->Connected());

    // The engine tools disconnect the database; it reconnects with the password given.
    gui.ExpectModal([](QDialog& dialog) { return dialog.result(); }).Caption("Database Tools");
    Click(*form, "Button3");
    gui.Verify();
    EXPECT_TRUE(form->DAODataBase1()->Connected());

    // Once disconnected the password is of no further use: the next connect asks again.
    Click(*form, "Button1");
    EXPECT_EQ(form->DAODataBase1()->JetDBPassword(), "");
    EXPECT_EQ(form->DAODataBase1()->JetConnectParams(), "");
    gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
    gui.ExpectModal([](QDialog& dialog) { return AnswerDatabasePassword(dialog, "Sesame42"); });
    Click(*form, "Button1");
    gui.Verify();
    EXPECT_TRUE(form->DAODataBase1()->Connected());
    Click(*form, "Button5");  // Quit saves the settings
  }
  gui.Verify();
  const std::string ini = DefaultIniFilePath(App().ExeName());
  ASSERT_TRUE(std::filesystem::exists(ini));
  EXPECT_NE(ReadFileBytes(ini).find("protected.mdb"), std::string::npos) << "the database name is kept";
  EXPECT_EQ(FilesHolding(dir_.File("config"), "Sesame42"), std::vector<std::string>{});
  EXPECT_EQ(FilesHolding(dir_.Path(), "Sesame42"), std::vector<std::string>{}) << "nor in any file beside it";
}

// A wrong answer asks again, saying so; Cancel leaves what the refusal left and shows it.
TEST_F(ProtectedDatabaseTest, WrongPasswordAsksAgainAndCancelKeepsTheRefusal) {
  ScriptedGui gui;
  auto form = FormToConnect(gui);
  gui.ExpectModal([](QDialog& dialog) { return AnswerDatabasePassword(dialog, "guess"); });
  gui.ExpectModal([](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), "Not a valid password. Password:");
    return AnswerDatabasePassword(dialog, "Sesame42");
  });
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Connected! | &Disconnect | Button2 Button3 Button4");

  Click(*form, "Button1");
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Admin", ""); });
  gui.ExpectModal([](QDialog& dialog) { return AnswerDatabasePassword(dialog, "guess"); });
  gui.ExpectModal([](QDialog& dialog) { return AnswerDatabasePassword(dialog, std::nullopt); });
  gui.ExpectMessageBox(IDOK).TextContains("Not a valid password");
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_EQ(State(*form), "Waiting for Connection | &Connect | Button2 Button3") << "half connected";
  EXPECT_FALSE(form->DAODataBase1()->Connected());
  EXPECT_EQ(form->DAODataBase1()->JetDBPassword(), "") << "the wrong guess is not kept";
}

// A refusal that is not about the password asks nothing, even when the file has one.
TEST_F(ProtectedDatabaseTest, OtherRefusalsAskNothing) {
  ScriptedGui gui;
  auto engine = jet::CreateDBEngine(jet::EngineSettings::ForTests());
  auto holder = engine->CreateWorkspace("holder", "Admin", "")
                    ->OpenDatabase(protected_, Variant(true), false, ";pwd=Sesame42");  // exclusive
  auto form = FormToConnect(gui);
  form->DAODataBase1()->SetJetDBPassword("Sesame42");
  gui.ExpectMessageBox(IDOK);
  Click(*form, "Button1");
  gui.Verify();
  EXPECT_FALSE(form->DAODataBase1()->Connected());
  EXPECT_EQ(form->DAODataBase1()->JetDBPassword(), "Sesame42");
}

}  // namespace
}  // namespace qb::test
