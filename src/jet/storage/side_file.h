// jet/storage/side_file: the file a new engine file is built in before it is linked into place
// ("PATH.new-<random>"). Its builder holds an open-file-description lock on the file's first
// byte (which SQLite never locks) for as long as it builds, so a file whose builder died is
// told apart from one under way, and the next builder of PATH removes it.
#pragma once
#include <string>

namespace qb::jet {

class SideFile {
 public:
  // Creates a new, empty side file for PATH, locked. Raises kCannotOpenFile when it cannot.
  explicit SideFile(const std::string& path);
  // Lets the lock go. REQUIRES: every connection to the file has closed (closing a descriptor
  // drops the process's other locks on the file, SQLite's among them) and the file is removed
  // or linked into place.
  ~SideFile();
  SideFile(const SideFile&) = delete;
  SideFile& operator=(const SideFile&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

// Removes the side files of PATH ("PATH.new-<random>", with their -wal, -shm and -journal
// companions) that no live builder holds. A side file that is only a second name of PATH (its
// builder died between linking and removing it) loses that name. Never raises.
void RemoveAbandonedSideFiles(const std::string& path);

}  // namespace qb::jet
