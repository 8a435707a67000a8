// app/dbedit/db_edit_dlg: set-up, list fills, list events and actions of the database editor.
// Every action reads the engine's collections afresh from the database component. The engine
// lists tables and queries by name, so once an entry was renamed in place its position may
// stand for another object: actions take the object named by the selected entry's text.
#include "app/dbedit/db_edit_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "app/diagram/relationships_window.h"
#include "app/login/database_password.h"
#include "app/tabledesign/table_design_form.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/toolwindows/tool_windows.h"
#include "app/widgets/list_box_rules.h"
#include "engine/dao_database.h"
#include "engine/dao_message_box.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "framework/gui/message_box.h"
#include "jet/dao/catalog_objects.h"
#include "jet/dao/field.h"
#include "jet/dao/querydef.h"
#include "jet/dao/tabledef.h"

namespace qb {

namespace {

// TableDef.Attributes masks of the six boxes, in the order of attribute_boxes_.
constexpr std::uint32_t kAttributeMasks[6] = {
    0x00010000,  // dbAttachExclusive
    0x00020000,  // dbAttachSavePWD
    0x80000002,  // dbSystemObject (either bit)
    0x00000001,  // dbHiddenObject
    0x40000000,  // dbAttachedTable
    0x20000000,  // dbAttachedODBC
};

constexpr int kLong = 4;              // dbLong
constexpr int kAutoIncrField = 0x10;  // dbAutoIncrField

// The text of LIST's selected entry. REQUIRES: an entry is selected.
std::string SelectedName(const QListWidget& list) { return list.currentItem()->text().toStdString(); }

template <class Collection>
std::vector<std::string> ItemNames(const Collection& items) {
  std::vector<std::string> names;
  for (int i = 0; i < items.Count(); ++i) names.push_back(items.Item(i)->Name());
  return names;
}

template <class Collection>
void FillNames(QListWidget& list, const Collection* items) {
  const int remembered = SelectedPosition(list);
  list.clear();
  if (items != nullptr) {
    for (const std::string& name : ItemNames(*items)) list.addItem(QString::fromStdString(name));
  }
  RestoreSelection(list, remembered);
}

}  // namespace

void ShowDBEditDlg(TDAODataBase* database) {
  if (database == nullptr) return;
  TDBEditDlg dialog;
  dialog.SetDataBase(database);
  Gui().RunModal(dialog);
}

void RefreshOpenDatabaseEditors() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* editor = qobject_cast<TDBEditDlg*>(window); editor && editor->isVisible()) editor->RefreshLists();
  }
}

TDBEditDlg::TDBEditDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TDBEditDlg");
  setWindowTitle("Database: Undefined");
  BuildControls();
  ConnectActions();
  resize(340, 400);
  setMinimumSize(200, 200);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
  }
  SetTableActionsEnabled();
  SetStoredProcActionsEnabled();
}

TDBEditDlg::~TDBEditDlg() {
  // No tool window may outlive the editor that opened it.
  ReleaseSingleToolWindows();
  if (!was_connected_ && !database_.isNull() && database_->Connected()) {
    App().CallGuarded([this] { database_->Close(); });
  }
}

void TDBEditDlg::ConnectActions() {
  auto guarded = [this](void (TDBEditDlg::*handler)()) {
    return [this, handler] { App().CallGuarded([this, handler] { (this->*handler)(); }); };
  };
  const std::pair<QPushButton*, void (TDBEditDlg::*)()> buttons[] = {
      {table_new_, &TDBEditDlg::BtnNewTableClick},
      {table_delete_, &TDBEditDlg::BtnDeleteTableClick},
      {table_design_, &TDBEditDlg::BtnDesignTableClick},
      {table_rename_, &TDBEditDlg::BtnRenameTableClick},
      {table_data_, &TDBEditDlg::BtnDataTableClick},
      {proc_new_, &TDBEditDlg::BtnNewStoredProcClick},
      {proc_delete_, &TDBEditDlg::BtnDeleteStoredProcClick},
      {proc_design_, &TDBEditDlg::BtnDesignStoredProcClick},
      {proc_rename_, &TDBEditDlg::BtnRenameStoredProcClick},
      {proc_data_, &TDBEditDlg::BtnDataStoredProcClick},
      {btn_sql_, &TDBEditDlg::BtnSQLClick},
      {btn_relationships_, &TDBEditDlg::BtnRelationshipsClick},
      {btn_close_, &TDBEditDlg::BtnCloseClick}};
  for (const auto& [button, handler] : buttons) connect(button, &QPushButton::clicked, this, guarded(handler));

  // Menu entries in the order Delete, Design, Rename, Data: each runs its button's action.
  const QList<QAction*> table_entries = table_menu_->actions();
  const QList<QAction*> proc_entries = proc_menu_->actions();
  void (TDBEditDlg::*const table_handlers[4])() = {&TDBEditDlg::BtnDeleteTableClick, &TDBEditDlg::BtnDesignTableClick,
                                                   &TDBEditDlg::BtnRenameTableClick, &TDBEditDlg::BtnDataTableClick};
  void (TDBEditDlg::*const proc_handlers[4])() = {
      &TDBEditDlg::BtnDeleteStoredProcClick, &TDBEditDlg::BtnDesignStoredProcClick,
      &TDBEditDlg::BtnRenameStoredProcClick, &TDBEditDlg::BtnDataStoredProcClick};
  for (int i = 0; i < 4; ++i) {
    connect(table_entries[i], &QAction::triggered, this, guarded(table_handlers[i]));
    connect(proc_entries[i], &QAction::triggered, this, guarded(proc_handlers[i]));
  }
  connect(list_tables_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& point) { table_menu_->popup(list_tables_->viewport()->mapToGlobal(point)); });
  connect(list_procs_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& point) { proc_menu_->popup(list_procs_->viewport()->mapToGlobal(point)); });

  // The attribute boxes only display: any change of one puts the engine's values back.
  for (QCheckBox* box : attribute_boxes_) {
    connect(box, &QCheckBox::toggled, this, [this] {
      if (!showing_attributes_) App().CallGuarded([this] { ShowTableAttributes(); });
    });
  }

  for (QListWidget* list : {list_containers_, list_tables_, list_procs_}) {
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }
}

bool TDBEditDlg::eventFilter(QObject* watched, QEvent* event) {
  for (QListWidget* list : {list_containers_, list_tables_, list_procs_}) {
    if (watched == list || watched == list->viewport()) {
      App().CallGuarded([&] { ListEvent(list, watched == list->viewport(), event); });
      break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// The list events of the three lists: mouse events arrive at a list's viewport, key events at
// the list. The list still handles each event itself afterwards.
void TDBEditDlg::ListEvent(QListWidget* list, bool viewport, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool mouse = viewport && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease);
  const bool key = !viewport && type == QEvent::KeyRelease;
  // A press has not selected yet when it arrives here: the entry under the pointer is taken
  // first, so that the context menu acts on the entry that was clicked.
  if (mouse) SelectEntryAt(*list, static_cast<QMouseEvent*>(event)->position().toPoint());
  if (list == list_containers_) {
    if (mouse || key) FillDocumentList();
    return;
  }
  if (list == list_tables_ && (mouse || key)) ShowTableAttributes();
  if (viewport && type == QEvent::MouseButtonDblClick) {
    if (list == list_tables_) {
      BtnDesignTableClick();
    } else {
      BtnDesignStoredProcClick();
    }
  }
}

std::shared_ptr<jet::TableDefs> TDBEditDlg::TableDefs() const {
  return database_.isNull() ? nullptr : database_->TableDefs();
}

std::shared_ptr<jet::QueryDefs> TDBEditDlg::QueryDefs() const {
  return database_.isNull() ? nullptr : database_->QueryDefs();
}

int TDBEditDlg::SelectedBelow(const QListWidget& list, int count) {
  const int position = SelectedPosition(list);
  return position >= 0 && position < count ? position : -1;
}

void TDBEditDlg::SetDataBase(TDAODataBase* database) {
  database_ = database;
  if (database != nullptr) {
    if (database->GetWorkspaceType() == wtUseODBC) {
      ShowMessageBox(
          "The Database Design Dialog can only be used for Databases opened in a Workspace of Type wtUseJet.",
          mcWarning, MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    was_connected_ = database->Connected();
    setWindowTitle(QString::fromStdString("Database: " + database->Name()));
    ConnectDatabase(*database);
  } else {
    setWindowTitle("Database: Undefined");
  }
  FillContainerList();
  FillTableList();
  FillStoredProcList();
  SetTableActionsEnabled();
  SetStoredProcActionsEnabled();
}

void TDBEditDlg::RefreshLists() {
  if (database_.isNull() || database_->GetWorkspaceType() == wtUseODBC) return;
  FillContainerList();
  FillTableList();
  FillStoredProcList();
  SetTableActionsEnabled();
  SetStoredProcActionsEnabled();
}

void TDBEditDlg::FillContainerList() {
  list_containers_->clear();
  if (!database_.isNull() && database_->GetWorkspaceType() != wtUseODBC) {
    if (auto containers = database_->Containers()) {
      for (const std::string& name : ItemNames(*containers)) list_containers_->addItem(QString::fromStdString(name));
    }
  }
  if (list_containers_->count() > 0) list_containers_->setCurrentRow(0);
  FillDocumentList();
}

void TDBEditDlg::FillDocumentList() {
  list_documents_->clear();
  if (database_.isNull()) return;
  auto containers = database_->Containers();
  if (!containers) return;
  const int position = SelectedBelow(*list_containers_, containers->Count());
  if (position < 0) return;
  auto container = containers->Item(position);
  for (const std::string& name : ItemNames(*container->Documents()))
    list_documents_->addItem(QString::fromStdString(name));
  if (list_documents_->count() > 0) list_documents_->setCurrentRow(0);
  documents_header_->setText(QString::fromStdString(" Documents in Container: " + container->Name()));
}

void TDBEditDlg::FillTableList() {
  auto tables = TableDefs();
  FillNames(*list_tables_, tables.get());
  ShowTableAttributes();
}

void TDBEditDlg::ShowTableAttributes() {
  auto tables = TableDefs();
  if (!tables) return;
  const int position = SelectedBelow(*list_tables_, tables->Count());
  if (position < 0) return;
  const auto attributes = static_cast<std::uint32_t>(tables->Item(SelectedName(*list_tables_))->Attributes());
  showing_attributes_ = true;
  for (int i = 0; i < 6; ++i) attribute_boxes_[i]->setChecked((attributes & kAttributeMasks[i]) != 0);
  showing_attributes_ = false;
}

void TDBEditDlg::FillStoredProcList() {
  auto queries = QueryDefs();
  FillNames(*list_procs_, queries.get());
}

void TDBEditDlg::SetTableActionsEnabled() {
  const bool present = !database_.isNull();
  const bool any = present && list_tables_->count() > 0;
  table_new_->setEnabled(present);
  for (QPushButton* button : {table_delete_, table_design_, table_rename_, table_data_}) button->setEnabled(any);
  for (QAction* entry : table_menu_->actions()) entry->setEnabled(any);
}

void TDBEditDlg::SetStoredProcActionsEnabled() {
  const bool present = !database_.isNull();
  const bool any = present && list_procs_->count() > 0;
  proc_new_->setEnabled(present);
  for (QPushButton* button : {proc_delete_, proc_design_, proc_rename_, proc_data_}) button->setEnabled(any);
  for (QAction* entry : proc_menu_->actions()) entry->setEnabled(any);
}

void TDBEditDlg::BtnNewTableClick() {
  auto tables = TableDefs();
  if (!tables) return;
  const std::string proposal = ProposeName("NewTable", ItemNames(*tables));
  std::optional<std::string> name = Gui().InputBox("Enter the Name for the new Table", "Tablename:", proposal);
  if (!name) return;
  auto table = std::make_shared<jet::TableDef>();
  table->SetName(*name);
  auto id = std::make_shared<jet::Field>();
  id->SetName("ID");
  id->SetType(kLong);
  id->SetAttributes(kAutoIncrField);
  table->Fields()->Append(id);
  tables->Append(table);
  FillTableList();
  if (SelectEntryWithText(*list_tables_, *name)) ShowTableAttributes();
  BtnDesignTableClick();
  SetTableActionsEnabled();
}

void TDBEditDlg::BtnDeleteTableClick() {
  auto tables = TableDefs();
  if (!tables || SelectedBelow(*list_tables_, tables->Count()) < 0) return;
  tables->Delete(SelectedName(*list_tables_));
  FillTableList();
  SetTableActionsEnabled();
}

void TDBEditDlg::BtnRenameTableClick() {
  auto tables = TableDefs();
  if (!tables) return;
  const int position = SelectedBelow(*list_tables_, tables->Count());
  if (position < 0) return;
  auto table = tables->Item(SelectedName(*list_tables_));
  const std::string current = table->Name();
  std::optional<std::string> name = Gui().InputBox("Rename Table: " + current, "New Table Name:", current);
  if (!name) return;
  table->SetName(*name);
  list_tables_->item(position)->setText(QString::fromStdString(*name));
}

void TDBEditDlg::BtnDesignTableClick() {
  auto tables = TableDefs();
  if (!tables || SelectedBelow(*list_tables_, tables->Count()) < 0) return;
  ShowTableDesigner(database_.data(), tables->Item(SelectedName(*list_tables_)));
}

void TDBEditDlg::BtnDataTableClick() {
  auto tables = TableDefs();
  if (!tables || SelectedBelow(*list_tables_, tables->Count()) < 0) return;
  ShowDataViewer(database_.data(), SelectedName(*list_tables_));
}

void TDBEditDlg::BtnNewStoredProcClick() {
  auto queries = QueryDefs();
  if (!queries) return;
  const std::string proposal = ProposeName("NewStoredProc", ItemNames(*queries));
  std::optional<std::string> name =
      Gui().InputBox("Enter the Name for the new Stored Procedure", "Stored Procedure Name:", proposal);
  if (!name) return;
  auto query = std::make_shared<jet::QueryDef>();
  query->SetName(*name);
  queries->Append(query);
  FillStoredProcList();
  SelectEntryWithText(*list_procs_, *name);
  BtnDesignStoredProcClick();
  SetStoredProcActionsEnabled();
}

void TDBEditDlg::BtnDeleteStoredProcClick() {
  auto queries = QueryDefs();
  if (!queries || SelectedBelow(*list_procs_, queries->Count()) < 0) return;
  queries->Delete(SelectedName(*list_procs_));
  FillStoredProcList();
  SetStoredProcActionsEnabled();
}

void TDBEditDlg::BtnRenameStoredProcClick() {
  auto queries = QueryDefs();
  if (!queries) return;
  const int position = SelectedBelow(*list_procs_, queries->Count());
  if (position < 0) return;
  auto query = queries->Item(SelectedName(*list_procs_));
  const std::string current = query->Name();
  std::optional<std::string> name =
      Gui().InputBox("Rename Stored Procedure: " + current, "New Stored Procedure Name:", current);
  if (!name) return;
  query->SetName(*name);
  list_procs_->item(position)->setText(QString::fromStdString(*name));
}

void TDBEditDlg::BtnDesignStoredProcClick() {
  auto queries = QueryDefs();
  if (!queries || SelectedBelow(*list_procs_, queries->Count()) < 0) return;
  ShowStoredProcDesigner(database_.data(), queries->Item(SelectedName(*list_procs_)));
}

void TDBEditDlg::BtnDataStoredProcClick() {
  auto queries = QueryDefs();
  if (!queries || SelectedBelow(*list_procs_, queries->Count()) < 0) return;
  ShowDataViewer(database_.data(), SelectedName(*list_procs_));
}

void TDBEditDlg::BtnSQLClick() { ShowSQLQueryForm(database_.data()); }

void TDBEditDlg::BtnRelationshipsClick() {
  if (database_.isNull() || !database_->DatabaseObject()) return;
  ShowRelationshipsWindow(database_.data(), this);
}

void TDBEditDlg::BtnCloseClick() {
  // Posted, so that the click finishes before the window closes.
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

}  // namespace qb
