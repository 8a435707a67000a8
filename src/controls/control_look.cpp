// controls/control_look: colour, enabling and drops.
#include "controls/control_look.h"

#include <QAbstractScrollArea>
#include <QPalette>
#include <QWidget>

#include "controls/dataset_state_colors.h"
#include "framework/data/dataset.h"

namespace qb {

void SetControlColor(QWidget& control, const QColor& color) {
  QPalette palette = control.palette();
  if (palette.color(QPalette::Base) == color && palette.color(QPalette::Window) == color) return;
  palette.setColor(QPalette::Base, color);
  palette.setColor(QPalette::Window, color);
  control.setPalette(palette);
  control.setAutoFillBackground(true);
}

void SetControlEnabled(QWidget& control, bool enabled) {
  if (control.isEnabled() != enabled) control.setEnabled(enabled);
}

void ApplyDataSetLook(QWidget& control, const TDataSet& dataset, bool change_color) {
  if (change_color) SetControlColor(control, DataSetStateColor(dataset.State()));
  const bool enabled = dataset.CanModify();
  SetControlEnabled(control, enabled);
  control.setAcceptDrops(enabled);
  // An editor receives drops on its viewport.
  if (auto* area = qobject_cast<QAbstractScrollArea*>(&control)) area->viewport()->setAcceptDrops(enabled);
}

}  // namespace qb
