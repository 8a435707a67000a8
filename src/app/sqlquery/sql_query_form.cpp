// app/sqlquery/sql_query_form: set-up, running, files, transactions and closing of the SQL query
// window. Every command ends by refreshing the enabled states.
#include "app/sqlquery/sql_query_form.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolButton>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/architecture/db_architecture_form.h"
#include "app/architecture/statement_editors.h"
#include "app/dataviewer/data_export.h"
#include "app/progress/nim_progress_indicator.h"
#include "app/sqlquery/statement_kind.h"
#include "app/toolwindows/refresh_request.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/toolwindows/tool_windows.h"
#include "core/exception.h"
#include "engine/dao_database.h"
#include "engine/dao_errors.h"
#include "framework/data/data_source.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/message_box.h"
#include "jet/dao/database.h"
#include "jet/dao/querydef.h"
#include "jet/dao/statement_cancel.h"
#include "recordset/dao_recordset.h"

namespace qb {

namespace {

constexpr int kSelectNotExecutable = 3065;  // the engine's refusal to Execute a row-returning statement
// How often a running query lets the progress window take a cancel: often enough to answer at
// once, rarely enough that the query hardly slows down.
constexpr int kCancelPollMs = 50;

const char kFileFilterOpen[] =
    "SQL Scripts (*.SQL)|*.SQL|SQL Data definitions (*.DDL)|*.DDL|Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*";
const char kFileFilterSave[] =
    "SQL Scripts (*.SQL)|*.SQL|SQL Data definitions (*.DDL)|*.DDL|Text Files (*.TXT)|*.TXT|All Files|*.*";

QPointer<TDaoSQLQueryForm>& Instance() {
  static QPointer<TDaoSQLQueryForm> instance;
  return instance;
}

}  // namespace

TDaoSQLQueryForm* SQLQueryFormInstance() { return Instance().data(); }

void ShowSQLQueryForm(TDAODataBase* database) {
  TEST_TellToolWindowCall({"ShowSQLQueryForm", database, {}, nullptr});
  if (database == nullptr) return;
  TDaoSQLQueryForm* form = SingleToolWindow(Instance());
  form->SetDataBase(database);
  form->show();
  form->raise();
  form->activateWindow();
}

TDaoSQLQueryForm::TDaoSQLQueryForm(QWidget* parent) : QWidget(parent) {
  setObjectName("DaoSQLQueryForm");
  setWindowTitle("Run SQL Statement");
  BuildControls();
  sql_query_->SetRecordSetType(rtQuery);
  sql_query_->SetLockStrategy(lkPessimistic);
  sql_query_->SetOptions(0);
  sql_query_->SetOnlyIdxFieldVisible(false);
  sql_query_->SetRestrictFilterToIndexedFields(false);
  data_source_->SetDataSet(sql_query_);
  data_source_->OnDataChange = [this](TDataSource*, TField*) {
    RefreshStatusPanels();
    RefreshEnabledStates();
  };
  data_source_->OnStateChange = [this](TDataSource*) {
    RefreshStatusPanels();
    RefreshEnabledStates();
  };
  connect(query_text_, &QPlainTextEdit::textChanged, this, [this] { RefreshEnabledStates(); });
  RegisterStatementEditor(StatementEditorKind::kSQLQueryForm, query_text_);
  resize(500, 450);
  setMinimumSize(200, 200);
  RefreshStatusPanels();
  RefreshEnabledStates();
}

TDaoSQLQueryForm::~TDaoSQLQueryForm() {
  // The data source's handlers reach into controls that go with the window.
  data_source_->OnDataChange = nullptr;
  data_source_->OnStateChange = nullptr;
}

void TDaoSQLQueryForm::SetDataBase(TDAODataBase* database) {
  if (database != database_.data()) {
    database_ = database;
    if (sql_query_->Active()) sql_query_->Close();
    sql_query_->SetStatementQuery(nullptr);  // made on the other database
    sql_query_->SetDAODatabase(database);
  }
  RefreshStatusPanels();
  RefreshEnabledStates();
  setWindowTitle(QString("Run SQL Statement in Database: ") +
                 (database_ ? QString::fromStdString(database_->Name()) : QString("Undefined")));
  if (database_ && !database_->Connected()) database_->Open();
}

bool TDaoSQLQueryForm::HasStatement() const { return !query_text_->document()->isEmpty(); }

bool TDaoSQLQueryForm::DatabaseReady() const { return database_ && database_->Connected(); }

QString TDaoSQLQueryForm::StatusText(int panel) const { return panels_[panel]->text(); }

void TDaoSQLQueryForm::RefreshStatusPanels() {
  if (!sql_query_->Active()) {
    panels_[0]->setText("Query not Ative");
    panels_[1]->setText("Query not Ative");
    return;
  }
  panels_[0]->setText(QString::asprintf("Number of Qualified Records:  %d", sql_query_->RecordCount()));
  panels_[1]->setText(sql_query_->CanModify() ? "Data can be modified" : "Data cannot be modified");
}

void TDaoSQLQueryForm::RefreshEnabledStates() {
  const bool in_transaction = database_ && database_->InTransaction();
  start_transaction_->setEnabled(!in_transaction);
  commit_transaction_->setEnabled(in_transaction);
  rollback_transaction_->setEnabled(in_transaction);
  const bool open = sql_query_->Active();
  export_command_->setEnabled(open);
  btn_export_->setEnabled(open);
  const bool runnable = HasStatement() && database_;
  btn_run_->setEnabled(runnable);
  btn_clear_->setEnabled(runnable);
  btn_save_->setEnabled(runnable);
}

void TDaoSQLQueryForm::MoveCursorTo(int line, int column) {
  const QTextBlock block = query_text_->document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, std::min(column - 1, block.length() - 1));
  query_text_->setTextCursor(cursor);
  query_text_->setFocus();
}

void TDaoSQLQueryForm::MarkErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    if (const auto position = ErrorPosition(error.Message())) MoveCursorTo(position->line, position->column);
    throw;
  }
}

void TDaoSQLQueryForm::RunClick() {
  if (!database_) return;
  const std::string text = query_text_->toPlainText().toStdString();
  if (DeclaresParameters(text)) {
    RunWithParameters(text);
  } else if (!IsQueryStatement(text)) {
    bool returns_rows = false;
    MarkErrorOf([&] {
      try {
        database_->Execute(text, 0);
      } catch (const EDAOError& error) {
        // A crosstab or a parenthesised union returns rows though its first word is no SELECT:
        // the engine refuses to execute it, so it opens as a query.
        if (error.EngineError() != kSelectNotExecutable) throw;
        returns_rows = true;
      }
    });
    if (returns_rows) {
      OpenQuery();
    } else {
      AskForRefresh();
    }
  } else {
    OpenQuery();
  }
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::AskForRefresh() {
  if (Gui().MessageBox("You modified the Database. Refresh now ?", "Confirmation", MB_YESNO | MB_ICONQUESTION) ==
      IDYES) {
    PostRefreshRequest();
  }
}

// Values for a PARAMETERS declaration go to a temporary query definition made from the
// statement, as they go to a stored procedure's: asked for through the recordset's parameter
// dialog before anything runs, then the query opens into the grid or the action executes.
void TDaoSQLQueryForm::RunWithParameters(const std::string& text) {
  if (!database_->Connected()) database_->Open();
  std::shared_ptr<jet::QueryDef> query;
  bool complete = false;
  MarkErrorOf([&] {
    query = CallEngine(database_.data(), "CreateQueryDef",
                       [&] { return database_->DatabaseObject()->CreateQueryDef(std::string(), text); });
    complete = sql_query_->AskParameterValues(*query);
  });
  if (!complete) return;  // the dialog was cancelled or left a value out: nothing runs
  if (query->ReturnsRecords()) {
    OpenQuery(query);
    return;
  }
  MarkErrorOf([&] { CallEngine(database_.data(), "Execute", [&] { query->Execute(0); }); });
  AskForRefresh();
}

void TDaoSQLQueryForm::OpenQuery(std::shared_ptr<jet::QueryDef> query) {
  if (sql_query_->Active()) sql_query_->Close();
  sql_query_->SetStatementQuery(std::move(query));
  std::vector<std::string> lines;
  for (QTextBlock block = query_text_->document()->begin(); block.isValid(); block = block.next()) {
    lines.push_back(block.text().toStdString());
  }
  sql_query_->SetSQL(lines);
  std::exception_ptr failure;
  query_progress_->OnStartOperation = [this, &failure](TProgressDialog& window, QObject*) {
    try {
      if (!database_->Connected()) database_->Open();
      QElapsedTimer since_poll;
      since_poll.start();
      std::optional<jet::ScopedStatementCancel> cancel;
      if (const std::shared_ptr<jet::Database> engine_database = database_->DatabaseObject()) {
        cancel.emplace(*engine_database, [&] {
          if (since_poll.elapsed() >= kCancelPollMs) {
            window.ProcessMessages();
            since_poll.restart();
          }
          return window.Cancelled();
        });
      }
      sql_query_->Open();
    } catch (...) {
      failure = std::current_exception();
    }
  };
  query_progress_->Execute();
  query_progress_->OnStartOperation = nullptr;
  if (failure) MarkErrorOf([&] { std::rethrow_exception(failure); });
}

void TDaoSQLQueryForm::LoadClick() {
  FileDialogRequest request;
  request.title = "Load Query from File";
  request.default_ext = "SQL";
  request.filter = kFileFilterOpen;
  request.must_exist = true;
  const std::optional<std::string> path = Gui().OpenFileDialog(request);
  if (path) {
    std::ifstream in(*path, std::ios::binary);
    if (!in) throw Exception("The file " + *path + " could not be read.");
    std::ostringstream content;
    content << in.rdbuf();
    QString text = QString::fromUtf8(content.str());
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    if (text.endsWith('\n')) text.chop(1);  // the last line's end starts no further line
    query_text_->setPlainText(text);
    // The text now equals the file: nothing of it is lost by closing.
    query_text_->document()->setModified(false);
  }
  RefreshEnabledStates();
}

bool TDaoSQLQueryForm::SaveClick() {
  FileDialogRequest request;
  request.title = "Save Current Query to File";
  request.default_ext = "SQL";
  request.filter = kFileFilterSave;
  request.overwrite_prompt = true;
  const std::optional<std::string> path = Gui().SaveFileDialog(request);
  bool written = false;
  if (path) {
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    if (out) {
      for (QTextBlock block = query_text_->document()->begin(); block.isValid(); block = block.next()) {
        out << block.text().toStdString() << "\n";
      }
      out.flush();
    }
    if (!out) throw Exception("The SQL statement could not be written to " + *path + ".");
    written = true;
  }
  // Only a statement that reached a file is safe: a cancelled save keeps the mark, so that
  // closing still asks.
  if (written) query_text_->document()->setModified(false);
  RefreshEnabledStates();
  return written;
}

void TDaoSQLQueryForm::ClearClick() {
  query_text_->clear();
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::FontClick() {
  if (const std::optional<QFont> font = Gui().FontDialog(query_text_->font())) {
    query_text_->setFont(*font);
    grid_->setFont(*font);
  }
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::PrintClick() {
  Gui().PrintWidgetImage(*this);
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::ExportClick() {
  if (sql_query_->Active()) ExportData();
  RefreshEnabledStates();
}

// The rows go out through the data viewer's export, with this window's own progress text.
void TDaoSQLQueryForm::ExportData() {
  TDataExport(this, QString::fromStdString(export_progress_->Text())).Run(*sql_query_);
}

void TDaoSQLQueryForm::DBViewClick() {
  ShowArchitecture();
  RefreshEnabledStates();
}

// The architecture window pastes names into this window's statement.
void TDaoSQLQueryForm::ShowArchitecture() { ShowDBArchitecture(database_.data()); }

void TDaoSQLQueryForm::CloseClick() { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); }

void TDaoSQLQueryForm::StartTransactionClick() {
  if (DatabaseReady() && !database_->InTransaction()) database_->BeginTrans();
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::CommitTransactionClick() {
  if (DatabaseReady() && database_->InTransaction()) database_->CommitTrans(0);
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::RollbackTransactionClick() {
  if (DatabaseReady() && database_->InTransaction()) database_->Rollback();
  RefreshEnabledStates();
}

void TDaoSQLQueryForm::closeEvent(QCloseEvent* event) {
  bool may_close = false;  // stays false when asking or saving fails
  App().CallGuarded([&] {
    if (!query_text_->document()->isModified()) {
      may_close = true;
      return;
    }
    const int answer = Gui().MessageBox(
        "You have modified the SQL-Statement. Do you want to save the current SQL-Statement ?", "Confirmation",
        MB_YESNOCANCEL | MB_ICONQUESTION);
    // Yes with the save dialog cancelled saved nothing: the statement stays, and so does the window.
    may_close = answer == IDNO || (answer == IDYES && SaveClick());
  });
  if (may_close) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace qb
