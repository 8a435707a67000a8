// app/dbtools/long_tool: runs the work inside the progress window and hands its failure on.
#include "app/dbtools/long_tool.h"

#include <exception>

#include "app/progress/nim_progress_indicator.h"
#include "core/exception.h"

namespace qb {

void RunLongTool(const std::string& what, const std::function<void()>& work) {
  TNimProgressIndicator indicator;
  indicator.SetText(what);
  indicator.SetCancelBtnState(cbsDisableCancelBtn);
  indicator.SetProgressMax(1);
  bool started = false;
  std::exception_ptr failure;
  indicator.OnStartOperation = [&](TProgressDialog& window, QObject* /*data*/) {
    window.ProcessMessages();  // the window is drawn before the engine takes over
    started = true;
    // Kept for the caller rather than shown here: the caller must not go on as if the work
    // had been done.
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
      return;
    }
    indicator.SetProgressPosition(1);
  };
  indicator.Execute();
  if (failure) std::rethrow_exception(failure);
  if (!started) throw Exception("The database tool was not started: its progress window closed first.");
}

}  // namespace qb
