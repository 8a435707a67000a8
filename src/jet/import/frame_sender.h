// jet/import/frame_sender: the reader process's side of the pipe: gathers row frames and writes
// them in pipe-sized pieces, every other frame at once.
#pragma once
#include <chrono>
#include <functional>
#include <string>

#include "jet/import/import_stream.h"

namespace qb::jet::import {

// Sends frames to the importing process; every call is false once it has gone.
class Sender {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // CLOCK is read once per row; tests pass their own.
  explicit Sender(int fd, Clock clock = std::chrono::steady_clock::now)
      : fd_(fd), clock_(std::move(clock)) {}

  // Rows are gathered and written a pipe's worth at a time (a write per row costs more than
  // the row), or sooner once the oldest unsent row has waited kLongestWait: the importing
  // process takes a long silence for a reader that hangs, and a table whose rows are slow to
  // read (large Memo values) must not look like one. Every other frame is written at once
  // with what was gathered before it.
  bool Send(const FrameWriter& writer, FrameKind kind) {
    if (pending_.empty()) oldest_ = clock_();
    pending_ += writer.Frame(kind);
    if (kind == FrameKind::kRow && pending_.size() < kGather && clock_() - oldest_ < kLongestWait) {
      return true;
    }
    const bool sent = WriteAll(fd_, pending_);
    pending_.clear();
    return sent;
  }
  bool Skipped(const std::string& what, const std::string& why) {
    FrameWriter w;
    w.Text(what);
    w.Text(why);
    return Send(w, FrameKind::kSkipped);
  }
  bool Error(const std::string& message) {
    FrameWriter w;
    w.Text(message);
    return Send(w, FrameKind::kError);
  }

  static constexpr std::size_t kGather = 64 * 1024;
  static constexpr std::chrono::milliseconds kLongestWait{500};

 private:
  int fd_;
  Clock clock_;
  std::chrono::steady_clock::time_point oldest_;
  std::string pending_;
};

}  // namespace qb::jet::import
