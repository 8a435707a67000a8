// The screen cursor: values mapped to Qt shapes, kept as set, and shown through exactly one entry
// on Qt's override-cursor stack.
#include "framework/gui/screen_cursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <stdexcept>

namespace qb {
namespace {

Qt::CursorShape Shown() {
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return cursor == nullptr ? Qt::CustomCursor : cursor->shape();  // CustomCursor: none shown
}

class ScreenCursorTest : public ::testing::Test {
 protected:
  void TearDown() override { Screen().SetCursor(crDefault); }
};

TEST(CursorShape, WaitCursorsAreQtsWaitAndUnknownValuesAnArrow) {
  EXPECT_EQ(CursorShape(crHourGlass), Qt::WaitCursor);
  EXPECT_EQ(CursorShape(crSQLWait), Qt::WaitCursor);
  EXPECT_EQ(CursorShape(crNone), Qt::BlankCursor);
  EXPECT_EQ(CursorShape(crSizeNESW), Qt::SizeBDiagCursor);
  EXPECT_EQ(CursorShape(crSizeNWSE), Qt::SizeFDiagCursor);
  EXPECT_EQ(CursorShape(crDefault), Qt::ArrowCursor);
  EXPECT_EQ(CursorShape(-5), Qt::ArrowCursor);  // no cursor has this value
  EXPECT_EQ(CursorShape(7), Qt::ArrowCursor);
}

TEST_F(ScreenCursorTest, SettingShowsTheShapeAndDefaultRemovesIt) {
  EXPECT_EQ(Screen().Cursor(), crDefault);
  EXPECT_EQ(Shown(), Qt::CustomCursor);
  Screen().SetCursor(crHourGlass);
  EXPECT_EQ(Screen().Cursor(), crHourGlass);
  EXPECT_EQ(Shown(), Qt::WaitCursor);
  // a change replaces our entry instead of stacking a second one
  Screen().SetCursor(crCross);
  Screen().SetCursor(crCross);
  EXPECT_EQ(Shown(), Qt::CrossCursor);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  EXPECT_EQ(Shown(), Qt::CustomCursor);
}

TEST_F(ScreenCursorTest, AnOverrideSetBeforeOursSurvivesTheRestore) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  Screen().SetCursor(crHourGlass);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(Shown(), Qt::BusyCursor);
  QGuiApplication::restoreOverrideCursor();
  EXPECT_EQ(Shown(), Qt::CustomCursor);
}

TEST_F(ScreenCursorTest, ScopedCursorRestoresTheCursorItFoundEvenOnAnException) {
  Screen().SetCursor(crIBeam);
  try {
    ScopedCursor wait(crHourGlass);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    throw std::runtime_error("engine failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Screen().Cursor(), crIBeam);
  EXPECT_EQ(Shown(), Qt::IBeamCursor);
}

}  // namespace
}  // namespace qb
