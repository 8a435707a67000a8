// app/storedproc/sql_parameter_dlg: TSQLParameterDlg, the modal dialog in which the user gives
// values to the parameters of a stored procedure before a recordset opens it. A value goes to
// the engine's parameter as soon as the user leaves "Value:" (or presses "&Ok" in it); the
// recordset checks the parameters again afterwards. The Cancel button stays disabled, but a
// dialog closed otherwise (Escape, the window's close box) puts the values back as they were.
#pragma once
#include <QDialog>
#include <memory>
#include <vector>

#include "com/variant.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qb {

namespace jet {
class Parameter;
class Parameters;
}  // namespace jet

class TDAORecordset;

// The engine's Parameters of the query RECORDSET asks for (its ParameterQuery(), e.g. a
// statement's temporary query), else of its stored procedure: those of the query object the
// database keeps, so values set on them are the ones the recordset opens with. Raises EDAOError
// (method "GetStoredProcParameters") 65152 without a database, 65168 without a procedure name,
// 65153 when the database does not connect, 65154 without its stored procedures, and (method
// "ExecuteStoredProcedure") what the engine raises for the procedure.
std::shared_ptr<jet::Parameters> StoredProcParametersOf(TDAORecordset& recordset);

// Shows the parameter dialog for RECORDSET modally through the GUI services and frees it.
// Raises what StoredProcParametersOf raises (no dialog is shown then). The utility installs
// this as the recordset's parameter hook at start-up.
void EditSQLParameters(TDAORecordset& recordset);

class TSQLParameterDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TSQLParameterDlg(QWidget* parent = nullptr);
  ~TSQLParameterDlg() override;

  // The set-up: fills the type lists, names RECORDSET in the caption, disables all but the
  // value, lists the parameters in collection order and shows the first. Raises what
  // StoredProcParametersOf raises.
  void SetRecordset(TDAORecordset& recordset);

  // Shows the parameter of the selected entry (nothing without one).
  void ShowSelectedParameter();
  // Leaving "Value:": converts its text by the parameter's Jet type and sets the value;
  // raises EConvertError (the value unchanged) when the text does not convert.
  void EditParamValueExit();
  // "&Ok": a value still being typed is set first; the dialog closes only when that worked.
  void BtnOkClick();
  // Closing without "&Ok" restores the values the parameters had when the dialog was set up.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  std::shared_ptr<jet::Parameter> SelectedParameter() const;

  std::shared_ptr<jet::Parameters> parameters_;  // of the recordset's stored procedure
  std::vector<Variant> values_when_shown_;       // by position in parameters_
  // Set when leaving "Value:" failed to convert, until the next display or successful set:
  // "&Ok" then stays open instead of dropping what the user typed.
  bool value_refused_ = false;

  // Controls, owned by the dialog.
  QListWidget* list_parameters_ = nullptr;
  QLineEdit* edit_value_ = nullptr;
  QComboBox* combo_data_type_ = nullptr;
  QComboBox* combo_parameter_type_ = nullptr;
  QCheckBox* check_null_ = nullptr;
  QCheckBox* check_bound_ = nullptr;
  QPushButton* btn_ok_ = nullptr;
  QPushButton* btn_cancel_ = nullptr;
};

}  // namespace qb
