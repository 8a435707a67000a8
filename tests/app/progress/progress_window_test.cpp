// Tests of the progress window at work: Execute runs the operation inside the window's first
// activation and closes it, property changes reach the open window, cancel goes through the
// cancel handler, an operation that raises still ends with the window closed and the idle
// handler given back, and the caption styles give their frames.
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>
#include <vector>

#include "app/app_test_support.h"
#include "app/dbtools/screenshot_test_support.h"
#include "app/progress/clock_face.h"
#include "app/progress/nim_progress_indicator.h"
#include "app/progress/progress_test_support.h"
#include "core/exception.h"
#include "framework/gui/application.h"
#include "framework/gui/application_idle.h"
#include "framework/gui/message_box.h"
#include "framework/gui/window_timer.h"

namespace qb::test {
namespace {

// An interval no test ever waits for: the clock turns only when a test fires its timer.
constexpr int kNeverByItself = 3600 * 1000;

class ProgressWindowTest : public AppTest {
 protected:
  void TearDown() override {
    SetApplicationIdleHandler({});
    App().OnException = nullptr;
  }

  // Runs INDICATOR's Execute with a scripted progress window that runs until it closes.
  void Execute(TNimProgressIndicator& indicator, QObject* data = nullptr) {
    ScriptedGui gui;
    gui.ExpectModal([](QDialog& dialog) { return RunModalLoop(dialog); });
    indicator.Execute(data);
    gui.Verify();
  }
};

TEST_F(ProgressWindowTest, ExecuteWithoutAnOperationShowsNothing) {
  ScriptedGui gui;  // any window shown would be unexpected
  TNimProgressIndicator indicator;
  indicator.OnCancelOperation = [](TProgressDialog&, bool&) {};
  indicator.Execute();
  gui.Verify();
  EXPECT_EQ(indicator.ProgressDialog(), nullptr);
}

TEST_F(ProgressWindowTest, ExecuteRunsTheOperationOnceInsideTheShownWindowAndClosesIt) {
  TNimProgressIndicator indicator;
  indicator.SetCaption("Exporting");
  indicator.SetText("Writing the rows ...");
  indicator.SetProgressMax(40);
  indicator.SetProgressMin(10);
  indicator.SetProgressPosition(30);
  indicator.SetClockTurnInterval(kNeverByItself);
  QObject data;
  int runs = 0;
  QPointer<TProgressDialog> seen;
  indicator.OnStartOperation = [&](TProgressDialog& window, QObject* given) {
    ++runs;
    seen = &window;
    EXPECT_EQ(&window, indicator.ProgressDialog());
    EXPECT_EQ(given, &data);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isModal());
    EXPECT_EQ(window.windowTitle(), "Exporting");
    EXPECT_EQ(window.MessageLabel()->text(), "Writing the rows ...");
    EXPECT_EQ(window.ProgressBar()->minimum(), 10);
    EXPECT_EQ(window.ProgressBar()->maximum(), 40);
    EXPECT_EQ(window.ProgressBar()->value(), 10) << "the bar starts at the minimum";
    EXPECT_EQ(indicator.ProgressPosition(), 10);
    EXPECT_TRUE(window.TurnTimer()->Enabled()) << "the clock turns while the operation runs";
    EXPECT_EQ(window.TurnTimer()->Interval(), kNeverByItself);
    EXPECT_FALSE(window.Cancelled());
    for (int row = 11; row <= 40; ++row) {
      indicator.SetProgressPosition(row);
      window.ProcessMessages();
    }
    EXPECT_EQ(window.ProgressBar()->value(), 40);
  };

  ScriptedGui gui;
  gui.ExpectModal([&](QDialog& dialog) {
    EXPECT_EQ(runs, 0) << "the operation waits for the window's activation";
    const int result = RunModalLoop(dialog);
    EXPECT_EQ(runs, 1);
    return result;
  }).Text("TProgressDialog").Caption("Exporting");
  indicator.Execute(&data);
  gui.Verify();

  EXPECT_EQ(runs, 1) << "later activations do not run it again";
  EXPECT_EQ(seen, nullptr) << "the window is freed when Execute returns";
  EXPECT_EQ(indicator.ProgressDialog(), nullptr);
  EXPECT_EQ(indicator.ProgressPosition(), 40);
}

TEST_F(ProgressWindowTest, EmptyCaptionTextAndIntervalKeepTheWindowsOwn) {
  TNimProgressIndicator indicator;
  indicator.SetCaption("");
  indicator.SetText("");
  indicator.SetClockTurnInterval(0);
  indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
    EXPECT_EQ(window.windowTitle(), "Please Wait ...");
    EXPECT_EQ(window.MessageLabel()->text(), "Operation in Progress. Please Wait ...");
    EXPECT_EQ(window.TurnTimer()->Interval(), 100);
  };
  Execute(indicator);
}

TEST_F(ProgressWindowTest, PropertyChangesReachTheOpenWindowAtOnce) {
  TNimProgressIndicator indicator;
  indicator.SetWindowPosition(poDesigned);
  indicator.SetWindowLeft(30);
  indicator.SetWindowTop(40);
  struct Case {
    const char* what;
    std::function<void()> change;
    std::function<bool(TProgressDialog&)> shown;
  };
  QFont big("Serif", 17);
  big.setItalic(true);
  const std::vector<Case> cases = {
      {"Caption", [&] { indicator.SetCaption("Half done"); },
       [](TProgressDialog& w) { return w.windowTitle() == "Half done"; }},
      {"Text", [&] { indicator.SetText("Rows 1 to 500 ..."); },
       [](TProgressDialog& w) { return w.MessageLabel()->text() == "Rows 1 to 500 ..."; }},
      {"Font", [&] { indicator.SetFont(big); }, [&](TProgressDialog& w) { return w.MessageLabel()->font() == big; }},
      {"ClockTurnInterval", [&] { indicator.SetClockTurnInterval(kNeverByItself - 1); },
       [](TProgressDialog& w) { return w.TurnTimer()->Interval() == kNeverByItself - 1; }},
      {"ProgressPosition", [&] { indicator.SetProgressPosition(70); },
       [](TProgressDialog& w) { return w.ProgressBar()->value() == 70; }},
      {"ProgressMax below the position", [&] { indicator.SetProgressMax(60); },
       [](TProgressDialog& w) { return w.ProgressBar()->maximum() == 60 && w.ProgressBar()->value() == 60; }},
      {"ProgressMin above the position", [&] { indicator.SetProgressMin(60); },
       [](TProgressDialog& w) { return w.ProgressBar()->minimum() == 60 && w.ProgressBar()->value() == 60; }},
      {"ProgressMin back down", [&] { indicator.SetProgressMin(5); },
       [](TProgressDialog& w) { return w.ProgressBar()->minimum() == 5 && w.ProgressBar()->value() == 60; }},
      // An empty range shows an empty bar, not the busy animation of a bar whose ends meet.
      {"ProgressMax down to the minimum", [&] { indicator.SetProgressMax(5); },
       [](TProgressDialog& w) {
         return w.ProgressBar()->minimum() == 5 && w.ProgressBar()->maximum() > 5 && w.ProgressBar()->value() == 5;
       }},
      {"CancelBtnState disable", [&] { indicator.SetCancelBtnState(cbsDisableCancelBtn); },
       [](TProgressDialog& w) { return w.BtnCancel()->isVisible() && !w.BtnCancel()->isEnabled(); }},
      {"CancelBtnState hide", [&] { indicator.SetCancelBtnState(cbsHideCancelBtn); },
       [](TProgressDialog& w) { return !w.BtnCancel()->isVisible(); }},
      // Disabling a hidden button shows it again, disabled, as the state says.
      {"CancelBtnState hidden, then disable", [&] { indicator.SetCancelBtnState(cbsDisableCancelBtn); },
       [](TProgressDialog& w) { return w.BtnCancel()->isVisible() && !w.BtnCancel()->isEnabled(); }},
      {"CancelBtnState allow", [&] { indicator.SetCancelBtnState(cbsAllowCancel); },
       [](TProgressDialog& w) { return w.BtnCancel()->isVisible() && w.BtnCancel()->isEnabled(); }},
      {"WindowLeft", [&] { indicator.SetWindowLeft(55); }, [](TProgressDialog& w) { return w.pos() == QPoint(55, 40); }},
      {"WindowTop", [&] { indicator.SetWindowTop(66); }, [](TProgressDialog& w) { return w.pos() == QPoint(55, 66); }},
      {"WindowPosition", [&] { indicator.SetWindowPosition(poScreenCenter); },
       [](TProgressDialog& w) {
         const QPoint centre = w.screen()->geometry().center();
         return std::abs(w.geometry().center().x() - centre.x()) <= 1 &&
                std::abs(w.geometry().center().y() - centre.y()) <= 1;
       }},
  };
  indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
    EXPECT_EQ(window.pos(), QPoint(30, 40)) << "poDesigned places it at WindowLeft, WindowTop";
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      c.change();
      EXPECT_TRUE(c.shown(window));
    }
  };
  Execute(indicator);
}

TEST_F(ProgressWindowTest, CaptionStylesGiveTheirFrames) {
  struct Case {
    TCaptionStyle style;
    Qt::WindowType type;
    bool caption_bar;
    const char* title_after_change;
  };
  for (const Case& c : {Case{csSmallCaption, Qt::Tool, true, "Changed"}, Case{csNormalCaption, Qt::Dialog, true, "Changed"},
                        Case{csNoCaption, Qt::Dialog, false, "First"}}) {
    SCOPED_TRACE(int(c.style));
    TNimProgressIndicator indicator;
    indicator.SetCaptionStyle(c.style);
    indicator.SetCaption("First");
    indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
      EXPECT_EQ(window.CaptionStyle(), c.style);
      EXPECT_EQ(window.windowType(), c.type);
      EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowTitleHint), c.caption_bar);
      EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint)) << "no border icons";
      EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowSystemMenuHint));
      EXPECT_EQ(window.windowTitle(), "First") << "Execute hands the caption over in every style";
      indicator.SetCaption("Changed");
      EXPECT_EQ(window.windowTitle(), c.title_after_change) << "a window without caption bar keeps it";
    };
    Execute(indicator);
  }
}

TEST_F(ProgressWindowTest, CancelAsksTheHandlerAndTheOperationReportsWhatItFinished) {
  struct Case {
    const char* what;
    bool has_handler;
    bool answer;
    bool escape;  // Escape instead of a mouse click on the button
    int steps_done;
  };
  const std::vector<Case> cases = {
      {"no handler: every cancel counts", false, true, false, 3},
      {"handler agrees", true, true, false, 3},
      {"handler refuses", true, false, false, 10},
      {"Escape presses cancel", true, true, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TNimProgressIndicator indicator;
    int asked = 0;
    if (c.has_handler) {
      indicator.OnCancelOperation = [&](TProgressDialog& sender, bool& cancel) {
        ++asked;
        EXPECT_EQ(&sender, indicator.ProgressDialog());
        EXPECT_TRUE(cancel) << "the answer starts as yes";
        cancel = c.answer;
      };
    }
    int steps_done = 0;
    bool visible_after_cancel = false;
    indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
      for (int step = 1; step <= 10 && !window.Cancelled(); ++step) {
        steps_done = step;
        indicator.SetProgressPosition(step * 10);
        if (step == 3) {
          if (c.escape) {
            QTest::keyClick(&window, Qt::Key_Escape);
          } else {
            QTest::mouseClick(window.BtnCancel(), Qt::LeftButton);
          }
        }
        window.ProcessMessages();
        if (step == 3) visible_after_cancel = window.isVisible();
      }
    };
    Execute(indicator);
    EXPECT_EQ(steps_done, c.steps_done);
    EXPECT_EQ(asked, c.has_handler ? 1 : 0);
    EXPECT_TRUE(visible_after_cancel) << "the window does not close by itself on cancel";
  }
}

TEST_F(ProgressWindowTest, ACancelButtonOutOfUseIgnoresEscape) {
  for (TCancelBtnState state : {cbsDisableCancelBtn, cbsHideCancelBtn}) {
    SCOPED_TRACE(int(state));
    TNimProgressIndicator indicator;
    indicator.SetCancelBtnState(state);
    bool cancelled = true;
    indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
      EXPECT_FALSE(window.BtnCancel()->isEnabled());
      EXPECT_EQ(window.BtnCancel()->isVisible(), state == cbsDisableCancelBtn);
      QTest::keyClick(&window, Qt::Key_Escape);
      window.ProcessMessages();
      cancelled = window.Cancelled();
      EXPECT_TRUE(window.isVisible()) << "Escape never closes the window while the operation runs";
    };
    Execute(indicator);
    EXPECT_FALSE(cancelled);
  }
}

TEST_F(ProgressWindowTest, TheClockTurnsThroughTwelveFacesOnItsTimer) {
  std::vector<int> faces;
  std::vector<QImage> images;
  TNimProgressIndicator indicator;
  indicator.SetClockTurnInterval(kNeverByItself);
  indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
    EXPECT_EQ(window.ClockLabel()->Character(), kFirstClockCharacter);
    images.push_back(window.ClockLabel()->grab().toImage());
    for (int tick = 0; tick < 13; ++tick) {
      ASSERT_TRUE(window.TurnTimer()->TEST_Fire());
      faces.push_back(window.ClockLabel()->Character());
      images.push_back(window.ClockLabel()->grab().toImage());
    }
  };
  Execute(indicator);
  EXPECT_EQ(faces, (std::vector<int>{184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 183, 184}));
  ASSERT_EQ(images.size(), 14u);
  for (size_t a = 0; a < 12; ++a) {
    EXPECT_FALSE(images[a].isNull());
    for (size_t b = a + 1; b < 12; ++b) EXPECT_NE(images[a], images[b]) << "faces " << a << " and " << b;
  }
  EXPECT_EQ(images[12], images[0]) << "after twelve steps the first face again";
}

TEST_F(ProgressWindowTest, ClockFacesFollowEachOtherAndStrayValuesStartOver) {
  struct Case {
    int from, to;
  };
  for (const Case& c : {Case{183, 184}, Case{193, 194}, Case{194, 183}, Case{182, 183}, Case{195, 183}, Case{0, 183},
                        Case{-5, 183}}) {
    EXPECT_EQ(NextClockCharacter(c.from), c.to) << c.from;
  }
  TClockFace face;
  face.SetCharacter(0);
  EXPECT_EQ(face.Hour(), 1);
  face.SetCharacter(194);
  EXPECT_EQ(face.Hour(), 12);
}

TEST_F(ProgressWindowTest, AnOperationThatRaisesIsShownAndTheWindowClosesAtTheNextIdleMoment) {
  int previous_idle_runs = 0;
  SetApplicationIdleHandler([&] { ++previous_idle_runs; });
  TNimProgressIndicator indicator;
  QPointer<TProgressDialog> window;
  indicator.OnStartOperation = [&](TProgressDialog& sender, QObject*) {
    window = &sender;
    throw Exception("The export file is full.");
  };

  ScriptedGui gui;
  gui.ExpectModal([&](QDialog& dialog) { return RunModalLoop(dialog); });
  gui.ExpectMessageBox(IDOK)
      .Text("The export file is full.")
      .Flags(MB_OK | MB_ICONSTOP)
      .Check("shown over the open progress window", [&](const GuiCall&) {
        return window != nullptr && window->isVisible() && window->ErrorOccurred() && !window->TurnTimer()->Enabled();
      });
  indicator.Execute();  // returns normally
  gui.Verify();

  EXPECT_EQ(window, nullptr) << "closed and freed";
  EXPECT_GT(previous_idle_runs, 0) << "the replaced idle handler still ran while the window was open";
  const int before = previous_idle_runs;
  ASSERT_TRUE(ApplicationIdleHandler());
  ApplicationIdleHandler()();
  EXPECT_EQ(previous_idle_runs, before + 1) << "the application's idle handler is given back";
}

TEST_F(ProgressWindowTest, TheRealModalLoopRunsAndClosesTheWindowItself) {
  // No scripted services: the window runs its own modal loop, as in the program.
  std::vector<std::string> errors;
  App().OnException = [&](const std::exception& error) { errors.emplace_back(error.what()); };
  for (bool raise : {false, true}) {
    SCOPED_TRACE(raise ? "raising" : "returning");
    errors.clear();
    TNimProgressIndicator indicator;
    int steps = 0;
    indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
      for (; steps < 5; ++steps) window.ProcessMessages();
      if (raise) throw Exception("Stopped halfway.");
    };
    indicator.Execute();
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(errors, raise ? std::vector<std::string>{"Stopped halfway."} : std::vector<std::string>{});
    EXPECT_FALSE(ApplicationIdleHandler()) << "no idle handler left behind";
  }
}

TEST_F(ProgressWindowTest, ScreenshotOfTheWindowAtWork) {
  TNimProgressIndicator indicator;
  indicator.SetCaption("Please Wait");
  indicator.SetText("Compacting Northwind Sales.mdb ...");
  indicator.SetClockTurnInterval(kNeverByItself);
  indicator.OnStartOperation = [&](TProgressDialog& window, QObject*) {
    indicator.SetProgressPosition(40);
    for (int tick = 0; tick < 3; ++tick) window.TurnTimer()->TEST_Fire();
    window.ProcessMessages();
    const QRect label = window.MessageLabel()->geometry();
    EXPECT_TRUE(window.MessageLabel()->parentWidget()->rect().contains(label));
    EXPECT_GE(label.height(), window.MessageLabel()->heightForWidth(label.width())) << "the message is not clipped";
    SaveScreenshot(window, "progress-window");
  };
  Execute(indicator);
}

}  // namespace
}  // namespace qb::test
