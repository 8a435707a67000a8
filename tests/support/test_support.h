// Helpers every test program may use: temporary folders removed at scope end, file bytes,
// and where the shared test data lives.
#pragma once
#include <filesystem>
#include <string>

namespace qb::test {

// A fresh folder below the system's temporary folder, removed with everything in it when the
// object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Path of NAME inside the folder (nothing is created).
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;  // constant after construction
};

// Whole contents of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Writes BYTES to PATH, replacing it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Path of a file below the shared test data folder ("jet/nwind.mdb").
std::string TestDataPath(const std::string& relative);

}  // namespace qb::test
