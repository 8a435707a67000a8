// framework/controls/db_edit: showing, typing and writing a field's text.
#include "framework/controls/db_edit.h"

#include <QApplication>
#include <QKeyEvent>

#include "framework/controls/control_keys.h"
#include "framework/controls/null_look.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/application.h"

namespace qb {

TDBEdit::TDBEdit(QWidget* parent) : TDBEdit(parent, std::make_unique<TFieldDataLink>()) {}

TDBEdit::TDBEdit(QWidget* parent, std::unique_ptr<TFieldDataLink> link)
    : QLineEdit(parent), link_holder_(std::move(link)), link_(*link_holder_) {
  link_.OnDataChange = [this] { DataChange(); };
  link_.OnEditingChange = [this] { UpdateLook(); };
  link_.OnActiveChange = [this] { UpdateLook(); };
  link_.OnUpdateData = [this] { UpdateData(); };
  link_.OnFocus = [this] { setFocus(); };
  connect(this, &QLineEdit::textEdited, this, [this] { link_.Modified(); });
  UpdateLook();
}

void TDBEdit::SetReadOnly(bool value) {
  link_.SetReadOnly(value);
  UpdateLook();
}

void TDBEdit::UpdateLook() {
  setReadOnly(!link_.CanModify());
}

void TDBEdit::DataChange() {
  TField* field = link_.Field();
  if (!field || !field->DataSet()->HasCurrentRecord()) {
    setPlaceholderText(QString());
    setText(QString());
  } else {
    bool null = field->IsNull();
    setPlaceholderText(null ? NullText() : QString());
    std::string text = focused_ ? field->Text() : field->DisplayText();
    setText(QString::fromStdString(text));
  }
  setModified(false);
  UpdateLook();
}

void TDBEdit::UpdateData() {
  TField* field = link_.Field();
  if (!field) return;
  field->SetText(text().toStdString());
}

bool TDBEdit::EditCanModify() {
  if (!link_.CanModify()) return false;
  return link_.Edit();
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Escape) {
    App().CallGuarded([this] {
      TDataSet* dataset = link_.DataSet();
      if (link_.IsModified()) {
        link_.Reset();
        selectAll();
      } else if (dataset && link_.Editing()) {
        dataset->Cancel();
      }
    });
    event->accept();
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    App().CallGuarded([this] {
      TDataSet* dataset = link_.DataSet();
      if (!dataset || !link_.Editing()) return;
      link_.UpdateRecord();
      dataset->Post();
    });
    event->accept();
    return;
  }
  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7f;
  if (IsChangingKey(*event)) {
    bool allowed = true;
    if (printable && link_.Field()) {
      const QByteArray bytes = typed.toLocal8Bit();
      for (char c : bytes)
        if (!link_.Field()->IsValidChar(static_cast<unsigned char>(c))) allowed = false;
    }
    if (allowed) App().CallGuarded([&] { allowed = EditCanModify(); });
    if (!allowed) {
      QApplication::beep();
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent* event) {
  focused_ = true;
  if (!link_.IsModified()) App().CallGuarded([this] { DataChange(); });
  QLineEdit::focusInEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
  // Leaving for another control writes the typed value into the record; a refused value keeps
  // the focus here. Losing the window (or the window closing) writes nothing.
  const bool leaving = event->reason() != Qt::ActiveWindowFocusReason &&
                       event->reason() != Qt::PopupFocusReason && window()->isVisible();
  bool written = !leaving || App().CallGuarded([this] { link_.UpdateRecord(); });
  focused_ = false;
  QLineEdit::focusOutEvent(event);
  if (!written) {
    setFocus();
    return;
  }
  if (!link_.IsModified()) App().CallGuarded([this] { DataChange(); });
}

}  // namespace qb
