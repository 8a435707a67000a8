// app/login/nim_login_dialog_form: the login window: user name and password edits, OK and
// Cancel, and the close-query checks that keep it open. Knows nothing of the engine; it never
// stores what was typed anywhere but in its own edits.
#pragma once
#include <QDialog>
#include <functional>
#include <string>

#include "engine/dao_message_box.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qb {

// Checks a user name and password typed in the login window; true lets the window close.
using TValidateUserEvent = std::function<bool(const std::string& username, const std::string& password)>;

// A fixed-size dialog captioned "Login". Accepting it (OK, Enter) runs the close query:
//   1. an empty user name with ErrorIfUsernameEmpty: "The Username cannot be empty." and the
//      window stays open;
//   2. otherwise, when OnValidateUserAccount is assigned, it decides; a refusal shows
//      LoginErrorMessage and the window stays open.
// Boxes go through ShowMessageBox with ErrorMessageKind and an OK button. Cancel, Escape and
// the close box are never checked.
class TNimLoginDialogForm : public QDialog {
  Q_OBJECT

 public:
  explicit TNimLoginDialogForm(QWidget* parent = nullptr);

  // The close-query settings, handed over by TNimLoginDialog before the window is shown.
  void SetLoginErrorMessage(std::string message) { login_error_message_ = std::move(message); }
  void SetErrorIfUsernameEmpty(bool on) { error_if_username_empty_ = on; }
  void SetErrorMessageKind(TMsgCaptions kind) { error_message_kind_ = kind; }
  void SetOnValidateUserAccount(TValidateUserEvent handler) { on_validate_ = std::move(handler); }

  QLineEdit* EditUsername() const { return edit_username_; }
  QLineEdit* EditPassword() const { return edit_password_; }

  // Closes with RESULT; for QDialog::Accepted only when the close query allows it (see above).
  // Raises nothing: an exception of the validation handler or the message box is shown by the
  // default exception display, and the window stays open.
  void done(int result) override;

 private:
  // True when the window may close with OK; shows the refusal message otherwise.
  bool CloseQuery();

  QLineEdit* edit_username_;     // owned by the dialog
  QLineEdit* edit_password_;     // owned by the dialog
  QPushButton* button_ok_;       // owned by the dialog
  QPushButton* button_cancel_;   // owned by the dialog
  std::string login_error_message_;
  bool error_if_username_empty_ = true;
  TMsgCaptions error_message_kind_ = mcError;
  TValidateUserEvent on_validate_;
};

}  // namespace qb
