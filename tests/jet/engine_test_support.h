// Helpers of the engine tests: catching an engine error as (number, message), and a file's
// bytes and times to prove that a refused file was left untouched.
#pragma once
#include <sys/stat.h>

#include <string>
#include <utility>

#include "com/ole_exception.h"
#include "support/test_support.h"

namespace qb::jet::test {

struct CaughtError {
  int number = 0;  // 0: nothing was raised
  std::string message;
};

template <class Action>
CaughtError ErrorOf(Action&& action) {
  try {
    std::forward<Action>(action)();
  } catch (const EOleException& e) {
    return {e.ErrorCode(), e.Message()};
  }
  return {};
}

// Bytes and modification time of a file (or of a folder's entry), to compare before and after.
struct FileSnapshot {
  std::string bytes;
  long long mtime_ns = -1;
  bool operator==(const FileSnapshot&) const = default;
};

inline FileSnapshot Snapshot(const std::string& path) {
  FileSnapshot snapshot;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    snapshot.mtime_ns = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    if (S_ISREG(info.st_mode)) snapshot.bytes = qb::test::ReadFileBytes(path);
  }
  return snapshot;
}

}  // namespace qb::jet::test
