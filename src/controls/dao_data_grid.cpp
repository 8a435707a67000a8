// controls/dao_data_grid: the search keys, the sort menu and scroll tracking.
#include "controls/dao_data_grid.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "controls/dao_search_str_edit.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {
QString Caption(const QAction& action) {
  QString caption = action.text();
  return caption.remove(QLatin1Char('&'));
}

void CheckCaption(QMenu* menu, const QString& caption) {
  if (!menu) return;
  for (QAction* action : menu->actions()) {
    if (!action->isCheckable()) continue;
    action->setChecked(Caption(*action) == caption);
  }
}
}  // namespace

TDAODataGrid::TDAODataGrid(QWidget* parent) : TDBGrid(parent) { SetTrackThumb(true); }

const char* TDAODataGrid::About() { return "Quillbase data-access components"; }

bool TDAODataGrid::FeedsSearchEdit() const {
  TDataSet* dataset = DataSet();
  return search_edit_ && dataset && dataset->State() == dsBrowse && !(Options() & dgEditing);
}

void TDAODataGrid::keyPressEvent(QKeyEvent* event) {
  if (FeedsSearchEdit()) {
    const QString text = search_edit_->text();
    const QString typed = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    switch (event->key()) {
      case Qt::Key_Backspace:
        if (!text.isEmpty()) search_edit_->setText(text.left(text.size() - 1));
        event->accept();
        return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        search_edit_->RestartSearchTimer();
        event->accept();
        return;
      case Qt::Key_Escape:
        search_edit_->SetTextSilently(QString());
        event->accept();
        return;
      default:
        break;
    }
    if (plain && !typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7f) {
      search_edit_->setText(text + typed);
      event->accept();
      return;
    }
  }
  TDBGrid::keyPressEvent(event);
}

void TDAODataGrid::contextMenuEvent(QContextMenuEvent* event) {
  if (!popup_menu_) {
    TDBGrid::contextMenuEvent(event);
    return;
  }
  popup_menu_->popup(event->globalPos());
  event->accept();
}

void TDAODataGrid::FillSortMenu(QMenu* menu) {
  if (!menu) menu = sort_menu_;
  if (!menu) return;
  menu->clear();
  auto* recordset = dynamic_cast<TDAOBaseRecordset*>(DataSet());
  if (!recordset) return;
  recordset->UpdateIndexDefs();
  for (const TIndexDef& index : recordset->IndexDefs()) {
    const std::string& name = index.name;
    QAction* action = menu->addAction(QString::fromStdString(name));
    action->setCheckable(true);
    action->setChecked(recordset->RecordSetType() == rtTable && recordset->Index() == name);
    connect(action, &QAction::triggered, this, [this, action] { App().CallGuarded([&] { SortMenuItemClick(action); }); });
  }
}

void TDAODataGrid::SortMenuItemClick(QObject* sender) {
  auto* action = qobject_cast<QAction*>(sender);
  if (!action || !DataSource()) return;
  if (search_edit_) search_edit_->SetTextSilently(QString());
  const QString caption = Caption(*action);
  SortBy(caption.toStdString());
  CheckCaption(popup_menu_, caption);
  CheckCaption(sort_menu_, caption);
}

void TDAODataGrid::SortBy(const std::string& index) {
  auto* recordset = dynamic_cast<TDAOBaseRecordset*>(DataSet());
  if (!recordset || !recordset->Active()) return;
  if (recordset->RecordSetType() == rtTable) {
    recordset->SetIndex(index);
  } else {
    // The index's fields as an ORDER BY list: separated by commas, never by the index list's
    // semicolons, which would end the statement.
    std::string fields;
    for (char c : recordset->GetIndexFieldsText(index)) fields += c == ';' ? std::string(", ") : std::string(1, c);
    recordset->SetSQLSortField(fields);
    if (recordset->RecordSetType() == rtUnidirectional) {
      // A forward-only recordset is not re-executed in place: it is opened again.
      recordset->CheckBrowseMode();
      recordset->Close();
      recordset->Open();
    } else {
      recordset->ReexecuteQuery();
    }
  }
  recordset->SetSearchText(std::string());
}

}  // namespace qb
