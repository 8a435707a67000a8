// controls/media/media_button_images: the media player's 27 button images (enabled, disabled
// and colored for each of the nine buttons), drawn by this program and found by their resource
// names ("DAO_EN_MPPLAY", ...). Pictures only; which one a button shows is the player's choice.
#pragma once
#include <QImage>
#include <string>
#include <string_view>
#include <vector>

namespace qb::media {

// The player's buttons, in the order of its button set.
enum class MediaButton { Play, Pause, Stop, Next, Prev, Step, Back, Record, Eject };
inline constexpr int kMediaButtonCount = 9;

// Image kinds: enabled (usable, enabled, not colored), disabled, colored.
enum class ButtonImageKind { Enabled, Disabled, Colored };
inline constexpr int kButtonImageKindCount = 3;

// The button's resource name: "MPPLAY", "MPPAUSE", ..., "MPEJECT".
const char* MediaButtonResourceName(MediaButton button);
// The kind's name in resource names: "EN", "DI", "CL".
const char* ButtonImageKindName(ButtonImageKind kind);
// "DAO_<kind>_<button>", e.g. "DAO_CL_MPRECORD".
std::string MediaButtonImageName(ButtonImageKind kind, MediaButton button);
// All 27 names, kind by kind in the order above, buttons in button order.
std::vector<std::string> MediaButtonImageNames();

// Size of every button image in pixels.
inline constexpr int kMediaButtonImageWidth = 22;
inline constexpr int kMediaButtonImageHeight = 16;

// The image named NAME (exact, upper case), with a transparent background; a null image for a
// name that is not one of the 27. Drawn on first use; the result shares its pixels (Qt's
// implicit sharing), so it is cheap to copy and stays valid after the call.
QImage MediaButtonImage(std::string_view name);

}  // namespace qb::media
