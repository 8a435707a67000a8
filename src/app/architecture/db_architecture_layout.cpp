// app/architecture/db_architecture_layout: the controls of the architecture window, their names,
// texts and places. Behaviour lives in db_architecture_form.cpp.
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/architecture/db_architecture_form.h"
#include "app/widgets/nim_grip_panel.h"

namespace qb {

namespace {

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLabel* Header(const char* name, const char* text) {
  auto* header = Named(new QLabel(QString::fromUtf8(text)), name);
  header->setFrameShape(QFrame::Panel);
  header->setFrameShadow(QFrame::Raised);
  // A long table name must not widen the window: the header shows what fits.
  header->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  header->setMinimumWidth(1);
  return header;
}

QListWidget* List(const char* name) {
  auto* list = Named(new QListWidget, name);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  return list;
}

QPushButton* Button(const char* name, const char* text) {
  auto* button = Named(new QPushButton(QString::fromUtf8(text)), name);
  button->setAutoDefault(false);
  return button;
}

// HEADER above LIST, without margins.
QWidget* Column(QLabel* header, QListWidget* list) {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(header);
  layout->addWidget(list, 1);
  return column;
}

// The names at the left, the fields of the selected one at the right.
QWidget* Page(const char* name, QWidget* left, QWidget* right) {
  auto* page = Named(new QWidget, name);
  auto* split = new QSplitter(Qt::Horizontal, page);
  split->setChildrenCollapsible(false);
  split->addWidget(left);
  split->addWidget(right);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(split);
  return page;
}

QMenu* Menu(QWidget* parent, const char* name, std::initializer_list<std::pair<const char*, const char*>> entries,
            QAction** out) {
  auto* menu = Named(new QMenu(parent), name);
  for (const auto& [entry_name, text] : entries) {
    *out = menu->addAction(QString::fromUtf8(text));
    (*out++)->setObjectName(entry_name);
  }
  return menu;
}

}  // namespace

void TFormDBArchitecture::BuildControls() {
  list_tables_ = List("ListBoxTables");
  list_table_fields_ = List("ListBoxFieldsInTable");
  table_fields_header_ = Header("PanelFieldsInTableHeader", " Fields in Table: Unknown");
  list_procs_ = List("ListBoxStoredProcs");
  list_proc_fields_ = List("ListBoxFieldsInStoredProc");
  proc_fields_header_ = Header("PanelFieldsInStoredProcHeader", " Fields in Stored Procedure: Unknown");

  pages_ = Named(new QTabWidget(this), "PageControl1");
  pages_->addTab(Page("TabSheetTables", Column(Header("PanelTablesHeader", " Tables:"), list_tables_),
                      Column(table_fields_header_, list_table_fields_)),
                 "Tables");
  pages_->addTab(Page("TabSheetStoredProcs", Column(Header("PanelStoredProcsHeader", " Stored Procedures:"), list_procs_),
                      Column(proc_fields_header_, list_proc_fields_)),
                 "Stored Procedures");
  pages_->setCurrentIndex(0);

  table_menu_ = Menu(this, "PopupMenuTables",
                     {{"MenuTableData", "Edit Data ..."},
                      {"MenuTablePasteToSQL", "Paste to SQL From"},
                      {"MenuTablePasteToDesigner", "Paste to Stored Proc Design Form"}},
                     table_actions_);
  proc_menu_ = Menu(this, "PopupMenuStoredProcs",
                    {{"MenuStoredProcData", "Edit Data ..."},
                     {"MenuStoredProcPasteToSQL", "Paste to SQL Form"},
                     {"MenuStoredProcPasteToDesigner", "Paste to Stored proc design Form"}},
                    proc_actions_);
  table_field_menu_ = Menu(this, "PopupMenuTableFields",
                           {{"MenuTableFieldPasteToSQL", "Paste to SQL Form"},
                            {"MenuTableFieldPasteToDesigner", "Paste to Stored Proc Design Form"}},
                           table_field_actions_);
  proc_field_menu_ = Menu(this, "PopupMenuStoredProcFields",
                          {{"MenuStoredProcFieldPasteToSQL", "Paste to SQL Form"},
                           {"MenuStoredProcFieldPasteToDesigner", "Paste to Stored Proc Design Form"}},
                          proc_field_actions_);

  btn_relationships_ = Button("BtnRelationships", "Relationships");
  btn_sql_ = Button("BtnSQL", "SQL");
  btn_close_ = Button("BtnClose", "Close");
  btn_close_->setDefault(true);
  auto* grip = Named(new TNimGripPanel, "NimGripPanel1");
  grip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btn_relationships_);
  bottom->addWidget(btn_sql_);
  bottom->addWidget(btn_close_);
  bottom->addWidget(grip, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);
}

}  // namespace qb
