// app/dbtools/db_password_dlg: TDBPasswordDlg, the small window that asks for a database
// password, and AskDBPassword that runs it. What is typed goes back to the caller only: it is
// never logged or kept by the window.
#pragma once
#include <QDialog>
#include <string>

class QLineEdit;

namespace qb {

// Captioned CAPTION; EditPassword (shown as "*") starts with TEXT. Closing with OK stores the
// edit's content in TEXT; Cancel leaves TEXT alone. REQUIRES: TEXT outlives the window.
class TDBPasswordDlg : public QDialog {
  Q_OBJECT

 public:
  TDBPasswordDlg(const std::string& caption, std::string& text, QWidget* parent = nullptr);
  ~TDBPasswordDlg() override;

  QLineEdit* EditPassword() const { return edit_; }
  void done(int result) override;

 private:
  std::string& text_;  // the caller's text, constant after construction
  QLineEdit* edit_;    // owned by the window
};

// Runs TDBPasswordDlg modally (through the GUI services). True on OK, TEXT then holds the
// entry. Raises what the GUI services raise.
bool AskDBPassword(const std::string& caption, std::string& text);

}  // namespace qb
