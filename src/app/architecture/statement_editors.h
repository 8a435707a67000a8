// app/architecture/statement_editors: which windows have a statement text the architecture
// window can paste names into (the SQL query window, the stored procedure designer), and the
// paste itself. Each window registers its editor when it is made; the entry clears itself when
// the editor is destroyed, so "registered" means "that window exists".
#pragma once
#include <string>

class QWidget;

namespace qb {

enum class StatementEditorKind { kSQLQueryForm, kStoredProcDesigner };

// Registers EDITOR (a QPlainTextEdit or a QTextEdit; null: none) as the statement text of the
// window of KIND, replacing the one registered before.
void RegisterStatementEditor(StatementEditorKind kind, QWidget* editor);

// The editor registered for KIND, null when that window does not exist.
QWidget* StatementEditor(StatementEditorKind kind);

// Inserts TEXT into the editor of KIND at its cursor, replacing its selection, as typing it
// would (the editor's change notification follows). False when no editor of KIND exists.
bool PasteIntoStatementEditor(StatementEditorKind kind, const std::string& text);

}  // namespace qb
