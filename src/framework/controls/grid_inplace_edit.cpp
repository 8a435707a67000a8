// framework/controls/grid_inplace_edit: key routing of the grid's cell editor.
#include "framework/controls/grid_inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>

#include "framework/controls/control_keys.h"
#include "framework/controls/db_grid.h"
#include "framework/data/field.h"

namespace qb {

TGridInplaceEdit::TGridInplaceEdit(TDBGrid* grid, QWidget* parent) : QLineEdit(parent), grid_(grid) {
  setFrame(false);
  connect(this, &QLineEdit::textEdited, this, [this] {
    if (!grid_->loading_editor_) grid_->cell_modified_ = true;
  });
}

void TGridInplaceEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Insert:
      if (grid_->HandleKey(event)) return;
      break;
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
      if ((event->modifiers() & Qt::ControlModifier) && grid_->HandleKey(event)) return;
      break;
    default:
      break;
  }
  if (IsChangingKey(*event)) {
    bool allowed = true;
    const QString typed = event->text();
    TField* field = grid_->SelectedField();
    if (field && !typed.isEmpty() && typed.at(0).unicode() >= 0x20) {
      for (char c : typed.toLocal8Bit())
        if (!field->IsValidChar(static_cast<unsigned char>(c))) allowed = false;
    }
    allowed = allowed && grid_->EditCanModify();
    if (!allowed) {
      QApplication::beep();
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace qb
