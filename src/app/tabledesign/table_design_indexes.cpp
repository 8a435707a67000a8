// app/tabledesign/table_design_indexes: the "Indexes" page of the table designer: the index
// list, the selected index's display, renaming, adding and deleting indexes.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "app/tabledesign/new_index_form.h"
#include "app/tabledesign/table_design_form.h"
#include "app/widgets/list_box_rules.h"
#include "engine/text_scan.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/tabledef.h"

namespace qb {

std::shared_ptr<jet::Index> TTableDesignForm::SelectedIndex() const {
  if (!table_) return nullptr;
  auto indexes = table_->Indexes();
  const int position = SelectedPosition(*list_indexes_);
  if (position < 0 || position >= indexes->Count()) return nullptr;
  return indexes->Item(list_indexes_->item(position)->text().toStdString());
}

void TTableDesignForm::FillIndexList() {
  const int remembered = SelectedPosition(*list_indexes_);
  list_indexes_->clear();
  if (table_) {
    auto indexes = table_->Indexes();
    for (int i = 0; i < indexes->Count(); ++i) list_indexes_->addItem(QString::fromStdString(indexes->Item(i)->Name()));
  }
  RestoreSelection(*list_indexes_, remembered);
  ShowSelectedIndex();
}

void TTableDesignForm::ShowSelectedIndex() {
  list_index_fields_->clear();
  edit_index_name_->clear();
  std::shared_ptr<jet::Index> index = SelectedIndex();
  if (!index) {
    // Nothing shown: no box or count may still describe an index that is gone.
    for (QCheckBox* box : index_boxes_) box->setChecked(false);
    distinct_values_->clear();
    return;
  }
  const bool shown[6] = {index->Foreign(), !index->Unique(),   index->IgnoreNulls(),
                         index->Primary(), index->Clustered(), index->Required()};
  for (int i = 0; i < 6; ++i) index_boxes_[i]->setChecked(shown[i]);
  edit_index_name_->setText(QString::fromStdString(index->Name()));
  distinct_values_->setText(QString::fromStdString(std::to_string(index->DistinctCount()) + " "));

  // "+A;-B": one entry per field, without "+" signs ("-" marks a descending field and stays).
  const std::string fields = index->Fields();
  int pos = 1;
  while (pos <= static_cast<int>(fields.size())) {
    const std::string word = TrimChars(NextWord(fields, pos, ";", true), "+");
    if (word.empty()) break;
    list_index_fields_->addItem(QString::fromStdString(word));
  }
}

void TTableDesignForm::EditIndexNameExit() {
  std::shared_ptr<jet::Index> index = SelectedIndex();
  if (!index) return;
  const std::string name = edit_index_name_->text().toStdString();
  if (name != index->Name()) index->SetName(name);
  list_indexes_->currentItem()->setText(edit_index_name_->text());
}

void TTableDesignForm::BtnAddIndexClick() {
  if (!table_) return;
  auto indexes = table_->Indexes();
  std::vector<std::string> names;
  for (int i = 0; i < indexes->Count(); ++i) names.push_back(indexes->Item(i)->Name());

  TFormNewIndex dialog(this);
  dialog.SetTable(table_);
  dialog.SetIndexName(ProposeName("NewIndex", names));
  if (Gui().RunModal(dialog) != QDialog::Accepted) return;

  auto index = std::make_shared<jet::Index>();
  index->SetName(dialog.IndexName());
  index->SetPrimary(dialog.Primary());
  index->SetClustered(dialog.Clustered());
  index->SetUnique(!dialog.AllowDuplicates());
  index->SetIgnoreNulls(dialog.IgnoreNulls());
  index->SetFields(dialog.IndexFields());
  index->SetRequired(dialog.Required());
  indexes->Append(index);
  FillIndexList();
  SetButtonsEnabled();
}

void TTableDesignForm::BtnDeleteIndexClick() {
  if (!table_) return;
  auto indexes = table_->Indexes();
  const int position = SelectedPosition(*list_indexes_);
  if (position < 0 || position >= indexes->Count()) return;
  indexes->Delete(list_indexes_->item(position)->text().toStdString());
  FillIndexList();
  SetButtonsEnabled();
}

}  // namespace qb
