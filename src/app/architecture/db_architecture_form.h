// app/architecture/db_architecture_form: TFormDBArchitecture, the modeless browser of the names
// in a database: its tables and stored procedures with their fields, to be pasted into the
// statement of the SQL query window or of the stored procedure designer, or opened in the data
// viewer. The lists show the structure as it was when the database was handed over. At most
// one window exists; ShowDBArchitecture makes or reuses it.
#pragma once
#include <QPointer>
#include <QWidget>
#include <string>

#include "app/architecture/statement_editors.h"
#include "engine/dao_database.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

namespace qb {

class TFormDBArchitecture;

// Shows DATABASE in the single architecture window (made on first use), made visible and
// brought to the front. Raises what reading the catalog raises (the lists keep what was added).
void ShowDBArchitecture(TDAODataBase* database);
// The architecture window that exists, or null.
TFormDBArchitecture* DBArchitecture();

class TFormDBArchitecture : public QWidget {
  Q_OBJECT

 public:
  explicit TFormDBArchitecture(QWidget* parent = nullptr);
  ~TFormDBArchitecture() override;

  // The set-up: nothing when DATABASE is the one shown already; otherwise stores it, fills the
  // four lists, sets the menu entries' enabled states and the caption.
  void SetDataBase(TDAODataBase* database);
  TDAODataBase* DataBase() const { return database_; }

  // List fills, as the set-up and the list events run them. Each clears its list first and
  // raises what the engine raises, keeping the entries added before.
  void FillTableList();
  void FillTableFieldList();
  void FillStoredProcList();
  void FillStoredProcFieldList();
  // The menu entries' enabled states; run at set-up and whenever the window is activated.
  void SetMenuItemsEnabled();

  // Actions of the menus, the double-clicks and the buttons. Each does nothing without a
  // database, a target window or a selected entry.
  void EditTableData();
  void EditStoredProcData();
  void PasteTableName(StatementEditorKind target);
  void PasteStoredProcName(StatementEditorKind target);
  void PasteTableFieldName(StatementEditorKind target);
  void PasteStoredProcFieldName(StatementEditorKind target);
  void TableDoubleClick();
  void StoredProcDoubleClick();
  void TableFieldDoubleClick();
  void StoredProcFieldDoubleClick();
  void BtnSQLClick();
  void BtnRelationshipsClick();  // the Relationships diagram window
  void BtnCloseClick();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();  // db_architecture_layout.cpp
  void ConnectControls();
  // Pastes the selected entry of LIST into TARGET when a database is held.
  void PasteSelected(const QListWidget& list, StatementEditorKind target);
  // Edit Data for an object name, or else a paste into the SQL window, else the designer.
  void NameDoubleClick(const QListWidget& list, void (TFormDBArchitecture::*edit_data)());
  void FieldDoubleClick(const QListWidget& list);

  QPointer<TDAODataBase> database_;  // not owned; may be absent

  // Controls, owned by the window.
  QTabWidget* pages_ = nullptr;
  QListWidget* list_tables_ = nullptr;
  QListWidget* list_table_fields_ = nullptr;
  QLabel* table_fields_header_ = nullptr;
  QListWidget* list_procs_ = nullptr;
  QListWidget* list_proc_fields_ = nullptr;
  QLabel* proc_fields_header_ = nullptr;
  QPushButton* btn_sql_ = nullptr;
  QPushButton* btn_relationships_ = nullptr;
  QPushButton* btn_close_ = nullptr;
  QMenu* table_menu_ = nullptr;
  QMenu* proc_menu_ = nullptr;
  QMenu* table_field_menu_ = nullptr;
  QMenu* proc_field_menu_ = nullptr;
  // Menu entries: Edit Data, Paste to SQL, Paste to designer (none for the field menus' first).
  QAction* table_actions_[3] = {};
  QAction* proc_actions_[3] = {};
  QAction* table_field_actions_[2] = {};
  QAction* proc_field_actions_[2] = {};
};

}  // namespace qb
