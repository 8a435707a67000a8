// app/dbtools/db_create_opt_dlg: TDBCreateOptDlg, the settings of a new database: sort order,
// encryption and password. Creates nothing itself; the tools window reads the settings after
// the window closed with OK.
#pragma once
#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace qb {

// Captioned "Settings for the new Database". The sort orders are listed in their table order
// with "General" selected. Closing with OK is refused while the password and its confirmation
// differ ("The Password and it's Confirmation are not identical." in an information box).
class TDBCreateOptDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TDBCreateOptDlg(QWidget* parent = nullptr);
  ~TDBCreateOptDlg() override;

  // The selected sort order's number; -1 when none is selected.
  int SortOrder() const;
  bool Encrypted() const;
  std::string Password() const;

  QComboBox* ComboBoxSortOrder() const { return combo_; }
  QCheckBox* CheckBoxEnrypted() const { return encrypted_; }
  QLineEdit* EditPassword() const { return password_; }
  QLineEdit* EditPasswordConfirmation() const { return confirmation_; }

  // Shows its refusal through ShowMessageBox; an error there goes to the default exception
  // display and the window stays open.
  void done(int result) override;

 private:
  QComboBox* combo_;         // owned by the window
  QCheckBox* encrypted_;     // owned by the window
  QLineEdit* password_;      // owned by the window
  QLineEdit* confirmation_;  // owned by the window
};

}  // namespace qb
