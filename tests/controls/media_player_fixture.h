// Helpers of the media player tests: three people in name order, Ann and Cid with a stored
// file in Photo (a WAV tone for Ann, a made-up clip for Cid), Bob with none; a player bound to
// Photo; and the scripted device each player gets, set up by the test before it is made.
#pragma once
#include <QFile>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/media/dao_media_player.h"
#include "controls/media/media_device_factory.h"
#include "controls/media/scripted_media_device.h"
#include "controls/media_test_support.h"
#include "dao_controls_fixture.h"
#include "fields/dao_blob_stream.h"
#include "fields/dao_field_registration.h"
#include "framework/data/blob_field.h"
#include "recordset/dao_field_hooks.h"

namespace qb::test {

class MediaPlayerTest : public DaoControlsTest {
 protected:
  void SetUp() override {
    DaoControlsTest::SetUp();
    // The data-access field classes and blob streams, as the program installs them at start;
    // put back as found afterwards, for the other tests of this program.
    previous_hook_ = InstalledDAOFieldClassHook();
    previous_streams_ = InstalledDAOBlobStreamFactory();
    RegisterDAOFieldClasses();
    Exec("INSERT INTO People (Id, Name) VALUES (1, 'Ann')");
    Exec("INSERT INTO People (Id, Name) VALUES (2, 'Bob')");
    Exec("INSERT INTO People (Id, Name) VALUES (3, 'Cid')");
    OpenPeople();
    tone_ = dir_.File("tone.wav");
    WriteToneWav(tone_, 300);
    StoreFileIn("Ann", tone_);
    const std::string clip = dir_.File("clip.avi");
    WriteFile(clip, "not really a film");
    StoreFileIn("Cid", clip);
    rs_->First();
    previous_factory_ = media::SetMediaDeviceFactory([this] {
      auto device = std::make_unique<media::ScriptedMediaDevice>();
      device->SetLength(length_);
      device->SetCaps(caps_);
      devices_.push_back(device.get());
      return device;
    });
  }
  void TearDown() override {
    player_.reset();
    media::SetMediaDeviceFactory(std::move(previous_factory_));
    DaoControlsTest::TearDown();
    SetDAOFieldClassHook(previous_hook_);
    SetDAOBlobStreamFactory(previous_streams_);
  }

  static void WriteFile(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
  void GoTo(const std::string& name) { ASSERT_TRUE(rs_->Locate("Name", Variant(name), {})); }
  void StoreFileIn(const std::string& name, const std::string& file) {
    GoTo(name);
    std::unique_ptr<TBlobStream> stream = rs_->CreateBlobStream(rs_->FieldByName("Photo"), bmRead);
    dynamic_cast<TDAOBlobStream&>(*stream).StoreFile(file);
    stream.reset();
    rs_->Post();
  }
  std::string Photo() { return rs_->FieldByName("Photo")->AsString(); }

  // A player bound to Photo of the people.
  TDAOMediaPlayer& MakePlayer() {
    player_ = std::make_unique<TDAOMediaPlayer>();
    player_->SetDataSource(&source_);
    player_->SetDataField("Photo");
    return *player_;
  }
  // The scripted device of the player made last (after its first Open).
  media::ScriptedMediaDevice& Device() { return *devices_.back(); }

  // The buttons that can be pressed now, as a set.
  static TDAOMediaPlayerButtonSet Enabled(const TDAOMediaPlayer& player) {
    TDAOMediaPlayerButtonSet set = 0;
    for (int i = 0; i < kMPButtonCount; ++i)
      if (player.Button(static_cast<TMPBtnType>(i)).Active()) set |= 1u << i;
    return set;
  }

  std::string tone_;
  int64_t length_ = 1000;  // what the next device reports
  media::Capabilities caps_{true, false, false, false, media::DeviceKind::WaveAudio};
  std::vector<media::ScriptedMediaDevice*> devices_;
  std::unique_ptr<TDAOMediaPlayer> player_;
  media::MediaDeviceFactory previous_factory_;
  DAOFieldClassHook previous_hook_ = nullptr;
  DAOBlobStreamFactory previous_streams_ = nullptr;
};

}  // namespace qb::test
