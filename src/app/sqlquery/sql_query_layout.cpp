// app/sqlquery/sql_query_layout: the controls of the SQL query window: the File menu, the
// statement page above the result grid and its navigator (a splitter between them), the tool
// column on the right and the two status panels.
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/progress/nim_progress_indicator.h"
#include "app/sqlquery/jet_sql_highlighter.h"
#include "app/sqlquery/sql_query_form.h"
#include "app/widgets/nim_main_menu.h"
#include "engine/dao_database.h"
#include "framework/controls/db_navigator.h"
#include "framework/data/data_source.h"
#include "framework/gui/application.h"
#include "recordset/dao_recordset.h"

namespace qb {

QToolButton* TDaoSQLQueryForm::AddToolButton(const char* name, const QString& text, const QString& hint,
                                             void (TDaoSQLQueryForm::*command)()) {
  auto* button = new QToolButton(this);
  button->setObjectName(name);
  button->setText(text);
  button->setToolTip(hint);
  button->setAutoRaise(true);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  connect(button, &QToolButton::clicked, this,
          [this, command] { App().CallGuarded([this, command] { (this->*command)(); }); });
  return button;
}

void TDaoSQLQueryForm::BuildControls() {
  sql_query_ = new TDAORecordset(this);
  sql_query_->SetName("SQLQuery");
  data_source_ = new TDataSource(this);
  data_source_->SetName("DataSourceSQLQuery");
  export_progress_ = new TNimProgressIndicator(this);
  export_progress_->SetName("ProgressIndicator");
  export_progress_->SetCaption("Please Wait");
  export_progress_->SetText("Exporting Records. Please Wait ...");
  query_progress_ = new TNimProgressIndicator(this);
  query_progress_->SetName("QueryProgress");
  query_progress_->SetCaption("Please Wait");
  query_progress_->SetText("Running the SQL Statement. Please Wait ...");

  menu_ = new TNimMainMenu(this);
  QMenu* file = menu_->AddMenu("File1", "&File");
  auto command = [this, file](const char* name, const char* caption, void (TDaoSQLQueryForm::*handler)()) {
    return menu_->AddCommand(file, name, caption, [this, handler] { (this->*handler)(); });
  };
  start_transaction_ = command("StartTransaction1", "Start Transaction", &TDaoSQLQueryForm::StartTransactionClick);
  commit_transaction_ = command("CommitTransaction1", "Commit Transaction", &TDaoSQLQueryForm::CommitTransactionClick);
  rollback_transaction_ =
      command("RollbackTransaction1", "Rollback Transaction", &TDaoSQLQueryForm::RollbackTransactionClick);
  file->addSeparator();
  command("Font1", "Font ...", &TDaoSQLQueryForm::FontClick);
  file->addSeparator();
  export_command_ = command("ExportData1", "Export Data ...", &TDaoSQLQueryForm::ExportClick);
  file->addSeparator();
  command("Print1", "Print ...", &TDaoSQLQueryForm::PrintClick);
  file->addSeparator();
  command("Close1", "Close", &TDaoSQLQueryForm::CloseClick);

  query_text_ = new QPlainTextEdit;
  query_text_->setObjectName("QueryText");
  query_text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  query_text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  query_text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont fixed("Monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  query_text_->setFont(fixed);
  highlighter_ = new TJetSqlHighlighter(query_text_->document());
  pages_ = new QTabWidget;
  pages_->setObjectName("PageControl");
  pages_->addTab(query_text_, "SQL Statement");

  auto* result = new QWidget;
  auto* result_layout = new QVBoxLayout(result);
  result_layout->setContentsMargins(0, 0, 0, 0);
  result_layout->setSpacing(2);
  grid_ = new TSQLResultGrid;
  grid_->setObjectName("SQLResultGrid");
  grid_->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                    dgConfirmDelete);
  grid_->SetDataSource(data_source_);
  navigator_ = new TDBNavigator;
  navigator_->setObjectName("DBNavigator");
  navigator_->SetDataSource(data_source_);
  result_layout->addWidget(grid_, 1);
  result_layout->addWidget(navigator_);

  splitter_ = new QSplitter(Qt::Vertical);
  splitter_->setObjectName("Splitter");
  splitter_->addWidget(pages_);
  splitter_->addWidget(result);
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 2);
  splitter_->setChildrenCollapsible(false);

  auto* tools = new QVBoxLayout;
  tools->setSpacing(1);
  btn_run_ = AddToolButton("BtnRun", "Run", "Run Query", &TDaoSQLQueryForm::RunClick);
  tools->addWidget(btn_run_);
  tools->addWidget(AddToolButton("BtnLoad", "Load", "Load a SQL Statement from a File", &TDaoSQLQueryForm::LoadClick));
  btn_save_ = AddToolButton("BtnSave", "Save", "Save the SQL Statement to a File",
                            &TDaoSQLQueryForm::SaveCommand);
  tools->addWidget(btn_save_);
  btn_clear_ = AddToolButton("BtnClear", "Clear", "Empty the SQL Input Box", &TDaoSQLQueryForm::ClearClick);
  tools->addWidget(btn_clear_);
  tools->addSpacing(8);
  tools->addWidget(
      AddToolButton("BtnPrint", "Print", "Print the Current Window Contents", &TDaoSQLQueryForm::PrintClick));
  btn_export_ =
      AddToolButton("BtnExport", "Export", "Eport the queried Data to a File", &TDaoSQLQueryForm::ExportClick);
  tools->addWidget(btn_export_);
  tools->addWidget(AddToolButton("BtnFont", "Font", "Change the Window Font", &TDaoSQLQueryForm::FontClick));
  tools->addWidget(AddToolButton("BtnDBView", "DB View", "Show the names of Tables and Fields in the Database",
                                 &TDaoSQLQueryForm::DBViewClick));
  tools->addStretch(1);
  tools->addWidget(AddToolButton("BtnClose", "Close", "close this Window", &TDaoSQLQueryForm::CloseClick));

  auto* status = new QStatusBar;
  status->setObjectName("StatusBar");
  status->setSizeGripEnabled(true);
  const int widths[2] = {220, 200};
  for (int i = 0; i < 2; ++i) {
    panels_[i] = new QLabel;
    panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
    panels_[i]->setFixedWidth(widths[i]);
    status->addWidget(panels_[i]);
  }

  auto* body = new QHBoxLayout;
  body->setContentsMargins(4, 4, 2, 0);
  body->addWidget(splitter_, 1);
  body->addLayout(tools);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menu_);
  layout->addLayout(body, 1);
  layout->addWidget(status);
}

}  // namespace qb
