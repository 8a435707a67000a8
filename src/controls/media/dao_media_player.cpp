// controls/media/dao_media_player: the player's properties, its data binding, opening and
// closing the device on the record's media, and the buttons enabled by the device's mode.
#include "controls/media/dao_media_player.h"

#include <QDir>
#include <QFile>

#include "controls/control_look.h"
#include "controls/dataset_state_colors.h"
#include "controls/media/dao_media_player_screen.h"
#include "controls/media/media_device_factory.h"
#include "fields/dao_blob_stream.h"
#include "framework/data/blob_stream.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/application.h"

namespace qb {

using media::CommandFlags;
using media::DeviceError;

TDAOMediaPlayer::TDAOMediaPlayer(QWidget* parent)
    : QWidget(parent),
      buttons_{TDAOMediaPlayerBtn(btPlay),   TDAOMediaPlayerBtn(btPause), TDAOMediaPlayerBtn(btStop),
               TDAOMediaPlayerBtn(btNext),   TDAOMediaPlayerBtn(btPrev),  TDAOMediaPlayerBtn(btStep),
               TDAOMediaPlayerBtn(btBack),   TDAOMediaPlayerBtn(btRecord), TDAOMediaPlayerBtn(btEject)} {
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_Hover);
  link_.OnDataChange = [this] { DataChanged(); };
  link_.OnControlState = [this] { UpdateControlState(); };
  resize(sizeHint());
  UpdateButtons();
}

TDAOMediaPlayer::~TDAOMediaPlayer() {
  link_.OnDataChange = nullptr;
  link_.OnControlState = nullptr;
  link_.SetDataSource(nullptr);
  if (IsOpen()) device_->Close(CommandFlags::Wait());
  device_.reset();  // no report reaches the player after this
  RemoveTempFile();
}

const char* TDAOMediaPlayer::About() { return "Quillbase data-access components"; }

void TDAOMediaPlayer::SetVisibleButtons(TDAOMediaPlayerButtonSet buttons) {
  visible_ = buttons & kAllMPButtons;
  for (TDAOMediaPlayerBtn& button : buttons_) button.visible = InSet(visible_, button.Type());
  updateGeometry();
  LayoutButtons();
  update();
}

void TDAOMediaPlayer::SetUsableButtons(TDAOMediaPlayerButtonSet buttons) {
  usable_ = buttons & kAllMPButtons;
  for (TDAOMediaPlayerBtn& button : buttons_) button.usable = InSet(usable_, button.Type());
  update();
}

void TDAOMediaPlayer::SetColoredButtons(TDAOMediaPlayerButtonSet buttons) {
  colored_ = buttons & kAllMPButtons;
  for (TDAOMediaPlayerBtn& button : buttons_) button.colored = InSet(colored_, button.Type());
  update();
}

void TDAOMediaPlayer::SetDisplay(QWidget* display) {
  display_ = display;
  if (IsOpen() && caps_.has_video) PlaceVideo();
}

void TDAOMediaPlayer::SetAlign(Align align) {
  align_ = align;
  LayoutButtons();
  update();
}

// --- Data binding ---

TDAOMediaPlayerScreen* TDAOMediaPlayer::Screen() const {
  return qobject_cast<TDAOMediaPlayerScreen*>(display_.data());
}

void TDAOMediaPlayer::UpdateControlState() {
  TDataSet* dataset = link_.DataSet();
  if (!dataset) return;
  const bool can_modify = dataset->CanModify();
  setAcceptDrops(can_modify);
  if (TDAOMediaPlayerScreen* screen = Screen()) {
    if (screen->ChangeColorOnDataSetStateChange()) SetControlColor(*screen, DataSetStateColor(dataset->State()));
    screen->setAcceptDrops(can_modify);
  }
}

void TDAOMediaPlayer::DataChanged() {
  if (IsOpen() && (device_->CurrentMode() != TMPModes::Stopped || (last_button_ != btPlay && last_button_ != btStop))) {
    reload_pending_ = true;
    return;
  }
  TField* field = link_.Field();
  has_data_ = field != nullptr && !field->IsNull();
  if (IsOpen()) {
    Close();
  } else {
    UpdateButtons();
  }
  reload_pending_ = false;
}

// --- Device ---

media::MediaDevice& TDAOMediaPlayer::EnsureDevice() {
  if (!device_) {
    device_ = media::CreateMediaDevice();
    device_->SetNotifyHandler([this](media::NotifyValue value) { OnDeviceNotify(value); });
  }
  return *device_;
}

void TDAOMediaPlayer::CheckOpen() const {
  if (!IsOpen()) media::RaiseNoDeviceOpen();
}

std::string TDAOMediaPlayer::TempFolder() {
  // Each player writes below a folder of its own: two players of one process would otherwise
  // write the same daotemp file, one overwriting what the other plays and deleting it on close.
  if (!temp_folder_ || !temp_folder_->isValid() || !QDir(temp_folder_->path()).exists()) {
    temp_folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/quillbase-player-XXXXXX");
    if (!temp_folder_->isValid()) {
      const std::string reason = temp_folder_->errorString().toStdString();
      temp_folder_.reset();
      throw EFCreateError("Cannot create a folder for the media file: " + reason);
    }
  }
  return temp_folder_->path().toStdString();
}

void TDAOMediaPlayer::OpenOnDemand() {
  Busy([this] {
    TDataSet* dataset = link_.DataSet();
    TField* field = link_.Field();
    if (dataset && field) {
      std::unique_ptr<TBlobStream> stream = dataset->CreateBlobStream(field, bmRead);
      if (auto* blob = dynamic_cast<TDAOBlobStream*>(stream.get())) {
        RemoveTempFile();
        temp_file_ = blob->ExtractToTempFile(TempFolder());
      }
    }
    try {
      Open();
    } catch (...) {
      // The record's media is not left behind in a file nobody plays.
      RemoveTempFile();
      throw;
    }
  });
  CheckOpen();
}

void TDAOMediaPlayer::Open() {
  if (IsOpen()) Close();
  media::MediaDevice& device = EnsureDevice();
  media::OpenParams params;
  params.type = device_type_;
  params.element = temp_file_;
  params.shareable = shareable_;
  const DeviceError error = device.Open(params);
  Keep(error);
  if (error != DeviceError::None) {
    UpdateButtons();
    media::RaiseDeviceError(static_cast<int>(error));
  }
  step_size_ = device.Length() / 10;
  caps_ = device.Caps();
  can_step_ = media::KindCanStep(caps_.kind);
  if (caps_.has_video && display_) PlaceVideo();
  if (device_type_ == dtCDAudio || device_type_ == dtVideodisc) Keep(device.SetTimeFormat(media::TimeFormat::Tmsf));
  UpdateButtons();
}

void TDAOMediaPlayer::PlaceVideo() {
  if (!IsOpen() || !caps_.has_video) return;
  Keep(device_->SetDisplayWindow(display_));
  if (!display_) return;
  const QRect client = display_->contentsRect();
  media::VideoRect rect{client.left(), client.top(), client.width(), client.height()};
  if (rect.width == 0 && rect.height == 0) {
    rect.width = 320;
    rect.height = 200;
  }
  Keep(device_->PutVideo(rect));
}

void TDAOMediaPlayer::Close() {
  if (!IsOpen()) return;
  const DeviceError error = device_->Close(CommandFlags::Wait());
  Keep(error);
  if (error == DeviceError::None) {
    caps_ = {};
    can_step_ = false;
    RemoveTempFile();
    if (display_) display_->update();
  }
  UpdateButtons();
}

void TDAOMediaPlayer::RemoveTempFile() {
  if (temp_file_.empty()) return;
  QFile::remove(QString::fromStdString(temp_file_));
  temp_file_.clear();
}

void TDAOMediaPlayer::OnDeviceNotify(media::NotifyValue value) {
  App().CallGuarded([&] {
    if (OnNotify) OnNotify(this, value);
    if (reload_pending_ && (last_button_ == btPlay || last_button_ == btStop)) {
      DataChanged();
    } else {
      UpdateButtons();
    }
  });
}

// --- Buttons by mode ---

void TDAOMediaPlayer::UpdateButtons() {
  TDAOMediaPlayerButtonSet enabled = 0;
  std::optional<TMPBtnType> focus;
  switch (Mode()) {
    case TMPModes::NotReady:
      if (has_data_) enabled = MPButtons({btPlay});
      focus = btPlay;
      break;
    case TMPModes::Stopped:
    case TMPModes::Open:
      enabled = MPButtons({btNext, btPrev});
      if (caps_.can_play) enabled |= MPButtons({btPlay});
      if (caps_.can_record) enabled |= MPButtons({btRecord});
      if (caps_.can_eject) enabled |= MPButtons({btEject});
      focus = btPlay;
      break;
    case TMPModes::Playing:
    case TMPModes::Recording:
      enabled = MPButtons({btPause, btStop, btNext, btPrev});
      focus = btStop;
      break;
    case TMPModes::Paused:
      enabled = MPButtons({btPause, btNext, btPrev});
      focus = btPause;
      break;
    case TMPModes::Seeking:
      break;
  }
  if (can_step_ && Mode() != TMPModes::NotReady && Mode() != TMPModes::Seeking)
    enabled |= MPButtons({btStep, btBack});
  for (TDAOMediaPlayerBtn& button : buttons_) button.enabled = InSet(enabled, button.Type());
  if (focus) focused_ = *focus;
  update();
}

}  // namespace qb
