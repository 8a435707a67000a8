// jet/locks/transaction_holds: the hold a writing statement takes on its table (table_hold.h).
// Outside a transaction it goes when the statement ends. Inside one, once the statement wrote,
// it stays until the transaction commits or rolls back, as the transaction's record locks do:
// other opens cannot deny changes to a table whose changes may still be committed, and the
// transaction's later statements on the table need no lock-file calls at all.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "jet/locks/table_hold.h"

namespace qb::jet {

class Connection;
class LockRanges;

class StatementTableHold {
 public:
  // Holds TABLE for writing through RANGES (null or TABLE "": nothing held) for a statement on
  // CONNECTION, raising as TableHold does; nothing is taken when the transaction keeps a hold
  // on TABLE already. Kept holds left after a transaction ended unseen are let go first.
  StatementTableHold(const std::shared_ptr<LockRanges>& ranges, Connection& connection, const std::string& table);
  StatementTableHold(const StatementTableHold&) = delete;
  StatementTableHold& operator=(const StatementTableHold&) = delete;

  // The statement went through: inside a transaction the hold is kept until it ends.
  void Wrote();

 private:
  std::shared_ptr<LockRanges> ranges_;
  Connection& connection_;
  std::optional<TableHold> hold_;
};

}  // namespace qb::jet
