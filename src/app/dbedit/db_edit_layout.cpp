// app/dbedit/db_edit_layout: the controls of the database editor, their names, texts and
// places. Behaviour lives in db_edit_dlg.cpp.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/dbedit/db_edit_dlg.h"
#include "app/widgets/nim_grip_panel.h"

namespace qb {

namespace {

QLabel* Header(const char* name, const char* text, QWidget* parent) {
  auto* header = new QLabel(QString::fromUtf8(text), parent);
  header->setObjectName(name);
  header->setFrameShape(QFrame::Panel);
  header->setFrameShadow(QFrame::Raised);
  return header;
}

QListWidget* List(const char* name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

QPushButton* Button(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// A header above LIST, and a column of BUTTONS beside it.
QWidget* ListPage(const char* name, QLabel* header, QListWidget* list, const std::vector<QPushButton*>& buttons) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* column = new QVBoxLayout;
  for (QPushButton* button : buttons) column->addWidget(button);
  column->addStretch(1);
  auto* grid = new QGridLayout(page);
  grid->addWidget(header, 0, 0);
  grid->addWidget(list, 1, 0);
  grid->addLayout(column, 1, 1);
  grid->setColumnStretch(0, 1);
  return page;
}

QAction* MenuEntry(QMenu* menu, const char* name, const char* text) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(name);
  return action;
}

}  // namespace

void TDBEditDlg::BuildControls() {
  // Page "Container": the containers above their documents.
  auto* container_page = new QWidget;
  container_page->setObjectName("TabSheetContainer");
  list_containers_ = List("ListBoxContainer", container_page);
  list_documents_ = List("ListBoxDocuments", container_page);
  documents_header_ = Header("PanelDocumentsHeader", " Documents in Container:", container_page);
  auto* container_header = Header("PanelContainerHeader", " Container:", container_page);
  auto* split = new QSplitter(Qt::Vertical, container_page);
  split->setObjectName("SplitterContainer");
  auto* upper = new QWidget(split);
  auto* upper_layout = new QVBoxLayout(upper);
  upper_layout->setContentsMargins(0, 0, 0, 0);
  upper_layout->setSpacing(0);
  upper_layout->addWidget(container_header);
  upper_layout->addWidget(list_containers_);
  auto* lower = new QWidget(split);
  auto* lower_layout = new QVBoxLayout(lower);
  lower_layout->setContentsMargins(0, 0, 0, 0);
  lower_layout->setSpacing(0);
  lower_layout->addWidget(documents_header_);
  lower_layout->addWidget(list_documents_);
  auto* container_layout = new QVBoxLayout(container_page);
  container_layout->addWidget(split);

  // Page "Tables": the list, its actions and the attribute display.
  list_tables_ = List("ListBoxTableDefs", nullptr);
  table_new_ = Button("BtnNewTable", "New", nullptr);
  table_delete_ = Button("BtnDeleteTable", "Delete", nullptr);
  table_design_ = Button("BtnDesignTable", "Design", nullptr);
  table_rename_ = Button("BtnRenameTable", "Rename", nullptr);
  table_data_ = Button("BtnDataTable", "Data", nullptr);
  QWidget* tables_page = ListPage("TabSheetTables", Header("PanelTablesHeader", " Tables:", nullptr), list_tables_,
                                  {table_new_, table_delete_, table_design_, table_rename_, table_data_});
  auto* attributes = new QGroupBox("Table Attributes", tables_page);
  attributes->setObjectName("GroupBoxTableAttributes");
  auto* attribute_grid = new QGridLayout(attributes);
  attribute_grid->setHorizontalSpacing(8);
  attribute_grid->setColumnStretch(1, 1);
  const char* const boxes[6][2] = {
      {"CheckBoxAttachExclusive", "Attach Exclusive"}, {"CheckBoxAttachSavePassword", "Attach Save Password"},
      {"CheckBoxSystemTable", "System Table"},         {"CheckBoxHiddenTable", "Hidden Table"},
      {"CheckBoxLinkedTable", "Linked Table"},         {"CheckBoxODBCLink", "ODBC Link"}};
  for (int i = 0; i < 6; ++i) {
    auto* box = new QCheckBox(QString::fromUtf8(boxes[i][1]), attributes);
    box->setObjectName(boxes[i][0]);
    box->setEnabled(false);
    attribute_boxes_[i] = box;
    // The long texts share the first column, so both columns fit the window's width.
    static const int kCell[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 0}, {2, 1}};
    attribute_grid->addWidget(box, kCell[i][0], kCell[i][1]);
  }
  static_cast<QGridLayout*>(tables_page->layout())->addWidget(attributes, 2, 0, 1, 2);

  // Page "Stored Procedures".
  list_procs_ = List("ListBoxStoredProcs", nullptr);
  proc_new_ = Button("BtnNewStoredProc", "New", nullptr);
  proc_delete_ = Button("BtnDeleteStoredProc", "Delete", nullptr);
  proc_design_ = Button("BtnDesignStoredProc", "Design", nullptr);
  proc_rename_ = Button("BtnRenameStoredProc", "Rename", nullptr);
  proc_data_ = Button("BtnDataStoredProc", "Data", nullptr);
  QWidget* procs_page =
      ListPage("TabSheetStoredProcs", Header("PanelStoredProcsHeader", " Stored Procedures:", nullptr), list_procs_,
               {proc_new_, proc_delete_, proc_design_, proc_rename_, proc_data_});

  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  pages_->addTab(container_page, "Container");
  pages_->addTab(tables_page, "Tables");
  pages_->addTab(procs_page, "Stored Procedures");
  pages_->setCurrentIndex(0);

  // The context menus: each entry runs the button of its action.
  table_menu_ = new QMenu(this);
  table_menu_->setObjectName("PopupMenuTables");
  MenuEntry(table_menu_, "MenuTableDelete", "Delete");
  MenuEntry(table_menu_, "MenuTableDesign", "Edit Design ...");
  MenuEntry(table_menu_, "MenuTableRename", "Rename");
  MenuEntry(table_menu_, "MenuTableData", "Edit Data ...");
  proc_menu_ = new QMenu(this);
  proc_menu_->setObjectName("PopupMenuStoredProcs");
  MenuEntry(proc_menu_, "MenuStoredProcDelete", "Delete");
  MenuEntry(proc_menu_, "MenuStoredProcDesign", "Edit Design ...");
  MenuEntry(proc_menu_, "MenuStoredProcRename", "Rename ...");
  MenuEntry(proc_menu_, "MenuStoredProcData", "Edit Data ...");
  for (QListWidget* list : {list_tables_, list_procs_}) list->setContextMenuPolicy(Qt::CustomContextMenu);

  btn_relationships_ = Button("BtnRelationships", "Relationships", this);
  btn_sql_ = Button("BtnSQL", "SQL", this);
  btn_close_ = Button("BtnClose", "Close", this);
  btn_close_->setDefault(true);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btn_relationships_);
  bottom->addWidget(btn_sql_);
  bottom->addWidget(btn_close_);
  auto* grip = new TNimGripPanel(this);
  grip->setObjectName("NimGripPanel1");
  grip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  bottom->addWidget(grip, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);
}

}  // namespace qb
