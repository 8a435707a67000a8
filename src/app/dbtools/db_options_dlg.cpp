// app/dbtools/db_options_dlg: layout, filling and result of the options window.
#include "app/dbtools/db_options_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/dbtools/db_option_tables.h"
#include "app/widgets/ok_cancel_buttons.h"
#include "framework/gui/gui_services.h"

namespace qb {

namespace {

std::vector<TDBOptionEntry> SortedByName(std::vector<TDBOptionEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TDBOptionEntry& a, const TDBOptionEntry& b) {
    return QString::compare(QString::fromUtf8(a.name), QString::fromUtf8(b.name), Qt::CaseInsensitive) < 0;
  });
  return entries;
}

bool RunOptions(TDBOptionsMode mode, int& value) {
  TDBOptionsDlg dialog(mode, value);
  return Gui().RunModal(dialog) == QDialog::Accepted;
}

}  // namespace

TDBOptionsDlg::TDBOptionsDlg(TDBOptionsMode mode, int& value, QWidget* parent)
    : QDialog(parent), value_(value), label_(new QLabel(this)), combo_(new QComboBox(this)) {
  setObjectName("TDBOptionsDlg");
  const bool sort_order = mode == omSortOrder;
  setWindowTitle(sort_order ? "Select Database Sort Order" : "Select Jet Version to Convert to");
  label_->setObjectName("Label1");
  label_->setText(sort_order ? "New Sort Order:" : "New Jet Version:");
  label_->setBuddy(combo_);
  combo_->setObjectName("ComboBoxSortOrder");

  for (const TDBOptionEntry& entry : SortedByName(sort_order ? SortOrderTable() : JetVersionTable())) {
    combo_->addItem(QString::fromUtf8(entry.name), entry.value);
  }
  combo_->setCurrentIndex(combo_->findData(value));  // the first match; -1 selects nothing

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* fields = new QFormLayout;
  fields->addRow(label_, combo_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  combo_->setMinimumWidth(220);
}

void TDBOptionsDlg::done(int result) {
  if (result == QDialog::Accepted && combo_->currentIndex() >= 0) value_ = combo_->currentData().toInt();
  QDialog::done(result);
}

bool SelectSortOrder(int& value) { return RunOptions(omSortOrder, value); }
bool SelectJetVersion(int& value) { return RunOptions(omJetVersion, value); }

}  // namespace qb
