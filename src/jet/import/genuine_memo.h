// jet/import/genuine_memo: a Memo value of the current row, read from its stored bytes (in the
// row, in one long-value row, or in a chain of them) and converted to UTF-8 by the library's own
// text conversion. Reading it here rather than through a bound buffer spares the library's
// buffer of the bind size per value, and leaves a Memo no shorter limit than its stored length.
// Runs in the reader process only.
#pragma once
#include <string>

#include <mdbtools.h>

namespace qb::jet::import {

// The text of COLUMN's value in the current row of MDB (the row's page in pg_buf), which is not
// Null. False with PROBLEM set when its bytes lie outside the file or their chain is damaged.
bool ReadMemoText(MdbHandle* mdb, const MdbColumn* column, std::string* text, std::string* problem);

}  // namespace qb::jet::import
