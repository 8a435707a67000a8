// framework/gui/screen_cursor: screen cursor value and its one entry on Qt's override-cursor
// stack; leaves other entries on that stack alone.
#include "framework/gui/screen_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace qb {
namespace {

bool HaveGuiApplication() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

Qt::CursorShape CursorShape(TCursor cursor) {
  switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crArrow: return Qt::ArrowCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crSQLWait: return Qt::WaitCursor;
    case crNo: return Qt::ForbiddenCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
  }
}

ScreenCursor::~ScreenCursor() {
  if (overriding_ && HaveGuiApplication()) QGuiApplication::restoreOverrideCursor();
}

void ScreenCursor::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  if (!HaveGuiApplication()) {
    overriding_ = false;
    return;
  }
  if (cursor == crDefault) {
    if (overriding_) QGuiApplication::restoreOverrideCursor();
    overriding_ = false;
  } else if (overriding_) {
    QGuiApplication::changeOverrideCursor(QCursor(CursorShape(cursor)));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(CursorShape(cursor)));
    overriding_ = true;
  }
}

ScreenCursor& Screen() {
  static ScreenCursor screen;
  return screen;
}

ScopedCursor::ScopedCursor(TCursor cursor) : saved_(Screen().Cursor()) { Screen().SetCursor(cursor); }

ScopedCursor::~ScopedCursor() { Screen().SetCursor(saved_); }

}  // namespace qb
