// quill-import-reader: the reading side of an import of a genuine database file, as a program of
// its own. The importing process starts it and reads its frames from a pipe on its standard
// output; nothing else is meant to run it. Started afresh rather than forked, it inherits no
// other thread's locks, and a file that crashes or hangs the reading library takes only it down.
//   quill-import-reader FILE [TABLE ...]
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "jet/import/genuine_reader.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quill-import-reader FILE [TABLE ...]\n");
    return 2;
  }
  // A write to an importer that has gone fails with EPIPE and the reader stops by itself.
  ::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> tables(argv + 2, argv + argc);
  return qb::jet::import::ReadGenuineFile(argv[1], tables, STDOUT_FILENO);
}
