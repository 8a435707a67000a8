// app/architecture/db_architecture_form: the single architecture window, its set-up, the fills
// of its lists, the enabled states of its menus and its actions.
#include "app/architecture/db_architecture_form.h"

#include <QAction>
#include <functional>
#include <tuple>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

#include "app/diagram/relationships_window.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/toolwindows/tool_windows.h"
#include "app/widgets/list_box_rules.h"
#include "framework/gui/application.h"
#include "jet/dao/field.h"
#include "jet/dao/querydef.h"
#include "jet/dao/tabledef.h"

namespace qb {

namespace {

QPointer<TFormDBArchitecture>& Instance() {
  static QPointer<TFormDBArchitecture> instance;
  return instance;
}

bool Exists(StatementEditorKind kind) { return StatementEditor(kind) != nullptr; }

// The selected entry's text, "" when nothing is selected.
std::string SelectedText(const QListWidget& list) {
  const int position = SelectedPosition(list);
  return position < 0 ? std::string() : list.item(position)->text().toStdString();
}

void SelectFirst(QListWidget& list) {
  if (list.count() > 0) list.setCurrentRow(0);
}

}  // namespace

void ShowDBArchitecture(TDAODataBase* database) {
  TFormDBArchitecture* window = SingleToolWindow(Instance());
  window->show();
  window->raise();
  window->activateWindow();
  window->SetDataBase(database);
}

TFormDBArchitecture* DBArchitecture() { return Instance().data(); }

TFormDBArchitecture::TFormDBArchitecture(QWidget* parent) : QWidget(parent) {
  setObjectName("TFormDBArchitecture");
  setWindowTitle("Database: Undefined");
  BuildControls();
  ConnectControls();
  resize(300, 300);
  setMinimumSize(180, 180);
  SetMenuItemsEnabled();
}

TFormDBArchitecture::~TFormDBArchitecture() = default;

void TFormDBArchitecture::ConnectControls() {
  auto guarded = [this](auto action) {
    return [this, action] { App().CallGuarded([this, action] { action(this); }); };
  };
  using Kind = StatementEditorKind;
  auto paste = [](void (TFormDBArchitecture::*handler)(Kind), Kind kind) {
    return [handler, kind](TFormDBArchitecture* self) { (self->*handler)(kind); };
  };
  connect(table_actions_[0], &QAction::triggered, this, guarded(std::mem_fn(&TFormDBArchitecture::EditTableData)));
  connect(table_actions_[1], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteTableName, Kind::kSQLQueryForm)));
  connect(table_actions_[2], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteTableName, Kind::kStoredProcDesigner)));
  connect(proc_actions_[0], &QAction::triggered, this, guarded(std::mem_fn(&TFormDBArchitecture::EditStoredProcData)));
  connect(proc_actions_[1], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteStoredProcName, Kind::kSQLQueryForm)));
  connect(proc_actions_[2], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteStoredProcName, Kind::kStoredProcDesigner)));
  connect(table_field_actions_[0], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteTableFieldName, Kind::kSQLQueryForm)));
  connect(table_field_actions_[1], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteTableFieldName, Kind::kStoredProcDesigner)));
  connect(proc_field_actions_[0], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteStoredProcFieldName, Kind::kSQLQueryForm)));
  connect(proc_field_actions_[1], &QAction::triggered, this,
          guarded(paste(&TFormDBArchitecture::PasteStoredProcFieldName, Kind::kStoredProcDesigner)));
  connect(btn_sql_, &QPushButton::clicked, this, guarded(std::mem_fn(&TFormDBArchitecture::BtnSQLClick)));
  connect(btn_relationships_, &QPushButton::clicked, this,
          guarded(std::mem_fn(&TFormDBArchitecture::BtnRelationshipsClick)));
  connect(btn_close_, &QPushButton::clicked, this, guarded(std::mem_fn(&TFormDBArchitecture::BtnCloseClick)));

  const std::pair<QListWidget*, QMenu*> menus[] = {{list_tables_, table_menu_},
                                                   {list_procs_, proc_menu_},
                                                   {list_table_fields_, table_field_menu_},
                                                   {list_proc_fields_, proc_field_menu_}};
  for (const auto& [list, menu] : menus) {
    connect(list, &QWidget::customContextMenuRequested, this,
            [list, menu](const QPoint& point) { menu->popup(list->viewport()->mapToGlobal(point)); });
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }
}

bool TFormDBArchitecture::event(QEvent* event) {
  // Windows opened or closed meanwhile change which pastes have a target.
  if (event->type() == QEvent::WindowActivate) SetMenuItemsEnabled();
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    BtnCloseClick();  // "Close" is the cancel button
    return true;
  }
  return QWidget::event(event);
}

// Mouse events arrive at a list's viewport, key events at the list; the list still handles
// each event itself afterwards.
bool TFormDBArchitecture::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  for (QListWidget* list : {list_tables_, list_procs_, list_table_fields_, list_proc_fields_}) {
    const bool viewport = watched == list->viewport();
    if (!viewport && watched != list) continue;
    const bool mouse = viewport && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease);
    const bool key = !viewport && type == QEvent::KeyRelease;
    const bool double_click = viewport && type == QEvent::MouseButtonDblClick;
    App().CallGuarded([&] {
      // A press has not selected yet when it arrives: take the entry under the pointer first.
      if (mouse) SelectEntryAt(*list, static_cast<QMouseEvent*>(event)->position().toPoint());
      if (list == list_tables_ && (mouse || key)) FillTableFieldList();
      if (list == list_procs_ && (mouse || key)) FillStoredProcFieldList();
      if (double_click) {
        if (list == list_tables_) TableDoubleClick();
        if (list == list_procs_) StoredProcDoubleClick();
        if (list == list_table_fields_) TableFieldDoubleClick();
        if (list == list_proc_fields_) StoredProcFieldDoubleClick();
      }
    });
    // Double-clicking must not start editing or anything else the list would do.
    return double_click;
  }
  return QWidget::eventFilter(watched, event);
}

void TFormDBArchitecture::SetDataBase(TDAODataBase* database) {
  if (database == database_.data()) return;
  database_ = database;
  setWindowTitle(database != nullptr ? QString::fromStdString("Database: " + database->Name())
                                     : QString("Database: Undefined"));
  // The states follow the lists even when an error while listing ends the set-up early.
  struct StatesAfterwards {
    TFormDBArchitecture* window;
    ~StatesAfterwards() { window->SetMenuItemsEnabled(); }
  } states{this};
  FillTableList();
  FillTableFieldList();
  FillStoredProcList();
  FillStoredProcFieldList();
}

void TFormDBArchitecture::FillTableList() {
  list_tables_->clear();
  if (database_.isNull()) return;
  if (auto tables = database_->TableDefs()) {
    for (int i = 0; i < tables->Count(); ++i) list_tables_->addItem(QString::fromStdString(tables->Item(i)->Name()));
  }
  SelectFirst(*list_tables_);
}

void TFormDBArchitecture::FillTableFieldList() {
  list_table_fields_->clear();
  if (database_.isNull()) return;
  auto tables = database_->TableDefs();
  const int position = SelectedPosition(*list_tables_);
  if (!tables || position < 0 || position >= tables->Count()) return;
  std::shared_ptr<jet::TableDef> table = tables->Item(position);
  auto fields = table->Fields();
  for (int i = 0; i < fields->Count(); ++i) list_table_fields_->addItem(QString::fromStdString(fields->Item(i)->Name()));
  table_fields_header_->setText(QString::fromStdString(" Fields in Table: " + table->Name()));
  SelectFirst(*list_table_fields_);
}

void TFormDBArchitecture::FillStoredProcList() {
  list_procs_->clear();
  if (database_.isNull()) return;
  if (auto queries = database_->QueryDefs()) {
    for (int i = 0; i < queries->Count(); ++i) list_procs_->addItem(QString::fromStdString(queries->Item(i)->Name()));
  }
  SelectFirst(*list_procs_);
}

void TFormDBArchitecture::FillStoredProcFieldList() {
  list_proc_fields_->clear();
  if (database_.isNull()) return;
  auto queries = database_->QueryDefs();
  const int position = SelectedPosition(*list_procs_);
  if (!queries || position < 0 || position >= queries->Count()) return;
  std::shared_ptr<jet::QueryDef> query = queries->Item(position);
  // The header names the query before its fields are read, so that an error reading them
  // (a query that cannot be evaluated) is shown beside the right name.
  proc_fields_header_->setText(QString::fromStdString(" Fields in stored Procedure: " + query->Name()));
  auto fields = query->Fields();
  for (int i = 0; i < fields->Count(); ++i) list_proc_fields_->addItem(QString::fromStdString(fields->Item(i)->Name()));
  SelectFirst(*list_proc_fields_);
}

void TFormDBArchitecture::SetMenuItemsEnabled() {
  const bool database = !database_.isNull();
  const bool sql_form = Exists(StatementEditorKind::kSQLQueryForm);
  const bool designer = Exists(StatementEditorKind::kStoredProcDesigner);
  const std::tuple<QListWidget*, QAction*, QAction*, QAction*> menus[] = {
      {list_tables_, table_actions_[0], table_actions_[1], table_actions_[2]},
      {list_procs_, proc_actions_[0], proc_actions_[1], proc_actions_[2]},
      {list_table_fields_, nullptr, table_field_actions_[0], table_field_actions_[1]},
      {list_proc_fields_, nullptr, proc_field_actions_[0], proc_field_actions_[1]}};
  for (const auto& [list, edit_data, to_sql, to_designer] : menus) {
    const bool filled = database && list->count() > 0;
    if (edit_data != nullptr) edit_data->setEnabled(filled);
    to_sql->setEnabled(filled && sql_form);
    to_designer->setEnabled(filled && designer);
  }
}

void TFormDBArchitecture::EditTableData() {
  const std::string name = SelectedText(*list_tables_);
  if (!database_.isNull() && !name.empty()) ShowDataViewer(database_.data(), name);
}

void TFormDBArchitecture::EditStoredProcData() {
  const std::string name = SelectedText(*list_procs_);
  if (!database_.isNull() && !name.empty()) ShowDataViewer(database_.data(), name);
}

void TFormDBArchitecture::PasteSelected(const QListWidget& list, StatementEditorKind target) {
  if (database_.isNull() || SelectedPosition(list) < 0) return;
  // Inserted as listed: no brackets, quotes or table prefix.
  PasteIntoStatementEditor(target, SelectedText(list));
}

void TFormDBArchitecture::PasteTableName(StatementEditorKind target) { PasteSelected(*list_tables_, target); }
void TFormDBArchitecture::PasteStoredProcName(StatementEditorKind target) { PasteSelected(*list_procs_, target); }
void TFormDBArchitecture::PasteTableFieldName(StatementEditorKind target) {
  PasteSelected(*list_table_fields_, target);
}
void TFormDBArchitecture::PasteStoredProcFieldName(StatementEditorKind target) {
  PasteSelected(*list_proc_fields_, target);
}

void TFormDBArchitecture::NameDoubleClick(const QListWidget& list, void (TFormDBArchitecture::*edit_data)()) {
  if (database_.isNull() || SelectedPosition(list) < 0) return;
  if (Exists(StatementEditorKind::kSQLQueryForm)) {
    PasteSelected(list, StatementEditorKind::kSQLQueryForm);
  } else if (Exists(StatementEditorKind::kStoredProcDesigner)) {
    PasteSelected(list, StatementEditorKind::kStoredProcDesigner);
  } else {
    (this->*edit_data)();
  }
}

void TFormDBArchitecture::FieldDoubleClick(const QListWidget& list) {
  if (Exists(StatementEditorKind::kSQLQueryForm)) {
    PasteSelected(list, StatementEditorKind::kSQLQueryForm);
  } else if (Exists(StatementEditorKind::kStoredProcDesigner)) {
    PasteSelected(list, StatementEditorKind::kStoredProcDesigner);
  }
}

void TFormDBArchitecture::TableDoubleClick() { NameDoubleClick(*list_tables_, &TFormDBArchitecture::EditTableData); }
void TFormDBArchitecture::StoredProcDoubleClick() {
  NameDoubleClick(*list_procs_, &TFormDBArchitecture::EditStoredProcData);
}
void TFormDBArchitecture::TableFieldDoubleClick() { FieldDoubleClick(*list_table_fields_); }
void TFormDBArchitecture::StoredProcFieldDoubleClick() { FieldDoubleClick(*list_proc_fields_); }

void TFormDBArchitecture::BtnSQLClick() { ShowSQLQueryForm(database_.data()); }

void TFormDBArchitecture::BtnRelationshipsClick() {
  if (database_.isNull() || !database_->DatabaseObject()) return;
  // Beside the window that owns this one (the database editor), so that it outlives this one.
  ShowRelationshipsWindow(database_.data(), parentWidget() != nullptr ? parentWidget() : this);
}

void TFormDBArchitecture::BtnCloseClick() { close(); }

}  // namespace qb
