// bench_files: removing a benchmark's database with the files SQLite and the engine keep beside it.
#pragma once
#include <cstdio>
#include <string>

#include "jet/locks/lock_file.h"

namespace qb::bench {

inline void RemoveDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
  std::remove(qb::jet::LockFileHold::PathFor(path).c_str());
}

}  // namespace qb::bench
