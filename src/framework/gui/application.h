// framework/gui/application: the application object: its title, the running program's name,
// letting pending events run, and the default display of exceptions that reach an event handler.
// Shows errors only through the GUI services' message box; owns no window.
#pragma once
#include <exception>
#include <functional>
#include <string>

namespace qb {

class Application {
 public:
  // The title: the caption of the default exception display. Until set, the running program's
  // file name without its extension.
  std::string Title() const;
  // Sets the title (and Qt's application display name). Any text, empty included.
  void SetTitle(std::string title);

  // Full path of the running program's executable ("/usr/bin/quillbase"); empty when the system
  // cannot tell.
  std::string ExePath() const;
  // File name of the running program without its folder ("quillbase").
  std::string ExeName() const;

  // Lets every pending event run (input, paint, timers, posted calls), then returns.
  // REQUIRES: a QCoreApplication exists.
  void ProcessMessages();

  // Asks the Qt event loop to end (the main window closes, the program stops).
  void Terminate();
  // Whether Terminate has been called.
  bool Terminated() const { return terminated_; }

  // The default exception display. An EAbort (an operation abandoned on purpose) shows
  // nothing. Otherwise calls OnException with ERROR when it is assigned; otherwise
  // shows ERROR's message in an error box (MB_OK | MB_ICONSTOP) captioned Title() through
  // Gui().MessageBox. Raises what the handler or the message box raise.
  void HandleException(const std::exception& error);

  // Runs ACTION; an exception escaping it goes to HandleException (one that is not a
  // std::exception is shown as "Unknown exception."). Returns true when ACTION completed.
  // Raises only what HandleException raises. Event handlers run through this, since no
  // exception may cross Qt's event loop.
  bool CallGuarded(const std::function<void()>& action);

  // Replaces the default display when assigned.
  std::function<void(const std::exception&)> OnException;

 private:
  std::string title_;         // GUI thread only
  bool title_set_ = false;    // GUI thread only
  bool terminated_ = false;   // GUI thread only
};

// The process's application object.
Application& App();

}  // namespace qb
