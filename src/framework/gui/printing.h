// framework/gui/printing: puts the image of a widget on a printer page. Chooses no printer and
// shows no dialog: the GUI services do that.
#pragma once

#include <string>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace qb {

// Prints the current image of WIDGET (as it would be painted now, shown or not) on one page of
// PRINTER, scaled to the printable width and kept in proportion (shrunk further when it would be
// taller than the page). Raises Exception when the printer cannot be started (for instance an
// output file that cannot be created) or the widget has no area.
// REQUIRES: a QApplication exists.
void PrintWidgetOn(QWidget& widget, QPrinter& printer);

// The same on any paged device (a PDF writer, for one); OUTPUT names its output file in the
// error when it cannot be started, empty when there is none.
void PrintWidgetOn(QWidget& widget, QPagedPaintDevice& device, const std::string& output);

}  // namespace qb
