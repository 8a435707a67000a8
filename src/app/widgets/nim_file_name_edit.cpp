// app/widgets/nim_file_name_edit: layout, change notification and browsing of the file-name
// edit. Asks its questions only through the GUI services.
#include "app/widgets/nim_file_name_edit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"

namespace qb {

TNimFileNameEdit::TNimFileNameEdit(QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), edit_(new QLineEdit(this)), browse_(new QToolButton(this)) {
  label_->setObjectName("Label");
  edit_->setObjectName("Edit");
  browse_->setObjectName("BtnBrowse");
  browse_->setText("...");
  browse_->setToolTip(tr("Browse"));
  label_->setBuddy(edit_);

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_, 0, 0, 1, 2);
  layout->addWidget(edit_, 1, 0);
  layout->addWidget(browse_, 1, 1);
  layout->setColumnStretch(0, 1);

  connect(edit_, &QLineEdit::textChanged, this, [this] {
    if (OnChange) App().CallGuarded(OnChange);
  });
  connect(browse_, &QToolButton::clicked, this, [this] { App().CallGuarded([this] { Browse(); }); });
}

void TNimFileNameEdit::SetLabelText(const std::string& text) { label_->setText(QString::fromStdString(text)); }

std::string TNimFileNameEdit::LabelText() const { return label_->text().toStdString(); }

std::string TNimFileNameEdit::FileName() const { return edit_->text().toStdString(); }

void TNimFileNameEdit::SetFileName(const std::string& file_name) {
  SetFileNameQ(QString::fromStdString(file_name));
}

QString TNimFileNameEdit::FileNameQ() const { return edit_->text(); }

void TNimFileNameEdit::SetFileNameQ(const QString& file_name) {
  if (edit_->text() != file_name) edit_->setText(file_name);
}

void TNimFileNameEdit::Browse() {
  FileDialogRequest request;
  request.filter = filter_;
  request.default_ext = default_ext_;
  request.file_name = FileName();
  request.must_exist = false;
  if (const auto chosen = Gui().OpenFileDialog(request)) SetFileName(*chosen);
}

}  // namespace qb
