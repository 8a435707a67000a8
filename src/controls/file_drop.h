// controls/file_drop: a file dropped from the desktop shell on the image, the memo or the rich
// edit: the control shows the file and a blob field takes its bytes.
#pragma once
#include <QString>
#include <functional>

class QMimeData;

namespace qb {

class TFieldDataLink;

// The first local file of a drop; empty when it carries none.
QString FirstDroppedFile(const QMimeData* data);

// Drops PATH into LINK's field: nothing without a dataset; a dataset in browse state enters
// edit state first; then, only in edit or insert state and under the hourglass, LOAD_CONTROL
// shows the file in the control and a blob field loads the file's bytes. Raises when the file
// cannot be read; nothing is changed then.
void DropFileIntoField(TFieldDataLink& link, const QString& path,
                       const std::function<void(const QString& path)>& load_control);

}  // namespace qb
