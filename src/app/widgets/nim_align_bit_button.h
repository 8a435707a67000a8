// app/widgets/nim_align_bit_button: TNimAlignBitButton, a push button whose glyph sits left,
// right, above or below its caption. Layout only: it holds no command of its own.
#pragma once
#include <QToolButton>

namespace qb {

// Where the glyph sits relative to the caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TNimAlignBitButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TNimAlignBitButton(QWidget* parent = nullptr);

  TButtonLayout Layout() const { return layout_; }
  // Places the glyph; the caption follows on the other side.
  void SetLayout(TButtonLayout layout);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TButtonLayout layout_ = blGlyphLeft;
};

}  // namespace qb
