// app/architecture/statement_editors: the registered statement editors, one per kind.
#include "app/architecture/statement_editors.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace qb {

namespace {

QPointer<QWidget>& Slot(StatementEditorKind kind) {
  static QPointer<QWidget> sql_form;
  static QPointer<QWidget> designer;
  return kind == StatementEditorKind::kSQLQueryForm ? sql_form : designer;
}

}  // namespace

void RegisterStatementEditor(StatementEditorKind kind, QWidget* editor) { Slot(kind) = editor; }

QWidget* StatementEditor(StatementEditorKind kind) { return Slot(kind).data(); }

bool PasteIntoStatementEditor(StatementEditorKind kind, const std::string& text) {
  QWidget* editor = StatementEditor(kind);
  const QString inserted = QString::fromStdString(text);
  if (auto* plain = qobject_cast<QPlainTextEdit*>(editor)) {
    plain->insertPlainText(inserted);
    return true;
  }
  if (auto* rich = qobject_cast<QTextEdit*>(editor)) {
    rich->insertPlainText(inserted);
    return true;
  }
  return false;
}

}  // namespace qb
