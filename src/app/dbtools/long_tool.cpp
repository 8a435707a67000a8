// app/dbtools/long_tool: runs the work inside the progress window and hands its failure on.
// The work runs on a thread of its own while this thread keeps handling events, so the window
// is drawn, its clock turns and the desktop sees a live program however long the engine takes.
// The work must not touch widgets; the components' wait cursor leaves the screen alone when it
// is asked from another thread.
#include "app/dbtools/long_tool.h"

#include <QEventLoop>
#include <exception>
#include <thread>

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
    QEventLoop running;
    // Kept for the caller rather than shown here: the caller must not go on as if the work
    // had been done.
    std::thread worker([&] {
      try {
        work();
      } catch (...) {
        failure = std::current_exception();
      }
      // Queued, so it is seen even when the work ends before the loop starts.
      QMetaObject::invokeMethod(&running, [&running] { running.quit(); }, Qt::QueuedConnection);
    });
    // Input stays with the modal window, whose cancel button is disabled: nothing the user
    // does can reach the engine while the work runs.
    running.exec();
    worker.join();
    if (!failure) indicator.SetProgressPosition(1);
  };
  indicator.Execute();
  if (failure) std::rethrow_exception(failure);
  if (!started) throw Exception("The database tool was not started: its progress window closed first.");
}

}  // namespace qb
