// core/exception: the root of every error this system raises. Carries the message, a help
// context and the code address it was raised from; knows nothing of components or engines.
#pragma once
#include <exception>
#include <string>

namespace qb {

class Exception : public std::exception {
 public:
  // Records MESSAGE, HELP_CONTEXT (0: none) and the address of the code that constructed the
  // exception (the raise site), or nullptr where the platform cannot tell.
  explicit Exception(std::string message, int help_context = 0);
  ~Exception() override = default;

  const char* what() const noexcept override { return message_.c_str(); }

  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }

  int HelpContext() const { return help_context_; }
  void SetHelpContext(int help_context) { help_context_ = help_context; }

  // Code address the exception was raised from; nullptr when unknown.
  const void* RaiseAddress() const { return raise_address_; }
  void SetRaiseAddress(const void* address) { raise_address_ = address; }

  // Class name as the system reports it ("Exception", "EDAOError", ...).
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
  int help_context_ = 0;
  const void* raise_address_ = nullptr;
};

// The raise address of the exception now being handled (inside a catch block), or nullptr when
// none is being handled or it is not an Exception.
const void* CurrentExceptionAddress();

}  // namespace qb
