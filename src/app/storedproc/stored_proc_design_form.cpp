// app/storedproc/stored_proc_design_form: the single designer, its set-up, its enabled states
// and its actions.
#include "app/storedproc/stored_proc_design_form.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "app/architecture/db_architecture_form.h"
#include "app/architecture/statement_editors.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/toolwindows/tool_windows.h"
#include "app/widgets/focus_leave.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/querydef.h"

namespace qb {

namespace {

QPointer<TStoredProcDesignForm>& Instance() {
  static QPointer<TStoredProcDesignForm> instance;
  return instance;
}

}  // namespace

void OpenStoredProcDesigner(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query) {
  TStoredProcDesignForm* designer = SingleToolWindow(Instance());
  designer->SetUp(database, std::move(query));
  designer->show();
  designer->raise();
  designer->activateWindow();
}

TStoredProcDesignForm* StoredProcDesigner() { return Instance().data(); }

TStoredProcDesignForm::TStoredProcDesignForm(QWidget* parent) : QWidget(parent) {
  setObjectName("TStoredProcDesignForm");
  setWindowTitle("Stored Procedure: Undefined");
  BuildControls();
  ConnectControls();
  resize(400, 340);
  setMinimumSize(200, 180);
  RegisterStatementEditor(StatementEditorKind::kStoredProcDesigner, memo_sql_);
  SetButtonsEnabled();
}

TStoredProcDesignForm::~TStoredProcDesignForm() = default;

void TStoredProcDesignForm::ConnectControls() {
  auto guarded = [this](void (TStoredProcDesignForm::*handler)()) {
    return [this, handler] { App().CallGuarded([this, handler] { (this->*handler)(); }); };
  };
  connect(btn_font_, &QToolButton::clicked, this, guarded(&TStoredProcDesignForm::BtnFontClick));
  connect(btn_apply_, &QToolButton::clicked, this, guarded(&TStoredProcDesignForm::BtnApplyClick));
  connect(btn_architecture_, &QToolButton::clicked, this, guarded(&TStoredProcDesignForm::BtnDBArchitectureClick));
  connect(btn_data_, &QToolButton::clicked, this, guarded(&TStoredProcDesignForm::BtnDataClick));
  connect(btn_ok_, &QPushButton::clicked, this, guarded(&TStoredProcDesignForm::BtnOkClick));
  connect(btn_cancel_, &QPushButton::clicked, this, guarded(&TStoredProcDesignForm::BtnCancelClick));
  spin_max_records_->installEventFilter(this);
  // The spin edit's text part may hold the focus itself.
  for (QLineEdit* inner : spin_max_records_->findChildren<QLineEdit*>()) inner->installEventFilter(this);
}

bool TStoredProcDesignForm::event(QEvent* event) {
  // Windows opened or closed meanwhile may have changed what the buttons can do.
  if (event->type() == QEvent::WindowActivate) SetButtonsEnabled();
  return QWidget::event(event);
}

bool TStoredProcDesignForm::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == spin_max_records_ || watched->parent() == spin_max_records_) && LeavesControl(event)) {
    App().CallGuarded([this] { SpinEditMaxRecordsExit(); });
  }
  return QWidget::eventFilter(watched, event);
}

void TStoredProcDesignForm::SetUp(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query) {
  if (query == query_ && database == database_.data()) return;
  query_ = std::move(query);
  database_ = database;
  if (query_) {
    memo_sql_->setPlainText(QString::fromStdString(query_->SQL()));
    spin_max_records_->setValue(query_->MaxRecords());
    setWindowTitle(QString::fromStdString("Stored Procedure: " + query_->Name()));
  } else {
    setWindowTitle("Stroed Procedure: Undefined");
  }
  SetButtonsEnabled();
}

void TStoredProcDesignForm::SetButtonsEnabled() {
  const bool database = !database_.isNull();
  btn_apply_->setEnabled(query_ != nullptr && database);
  btn_data_->setEnabled(query_ != nullptr && database);
  btn_architecture_->setEnabled(database);
}

void TStoredProcDesignForm::BtnApplyClick() {
  if (!query_) return;
  query_->SetSQL(memo_sql_->toPlainText().toStdString());
  query_->SetMaxRecords(spin_max_records_->value());
}

// The designer is modeless: "&Ok" applies and the window stays, as after Apply; a refusal
// reaches the error box with the text still there to be corrected.
void TStoredProcDesignForm::BtnOkClick() { BtnApplyClick(); }

void TStoredProcDesignForm::BtnCancelClick() { close(); }

void TStoredProcDesignForm::BtnFontClick() {
  if (std::optional<QFont> font = Gui().FontDialog(memo_sql_->font())) memo_sql_->setFont(*font);
}

void TStoredProcDesignForm::BtnDBArchitectureClick() {
  if (!database_.isNull()) ShowDBArchitecture(database_.data());
}

void TStoredProcDesignForm::BtnDataClick() {
  // The data viewer shows the saved query by its name, asking for parameter values as needed.
  if (query_ && !database_.isNull()) ShowDataViewer(database_.data(), query_->Name());
}

void TStoredProcDesignForm::SpinEditMaxRecordsExit() {
  if (query_) query_->SetMaxRecords(spin_max_records_->value());
}

}  // namespace qb
