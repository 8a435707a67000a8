// cli/replacing_file: the temporary file, its buffer, and the rename that publishes it.
#include "cli/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace qb::cli {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// Follows the links at PATH, a dangling one included, so that the rename replaces the file
// the link leads to and the link stays. Gives up after as many links as the system follows.
std::string ReplacingFile::FollowLinks(std::string path) const {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    std::vector<char> target(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 4095) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) Fail("cannot be read as a link", errno);
    if (static_cast<std::size_t>(length) >= target.size()) Fail("is a link that changed while it was read", EAGAIN);
    std::string next(target.data(), static_cast<std::size_t>(length));
    path = !next.empty() && next.front() == '/' ? next : FolderOf(path) + "/" + next;
  }
  Fail("is a chain of too many links", ELOOP);
}

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
  if (path_.empty() || path_.back() == '/') Fail("is not a file name", EISDIR);
  struct stat existing {};
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) Fail("is a folder", EISDIR);
  if ((exists && !S_ISREG(existing.st_mode)) || StartsWith(path_, "/dev/") || StartsWith(path_, "/proc/")) {
    // A device or pipe takes the bytes as they come; there is nothing to replace.
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) Fail("cannot be written", errno);
    buffer_.reserve(kBufferSize);
    return;
  }
  target_ = FollowLinks(path_);
  std::string pattern = FolderOf(target_) + "/." + BaseName(target_) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) Fail("cannot be written", errno);
  temp_path_ = name.data();
  // mkstemp makes the file private; the result should have the permissions a plain create gives.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  buffer_.reserve(kBufferSize);
}

ReplacingFile::~ReplacingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_path_.empty()) ::unlink(temp_path_.c_str());
}

void ReplacingFile::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferSize) Flush();
}

void ReplacingFile::Flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("cannot be written", errno);
    }
    done += static_cast<std::size_t>(written);
  }
  buffer_.clear();
}

void ReplacingFile::Commit() {
  Flush();
  if (!temp_path_.empty() && ::fsync(fd_) != 0) Fail("cannot be written", errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) Fail("cannot be written", errno);
  if (temp_path_.empty()) {
    committed_ = true;
    return;
  }
  if (std::rename(temp_path_.c_str(), target_.c_str()) != 0) Fail("cannot be replaced", errno);
  committed_ = true;
}

void ReplacingFile::Fail(const std::string& what, int error_number) const {
  throw std::runtime_error("the file '" + path_ + "' " + what + ": " + std::strerror(error_number));
}

}  // namespace qb::cli
