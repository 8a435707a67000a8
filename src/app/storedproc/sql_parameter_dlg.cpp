// app/storedproc/sql_parameter_dlg: the parameter dialog, its controls, the display of one
// parameter and the conversion of the typed value.
#include "app/storedproc/sql_parameter_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/storedproc/parameter_values.h"
#include "app/widgets/list_box_rules.h"
#include "app/widgets/nim_grip_panel.h"
#include "app/widgets/focus_leave.h"
#include "core/format.h"
#include "core/resource_strings.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/querydef.h"
#include "recordset/dao_recordset.h"

namespace qb {

namespace {

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QStringList Entries(const std::vector<std::string>& names) {
  QStringList entries;
  for (const std::string& name : names) entries << QString::fromStdString(name);
  return entries;
}

}  // namespace

std::shared_ptr<jet::Parameters> StoredProcParametersOf(TDAORecordset& recordset) {
  if (const std::shared_ptr<jet::QueryDef>& query = recordset.ParameterQuery()) {
    try {
      return query->Parameters();
    } catch (const Exception& error) {
      RaiseEngineFailure(&recordset, error, "AskParameterValues");
    }
  }
  const char* method = "GetStoredProcParameters";
  TDAODataBase* database = recordset.DAODatabase();
  if (database == nullptr) RaiseDAOError(&recordset, ResString(kResStoredProcNeedsDatabase), method);
  if (recordset.StoredProcedureName().empty()) RaiseDAOError(&recordset, ResString(kResStoredProcNameEmpty), method);
  if (!database->Connected()) database->Open();
  if (!database->Connected()) {
    RaiseDAOError(&recordset, Format(ResString(kResStoredProcDatabaseNotOpen), database->Name()), method);
  }
  std::shared_ptr<jet::QueryDefs> queries = database->QueryDefs();
  if (!queries) RaiseDAOError(&recordset, Format(ResString(kResStoredProcDefsUnreadable), database->Name()), method);
  try {
    return queries->Item(std::string_view(recordset.StoredProcedureName()))->Parameters();
  } catch (const Exception& error) {
    RaiseEngineFailure(&recordset, error, "ExecuteStoredProcedure");
  }
}

void EditSQLParameters(TDAORecordset& recordset) {
  TSQLParameterDlg dialog(QApplication::activeModalWidget());
  dialog.SetRecordset(recordset);
  Gui().RunModal(dialog);
}

TSQLParameterDlg::TSQLParameterDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TSQLParameterDlg");
  setWindowTitle("SQL Parameter of Recordset: ");
  BuildControls();
  resize(350, 280);
  setMinimumSize(200, 190);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());

  connect(list_parameters_, &QListWidget::currentRowChanged, this,
          [this] { App().CallGuarded([this] { ShowSelectedParameter(); }); });
  connect(btn_ok_, &QPushButton::clicked, this, [this] { App().CallGuarded([this] { BtnOkClick(); }); });
  connect(btn_cancel_, &QPushButton::clicked, this, &QDialog::reject);
  edit_value_->installEventFilter(this);
}

TSQLParameterDlg::~TSQLParameterDlg() = default;

void TSQLParameterDlg::BuildControls() {
  list_parameters_ = Named(new QListWidget, "ParameterList");
  list_parameters_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* list_header = Named(new QLabel(" SQL Parameter:"), "PanelParameterHeader");
  list_header->setFrameShape(QFrame::Panel);
  list_header->setFrameShadow(QFrame::Raised);
  edit_value_ = Named(new QLineEdit, "EditParamValue");
  combo_data_type_ = Named(new QComboBox, "ComboBoxDataType");
  combo_parameter_type_ = Named(new QComboBox, "ComboBoxParametertype");
  check_null_ = Named(new QCheckBox("Value is NULL"), "CheckBoxNullValue");
  check_bound_ = Named(new QCheckBox("Parameter is Bound"), "CheckBoxBound");
  btn_ok_ = Named(new QPushButton("&Ok"), "BtnOk");
  btn_ok_->setDefault(true);
  btn_cancel_ = Named(new QPushButton("&Cancel"), "BtnCancel");
  btn_cancel_->setAutoDefault(false);

  auto* left = new QVBoxLayout;
  left->setSpacing(0);
  left->addWidget(list_header);
  left->addWidget(list_parameters_, 1);
  auto* right = new QVBoxLayout;
  const std::pair<const char*, QWidget*> captioned[] = {
      {"Value:", edit_value_}, {"Datatype:", combo_data_type_}, {"Parameter Type:", combo_parameter_type_}};
  for (const auto& [text, control] : captioned) {
    auto* caption = new QLabel(QString::fromUtf8(text));
    caption->setBuddy(control);
    right->addWidget(caption);
    right->addWidget(control);
  }
  right->addSpacing(4);
  right->addWidget(check_null_);
  right->addWidget(check_bound_);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);

  auto* grip = Named(new TNimGripPanel, "NimGripPanel1");
  grip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btn_ok_);
  bottom->addWidget(btn_cancel_);
  bottom->addWidget(grip, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);
}

void TSQLParameterDlg::SetRecordset(TDAORecordset& recordset) {
  combo_data_type_->clear();
  combo_data_type_->addItems(Entries(ParameterDataTypeNames()));
  combo_parameter_type_->clear();
  combo_parameter_type_->addItems(Entries(ParameterKindNames()));
  setWindowTitle(windowTitle() + QString::fromStdString(recordset.Name()));
  // Only the value can be entered; it reaches the engine at once, so there is nothing to cancel.
  for (QWidget* control : std::initializer_list<QWidget*>{check_bound_, combo_data_type_, combo_parameter_type_,
                                                           check_null_, btn_cancel_}) {
    control->setEnabled(false);
  }
  parameters_ = StoredProcParametersOf(recordset);
  values_when_shown_.clear();
  for (int i = 0; i < parameters_->Count(); ++i) values_when_shown_.push_back(parameters_->Item(i)->Value());
  list_parameters_->clear();
  for (int i = 0; i < parameters_->Count(); ++i) {
    list_parameters_->addItem(QString::fromStdString(parameters_->Item(i)->Name()));
  }
  if (list_parameters_->count() > 0) list_parameters_->setCurrentRow(0);  // shows it
  list_parameters_->setFocus();
}

std::shared_ptr<jet::Parameter> TSQLParameterDlg::SelectedParameter() const {
  const int position = SelectedPosition(*list_parameters_);
  if (!parameters_ || position < 0 || position >= parameters_->Count()) return nullptr;
  return parameters_->Item(position);
}

void TSQLParameterDlg::ShowSelectedParameter() {
  std::shared_ptr<jet::Parameter> parameter = SelectedParameter();
  if (!parameter) return;
  value_refused_ = false;
  const Variant value = parameter->Value();
  edit_value_->setText(QString::fromStdString(ParameterValueText(value)));
  combo_data_type_->setCurrentIndex(DataTypeEntryOfJetType(parameter->Type()));
  combo_parameter_type_->setCurrentIndex(ParameterKindEntryOfDirection(parameter->Direction()));
  // A parameter not given a value yet has none, as one set to Null.
  check_null_->setChecked(value.IsNull() || value.IsEmpty());
}

void TSQLParameterDlg::EditParamValueExit() {
  std::shared_ptr<jet::Parameter> parameter = SelectedParameter();
  if (!parameter) return;
  value_refused_ = true;  // until the text converted
  std::optional<Variant> value = ParameterValueFromText(parameter->Type(), edit_value_->text().toStdString());
  value_refused_ = false;
  if (!value) return;
  parameter->SetValue(*value);
  check_null_->setChecked(value->IsNull());
}

void TSQLParameterDlg::BtnOkClick() {
  // Enter in "Value:" presses "&Ok" without leaving it, and a text refused when it was left
  // would be lost: set the value now, and stay open when it does not convert.
  if (focusWidget() == edit_value_ || value_refused_) EditParamValueExit();
  accept();
}

void TSQLParameterDlg::reject() {
  // Closed without "&Ok": the values set while it was open go back to what they were, so that
  // a parameter still missing keeps the query from running.
  if (parameters_) {
    for (int i = 0; i < parameters_->Count() && i < static_cast<int>(values_when_shown_.size()); ++i) {
      parameters_->Item(i)->SetValue(values_when_shown_[static_cast<size_t>(i)]);
    }
  }
  QDialog::reject();
}

bool TSQLParameterDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_value_ && LeavesControl(event)) App().CallGuarded([this] { EditParamValueExit(); });
  return QDialog::eventFilter(watched, event);
}

}  // namespace qb
