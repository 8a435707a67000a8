// jet/locks/table_hold: a recordset's hold on the table it reads, and whether it writes the
// table or refuses other writers or readers (dbDenyWrite, dbDenyRead). Kept as shared locks on
// four bytes of the database's lock file, so that holds conflict between recordsets of one
// Database, between Database objects and between processes, and vanish with their holder.
#pragma once
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>
#include "jet/base/errors.h"

namespace qb::jet {

class LockRanges;

struct TableHoldRequest {
  bool writes = false;      // the recordset may change the table
  bool deny_write = false;  // others may not change it
  bool deny_read = false;   // others may not open it at all
};

class TableHold {
 public:
  // Takes a hold on TABLE through RANGES (null: the database has no lock file; or TABLE "":
  // nothing is held). Raises kTableLocked (3262) when it conflicts with a hold already there: any hold
  // against a deny-read one (either way round), a writer against a deny-write hold, a
  // deny-write request against a writer. A deny option first lets this open's kept holds go
  // (see LockRanges::Keep), so that they refuse other opens only.
  TableHold(std::shared_ptr<LockRanges> ranges, const std::string& table, const TableHoldRequest& request);
  // The same hold on each of TABLES (the tables of a join), taken all or none.
  TableHold(std::shared_ptr<LockRanges> ranges, const std::vector<std::string>& tables, const TableHoldRequest& request);
  ~TableHold();  // releases the hold, unless kept
  // Hands the hold to RANGES' kept holds (LockRanges::Keep), to go with ReleaseKept.
  void Keep();
  // Does a kept hold of RANGES let TABLE be written (its every-hold and writer bytes kept)? No
  // other open can have taken a deny option on it since: the kept bytes refuse them.
  static bool KeptForWriting(const LockRanges& ranges, const std::string& table);
  TableHold(const TableHold&) = delete;
  TableHold& operator=(const TableHold&) = delete;

 private:
  void Take(off_t byte);
  std::shared_ptr<LockRanges> ranges_;  // null when nothing is held
  std::vector<off_t> bytes_;            // the bytes taken
};

// A change of TABLE's design (dropping it, altering its fields or indexes) while alive: takes
// the table's every-hold byte exclusively, so that it is refused with kTableInUse while any
// recordset of this open, another Database object or another process has the table open, and
// recordsets opened meanwhile are refused (kTableLocked). RANGES null or TABLE "": nothing held.
class TableDesignHold {
 public:
  TableDesignHold(std::shared_ptr<LockRanges> ranges, const std::string& table);
  ~TableDesignHold();
  TableDesignHold(const TableDesignHold&) = delete;
  TableDesignHold& operator=(const TableDesignHold&) = delete;

 private:
  std::shared_ptr<LockRanges> ranges_;  // null when nothing is held
  off_t byte_ = 0;
};

}  // namespace qb::jet
