// app/widgets/ok_cancel_buttons: builds the pair; the dialogs' own slots decide what Ok does.
#include "app/widgets/ok_cancel_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace qb {

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
  auto* ok = new QPushButton("&Ok", dialog);
  auto* cancel = new QPushButton("&Cancel", dialog);
  ok->setObjectName("BtnOk");
  cancel->setObjectName("BtnCancel");
  ok->setDefault(true);
  cancel->setAutoDefault(false);
  auto* buttons = new QDialogButtonBox(dialog);
  buttons->addButton(ok, QDialogButtonBox::AcceptRole);
  buttons->addButton(cancel, QDialogButtonBox::RejectRole);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace qb
