// controls/media/dao_media_player: TDAOMediaPlayer, a row of nine buttons that plays, records
// and moves through the media held in a long binary field of the current record. Pressing Play
// on a closed device writes the record's media blob to a file of the player's own and opens it;
// the record moving on closes the device and deletes the file, unless the player is busy (not
// stopped, or the last button was neither Play nor Stop): then the new record is loaded when
// Stop is pressed or the running command ends. Buttons are enabled by the device's mode.
//
// Every action raises EMCIDeviceError "No MCI device open" on a closed device (Play opens one
// first); a device that fails to open raises with its error text. Other device failures are
// kept in Error() and not raised. Button presses by mouse and keyboard show their errors
// through the application's exception display.
#pragma once
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "controls/dao_field_data_link.h"
#include "controls/media/dao_media_player_btn.h"
#include "controls/media/media_device.h"
#include "controls/media/media_player_types.h"

namespace qb {

class TDataSource;
class TDAOMediaPlayerScreen;

class TDAOMediaPlayer : public QWidget {
  Q_OBJECT

 public:
  // How the control is aligned in its parent; any alignment spreads the buttons over the whole
  // width instead of cutting the width to a multiple of the button count.
  enum Align { alNone, alTop, alBottom, alLeft, alRight, alClient };

  explicit TDAOMediaPlayer(QWidget* parent = nullptr);
  // Closes the device (waiting) and deletes the temporary file.
  ~TDAOMediaPlayer() override;

  // --- Published properties ---
  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return link_.FieldName(); }
  void SetDataField(const std::string& name) { link_.SetFieldName(name); }
  TDAOMediaPlayerButtonSet VisibleButtons() const { return visible_; }
  void SetVisibleButtons(TDAOMediaPlayerButtonSet buttons);
  TDAOMediaPlayerButtonSet UsableButtons() const { return usable_; }
  void SetUsableButtons(TDAOMediaPlayerButtonSet buttons);
  TDAOMediaPlayerButtonSet ColoredButtons() const { return colored_; }
  void SetColoredButtons(TDAOMediaPlayerButtonSet buttons);
  bool AutoRewind() const { return auto_rewind_; }
  void SetAutoRewind(bool value) { auto_rewind_ = value; }
  TMPDeviceTypes DeviceType() const { return device_type_; }
  void SetDeviceType(TMPDeviceTypes type) { device_type_ = type; }
  // The window video is shown in (null: none); cleared when it is destroyed.
  QWidget* Display() const { return display_; }
  void SetDisplay(QWidget* display);
  bool Shareable() const { return shareable_; }
  void SetShareable(bool value) { shareable_ = value; }
  Align GetAlign() const { return align_; }
  void SetAlign(Align align);
  bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
  void SetTabStop(bool value) { setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus); }
  static const char* About();

  TMPBtnClickEvent OnClick;
  TMPPostClickEvent OnPostClick;
  TMPNotifyEvent OnNotify;

  // --- Public, not published ---
  // Start and end of Play and Record (0: the media's own); in the device's time format.
  int64_t StartPos() const { return start_pos_; }
  void SetStartPos(int64_t value) { start_pos_ = value; }
  int64_t EndPos() const { return end_pos_; }
  void SetEndPos(int64_t value) { end_pos_ = value; }
  // Frames moved by Step and Back; Length div 10 after opening.
  int64_t Frames() const { return step_size_; }
  void SetFrames(int64_t value) { step_size_ = value; }
  // The device error of the last command (0: none).
  int Error() const { return last_error_; }
  bool IsOpen() const { return device_ && device_->IsOpen(); }
  bool HasData() const { return has_data_; }
  bool ReloadPending() const { return reload_pending_; }
  // The file the record's media was written to ("" before the first extraction).
  const std::string& TempFileName() const { return temp_file_; }
  const TDAOMediaPlayerBtn& Button(TMPBtnType button) const { return buttons_[button]; }
  TMPBtnType FocusedButton() const { return focused_; }
  // The button whose action ran last.
  TMPBtnType LastButton() const { return last_button_; }
  // The device while one exists (made by the installed device factory on the first Open).
  media::MediaDevice* Device() const { return device_.get(); }

  // --- Actions: FLAGS as the device takes them; neither flag means wait ---
  void Open();
  void Close();
  void Play(media::CommandFlags flags = media::CommandFlags::Notify());
  void Pause(media::CommandFlags flags = media::CommandFlags::Notify());
  void Stop(media::CommandFlags flags = media::CommandFlags::Wait());
  void Next(media::CommandFlags flags = media::CommandFlags::Wait());
  void Previous(media::CommandFlags flags = media::CommandFlags::Wait());
  void Step(media::CommandFlags flags = media::CommandFlags::Wait());
  void Back(media::CommandFlags flags = media::CommandFlags::Wait());
  void StartRecording(media::CommandFlags flags = media::CommandFlags::Notify());
  void Eject(media::CommandFlags flags = media::CommandFlags::Notify());
  void Rewind(media::CommandFlags flags = media::CommandFlags::Wait());
  // Status reads of the open device.
  int64_t Length() const;
  int64_t Position() const;
  // The device's mode; a closed device reads as not ready.
  TMPModes Mode() const;
  int Tracks() const;
  media::TimeFormat TimeFormat() const;

  // Presses BUTTON as a click does: OnClick, the action with the button's flags, OnPostClick.
  // Raises what the action raises.
  void Click(TMPBtnType button);
  // Stores the file PATH in the field as a drop does (errors go to the exception display).
  void DropFile(const QString& path);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Data binding.
  void UpdateControlState();
  void DataChanged();
  TDAOMediaPlayerScreen* Screen() const;
  // Device.
  media::MediaDevice& EnsureDevice();
  void CheckOpen() const;
  // Keeps ERROR as the last error.
  void Keep(media::DeviceError error) { last_error_ = static_cast<int>(error); }
  void OpenOnDemand();
  void PlaceVideo();
  void RemoveTempFile();
  std::string TempFolder();
  void OnDeviceNotify(media::NotifyValue value);
  media::PlayRange Range() const;
  // Runs ACTION with every button shown disabled and the hourglass cursor.
  void Busy(const std::function<void()>& action);
  void RunAction(TMPBtnType button);
  // Buttons.
  void UpdateButtons();
  void LayoutButtons();
  QSize ButtonSize() const;
  int VisibleCount() const;
  std::optional<TMPBtnType> ButtonAt(const QPoint& point) const;
  void MoveFocus(int direction);
  void ClickGuarded(TMPBtnType button);

  TDAOFieldDataLink link_;
  std::array<TDAOMediaPlayerBtn, kMPButtonCount> buttons_;
  TDAOMediaPlayerButtonSet visible_ = kAllMPButtons;
  TDAOMediaPlayerButtonSet usable_ = kAllMPButtons;
  TDAOMediaPlayerButtonSet colored_ = kAllMPButtons;
  bool auto_rewind_ = true;
  TMPDeviceTypes device_type_ = dtAutoSelect;
  QPointer<QWidget> display_;
  bool shareable_ = false;
  Align align_ = alNone;

  std::unique_ptr<media::MediaDevice> device_;
  media::Capabilities caps_;
  bool can_step_ = false;
  int last_error_ = 0;
  TMPBtnType focused_ = btPlay;
  TMPBtnType last_button_ = btPlay;
  std::optional<TMPBtnType> pressing_;  // the button the mouse went down on
  bool busy_ = false;
  int64_t step_size_ = 0;
  int64_t start_pos_ = 0;
  int64_t end_pos_ = 0;
  std::string temp_file_;
  std::unique_ptr<QTemporaryDir> temp_folder_;  // this player's own, so players never share a file
  bool has_data_ = false;
  bool reload_pending_ = false;
  bool cutting_width_ = false;  // inside the resize that cuts the width to whole buttons
};

}  // namespace qb
