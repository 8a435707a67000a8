// app/dataviewer/data_viewer_form: TFormDataViewer, the modeless window that shows the rows of
// one table or stored procedure of a database in an editable grid with a navigator bar, and
// exports them. At most one exists (ShowDataViewer in app/toolwindows/tool_windows.h); it is
// freed when closed and released with the database editor.
#pragma once
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "app/dataviewer/data_export.h"
#include "controls/dao_data_grid.h"
#include "engine/dao_database.h"

class QLabel;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace qb {

class TDAORecordset;
class TDataViewerRecordset;
class TDataLink;
class TDataSource;
class TDBNavigator;

// The grid control of the viewer: the data-access grid with its search and sort menu.
using TDataViewerGrid = TDAODataGrid;

// What "DB Architecture" runs with the viewer's database: ShowDBArchitecture unless a test
// installs another.
using TShowDBArchitectureEntry = void (*)(TDAODataBase* database);
// Installs ENTRY (null: the button does nothing); returns the previous one.
TShowDBArchitectureEntry SetShowDBArchitectureEntry(TShowDBArchitectureEntry entry);

// Opens the single data viewer on NAME of DATABASE (both required): made on first use, set up,
// and shown and brought to the front when the recordset opened without an error.
void ShowDataViewerWindow(TDAODataBase* database, const std::string& name);
// The single data viewer, or null.
class TFormDataViewer;
TFormDataViewer* DataViewerInstance();

class TFormDataViewer : public QWidget {
  Q_OBJECT

 public:
  explicit TFormDataViewer(QWidget* parent = nullptr);
  ~TFormDataViewer() override;

  // The set-up: stores DATABASE and NAME and opens NAME as a table, else as a stored procedure.
  // Errors of opening go to the default exception display; the status is refreshed either way.
  // Returns false when opening raised.
  bool SetUp(TDAODataBase* database, const std::string& name);

  TDAODataBase* DataBase() const { return database_; }
  const std::string& DataName() const { return name_; }
  TDAORecordset& RecordSet() const;
  TDataSource& DataSource() const { return *source_; }
  TDataViewerGrid* Grid() const { return grid_; }
  TDBNavigator* Navigator() const { return navigator_; }
  TDataExport& Export() { return export_; }
  QLabel* StatusPanel(int panel) const { return panels_[panel]; }
  QToolButton* ToolButton(const char* name) const;
  // The open table's exact count is taken after the grid first painted its rows: until then
  // the status shows that it is counting and the grid's scroll bar jumps to the ends only.
  bool CountPending() const { return count_pending_; }

  // The tool bar's actions.
  void BtnPrintClick();
  void BtnExportClick();
  void BtnFontClick();
  void BtnDBArchitectureClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void OpenData();
  // The two status panels and the enabled state of "Export".
  void RefreshStatus();
  // Counts the records now (the deferred step), then shows the count.
  void FinishCount();

  QPointer<TDAODataBase> database_;  // not owned
  std::string name_;
  std::unique_ptr<TDataViewerRecordset> recordset_;
  std::unique_ptr<TDataSource> source_;
  std::unique_ptr<TDataLink> status_link_;  // refreshes the status on data changes
  TDataViewerGrid* grid_;     // owned by the window
  TDBNavigator* navigator_;   // owned by the window
  QToolBar* tool_bar_ = nullptr;
  QToolButton* btn_export_ = nullptr;
  QStatusBar* status_bar_ = nullptr;
  QLabel* panels_[2] = {};
  QTimer* count_timer_ = nullptr;  // owned by the window; started by the grid's first paint
  bool count_pending_ = false;
  TDataExport export_;
};

}  // namespace qb
