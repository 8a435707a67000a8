// jet/workgroup/account_rules: name, PID and password checks (lengths in characters) and the
// SID derivation.
#include "jet/workgroup/account_rules.h"

#include <sodium.h>

#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {
namespace {

constexpr std::string_view kForbiddenInNames = "\"\\[]:|<>+=;,.?*";

bool HasControlCharacter(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

}  // namespace

void CheckAccountName(std::string_view name) {
  std::optional<std::size_t> length = CharacterCount(name);
  if (!length) RaiseJetError(err::kBadAccountName, "An account name must be valid UTF-8 text.");
  if (*length == 0 || *length > 20) {
    RaiseJetError(err::kBadAccountName, "'" + std::string(name) +
                                            "' is not a valid account name: a name has 1 to 20 characters.");
  }
  if (HasControlCharacter(name)) {
    RaiseJetError(err::kBadAccountName, "An account name cannot hold control characters.");
  }
  if (name.front() == ' ') {
    RaiseJetError(err::kBadAccountName, "'" + std::string(name) +
                                            "' is not a valid account name: it begins with a space.");
  }
  if (name.find_first_of(kForbiddenInNames) != std::string_view::npos) {
    RaiseJetError(err::kBadAccountName, "'" + std::string(name) +
                                            "' is not a valid account name: it holds one of "
                                            "\" \\ [ ] : | < > + = ; , . ? *");
  }
}

void CheckPid(std::string_view pid) {
  std::optional<std::size_t> length = CharacterCount(pid);
  if (!length || *length < 4 || *length > 20 || HasControlCharacter(pid)) {
    RaiseJetError(err::kBadPid, "A personal identifier (PID) must have 4 to 20 characters and no "
                                "control characters.");
  }
}

void CheckPassword(std::string_view password) {
  std::optional<std::size_t> length = CharacterCount(password);
  if (!length) RaiseJetError(err::kBadPassword, "A password must be valid UTF-8 text.");
  if (*length > 14) RaiseJetError(err::kBadPassword, "A password has at most 14 characters.");
  if (password.find('\0') != std::string_view::npos) {
    RaiseJetError(err::kBadPassword, "A password cannot hold a NUL character.");
  }
}

std::string MakeSid(std::string_view name, std::string_view pid) {
  // Length-prefixed parts, so that ("ab", "cdef") and ("abc", "def") differ.
  std::string input;
  input += std::to_string(name.size()) + ":" + std::string(name);
  input += std::to_string(pid.size()) + ":" + std::string(pid);
  std::string sid(32, '\0');
  const CipherKey::RawBytes& key = SidHashKey();
  crypto_generichash(reinterpret_cast<unsigned char*>(sid.data()), sid.size(),
                     reinterpret_cast<const unsigned char*>(input.data()), input.size(), key.data(),
                     key.size());
  sodium_memzero(input.data(), input.size());
  return sid;
}

std::string AccountNameKey(std::string_view name) { return FoldCase(name); }

}  // namespace qb::jet
