// framework/gui/screen_cursor: the screen cursor of the whole application (hourglass during long
// work, ...), kept as the value set and shown as Qt's application override cursor.
// Owns only its own override-cursor entry; never touches a widget's cursor.
#pragma once
#include <Qt>

namespace qb {

// Cursor values as the windows and components name them.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;

// The Qt shape shown for CURSOR (crHourGlass: Qt::WaitCursor, ...). crDefault and any value not
// listed above give Qt::ArrowCursor. Also for a widget's own cursor.
Qt::CursorShape CursorShape(TCursor cursor);

class ScreenCursor {
 public:
  ScreenCursor() = default;
  ~ScreenCursor();
  ScreenCursor(const ScreenCursor&) = delete;
  ScreenCursor& operator=(const ScreenCursor&) = delete;

  // The value last set (crDefault at start), whatever Qt shows.
  TCursor Cursor() const { return cursor_; }

  // Sets the screen cursor. crDefault removes this object's override cursor (widgets show their
  // own cursors again); any other value shows CursorShape(CURSOR) over every window. Setting the
  // current value does nothing. Without a QGuiApplication only the value is kept.
  void SetCursor(TCursor cursor);

 private:
  TCursor cursor_ = crDefault;  // GUI thread only
  bool overriding_ = false;     // GUI thread only: our entry is on Qt's override stack
};

// The application's screen cursor.
ScreenCursor& Screen();

// Sets the screen cursor to CURSOR for the object's lifetime, then restores the value it found,
// also when an exception leaves the scope.
class ScopedCursor {
 public:
  explicit ScopedCursor(TCursor cursor);
  ~ScopedCursor();
  ScopedCursor(const ScopedCursor&) = delete;
  ScopedCursor& operator=(const ScopedCursor&) = delete;

 private:
  TCursor saved_;  // constant after construction
};

}  // namespace qb
