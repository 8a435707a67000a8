// controls/media/dao_media_player_actions: what each button does to the device, the click that
// runs it between OnClick and OnPostClick, and the status reads.
#include "controls/media/dao_media_player.h"

#include "framework/gui/screen_cursor.h"

namespace qb {

using media::CommandFlags;
using media::DeviceError;
using media::TimeFormat;

namespace {

// Neither flag means wait.
CommandFlags Effective(CommandFlags flags) {
  if (!flags.wait && !flags.notify) flags.wait = true;
  return flags;
}

}  // namespace

void TDAOMediaPlayer::Busy(const std::function<void()>& action) {
  struct Guard {
    TDAOMediaPlayer* player;
    ~Guard() {
      player->busy_ = false;
      player->update();
    }
  } guard{this};
  busy_ = true;
  repaint();
  ScopedCursor hourglass(crHourGlass);
  action();
}

media::PlayRange TDAOMediaPlayer::Range() const {
  media::PlayRange range;
  const int64_t length = device_->Length();
  if (start_pos_ > 0 && start_pos_ < length) range.from = start_pos_;
  if (end_pos_ >= 1 && end_pos_ > start_pos_ && end_pos_ <= length) range.to = end_pos_;
  return range;
}

void TDAOMediaPlayer::Play(CommandFlags flags) {
  if (!IsOpen()) OpenOnDemand();
  if (auto_rewind_ && device_->Position() >= device_->Length()) Rewind();
  Keep(device_->Play(Range(), Effective(flags)));
  UpdateButtons();
}

void TDAOMediaPlayer::Pause(CommandFlags flags) {
  CheckOpen();
  if (device_->CurrentMode() == TMPModes::Paused) {
    Keep(device_->Resume(Effective(flags)));
  } else {
    Keep(device_->Pause(Effective(flags)));
  }
  UpdateButtons();
}

void TDAOMediaPlayer::Stop(CommandFlags flags) {
  CheckOpen();
  Keep(device_->Stop(Effective(flags)));
  if (auto_rewind_) Rewind();
  if (reload_pending_) {
    DataChanged();
  } else {
    UpdateButtons();
  }
}

void TDAOMediaPlayer::Next(CommandFlags flags) {
  CheckOpen();
  flags = Effective(flags);
  if (device_->CurrentTimeFormat() == TimeFormat::Tmsf) {
    const int tracks = device_->Tracks();
    const int track = device_->CurrentTrack();
    const int64_t start = device_->TrackStart(track < tracks ? track + 1 : tracks);
    if (device_->CurrentMode() == TMPModes::Playing) {
      // Played with notify: a play that waited would hold the control until the disc ends.
      Keep(device_->Play({start, std::nullopt}, CommandFlags::Notify()));
      last_button_ = btPlay;
    } else {
      Keep(device_->Seek(start, flags));
    }
  } else {
    Keep(device_->SeekToEnd(flags));
  }
  UpdateButtons();
}

void TDAOMediaPlayer::Previous(CommandFlags flags) {
  CheckOpen();
  flags = Effective(flags);
  if (device_->CurrentTimeFormat() == TimeFormat::Tmsf) {
    const int track = device_->CurrentTrack();
    int64_t start = device_->TrackStart(track);
    if (device_->Position() == start && track > 1) start = device_->TrackStart(track - 1);
    if (device_->CurrentMode() == TMPModes::Playing) {
      Keep(device_->Play({start, std::nullopt}, CommandFlags::Notify()));
      last_button_ = btPlay;
    } else {
      Keep(device_->Seek(start, flags));
    }
  } else {
    Keep(device_->SeekToStart(flags));
  }
  UpdateButtons();
}

void TDAOMediaPlayer::Step(CommandFlags flags) {
  CheckOpen();
  if (caps_.has_video) {
    if (auto_rewind_ && device_->Position() >= device_->Length()) Rewind();
    Keep(device_->Step(step_size_, Effective(flags)));
  }
  UpdateButtons();
}

void TDAOMediaPlayer::Back(CommandFlags flags) {
  CheckOpen();
  if (caps_.has_video) Keep(device_->Step(-step_size_, Effective(flags)));
  UpdateButtons();
}

void TDAOMediaPlayer::StartRecording(CommandFlags flags) {
  CheckOpen();
  Keep(device_->Record(Range(), Effective(flags)));
  UpdateButtons();
}

void TDAOMediaPlayer::Eject(CommandFlags flags) {
  CheckOpen();
  if (caps_.can_eject) Keep(device_->Eject(Effective(flags)));
  UpdateButtons();
}

void TDAOMediaPlayer::Rewind(CommandFlags flags) {
  CheckOpen();
  Keep(device_->SeekToStart(Effective(flags)));
  UpdateButtons();
}

int64_t TDAOMediaPlayer::Length() const {
  CheckOpen();
  return device_->Length();
}

int64_t TDAOMediaPlayer::Position() const {
  CheckOpen();
  return device_->Position();
}

TMPModes TDAOMediaPlayer::Mode() const { return IsOpen() ? device_->CurrentMode() : TMPModes::NotReady; }

int TDAOMediaPlayer::Tracks() const {
  CheckOpen();
  return device_->Tracks();
}

TimeFormat TDAOMediaPlayer::TimeFormat() const {
  CheckOpen();
  return device_->CurrentTimeFormat();
}

// --- Clicks ---

void TDAOMediaPlayer::RunAction(TMPBtnType button) {
  switch (button) {
    case btPlay: Play(CommandFlags::Notify()); break;
    case btPause: Pause(CommandFlags::Notify()); break;
    case btStop: Busy([this] { Stop(CommandFlags::Wait()); }); break;
    case btNext: Busy([this] { Next(CommandFlags::Wait()); }); break;
    case btPrev: Busy([this] { Previous(CommandFlags::Wait()); }); break;
    case btStep: Busy([this] { Step(CommandFlags::Wait()); }); break;
    case btBack: Busy([this] { Back(CommandFlags::Wait()); }); break;
    case btRecord: StartRecording(CommandFlags::Notify()); break;
    case btEject: Eject(CommandFlags::Notify()); break;
  }
}

void TDAOMediaPlayer::Click(TMPBtnType button) {
  bool do_default = true;
  if (OnClick) OnClick(this, button, do_default);
  if (!do_default) return;
  last_button_ = button;
  RunAction(button);
  if (OnPostClick) OnPostClick(this, button);
}

}  // namespace qb
