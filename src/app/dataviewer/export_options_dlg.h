// app/dataviewer/export_options_dlg: TExportOptionsDlg, the modal dialog that chooses the field
// and record separators of an export, and the table of the seven separator choices it offers.
#pragma once
#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qb {

// Positions of the choices in both lists.
enum TSeparatorChoice { scOther, scTab, scCrLf, scCr, scCrCr, scLf, scLfCr };
inline constexpr int kSeparatorChoices = 7;

// The list text of CHOICE ("Other", "Tab", "CR/LF", ...).
const char* SeparatorChoiceName(int choice);
// The separator CHOICE stands for; scOther gives OTHER as typed; -1 (nothing chosen) or a
// position outside the list gives the empty text.
std::string SeparatorText(int choice, const std::string& other);

class TExportOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  // Starts with "Tab" as field separator and "CR/LF" as record separator, both "Other:" edits
  // empty and disabled.
  explicit TExportOptionsDlg(QWidget* parent = nullptr);

  std::string FieldSeparator() const;
  std::string RecordSeparator() const;

  QComboBox* FieldList() const { return field_list_; }
  QComboBox* RecordList() const { return record_list_; }
  QLineEdit* FieldOther() const { return field_other_; }
  QLineEdit* RecordOther() const { return record_other_; }

 private:
  // Enables an "Other:" edit and its label only while "Other" is chosen in its list.
  void UpdateOtherEdits();

  QComboBox* field_list_;      // owned by the dialog
  QComboBox* record_list_;     // owned by the dialog
  QLabel* field_other_label_;  // owned by the dialog
  QLabel* record_other_label_; // owned by the dialog
  QLineEdit* field_other_;     // owned by the dialog
  QLineEdit* record_other_;    // owned by the dialog
  QPushButton* btn_ok_;        // owned by the dialog
  QPushButton* btn_cancel_;    // owned by the dialog
};

}  // namespace qb
