// com/ole_exception: the error of a failed automation call: a status code or engine error
// number, the description as message, its source and help reference. Raises nothing itself.
#pragma once
#include <cstdint>
#include <string>

#include "core/exception.h"

namespace qb {

class EOleException : public Exception {
 public:
  // DESCRIPTION becomes the message. ERROR_CODE is a status code (HRESULT) or an engine error
  // number (3021, ...); SOURCE names the object that failed ("DAO.Recordset").
  // Always inlined so that the recorded raise address is the throwing code.
  [[gnu::always_inline]] EOleException(std::int32_t error_code, std::string description,
                                       std::string source = {}, std::string help_file = {},
                                       int help_context = 0)
      : Exception(std::move(description), help_context),
        error_code_(error_code),
        source_(std::move(source)),
        help_file_(std::move(help_file)) {}

  const char* ClassName() const override { return "EOleException"; }

  std::int32_t ErrorCode() const { return error_code_; }
  const std::string& Source() const { return source_; }
  const std::string& HelpFile() const { return help_file_; }
  const std::string& Description() const { return Message(); }

 private:
  std::int32_t error_code_;  // constant after construction
  std::string source_;       // constant after construction
  std::string help_file_;    // constant after construction
};

}  // namespace qb
