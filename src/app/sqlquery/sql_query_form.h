// app/sqlquery/sql_query_form: TDaoSQLQueryForm, the window in which the user types a Jet SQL
// statement against one database component: a query (first word SELECT) opens into the result
// grid, anything else is executed as an action statement, and a statement declaring
// PARAMETERS runs either way once the parameter dialog gave its values; statement files are
// loaded and saved, transactions begun, committed and rolled back, the rows exported, the
// window printed.
//
// Lifetime: at most one exists (ShowSQLQueryForm); it is freed when closed and goes with the
// database editor. It connects a disconnected database and never disconnects it.
#pragma once
#include <QPointer>
#include <QWidget>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "controls/dao_data_grid.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace qb {

namespace jet {
class QueryDef;
}  // namespace jet

class TDAODataBase;
class TDAORecordset;
class TDataSource;
class TDBNavigator;
class TJetSqlHighlighter;
class TNimMainMenu;
class TNimProgressIndicator;
class TDaoSQLQueryForm;

// The result grid's class: every use goes through this name.
using TSQLResultGrid = TDAODataGrid;

// Shows the single SQL query window for DATABASE (created on first use, given the database,
// shown and raised); nothing without a database. Raises what connecting the database raises.
void ShowSQLQueryForm(TDAODataBase* database);
// The single SQL query window while it exists, else null (names are pasted into its statement).
TDaoSQLQueryForm* SQLQueryFormInstance();

class TDaoSQLQueryForm : public QWidget {
  Q_OBJECT

 public:
  explicit TDaoSQLQueryForm(QWidget* parent = nullptr);
  ~TDaoSQLQueryForm() override;

  // The set-up: takes DATABASE (closing the query of another one), refreshes the panels, the
  // enabled states and the caption, and connects a disconnected database (which may raise).
  void SetDataBase(TDAODataBase* database);
  TDAODataBase* DataBase() const { return database_; }

  // The commands, as the tool bar and the menu run them (through the default exception
  // display). Each raises what the components raise.
  void RunClick();
  void LoadClick();
  // Saves the statement; true when a file was written.
  bool SaveClick();
  void ClearClick();
  void FontClick();
  void PrintClick();
  void ExportClick();
  void DBViewClick();
  void CloseClick();  // posts the close request
  void StartTransactionClick();
  void CommitTransactionClick();
  void RollbackTransactionClick();

  void RefreshStatusPanels();
  void RefreshEnabledStates();

  TDAORecordset* SQLQuery() const { return sql_query_; }
  TDataSource* DataSourceSQLQuery() const { return data_source_; }
  TSQLResultGrid* SQLResultGrid() const { return grid_; }
  TDBNavigator* Navigator() const { return navigator_; }
  QPlainTextEdit* QueryText() const { return query_text_; }
  TNimMainMenu* MainMenu() const { return menu_; }
  TNimProgressIndicator* ProgressIndicator() const { return export_progress_; }
  TNimProgressIndicator* QueryProgress() const { return query_progress_; }
  QString StatusText(int panel) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();  // sql_query_layout.cpp
  QToolButton* AddToolButton(const char* name, const QString& text, const QString& hint,
                             void (TDaoSQLQueryForm::*command)());
  void SaveCommand() { SaveClick(); }
  bool HasStatement() const;
  bool DatabaseReady() const;
  // Opens the statement's lines as the query, inside the progress window so that a long one
  // can be cancelled there; through QUERY, a temporary query made from them, when given.
  void OpenQuery(std::shared_ptr<jet::QueryDef> query = nullptr);
  // Runs TEXT, which declares PARAMETERS, through a temporary query whose values the
  // parameter dialog asks for; nothing runs when the dialog is cancelled.
  void RunWithParameters(const std::string& text);
  // The refresh question after an action statement; Yes posts the refresh request.
  void AskForRefresh();
  // Runs ACTION and, when it raises, moves the cursor to the error's place in the statement
  // before the error goes on.
  void MarkErrorOf(const std::function<void()>& action);
  void MoveCursorTo(int line, int column);
  // Hands the open query's rows to the data viewer's export (wired where that export lives).
  void ExportData();
  // Opens the architecture window on this database (wired where that window lives).
  void ShowArchitecture();

  QPointer<TDAODataBase> database_;  // not owned

  // Components and controls, owned by the window.
  TDAORecordset* sql_query_ = nullptr;
  TDataSource* data_source_ = nullptr;
  TNimProgressIndicator* export_progress_ = nullptr;
  TNimProgressIndicator* query_progress_ = nullptr;
  TNimMainMenu* menu_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QPlainTextEdit* query_text_ = nullptr;
  TJetSqlHighlighter* highlighter_ = nullptr;
  QSplitter* splitter_ = nullptr;
  TSQLResultGrid* grid_ = nullptr;
  TDBNavigator* navigator_ = nullptr;
  QLabel* panels_[2] = {};
  QAction* start_transaction_ = nullptr;
  QAction* commit_transaction_ = nullptr;
  QAction* rollback_transaction_ = nullptr;
  QAction* export_command_ = nullptr;
  QToolButton* btn_run_ = nullptr;
  QToolButton* btn_save_ = nullptr;
  QToolButton* btn_clear_ = nullptr;
  QToolButton* btn_export_ = nullptr;
};

}  // namespace qb
