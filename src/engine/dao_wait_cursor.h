// engine/dao_wait_cursor: the wait cursor the components show during long operations, and the
// switch that turns it off. Only sets the screen cursor; never changes a widget's own cursor.
#pragma once
#include "framework/gui/screen_cursor.h"

namespace qb {

// Whether BeginWaitCursor and EndWaitCursor change the screen cursor (true at start; the
// recordset's refresh turns it off for its duration). Process-wide, GUI thread only.
extern bool ShowWaitCursor;
// The cursor shown during long operations (crHourGlass at start). Process-wide, GUI thread only.
extern TCursor DAOWaitCursor;

// Returns the screen's current cursor; sets the screen cursor to CURSOR when ShowWaitCursor is
// on.
TCursor BeginWaitCursor(TCursor cursor);
// Sets the screen cursor to CURSOR when ShowWaitCursor is on.
void EndWaitCursor(TCursor cursor);

// BeginWaitCursor(DAOWaitCursor) for the object's lifetime, then EndWaitCursor with the saved
// cursor, also when an exception leaves the scope.
class DAOWaitScope {
 public:
  DAOWaitScope() : saved_(BeginWaitCursor(DAOWaitCursor)) {}
  ~DAOWaitScope() { EndWaitCursor(saved_); }
  DAOWaitScope(const DAOWaitScope&) = delete;
  DAOWaitScope& operator=(const DAOWaitScope&) = delete;

 private:
  TCursor saved_;  // constant after construction
};

}  // namespace qb
