// jet/import/reader_process: the reader of a genuine file runs in a child process, so that a file
// that crashes or hangs the reader ends the import with a message instead of taking the caller
// down. The parent receives its frames through a pipe, with a time limit between bytes. The
// reader is a program of its own (quill-import-reader) where one is installed: a child forked
// from a process with other threads inherits any lock one of them held at that moment (the
// allocator's, under the sanitizers) and can wait on it for ever.
#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "jet/import/import_stream.h"

namespace qb::jet::import {

// The reader program installed beside the running one, or "" when there is none.
std::string ReaderProgram();

class ReaderProcess {
 public:
  // Forks a process running READ (its frames go to the descriptor it is given; it returns the
  // exit status) on behalf of SOURCE, the file named in messages. SILENCE_SECONDS: how long the
  // reader may send nothing before it is given up. Raises kCannotOpenFile when no process starts.
  ReaderProcess(const std::string& source, const std::function<int(int fd)>& read, int silence_seconds);
  // Starts the program COMMAND[0] with the arguments that follow; it writes its frames to its
  // standard output, and its standard error goes nowhere.
  ReaderProcess(const std::string& source, const std::vector<std::string>& command, int silence_seconds);
  // Kills and reaps a reader still running.
  ~ReaderProcess();
  ReaderProcess(const ReaderProcess&) = delete;
  ReaderProcess& operator=(const ReaderProcess&) = delete;

  // The next frame. Raises kUnrecognisedFile, naming SOURCE, when the reader died, went silent
  // or sent something that is no frame.
  FrameKind Next(std::string* payload);

 private:
  [[noreturn]] void Fail(const std::string& why);
  void ReadExactly(char* data, std::size_t size);
  // Waits (within the time limit) for more bytes and reads what is there into DATA; the count.
  std::size_t ReadSome(char* data, std::size_t size);
  std::string ExitDescription();

  std::string source_;
  pid_t pid_ = -1;
  int fd_ = -1;
  int silence_ms_;
  // Bytes read from the pipe ahead of the frame being taken: a read per frame costs more than
  // a row. Frames larger than the buffer are read into their payload directly.
  std::vector<char> buffer_ = std::vector<char>(64 * 1024);
  std::size_t buffered_begin_ = 0, buffered_end_ = 0;
};

}  // namespace qb::jet::import
