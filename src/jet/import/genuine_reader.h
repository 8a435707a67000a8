// jet/import/genuine_reader: the reading side of an import. Runs in the reader process only:
// opens a genuine file with the MDB Tools library and sends its tables, rows and indexes as
// frames (import_stream.h) to a pipe.
#pragma once
#include <string>
#include <vector>

namespace qb::jet::import {

// Sends SOURCE's user tables (only those named in TABLES, when it is not empty) to FD and
// returns the process exit status. Never raises: a failure is sent as an error frame.
int ReadGenuineFile(const std::string& source, const std::vector<std::string>& tables, int fd);

}  // namespace qb::jet::import
