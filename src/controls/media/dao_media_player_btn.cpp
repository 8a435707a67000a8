// controls/media/dao_media_player_btn: images and sizes of a player button.
#include "controls/media/dao_media_player_btn.h"

namespace qb {

TDAOMediaPlayerBtn::TDAOMediaPlayerBtn(TMPBtnType type) : type_(type) {
  const auto button = static_cast<media::MediaButton>(type);
  for (int kind = 0; kind < media::kButtonImageKindCount; ++kind) {
    images_[static_cast<size_t>(kind)] =
        media::MediaButtonImage(media::MediaButtonImageName(static_cast<media::ButtonImageKind>(kind), button));
  }
}

media::ButtonImageKind TDAOMediaPlayerBtn::ImageKind(bool busy) const {
  if (busy || !Active()) return media::ButtonImageKind::Disabled;
  return colored ? media::ButtonImageKind::Colored : media::ButtonImageKind::Enabled;
}

QSize TDAOMediaPlayerBtn::PreferredSize() const {
  QSize size;
  for (const QImage& image : images_) size = size.expandedTo(image.size());
  return size + QSize(8, 4);
}

}  // namespace qb
