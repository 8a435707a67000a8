// jet/sqlite/function_error: how a failed jet_* SQL function hands its Jet error to the statement
// that called it: the number travels in front of SQLite's error message ("[jet 13] Type
// mismatch."), where sqlite_error.cpp reads it back. Text only; owns nothing.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qb::jet {

// The error message a failing jet_* function reports for the Jet error NUMBER with MESSAGE.
std::string FunctionErrorText(int number, std::string_view message);

// The Jet error number and message of a failed jet_* call, from the error message SQLite
// reports for the statement; nullopt when the message did not come from one.
struct FunctionError {
  int number;
  std::string message;
};
std::optional<FunctionError> DecodeFunctionError(std::string_view sqlite_message);

}  // namespace qb::jet
