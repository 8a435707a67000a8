// app/dbtools/db_options_dlg: TDBOptionsDlg, the small window that picks a sort order or a Jet
// version for the database tools, and SelectSortOrder / SelectJetVersion that run it. Touches
// no file and no engine.
#pragma once
#include <QDialog>

class QComboBox;
class QLabel;

namespace qb {

enum TDBOptionsMode { omSortOrder, omJetVersion };

// Captioned "Select Database Sort Order" / "Select Jet Version to Convert to" by MODE; lists
// the mode's entries sorted by name, each carrying its number, and selects the first entry
// whose number is VALUE (none when no entry has it). Closing with OK while an entry is
// selected stores that entry's number in VALUE; anything else leaves VALUE alone.
// REQUIRES: VALUE outlives the window.
class TDBOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  TDBOptionsDlg(TDBOptionsMode mode, int& value, QWidget* parent = nullptr);

  QComboBox* ComboBoxSortOrder() const { return combo_; }
  void done(int result) override;

 private:
  int& value_;        // the caller's value, constant after construction
  QLabel* label_;     // owned by the window
  QComboBox* combo_;  // owned by the window
};

// Run TDBOptionsDlg modally (through the GUI services) with VALUE preselected. True on OK;
// VALUE then holds the chosen entry's number. Raise what the GUI services raise.
bool SelectSortOrder(int& value);
bool SelectJetVersion(int& value);

}  // namespace qb
