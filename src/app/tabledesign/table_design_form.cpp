// app/tabledesign/table_design_form: the single designer, its set-up, the events of its lists
// and edits, and the actions both pages share.
#include "app/tabledesign/table_design_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

#include "app/tabledesign/field_types.h"
#include "app/tabledesign/list_drag.h"
#include "app/toolwindows/single_tool_windows.h"
#include "app/toolwindows/tool_windows.h"
#include "app/widgets/list_box_rules.h"
#include "app/widgets/focus_leave.h"
#include "engine/dao_database.h"
#include "framework/gui/application.h"
#include "jet/dao/tabledef.h"

namespace qb {

namespace {

QPointer<TTableDesignForm>& Instance() {
  static QPointer<TTableDesignForm> instance;
  return instance;
}

}  // namespace

void ShowTableDesigner(TDAODataBase* database, std::shared_ptr<jet::TableDef> table) {
  TTableDesignForm* designer = SingleToolWindow(Instance());
  designer->SetUp(database, std::move(table));
  designer->show();
  designer->raise();
  designer->activateWindow();
}

TTableDesignForm* TableDesigner() { return Instance().data(); }

TTableDesignForm::TTableDesignForm(QWidget* parent) : QWidget(parent) {
  setObjectName("TTableDesignForm");
  setWindowTitle("Table: Undefined");
  BuildControls();
  ConnectControls();
  resize(400, 450);
  setMinimumSize(200, 220);
  ShowSelectedField();
  SetButtonsEnabled();
}

TTableDesignForm::~TTableDesignForm() = default;

void TTableDesignForm::ConnectControls() {
  auto guarded = [this](void (TTableDesignForm::*handler)()) {
    return [this, handler] { App().CallGuarded([this, handler] { (this->*handler)(); }); };
  };
  connect(field_add_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnAddFieldClick));
  connect(field_delete_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnDeleteFieldClick));
  connect(index_add_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnAddIndexClick));
  connect(index_delete_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnDeleteIndexClick));
  connect(btn_apply_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnApplyClick));
  connect(btn_data_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnDataClick));
  connect(btn_close_, &QPushButton::clicked, this, guarded(&TTableDesignForm::BtnCloseClick));
  connect(field_boxes_[0], &QCheckBox::clicked, this, guarded(&TTableDesignForm::CheckBoxRequiredClick));
  connect(field_boxes_[1], &QCheckBox::clicked, this, guarded(&TTableDesignForm::CheckBoxAllowZeroLengthClick));
  fields_drag_->OnDrop = [this](int position) { ListBoxFieldsDragDrop(position); };

  for (QListWidget* list : {list_fields_, list_indexes_}) {
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }
  for (QWidget* edit : {static_cast<QWidget*>(edit_field_name_), static_cast<QWidget*>(spin_size_),
                        static_cast<QWidget*>(edit_default_), static_cast<QWidget*>(edit_index_name_)}) {
    edit->installEventFilter(this);
  }
  // The spin edit's text part may hold the focus itself.
  for (QLineEdit* inner : spin_size_->findChildren<QLineEdit*>()) inner->installEventFilter(this);
}

bool TTableDesignForm::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  for (QListWidget* list : {list_fields_, list_indexes_}) {
    const bool mouse = watched == list->viewport() && type == QEvent::MouseButtonPress;
    const bool key = watched == list && type == QEvent::KeyRelease;
    if (!mouse && !key) continue;
    App().CallGuarded([&] {
      // A press arrives before the list selects: take the entry under the pointer first.
      if (mouse) SelectEntryAt(*list, static_cast<QMouseEvent*>(event)->position().toPoint());
      if (list == list_fields_) {
        ShowSelectedField();
      } else {
        ShowSelectedIndex();
      }
    });
  }
  if (LeavesControl(event)) {
    if (watched == edit_field_name_) App().CallGuarded([this] { EditFieldNameExit(); });
    if (watched == spin_size_ || watched->parent() == spin_size_) App().CallGuarded([this] { SpinEditSizeExit(); });
    if (watched == edit_default_) App().CallGuarded([this] { EditDefaultValueExit(); });
    if (watched == edit_index_name_) App().CallGuarded([this] { EditIndexNameExit(); });
  }
  return QWidget::eventFilter(watched, event);
}

void TTableDesignForm::SetUp(TDAODataBase* database, std::shared_ptr<jet::TableDef> table) {
  if (combo_type_->count() == 0) combo_type_->addItems(FieldTypeNames());
  if (table == table_ && database == database_.data()) return;
  table_ = std::move(table);
  database_ = database;
  FillFieldList();
  FillIndexList();
  setWindowTitle(table_ ? QString::fromStdString("Table: " + table_->Name()) : QString("Table: Undefined"));
  SetButtonsEnabled();
}

void TTableDesignForm::SetButtonsEnabled() {
  const bool shown = table_ != nullptr;
  const bool fields = shown && list_fields_->count() > 0;
  const bool indexes = shown && list_indexes_->count() > 0;
  field_add_->setEnabled(shown);
  index_add_->setEnabled(shown);
  field_delete_->setEnabled(fields);
  edit_field_name_->setEnabled(fields);
  index_delete_->setEnabled(indexes);
  edit_index_name_->setEnabled(indexes);
  btn_data_->setEnabled(shown && !database_.isNull());
}

void TTableDesignForm::BtnApplyClick() {
  QWidget* focused = focusWidget();
  if (focused == nullptr) return;
  if (focused == edit_field_name_) {
    EditFieldNameExit();
  } else if (focused == spin_size_ || spin_size_->isAncestorOf(focused)) {
    SpinEditSizeExit();
  } else if (focused == edit_default_) {
    EditDefaultValueExit();
  } else if (focused == field_boxes_[0]) {
    CheckBoxRequiredClick();
  } else if (focused == field_boxes_[1]) {
    CheckBoxAllowZeroLengthClick();
  }
}

void TTableDesignForm::BtnDataClick() {
  if (table_ && !database_.isNull()) ShowDataViewer(database_.data(), table_->Name());
}

void TTableDesignForm::BtnCloseClick() { close(); }

}  // namespace qb
