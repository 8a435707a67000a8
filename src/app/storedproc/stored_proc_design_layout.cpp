// app/storedproc/stored_proc_design_layout: the controls of the stored procedure designer, their
// names, texts and places. Behaviour lives in stored_proc_design_form.cpp.
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "app/storedproc/stored_proc_design_form.h"
#include "app/widgets/nim_grip_panel.h"

namespace qb {

namespace {

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

// A flat tool button with its hint.
QToolButton* ToolButton(const char* name, const char* text, const char* hint) {
  auto* button = Named(new QToolButton, name);
  button->setText(QString::fromUtf8(text));
  button->setToolTip(QString::fromUtf8(hint));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);  // pressing one leaves the focus where it is
  return button;
}

QPushButton* Button(const char* name, const char* text) {
  auto* button = Named(new QPushButton(QString::fromUtf8(text)), name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

void TStoredProcDesignForm::BuildControls() {
  memo_sql_ = Named(new QPlainTextEdit, "MemoSQL");
  memo_sql_->setLineWrapMode(QPlainTextEdit::NoWrap);
  spin_max_records_ = Named(new QSpinBox, "SpinEditMaxRecords");
  spin_max_records_->setRange(0, std::numeric_limits<int>::max());
  auto* max_label = Named(new QLabel("Maximum Numer of Records Returned:"), "LabelMaxRecords");
  max_label->setBuddy(spin_max_records_);
  auto* all_label = Named(new QLabel("(0 = All Records)"), "LabelAllRecords");
  // The label on its own line: beside the spin edit it would be cut at the initial width.
  spin_max_records_->setMinimumWidth(100);
  auto* max_row = new QHBoxLayout;
  max_row->addWidget(spin_max_records_);
  max_row->addWidget(all_label);
  max_row->addStretch(1);

  auto* sql_page = Named(new QWidget, "TabSheetSQL");
  auto* sql_layout = new QVBoxLayout(sql_page);
  sql_layout->addWidget(memo_sql_, 1);
  sql_layout->addWidget(max_label);
  sql_layout->addLayout(max_row);
  pages_ = Named(new QTabWidget(this), "PageControl1");
  pages_->addTab(sql_page, "SQL");

  btn_font_ = ToolButton("BtnFont", "Font", "Change the Font of the Edit Window");
  btn_apply_ = ToolButton("BtnApply", "Apply", "Assign the Statement to the stored Procedure");
  btn_architecture_ =
      ToolButton("BtnDBArchitecture", "DBArchtitecture", "Show the Names of Tables and Fields in the Database");
  btn_data_ = ToolButton("BtnData", "Data", "Show the Data of the stored Procedure");
  btn_ok_ = Button("BtnOk", "&Ok");
  btn_ok_->setDefault(true);
  btn_cancel_ = Button("BtnCancel", "&Cancel");
  auto* grip = Named(new TNimGripPanel, "NimGripPanel1");
  grip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

  // The flat tool bar above the Ok and Cancel row: on one row the names would be cut.
  auto* tools = new QHBoxLayout;
  tools->setSpacing(2);
  for (QToolButton* tool : {btn_font_, btn_apply_, btn_architecture_, btn_data_}) tools->addWidget(tool);
  tools->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(btn_ok_);
  bottom->addWidget(btn_cancel_);
  bottom->addWidget(grip, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addLayout(tools);
  layout->addLayout(bottom);
  setFocusProxy(memo_sql_);
}

}  // namespace qb
