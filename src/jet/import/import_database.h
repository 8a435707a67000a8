// jet/import/import_database: ImportDatabase: a new database file built from a genuine .mdb or
// .accdb file. The genuine file is read in a child process (reader_process.h); its tables,
// rows and indexes, then its relationships and saved queries (rebuilt as SQL and kept when this
// engine translates them), are written here through the engine into a work file beside the
// destination, which is linked into place only when everything was written.
//
// Types: Text keeps its size, Memo, Byte, Integer, Long, Single, Double, Currency, Date/Time,
// Yes/No, Binary and OLE Object keep theirs; AutoNumber stays AutoNumber with its values, so it
// continues after the highest imported one; a Replication ID becomes its "{...}" text; Decimal
// becomes Text holding its exact digits (Double would round past 15 digits and Currency past
// four decimals, so only text keeps every Decimal value).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "jet/base/engine_settings.h"

namespace qb::jet {

struct ImportSummary {
  struct Table {
    std::string name;
    std::int64_t rows = 0;
    int indexes = 0;
  };
  std::vector<Table> tables;
  int relations = 0;  // relationships made
  int queries = 0;    // saved queries imported
  // What was left out, and why: {"query Sales", "it does not translate: ..."}.
  std::vector<std::pair<std::string, std::string>> skipped;
};

// See DBEngine::ImportDatabase. SILENCE_SECONDS: how long the reader may send nothing.
ImportSummary ImportGenuineDatabase(const std::string& source, const std::string& destination, int options,
                                    const std::vector<std::string>& tables, const EngineSettings& settings,
                                    int silence_seconds = 30);

// As ImportGenuineDatabase, with READ run in the reader process in place of the genuine file's
// reader: it sends frames (import_stream.h) to the descriptor it is given.
ImportSummary ImportFromReader(const std::string& source, const std::function<int(int fd)>& read,
                               const std::string& destination, int options, const EngineSettings& settings,
                               int silence_seconds);

}  // namespace qb::jet
