// framework/gui/printing: widget image to printer page; never opens a dialog.
#include "framework/gui/printing.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>

#include "core/exception.h"

namespace qb {

void PrintWidgetOn(QWidget& widget, QPrinter& printer) {
  PrintWidgetOn(widget, printer, printer.outputFileName().toStdString());
}

void PrintWidgetOn(QWidget& widget, QPagedPaintDevice& device, const std::string& output) {
  QPixmap image = widget.grab();
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
    throw Exception("The window '" + widget.objectName().toStdString() +
                    "' has no image to print.");
  }
  QPainter painter;
  if (!painter.begin(&device)) {
    throw Exception(output.empty() ? std::string("The printer could not be started.")
                                   : "The printer could not be started: cannot write '" +
                                         output + "'.");
  }
  QRectF page = device.pageLayout().paintRectPixels(device.logicalDpiX());
  double scale = page.width() / image.width();
  if (image.height() * scale > page.height()) scale = page.height() / image.height();
  QRectF target(0, 0, image.width() * scale, image.height() * scale);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(target, image, QRectF(image.rect()));
  if (!painter.end()) throw Exception("Printing failed while finishing the page.");
}

}  // namespace qb
