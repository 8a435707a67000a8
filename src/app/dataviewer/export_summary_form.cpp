// app/dataviewer/export_summary_form: the summary window's layout.
#include "app/dataviewer/export_summary_form.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

namespace {

QLabel* Value(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

TFormExportSummary::TFormExportSummary(const std::string& file_name, int exported, int failed, QWidget* parent)
    : QDialog(parent) {
  setObjectName("TFormExportSummary");
  setWindowTitle("Export Summary");
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* heading = new QLabel("Export Summary:", this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);

  file_ = Value(this, "LabelFileName", QString::fromStdString(file_name));
  file_->setWordWrap(true);
  total_ = Value(this, "LabelTotalRecords", QString::number(exported));
  errors_ = Value(this, "LabelErrors", QString::number(failed));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Destination File:", this), 0, 0, Qt::AlignTop);
  grid->addWidget(file_, 0, 1);
  grid->addWidget(new QLabel("Total Records:", this), 1, 0);
  grid->addWidget(total_, 1, 1);
  grid->addWidget(new QLabel("Errors:", this), 2, 0);
  grid->addWidget(errors_, 2, 1);
  grid->setColumnStretch(1, 1);

  auto* close = new QPushButton("&Close", this);
  close->setObjectName("BtnClose");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setFixedSize(335, 179);
}

}  // namespace qb
