// jet/import/reader_process: the child reader started (forked, or its program spawned), the pipe,
// and the parent's guarded reading of the child's frames.
#include "jet/import/reader_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "jet/base/errors.h"

namespace qb::jet::import {
namespace {

// A frame larger than this is taken for garbage (a row's Text values are short; its Memo and
// long binary values are as long as the file stores them).
constexpr std::uint32_t kMaxFrame = 1u << 30;

}  // namespace

std::string ReaderProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  const std::string program = (self.parent_path() / "quill-import-reader").string();
  return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
}

ReaderProcess::ReaderProcess(const std::string& source, const std::vector<std::string>& command, int silence_seconds)
    : source_(source), silence_ms_(silence_seconds > INT_MAX / 1000 ? INT_MAX : silence_seconds * 1000) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) RaiseJetError(err::kCannotOpenFile, "No pipe could be made for reading '" + source + "'.");
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 leaves the copy without close-on-exec; the pipe's own ends close at the exec.
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int failed = command.empty() ? EINVAL : ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (failed != 0) {
    pid_ = -1;
    ::close(fds[0]);
    RaiseJetError(err::kCannotOpenFile, "No process could be started to read '" + source + "' (" +
                                            (command.empty() ? std::string("no program") : command[0]) + ": " +
                                            std::strerror(failed) + ").");
  }
  fd_ = fds[0];
}

ReaderProcess::ReaderProcess(const std::string& source, const std::function<int(int fd)>& read, int silence_seconds)
    : source_(source), silence_ms_(silence_seconds > INT_MAX / 1000 ? INT_MAX : silence_seconds * 1000) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) RaiseJetError(err::kCannotOpenFile, "No pipe could be made for reading '" + source + "'.");
  pid_ = ::fork();
  if (pid_ < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    RaiseJetError(err::kCannotOpenFile, "No process could be started to read '" + source + "'.");
  }
  if (pid_ == 0) {
    ::close(fds[0]);
    ::signal(SIGPIPE, SIG_IGN);
    // The library reports damage on stderr as it goes; the parent says what failed instead.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    const int status = read(fds[1]);
    ::close(fds[1]);
    ::_exit(status);  // no destructors or atexit handlers of the parent's copy run here
  }
  ::close(fds[1]);
  fd_ = fds[0];
}

ReaderProcess::~ReaderProcess() {
  if (fd_ >= 0) ::close(fd_);
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

std::string ReaderProcess::ExitDescription() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  int status = 0;
  pid_t done;
  while ((done = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (done < 0) return "the reader ended";
  if (WIFSIGNALED(status)) return "the reader crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
  return "the reader stopped early (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

void ReaderProcess::Fail(const std::string& why) {
  RaiseJetError(err::kUnrecognisedFile, "'" + source_ + "' could not be imported: " + why +
                                            "; the file is damaged or not one this import can read.");
}

std::size_t ReaderProcess::ReadSome(char* data, std::size_t size) {
  for (;;) {
    pollfd waiting{fd_, POLLIN, 0};
    const int ready = ::poll(&waiting, 1, silence_ms_);
    if (ready < 0) {
      if (errno == EINTR) continue;
      Fail("its reader could not be followed");
    }
    if (ready == 0) {
      ::kill(pid_, SIGKILL);
      Fail("the reader sent nothing for " + std::to_string(silence_ms_ / 1000) + " seconds and was stopped");
    }
    const ssize_t got = ::read(fd_, data, size);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("its reader could not be followed");
    }
    if (got == 0) Fail(ExitDescription());
    return static_cast<std::size_t>(got);
  }
}

void ReaderProcess::ReadExactly(char* data, std::size_t size) {
  while (size > 0) {
    if (buffered_begin_ == buffered_end_) {
      buffered_begin_ = buffered_end_ = 0;
      if (size >= buffer_.size()) {
        const std::size_t got = ReadSome(data, size);
        data += got;
        size -= got;
        continue;
      }
      buffered_end_ = ReadSome(buffer_.data(), buffer_.size());
    }
    const std::size_t taken = std::min(size, buffered_end_ - buffered_begin_);
    std::memcpy(data, buffer_.data() + buffered_begin_, taken);
    buffered_begin_ += taken;
    data += taken;
    size -= taken;
  }
}

FrameKind ReaderProcess::Next(std::string* payload) {
  if (fd_ < 0) Fail("the reader has ended");
  char head[5];
  ReadExactly(head, sizeof head);
  std::uint32_t size = 0;
  for (int i = 4; i >= 1; --i) size = (size << 8) | static_cast<std::uint8_t>(head[i]);
  if (size > kMaxFrame) Fail("the reader sent a malformed record");
  payload->resize(size);
  ReadExactly(payload->data(), size);
  const auto kind = static_cast<FrameKind>(head[0]);
  switch (kind) {
    case FrameKind::kTable: case FrameKind::kRow: case FrameKind::kIndex: case FrameKind::kTableEnd:
    case FrameKind::kRelation: case FrameKind::kQuery: case FrameKind::kSkipped: case FrameKind::kDone:
    case FrameKind::kError:
      return kind;
  }
  Fail("the reader sent a malformed record");
}

}  // namespace qb::jet::import
