// controls/control_look: what UpdateControlState does to every data-access control: the colour
// of the dataset's state and the enabled state that follows whether records can be changed.
#pragma once

class QColor;
class QWidget;

namespace qb {

class TDataSet;

// Paints CONTROL's background (the base of an editor, the window of a frame) in COLOR.
void SetControlColor(QWidget& control, const QColor& color);
// Enables CONTROL, touching it only when the value differs.
void SetControlEnabled(QWidget& control, bool enabled);
// The look of the image, memo and rich edit: with CHANGE_COLOR the colour of DATASET's state;
// enabled exactly when DATASET can be modified; file drops accepted exactly when enabled.
void ApplyDataSetLook(QWidget& control, const TDataSet& dataset, bool change_color);

}  // namespace qb
