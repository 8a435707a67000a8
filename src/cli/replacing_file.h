// cli/replacing_file: writes a file that appears at its path only when it is complete. Bytes go
// to a temporary file in the same folder, which Commit renames over the path; until then an
// existing file at the path is untouched, and a writer that is dropped or fails leaves nothing.
// A symbolic link at the path stays: the file it leads to is the one replaced. What is not a
// regular file (a device, a pipe, anything under /dev or /proc) is written in place instead.
#pragma once
#include <string>
#include <string_view>

namespace qb::cli {

// True when A and B name one existing file (the same device and inode, links followed).
bool IsSameFile(const std::string& a, const std::string& b);

class ReplacingFile {
 public:
  // Creates the temporary file beside PATH (beside the file a link at PATH leads to), or opens
  // PATH for writing when it is no regular file. Raises std::runtime_error naming PATH and the
  // system's reason when the folder does not take a new file.
  explicit ReplacingFile(std::string path);
  // Removes the temporary file unless Commit succeeded.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Appends BYTES (buffered). Raises std::runtime_error naming PATH on a write error.
  // REQUIRES: not committed.
  void Write(std::string_view bytes);
  // Flushes, syncs and closes the temporary file and renames it to PATH, replacing what was
  // there. Raises std::runtime_error naming PATH on failure (the temporary file is removed and
  // PATH is left as it was). REQUIRES: not committed.
  void Commit();

  const std::string& Path() const { return path_; }

 private:
  void Flush();
  std::string FollowLinks(std::string path) const;
  [[noreturn]] void Fail(const std::string& what, int error_number) const;

  const std::string path_;  // constant after construction
  std::string target_;      // PATH with its links followed; constant after construction
  std::string temp_path_;   // constant after construction; empty when writing in place
  int fd_ = -1;             // the temporary file; -1 once closed
  bool committed_ = false;
  std::string buffer_;
};

}  // namespace qb::cli
