// framework/controls/navigator_glyphs: the pictures of the navigator's buttons, drawn in code
// so that they need no image files and follow the palette.
#pragma once
#include <QColor>
#include <QIcon>

namespace qb {

// The glyph of navigator button BUTTON (a TNavigateBtn value) in COLOR, 16 by 16 pixels.
QIcon NavigatorGlyph(int button, const QColor& color);

}  // namespace qb
