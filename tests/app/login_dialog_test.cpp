// Tests of the login component and its window: what is shown, the close-query rules, and what
// the component keeps after OK and Cancel.
#include <QLineEdit>
#include <QPushButton>

#include "app/app_test_support.h"
#include "app/login/nim_login_dialog.h"
#include "framework/component/form_stream.h"
#include "framework/gui/message_box.h"

namespace qb::test {
namespace {

using LoginDialogTest = AppTest;

TEST_F(LoginDialogTest, WindowShowsComponentValuesAndHidesThePassword) {
  ScriptedGui gui;
  TNimLoginDialog login;
  login.SetUsername("Mary");
  login.SetPassword("stored");
  gui.ExpectModal([](QDialog& dialog) {
       auto* user = dialog.findChild<QLineEdit*>("EditUsername");
       auto* pass = dialog.findChild<QLineEdit*>("EditPassword");
       EXPECT_EQ(user->text(), "Mary");
       EXPECT_EQ(pass->text(), "stored");
       EXPECT_EQ(pass->echoMode(), QLineEdit::Password);
       EXPECT_TRUE(dialog.findChild<QPushButton*>("BtnOK")->isDefault());
       EXPECT_EQ(dialog.findChild<QPushButton*>("BtnCancel")->text(), "&Cancel");
       return PressCancel(dialog);
     })
      .Text("TNimLoginDialogForm")
      .Caption("Login");
  EXPECT_FALSE(login.Execute());
  gui.Verify();

  // A caption of the component replaces the window's own.
  login.SetCaption("Sign in to Quillbase");
  gui.ExpectModal([](QDialog& dialog) { return PressCancel(dialog); }).Caption("Sign in to Quillbase");
  login.Execute();
  gui.Verify();
}

TEST_F(LoginDialogTest, OkKeepsTheNameButNotThePasswordByDefault) {
  ScriptedGui gui;
  TNimLoginDialog login;
  login.SetUsername("Admin");
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Mary", "s3cret"); });
  ASSERT_TRUE(login.Execute());
  gui.Verify();
  EXPECT_EQ(login.Username(), "Mary");
  EXPECT_EQ(login.Password(), "");
  // The typed password is handed out once, then forgotten.
  EXPECT_EQ(login.TakeEnteredPassword(), "s3cret");
  EXPECT_EQ(login.TakeEnteredPassword(), "");
}

TEST_F(LoginDialogTest, RememberSwitchesDecideWhatIsKept) {
  ScriptedGui gui;
  TNimLoginDialog login;
  login.SetUsername("Admin");
  login.SetRememberUsername(false);
  login.SetRememberPassword(true);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Mary", "pw"); });
  ASSERT_TRUE(login.Execute());
  gui.Verify();
  EXPECT_EQ(login.Username(), "Admin");
  EXPECT_EQ(login.Password(), "pw");
}

TEST_F(LoginDialogTest, CancelKeepsEverythingAndHandsOutNoPassword) {
  ScriptedGui gui;
  TNimLoginDialog login;
  login.SetUsername("Admin");
  login.SetRememberPassword(true);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "Mary", "pw"); });
  ASSERT_TRUE(login.Execute());
  gui.ExpectModal([](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("EditUsername")->setText("Other");
    dialog.findChild<QLineEdit*>("EditPassword")->setText("typed");
    return PressCancel(dialog);
  });
  EXPECT_FALSE(login.Execute());
  gui.Verify();
  EXPECT_EQ(login.Username(), "Mary");
  EXPECT_EQ(login.Password(), "pw");
  EXPECT_EQ(login.TakeEnteredPassword(), "");  // the earlier OK's password went with the new run
}

TEST_F(LoginDialogTest, EmptyUserNameIsRefusedWithTheKindsCaptionUnlessSwitchedOff) {
  ScriptedGui gui;
  TNimLoginDialog login;
  login.SetErrorMessageKind(mcWarning);
  gui.ExpectModal([](QDialog& dialog) {
    EXPECT_EQ(TypeLoginAndPressOK(dialog, "", "pw"), 0);  // still open
    EXPECT_TRUE(dialog.isVisible());
    return TypeLoginAndPressOK(dialog, "Mary", "pw");
  });
  gui.ExpectMessageBox(IDOK)
      .Text("The Username cannot be empty.")
      .Caption("Warning")
      .Flags(MB_OK | MB_ICONEXCLAMATION);
  EXPECT_TRUE(login.Execute());
  gui.Verify();

  // Allowed when switched off.
  login.SetErrorIfUsernameEmpty(false);
  gui.ExpectModal([](QDialog& dialog) { return TypeLoginAndPressOK(dialog, "", ""); });
  EXPECT_TRUE(login.Execute());
  gui.Verify();
  EXPECT_EQ(login.Username(), "");
}

TEST_F(LoginDialogTest, ValidationDecidesAndItsRefusalShowsTheLoginErrorMessage) {
  ScriptedGui gui;
  TNimLoginDialog login;
  std::vector<std::string> asked;
  login.OnValidateUserAccount = [&](const std::string& user, const std::string& password) {
    asked.push_back(user + "/" + password);
    return password == "right";
  };
  gui.ExpectModal([](QDialog& dialog) {
    EXPECT_EQ(TypeLoginAndPressOK(dialog, "Mary", "wrong"), 0);
    return TypeLoginAndPressOK(dialog, "Mary", "right");
  });
  gui.ExpectMessageBox(IDOK).Text("No Such User Account.").Caption("Error").Flags(MB_OK | MB_ICONSTOP);
  EXPECT_TRUE(login.Execute());
  gui.Verify();
  EXPECT_EQ(asked, (std::vector<std::string>{"Mary/wrong", "Mary/right"}));

  // Cancel is never checked.
  asked.clear();
  login.SetLoginErrorMessage("Who are you?");
  gui.ExpectModal([](QDialog& dialog) { return PressCancel(dialog); });
  EXPECT_FALSE(login.Execute());
  gui.Verify();
  EXPECT_TRUE(asked.empty());
}

TEST_F(LoginDialogTest, ValidationErrorIsShownAndTheWindowStaysOpen) {
  ScriptedGui gui;
  TNimLoginDialog login;
  login.OnValidateUserAccount = [](const std::string&, const std::string&) -> bool {
    throw Exception("The workgroup file cannot be read.");
  };
  gui.ExpectModal([](QDialog& dialog) {
    EXPECT_EQ(TypeLoginAndPressOK(dialog, "Mary", "pw"), 0);
    return PressCancel(dialog);
  });
  gui.ExpectMessageBox(IDOK).Text("The workgroup file cannot be read.");
  EXPECT_FALSE(login.Execute());
  gui.Verify();
}

TEST_F(LoginDialogTest, PublishedPropertiesStreamWithTheirDefaultsLeftOut) {
  TNimLoginDialog login;
  login.setObjectName("dlgLogin");
  EXPECT_EQ(WriteComponentText(&login), "object dlgLogin: TNimLoginDialog\nend\n");

  login.SetUsername("Mary");
  login.SetPassword("pw");
  login.SetErrorMessageKind(mcInformation);
  const std::string text = WriteComponentText(&login);
  EXPECT_NE(text.find("Username = 'Mary'"), std::string::npos) << text;
  EXPECT_NE(text.find("ErrorMessageKind = mcInformation"), std::string::npos) << text;
  EXPECT_EQ(text.find("'pw'"), std::string::npos) << "a password is never streamed in clear";

  TNimLoginDialog copy;
  ReadComponentText(text, &copy);
  EXPECT_EQ(copy.Username(), "Mary");
  EXPECT_EQ(copy.Password(), "pw");
  EXPECT_EQ(copy.ErrorMessageKind(), mcInformation);
}

}  // namespace
}  // namespace qb::test
