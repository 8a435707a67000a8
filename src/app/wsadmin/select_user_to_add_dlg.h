// app/wsadmin/select_user_to_add_dlg: TSelectUserToAddDlg, the choice of a user to add to a
// group, and SelectUserToAdd that runs it. Reads the workspace's users; changes nothing.
#pragma once
#include <QDialog>
#include <string>

class QComboBox;

namespace qb {

class TDAOWorkspace;

// Captioned "Adding User to Group: <GROUP>"; lists every user of WORKSPACE (sorted) and
// selects USER_NAME when listed. Closing with OK while a user is selected stores its name in
// USER_NAME. Raises what reading the workspace's users raises. REQUIRES: USER_NAME outlives
// the window.
class TSelectUserToAddDlg : public QDialog {
  Q_OBJECT

 public:
  TSelectUserToAddDlg(TDAOWorkspace* workspace, const std::string& group, std::string& user_name,
                      QWidget* parent = nullptr);

  QComboBox* ComboBoxUsers() const { return combo_; }
  void done(int result) override;

 private:
  std::string& user_name_;  // the caller's name, constant after construction
  QComboBox* combo_;        // owned by the window
};

// Runs TSelectUserToAddDlg modally through the GUI services. True on OK; USER_NAME then holds
// the chosen name. Raises what the window or the GUI services raise.
bool SelectUserToAdd(TDAOWorkspace* workspace, const std::string& group, std::string& user_name);

}  // namespace qb
