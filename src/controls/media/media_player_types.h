// controls/media/media_player_types: the media player's published vocabulary: its buttons and
// sets of them, the device types and notify values under the names the player publishes, and
// the signatures of its events.
#pragma once
#include <functional>
#include <initializer_list>

#include "controls/media/media_button_images.h"
#include "controls/media/media_types.h"

namespace qb {

class TDAOMediaPlayer;

// The nine buttons, in the order of the button set (the same order as media::MediaButton).
enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
inline constexpr int kMPButtonCount = media::kMediaButtonCount;

// A set of buttons: bit (1 << TMPBtnType); 511 holds all nine.
using TDAOMediaPlayerButtonSet = unsigned;
inline constexpr TDAOMediaPlayerButtonSet kAllMPButtons = (1u << kMPButtonCount) - 1;
constexpr TDAOMediaPlayerButtonSet MPButtons(std::initializer_list<TMPBtnType> buttons) {
  TDAOMediaPlayerButtonSet set = 0;
  for (TMPBtnType button : buttons) set |= 1u << button;
  return set;
}
constexpr bool InSet(TDAOMediaPlayerButtonSet set, TMPBtnType button) { return (set & (1u << button)) != 0; }

using TMPDeviceTypes = media::DeviceType;
inline constexpr TMPDeviceTypes dtAutoSelect = media::DeviceType::AutoSelect;
inline constexpr TMPDeviceTypes dtAVIVideo = media::DeviceType::AVIVideo;
inline constexpr TMPDeviceTypes dtCDAudio = media::DeviceType::CDAudio;
inline constexpr TMPDeviceTypes dtDAT = media::DeviceType::DAT;
inline constexpr TMPDeviceTypes dtDigitalVideo = media::DeviceType::DigitalVideo;
inline constexpr TMPDeviceTypes dtMMMovie = media::DeviceType::MMMovie;
inline constexpr TMPDeviceTypes dtOther = media::DeviceType::Other;
inline constexpr TMPDeviceTypes dtOverlay = media::DeviceType::Overlay;
inline constexpr TMPDeviceTypes dtScanner = media::DeviceType::Scanner;
inline constexpr TMPDeviceTypes dtSequencer = media::DeviceType::Sequencer;
inline constexpr TMPDeviceTypes dtVCR = media::DeviceType::VCR;
inline constexpr TMPDeviceTypes dtVideodisc = media::DeviceType::Videodisc;
inline constexpr TMPDeviceTypes dtWaveAudio = media::DeviceType::WaveAudio;

using TMPNotifyValues = media::NotifyValue;
inline constexpr TMPNotifyValues nvSuccessful = media::NotifyValue::Successful;
inline constexpr TMPNotifyValues nvSuperseded = media::NotifyValue::Superseded;
inline constexpr TMPNotifyValues nvAborted = media::NotifyValue::Aborted;
inline constexpr TMPNotifyValues nvFailure = media::NotifyValue::Failure;

// What the device reports as its mode, under the player's names (a closed device: mpNotReady).
using TMPModes = media::Mode;

// OnClick: before BUTTON's action; setting DO_DEFAULT false skips the action.
using TMPBtnClickEvent = std::function<void(TDAOMediaPlayer* sender, TMPBtnType button, bool& do_default)>;
// OnPostClick: after BUTTON's action.
using TMPPostClickEvent = std::function<void(TDAOMediaPlayer* sender, TMPBtnType button)>;
// OnNotify: a command started with notify ended with VALUE.
using TMPNotifyEvent = std::function<void(TDAOMediaPlayer* sender, TMPNotifyValues value)>;

}  // namespace qb
