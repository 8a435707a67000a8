// app/dbedit/db_edit_dlg: TDBEditDlg, the modal database editor: the containers with their
// documents, the tables with their attributes and the stored procedures of one database
// component, and the actions that create, rename, delete, design and show them. Works on the
// engine's collections as the database component hands them out and keeps no copy of them.
//
// Lifetime: made and run by ShowDBEditDlg. Set-up connects a disconnected database; the
// destructor releases every single tool window, then disconnects the database again when the
// set-up connected it.
#pragma once
#include <QDialog>
#include <QPointer>
#include <memory>
#include <string>

#include "engine/dao_database.h"

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

namespace qb {

namespace jet {
class TableDefs;
class QueryDefs;
}  // namespace jet

// Runs the database editor modally on DATABASE and frees it afterwards; nothing without a
// database. Raises what the set-up raises (connecting the database).
void ShowDBEditDlg(TDAODataBase* database);

// Refreshes the lists of the database editor that is shown (RefreshLists), if any: the main
// window's answer to a tool window's refresh request. Raises what reading the catalog raises.
void RefreshOpenDatabaseEditors();

class TDBEditDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TDBEditDlg(QWidget* parent = nullptr);
  ~TDBEditDlg() override;

  // The set-up: stores DATABASE (null: none), warns and lists nothing for an ODBC workspace,
  // connects a disconnected database, fills the three lists and sets the enabled states.
  // Raises what connecting and reading the catalog raise.
  void SetDataBase(TDAODataBase* database);
  TDAODataBase* DataBase() const { return database_; }

  // Fills the three lists again and sets the enabled states, as after the set-up: what the main
  // window does when a tool window asks for a refresh. Nothing without a database or for an
  // ODBC workspace. Raises what reading the catalog raises.
  void RefreshLists();

  // List fills and displays, as the set-up and the list events run them.
  void FillContainerList();
  void FillDocumentList();
  void FillTableList();
  void ShowTableAttributes();
  void FillStoredProcList();
  void SetTableActionsEnabled();
  void SetStoredProcActionsEnabled();

  // Actions: the buttons, the context menus and double-clicks run these (through the default
  // exception display). Each does nothing without its database, collection or selected entry,
  // and raises what the engine raises; lists already changed keep their state.
  void BtnNewTableClick();
  void BtnDeleteTableClick();
  void BtnRenameTableClick();
  void BtnDesignTableClick();
  void BtnDataTableClick();
  void BtnNewStoredProcClick();
  void BtnDeleteStoredProcClick();
  void BtnRenameStoredProcClick();
  void BtnDesignStoredProcClick();
  void BtnDataStoredProcClick();
  void BtnSQLClick();
  void BtnRelationshipsClick();  // the Relationships diagram window
  void BtnCloseClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();  // db_edit_layout.cpp
  void ConnectActions();
  std::shared_ptr<jet::TableDefs> TableDefs() const;
  std::shared_ptr<jet::QueryDefs> QueryDefs() const;
  // The selected position of LIST when COUNT objects exist and it is one of them, else -1.
  static int SelectedBelow(const QListWidget& list, int count);
  void ListEvent(QListWidget* list, bool viewport, QEvent* event);

  QPointer<TDAODataBase> database_;  // not owned; may go away while the editor runs
  bool was_connected_ = true;        // false only when the set-up connected the database

  // Controls, owned by the window.
  QTabWidget* pages_ = nullptr;
  QListWidget* list_containers_ = nullptr;
  QListWidget* list_documents_ = nullptr;
  QLabel* documents_header_ = nullptr;
  QListWidget* list_tables_ = nullptr;
  QListWidget* list_procs_ = nullptr;
  QPushButton* table_new_ = nullptr;
  QPushButton* table_delete_ = nullptr;
  QPushButton* table_design_ = nullptr;
  QPushButton* table_rename_ = nullptr;
  QPushButton* table_data_ = nullptr;
  QPushButton* proc_new_ = nullptr;
  QPushButton* proc_delete_ = nullptr;
  QPushButton* proc_design_ = nullptr;
  QPushButton* proc_rename_ = nullptr;
  QPushButton* proc_data_ = nullptr;
  QPushButton* btn_sql_ = nullptr;
  QPushButton* btn_relationships_ = nullptr;
  QPushButton* btn_close_ = nullptr;
  QCheckBox* attribute_boxes_[6] = {};
  QMenu* table_menu_ = nullptr;
  QMenu* proc_menu_ = nullptr;
  bool showing_attributes_ = false;  // set while the boxes are set from the engine
};

}  // namespace qb
