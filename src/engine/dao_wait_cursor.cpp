// engine/dao_wait_cursor: the switch, the cursor value and the two bracket routines.
#include "engine/dao_wait_cursor.h"

namespace qb {

bool ShowWaitCursor = true;
TCursor DAOWaitCursor = crHourGlass;

TCursor BeginWaitCursor(TCursor cursor) {
  const TCursor saved = Screen().Cursor();
  if (ShowWaitCursor) Screen().SetCursor(cursor);
  return saved;
}

void EndWaitCursor(TCursor cursor) {
  if (ShowWaitCursor) Screen().SetCursor(cursor);
}

}  // namespace qb
