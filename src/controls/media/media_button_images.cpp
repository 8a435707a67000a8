// controls/media/media_button_images: drawing of the button glyphs in their three kinds.
#include "controls/media/media_button_images.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>
#include <map>

namespace qb::media {

namespace {

constexpr std::array<const char*, kMediaButtonCount> kResourceNames = {
    "MPPLAY", "MPPAUSE", "MPSTOP", "MPNEXT", "MPPREV", "MPSTEP", "MPBACK", "MPRECORD", "MPEJECT"};
constexpr std::array<const char*, kButtonImageKindCount> kKindNames = {"EN", "DI", "CL"};

QPolygonF Triangle(QPointF a, QPointF b, QPointF c) { return QPolygonF({a, b, c}); }

// The glyph of BUTTON in the 22 x 16 image; the glyphs sit in the rows 3 to 12.
QPainterPath Glyph(MediaButton button) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  switch (button) {
    case MediaButton::Play: path.addPolygon(Triangle({7, 3}, {7, 13}, {15, 8})); break;
    case MediaButton::Pause:
      path.addRect(7, 3, 3, 10);
      path.addRect(12, 3, 3, 10);
      break;
    case MediaButton::Stop: path.addRect(6, 3, 10, 10); break;
    case MediaButton::Next:
      path.addPolygon(Triangle({6, 3}, {6, 13}, {13, 8}));
      path.addRect(14, 3, 2, 10);
      break;
    case MediaButton::Prev:
      path.addRect(6, 3, 2, 10);
      path.addPolygon(Triangle({16, 3}, {16, 13}, {9, 8}));
      break;
    case MediaButton::Step:
      path.addPolygon(Triangle({4, 4}, {4, 12}, {10, 8}));
      path.addPolygon(Triangle({11, 4}, {11, 12}, {17, 8}));
      break;
    case MediaButton::Back:
      path.addPolygon(Triangle({11, 4}, {11, 12}, {5, 8}));
      path.addPolygon(Triangle({18, 4}, {18, 12}, {12, 8}));
      break;
    case MediaButton::Record: path.addEllipse(QPointF(11, 8), 5, 5); break;
    case MediaButton::Eject:
      path.addPolygon(Triangle({5, 10}, {17, 10}, {11, 3}));
      path.addRect(5, 11, 12, 2);
      break;
  }
  return path;
}

// The colour a button has in the colored kind.
QColor ColoredFill(MediaButton button) {
  switch (button) {
    case MediaButton::Play: return QColor(0, 160, 0);
    case MediaButton::Pause: return QColor(208, 160, 0);
    case MediaButton::Stop: return QColor(176, 0, 0);
    case MediaButton::Next:
    case MediaButton::Prev: return QColor(0, 80, 208);
    case MediaButton::Step:
    case MediaButton::Back: return QColor(0, 128, 128);
    case MediaButton::Record: return QColor(255, 32, 32);
    case MediaButton::Eject: return QColor(128, 0, 128);
  }
  return Qt::black;
}

QImage Draw(ButtonImageKind kind, MediaButton button) {
  QImage image(kMediaButtonImageWidth, kMediaButtonImageHeight,
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QPainterPath glyph = Glyph(button);
  switch (kind) {
    case ButtonImageKind::Enabled: painter.fillPath(glyph, Qt::black); break;
    case ButtonImageKind::Disabled:
      // Engraved: a white highlight below and right of a grey glyph.
      painter.fillPath(glyph.translated(1, 1), Qt::white);
      painter.fillPath(glyph, QColor(128, 128, 128));
      break;
    case ButtonImageKind::Colored: painter.fillPath(glyph, ColoredFill(button)); break;
  }
  return image;
}

}  // namespace

const char* MediaButtonResourceName(MediaButton button) {
  return kResourceNames[static_cast<size_t>(button)];
}

const char* ButtonImageKindName(ButtonImageKind kind) {
  return kKindNames[static_cast<size_t>(kind)];
}

std::string MediaButtonImageName(ButtonImageKind kind, MediaButton button) {
  return std::string("DAO_") + ButtonImageKindName(kind) + "_" + MediaButtonResourceName(button);
}

std::vector<std::string> MediaButtonImageNames() {
  std::vector<std::string> names;
  for (int k = 0; k < kButtonImageKindCount; ++k) {
    for (int b = 0; b < kMediaButtonCount; ++b) {
      names.push_back(
          MediaButtonImageName(static_cast<ButtonImageKind>(k), static_cast<MediaButton>(b)));
    }
  }
  return names;
}

QImage MediaButtonImage(std::string_view name) {
  // Drawn once per name on the GUI thread and kept for the program's life.
  static std::map<std::string, QImage, std::less<>> drawn;
  if (const auto found = drawn.find(name); found != drawn.end()) return found->second;
  for (int k = 0; k < kButtonImageKindCount; ++k) {
    for (int b = 0; b < kMediaButtonCount; ++b) {
      const auto kind = static_cast<ButtonImageKind>(k);
      const auto button = static_cast<MediaButton>(b);
      if (MediaButtonImageName(kind, button) == name) {
        return drawn.emplace(std::string(name), Draw(kind, button)).first->second;
      }
    }
  }
  return QImage();
}

}  // namespace qb::media
