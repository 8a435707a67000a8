// app/progress/clock_face: the face numbering and the painting of the clock.
#include "app/progress/clock_face.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace qb {

int NextClockCharacter(int character) {
  if (character >= kFirstClockCharacter && character < kLastClockCharacter) return character + 1;
  return kFirstClockCharacter;
}

TClockFace::TClockFace(QWidget* parent) : QWidget(parent) {
  setObjectName("ClockLabel");
  setFixedSize(sizeHint());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TClockFace::SetCharacter(int character) {
  if (character == character_) return;
  character_ = character;
  update();
}

int TClockFace::Hour() const {
  if (character_ < kFirstClockCharacter || character_ > kLastClockCharacter) return 1;
  return character_ - kFirstClockCharacter + 1;
}

void TClockFace::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setRenderHint(QPainter::Antialiasing);

  const QPointF centre(width() / 2.0, height() / 2.0);
  const double radius = std::min(width(), height()) / 2.0 - 6;
  // A point at RADIUS_PART of the radius in the direction of HOUR (12 straight up).
  auto at = [&](double hour, double radius_part) {
    const double angle = hour * std::numbers::pi / 6.0;
    return QPointF(centre.x() + std::sin(angle) * radius * radius_part,
                   centre.y() - std::cos(angle) * radius * radius_part);
  };

  painter.setPen(QPen(Qt::black, 2.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap));
  for (int mark = 0; mark < 12; ++mark) painter.drawLine(at(mark, mark % 3 == 0 ? 0.72 : 0.82), at(mark, 0.92));

  painter.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre, at(0, 0.78));  // the minute hand stays on the full hour
  painter.setPen(QPen(Qt::black, 3.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre, at(Hour(), 0.52));
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawEllipse(centre, 2.5, 2.5);
}

}  // namespace qb
