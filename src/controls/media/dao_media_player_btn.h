// controls/media/dao_media_player_btn: one button of the media player: its flags, its place in
// the player and its three images (enabled, disabled, colored). The player owns and paints it.
#pragma once
#include <QImage>
#include <QRect>
#include <QSize>
#include <array>

#include "controls/media/media_player_types.h"

namespace qb {

class TDAOMediaPlayerBtn {
 public:
  explicit TDAOMediaPlayerBtn(TMPBtnType type);

  TMPBtnType Type() const { return type_; }
  bool visible = true;   // in VisibleButtons
  bool usable = true;    // in UsableButtons (can ever be pressed)
  bool enabled = false;  // allowed in the device's current mode
  bool colored = true;   // in ColoredButtons
  bool pressed = false;  // shown down under the mouse
  QRect rect;            // in the player's coordinates; outside it when invisible

  // Can be pressed now: usable and enabled for the mode.
  bool Active() const { return usable && enabled; }
  // The image kind shown: disabled when not usable or not enabled (or when BUSY: every button
  // is shown disabled while an action runs), colored when in ColoredButtons, else enabled.
  media::ButtonImageKind ImageKind(bool busy) const;
  const QImage& Image(media::ButtonImageKind kind) const { return images_[static_cast<size_t>(kind)]; }
  // The largest of the three images plus 8 pixels in width and 4 in height.
  QSize PreferredSize() const;

 private:
  TMPBtnType type_;
  std::array<QImage, media::kButtonImageKindCount> images_;
};

}  // namespace qb
