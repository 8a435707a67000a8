// jet/storage/side_file: side files are created by this code (never by SQLite, which merely opens the
// empty file as a new database), so the lock is taken before anyone can see an unlocked file
// under way. A cleaner takes the same lock before it removes anything.
#include "jet/storage/side_file.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "jet/base/errors.h"
#include "jet/locks/lock_ranges.h"

namespace qb::jet {
namespace {

constexpr std::string_view kMark = ".new-";
constexpr std::size_t kRandomDigits = 16;
constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

std::string RandomName(const std::string& path) {
  unsigned char random[kRandomDigits / 2];
  randombytes_buf(random, sizeof random);
  char hex[kRandomDigits + 1];
  sodium_bin2hex(hex, sizeof hex, random, sizeof random);
  return path + std::string(kMark) + hex;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// NAME is BASE's side file: BASE, the mark, the random digits; *COMPANION says whether one of
// the companion suffixes follows.
bool IsSideFileOf(std::string_view name, std::string_view base, bool* companion) {
  if (name.substr(0, base.size()) != base) return false;
  name.remove_prefix(base.size());
  if (name.substr(0, kMark.size()) != kMark) return false;
  name.remove_prefix(kMark.size());
  if (name.size() < kRandomDigits) return false;
  for (std::size_t i = 0; i < kRandomDigits; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  name.remove_prefix(kRandomDigits);
  *companion = !name.empty();
  if (name.empty()) return true;
  for (std::string_view suffix : kCompanions) {
    if (name == suffix) return true;
  }
  return false;
}

void RemoveWithCompanions(const std::string& side) {
  for (const char* suffix : kCompanions) ::unlink((side + suffix).c_str());
  ::unlink(side.c_str());
}

// Removes SIDE when nobody holds it. PATH_INFO: PATH's identity, when it exists.
void RemoveIfAbandoned(const std::string& side, const struct stat* path_info) {
  struct stat info {};
  if (::lstat(side.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (path_info && SameFile(info, *path_info)) {
    // Not opened: closing a descriptor of a file this process may have open through SQLite
    // would drop SQLite's locks on it.
    ::unlink(side.c_str());
    return;
  }
  const int fd = ::open(side.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  try {
    if (LockRanges::TryLock(fd, F_WRLCK, 0)) RemoveWithCompanions(side);
  } catch (...) {
    // A lock file system that fails says nothing about the builder: leave the file.
  }
  ::close(fd);
}

}  // namespace

SideFile::SideFile(const std::string& path) {
  // Another random name only if the first ever meets a file (or a cleaner's hold) already there.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = RandomName(path);
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      RaiseJetError(err::kCannotOpenFile,
                    "The file '" + path + "' could not be created: " + std::strerror(errno) + ".");
    }
    struct stat held {}, named {};
    bool ours = false;
    try {
      ours = LockRanges::TryLock(fd, F_WRLCK, 0) && ::fstat(fd, &held) == 0 && ::stat(name.c_str(), &named) == 0 &&
             SameFile(held, named);
    } catch (...) {
      ::close(fd);
      ::unlink(name.c_str());
      throw;
    }
    if (ours) {
      path_ = name;
      fd_ = fd;
      return;
    }
    ::close(fd);  // a cleaner found it between its creation and the lock: it removes it
  }
  RaiseJetError(err::kCannotOpenFile, "The file '" + path + "' could not be created: no free name beside it.");
}

SideFile::~SideFile() {
  if (fd_ >= 0) ::close(fd_);
}

void RemoveAbandonedSideFiles(const std::string& path) {
  const std::filesystem::path target(path);
  const std::string base = target.filename().string();
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  struct stat path_info {};
  const bool path_exists = ::stat(path.c_str(), &path_info) == 0;
  std::error_code error;
  std::vector<std::string> sides, companions;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    bool companion = false;
    if (!IsSideFileOf(name, base, &companion)) continue;
    (companion ? companions : sides).push_back(it->path().string());
  }
  for (const std::string& side : sides) RemoveIfAbandoned(side, path_exists ? &path_info : nullptr);
  // A companion whose side file is gone outlived a builder that died removing it.
  for (const std::string& companion : companions) {
    const std::string side = companion.substr(0, companion.rfind('-'));
    struct stat info {};
    if (::lstat(side.c_str(), &info) != 0 && errno == ENOENT) ::unlink(companion.c_str());
  }
}

}  // namespace qb::jet
