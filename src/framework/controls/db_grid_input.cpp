// framework/controls/db_grid_input: the grid's keys and mouse, its cell editor and the record
// operations they start (move, insert, delete, post, cancel).
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "framework/controls/control_keys.h"
#include "framework/controls/db_grid.h"
#include "framework/controls/grid_inplace_edit.h"
#include "framework/controls/null_look.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/gui_services.h"

namespace qb {

namespace {
constexpr int kResizeMargin = 3;
}  // namespace

// ---------------------------------------------------------------- editing

bool TDBGrid::CanEditGrid() const {
  TDataSet* dataset = DataSet();
  return (options_ & dgEditing) && !read_only_ && link_.Active() && dataset && dataset->CanModify();
}

bool TDBGrid::CanEditCell() const {
  TField* field = SelectedField();
  return CanEditGrid() && field && !field->ReadOnly() && field->FieldKind() == fkData;
}

bool TDBGrid::EditCanModify() {
  if (!CanEditCell()) return false;
  bool editing = false;
  Guarded([&] { editing = link_.Edit(); });
  return editing;
}

bool TDBGrid::EditorVisible() const { return editor_->isVisible(); }

bool TDBGrid::ShowEditor() {
  if (!CanEditCell() || !DataSet()->HasCurrentRecord()) return false;
  LoadEditorText();
  PlaceEditor();
  editor_->show();
  editor_->setFocus();
  editor_->selectAll();
  return true;
}

void TDBGrid::HideEditor() {
  if (!editor_ || !editor_->isVisible()) return;
  const bool had_focus = editor_->hasFocus();
  editor_->hide();
  if (had_focus) setFocus();
}

void TDBGrid::LoadEditorText() {
  if (!editor_) return;
  TField* field = SelectedField();
  TDataSet* dataset = DataSet();
  loading_editor_ = true;
  if (field && dataset && dataset->Active() && dataset->HasCurrentRecord()) {
    const bool null = field->IsNull();
    const QString text = null ? QString() : QString::fromStdString(field->Text());
    editor_->setPlaceholderText(null ? NullText() : QString());
    // The same text is left alone, so that the user's selection survives entering edit state.
    if (text != editor_->text()) editor_->setText(text);
  } else {
    editor_->setPlaceholderText(QString());
    editor_->setText(QString());
  }
  loading_editor_ = false;
  cell_modified_ = false;
}

void TDBGrid::PlaceEditor() {
  if (!editor_ || selected_ < 0 || !link_.Active()) return;
  QRect cell = CellRect(link_.ActiveRecord(), selected_).adjusted(1, 1, -1, -1);
  editor_->setGeometry(cell);
}

void TDBGrid::UpdateData() {
  if (!cell_modified_) return;
  TField* field = SelectedField();
  if (!field) return;
  const QString text = editor_->text();
  if (text.isEmpty() && field->DataType() != ftString && field->DataType() != ftMemo)
    field->Clear();
  else
    field->SetText(text.toStdString());
  cell_modified_ = false;
}

void TDBGrid::WritePendingCell() {
  if (cell_modified_) link_.UpdateRecord();
}

void TDBGrid::PostOrShowEditor() {
  TDataSet* dataset = DataSet();
  if (!dataset || !link_.Active()) return;
  if (link_.Editing()) {
    link_.UpdateRecord();
    dataset->Post();
    HideEditor();
  } else if (!EditorVisible()) {
    ShowEditor();
  } else {
    HideEditor();
  }
}

void TDBGrid::EscapePressed() {
  TDataSet* dataset = DataSet();
  if (cell_modified_) {
    LoadEditorText();
    editor_->selectAll();
    return;
  }
  if (dataset && link_.Editing()) dataset->Cancel();
  HideEditor();
}

void TDBGrid::InsertRecord() {
  if (!CanEditGrid()) {
    QApplication::beep();
    return;
  }
  WritePendingCell();
  DataSet()->Insert();
}

bool TDBGrid::DeleteRecord() {
  TDataSet* dataset = DataSet();
  if (!CanEditGrid() || dataset->IsEmpty()) return false;
  if ((options_ & dgConfirmDelete) &&
      Gui().MessageBox("Delete record?", "Confirm", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return false;
  HideEditor();
  dataset->Delete();
  return true;
}

// ---------------------------------------------------------------- moving

void TDBGrid::MoveRecord(int distance) {
  TDataSet* dataset = DataSet();
  if (!link_.Active() || !dataset || distance == 0) return;
  // An untouched new record: Down never adds another after it (an inserted one is dropped);
  // Up drops a record appended by Down, going back to the record that was last.
  if (dataset->State() == dsInsert && !dataset->Modified() && !cell_modified_) {
    if (distance > 0) {
      if (!appended_) dataset->Cancel();
      return;
    }
    if (appended_) {
      dataset->Cancel();
      return;
    }
  }
  WritePendingCell();
  const int moved = dataset->MoveBy(distance);
  // Down on the last record starts a new one when the grid may add records.
  if (moved == 0 && distance == 1 && dataset->Eof() && CanEditGrid() && dataset->State() == dsBrowse) {
    dataset->Append();
    appended_ = true;
  }
}

void TDBGrid::MoveColumn(int distance, bool wrap) {
  if (columns_.empty()) return;
  WritePendingCell();
  int target = selected_ + distance;
  if (wrap && target >= ColumnCount()) {
    MoveRecord(1);
    target = 0;
  } else if (wrap && target < 0) {
    MoveRecord(-1);
    target = ColumnCount() - 1;
  }
  SetSelectedIndex(target);
}

bool TDBGrid::focusNextPrevChild(bool next) {
  if (!(options_ & dgTabs) || columns_.empty() || !link_.Active()) return QAbstractScrollArea::focusNextPrevChild(next);
  const bool editing = EditorVisible();
  Guarded([&] { MoveColumn(next ? 1 : -1, true); });
  if (editing) ShowEditor();
  return true;
}

// ---------------------------------------------------------------- keys

bool TDBGrid::HandleKey(QKeyEvent* event) {
  TDataSet* dataset = DataSet();
  if (!link_.Active() || !dataset) return false;
  const bool control = event->modifiers() & Qt::ControlModifier;
  bool handled = true;
  Guarded([&] {
    switch (event->key()) {
      case Qt::Key_Up: MoveRecord(-1); break;
      case Qt::Key_Down: MoveRecord(1); break;
      case Qt::Key_PageUp: MoveRecord(-VisibleRows()); break;
      case Qt::Key_PageDown: MoveRecord(VisibleRows()); break;
      case Qt::Key_Home:
        if (control) {
          WritePendingCell();
          dataset->First();
        } else {
          SetSelectedIndex(0);
        }
        break;
      case Qt::Key_End:
        if (control) {
          WritePendingCell();
          dataset->Last();
        } else {
          SetSelectedIndex(ColumnCount() - 1);
        }
        break;
      case Qt::Key_Left: MoveColumn(-1, false); break;
      case Qt::Key_Right: MoveColumn(1, false); break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        if (options_ & dgEditing) PostOrShowEditor();
        break;
      case Qt::Key_Escape: EscapePressed(); break;
      case Qt::Key_F2: ShowEditor(); break;
      case Qt::Key_Insert:
        if (options_ & dgEditing) InsertRecord(); else handled = false;
        break;
      case Qt::Key_Delete:
        if ((options_ & dgEditing) && (control || !EditorVisible())) DeleteRecord(); else handled = false;
        break;
      default:
        handled = false;
        break;
    }
  });
  return handled;
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event)) {
    event->accept();
    return;
  }
  // Typing starts the cell's editor with the typed character.
  const QString typed = event->text();
  if ((options_ & dgEditing) && !typed.isEmpty() && typed.at(0).unicode() >= 0x20 &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && link_.Active()) {
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), typed);
    if (EditorVisible()) {
      QApplication::sendEvent(editor_, &copy);
    } else if (EditCanModify() && ShowEditor()) {
      editor_->clear();
      QApplication::sendEvent(editor_, &copy);
    } else {
      QApplication::beep();
    }
    event->accept();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
  if (editor_->hasFocus() || isAncestorOf(QApplication::focusWidget())) return;
  TDataSet* dataset = DataSet();
  if ((options_ & dgCancelOnExit) && dataset && dataset->State() == dsInsert && !dataset->Modified() && !cell_modified_)
    Guarded([&] { dataset->Cancel(); });
}

// ---------------------------------------------------------------- mouse

int TDBGrid::ColumnAt(int x) const {
  for (int column = 0; column < ColumnCount(); ++column) {
    const int left = ColumnLeft(column);
    if (x >= left && x < left + ColumnWidth(column)) return column;
  }
  return -1;
}

int TDBGrid::RowAt(int y) const {
  if (y < TitleHeight()) return -1;
  return (y - TitleHeight()) / row_height_;
}

int TDBGrid::ResizeEdgeAt(const QPoint& position) const {
  if (!(options_ & dgColumnResize) || position.y() >= TitleHeight()) return -1;
  for (int column = 0; column < ColumnCount(); ++column) {
    const int right = ColumnLeft(column) + ColumnWidth(column);
    if (std::abs(position.x() - right) <= kResizeMargin) return column;
  }
  return -1;
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
  setFocus();
  const QPoint position = event->position().toPoint();
  if (event->button() != Qt::LeftButton) return;
  const int edge = ResizeEdgeAt(position);
  if (edge >= 0) {
    resizing_ = edge;
    resize_origin_ = ColumnLeft(edge);
    return;
  }
  const int row = RowAt(position.y());
  if (row < 0 || row >= link_.RecordCount()) return;
  const int column = position.x() < IndicatorWidth() ? selected_ : ColumnAt(position.x());
  if (column < 0) return;
  Guarded([&] {
    const bool same = row == link_.ActiveRecord() && column == selected_;
    if (same) {
      if (options_ & dgEditing) ShowEditor();
      return;
    }
    WritePendingCell();
    HideEditor();
    if (row != link_.ActiveRecord()) link_.SetActiveRecord(row);
    SetSelectedIndex(column);
  });
}

void TDBGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (resizing_ >= 0) {
    SetColumnWidth(resizing_, position.x() - resize_origin_);
    return;
  }
  viewport()->setCursor(ResizeEdgeAt(position) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TDBGrid::mouseReleaseEvent(QMouseEvent*) { resizing_ = -1; }

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (RowAt(event->position().toPoint().y()) >= 0 && (options_ & dgEditing)) ShowEditor();
}

void TDBGrid::wheelEvent(QWheelEvent* event) {
  wheel_rest_ += event->angleDelta().y();
  const int steps = wheel_rest_ / 120;
  wheel_rest_ %= 120;
  if (steps != 0) Guarded([&] { MoveRecord(-steps); });
  event->accept();
}

}  // namespace qb
