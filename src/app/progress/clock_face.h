// app/progress/clock_face: the turning clock of the progress window: a white square showing one
// of twelve clock faces, painted here (hour hand on one to twelve o'clock). The face is chosen
// by its character number in the symbol font the faces come from, 183 (one o'clock) to 194
// (twelve o'clock), so that callers count as the window always has.
#pragma once
#include <QWidget>

namespace qb {

inline constexpr int kFirstClockCharacter = 183;  // one o'clock
inline constexpr int kLastClockCharacter = 194;   // twelve o'clock

// The face after CHARACTER: the next one up to kLastClockCharacter, then kFirstClockCharacter
// again; any value outside the faces gives kFirstClockCharacter.
int NextClockCharacter(int character);

class TClockFace : public QWidget {
  Q_OBJECT

 public:
  // A face showing kFirstClockCharacter, 64 by 64 pixels.
  explicit TClockFace(QWidget* parent = nullptr);

  int Character() const { return character_; }
  // Shows CHARACTER's face (a value outside the faces shows the face of kFirstClockCharacter
  // but is kept as given) and schedules a repaint.
  void SetCharacter(int character);
  // The hour the hand points at for the current character: 1 to 12.
  int Hour() const;

  QSize sizeHint() const override { return {64, 64}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int character_ = kFirstClockCharacter;  // GUI thread only
};

}  // namespace qb
