// app/main/import_offer_dlg: the question's text and buttons. Cancel is the default: nothing is
// written unless the user asks for it.
#include "app/main/import_offer_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

namespace qb {

TImportOfferDlg::TImportOfferDlg(const std::string& original, const std::string& copy, QWidget* parent)
    : QDialog(parent) {
  setObjectName("TImportOfferDlg");
  setWindowTitle("Import Database");
  const std::string name = std::filesystem::path(original).filename().string();
  const std::string copy_name = std::filesystem::path(copy).filename().string();
  auto* text = new QLabel(
      QString::fromStdString("'" + name + "' is a database file of another program, which cannot be opened as it is.\n\n"
                             "Import its tables, relationships and queries into the new database '" + copy_name +
                             "' beside it, and connect to that? The original file stays as it is."),
      this);
  text->setObjectName("LabelOffer");
  text->setWordWrap(true);
  text->setMinimumWidth(380);

  import_ = new QPushButton("&Import", this);
  import_->setObjectName("BtnImport");
  import_->setAutoDefault(false);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("BtnCancel");
  cancel_->setDefault(true);
  connect(import_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(import_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  cancel_->setFocus();
}

}  // namespace qb
