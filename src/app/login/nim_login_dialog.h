// app/login/nim_login_dialog: TNimLoginDialog, the non-visual component that asks for a user
// name and password in a TNimLoginDialogForm and keeps what its Remember switches allow. It
// never checks an account itself and never writes a password anywhere.
#pragma once
#include <string>

#include "app/login/nim_login_dialog_form.h"
#include "engine/dao_message_box.h"
#include "framework/component/component.h"
#include "framework/component/properties.h"

namespace qb {

class TNimLoginDialog : public TComponent {
  Q_OBJECT

 public:
  explicit TNimLoginDialog(QObject* owner = nullptr);
  ~TNimLoginDialog() override;

  // Runs the login window modally through Gui().RunModal, filled from Username and Password,
  // with Caption (when not empty) and the close-query settings. Returns true when the user
  // closed it with OK; only then Username takes the typed name (RememberUsername) and Password
  // the typed password (RememberPassword). With RememberPassword off the typed password is
  // held for TakeEnteredPassword only. Raises what the GUI services raise; the window is freed
  // in any case.
  bool Execute();

  // The password typed in the window of the last Execute that ended with OK, handed out once:
  // the component forgets it on this call (and at the next Execute). Empty after Cancel.
  std::string TakeEnteredPassword();

  std::string About() const;
  void SetAbout(const std::string&) {}
  const std::string& Username() const { return username_; }
  void SetUsername(const std::string& username) { username_ = username; }
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password) { password_ = password; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  bool ErrorIfUsernameEmpty() const { return error_if_username_empty_; }
  void SetErrorIfUsernameEmpty(bool on) { error_if_username_empty_ = on; }
  const std::string& LoginErrorMessage() const { return login_error_message_; }
  void SetLoginErrorMessage(const std::string& message) { login_error_message_ = message; }
  TMsgCaptions ErrorMessageKind() const { return error_message_kind_; }
  void SetErrorMessageKind(TMsgCaptions kind) { error_message_kind_ = kind; }
  bool RememberUsername() const { return remember_username_; }
  void SetRememberUsername(bool on) { remember_username_ = on; }
  bool RememberPassword() const { return remember_password_; }
  void SetRememberPassword(bool on) { remember_password_ = on; }

  // The account check run when OK is pressed; unassigned: every account passes.
  TValidateUserEvent OnValidateUserAccount;

  static const PropertyTable& ClassProperties();
  const PropertyTable& Properties() const override { return ClassProperties(); }

 private:
  std::string username_;
  std::string password_;  // kept only through SetPassword or RememberPassword
  std::string caption_;
  bool error_if_username_empty_ = true;
  std::string login_error_message_;
  TMsgCaptions error_message_kind_ = mcError;
  bool remember_username_ = true;
  bool remember_password_ = false;
  std::string entered_password_;  // the last OK's typed password until taken
};

}  // namespace qb
