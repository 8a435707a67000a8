// app/widgets/nim_align_bit_button: glyph placement of the aligned button. Left and top are
// Qt's own layouts; right and bottom draw the glyph and caption in the other order.
#include "app/widgets/nim_align_bit_button.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace qb {

TNimAlignBitButton::TNimAlignBitButton(QWidget* parent) : QToolButton(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  SetLayout(blGlyphLeft);
}

void TNimAlignBitButton::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  const bool vertical = layout == blGlyphTop || layout == blGlyphBottom;
  setToolButtonStyle(vertical ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
  // Qt lays the glyph before the caption in reading order: mirroring puts it after.
  setLayoutDirection(layout == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
  updateGeometry();
  update();
}

void TNimAlignBitButton::paintEvent(QPaintEvent* event) {
  if (layout_ != blGlyphBottom || icon().isNull() || text().isEmpty()) {
    QToolButton::paintEvent(event);
    return;
  }
  // Caption above, glyph below: draw the bevel without contents, then both parts.
  QStylePainter painter(this);
  QStyleOptionToolButton option;
  initStyleOption(&option);
  QStyleOptionToolButton bevel = option;
  bevel.text.clear();
  bevel.icon = QIcon();
  painter.drawComplexControl(QStyle::CC_ToolButton, bevel);
  const QRect area = rect().adjusted(4, 4, -4, -4);
  const int text_height = fontMetrics().height();
  const QRect text_rect(area.left(), area.top(), area.width(), text_height);
  const QRect icon_rect(area.left(), text_rect.bottom() + 2, area.width(), area.height() - text_height - 2);
  painter.drawText(text_rect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
  icon().paint(&painter, icon_rect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

}  // namespace qb
