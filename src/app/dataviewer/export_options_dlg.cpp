// app/dataviewer/export_options_dlg: the separator choices and the options dialog's layout.
#include "app/dataviewer/export_options_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

namespace {

struct Choice {
  const char* name;
  const char* text;
};

constexpr Choice kChoices[kSeparatorChoices] = {
    {"Other", ""}, {"Tab", "\t"}, {"CR/LF", "\r\n"}, {"CR", "\r"}, {"CR/CR", "\r\r"}, {"LF", "\n"}, {"LF/CR", "\n\r"},
};

QComboBox* ChoiceList(QWidget* parent, const char* name, int start) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  for (const Choice& choice : kChoices) list->addItem(choice.name);
  list->setCurrentIndex(start);
  return list;
}

}  // namespace

const char* SeparatorChoiceName(int choice) {
  return choice >= 0 && choice < kSeparatorChoices ? kChoices[choice].name : "";
}

std::string SeparatorText(int choice, const std::string& other) {
  if (choice == scOther) return other;
  return choice > 0 && choice < kSeparatorChoices ? kChoices[choice].text : std::string();
}

TExportOptionsDlg::TExportOptionsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TExportOptionsDlg");
  setWindowTitle("Export Options");
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  field_list_ = ChoiceList(this, "ComboBoxFieldSeparator", scTab);
  record_list_ = ChoiceList(this, "ComboBoxRecordSeparator", scCrLf);
  field_other_label_ = new QLabel("Other:", this);
  record_other_label_ = new QLabel("Other:", this);
  field_other_ = new QLineEdit(this);
  field_other_->setObjectName("EditFieldOther");
  record_other_ = new QLineEdit(this);
  record_other_->setObjectName("EditRecordOther");
  field_other_label_->setBuddy(field_other_);
  record_other_label_->setBuddy(record_other_);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Field Separator:", this), 0, 0);
  grid->addWidget(field_list_, 0, 1);
  grid->addWidget(field_other_label_, 0, 2);
  grid->addWidget(field_other_, 0, 3);
  grid->addWidget(new QLabel("Record Separator:", this), 1, 0);
  grid->addWidget(record_list_, 1, 1);
  grid->addWidget(record_other_label_, 1, 2);
  grid->addWidget(record_other_, 1, 3);
  grid->setColumnStretch(3, 1);

  btn_ok_ = new QPushButton("&Ok", this);
  btn_ok_->setObjectName("BtnOk");
  btn_ok_->setDefault(true);
  btn_cancel_ = new QPushButton("&Cancel", this);
  btn_cancel_->setObjectName("BtnCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btn_ok_);
  buttons->addWidget(btn_cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);

  connect(btn_ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(field_list_, &QComboBox::currentIndexChanged, this, [this] { UpdateOtherEdits(); });
  connect(record_list_, &QComboBox::currentIndexChanged, this, [this] { UpdateOtherEdits(); });
  UpdateOtherEdits();
  setFixedSize(340, 143);
}

std::string TExportOptionsDlg::FieldSeparator() const {
  return SeparatorText(field_list_->currentIndex(), field_other_->text().toStdString());
}

std::string TExportOptionsDlg::RecordSeparator() const {
  return SeparatorText(record_list_->currentIndex(), record_other_->text().toStdString());
}

void TExportOptionsDlg::UpdateOtherEdits() {
  const bool field_other = field_list_->currentIndex() == scOther;
  const bool record_other = record_list_->currentIndex() == scOther;
  field_other_label_->setEnabled(field_other);
  field_other_->setEnabled(field_other);
  record_other_label_->setEnabled(record_other);
  record_other_->setEnabled(record_other);
}

}  // namespace qb
