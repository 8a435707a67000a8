// app/dbtools/db_password_dlg: layout and result of the password window.
#include "app/dbtools/db_password_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/widgets/ok_cancel_buttons.h"
#include "framework/gui/gui_services.h"

namespace qb {

TDBPasswordDlg::TDBPasswordDlg(const std::string& caption, std::string& text, QWidget* parent)
    : QDialog(parent), text_(text), edit_(new QLineEdit(this)) {
  setObjectName("TDBPasswordDlg");
  setWindowTitle(QString::fromStdString(caption));
  edit_->setObjectName("EditPassword");
  edit_->setEchoMode(QLineEdit::Password);
  edit_->setText(QString::fromStdString(text));
  auto* label = new QLabel("Password:", this);
  label->setObjectName("Label1");
  label->setBuddy(edit_);

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* fields = new QFormLayout;
  fields->addRow(label, edit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  edit_->setMinimumWidth(200);
  edit_->setFocus();
}

TDBPasswordDlg::~TDBPasswordDlg() { edit_->clear(); }

void TDBPasswordDlg::done(int result) {
  if (result == QDialog::Accepted) text_ = edit_->text().toStdString();
  QDialog::done(result);
}

bool AskDBPassword(const std::string& caption, std::string& text) {
  TDBPasswordDlg dialog(caption, text);
  return Gui().RunModal(dialog) == QDialog::Accepted;
}

}  // namespace qb
