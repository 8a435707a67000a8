// app/wsadmin/set_password_dlg: TSetPasswordDlg, which changes one user's password through the
// engine User's NewPassword, and ChangeUserPassword that runs it. The passwords typed go to
// the engine only.
#pragma once
#include <QDialog>
#include <memory>

class QLineEdit;

namespace qb {

namespace jet {
class User;
}

// Captioned "Set Password for User: <name>". Closing with OK: a new password that differs from
// its confirmation is refused with an error box; otherwise the user's NewPassword runs with
// the current and the new password, and when the engine refuses, its error goes to the default
// exception display and the window stays open.
class TSetPasswordDlg : public QDialog {
  Q_OBJECT

 public:
  // REQUIRES: USER non-null.
  explicit TSetPasswordDlg(std::shared_ptr<jet::User> user, QWidget* parent = nullptr);
  ~TSetPasswordDlg() override;

  QLineEdit* EditCurrentPassword() const { return current_; }
  QLineEdit* EditNewPassword() const { return new_; }
  QLineEdit* EditPasswordConformation() const { return confirmation_; }
  void done(int result) override;

 private:
  std::shared_ptr<jet::User> user_;  // constant after construction
  QLineEdit* current_;               // owned by the window
  QLineEdit* new_;                   // owned by the window
  QLineEdit* confirmation_;          // owned by the window
};

// Runs TSetPasswordDlg for USER modally through the GUI services; true when the password was
// changed (the window closed with OK). Raises what the GUI services raise. REQUIRES: USER
// non-null.
bool ChangeUserPassword(const std::shared_ptr<jet::User>& user);

}  // namespace qb
