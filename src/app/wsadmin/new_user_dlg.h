// app/wsadmin/new_user_dlg: TNewUserDlg, the name and password of a new user, and AskNewUser
// that runs it. Creates no account itself; the password goes to the caller only.
#pragma once
#include <QDialog>
#include <string>

class QLineEdit;

namespace qb {

// Captioned "New User". Closing with OK is refused, with an error box, for an empty name
// ("The Username cannot be empty.") and for a password that differs from its confirmation
// ("The Password and its Confirmation are not identical.").
class TNewUserDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TNewUserDlg(QWidget* parent = nullptr);
  ~TNewUserDlg() override;

  QLineEdit* EditUserName() const { return user_name_; }
  QLineEdit* EditPassword() const { return password_; }
  QLineEdit* EditConfirm() const { return confirm_; }
  void done(int result) override;

 private:
  QLineEdit* user_name_;  // owned by the window
  QLineEdit* password_;   // owned by the window
  QLineEdit* confirm_;    // owned by the window
};

// Runs TNewUserDlg modally through the GUI services. True on OK, with NAME and PASSWORD filled;
// both are left alone on Cancel. Raises what the GUI services raise.
bool AskNewUser(std::string& name, std::string& password);

}  // namespace qb
