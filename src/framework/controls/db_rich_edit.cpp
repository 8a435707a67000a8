// framework/controls/db_rich_edit: showing, typing and writing formatted text.
#include "framework/controls/db_rich_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextDocument>

#include "framework/controls/control_keys.h"
#include "framework/controls/null_look.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/application.h"

namespace qb {

TDBRichEdit::TDBRichEdit(QWidget* parent) : TDBRichEdit(parent, std::make_unique<TFieldDataLink>()) {}

TDBRichEdit::TDBRichEdit(QWidget* parent, std::unique_ptr<TFieldDataLink> link)
    : QTextEdit(parent), link_holder_(std::move(link)), link_(*link_holder_) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnEditingChange = [this] { UpdateLook(); };
  link_.OnActiveChange = [this] { UpdateLook(); };
  link_.OnUpdateData = [this] {
    if (TField* field = link_.Field()) field->SetText(toHtml().toStdString());
  };
  link_.OnFocus = [this] { setFocus(); };
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (loading_) return;
    // A change that bypassed the keys (the context menu's paste or delete, dropped text) edits
    // the record as typing does; otherwise it would be shown but never written.
    if (link_.DataSet() && !link_.Editing() && link_.CanModify()) App().CallGuarded([this] { link_.Edit(); });
    link_.Modified();
  });
  UpdateLook();
}

void TDBRichEdit::SetReadOnly(bool value) {
  link_.SetReadOnly(value);
  UpdateLook();
}

void TDBRichEdit::DataChange() {
  TField* field = link_.Field();
  bool has_record = field && field->DataSet()->HasCurrentRecord();
  loading_ = true;
  setPlaceholderText(has_record && field->IsNull() ? NullText() : QString());
  const QString value = has_record ? QString::fromStdString(field->AsString()) : QString();
  if (Qt::mightBeRichText(value))
    setHtml(value);
  else
    setPlainText(value);
  loading_ = false;
  UpdateLook();
}

void TDBRichEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Escape) {
    App().CallGuarded([this] {
      TDataSet* dataset = link_.DataSet();
      if (link_.IsModified())
        link_.Reset();
      else if (dataset && link_.Editing())
        dataset->Cancel();
    });
    event->accept();
    return;
  }
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (event->modifiers() & Qt::ControlModifier)) {
    App().CallGuarded([this] {
      TDataSet* dataset = link_.DataSet();
      if (!dataset || !link_.Editing()) return;
      link_.UpdateRecord();
      dataset->Post();
    });
    event->accept();
    return;
  }
  if (IsChangingKey(*event) || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
    bool allowed = false;
    App().CallGuarded([&] { allowed = link_.CanModify() && link_.Edit(); });
    if (!allowed) {
      QApplication::beep();
      event->accept();
      return;
    }
  }
  QTextEdit::keyPressEvent(event);
}

void TDBRichEdit::focusOutEvent(QFocusEvent* event) {
  // Leaving for another control writes the value into the record; a refused value keeps the
  // focus here. Losing the window (or the window closing) writes nothing.
  const bool leaving = event->reason() != Qt::ActiveWindowFocusReason &&
                       event->reason() != Qt::PopupFocusReason && window()->isVisible();
  bool written = !leaving || App().CallGuarded([this] { link_.UpdateRecord(); });
  QTextEdit::focusOutEvent(event);
  if (!written) setFocus();
}

}  // namespace qb
