// jet/recordset/table_hold: which recordsets of this process have a table open and whether they
// write it or refuse other writers or readers (dbDenyWrite, dbDenyRead). A registry of holds
// only; reads no file. Holds of other processes are not seen here.
#pragma once
#include <memory>
#include <string>

namespace qb::jet {

struct TableHoldRequest {
  bool writes = false;      // the recordset may change the table
  bool deny_write = false;  // others may not change it
  bool deny_read = false;   // others may not open it at all
};

class TableHold {
 public:
  // Registers a hold on TABLE of the file at PATH. Raises kTableLocked (3262) when it conflicts
  // with a hold already there: any hold against a deny-read one (either way round), a writer
  // against a deny-write hold, a deny-write request against a writer.
  TableHold(const std::string& path, const std::string& table, const TableHoldRequest& request);
  ~TableHold();  // releases the hold
  TableHold(const TableHold&) = delete;
  TableHold& operator=(const TableHold&) = delete;

 private:
  std::string key_;          // constant after construction
  TableHoldRequest request_;  // constant after construction
};

}  // namespace qb::jet
