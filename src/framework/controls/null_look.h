// framework/controls/null_look: how the data-aware controls show a field without a value, so
// that it never looks like an empty text: the word "(Null)" in grey italics where a text would
// stand (grid cells, and the edits' placeholder, which Qt shows only while the text is empty).
#pragma once
#include <QColor>
#include <QString>

namespace qb {

inline QString NullText() { return QStringLiteral("(Null)"); }
inline QColor NullTextColor() { return QColor(128, 128, 128); }

}  // namespace qb
