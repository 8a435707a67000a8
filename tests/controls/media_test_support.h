// Media files the device tests make for themselves (a WAV tone written here, a short AVI made
// by GStreamer's test source) and a recorder of the notifications a device reports.
#pragma once
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "controls/media/media_device.h"

namespace qb::test {

// Writes a 16-bit mono PCM WAV file of a 440 Hz tone lasting MS milliseconds.
inline void WriteToneWav(const std::string& path, int ms, int rate = 8000) {
  const uint32_t samples = static_cast<uint32_t>(static_cast<int64_t>(rate) * ms / 1000);
  const uint32_t data_bytes = samples * 2;
  std::ofstream out(path, std::ios::binary);
  const auto u32 = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const auto u16 = [&out](uint16_t v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
  };
  out.write("RIFF", 4);
  u32(36 + data_bytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<uint32_t>(rate));
  u32(static_cast<uint32_t>(rate) * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(data_bytes);
  for (uint32_t i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / rate;
    u16(static_cast<uint16_t>(
        static_cast<int16_t>(std::lround(8000.0 * std::sin(2 * M_PI * 440.0 * t)))));
  }
}

// Makes an AVI of FRAMES frames at 10 per second, 64 x 48, with GStreamer's test source.
// Returns an empty string on success, otherwise why it could not (for the test's skip reason).
inline std::string MakeTestVideo(const std::string& path, int frames) {
  const QString launcher = QStandardPaths::findExecutable("gst-launch-1.0");
  if (launcher.isEmpty()) return "gst-launch-1.0 is not installed";
  QProcess process;
  process.start(launcher, {"-q", "videotestsrc", QString("num-buffers=%1").arg(frames), "!",
                           "video/x-raw,width=64,height=48,framerate=10/1", "!", "jpegenc", "!",
                           "avimux", "!", "filesink", "location=" + QString::fromStdString(path)});
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    return "GStreamer could not make a test video (plugins missing?): " +
           process.readAllStandardError().toStdString();
  }
  return "";
}

// Collects what a device reports, in order.
class NotifyLog {
 public:
  explicit NotifyLog(media::MediaDevice& device) {
    device.SetNotifyHandler([this](media::NotifyValue value) { values_.push_back(value); });
  }
  // Waits (running the event loop) until COUNT reports arrived; false when they did not in time.
  bool WaitFor(size_t count, int timeout_ms = 15000) {
    return QTest::qWaitFor([&] { return values_.size() >= count; }, timeout_ms);
  }
  // The reports so far after the posted ones have been delivered, as names joined by spaces.
  std::string Text() {
    QCoreApplication::processEvents();
    std::string text;
    for (media::NotifyValue value : values_) {
      if (!text.empty()) text += ' ';
      text += media::NotifyValueName(value);
    }
    return text;
  }
  void Clear() { values_.clear(); }

 private:
  std::vector<media::NotifyValue> values_;
};

}  // namespace qb::test
