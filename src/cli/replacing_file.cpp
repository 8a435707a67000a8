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

}  // namespace

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
  if (path_.empty() || path_.back() == '/') Fail("is not a file name", EISDIR);
  struct stat existing {};
  if (::stat(path_.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) Fail("is a folder", EISDIR);
  std::string pattern = FolderOf(path_) + "/." + BaseName(path_) + ".XXXXXX";
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
  if (::fsync(fd_) != 0) Fail("cannot be written", errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) Fail("cannot be written", errno);
  if (std::rename(temp_path_.c_str(), path_.c_str()) != 0) Fail("cannot be replaced", errno);
  committed_ = true;
}

void ReplacingFile::Fail(const std::string& what, int error_number) const {
  throw std::runtime_error("the file '" + path_ + "' " + what + ": " + std::strerror(error_number));
}

}  // namespace qb::cli
